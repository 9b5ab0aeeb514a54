// The published example networks of the adjustment textbooks, as collected in F. Krumm's
// "Geodetic Network Adjustment Examples" (tests/io/data/krumm, see its README.md): every network
// read from its gama-local file and adjusted; the adjusted coordinates agree with the textbook's
// (.adj) and with GNU Gama's (.xml) to 0.1 mm, σ0 with Gama's to its printed digits, the point
// standard deviations with the textbook's; Σr = f; the network written back as gama-local adjusts
// the same; converted to x north, y east (as tables show every network) it gives the textbook's
// coordinates in those axes; the blunder of Ghilani's example fails the global test and is named.
#include "core/FpGuard.h"
#include "core/network/Network.h"
#include "io/survey/GamaFile.h"
#include "io/GamaXmlReference.h"

#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

using namespace quorvil;
using namespace quorvil::network;
using namespace quorvil::testing;

namespace {

QByteArray ReadData(const QString &name)
{
    QFile file(QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/krumm/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

struct Published {
    Real x = 0, y = 0, z = 0;
    Real sx = -1, sy = -1, sz = -1; // metres
    bool height = false;
};

// The textbook's adjusted values: 1D "id H dH σH" (σ mm), 2D "id x dx σx y dy σy σp" (σ cm).
std::map<std::string, Published> ReadAdj(const QString &name)
{
    std::map<std::string, Published> values;
    QString text = QString::fromUtf8(ReadData(name + ".adj"));
    text.replace(QChar(0x2212), u'-');
    for (const QString &raw : text.split(u'\n')) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(QRegularExpression(QStringLiteral("\\s+")));
        Published p;
        if (f.size() == 4) {
            p.height = true;
            p.z = f[1].toDouble(), p.sz = f[3].toDouble() / 1000;
        } else if (f.size() >= 7) {
            p.x = f[1].toDouble(), p.sx = f[3].toDouble() / 100;
            p.y = f[4].toDouble(), p.sy = f[6].toDouble() / 100;
        } else {
            continue;
        }
        values[f[0].toStdString()] = p;
    }
    return values;
}

GamaReference ReadGamaXml(const QString &name)
{
    return ReadGamaReference(ReadData(name + ".xml"));
}

int IndexOf(const Network &net, const std::string &id)
{
    for (size_t i = 0; i < net.points.size(); ++i)
        if (net.points[i].id == id)
            return int(i);
    return -1;
}

const char *const Networks[] = {
    "Ghilani12_6_Height_fix",  "Baumann_Height_fix",       "Niemeier_Height_fix1",
    "Niemeier_Height_free",    "Ghilani14_5_Distance_fix", "WeissEtAl_Distance_fix",
    "Ghilani15_4_Angle_fix",   "Ghilani15_5_Angle_fix",    "Grossmann_Direction_fix",
    "LotherStrehle_Direction1", "Benning83_DistanceDirection_fix", "Niemeier_DistanceDirection_fix",
    "Ghilani16_2_DistanceAngleAzimuth_fix", "Ghilani21_10_DistanceAngle_fix", "Ghilani_Wolf_Distance_Angle",
    "Hoepke_Distance_free",    "StrangBorre_Distance_free", "Wolf_DistanceDirectionAngle_free",
    "Benning85",               "LotherStrehle_Direction4",  "LotherStrehle_Direction7",
};

TEST(NetworkKrumm, PublishedNetworks)
{
    for (const char *name : Networks) {
        SCOPED_TRACE(name);
        const QString file = QString::fromLatin1(name);
        const QByteArray bytes = ReadData(file + ".gkf");
        ASSERT_FALSE(bytes.isEmpty());
        ASSERT_TRUE(LooksLikeGama(bytes));
        const Network net = ParseGama(bytes);
        FpGuard guard;
        const Result result = Adjust(net);
        const std::map<std::string, Published> adj = ReadAdj(file);
        const GamaReference gama = ReadGamaXml(file);
        ASSERT_FALSE(adj.empty());
        for (const auto &[id, p] : adj) {
            SCOPED_TRACE(id);
            const int i = IndexOf(net, id);
            ASSERT_GE(i, 0);
            const PointResult &r = result.points[size_t(i)];
            const GamaPoint &g = gama.points.at(id);
            if (p.height) {
                EXPECT_NEAR(double(r.z), double(p.z), 1e-4);
                EXPECT_NEAR(double(r.z), double(g.z), 1e-4);
                EXPECT_NEAR(double(r.sz * 1000), double(p.sz * 1000), 0.0051); // printed to 0.01 mm
            } else {
                EXPECT_NEAR(double(r.x), double(p.x), 1e-4);
                EXPECT_NEAR(double(r.y), double(p.y), 1e-4);
                EXPECT_NEAR(double(r.x), double(g.x), 1e-4);
                EXPECT_NEAR(double(r.y), double(g.y), 1e-4);
                EXPECT_NEAR(double(r.sx * 100), double(p.sx * 100), 0.00051); // printed to 0.001 cm
                EXPECT_NEAR(double(r.sy * 100), double(p.sy * 100), 0.00051);
            }
        }
        // σ0 to the digits Gama prints (8 significant) where the network is not practically exact
        EXPECT_EQ(result.summary.dof, gama.dof);
        EXPECT_NEAR(double(result.summary.sigma0Aposteriori / gama.sigma0), 1.0, 2e-5) << gama.sigma0Text;
        // Σr = f
        Real sumR = 0;
        for (const ObservationResult &o : result.observations)
            sumR += o.redundancy;
        EXPECT_NEAR(double(sumR), result.summary.dof, 1e-6);
        // written back as gama-local, the network adjusts the same
        const Network again = ParseGama(GamaXml(net));
        const Result second = Adjust(again);
        ASSERT_EQ(second.points.size(), result.points.size());
        for (size_t i = 0; i < result.points.size(); ++i) {
            EXPECT_NEAR(double(second.points[i].x - result.points[i].x), 0, 1e-9);
            EXPECT_NEAR(double(second.points[i].y - result.points[i].y), 0, 1e-9);
            EXPECT_NEAR(double(second.points[i].z - result.points[i].z), 0, 1e-9);
            EXPECT_NEAR(double(second.points[i].sp - result.points[i].sp), 0, 1e-9);
        }
        EXPECT_NEAR(double(second.summary.sigma0Aposteriori / result.summary.sigma0Aposteriori), 1, 1e-9);
        // converted to x north, y east as the tables show it: the textbook's coordinates in those axes
        const Network northEast = InNorthEast(net);
        const Result shown = Adjust(northEast);
        const Frame frame = FrameOf(net.settings.axes);
        for (const auto &[id, p] : adj)
            if (!p.height) {
                const auto [n, e] = frame.northEast(p.x, p.y);
                const PointResult &r = shown.points[size_t(IndexOf(northEast, id))];
                EXPECT_NEAR(double(r.x), double(n), 1e-4) << id;
                EXPECT_NEAR(double(r.y), double(e), 1e-4) << id;
            }
        guard.check(result.summary.vtpv);
    }
}

TEST(NetworkKrumm, GlobalTestOfGhilani)
{
    const Result r = Adjust(ParseGama(ReadData(QStringLiteral("Ghilani16_2_DistanceAngleAzimuth_fix.gkf"))));
    EXPECT_EQ(r.summary.observations, 18);
    EXPECT_EQ(r.summary.unknowns, 6);
    EXPECT_EQ(r.summary.dof, 12);
    EXPECT_NEAR(double(r.summary.vtpv), 1.4920546, 1e-6);
    ASSERT_TRUE(r.summary.chi2.done);
    EXPECT_NEAR(double(r.summary.chi2.lower), 0.606, 5e-4);
    EXPECT_NEAR(double(r.summary.chi2.upper), 1.395, 5e-4);
    EXPECT_FALSE(r.summary.chi2.passed); // σ0 0.353 is below the interval
    EXPECT_EQ(r.summary.suspect, -1);
}

TEST(NetworkKrumm, BlunderIsNamed)
{
    const Network net = ParseGama(ReadData(QStringLiteral("Ghilani16_2_blunder.gkf")));
    const Result r = Adjust(net);
    EXPECT_EQ(r.summary.dof, 13);
    EXPECT_NEAR(double(r.summary.vtpv), 28.547, 1e-3);
    EXPECT_NEAR(double(r.summary.sigma0Aposteriori), 1.4819, 1e-4);
    EXPECT_FALSE(r.summary.chi2.passed);
    ASSERT_GE(r.summary.suspect, 0);
    const Observation &o = net.observations[size_t(r.summary.suspect)];
    EXPECT_EQ(o.kind, ObservationKind::Angle);
    EXPECT_EQ(net.points[size_t(o.from)].id, "T");
    EXPECT_EQ(net.points[size_t(o.bs)].id, "Q");
    EXPECT_EQ(net.points[size_t(o.to)].id, "R");
    EXPECT_NEAR(double(std::fabs(r.observations[size_t(r.summary.suspect)].w)), 5.201, 1e-3);
}

} // namespace
