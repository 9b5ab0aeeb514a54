// quorvil-cli gnss run as a program on the sample network (tests/data/gnss): the table, the JSON,
// the report (python-docx) and the drawing (ezdxf, strict) agree with each other; a blunder makes
// --check exit 3 and is named; gama-local <vectors> give the CSV's adjustment; bad input is one
// Chinese message with its line, status 1, nothing written. The numbers themselves are checked in
// tests/core/GnssTest.cpp.
#include "support/WindowTestSupport.h"

#include "io/TextCodec.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

ProgramRun Cli(const QStringList &arguments, const QByteArray &input = {})
{
    return RunProgram(QStringLiteral(QUORVIL_CLI), arguments, input);
}

QString Sample(const QString &name)
{
    return QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/data/gnss/") + name;
}

const char *const DocxTables = R"PY(
import json, sys, docx
d = docx.Document(sys.argv[1])
print(json.dumps({'tables': [[[c.text for c in r.cells] for r in t.rows] for t in d.tables],
                  'body': [p.text for p in d.paragraphs]}, ensure_ascii=False))
)PY";

const char *const DxfSummary = R"PY(
import json, sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()
print(json.dumps({'lines': len(msp.query('LINE')),
                  'ellipses': {l: len(msp.query('ELLIPSE[layer=="%s"]' % l)) for l in ('误差椭圆', '相对误差椭圆')},
                  'texts': [e.dxf.text for e in msp.query('TEXT')]}, ensure_ascii=False))
)PY";

// The sample's baselines with `delta` added to ΔX of the baseline on line `line`.
QByteArray SpoiledSample(int line, double delta)
{
    QStringList lines = QString::fromUtf8(ReadFile(Sample("baselines.csv"))).split('\n');
    QStringList f = lines[line - 1].split(',');
    f[3] = QString::number(f[3].toDouble() + delta, 'f', 5);
    lines[line - 1] = f.join(',');
    return lines.join('\n').toUtf8();
}

} // namespace

class GnssCliTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void tableJsonReportAndDrawingAgree()
    {
        const QString out = dir.filePath("out.txt"), json = dir.filePath("r.json"), report = dir.filePath("r.docx"),
                      dxf = dir.filePath("r.dxf");
        const ProgramRun run = Cli({"gnss", "--known", Sample("known.csv"), "--central-meridian", "117", "--json", json,
                                    "--report", report, "--dxf", dxf, "--check", Sample("baselines.csv"), out});
        QVERIFY2(run.status == 0, run.err.constData());
        const QString printed = QString::fromUtf8(run.out);
        QVERIFY2(printed.contains(QStringLiteral("基线 36 条, 点 12 个; 检验 34 项, 全部合格")), qPrintable(printed));

        const QJsonObject root = QJsonDocument::fromJson(ReadFile(json)).object();
        const QJsonObject summary = root["summary"].toObject();
        QCOMPARE(summary["observations"].toInt(), 108);
        QCOMPARE(summary["dof"].toInt(), 108 - 33);
        QCOMPARE(root["repeated"].toArray().size(), 7);
        QCOMPARE(root["points"].toArray().size(), 12);
        QCOMPARE(root["baselines"].toArray().size(), 36);
        const QString sigma0 = QString::number(summary["sigma0_aposteriori"].toDouble(), 'f', 4);
        QVERIFY2(printed.contains(QStringLiteral("单位权中误差 ") + sigma0), qPrintable(printed));
        // a point of the constrained adjustment: JSON, table and report give the same grid x
        QJsonObject p5;
        for (const QJsonValue &p : root["points"].toArray())
            if (p.toObject()["id"].toString() == QStringLiteral("点5"))
                p5 = p.toObject();
        const QString x = QString::number(p5["x"].toDouble(), 'f', 4);
        const QString table = DecodeText(ReadFile(out));
        QVERIFY2(table.contains(QStringLiteral("点5,待定,") + x + ','), qPrintable(x));
        QVERIFY(!root["constrained"].toObject()["relative_ellipses"].toArray().isEmpty());

        if (!PythonHasModule(QStringLiteral("docx")))
            QSKIP("python3-docx is not installed");
        const QJsonObject docx = RunPythonJson(DocxTables, {report});
        const QJsonArray tables = docx["tables"].toArray();
        QCOMPARE(tables.size(), 8);
        bool found = false;
        for (const QJsonValue &row : tables[5].toArray())
            found = found || (row.toArray()[0].toString() == QStringLiteral("点5") && row.toArray()[2].toString() == x);
        QVERIFY2(found, "the report's constrained coordinates differ from the JSON");
        QCOMPARE(tables[2].toArray().size(), 1 + 27); // heading and the loops of the table

        if (!PythonHasModule(QStringLiteral("ezdxf")))
            QSKIP("python3-ezdxf is not installed");
        const QJsonObject drawing = RunPythonJson(DxfSummary, {dxf});
        QCOMPARE(drawing["lines"].toInt(), 9 + 8 + 12); // sides across, sides along, diagonals
        QCOMPARE(drawing["ellipses"].toObject()[QStringLiteral("误差椭圆")].toInt(), 12 - 4 + 1); // and the legend's sample
        QCOMPARE(drawing["ellipses"].toObject()[QStringLiteral("相对误差椭圆")].toInt(), 29 + 1);
        QVERIFY(drawing["texts"].toArray().contains(QStringLiteral("点5")));
    }

    void blunderFailsTheCheckAndIsNamed()
    {
        // line 18: a diagonal of session 4 (点6→G11... as the file has it), 0.15 m in ΔX
        const QString in = WriteFile(dir.filePath("blunder.csv"), SpoiledSample(18, 0.15));
        const ProgramRun run = Cli({"gnss", "--grade", "二等", "--fix", "G1=-2421598.6,4671737.3,3592303.0", "--check", in,
                                    dir.filePath("blunder.txt")});
        QCOMPARE(run.status, 3);
        const QString printed = QString::fromUtf8(run.out);
        QVERIFY2(printed.contains(QStringLiteral("项超限")), qPrintable(printed));
        QVERIFY2(printed.contains(QStringLiteral("第 18 行)")), qPrintable(printed));
        // the same run without --check succeeds
        QCOMPARE(Cli({"gnss", "--grade", "二等", "--fix", "G1=-2421598.6,4671737.3,3592303.0", in, dir.filePath("b.txt")}).status, 0);
    }

    void gamaVectorsGiveTheCsvAdjustment()
    {
        // the sample's first session as gama-local vectors, covariances in mm²
        const QStringList lines = QString::fromUtf8(ReadFile(Sample("baselines.csv"))).split('\n');
        QString xml = "<?xml version=\"1.0\"?>\n<gama-local><network><points-observations>\n<vectors>\n";
        QString csv;
        double cov[18][18] = {};
        for (int i = 1; i <= 6; ++i) {
            const QStringList f = lines[i].split(',');
            xml += QStringLiteral("<vec from=\"%1\" to=\"%2\" dx=\"%3\" dy=\"%4\" dz=\"%5\"/>\n").arg(f[1], f[2], f[3], f[4], f[5]);
            const double s[3] = {f[6].toDouble() * 1000, f[7].toDouble() * 1000, f[8].toDouble() * 1000};
            const double rho[3][3] = {{1, f[9].toDouble(), f[10].toDouble()}, {f[9].toDouble(), 1, f[11].toDouble()},
                                      {f[10].toDouble(), f[11].toDouble(), 1}};
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    cov[3 * (i - 1) + r][3 * (i - 1) + c] = rho[r][c] * s[r] * s[c];
            csv += lines[i] + '\n';
        }
        // the upper band of width 3, row by row
        xml += QStringLiteral("<cov-mat dim=\"18\" band=\"3\">\n");
        for (int r = 0; r < 18; ++r) {
            QStringList row;
            for (int c = r; c <= std::min(r + 3, 17); ++c)
                row << QString::number(cov[r][c], 'g', 17);
            xml += row.join(' ') + '\n';
        }
        xml += "</cov-mat>\n</vectors>\n</points-observations></network></gama-local>\n";
        const QString gama = WriteFile(dir.filePath("v.gkf"), xml.toUtf8()), plain = WriteFile(dir.filePath("v.csv"), csv.toUtf8());
        const QString fix = "G1=-2421598.6,4671737.3,3592303.0";
        const ProgramRun a = Cli({"gnss", "--fix", fix, "--json", dir.filePath("a.json"), gama, dir.filePath("a.txt")});
        const ProgramRun b = Cli({"gnss", "--fix", fix, "--json", dir.filePath("b.json"), plain, dir.filePath("b.txt")});
        QVERIFY2(a.status == 0, a.err.constData());
        QVERIFY2(b.status == 0, b.err.constData());
        const QJsonObject ja = QJsonDocument::fromJson(ReadFile(dir.filePath("a.json"))).object();
        const QJsonObject jb = QJsonDocument::fromJson(ReadFile(dir.filePath("b.json"))).object();
        QCOMPARE(ja["summary"].toObject()["dof"].toInt(), 9);
        QVERIFY(std::fabs(ja["summary"].toObject()["sigma0_aposteriori"].toDouble() -
                          jb["summary"].toObject()["sigma0_aposteriori"].toDouble()) < 1e-9);
    }

    void badInputExitsWithOneMessageAndNoOutput()
    {
        const QString header = "# 时段,起点,终点,ΔX,ΔY,ΔZ,σΔX,σΔY,σΔZ,ρXY,ρXZ,ρYZ\n";
        struct Case {
            const char *name;
            QString baselines, known;
            QString message;
        } cases[] = {
            {"point to itself", header + "1,A,A,1,2,3,0.003,0.003,0.003,0,0,0\n", {}, "第 2 行: 基线的起点与终点相同 (A)"},
            {"not positive definite", header + "1,A,B,1,2,3,0.003,0.003,0.003,0.9,0.9,-0.9\n", {}, "第 2 行: 基线 A→B 的协方差阵不正定"},
            {"covariance not positive definite", "#协方差\n1,A,B,1,2,3,1e-6,2e-6,0,1e-6,0,1e-6\n", {}, "第 2 行: 基线 A→B 的协方差阵不正定"},
            {"missing component", header + "1,A,B,1,,3,0.003,0.003,0.003,0,0,0\n", {}, "第 2 行: 缺少 ΔY"},
            {"isolated pair", header + "1,A,B,1,2,3,0.003,0.003,0.003,0,0,0\n2,C,D,1,2,3,0.003,0.003,0.003,0,0,0\n", {},
             "第 3 行: 点 C 与网的其余部分没有基线相连"},
            {"known point no baseline reaches", {}, "G1,3819197.5310,536736.1004\nK9,3819000,536000\n",
             "第 2 行: 已知点 K9 没有基线到达"},
        };
        for (const Case &c : cases) {
            const QString in = c.baselines.isEmpty() ? Sample("baselines.csv") : WriteFile(dir.filePath("bad.csv"), c.baselines.toUtf8());
            const QString out = dir.filePath("bad-out.txt"), json = dir.filePath("bad.json");
            QFile::remove(out), QFile::remove(json);
            QStringList args{"gnss", "--json", json, "--fix", "A=-2421598.6,4671737.3,3592303.0"};
            if (!c.known.isEmpty())
                args = QStringList{"gnss", "--json", json, "--known", WriteFile(dir.filePath("k.csv"), c.known.toUtf8()),
                                   "--central-meridian", "117"};
            const ProgramRun run = Cli(args << in << out);
            QVERIFY2(run.status == 1, c.name);
            QVERIFY2(QString::fromUtf8(run.err).contains(c.message), qPrintable(QString::fromUtf8(run.err)));
            QVERIFY2(!QFile::exists(out), c.name);
            QVERIFY2(!QFile::exists(json), c.name);
        }
    }
};

QTEST_MAIN(GnssCliTest)
#include "GnssCliTest.moc"
