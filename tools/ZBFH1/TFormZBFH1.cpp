#include "TFormZBFH1.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        CoordinateTraverseLayout(QStringLiteral("坐标测量单边附合导线计算表"), 4, AdjustmentKind::CoordinateSingleSide);
    return layout;
}

} // namespace

TFormZBFH1::TFormZBFH1(QWidget *owner)
    : CoordinateTraverseWindow(owner, QStringLiteral("TFormZBFH1"), QStringLiteral("坐标测量单边附合导线"), Layout())
{
}

void TFormZBFH1::compute()
{
    adjust();
}

} // namespace quorvil
