#include "TFormZBFH.h"

#include "core/FpGuard.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        CoordinateTraverseLayout(QStringLiteral("坐标测量附(闭)合导线计算表"), 5, true);
    // m new points; A, B, C, D known; P1 … Pm, C, D measured (the names of C and D read twice).
    layout.file.layout.pointLines = 4;
    layout.file.layout.observationExtra = 2;
    layout.file.rowsBeyondCount = 4;
    layout.file.pointRows = {0, 1, -2, -1};
    layout.file.firstObservationRow = 2;
    layout.file.tooFewText = QString::fromUtf8(CoordinateConnectingTooFewText);
    layout.report = ReportKind::CoordinateConnecting;
    return layout;
}

} // namespace

TFormZBFH::TFormZBFH(QWidget *owner)
    : CoordinateTraverseWindow(owner, QStringLiteral("TFormZBFH"), QStringLiteral("坐标附合导线"), true, Layout())
{
}

void TFormZBFH::compute()
{
    requireRows(4, CoordinateConnectingTooFewText);
    const int rows = table()->rows(); // A, B, P1 … Pm, C, D
    FpGuard guard;
    CoordinateConnectingInput input;
    input.a = knownPoint(0);
    input.b = knownPoint(1);
    input.c = knownPoint(rows - 2);
    input.d = knownPoint(rows - 1);
    input.measured.reserve(static_cast<size_t>(rows - 2));
    for (int row = 2; row < rows; ++row)
        input.measured.push_back(measuredPoint(row));
    showResult(guard, AdjustCoordinateConnecting(input), 2, static_cast<size_t>(rows - 4));
}

} // namespace quorvil
