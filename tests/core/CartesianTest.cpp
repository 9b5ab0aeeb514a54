#include "core/Cartesian.h"
#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#ifdef QUORVIL_HAVE_GEOGRAPHICLIB
#include <GeographicLib/Geocentric.hpp>
#endif

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

using namespace quorvil;

namespace {

Ellipsoid Preset(int index)
{
    const auto &p = EllipsoidPresets[index];
    return {TextToNumber(p.aText), TextToNumber(p.bText)};
}

std::string Printed(const CartesianXYZ &p)
{
    return NumberToText(4, p.X) + "," + NumberToText(4, p.Y) + "," + NumberToText(4, p.Z);
}

std::string Printed(const GeodeticBLH &g)
{
    return NumberToText(9, g.B) + "," + NumberToText(9, g.L) + "," + NumberToText(4, g.H);
}

struct Case {
    Real B, L, H;
    const char *xyz;
    const char *back; // B, L to 1e-9°, H to 0.1 mm
};

TEST(GeodeticToCartesian, WGS84Figures)
{
    const Ellipsoid wgs84 = Preset(3);
    const Case cases[] = {
        {35, 3, 100, "5223340.5249,273743.6774,3637924.2670", "35.000000000,3.000000000,100.0000"},
        {0, 0, 0, "6378137.0000,0.0000,0.0000", "0.000000000,0.000000000,0.0000"},
        // Beyond 90° from the working meridian X is negative and the longitude comes back 180° off.
        {35, 117, 100, nullptr, "35.000000000,-63.000000000,100.0000"},
        {35, 3, -50, nullptr, "35.000000000,3.000000000,-50.0000"},
        {-33.5L, -1.25L, 2500, nullptr, "-33.500000000,-1.250000000,2500.0000"},
    };
    for (const auto &c : cases) {
        FpGuard guard;
        const CartesianXYZ p = GeodeticToCartesian(wgs84, c.B, c.L, c.H);
        const GeodeticBLH g = CartesianToGeodetic(wgs84, p.X, p.Y, p.Z);
        guard.check(p.X, p.Y, p.Z, g.B, g.L, g.H);
        if (c.xyz)
            EXPECT_EQ(Printed(p), c.xyz) << "B=" << double(c.B) << " L=" << double(c.L) << " H=" << double(c.H);
        EXPECT_EQ(Printed(g), c.back) << "B=" << double(c.B) << " L=" << double(c.L) << " H=" << double(c.H);
    }
    EXPECT_LT(GeodeticToCartesian(wgs84, 35, 117, 100).X, 0);
    const GeodeticBLH g = CartesianToGeodetic(wgs84, wgs84.a, 0, 0);
    EXPECT_EQ(g.B, 0);
    EXPECT_EQ(g.L, 0);
    EXPECT_EQ(g.H, 0);
}

TEST(CartesianToGeodetic, RoundTripNearTheEllipsoid)
{
    Real worstB = 0, worstH = 0;
    for (int preset = 0; preset < 4; ++preset) {
        const Ellipsoid e = Preset(preset);
        for (int b = -85; b <= 85; b += 5)
            for (Real L : {-60.0L, -3.0L, 0.0L, 1.5L, 45.0L, 89.0L})
                for (Real H : {-5000.0L, -50.0L, 0.0L, 100.0L, 3000.0L, 5000.0L}) {
                    const CartesianXYZ p = GeodeticToCartesian(e, b, L, H);
                    const GeodeticBLH g = CartesianToGeodetic(e, p.X, p.Y, p.Z);
                    const Real dB = std::fabs(g.B - b) * 3600, dH = std::fabs(g.H - H);
                    worstB = std::fmax(worstB, dB);
                    worstH = std::fmax(worstH, dH);
                    const std::string where = "preset " + std::to_string(preset) + " B=" + std::to_string(b) +
                                              " L=" + std::to_string(double(L)) + " H=" + std::to_string(double(H));
                    EXPECT_LE(dB, 1e-7L) << where;
                    EXPECT_LE(dH, 1e-4L) << where;
                    EXPECT_LE(std::fabs(g.L - L), 1e-12L) << where;
                }
    }
    std::printf("round trip, heights -5 km to 5 km: largest dB %.3Le\", dH %.3Le m\n", worstB, worstH);
}

TEST(CartesianToGeodetic, FaultsOfTheAxisAndTheOrigin)
{
    const Ellipsoid wgs84 = Preset(3);
    struct FaultCase {
        Real X, Y, Z;
        const char *message;
    } cases[] = {
        {0, 0, 0, "Invalid floating point operation"},
        {0, 0, 6356752.3142L, "Floating point division by zero"},
        {0, 0, -6356752.3142L, "Floating point division by zero"},
        {0, 100, 6356752.3142L, "Floating point division by zero"},
    };
    for (const auto &c : cases) {
        std::string message = "no fault";
        try {
            FpGuard guard;
            const GeodeticBLH g = CartesianToGeodetic(wgs84, c.X, c.Y, c.Z);
            guard.check(g.B, g.L, g.H);
        } catch (const FloatError &e) {
            message = e.what();
        }
        EXPECT_EQ(message, c.message) << "X=" << double(c.X) << " Y=" << double(c.Y) << " Z=" << double(c.Z);
    }
}

#ifdef QUORVIL_HAVE_GEOGRAPHICLIB

TEST(GeodeticToCartesian, AgreesWithGeographicLib)
{
    const char *names[] = {"Krasovsky", "IAG-75", "CGCS2000", "WGS84"};
    for (int preset = 0; preset < 4; ++preset) {
        const Ellipsoid e = Preset(preset);
        const GeographicLib::Geocentric reference(double(e.a), double((e.a - e.b) / e.a));
        double worst = 0, worstBack = 0, worstHigh = 0;
        for (int b = -90; b <= 90; b += 3)
            for (int L = -180; L <= 180; L += 15)
                for (double H : {-500.0, 0.0, 1234.5, 5000.0, 9000.0}) {
                    double X, Y, Z;
                    reference.Forward(b, L, H, X, Y, Z);
                    const CartesianXYZ p = GeodeticToCartesian(e, b, L, H);
                    worst = std::fmax(worst, std::fabs(double(p.X) - X));
                    worst = std::fmax(worst, std::fabs(double(p.Y) - Y));
                    worst = std::fmax(worst, std::fabs(double(p.Z) - Z));
                    if (std::abs(b) < 90 && std::abs(L) <= 75) {
                        double rb, rl, rh;
                        reference.Reverse(X, Y, Z, rb, rl, rh);
                        const GeodeticBLH g = CartesianToGeodetic(e, X, Y, Z);
                        const double d = std::fmax(std::fabs(double(g.H) - rh), std::fabs(double(g.B) - rb) * 111e3);
                        (H > 5000 ? worstHigh : worstBack) = std::fmax(H > 5000 ? worstHigh : worstBack, d);
                    }
                }
        std::printf("%-9s GeodeticToCartesian vs GeographicLib: %.3e m; CartesianToGeodetic: %.3e m (|H| <= 5 km), %.3e m (9 km)\n",
                    names[preset], worst, worstBack, worstHigh);
        EXPECT_LE(worst, 1e-6) << names[preset];
        EXPECT_LE(worstBack, 1e-4) << names[preset];
    }
}

#endif

} // namespace
