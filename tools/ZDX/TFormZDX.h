// Open traverse ("支导线"): from the known pair A, B to new points only; nothing to check.
#pragma once

#include "core/Traverse.h"
#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormZDX : public TraverseWindow {
    Q_OBJECT

public:
    explicit TFormZDX(QWidget *owner);

    // The working values of this window's last computation (as far as it went), read by the
    // adjustment report.
    const TraverseResult &lastResult() const { return m_last; }

protected:
    void compute() override;

private:
    TraverseResult m_last;
};

} // namespace quorvil
