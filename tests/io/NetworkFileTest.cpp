// Quorvil's own observation file: the textbook networks typed in it (tests/io/data/network) give
// the textbook's results, approximate coordinates computed by the engine; the format is told
// from gama-local by content; every bad input gives its one Chinese message; every network file
// read into the window's tables reads back as the same network; the examples of the help page and
// the README are realistic for their stated precisions.
#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/network/Network.h"
#include "io/survey/GamaFile.h"
#include "io/survey/NetworkOutput.h"
#include "io/survey/NetworkTables.h"
#include "io/survey/ObservationFile.h"
#include "io/survey/ObservationFileWriter.h"
#include "io/survey/SurveyText.h"
#include "io/GamaXmlReference.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace quorvil;
using namespace quorvil::network;

namespace {

QByteArray ReadData(const QString &name)
{
    QFile file(QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

const PointResult &At(const SurveyFile &f, const Result &r, const std::string &id)
{
    for (size_t i = 0; i < f.network.points.size(); ++i)
        if (f.network.points[i].id == id)
            return r.points[i];
    throw std::runtime_error("no point " + id);
}

struct Expected {
    const char *id;
    double x, y, sx, sy; // m, mm (heights: x = H, sx = σH)
};

TEST(NetworkFile, TextbookNetworksInTheObservationFile)
{
    struct Case {
        const char *file;
        std::vector<Expected> points;
        bool height;
    } cases[] = {
        // Krumm's .adj with x and y exchanged (the gama-local files have x east)
        {"network/Niemeier_DistanceDirection.txt", {{"Z108", 27816.1166, 40759.3769, 3.01, 3.13}, {"Z110", 27904.0042, 41373.0193, 2.89, 3.12}}, false},
        {"network/Ghilani16_2.txt",
         {{"R", 2640.0051, 1003.0572, 5.97, 0.01}, {"S", 2638.4742, 2323.0626, 6.60, 5.49}, {"T", 1096.0867, 2661.7386, 7.27, 5.90}},
         false},
        {"network/Ghilani12_6.txt", {{"B", 448.1087, 0, 2.30, 0}, {"C", 453.4685, 0, 2.64, 0}, {"D", 444.9436, 0, 1.76, 0}}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray bytes = ReadData(QString::fromLatin1(c.file));
        ASSERT_FALSE(bytes.isEmpty());
        EXPECT_TRUE(LooksLikeObservationFile(bytes));
        EXPECT_FALSE(LooksLikeGama(bytes));
        const SurveyFile f = ParseNetworkFile(bytes);
        FpGuard guard;
        const Result r = Adjust(f.network);
        guard.check(r.summary.vtpv);
        for (const Expected &e : c.points) {
            SCOPED_TRACE(e.id);
            const PointResult &p = At(f, r, e.id);
            if (c.height) {
                EXPECT_NEAR(double(p.z), e.x, 1e-4);
                EXPECT_NEAR(double(p.sz * 1000), e.sx, 0.0051);
            } else {
                EXPECT_NEAR(double(p.x), e.x, 1e-4);
                EXPECT_NEAR(double(p.y), e.y, 1e-4);
                EXPECT_NEAR(double(p.sx * 1000), e.sx, 0.0051);
                EXPECT_NEAR(double(p.sy * 1000), e.sy, 0.0051);
            }
        }
        Real sumR = 0;
        for (const ObservationResult &o : r.observations)
            sumR += o.redundancy;
        EXPECT_NEAR(double(sumR), r.summary.dof, 1e-6);
        // the same network through gama-local adjusts the same
        const Result again = Adjust(ParseGama(GamaXml(f.network)));
        for (size_t i = 0; i < r.points.size(); ++i) {
            EXPECT_NEAR(double(again.points[i].x - r.points[i].x), 0, 1e-9);
            EXPECT_NEAR(double(again.points[i].y - r.points[i].y), 0, 1e-9);
            EXPECT_NEAR(double(again.points[i].z - r.points[i].z), 0, 1e-9);
        }
    }
}

TEST(NetworkFile, HeaderAndDefaults)
{
    const SurveyFile f = ParseNetworkFile(ReadData(QStringLiteral("network/Niemeier_DistanceDirection.txt")));
    EXPECT_EQ(f.header.project, QStringLiteral("Niemeier 边角网"));
    EXPECT_EQ(f.header.grade, QStringLiteral("一级"));
    EXPECT_EQ(f.header.calculator, QStringLiteral("张三"));
    EXPECT_EQ(f.header.checker, QStringLiteral("李四"));
    EXPECT_EQ(f.header.date, QStringLiteral("2026/12/8"));
    ASSERT_EQ(f.network.sets.size(), 2u);
    EXPECT_EQ(f.network.observations.size(), 14u);
    // 5 cc, 5 mm
    EXPECT_NEAR(double(f.network.observations[0].stdev), double(5 * Pi / 2000000), 1e-18);
    EXPECT_NEAR(double(f.network.observations[1].stdev), 0.005, 1e-15);
}

// The message of a bad input, or "" when it is accepted.
std::string MessageOf(const std::string &text)
{
    try {
        const SurveyFile f = ParseNetworkFile(QByteArray::fromStdString(text));
        FpGuard guard;
        const Result r = Adjust(f.network);
        guard.check(r.summary.vtpv);
        return "";
    } catch (const Error &e) {
        return e.what();
    }
}

const std::string Known = "[已知点]\nA,1000,1000\nB,1000,2000\nC,2000,1500\n";

TEST(NetworkFile, BadInputGivesOneMessage)
{
    const std::string gamaHead = "<?xml version=\"1.0\"?>\n<gama-local>\n<network>\n<points-observations>\n"
                                 "<point id=\"A\" x=\"0\" y=\"0\" fix=\"xy\"/>\n<point id=\"B\" x=\"0\" y=\"100\" fix=\"xy\"/>\n"
                                 "<point id=\"P\" x=\"50\" y=\"50\" adj=\"xy\"/>\n";
    const std::string gamaTail = "</points-observations>\n</network>\n</gama-local>\n";
    struct Case {
        const char *name;
        std::string text;
        std::vector<std::string> parts; // parts of the message
    } cases[] = {
        {"misspelt point name in the observation file",
         Known + "[距离]\nA,P,707.1,3\nB,P,707.1,3\nC,Q,500,3\n", {"第 8 行", "点 Q 只有一个平面观测", "点名是否写错"}},
        {"station with a single direction", Known + "[方向]\nA,B,0,1000\n\nA,C,30,1000\n[距离]\nB,C,1118,3\n",
         {"第 6 行", "测站 A 的方向组只有一个方向"}},
        {"duplicate point with other coordinates", Known + "A,1000,1000.5\n", {"第 5 行", "点 A 重复", "第 2 行"}},
        {"zero standard deviation", Known + "[距离]\nA,P,707.1,0\nB,P,707.1,3\n", {"第 6 行", "中误差必须为正数"}},
        {"negative standard deviation in gama-local",
         gamaHead + "<obs>\n<distance from=\"A\" to=\"P\" val=\"70\" stdev=\"-2\"/>\n<distance from=\"B\" to=\"P\" val=\"70\" stdev=\"2\"/>\n</obs>\n" +
             gamaTail,
         {"第 9 行", "中误差必须为正数"}},
        {"distance of zero", Known + "[距离]\nA,P,0\nB,P,707.1\n", {"第 6 行", "平距必须大于零"}},
        {"point that no observation reaches", gamaHead + "<point id=\"Q\" x=\"5\" y=\"5\" adj=\"xy\"/>\n<obs>\n"
                                                        "<distance from=\"A\" to=\"P\" val=\"70.7\" stdev=\"2\"/>\n"
                                                        "<distance from=\"B\" to=\"P\" val=\"70.7\" stdev=\"2\"/>\n</obs>\n" + gamaTail,
         {"第 8 行", "点 Q 没有任何平面观测"}},
        {"network that cannot be located (no known point)", "[距离]\nA,B,100\nB,C,100\nC,A,100\n",
         {"网无法定位或定向", "约束点"}},
        {"points that cannot be reached from the known points", Known + "[方向]\nP,Q,0\nP,R,45\n[距离]\nP,Q,100\nQ,R,80\nR,P,70\n",
         {"网无法定位或定向"}},
        {"free gama-local network without constrained points",
         "<gama-local><network><points-observations>\n<point id=\"A\" x=\"0\" y=\"0\" adj=\"xy\"/>\n"
         "<point id=\"B\" x=\"0\" y=\"100\" adj=\"xy\"/>\n<point id=\"C\" x=\"100\" y=\"0\" adj=\"xy\"/>\n<obs>\n"
         "<distance from=\"A\" to=\"B\" val=\"100\" stdev=\"2\"/>\n<distance from=\"B\" to=\"C\" val=\"141.42\" stdev=\"2\"/>\n"
         "<distance from=\"C\" to=\"A\" val=\"100\" stdev=\"2\"/>\n</obs>\n</points-observations></network></gama-local>",
         {"网无法定位或定向", "约束点"}},
        {"levelling without a benchmark", "[已知点]\nA,0,0\n[水准]\nP,Q,1.5,1\nQ,P,-1.5,1\n", {"近似高程", "没有已知高程"}},
        {"collinear point (singular)", "[已知点]\nA,0,0\nB,0,100\n[距离]\nA,P,50,3\nB,P,50,3\n", {"点 P", "无法由观测确定"}},
        {"neither format", "P1,100,200\nP2,300,400\n", {"既不是", "gama-local"}},
        {"slope distance from a point without a height",
         gamaHead + "<obs>\n<s-distance from=\"A\" to=\"P\" val=\"70\" stdev=\"2\"/>\n</obs>\n" + gamaTail,
         {"第 9 行", "点 A 没有高程的固定或待定说明, 却有斜距观测"}},
        {"zenith angle from a point without a height", gamaHead + "<obs from=\"A\">\n<z-angle to=\"P\" val=\"100\" stdev=\"2\"/>\n</obs>\n" + gamaTail,
         {"第 9 行", "却有天顶距观测"}},
        {"vectors in gama-local", gamaHead + "<vectors>\n</vectors>\n" + gamaTail, {"<vectors>", "不支持坐标差向量"}},
        {"correlated covariance in gama-local",
         gamaHead + "<obs>\n<distance from=\"A\" to=\"P\" val=\"70\"/>\n<distance from=\"B\" to=\"P\" val=\"70\"/>\n"
                    "<cov-mat dim=\"2\" band=\"1\">4 1 4</cov-mat>\n</obs>\n" + gamaTail,
         {"<cov-mat>", "band=\"1\""}},
        {"angle with 60 minutes", Known + "[角度]\nA,B,C,30.6000\n", {"第 6 行", "分或秒不小于 60"}},
        {"zenith angle beyond the nadir", Known + "[天顶距]\nA,P,92.1530\nB,P,185.0000\n", {"第 7 行", "天顶距", "0°–180°"}},
        {"slope distance of zero", Known + "[斜距]\nA,P,0,1.5,1.6\n", {"第 6 行", "斜距必须大于零"}},
        {"instrument height that is not a number", Known + "[斜距]\nA,P,500.1,1.5m,1.6\n", {"第 6 行", "仪器高", "不是数字"}},
        {"height difference without its standard deviation", Known + "[高差]\nA,P,1.234\n", {"第 6 行", "中误差", "[水准]"}},
        {"two instrument heights of one station", Known + "[仪器高]\nA,1.5\nA,1.6\n", {"第 7 行", "仪器高重复"}},
        {"unknown choice of σ0", "[参数]\n精度评定,后验\n" + Known, {"第 2 行", "验前 或 验后"}},
        {"unknown section", "[观测]\nA,B,1\n", {"第 1 行", "未知的节"}},
        {"levelling between two benchmarks only", "[已知点]\nA,0,0,10\nB,0,0,11\n[水准]\nA,B,1.002,1\n", {"没有待定点", "无需平差"}},
        {"distances between known points only", Known + "[距离]\nA,B,1000.002,3\nB,C,1118.03,3\n", {"没有待定点", "无需平差"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = MessageOf(c.text);
        ASSERT_FALSE(message.empty());
        for (const std::string &part : c.parts)
            EXPECT_NE(message.find(part), std::string::npos) << message << "  lacks  " << part;
        EXPECT_EQ(message.find("nan"), std::string::npos);
    }
}

// The `n`th example file (from 0) of the help's network section.
QByteArray HelpExample(int n = 0)
{
    QFile help(QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/../resources/Help.html"));
    if (!help.open(QIODevice::ReadOnly))
        return {};
    const QString html = QString::fromUtf8(help.readAll());
    const qsizetype section = html.indexOf(QStringLiteral("<h2 id=\"network\">"));
    qsizetype begin = html.indexOf(QStringLiteral("<pre># "), section);
    for (int i = 0; i < n && begin >= 0; ++i)
        begin = html.indexOf(QStringLiteral("<pre># "), begin + 1);
    const qsizetype end = html.indexOf(QStringLiteral("</pre>"), begin);
    if (section < 0 || begin < 0)
        return {};
    QString text = html.mid(begin + 5, end - begin - 5);
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<")).replace(QStringLiteral("&gt;"), QStringLiteral(">")).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.toUtf8();
}

QByteArray ReadmeExample() // the block indented by four spaces that opens with "# "
{
    QFile readme(QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/../README.md"));
    if (!readme.open(QIODevice::ReadOnly))
        return {};
    QStringList block;
    for (const QString &line : QString::fromUtf8(readme.readAll()).split(u'\n')) {
        if (block.isEmpty() ? line.startsWith(QStringLiteral("    # ")) && line.contains(QStringLiteral("网"))
                            : line.startsWith(QStringLiteral("    ")))
            block << line.mid(4);
        else if (!block.isEmpty())
            break;
    }
    return block.join(u'\n').toUtf8();
}

// The files of GNU Gama's suite with slope distances or zenith angles that the engine adjusts (those
// suite.txt does not list as refused), in north/east as the command line turns them.
std::vector<std::pair<std::string, QByteArray>> SpatialSuiteFiles()
{
    const auto listed = quorvil::testing::ReadGamaSuiteExceptions(ReadData(QStringLiteral("gama/suite.txt")));
    std::vector<std::pair<std::string, QByteArray>> files;
    const QDir dir(QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/gama/input"));
    for (const QString &name : dir.entryList({QStringLiteral("*.gkf")}, QDir::Files)) {
        const QString base = name.chopped(4);
        if (listed.count(base.toStdString()))
            continue;
        const QByteArray bytes = ReadData(QStringLiteral("gama/input/") + name);
        if (bytes.contains("<s-distance") || bytes.contains("<z-angle"))
            files.emplace_back(base.toStdString(), bytes);
    }
    return files;
}

// A 3D network saved as the program's observation file reads back into the same adjustment: the
// help's example, and every spatial file of GNU Gama's suite the file can hold.
TEST(NetworkFile, SpatialNetworksThroughTheObservationFile)
{
    std::vector<std::pair<std::string, QByteArray>> files{{"help 3D", HelpExample(1)}};
    const auto spatial = SpatialSuiteFiles();
    files.insert(files.end(), spatial.begin(), spatial.end());
    int saved = 0;
    for (const auto &[name, bytes] : files) {
        SCOPED_TRACE(name);
        SurveyFile file = ParseNetworkFile(bytes);
        file.network = InNorthEast(file.network);
        QStringList lines;
        try {
            lines = ObservationFileLines(file);
        } catch (const Error &e) {
            // A free height datum or observed coordinates: the file says to save as gama-local.
            EXPECT_NE(std::string(e.what()).find("Gama"), std::string::npos) << e.what();
            continue;
        }
        ++saved;
        const SurveyFile read = ParseObservationFile(lines.join(u'\n').toUtf8());
        ASSERT_EQ(read.network.observations.size(), file.network.observations.size());
        const Result ra = Adjust(read.network), rb = Adjust(file.network);
        EXPECT_EQ(ra.summary.dof, rb.summary.dof);
        // relative, or absolute where the data are simulated without error (σ0 near 0)
        EXPECT_NEAR(double(ra.summary.sigma0Aposteriori), double(rb.summary.sigma0Aposteriori),
                    1e-6 * double(rb.summary.sigma0Aposteriori) + 1e-5);
        for (size_t i = 0; i < file.network.points.size(); ++i) {
            const PointResult &pa = At(read, ra, file.network.points[i].id), &pb = rb.points[i];
            EXPECT_NEAR(double(pa.x - pb.x), 0, 1e-6) << file.network.points[i].id;
            EXPECT_NEAR(double(pa.y - pb.y), 0, 1e-6) << file.network.points[i].id;
            EXPECT_NEAR(double(pa.z - pb.z), 0, 1e-6) << file.network.points[i].id;
            EXPECT_NEAR(double(pa.sz - pb.sz), 0, 1e-8) << file.network.points[i].id;
        }
    }
    EXPECT_GE(saved, 3);
}

// The help's 3D example as a surveyor types it: [仪器高] gives the stations' heights the rows leave
// empty, the target heights stand on the rows, the zenith angles take 天顶距中误差.
TEST(NetworkFile, InstrumentHeightsByStation)
{
    const SurveyFile f = ParseNetworkFile(HelpExample(1));
    const Network &n = f.network;
    int slopes = 0, zeniths = 0;
    for (const Observation &o : n.observations) {
        if (o.kind != ObservationKind::SlopeDistance && o.kind != ObservationKind::ZenithAngle)
            continue;
        ++(o.kind == ObservationKind::SlopeDistance ? slopes : zeniths);
        const std::string &station = n.points[size_t(o.from)].id;
        EXPECT_NEAR(double(o.fromDh), station == "A" ? 1.532 : station == "B" ? 1.487 : station == "P1" ? 1.605 : 1.551, 1e-12)
            << station;
        EXPECT_GT(o.toDh, 1.4);
        if (o.kind == ObservationKind::ZenithAngle)
            EXPECT_NEAR(double(o.stdev / (3 * Pi / 648000)), 1, 1e-12);
    }
    EXPECT_EQ(slopes, 12);
    EXPECT_EQ(zeniths, 12);
    // A height on the row wins over the station's.
    const SurveyFile g = ParseObservationFile("[已知点]\nA,0,0,10\n[仪器高]\nA,1.5\n[斜距]\nA,P,100,1.45,2\nA,Q,100\n");
    EXPECT_NEAR(double(g.network.observations[0].fromDh), 1.45, 1e-12);
    EXPECT_NEAR(double(g.network.observations[1].fromDh), 1.5, 1e-12);
    EXPECT_NEAR(double(g.network.observations[1].toDh), 0, 1e-12);
}

// The examples of the help page and the README, the first networks a newcomer adjusts.
// Their numbers are those of their stated precisions: σ0 near 1, the global test passed, no
// observation suspected; the directions come with their distances.
TEST(NetworkFile, ExamplesAreRealistic)
{
    for (const auto &[name, bytes] :
         {std::pair{"help", HelpExample()}, std::pair{"help 3D", HelpExample(1)}, std::pair{"README", ReadmeExample()}}) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(bytes.isEmpty());
        const SurveyFile f = ParseNetworkFile(bytes);
        const Result r = Adjust(f.network);
        EXPECT_GE(r.summary.dof, 5);
        EXPECT_TRUE(r.summary.chi2.passed) << double(r.summary.sigma0Aposteriori);
        EXPECT_NEAR(double(r.summary.sigma0Aposteriori), 1, 0.2);
        EXPECT_EQ(r.summary.suspect, -1);
        for (const PointResult &p : r.points)
            EXPECT_LT(p.sp, 0.02);
    }
}

// Every network file read into the window's tables reads back as the network the command line
// adjusts: the same observations, direction sets and standard deviations, the same adjustment.
TEST(NetworkFile, TablesReadAsTheFiles)
{
    std::vector<std::pair<std::string, QByteArray>> files{
        {"help", HelpExample()}, {"help 3D", HelpExample(1)}, {"README", ReadmeExample()}};
    for (const char *folder : {"krumm", "network"}) {
        const QDir dir(QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/") + QLatin1String(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.gkf"), QStringLiteral("*.txt")}, QDir::Files))
            files.emplace_back(name.toStdString(), ReadData(QLatin1String(folder) + u'/' + name));
    }
    ASSERT_GE(files.size(), 28u);
    const auto spatial = SpatialSuiteFiles();
    files.insert(files.end(), spatial.begin(), spatial.end());
    for (const auto &[name, bytes] : files) {
        SCOPED_TRACE(name);
        const Network net = InNorthEast(ParseNetworkFile(bytes).network);
        QList<QStringList> known, observations;
        NetworkToTables(net, known, observations);
        const Network read = NetworkFromTables(known, observations, NetworkApriori{}, net.settings);
        ASSERT_EQ(read.observations.size(), net.observations.size());
        ASSERT_EQ(read.sets.size(), net.sets.size());
        const auto id = [](const Network &n, int p) { return p >= 0 ? n.points[size_t(p)].id : std::string(); };
        for (size_t i = 0; i < net.observations.size(); ++i) {
            const Observation &a = read.observations[i], &b = net.observations[i];
            EXPECT_EQ(a.kind, b.kind) << i;
            EXPECT_EQ(id(read, StationOf(read, a)), id(net, StationOf(net, b))) << i;
            EXPECT_EQ(id(read, a.to), id(net, b.to)) << i;
            EXPECT_EQ(id(read, a.bs), id(net, b.bs)) << i;
            EXPECT_EQ(a.set, b.set) << i; // the same sets, in the same order
            EXPECT_NEAR(double(a.value - b.value), 0, IsAngular(b.kind) ? 1e-11 : 1e-9) << i; // ddd.mmss to 1e-6″, m to 1e-9
            EXPECT_NEAR(double(a.stdev / b.stdev), 1, 1e-6) << i;
            if (DimensionOf(b.kind) == Dimension::Space) { // the heights of the ends of a spatial observation
                EXPECT_NEAR(double(a.fromDh - b.fromDh), 0, 1e-9) << i;
                EXPECT_NEAR(double(a.toDh - b.toDh), 0, 1e-9) << i;
            }
        }
        const Result ra = Adjust(read), rb = Adjust(net);
        // relative, or absolute where the data are simulated without error (σ0 near 0)
        EXPECT_NEAR(double(ra.summary.sigma0Aposteriori), double(rb.summary.sigma0Aposteriori),
                    1e-6 * double(rb.summary.sigma0Aposteriori) + 1e-5);
        for (size_t i = 0; i < net.points.size(); ++i) {
            const auto j = std::find_if(read.points.begin(), read.points.end(), [&](const Point &p) { return p.id == net.points[i].id; });
            ASSERT_NE(j, read.points.end()) << net.points[i].id;
            const PointResult &pa = ra.points[size_t(j - read.points.begin())], &pb = rb.points[i];
            EXPECT_NEAR(double(pa.x - pb.x), 0, 1e-6) << net.points[i].id;
            EXPECT_NEAR(double(pa.y - pb.y), 0, 1e-6) << net.points[i].id;
            EXPECT_NEAR(double(pa.z - pb.z), 0, 1e-6) << net.points[i].id;
        }
    }
}

// A free network typed without any coordinates: carried in a local frame, its datum the
// constrained points; the same network with the textbook's approximate coordinates (Krumm's
// Benning85, all points constrained) gives the same shape: the same σ0 and point precision.
TEST(NetworkFile, FreeNetworkWithoutCoordinates)
{
    const SurveyFile gama = ParseNetworkFile(ReadData(QStringLiteral("krumm/StrangBorre_Distance_free.gkf")));
    std::string text = "[约束点]\n";
    for (const Point &p : gama.network.points)
        text += p.id + "\n";
    text += "[距离]\n";
    for (const Observation &o : gama.network.observations)
        text += gama.network.points[size_t(o.from)].id + "," + gama.network.points[size_t(o.to)].id + "," +
                std::to_string(double(o.value)) + "," + std::to_string(double(o.stdev * 1000)) + "\n";
    const SurveyFile own = ParseNetworkFile(QByteArray::fromStdString(text));
    const Result a = Adjust(own.network), b = Adjust(gama.network);
    EXPECT_EQ(a.summary.defect, 3);
    EXPECT_NEAR(double(a.summary.chi2.ratio), double(b.summary.chi2.ratio), 1e-6); // σ0 a priori: 1 here, 10 there
    // the trace of the covariance is the datum-independent figure of a minimum-norm datum
    Real ta = 0, tb = 0;
    for (size_t i = 0; i < a.points.size(); ++i)
        ta += a.points[i].sp * a.points[i].sp, tb += b.points[i].sp * b.points[i].sp;
    EXPECT_NEAR(double(ta / tb), 1, 1e-6);
}

TEST(NetworkFile, JsonHasTheFixedShape)
{
    const SurveyFile f = ParseNetworkFile(ReadData(QStringLiteral("krumm/Ghilani16_2_DistanceAngleAzimuth_fix.gkf")));
    const Result r = Adjust(f.network);
    const std::string json = NetworkResultJson(f.network, r);
    for (const char *part : {"{\"summary\": {\"observations\": 18, \"unknowns\": 6, \"defect\": 0, \"dof\": 12, \"vtpv\": 1.49205",
                             "\"sigma0_apriori\": 1, \"sigma0_aposteriori\": 0.352615", "\"sigma_used\": \"aposteriori\"",
                             "\"chi2_test\": {\"probability\": 0.95", "\"lower\": 0.6057", "\"upper\": 1.3945", "\"passed\": false",
                             "{\"id\": \"R\", \"x\": 1003.057151, \"y\": 2640.005076, \"z\": null, \"status\": \"adjusted\", \"sx\": 0.0115",
                             "\"relative_ellipses\": [", "{\"kind\": \"distance\", \"from\": \"Q\", \"to\": \"R\", \"bs\": null, \"observed\": 1640.016",
                             "\"kind\": \"angle\", \"from\": \"Q\", \"to\": \"S\", \"bs\": \"R\"", "\"kind\": \"azimuth\""})
        EXPECT_NE(json.find(part), std::string::npos) << part;
    EXPECT_EQ(json.find("nan"), std::string::npos);
    EXPECT_EQ(json.find("inf"), std::string::npos);
}

} // namespace

TEST(NetworkFile, TableAnglesStayInOneCircle)
{
    // An adjusted direction just below the set's zero prints as 359°59′59.99″, never as a negative
    // second; rounding carries into the minute and the degree.
    const SurveyFile f = ParseNetworkFile(ReadData(QStringLiteral("krumm/Ghilani16_2_DistanceAngleAzimuth_fix.gkf")));
    Result r = Adjust(f.network);
    Network n = f.network;
    const auto angle = std::find_if(n.observations.begin(), n.observations.end(),
                                    [](const Observation &o) { return o.kind == ObservationKind::Angle; });
    ASSERT_NE(angle, n.observations.end());
    const size_t i = size_t(angle - n.observations.begin());
    const Real second = DegToRad(Real(1) / 3600);
    angle->value = 2 * Pi - second / 400;                // 359°59′59.9975″
    r.observations[i].adjusted = -second / 100;          // −0.01″
    SurveyFile g = f;
    g.network = n;
    const QString table = NetworkResultLines(g, r).join('\n');
    EXPECT_TRUE(table.contains(QStringLiteral(",0°00′00.00″,359°59′59.99″,"))) << table.toStdString();
    EXPECT_FALSE(table.contains(QStringLiteral("′-"))) << table.toStdString();
}
