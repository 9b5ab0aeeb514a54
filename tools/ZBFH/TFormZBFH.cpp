#include "TFormZBFH.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        CoordinateTraverseLayout(QStringLiteral("坐标测量附(闭)合导线计算表"), 5, AdjustmentKind::CoordinateConnecting);
    return layout;
}

} // namespace

TFormZBFH::TFormZBFH(QWidget *owner)
    : CoordinateTraverseWindow(owner, QStringLiteral("TFormZBFH"), QStringLiteral("坐标附合导线"), Layout())
{
}

void TFormZBFH::compute()
{
    adjust();
}

} // namespace quorvil
