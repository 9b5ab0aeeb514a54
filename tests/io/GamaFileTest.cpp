// The gama-local reader: the units of angular standard deviations (cc for a gon value, ″ for a
// d-m-s value and under angular="360", given on the observation or by the defaults of
// <points-observations>), and what it sets aside, as gama-local does, with a note that says why.
#include "core/Error.h"
#include "core/network/Network.h"
#include "io/survey/GamaFile.h"
#include "io/survey/NetworkOutput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace quorvil;
using namespace quorvil::network;

namespace {

std::string Gama(const std::string &network, const std::string &parameters, const std::string &defaults, const std::string &body)
{
    return "<?xml version=\"1.0\"?>\n<gama-local>\n<network" + network + ">\n<parameters" + parameters + "/>\n<points-observations" +
           defaults + ">\n<point id=\"A\" x=\"0\" y=\"0\" fix=\"xy\"/>\n<point id=\"B\" x=\"0\" y=\"100\" fix=\"xy\"/>\n"
           "<point id=\"P\" x=\"50\" y=\"50\" adj=\"xy\"/>\n" + body + "</points-observations>\n</network>\n</gama-local>\n";
}

TEST(GamaFile, AngularStandardDeviationsFollowTheUnitOfTheValue)
{
    constexpr Real CcToRad = Pi / 2000000, ArcSecondToRad = Pi / 648000;
    const Real value = 50 * Pi / 200; // 50 gon = 45°
    struct Case {
        const char *name;
        std::string text;
        Real stdev; // radians
    } cases[] = {
        {"gon, σ given", Gama("", "", "", "<obs from=\"A\"><direction to=\"B\" val=\"0\" stdev=\"10\"/><direction to=\"P\" val=\"50\" stdev=\"10\"/></obs>\n"),
         10 * CcToRad},
        {"gon, σ by default", Gama("", "", " direction-stdev=\"10\"", "<obs from=\"A\"><direction to=\"B\" val=\"0\"/><direction to=\"P\" val=\"50\"/></obs>\n"),
         10 * CcToRad},
        {"d-m-s, σ given", Gama("", "", "", "<obs from=\"A\"><direction to=\"B\" val=\"0-00-00\" stdev=\"3\"/><direction to=\"P\" val=\"45-00-00\" stdev=\"3\"/></obs>\n"),
         3 * ArcSecondToRad},
        {"d-m-s, σ by default", Gama("", "", " direction-stdev=\"3\"", "<obs from=\"A\"><direction to=\"B\" val=\"0-00-00\"/><direction to=\"P\" val=\"45-00-00\"/></obs>\n"),
         3 * ArcSecondToRad},
        {"angle-stdev for d-m-s", Gama("", "", " angle-stdev=\"3\"", "<obs><angle from=\"A\" bs=\"B\" fs=\"P\" val=\"45-00-00\"/></obs>\n"),
         3 * ArcSecondToRad},
        {"azimuth-stdev for d-m-s", Gama("", "", " azimuth-stdev=\"3\"", "<obs><azimuth from=\"A\" to=\"P\" val=\"45-00-00\"/></obs>\n"),
         3 * ArcSecondToRad},
        {"angular=\"360\": degrees and ″", Gama("", " angular=\"360\"", " direction-stdev=\"3\"", "<obs from=\"A\"><direction to=\"B\" val=\"0\"/><direction to=\"P\" val=\"45\"/></obs>\n"),
         3 * ArcSecondToRad},
        {"old angles=\"360\" on the network", Gama(" angles=\"360\"", "", "", "<obs from=\"A\"><direction to=\"B\" val=\"0\" stdev=\"3\"/><direction to=\"P\" val=\"45\" stdev=\"3\"/></obs>\n"),
         3 * ArcSecondToRad},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Network net = ParseGama(QByteArray::fromStdString(c.text));
        ASSERT_FALSE(net.observations.empty());
        const Observation &o = net.observations.back();
        EXPECT_NEAR(double(o.value), double(value), 1e-15);
        EXPECT_NEAR(double(o.stdev / c.stdev), 1, 1e-15);
    }
    EXPECT_THROW(ParseGama(QByteArray::fromStdString(Gama("", " angular=\"180\"", "", ""))), Error);
}

} // namespace

namespace {

// What gama-local leaves out, the reader leaves out too, and says so: observations of points no
// <point> declares (one, or a whole station), a set of a single direction, the height of a point
// that only plane observations reach. The counts exclude them; the summary and the JSON list them.
TEST(GamaFile, WhatCannotBeAdjustedIsSetAsideWithANote)
{
    const std::string text = "<?xml version=\"1.0\"?>\n<gama-local>\n<network>\n"  // 1-3
                             "<points-observations distance-stdev=\"3\" direction-stdev=\"10\">\n" // 4
                             "<point id=\"A\" x=\"0\" y=\"0\" fix=\"xy\"/>\n"                       // 5
                             "<point id=\"B\" x=\"0\" y=\"100\" fix=\"xy\"/>\n"                     // 6
                             "<point id=\"P\" x=\"50\" y=\"50\" adj=\"xyz\"/>\n"                    // 7
                             "<obs from=\"A\">\n"                                                   // 8
                             "<direction to=\"B\" val=\"100\"/>\n<direction to=\"P\" val=\"50\"/>\n" // 9-10
                             "<direction to=\"Q\" val=\"80\"/>\n</obs>\n"                           // 11-12
                             "<obs from=\"B\">\n<direction to=\"P\" val=\"150\"/>\n</obs>\n"        // 13-15
                             "<obs from=\"K\">\n<direction to=\"A\" val=\"0\"/>\n<direction to=\"B\" val=\"10\"/>\n</obs>\n" // 16-19
                             "<obs>\n<distance from=\"A\" to=\"P\" val=\"70.711\"/>\n<distance from=\"B\" to=\"P\" val=\"70.710\"/>\n</obs>\n"
                             "</points-observations>\n</network>\n</gama-local>\n";
    const Network net = ParseGama(QByteArray::fromStdString(text));
    ASSERT_EQ(net.setAside.size(), 4u);
    const std::vector<std::vector<std::string>> parts = {
        {"第 11 行 <direction>", "点 Q 没有在 <point> 中定义", "已剔除"},
        {"第 13 行 <obs>", "测站 B 的方向组只有一个方向", "已剔除"},
        {"第 16 行 <obs>", "点 K 没有在 <point> 中定义", "2 个观测已剔除"},
        {"第 7 行 <point>", "点 P 只有平面观测, 高程无法确定"},
    };
    for (size_t k = 0; k < parts.size(); ++k)
        for (const std::string &part : parts[k])
            EXPECT_NE(net.setAside[k].find(part), std::string::npos) << net.setAside[k];
    EXPECT_EQ(net.observations.size(), 4u); // two directions at A, two distances
    EXPECT_EQ(net.sets.size(), 1u);
    EXPECT_EQ(net.points[2].plane, Role::Adjusted);
    EXPECT_EQ(net.points[2].height, Role::Unused);
    const Result r = Adjust(net);
    EXPECT_EQ(r.summary.observations, 4);
    EXPECT_EQ(r.summary.dof, 1);
    EXPECT_NE(NetworkSummaryLine(net, r).find("已剔除 4 项: 第 11 行 <direction>"), std::string::npos);
    const std::string json = NetworkResultJson(net, r);
    EXPECT_NE(json.find("\"set_aside\": [\"第 11 行 <direction>: 点 Q 没有在 <point> 中定义"), std::string::npos) << json;
}

} // namespace

namespace {

// Slope distances and zenith angles: the instrument height of an <obs> is that of every
// observation in it that gives none of its own; zenith-angle-stdev in cc or ″ by the unit of the
// value; a slope distance without stdev takes distance-stdev. Bad values are named with the line.
TEST(GamaFile, SpatialObservationsWithInstrumentAndTargetHeights)
{
    constexpr Real CcToRad = Pi / 2000000, ArcSecondToRad = Pi / 648000;
    const auto file = [](const std::string &parameters, const std::string &body) {
        return QByteArray::fromStdString("<?xml version=\"1.0\"?>\n<gama-local>\n<network>\n<parameters" + parameters + "/>\n" // 1-4
                                         "<points-observations distance-stdev=\"2 2\" zenith-angle-stdev=\"3\">\n"             // 5
                                         "<point id=\"A\" x=\"0\" y=\"0\" z=\"10\" fix=\"xyz\"/>\n"                             // 6
                                         "<point id=\"B\" x=\"0\" y=\"100\" z=\"12\" fix=\"xyz\"/>\n"                           // 7
                                         "<point id=\"P\" adj=\"xyz\"/>\n" +                                                   // 8
                                         body + "</points-observations>\n</network>\n</gama-local>\n");
    };
    const Network net = ParseGama(file("", "<obs from=\"A\" from_dh=\"1.6\">\n"                              // 9
                                           "<s-distance to=\"P\" val=\"100\" to_dh=\"1.3\"/>\n"             // 10
                                           "<z-angle to=\"P\" val=\"99.5\" from_dh=\"1.45\" to_dh=\"1.3\"/>\n" // 11
                                           "<z-angle to=\"B\" val=\"98-30-00\"/>\n"                        // 12
                                           "</obs>\n"));
    ASSERT_EQ(net.observations.size(), 3u);
    const Observation &s = net.observations[0], &z = net.observations[1], &dms = net.observations[2];
    EXPECT_EQ(s.kind, ObservationKind::SlopeDistance);
    EXPECT_NEAR(double(s.fromDh), 1.6, 1e-15); // the <obs>'s
    EXPECT_NEAR(double(s.toDh), 1.3, 1e-15);
    EXPECT_NEAR(double(s.stdev), 0.0022, 1e-15); // 2 mm + 2 mm/km
    EXPECT_EQ(z.kind, ObservationKind::ZenithAngle);
    EXPECT_NEAR(double(z.fromDh), 1.45, 1e-15); // its own
    EXPECT_NEAR(double(z.value), double(99.5 * Pi / 200), 1e-15);
    EXPECT_NEAR(double(z.stdev / (3 * CcToRad)), 1, 1e-15);
    EXPECT_NEAR(double(dms.stdev / (3 * ArcSecondToRad)), 1, 1e-15);
    EXPECT_NEAR(double(dms.value), double(98.5 * Pi / 180), 1e-15);
    EXPECT_NEAR(double(ParseGama(file(" angular=\"360\"", "<obs><z-angle from=\"A\" to=\"P\" val=\"91.5\"/></obs>\n")).observations[0].value),
                double(91.5 * Pi / 180), 1e-15);

    const auto message = [&](const std::string &parameters, const std::string &body) {
        try {
            Adjust(ParseGama(file(parameters, body)));
        } catch (const Error &e) {
            return std::string(e.what());
        }
        return std::string("adjusted");
    };
    const std::pair<std::string, std::string> bad[] = {
        {message("", "<obs from=\"A\">\n<z-angle to=\"P\" val=\"201\"/>\n</obs>\n"), "第 10 行 <z-angle>: 天顶距 val=\"201\" 超出 0 到 200 gon 的范围"},
        {message("", "<obs from=\"A\">\n<z-angle to=\"P\" val=\"180-00-01\"/>\n</obs>\n"), "第 10 行 <z-angle>: 天顶距 val=\"180-00-01\" 超出 0° 到 180° 的范围"},
        {message(" angular=\"360\"", "<obs from=\"A\">\n<z-angle to=\"P\" val=\"-1\"/>\n</obs>\n"), "超出 0° 到 180° 的范围"},
        {message("", "<obs from=\"A\">\n<s-distance to=\"P\" val=\"50\" stdev=\"-1\"/>\n<z-angle to=\"P\" val=\"99\"/>\n</obs>\n"),
         "第 10 行: 斜距观测 A-P 的中误差必须为正数"},
    };
    for (const auto &[got, expected] : bad)
        EXPECT_NE(got.find(expected), std::string::npos) << got;
}

} // namespace
