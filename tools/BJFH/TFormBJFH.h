// Connecting traverse adjustment ("边角附合导线"): from the known pair A, B to the known pair C, D,
// or round a closed loop with C = B and D = A.
#pragma once

#include "core/Traverse.h"
#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormBJFH : public TraverseWindow {
    Q_OBJECT

public:
    explicit TFormBJFH(QWidget *owner);

    // The working values of this window's last computation (bearings, increments, corrections,
    // the correction per angle), which the adjustment report reads.
    const TraverseResult &lastResult() const { return m_last; }

protected:
    void compute() override;

private:
    TraverseResult m_last;
};

} // namespace quorvil
