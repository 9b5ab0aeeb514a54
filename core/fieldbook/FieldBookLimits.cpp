#include "FieldBookLimits.h"

#include "core/Limits.h"

#include <cmath>

namespace quorvil::fieldbook {

namespace {

// GB 50026-2020, 表3.3.8 水平角方向观测法的技术要求 (″): 半测回归零差, 一测回内 2C 互差,
// 同一方向值各测回较差, by grade band and instrument class. The 6″ instrument has no 2C limit.
struct DirectionRow {
    bool fourthOrHigher; // 四等及以上; else 一级及以下
    Real instrument;
    DirectionLimits limits;
};
const DirectionRow DirectionRows[] = {
    {true, 0.5L, {3, 5, 3}},
    {true, 1, {6, 9, 6}},
    {true, 2, {8, 13, 9}},
    {false, 2, {12, 18, 12}},
    {false, 6, {18, std::nullopt, 24}},
};

// Vertical angles: GB 50026-2020, 表4.3.3 电磁波测距三角高程观测的主要技术要求 (指标差较差,
// 测回较差, ″) and 表4.3.1 电磁波测距三角高程测量的主要技术要求 (对向观测高差较差, mm·√D, D in
// km; 每千米高差全中误差, mm), 四等 and 五等; 图根 from 第5.2节 图根控制测量, 图根电磁波测距三角高程的主要技术要求表.
struct HeightRow {
    const char *grade;
    HeightLimits limits;
};
const HeightRow HeightRows[] = {
    {"四等", {7, 7, 40, 10}},
    {"五等", {10, 10, 60, 15}},
    {"图根", {25, 25, 80, 20}},
};

bool FourthOrHigher(std::string_view grade) { return grade == "二等" || grade == "三等" || grade == "四等"; }

} // namespace

std::vector<std::string> FieldBookGrades() { return {"二等", "三等", "四等", "一级", "二级", "三级", "五等", "图根"}; }

std::vector<Real> InstrumentClasses() { return {0.5L, 1, 2, 6}; }

std::string FieldBookGrade(std::string_view text)
{
    for (const std::string &g : FieldBookGrades())
        if (text == g)
            return g;
    // the traverse grades as the rest of the program writes them ("一级导线", "首级图根")
    std::string g = RecognisedGrade(text, SurveyFamily::Traverse);
    if (g == "首级图根")
        g = "图根";
    if (g.empty())
        g = RecognisedGrade(text, SurveyFamily::Levelling);
    for (const std::string &known : FieldBookGrades())
        if (g == known)
            return g;
    return {};
}

std::optional<DirectionLimits> DirectionLimitsOf(std::string_view grade, Real instrument)
{
    if (FieldBookGrade(grade).empty())
        return std::nullopt;
    const bool high = FourthOrHigher(FieldBookGrade(grade));
    // Below 四等 the table names the 2″ and 6″ classes; a finer instrument is held to the 2″ row.
    if (!high && instrument < 2)
        instrument = 2;
    for (const DirectionRow &row : DirectionRows)
        if (row.fourthOrHigher == high && std::fabs(row.instrument - instrument) < 1e-9L)
            return row.limits;
    return std::nullopt;
}

std::optional<HeightLimits> HeightLimitsOf(std::string_view grade)
{
    const std::string g = FieldBookGrade(grade);
    if (g.empty())
        return std::nullopt;
    // The trigonometric levelling has the grades 四等 and 五等: a plane grade of 四等 or above is
    // held to 四等, 一级 to 三级 to 五等, the grade of heights that goes with them.
    const char *row = FourthOrHigher(g) ? "四等" : g == "图根" ? "图根" : "五等";
    for (const HeightRow &r : HeightRows)
        if (std::string_view(r.grade) == row)
            return r.limits;
    return std::nullopt;
}

} // namespace quorvil::fieldbook
