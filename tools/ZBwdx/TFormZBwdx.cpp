#include "TFormZBwdx.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        CoordinateTraverseLayout(QStringLiteral("坐标测量无定向导线计算表"), 4, AdjustmentKind::CoordinateNoOrientation);
    return layout;
}

} // namespace

TFormZBwdx::TFormZBwdx(QWidget *owner)
    : CoordinateTraverseWindow(owner, QStringLiteral("TFormZBwdx"), QStringLiteral("坐标测量无定向导线"), Layout())
{
}

void TFormZBwdx::compute()
{
    adjust();
}

} // namespace quorvil
