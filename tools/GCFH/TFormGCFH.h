// Connecting levelling route ("附/闭合高程路线"): from a benchmark of known height to another (or
// back to the same one), the misclosure distributed by section weights.
#pragma once

#include "core/Levelling.h"
#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormGCFH : public TraverseWindow {
    Q_OBJECT

public:
    explicit TFormGCFH(QWidget *owner);

    // The working values of this window's last computation (the corrected height differences
    // among them), read by the adjustment report.
    const LevellingResult &lastResult() const { return working().levelling; }

protected:
    void compute() override;
};

} // namespace quorvil
