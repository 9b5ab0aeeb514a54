#include "TFormZDX.h"

#include "core/FpGuard.h"
#include "ui/Fields.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout =
        AngleTraverseLayout(QStringLiteral("支导线计算表"), 3, 5, TraverseSummaryKind::None);
    // n new points; A, B; the stations B … Pn (the last new point's line included).
    layout.file.layout = {2, 3, 1, 3};
    layout.file.rowsBeyondCount = 2;
    layout.file.pointRows = {0, 1};
    layout.file.firstObservationRow = 1;
    layout.file.minimumCount = 1; // as for "计算": A, B and at least one new point
    layout.file.tooFewText = QString::fromUtf8(OpenTooFewText);
    layout.report = ReportKind::Open;
    return layout;
}

} // namespace

TFormZDX::TFormZDX(QWidget *owner)
    : AngleTraverseWindow(owner, QStringLiteral("TFormZDX"), QStringLiteral("支导线"), Layout())
{
}

void TFormZDX::compute()
{
    const PointTableModel *t = table();
    const int rows = t->rows();
    if (rows < 3)
        throw Error(OpenTooFewText);

    // Leg by leg: each new point is written as soon as it is known, so a bad cell further down
    // leaves the points before it computed.
    FpGuard guard;
    m_last = StartOpenTraverse(cellPoint(0), cellPoint(1));
    for (int row = 1; row + 1 < rows; ++row) {
        ExtendOpenTraverse(m_last, {CellNumber(t, row, 1), CellNumber(t, row, 2)});
        guard.check(m_last.stations.back());
        setCellPoint(row + 1, m_last.stations.back());
    }
}

} // namespace quorvil
