#include "HeightFit.h"

#include "FpGuard.h"
#include "TextForms.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace quorvil {

namespace {

using Matrix = Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic>;
using Vector = Eigen::Matrix<Real, Eigen::Dynamic, 1>;

std::string Field(const std::vector<std::string> &row, size_t i)
{
    return i < row.size() ? std::string(Trimmed(row[i])) : std::string();
}

bool BlankRow(const std::vector<std::string> &row, size_t fields)
{
    for (size_t i = 0; i < fields; ++i)
        if (!Field(row, i).empty())
            return false;
    return true;
}

// What the table calls its points: "公共点" or "待转换点".
struct RowReader {
    const char *table;

    std::string name(const std::vector<std::string> &row, size_t index) const
    {
        std::string n = Field(row, 0);
        if (n.empty())
            throw HeightFitError(std::string(table) + "表第 " + std::to_string(index + 1) + " 行没有点名！");
        return n;
    }

    Real number(const std::vector<std::string> &row, size_t i, const std::string &name, const char *what,
                Real bound) const
    {
        const std::string text = Field(row, i);
        if (text.empty())
            throw HeightFitError(std::string(table) + " " + name + " 缺少" + what + "！");
        const Real value = TextToNumber(text);
        if (!(std::fabs(value) <= bound))
            throw HeightFitError(std::string(table) + " " + name + " 的" + what + " " + text + " m 超出 ±" +
                                 NumberToText(0, bound) + " m，请检查数据！");
        return value;
    }
};

template <typename Point>
void RefuseDuplicates(const std::vector<Point> &points, const std::vector<size_t> &rows, const char *table)
{
    std::unordered_map<std::string, size_t> seen;
    seen.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const auto [it, inserted] = seen.emplace(points[i].name, i);
        if (!inserted)
            throw HeightFitError(std::string(table) + "点名重复：" + points[i].name + "（第 " +
                                 std::to_string(rows[it->second] + 1) + " 行与第 " + std::to_string(rows[i] + 1) +
                                 " 行）！");
    }
}

// The terms of a row of the design matrix: 1, dx, dy, dx², dx·dy, dy².
std::array<Real, 6> Terms(Real dx, Real dy)
{
    return {1, dx, dy, dx * dx, dx * dy, dy * dy};
}

struct Fit {
    std::array<Real, 6> a{};
    Vector leverage; // h_ii
    Real condition = 0;
};

const char *DegenerateText(HeightModel model)
{
    return model == HeightModel::Plane
               ? "拟合点都在一条直线上（或几乎如此），平面模型无法确定！请增加不在这条直线上的拟合点，或选用常数模型。"
               : "拟合点都在一条二次曲线上（一条直线、两条直线、一个圆或其他圆锥曲线，或几乎如此），"
                 "二次曲面模型无法确定！请增加不在这条曲线上的拟合点，或选用平面模型。";
}

// Least squares through the singular value decomposition of the column-scaled design matrix:
// its singular values give the condition, its left vectors the leverages.
Fit Solve(const std::vector<std::array<Real, 6>> &terms, const std::vector<Real> &anomalies, HeightModel model)
{
    const Eigen::Index n = static_cast<Eigen::Index>(terms.size());
    const Eigen::Index t = HeightModelParameters(model);
    Matrix A(n, t);
    Vector b(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        for (Eigen::Index j = 0; j < t; ++j)
            A(i, j) = terms[static_cast<size_t>(i)][static_cast<size_t>(j)];
        b(i) = anomalies[static_cast<size_t>(i)];
    }
    Vector scale(t);
    for (Eigen::Index j = 0; j < t; ++j) {
        scale(j) = A.col(j).norm();
        if (!(scale(j) > 0)) // a column of zeros: every point on the axis of that term
            throw HeightFitError(DegenerateText(model));
        A.col(j) /= scale(j);
    }
    const Eigen::JacobiSVD<Matrix> svd(A, Eigen::ComputeThinU | Eigen::ComputeThinV);
    const Vector &sigma = svd.singularValues();
    Fit fit;
    const Real largest = sigma(0), smallest = sigma(t - 1);
    if (!(smallest > largest / MaxHeightFitCondition))
        throw HeightFitError(DegenerateText(model));
    fit.condition = largest / smallest;
    const Matrix &U = svd.matrixU();
    const Vector y = svd.matrixV() * ((U.transpose() * b).array() / sigma.array()).matrix();
    for (Eigen::Index j = 0; j < t; ++j)
        fit.a[static_cast<size_t>(j)] = y(j) / scale(j);
    fit.leverage = U.rowwise().squaredNorm();
    return fit;
}

// Convex hull of the fitting points (counter-clockwise, without collinear vertices), relative to
// the centre; and whether a point lies in it, within a micrometre.
struct Hull {
    std::vector<std::array<Real, 2>> vertices;

    static Real Cross(const std::array<Real, 2> &o, const std::array<Real, 2> &a, const std::array<Real, 2> &b)
    {
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    }

    explicit Hull(std::vector<std::array<Real, 2>> p)
    {
        std::sort(p.begin(), p.end());
        p.erase(std::unique(p.begin(), p.end()), p.end());
        if (p.size() < 3) {
            vertices = p;
            return;
        }
        std::vector<std::array<Real, 2>> h(2 * p.size());
        size_t k = 0;
        for (size_t i = 0; i < p.size(); ++i) {
            while (k >= 2 && Cross(h[k - 2], h[k - 1], p[i]) <= 0)
                --k;
            h[k++] = p[i];
        }
        for (size_t i = p.size() - 1, lower = k + 1; i-- > 0;) {
            while (k >= lower && Cross(h[k - 2], h[k - 1], p[i]) <= 0)
                --k;
            h[k++] = p[i];
        }
        h.resize(k - 1);
        vertices = h;
    }

    bool contains(const std::array<Real, 2> &q) const
    {
        constexpr Real tolerance = 1e-6L; // m
        const auto distance = [](const std::array<Real, 2> &a, const std::array<Real, 2> &b) {
            return std::hypot(a[0] - b[0], a[1] - b[1]);
        };
        if (vertices.empty())
            return false;
        if (vertices.size() == 1)
            return distance(vertices[0], q) <= tolerance;
        if (vertices.size() == 2) {
            const auto &a = vertices[0], &b = vertices[1];
            const Real length = distance(a, b);
            const Real along = ((q[0] - a[0]) * (b[0] - a[0]) + (q[1] - a[1]) * (b[1] - a[1])) / length;
            const Real across = std::fabs(Cross(a, b, q)) / length;
            return across <= tolerance && along >= -tolerance && along <= length + tolerance;
        }
        for (size_t i = 0; i < vertices.size(); ++i) {
            const auto &a = vertices[i], &b = vertices[(i + 1) % vertices.size()];
            if (Cross(a, b, q) < -tolerance * distance(a, b))
                return false;
        }
        return true;
    }
};

std::string Mm(Real metres) { return NumberToText(1, metres * 1000); }

std::string SignedMm(Real metres)
{
    const std::string text = Mm(metres);
    return text.front() == '-' || text.find_first_not_of("0.") == std::string::npos ? text : "+" + text;
}

// Names of extrapolated points the summary lists at most.
constexpr int MaxListedNames = 20;

std::string RoleText(HeightPointRole role) { return role == HeightPointRole::Fit ? FitRoleText : CheckRoleText; }

} // namespace

int HeightModelParameters(HeightModel model)
{
    switch (model) {
    case HeightModel::Constant:
        return 1;
    case HeightModel::Plane:
        return 3;
    case HeightModel::Quadratic:
        return 6;
    }
    return 3;
}

const char *HeightModelName(HeightModel model)
{
    switch (model) {
    case HeightModel::Constant:
        return "常数";
    case HeightModel::Plane:
        return "平面";
    case HeightModel::Quadratic:
        return "二次曲面";
    }
    return "";
}

int RecommendedFittingPoints(HeightModel model)
{
    return (3 * HeightModelParameters(model) + 1) / 2;
}

namespace {

// The rows of a point table: name, X, Y, 大地高, then what `rest` reads; blank rows skipped, names
// given twice refused.
template <typename Point, typename Rest>
std::vector<Point> PointsFromTexts(const std::vector<std::vector<std::string>> &rows, size_t fields, const char *table,
                                   Rest rest)
{
    const RowReader reader{table};
    std::vector<Point> points;
    std::vector<size_t> rowOf;
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::vector<std::string> &row = rows[r];
        if (BlankRow(row, fields))
            continue;
        Point p;
        p.name = reader.name(row, r);
        p.x = reader.number(row, 1, p.name, "坐标X", MaxCoordinate);
        p.y = reader.number(row, 2, p.name, "坐标Y", MaxCoordinate);
        p.geodetic = reader.number(row, 3, p.name, "大地高", MaxHeight);
        rest(reader, row, p);
        points.push_back(std::move(p));
        rowOf.push_back(r);
    }
    RefuseDuplicates(points, rowOf, table);
    return points;
}

} // namespace

std::vector<HeightCommonPoint> HeightCommonPointsFromTexts(const std::vector<std::vector<std::string>> &rows)
{
    return PointsFromTexts<HeightCommonPoint>(rows, 6, "公共点", [](const RowReader &reader, const auto &row, auto &p) {
        p.normal = reader.number(row, 4, p.name, "正常高", MaxHeight);
        const std::string role = Field(row, 5);
        if (role.empty() || role == FitRoleText)
            p.role = HeightPointRole::Fit;
        else if (role == CheckRoleText)
            p.role = HeightPointRole::Check;
        else
            throw HeightFitError("公共点 " + p.name + " 的用途“" + role + "”应为“拟合”或“检核”！");
    });
}

std::vector<HeightPoint> HeightPointsFromTexts(const std::vector<std::vector<std::string>> &rows)
{
    return PointsFromTexts<HeightPoint>(rows, 4, "待转换点", [](const RowReader &, const auto &, auto &) {});
}

std::optional<Real> HeightLimitFromText(const std::string &text)
{
    const Real limit = TextToNumber(text);
    if (!(limit >= 0 && limit <= MaxHeightLimitMm))
        throw HeightFitError("检核限差 " + std::string(Trimmed(text)) + " mm 应在 0 到 " + NumberToText(0, MaxHeightLimitMm) +
                             " mm 之间（空或 0 表示不设限差）！");
    if (limit == 0)
        return std::nullopt;
    return limit;
}

Real HeightSurface::anomaly(Real x, Real y) const
{
    const std::array<Real, 6> t = Terms((x - centreX) / Scale, (y - centreY) / Scale);
    Real sum = 0;
    for (int j = 0; j < HeightModelParameters(model); ++j)
        sum += a[static_cast<size_t>(j)] * t[static_cast<size_t>(j)];
    return sum;
}

bool HeightFitResult::checksPass() const
{
    if (!overUserLimit.empty())
        return false;
    return std::all_of(sections.begin(), sections.end(), [](const HeightCheckSection &s) { return s.pass; });
}

HeightFitResult FitHeights(std::vector<HeightCommonPoint> common, std::vector<HeightPoint> points, HeightModel model,
                           std::optional<Real> userLimitMm)
{
    FpGuard guard;
    HeightFitResult r;
    r.parameterCount = HeightModelParameters(model);
    if (common.empty())
        throw HeightFitError("公共点表为空，请输入或导入公共点（点名, X, Y, 大地高, 正常高, 用途）！");
    std::vector<size_t> fitting;
    for (size_t i = 0; i < common.size(); ++i)
        if (common[i].role == HeightPointRole::Fit)
            fitting.push_back(i);
    r.fitCount = static_cast<int>(fitting.size());
    r.checkCount = static_cast<int>(common.size()) - r.fitCount;
    if (r.fitCount < r.parameterCount)
        throw HeightFitError(std::string(HeightModelName(model)) + "模型有 " + std::to_string(r.parameterCount) +
                             " 个参数，至少需要 " + std::to_string(r.parameterCount) + " 个用途为“拟合”的公共点，现有 " +
                             std::to_string(r.fitCount) + " 个！");
    r.fewFittingPoints = 2 * r.fitCount < 3 * r.parameterCount;

    // The centre: the mean of the fitting points, built up from value / n.
    HeightSurface &s = r.surface;
    s.model = model;
    const Real n = static_cast<Real>(r.fitCount);
    for (size_t i : fitting) {
        s.centreX += common[i].x / n;
        s.centreY += common[i].y / n;
    }
    std::vector<std::array<Real, 6>> terms;
    std::vector<Real> anomalies;
    for (size_t i : fitting) {
        terms.push_back(Terms((common[i].x - s.centreX) / HeightSurface::Scale, (common[i].y - s.centreY) / HeightSurface::Scale));
        anomalies.push_back(common[i].geodetic - common[i].normal);
    }
    const Fit fit = Solve(terms, anomalies, model);
    s.a = fit.a;
    r.condition = fit.condition;
    guard.check(s.a, r.condition);

    // Residuals of the fitting points, differences of the check points.
    Real vv = 0, dd = 0;
    r.commonResults.resize(common.size());
    for (size_t i = 0; i < common.size(); ++i) {
        const HeightCommonPoint &p = common[i];
        HeightCommonResult &c = r.commonResults[i];
        c.anomaly = p.geodetic - p.normal;
        c.fitted = s.anomaly(p.x, p.y);
        c.residual = c.fitted - c.anomaly;
        c.fittedNormal = p.geodetic - c.fitted;
        c.difference = c.fittedNormal - p.normal;
        if (p.role == HeightPointRole::Fit)
            vv += c.residual * c.residual;
        else
            dd += c.difference * c.difference;
    }
    if (r.fitCount > r.parameterCount)
        r.internalAccuracy = std::sqrt(vv / static_cast<Real>(r.fitCount - r.parameterCount));
    if (r.checkCount > 0)
        r.externalAccuracy = std::sqrt(dd / static_cast<Real>(r.checkCount));

    // Leave one out, without check points: d = v / (1 − h). A point whose leverage is 1 cannot be
    // left out (the others do not fix the model): then there is no estimate.
    r.leaveOneOutErrors.assign(common.size(), 0);
    if (r.checkCount == 0 && r.fitCount > r.parameterCount) {
        Real sum = 0;
        bool possible = true;
        for (size_t k = 0; k < fitting.size() && possible; ++k) {
            const Real free = 1 - fit.leverage(static_cast<Eigen::Index>(k));
            possible = free > 1e-9L;
            if (possible) {
                const Real d = r.commonResults[fitting[k]].residual / free;
                r.leaveOneOutErrors[fitting[k]] = d;
                sum += d * d;
            }
        }
        if (possible)
            r.leaveOneOut = std::sqrt(sum / n);
    }

    // Neighbouring check points in table order, and the user's limit.
    std::optional<size_t> previous;
    for (size_t i = 0; i < common.size(); ++i) {
        if (common[i].role != HeightPointRole::Check)
            continue;
        if (previous) {
            HeightCheckSection section;
            section.from = *previous;
            section.to = i;
            section.distanceKm = std::hypot(common[i].x - common[*previous].x, common[i].y - common[*previous].y) / 1000;
            section.difference = r.commonResults[i].difference - r.commonResults[*previous].difference;
            section.limit = 0.030L * std::sqrt(section.distanceKm);
            section.pass = std::fabs(section.difference) <= section.limit;
            r.sections.push_back(section);
        }
        previous = i;
    }
    if (userLimitMm) {
        r.userLimit = *userLimitMm / 1000;
        for (size_t i = 0; i < common.size(); ++i)
            if (common[i].role == HeightPointRole::Check && std::fabs(r.commonResults[i].difference) > *r.userLimit)
                r.overUserLimit.push_back(i);
    }

    // The points to convert, marked where they lie outside the fitting points' hull.
    std::vector<std::array<Real, 2>> corners;
    for (size_t i : fitting)
        corners.push_back({common[i].x - s.centreX, common[i].y - s.centreY});
    const Hull hull(std::move(corners));
    r.converted.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const HeightPoint &p = points[i];
        HeightConverted &c = r.converted[i];
        c.anomaly = s.anomaly(p.x, p.y);
        c.normal = p.geodetic - c.anomaly;
        c.extrapolated = !hull.contains({p.x - s.centreX, p.y - s.centreY});
        r.extrapolatedCount += c.extrapolated;
    }
    guard.check(vv, dd, r.internalAccuracy, r.externalAccuracy, r.leaveOneOut, r.commonResults, r.converted, r.sections);
    r.common = std::move(common);
    r.points = std::move(points);
    return r;
}

std::vector<std::array<std::string, 5>> HeightResidualTexts(const HeightFitResult &r)
{
    std::vector<std::array<std::string, 5>> rows;
    for (size_t i = 0; i < r.common.size(); ++i) {
        const HeightCommonResult &c = r.commonResults[i];
        rows.push_back({r.common[i].name, RoleText(r.common[i].role), NumberToText(4, c.anomaly),
                        NumberToText(4, c.fitted), Mm(c.residual)});
    }
    return rows;
}

std::vector<std::array<std::string, 7>> HeightConvertedTexts(const HeightFitResult &r)
{
    std::vector<std::array<std::string, 7>> rows;
    for (size_t i = 0; i < r.points.size(); ++i) {
        const HeightPoint &p = r.points[i];
        const HeightConverted &c = r.converted[i];
        rows.push_back({p.name, NumberToText(4, p.x), NumberToText(4, p.y), NumberToText(4, p.geodetic),
                        NumberToText(4, c.anomaly), NumberToText(4, c.normal), c.extrapolated ? ExtrapolatedText : ""});
    }
    return rows;
}

std::string FewFittingPointsText(const HeightFitResult &r)
{
    return "注意：拟合点 " + std::to_string(r.fitCount) + " 个，少于参数个数的 1.5 倍（" +
           HeightModelName(r.surface.model) + "模型 " + std::to_string(r.parameterCount) + " 个参数，宜不少于 " +
           std::to_string(RecommendedFittingPoints(r.surface.model)) + " 个拟合点）。";
}

std::vector<std::string> HeightFitSummary(const HeightFitResult &r)
{
    static const char *const formulas[] = {"ζ = a0", "ζ = a0 + a1·dx + a2·dy",
                                           "ζ = a0 + a1·dx + a2·dy + a3·dx² + a4·dx·dy + a5·dy²"};
    static const char *const units[] = {"m", "m/km", "m/km", "m/km²", "m/km²", "m/km²"};
    const HeightSurface &s = r.surface;
    std::vector<std::string> lines;
    lines.push_back(std::string("模型：") + HeightModelName(s.model) + "  " + formulas[static_cast<int>(s.model)] +
                    "，ζ = 大地高 − 正常高");
    lines.push_back("dx = (X − X0)/1000，dy = (Y − Y0)/1000（km），X0 = " + NumberToText(4, s.centreX) +
                    " m，Y0 = " + NumberToText(4, s.centreY) + " m（拟合点坐标的平均值）");
    for (int j = 0; j < r.parameterCount; ++j)
        lines.push_back("a" + std::to_string(j) + " = " + NumberToText(8, s.a[static_cast<size_t>(j)]) + " " + units[j]);
    lines.push_back("拟合点 n = " + std::to_string(r.fitCount) + " 个，检核点 m = " + std::to_string(r.checkCount) +
                    " 个，参数 t = " + std::to_string(r.parameterCount) + " 个");
    if (r.fewFittingPoints)
        lines.push_back(FewFittingPointsText(r));
    if (r.internalAccuracy)
        lines.push_back("内符合中误差 μ = ±" + Mm(*r.internalAccuracy) + " mm（μ = √([vv]/(n−t))，分母 n−t = " +
                        std::to_string(r.fitCount - r.parameterCount) + "；v = 拟合值 − 已知高程异常）");
    else
        lines.push_back("内符合中误差无法计算：拟合点数等于参数个数，没有多余观测（n−t = 0）");

    if (r.checkCount > 0) {
        lines.push_back("外符合中误差 M = ±" + Mm(*r.externalAccuracy) + " mm（M = √([ΔΔ]/m)，分母 m = " +
                        std::to_string(r.checkCount) + " 个检核点；Δ = 拟合正常高 − 水准正常高）");
        lines.push_back("检核点：");
        for (size_t i = 0; i < r.common.size(); ++i)
            if (r.common[i].role == HeightPointRole::Check)
                lines.push_back("  " + r.common[i].name + "  拟合正常高 " + NumberToText(4, r.commonResults[i].fittedNormal) +
                                " m  水准正常高 " + NumberToText(4, r.common[i].normal) + " m  Δ = " +
                                SignedMm(r.commonResults[i].difference) + " mm");
        if (r.sections.empty()) {
            lines.push_back("检核点少于 2 个，不作相邻检核点高差较差 ±30√D mm 的检验");
        } else {
            lines.push_back("相邻检核点高差较差（按表中顺序；限差 ±30√D mm，D 为两点间平面距离 km）：");
            for (const HeightCheckSection &c : r.sections)
                lines.push_back("  " + r.common[c.from].name + " – " + r.common[c.to].name + "  D = " +
                                NumberToText(3, c.distanceKm) + " km  较差 " + SignedMm(c.difference) + " mm  限差 ±" +
                                Mm(c.limit) + " mm  " + (c.pass ? "合格" : "超限"));
        }
        if (r.userLimit) {
            if (r.overUserLimit.empty()) {
                lines.push_back("检核点较差限差 ±" + Mm(*r.userLimit) + " mm：全部检核点在限差以内");
            } else {
                std::string names;
                for (size_t i : r.overUserLimit)
                    names += (names.empty() ? "" : "，") + r.common[i].name;
                lines.push_back("检核点较差限差 ±" + Mm(*r.userLimit) + " mm：" + std::to_string(r.overUserLimit.size()) +
                                " 个检核点超限：" + names);
            }
        }
        if (!r.sections.empty() || r.userLimit)
            lines.push_back(std::string("检核结论：") + (r.checksPass() ? "合格" : "不合格"));
        const int wanted = std::max(3, (r.fitCount + r.checkCount + 9) / 10);
        if (r.checkCount < wanted)
            lines.push_back("注意：检核点宜不少于全部公共点的 10% 且不少于 3 个（本例宜不少于 " + std::to_string(wanted) +
                            " 个）。");
    } else {
        if (r.leaveOneOut)
            lines.push_back("外符合精度（逐点剔除估计）±" + Mm(*r.leaveOneOut) +
                            " mm（√(Σd²/n)，n = " + std::to_string(r.fitCount) +
                            "；d = 去掉该点后拟合的预测值 − 已知高程异常）");
        else
            lines.push_back("外符合精度的逐点剔除估计无法计算：去掉某个拟合点后模型无法确定");
        lines.push_back("未设检核点：外符合中误差须由检核点求得，检核点宜不少于全部公共点的 10% 且不少于 3 个。");
        if (r.userLimit)
            lines.push_back("检核点较差限差 ±" + Mm(*r.userLimit) + " mm：没有检核点，未作检验");
    }

    std::string converted = "待转换点 " + std::to_string(r.points.size()) + " 个";
    if (r.extrapolatedCount > 0) {
        // The first names only: a large file may have thousands outside the hull.
        std::string names;
        int listed = 0;
        for (size_t i = 0; i < r.points.size() && listed < MaxListedNames; ++i)
            if (r.converted[i].extrapolated)
                names += (listed++ ? "，" : "") + r.points[i].name;
        if (r.extrapolatedCount > listed)
            names += " 等";
        converted += "，其中 " + std::to_string(r.extrapolatedCount) + " 个在拟合点的凸包以外，为外推，说明栏注“外推”：" + names;
    } else if (!r.points.empty()) {
        converted += "，都在拟合点的凸包以内";
    }
    lines.push_back(converted);
    return lines;
}

} // namespace quorvil
