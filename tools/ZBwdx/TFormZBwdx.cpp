#include "TFormZBwdx.h"

#include "core/FpGuard.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        CoordinateTraverseLayout(QStringLiteral("坐标测量无定向导线计算表"), 4, false);
    // m new points; B, C known; B, P1 … Pm, C measured (the names of B and C read twice).
    layout.file.layout.pointLines = 2;
    layout.file.layout.observationExtra = 2;
    layout.file.rowsBeyondCount = 2;
    layout.file.pointRows = {0, -1};
    layout.file.firstObservationRow = 0;
    layout.file.tooFewText = QString::fromUtf8(CoordinateNoOrientationTooFewText);
    layout.report = ReportKind::CoordinateNoOrientation;
    return layout;
}

} // namespace

TFormZBwdx::TFormZBwdx(QWidget *owner)
    : CoordinateTraverseWindow(owner, QStringLiteral("TFormZBwdx"), QStringLiteral("坐标测量无定向导线"), false,
                               Layout())
{
}

void TFormZBwdx::compute()
{
    requireRows(2, CoordinateNoOrientationTooFewText);
    const int rows = table()->rows(); // B, P1 … Pm, C
    FpGuard guard;
    CoordinateNoOrientationInput input;
    input.b = knownPoint(0);
    input.c = knownPoint(rows - 1);
    input.measured.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row)
        input.measured.push_back(measuredPoint(row));
    // The new points and C: the known cells of C are rewritten with its adjusted coordinates.
    showResult(guard, AdjustCoordinateNoOrientation(input), 1, static_cast<size_t>(rows - 1));
}

} // namespace quorvil
