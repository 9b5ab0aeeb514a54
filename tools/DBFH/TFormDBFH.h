// Single-side connecting traverse ("单边附合导线"): from the known pair A, B to the known point C
// with no closing direction; the bearings are carried uncorrected.
#pragma once

#include "core/Traverse.h"
#include "ui/TraverseWindow.h"

namespace quorvil {

class TFormDBFH : public TraverseWindow {
    Q_OBJECT

public:
    explicit TFormDBFH(QWidget *owner);

    // The working values of this window's last computation, read by the adjustment report.
    const TraverseResult &lastResult() const { return m_last; }

protected:
    void compute() override;

private:
    TraverseResult m_last;
};

} // namespace quorvil
