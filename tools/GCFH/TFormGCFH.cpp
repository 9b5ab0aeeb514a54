#include "TFormGCFH.h"

#include "core/FpGuard.h"
#include "core/TraverseSummary.h"
#include "ui/Fields.h"
#include "ui/PointTableModel.h"

namespace quorvil {

namespace {

TraverseWindowLayout Layout()
{
    TraverseWindowLayout layout;
    layout.groupCaption = QStringLiteral("附/闭合高程路线计算表");
    layout.columns = {QStringLiteral("点名"), QStringLiteral("距离(或测站数)"), QStringLiteral("观测高差(m)"),
                      QStringLiteral("高差改正数(mm)"), QStringLiteral("高程(m)")};
    layout.columnWidths = {69, 128, 128, 128, 128};
    layout.startRows = 3;
    layout.clearRows = 3;
    layout.summaryLabels = {{"LabFh", FhCaption}, {"LabL", RouteLengthCaption}};
    layout.summarySpacing = 60;
    // n new points; the two benchmarks (name, height); the sections from the start.
    layout.file.layout = {2, 2, 1, 3};
    layout.file.rowsBeyondCount = 2;
    layout.file.pointRows = {0, -1};
    layout.file.pointColumns = {0, 4};
    layout.file.firstObservationRow = 0;
    layout.file.tooFewText = QString::fromUtf8(LevellingTooFewText);
    layout.report = ReportKind::Levelling;
    return layout;
}

} // namespace

TFormGCFH::TFormGCFH(QWidget *owner)
    : TraverseWindow(owner, QStringLiteral("TFormGCFH"), QStringLiteral("附/闭合高程路线"), Layout())
{
}

void TFormGCFH::compute()
{
    const PointTableModel *t = table();
    const int rows = t->rows();
    if (rows < 2)
        throw Error(LevellingTooFewText);

    // Every cell is read before anything is shown or written.
    LevellingRouteInput input;
    input.startHeight = CellNumber(t, 0, 4);
    input.endHeight = CellNumber(t, rows - 1, 4);
    input.sections.reserve(static_cast<size_t>(rows - 1));
    for (int row = 0; row + 1 < rows; ++row)
        input.sections.push_back({CellNumber(t, row, 1), CellNumber(t, row, 2)});

    FpGuard guard;
    const LevellingResult carried = CarryLevellingRoute(input);
    guard.check(carried.misclosure, carried.totalWeight);
    setSummary("LabFh", FhText(carried.misclosure));
    setSummary("LabL", RouteLengthText(carried.totalWeight));

    const LevellingResult adjusted = DistributeLevellingMisclosure(carried);
    guard.check(adjusted.corrections, adjusted.corrected, adjusted.heights);
    m_last = adjusted;
    for (int row = 0; row + 1 < rows; ++row)
        setCell(row, 3, QString::fromStdString(LevellingCorrectionText(adjusted.corrections[static_cast<size_t>(row)])));
    // The closing benchmark keeps its known height.
    for (int row = 1; row + 1 < rows; ++row)
        setCell(row, 4, QString::fromStdString(LevellingHeightText(adjusted.heights[static_cast<size_t>(row)])));
}

} // namespace quorvil
