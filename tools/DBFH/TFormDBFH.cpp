#include "TFormDBFH.h"

#include "core/FpGuard.h"
#include "core/TraverseSummary.h"
#include "ui/Fields.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout;
    layout.groupCaption = QStringLiteral("边角测量单边附合导线计算表");
    layout.columns = AngleTraverseColumns();
    layout.columnWidths = AngleTraverseColumnWidths();
    layout.startRows = 4;
    layout.clearRows = 4;
    layout.summaryLabels = TraverseSummaryLabels(false);
    // n new points; A, B, C; the stations B … Pn with their angles and distances.
    layout.file.layout = {3, 3, 1, 3};
    layout.file.rowsBeyondCount = 3;
    layout.file.pointRows = {0, 1, -1};
    layout.file.pointColumns = {0, 3, 4};
    layout.file.firstObservationRow = 1;
    layout.file.tooFewText = QString::fromUtf8(SingleSideTooFewText);
    return layout;
}

} // namespace

TFormDBFH::TFormDBFH(QWidget *owner) : TraverseWindow(owner, QStringLiteral("TFormDBFH"), QStringLiteral("单边附合导线"), Layout()) {}

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
    const TraverseResult carried = CarrySingleSideTraverse(input);
    guard.check(carried.fx, carried.fy, carried.fs);
    setSummary("LabFx", FxText(carried.fx));
    setSummary("LabFy", FyText(carried.fy));
    setSummary("LabFs", FsText(carried.fs));
    const std::string k = KText(carried.totalLength, carried.fs);
    guard.check(carried.totalLength);
    setSummary("LabK", k);

    const TraverseResult adjusted = DistributeMisclosure(carried);
    guard.check(adjusted.stations, adjusted.legs);
    m_last = adjusted;
    setCellPoints(2, adjusted.NewPoints());
}

} // namespace quorvil
