// The rigorous network adjustment (core/network) on its own: traverses and levelling routes that
// have only their closure redundancy agree with the classical adjustments of core/Traverse and
// core/Levelling; the eight axes orientations and both senses of angles give one network, which
// converted to north/east is the network in those axes; the
// χ² and normal quantiles; messages instead of NaN.
#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/Levelling.h"
#include "core/TextForms.h"
#include "core/Traverse.h"
#include "core/network/Network.h"
#include "core/network/TraverseNetwork.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

using namespace quorvil;
using namespace quorvil::network;

namespace {

// A connecting traverse surveyed from true coordinates with small errors.
ConnectingTraverseInput SurveyedTraverse(int legs, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, 1);
    std::vector<PlanePoint> truth{{3000000, 500000}, {3000150, 500420}};
    Real bearing = std::atan2(420.0L, 150.0L);
    for (int i = 0; i < legs; ++i) {
        bearing += (i % 2 ? 0.35L : -0.25L);
        const Real s = 250 + 40 * i % 170;
        truth.push_back({truth.back().x + s * std::cos(bearing), truth.back().y + s * std::sin(bearing)});
    }
    truth.push_back({truth.back().x + 300, truth.back().y - 200}); // D
    const auto t = [&](size_t a, size_t b) { return Azimuth(truth[a].x, truth[a].y, truth[b].x, truth[b].y); };
    ConnectingTraverseInput in{truth[0], truth[1], truth[truth.size() - 2], truth.back(), {}};
    for (size_t k = 1; k + 1 < truth.size(); ++k) {
        Real left = t(k, k + 1) - t(k, k - 1) + DegToRad(5.0L / 3600) * noise(random);
        while (left < 0)
            left += TwoPi;
        const Real packed = DegToDms(RadToDeg(left));
        const Real distance = k + 2 < truth.size() ? std::hypot(truth[k + 1].x - truth[k].x, truth[k + 1].y - truth[k].y) + 0.004L * noise(random) : 0;
        // ddd.mmss to 0.1″, as a field book has it
        in.observations.push_back({std::round(packed * 1e5L) / 1e5L, std::round(distance * 1000) / 1000});
    }
    return in;
}

TEST(NetworkTraverse, ClosureOnlyTraverseAgreesWithTheApproximateAdjustment)
{
    std::vector<ConnectingTraverseInput> traverses{
        {{5000, 5000}, {5000, 5100}, {5100, 5300}, {5000, 5400}, {{135.0006L, 141.425L}, {225.0000L, 100.002L}, {224.5957L, 0}}},
        SurveyedTraverse(5, 1), SurveyedTraverse(9, 2), SurveyedTraverse(14, 3)};
    for (size_t t = 0; t < traverses.size(); ++t) {
        SCOPED_TRACE(t);
        FpGuard guard;
        const TraverseResult approximate = AdjustConnectingTraverse(traverses[t]);
        const Network net = ConnectingTraverseNetwork(traverses[t], TraverseWeights{});
        const Result rigorous = Adjust(net);
        guard.check(rigorous.summary.vtpv);
        EXPECT_EQ(rigorous.summary.dof, 3); // the closure: one angular, two coordinate conditions
        const std::vector<PlanePoint> points = approximate.NewPoints();
        ASSERT_EQ(points.size() + 4, net.points.size());
        ASSERT_FALSE(points.empty());
        for (size_t i = 0; i < points.size(); ++i) {
            const PointResult &p = rigorous.points[i + 2];
            const Real apart = std::hypot(p.x - points[i].x, p.y - points[i].y);
            EXPECT_LE(apart, approximate.fs) << "P" << i + 1 << " apart " << apart << " fs " << approximate.fs;
            EXPECT_GT(p.sp, 0);
        }
        Real sumR = 0;
        for (const ObservationResult &o : rigorous.observations)
            sumR += o.redundancy;
        EXPECT_NEAR(double(sumR), 3, 1e-9);
    }
}

TEST(NetworkTraverse, LevellingRouteIsTheClassicalAdjustment)
{
    // Weights 1/L: the rigorous adjustment of one route distributes fh in proportion to L.
    const LevellingRouteInput route{100, 101, {{1.2L, 0.505L}, {0.8L, 0.503L}, {2.5L, -0.011L}}};
    const LevellingResult classical = AdjustLevellingRoute(route);
    const Result rigorous = Adjust(LevellingRouteNetwork(route, 0.02L));
    ASSERT_EQ(rigorous.points.size(), classical.heights.size());
    for (size_t i = 0; i < classical.heights.size(); ++i)
        EXPECT_NEAR(double(rigorous.points[i].z), double(classical.heights[i]), 1e-12) << i;
    EXPECT_EQ(rigorous.summary.dof, 1);
}

// A small network of every plane observation kind, in the internal sense (x north, y east,
// clockwise), from exact values plus small errors.
Network Mixed()
{
    Network net;
    const Real xs[] = {0, 1000, 1200, 300, 600}, ys[] = {0, 100, 900, 1100, 500};
    const char *ids[] = {"A", "B", "C", "D", "P"};
    for (int i = 0; i < 5; ++i) {
        Point p;
        p.id = ids[i];
        p.x = xs[i] + (i > 1 ? 0.3L : 0), p.y = ys[i] - (i > 1 ? 0.2L : 0);
        p.hasXY = true;
        p.plane = i < 2 ? Role::Fixed : Role::Adjusted;
        net.points.push_back(p);
    }
    const auto t = [&](int a, int b) { return std::atan2(ys[b] - ys[a], xs[b] - xs[a]); };
    const auto s = [&](int a, int b) { return std::hypot(ys[b] - ys[a], xs[b] - xs[a]); };
    Real e = 1e-5L; // alternating small errors
    const auto err = [&] { return e = -e * 1.1L; };
    for (int st : {0, 4}) {
        net.sets.push_back({st, 0});
        for (int to = 0; to < 5; ++to)
            if (to != st) {
                Observation o;
                o.kind = ObservationKind::Direction, o.set = int(net.sets.size()) - 1, o.to = to;
                o.value = t(st, to) - 0.3L + err(), o.stdev = 3 * Pi / 648000;
                net.observations.push_back(o);
            }
    }
    for (auto [a, b] : {std::pair{0, 2}, {1, 3}, {2, 3}, {4, 2}, {4, 3}}) {
        Observation o;
        o.kind = ObservationKind::Distance, o.from = a, o.to = b, o.value = s(a, b) + err() * 100, o.stdev = 0.003;
        net.observations.push_back(o);
    }
    Observation angle;
    angle.kind = ObservationKind::Angle, angle.from = 2, angle.bs = 1, angle.to = 3;
    angle.value = t(2, 3) - t(2, 1) + err(), angle.stdev = 4 * Pi / 648000;
    net.observations.push_back(angle);
    Observation az;
    az.kind = ObservationKind::Azimuth, az.from = 3, az.to = 4, az.value = t(3, 4) + err(), az.stdev = 2 * Pi / 648000;
    net.observations.push_back(az);
    Observation cx, cy;
    cx.kind = ObservationKind::CoordinateX, cx.from = 2, cx.value = 1200.004L, cx.stdev = 0.01;
    cy.kind = ObservationKind::CoordinateY, cy.from = 2, cy.value = 899.997L, cy.stdev = 0.01;
    net.observations.push_back(cx), net.observations.push_back(cy);
    return net;
}

// The difference of two values of a kind, angles as directions.
Real Apart(ObservationKind kind, Real a, Real b) { return IsAngular(kind) ? Wrap(a - b) : a - b; }

// A network in other axes and sense, converted to north/east and clockwise angles, is the base
// network, and its results converted are the base's results; converted back it is itself.
void ExpectNorthEastIsTheBase(const Network &net, const Result &r, const Network &base, const Result &reference)
{
    const Network ne = InNorthEast(net);
    const Result rn = InNorthEast(net, r);
    EXPECT_EQ(ne.settings.axes, Axes::NE);
    EXPECT_TRUE(ne.settings.clockwise);
    for (size_t i = 0; i < net.points.size(); ++i) {
        const PointResult &p = rn.points[i], &q = reference.points[i];
        EXPECT_EQ(ne.points[i].x, base.points[i].x);
        EXPECT_EQ(ne.points[i].y, base.points[i].y);
        EXPECT_NEAR(double(p.x - q.x), 0, 1e-9);
        EXPECT_NEAR(double(p.y - q.y), 0, 1e-9);
        EXPECT_NEAR(double(p.sx - q.sx), 0, 1e-12);
        EXPECT_NEAR(double(p.sy - q.sy), 0, 1e-12);
        if (p.plane && q.ellipse.a - q.ellipse.b > 1e-6)
            EXPECT_NEAR(double(std::sin(p.ellipse.phi - q.ellipse.phi)), 0, 1e-9);
    }
    const size_t cx = net.observations.size() - 2, cy = cx + 1;
    for (size_t i = 0; i < net.observations.size(); ++i) {
        // an observed x of other axes may be a y here
        const size_t j = i < cx ? i : ne.observations[i].kind == ObservationKind::CoordinateX ? cx : cy;
        const Observation &o = ne.observations[i];
        EXPECT_EQ(o.kind, base.observations[j].kind) << i;
        const ObservationResult &a = rn.observations[i], &b = reference.observations[j];
        EXPECT_NEAR(double(Apart(o.kind, o.value, base.observations[j].value)), 0, 1e-15) << i;
        EXPECT_NEAR(double(a.residual - b.residual), 0, 1e-12) << i;
        EXPECT_NEAR(double(Apart(o.kind, a.adjusted, b.adjusted)), 0, 1e-9) << i;
        EXPECT_NEAR(double(a.w - b.w), 0, 1e-6) << i;
    }
    for (size_t s = 0; s < net.sets.size(); ++s)
        EXPECT_NEAR(double(Wrap(rn.orientations[s] - reference.orientations[s])), 0, 1e-9);
    const Network back = InAxes(ne, net.settings.axes, net.settings.clockwise);
    for (size_t i = 0; i < net.points.size(); ++i)
        EXPECT_TRUE(back.points[i].x == net.points[i].x && back.points[i].y == net.points[i].y) << i;
    for (size_t i = 0; i < net.observations.size(); ++i) {
        EXPECT_EQ(back.observations[i].kind, net.observations[i].kind) << i;
        EXPECT_NEAR(double(Apart(net.observations[i].kind, back.observations[i].value, net.observations[i].value)), 0, 1e-15) << i;
    }
}

TEST(Network, EveryAxesOrientationAndAngleSenseGivesOneNetwork)
{
    const Network base = Mixed();
    const Result reference = Adjust(base);
    // input (x, y) from (north, east) for each orientation
    struct Orientation {
        Axes axes;
        int xn, xe, yn, ye; // x = xn·N + xe·E, y = yn·N + ye·E
    } orientations[] = {
        {Axes::NE, 1, 0, 0, 1}, {Axes::EN, 0, 1, 1, 0},   {Axes::SW, -1, 0, 0, -1}, {Axes::WS, 0, -1, -1, 0},
        {Axes::ES, 0, 1, -1, 0}, {Axes::WN, 0, -1, 1, 0}, {Axes::NW, 1, 0, 0, -1},  {Axes::SE, -1, 0, 0, 1},
    };
    for (const Orientation &o : orientations)
        for (bool clockwise : {true, false}) {
            SCOPED_TRACE(std::string(AxesName(o.axes)) + (clockwise ? " clockwise" : " anticlockwise"));
            Network net = base;
            net.settings.axes = o.axes;
            net.settings.clockwise = clockwise;
            for (Point &p : net.points) {
                const Real n = p.x, e = p.y;
                p.x = o.xn * n + o.xe * e, p.y = o.yn * n + o.ye * e;
            }
            for (Observation &ob : net.observations) {
                if (IsAngular(ob.kind) && !clockwise)
                    ob.value = -ob.value;
            }
            // observed coordinates in the input's axes
            const Real cn = base.observations[net.observations.size() - 2].value, ce = base.observations.back().value;
            net.observations[net.observations.size() - 2].value = o.xn * cn + o.xe * ce;
            net.observations.back().value = o.yn * cn + o.ye * ce;
            const Result r = Adjust(net);
            EXPECT_NEAR(double(r.summary.sigma0Aposteriori), double(reference.summary.sigma0Aposteriori), 1e-9);
            ExpectNorthEastIsTheBase(net, r, base, reference);
            for (size_t i = 0; i < net.points.size(); ++i) {
                const PointResult &p = r.points[i], &q = reference.points[i];
                EXPECT_NEAR(double(p.x), double(o.xn * q.x + o.xe * q.y), 1e-9);
                EXPECT_NEAR(double(p.y), double(o.yn * q.x + o.ye * q.y), 1e-9);
                EXPECT_NEAR(double(p.sp), double(q.sp), 1e-12);
                EXPECT_NEAR(double(p.ellipse.a), double(q.ellipse.a), 1e-12);
                EXPECT_NEAR(double(p.ellipse.b), double(q.ellipse.b), 1e-12);
                // the major axis as a line: the direction maps with the axes
                if (p.plane && q.ellipse.a - q.ellipse.b > 1e-6) {
                    const Real un = std::cos(q.ellipse.phi), ue = std::sin(q.ellipse.phi);
                    const Real ux = o.xn * un + o.xe * ue, uy = o.yn * un + o.ye * ue;
                    const Real cross = std::cos(p.ellipse.phi) * uy - std::sin(p.ellipse.phi) * ux;
                    EXPECT_NEAR(double(cross), 0, 1e-9);
                }
            }
            const size_t cx = net.observations.size() - 2, cy = cx + 1;
            for (size_t i = 0; i < net.observations.size(); ++i) {
                const ObservationResult &a = r.observations[i];
                if (i >= cx) { // observed x and y: the residuals map with the axes
                    const Real vn = reference.observations[cx].residual, ve = reference.observations[cy].residual;
                    EXPECT_NEAR(double(a.residual), double(i == cx ? o.xn * vn + o.xe * ve : o.yn * vn + o.ye * ve), 1e-12);
                    const size_t same = (i == cx) == (o.xn != 0) ? cx : cy;
                    EXPECT_NEAR(double(a.redundancy), double(reference.observations[same].redundancy), 1e-9);
                    continue;
                }
                const ObservationResult &b = reference.observations[i];
                const Real sign = IsAngular(net.observations[i].kind) && !clockwise ? -1 : 1;
                EXPECT_NEAR(double(a.residual), double(sign * b.residual), 1e-12);
                EXPECT_NEAR(double(a.redundancy), double(b.redundancy), 1e-9);
            }
        }
}

TEST(Network, ChiSquareQuantiles)
{
    EXPECT_NEAR(double(ChiSquareQuantile(0.025L, 12)), 4.403789, 1e-6);
    EXPECT_NEAR(double(ChiSquareQuantile(0.975L, 12)), 23.336664, 1e-6);
    EXPECT_NEAR(double(ChiSquareQuantile(0.95L, 1)), 3.841459, 1e-6);
    EXPECT_NEAR(double(ChiSquareQuantile(0.5L, 100)), 99.334129, 1e-5);
    EXPECT_NEAR(double(ChiSquareQuantile(0.005L, 50000)), 49189.207, 0.01); // Wilson–Hilferty, exact to 1e-6 here
}

// Φ⁻¹ against 25-digit values of mpmath (tests/core/data/normal-quantiles.txt), and the
// data-snooping constants as the quantiles they stand for.
TEST(Network, NormalQuantilesAndSnoopingConstants)
{
    std::ifstream file(QUORVIL_TEST_SOURCE_DIR "/core/data/normal-quantiles.txt");
    ASSERT_TRUE(file) << "normal-quantiles.txt";
    std::map<std::string, Real> reference;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string p, x;
        fields >> p >> x;
        reference[p] = std::stold(x);
        // the rounding of p to Real alone moves Φ⁻¹ by up to 1e−14 in the far tails
        const Real q = NormalQuantile(std::stold(p));
        EXPECT_NEAR(double(q - reference[p]), 0, 2e-15 * std::max(1.0, std::fabs(double(reference[p])))) << "p = " << p;
    }
    ASSERT_EQ(reference.size(), 30u);
    EXPECT_NEAR(double(WCritical - reference.at("0.9995")), 0, 1e-17);
    EXPECT_NEAR(double(Delta0 - (reference.at("0.9995") + reference.at("0.8"))), 0, 1e-17);
    for (Real bad : {0.0L, 1.0L, -0.5L})
        EXPECT_THROW(NormalQuantile(bad), Error) << double(bad);
}

TEST(Network, CoincidentApproximatePointsAreAMessage)
{
    Network net = Mixed();
    net.points[4].x = net.points[2].x, net.points[4].y = net.points[2].y; // P on C
    FpGuard guard;
    try {
        Adjust(net);
        FAIL() << "adjusted";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("坐标相同"), std::string::npos) << e.what();
    }
}

TEST(Network, ApproximateValuesAreComputedFromTheKnownPoints)
{
    Network net = Mixed();
    for (Point &p : net.points)
        if (p.plane == Role::Adjusted)
            p.hasXY = false, p.x = p.y = 0;
    const Network filled = WithApproximateValues(net);
    const Result a = Adjust(net), b = Adjust(Mixed());
    for (size_t i = 0; i < net.points.size(); ++i) {
        EXPECT_TRUE(filled.points[i].hasXY);
        EXPECT_NEAR(double(a.points[i].x), double(b.points[i].x), 1e-9);
        EXPECT_NEAR(double(a.points[i].y), double(b.points[i].y), 1e-9);
    }
}

} // namespace

namespace {

// A station whose set sees only two known points cannot be placed (a resection needs three): it is
// named, never started at the origin of a frame of its own as if it were a free part.
TEST(Network, AStationSeeingTwoKnownPointsIsNamedUnplaced)
{
    Network net;
    net.points = {{"A", 0, 0, 0, true, false, Role::Fixed}, {"B", 0, 100, 0, true, false, Role::Fixed},
                  {"X", 0, 0, 0, false, false, Role::Adjusted}};
    net.sets = {{2, 0}};
    const Real cc = Pi / 2000000;
    net.observations = {{ObservationKind::Direction, -1, 0, -1, 0, 0, 10 * cc},
                        {ObservationKind::Direction, -1, 1, -1, 0, 0.8L, 10 * cc}};
    try {
        Adjust(net);
        FAIL() << "adjusted";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("无法由已知点和观测推算点 X"), std::string::npos) << e.what();
    }
}

} // namespace
