// Connecting traverse adjustment ("边角附合导线"): from the known pair A, B to the known pair C, D,
// or round a closed loop with C = B and D = A.
#pragma once

#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormBJFH : public AngleTraverseWindow {
    Q_OBJECT

public:
    explicit TFormBJFH(QWidget *owner);

protected:
    void compute() override;
};

} // namespace quorvil
