// The gama-local reader: the units of angular standard deviations (cc for a gon value, ″ for a
// d-m-s value and under angular="360", given on the observation or by the defaults of
// <points-observations>), and what it sets aside, as gama-local does, with a note that says why.
#include "core/Error.h"
#include "core/network/Network.h"
#include "io/survey/GamaFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

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
