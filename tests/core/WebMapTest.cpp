// The web-map offsets: the published test points, round trips exact to the millimetre over
// China where the common one-step inverse is not, the rectangle outside which nothing moves, and
// the row texts the window and the command line share.
#include "core/Error.h"
#include "core/PointConversions.h"
#include "core/TextForms.h"
#include "core/WebMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

// Metres on the ground of a difference of longitude and latitude at `lat` (a sphere of the
// equatorial radius is plenty for millimetres).
Real GroundMetres(LonLat a, LonLat b)
{
    const Real metresPerDegree = DegToRad(6378137);
    const Real east = (a.lon - b.lon) * std::cos(DegToRad(a.lat)) * metresPerDegree;
    const Real north = (a.lat - b.lat) * metresPerDegree;
    return std::hypot(east, north);
}

// The one-step BD-09 inverse in common circulation: the shift taken off first, then the radius and
// angle terms evaluated at the shifted point and taken off.
LonLat OneStepGcj02FromBd09(LonLat b)
{
    const Real xPi = Pi * 3000 / 180;
    const Real x = b.lon - 0.0065L, y = b.lat - 0.006L;
    const Real z = std::hypot(x, y) - 0.00002L * std::sin(y * xPi);
    const Real theta = std::atan2(y, x) - 0.000003L * std::cos(x * xPi);
    return {z * std::cos(theta), z * std::sin(theta)};
}

struct Published {
    std::string from, to;
    LonLat in, out;
    std::string source;
};

std::vector<Published> PublishedPoints()
{
    std::ifstream file(QUORVIL_TEST_SOURCE_DIR "/core/data/webmap-published.txt");
    std::vector<Published> points;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            f.push_back(field);
        points.push_back({f.at(0), f.at(1), {TextToNumber(f.at(2)), TextToNumber(f.at(3))},
                          {TextToNumber(f.at(4)), TextToNumber(f.at(5))}, f.at(6)});
    }
    return points;
}

// A grid over China's land and coastal seas, with the meridian 105°E, where the offset has the
// cusp of √|x|, among its columns.
std::vector<LonLat> ChinaGrid()
{
    std::vector<LonLat> grid;
    for (Real lat = 18; lat <= 53.5L; lat += 0.5L)
        for (Real lon = 73.25L; lon <= 135; lon += 0.5L)
            grid.push_back({lon, lat});
    for (Real lat = 20; lat <= 50; lat += 5)
        for (Real lon : {105.0L, 105 + 1e-12L, 105 - 1e-9L})
            grid.push_back({lon, lat});
    return grid;
}

struct RoundTrip {
    Real worstMetres = 0;
    int mostRounds = 0;
};

} // namespace

TEST(WebMapTest, PublishedPoints)
{
    const std::vector<Published> points = PublishedPoints();
    ASSERT_EQ(points.size(), 7u);
    for (const Published &p : points) {
        LonLat got;
        if (p.from == "wgs84" && p.to == "gcj02")
            got = Gcj02FromWgs84(p.in);
        else if (p.from == "gcj02" && p.to == "bd09")
            got = Bd09FromGcj02(p.in);
        else if (p.from == "gcj02" && p.to == "wgs84 one-step")
            got = Wgs84FromGcj02(p.in, 1).point; // the first round of the iteration
        else if (p.from == "bd09" && p.to == "gcj02 one-step")
            got = OneStepGcj02FromBd09(p.in);
        else
            FAIL() << "unknown conversion " << p.from << " to " << p.to;
        EXPECT_NEAR(double(got.lon), double(p.out.lon), 1e-9) << p.source;
        EXPECT_NEAR(double(got.lat), double(p.out.lat), 1e-9) << p.source;
    }
}

// WGS84 → GCJ-02 → WGS84 and WGS84 → BD-09 → WGS84 come back within a millimetre everywhere on the
// grid; the same round trips through the one-step inverses miss by metres.
TEST(WebMapTest, RoundTripsAreExactWhereTheOneStepInverseIsNot)
{
    RoundTrip gcj, bd, gcjOneStep, bdOneStep;
    for (const LonLat w : ChinaGrid()) {
        const LonLat g = Gcj02FromWgs84(w);
        const LonLat b = Bd09FromGcj02(g);

        const WebMapInverse back = Wgs84FromGcj02(g);
        gcj.worstMetres = std::max(gcj.worstMetres, GroundMetres(back.point, w));
        gcj.mostRounds = std::max(gcj.mostRounds, back.rounds);

        const WebMapResult viaBd = ConvertWebMap(WebMapDatum::Bd09, WebMapDatum::Wgs84, b);
        ASSERT_FALSE(viaBd.outside);
        bd.worstMetres = std::max(bd.worstMetres, GroundMetres(viaBd.point, w));
        bd.mostRounds = std::max(bd.mostRounds, viaBd.rounds);

        gcjOneStep.worstMetres = std::max(gcjOneStep.worstMetres, GroundMetres(Wgs84FromGcj02(g, 1).point, w));
        const LonLat oneStepBd = Wgs84FromGcj02(OneStepGcj02FromBd09(b), 1).point;
        bdOneStep.worstMetres = std::max(bdOneStep.worstMetres, GroundMetres(oneStepBd, w));
    }
    EXPECT_LT(gcj.worstMetres, 0.001L);
    EXPECT_LT(bd.worstMetres, 0.001L);
    // A handful of rounds each way.
    EXPECT_LE(gcj.mostRounds, 6);
    EXPECT_LE(bd.mostRounds, 12);
    EXPECT_GT(gcjOneStep.worstMetres, 1);
    EXPECT_GT(bdOneStep.worstMetres, 1);
    std::printf("worst round trip: GCJ-02 %.3Le mm in at most %d rounds, BD-09 %.3Le mm in at most %d rounds; "
                "one-step: GCJ-02 %.3Lf m, BD-09 %.3Lf m\n",
                gcj.worstMetres * 1000, gcj.mostRounds, bd.worstMetres * 1000, bd.mostRounds, gcjOneStep.worstMetres,
                bdOneStep.worstMetres);
}

// Every pair of datums: inside the rectangle a conversion and its reverse come back to the point;
// outside (and on NaN) nothing moves and the point is marked.
TEST(WebMapTest, EveryPairAndTheRectangle)
{
    const WebMapDatum all[] = {WebMapDatum::Wgs84, WebMapDatum::Gcj02, WebMapDatum::Bd09};
    const LonLat inside{121.5272106L, 31.1774276L};
    const LonLat outside[] = {{72.0039L, 35}, {137.8348L, 35}, {100, 0.8292L}, {100, 55.8272L}, {-0.1L, 51.5L},
                              {139.7L, 35.7L}, {NAN, 30}};
    for (const WebMapDatum from : all)
        for (const WebMapDatum to : all) {
            const WebMapResult there = ConvertWebMap(from, to, inside);
            EXPECT_FALSE(there.outside);
            EXPECT_EQ(there.point.lon != inside.lon, from != to);
            const WebMapResult back = ConvertWebMap(to, from, there.point);
            EXPECT_LT(GroundMetres(back.point, inside), 0.001L) << int(from) << "→" << int(to);
            for (const LonLat p : outside) {
                const WebMapResult r = ConvertWebMap(from, to, p);
                EXPECT_TRUE(r.outside) << double(p.lon) << "," << double(p.lat);
                EXPECT_TRUE(r.point.lon == p.lon || std::isnan(p.lon));
                EXPECT_EQ(r.point.lat, p.lat);
            }
        }
    // The edges belong to the inside.
    for (const LonLat edge : {LonLat{72.004L, 30}, LonLat{137.8347L, 30}, LonLat{100, 0.8293L}, LonLat{100, 55.8271L}})
        EXPECT_FALSE(OutsideChinaRectangle(edge));
}

// The row texts of the window and the command line: name, longitude, latitude, note.
TEST(WebMapTest, RowTexts)
{
    struct Case {
        WebMapDatum from, to;
        bool dms;
        std::string lon, lat;
        std::vector<std::string> expected;
    } cases[] = {
        {WebMapDatum::Wgs84, WebMapDatum::Gcj02, false, "121.5272106", "31.1774276", {"121.531541859", "31.175303984", ""}},
        {WebMapDatum::Gcj02, WebMapDatum::Wgs84, false, "121.531541859215", "31.17530398364597", {"121.527210600", "31.177427600", ""}},
        {WebMapDatum::Gcj02, WebMapDatum::Bd09, false, "116.404", "39.915", {"116.410369494", "39.921336994", ""}},
        {WebMapDatum::Bd09, WebMapDatum::Gcj02, false, "116.410369493710", "39.921336993510", {"116.404000000", "39.915000000", ""}},
        // 121°31′37.95816″ E, 31°10′38.73936″ N, to ddd.mmss with 10 decimals.
        {WebMapDatum::Wgs84, WebMapDatum::Gcj02, true, "121.313795816", "31.103873936", {"121.3153550693", "31.1031094341", ""}},
        {WebMapDatum::Wgs84, WebMapDatum::Wgs84, false, "121.5", "31", {"121.500000000", "31.000000000", ""}},
        {WebMapDatum::Wgs84, WebMapDatum::Bd09, false, "2.3522", "48.8566", {"2.352200000", "48.856600000", "境外，未偏移"}},
        {WebMapDatum::Bd09, WebMapDatum::Wgs84, true, "139.4200", "35.4100", {"139.4200000000", "35.4100000000", "境外，未偏移"}},
        {WebMapDatum::Gcj02, WebMapDatum::Wgs84, false, "", "", {"0.000000000", "0.000000000", "境外，未偏移"}},
    };
    for (const Case &c : cases) {
        const WebMapConversion conversion(c.from, c.to, c.dms);
        ASSERT_EQ(conversion.inputFields(), 3);
        ASSERT_EQ(conversion.resultColumns(), 4);
        ASSERT_EQ(conversion.savedColumns(), 4);
        const std::string_view fields[] = {"P", c.lon, c.lat};
        std::vector<std::string> out(3);
        conversion.convert(fields, out);
        EXPECT_EQ(out, c.expected) << c.lon << "," << c.lat;
    }
    const std::string_view bad[] = {"P", "121,5", "31"};
    std::vector<std::string> out(3);
    EXPECT_THROW(WebMapConversion(WebMapDatum::Wgs84, WebMapDatum::Gcj02, false).convert(bad, out), ConversionError);
}
