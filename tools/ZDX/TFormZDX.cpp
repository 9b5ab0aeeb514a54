#include "TFormZDX.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        AngleTraverseLayout(QStringLiteral("支导线计算表"), 3, 5, TraverseSummaryKind::None);
    layout.report = ReportKind::Open;
    layout.file = AdjustmentMapOf(layout.report);
    return layout;
}

} // namespace

TFormZDX::TFormZDX(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormZDX"), QStringLiteral("支导线"), Layout())
{
}

void TFormZDX::compute()
{
    adjust();
}

} // namespace quorvil
