// Limits of the surveying standards for the closures of traverses and levelling routes, and the
// verdict on a closure.
//
// One table, one row per standard, grade and quantity, each row citing the table of the printed
// standard it comes from. Two standards: GB 50026-2020 工程测量标准 (the default) and CJJ/T 8-2011
// 城市测量规范; where they differ, each keeps its own numbers. The quantities:
//  - the angular closure of a traverse, ±k″·√n with n the number of observed angles;
//  - the relative closure of a traverse, K = fs / ΣD against 1/T (also the coordinate
//    closure of the traverses measured as coordinates);
//  - the closure of a levelling route in flat ground, ±k mm·√L with L the route in km, and in
//    hilly ground (more than 16 stations per km), ±k mm·√n with n the number of stations.
//
// The grade comes from the data file's header as the surveyor typed it: "一级", "一级导线",
// "1级", "三等", "三等水准", "图根", "首级图根导线" ... A grade the table does not know for the
// quantity ("五级", "", "测试", a levelling grade in a traverse) gives no verdict and says so,
// never a wrong one.
//
// A verdict compares what is printed: the closure as the summary shows it (hundredths of a second,
// hundredths of a millimetre, K to the whole number) against the limit as the verdict shows it
// (hundredths of a second, whole millimetres, 1/T); a closure exactly at its limit is 合格.
#pragma once

#include "Real.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvil {

struct CoordinateTraverseResult;
struct LevellingResult;
struct TraverseResult;

enum class LimitStandard { Gb50026, Cjj8 };

// Every standard, in the order a choice lists them; the first is the default.
inline constexpr LimitStandard LimitStandards[] = {LimitStandard::Gb50026, LimitStandard::Cjj8};
inline constexpr LimitStandard DefaultLimitStandard = LimitStandard::Gb50026;

std::string StandardCode(LimitStandard standard);  // "GB 50026-2020", "CJJ/T 8-2011"
std::string StandardTitle(LimitStandard standard); // "GB 50026-2020 工程测量标准", ...
// The short key of the command line and the settings file: "gb50026", "cjj8".
std::string StandardKey(LimitStandard standard);
std::optional<LimitStandard> StandardOfKey(std::string_view key);

enum class LimitQuantity { AngularClosure, RelativeClosure, LevellingFlat, LevellingHilly };

// The two families of grades: traverses (三等, 四等, 一级, 二级, 三级, 图根, 首级图根) and
// levelling routes (二等, 三等, 四等, 五等, 图根).
enum class SurveyFamily { Traverse, Levelling };

// The grade a text names, in the form of the table ("一级", "三等", "图根", "首级图根"), or empty
// when the text is not a grade of the family. Whether the table has a limit for it is another
// question (LimitValue).
std::string RecognisedGrade(std::string_view text, SurveyFamily family);

// The limit of a grade (as RecognisedGrade gives it): k of ±k√n or ±k√L, or T of 1/T.
std::optional<Real> LimitValue(LimitStandard standard, std::string_view grade, LimitQuantity quantity);

// The stations per km above which a levelling route counts as hilly.
inline constexpr Real HillyStationsPerKm = 16;

// What the weights of a levelling route (the second column of its table) count.
enum class LevellingWeights { Kilometres, Metres, Stations };
std::string WeightsKey(LevellingWeights weights); // "km", "m", "stations"
std::optional<LevellingWeights> WeightsOfKey(std::string_view key);

struct LimitOptions {
    LimitStandard standard = DefaultLimitStandard;
    LevellingWeights weights = LevellingWeights::Kilometres;
};

// The verdict on one closure, or the note that none can be given.
struct ClosureVerdict {
    enum class Closure { Angular, Relative, Levelling, None };
    Closure closure = Closure::None;
    std::string text;  // "fβ=-19.75″ 限差±26.46″ 合格", "K=1/82300 限差1/15000 合格",
                       // "fh=8mm 限差±28mm 合格", "等级“五级”无限差"
    bool judged = false; // a limit was found and compared
    bool over = false;   // 超限
};

inline constexpr const char *PassText = "合格";
inline constexpr const char *OverText = "超限";

// Single closures. `grade` is the text as typed; `angles` the observed angles of the traverse;
// a levelling route gives its length in km, its stations, or both.
ClosureVerdict JudgeAngularClosure(LimitStandard standard, std::string_view grade, Real angleMisclosure, size_t angles);
ClosureVerdict JudgeRelativeClosure(LimitStandard standard, std::string_view grade, Real totalLength, Real fs);
ClosureVerdict JudgeLevellingClosure(LimitStandard standard, std::string_view grade, Real misclosure,
                                     std::optional<Real> lengthKm, std::optional<Real> stations);

// The verdicts on every closure of an adjustment, in the order the summary shows the closures; a
// grade unknown to the table gives the one note "等级“…”无限差" instead.
std::vector<ClosureVerdict> TraverseVerdicts(LimitStandard standard, std::string_view grade, const TraverseResult &result,
                                             bool withAngles);
std::vector<ClosureVerdict> CoordinateTraverseVerdicts(LimitStandard standard, std::string_view grade,
                                                       const CoordinateTraverseResult &result);
std::vector<ClosureVerdict> LevellingVerdicts(const LimitOptions &options, std::string_view grade,
                                              const LevellingResult &result);

bool AnyOver(const std::vector<ClosureVerdict> &verdicts);

// "限差依据 GB 50026-2020：", the head of the verdict line; and the whole line, the verdicts
// joined by `separator`.
std::string LimitLineHead(LimitStandard standard);
std::string LimitLine(LimitStandard standard, const std::vector<ClosureVerdict> &verdicts, std::string_view separator);

// The a priori errors of a grade (mβ and 测距中误差 of the traverse grades, the full error per km
// of the levelling grades), from GB 50026-2020 whichever standard judges the closures: they
// weight the observations of a rigorous adjustment.
// The a priori errors of a grade as typed in the header ("一级", "四等导线", "三等水准"); empty
// when the table has none for the grade.
struct GradeErrors {
    Real angleSeconds = 0;
    Real distanceMm = 0;
};
std::optional<GradeErrors> TraverseGradeErrors(std::string_view grade);
// mm per √km of a levelling grade; mm per station is this over √16, the set-ups per km above
// which a route counts as hilly.
std::optional<Real> LevellingGradeErrorPerKm(std::string_view grade);
Real LevellingErrorPerStation(Real perKm);

} // namespace quorvil
