#include "TFormZDX.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        AngleTraverseLayout(QStringLiteral("支导线计算表"), 3, 5, TraverseSummaryKind::None);
    layout.file = AdjustmentMapOf(AdjustmentKind::Open);
    return layout;
}

} // namespace

TFormZDX::TFormZDX(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormZDX"), QStringLiteral("支导线"), Layout())
{
}

void TFormZDX::compute()
{
    adjust(AdjustmentKind::Open);
}

} // namespace quorvil
