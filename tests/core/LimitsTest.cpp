// The table of limits: each limit against its row in the standard at two values of n or L, the
// verdicts at the edge (exactly at the limit is 合格), the grades as surveyors write them, grades
// the table does not know, and the verdicts of whole traverses and routes.
#include "core/CoordinateTraverse.h"
#include "core/Levelling.h"
#include "core/Limits.h"
#include "core/TextForms.h"
#include "core/Traverse.h"
#include "core/TraverseSummary.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

constexpr LimitStandard GB = LimitStandard::Gb50026;
constexpr LimitStandard CJJ = LimitStandard::Cjj8;

// An angle of so many arc seconds, in radians.
Real Seconds(Real seconds) { return DegToRad(seconds / 3600); }

TEST(Limits, TraverseAngularClosureAtTwoNumbersOfAngles)
{
    // ±k″√n with n = 4 and n = 9 (n = 7 for the 一级 example of 26.46″); a closure of 0 passes.
    const struct {
        LimitStandard standard;
        const char *grade;
        size_t n;
        const char *text;
    } cases[] = {
        {GB, "三等", 4, "fβ=0″ 限差±7.2″ 合格"},      {GB, "三等", 9, "fβ=0″ 限差±10.8″ 合格"},
        {GB, "四等", 4, "fβ=0″ 限差±10″ 合格"},       {GB, "四等", 9, "fβ=0″ 限差±15″ 合格"},
        {GB, "一级", 4, "fβ=0″ 限差±20″ 合格"},       {GB, "一级", 7, "fβ=0″ 限差±26.46″ 合格"},
        {GB, "二级", 4, "fβ=0″ 限差±32″ 合格"},       {GB, "二级", 9, "fβ=0″ 限差±48″ 合格"},
        {GB, "三级", 4, "fβ=0″ 限差±48″ 合格"},       {GB, "三级", 9, "fβ=0″ 限差±72″ 合格"},
        {GB, "首级图根", 4, "fβ=0″ 限差±80″ 合格"},   {GB, "首级图根", 9, "fβ=0″ 限差±120″ 合格"},
        {GB, "图根", 4, "fβ=0″ 限差±120″ 合格"},      {GB, "图根", 9, "fβ=0″ 限差±180″ 合格"},
        {CJJ, "三等", 4, "fβ=0″ 限差±6″ 合格"},       {CJJ, "三等", 9, "fβ=0″ 限差±9″ 合格"},
        {CJJ, "四等", 4, "fβ=0″ 限差±10″ 合格"},      {CJJ, "四等", 9, "fβ=0″ 限差±15″ 合格"},
        {CJJ, "一级", 4, "fβ=0″ 限差±20″ 合格"},      {CJJ, "一级", 9, "fβ=0″ 限差±30″ 合格"},
        {CJJ, "二级", 4, "fβ=0″ 限差±32″ 合格"},      {CJJ, "二级", 9, "fβ=0″ 限差±48″ 合格"},
        {CJJ, "三级", 4, "fβ=0″ 限差±48″ 合格"},      {CJJ, "三级", 9, "fβ=0″ 限差±72″ 合格"},
        {CJJ, "首级图根", 4, "fβ=0″ 限差±80″ 合格"},  {CJJ, "图根", 9, "fβ=0″ 限差±120″ 合格"},
    };
    for (const auto &c : cases) {
        const ClosureVerdict v = JudgeAngularClosure(c.standard, c.grade, 0, c.n);
        EXPECT_EQ(v.text, c.text) << StandardCode(c.standard) << " " << c.grade << " n=" << c.n;
        EXPECT_TRUE(v.judged && !v.over) << c.grade;
    }
}

TEST(Limits, TraverseRelativeClosureOfEveryGrade)
{
    // 1/T of each grade, a route of 1500 m closing exactly on its limit and by 1 mm more.
    const struct {
        LimitStandard standard;
        const char *grade;
        Real t;
    } cases[] = {
        {GB, "三等", 55000},   {GB, "四等", 35000},  {GB, "一级", 15000},     {GB, "二级", 10000},
        {GB, "三级", 5000},    {GB, "图根", 2000},   {GB, "首级图根", 2000},  {CJJ, "三等", 60000},
        {CJJ, "四等", 40000},  {CJJ, "一级", 14000}, {CJJ, "二级", 10000},    {CJJ, "三级", 6000},
        {CJJ, "图根", 4000},   {CJJ, "首级图根", 4000},
    };
    for (const auto &c : cases) {
        const std::string t = NumberToText(0, c.t);
        const Real length = 1500, atLimit = length / c.t;
        const ClosureVerdict edge = JudgeRelativeClosure(c.standard, c.grade, length, atLimit);
        EXPECT_EQ(edge.text, "K=1/" + t + " 限差1/" + t + " 合格") << StandardCode(c.standard) << " " << c.grade;
        const ClosureVerdict over = JudgeRelativeClosure(c.standard, c.grade, length, atLimit + 0.001L);
        EXPECT_TRUE(over.over) << c.grade << " " << over.text;
        EXPECT_EQ(over.text.substr(over.text.size() - 6), OverText) << over.text;
        EXPECT_EQ(LimitValue(c.standard, c.grade, LimitQuantity::RelativeClosure), c.t) << c.grade;
    }
    // The example of a traverse well inside its limit.
    EXPECT_EQ(JudgeRelativeClosure(GB, "一级", 1646, 0.02L).text, "K=1/82300 限差1/15000 合格");
}

TEST(Limits, LevellingFlatAndHillyAtTwoValues)
{
    const struct {
        LimitStandard standard;
        const char *grade;
        std::optional<Real> km, stations;
        const char *limit; // "" when the table has none
    } cases[] = {
        // Flat ground, ±k√L with L in km: whole millimetres.
        {GB, "二等", 2, {}, "±6mm"},   {GB, "二等", 9, {}, "±12mm"},  {GB, "三等", 2, {}, "±17mm"},
        {GB, "三等", 9, {}, "±36mm"},  {GB, "四等", 2, {}, "±28mm"},  {GB, "四等", 9, {}, "±60mm"},
        {GB, "五等", 2, {}, "±42mm"},  {GB, "五等", 9, {}, "±90mm"},  {GB, "图根", 2, {}, "±57mm"},
        {GB, "图根", 9, {}, "±120mm"}, {CJJ, "二等", 2, {}, "±6mm"},  {CJJ, "三等", 9, {}, "±36mm"},
        {CJJ, "四等", 2, {}, "±28mm"}, {CJJ, "图根", 9, {}, "±120mm"}, {CJJ, "五等", 2, {}, ""},
        // Hilly ground, ±k√n with n stations counted where the length is not known.
        {GB, "三等", {}, 16, "±16mm"}, {GB, "三等", {}, 25, "±20mm"}, {GB, "四等", {}, 16, "±24mm"},
        {GB, "四等", {}, 25, "±30mm"}, {GB, "图根", {}, 16, "±48mm"}, {GB, "图根", {}, 25, "±60mm"},
        {CJJ, "三等", {}, 16, "±16mm"}, {CJJ, "四等", {}, 25, "±30mm"}, {CJJ, "图根", {}, 25, "±60mm"},
        // Both known: more than 16 stations per km is hilly, 16 or fewer flat.
        {GB, "三等", 2, 40, "±25mm"},  {GB, "三等", 2, 32, "±17mm"},  {GB, "图根", 1, 17, "±49mm"},
        // 二等 and 五等 go by length alone.
        {GB, "二等", 2, 40, "±6mm"},
    };
    for (const auto &c : cases) {
        const ClosureVerdict v = JudgeLevellingClosure(c.standard, c.grade, 0.005L, c.km, c.stations);
        const std::string where = StandardCode(c.standard) + " " + c.grade;
        if (*c.limit) {
            EXPECT_EQ(v.text, std::string("fh=5mm 限差") + c.limit + " 合格") << where;
            EXPECT_TRUE(v.judged) << where;
        } else {
            EXPECT_EQ(v.text, std::string("fh=5mm 等级“") + c.grade + "”无限差") << where;
            EXPECT_FALSE(v.judged || v.over) << where;
        }
    }
    // Stations alone for a grade judged by length alone; a route of no length.
    EXPECT_EQ(JudgeLevellingClosure(GB, "二等", 0.001L, {}, 20).text, "fh=1mm 等级“二等”无按测站数计的限差");
    EXPECT_EQ(JudgeLevellingClosure(GB, "四等", 0.001L, 0, {}).text, "fh=1mm 路线长度不为正，无限差");
}

TEST(Limits, VerdictsAtTheEdge)
{
    // Exactly at the limit passes; a hundredth beyond fails, on either side.
    const struct {
        const char *name;
        ClosureVerdict verdict;
        const char *text;
    } cases[] = {
        {"fβ at +20″", JudgeAngularClosure(GB, "一级", Seconds(20), 4), "fβ=20″ 限差±20″ 合格"},
        {"fβ at −20″", JudgeAngularClosure(GB, "一级", Seconds(-20), 4), "fβ=-20″ 限差±20″ 合格"},
        {"fβ beyond", JudgeAngularClosure(GB, "一级", Seconds(20.01L), 4), "fβ=20.01″ 限差±20″ 超限"},
        {"fβ beyond, negative", JudgeAngularClosure(GB, "一级", Seconds(-20.01L), 4), "fβ=-20.01″ 限差±20″ 超限"},
        {"fβ of the example", JudgeAngularClosure(GB, "一级", Seconds(-19.75L), 7), "fβ=-19.75″ 限差±26.46″ 合格"},
        {"fh at 40 mm", JudgeLevellingClosure(GB, "四等", 0.040L, 4, {}), "fh=40mm 限差±40mm 合格"},
        {"fh at −40 mm", JudgeLevellingClosure(GB, "四等", -0.040L, 4, {}), "fh=-40mm 限差±40mm 合格"},
        {"fh beyond", JudgeLevellingClosure(GB, "四等", 0.04001L, 4, {}), "fh=40.01mm 限差±40mm 超限"},
        {"fh of the example", JudgeLevellingClosure(GB, "四等", 0.008L, 2, {}), "fh=8mm 限差±28mm 合格"},
        {"K at 1/15000", JudgeRelativeClosure(GB, "一级", 1500, 0.1L), "K=1/15000 限差1/15000 合格"},
        {"K beyond", JudgeRelativeClosure(GB, "一级", 1500, 0.10001L), "K=1/14999 限差1/15000 超限"},
        {"exact closure", JudgeRelativeClosure(GB, "一级", 1500, 0), "K=1/∞ 限差1/15000 合格"},
        {"closure beyond the route", JudgeRelativeClosure(GB, "一级", 0, 0.005L), "K>1 限差1/15000 超限"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.verdict.text, c.text) << c.name;
        EXPECT_EQ(c.verdict.over, std::string(c.text).ends_with(OverText)) << c.name;
        EXPECT_TRUE(c.verdict.judged) << c.name;
    }
}

TEST(Limits, GradesAsSurveyorsWriteThem)
{
    using F = SurveyFamily;
    const struct {
        const char *text;
        SurveyFamily family;
        const char *grade; // "" for none
    } cases[] = {
        {"一级", F::Traverse, "一级"},         {"一级导线", F::Traverse, "一级"},
        {"1级", F::Traverse, "一级"},          {" 2 级 ", F::Traverse, "二级"},
        {"Ⅲ级导线", F::Traverse, "三级"},      {"一级导线测量", F::Traverse, "一级"},
        {"三等", F::Traverse, "三等"},         {"四等导线", F::Traverse, "四等"},
        {"三等", F::Levelling, "三等"},        {"三等水准", F::Levelling, "三等"},
        {"3等水准测量", F::Levelling, "三等"}, {"　四等　水准", F::Levelling, "四等"},
        {"图根", F::Traverse, "图根"},         {"图根导线", F::Traverse, "图根"},
        {"图根控制", F::Traverse, "图根"},     {"首级图根", F::Traverse, "首级图根"},
        {"首级图根导线", F::Traverse, "首级图根"}, {"首级图根", F::Levelling, "图根"},
        {"图根水准", F::Levelling, "图根"},    {"五级", F::Traverse, "五级"},
        // Not grades of the family.
        {"三等水准", F::Traverse, ""},         {"一级导线", F::Levelling, ""},
        {"图根导线", F::Levelling, ""},        {"测试", F::Traverse, ""},
        {"", F::Traverse, ""},                 {"十级", F::Traverse, ""},
        {"一级半", F::Traverse, ""},           {"等", F::Levelling, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RecognisedGrade(c.text, c.family), c.grade) << "“" << c.text << "”";
}

TEST(Limits, GradesTheTableDoesNotKnowGiveNoVerdict)
{
    TraverseResult traverse;
    traverse.angleMisclosure = Seconds(3);
    traverse.angleCount = 3;
    traverse.totalLength = 241.427L;
    traverse.fs = 0.00723L;
    LevellingResult route;
    route.misclosure = 0.008L;
    route.totalWeight = 2;
    const struct {
        const char *name;
        std::vector<ClosureVerdict> verdicts;
        const char *text;
    } cases[] = {
        {"五级 traverse", TraverseVerdicts(GB, "五级", traverse, true), "等级“五级”无限差"},
        {"empty grade", TraverseVerdicts(GB, "", traverse, true), "等级“”无限差"},
        {"测试", TraverseVerdicts(CJJ, " 测试 ", traverse, false), "等级“测试”无限差"},
        {"二等 traverse", TraverseVerdicts(GB, "二等", traverse, true), "等级“二等”无限差"},
        {"levelling grade in a traverse", TraverseVerdicts(GB, "三等水准", traverse, true), "等级“三等水准”无限差"},
        {"一级 route", LevellingVerdicts({GB}, "一级", route), "等级“一级”无限差"},
        {"五等 in the city standard", LevellingVerdicts({CJJ}, "五等", route), "等级“五等”无限差"},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(c.verdicts.size(), 1u) << c.name;
        EXPECT_EQ(c.verdicts[0].text, c.text) << c.name;
        EXPECT_FALSE(c.verdicts[0].judged || c.verdicts[0].over) << c.name;
        EXPECT_EQ(c.verdicts[0].closure, ClosureVerdict::Closure::None) << c.name;
    }
}

TEST(Limits, VerdictsOfWholeAdjustments)
{
    // The worked example of the connecting traverse: three angles, 241.427 m, fs = 7.23 mm.
    ConnectingTraverseInput in;
    in.a = {5000, 5000};
    in.b = {5000, 5100};
    in.c = {5100, 5300};
    in.d = {5000, 5400};
    in.observations = {{135.0006L, 141.425L}, {225.0000L, 100.002L}, {224.5957L, 0}};
    const TraverseResult traverse = AdjustConnectingTraverse(in);
    const std::vector<ClosureVerdict> connecting = TraverseVerdicts(GB, "一级导线", traverse, true);
    ASSERT_EQ(connecting.size(), 2u);
    EXPECT_EQ(connecting[0].text, "fβ=3″ 限差±17.32″ 合格");
    EXPECT_EQ(connecting[1].text, "K=1/33415 限差1/15000 合格");
    EXPECT_EQ(LimitLine(GB, connecting, "  "), "限差依据 GB 50026-2020：fβ=3″ 限差±17.32″ 合格  K=1/33415 限差1/15000 合格");
    const std::vector<ClosureVerdict> third = TraverseVerdicts(CJJ, "三等", traverse, false);
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].text, "K=1/33415 限差1/60000 超限");
    EXPECT_TRUE(AnyOver(third));
    EXPECT_FALSE(AnyOver(connecting));

    // Coordinate traverses: their coordinate closure against the relative closure of the grade.
    CoordinateTraverseResult coordinates;
    coordinates.totalLength = 241;
    coordinates.fs = 0.00802L;
    const struct {
        LimitStandard standard;
        const char *grade;
        const char *text;
    } coordinateCases[] = {
        {GB, "四等", "K=1/30050 限差1/35000 超限"},
        {GB, "一级", "K=1/30050 限差1/15000 合格"},
        {CJJ, "图根", "K=1/30050 限差1/4000 合格"},
        {CJJ, "三等", "K=1/30050 限差1/60000 超限"},
    };
    for (const auto &c : coordinateCases) {
        const std::vector<ClosureVerdict> v = CoordinateTraverseVerdicts(c.standard, c.grade, coordinates);
        ASSERT_EQ(v.size(), 1u);
        EXPECT_EQ(v[0].text, c.text) << c.grade;
        EXPECT_EQ(v[0].closure, ClosureVerdict::Closure::Relative);
    }

    // The levelling route of the worked example, its weights in km, in m and as stations.
    LevellingResult route;
    route.misclosure = 0.008L;
    route.totalWeight = 2;
    EXPECT_EQ(LevellingVerdicts({GB, LevellingWeights::Kilometres}, "四等水准", route)[0].text, "fh=8mm 限差±28mm 合格");
    route.totalWeight = 2000;
    EXPECT_EQ(LevellingVerdicts({GB, LevellingWeights::Metres}, "四等", route)[0].text, "fh=8mm 限差±28mm 合格");
    route.totalWeight = 2;
    EXPECT_EQ(LevellingVerdicts({GB, LevellingWeights::Stations}, "四等", route)[0].text, "fh=8mm 限差±8mm 合格");
    EXPECT_EQ(LevellingVerdicts({GB, LevellingWeights::Stations}, "三等", route)[0].text, "fh=8mm 限差±6mm 超限");
}

TEST(Limits, StandardsAndWeightsByKey)
{
    EXPECT_EQ(StandardOfKey("gb50026"), GB);
    EXPECT_EQ(StandardOfKey("cjj8"), CJJ);
    EXPECT_EQ(StandardOfKey("GB"), std::nullopt);
    EXPECT_EQ(StandardCode(GB), "GB 50026-2020");
    EXPECT_EQ(StandardTitle(CJJ), "CJJ/T 8-2011 城市测量规范");
    EXPECT_EQ(DefaultLimitStandard, GB);
    EXPECT_EQ(WeightsOfKey("stations"), LevellingWeights::Stations);
    EXPECT_EQ(WeightsKey(LevellingWeights::Metres), "m");
    EXPECT_EQ(WeightsOfKey("miles"), std::nullopt);
}

} // namespace
