// The GNSS network computations on networks generated from known geodetic coordinates (truth from
// GeographicLib): the free adjustment against an independent dense least-squares solution, the
// checks finding a blunder and a bad repeated baseline, the loop basis on graphs whose minimum
// cycle basis is known, and the constrained adjustment reproducing the national grid and a turned
// and scaled local grid.
#include "core/Error.h"
#include "core/gnss/Checks.h"
#include "core/gnss/ConstrainedAdjustment.h"
#include "core/gnss/CycleBasis.h"
#include "core/gnss/FreeAdjustment.h"

#include "support/GnssSample.h"

#include <GeographicLib/Ellipsoid.hpp>

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace quorvil;
using namespace quorvil::gnss;
using quorvil::test::GnssSample;
using quorvil::test::MakeGnssSample;

namespace {

const Ellipsoid Cgcs2000{6378137.0L, 6356752.3141403558478521068615295L};

BaselineNetwork NetworkOf(const GnssSample &s)
{
    BaselineNetwork net;
    for (const auto &p : s.points)
        net.pointIndex(p.name);
    int line = 1;
    for (const auto &b : s.baselines) {
        Baseline bl;
        bl.session = b.session;
        bl.from = b.from, bl.to = b.to;
        bl.d = {b.d[0], b.d[1], b.d[2]};
        bl.cov = CovarianceOf(b.sigma[0], b.sigma[1], b.sigma[2], b.rho[0], b.rho[1], b.rho[2]);
        bl.line = ++line;
        net.baselines.push_back(bl);
    }
    return net;
}

CartesianXYZ TrueXYZ(const GnssSample &s, int p)
{
    return {s.points[size_t(p)].X, s.points[size_t(p)].Y, s.points[size_t(p)].Z};
}

GridSettings NationalGrid()
{
    GridSettings grid;
    grid.ellipsoid = Cgcs2000;
    grid.centralMeridian = 117;
    return grid;
}

const Grade &Second()
{
    static const Grade g = *GradeOf("二等");
    return g;
}

} // namespace

TEST(GnssFreeAdjustment, AgreesWithDenseLeastSquares)
{
    const GnssSample s = MakeGnssSample(4, 5, 2000, 1.0);
    const BaselineNetwork net = NetworkOf(s);
    const int held = 7;
    const FreeResult r = AdjustFree(net, held, TrueXYZ(s, held), Second(), Cgcs2000);

    // the dense solution: every baseline whitened by the Cholesky factor of its covariance, solved
    // by Householder QR in long double, the cofactors from the inverse of the whitened normal matrix
    using M = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;
    const int n = int(s.points.size()), m = int(s.baselines.size());
    auto col = [&](int p) { return p < held ? 3 * p : 3 * (p - 1); };
    M a = M::Zero(3 * m, 3 * (n - 1)), l = M::Zero(3 * m, 1), w = M::Zero(3 * m, 3 * m);
    for (int b = 0; b < m; ++b) {
        const Baseline &bl = net.baselines[size_t(b)];
        M c(3, 3);
        c << bl.cov[0], bl.cov[1], bl.cov[2], bl.cov[1], bl.cov[3], bl.cov[4], bl.cov[2], bl.cov[4], bl.cov[5];
        const M lInv = M(c.llt().matrixL()).inverse();
        w.block(3 * b, 3 * b, 3, 3) = lInv;
        M ab = M::Zero(3, 3 * (n - 1));
        for (int k = 0; k < 3; ++k) {
            if (bl.to != held)
                ab(k, col(bl.to) + k) = 1;
            if (bl.from != held)
                ab(k, col(bl.from) + k) = -1;
        }
        M lb(3, 1);
        const CartesianXYZ h = TrueXYZ(s, held);
        const long double fixedPart[3] = {bl.to == held ? h.X : bl.from == held ? -h.X : 0,
                                          bl.to == held ? h.Y : bl.from == held ? -h.Y : 0,
                                          bl.to == held ? h.Z : bl.from == held ? -h.Z : 0};
        for (int k = 0; k < 3; ++k)
            lb(k, 0) = bl.d[size_t(k)] - fixedPart[k];
        a.block(3 * b, 0, 3, 3 * (n - 1)) = ab;
        l.block(3 * b, 0, 3, 1) = lb;
    }
    const M aw = w * a, lw = w * l;
    const M x = aw.householderQr().solve(lw);
    const M vw = aw * x - lw;
    const int dof = 3 * m - 3 * (n - 1);
    const long double sigma0 = std::sqrt(vw.squaredNorm() / dof);
    const M q = (aw.transpose() * aw).inverse();
    const M redundancy = M::Identity(3 * m, 3 * m) - aw * q * aw.transpose(); // whitened: symmetric

    EXPECT_EQ(r.summary.dof, dof);
    EXPECT_NEAR(double(r.summary.sigma0Aposteriori / sigma0), 1.0, 1e-9);
    for (int p = 0; p < n; ++p) {
        if (p == held)
            continue;
        const FreePoint &fp = r.points[size_t(p)];
        EXPECT_NEAR(double(fp.X - x(col(p), 0)), 0, 1e-4) << s.points[size_t(p)].name;
        EXPECT_NEAR(double(fp.Y - x(col(p) + 1, 0)), 0, 1e-4) << s.points[size_t(p)].name;
        EXPECT_NEAR(double(fp.Z - x(col(p) + 2, 0)), 0, 1e-4) << s.points[size_t(p)].name;
        EXPECT_NEAR(double(fp.sZ / (sigma0 * std::sqrt(q(col(p) + 2, col(p) + 2)))), 1.0, 1e-6);
        // B, L, H of the adjusted coordinates against GeographicLib
        const GeographicLib::Geocentric earth(test::SampleA, test::SampleF);
        double B, L, H;
        earth.Reverse(double(fp.X), double(fp.Y), double(fp.Z), B, L, H);
        EXPECT_NEAR(double(fp.B) - B, 0, 1e-9);
        EXPECT_NEAR(double(fp.L) - L, 0, 1e-9);
        EXPECT_NEAR(double(fp.H) - H, 0, 1e-4);
    }
    // redundancy and w: the redundancy of a correlated group's component is (Qvv P)ᵢᵢ, the same
    // in whitened and original form only as a sum over the group; w compares in whitened form
    long double sumR = 0;
    for (size_t b = 0; b < r.baselines.size(); ++b) {
        long double groupR = 0, dense = 0;
        for (int k = 0; k < 3; ++k)
            groupR += r.baselines[b].c[size_t(k)].redundancy, dense += redundancy(3 * long(b) + k, 3 * long(b) + k);
        EXPECT_NEAR(double(groupR - dense), 0, 1e-9);
        sumR += groupR;
    }
    EXPECT_NEAR(double(sumR), dof, 1e-8);
}

TEST(GnssChecks, BlunderIsFlaggedByItsLoopsAndItsWTestAndNamed)
{
    GnssSample s = MakeGnssSample(4, 5, 2000, 0.1);
    // a diagonal of the middle cell (observed once) gets 0.15 m in ΔX; a side repeated by two
    // sessions gets 0.05 m in ΔZ in its first session
    int blunder = -1, repeated = -1;
    for (size_t b = 0; b < s.baselines.size(); ++b) {
        const auto &bl = s.baselines[b];
        if (bl.session == "6" && bl.from == 6 && bl.to == 12)
            blunder = int(b);
        if (bl.session == "6" && bl.from == 7 && bl.to == 12)
            repeated = int(b);
    }
    ASSERT_GE(blunder, 0);
    ASSERT_GE(repeated, 0);
    BaselineNetwork clean = NetworkOf(s);
    const BaselineChecks before = CheckBaselines(clean, Second());
    EXPECT_TRUE(before.passed()) << before.failures();
    EXPECT_TRUE(before.withoutLoop.empty());
    EXPECT_EQ(before.repeated.size(), size_t(8 + 9)); // the inner sides of a 4 × 5 lattice
    s.baselines[size_t(blunder)].d[0] += 0.15;
    s.baselines[size_t(repeated)].d[2] += 0.05;
    const BaselineNetwork net = NetworkOf(s);
    const BaselineChecks checks = CheckBaselines(net, Second());

    int failedRepeats = 0;
    for (const RepeatCheck &r : checks.repeated)
        if (!r.passed) {
            ++failedRepeats;
            EXPECT_TRUE(r.first == repeated || r.second == repeated);
            EXPECT_NEAR(double(r.ds), 0.05, 0.003);
        }
    EXPECT_EQ(failedRepeats, 1);
    int failedLoops = 0, loopsWithBlunder = 0;
    for (const LoopCheck &l : checks.loops) {
        const bool has = std::find(l.baselines.begin(), l.baselines.end(), blunder) != l.baselines.end();
        const bool hasRepeated = std::find(l.baselines.begin(), l.baselines.end(), repeated) != l.baselines.end();
        loopsWithBlunder += has;
        if (!l.passed) {
            ++failedLoops;
            EXPECT_TRUE(has || hasRepeated) << "a loop without either fault fails";
        }
        if (has)
            EXPECT_FALSE(l.passed) << "a loop through the blunder passes";
    }
    EXPECT_GE(loopsWithBlunder, 2); // its synchronous loops and at least one independent loop
    // the closure of a loop is the signed sum of its baselines
    const LoopCheck &first = checks.loops.front();
    Real wx = 0;
    for (size_t k = 0; k < first.baselines.size(); ++k)
        wx += first.signs[k] * net.baselines[size_t(first.baselines[k])].d[0];
    EXPECT_NEAR(double(wx - first.w[0]), 0, 1e-12);

    const FreeResult r = AdjustFree(net, 0, TrueXYZ(s, 0), Second(), Cgcs2000);
    EXPECT_EQ(r.summary.suspect, blunder);
    EXPECT_EQ(BaselineName(net, blunder), "点7→点13 (时段 6, 第 " + std::to_string(blunder + 2) + " 行)");
    EXPECT_GT(std::fabs(r.baselines[size_t(blunder)].c[0].w), r.summary.wCritical);
}

TEST(GnssChecks, SpurIsListedAsOnNoLoop)
{
    BaselineNetwork net = NetworkOf(MakeGnssSample(2, 3, 1500, 0.0));
    Baseline spur = net.baselines[0];
    spur.from = 2, spur.to = net.pointIndex("支点"), spur.session = "9";
    net.baselines.push_back(spur);
    spur.from = spur.to, spur.to = net.pointIndex("支点2");
    net.baselines.push_back(spur);
    const BaselineChecks checks = CheckBaselines(net, Second());
    EXPECT_EQ(checks.withoutLoop, (std::vector<int>{6, 7}));
    EXPECT_TRUE(checks.passed());
}

TEST(GnssCycleBasis, MinimumBasesOfKnownGraphs)
{
    auto lattice = [](int rows, int columns) {
        std::vector<GraphEdge> e;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                if (c + 1 < columns)
                    e.push_back({r * columns + c, r * columns + c + 1, 1});
                if (r + 1 < rows)
                    e.push_back({r * columns + c, (r + 1) * columns + c, 1});
            }
        return e;
    };
    struct Case {
        const char *name;
        int vertices;
        std::vector<GraphEdge> edges;
        size_t loops;
        int totalEdges; // of the minimum basis
    };
    const std::vector<Case> cases{
        {"K4", 4, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}, {1, 2, 1}, {1, 3, 1}, {2, 3, 1}}, 3, 9},
        {"two triangles apart", 6, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}, {3, 4, 1}, {4, 5, 1}, {5, 3, 1}}, 2, 6},
        {"square with a diagonal", 4, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 0, 1}, {0, 2, 1}}, 2, 6},
        {"tree", 4, {{0, 1, 1}, {1, 2, 1}, {1, 3, 1}}, 0, 0},
        {"lattice 4 × 4 (Horton's candidates)", 16, lattice(4, 4), 9, 36},
        {"lattice 40 × 40 (shortest loop per edge)", 1600, lattice(40, 40), 39 * 39, 4 * 39 * 39},
    };
    for (const Case &c : cases) {
        const std::vector<Cycle> basis = MinimumCycleBasis(c.vertices, c.edges);
        EXPECT_EQ(basis.size(), c.loops) << c.name;
        int total = 0;
        for (const Cycle &cycle : basis) {
            total += int(cycle.edges.size());
            // a closed walk: each edge starts where the previous one ended
            for (size_t k = 0; k < cycle.edges.size(); ++k) {
                const GraphEdge &e = c.edges[size_t(cycle.edges[k])];
                const int start = cycle.signs[k] > 0 ? e.u : e.v, end = cycle.signs[k] > 0 ? e.v : e.u;
                EXPECT_EQ(start, cycle.vertices[k]) << c.name;
                EXPECT_EQ(end, cycle.vertices[(k + 1) % cycle.edges.size()]) << c.name;
            }
        }
        EXPECT_EQ(total, c.totalEdges) << c.name;
    }
}

namespace {

struct Frame {
    const char *name;
    double rotationSeconds, scalePpm, shiftX, shiftY;
};

} // namespace

TEST(GnssConstrainedAdjustment, ReproducesTheNationalAndATurnedScaledGrid)
{
    const GnssSample s = MakeGnssSample(4, 5, 2000, 0.0);
    const BaselineNetwork net = NetworkOf(s);
    const FreeResult free = AdjustFree(net, 0, TrueXYZ(s, 0), Second(), Cgcs2000);
    const GridSettings grid = NationalGrid();
    const int knownPoints[] = {0, 4, 15, 19, 12};
    for (const Frame &f : {Frame{"national grid", 0, 0, 0, 0}, Frame{"local grid", 4230, 35, -3.3e6, 1.2e5}}) {
        const double t = f.rotationSeconds / 3600 * M_PI / 180, k = 1 + f.scalePpm * 1e-6;
        auto local = [&](const test::SamplePoint &p) {
            return std::pair{k * (std::cos(t) * p.x - std::sin(t) * p.y) + f.shiftX,
                             k * (std::sin(t) * p.x + std::cos(t) * p.y) + f.shiftY};
        };
        std::vector<KnownPoint> known;
        for (int p : knownPoints) {
            const auto [x, y] = local(s.points[size_t(p)]);
            known.push_back({s.points[size_t(p)].name, x, y, false, 0, 0});
        }
        const ConstrainedResult r = AdjustConstrained(net, free, known, grid, Second());
        for (size_t p = 0; p < s.points.size(); ++p) {
            const auto [x, y] = local(s.points[p]);
            EXPECT_NEAR(double(r.points[p].x) - x, 0, 0.002) << f.name << " " << s.points[p].name;
            EXPECT_NEAR(double(r.points[p].y) - y, 0, 0.002) << f.name << " " << s.points[p].name;
        }
        EXPECT_NEAR(double(r.rotation) / M_PI * 180 * 3600, f.rotationSeconds, 0.01) << f.name;
        EXPECT_NEAR(double(r.scale) * 1e6, f.scalePpm, 0.01) << f.name;
        EXPECT_EQ(r.worstKnown, -1) << f.name;
        EXPECT_EQ(r.relative.size(), size_t(16 + 15 + 24)) << f.name; // sides across, sides along, diagonals
    }
}

TEST(GnssConstrainedAdjustment, KnownPointThatDoesNotFitIsNamed)
{
    const GnssSample s = MakeGnssSample(4, 5, 2000, 0.1);
    const BaselineNetwork net = NetworkOf(s);
    const FreeResult free = AdjustFree(net, 0, TrueXYZ(s, 0), Second(), Cgcs2000);
    const GridSettings grid = NationalGrid();
    std::vector<KnownPoint> known;
    for (int p : {0, 4, 9, 15, 19, 12})
        known.push_back({s.points[size_t(p)].name, s.points[size_t(p)].x, s.points[size_t(p)].y, false, 0, 0});
    known[2].x += 0.08;
    const ConstrainedResult r = AdjustConstrained(net, free, known, grid, Second());
    ASSERT_EQ(r.worstKnown, 2);
    EXPECT_GT(double(r.knownResiduals[2].v), double(r.knownLimit));
    for (size_t k = 0; k < known.size(); ++k)
        EXPECT_EQ(r.knownResiduals[k].passed, k != 2) << known[k].name;
}

TEST(GnssAdjustment, BadInputIsRefusedWithItsLine)
{
    const GnssSample s = MakeGnssSample(2, 3, 1500, 0.0);
    struct Case {
        const char *name;
        std::function<void(BaselineNetwork &, std::vector<KnownPoint> &)> spoil;
        std::string message;
    };
    const std::vector<Case> cases{
        {"point to itself", [](BaselineNetwork &n, auto &) { n.baselines[3].to = n.baselines[3].from; },
         "第 5 行: 基线的起点与终点相同"},
        {"covariance not positive definite", [](BaselineNetwork &n, auto &) { n.baselines[2].cov = CovarianceOf(0.003, 0.003, 0.003, 0.9, 0.9, -0.9); },
         "第 4 行: 基线"},
        {"a part apart",
         [](BaselineNetwork &n, auto &) {
             Baseline b = n.baselines[0];
             b.from = n.pointIndex("远点1"), b.to = n.pointIndex("远点2"), b.line = 99;
             n.baselines.push_back(b);
         },
         "第 99 行: 点 远点1 与网的其余部分没有基线相连"},
        {"known point no baseline reaches", [](BaselineNetwork &, auto &k) { k.push_back({"K9", 1, 2, false, 0, 7}); },
         "第 7 行: 已知点 K9 没有基线到达"},
    };
    const GridSettings grid = NationalGrid();
    for (const Case &c : cases) {
        BaselineNetwork net = NetworkOf(s);
        std::vector<KnownPoint> known{{s.points[0].name, s.points[0].x, s.points[0].y, false, 0, 3},
                                      {s.points[5].name, s.points[5].x, s.points[5].y, false, 0, 4}};
        c.spoil(net, known);
        try {
            const FreeResult free = AdjustFree(net, 0, TrueXYZ(s, 0), Second(), Cgcs2000);
            AdjustConstrained(net, free, known, grid, Second());
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const Error &e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
        }
    }
}

// The sample files of the command-line and window tests (tests/data/gnss) are this generator's
// output: a 3 × 4 lattice with errors drawn from the baselines' covariances, and four known points
// of the national grid with normal heights 20.5 m below their ellipsoidal heights. With
// QUORVIL_WRITE_GNSS_SAMPLE set the files are written again.
TEST(GnssSample, FilesAreTheGeneratorsOutput)
{
    const GnssSample s = MakeGnssSample(3, 4, 2000, 1.0);
    std::string known = "# 点名,X,Y,H (中央子午线 117°, CGCS2000)\n";
    char line[256];
    for (int p : {0, 3, 8, 11}) {
        const auto &pt = s.points[size_t(p)];
        std::snprintf(line, sizeof line, "%s,%.4f,%.4f,%.4f\n", pt.name.c_str(), pt.x, pt.y, pt.h - 20.5);
        known += line;
    }
    const std::string dir = QUORVIL_TEST_SOURCE_DIR "/data/gnss/";
    const std::pair<std::string, std::string> files[] = {{"baselines.csv", test::SampleCsv(s)}, {"known.csv", known}};
    for (const auto &[name, text] : files) {
        if (std::getenv("QUORVIL_WRITE_GNSS_SAMPLE")) {
            std::FILE *f = std::fopen((dir + name).c_str(), "wb");
            ASSERT_TRUE(f);
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        std::FILE *f = std::fopen((dir + name).c_str(), "rb");
        ASSERT_TRUE(f) << name;
        std::string stored;
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            stored.append(buffer, n);
        std::fclose(f);
        EXPECT_EQ(stored, text) << name;
    }
}

// A grid on the projection surface 500 m above the ellipsoid is the national grid enlarged by
// (R + 500) / R about the network: with the projection height given, the adjustment finds no
// scale left; without it, it finds the enlargement as its scale.
TEST(GnssConstrainedAdjustment, ProjectionHeightTakesTheScaleOfItsSurface)
{
    const GnssSample s = MakeGnssSample(4, 5, 2000, 0.0);
    const BaselineNetwork net = NetworkOf(s);
    const FreeResult free = AdjustFree(net, 0, TrueXYZ(s, 0), Second(), Cgcs2000);
    const double height = 500;
    const GeographicLib::Ellipsoid earth(test::SampleA, test::SampleF);
    const double phi = s.points[9].B;
    const double radius = std::sqrt(earth.MeridionalCurvatureRadius(phi) * earth.TransverseCurvatureRadius(phi));
    const double k = (radius + height) / radius;
    const auto &centre = s.points[9];
    std::vector<KnownPoint> known;
    for (int p : {0, 4, 15, 19})
        known.push_back({s.points[size_t(p)].name, centre.x + k * (s.points[size_t(p)].x - centre.x),
                         centre.y + k * (s.points[size_t(p)].y - centre.y), false, 0, 0});
    GridSettings grid = NationalGrid();
    const ConstrainedResult plain = AdjustConstrained(net, free, known, grid, Second());
    EXPECT_NEAR(double(plain.scale) * 1e6, (k - 1) * 1e6, 0.3);
    grid.projectionHeight = height;
    const ConstrainedResult raised = AdjustConstrained(net, free, known, grid, Second());
    EXPECT_NEAR(double(raised.scale) * 1e6, 0, 0.3);
    for (size_t p = 0; p < s.points.size(); ++p) {
        EXPECT_NEAR(double(raised.points[p].x) - (centre.x + k * (s.points[p].x - centre.x)), 0, 0.005) << s.points[p].name;
        EXPECT_NEAR(double(raised.points[p].y) - (centre.y + k * (s.points[p].y - centre.y)), 0, 0.005) << s.points[p].name;
    }
}
