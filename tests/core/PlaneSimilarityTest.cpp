#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/PlaneSimilarity.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

// The parameter texts of the two-point tool: Dx, Dy at 6 decimals, T as packed ddd.mmss at 10,
// K at 12, Dh at 4 (the unit-scale variant shows Dx and Dy at 4).
std::string TwoPointTexts(const FourParameters &p, int shiftDecimals = 6)
{
    return NumberToText(shiftDecimals, p.Dx) + " " + NumberToText(shiftDecimals, p.Dy) + " " +
           NumberToText(10, DegToDms(RadToDeg(p.T))) + " " + NumberToText(12, p.K) + " " + NumberToText(4, p.Dh);
}

// The parameter texts of the multi-point tool: Dx, Dy at 6, T in arc-seconds at 10, K at 10, Dh at 4.
std::string FourParameterTexts(const FourParameters &p)
{
    return NumberToText(6, p.Dx) + " " + NumberToText(6, p.Dy) + " " + NumberToText(10, RadiansToArcSeconds(p.T)) +
           " " + NumberToText(10, p.K) + " " + NumberToText(4, p.Dh);
}

std::string PointTexts(const PlanePointH &p)
{
    return NumberToText(4, p.x) + " " + NumberToText(4, p.y) + " " + NumberToText(4, p.H);
}

TwoCommonPoints Common(PlanePointH oldBase, PlanePointH newBase, PlanePointH oldSecond, PlanePointH newSecond,
                       Real oldHeight = 0, Real newHeight = 0)
{
    return {oldBase, newBase, oldSecond, newSecond, oldHeight, newHeight};
}

struct TwoPointCase {
    const char *name;
    TwoCommonPoints common;
    bool unitScale;
    const char *parameters; // Dx Dy T K Dh as shown
    PlanePointH convert;
    const char *converted;
};

TEST(TwoPointSimilarity, ParametersAndConversionAsShown)
{
    const TwoPointCase cases[] = {
        {"quarter turn", Common({0, 0}, {1000, 2000}, {100, 0}, {1000, 2100}), false,
         "1000.000000 2000.000000 90.0000000000 1.000000000000 0.0000", {0, 100, 0}, "900.0000 2000.0000 0.0000"},
        {"quarter turn, unit scale", Common({0, 0}, {1000, 2000}, {100, 0}, {1000, 2100}), true,
         "1000.0000 2000.0000 90.0000000000 1.000000000000 0.0000", {0, 100, 0}, "900.0000 2000.0000 0.0000"},
        {"double distance", Common({10, 20}, {110, 220}, {13, 24}, {116, 228}), false,
         "90.000000 180.000000 0.0000000000 2.000000000000 0.0000", {0, 0, 1}, "90.0000 180.0000 1.0000"},
        {"height reference", Common({0, 0}, {0, 0}, {1, 1}, {1, 1}, 10, 12.5L), false,
         "0.000000 0.000000 0.0000000000 1.000000000000 2.5000", {5, 6, 7}, "5.0000 6.0000 9.5000"},
        {"negative turn shows a negative text", Common({0, 0}, {0, 0}, {0, 100}, {100, 0}), false,
         "0.000000 0.000000 -90.0000000000 1.000000000000 0.0000", {0, 50, 0}, "50.0000 0.0000 0.0000"},
        // West → north: the bearing difference −270° is kept as it is and still turns correctly.
        {"rotation left unreduced", Common({0, 0}, {0, 0}, {0, -10}, {10, 0}), false,
         "0.000000 0.000000 -270.0000000000 1.000000000000 0.0000", {0, -10, 0}, "10.0000 0.0000 0.0000"},
        {"unit scale ignores the distances", Common({0, 0}, {5, 5}, {1, 0}, {5, 8}), true,
         "5.0000 5.0000 90.0000000000 1.000000000000 0.0000", {1, 0, 0}, "5.0000 6.0000 0.0000"},
    };
    for (const auto &c : cases) {
        FpGuard guard;
        const FourParameters p = TwoPointSimilarity(c.common, c.unitScale);
        const PlanePointH converted = ConvertTwoPoint(p, c.convert);
        guard.check(p.Dx, p.Dy, p.T, p.K, p.Dh, converted.x, converted.y, converted.H);
        EXPECT_EQ(TwoPointTexts(p, c.unitScale ? 4 : 6), c.parameters) << c.name;
        EXPECT_EQ(PointTexts(converted), c.converted) << c.name;
    }
}

TEST(TwoPointSimilarity, CarriesBothCommonPointsOntoTheirNewCoordinates)
{
    const TwoCommonPoints c = Common({3510123.456L, 512345.678L}, {3510987.654L, 498765.432L},
                                     {3512876.543L, 514987.321L}, {3513742.118L, 501398.775L}, 45.2L, 47.9L);
    const FourParameters p = TwoPointSimilarity(c);
    const PlanePointH base = ConvertTwoPoint(p, c.oldBase);
    const PlanePointH second = ConvertTwoPoint(p, c.oldSecond);
    EXPECT_NEAR(static_cast<double>(base.x - c.newBase.x), 0, 1e-9);
    EXPECT_NEAR(static_cast<double>(base.y - c.newBase.y), 0, 1e-9);
    EXPECT_NEAR(static_cast<double>(second.x - c.newSecond.x), 0, 1e-9);
    EXPECT_NEAR(static_cast<double>(second.y - c.newSecond.y), 0, 1e-9);
    EXPECT_EQ(NumberToText(4, p.Dh), "2.7000");
}

TEST(TwoPointSimilarity, CoincidentOldPointsAreRefused)
{
    const TwoCommonPoints same = Common({7, 8}, {1, 2}, {7, 8}, {3, 4});
    for (bool unitScale : {false, true}) {
        try {
            TwoPointSimilarity(same, unitScale);
            ADD_FAILURE() << "accepted coincident old points, unitScale " << unitScale;
        } catch (const PlaneSimilarityError &e) {
            EXPECT_EQ(std::string(e.what()), CoincidentOldPointsText) << "unitScale " << unitScale;
        }
    }
    // An all-empty panel reads as zeros everywhere: the same refusal.
    EXPECT_THROW(TwoPointSimilarity(TwoCommonPoints{}), PlaneSimilarityError);
}

std::vector<CommonPoint> Mapped(const std::vector<PlanePointH> &olds, auto map)
{
    std::vector<CommonPoint> points;
    for (const PlanePointH &o : olds)
        points.push_back({o, map(o)});
    return points;
}

const std::vector<PlanePointH> Olds = {{10, 20, 5}, {30, -40, 6}, {100, 7, 8}, {-55, 12, 1}};

struct EstimateCase {
    const char *name;
    std::vector<CommonPoint> points;
    const char *parameters;                // Dx Dy T(") K Dh as shown
    std::vector<const char *> residuals;   // per point, x y H at 4 decimals
};

TEST(EstimateFourParameters, ParametersAndResidualsAsShown)
{
    const char *zero = "0.0000 0.0000 0.0000";
    const EstimateCase cases[] = {
        {"identity", Mapped(Olds, [](PlanePointH o) { return o; }),
         "0.000000 0.000000 0.0000000000 1.0000000000 0.0000", {zero, zero, zero, zero}},
        {"pure shift", Mapped(Olds, [](PlanePointH o) { return PlanePointH{o.x + 100, o.y - 50, o.H + 2}; }),
         "100.000000 -50.000000 0.0000000000 1.0000000000 2.0000", {zero, zero, zero, zero}},
        {"quarter turn left", Mapped(Olds, [](PlanePointH o) { return PlanePointH{-o.y, o.x, o.H}; }),
         "0.000000 0.000000 324000.0000000000 1.0000000000 0.0000", {zero, zero, zero, zero}},
        {"quarter turn right", Mapped(Olds, [](PlanePointH o) { return PlanePointH{o.y, -o.x, o.H}; }),
         "0.000000 0.000000 -324000.0000000000 1.0000000000 0.0000", {zero, zero, zero, zero}},
        {"half turn stays positive", Mapped(Olds, [](PlanePointH o) { return PlanePointH{-o.x, -o.y, o.H}; }),
         "0.000000 0.000000 648000.0000000000 1.0000000000 0.0000", {zero, zero, zero, zero}},
        {"height shift is the mean difference",
         {{{0, 0, 10}, {0, 0, 11}}, {{10, 0, 20}, {10, 0, 22}}, {{0, 10, 30}, {0, 10, 36}}},
         "0.000000 0.000000 0.0000000000 1.0000000000 3.0000",
         {"0.0000 0.0000 2.0000", "0.0000 0.0000 1.0000", "0.0000 0.0000 -3.0000"}},
        // A row left empty is a point at the origin of both systems: with it, two points that
        // differ by a pure shift give a = 2.25, b = −3.75 (T = −atan(5/3), K = √19.125).
        {"empty row is a point at the origin",
         {{{10, 0, 0}, {110, -50, 2}}, {{0, 10, 0}, {100, -40, 2}}, {}},
         "50.000000 -25.000000 -212530.4764845353 4.3732139211 1.3333",
         {"-37.5000 -12.5000 -0.6667", "-12.5000 37.5000 -0.6667", "50.0000 -25.0000 1.3333"}},
        {"two points fix the scale",
         {{{0, 0, 0}, {0, 0, 0}}, {{3, 4, 0}, {6, 8, 0}}},
         "0.000000 0.000000 0.0000000000 2.0000000000 0.0000", {zero, zero}},
    };
    for (const auto &c : cases) {
        FpGuard guard;
        const FourParameterEstimate e = EstimateFourParameters(c.points);
        const FourParameters &p = e.parameters;
        guard.check(p.Dx, p.Dy, p.T, p.K, p.Dh);
        EXPECT_EQ(FourParameterTexts(p), c.parameters) << c.name;
        ASSERT_EQ(e.residuals.size(), c.residuals.size()) << c.name;
        for (std::size_t i = 0; i < c.residuals.size(); ++i)
            EXPECT_EQ(PointTexts(e.residuals[i]), c.residuals[i]) << c.name << ", residual of point " << i + 1;
    }
}

TEST(EstimateFourParameters, FewerThanTwoDistinctOldPointsAreRefused)
{
    const std::vector<std::vector<CommonPoint>> cases = {
        {},
        {{{1, 2, 3}, {4, 5, 6}}},
        {{}, {}},
        {{{1, 1, 0}, {5, 5, 0}}, {{1, 1, 9}, {6, 7, 0}}, {{1, 1, 3}, {8, 1, 0}}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        try {
            EstimateFourParameters(cases[i]);
            ADD_FAILURE() << "case " << i << " accepted";
        } catch (const PlaneSimilarityError &e) {
            EXPECT_EQ(std::string(e.what()), TooFewCommonPointsText) << "case " << i;
        }
    }
}

// New points that all coincide leave no bearing to turn to: the bearing of a point to itself is
// the invalid operation it always is, not a silent NaN.
TEST(PlaneSimilarity, CoincidentNewPointsAreAnInvalidOperation)
{
    const TwoCommonPoints two = Common({0, 0}, {5, 5}, {1, 0}, {5, 5});
    const std::vector<CommonPoint> many = {{{0, 0, 0}, {5, 5, 0}}, {{1, 0, 0}, {5, 5, 0}}, {{0, 1, 0}, {5, 5, 0}}};
    try {
        TwoPointSimilarity(two);
        ADD_FAILURE() << "two points accepted";
    } catch (const FloatError &e) {
        EXPECT_EQ(std::string(e.what()), InvalidOperationText) << "two points";
    }
    try {
        EstimateFourParameters(many);
        ADD_FAILURE() << "many points accepted";
    } catch (const FloatError &e) {
        EXPECT_EQ(std::string(e.what()), InvalidOperationText) << "many points";
    }
}

// Noise-free common points made with known parameters give those parameters back.
TEST(EstimateFourParameters, RecoversKnownParameters)
{
    struct Known {
        FourParameters p;
    };
    const Known known[] = {
        {{123456.789L, -2345.678L, 1.2345L, 1.0000234L, 3.21L}},
        {{-500.5L, 700.25L, -2.9L, 0.9999871L, -12.5L}},
        {{0.125L, 0.375L, Pi, 1, 0}},
        {{35.0L, -12.0L, ArcSecondsToRadians(1.2345L), 1.000001L, 0.01L}},
    };
    const std::vector<PlanePointH> olds = {
        {3510123.456L, 512345.678L, 45.1L}, {3512876.543L, 514987.321L, 47.3L}, {3509001.234L, 516001.111L, 40.0L},
        {3511555.555L, 509876.543L, 52.6L}, {3513333.333L, 511111.111L, 49.9L}, {3508765.432L, 513579.246L, 44.4L},
    };
    for (std::size_t k = 0; k < std::size(known); ++k) {
        const FourParameters &p = known[k].p;
        const auto points = Mapped(olds, [&](PlanePointH o) { return ConvertFourParameters(p, o); });
        FpGuard guard;
        const FourParameterEstimate e = EstimateFourParameters(points);
        const FourParameters &q = e.parameters;
        guard.check(q.Dx, q.Dy, q.T, q.K, q.Dh);
        const std::string which = "known set " + std::to_string(k);
        // Shifts grow with the coordinates (millions of metres times the rotation), so compare
        // them through the transformed points rather than raw.
        EXPECT_NEAR(static_cast<double>(q.T - p.T), 0, 1e-15) << which;
        EXPECT_NEAR(static_cast<double>(q.K - p.K), 0, 1e-15) << which;
        EXPECT_NEAR(static_cast<double>(q.Dh - p.Dh), 0, 1e-12) << which;
        EXPECT_NEAR(static_cast<double>(q.Dx - p.Dx), 0, 1e-8) << which;
        EXPECT_NEAR(static_cast<double>(q.Dy - p.Dy), 0, 1e-8) << which;
        EXPECT_EQ(NumberToText(6, q.Dx), NumberToText(6, p.Dx)) << which;
        EXPECT_EQ(NumberToText(6, q.Dy), NumberToText(6, p.Dy)) << which;
        for (std::size_t i = 0; i < e.residuals.size(); ++i)
            EXPECT_EQ(PointTexts(e.residuals[i]), "0.0000 0.0000 0.0000") << which << ", point " << i + 1;
    }
}

// The rotation is in (−π, π]: every bearing of (a, b) is reached, and the conversion with the
// estimated parameters reproduces the new points.
TEST(EstimateFourParameters, RotationRangeAroundTheCircle)
{
    for (int degrees = -179; degrees <= 180; degrees += 7) {
        const FourParameters p{10, 20, DegToRad(degrees), 1.5L, 0};
        const FourParameterEstimate e =
            EstimateFourParameters(Mapped(Olds, [&](PlanePointH o) { return ConvertFourParameters(p, o); }));
        EXPECT_GT(e.parameters.T, -Pi) << degrees;
        EXPECT_LE(e.parameters.T, Pi) << degrees;
        EXPECT_NEAR(static_cast<double>(RadToDeg(e.parameters.T)), degrees, 1e-12) << degrees;
    }
}

} // namespace
