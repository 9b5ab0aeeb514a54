// The chains of the rigorous adjustment: the a priori errors by grade, a connecting traverse
// against the network the engine's own traverse helper builds, and a levelling route against the
// proportional distribution (its least-squares solution when σ² grows with the length).
#include "core/Error.h"
#include "core/Levelling.h"
#include "core/RigorousTraverse.h"
#include "core/TextForms.h"
#include "core/network/TraverseNetwork.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quorvil;

TEST(RigorousTraverse, ErrorsOfTheGrades)
{
    struct Case {
        const char *grade;
        Real angle, distance; // 0: none
    };
    const Case cases[] = {
        {"一级", 5, 15},  {"四等导线", 2.5L, 18}, {"三等", 1.8L, 20}, {"二级导线", 8, 15},
        {"三级", 12, 15}, {"首级图根导线", 20, 15}, {"图根", 30, 15},  {"五级", 0, 0},
        {"", 0, 0},
    };
    for (const Case &c : cases) {
        const std::optional<GradeErrors> e = TraverseGradeErrors(c.grade);
        EXPECT_EQ(e.has_value(), c.angle > 0) << c.grade;
        if (e) {
            EXPECT_EQ(e->angleSeconds, c.angle) << c.grade;
            EXPECT_EQ(e->distanceMm, c.distance) << c.grade;
        }
    }
    EXPECT_EQ(LevellingGradeErrorPerKm("三等水准").value_or(0), 6);
    EXPECT_EQ(LevellingGradeErrorPerKm("二等").value_or(0), 2);
    EXPECT_EQ(LevellingGradeErrorPerKm("图根").value_or(0), 20);
    EXPECT_FALSE(LevellingGradeErrorPerKm("一级"));
    EXPECT_EQ(LevellingErrorPerStation(10), 2.5L);
}

TEST(RigorousTraverse, ConnectingChainIsTheEnginesTraverseNetwork)
{
    ConnectingTraverseInput input;
    input.a = {5000, 5000};
    input.b = {5000, 5200};
    input.c = {5240, 6200};
    input.d = {5400, 6300};
    input.observations = {{157.0959L, 206.162L}, {184.2352L, 221.364L}, {206.1159L, 222.035L},
                          {152.0044L, 202.485L}, {185.2852L, 196.472L}, {136.4501L, 0}};
    const TraverseResult approx = AdjustConnectingTraverse(input);

    const AprioriErrors errors{5, 3, 2, 0};
    std::vector<TraverseChainStation> chain;
    const std::vector<std::string> names = {"A", "B", "P1", "P2", "P3", "P4", "C", "D"};
    for (size_t i = 0; i < names.size(); ++i) {
        TraverseChainStation s;
        s.name = names[i];
        s.known = i <= 1 || i >= 6;
        s.point = i == 0 ? input.a : i == 7 ? input.d : approx.stations[i - 1];
        if (i >= 1 && i <= 6)
            s.angle = DegToRad(DmsToDeg(input.observations[i - 1].angle));
        if (i >= 1 && i <= 5)
            s.distance = input.observations[i - 1].distance;
        chain.push_back(s);
    }
    const RigorousTraverse r = AdjustTraverseChain(chain, errors);

    network::TraverseWeights weights;
    weights.angle = DegToRad(5.0L / 3600);
    weights.distanceA = 0.003L;
    weights.distancePpm = 2;
    const network::Result engine = network::Adjust(network::ConnectingTraverseNetwork(input, weights, names));
    ASSERT_EQ(engine.points.size(), r.stations.size());
    EXPECT_EQ(engine.summary.dof, r.result.summary.dof);
    EXPECT_NEAR(engine.summary.sigma0Aposteriori, r.result.summary.sigma0Aposteriori, 1e-9);
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_NEAR(engine.points[i].x, r.stations[i].x, 1e-7) << names[i];
        EXPECT_NEAR(engine.points[i].y, r.stations[i].y, 1e-7) << names[i];
        EXPECT_NEAR(chain[i].known ? 0 : engine.points[i].sp, r.pointErrors[i], 1e-9) << names[i];
    }
    // The angle residuals close the angular misclosure.
    Real sum = 0;
    for (size_t i = 1; i <= 6; ++i)
        sum += r.angleResidual(i);
    EXPECT_NEAR(sum, -approx.angleMisclosure, 1e-9);
    EXPECT_EQ(r.weakestStation() >= 2 && r.weakestStation() <= 5, true);
}

TEST(RigorousTraverse, LevellingRouteIsTheProportionalDistribution)
{
    LevellingRouteInput input{100, 101.2L, {{1.2L, 0.505L}, {0.8L, 0.503L}, {2.5L, -0.41L}, {0.6L, 0.611L}}};
    const LevellingResult approx = AdjustLevellingRoute(input);
    std::vector<LevellingChainSection> sections;
    for (const LevellingSection &s : input.sections)
        sections.push_back({s.weight, s.difference});
    const RigorousLevelling r =
        AdjustLevellingChain({"BM1", "P1", "P2", "P3", "BM2"}, approx.heights, sections, 6);
    EXPECT_EQ(r.result.summary.dof, 1);
    for (size_t i = 0; i < approx.heights.size(); ++i)
        EXPECT_NEAR(r.heights[i], approx.heights[i], 1e-9) << i;
    for (size_t i = 0; i < approx.corrections.size(); ++i)
        EXPECT_NEAR(r.residuals[i], approx.corrections[i], 1e-9) << i;
    EXPECT_EQ(r.pointErrors.front(), 0);
    EXPECT_EQ(r.pointErrors.back(), 0);
    EXPECT_GT(r.pointErrors[2], r.pointErrors[1]);
    EXPECT_THROW(AdjustLevellingChain({"BM1", "P1", "BM2"}, {0, 0, 1}, {{0, 0.5L}, {1, 0.5L}}, 6), quorvil::Error);
}
