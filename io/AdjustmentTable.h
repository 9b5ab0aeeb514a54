// The tables of the eight adjustment tools, as text: where the lines of a data file go in the
// table, and the adjustment of a table in place (the new coordinates or heights written into its
// cells with the decimals the windows show, the summary texts of its labels). The windows and the
// command line both work through these, so their tables read alike.
#pragma once

#include "AdjustmentFile.h"
#include "AdjustmentReport.h"

#include "core/CoordinateTraverse.h"
#include "core/Levelling.h"
#include "core/Limits.h"
#include "core/RigorousTraverse.h"
#include "core/Traverse.h"

#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

namespace quorvil {

// The eight adjustment tools, as their reports name them.
using AdjustmentKind = ReportKind;

// Where the lines of a data file sit in the table. Model rows (data row r is model row r − 1);
// a negative row counts from the end of the table (−1 is the last row).
struct AdjustmentFileMap {
    AdjustmentFileLayout layout;   // counts and fields of the lines
    int rowsBeyondCount = 2;       // the table has n + rowsBeyondCount data rows
    QList<int> pointRows;          // model row of each known-point line
    QList<int> pointColumns;       // columns its fields fill: {0, 3, 4} or {0, 4}
    int firstObservationRow = 1;   // model row of the first observation line
    QList<int> observationColumns = {0, 1, 2};
    int minimumCount = 0;          // fewest new points of a table worth writing
    QString tooFewText;            // the message for a table too short to be written
};

AdjustmentFileMap AdjustmentMapOf(AdjustmentKind kind);
// Columns of the tool's table: 5, or 7 for the coordinate traverses.
int AdjustmentColumnsOf(AdjustmentKind kind);

// A table of text cells, row by row.
struct TextTable {
    int rows = 0;
    int columns = 0;
    std::vector<QString> cells;

    QString &at(int row, int column) { return cells[static_cast<size_t>(row) * columns + column]; }
    const QString &at(int row, int column) const { return cells[static_cast<size_t>(row) * columns + column]; }
};

// The table a data file fills: n + rowsBeyondCount rows; the observation lines come last, so the
// names of stations that are also known points are read twice and the observation line's stands.
TextTable AdjustmentTableOf(const AdjustmentData &data, const AdjustmentFileMap &map, int columns);

// What a rigorous adjustment adds to the working values, row by row of the table.
struct RigorousWorking {
    bool done = false;              // the last adjustment was rigorous
    std::vector<Real> pointErrors;  // σp per table row, metres (0 at known points)
    std::vector<Real> angleResiduals; // residual of the angle observed at each row, radians
    network::Summary summary;
    std::string text;               // the summary line (RigorousSummaryText)
};

// The working values of an adjustment, which the reports read. After a rigorous adjustment the
// bearings, increments and corrections are those of the least-squares solution, the closures
// those of the observations as carried.
struct AdjustmentWorking {
    TraverseResult traverse;               // angle-and-distance traverses
    LevellingResult levelling;             // levelling route
    CoordinateTraverseResult coordinates;  // coordinate traverses
    RigorousWorking rigorous;
};

// The choice of a rigorous adjustment: the a priori errors, and what a levelling route's weights
// count.
struct RigorousOptions {
    AprioriErrors errors;
    LevellingWeights weights = LevellingWeights::Kilometres;
};

// Points the report at the working values its kind reads: the traverse, the levelling route or
// the coordinate traverse.
void AttachWorking(AdjustmentReportData &data, const AdjustmentWorking &working);

// Summary labels by object name ("LabFB", "LabFx", ...) and their texts, in the window's order.
using AdjustmentSummary = std::vector<std::pair<QString, std::string>>;

// Adjusts the table in place: reads its cells, writes the computed cells (3 decimals; the
// levelling corrections and heights in their own forms) and appends the summary texts. A bad cell
// or a fault ends the work where it occurs; what was written before stays (a label shown, the
// points of an open traverse computed so far), as in the window. Throws Error.
//
// With `rigorous`, the approximate adjustment runs first (its closures stay in the summary and
// judge the limits); then the table is adjusted as a network: the new coordinates (heights) are
// those of the least-squares solution, a table with one column more than AdjustmentColumnsOf gets
// the point errors in it (mm, one decimal), and the summary gains "LabRigorous".
void AdjustTable(AdjustmentKind kind, TextTable &table, AdjustmentSummary &summary, AdjustmentWorking &working,
                 const RigorousOptions *rigorous = nullptr);

// Whether the tool has closures to judge: all but the open traverse.
bool HasClosures(AdjustmentKind kind);

// The verdicts on the closures of the tool's last adjustment (its working values) for the grade as
// typed in the header: fβ and K of the connecting traverse, K of the other traverses, fh of the
// levelling route; none for the open traverse.
std::vector<ClosureVerdict> JudgeAdjustment(AdjustmentKind kind, const AdjustmentWorking &working, const QString &grade,
                                            const LimitOptions &options);

} // namespace quorvil
