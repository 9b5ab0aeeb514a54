#include "TFormDBFH.h"

#include "core/FpGuard.h"
#include "ui/Fields.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout = AngleTraverseLayout(QStringLiteral("边角测量单边附合导线计算表"), 4, 4,
                                                      TraverseSummaryKind::Coordinates);
    // n new points; A, B, C; the stations B … Pn with their angles and distances.
    layout.file.layout = {3, 3, 1, 3};
    layout.file.rowsBeyondCount = 3;
    layout.file.pointRows = {0, 1, -1};
    layout.file.firstObservationRow = 1;
    layout.file.tooFewText = QString::fromUtf8(SingleSideTooFewText);
    layout.report = ReportKind::SingleSide;
    return layout;
}

} // namespace

TFormDBFH::TFormDBFH(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormDBFH"), QStringLiteral("单边附合导线"), Layout())
{
}

void TFormDBFH::compute()
{
    const PointTableModel *t = table();
    const int rows = t->rows();
    if (rows < 3)
        throw Error(SingleSideTooFewText);
    const int n = rows - 2; // observed angles and legs, at B … Pn (model rows 1 … n)

    SingleSideTraverseInput input;
    input.a = cellPoint(0);
    input.b = cellPoint(1);
    input.c = cellPoint(rows - 1);
    input.observations.reserve(static_cast<size_t>(n));
    for (int row = 1; row <= n; ++row)
        input.observations.push_back({CellNumber(t, row, 1), CellNumber(t, row, 2)});

    FpGuard guard;
    closeTraverse(guard, CarrySingleSideTraverse(input), 2);
}

} // namespace quorvil
