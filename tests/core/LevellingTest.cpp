#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/Levelling.h"
#include "core/TextForms.h"
#include "core/TraverseSummary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvil;

namespace {

struct RouteCase {
    const char *name;
    LevellingRouteInput route;
    std::string fh, length;
    std::vector<std::string> corrections; // cell texts, 8 characters
    std::vector<std::string> heights;     // cell texts of the new points, 9 characters
    std::vector<std::string> corrected;   // report texts, 8 characters
};

TEST(LevellingRoute, Cases)
{
    const RouteCase cases[] = {
        {"worked example", {100, 101, {{1.2L, 0.505L}, {0.8L, 0.503L}}},
         "Fh=8mm", "线路总长[L]=2", {"   -4.80", "   -3.20"}, {"  100.500"}, {"   0.500", "   0.500"}},
        {"two benchmarks, one section", {50, 50.5L, {{3, 0.497L}}},
         "Fh=-3mm", "线路总长[L]=3", {"    3.00"}, {}, {"   0.500"}},
        {"closed route: fh is the sum of the differences", {20, 20, {{1, 1.004L}, {1, -0.5L}, {2, -0.5L}}},
         "Fh=4mm", "线路总长[L]=4", {"   -1.00", "   -1.00", "   -2.00"}, {"   21.003", "   20.502"},
         {"   1.003", "  -0.501", "  -0.502"}},
        {"set-up counts as weights", {10, 9, {{6, -0.4L}, {4, -0.59L}}},
         "Fh=10mm", "线路总长[L]=10", {"   -6.00", "   -4.00"}, {"    9.594"}, {"  -0.406", "  -0.594"}},
        {"misclosure of half a hundredth of a metre", {0, 0.0025L, {{1, 0}}},
         "Fh=-2.5mm", "线路总长[L]=1", {"    2.50"}, {}, {"   0.002"}},
    };
    for (const RouteCase &c : cases) {
        FpGuard guard;
        const LevellingResult r = AdjustLevellingRoute(c.route);
        guard.check(r.heights, r.corrections);
        EXPECT_EQ(FhText(r.misclosure), c.fh) << c.name;
        EXPECT_EQ(RouteLengthText(r.totalWeight), c.length) << c.name;
        ASSERT_EQ(r.corrections.size(), c.corrections.size()) << c.name;
        for (size_t i = 0; i < c.corrections.size(); ++i) {
            EXPECT_EQ(LevellingCorrectionText(r.corrections[i]), c.corrections[i]) << c.name << ", section " << i + 1;
            EXPECT_EQ(LevellingDifferenceText(r.corrected[i]), c.corrected[i]) << c.name << ", section " << i + 1;
        }
        ASSERT_EQ(r.heights.size(), c.route.sections.size() + 1) << c.name;
        for (size_t i = 0; i < c.heights.size(); ++i)
            EXPECT_EQ(LevellingHeightText(r.heights[i + 1]), c.heights[i]) << c.name << ", new point " << i + 1;
        // the route comes back onto the closing benchmark
        EXPECT_NEAR(static_cast<double>(r.heights.back()), static_cast<double>(c.route.endHeight), 1e-12) << c.name;
    }
}

TEST(LevellingRoute, WeightsSummingToZeroFaultAfterTheSummary)
{
    const LevellingRouteInput route{100, 101, {{0, 0.5L}, {0, 0.508L}}};
    FpGuard guard;
    const LevellingResult carried = CarryLevellingRoute(route);
    guard.check(carried.misclosure, carried.totalWeight); // Fh and L can be shown
    EXPECT_EQ(FhText(carried.misclosure), "Fh=8mm");
    EXPECT_EQ(RouteLengthText(carried.totalWeight), "线路总长[L]=0");
    const LevellingResult adjusted = DistributeLevellingMisclosure(carried);
    try {
        guard.check(adjusted.corrections, adjusted.heights);
        FAIL() << "no fault";
    } catch (const FloatError &e) {
        EXPECT_STREQ(e.what(), InvalidOperationText);
    }
}

TEST(LevellingRoute, LongRouteIsNotLimited)
{
    LevellingRouteInput route{0, 0, {}};
    for (int i = 0; i < 500; ++i)
        route.sections.push_back({1, i % 2 ? 0.25L : -0.25L});
    route.endHeight = -0.05L;
    const LevellingResult r = AdjustLevellingRoute(route);
    EXPECT_EQ(r.heights.size(), 501u);
    EXPECT_EQ(FhText(r.misclosure), "Fh=50mm");
    EXPECT_EQ(LevellingCorrectionText(r.corrections[0]), "   -0.10");
    EXPECT_EQ(LevellingHeightText(r.heights[500]), "   -0.050");
}

TEST(LevellingRoute, RouteWithoutSectionIsRefused)
{
    try {
        AdjustLevellingRoute({1, 2, {}});
        FAIL();
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), LevellingTooFewText);
    }
}

TEST(LevellingRoute, WideValuesAreNotCut)
{
    EXPECT_EQ(LevellingHeightText(123456.789L), "123456.789");
    EXPECT_EQ(LevellingCorrectionText(-123.45678L), "-123456.78");
}

} // namespace
