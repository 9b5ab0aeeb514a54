// The field book's files: the same session recorded as a CSV book, GSI-16 and GSI-8 gives the
// same observation file; that file reads back through the network's reader with its
// trigonometric heights weighted 1/D², and adjusts to the points the session was generated from
// (scripts/make-fieldbook-sample.py); the Word report read back by python-docx.
#include "io/survey/FieldBookFile.h"
#include "io/survey/FieldBookReport.h"
#include "io/survey/FieldBookTables.h"
#include "io/survey/NetworkTables.h"

#include "core/Error.h"
#include "core/network/Network.h"
#include "io/FileAccess.h"
#include "io/PointFile.h"
#include "support/DocxReader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace quorvil;
using namespace quorvil::fieldbook;
using namespace quorvil::test;

namespace {

QString Data(const QString &name) { return QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/core/data/fieldbook/") + name; }

Reduction ReduceSession(const QString &name)
{
    return Reduce(ReadFieldBook(Data(name)), ReadKnownPoints(Data("session-known.txt")), Settings{});
}

QStringList SessionLines(const QString &name) { return FieldBookObservationLines(ReduceSession(name), SurveyHeader{}); }

} // namespace

TEST(FieldBookFile, CsvAndGsiRecordsGiveTheSameObservationFile)
{
    const QStringList csv = SessionLines("session.csv");
    ASSERT_TRUE(csv.contains("[三角高程]"));
    ASSERT_TRUE(csv.contains("[方向]"));
    for (const char *gsi : {"session.gsi16", "session.gsi8"})
        EXPECT_EQ(SessionLines(gsi), csv) << gsi;
}

TEST(FieldBookFile, ReducedSessionAdjustsToTheTruePoints)
{
    const SurveyFile file = ParseObservationFile(SessionLines("session.csv").join("\n").toUtf8());
    const network::Network &net = file.network;
    int heights = 0;
    for (const network::Observation &o : net.observations)
        if (o.kind == network::ObservationKind::HeightDifference) {
            ++heights;
            // 一级 is held to the 五等 heights: 15 mm per km of the line, so weights go as 1/D².
            if (net.points[size_t(o.from)].id == "K1" && net.points[size_t(o.to)].id == "K2")
                EXPECT_NEAR(o.stdev, 0.015L * 1.920961L, 1e-9L);
        }
    EXPECT_EQ(heights, 12);
    // The window's tables hold a direction and its distance as two rows: they keep one set a station.
    QList<QStringList> known, observations;
    NetworkToTables(net, known, observations);
    EXPECT_EQ(NetworkFromTables(known, observations, NetworkApriori{}, net.settings).sets.size(), 4u);
    const network::Result result = network::Adjust(net);
    for (const QString &line : ReadTextLines(Data("session-true.txt"))) {
        const QStringList f = line.split(',');
        const std::string name = f[0].toStdString();
        for (size_t i = 0; i < net.points.size(); ++i)
            if (net.points[i].id == name) {
                EXPECT_NEAR(result.points[i].x, f[1].toDouble(), 0.001) << name;
                EXPECT_NEAR(result.points[i].y, f[2].toDouble(), 0.001) << name;
                EXPECT_NEAR(result.points[i].z, f[3].toDouble(), 0.001) << name;
            }
    }
}

TEST(FieldBookFile, BadKnownPointsAndExplicitWeights)
{
    try {
        ParseKnownPoints({"K1,1,2,3", "# comment", ",,,", "K2,abc,2"});
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), "已知点第 4 行: X 坐标 'abc' 不是数字");
    }
    // A σ on the row wins over the weight by distance; a distance of zero is refused.
    const SurveyFile f = ParseObservationFile("[已知点]\nA,,,10\n[三角高程]\nA,B,1.5,500,4\n");
    EXPECT_NEAR(f.network.observations.at(0).stdev, 0.004L, 1e-12L);
    EXPECT_THROW(ParseObservationFile("[已知点]\nA,,,10\n[三角高程]\nA,B,1.5,0\n"), Error);
}

TEST(FieldBookFile, ReportReadBackByPythonDocx)
{
    if (!DocxReaderAvailable())
        GTEST_SKIP() << DocxReaderMissing;
    Settings s;
    s.grid = false;
    const Reduction r = Reduce(ReadFieldBook(Data("page.csv")), {}, s);
    QTemporaryDir dir;
    const QString out = dir.filePath("page.docx");
    WriteFieldBookReport(r, {"城东控制网", "一级", "张三", "李四", "2026-12-08"},
                         QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/../resources/templates/GCSB.docx"), out);
    const char *script = R"(
import docx, json, sys
d = docx.Document(sys.argv[1])
tables = [[[c.text for c in row.cells] for row in t.rows] for t in d.tables]
red = [c.text for row in d.tables[-1].rows for c in row.cells
       if any(r.font.color is not None and r.font.color.rgb is not None and str(r.font.color.rgb) == 'FF0000'
              for p in c.paragraphs for r in p.runs)]
json.dump({'tables': tables, 'red': red, 'body': [p.text for p in d.paragraphs]}, sys.stdout, ensure_ascii=False)
)";
    const ProgramRun py = RunPythonProgram({"-c", script, out});
    ASSERT_EQ(py.status, 0) << py.diagnosis().toStdString();
    const QJsonObject json = QJsonDocument::fromJson(py.out).object();
    const QJsonArray tables = json["tables"].toArray();
    // A 手簿 table per station, then the lines and the checks.
    ASSERT_EQ(r.stations.size(), 2u);
    ASSERT_EQ(tables.size(), 4);
    for (int s = 0; s < 2; ++s) {
        const QList<QStringList> page = FieldBookStationPageRows(r.stations[size_t(s)]);
        const QJsonArray t = tables[s].toArray();
        ASSERT_EQ(t.size(), page.size() + 1) << "station " << s;
        EXPECT_EQ(t[0].toArray()[2].toString(), "照准点");
        for (int i = 0; i < page.size(); ++i)
            for (int c = 0; c < page[i].size(); ++c)
                EXPECT_EQ(t[i + 1].toArray()[c].toString(), page[i][c]) << "station " << s << " row " << i << " column " << c;
    }
    EXPECT_EQ(tables[0].toArray()[1].toArray()[0].toString(), "N1");
    EXPECT_EQ(tables[0].toArray()[7].toArray()[7].toString(), "45.301750"); // round 2, P2: 45°30′17.5″
    EXPECT_EQ(tables[1].toArray()[1].toArray()[0].toString(), "N2");
    const QJsonArray body = json["body"].toArray();
    EXPECT_TRUE(body.contains(QJsonValue("测站 N1（仪器高 1.500 m）　水平方向与竖直角（角度写作 ddd.mmss）")));
    EXPECT_TRUE(body.contains(QJsonValue("测站 N2　水平方向与竖直角（角度写作 ddd.mmss）")));
    // The checks with the over-limit verdict in red.
    const QJsonArray red = json["red"].toArray();
    ASSERT_EQ(red.size(), 1);
    EXPECT_EQ(red[0].toString(), "超限");
    bool named = false;
    for (const QJsonValue &row : tables[3].toArray())
        named = named || (row.toArray()[0].toString() == "N2" && row.toArray()[3].toString() == "2C 互差" &&
                          row.toArray()[4].toString() == "64″");
    EXPECT_TRUE(named);
    EXPECT_TRUE(json["body"].toArray().contains(QJsonValue("工程名称：城东控制网　　　等级：一级")));
}
