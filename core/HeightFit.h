// GNSS height fitting (高程拟合): normal heights of GNSS points through a fitted surface of the
// height anomaly.
//
// The height anomaly of a common point is ζ = H(geodetic) − H(normal): its ellipsoidal height from
// GNSS minus its levelled normal height. A surface of ζ over the plane coordinates is fitted by
// least squares to the common points used for fitting ("拟合"):
//   常数     ζ = a0
//   平面     ζ = a0 + a1·dx + a2·dy
//   二次曲面 ζ = a0 + a1·dx + a2·dy + a3·dx² + a4·dx·dy + a5·dy²
// with dx = (X − X0) / 1000 and dy = (Y − Y0) / 1000 in kilometres about the mean (X0, Y0) of the
// fitting points, so that the columns of the design matrix are of like size. The surface then
// gives every other point its normal height H(normal) = H(geodetic) − ζ(X, Y).
//
// Accuracy, as the surveying standards ask a report to show:
//   内符合中误差  μ = √([vv] / (n − t)), v = fitted − known anomaly of the n fitting points, t the
//                 number of parameters (absent when n = t: no redundancy);
//   外符合中误差  M = √([ΔΔ] / m) over the m check points ("检核"), Δ = fitted − levelled normal
//                 height;
//   逐点剔除估计  √(Σd² / n) when there are no check points: d is the prediction of each fitting
//                 point by the surface fitted without it, minus its known anomaly (d = v / (1 − h),
//                 h the leverage of the point);
// the differences of neighbouring check points (in table order) against ±30√D mm, D the plane
// distance between them in km; and the check points against a plain mm limit the user may set.
// A point outside the convex hull of the fitting points is marked as extrapolated.
//
// Degenerate geometry is refused with a message, never left to a NaN: fitting points on one line
// for the plane, on one conic (a line, two lines, a circle, ...) for the quadratic surface, found
// through the condition of the column-scaled design matrix.
#pragma once

#include "Error.h"
#include "Real.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quorvil {

enum class HeightModel { Constant, Plane, Quadratic };

// Number of parameters t: 1, 3 or 6.
int HeightModelParameters(HeightModel model);
// "常数", "平面", "二次曲面": the items of the window's model list, in this order.
const char *HeightModelName(HeightModel model);

enum class HeightPointRole { Fit, Check };

// The texts of the 用途 column.
inline constexpr const char *FitRoleText = "拟合";
inline constexpr const char *CheckRoleText = "检核";

struct HeightCommonPoint {
    std::string name;
    Real x = 0, y = 0;  // plane coordinates, m
    Real geodetic = 0;  // ellipsoidal height from GNSS, m
    Real normal = 0;    // levelled normal height, m
    HeightPointRole role = HeightPointRole::Fit;
};

struct HeightPoint {
    std::string name;
    Real x = 0, y = 0, geodetic = 0;
};

// Refusal of a bad input or of degenerate geometry; what() is the text shown to the user.
class HeightFitError : public Error {
public:
    using Error::Error;
};

// Heights beyond ±MaxHeight and coordinates beyond ±MaxCoordinate are refused as absurd.
inline constexpr Real MaxHeight = 10000;
inline constexpr Real MaxCoordinate = 1e9;

// The rows of the common-point table as typed: name, X, Y, 大地高, 正常高, 用途 (an empty 用途 is
// 拟合). The rows of the table of points to convert: name, X, Y, 大地高. Rows whose texts are all
// blank are skipped; a row without a name or a number, a text that is not a number, an absurd
// value, a 用途 other than 拟合 or 检核 and a name given twice are refused with a message that
// names the point or row. Throws HeightFitError or ConversionError.
std::vector<HeightCommonPoint> HeightCommonPointsFromTexts(const std::vector<std::vector<std::string>> &rows);
std::vector<HeightPoint> HeightPointsFromTexts(const std::vector<std::vector<std::string>> &rows);

// The user's limit for the check points in mm: empty text or 0 is none. Throws ConversionError or
// HeightFitError (a negative limit, or one beyond MaxHeightLimitMm).
inline constexpr Real MaxHeightLimitMm = 100000;
std::optional<Real> HeightLimitFromText(const std::string &text);

// The fitted surface.
struct HeightSurface {
    static constexpr Real Scale = 1000; // metres per unit of dx and dy
    HeightModel model = HeightModel::Plane;
    Real centreX = 0, centreY = 0;      // mean of the fitting points, m
    std::array<Real, 6> a{};            // a0 … a5, metres per km^k; unused ones 0
    Real anomaly(Real x, Real y) const;
};

struct HeightCommonResult {
    Real anomaly = 0;       // ζ = geodetic − normal
    Real fitted = 0;        // ζ of the surface
    Real residual = 0;      // fitted − anomaly (v of a fitting point)
    Real fittedNormal = 0;  // geodetic − fitted
    Real difference = 0;    // fittedNormal − normal (Δ of a check point) = −residual
};

// Two check points next to each other in the table: the difference of their differences against
// ±30√D mm.
struct HeightCheckSection {
    size_t from = 0, to = 0; // indexes into the common points
    Real distanceKm = 0;
    Real difference = 0;     // Δ(to) − Δ(from), m
    Real limit = 0;          // 0.030·√D, m
    bool pass = true;
};

struct HeightConverted {
    Real anomaly = 0, normal = 0;
    bool extrapolated = false;
};

struct HeightFitResult {
    HeightSurface surface;
    std::vector<HeightCommonPoint> common;
    std::vector<HeightPoint> points;
    int fitCount = 0, checkCount = 0, parameterCount = 0;
    Real condition = 0; // of the column-scaled design matrix
    std::vector<HeightCommonResult> commonResults; // per common point, table order
    std::optional<Real> internalAccuracy;          // μ, m
    std::optional<Real> externalAccuracy;          // M, m
    std::optional<Real> leaveOneOut;               // √(Σd²/n), m; only without check points
    std::vector<Real> leaveOneOutErrors;           // d per common point (0 for check points)
    std::vector<HeightCheckSection> sections;
    std::optional<Real> userLimit;                 // m
    std::vector<size_t> overUserLimit;             // check points beyond the user's limit
    bool fewFittingPoints = false;                 // n < 1.5·t
    std::vector<HeightConverted> converted;
    int extrapolatedCount = 0;
    bool checksPass() const; // every section and the user's limit
};

// Condition number of the column-scaled design matrix beyond which the geometry counts as
// degenerate. Column scaling makes it a property of the layout's shape alone: a layout spread
// over the area is near 1 to 10; points lying on a line or a conic to within about a millimetre
// per kilometre reach 10^6, far beyond what coordinates measured to a few millimetres can tell.
inline constexpr Real MaxHeightFitCondition = 1e6L;

// Fits the surface and converts the points. Throws HeightFitError for an empty common-point
// table, fewer fitting points than parameters and degenerate geometry; nothing is computed then.
HeightFitResult FitHeights(std::vector<HeightCommonPoint> common, std::vector<HeightPoint> points, HeightModel model,
                           std::optional<Real> userLimitMm = std::nullopt);

// The fitting points needed for the 1.5-times rule: ⌈1.5·t⌉.
int RecommendedFittingPoints(HeightModel model);

// The texts the window and the command line show.
// Common-point results: 点名, 用途, 高程异常, 拟合值 (m, 4 decimals), 残差 (mm, 1 decimal).
std::vector<std::array<std::string, 5>> HeightResidualTexts(const HeightFitResult &result);
// Converted points: 点名, X, Y, 大地高, 高程异常, 正常高 (4 decimals), 说明 ("外推" or empty).
std::vector<std::array<std::string, 7>> HeightConvertedTexts(const HeightFitResult &result);
// The summary, line by line.
std::vector<std::string> HeightFitSummary(const HeightFitResult &result);
// The warning shown when there are fewer than 1.5 times as many fitting points as parameters.
std::string FewFittingPointsText(const HeightFitResult &result);

inline constexpr const char *ExtrapolatedText = "外推";

} // namespace quorvil
