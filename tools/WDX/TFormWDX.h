// No-orientation traverse ("无定向导线"): between the known points B and C with no known direction
// at either end; the carried figure is turned about B onto the bearing B→C.
#pragma once

#include "core/Traverse.h"
#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormWDX : public TraverseWindow {
    Q_OBJECT

public:
    explicit TFormWDX(QWidget *owner);

    // The working values of this window's last computation, read by the adjustment report.
    const TraverseResult &lastResult() const { return m_last; }

protected:
    void compute() override;

private:
    TraverseResult m_last;
};

} // namespace quorvil
