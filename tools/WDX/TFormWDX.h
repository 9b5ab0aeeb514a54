// No-orientation traverse ("无定向导线"): between the known points B and C with no known direction
// at either end; the carried figure is turned about B onto the bearing B→C.
#pragma once

#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormWDX : public AngleTraverseWindow {
    Q_OBJECT

public:
    explicit TFormWDX(QWidget *owner);

protected:
    void compute() override;
};

} // namespace quorvil
