// GNSS height fitting: exact fields recovered, accuracy figures against an independent exact
// computation (tests/support/height_fit_reference.py) on the EGM96 geoid, degenerate geometry,
// extrapolation and every bad input refused with its message.
#include "core/Error.h"
#include "core/HeightFit.h"
#include "core/TextForms.h"
#include "support/ProcessRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

const std::string DataDir = QUORVIL_TEST_SOURCE_DIR "/data/height-fit/";

using Rows = std::vector<std::vector<std::string>>;

// Scattered positions in a 30 km x 40 km area of realistic Gauss-Krueger coordinates.
std::vector<std::array<Real, 2>> Positions()
{
    return {{4411733.4086L, 432813.1119L}, {4428540.2416L, 434554.6607L}, {4450402.4248L, 434839.2311L},
            {4411775.0423L, 441940.1840L}, {4428881.8383L, 442798.8232L}, {4450119.5344L, 443532.3995L},
            {4410519.5892L, 452485.1268L}, {4429716.6345L, 455022.3811L}, {4450204.4819L, 455014.9786L},
            {4408205.3333L, 465146.4740L}, {4429479.8858L, 463651.1486L}, {4451707.9946L, 462890.0505L}};
}

// A field of the anomaly that is exactly of one model: c0 … c5 about (4430000, 450000) in km.
struct Field {
    const char *label;
    HeightModel model;
    std::array<Real, 6> c;
    Real operator()(Real x, Real y) const
    {
        const Real u = (x - 4430000) / 1000, v = (y - 450000) / 1000;
        const Real all = c[0] + c[1] * u + c[2] * v + c[3] * u * u + c[4] * u * v + c[5] * v * v;
        return all;
    }
};

const Field Fields[] = {
    {"constant", HeightModel::Constant, {-9.7377L, 0, 0, 0, 0, 0}},
    {"plane", HeightModel::Plane, {-9.7377L, 0.0145L, -0.0141L, 0, 0, 0}},
    {"quadratic", HeightModel::Quadratic, {-9.7377L, 0.0145L, -0.0141L, -6.7e-5L, 6.1e-6L, 1.79e-4L}},
};

// Common points at the given places, the last `checks` of them check points.
std::vector<HeightCommonPoint> CommonAt(const std::vector<std::array<Real, 2>> &xy, int checks = 0)
{
    std::vector<HeightCommonPoint> points;
    int k = 0;
    for (const auto &[x, y] : xy) {
        HeightCommonPoint p;
        p.name = "C" + std::to_string(++k);
        p.x = x;
        p.y = y;
        p.normal = 50;
        p.geodetic = 40 + 0.001L * k;
        p.role = k > static_cast<int>(xy.size()) - checks ? HeightPointRole::Check : HeightPointRole::Fit;
        points.push_back(p);
    }
    return points;
}

// Common points whose anomaly is exactly the field's.
std::vector<HeightCommonPoint> CommonOf(const Field &field, const std::vector<std::array<Real, 2>> &at)
{
    std::vector<HeightCommonPoint> points = CommonAt(at);
    for (HeightCommonPoint &p : points)
        p.geodetic = p.normal + field(p.x, p.y);
    return points;
}

// Points inside and around the area, to compare the fitted surface with the field.
std::vector<HeightPoint> Probes()
{
    return {{"P1", 4439742.9845L, 442686.9252L, 224.2996L}, {"P2", 4421019.0305L, 440917.7063L, 79.2799L},
            {"P7", 4435118.3518L, 476107.1520L, 175.1462L}, {"P8", 4387509.2804L, 448480.6286L, 186.6157L}};
}

HeightFitResult FitTexts(const Rows &common, const Rows &points, HeightModel model)
{
    return FitHeights(HeightCommonPointsFromTexts(common), HeightPointsFromTexts(points), model);
}

std::string MessageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.what();
    }
    return "(no error)";
}

Rows ReadRows(const std::string &path, size_t count)
{
    std::ifstream in(path, std::ios::binary);
    Rows rows;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::stringstream s(line);
        std::string f;
        while (std::getline(s, f, ','))
            fields.push_back(f);
        fields.resize(count);
        rows.push_back(fields);
    }
    return rows;
}

// The reference's output for a model and files.
std::string ReferenceOutput(const char *model, const QStringList &files)
{
    const test::ProgramRun run =
        test::RunPythonProgram(QStringList{QUORVIL_TEST_SOURCE_DIR "/support/height_fit_reference.py", model} + files);
    EXPECT_EQ(run.status, 0) << run.diagnosis().toStdString();
    return run.out.toStdString();
}

// The output of the reference, key (with the point's name) to its numbers.
std::map<std::string, std::vector<std::string>> Reference(const char *model, bool points = true)
{
    QStringList files{QString::fromStdString(DataDir + "common.txt")};
    if (points)
        files << QString::fromStdString(DataDir + "points.txt");
    std::map<std::string, std::vector<std::string>> values;
    std::stringstream output(ReferenceOutput(model, files));
    for (std::string text; std::getline(output, text);) {
        std::stringstream line(text);
        std::string key, word;
        line >> key;
        if (key == "residual" || key == "check" || key == "converted") {
            line >> word;
            key += " " + word;
        }
        while (line >> word)
            values[key].push_back(word);
    }
    return values;
}

Real Number(const std::map<std::string, std::vector<std::string>> &ref, const std::string &key, size_t i = 0)
{
    return std::stold(ref.at(key).at(i));
}

} // namespace

// Each exact field is recovered by its own model and by every larger one; the larger model's
// excess parameters come out zero, the shared quadratic terms exact (they do not depend on the
// centre), and the surface agrees with the field everywhere, extrapolated points included.
TEST(HeightFit, ExactFieldsAreRecovered)
{
    const HeightModel models[] = {HeightModel::Constant, HeightModel::Plane, HeightModel::Quadratic};
    for (const Field &field : Fields)
        for (HeightModel model : models) {
            if (HeightModelParameters(model) < HeightModelParameters(field.model))
                continue;
            SCOPED_TRACE(std::string(field.label) + " field, " + HeightModelName(model) + " model");
            const HeightFitResult r = FitHeights(CommonOf(field, Positions()), Probes(), model);
            const int t = HeightModelParameters(field.model);
            for (int j = t; j < 6; ++j)
                EXPECT_NEAR(r.surface.a[static_cast<size_t>(j)], 0, 1e-9L) << "a" << j;
            if (t == 6)
                for (int j = 3; j < 6; ++j)
                    EXPECT_NEAR(r.surface.a[static_cast<size_t>(j)], field.c[static_cast<size_t>(j)], 1e-12L) << "a" << j;
            for (const HeightCommonResult &c : r.commonResults)
                EXPECT_NEAR(c.residual, 0, 1e-9L);
            ASSERT_TRUE(r.internalAccuracy);
            EXPECT_LT(*r.internalAccuracy, 1e-9L);
            ASSERT_TRUE(r.leaveOneOut);
            EXPECT_LT(*r.leaveOneOut, 1e-9L);
            for (size_t i = 0; i < r.points.size(); ++i) {
                EXPECT_NEAR(r.converted[i].anomaly, field(r.points[i].x, r.points[i].y), 1e-9L) << r.points[i].name;
                EXPECT_NEAR(r.converted[i].normal, r.points[i].geodetic - field(r.points[i].x, r.points[i].y), 1e-9L);
            }
            // The summary shows the excess parameters as zero.
            const std::vector<std::string> summary = HeightFitSummary(r);
            for (int j = t; j < HeightModelParameters(model); ++j) {
                const std::string prefix = "a" + std::to_string(j) + " = ";
                const auto line = std::find_if(summary.begin(), summary.end(),
                                               [&](const std::string &s) { return s.starts_with(prefix); });
                ASSERT_NE(line, summary.end());
                EXPECT_TRUE(line->starts_with(prefix + "0.00000000 ")) << *line;
            }
        }
}

// The parameters of the model's own field, moved to the fitted centre.
TEST(HeightFit, ParametersAreAboutTheCentreInKilometres)
{
    const Field &field = Fields[1];
    const HeightFitResult r = FitHeights(CommonOf(field, Positions()), {}, HeightModel::Plane);
    Real x0 = 0, y0 = 0;
    for (const auto &[x, y] : Positions()) {
        x0 += x / 12;
        y0 += y / 12;
    }
    EXPECT_NEAR(r.surface.centreX, x0, 1e-6L);
    EXPECT_NEAR(r.surface.centreY, y0, 1e-6L);
    EXPECT_NEAR(r.surface.a[0], field(x0, y0), 1e-9L);
    EXPECT_NEAR(r.surface.a[1], 0.0145L, 1e-12L);
    EXPECT_NEAR(r.surface.a[2], -0.0141L, 1e-12L);
    EXPECT_LT(r.condition, 10);
}

// The EGM96 geoid (PROJ's egm96_15.gtx, sampled by scripts/make-height-fit-sample.py) at 12
// fitting and 5 check points: every figure as the exact reference computes it.
TEST(HeightFit, Egm96SampleAgreesWithTheExactReference)
{
    const Rows common = ReadRows(DataDir + "common.txt", 6);
    const Rows points = ReadRows(DataDir + "points.txt", 4);
    ASSERT_EQ(common.size(), 17u);
    ASSERT_EQ(points.size(), 8u);
    const struct {
        HeightModel model;
        const char *name;
    } models[] = {{HeightModel::Constant, "constant"}, {HeightModel::Plane, "plane"}, {HeightModel::Quadratic, "quadratic"}};
    for (const auto &m : models) {
        SCOPED_TRACE(m.name);
        const auto ref = Reference(m.name);
        ASSERT_TRUE(ref.count("mu")) << "the reference did not run: /usr/bin/python3 " QUORVIL_TEST_SOURCE_DIR
                                        "/support/height_fit_reference.py";
        const HeightFitResult r = FitTexts(common, points, m.model);
        EXPECT_EQ(r.fitCount, 12);
        EXPECT_EQ(r.checkCount, 5);
        EXPECT_NEAR(r.surface.centreX, Number(ref, "centre", 0), 1e-8L);
        EXPECT_NEAR(r.surface.centreY, Number(ref, "centre", 1), 1e-8L);
        for (int j = 0; j < HeightModelParameters(m.model); ++j)
            EXPECT_NEAR(r.surface.a[static_cast<size_t>(j)], Number(ref, "a" + std::to_string(j)), 1e-12L) << j;
        ASSERT_TRUE(r.internalAccuracy && r.externalAccuracy);
        EXPECT_NEAR(*r.internalAccuracy, Number(ref, "mu"), 1e-12L);
        EXPECT_NEAR(*r.externalAccuracy, Number(ref, "M"), 1e-12L);
        EXPECT_FALSE(r.leaveOneOut); // check points are given
        for (size_t i = 0; i < r.common.size(); ++i) {
            const std::string &name = r.common[i].name;
            if (r.common[i].role == HeightPointRole::Fit) {
                EXPECT_NEAR(r.commonResults[i].residual, Number(ref, "residual " + name), 1e-12L) << name;
            } else {
                EXPECT_NEAR(r.commonResults[i].fittedNormal, Number(ref, "check " + name, 0), 1e-11L) << name;
                EXPECT_NEAR(r.commonResults[i].difference, Number(ref, "check " + name, 1), 1e-12L) << name;
            }
        }
        for (size_t i = 0; i < r.points.size(); ++i) {
            const std::string key = "converted " + r.points[i].name;
            EXPECT_NEAR(r.converted[i].anomaly, Number(ref, key, 0), 1e-11L) << key;
            EXPECT_NEAR(r.converted[i].normal, Number(ref, key, 1), 1e-11L) << key;
            EXPECT_EQ(r.converted[i].extrapolated, ref.at(key).at(2) == "outside") << key;
        }
        EXPECT_EQ(r.extrapolatedCount, 2); // P7 and P8
    }

    // The real surface is not a plane: the quadratic fits better inside and outside.
    const HeightFitResult plane = FitTexts(common, points, HeightModel::Plane);
    const HeightFitResult quadratic = FitTexts(common, points, HeightModel::Quadratic);
    EXPECT_LT(*quadratic.internalAccuracy, *plane.internalAccuracy);
    EXPECT_LT(*quadratic.externalAccuracy, *plane.externalAccuracy);
    EXPECT_LT(*quadratic.externalAccuracy, 0.005L);
    // Against the geoid itself at the points to convert (truth.txt): within 3 cm inside the area.
    std::map<std::string, Real> truth;
    for (const auto &row : ReadRows(DataDir + "truth.txt", 4))
        truth[row[0]] = TextToNumber(row[3]);
    for (size_t i = 0; i < quadratic.points.size(); ++i)
        if (!quadratic.converted[i].extrapolated)
            EXPECT_NEAR(quadratic.converted[i].anomaly, truth.at(quadratic.points[i].name), 0.03L) << quadratic.points[i].name;
}

// Without check points, the leave-one-out estimate: the reference fits again without each point.
TEST(HeightFit, LeaveOneOutAgreesWithFittingAgain)
{
    Rows common = ReadRows(DataDir + "common.txt", 6);
    for (auto &row : common)
        row[5] = FitRoleText;
    const std::string path = testing::TempDir() + "height-fit-all-fitting.txt";
    {
        std::ofstream out(path, std::ios::binary);
        for (const auto &row : common)
            out << row[0] << ',' << row[1] << ',' << row[2] << ',' << row[3] << ',' << row[4] << ",拟合\r\n";
    }
    for (const auto &[model, name] : {std::pair{HeightModel::Plane, "plane"}, std::pair{HeightModel::Quadratic, "quadratic"}}) {
        SCOPED_TRACE(name);
        const HeightFitResult r = FitTexts(common, {}, model);
        EXPECT_EQ(r.checkCount, 0);
        EXPECT_FALSE(r.externalAccuracy);
        ASSERT_TRUE(r.leaveOneOut);
        // The reference on the same file.
        std::stringstream output(ReferenceOutput(name, {QString::fromStdString(path)}));
        Real loo = -1;
        for (std::string line; std::getline(output, line);)
            if (line.starts_with("loo "))
                loo = std::stold(line.substr(4));
        EXPECT_NEAR(*r.leaveOneOut, loo, 1e-12L);
        // And against the C++ fit itself without each point.
        Real sum = 0;
        for (size_t k = 0; k < common.size(); ++k) {
            Rows others = common;
            others.erase(others.begin() + static_cast<long>(k));
            const HeightFitResult without = FitTexts(others, {{common[k][0], common[k][1], common[k][2], common[k][3]}}, model);
            const Real d = without.converted[0].anomaly - r.commonResults[k].anomaly;
            EXPECT_NEAR(r.leaveOneOutErrors[k], d, 1e-12L);
            sum += d * d;
        }
        EXPECT_NEAR(*r.leaveOneOut, std::sqrt(sum / static_cast<Real>(common.size())), 1e-12L);
        EXPECT_GT(*r.leaveOneOut, *r.internalAccuracy);
    }
}

// The committed sample is what PROJ's grid gives: sampled again with cct where it is installed.
TEST(HeightFit, SampleIsTheEgm96GridOfProj)
{
    if (std::system("command -v cct >/dev/null 2>&1 && test -f /usr/share/proj/egm96_15.gtx") != 0)
        GTEST_SKIP() << "PROJ's cct or the grid egm96_15.gtx (Debian proj-bin, proj-data) is missing";
    const test::ProgramRun run =
        test::RunPythonProgram({"scripts/make-height-fit-sample.py", "--check"}, {}, QUORVIL_TEST_SOURCE_DIR "/..");
    EXPECT_EQ(run.status, 0) << run.diagnosis().toStdString();
}

// Fewer fitting points than parameters: refused. As many: fitted, without internal accuracy.
TEST(HeightFit, TooFewFittingPoints)
{
    const auto common = CommonOf(Fields[2], Positions());
    for (HeightModel model : {HeightModel::Plane, HeightModel::Quadratic}) {
        const int t = HeightModelParameters(model);
        std::vector<HeightCommonPoint> few(common.begin(), common.begin() + t - 1);
        EXPECT_EQ(MessageOf([&] { FitHeights(few, {}, model); }),
                  std::string(HeightModelName(model)) + "模型有 " + std::to_string(t) + " 个参数，至少需要 " +
                      std::to_string(t) + " 个用途为“拟合”的公共点，现有 " + std::to_string(t - 1) + " 个！");
        // Check points do not count.
        std::vector<HeightCommonPoint> checks(common.begin(), common.begin() + t + 2);
        for (size_t i = 1; i < checks.size(); i += 1)
            if (i >= static_cast<size_t>(t) - 1)
                checks[i].role = HeightPointRole::Check;
        EXPECT_NE(MessageOf([&] { FitHeights(checks, {}, model); }).find("至少需要"), std::string::npos);
        std::vector<HeightCommonPoint> exact(common.begin(), common.begin() + t);
        const HeightFitResult r = FitHeights(exact, {}, model);
        EXPECT_FALSE(r.internalAccuracy);
        EXPECT_FALSE(r.leaveOneOut);
        EXPECT_TRUE(r.fewFittingPoints);
    }
    EXPECT_EQ(MessageOf([] { FitHeights({}, {}, HeightModel::Constant); }),
              "公共点表为空，请输入或导入公共点（点名, X, Y, 大地高, 正常高, 用途）！");
}

// The 1.5-times rule: ⌈1.5·t⌉ fitting points are enough, one fewer is warned of.
TEST(HeightFit, WarnsBelowOneAndAHalfTimesTheParameters)
{
    const auto common = CommonOf(Fields[2], Positions());
    const struct {
        HeightModel model;
        int enough;
    } cases[] = {{HeightModel::Constant, 2}, {HeightModel::Plane, 5}, {HeightModel::Quadratic, 9}};
    for (const auto &c : cases) {
        EXPECT_EQ(RecommendedFittingPoints(c.model), c.enough);
        const HeightFitResult warned = FitHeights({common.begin(), common.begin() + c.enough - 1}, {}, c.model);
        const HeightFitResult fine = FitHeights({common.begin(), common.begin() + c.enough}, {}, c.model);
        EXPECT_TRUE(warned.fewFittingPoints);
        EXPECT_FALSE(fine.fewFittingPoints);
        const auto summary = HeightFitSummary(warned);
        EXPECT_NE(std::find(summary.begin(), summary.end(), FewFittingPointsText(warned)), summary.end());
        const auto fineSummary = HeightFitSummary(fine);
        EXPECT_EQ(std::find_if(fineSummary.begin(), fineSummary.end(), [](const std::string &s) { return s.starts_with("注意：拟合点"); }),
                  fineSummary.end());
    }
    const HeightFitResult r = FitHeights({common.begin(), common.begin() + 4}, {}, HeightModel::Plane);
    EXPECT_EQ(FewFittingPointsText(r), "注意：拟合点 4 个，少于参数个数的 1.5 倍（平面模型 3 个参数，宜不少于 5 个拟合点）。");
}

// Points on a line for the plane, on a conic for the quadratic surface: refused, never a NaN.
TEST(HeightFit, DegenerateGeometryIsRefused)
{
    const auto at = [](const std::vector<std::array<Real, 2>> &xy) { return CommonAt(xy); };
    std::vector<std::array<Real, 2>> line, nearLine, circle, twoLines, parabola, samePlace, general;
    for (int k = 0; k < 10; ++k) {
        line.push_back({4400000.123L + 1000.1L * k, 440000.456L + 2000.3L * k});
        // Off the line by rounding of the decimal texts only.
        nearLine.push_back({TextToNumber(NumberToText(4, 4400000.1234L + 0.1L * k)), TextToNumber(NumberToText(4, 440000.3L + 0.3L * k))});
        const Real angle = 0.6L * k;
        circle.push_back({4400000 + 5000 * std::cos(angle), 440000 + 5000 * std::sin(angle)});
        twoLines.push_back(k % 2 ? std::array<Real, 2>{4400000.0L + 700 * k, 440000.0L} : std::array<Real, 2>{4400000.0L, 440000.0L + 900 * k});
        parabola.push_back({4400000.0L + 1000 * k, 440000.0L + 37.5L * k * k});
        samePlace.push_back({4400000.5L, 440000.5L});
        general.push_back({4400000.0L + 1000 * k + 137 * (k % 3), 440000.0L + 1000 * ((k * 7) % 10)});
    }
    const std::string planeText =
        "拟合点都在一条直线上（或几乎如此），平面模型无法确定！请增加不在这条直线上的拟合点，或选用常数模型。";
    const std::string quadraticText = "拟合点都在一条二次曲线上（一条直线、两条直线、一个圆或其他圆锥曲线，或几乎如此），"
                                      "二次曲面模型无法确定！请增加不在这条曲线上的拟合点，或选用平面模型。";
    for (const auto *points : {&line, &nearLine, &samePlace}) {
        EXPECT_EQ(MessageOf([&] { FitHeights(at(*points), {}, HeightModel::Plane); }), planeText);
        EXPECT_EQ(MessageOf([&] { FitHeights(at(*points), {}, HeightModel::Quadratic); }), quadraticText);
        EXPECT_EQ(MessageOf([&] { FitHeights(at(*points), {}, HeightModel::Constant); }), "(no error)");
    }
    for (const auto *points : {&circle, &twoLines, &parabola}) {
        EXPECT_EQ(MessageOf([&] { FitHeights(at(*points), {}, HeightModel::Quadratic); }), quadraticText);
        EXPECT_EQ(MessageOf([&] { FitHeights(at(*points), {}, HeightModel::Plane); }), "(no error)");
    }
    EXPECT_EQ(MessageOf([&] { FitHeights(at(general), {}, HeightModel::Quadratic); }), "(no error)");
    // On the circle to a tenth of a millimetre (coordinates of 4 decimals) is still on it.
    std::vector<std::array<Real, 2>> roundedCircle;
    for (const auto &[x, y] : circle)
        roundedCircle.push_back({TextToNumber(NumberToText(4, x)), TextToNumber(NumberToText(4, y))});
    EXPECT_EQ(MessageOf([&] { FitHeights(at(roundedCircle), {}, HeightModel::Quadratic); }), quadraticText);
    // A point off the circle makes it determinate.
    circle.push_back({4401000, 440500});
    EXPECT_EQ(MessageOf([&] { FitHeights(at(circle), {}, HeightModel::Quadratic); }), "(no error)");
}

// A point outside the fitting points' convex hull is marked; the hull's edges and corners count as
// inside; check points do not widen the hull.
TEST(HeightFit, ExtrapolatedPointsAreMarked)
{
    const auto common = [](const std::vector<std::array<Real, 2>> &xy, int checks = 0) { return CommonAt(xy, checks); };
    const std::vector<HeightPoint> probes = {
        {"inside", 4400500, 440500, 10},   {"edge", 4400000, 440500, 10},      {"corner", 4401000, 441000, 10},
        {"outside", 4401000.01L, 440500, 10}, {"far", 4390000, 430000, 10},     {"beyondCorner", 4401000.001L, 441000.001L, 10},
        {"checkArea", 4402000, 440500, 10}};
    const std::vector<bool> expected = {false, false, false, true, true, true, true};
    // A square of four corners with a point in the middle, and a check point outside it.
    const HeightFitResult r = FitHeights(common({{4400000, 440000}, {4401000, 440000}, {4401000, 441000}, {4400000, 441000},
                                                 {4400500, 440400}, {4402000, 440500}},
                                                1),
                                         probes, HeightModel::Plane);
    for (size_t i = 0; i < probes.size(); ++i)
        EXPECT_EQ(r.converted[i].extrapolated, expected[i]) << probes[i].name;
    EXPECT_EQ(r.extrapolatedCount, 4);
    const auto texts = HeightConvertedTexts(r);
    EXPECT_EQ(texts[3][6], "外推");
    EXPECT_EQ(texts[0][6], "");
    const auto summary = HeightFitSummary(r);
    EXPECT_EQ(summary.back(), "待转换点 7 个，其中 4 个在拟合点的凸包以外，为外推，说明栏注“外推”：outside，far，beyondCorner，checkArea");

    // Thousands outside: the summary names the first twenty.
    std::vector<HeightPoint> many;
    for (int k = 0; k < 2000; ++k)
        many.push_back({"Q" + std::to_string(k), 4390000.0L + k, 430000, 10});
    const std::string line = HeightFitSummary(FitHeights(CommonAt({{4400000, 440000}, {4401000, 440000}, {4400000, 441000}}), many,
                                                         HeightModel::Plane))
                                 .back();
    EXPECT_TRUE(line.starts_with("待转换点 2000 个，其中 2000 个在拟合点的凸包以外")) << line;
    EXPECT_TRUE(line.ends_with("：Q0，Q1，Q2，Q3，Q4，Q5，Q6，Q7，Q8，Q9，Q10，Q11，Q12，Q13，Q14，Q15，Q16，Q17，Q18，Q19 等")) << line;

    // The constant model on points of one line: the hull is the segment.
    const HeightFitResult segment = FitHeights(common({{4400000, 440000}, {4401000, 441000}, {4400500, 440500}}),
                                               {{"on", 4400250, 440250, 1}, {"off", 4400250, 440260, 1}, {"beyond", 4401001, 441001, 1}},
                                               HeightModel::Constant);
    EXPECT_FALSE(segment.converted[0].extrapolated);
    EXPECT_TRUE(segment.converted[1].extrapolated);
    EXPECT_TRUE(segment.converted[2].extrapolated);
    // One fitting point: only that place is inside.
    const HeightFitResult single = FitHeights(common({{4400000, 440000}}), {{"same", 4400000, 440000, 1}, {"next", 4400000.01L, 440000, 1}},
                                              HeightModel::Constant);
    EXPECT_FALSE(single.converted[0].extrapolated);
    EXPECT_TRUE(single.converted[1].extrapolated);
}

// Neighbouring check points against ±30√D mm and the user's mm limit.
TEST(HeightFit, CheckPointVerdicts)
{
    // A plane field exactly; check points off it by chosen amounts.
    std::vector<HeightCommonPoint> common = CommonOf(Fields[1], Positions());
    const struct {
        Real x, y, error; // error of the levelled height, m: Δ = fitted − levelled = −error... see below
    } checks[] = {{4420000, 440000, 0.010L}, {4424000, 443000, -0.045L}, {4424000, 443000 + 1000, -0.040L}};
    int k = 0;
    for (const auto &c : checks) {
        HeightCommonPoint p;
        p.name = "J" + std::to_string(++k);
        p.x = c.x;
        p.y = c.y;
        p.normal = 50 + c.error; // levelled too high by `error`: Δ = −error
        p.geodetic = 50 + Fields[1](c.x, c.y);
        p.role = HeightPointRole::Check;
        common.push_back(p);
    }
    const HeightFitResult r = FitHeights(common, {}, HeightModel::Plane, 20);
    ASSERT_EQ(r.sections.size(), 2u);
    // J1 → J2: D = 5 km, limit 30√5 = 67.1 mm, Δ2 − Δ1 = 45 − (−10) = 55 mm: passes.
    EXPECT_NEAR(r.sections[0].distanceKm, 5, 1e-12L);
    EXPECT_NEAR(r.sections[0].limit, 0.030L * std::sqrt(5.0L), 1e-15L);
    EXPECT_NEAR(r.sections[0].difference, 0.055L, 1e-9L);
    EXPECT_TRUE(r.sections[0].pass);
    // J2 → J3: D = 1 km, limit 30 mm, difference −5 mm: passes.
    EXPECT_NEAR(r.sections[1].difference, -0.005L, 1e-9L);
    EXPECT_TRUE(r.sections[1].pass);
    // The user's 20 mm: J2 (45 mm) and J3 (40 mm) exceed it.
    EXPECT_EQ(r.overUserLimit, (std::vector<size_t>{13, 14}));
    EXPECT_FALSE(r.checksPass());
    ASSERT_TRUE(r.externalAccuracy);
    EXPECT_NEAR(*r.externalAccuracy, std::sqrt((0.01L * 0.01L + 0.045L * 0.045L + 0.04L * 0.04L) / 3), 1e-9L);
    const auto summary = HeightFitSummary(r);
    const auto has = [&](const std::string &line) { return std::find(summary.begin(), summary.end(), line) != summary.end(); };
    EXPECT_TRUE(has("  J1 – J2  D = 5.000 km  较差 +55.0 mm  限差 ±67.1 mm  合格"));
    EXPECT_TRUE(has("  J2 – J3  D = 1.000 km  较差 -5.0 mm  限差 ±30.0 mm  合格"));
    EXPECT_TRUE(has("检核点较差限差 ±20.0 mm：2 个检核点超限：J2，J3"));
    EXPECT_TRUE(has("检核结论：不合格"));
    EXPECT_TRUE(has("  J2  拟合正常高 50.0000 m  水准正常高 49.9550 m  Δ = +45.0 mm"));

    // A larger difference between neighbours fails ±30√D on its own.
    common[14].normal -= 0.040L; // J3 Δ = 80 mm: J2 → J3 35 mm over 1 km
    const HeightFitResult failed = FitHeights(common, {}, HeightModel::Plane);
    EXPECT_FALSE(failed.sections[1].pass);
    EXPECT_TRUE(failed.overUserLimit.empty());
    EXPECT_FALSE(failed.checksPass());
}

// Bad input: a message naming the point or row, nothing computed.
TEST(HeightFit, BadInputIsRefusedWithAMessage)
{
    const std::vector<std::string> a = {"A", "4400000", "440000", "40.1", "50.2", "拟合"};
    const std::vector<std::string> b = {"B", "4401000", "440000", "40.2", "50.3", ""};
    const std::vector<std::string> c = {"C", "4400000", "441000", "40.3", "50.4", "检核"};
    const struct {
        const char *label;
        Rows common;
        Rows points;
        std::string message;
    } cases[] = {
        {"duplicate common names", {a, b, {"A", "1", "2", "3", "4", ""}}, {}, "公共点点名重复：A（第 1 行与第 3 行）！"},
        {"duplicate names to convert", {a, b, c}, {{"P", "1", "2", "3"}, {"Q", "1", "2", "3"}, {"P", "5", "6", "7"}},
         "待转换点点名重复：P（第 1 行与第 3 行）！"},
        {"missing normal height", {a, {"B", "4401000", "440000", "40.2", "", ""}}, {}, "公共点 B 缺少正常高！"},
        {"missing geodetic height", {a, {"B", "4401000", "440000", " ", "50", ""}}, {}, "公共点 B 缺少大地高！"},
        {"missing height to convert", {a}, {{"P", "1", "2", ""}}, "待转换点 P 缺少大地高！"},
        {"missing coordinate", {a, {"B", "", "440000", "40.2", "50", ""}}, {}, "公共点 B 缺少坐标X！"},
        {"missing name", {a, {"", "4401000", "440000", "40.2", "50", ""}}, {}, "公共点表第 2 行没有点名！"},
        {"absurd geodetic height", {a, {"B", "4401000", "440000", "10000.001", "50", ""}}, {},
         "公共点 B 的大地高 10000.001 m 超出 ±10000 m，请检查数据！"},
        {"absurd normal height", {a, {"B", "4401000", "440000", "40", "-12000", ""}}, {},
         "公共点 B 的正常高 -12000 m 超出 ±10000 m，请检查数据！"},
        {"absurd height to convert", {a}, {{"P", "1", "2", "1.18e4932"}}, "待转换点 P 的大地高 1.18e4932 m 超出 ±10000 m，请检查数据！"},
        {"absurd coordinate", {a, {"B", "1e12", "440000", "40", "50", ""}}, {}, "公共点 B 的坐标X 1e12 m 超出 ±1000000000 m，请检查数据！"},
        {"bad role", {a, {"B", "4401000", "440000", "40.2", "50", "check"}}, {}, "公共点 B 的用途“check”应为“拟合”或“检核”！"},
        {"not a number", {a, {"B", "4401000", "44 0000", "40.2", "50", ""}}, {}, "'44 0000' is not a valid floating point value"},
        {"empty table", {}, {}, "公共点表为空，请输入或导入公共点（点名, X, Y, 大地高, 正常高, 用途）！"},
        {"blank rows only", {{"", " ", "", "", "", ""}, {}}, {}, "公共点表为空，请输入或导入公共点（点名, X, Y, 大地高, 正常高, 用途）！"},
    };
    for (const auto &t : cases)
        EXPECT_EQ(MessageOf([&] { FitTexts(t.common, t.points, HeightModel::Constant); }), t.message) << t.label;

    // Blank rows are skipped; an empty 用途 is 拟合; names compare without blanks around them.
    const HeightFitResult r = FitTexts({{}, a, {" ", "", "", "", "", ""}, b, c}, {{"", "", "", ""}, {" P ", "4400500", "440500", "45"}},
                                       HeightModel::Constant);
    EXPECT_EQ(r.fitCount, 2);
    EXPECT_EQ(r.checkCount, 1);
    EXPECT_EQ(r.points.size(), 1u);
    EXPECT_EQ(r.points[0].name, "P");
    EXPECT_EQ(MessageOf([&] { FitTexts({a, {" A ", "1", "2", "3", "4", ""}}, {}, HeightModel::Constant); }),
              "公共点点名重复：A（第 1 行与第 2 行）！");
}

TEST(HeightFit, UserLimitText)
{
    EXPECT_FALSE(HeightLimitFromText(""));
    EXPECT_FALSE(HeightLimitFromText(" 0 "));
    EXPECT_FALSE(HeightLimitFromText("4e-4950"));
    EXPECT_EQ(*HeightLimitFromText("20"), 20);
    EXPECT_EQ(MessageOf([] { HeightLimitFromText("-5"); }), "检核限差 -5 mm 应在 0 到 100000 mm 之间（空或 0 表示不设限差）！");
    EXPECT_EQ(MessageOf([] { HeightLimitFromText("1.18e4932"); }),
              "检核限差 1.18e4932 mm 应在 0 到 100000 mm 之间（空或 0 表示不设限差）！");
    EXPECT_EQ(MessageOf([] { HeightLimitFromText("abc"); }), "'abc' is not a valid floating point value");
}

// The texts of the tables: 4 decimals in metres, residuals in mm with one.
TEST(HeightFit, TableTexts)
{
    const HeightFitResult r = FitTexts({{"A", "4400000", "440000", "40.1", "50.2", ""}, {"B", "4401000", "440000", "40.2", "50.4", "拟合"},
                                        {"C", "4400000", "441000", "40.3", "50.4", "检核"}},
                                       {{"P", "4400000", "440000", "45"}}, HeightModel::Constant);
    const auto residuals = HeightResidualTexts(r);
    ASSERT_EQ(residuals.size(), 3u);
    EXPECT_EQ(residuals[0], (std::array<std::string, 5>{"A", "拟合", "-10.1000", "-10.1500", "-50.0"}));
    EXPECT_EQ(residuals[1], (std::array<std::string, 5>{"B", "拟合", "-10.2000", "-10.1500", "50.0"}));
    EXPECT_EQ(residuals[2], (std::array<std::string, 5>{"C", "检核", "-10.1000", "-10.1500", "-50.0"}));
    const auto converted = HeightConvertedTexts(r);
    EXPECT_EQ(converted[0], (std::array<std::string, 7>{"P", "4400000.0000", "440000.0000", "45.0000", "-10.1500", "55.1500", ""}));
    const auto summary = HeightFitSummary(r);
    EXPECT_EQ(summary[0], "模型：常数  ζ = a0，ζ = 大地高 − 正常高");
    EXPECT_EQ(summary[2], "a0 = -10.15000000 m");
    EXPECT_EQ(summary[4], "内符合中误差 μ = ±70.7 mm（μ = √([vv]/(n−t))，分母 n−t = 1；v = 拟合值 − 已知高程异常）");
}
