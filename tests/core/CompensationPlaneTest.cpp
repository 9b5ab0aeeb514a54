#include "core/Cartesian.h"
#include "core/CompensationPlane.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quorvil;

namespace {

Ellipsoid Preset(int index)
{
    const auto &p = EllipsoidPresets[index];
    return {TextToNumber(p.aText), TextToNumber(p.bText)};
}

struct AreaCase {
    int preset;
    Real B, ym, H;
    const char *radius, *distortion, *height; // as the window shows them: 3, 2 and 0 decimals
};

TEST(CompensationPlane, DistortionAndHeight)
{
    const AreaCase cases[] = {
        {0, 35, 50000, 500, "6370892.158", "-47.69", "304"},
        {0, 35, 0, 0, "6370892.158", "0.00", "0"},
        // On the central meridian only the height reduction remains: −1000 H / R per kilometre.
        {0, 35, 0, 637.0892158L, "6370892.158", "-100.00", "637"},
        // At sea level only the projection distortion: (ym/R)² / 2 per unit length.
        {0, 35, 100000, 0, "6370892.158", "123.19", "-785"},
    };
    for (const auto &c : cases) {
        const Ellipsoid e = Preset(c.preset);
        const std::string where = "B=" + std::to_string(double(c.B)) + " ym=" + std::to_string(double(c.ym)) +
                                  " H=" + std::to_string(double(c.H));
        EXPECT_EQ(NumberToText(3, MeanRadius(e, c.B)), c.radius) << where;
        EXPECT_EQ(NumberToText(2, DistortionPerKilometre(e, c.B, c.ym, c.H)), c.distortion) << where;
        EXPECT_EQ(NumberToText(0, CompensationHeight(e, c.B, c.ym, c.H)), c.height) << where;
    }
}

TEST(CompensationPlane, EnlargedEllipsoid)
{
    const Ellipsoid krasovsky = Preset(0);
    const Ellipsoid enlarged = EnlargedEllipsoid(krasovsky, 35, 304);
    EXPECT_EQ(NumberToText(4, enlarged.a), "6378549.3509");
    EXPECT_EQ(NumberToText(4, enlarged.b), "6357166.3493");
    // Same eccentricity; mean radius at the area's latitude grown by the compensation height.
    EXPECT_NEAR(double(enlarged.e2()), double(krasovsky.e2()), 1e-17);
    EXPECT_NEAR(double(MeanRadius(enlarged, 35) - MeanRadius(krasovsky, 35)), 304, 1e-8);
    // A compensation height of zero gives back the source ellipsoid.
    const Ellipsoid same = EnlargedEllipsoid(krasovsky, 35, 0);
    EXPECT_NEAR(double(same.a), double(krasovsky.a), 1e-8);
    EXPECT_NEAR(double(same.b), double(krasovsky.b), 1e-8);
}

TEST(CompensationPlane, LatitudeShiftMatchesTheSamePointOnTheLargerEllipsoid)
{
    // A point on the source ellipsoid, seen from the enlarged one (same eccentricity) through its
    // Cartesian coordinates, has the shifted latitude.
    const Ellipsoid from = Preset(0);
    for (Real Hd : {304.0L, 1500.0L, -200.0L})
        for (Real B : {0.0L, 20.0L, 35.0L, 45.0L, 63.5L, -30.0L}) {
            const Ellipsoid to = EnlargedEllipsoid(from, 35, Hd);
            const CartesianXYZ p = GeodeticToCartesian(from, B, 0.5L, 0);
            const GeodeticBLH seen = CartesianToGeodetic(to, p.X, p.Y, p.Z);
            EXPECT_NEAR(double(B + LatitudeShift(from, B, to.a - from.a)), double(seen.B), 1e-9)
                << "Hd=" << double(Hd) << " B=" << double(B);
        }
}

TEST(CompensationPlane, Transform)
{
    const Ellipsoid krasovsky = Preset(0);
    struct Case {
        Real x, y;
    } cases[] = {{3878776.946L, 273912.254L}, {3875000, 0}, {3500000, -120000}, {100, 50}};
    const Ellipsoid same = EnlargedEllipsoid(krasovsky, 35, 0);
    const Ellipsoid enlarged = EnlargedEllipsoid(krasovsky, 35, 304);
    for (const auto &c : cases) {
        const PlaneXY p = CompensationTransform(krasovsky, same, c.x, c.y);
        EXPECT_NEAR(double(p.x), double(c.x), 1e-3) << "x=" << double(c.x) << " y=" << double(c.y);
        EXPECT_NEAR(double(p.y), double(c.y), 1e-3) << "x=" << double(c.x) << " y=" << double(c.y);
        // On the enlarged ellipsoid lengths grow by about Hd / R everywhere near the area.
        const PlaneXY q = CompensationTransform(krasovsky, enlarged, c.x, c.y);
        if (c.y == 0)
            EXPECT_EQ(q.y, 0) << "x=" << double(c.x);
        else
            EXPECT_NEAR(double(q.y / c.y), 1 + 304 / 6370892.158, 2e-7) << "x=" << double(c.x);
    }
}

} // namespace
