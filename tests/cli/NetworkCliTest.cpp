// quorvil-cli network run as a program: both input formats (by content, from a file or standard
// input), the summary line, the result table, the JSON every script relies on, --sigma and
// --confidence, --report and --dxf, and bad input: one Chinese message, exit
// status 1, no output file; every network file adjusted in the window as on the command line.
#include "support/WindowTestSupport.h"

#include "io/dxf/DxfReader.h"

#include "core/network/Network.h"
#include "io/TextCodec.h"
#include "io/survey/GamaFile.h"
#include "io/GamaXmlReference.h"
#include "tools/KZWPC/TFormKZWPC.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

using Run = ProgramRun;

Run Cli(const QStringList &arguments, const QByteArray &input = {})
{
    return RunProgram(QStringLiteral(QUORVIL_CLI), arguments, input);
}

QString Data(const QString &name)
{
    return QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/") + name;
}

} // namespace

class NetworkCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void gamaFileGivesTheSummaryTableAndJson()
    {
        const QString out = dir.filePath("out.txt"), json = dir.filePath("r.json");
        const Run run = Cli({"network", "--json", json, Data("krumm/Ghilani16_2_blunder.gkf"), out});
        QCOMPARE(run.status, 0);
        const QString printed = QString::fromUtf8(run.out);
        QVERIFY2(printed.contains(QStringLiteral("观测数 19, 未知数 6, 多余观测数 13, 单位权中误差 1.4819")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("χ² 检验 (0.95) 未通过")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("可疑观测: 角度 T: Q-R (第 55 行) w = 5.2")), qPrintable(printed));
        const QString table = DecodeText(ReadFile(out));
        QVERIFY(table.contains(QStringLiteral("点名,状态,X(m),Y(m),H(m),Mx(mm),My(mm),Mp(mm),E(mm),F(mm),φ(°),Mh(mm)")));
        QVERIFY(table.contains(QStringLiteral("角度,T,Q,R,46°15′02.00″")));

        const QJsonObject root = QJsonDocument::fromJson(ReadFile(json)).object();
        const QJsonObject summary = root["summary"].toObject();
        QCOMPARE(summary["observations"].toInt(), 19);
        QCOMPARE(summary["unknowns"].toInt(), 6);
        QCOMPARE(summary["dof"].toInt(), 13);
        QVERIFY(std::fabs(summary["vtpv"].toDouble() - 28.547) < 1e-3);
        QCOMPARE(summary["sigma0_apriori"].toDouble(), 1.0);
        QVERIFY(std::fabs(summary["sigma0_aposteriori"].toDouble() - 1.4819) < 1e-4);
        QCOMPARE(summary["sigma_used"].toString(), QStringLiteral("aposteriori"));
        const QJsonObject chi2 = summary["chi2_test"].toObject();
        QCOMPARE(chi2["probability"].toDouble(), 0.95);
        QVERIFY(chi2["lower"].toDouble() < chi2["upper"].toDouble());
        QCOMPARE(chi2["passed"].toBool(), false);
        const QJsonArray points = root["points"].toArray();
        QCOMPARE(points.size(), 4);
        const QJsonObject r = points[1].toObject();
        for (const char *key : {"id", "x", "y", "z", "status", "sx", "sy", "sp", "ellipse"})
            QVERIFY2(r.contains(QLatin1String(key)), key);
        QCOMPARE(r["id"].toString(), QStringLiteral("R"));
        QCOMPARE(r["status"].toString(), QStringLiteral("adjusted"));
        QVERIFY(r["z"].isNull());
        QVERIFY(r["ellipse"].toObject().contains("phi"));
        QCOMPARE(points[0].toObject()["status"].toString(), QStringLiteral("fixed"));
        QVERIFY(!root["relative_ellipses"].toArray().isEmpty());
        const QJsonObject rel = root["relative_ellipses"].toArray()[0].toObject();
        for (const char *key : {"from", "to", "a", "b", "phi"})
            QVERIFY2(rel.contains(QLatin1String(key)), key);
        const QJsonArray observations = root["observations"].toArray();
        QCOMPARE(observations.size(), 19);
        const QJsonObject d = observations[0].toObject();
        for (const char *key : {"kind", "from", "to", "bs", "observed", "adjusted", "residual", "stdev", "redundancy", "w", "mdb"})
            QVERIFY2(d.contains(QLatin1String(key)), key);
        QCOMPARE(d["kind"].toString(), QStringLiteral("distance"));
        QCOMPARE(d["observed"].toDouble(), 1640.016);
        QCOMPARE(d["stdev"].toDouble(), 26.0);
        const QJsonObject blunder = observations[summary["suspect"].toInt()].toObject();
        QCOMPARE(blunder["kind"].toString(), QStringLiteral("angle"));
        QCOMPARE(blunder["from"].toString(), QStringLiteral("T"));
        QCOMPARE(blunder["bs"].toString(), QStringLiteral("Q"));
        QCOMPARE(blunder["to"].toString(), QStringLiteral("R"));
        QVERIFY(std::fabs(blunder["w"].toDouble() - 5.201) < 1e-3);
        double sumR = 0;
        for (const QJsonValue &o : observations)
            sumR += o.toObject()["redundancy"].toDouble();
        QVERIFY(std::fabs(sumR - 13) < 1e-3);
    }

    // A 3D network: the table and the JSON carry the heights, their σ and the spatial observations
    // (named 斜距, 天顶距, with their instrument and target heights) as the engine gives them.
    void spatialGamaFileAsTheEngineAdjustsIt()
    {
        const QString file = Data("gama/input/gama-local_krumm_3D_Baumann23_3_4_fix.gkf");
        const QString out = dir.filePath("3d.txt"), json = dir.filePath("3d.json");
        QCOMPARE(Cli({"network", "--json", json, file, out}).status, 0);
        const network::Network net = ParseGama(ReadFile(file));
        const network::Result engine = network::Adjust(net);
        const QJsonObject root = QJsonDocument::fromJson(ReadFile(json)).object();
        const QJsonObject n = root["points"].toArray()[3].toObject();
        QCOMPARE(n["id"].toString(), QStringLiteral("N"));
        QVERIFY(std::fabs(n["z"].toDouble() - double(engine.points[3].z)) < 1e-6);
        QVERIFY(std::fabs(n["sz"].toDouble() - double(engine.points[3].sz * 1000)) < 1e-4);
        const QJsonObject s = root["observations"].toArray()[3].toObject(), z = root["observations"].toArray()[6].toObject();
        QCOMPARE(s["kind"].toString(), QStringLiteral("s-distance"));
        QCOMPARE(z["kind"].toString(), QStringLiteral("z-angle"));
        QCOMPARE(s["from_dh"].toDouble(), 1.6);
        QCOMPARE(s["to_dh"].toDouble(), 1.572);
        QVERIFY(std::fabs(s["residual"].toDouble() - double(engine.observations[3].residual * 1000)) < 1e-4);
        QVERIFY(std::fabs(z["residual"].toDouble() - double(engine.observations[6].residual * 648000 / Pi)) < 1e-4);
        const QString table = DecodeText(ReadFile(out));
        QVERIFY2(table.contains(QStringLiteral("\n斜距,N,,1,223.6428,")) && table.contains(QStringLiteral("\n天顶距,N,,1,86°18′40.86″,")),
                 qPrintable(table));
    }

    void observationFileFromStandardInput()
    {
        const Run run = Cli({"network", "-", "-"}, ReadFile(Data("network/Niemeier_DistanceDirection.txt")));
        QCOMPARE(run.status, 0);
        const QString table = DecodeText(run.out);
        QVERIFY2(table.contains(QStringLiteral("Z108,待定,27816.1166,40759.3769")), qPrintable(table));
        QVERIFY(table.contains(QStringLiteral("工程名称,Niemeier 边角网")));
        // the summary goes to standard error when the table goes to standard output
        QVERIFY(QString::fromUtf8(run.err).contains(QStringLiteral("多余观测数 8")));
    }

    void sigmaAndConfidenceOptions()
    {
        const QString json = dir.filePath("apriori.json");
        const Run run = Cli({"network", "--sigma", "apriori", "--confidence", "0.99", "--json", json,
                             Data("krumm/Ghilani16_2_DistanceAngleAzimuth_fix.gkf"), dir.filePath("o.txt")});
        QCOMPARE(run.status, 0);
        const QJsonObject summary = QJsonDocument::fromJson(ReadFile(json)).object()["summary"].toObject();
        QCOMPARE(summary["sigma_used"].toString(), QStringLiteral("apriori"));
        QCOMPARE(summary["chi2_test"].toObject()["probability"].toDouble(), 0.99);
        const Run bad = Cli({"network", "--confidence", "1.5", Data("krumm/Ghilani16_2_DistanceAngleAzimuth_fix.gkf"), "-"});
        QCOMPARE(bad.status, 2);
        const Run badSigma = Cli({"network", "--sigma", "both", Data("krumm/Ghilani16_2_DistanceAngleAzimuth_fix.gkf"), "-"});
        QCOMPARE(badSigma.status, 2);
    }

    void reportAndDrawingAreWritten()
    {
        const QString report = dir.filePath("net.docx"), dxf = dir.filePath("net.dxf");
        const Run run = Cli({"network", "--report", report, "--dxf", dxf, "--relative",
                             Data("krumm/Ghilani16_2_DistanceAngleAzimuth_fix.gkf"), dir.filePath("plane.txt")});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.err.isEmpty(), run.err.constData());
        QVERIFY(ReadFile(report).startsWith("PK"));
        const DxfDocument drawing = ReadDxf(dxf);
        int ellipses = 0, relative = 0;
        for (const DxfEntity &e : drawing.entities)
            if (e.type == DxfType::Ellipse)
                ++(e.layer == QStringLiteral("相对误差椭圆") ? relative : ellipses);
        QCOMPARE(ellipses, 3 + 1); // the points' and the legend's sample
        QCOMPARE(relative, 6 + 1);
        // A report that cannot be written: one message, status 1.
        const Run bad = Cli({"network", "--report", dir.filePath("no/such/dir/r.docx"), Data("network/Ghilani12_6.txt"),
                             dir.filePath("lev.txt")});
        QCOMPARE(bad.status, 1);
        QVERIFY(!bad.err.isEmpty());
    }

    // Every network file under tests/ adjusts in the window as on the command line: the same σ0
    // and the same coordinates, x north and y east in both whatever the file's axes.
    void windowAdjustsEveryFileAsTheCommandLine()
    {
        QStringList files;
        for (const char *folder : {"krumm", "network"}) {
            const QDir dir(Data(QLatin1String(folder)));
            for (const QString &name : dir.entryList({QStringLiteral("*.gkf"), QStringLiteral("*.txt")}, QDir::Files))
                files << dir.filePath(name);
        }
        // GNU Gama's suite, less the files the engine still refuses and the benchmark's railways
        const auto skipped = quorvil::testing::ReadGamaSuiteExceptions(ReadFile(Data("gama/suite.txt")));
        const QDir gama(Data("gama/input"));
        for (const QString &name : gama.entryList({QStringLiteral("*.gkf")}, QDir::Files))
            if (!skipped.count(name.chopped(4).toStdString()))
                files << gama.filePath(name);
        QVERIFY(files.size() >= 25 + 90);
        for (const QString &file : files) {
            const QString out = dir.filePath("every.txt");
            const Run run = Cli({"network", file, out});
            QVERIFY2(run.status == 0, qPrintable(file + QString::fromUtf8(run.err)));
            QMap<QString, QStringList> cli; // point: X, Y, H
            QString sigma0;
            bool points = false;
            for (const QString &line : DecodeText(ReadFile(out)).split(QRegularExpression(QStringLiteral("\r?\n")))) {
                const QStringList f = line.split(u',');
                if (f.value(0) == QStringLiteral("验后单位权中误差"))
                    sigma0 = f.value(1);
                if (points && f.size() > 4)
                    cli[f[0]] = {f[2], f[3], f[4]};
                points = (points && !line.isEmpty()) || line.startsWith(QStringLiteral("点名,状态,X(m)"));
            }

            ScriptedPrompts prompts;
            TFormKZWPC w(nullptr);
            prompts.openAnswers.push_back(file);
            QVERIFY(Press(&w, QStringLiteral("ToolButton1")));
            QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
            QVERIFY2(prompts.errors.isEmpty(), qPrintable(file + prompts.errors.join('\n')));
            const QString summary = w.findChild<QPlainTextEdit *>(QStringLiteral("MemoSummary"))->toPlainText();
            const QString shown = QRegularExpression(QStringLiteral("单位权中误差 σ0：([0-9.]+)")).match(summary).captured(1);
            QVERIFY2(std::fabs(shown.toDouble() - sigma0.toDouble()) <= 0.005 + 1e-9, qPrintable(file + u' ' + shown + u' ' + sigma0));
            const QList<QStringList> rows = Rows(&w, QStringLiteral("StringGridPoints"));
            QVERIFY(!rows.isEmpty());
            for (const QStringList &row : rows) {
                QVERIFY2(cli.contains(row[0]), qPrintable(file + u' ' + row[0]));
                for (int c = 0; c < 3; ++c)
                    if (!row[1 + c].isEmpty())
                        QVERIFY2(std::fabs(row[1 + c].toDouble() - cli[row[0]][c].toDouble()) < 1.5e-4,
                                 qPrintable(file + u' ' + row.join(' ') + u'|' + cli[row[0]].join(' ')));
            }
        }
    }

    void badInputExitsWithOneMessageAndNoOutput()
    {
        struct Case {
            const char *name;
            QByteArray input;
            QString message;
        } cases[] = {
            {"neither format", "P1,100,200\n", QStringLiteral("既不是")},
            {"single direction", QStringLiteral("[已知点]\nA,0,0\nB,0,100\n[方向]\nA,B,0\n").toUtf8(), QStringLiteral("只有一个方向")},
            {"zero distance", QStringLiteral("[已知点]\nA,0,0\nB,0,100\n[距离]\nA,P,0\n").toUtf8(), QStringLiteral("第 5 行: 平距必须大于零")},
            {"zenith angle out of range",
             "<gama-local><network><points-observations><point id=\"A\" x=\"0\" y=\"0\" z=\"0\" fix=\"xyz\"/>\n"
             "<point id=\"B\" adj=\"xyz\"/>\n"
             "<obs from=\"A\"><z-angle to=\"B\" val=\"250\" stdev=\"10\"/></obs></points-observations></network></gama-local>",
             QStringLiteral("第 3 行 <z-angle>: 天顶距 val=\"250\" 超出 0 到 200 gon 的范围")},
        };
        for (const Case &c : cases) {
            const QString in = WriteFile(dir.filePath("bad.txt"), c.input), out = dir.filePath("bad-out.txt"),
                          json = dir.filePath("bad.json");
            QFile::remove(out), QFile::remove(json);
            const Run run = Cli({"network", "--json", json, in, out});
            QVERIFY2(run.status == 1, c.name);
            QVERIFY2(QString::fromUtf8(run.err).contains(c.message), qPrintable(QString::fromUtf8(run.err)));
            QVERIFY2(!QString::fromUtf8(run.err).contains(QStringLiteral("nan")), c.name);
            QVERIFY2(!QFile::exists(out), c.name);
            QVERIFY2(!QFile::exists(json), c.name);
        }
    }
};

QTEST_MAIN(NetworkCliTest)
#include "NetworkCliTest.moc"
