#include "TFormDBFH.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout = AngleTraverseLayout(QStringLiteral("边角测量单边附合导线计算表"), 4, 4,
                                                      TraverseSummaryKind::Coordinates);
    layout.report = ReportKind::SingleSide;
    layout.file = AdjustmentMapOf(layout.report);
    return layout;
}

} // namespace

TFormDBFH::TFormDBFH(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormDBFH"), QStringLiteral("单边附合导线"), Layout())
{
}

void TFormDBFH::compute()
{
    adjust();
}

} // namespace quorvil
