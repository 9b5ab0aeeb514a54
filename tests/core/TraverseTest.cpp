#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"
#include "core/Traverse.h"
#include "core/TraverseSummary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

// ---------------------------------------------------------------------------------------------
// An independent reference: plain double arithmetic with atan2, written from the textbook steps,
// sharing nothing with the code under test.

constexpr double RefPi = 3.14159265358979323846;

double RefWrap(double a) // into [0, 2π)
{
    a = std::fmod(a, 2 * RefPi);
    return a < 0 ? a + 2 * RefPi : a;
}

double RefBearing(double x1, double y1, double x2, double y2) { return RefWrap(std::atan2(y2 - y1, x2 - x1)); }

struct RefPoint {
    double x, y;
};

// Packed ddd.mmss of an angle in degrees, seconds kept to 1e-4; and the degrees it stands for.
struct Packed {
    Real packed;
    double degrees;
};

Packed Pack(double degrees)
{
    double d = std::floor(degrees);
    double m = std::floor((degrees - d) * 60);
    double s = std::round(((degrees - d) * 60 - m) * 60 * 10000) / 10000;
    if (s >= 60) {
        s -= 60;
        m += 1;
    }
    if (m >= 60) {
        m -= 60;
        d += 1;
    }
    const Real packed = static_cast<Real>(d) + static_cast<Real>(m) / 100 + static_cast<Real>(s) / 10000;
    return {packed, d + m / 60 + s / 3600};
}

// Left angle at `at`, from the direction back to `behind` to the direction ahead to `ahead`.
double LeftAngleDegrees(RefPoint behind, RefPoint at, RefPoint ahead)
{
    const double back = RefBearing(behind.x, behind.y, at.x, at.y);
    const double fore = RefBearing(at.x, at.y, ahead.x, ahead.y);
    return RefWrap(fore - back + RefPi) * 180 / RefPi;
}

double Dist(RefPoint p, RefPoint q) { return std::hypot(q.x - p.x, q.y - p.y); }

// A meandering line of stations with slightly disturbed observations (a few seconds, a few
// millimetres), so that every misclosure is of a realistic size.
struct Survey {
    std::vector<RefPoint> truth;          // A, B, P1 … Pn, C, D
    std::vector<Packed> angles;           // observed left angles at B … C
    std::vector<double> distances;        // observed legs B→P1 … Pn→C
};

Survey MakeSurvey(int newPoints, bool closed = false)
{
    Survey s;
    s.truth.push_back({3000, 2000});
    s.truth.push_back({3150.5, 2090.25});
    for (int k = 1; k <= newPoints; ++k) {
        const RefPoint &p = s.truth.back();
        const double heading = 0.4 + 0.9 * std::sin(0.7 * k);
        const double length = 120 + 37 * std::cos(1.3 * k);
        s.truth.push_back({p.x + length * std::cos(heading), p.y + length * std::sin(heading)});
    }
    if (closed) {
        s.truth.push_back(s.truth[1]);
        s.truth.push_back(s.truth[0]);
    } else {
        const RefPoint &p = s.truth.back();
        s.truth.push_back({p.x + 140.75, p.y - 60.5});
        const RefPoint &c = s.truth.back();
        s.truth.push_back({c.x + 30.0, c.y + 400.0});
    }
    const size_t count = s.truth.size();
    for (size_t i = 1; i + 1 < count; ++i) {
        const double disturbance = 4.0 * std::sin(3.1 * static_cast<double>(i)) / 3600; // seconds
        s.angles.push_back(Pack(LeftAngleDegrees(s.truth[i - 1], s.truth[i], s.truth[i + 1]) + disturbance));
    }
    for (size_t i = 1; i + 2 < count; ++i) {
        const double d = Dist(s.truth[i], s.truth[i + 1]) + 0.006 * std::cos(2.3 * static_cast<double>(i));
        s.distances.push_back(std::round(d * 1000) / 1000);
    }
    return s;
}

struct RefAdjustment {
    double fb = 0, v = 0, fx = 0, fy = 0, length = 0;
    std::vector<RefPoint> points; // B … C adjusted
};

// Connecting traverse, as a surveyor would work it on paper.
RefAdjustment RefConnecting(const Survey &s)
{
    const auto &t = s.truth;
    const size_t n = s.angles.size();
    const RefPoint a = t[0], b = t[1], c = t[t.size() - 2], d = t.back();
    std::vector<double> alpha{RefBearing(a.x, a.y, b.x, b.y)};
    for (size_t i = 0; i < n; ++i)
        alpha.push_back(RefWrap(alpha.back() + s.angles[i].degrees * RefPi / 180 - RefPi));
    RefAdjustment r;
    r.fb = std::remainder(alpha[n] - RefBearing(c.x, c.y, d.x, d.y), 2 * RefPi);
    r.v = -r.fb / static_cast<double>(n);
    std::vector<double> dx, dy;
    RefPoint p = b;
    for (size_t i = 1; i < n; ++i) {
        const double bearing = alpha[i] + static_cast<double>(i) * r.v;
        dx.push_back(s.distances[i - 1] * std::cos(bearing));
        dy.push_back(s.distances[i - 1] * std::sin(bearing));
        p = {p.x + dx.back(), p.y + dy.back()};
        r.length += s.distances[i - 1];
    }
    r.fx = p.x - c.x;
    r.fy = p.y - c.y;
    r.points.push_back(b);
    for (size_t i = 0; i < dx.size(); ++i) {
        const RefPoint &q = r.points.back();
        r.points.push_back({q.x + dx[i] - r.fx * s.distances[i] / r.length,
                            q.y + dy[i] - r.fy * s.distances[i] / r.length});
    }
    return r;
}

// No-orientation traverse: carried on any start bearing, then the whole figure turned about B as
// a rigid body (rotation of coordinates, not of bearings), then the misclosure distributed.
RefAdjustment RefNoOrientation(const std::vector<Packed> &angles, const std::vector<double> &distances,
                               RefPoint b, RefPoint c, double startBearing)
{
    std::vector<RefPoint> carried{b};
    double alpha = startBearing;
    for (size_t i = 0; i < angles.size(); ++i) {
        alpha += angles[i].degrees * RefPi / 180 - RefPi;
        const RefPoint &p = carried.back();
        carried.push_back({p.x + distances[i] * std::cos(alpha), p.y + distances[i] * std::sin(alpha)});
    }
    const RefPoint e = carried.back();
    const double theta = std::atan2(c.y - b.y, c.x - b.x) - std::atan2(e.y - b.y, e.x - b.x);
    std::vector<RefPoint> turned;
    for (const RefPoint &p : carried) {
        const double u = p.x - b.x, w = p.y - b.y;
        turned.push_back({b.x + u * std::cos(theta) - w * std::sin(theta), b.y + u * std::sin(theta) + w * std::cos(theta)});
    }
    RefAdjustment r;
    for (double d : distances)
        r.length += d;
    r.fx = turned.back().x - c.x;
    r.fy = turned.back().y - c.y;
    r.points.push_back(b);
    for (size_t i = 0; i < distances.size(); ++i) {
        const RefPoint &q = r.points.back();
        r.points.push_back({q.x + (turned[i + 1].x - turned[i].x) - r.fx * distances[i] / r.length,
                            q.y + (turned[i + 1].y - turned[i].y) - r.fy * distances[i] / r.length});
    }
    return r;
}

PlanePoint P(RefPoint p) { return {static_cast<Real>(p.x), static_cast<Real>(p.y)}; }

ConnectingTraverseInput ConnectingInput(const Survey &s)
{
    const auto &t = s.truth;
    ConnectingTraverseInput in{P(t[0]), P(t[1]), P(t[t.size() - 2]), P(t.back()), {}};
    for (size_t i = 0; i < s.angles.size(); ++i)
        in.observations.push_back({s.angles[i].packed, i < s.distances.size() ? static_cast<Real>(s.distances[i]) : 0});
    return in;
}

std::string Xy(const PlanePoint &p) { return NumberToText(3, p.x) + ", " + NumberToText(3, p.y); }

// ---------------------------------------------------------------------------------------------

// The worked example of the connecting traverse, to the last printed digit.
ConnectingTraverseInput WorkedExample()
{
    return {{5000, 5000}, {5000, 5100}, {5100, 5300}, {5000, 5400},
            {{135.0006L, 141.425L}, {225.0000L, 100.002L}, {224.5957L, 0}}};
}

TEST(ConnectingTraverse, WorkedExampleToTheLastDigit)
{
    FpGuard guard;
    const TraverseResult r = AdjustConnectingTraverse(WorkedExample());
    guard.check(r.fx, r.fy, r.fs);

    const std::pair<std::string, std::string> shown[] = {
        {FBText(r.angleMisclosure), "FB=3″"},
        {VBText(r.angleCorrection), "VB=-1″"},
        {FxText(r.fx), "Fx=-1.79mm"},
        {FyText(r.fy), "Fy=7mm"},
        {FsText(r.fs), "Fs=7.23mm"},
        {KText(r.totalLength, r.fs), "K=1/33415"},
        {Xy(r.NewPoints().at(0)), "5100.001, 5200.001"},
        {Xy(r.stations.back()), "5100.000, 5300.000"},
        // what the report reads: bearings α[0 … N], the correction per angle, the leg corrections
        {ReportBearingText(r.Bearing(0)), "90.0000"},
        {ReportBearingText(r.Bearing(1)), "45.0005"},
        {ReportBearingText(r.Bearing(2)), "90.0004"},
        {ReportBearingText(r.Bearing(3)), "135.0003"},
        {ReportSecondsText(r.angleCorrection), "-1.00"},
        {ReportMillimetresText(r.legs[0].vx), "1.05"},
        {ReportMillimetresText(r.legs[1].vx), "0.74"},
        {ReportMillimetresText(r.legs[0].vy), "-4.10"},
        {ReportMillimetresText(r.legs[1].vy), "-2.90"},
    };
    for (size_t i = 0; i < std::size(shown); ++i)
        EXPECT_EQ(shown[i].first, shown[i].second) << "worked example, item " << i;
    EXPECT_EQ(r.legs.size(), 2u);
    EXPECT_EQ(r.totalLength, 141.425L + 100.002L);
}

TEST(ConnectingTraverse, MisclosureTakesTheShortWayRound)
{
    // Carried C→D is 359°59′50″, the known one 0°00′10″: the misclosure is −20″, not 359°59′40″.
    const Real tenSeconds = DegToRad(10.0L / 3600);
    const PlanePoint c{200, 0};
    const PlanePoint d{c.x + 1000 * std::cos(tenSeconds), c.y + 1000 * std::sin(tenSeconds)};
    const ConnectingTraverseInput in{{0, 0}, {100, 0}, c, d, {{180, 100}, {179.5950L, 0}}};
    const TraverseResult r = AdjustConnectingTraverse(in);
    EXPECT_EQ(FBText(r.angleMisclosure), "FB=-20″");
    EXPECT_EQ(VBText(r.angleCorrection), "VB=10″");
    EXPECT_EQ(ReportBearingText(r.closingBearing), "359.5950");
}

TEST(ConnectingTraverse, NoNewPointStillGivesTheSummary)
{
    const ConnectingTraverseInput in{{0, 0}, {100, 0}, {200.004L, 0.003L}, {300, 0.003L}, {{180, 100}, {180, 0}}};
    const TraverseResult r = AdjustConnectingTraverse(in);
    EXPECT_TRUE(r.NewPoints().empty());
    EXPECT_EQ(FxText(r.fx) + " " + FyText(r.fy) + " " + FsText(r.fs) + " " + KText(r.totalLength, r.fs),
              "Fx=-4mm Fy=-3mm Fs=5mm K=1/20000");
}

TEST(ConnectingTraverse, ExactClosureIsAPerfectTraverse)
{
    // Due north all along: every bearing and increment is exact, so fs is exactly 0.
    const ConnectingTraverseInput in{{0, 0}, {100, 0}, {300, 0}, {400, 0}, {{180, 100}, {180, 100}, {180, 0}}};
    FpGuard guard;
    const TraverseResult r = AdjustConnectingTraverse(in);
    guard.check(r.fs);
    EXPECT_EQ(r.fs, 0);
    EXPECT_EQ(KText(r.totalLength, r.fs), "K=1/∞");
    EXPECT_EQ(FsText(r.fs), "Fs=0mm");
    ASSERT_EQ(r.NewPoints().size(), 1u);
    EXPECT_EQ(Xy(r.NewPoints()[0]), "200.000, 0.000");
    EXPECT_NO_THROW(guard.check(r.stations));
}

TEST(ConnectingTraverse, EmptyCellsCountAsZero)
{
    // An empty angle (0) and an empty distance (0) are computed, not refused.
    const ConnectingTraverseInput in{{0, 0}, {100, 0}, {200, 0}, {300, 0}, {{0, 0}, {0, 0}, {0, 0}}};
    FpGuard guard;
    const TraverseResult r = CarryConnectingTraverse(in);
    guard.check(r.fs);
    EXPECT_EQ(Xy(r.stations.back()), "100.000, 0.000");
    EXPECT_EQ(r.totalLength, 0);
}

TEST(ConnectingTraverse, MisclosureOverLegsOfNoLengthIsAnInvalidOperation)
{
    const ConnectingTraverseInput in{{0, 0}, {100, 0}, {200, 0}, {300, 0}, {{180, 0}, {180, 0}, {180, 0}}};
    FpGuard guard;
    const TraverseResult carried = CarryConnectingTraverse(in);
    guard.check(carried.fx, carried.fy, carried.fs); // the summary can still be shown
    EXPECT_EQ(KText(carried.totalLength, carried.fs), "K>1"); // no 1/N over legs of no length
    const TraverseResult adjusted = DistributeMisclosure(carried);
    try {
        guard.check(adjusted.stations);
        FAIL() << "no fault";
    } catch (const FloatError &e) {
        EXPECT_STREQ(e.what(), InvalidOperationText);
    }
}

TEST(ConnectingTraverse, ClosedTraverseAgreesWithTheReference)
{
    const Survey s = MakeSurvey(5, true);
    ASSERT_EQ(s.truth[1].x, s.truth[s.truth.size() - 2].x);
    const TraverseResult r = AdjustConnectingTraverse(ConnectingInput(s));
    const RefAdjustment ref = RefConnecting(s);
    EXPECT_NEAR(static_cast<double>(r.angleMisclosure), ref.fb, 1e-12);
    EXPECT_NEAR(static_cast<double>(r.fx), ref.fx, 1e-9);
    EXPECT_NEAR(static_cast<double>(r.fy), ref.fy, 1e-9);
    ASSERT_EQ(r.stations.size(), ref.points.size());
    for (size_t i = 0; i < ref.points.size(); ++i) {
        EXPECT_NEAR(static_cast<double>(r.stations[i].x), ref.points[i].x, 1e-8) << "closed, station " << i;
        EXPECT_NEAR(static_cast<double>(r.stations[i].y), ref.points[i].y, 1e-8) << "closed, station " << i;
    }
    // The loop returns onto B.
    EXPECT_EQ(Xy(r.stations.back()), Xy(P(s.truth[1])));
}

TEST(ConnectingTraverse, LongTraverseAgreesWithTheReference)
{
    for (int newPoints : {8, 9, 23}) {
        const Survey s = MakeSurvey(newPoints);
        const TraverseResult r = AdjustConnectingTraverse(ConnectingInput(s));
        const RefAdjustment ref = RefConnecting(s);
        EXPECT_NEAR(static_cast<double>(r.angleMisclosure), ref.fb, 1e-12) << newPoints << " new points";
        EXPECT_NEAR(static_cast<double>(r.fx), ref.fx, 1e-9) << newPoints << " new points";
        EXPECT_NEAR(static_cast<double>(r.fy), ref.fy, 1e-9) << newPoints << " new points";
        EXPECT_NEAR(static_cast<double>(r.totalLength), ref.length, 1e-9) << newPoints << " new points";
        // A realistic misclosure, not a degenerate one.
        EXPECT_GT(std::fabs(ref.fb) * 180 / RefPi * 3600, 0.5) << newPoints << " new points";
        EXPECT_GT(std::hypot(ref.fx, ref.fy), 1e-3) << newPoints << " new points";
        ASSERT_EQ(r.NewPoints().size(), static_cast<size_t>(newPoints));
        for (int k = 0; k < newPoints; ++k) {
            const PlanePoint p = r.NewPoints()[static_cast<size_t>(k)];
            EXPECT_NEAR(static_cast<double>(p.x), ref.points[static_cast<size_t>(k) + 1].x, 1e-8)
                << newPoints << " new points, P" << k + 1;
            EXPECT_NEAR(static_cast<double>(p.y), ref.points[static_cast<size_t>(k) + 1].y, 1e-8)
                << newPoints << " new points, P" << k + 1;
            // and near the truth the observations were made from
            EXPECT_NEAR(static_cast<double>(p.x), s.truth[static_cast<size_t>(k) + 2].x, 0.05);
        }
        EXPECT_NEAR(static_cast<double>(r.stations.back().x), s.truth[s.truth.size() - 2].x, 1e-9);
    }
}

TEST(SingleSideTraverse, AgreesWithTheReferenceAndNeverCorrectsAngles)
{
    const Survey s = MakeSurvey(9);
    const auto &t = s.truth;
    SingleSideTraverseInput in{P(t[0]), P(t[1]), P(t[t.size() - 2]), {}};
    for (size_t i = 0; i < s.distances.size(); ++i)
        in.observations.push_back({s.angles[i].packed, static_cast<Real>(s.distances[i])});
    const TraverseResult r = AdjustSingleSideTraverse(in);

    // Reference: bearings as observed, misclosure at C shared by length.
    double alpha = RefBearing(t[0].x, t[0].y, t[1].x, t[1].y);
    RefPoint p = t[1];
    double length = 0;
    std::vector<double> dx, dy;
    for (size_t i = 0; i < s.distances.size(); ++i) {
        alpha = RefWrap(alpha + s.angles[i].degrees * RefPi / 180 - RefPi);
        EXPECT_NEAR(static_cast<double>(r.legs[i].bearing), alpha, 1e-13) << "leg " << i;
        EXPECT_EQ(r.legs[i].bearing, r.legs[i].carriedBearing) << "leg " << i;
        dx.push_back(s.distances[i] * std::cos(alpha));
        dy.push_back(s.distances[i] * std::sin(alpha));
        p = {p.x + dx.back(), p.y + dy.back()};
        length += s.distances[i];
    }
    const double fx = p.x - t[t.size() - 2].x, fy = p.y - t[t.size() - 2].y;
    EXPECT_NEAR(static_cast<double>(r.fx), fx, 1e-9);
    EXPECT_NEAR(static_cast<double>(r.fy), fy, 1e-9);
    RefPoint q = t[1];
    for (size_t i = 0; i < dx.size(); ++i) {
        q = {q.x + dx[i] - fx * s.distances[i] / length, q.y + dy[i] - fy * s.distances[i] / length};
        EXPECT_NEAR(static_cast<double>(r.stations[i + 1].x), q.x, 1e-8) << "station " << i + 1;
        EXPECT_NEAR(static_cast<double>(r.stations[i + 1].y), q.y, 1e-8) << "station " << i + 1;
    }
    EXPECT_EQ(r.NewPoints().size(), 9u);
}

TEST(SingleSideTraverse, OneNewPointTwoLegs)
{
    // The new window's five rows: A, B, P1, C. Square corner, distances 3 mm long in total.
    const SingleSideTraverseInput in{{0, 0}, {100, 0}, {200, 100}, {{180, 100.002L}, {270, 100.001L}}};
    const TraverseResult r = AdjustSingleSideTraverse(in);
    EXPECT_EQ(FxText(r.fx), "Fx=2mm");
    EXPECT_EQ(FyText(r.fy), "Fy=1mm");
    EXPECT_EQ(Xy(r.NewPoints().at(0)), "200.001, -0.001");
}

NoOrientationTraverseInput NoOrientationInput(const Survey &s, Real firstAngle)
{
    // B … C of the survey; the angle at B is whatever the user typed.
    const auto &t = s.truth;
    NoOrientationTraverseInput in{P(t[1]), P(t[t.size() - 2]), {}};
    for (size_t i = 0; i < s.distances.size(); ++i)
        in.observations.push_back({i == 0 ? firstAngle : s.angles[i].packed, static_cast<Real>(s.distances[i])});
    return in;
}

TEST(NoOrientationTraverse, AgreesWithARigidRotationAboutB)
{
    const Survey s = MakeSurvey(10);
    const auto &t = s.truth;
    const TraverseResult r = AdjustNoOrientationTraverse(NoOrientationInput(s, 87.1234L));
    std::vector<Packed> angles(s.angles.begin(), s.angles.begin() + static_cast<long>(s.distances.size()));
    angles[0] = Pack(87 + 12 / 60.0 + 34 / 3600.0);
    const RefAdjustment ref = RefNoOrientation(angles, s.distances, t[1], t[t.size() - 2], 0);
    EXPECT_NEAR(static_cast<double>(r.fx), ref.fx, 1e-9);
    EXPECT_NEAR(static_cast<double>(r.fy), ref.fy, 1e-9);
    for (size_t i = 0; i < ref.points.size(); ++i) {
        EXPECT_NEAR(static_cast<double>(r.stations[i].x), ref.points[i].x, 1e-8) << "station " << i;
        EXPECT_NEAR(static_cast<double>(r.stations[i].y), ref.points[i].y, 1e-8) << "station " << i;
    }
    // After the rotation the misclosure lies along B→C.
    const double bcx = t[t.size() - 2].x - t[1].x, bcy = t[t.size() - 2].y - t[1].y;
    EXPECT_NEAR(static_cast<double>(r.fx) * bcy - static_cast<double>(r.fy) * bcx, 0, 1e-7);
    EXPECT_GT(r.rotation, 0);
    EXPECT_LE(r.rotation, TwoPi);
}

TEST(NoOrientationTraverse, AngleAtBChangesNothing)
{
    const Survey s = MakeSurvey(8);
    const TraverseResult base = AdjustNoOrientationTraverse(NoOrientationInput(s, 0));
    for (Real first : {0.0001L, 45.3030L, 180.0L, 271.5959L, 359.5959L, 720.0L}) {
        const TraverseResult r = AdjustNoOrientationTraverse(NoOrientationInput(s, first));
        const std::string label = "angle at B " + NumberToText(4, first);
        EXPECT_EQ(FxText(r.fx) + FyText(r.fy) + FsText(r.fs) + KText(r.totalLength, r.fs),
                  FxText(base.fx) + FyText(base.fy) + FsText(base.fs) + KText(base.totalLength, base.fs))
            << label;
        for (size_t i = 0; i < base.stations.size(); ++i)
            EXPECT_EQ(Xy(r.stations[i]), Xy(base.stations[i])) << label << ", station " << i;
        for (size_t i = 0; i < base.legs.size(); ++i)
            EXPECT_NEAR(static_cast<double>(r.legs[i].bearing), static_cast<double>(base.legs[i].bearing), 1e-15)
                << label << ", leg " << i;
    }
}

TEST(NoOrientationTraverse, CarriedOnTheKnownBearingTurnsAFullTurn)
{
    // B→C due north and the figure carried due north: θ = 2π, the bearings keep their value.
    const NoOrientationTraverseInput in{{0, 0}, {200.01L, 0}, {{180, 100}, {180, 100}}};
    const TraverseResult r = AdjustNoOrientationTraverse(in);
    EXPECT_EQ(r.rotation, TwoPi);
    EXPECT_EQ(r.legs[0].bearing, 0);
    EXPECT_EQ(FxText(r.fx) + " " + FyText(r.fy), "Fx=-10mm Fy=0mm");
    EXPECT_EQ(Xy(r.NewPoints().at(0)), "100.005, 0.000");
}

TEST(NoOrientationTraverse, CoincidentBAndCIsAnInvalidOperation)
{
    const NoOrientationTraverseInput in{{10, 10}, {10, 10}, {{180, 100}, {90, 100}}};
    try {
        AdjustNoOrientationTraverse(in);
        FAIL();
    } catch (const FloatError &e) {
        EXPECT_STREQ(e.what(), InvalidOperationText);
    }
}

TEST(OpenTraverse, CarriesBearingsAndCoordinates)
{
    const Survey s = MakeSurvey(9);
    const auto &t = s.truth;
    OpenTraverseInput in{P(t[0]), P(t[1]), {}};
    for (size_t i = 0; i < 9; ++i)
        in.observations.push_back({s.angles[i].packed, static_cast<Real>(s.distances[i])});
    const TraverseResult r = ComputeOpenTraverse(in);
    double alpha = RefBearing(t[0].x, t[0].y, t[1].x, t[1].y);
    RefPoint p = t[1];
    ASSERT_EQ(r.stations.size(), 10u);
    for (size_t i = 0; i < 9; ++i) {
        alpha = RefWrap(alpha + s.angles[i].degrees * RefPi / 180 - RefPi);
        p = {p.x + s.distances[i] * std::cos(alpha), p.y + s.distances[i] * std::sin(alpha)};
        EXPECT_NEAR(static_cast<double>(r.stations[i + 1].x), p.x, 1e-8) << "P" << i + 1;
        EXPECT_NEAR(static_cast<double>(r.stations[i + 1].y), p.y, 1e-8) << "P" << i + 1;
        EXPECT_EQ(r.legs[i].vx, 0) << "P" << i + 1;
    }
}

TEST(Traverses, TooFewStationsAreRefused)
{
    struct Case {
        const char *name;
        std::function<void()> run;
        const char *message;
    };
    const Case cases[] = {
        {"connecting with one angle", [] { AdjustConnectingTraverse({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {{180, 1}}}); },
         ConnectingTooFewText},
        {"single-side without angle", [] { AdjustSingleSideTraverse({{0, 0}, {1, 0}, {2, 0}, {}}); }, SingleSideTooFewText},
        {"no-orientation without leg", [] { AdjustNoOrientationTraverse({{0, 0}, {1, 0}, {}}); }, NoOrientationTooFewText},
        {"open without leg", [] { ComputeOpenTraverse({{0, 0}, {1, 0}, {}}); }, OpenTooFewText},
    };
    for (const Case &c : cases) {
        try {
            c.run();
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const Error &e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
    }
}

TEST(TraverseSummary, PrintedForms)
{
    const Real second = DegToRad(1.0L / 3600);
    const std::pair<std::string, std::string> cases[] = {
        {MillimetresText(0.003L), "3"},
        {MillimetresText(0.0031L), "3.1"},
        {MillimetresText(-0.00179L), "-1.79"},
        {MillimetresText(0.0000001L), "0"},
        {MillimetresText(-0.0000001L), "0"},
        {SecondsText(3 * second), "3"},
        {SecondsText(-20 * second), "-20"},
        {SecondsText(1.25L * second), "1.25"},
        {RelativeClosureText(241.427L, 0.00722L), "1/33439"},
        {RelativeClosureText(5, 2), "1/2"},    // 2.5: halves to even
        {RelativeClosureText(7, 2), "1/4"},    // 3.5
        {RelativeClosureText(100, 0), "1/∞"},
        {RelativeClosureText(1e6L, 1e-12L), "1/1000000000000000000"},
        {FhText(0.008L), "Fh=8mm"},
        {RouteLengthText(2), "线路总长[L]=2"},
        {RouteLengthText(12.3456789L), "线路总长[L]=12.3456789"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

TEST(TraverseSummary, HalvesGoToTheEvenNeighbour)
{
    // Lengths whose hundredths of a millimetre come out an exact half: k + ½ goes to the even one
    // of k and k + 1. Both parities must occur.
    int evenDown = 0, evenUp = 0;
    for (int k = -300; k <= 300; ++k) {
        const Real metres = (k + 0.5L) / 100000;
        if (metres * 100000 != k + 0.5L)
            continue;
        const int even = k % 2 == 0 ? k : k + 1;
        (even == k ? evenDown : evenUp)++;
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.2f", even / 100.0);
        std::string text = buffer;
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
        if (text == "-0")
            text = "0";
        EXPECT_EQ(MillimetresText(metres), text) << "k = " << k;
    }
    EXPECT_GT(evenDown, 10);
    EXPECT_GT(evenUp, 10);
    // Angles whose hundredths of a second come out an exact half.
    int secondHalves = 0;
    for (int k = 0; k < 100; ++k) {
        const Real radians = (k + 0.5L) / 100 / 3600 * Pi / 180;
        const Real hundredths = RadToDeg(radians) * 3600 * 100;
        if (hundredths - std::trunc(hundredths) != 0.5L)
            continue;
        ++secondHalves;
        const int even = k % 2 == 0 ? k : k + 1;
        EXPECT_EQ(SecondsText(radians), even == 0 ? "0" : even == 100 ? "1" : (even % 10 == 0 ? "0." + std::to_string(even / 10) : (even < 10 ? "0.0" : "0.") + std::to_string(even)))
            << "k = " << k;
    }
    EXPECT_GT(secondHalves, 20);
}

} // namespace
