#include "TFormWDX.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout = AngleTraverseLayout(QStringLiteral("边角测量无定向导线计算表"), 3, 3,
                                                      TraverseSummaryKind::Coordinates);
    layout.report = ReportKind::NoOrientation;
    layout.file = AdjustmentMapOf(layout.report);
    return layout;
}

} // namespace

TFormWDX::TFormWDX(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormWDX"), QStringLiteral("无定向导线"), Layout())
{
}

void TFormWDX::compute()
{
    adjust();
}

} // namespace quorvil
