#include "TFormBJFH.h"

#include "core/TraverseSummary.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout = AngleTraverseLayout(QStringLiteral("边角测量附(闭)合导线计算表"), 5, 5,
                                                      TraverseSummaryKind::AnglesAndCoordinates);
    layout.report = ReportKind::Connecting;
    layout.file = AdjustmentMapOf(layout.report);
    return layout;
}

} // namespace

TFormBJFH::TFormBJFH(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormBJFH"), QStringLiteral("边角附合导线"), Layout())
{
}

void TFormBJFH::compute()
{
    adjust();
}

} // namespace quorvil
