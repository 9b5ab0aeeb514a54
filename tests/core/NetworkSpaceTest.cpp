// 3D total-station networks in the adjustment: slope distances and zenith angles between the
// instrument above the station and the target above the point, checked against the geometry
// computed here from true coordinates; and the datum of free 3D networks, whose defect depends on
// which observations tie plane and height together.
#include "core/Error.h"
#include "core/network/Network.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace quorvil;
using namespace quorvil::network;

namespace {

struct Truth {
    Real x, y, z;
};

// Observations of a line of sight from (a, z + i) to (b, z + t), exact, in the clockwise sense.
Observation Spatial(ObservationKind kind, int from, int to, const std::vector<Truth> &p, Real i, Real t)
{
    const Truth &a = p[size_t(from)], &b = p[size_t(to)];
    const Real dx = b.x - a.x, dy = b.y - a.y, dz = b.z + t - a.z - i;
    Observation o;
    o.kind = kind, o.from = from, o.to = to, o.fromDh = i, o.toDh = t;
    if (kind == ObservationKind::SlopeDistance)
        o.value = std::sqrt(dx * dx + dy * dy + dz * dz), o.stdev = 0.002;
    else
        o.value = std::acos(dz / std::sqrt(dx * dx + dy * dy + dz * dz)), o.stdev = 3 * Pi / 648000;
    return o;
}

Real Bearing(const std::vector<Truth> &p, int from, int to)
{
    return Normal(std::atan2(p[size_t(to)].y - p[size_t(from)].y, p[size_t(to)].x - p[size_t(from)].x));
}

// A new point P seen from three known points by slope distances and zenith angles (each with its
// own instrument and target heights) and observing a direction set to them: P comes back, its
// height included, with no approximate values given, in either sense of angles (a zenith angle
// does not turn with it) and whichever way the axes point.
TEST(NetworkSpace, PolarPointsFromSlopeDistancesAndZenithAnglesComeBackExactly)
{
    const std::vector<Truth> truth = {{1000, 2000, 150.2}, {1450, 2100, 171.9}, {1100, 2480, 143.5}, {1260, 2230, 188.35}};
    for (const bool clockwise : {true, false})
        for (const Axes axes : {Axes::NE, Axes::EN}) {
            SCOPED_TRACE(std::string(clockwise ? "clockwise" : "anticlockwise") + (axes == Axes::NE ? " NE" : " EN"));
            Network net;
            net.settings.axes = axes, net.settings.clockwise = clockwise;
            net.settings.aposteriori = false; // exact observations: σ0 a posteriori is 0
            for (size_t k = 0; k < truth.size(); ++k) {
                Point p;
                p.id = k < 3 ? std::string(1, char('A' + k)) : "P";
                const bool known = k < 3;
                // x east, y north in EN
                const bool swap = axes == Axes::EN;
                p.x = swap ? truth[k].y : truth[k].x, p.y = swap ? truth[k].x : truth[k].y, p.z = truth[k].z;
                p.hasXY = p.hasZ = known;
                p.plane = p.height = known ? Role::Fixed : Role::Adjusted;
                net.points.push_back(p);
            }
            const bool turned = !clockwise; // the input's directions run against the bearings
            net.sets.push_back({3, 0});
            for (int k = 0; k < 3; ++k) {
                Observation d;
                d.kind = ObservationKind::Direction, d.set = 0, d.to = k, d.stdev = 2 * Pi / 648000;
                const Real r = Bearing(truth, 3, k) - 0.4;
                d.value = Normal(turned ? -r : r);
                net.observations.push_back(d);
                const Real i = 1.3 + 0.1 * k, t = 1.6 - 0.2 * k;
                net.observations.push_back(Spatial(ObservationKind::SlopeDistance, k, 3, truth, i, t));
                net.observations.push_back(Spatial(ObservationKind::ZenithAngle, k, 3, truth, i, t));
            }
            net.observations.push_back(Spatial(ObservationKind::ZenithAngle, 3, 1, truth, 1.55, 0.3));
            const Result r = Adjust(net);
            const PointResult &p = r.points[3];
            EXPECT_NEAR(double(axes == Axes::EN ? p.y : p.x), double(truth[3].x), 1e-7);
            EXPECT_NEAR(double(axes == Axes::EN ? p.x : p.y), double(truth[3].y), 1e-7);
            EXPECT_NEAR(double(p.z), double(truth[3].z), 1e-7);
            EXPECT_TRUE(p.plane && p.height);
            EXPECT_GT(p.sz, 0);
            EXPECT_EQ(r.summary.dof, 10 - 4);
            EXPECT_LT(double(r.summary.vtpv), 1e-12);
            for (const ObservationResult &o : r.observations)
                EXPECT_NEAR(double(o.residual), 0, 1e-9);
        }
}

// A free 3D network (every point constrained, no fixed point) has as many datum defects as
// motions that leave its observations unchanged: with directions, slope distances and zenith
// angles the three translations and the turn about the vertical; with slope distances alone also
// the turns about the horizontal axes; with directions and zenith angles alone also the scale;
// with slope distances and height differences the height differences hold the tilts. (Tilts
// and the scale leave the lines of sight as they are only where instrument and target heights
// are equal: the heights stay vertical and unscaled.) The
// minimum-norm solution leaves the constrained points' mean unmoved in each translated axis.
TEST(NetworkSpace, FreeNetworksTakeTheDefectOfTheirObservations)
{
    const std::vector<Truth> truth = {{0, 0, 100}, {300, 20, 112}, {310, 290, 95}, {-20, 310, 130}, {150, 160, 104}};
    struct Case {
        const char *name;
        bool directions, slope, zenith, levelling;
        Real target; // above the mark; the instrument is 1.5 m above the station
        int defect;
    } cases[] = {
        {"directions, slope distances, zenith angles", true, true, true, false, 1.7, 4},
        {"slope distances only", false, true, false, false, 1.5, 6},
        {"directions and zenith angles", true, false, true, false, 1.5, 5},
        {"slope distances and height differences", false, true, false, true, 1.7, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Network net;
        const int n = int(truth.size());
        for (int k = 0; k < n; ++k) {
            Point p;
            p.id = "Q" + std::to_string(k);
            // approximate values a few centimetres off
            p.x = truth[size_t(k)].x + 0.03 * std::sin(k + 1.0), p.y = truth[size_t(k)].y - 0.02 * std::cos(k * 2.0);
            p.z = truth[size_t(k)].z + 0.04 * std::sin(k * 3.0);
            p.hasXY = p.hasZ = true;
            p.plane = p.height = Role::Constrained;
            net.points.push_back(p);
        }
        for (int a = 0; a < n; ++a) {
            if (c.directions) {
                net.sets.push_back({a, 0});
                for (int b = 0; b < n; ++b)
                    if (b != a) {
                        Observation d;
                        d.kind = ObservationKind::Direction, d.set = int(net.sets.size()) - 1, d.to = b, d.stdev = 2 * Pi / 648000;
                        d.value = Normal(Bearing(truth, a, b) - 0.3 * a);
                        net.observations.push_back(d);
                    }
            }
            for (int b = a + 1; b < n; ++b) {
                if (c.slope)
                    net.observations.push_back(Spatial(ObservationKind::SlopeDistance, a, b, truth, 1.5, c.target));
                if (c.zenith)
                    net.observations.push_back(Spatial(ObservationKind::ZenithAngle, a, b, truth, 1.5, c.target));
                if (c.levelling && b == a + 1) {
                    Observation h;
                    h.kind = ObservationKind::HeightDifference, h.from = a, h.to = b, h.stdev = 0.001;
                    h.value = truth[size_t(b)].z - truth[size_t(a)].z;
                    net.observations.push_back(h);
                }
            }
        }
        const Result r = Adjust(net);
        EXPECT_EQ(r.summary.defect, c.defect);
        EXPECT_LT(double(r.summary.vtpv), 1e-10);
        Real sx = 0, sy = 0, sz = 0;
        for (int k = 0; k < n; ++k) {
            const PointResult &p = r.points[size_t(k)];
            sx += p.x - net.points[size_t(k)].x, sy += p.y - net.points[size_t(k)].y, sz += p.z - net.points[size_t(k)].z;
        }
        EXPECT_NEAR(double(sx), 0, 1e-8);
        EXPECT_NEAR(double(sy), 0, 1e-8);
        EXPECT_NEAR(double(sz), 0, 1e-8);
        // the shape is the true one: every slope distance between the adjusted points
        for (int a = 0; a < n; ++a)
            for (int b = a + 1; b < n; ++b) {
                const PointResult &p = r.points[size_t(a)], &q = r.points[size_t(b)];
                const Real s = std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y) + (q.z - p.z) * (q.z - p.z));
                const Truth &u = truth[size_t(a)], &v = truth[size_t(b)];
                const Real t = std::sqrt((v.x - u.x) * (v.x - u.x) + (v.y - u.y) * (v.y - u.y) + (v.z - u.z) * (v.z - u.z));
                if (c.defect != 5) // a free scale leaves the shape, not the size
                    EXPECT_NEAR(double(s), double(t), 1e-7);
            }
    }
}

// The engine's own checks of spatial observations: a zenith angle beyond 0–180°, a slope distance
// that is not positive, a point observed in height that no known height reaches.
TEST(NetworkSpace, BadSpatialObservationsAreNamedWithTheirLine)
{
    const std::vector<Truth> truth = {{0, 0, 10}, {100, 0, 12}, {0, 100, 15}};
    const auto network = [&](bool heightKnown) {
        Network net;
        for (int k = 0; k < 3; ++k) {
            Point p;
            p.id = std::string(1, char('A' + k));
            p.x = truth[size_t(k)].x, p.y = truth[size_t(k)].y, p.z = truth[size_t(k)].z;
            p.hasXY = true, p.hasZ = heightKnown && k == 0;
            p.plane = k < 2 ? Role::Fixed : Role::Adjusted;
            p.height = heightKnown && k == 0 ? Role::Fixed : Role::Adjusted;
            net.points.push_back(p);
        }
        for (int k = 0; k < 2; ++k) {
            for (const ObservationKind kind : {ObservationKind::SlopeDistance, ObservationKind::ZenithAngle}) {
                Observation o = Spatial(kind, k, 2, truth, 1.5, 1.5);
                o.line = 10 + int(net.observations.size());
                net.observations.push_back(o);
            }
        }
        return net;
    };
    const auto message = [](const Network &net) {
        try {
            Adjust(net);
        } catch (const Error &e) {
            return std::string(e.what());
        }
        return std::string("adjusted");
    };
    Network zenith = network(true);
    zenith.observations[1].value = 3.2;
    EXPECT_NE(message(zenith).find("第 11 行: 天顶距 A-C 超出 0 到 180°"), std::string::npos) << message(zenith);
    Network slope = network(true);
    slope.observations[2].value = -5;
    EXPECT_NE(message(slope).find("第 12 行: 斜距 B-C 必须大于零"), std::string::npos) << message(slope);
    Network stdev = network(true);
    stdev.observations[3].stdev = 0;
    EXPECT_NE(message(stdev).find("第 13 行: 天顶距观测 B-C 的中误差必须为正数"), std::string::npos) << message(stdev);
    EXPECT_NE(message(network(false)).find("第 10 行: 斜距观测 A-C: 无法推算点 A 的近似高程"), std::string::npos)
        << message(network(false));
    EXPECT_EQ(message(network(true)), "adjusted");
}

} // namespace
