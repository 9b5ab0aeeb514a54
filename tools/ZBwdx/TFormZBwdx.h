// Coordinate no-orientation traverse ("坐标测量无定向导线"): measured in any local frame between
// the known B and C, turned onto the known direction B→C.
#pragma once

#include "ui/CoordinateTraverseWindow.h"

namespace quorvil {

class TFormZBwdx : public CoordinateTraverseWindow {
    Q_OBJECT

public:
    explicit TFormZBwdx(QWidget *owner);

protected:
    void compute() override;
};

} // namespace quorvil
