#include "Limits.h"

#include "CoordinateTraverse.h"
#include "Levelling.h"
#include "TextForms.h"
#include "Traverse.h"
#include "TraverseSummary.h"

#include <cmath>

namespace quorvil {

namespace {

using Q = LimitQuantity;
using S = LimitStandard;

struct LimitRow {
    LimitStandard standard;
    const char *grade;
    LimitQuantity quantity;
    Real value; // k of ±k″√n, ±k mm√L, ±k mm√n; or T of 1/T
};

// The table of limits. The angular closure of a traverse is twice the standard's mean square
// error of an angle times √n, as the standards print it.
constexpr LimitRow Rows[] = {
    // GB 50026-2020 工程测量标准, 表3.3.1 导线测量的主要技术要求: 方位角闭合差 (″, ×√n).
    {S::Gb50026, "三等", Q::AngularClosure, 3.6L},
    {S::Gb50026, "四等", Q::AngularClosure, 5},
    {S::Gb50026, "一级", Q::AngularClosure, 10},
    {S::Gb50026, "二级", Q::AngularClosure, 16},
    {S::Gb50026, "三级", Q::AngularClosure, 24},
    // GB 50026-2020, 表3.3.1: 导线全长相对闭合差 (≤ 1/T).
    {S::Gb50026, "三等", Q::RelativeClosure, 55000},
    {S::Gb50026, "四等", Q::RelativeClosure, 35000},
    {S::Gb50026, "一级", Q::RelativeClosure, 15000},
    {S::Gb50026, "二级", Q::RelativeClosure, 10000},
    {S::Gb50026, "三级", Q::RelativeClosure, 5000},
    // GB 50026-2020, 第5.2节 图根控制测量, 图根导线测量的主要技术要求表: 方位角闭合差 40″√n for
    // the first control level (首级控制), 60″√n otherwise (一般).
    {S::Gb50026, "首级图根", Q::AngularClosure, 40},
    {S::Gb50026, "图根", Q::AngularClosure, 60},
    // The same table: 相对闭合差 ≤ 1/(2000α), with the scale coefficient α taken as 1, the value
    // the standard names first (it allows 1 to 2 for 1:500 and 1:1000 maps).
    {S::Gb50026, "首级图根", Q::RelativeClosure, 2000},
    {S::Gb50026, "图根", Q::RelativeClosure, 2000},
    // GB 50026-2020, 表4.2.1 水准测量的主要技术要求: 往返较差、附合或环线闭合差, 平地 (mm, ×√L).
    {S::Gb50026, "二等", Q::LevellingFlat, 4},
    {S::Gb50026, "三等", Q::LevellingFlat, 12},
    {S::Gb50026, "四等", Q::LevellingFlat, 20},
    {S::Gb50026, "五等", Q::LevellingFlat, 30},
    // GB 50026-2020, 表4.2.1: the same, 山地 (mm, ×√n); 二等 and 五等 have none.
    {S::Gb50026, "三等", Q::LevellingHilly, 4},
    {S::Gb50026, "四等", Q::LevellingHilly, 6},
    // GB 50026-2020, 第5.2节 图根控制测量, 图根水准测量的主要技术要求表: 附合或环线闭合差, 平地
    // 40√L, 山地 12√n (mm).
    {S::Gb50026, "图根", Q::LevellingFlat, 40},
    {S::Gb50026, "图根", Q::LevellingHilly, 12},

    // CJJ/T 8-2011 城市测量规范, 导线测量, 光电测距导线的主要技术要求表: 方位角闭合差 (″, ×√n).
    {S::Cjj8, "三等", Q::AngularClosure, 3},
    {S::Cjj8, "四等", Q::AngularClosure, 5},
    {S::Cjj8, "一级", Q::AngularClosure, 10},
    {S::Cjj8, "二级", Q::AngularClosure, 16},
    {S::Cjj8, "三级", Q::AngularClosure, 24},
    // CJJ/T 8-2011, the same table: 导线全长相对闭合差 (≤ 1/T).
    {S::Cjj8, "三等", Q::RelativeClosure, 60000},
    {S::Cjj8, "四等", Q::RelativeClosure, 40000},
    {S::Cjj8, "一级", Q::RelativeClosure, 14000},
    {S::Cjj8, "二级", Q::RelativeClosure, 10000},
    {S::Cjj8, "三级", Q::RelativeClosure, 6000},
    // CJJ/T 8-2011, 图根控制测量, 图根光电测距导线的主要技术要求表: 方位角闭合差 40″√n and
    // 导线相对闭合差 1/4000, the first level and the densification alike.
    {S::Cjj8, "首级图根", Q::AngularClosure, 40},
    {S::Cjj8, "图根", Q::AngularClosure, 40},
    {S::Cjj8, "首级图根", Q::RelativeClosure, 4000},
    {S::Cjj8, "图根", Q::RelativeClosure, 4000},
    // CJJ/T 8-2011, 水准测量, 水准测量的主要技术要求表: 附合路线或环线闭合差 (mm, ×√L); the city
    // standard has no 五等.
    {S::Cjj8, "二等", Q::LevellingFlat, 4},
    {S::Cjj8, "三等", Q::LevellingFlat, 12},
    {S::Cjj8, "四等", Q::LevellingFlat, 20},
    // CJJ/T 8-2011, the same table: more than 16 stations per km (mm, ×√n).
    {S::Cjj8, "三等", Q::LevellingHilly, 4},
    {S::Cjj8, "四等", Q::LevellingHilly, 6},
    // CJJ/T 8-2011, 图根水准测量的主要技术要求表: 闭合差 40√L, more than 16 stations per km 12√n (mm).
    {S::Cjj8, "图根", Q::LevellingFlat, 40},
    {S::Cjj8, "图根", Q::LevellingHilly, 12},
};

constexpr Real Hundredths = 100;
constexpr Real MetresPerKilometre = 1000;

// The grade text without blanks (ASCII and ideographic).
std::string Squeezed(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text.substr(i, 3) == "\u3000") {
            i += 3;
            continue;
        }
        const char c = text[i++];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

bool StripSuffix(std::string &text, std::string_view suffix)
{
    if (text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
        text.erase(text.size() - suffix.size());
        return true;
    }
    return false;
}

// The Chinese numeral of a grade number written in any of the usual ways.
std::string Numeral(std::string_view digit)
{
    static constexpr const char *Chinese[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};
    static constexpr const char *Arabic[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static constexpr const char *FullWidth[] = {"１", "２", "３", "４", "５", "６", "７", "８", "９"};
    static constexpr const char *Roman[] = {"Ⅰ", "Ⅱ", "Ⅲ", "Ⅳ", "Ⅴ", "Ⅵ", "Ⅶ", "Ⅷ", "Ⅸ"};
    for (int i = 0; i < 9; ++i)
        if (digit == Chinese[i] || digit == Arabic[i] || digit == FullWidth[i] || digit == Roman[i])
            return Chinese[i];
    return {};
}

std::string LimitTextOfSeconds(Real hundredths) { return GeneralText(hundredths / Hundredths); }

ClosureVerdict Verdict(ClosureVerdict::Closure closure, const std::string &closureText, const std::string &limitText,
                       bool over)
{
    return {closure, closureText + " 限差" + limitText + " " + (over ? OverText : PassText), true, over};
}

// A closure that cannot be judged, and why.
ClosureVerdict Note(ClosureVerdict::Closure closure, const std::string &text) { return {closure, text, false, false}; }

std::string NoLimitText(std::string_view grade) { return "等级“" + Squeezed(grade) + "”无限差"; }

std::string AngularClosureText(Real angleMisclosure) { return "fβ=" + SecondsText(angleMisclosure) + "″"; }
std::string LevellingClosureText(Real misclosure) { return "fh=" + MillimetresText(misclosure) + "mm"; }

bool KnowsGrade(LimitStandard standard, std::string_view grade, SurveyFamily family)
{
    const std::string canonical = RecognisedGrade(grade, family);
    for (const LimitRow &row : Rows) {
        const bool ofFamily = family == SurveyFamily::Traverse
                                  ? row.quantity == Q::AngularClosure || row.quantity == Q::RelativeClosure
                                  : row.quantity == Q::LevellingFlat || row.quantity == Q::LevellingHilly;
        if (row.standard == standard && ofFamily && canonical == row.grade)
            return true;
    }
    return false;
}

} // namespace

std::string StandardCode(LimitStandard standard)
{
    return standard == LimitStandard::Cjj8 ? "CJJ/T 8-2011" : "GB 50026-2020";
}

std::string StandardTitle(LimitStandard standard)
{
    return StandardCode(standard) + (standard == LimitStandard::Cjj8 ? " 城市测量规范" : " 工程测量标准");
}

std::string StandardKey(LimitStandard standard) { return standard == LimitStandard::Cjj8 ? "cjj8" : "gb50026"; }

std::optional<LimitStandard> StandardOfKey(std::string_view key)
{
    for (LimitStandard standard : LimitStandards)
        if (key == StandardKey(standard))
            return standard;
    return std::nullopt;
}

std::string WeightsKey(LevellingWeights weights)
{
    switch (weights) {
    case LevellingWeights::Metres: return "m";
    case LevellingWeights::Stations: return "stations";
    default: return "km";
    }
}

std::optional<LevellingWeights> WeightsOfKey(std::string_view key)
{
    for (LevellingWeights w : {LevellingWeights::Kilometres, LevellingWeights::Metres, LevellingWeights::Stations})
        if (key == WeightsKey(w))
            return w;
    return std::nullopt;
}

std::string RecognisedGrade(std::string_view text, SurveyFamily family)
{
    // The words surveyors add to a grade: "一级导线测量", "三等水准", "图根控制".
    std::string grade = Squeezed(text);
    StripSuffix(grade, "测量");
    StripSuffix(grade, "控制");
    StripSuffix(grade, family == SurveyFamily::Traverse ? "导线" : "水准");
    if (grade == "图根")
        return grade;
    if (grade == "首级图根")
        return family == SurveyFamily::Traverse ? grade : "图根";
    // A numeral and 等 or 级: "三等", "1级", "Ⅱ级".
    for (const char *order : {"等", "级"}) {
        std::string number = grade;
        if (StripSuffix(number, order)) {
            const std::string numeral = Numeral(number);
            return numeral.empty() ? std::string() : numeral + order;
        }
    }
    return {};
}

std::optional<Real> LimitValue(LimitStandard standard, std::string_view grade, LimitQuantity quantity)
{
    for (const LimitRow &row : Rows)
        if (row.standard == standard && row.quantity == quantity && grade == row.grade)
            return row.value;
    return std::nullopt;
}

ClosureVerdict JudgeAngularClosure(LimitStandard standard, std::string_view grade, Real angleMisclosure, size_t angles)
{
    const std::string closure = AngularClosureText(angleMisclosure);
    const auto k = LimitValue(standard, RecognisedGrade(grade, SurveyFamily::Traverse), Q::AngularClosure);
    if (!k)
        return Note(ClosureVerdict::Closure::Angular, closure + " " + NoLimitText(grade));
    // Both in hundredths of a second, as printed.
    const Real limit = RoundHalfEven(*k * std::sqrt(static_cast<Real>(angles)) * Hundredths);
    const bool over = std::fabs(HundredthSeconds(angleMisclosure)) > limit;
    return Verdict(ClosureVerdict::Closure::Angular, closure, "±" + LimitTextOfSeconds(limit) + "″", over);
}

ClosureVerdict JudgeRelativeClosure(LimitStandard standard, std::string_view grade, Real totalLength, Real fs)
{
    const std::string closure = KText(totalLength, fs);
    const auto t = LimitValue(standard, RecognisedGrade(grade, SurveyFamily::Traverse), Q::RelativeClosure);
    if (!t)
        return Note(ClosureVerdict::Closure::Relative, closure + " " + NoLimitText(grade));
    // K = 1/N as printed against 1/T: an exact closure passes, one beyond the route fails.
    bool over = false;
    if (ClosureBeyondRoute(totalLength, fs))
        over = true;
    else if (fs != 0)
        over = RelativeClosureDenominator(totalLength, fs) < *t;
    return Verdict(ClosureVerdict::Closure::Relative, closure, "1/" + NumberToText(0, *t), over);
}

ClosureVerdict JudgeLevellingClosure(LimitStandard standard, std::string_view grade, Real misclosure,
                                     std::optional<Real> lengthKm, std::optional<Real> stations)
{
    const std::string closure = LevellingClosureText(misclosure);
    const std::string canonical = RecognisedGrade(grade, SurveyFamily::Levelling);
    // A route of no length (or of negative weights) has no limit to speak of.
    if ((lengthKm && !(*lengthKm > 0)) || (stations && !(*stations > 0)))
        return Note(ClosureVerdict::Closure::Levelling, closure + " 路线长度不为正，无限差");
    // Hilly ground: more than 16 stations per km, or stations counted where the length is not
    // known. A grade without a hilly limit keeps its flat one when the length is known.
    std::optional<Real> limit;
    const bool hilly = stations && (!lengthKm || *stations > HillyStationsPerKm * *lengthKm);
    if (hilly)
        if (const auto k = LimitValue(standard, canonical, Q::LevellingHilly))
            limit = *k * std::sqrt(*stations);
    if (!limit && lengthKm)
        if (const auto k = LimitValue(standard, canonical, Q::LevellingFlat))
            limit = *k * std::sqrt(*lengthKm);
    if (!limit && hilly && LimitValue(standard, canonical, Q::LevellingFlat)) // 二等, 五等: by length only
        return Note(ClosureVerdict::Closure::Levelling, closure + " 等级“" + Squeezed(grade) + "”无按测站数计的限差");
    if (!limit)
        return Note(ClosureVerdict::Closure::Levelling, closure + " " + NoLimitText(grade));
    // Whole millimetres, as levelling limits are written; the closure in hundredths as printed.
    const Real wholeLimit = RoundHalfEven(*limit);
    const bool over = std::fabs(HundredthMillimetres(misclosure)) > wholeLimit * Hundredths;
    return Verdict(ClosureVerdict::Closure::Levelling, closure, "±" + GeneralText(wholeLimit) + "mm", over);
}

std::vector<ClosureVerdict> TraverseVerdicts(LimitStandard standard, std::string_view grade, const TraverseResult &r,
                                             bool withAngles)
{
    if (!KnowsGrade(standard, grade, SurveyFamily::Traverse))
        return {Note(ClosureVerdict::Closure::None, NoLimitText(grade))};
    std::vector<ClosureVerdict> verdicts;
    if (withAngles)
        verdicts.push_back(JudgeAngularClosure(standard, grade, r.angleMisclosure, r.angleCount));
    verdicts.push_back(JudgeRelativeClosure(standard, grade, r.totalLength, r.fs));
    return verdicts;
}

std::vector<ClosureVerdict> CoordinateTraverseVerdicts(LimitStandard standard, std::string_view grade,
                                                       const CoordinateTraverseResult &r)
{
    if (!KnowsGrade(standard, grade, SurveyFamily::Traverse))
        return {Note(ClosureVerdict::Closure::None, NoLimitText(grade))};
    return {JudgeRelativeClosure(standard, grade, r.totalLength, r.fs)};
}

std::vector<ClosureVerdict> LevellingVerdicts(const LimitOptions &options, std::string_view grade,
                                              const LevellingResult &r)
{
    if (!KnowsGrade(options.standard, grade, SurveyFamily::Levelling))
        return {Note(ClosureVerdict::Closure::None, NoLimitText(grade))};
    std::optional<Real> km, stations;
    switch (options.weights) {
    case LevellingWeights::Kilometres: km = r.totalWeight; break;
    case LevellingWeights::Metres: km = r.totalWeight / MetresPerKilometre; break;
    case LevellingWeights::Stations: stations = r.totalWeight; break;
    }
    return {JudgeLevellingClosure(options.standard, grade, r.misclosure, km, stations)};
}

bool AnyOver(const std::vector<ClosureVerdict> &verdicts)
{
    for (const ClosureVerdict &v : verdicts)
        if (v.over)
            return true;
    return false;
}

std::string LimitLineHead(LimitStandard standard) { return "限差依据 " + StandardCode(standard) + "："; }

std::string LimitLine(LimitStandard standard, const std::vector<ClosureVerdict> &verdicts, std::string_view separator)
{
    std::string line = LimitLineHead(standard);
    for (size_t i = 0; i < verdicts.size(); ++i) {
        if (i)
            line += separator;
        line += verdicts[i].text;
    }
    return line;
}

namespace {

// Table 3.3.1 of GB 50026-2020: the angle error mβ and the distance error of each traverse grade;
// 图根 (5.2.x) gives the angle only, its distances are measured as those of 三级.
struct TraverseGradeRow {
    const char *grade;
    Real angleSeconds;
    Real distanceMm;
};
constexpr TraverseGradeRow TraverseGrades[] = {
    {"三等", 1.8L, 20}, {"四等", 2.5L, 18}, {"一级", 5, 15},      {"二级", 8, 15},
    {"三级", 12, 15},   {"首级图根", 20, 15}, {"图根", 30, 15},
};

// Table 4.2.1 (and 5.3 for 图根): the full error of the height difference per km.
struct LevellingGradeRow {
    const char *grade;
    Real perKm;
};
constexpr LevellingGradeRow LevellingGrades[] = {
    {"二等", 2}, {"三等", 6}, {"四等", 10}, {"五等", 15}, {"图根", 20},
};

} // namespace

std::optional<GradeErrors> TraverseGradeErrors(std::string_view grade)
{
    const std::string g = RecognisedGrade(grade, SurveyFamily::Traverse);
    for (const TraverseGradeRow &row : TraverseGrades)
        if (g == row.grade)
            return GradeErrors{row.angleSeconds, row.distanceMm};
    return std::nullopt;
}

std::optional<Real> LevellingGradeErrorPerKm(std::string_view grade)
{
    const std::string g = RecognisedGrade(grade, SurveyFamily::Levelling);
    for (const LevellingGradeRow &row : LevellingGrades)
        if (g == row.grade)
            return row.perKm;
    return std::nullopt;
}

Real LevellingErrorPerStation(Real perKm) { return perKm / std::sqrt(HillyStationsPerKm); }

} // namespace quorvil
