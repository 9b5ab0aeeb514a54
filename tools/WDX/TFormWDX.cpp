#include "TFormWDX.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout = AngleTraverseLayout(QStringLiteral("边角测量无定向导线计算表"), 3, 3,
                                                      TraverseSummaryKind::Coordinates);
    layout.file = AdjustmentMapOf(AdjustmentKind::NoOrientation);
    return layout;
}

} // namespace

TFormWDX::TFormWDX(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormWDX"), QStringLiteral("无定向导线"), Layout())
{
}

void TFormWDX::compute()
{
    adjust(AdjustmentKind::NoOrientation);
}

} // namespace quorvil
