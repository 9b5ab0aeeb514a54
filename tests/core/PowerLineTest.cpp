#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/PowerLine.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

struct ChainageCase {
    const char *name;
    std::vector<RouteStation> stations;
    std::vector<std::string> chainage;
    std::vector<std::string> spacing;
};

TEST(MainLineChainage, SharesOfTheStraightLegs)
{
    const ChainageCase cases[] = {
        {"one point", {{0, 0}}, {"0"}, {"0"}},
        {"straight route", {{0, 0}, {0, 10}, {0, 25}}, {"0", "10", "25"}, {"0", "10", "15"}},
        {"no ZJ: one leg from the first to the last point", {{0, 0}, {3, 4}, {6, 0}}, {"0", "3", "6"}, {"0", "3", "3"}},
        {"ZJ at the bend", {{0, 0}, {3, 4, true}, {6, 0}}, {"0", "5", "10"}, {"0", "5", "5"}},
        {"several ZJ legs",
         {{0, 0}, {1, 1}, {2, 0, true}, {2, 3}, {2, 5, true}, {5, 9}},
         {"0", "1", "2", "5", "7", "12"},
         {"0", "1", "1", "3", "2", "5"}},
        {"ZJ on the last point changes nothing", {{0, 0}, {3, 4}, {6, 0, true}}, {"0", "3", "6"}, {"0", "3", "3"}},
        {"millimetre share, halves to even (2.5 mm)", {{0, 0}, {0, 0.0025L}}, {"0", "0.002"}, {"0", "0.002"}},
        {"millimetre share, halves to even (3.5 mm)", {{0, 0}, {0, 0.0035L}}, {"0", "0.004"}, {"0", "0.004"}},
        {"millimetre share, halves to even (1000.5 mm)", {{0, 0}, {0, 1.0005L}}, {"0", "1"}, {"0", "1"}},
        {"thirds keep their millimetres", {{0, 0}, {0, 1}, {1, 1}}, {"0", "0.707", "1.414"}, {"0", "0.707", "0.707"}},
        {"repeated points: a leg without length", {{5, 5}, {5, 5, true}, {8, 9}}, {"0", "0", "5"}, {"0", "0", "5"}},
    };
    for (const auto &c : cases) {
        FpGuard guard;
        const ChainageTexts t = MainLineChainage(c.stations);
        EXPECT_NO_THROW(guard.check()) << c.name;
        EXPECT_EQ(t.chainage, c.chainage) << c.name;
        EXPECT_EQ(t.spacing, c.spacing) << c.name;
    }
}

TEST(MainLineChainage, SpacingsAddUpToTheStraightDistance)
{
    // A wandering route without angle points: the spacings share the straight distance from
    // the first to the last point, each to the millimetre.
    std::vector<RouteStation> route;
    for (int i = 0; i < 40; ++i)
        route.push_back({3000000 + 37.25L * i + 4 * std::sin(Real(i)), 500000 + 11.5L * i + 7 * std::cos(Real(i))});
    const ChainageTexts t = MainLineChainage(route);
    const Real straight = std::hypot(route.back().x - route.front().x, route.back().y - route.front().y);
    Real sum = 0;
    for (const auto &s : t.spacing)
        sum += TextToNumber(s);
    EXPECT_NEAR(double(sum), double(straight), 0.0005 * route.size());
    EXPECT_NEAR(double(TextToNumber(t.chainage.back())), double(sum), 1e-9);
}

TEST(MainLineChainage, AnglePointRemarks)
{
    EXPECT_TRUE(IsAnglePointRemark("ZJ"));
    EXPECT_TRUE(IsAnglePointRemark("ZJ3 转角"));
    EXPECT_FALSE(IsAnglePointRemark("zj"));
    EXPECT_FALSE(IsAnglePointRemark(" ZJ"));
    EXPECT_FALSE(IsAnglePointRemark(""));
}

// ---- Sheets ----

SheetRow Row(const std::string &name, Real chainage, Real spacing, Real elevation, const std::string &angle = {})
{
    SheetRow r;
    r.name = name;
    r.columns[SheetChainage] = GeneralText(chainage);
    r.columns[SheetSpacing] = GeneralText(spacing);
    r.columns[SheetElevation] = GeneralText(elevation);
    r.columns[SheetFeatureAngle] = angle;
    return r;
}

// Evenly spaced rows 10 m apart with a saw-tooth of elevations.
std::vector<SheetRow> EvenRoute(int n)
{
    std::vector<SheetRow> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back(Row("J" + std::to_string(i + 1), 10 * i, i == 0 ? 0 : 10, 100 + (i % 4) * 2));
    return rows;
}

std::vector<SheetEntity> Of(const std::vector<SheetEntity> &all, SheetEntity::Kind kind, int page = -1)
{
    std::vector<SheetEntity> out;
    for (const auto &e : all)
        if (e.kind == kind && (page < 0 || e.page == page))
            out.push_back(e);
    return out;
}

// The y of the profile points of a page: the circles at the profile (x < 240).
std::vector<double> ProfileYs(const std::vector<SheetEntity> &all, int page)
{
    std::vector<double> ys;
    for (const auto &e : Of(all, SheetEntity::Circle, page))
        if (e.xy[0] < 240)
            ys.push_back(e.xy[1]);
    return ys;
}

TEST(PlanProfileSheets, ThirtyRowsMakeTwoFullPages)
{
    const auto rows = EvenRoute(30);
    FpGuard guard;
    const auto all = PlanProfileSheets(rows, 10);
    guard.check();

    const auto blocks = Of(all, SheetEntity::Block);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].xy, (std::vector<double>{0, 0}));
    EXPECT_EQ(blocks[1].xy, (std::vector<double>{0, 200}));

    for (int page = 0; page < 2; ++page) {
        const auto lines = Of(all, SheetEntity::Line, page);
        ASSERT_EQ(lines.size(), 16u) << page; // entry + 15 rows, then the exit
        const double y0 = 200.0 * page;
        EXPECT_EQ(lines.front().xy[1], y0) << "entry of page " << page;
        EXPECT_EQ(lines.back().xy[3], y0 + 150) << "exit of page " << page;
        const auto ys = ProfileYs(all, page);
        ASSERT_EQ(ys.size(), 15u);
        for (int i = 0; i < 15; ++i)
            EXPECT_DOUBLE_EQ(ys[i], y0 + 5 + 10 * i) << page << " row " << i;
    }
    // Page 0 starts at its first point; page 1's entry lies 5 units before row 16, half-way
    // back to row 15 (elevations 104 at row 16... row 15 is 104, row 16 is 106 → 105).
    const auto p0 = Of(all, SheetEntity::Line, 0);
    const auto p1 = Of(all, SheetEntity::Line, 1);
    EXPECT_EQ(p0.front().xy[0], p0.front().xy[2]);
    EXPECT_EQ(p0.front().xy[1], 0);
    // Last page: the closing line keeps the last point's elevation.
    EXPECT_EQ(p1.back().xy[0], p1.back().xy[2]);
    EXPECT_EQ(p1.back().xy[1], 345);
    EXPECT_EQ(p1.back().xy[3], 350);

    // Elevations of page 1: 100..106, mid 103; sv = 24/6 = 4 (ratio 4 ≤ 10).
    // Row 16 (index 15): elevation 100 + (15 % 4)·2 = 106; row 15: 104; entry at 105.
    EXPECT_DOUBLE_EQ(p1.front().xy[0], 226 - 4 * (105 - 103));
    EXPECT_DOUBLE_EQ(p1[1].xy[0], 226 - 4 * (106 - 103));
    // Exit of page 0 towards row 16: rows 15 → 16 are 104 → 106, 5 of 10 units: 105.
    EXPECT_DOUBLE_EQ(p0.back().xy[2], 226 - 4 * (105 - 103));

    // Page numbers and table texts.
    const auto texts = Of(all, SheetEntity::Text, 1);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].text, "2");
    EXPECT_EQ(texts[0].xy, (std::vector<double>{240, 365}));
    EXPECT_EQ(texts[0].size, 3);
    EXPECT_EQ(texts[1].text, "J16");
    EXPECT_EQ(texts[1].xy, (std::vector<double>{3, 343}));
    EXPECT_EQ(texts[2].text, "150"); // 累距 of row 16
    EXPECT_EQ(texts[2].xy, (std::vector<double>{18, 343}));
}

TEST(PlanProfileSheets, ExaggerationIsLimitedByTheRatio)
{
    // Span 20 m over 2 rows: sx = 10/20 = 0.5; elevations range 1 m: sv = 24 > 3·0.5.
    const std::vector<SheetRow> rows = {Row("A", 0, 0, 50), Row("B", 20, 20, 51)};
    const auto lines = Of(PlanProfileSheets(rows, 3), SheetEntity::Line);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_DOUBLE_EQ(lines[1].xy[2], 226 - 1.5 * (51 - 50.5));
}

TEST(PlanProfileSheets, NarrowSpacingsAreWidened)
{
    // sx = 10·3/30.3 ≈ 0.990: spacings 30 → 29.7 units, 0.1 → 0.099 (below 0.5: drawn as 2),
    // 0.2 → 0.198 (2 as well); the widest gives up the difference each time.
    const std::vector<SheetRow> rows = {Row("A", 0, 0, 10), Row("B", 30, 30, 11), Row("C", 30.1L, 0.1L, 12),
                                        Row("D", 30.3L, 0.2L, 13)};
    const auto all = PlanProfileSheets(rows, 10);
    const auto ys = ProfileYs(all, 0);
    ASSERT_EQ(ys.size(), 4u);
    const double sx = 10.0 * 3 / 30.3;
    EXPECT_NEAR(ys[1] - ys[0], 30 * sx - (2 - 0.1 * sx) - (2 - 0.2 * sx), 1e-9);
    EXPECT_NEAR(ys[2] - ys[1], 2, 1e-12);
    EXPECT_NEAR(ys[3] - ys[2], 2, 1e-12);

    // Between 0.5 and 9 units: widened to 3·√g.
    const std::vector<SheetRow> mid = {Row("A", 0, 0, 10), Row("B", 96, 96, 11), Row("C", 100, 4, 12)};
    const auto ys2 = ProfileYs(PlanProfileSheets(mid, 10), 0);
    const double g = 4 * 20.0 / 100;
    EXPECT_NEAR(ys2[2] - ys2[1], 3 * std::sqrt(g), 1e-12);
}

TEST(PlanProfileSheets, DegeneratePagesAreDrawnWithoutFaults)
{
    struct Case {
        const char *name;
        std::vector<SheetRow> rows;
        std::vector<double> ys;      // profile rows
        std::vector<double> xs;      // profile x of each row
    };
    const Case cases[] = {
        {"one row", {Row("A", 0, 0, 10)}, {5}, {226}},
        {"equal chainages: rows one unit apart", {Row("A", 7, 0, 10), Row("B", 7, 0, 12), Row("C", 7, 0, 14)},
         {5, 6, 7}, {238, 226, 214}},
        {"equal elevations: flat at the centre", {Row("A", 0, 0, 10), Row("B", 10, 10, 10)}, {5, 15}, {226, 226}},
    };
    for (const auto &c : cases) {
        FpGuard guard;
        std::vector<SheetEntity> all;
        ASSERT_NO_THROW({
            all = PlanProfileSheets(c.rows, 10);
            guard.check();
        }) << c.name;
        EXPECT_EQ(ProfileYs(all, 0), c.ys) << c.name;
        std::vector<double> xs;
        for (const auto &e : Of(all, SheetEntity::Circle, 0))
            if (e.xy[0] < 240)
                xs.push_back(e.xy[0]);
        EXPECT_EQ(xs, c.xs) << c.name;
        const auto lines = Of(all, SheetEntity::Line);
        EXPECT_EQ(lines.back().xy[3], 10.0 * c.rows.size()) << c.name; // closing line
    }

    // A second page whose first row repeats the chainage of the first page's last one: the
    // entry keeps the row's own elevation.
    auto rows = EvenRoute(16);
    rows[15].columns[SheetChainage] = rows[14].columns[SheetChainage];
    rows[15].columns[SheetSpacing] = "0";
    FpGuard guard;
    const auto all = PlanProfileSheets(rows, 10);
    EXPECT_NO_THROW(guard.check());
    const auto p1 = Of(all, SheetEntity::Line, 1);
    EXPECT_EQ(p1.front().xy[0], 226);
}

TEST(PlanProfileSheets, FeatureAngleTicks)
{
    struct Case {
        const char *angle;
        std::vector<double> tick; // relative to the row's y
    };
    const Case cases[] = {
        {"90", {244, 0, 268, 0}},
        {"45", {244, 12, 268, -12}},
        {"135", {244, -12, 268, 12}},
        {"0", {256, 12, 256, -12}},
        {"180", {256, 12, 256, -12}},
        {"180.0000", {256, 12, 256, -12}},
    };
    for (const auto &c : cases) {
        FpGuard guard;
        const std::vector<SheetRow> rows = {Row("A", 0, 0, 10, c.angle)};
        const auto ticks = Of(PlanProfileSheets(rows, 10), SheetEntity::Polyline);
        EXPECT_NO_THROW(guard.check()) << c.angle;
        ASSERT_EQ(ticks.size(), 1u) << c.angle;
        ASSERT_EQ(ticks[0].xy.size(), 4u);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(ticks[0].xy[i], c.tick[i] + (i % 2 ? 5 : 0), 1e-9) << c.angle << " coordinate " << i;
        EXPECT_TRUE(ticks[0].redraw);
    }
    // A blank angle draws no tick.
    const std::vector<SheetRow> rows = {Row("A", 0, 0, 10, "  ")};
    EXPECT_TRUE(Of(PlanProfileSheets(rows, 10), SheetEntity::Polyline).empty());
}

TEST(PlanProfileSheets, BadNumbersStopBeforeAnythingIsDrawn)
{
    struct Case {
        int row, column;
        const char *text;
        const char *message;
    };
    const Case cases[] = {
        {20, SheetChainage, "", "'' is not a valid floating point value"},
        {3, SheetSpacing, "1,5", "'1,5' is not a valid floating point value"},
        {29, SheetElevation, " ", "' ' is not a valid floating point value"},
        {0, SheetFeatureAngle, "abc", "'abc' is not a valid floating point value"},
    };
    for (const auto &c : cases) {
        auto rows = EvenRoute(30);
        rows[c.row].columns[c.column] = c.text;
        try {
            PlanProfileSheets(rows, 10);
            ADD_FAILURE() << c.text << " accepted";
        } catch (const ConversionError &e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

} // namespace
