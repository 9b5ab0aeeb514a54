#include "core/CoordinateTraverse.h"
#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

using Points = std::vector<CoordinatePoint>;

std::string Joined(const std::vector<std::string> &texts)
{
    std::string out;
    for (const auto &t : texts)
        out += (out.empty() ? "" : " ") + t;
    return out;
}

// Bearing by atan2, independent of the program's bearing routine.
Real Bearing(const CoordinatePoint &p, const CoordinatePoint &q)
{
    Real a = std::atan2(q.y - p.y, q.x - p.x);
    return a < 0 ? a + 2 * std::acos(Real(-1)) : a;
}

Real Seconds(Real radians) { return radians * 180 / std::acos(Real(-1)) * 3600; }

void ExpectPoints(const Points &expected, const Points &actual, Real tolerance, const std::string &what)
{
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(double(actual[i].x), double(expected[i].x), double(tolerance)) << what << " x of point " << i;
        EXPECT_NEAR(double(actual[i].y), double(expected[i].y), double(tolerance)) << what << " y of point " << i;
        EXPECT_NEAR(double(actual[i].h), double(expected[i].h), double(tolerance)) << what << " h of point " << i;
    }
}

// One small traverse, worked out by hand to the printed digits for each type.
TEST(CoordinateTraverse, SmallTraversesPrintTheirSummaries)
{
    const CoordinatePoint a{5000, 5000, 0}, b{5000, 5100, 50}, c{5100, 5300, 52}, d{5000, 5400, 0};
    const CoordinatePoint p1{5100.004L, 5200.003L, 51.234L}, cMeasured{5100.010L, 5300.002L, 52.010L};

    const auto connecting = AdjustCoordinateConnecting({a, b, c, d, {p1, cMeasured, {5000.012L, 5400.005L, 0}}});
    EXPECT_EQ(Joined(CoordinateTraverseSummary(connecting, true)),
              "FB=-5.16″ VB=1.72″ Fx=7.5mm Fy=2.83mm Fs=8.02mm K=1/30113 Fh=10mm 导线总长[S]=241m");
    ExpectPoints({{5099.99877316179L, 5200.00217353436L, 51.2281420264415L}, c}, connecting.adjusted, 1e-9L,
                 "connecting");
    ASSERT_EQ(connecting.legs.size(), 3u) << "connecting keeps the leg C→D for the report";
    EXPECT_EQ(connecting.legs.back().bearing, connecting.closingBearing);

    const auto single = AdjustCoordinateSingleSide({a, b, c, {p1, cMeasured}});
    EXPECT_EQ(Joined(CoordinateTraverseSummary(single, false)),
              "Fx=10mm Fy=2mm Fs=10.2mm K=1/23674 Fh=10mm 导线总长[S]=241m");
    ExpectPoints({{5099.99814202644L, 5200.00182840529L, 51.2281420264415L}, c}, single.adjusted, 1e-9L,
                 "single-side");

    // Measured in a frame turned by 37.5° about a local origin, with a few millimetres of error.
    const auto free = AdjustCoordinateNoOrientation(
        {b, c, {{100, 100, 10}, {118.463L, 240.208L, 11.236L}, {57.577L, 319.555L, 12.011L}}});
    EXPECT_EQ(Joined(CoordinateTraverseSummary(free, false)),
              "Fx=4.11mm Fy=8.22mm Fs=9.19mm K=1/26278 Fh=11mm 导线总长[S]=241m");
    EXPECT_NEAR(double(RadToDeg(free.turn)), 322.49887645887616827, 1e-12);
    ExpectPoints({{5100.00045924346L, 5199.98814839122L, 51.2295568120234L}, c}, free.adjusted, 1e-9L,
                 "no-orientation");
}

// m = 0: the only leg runs from B to C (plus C→D in the connecting traverse); nothing but C is
// adjusted, and it comes back onto its known coordinates.
TEST(CoordinateTraverse, NoNewPoint)
{
    const CoordinatePoint a{0, 0, 0}, b{0, 100, 10}, c{100, 100, 12}, d{200, 100, 0};
    const CoordinatePoint cMeasured{100.003L, 99.996L, 12.005L};

    const auto connecting = AdjustCoordinateConnecting({a, b, c, d, {cMeasured, {200.003L, 99.996L, 0}}});
    EXPECT_EQ(connecting.legs.size(), 2u);
    EXPECT_EQ(connecting.adjusted.size(), 1u);
    EXPECT_EQ(Joined(CoordinateTraverseSummary(connecting, true)),
              "FB=0″ VB=0″ Fx=3mm Fy=-4mm Fs=5mm K=1/20001 Fh=5mm 导线总长[S]=100m");

    const auto single = AdjustCoordinateSingleSide({a, b, c, {cMeasured}});
    EXPECT_EQ(Joined(CoordinateTraverseSummary(single, false)),
              "Fx=3mm Fy=-4mm Fs=5mm K=1/20001 Fh=5mm 导线总长[S]=100m");

    const auto free = AdjustCoordinateNoOrientation({b, c, {{0, 0, 0}, {0, 100.01L, 2.005L}}});
    EXPECT_EQ(free.legs.size(), 1u);
    // One leg turned onto B→C exactly: only its length and height differ.
    EXPECT_EQ(Joined(CoordinateTraverseSummary(free, false)),
              "Fx=10mm Fy=0mm Fs=10mm K=1/10001 Fh=5mm 导线总长[S]=100m");

    for (const auto *r : {&connecting, &single, &free})
        ExpectPoints({c}, r->adjusted, 1e-12L, "m = 0 closes on C");
}

TEST(CoordinateTraverse, TooFewStationsAreRefused)
{
    const CoordinatePoint p{1, 2, 3};
    struct Case {
        const char *name;
        std::function<void()> run;
        const char *message;
    };
    const Case cases[] = {
        {"connecting without D", [&] { AdjustCoordinateConnecting({p, p, p, p, {p}}); }, CoordinateConnectingTooFewText},
        {"connecting empty", [&] { AdjustCoordinateConnecting({p, p, p, p, {}}); }, CoordinateConnectingTooFewText},
        {"single-side empty", [&] { AdjustCoordinateSingleSide({p, p, p, {}}); }, CoordinateSingleSideTooFewText},
        {"no-orientation one", [&] { AdjustCoordinateNoOrientation({p, p, {p}}); }, CoordinateNoOrientationTooFewText},
        {"no-orientation B = C", [&] { AdjustCoordinateNoOrientation({p, p, {{0, 0, 0}, {1, 1, 1}}}); },
         CoordinateNoOrientationCoincidentText},
        {"no-orientation measured B = C",
         [&] { AdjustCoordinateNoOrientation({p, {5, 5, 5}, {{0, 0, 0}, {1, 1, 1}, {0, 0, 0}}}); },
         CoordinateNoOrientationCoincidentText},
    };
    for (const auto &c : cases) {
        try {
            c.run();
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const Error &e) {
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
    }
}

// The measured C→D direction agrees with the known one exactly (the measured C and D are the
// known ones shifted by binary-exact amounts): FB=0 and the legs keep their measured bearings.
TEST(CoordinateTraverse, ClosingBearingAgrees)
{
    const CoordinatePoint a{1000, 1000, 0}, b{1000, 2000, 100}, c{1500, 2600, 104}, d{2000, 2600, 0};
    const Real ox = 0.015625L, oy = -0.03125L;
    const Points measured{{1250.004L, 2300.002L, 101.5L}, {c.x + ox, c.y + oy, 104.02L}, {d.x + ox, d.y + oy, 0}};
    const auto r = AdjustCoordinateConnecting({a, b, c, d, measured});
    EXPECT_EQ(r.fb, 0);
    const auto texts = CoordinateTraverseSummary(r, true);
    EXPECT_EQ(texts[0], "FB=0″");
    EXPECT_EQ(texts[1], "VB=0″");
    for (size_t k = 0; k + 1 < measured.size(); ++k) {
        const auto &from = k == 0 ? b : measured[k - 1];
        EXPECT_EQ(r.legs[k].bearing, Azimuth(from.x, from.y, measured[k].x, measured[k].y)) << "leg " << k + 1;
    }
    EXPECT_NEAR(double(r.fx), double(ox), 1e-12);
    EXPECT_NEAR(double(r.fy), double(oy), 1e-12);
    ExpectPoints({c}, {r.adjusted.back()}, 1e-11L, "closes on C");
}

// Misclosures just under half a turn either way are taken the short way round.
TEST(CoordinateTraverse, BearingMisclosureNearHalfTurn)
{
    struct Case {
        Real knownDeg;    // known bearing C→D
        Real measuredDeg; // measured bearing C→D
        const char *fb;
        const char *vb;
    };
    const Case cases[] = {
        {10, 10 + 180 - 10.0L / 3600, "FB=647990″", "VB=-323995″"},
        {10, 10 + 180 + 10.0L / 3600, "FB=-647990″", "VB=323995″"},
        {300, 300 - 180 + 10.0L / 3600, "FB=-647990″", "VB=323995″"},
        {300, 300 - 180 - 10.0L / 3600, "FB=647990″", "VB=-323995″"},
        {350, 350 + 180 - 10.0L / 3600 - 360, "FB=647990″", "VB=-323995″"},
        {0.5L, 359.5L, "FB=-3600″", "VB=1800″"},
    };
    const CoordinatePoint a{0, 0, 0}, b{0, 100, 0}, c{100, 100, 0};
    for (const auto &k : cases) {
        const Real known = DegToRad(k.knownDeg), measured = DegToRad(k.measuredDeg);
        const CoordinatePoint d{c.x + 100 * std::cos(known), c.y + 100 * std::sin(known), 0};
        const CoordinatePoint dm{c.x + 100 * std::cos(measured), c.y + 100 * std::sin(measured), 0};
        const auto r = AdjustCoordinateConnecting({a, b, c, d, {c, dm}});
        const auto texts = CoordinateTraverseSummary(r, true);
        EXPECT_EQ(texts[0], k.fb) << "known " << double(k.knownDeg) << "° measured " << double(k.measuredDeg) << "°";
        EXPECT_EQ(texts[1], k.vb) << "known " << double(k.knownDeg) << "° measured " << double(k.measuredDeg) << "°";
        EXPECT_LE(std::fabs(r.fb), Pi);
    }
}

// The known stations turned and shifted as a whole: nothing to distribute, and the adjusted
// stations are the measured ones carried rigidly onto B and C.
TEST(CoordinateTraverse, NoOrientationRigidMotion)
{
    const Points truth{{3000, 4000, 20},     {3120.5L, 4080.25L, 21.5L}, {3230.75L, 4015.5L, 19.25L},
                       {3390.125L, 4101, 22}, {3455.5L, 4260.75L, 23.125L}};
    struct Case {
        Real turnDeg, shiftX, shiftY, shiftH;
    };
    const Case cases[] = {{0, 0, 0, 0}, {37.25L, -2500, 13000, 0}, {180, 10, 10, 0}, {-123.456L, 0.5L, -99, 0},
                          {359.9999L, 7, 7, 0}};
    for (const auto &k : cases) {
        const Real t = DegToRad(k.turnDeg);
        Points measured;
        for (const auto &p : truth) {
            const Real dx = p.x - truth[0].x, dy = p.y - truth[0].y;
            measured.push_back({k.shiftX + dx * std::cos(t) - dy * std::sin(t),
                                k.shiftY + dx * std::sin(t) + dy * std::cos(t), p.h + k.shiftH});
        }
        const auto r = AdjustCoordinateNoOrientation({truth.front(), truth.back(), measured});
        const auto texts = CoordinateTraverseSummary(r, false);
        const std::string what = "turned by " + std::to_string(double(k.turnDeg)) + "°";
        EXPECT_EQ(texts[0], "Fx=0mm") << what;
        EXPECT_EQ(texts[1], "Fy=0mm") << what;
        EXPECT_EQ(texts[2], "Fs=0mm") << what;
        EXPECT_EQ(texts[4], "Fh=0mm") << what;
        EXPECT_TRUE(texts[3] == "K=1/∞" || r.fs != 0) << what;
        EXPECT_GT(r.turn, 0) << what;
        EXPECT_LE(r.turn, TwoPi) << what;
        ExpectPoints(Points(truth.begin() + 1, truth.end()), r.adjusted, 1e-9L, what);
    }
}

// The same frame: the turning angle comes out as exactly zero and is taken as a full turn,
// which moves no leg.
TEST(CoordinateTraverse, ZeroTurnIsAFullTurn)
{
    const Points truth{{0, 0, 0}, {100, 0, 1}, {100, 100, 2}, {200, 100, 3}};
    const Points measured{{0, 0, 0}, {100.002L, 0.001L, 1.004L}, {100.003L, 100.004L, 2}, {200, 100, 3}};
    const auto r = AdjustCoordinateNoOrientation({truth.front(), truth.back(), measured});
    EXPECT_EQ(r.turn, TwoPi);
    for (size_t k = 0; k < r.legs.size(); ++k)
        EXPECT_NEAR(double(r.legs[k].bearing), double(Bearing(measured[k], measured[k + 1])), 1e-17)
            << "leg " << k + 1;
    EXPECT_LT(std::fabs(r.fx) + std::fabs(r.fy), 1e-15L);
    ExpectPoints(Points(measured.begin() + 1, measured.end()), r.adjusted, 1e-12L, "zero turn");
}

// An exact closure is a perfect traverse: K=1/∞ and the adjusted coordinates, no fault.
TEST(CoordinateTraverse, ExactClosureIsNoFault)
{
    const CoordinatePoint a{0, 0, 0}, b{0, 100, 10}, c{150, 180, 12};
    const Points measured{{60.25L, 140.5L, 11.2L}, {150, 180, 12.004L}};
    FpGuard guard;
    const auto r = AdjustCoordinateSingleSide({a, b, c, measured});
    const auto texts = CoordinateTraverseSummary(r, false);
    EXPECT_NO_THROW(guard.check(r.fx, r.fy, r.fs, r.fh, r.adjusted.front().x));
    EXPECT_EQ(Joined(texts), "Fx=0mm Fy=0mm Fs=0mm K=1/∞ Fh=4mm 导线总长[S]=171m");
    const Real s1 = std::hypot(Real(60.25L), Real(40.5L)), s = s1 + std::hypot(Real(89.75L), Real(39.5L));
    ExpectPoints({{60.25L, 140.5L, 11.2L - 0.004L * s1 / s}, c}, r.adjusted, 1e-12L, "exact closure");
}

// Independent computation of each adjustment, written plainly from the definitions.
struct Reference {
    Real fx, fy, fh, s, fb = 0;
    Points points;
};

Reference ReferenceConnecting(const CoordinatePoint &b, const CoordinatePoint &c, const CoordinatePoint &d,
                              const Points &measured)
{
    const Real pi = std::acos(Real(-1));
    Points st{b};
    st.insert(st.end(), measured.begin(), measured.end());
    const size_t n = measured.size();
    Reference r{};
    r.fb = Bearing(st[n - 1], st[n]) - Bearing(c, d);
    while (r.fb > pi) r.fb -= 2 * pi;
    while (r.fb < -pi) r.fb += 2 * pi;
    const Real turnPerLeg = -r.fb / n;
    // The traverse turned about B, each leg by its share of the bearing misclosure.
    std::vector<Real> ex, ey, len;
    Real x = b.x, y = b.y;
    for (size_t k = 1; k < n; ++k) {
        const Real dx = st[k].x - st[k - 1].x, dy = st[k].y - st[k - 1].y, t = k * turnPerLeg;
        ex.push_back(dx * std::cos(t) - dy * std::sin(t));
        ey.push_back(dx * std::sin(t) + dy * std::cos(t));
        len.push_back(std::hypot(dx, dy));
        x += ex.back();
        y += ey.back();
        r.s += len.back();
    }
    r.fx = x - c.x;
    r.fy = y - c.y;
    r.fh = measured[n - 2].h - c.h;
    CoordinatePoint p = b;
    for (size_t k = 0; k + 1 < n; ++k) {
        p.x += ex[k] - r.fx * len[k] / r.s;
        p.y += ey[k] - r.fy * len[k] / r.s;
        p.h += (st[k + 1].h - st[k].h) - r.fh * len[k] / r.s;
        r.points.push_back(p);
    }
    return r;
}

Reference ReferenceNoOrientation(const CoordinatePoint &b, const CoordinatePoint &c, const Points &measured)
{
    // Rotation taking the measured B→C onto the known B→C, applied as a matrix.
    const Real mx = measured.back().x - measured.front().x, my = measured.back().y - measured.front().y;
    const Real kx = c.x - b.x, ky = c.y - b.y;
    const Real norm = std::hypot(mx, my) * std::hypot(kx, ky);
    const Real cosT = (mx * kx + my * ky) / norm, sinT = (mx * ky - my * kx) / norm;
    Reference r{};
    std::vector<Real> ex, ey, len;
    Real x = b.x, y = b.y, h = b.h;
    for (size_t k = 1; k < measured.size(); ++k) {
        const Real dx = measured[k].x - measured[k - 1].x, dy = measured[k].y - measured[k - 1].y;
        ex.push_back(dx * cosT - dy * sinT);
        ey.push_back(dx * sinT + dy * cosT);
        len.push_back(std::hypot(dx, dy));
        x += ex.back();
        y += ey.back();
        h += measured[k].h - measured[k - 1].h;
        r.s += len.back();
    }
    r.fx = x - c.x;
    r.fy = y - c.y;
    r.fh = h - c.h;
    CoordinatePoint p = b;
    for (size_t k = 0; k < ex.size(); ++k) {
        p.x += ex[k] - r.fx * len[k] / r.s;
        p.y += ey[k] - r.fy * len[k] / r.s;
        p.h += (measured[k + 1].h - measured[k].h) - r.fh * len[k] / r.s;
        r.points.push_back(p);
    }
    return r;
}

// A winding traverse of twelve new points with a few millimetres of random error in every
// measured coordinate, against the independent computations above.
TEST(CoordinateTraverse, LongTraverseAgainstIndependentComputation)
{
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> error(-0.004, 0.004), step(80, 220), turn(-0.9, 0.9);
    Points truth{{3000, 40000, 0}, {3100, 40050, 85.2L}}; // A, B
    Real heading = 0.6L;
    for (int i = 0; i < 14; ++i) { // P1 … P12, C, D
        heading += Real(turn(random));
        const Real len = Real(step(random));
        const auto &p = truth.back();
        truth.push_back({p.x + len * std::cos(heading), p.y + len * std::sin(heading), p.h + Real(error(random)) * 500});
    }
    const CoordinatePoint a = truth[0], b = truth[1], c = truth[14], d = truth[15];
    Points measured;
    for (size_t i = 2; i < truth.size(); ++i)
        measured.push_back({truth[i].x + Real(error(random)), truth[i].y + Real(error(random)),
                            truth[i].h + Real(error(random))});

    {
        const auto r = AdjustCoordinateConnecting({a, b, c, d, measured});
        const auto ref = ReferenceConnecting(b, c, d, measured);
        EXPECT_NEAR(double(Seconds(r.fb)), double(Seconds(ref.fb)), 1e-9) << "connecting FB";
        EXPECT_NEAR(double(r.fx), double(ref.fx), 1e-10) << "connecting Fx";
        EXPECT_NEAR(double(r.fy), double(ref.fy), 1e-10) << "connecting Fy";
        EXPECT_NEAR(double(r.fh), double(ref.fh), 1e-12) << "connecting Fh";
        EXPECT_NEAR(double(r.totalLength), double(ref.s), 1e-9) << "connecting S";
        ExpectPoints(ref.points, r.adjusted, 1e-9L, "connecting");
    }
    {
        const Points toC(measured.begin(), measured.end() - 1);
        const auto r = AdjustCoordinateSingleSide({a, b, c, toC});
        // Unturned, the misclosure is the measured C's error; the reference is the connecting
        // computation with a far point that makes the bearing misclosure zero.
        const CoordinatePoint far{toC.back().x + (d.x - c.x), toC.back().y + (d.y - c.y), 0};
        Points withFar = toC;
        withFar.push_back(far);
        const auto ref = ReferenceConnecting(b, c, d, withFar);
        EXPECT_NEAR(double(ref.fb), 0, 1e-15);
        EXPECT_NEAR(double(r.fx), double(ref.fx), 1e-10) << "single-side Fx";
        EXPECT_NEAR(double(r.fy), double(ref.fy), 1e-10) << "single-side Fy";
        EXPECT_NEAR(double(r.fh), double(ref.fh), 1e-12) << "single-side Fh";
        EXPECT_NEAR(double(r.totalLength), double(ref.s), 1e-9) << "single-side S";
        ExpectPoints(ref.points, r.adjusted, 1e-9L, "single-side");
    }
    {
        // The same traverse measured in a local frame turned by 211° from B.
        const Real t = DegToRad(211);
        Points local{{b.x, b.y, b.h}};
        local.front() = {10 + Real(error(random)), 20 + Real(error(random)), b.h};
        for (size_t i = 0; i + 1 < measured.size(); ++i) {
            const Real dx = measured[i].x - b.x, dy = measured[i].y - b.y;
            local.push_back({10 + dx * std::cos(t) - dy * std::sin(t), 20 + dx * std::sin(t) + dy * std::cos(t),
                             measured[i].h});
        }
        const auto r = AdjustCoordinateNoOrientation({b, c, local});
        const auto ref = ReferenceNoOrientation(b, c, local);
        EXPECT_NEAR(double(r.fx), double(ref.fx), 1e-10) << "no-orientation Fx";
        EXPECT_NEAR(double(r.fy), double(ref.fy), 1e-10) << "no-orientation Fy";
        EXPECT_NEAR(double(r.fh), double(ref.fh), 1e-12) << "no-orientation Fh";
        EXPECT_NEAR(double(r.totalLength), double(ref.s), 1e-9) << "no-orientation S";
        EXPECT_EQ(r.adjusted.size(), 13u);
        ExpectPoints(ref.points, r.adjusted, 1e-9L, "no-orientation");
    }
}

} // namespace
