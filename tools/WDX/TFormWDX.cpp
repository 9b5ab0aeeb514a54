#include "TFormWDX.h"

#include "core/FpGuard.h"
#include "ui/Fields.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout = AngleTraverseLayout(QStringLiteral("边角测量无定向导线计算表"), 3, 3,
                                                      TraverseSummaryKind::Coordinates);
    // n new points; B, C; the stations B … Pn with their angles and distances.
    layout.file.layout = {2, 3, 1, 3};
    layout.file.rowsBeyondCount = 2;
    layout.file.pointRows = {0, -1};
    layout.file.firstObservationRow = 0;
    layout.file.tooFewText = QString::fromUtf8(NoOrientationTooFewText);
    layout.report = ReportKind::NoOrientation;
    return layout;
}

} // namespace

TFormWDX::TFormWDX(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormWDX"), QStringLiteral("无定向导线"), Layout())
{
}

void TFormWDX::compute()
{
    const PointTableModel *t = table();
    const int rows = t->rows();
    if (rows < 2)
        throw Error(NoOrientationTooFewText);
    const int legs = rows - 1; // from B (model row 0) … Pn (model row rows − 2) to C

    NoOrientationTraverseInput input;
    input.b = cellPoint(0);
    input.c = cellPoint(rows - 1);
    input.observations.reserve(static_cast<size_t>(legs));
    for (int row = 0; row < legs; ++row)
        input.observations.push_back({CellNumber(t, row, 1), CellNumber(t, row, 2)});

    FpGuard guard;
    closeTraverse(guard, CarryNoOrientationTraverse(input), 1);
}

} // namespace quorvil
