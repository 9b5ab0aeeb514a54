// The power-line plan and profile table: chainage along the route's main line and the layout
// of the plan-and-profile sheets.
//
// Chainage (MainLineChainage): the route is cut into straight main-line legs at its angle points
// (rows whose remark begins with "ZJ") and at its last point. Within a leg every point keeps its
// share of the straight leg length, in proportion to its point-to-point distance and rounded to
// the millimetre (halves to even); the chainage runs on along the straight legs. The point-to-
// point distance is taken as it reads back from its 15-digit text, as the table has always done.
//
// Sheets (PlanProfileSheets): 15 rows a page, pages 200 drawing units apart; each page is the
// sheet drawing as a block, the page number, the table texts, the profile strip (elevations
// across x, chainage along y) and the plan strip (the route with the feature-angle ticks). The
// whole set is computed, and every number checked, before anything is drawn.
//
// Deliberate departures from the old program: a leg of zero length (repeated points) gets
// spacings of 0 instead of a 0/0 fault; a page whose elevations are all equal is drawn as a flat
// profile at the strip's centre, and a page whose chainage span is zero (one row, or equal
// chainages) with its rows one unit apart, without dividing by zero; a feature angle of 0° or
// 180° is drawn as a tick along the strip instead of an endless one; a blank or non-numeric
// chainage, spacing or elevation ends the drawing before the first entity.
#pragma once

#include "Real.h"

#include <array>
#include <string>
#include <vector>

namespace quorvil {

// ---- Chainage ------------------------------------------------------------------------------

struct RouteStation {
    Real x = 0;              // north coordinate
    Real y = 0;              // east coordinate
    bool anglePoint = false; // remark begins with "ZJ": the point closes a main-line leg
};

// The texts of the "累距" (chainage) and "间距" (spacing) columns, one per station.
struct ChainageTexts {
    std::vector<std::string> chainage;
    std::vector<std::string> spacing;
};

// True when a remark marks a main-line (angle) point.
bool IsAnglePointRemark(std::string_view remark);

// Chainage and spacing of every station along the main line. Does not swallow floating-point
// faults: callers check with an FpGuard.
ChainageTexts MainLineChainage(const std::vector<RouteStation> &stations);

// ---- Sheets ---------------------------------------------------------------------------------

// Rows of the table a sheet shows: the point name and the texts of the columns "累距" to "备注".
struct SheetRow {
    std::string name;
    std::array<std::string, 10> columns; // 累距, 间距, 高程, 地面情况, 地上情况, 地物转角, 路线转角, 横断左, 横断右, 备注
};
enum SheetColumn { SheetChainage = 0, SheetSpacing = 1, SheetElevation = 2, SheetFeatureAngle = 5 };

// Layout of a sheet in drawing units: what the sheet drawing and the drawing code agree on.
namespace SheetLayout {
inline constexpr int RowsPerPage = 15;
inline constexpr double PageStep = 200;          // pages stand this far apart in y
inline constexpr double TableTop = 143;          // baseline of the first table row
inline constexpr double TableRowStep = 10;
inline constexpr double NameX = 3;
inline constexpr std::array<double, 10> ColumnX = {18, 41, 64, 84, 109, 134, 149, 169, 184, 199};
inline constexpr double TableTextHeight = 3;
inline constexpr double PageNumberX = 240, PageNumberY = 165;
inline constexpr double ProfileCentre = 226;     // x of the profile strip's centre line
inline constexpr double ProfileWidth = 24;       // the elevation range fills this much of the strip
inline constexpr double StripStart = 5;          // first row's y above the page's origin
inline constexpr double StripLength = 150;       // a full page's profile ends here (exit line)
inline constexpr double PlanCentre = 256;        // x of the plan strip's route line
inline constexpr double PlanHalfWidth = 12;      // feature ticks run from 244 to 268
inline constexpr double MarkRadius = 0.2;
inline constexpr double MarkTextHeight = 2;
inline constexpr double MarkTextOffset = 0.5;
inline constexpr double ExitRun = 5;             // entry and exit elevations are taken this far beyond the page
inline constexpr double NarrowSpacing = 9;       // spacings below this are widened
inline constexpr double TinySpacing = 0.5;       // ... and below this drawn as MinimumSpacing
inline constexpr double MinimumSpacing = 2;
} // namespace SheetLayout

// One entity of the sheet set, in the order it is drawn.
struct SheetEntity {
    enum Kind { Block, Text, Line, Circle, Polyline } kind = Text;
    int page = 0;
    std::vector<double> xy; // insertion point, centre, or start and end / vertices x0, y0, x1, y1
    std::string text;       // text of a Text entity
    double size = 0;        // text height or circle radius
    bool redraw = false;    // updated at once after it is added (lines and ticks)
};

// The entities of every page for `rows`, with the largest vertical exaggeration `ratio` (1 to 50).
// Throws ConversionError for a blank or non-numeric chainage, spacing or elevation, or a
// non-numeric feature angle, before anything is returned. Callers check faults with an FpGuard.
std::vector<SheetEntity> PlanProfileSheets(const std::vector<SheetRow> &rows, int ratio);

// The number of pages for n rows.
inline int SheetPageCount(std::size_t rows)
{
    return static_cast<int>((rows + SheetLayout::RowsPerPage - 1) / SheetLayout::RowsPerPage);
}

} // namespace quorvil
