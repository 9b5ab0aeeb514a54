// Coordinate single-side connecting traverse ("坐标测量单边附合导线"): measured from the known B
// to the known C, with no closing direction.
#pragma once

#include "ui/CoordinateTraverseWindow.h"

namespace quorvil {

class TFormZBFH1 : public CoordinateTraverseWindow {
    Q_OBJECT

public:
    explicit TFormZBFH1(QWidget *owner);

protected:
    void compute() override;
};

} // namespace quorvil
