// Coordinate connecting traverse ("坐标附合导线"): measured from the known B oriented on A, closing
// on the known C with the direction C→D observed.
#pragma once

#include "ui/CoordinateTraverseWindow.h"

namespace quorvil {

class TFormZBFH : public CoordinateTraverseWindow {
    Q_OBJECT

public:
    explicit TFormZBFH(QWidget *owner);

protected:
    void compute() override;
};

} // namespace quorvil
