#include "core/Error.h"
#include "core/FieldSurvey.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace quorvil;

namespace {

// Bearing in radians as the calculator shows it: packed ddd.mmss with 6 decimals.
std::string BearingText(Real radians) { return NumberToText(6, DegToDms(RadToDeg(radians))); }

// A packed angle as typed, in radians.
Real PackedToRad(Real packed) { return DegToRad(DmsToDeg(packed)); }

struct InverseCase {
    const char *name;
    Real x1, y1, x2, y2;
    const char *distance;
    const char *bearing;
};

TEST(CoordinateInverse, DistanceAndBearingAsShown)
{
    const Real d = 30 + 15.0L / 60 + 20.0L / 3600;          // 30°15′20″
    const Real hair = 30 + 15.0L / 60 + 59.9999999L / 3600; // a hair below 30°16′
    const InverseCase cases[] = {
        {"north-east", 0, 0, 100, 100, "141.421", "45.000000"},
        {"south", 0, 0, -100, 0, "100.000", "180.000000"},
        {"west", 0, 0, 0, -100, "100.000", "270.000000"},
        {"east", 0, 0, 0, 100, "100.000", "90.000000"},
        {"north", 5, 5, 105, 5, "100.000", "0.000000"},
        {"north-west", 0, 0, 1, -1, "1.414", "315.000000"},
        {"south-west, 225° a hair short: no carry", 1000, 2000, 900, 1900, "141.421", "224.596000"},
        {"30°15′20″", 0, 0, 100 * std::cos(DegToRad(d)), 100 * std::sin(DegToRad(d)), "100.000", "30.152000"},
        {"no carry at 60″", 0, 0, 100 * std::cos(DegToRad(hair)), 100 * std::sin(DegToRad(hair)), "100.000",
         "30.156000"},
    };
    for (const auto &c : cases) {
        const BearingDistance r = CoordinateInverse(c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(NumberToText(3, r.distance), c.distance) << c.name;
        EXPECT_EQ(BearingText(r.bearing), c.bearing) << c.name;
    }
}

TEST(CoordinateInverse, IdenticalPointsHaveNoBearing)
{
    try {
        CoordinateInverse(1000, 2000, 1000, 2000);
        ADD_FAILURE() << "identical points accepted";
    } catch (const FloatError &e) {
        EXPECT_STREQ(e.what(), "Invalid floating point operation");
    }
}

struct ForwardCase {
    const char *name;
    Real x1, y1, distance, packedBearing;
    const char *x2;
    const char *y2;
};

TEST(CoordinateForward, SecondPointAsShown)
{
    const ForwardCase cases[] = {
        {"east", 1000, 2000, 100, 90, "1000.000", "2100.000"},
        {"empty distance and bearing", 1000, 2000, 0, 0, "1000.000", "2000.000"},
        {"negative distance", 1000, 2000, -100, 90, "1000.000", "1900.000"},
        {"south", 1000, 2000, 50, 180, "950.000", "2000.000"},
        {"west", 1000, 2000, 50, 270, "1000.000", "1950.000"},
        {"45°", 0, 0, 141.4213562373095L, 45, "100.000", "100.000"},
        {"30°15′20″", 0, 0, 100, 30.152L, "86.379", "50.386"},
    };
    for (const auto &c : cases) {
        FpGuard guard;
        const GridPoint p = CoordinateForward(c.x1, c.y1, c.distance, PackedToRad(c.packedBearing));
        guard.check(p.x, p.y);
        EXPECT_EQ(NumberToText(3, p.x), c.x2) << c.name;
        EXPECT_EQ(NumberToText(3, p.y), c.y2) << c.name;
    }
}

TEST(CoordinateForward, InverseOfForwardGivesTheTypedBearingBack)
{
    for (const Real packed : {0.0001L, 30.152L, 89.5959L, 179.3045L, 270.0001L, 359.5959L}) {
        const GridPoint p = CoordinateForward(3000, 4000, 250, PackedToRad(packed));
        const BearingDistance r = CoordinateInverse(3000, 4000, p.x, p.y);
        EXPECT_EQ(BearingText(r.bearing), NumberToText(6, packed)) << "bearing " << static_cast<double>(packed);
        EXPECT_EQ(NumberToText(3, r.distance), "250.000") << "bearing " << static_cast<double>(packed);
    }
}

TEST(CircleOrientation, ReducedIntoOneTurn)
{
    struct Case {
        Real bearing, reading, orientation; // degrees
    } cases[] = {
        {0, 0, 0}, {10, 30, 340}, {30, 10, 20}, {359, 0, 359}, {0, 359, 1}, {180, 180, 0},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(static_cast<double>(RadToDeg(CircleOrientation(DegToRad(c.bearing), DegToRad(c.reading)))),
                    static_cast<double>(c.orientation), 1e-12)
            << "A " << static_cast<double>(c.bearing) << " b " << static_cast<double>(c.reading);
    EXPECT_EQ(ReduceToOneTurn(TwoPi), 0);
    EXPECT_EQ(ReduceToOneTurn(-TwoPi), 0);
}

struct PolarCase {
    const char *name;
    DistanceMode distanceMode;
    VerticalMode verticalMode;
    Real angle, distance, vertical; // as typed: packed angles, metres
    const char *x;
    const char *y;
    const char *h;
};

// Station (1000, 2000, 50), instrument height 1.5, prism 2, circle oriented to north; every row
// observed at 45°.
TEST(ReducePolarObservation, EveryDistanceAndVerticalMode)
{
    using D = DistanceMode;
    using V = VerticalMode;
    const PolarCase cases[] = {
        {"horizontal, height difference", D::Horizontal, V::HeightDifference, 45, 100, 3, "1070.711", "2070.711", "52.500"},
        {"horizontal, vertical angle", D::Horizontal, V::VerticalAngle, 45, 100, 5.3L, "1070.711", "2070.711", "59.129"},
        {"horizontal, zenith angle", D::Horizontal, V::ZenithAngle, 45, 100, 84.3L, "1070.711", "2070.711", "59.129"},
        {"slope, height difference", D::Slope, V::HeightDifference, 45, 100, 28, "1067.882", "2067.882", "77.500"},
        {"slope, vertical angle", D::Slope, V::VerticalAngle, 45, 100, 5.3L, "1070.385", "2070.385", "59.085"},
        {"slope, zenith angle", D::Slope, V::ZenithAngle, 45, 100, 84.3L, "1070.385", "2070.385", "59.085"},
        {"slope, depression", D::Slope, V::VerticalAngle, 45, 100, -5.3L, "1070.385", "2070.385", "39.915"},
        {"slope, zenith below horizon", D::Slope, V::ZenithAngle, 45, 100, 95.3L, "1070.385", "2070.385", "39.915"},
        {"slope equal to height difference", D::Slope, V::HeightDifference, 45, 28, 28, "1000.000", "2000.000", "77.500"},
        {"negative slope, height difference", D::Slope, V::HeightDifference, 45, -100, 28, "932.118", "1932.118", "77.500"},
        {"stadia, vertical angle", D::Stadia, V::VerticalAngle, 45, 100, 10, "1068.578", "2068.578", "66.601"},
        {"stadia, zenith angle", D::Stadia, V::ZenithAngle, 45, 100, 80, "1068.578", "2068.578", "66.601"},
    };
    const PolarStation station{1000, 2000, 50, 1.5L, 0};
    for (const auto &c : cases) {
        FpGuard guard;
        const PolarPoint p = ReducePolarObservation(station, c.distanceMode, c.verticalMode,
                                                    {c.angle, c.distance, c.vertical, 2}, 1, "P1");
        guard.check(p.x, p.y, p.h);
        EXPECT_EQ(NumberToText(3, p.x), c.x) << c.name;
        EXPECT_EQ(NumberToText(3, p.y), c.y) << c.name;
        EXPECT_EQ(NumberToText(3, p.h), c.h) << c.name;
    }
}

struct ExampleCase {
    const char *name;
    Real backsightBearing, backsightReading; // packed
    DistanceMode distanceMode;
    VerticalMode verticalMode;
    Real angle, distance, vertical;
    const char *x;
    const char *y;
    const char *h;
};

// Station (1000, 1000, 50), instrument height 1.5L, prism 1.5L.
TEST(ReducePolarObservation, FieldBookExamples)
{
    using D = DistanceMode;
    using V = VerticalMode;
    const ExampleCase cases[] = {
        {"total station", 0, 0, D::Horizontal, V::HeightDifference, 90, 100, 2, "1000.000", "1100.000", "52.000"},
        {"slope, zenith 90", 0, 0, D::Slope, V::ZenithAngle, 90, 100, 90, "1000.000", "1100.000", "50.000"},
        {"ω = 340°, sighting the backsight", 10, 30, D::Horizontal, V::HeightDifference, 30, 100, 0, "1098.481",
         "1017.365", "50.000"},
        {"ω = 340°, 10° short of a turn", 10, 30, D::Horizontal, V::HeightDifference, 20, 100, 0, "1100.000",
         "1000.000", "50.000"},
        {"stadia 96.985", 0, 0, D::Stadia, V::ZenithAngle, 0, 100, 80, "1096.985", "1000.000", "67.101"},
        {"circle reading past a turn", 350, 0, D::Horizontal, V::HeightDifference, 100, 100, 0, "1000.000",
         "1100.000", "50.000"},
    };
    for (const auto &c : cases) {
        PolarStation station{1000, 1000, 50, 1.5L, 0};
        station.orientation = CircleOrientation(PackedToRad(c.backsightBearing), PackedToRad(c.backsightReading));
        const PolarPoint p = ReducePolarObservation(station, c.distanceMode, c.verticalMode,
                                                    {c.angle, c.distance, c.vertical, 1.5L}, 1);
        EXPECT_EQ(NumberToText(3, p.x), c.x) << c.name;
        EXPECT_EQ(NumberToText(3, p.y), c.y) << c.name;
        EXPECT_EQ(NumberToText(3, p.h), c.h) << c.name;
    }
}

TEST(ReducePolarObservation, StadiaHorizontalDistanceIsCosineSquared)
{
    const PolarPoint p = ReducePolarObservation({0, 0, 0, 0, 0}, DistanceMode::Stadia, VerticalMode::ZenithAngle,
                                                {0, 100, 80, 0}, 1);
    EXPECT_EQ(NumberToText(3, p.x), "96.985");
    EXPECT_NEAR(static_cast<double>(p.x), 96.98463103929541, 1e-11);
}

struct RefusedCase {
    const char *name;
    DistanceMode distanceMode;
    Real distance, vertical;
    int row;
    const char *point;
    const char *message;
};

TEST(ReducePolarObservation, RefusedRowsAreNamed)
{
    const RefusedCase cases[] = {
        {"stadia with a height difference", DistanceMode::Stadia, 100, 2, 3, "P3",
         "第3行(点号 P3)：视距不能按“垂直距(全站仪)”归算，请将竖角方式改为垂直角或天顶角。"},
        {"stadia, unnamed point", DistanceMode::Stadia, 100, 0, 12, "  ",
         "第12行：视距不能按“垂直距(全站仪)”归算，请将竖角方式改为垂直角或天顶角。"},
        {"slope shorter than its height difference", DistanceMode::Slope, 5, 6, 2, " K7 ",
         "第2行(点号 K7)：斜距小于垂直距，无法归算水平距，请检查斜距和垂直距。"},
        {"slope shorter than a negative height difference", DistanceMode::Slope, 5, -6, 1, "",
         "第1行：斜距小于垂直距，无法归算水平距，请检查斜距和垂直距。"},
    };
    for (const auto &c : cases) {
        try {
            ReducePolarObservation({0, 0, 0, 0, 0}, c.distanceMode, VerticalMode::HeightDifference,
                                   {0, c.distance, c.vertical, 0}, c.row, c.point);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const PolarRowError &e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.name;
        }
    }
}

} // namespace
