#include "AdjustmentTable.h"

#include "core/FpGuard.h"
#include "core/Error.h"
#include "core/TextForms.h"
#include "core/TraverseSummary.h"

#include <cmath>

namespace quorvil {

namespace {

constexpr int CoordinateDecimals = 3;
// Columns of the coordinate traverses: measured X, Y, H and known (or adjusted) X, Y, H.
constexpr int MeasuredColumn = 1;
constexpr int KnownColumn = 4;

AdjustmentFileMap AngleTraverseMap(AdjustmentFileLayout layout, int beyond, QList<int> pointRows, int firstObservation,
                                   const char *tooFew)
{
    AdjustmentFileMap map;
    map.layout = layout;
    map.rowsBeyondCount = beyond;
    map.pointRows = pointRows;
    map.pointColumns = {0, 3, 4};
    map.firstObservationRow = firstObservation;
    map.tooFewText = QString::fromUtf8(tooFew);
    return map;
}

AdjustmentFileMap CoordinateTraverseMap(int pointLines, int extra, QList<int> pointRows, int firstObservation,
                                        const char *tooFew)
{
    AdjustmentFileMap map;
    // Known points: name, known X, Y, H; observations: name, measured X, Y, H.
    map.layout = {pointLines, 4, extra, 4};
    map.rowsBeyondCount = pointLines;
    map.pointRows = pointRows;
    map.pointColumns = {0, KnownColumn, KnownColumn + 1, KnownColumn + 2};
    map.firstObservationRow = firstObservation;
    map.observationColumns = {0, MeasuredColumn, MeasuredColumn + 1, MeasuredColumn + 2};
    map.tooFewText = QString::fromUtf8(tooFew);
    return map;
}

Real Number(const TextTable &t, int row, int column) { return TextToNumber(t.at(row, column).toStdString()); }

PlanePoint Point(const TextTable &t, int row) { return {Number(t, row, 3), Number(t, row, 4)}; }

CoordinatePoint Coordinates(const TextTable &t, int row, int firstColumn)
{
    return {Number(t, row, firstColumn), Number(t, row, firstColumn + 1), Number(t, row, firstColumn + 2)};
}

QString Text(int decimals, Real value) { return QString::fromStdString(NumberToText(decimals, value)); }

void WritePoint(TextTable &t, int row, const PlanePoint &p)
{
    t.at(row, 3) = Text(CoordinateDecimals, p.x);
    t.at(row, 4) = Text(CoordinateDecimals, p.y);
}

void Require(const TextTable &t, int rows, const char *tooFew)
{
    if (t.rows < rows)
        throw Error(tooFew);
}

// The end of every closing angle traverse: Fx, Fy, Fs and K of the carried traverse, then the
// distribution of its coordinate misclosure and the new points from `firstNewRow`.
void CloseTraverse(const FpGuard &guard, const TraverseResult &carried, int firstNewRow, TextTable &t,
                   AdjustmentSummary &summary, AdjustmentWorking &working)
{
    guard.check(carried.fx, carried.fy, carried.fs);
    summary.emplace_back(QStringLiteral("LabFx"), FxText(carried.fx));
    summary.emplace_back(QStringLiteral("LabFy"), FyText(carried.fy));
    summary.emplace_back(QStringLiteral("LabFs"), FsText(carried.fs));
    const std::string k = KText(carried.totalLength, carried.fs);
    guard.check(carried.totalLength);
    summary.emplace_back(QStringLiteral("LabK"), k);

    // Misclosure over legs of no length is an invalid operation: the summary stays, nothing more.
    TraverseResult adjusted = DistributeMisclosure(carried);
    guard.check(adjusted.stations, adjusted.legs);
    working.traverse = std::move(adjusted);
    const std::vector<PlanePoint> points = working.traverse.NewPoints();
    for (size_t i = 0; i < points.size(); ++i)
        WritePoint(t, firstNewRow + static_cast<int>(i), points[i]);
}

void ShowCoordinateResult(const FpGuard &guard, const CoordinateTraverseResult &r, bool withBearing, int firstRow,
                          size_t count, TextTable &t, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    guard.check(r.fb, r.vb, r.fx, r.fy, r.fs, r.fh, r.totalLength);
    const std::vector<std::string> texts = CoordinateTraverseSummary(r, withBearing);
    QStringList names;
    if (withBearing)
        names << QStringLiteral("LabFB") << QStringLiteral("LabVB");
    names << QStringLiteral("LabFx") << QStringLiteral("LabFy") << QStringLiteral("LabFs") << QStringLiteral("LabK")
          << QStringLiteral("LabFh") << QStringLiteral("LabES");
    for (qsizetype i = 0; i < names.size(); ++i)
        summary.emplace_back(names[i], texts[static_cast<size_t>(i)]);

    for (const CoordinateLeg &leg : r.legs)
        guard.check(leg);
    for (const CoordinatePoint &p : r.adjusted)
        guard.check(p);
    working.coordinates = r;
    for (size_t i = 0; i < count; ++i) {
        const CoordinatePoint &p = r.adjusted[i];
        const int row = firstRow + static_cast<int>(i);
        t.at(row, KnownColumn) = Text(CoordinateDecimals, p.x);
        t.at(row, KnownColumn + 1) = Text(CoordinateDecimals, p.y);
        t.at(row, KnownColumn + 2) = Text(CoordinateDecimals, p.h);
    }
}

void Connecting(TextTable &t, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    Require(t, 4, ConnectingTooFewText);
    const int n = t.rows - 2; // observed angles, at B … C (model rows 1 … n)
    ConnectingTraverseInput input;
    input.a = Point(t, 0);
    input.b = Point(t, 1);
    input.c = Point(t, n);
    input.d = Point(t, n + 1);
    input.observations.reserve(static_cast<size_t>(n));
    for (int row = 1; row <= n; ++row) // the distance at C is not a leg of the traverse
        input.observations.push_back({Number(t, row, 1), row < n ? Number(t, row, 2) : 0});

    FpGuard guard;
    const TraverseResult carried = CarryConnectingTraverse(input);
    guard.check(carried.angleMisclosure, carried.angleCorrection);
    summary.emplace_back(QStringLiteral("LabFB"), FBText(carried.angleMisclosure));
    summary.emplace_back(QStringLiteral("LabVB"), VBText(carried.angleCorrection));
    CloseTraverse(guard, carried, 2, t, summary, working);
}

void SingleSide(TextTable &t, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    Require(t, 3, SingleSideTooFewText);
    const int n = t.rows - 2; // observed angles and legs, at B … Pn (model rows 1 … n)
    SingleSideTraverseInput input;
    input.a = Point(t, 0);
    input.b = Point(t, 1);
    input.c = Point(t, t.rows - 1);
    input.observations.reserve(static_cast<size_t>(n));
    for (int row = 1; row <= n; ++row)
        input.observations.push_back({Number(t, row, 1), Number(t, row, 2)});
    FpGuard guard;
    CloseTraverse(guard, CarrySingleSideTraverse(input), 2, t, summary, working);
}

void NoOrientation(TextTable &t, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    Require(t, 2, NoOrientationTooFewText);
    const int legs = t.rows - 1; // from B (model row 0) … Pn (model row rows − 2) to C
    NoOrientationTraverseInput input;
    input.b = Point(t, 0);
    input.c = Point(t, t.rows - 1);
    input.observations.reserve(static_cast<size_t>(legs));
    for (int row = 0; row < legs; ++row)
        input.observations.push_back({Number(t, row, 1), Number(t, row, 2)});
    FpGuard guard;
    CloseTraverse(guard, CarryNoOrientationTraverse(input), 1, t, summary, working);
}

void Open(TextTable &t, AdjustmentWorking &working)
{
    Require(t, 3, OpenTooFewText);
    // Leg by leg: each new point is written as soon as it is known, so a bad cell further down
    // leaves the points before it computed.
    FpGuard guard;
    working.traverse = StartOpenTraverse(Point(t, 0), Point(t, 1));
    for (int row = 1; row + 1 < t.rows; ++row) {
        ExtendOpenTraverse(working.traverse, {Number(t, row, 1), Number(t, row, 2)});
        guard.check(working.traverse.stations.back());
        WritePoint(t, row + 1, working.traverse.stations.back());
    }
}

void Levelling(TextTable &t, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    Require(t, 2, LevellingTooFewText);
    const int rows = t.rows;
    // Every cell is read before anything is shown or written.
    LevellingRouteInput input;
    input.startHeight = Number(t, 0, 4);
    input.endHeight = Number(t, rows - 1, 4);
    input.sections.reserve(static_cast<size_t>(rows - 1));
    for (int row = 0; row + 1 < rows; ++row)
        input.sections.push_back({Number(t, row, 1), Number(t, row, 2)});

    FpGuard guard;
    const LevellingResult carried = CarryLevellingRoute(input);
    guard.check(carried.misclosure, carried.totalWeight);
    summary.emplace_back(QStringLiteral("LabFh"), FhText(carried.misclosure));
    summary.emplace_back(QStringLiteral("LabL"), RouteLengthText(carried.totalWeight));

    const LevellingResult adjusted = DistributeLevellingMisclosure(carried);
    guard.check(adjusted.corrections, adjusted.corrected, adjusted.heights);
    working.levelling = adjusted;
    for (int row = 0; row + 1 < rows; ++row)
        t.at(row, 3) = QString::fromStdString(LevellingCorrectionText(adjusted.corrections[static_cast<size_t>(row)]));
    // The closing benchmark keeps its known height.
    for (int row = 1; row + 1 < rows; ++row)
        t.at(row, 4) = QString::fromStdString(LevellingHeightText(adjusted.heights[static_cast<size_t>(row)]));
}

void CoordinateConnecting(TextTable &t, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    Require(t, 4, CoordinateConnectingTooFewText);
    const int rows = t.rows; // A, B, P1 … Pm, C, D
    FpGuard guard;
    CoordinateConnectingInput input;
    input.a = Coordinates(t, 0, KnownColumn);
    input.b = Coordinates(t, 1, KnownColumn);
    input.c = Coordinates(t, rows - 2, KnownColumn);
    input.d = Coordinates(t, rows - 1, KnownColumn);
    input.measured.reserve(static_cast<size_t>(rows - 2));
    for (int row = 2; row < rows; ++row)
        input.measured.push_back(Coordinates(t, row, MeasuredColumn));
    ShowCoordinateResult(guard, AdjustCoordinateConnecting(input), true, 2, static_cast<size_t>(rows - 4), t, summary,
                         working);
}

void CoordinateSingleSide(TextTable &t, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    Require(t, 3, CoordinateSingleSideTooFewText);
    const int rows = t.rows; // A, B, P1 … Pm, C
    FpGuard guard;
    CoordinateSingleSideInput input;
    input.a = Coordinates(t, 0, KnownColumn);
    input.b = Coordinates(t, 1, KnownColumn);
    input.c = Coordinates(t, rows - 1, KnownColumn);
    input.measured.reserve(static_cast<size_t>(rows - 2));
    for (int row = 2; row < rows; ++row)
        input.measured.push_back(Coordinates(t, row, MeasuredColumn));
    ShowCoordinateResult(guard, AdjustCoordinateSingleSide(input), false, 2, static_cast<size_t>(rows - 3), t, summary,
                         working);
}

void CoordinateNoOrientation(TextTable &t, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    Require(t, 2, CoordinateNoOrientationTooFewText);
    const int rows = t.rows; // B, P1 … Pm, C
    FpGuard guard;
    CoordinateNoOrientationInput input;
    input.b = Coordinates(t, 0, KnownColumn);
    input.c = Coordinates(t, rows - 1, KnownColumn);
    input.measured.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row)
        input.measured.push_back(Coordinates(t, row, MeasuredColumn));
    // The new points and C: the known cells of C are rewritten with its adjusted coordinates.
    ShowCoordinateResult(guard, AdjustCoordinateNoOrientation(input), false, 1, static_cast<size_t>(rows - 1), t,
                         summary, working);
}

// ---- Rigorous adjustment of a table ----

std::string Name(const TextTable &t, int row) { return t.at(row, 0).trimmed().toStdString(); }

// The summary line and the point errors of a rigorous adjustment, written into the table's extra
// column when it has one.
void FinishRigorous(AdjustmentKind kind, TextTable &t, const network::Summary &s, const std::vector<Real> &errors,
                    int weakest, AdjustmentSummary &summary, AdjustmentWorking &working)
{
    const int column = AdjustmentColumnsOf(kind);
    if (t.columns > column)
        for (int row = 0; row < t.rows; ++row)
            t.at(row, column) = QString::fromStdString(PointErrorText(errors[size_t(row)]));
    working.rigorous.done = true;
    working.rigorous.pointErrors = errors;
    working.rigorous.summary = s;
    working.rigorous.text =
        RigorousSummaryText(s, weakest >= 0 ? Name(t, weakest) : std::string(), weakest >= 0 ? errors[size_t(weakest)] : 0);
    summary.emplace_back(QStringLiteral("LabRigorous"), working.rigorous.text);
}

// The rows of an angle or coordinate traverse as a chain: which rows are known, where angles are
// observed (rows angleFrom … angleTo) and which legs (from rows legFrom … legTo − 1).
struct ChainShape {
    std::vector<int> known;
    int angleFrom, angleTo, legFrom, legTo;
    int firstStation; // the table row of the result's first station (B)
};

ChainShape ShapeOf(AdjustmentKind kind, int rows)
{
    switch (kind) {
    case AdjustmentKind::Connecting:
    case AdjustmentKind::CoordinateConnecting:
        return {{0, 1, rows - 2, rows - 1}, 1, rows - 2, 1, rows - 2, 1};
    case AdjustmentKind::SingleSide:
    case AdjustmentKind::CoordinateSingleSide:
        return {{0, 1, rows - 1}, 1, rows - 2, 1, rows - 1, 1};
    case AdjustmentKind::NoOrientation:
    case AdjustmentKind::CoordinateNoOrientation:
        return {{0, rows - 1}, 1, rows - 2, 0, rows - 1, 0};
    case AdjustmentKind::Open:
    default:
        return {{0, 1}, 1, rows - 2, 1, rows - 1, 1};
    }
}

// Adjusts the chain of a traverse table: `before` is the table as typed (known points, measured
// coordinates), `t` the table after the approximate adjustment (approximate new points).
RigorousTraverse RigorousChain(AdjustmentKind kind, const TextTable &before, const TextTable &t,
                               const ChainShape &shape, const AprioriErrors &errors)
{
    const int rows = t.rows;
    const bool coordinates = AdjustmentColumnsOf(kind) == 7;
    const int xColumn = coordinates ? KnownColumn : 3;
    std::vector<std::string> names;
    std::vector<PlanePoint> points, measured;
    std::vector<bool> known(size_t(rows), false);
    for (int k : shape.known)
        known[size_t(k)] = true;
    for (int row = 0; row < rows; ++row) {
        names.push_back(Name(t, row));
        const TextTable &source = known[size_t(row)] ? before : t;
        points.push_back({Number(source, row, xColumn), Number(source, row, xColumn + 1)});
    }
    if (coordinates) {
        // The measuring frame: the known A and B of the traverses oriented on A, the measured
        // coordinates of every other station.
        for (int row = 0; row < rows; ++row) {
            const bool framed = kind != AdjustmentKind::CoordinateNoOrientation && row < 2;
            measured.push_back(framed ? points[size_t(row)]
                                      : PlanePoint{Number(before, row, MeasuredColumn), Number(before, row, MeasuredColumn + 1)});
        }
        return AdjustTraverseChain(MeasuredChain(names, measured, points, known, size_t(shape.angleFrom),
                                                 size_t(shape.angleTo), size_t(shape.legFrom), size_t(shape.legTo)),
                                   errors);
    }
    std::vector<TraverseChainStation> chain(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        TraverseChainStation &s = chain[size_t(row)];
        s.name = names[size_t(row)];
        s.point = points[size_t(row)];
        s.known = known[size_t(row)];
        if (row >= shape.angleFrom && row <= shape.angleTo)
            s.angle = DegToRad(DmsToDeg(Number(before, row, 1)));
        if (row >= shape.legFrom && row < shape.legTo)
            s.distance = Number(before, row, 2);
    }
    return AdjustTraverseChain(chain, errors);
}

// Legs of the working values from the adjusted stations: the bearing of the adjusted leg, the
// raw increments of the observed (or measured) length on it, and their corrections to the
// adjusted increments.
template <typename Leg>
void RigorousLeg(Leg &leg, Real length, const RigorousTraverse &r, size_t row)
{
    leg.bearing = r.legBearing(row);
    leg.dx = length * std::cos(leg.bearing);
    leg.dy = length * std::sin(leg.bearing);
    leg.vx = r.stations[row + 1].x - r.stations[row].x - leg.dx;
    leg.vy = r.stations[row + 1].y - r.stations[row].y - leg.dy;
}

void RigorousTraverseTable(AdjustmentKind kind, const TextTable &before, TextTable &t, AdjustmentSummary &summary,
                           AdjustmentWorking &working, const AprioriErrors &errors)
{
    const ChainShape shape = ShapeOf(kind, t.rows);
    FpGuard guard;
    const RigorousTraverse r = RigorousChain(kind, before, t, shape, errors);
    guard.check(r.stations, r.pointErrors);
    const bool coordinates = AdjustmentColumnsOf(kind) == 7;
    std::vector<bool> known(size_t(t.rows), false);
    for (int k : shape.known)
        known[size_t(k)] = true;

    RigorousWorking &rw = working.rigorous;
    rw.angleResiduals.assign(size_t(t.rows), 0);
    for (int row = 0; row < t.rows; ++row)
        rw.angleResiduals[size_t(row)] = r.angleResidual(size_t(row));
    const size_t first = size_t(shape.firstStation);
    if (r.result.summary.unknowns == 0) {
        // Nothing was adjusted: the working values of the approximate adjustment stand.
        if (kind == AdjustmentKind::Connecting)
            for (int row = shape.angleFrom; row <= shape.angleTo; ++row)
                rw.angleResiduals[size_t(row)] = working.traverse.angleCorrection;
    } else if (coordinates) {
        CoordinateTraverseResult &c = working.coordinates;
        const size_t increments = kind == AdjustmentKind::CoordinateConnecting ? c.legs.size() - 1 : c.legs.size();
        for (size_t k = 0; k < increments; ++k)
            RigorousLeg(c.legs[k], c.legs[k].length, r, first + k);
        for (size_t i = 0; i < c.adjusted.size(); ++i) {
            c.adjusted[i].x = r.stations[first + 1 + i].x;
            c.adjusted[i].y = r.stations[first + 1 + i].y;
        }
        if (kind == AdjustmentKind::CoordinateConnecting) // C → D: the known bearing
            c.legs.back().bearing = r.legBearing(size_t(t.rows - 2));
    } else {
        TraverseResult &tr = working.traverse;
        for (size_t j = 0; j < tr.legs.size(); ++j) {
            RigorousLeg(tr.legs[j], tr.legs[j].distance, r, first + j);
            tr.stations[j] = r.stations[first + j];
            tr.stations[j + 1] = r.stations[first + j + 1];
        }
        if (kind == AdjustmentKind::Connecting)
            tr.closingBearing = tr.knownClosingBearing;
    }
    guard.check(working.traverse.legs, working.coordinates.legs);
    for (int row = 0; row < t.rows; ++row) {
        if (known[size_t(row)])
            continue;
        const PlanePoint &p = r.stations[size_t(row)];
        const int x = coordinates ? KnownColumn : 3;
        t.at(row, x) = Text(CoordinateDecimals, p.x);
        t.at(row, x + 1) = Text(CoordinateDecimals, p.y);
    }
    FinishRigorous(kind, t, r.result.summary, r.pointErrors, r.weakestStation(), summary, working);
}

void RigorousLevellingTable(const TextTable &before, TextTable &t, AdjustmentSummary &summary,
                            AdjustmentWorking &working, const RigorousOptions &options)
{
    const int rows = t.rows;
    const Real scale = options.weights == LevellingWeights::Metres ? Real(1) / 1000 : 1;
    std::vector<std::string> names;
    std::vector<Real> approximate;
    std::vector<LevellingChainSection> sections;
    for (int row = 0; row < rows; ++row) {
        names.push_back(Name(t, row));
        const bool benchmark = row == 0 || row == rows - 1;
        approximate.push_back(Number(benchmark ? before : t, row, 4));
        if (row + 1 < rows)
            sections.push_back({Number(before, row, 1) * scale, Number(before, row, 2)});
    }
    FpGuard guard;
    const RigorousLevelling r = AdjustLevellingChain(names, approximate, sections, options.errors.levelMm);
    guard.check(r.heights, r.residuals, r.pointErrors);
    LevellingResult &l = working.levelling;
    for (size_t i = 0; i < r.residuals.size(); ++i) {
        l.corrections[i] = r.residuals[i];
        l.corrected[i] = l.sections[i].difference + r.residuals[i];
        t.at(int(i), 3) = QString::fromStdString(LevellingCorrectionText(r.residuals[i]));
    }
    for (int row = 1; row + 1 < rows; ++row) {
        l.heights[size_t(row)] = r.heights[size_t(row)];
        t.at(row, 4) = QString::fromStdString(LevellingHeightText(r.heights[size_t(row)]));
    }
    working.rigorous.angleResiduals.assign(size_t(rows), 0);
    FinishRigorous(AdjustmentKind::Levelling, t, r.result.summary, r.pointErrors, r.weakestPoint(), summary, working);
}

} // namespace

AdjustmentFileMap AdjustmentMapOf(AdjustmentKind kind)
{
    switch (kind) {
    case AdjustmentKind::Connecting:
        // n new points; A, B, C, D; the stations B … C with their angles and distances.
        return AngleTraverseMap({4, 3, 2, 3}, 4, {0, 1, -2, -1}, 1, ConnectingTooFewText);
    case AdjustmentKind::SingleSide:
        // n new points; A, B, C; the stations B … Pn with their angles and distances.
        return AngleTraverseMap({3, 3, 1, 3}, 3, {0, 1, -1}, 1, SingleSideTooFewText);
    case AdjustmentKind::NoOrientation:
        // n new points; B, C; the stations B … Pn with their angles and distances.
        return AngleTraverseMap({2, 3, 1, 3}, 2, {0, -1}, 0, NoOrientationTooFewText);
    case AdjustmentKind::Open: {
        // n new points; A, B; the stations B … Pn (the last new point's line included).
        AdjustmentFileMap map = AngleTraverseMap({2, 3, 1, 3}, 2, {0, 1}, 1, OpenTooFewText);
        map.minimumCount = 1; // as for "计算": A, B and at least one new point
        return map;
    }
    case AdjustmentKind::Levelling: {
        // n new points; the two benchmarks (name, height); the sections from the start.
        AdjustmentFileMap map;
        map.layout = {2, 2, 1, 3};
        map.rowsBeyondCount = 2;
        map.pointRows = {0, -1};
        map.pointColumns = {0, 4};
        map.firstObservationRow = 0;
        map.tooFewText = QString::fromUtf8(LevellingTooFewText);
        return map;
    }
    case AdjustmentKind::CoordinateConnecting:
        // m new points; A, B, C, D known; P1 … Pm, C, D measured (the names of C and D read twice).
        return CoordinateTraverseMap(4, 2, {0, 1, -2, -1}, 2, CoordinateConnectingTooFewText);
    case AdjustmentKind::CoordinateSingleSide:
        // m new points; A, B, C known; P1 … Pm, C measured (the name of C read twice).
        return CoordinateTraverseMap(3, 1, {0, 1, -1}, 2, CoordinateSingleSideTooFewText);
    case AdjustmentKind::CoordinateNoOrientation:
        // m new points; B, C known; B, P1 … Pm, C measured (the names of B and C read twice).
        return CoordinateTraverseMap(2, 2, {0, -1}, 0, CoordinateNoOrientationTooFewText);
    }
    return {};
}

int AdjustmentColumnsOf(AdjustmentKind kind)
{
    switch (kind) {
    case AdjustmentKind::CoordinateConnecting:
    case AdjustmentKind::CoordinateSingleSide:
    case AdjustmentKind::CoordinateNoOrientation:
        return 7;
    default:
        return 5;
    }
}

TextTable AdjustmentTableOf(const AdjustmentData &data, const AdjustmentFileMap &map, int columns)
{
    TextTable t;
    t.rows = data.count + map.rowsBeyondCount;
    t.columns = columns;
    t.cells.resize(static_cast<size_t>(t.rows) * columns);
    for (int i = 0; i < map.pointRows.size() && i < data.points.size(); ++i) {
        const int place = map.pointRows[i];
        const int row = place >= 0 ? place : t.rows + place;
        for (int f = 0; f < map.pointColumns.size(); ++f)
            t.at(row, map.pointColumns[f]) = data.points[i].value(f);
    }
    for (int i = 0; i < data.observations.size(); ++i) {
        const int row = map.firstObservationRow + i;
        if (row >= t.rows)
            break;
        for (int f = 0; f < map.observationColumns.size(); ++f)
            t.at(row, map.observationColumns[f]) = data.observations[i].value(f);
    }
    return t;
}

void AttachWorking(AdjustmentReportData &data, const AdjustmentWorking &working)
{
    if (data.kind == AdjustmentKind::Levelling)
        data.levelling = &working.levelling;
    else if (AdjustmentColumnsOf(data.kind) == 7)
        data.coordinate = &working.coordinates;
    else
        data.traverse = &working.traverse;
    if (working.rigorous.done)
        data.rigorous = AdjustmentReportData::Rigorous{working.rigorous.pointErrors, working.rigorous.angleResiduals,
                                                       working.rigorous.text};
    else
        data.rigorous.reset();
}

void AdjustTable(AdjustmentKind kind, TextTable &table, AdjustmentSummary &summary, AdjustmentWorking &working,
                 const RigorousOptions *rigorous)
{
    working.rigorous = {};
    if (rigorous) {
        const TextTable before = table;
        AdjustTable(kind, table, summary, working);
        if (kind == AdjustmentKind::Levelling)
            RigorousLevellingTable(before, table, summary, working, *rigorous);
        else
            RigorousTraverseTable(kind, before, table, summary, working, rigorous->errors);
        return;
    }
    switch (kind) {
    case AdjustmentKind::Connecting:
        return Connecting(table, summary, working);
    case AdjustmentKind::SingleSide:
        return SingleSide(table, summary, working);
    case AdjustmentKind::NoOrientation:
        return NoOrientation(table, summary, working);
    case AdjustmentKind::Open:
        return Open(table, working);
    case AdjustmentKind::Levelling:
        return Levelling(table, summary, working);
    case AdjustmentKind::CoordinateConnecting:
        return CoordinateConnecting(table, summary, working);
    case AdjustmentKind::CoordinateSingleSide:
        return CoordinateSingleSide(table, summary, working);
    case AdjustmentKind::CoordinateNoOrientation:
        return CoordinateNoOrientation(table, summary, working);
    }
}

bool HasClosures(AdjustmentKind kind) { return kind != AdjustmentKind::Open; }

std::vector<ClosureVerdict> JudgeAdjustment(AdjustmentKind kind, const AdjustmentWorking &working, const QString &grade,
                                            const LimitOptions &options)
{
    const std::string text = grade.toStdString();
    switch (kind) {
    case AdjustmentKind::Connecting:
        return TraverseVerdicts(options.standard, text, working.traverse, true);
    case AdjustmentKind::SingleSide:
    case AdjustmentKind::NoOrientation:
        return TraverseVerdicts(options.standard, text, working.traverse, false);
    case AdjustmentKind::Open:
        return {};
    case AdjustmentKind::Levelling:
        return LevellingVerdicts(options, text, working.levelling);
    case AdjustmentKind::CoordinateConnecting:
    case AdjustmentKind::CoordinateSingleSide:
    case AdjustmentKind::CoordinateNoOrientation:
        return CoordinateTraverseVerdicts(options.standard, text, working.coordinates);
    }
    return {};
}

} // namespace quorvil
