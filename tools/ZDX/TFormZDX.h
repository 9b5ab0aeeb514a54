// Open traverse ("支导线"): from the known pair A, B to new points only; nothing to check.
#pragma once

#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormZDX : public AngleTraverseWindow {
    Q_OBJECT

public:
    explicit TFormZDX(QWidget *owner);

protected:
    void compute() override;
};

} // namespace quorvil
