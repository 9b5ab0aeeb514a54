#include "core/Cartesian.h"
#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/SevenParameters.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

const Ellipsoid Wgs84{6378137.0L, 6356752.3142451795L};

// The seven values as the parameter panel shows them: metres, arc-seconds, factor, 10 decimals.
std::vector<std::string> PanelTexts(const SevenParameters &p)
{
    return {NumberToText(10, p.DX),
            NumberToText(10, p.DY),
            NumberToText(10, p.DZ),
            NumberToText(10, RadiansToSeconds(p.WX)),
            NumberToText(10, RadiansToSeconds(p.WY)),
            NumberToText(10, RadiansToSeconds(p.WZ)),
            NumberToText(10, p.K)};
}

SevenParameters FromSeconds(Real DX, Real DY, Real DZ, Real WXs, Real WYs, Real WZs, Real K)
{
    return {DX, DY, DZ, SecondsToRadians(WXs), SecondsToRadians(WYs), SecondsToRadians(WZs), K};
}

// Common points on the WGS84 ellipsoid: a grid of rows × columns with the given spacing in
// degrees around (B0, L0), heights varying from point to point.
std::vector<CartesianXYZ> Grid(Real B0, Real L0, int rows, int columns, Real step)
{
    std::vector<CartesianXYZ> points;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j)
            points.push_back(GeodeticToCartesian(Wgs84, B0 + i * step, L0 + j * step, 20 + 37 * ((i + 2 * j) % 5)));
    return points;
}

std::vector<CommonPointXYZ> Generated(const std::vector<CartesianXYZ> &oldPoints, const SevenParameters &p)
{
    std::vector<CommonPointXYZ> common;
    for (const CartesianXYZ &o : oldPoints)
        common.push_back({o, ApplySevenParameters(p, o)});
    return common;
}

TEST(SecondsAndRadians, ConvertInTheirOrder)
{
    struct Case {
        Real seconds;
        Real radians;
    };
    const Case cases[] = {
        {0, 0},
        {1, 4.8481368110953599358991410235794797595635e-6L},
        {2, 9.6962736221907198717982820471589595191270e-6L},
        {-1.467L, -7.1122167018768930259640398815911e-6L},
        {3600, Pi / 180},
        {648000, Pi},
    };
    for (const Case &c : cases) {
        const Real r = SecondsToRadians(c.seconds);
        EXPECT_NEAR(static_cast<double>(r), static_cast<double>(c.radians), 1e-15 * std::fabs(static_cast<double>(c.radians)))
            << "seconds " << static_cast<double>(c.seconds);
        EXPECT_EQ(r, c.seconds / 3600 * Pi / 180) << "order of operations, seconds " << static_cast<double>(c.seconds);
        EXPECT_EQ(RadiansToSeconds(c.radians), c.radians * 180 / Pi * 3600) << "back, seconds " << static_cast<double>(c.seconds);
        EXPECT_EQ(NumberToText(10, RadiansToSeconds(r)), NumberToText(10, c.seconds))
            << "round trip, seconds " << static_cast<double>(c.seconds);
    }
}

TEST(ApplySevenParameters, EachTermWithItsSign)
{
    // One parameter at a time on the point (1000, 2000, 3000), so a wrong sign or a swapped
    // coordinate shows in the case that carries it.
    struct Case {
        const char *name;
        SevenParameters p;
        Real X2, Y2, Z2;
    };
    const Case cases[] = {
        {"identity", {}, 1000, 2000, 3000},
        {"shifts", {1, -2, 3, 0, 0, 0, 1}, 1001, 1998, 3003},
        {"WX", {0, 0, 0, 0.001L, 0, 0, 1}, 1000, 2003, 2998},
        {"WY", {0, 0, 0, 0, 0.001L, 0, 1}, 997, 2000, 3001},
        {"WZ", {0, 0, 0, 0, 0, 0.001L, 1}, 1002, 1999, 3000},
        {"K", {0, 0, 0, 0, 0, 0, 1.5L}, 1500, 3000, 4500},
        {"rotations not scaled", {0, 0, 0, 0, 0, 0.001L, 2}, 2002, 3999, 6000},
    };
    for (const Case &c : cases) {
        const CartesianXYZ r = ApplySevenParameters(c.p, {1000, 2000, 3000});
        EXPECT_NEAR(static_cast<double>(r.X), static_cast<double>(c.X2), 1e-12) << c.name;
        EXPECT_NEAR(static_cast<double>(r.Y), static_cast<double>(c.Y2), 1e-12) << c.name;
        EXPECT_NEAR(static_cast<double>(r.Z), static_cast<double>(c.Z2), 1e-12) << c.name;
    }
    // Each line in the order written: product with K, first rotation term, second, shift last.
    // Over these points another order (the shift first, or the rotations summed first) changes
    // the last bit somewhere, so the comparison is exact.
    const SevenParameters full = FromSeconds(-15.415L, 157.025L, 94.142L, -1.467L, 0.347L, 1.077L, 1.0000023L);
    int otherOrderDiffers = 0;
    for (int i = 0; i < 200; ++i) {
        const CartesianXYZ o = GeodeticToCartesian(Wgs84, -60 + 0.61L * i, -170 + 1.7L * i, 13.7L * i);
        const CartesianXYZ r = ApplySevenParameters(full, o);
        const Real X2 = full.K * o.X + full.WZ * o.Y - full.WY * o.Z + full.DX;
        const Real Y2 = full.K * o.Y - full.WZ * o.X + full.WX * o.Z + full.DY;
        const Real Z2 = full.K * o.Z + full.WY * o.X - full.WX * o.Y + full.DZ;
        EXPECT_EQ(r.X, X2) << "X, point " << i;
        EXPECT_EQ(r.Y, Y2) << "Y, point " << i;
        EXPECT_EQ(r.Z, Z2) << "Z, point " << i;
        const Real shiftFirstY = full.DY + full.K * o.Y + (full.WX * o.Z - full.WZ * o.X);
        const Real rotationsFirstZ = full.K * o.Z + (full.WY * o.X - full.WX * o.Y + full.DZ);
        otherOrderDiffers += (shiftFirstY != Y2) + (rotationsFirstZ != Z2);
    }
    EXPECT_GT(otherOrderDiffers, 0) << "the points do not tell the orders apart";

    // Identity leaves a point exactly as it is.
    const CartesianXYZ big{-2148744.3971L, 4426641.2099L, 4044655.8597L};
    const CartesianXYZ same = ApplySevenParameters(SevenParameters{}, big);
    EXPECT_EQ(same.X, big.X);
    EXPECT_EQ(same.Y, big.Y);
    EXPECT_EQ(same.Z, big.Z);
}

TEST(GaussEliminate, SolvesWithoutRowExchanges)
{
    NormalMatrix N{};
    NormalVector U{};
    // 3 × 3 system with solution (1, −2, 3).
    N[0] = {4, -2, 1};
    N[1] = {-2, 4, -2};
    N[2] = {1, -2, 4};
    U = {4 + 4 + 3, -2 - 8 - 6, 1 + 4 + 12};
    const GaussSolution s = GaussEliminate(3, N, U);
    EXPECT_TRUE(s.success);
    EXPECT_NEAR(static_cast<double>(s.p[0]), 1, 1e-15);
    EXPECT_NEAR(static_cast<double>(s.p[1]), -2, 1e-15);
    EXPECT_NEAR(static_cast<double>(s.p[2]), 3, 1e-15);

    // A zero first pivot that a row exchange would avoid: the elimination divides by it, and the
    // pivot test refuses the matrix beforehand.
    NormalMatrix swapped{};
    swapped[0] = {0, 1};
    swapped[1] = {1, 0};
    EXPECT_FALSE(NormalMatrixIsSolvable(2, swapped));
    FpGuard guard;
    const GaussSolution bad = GaussEliminate(2, swapped, NormalVector{1, 2});
    EXPECT_TRUE(bad.success) << "the flag is always true";
    EXPECT_THROW(guard.check(bad.p), FloatError);
}

TEST(EstimateSevenParameters, RecoversKnownParameters)
{
    // The normal equations are formed in raw earth-centred coordinates, so a small area loses
    // digits: the shifts and rotations of a 2 km area are good to some 1e-4 m and 1e-6", those of
    // areas of tens of kilometres to a micrometre and 1e-8". K shows every decimal in all cases.
    struct Case {
        const char *name;
        SevenParameters truth;
        std::vector<CartesianXYZ> points;
        double shiftTolerance = 1e-6;   // metres
        double rotationTolerance = 2e-8; // arc-seconds
    };
    const Case cases[] = {
        {"identity", {}, Grid(35, 0.2L, 2, 2, 0.1L)},
        {"DX 100 m, WZ 2\", K 1.000005", FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L), Grid(35, -0.3L, 3, 3, 0.1L)},
        {"three points", FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L),
         {GeodeticToCartesian(Wgs84, 30, 1, 10), GeodeticToCartesian(Wgs84, 30.2L, 1.05L, 80),
          GeodeticToCartesian(Wgs84, 30.05L, 1.3L, 40)}},
        {"all seven", FromSeconds(-15.415L, 157.025L, 94.142L, -1.467L, 0.347L, 1.077L, 1.0000023L), Grid(39.5L, -0.5L, 4, 5, 0.25L)},
        {"forty points, beyond the old 33", FromSeconds(24.7L, -131.2L, -82.9L, 3.1L, -2.2L, -0.8L, 0.9999961L),
         Grid(23, -1.4L, 5, 8, 0.4L)},
        {"small area, 2 km", FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L), Grid(45, 0, 3, 3, 0.01L), 2e-4, 5e-6},
        {"southern and western", FromSeconds(-50, 20, 30, 1, 1, 1, 1.00001L), Grid(-33, -0.6L, 3, 4, 0.3L)},
    };
    for (const Case &c : cases) {
        const SevenParameters p = EstimateSevenParameters(Generated(c.points, c.truth));
        const auto got = PanelTexts(p);
        const auto want = PanelTexts(c.truth);
        EXPECT_NEAR(static_cast<double>(p.DX), static_cast<double>(c.truth.DX), c.shiftTolerance) << c.name;
        EXPECT_NEAR(static_cast<double>(p.DY), static_cast<double>(c.truth.DY), c.shiftTolerance) << c.name;
        EXPECT_NEAR(static_cast<double>(p.DZ), static_cast<double>(c.truth.DZ), c.shiftTolerance) << c.name;
        for (int i = 3; i < 6; ++i)
            EXPECT_NEAR(std::stod(got[i]), std::stod(want[i]), c.rotationTolerance) << c.name << ", rotation " << i;
        // Whatever the conditioning, the estimate reproduces the new points.
        for (const CommonPointXYZ &cp : Generated(c.points, c.truth)) {
            const CartesianXYZ f = ApplySevenParameters(p, cp.oldXYZ);
            EXPECT_EQ(NumberToText(4, f.X - cp.newXYZ.X) + NumberToText(4, f.Y - cp.newXYZ.Y) + NumberToText(4, f.Z - cp.newXYZ.Z),
                      "0.00000.00000.0000")
                << c.name;
        }
        EXPECT_EQ(got[6], want[6]) << c.name << ", K";
    }
}

TEST(EstimateSevenParameters, IdentityGivesTheIdentityTexts)
{
    const auto points = Grid(35, 0.2L, 3, 3, 0.05L);
    const auto texts = PanelTexts(EstimateSevenParameters(Generated(points, {})));
    const std::vector<std::string> want{"0.0000000000", "0.0000000000", "0.0000000000", "0.0000000000",
                                        "0.0000000000", "0.0000000000", "1.0000000000"};
    EXPECT_EQ(texts, want);
}

TEST(EstimateSevenParameters, RefusesPointsThatDoNotFixTheParameters)
{
    const CartesianXYZ a = GeodeticToCartesian(Wgs84, 35, 0, 50);
    const CartesianXYZ b = GeodeticToCartesian(Wgs84, 35.1L, 0.1L, 60);
    const CartesianXYZ c = GeodeticToCartesian(Wgs84, 35, 0.2L, 70);
    struct Case {
        const char *name;
        std::vector<CartesianXYZ> points;
    };
    std::vector<CartesianXYZ> meridianLine, spaceLine, tinyCluster, plumbLine, narrowStrip;
    for (int i = 0; i < 5; ++i) {
        meridianLine.push_back(GeodeticToCartesian(Wgs84, 35 + i * 0.05L, 0.3L, 10 * i));
        spaceLine.push_back({a.X + i * 1000.0L, a.Y + i * 200.0L, a.Z - i * 700.0L});
        tinyCluster.push_back({a.X + (i % 2) * 0.001L, a.Y + (i / 2) * 0.001L, a.Z});
        plumbLine.push_back(GeodeticToCartesian(Wgs84, 35, 0, 10.0L * i));
        // A 20 km line of points 5 m wide.
        narrowStrip.push_back(GeodeticToCartesian(Wgs84, 35 + i * 0.045L, 0.3L + (i % 2) * 0.00005L, 0));
    }
    const Case cases[] = {
        {"no point", {}},
        {"one point", {a}},
        {"two points", {a, b}},
        {"three rows, two distinct points", {a, b, a}},
        {"points on a straight line in space", spaceLine},
        {"points along one meridian", meridianLine},
        {"a line of points 5 m wide", narrowStrip},
        {"points a millimetre apart", tinyCluster},
        {"points above one another", plumbLine},
        {"all at the origin", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
    };
    for (const Case &k : cases) {
        FpGuard guard;
        try {
            EstimateSevenParameters(Generated(k.points, FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L)));
            ADD_FAILURE() << k.name << ": accepted";
        } catch (const PoorCommonPointsError &e) {
            EXPECT_EQ(std::string(e.what()), "公共点太少或分布不当，无法解算七参数：至少需要三个不在同一直线上的公共点！")
                << k.name;
        }
        EXPECT_NO_THROW(guard.check()) << k.name << ": the refusal raised a floating-point flag";
    }
    // Three well-placed points are enough, and so is a narrow but real triangle.
    EXPECT_NO_THROW(EstimateSevenParameters(Generated({a, b, c}, {})));
    const CartesianXYZ offLine = GeodeticToCartesian(Wgs84, 35.05L, 0.3L + 0.002L, 0); // 180 m off a 11 km base
    EXPECT_NO_THROW(EstimateSevenParameters(Generated({meridianLine[0], offLine, meridianLine[2]}, {})));
}

TEST(EstimateSevenParameters, LeavesAFaultToTheGuard)
{
    // A point whose conversion failed is not mistaken for poorly placed points: the fault runs
    // through to the solution and the guard reports it.
    FpGuard guard;
    volatile Real zero = 0;
    const Real invalid = zero / zero;
    auto points = Generated(Grid(35, 0, 2, 2, 0.1L), {});
    points[1].oldXYZ.Y = invalid;
    EXPECT_NO_THROW({
        const SevenParameters p = EstimateSevenParameters(points);
        EXPECT_TRUE(std::isnan(p.K));
    });
    EXPECT_THROW(guard.check(), FloatError);
}

TEST(EstimateSevenParameters, LeastSquaresOverRedundantPoints)
{
    // Noise of ±5 cm on the new coordinates: the estimate is the least-squares one, so the sum of
    // the residuals' products with every column of the design vanishes.
    const auto oldPoints = Grid(31, 0, 3, 4, 0.2L);
    auto common = Generated(oldPoints, FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L));
    for (std::size_t i = 0; i < common.size(); ++i) {
        const Real e = (static_cast<int>(i * 7 % 5) - 2) * 0.025L;
        common[i].newXYZ.X += e;
        common[i].newXYZ.Y -= 0.5L * e;
        common[i].newXYZ.Z += 0.8L * e;
    }
    const SevenParameters p = EstimateSevenParameters(common);
    Real sums[7] = {};
    for (const auto &cp : common) {
        const CartesianXYZ f = ApplySevenParameters(p, cp.oldXYZ);
        const Real vx = f.X - cp.newXYZ.X, vy = f.Y - cp.newXYZ.Y, vz = f.Z - cp.newXYZ.Z;
        const CartesianXYZ &o = cp.oldXYZ;
        sums[0] += vx;
        sums[1] += vy;
        sums[2] += vz;
        sums[3] += o.Z * vy - o.Y * vz;
        sums[4] += -o.Z * vx + o.X * vz;
        sums[5] += o.Y * vx - o.X * vy;
        sums[6] += o.X * vx + o.Y * vy + o.Z * vz;
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(static_cast<double>(sums[i]), 0, 1e-6) << "column " << i;
    for (int i = 3; i < 7; ++i)
        EXPECT_NEAR(static_cast<double>(sums[i] / 6.4e6L), 0, 1e-6) << "column " << i;
}

} // namespace
