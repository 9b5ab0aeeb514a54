#include "TFormZBFH1.h"

#include "core/FpGuard.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        CoordinateTraverseLayout(QStringLiteral("坐标测量单边附合导线计算表"), 4, false);
    // m new points; A, B, C known; P1 … Pm, C measured (the name of C read twice).
    layout.file.layout.pointLines = 3;
    layout.file.layout.observationExtra = 1;
    layout.file.rowsBeyondCount = 3;
    layout.file.pointRows = {0, 1, -1};
    layout.file.firstObservationRow = 2;
    layout.file.tooFewText = QString::fromUtf8(CoordinateSingleSideTooFewText);
    layout.report = ReportKind::CoordinateSingleSide;
    return layout;
}

} // namespace

TFormZBFH1::TFormZBFH1(QWidget *owner)
    : CoordinateTraverseWindow(owner, QStringLiteral("TFormZBFH1"), QStringLiteral("坐标测量单边附合导线"), false,
                               Layout())
{
}

void TFormZBFH1::compute()
{
    requireRows(3, CoordinateSingleSideTooFewText);
    const int rows = table()->rows(); // A, B, P1 … Pm, C
    FpGuard guard;
    CoordinateSingleSideInput input;
    input.a = knownPoint(0);
    input.b = knownPoint(1);
    input.c = knownPoint(rows - 1);
    input.measured.reserve(static_cast<size_t>(rows - 2));
    for (int row = 2; row < rows; ++row)
        input.measured.push_back(measuredPoint(row));
    showResult(guard, AdjustCoordinateSingleSide(input), 2, static_cast<size_t>(rows - 3));
}

} // namespace quorvil
