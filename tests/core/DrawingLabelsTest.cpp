// Point names, zones of grid eastings and the label texts of the drawing tools.
#include "core/DrawingLabels.h"
#include "core/Error.h"
#include "core/GaussKruger.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

using namespace quorvil;

TEST(DrawingLabels, NextPointName)
{
    const std::pair<const char *, const char *> cases[] = {
        {"J1", "J2"},       {"A09", "A10"}, {"12", "13"},   {"K", "K1"},     {"", "1"},
        {"J0", "J1"},       {"J00", "J1"},  {"A9", "A10"},  {"B199", "B200"}, {"点9", "点10"},
        {"J2147483647", "J2147483648"},       {"J99999999999", "J100000000000"},
        {"P000000000000000000000000000009", "P10"}, {"X1Y", "X1Y1"},
    };
    for (const auto &[name, next] : cases)
        EXPECT_EQ(NextPointName(name), next) << name;
}

TEST(DrawingLabels, ZoneOfEasting)
{
    struct Case {
        Real Y;
        int width, number;
        Real meridian, reduced;
    };
    const Case cases[] = {
        {38500000, 3, 38, 114, 0},      {20612345.5L, 6, 20, 117, 112345.5L}, {400000, 6, 0, -3, -100000},
        {400000, 3, 0, 0, -100000},     {60999999, 6, 60, 357, 499999},       {120500000, 3, 120, 360, 0},
    };
    for (const Case &c : cases) {
        const GaussZone zone = ZoneOfEasting(c.Y, c.width);
        EXPECT_EQ(zone.number, c.number) << double(c.Y);
        EXPECT_EQ(zone.centralMeridian, c.meridian) << double(c.Y);
        EXPECT_EQ(zone.reducedY, c.reduced) << double(c.Y);
    }
    const std::pair<Real, int> refused[] = {{-1, 3}, {-0.001L, 6}, {61000000, 6}, {121000000, 3}, {1e30L, 3}};
    for (const auto &[Y, width] : refused)
        EXPECT_THROW(ZoneOfEasting(Y, width), Error) << double(Y);
}

TEST(DrawingLabels, GeographicLabelTextsAndLeader)
{
    const Ellipsoid krasovsky{6378245, TextToNumber("6356863.0187730473")};
    // 34°12′30.25″ N, 115°00′15.75″ E in the 3° zone 38 (114° E).
    const Real B = 34 + 12 / 60.0L + 30.25L / 3600;
    const Real l = 15.75L / 3600 + 1;
    const PlaneXY p = GaussForward(krasovsky, B, l);
    struct Case {
        int decimals;
        const char *north, *east;
        int leader;
    };
    const Case cases[] = {
        {0, "N 34°12′30″", "E115°00′16″", 14},
        {6, "N 34°12′30.250000″", "E115°00′15.750000″", 21},
    };
    for (const Case &c : cases) {
        const GeographicLabel label = GeographicLabelOf(krasovsky, p.x, p.y + 38500000, 3, c.decimals);
        EXPECT_EQ(label.north, c.north) << c.decimals;
        EXPECT_EQ(label.east, c.east) << c.decimals;
        EXPECT_EQ(label.leaderBytes, c.leader) << c.decimals;
    }
    // The same point in the 6° zone 20 (117° E).
    const PlaneXY p6 = GaussForward(krasovsky, B, l - 3);
    EXPECT_EQ(GeographicLabelOf(krasovsky, p6.x, p6.y + 20500000, 6, 2).east, "E115°00′15.75″");
}

TEST(DrawingLabels, PlaneLabelAndGbkLength)
{
    const PlaneLabel label = PlaneLabelOf(500100.5L, 3380200.25L);
    EXPECT_EQ(label.x, "X=3380200.250");
    EXPECT_EQ(label.y, "Y=500100.500");
    EXPECT_EQ(label.length, 13);
    EXPECT_EQ(GbkLength("N 34°12′30″"), 14);
    EXPECT_EQ(GbkLength("界桩1"), 5);
}
