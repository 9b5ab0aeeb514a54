// quorvil-cli run as a program: each subcommand on cases the windows' tests know, byte for byte
// the file the window's "数据另存" writes for the same input, bad lines, standard streams, empty
// input, bad options, and a file split over parallel jobs and joined again.
#include "support/DocxReader.h"
#include "support/WindowTestSupport.h"

#include "io/dxf/DxfReader.h"
#include "io/IniFile.h"
#include "io/TextCodec.h"
#include "tools/GCDC/TFormGCDC.h"
#include "tools/GCFH/TFormGCFH.h"
#include "tools/GCNH/TFormGCNH.h"
#include "tools/KZWPC/TFormKZWPC.h"
#include "tools/BJFH/TFormBJFH.h"
#include "tools/GSFS/TFormGSFS.h"
#include "tools/GSZS/TFormGSZS.h"
#include "tools/HXZH/TFormHXZH.h"
#include "tools/PMZH/TFormPMZH.h"
#include "tools/PMZH2/TFormPMZH2.h"
#include "tools/TFH/TFormTFH.h"
#include "tools/TQZH/TFormTQZH.h"
#include "tools/TQdTOd/TFormTQdTOd.h"
#include "tools/TQdTOp/TFormTQdTOp.h"
#include "tools/TQpTOd/TFormTQpTOd.h"
#include "tools/ZBFH/TFormZBFH.h"
#include "tools/ZBHD/TFormZBHD.h"
#include "tools/ZDX/TFormZDX.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

using Run = ProgramRun;

Run Cli(const QStringList &arguments, const QByteArray &input = {})
{
    return RunProgram(QStringLiteral(QUORVIL_CLI), arguments, input);
}

QByteArray Gb(const QString &text) { return EncodeText(text); }

// Points of the forward tool around 117°, one named in Chinese, with a zone-number y for the
// plane tools.
const QString Geodetic = "P1,35,117\r\n点2,35.3015,117.2530\r\nP3,34.5959,116.4512\r\n,,\r\nP5,36.1,117.5\r\n";
const QString Plane = "P1,3878776.946,38773912.254\r\n点2,3915000.125,38800123.5\r\nP3,3870000,38700000\r\nP4,3890000.5,773000.25\r\n";
const QString PlaneH = "P1,3878776.946,38773912.254,10.5\r\n点2,3915000.125,38800123.5,20\r\nP3,3870000,38700000,0\r\n";
const QString GeodeticH = "P1,35,117,10.5\r\n点2,35.3015,117.2530,20\r\nP3,34.5959,116.4512,0\r\n";
// Common points of a local plane system and its new coordinates, spread over ten kilometres.
const QString CommonPlane = "A,3870000,38700000,10,3870050.1,38699970.2,10.3\r\n"
                            "B,3880000,38700000,20,3880050.3,38699969.8,20.2\r\n"
                            "C,3880000,38710000,30,3880049.9,38709970.1,30.4\r\n"
                            "D,3870000,38710000,40,3870049.8,38709970.0,40.1\r\n";
const QString CommonLocal = "A,1000,1000,10,5100.2,2950.1,12\r\nB,2000,1000,20,6100.1,2949.9,22\r\n"
                            "C,2000,2000,30,6099.8,3950.3,32.1\r\nD,1000,2000,40,5100,3950,41.9\r\n";
// Web-map points, longitude first: inside China, in Chinese, outside China, and an empty line.
const QString WebMapPoints = "P1,121.5272106,31.1774276\r\n点2,116.404,39.915\r\n巴黎,2.3522,48.8566\r\n,,\r\n";
const QString WebMapDmsPoints = "P1,121.313795816,31.103873936\r\n点2,116.2414,39.5454\r\n";
const QString LocalPoints = "P1,1500,1500,15\r\n点2,1800.25,1200.5,18\r\nP3,900,2100,0\r\n";

} // namespace

class CliTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompts> prompts;
    QTemporaryDir dir;

    QString file(const QString &name, const QByteArray &bytes) { return WriteFile(dir.filePath(name), bytes); }

private slots:
    // The windows judge by the standard of a settings file of their own, the default one at the
    // start of every case.
    void initTestCase() { SetSettingsFilePath(dir.filePath("Quorvil.ini")); }
    void init()
    {
        QFile::remove(dir.filePath("Quorvil.ini"));
        prompts = std::make_unique<ScriptedPrompts>();
    }
    void cleanup() { prompts.reset(); }

    // Each subcommand on a case whose result the windows' tests know.
    void subcommandsGiveTheWindowsNumbers()
    {
        const QString twoPoint = file("two.txt", "0,0,1000,2000\r\n100,0,1000,2100\r\n10,12.5\r\n");
        const QString shift = file("shift.txt", "A,0,0,0,100,-50,2\r\nB,100,0,0,200,-50,2\r\nC,0,100,5,100,50,7\r\n");
        const QString levelling = file("gcfh.txt", Gb("工程,等级,甲,乙,2026-12-07\r\n1\r\nBM1,100.000\r\nBM2,101.000\r\n"
                                                      "BM1,1.2,0.505\r\nP1,0.8,0.503\r\n"));
        struct Case {
            const char *name;
            QStringList arguments; // before input and output
            QByteArray input;
            QByteArray output;
            QByteArray printed; // a part of standard output
        } cases[] = {
            {"gauss-forward", {"gauss-forward", "--central-meridian", "114"}, "P,35,117\r\n",
             "P,3878776.946,773912.254\r\n", ""},
            {"gauss-inverse, zone number in front",
             {"gauss-inverse", "--ellipsoid", "krassovsky", "--central-meridian", "114"},
             "P,3878776.946,38773912.254\n", "P,35.0000000006,117.0000000007\r\n", ""},
            {"zone-change 114 to 117",
             {"zone-change", "--central-meridian", "114", "--to-central-meridian", "117"},
             "P,3878776.946,38773912.254\r\n", "P,3874661.604,500000.000\r\n", ""},
            {"zone-change 114 to 120",
             {"zone-change", "--central-meridian", "114", "--to-central-meridian", "120"},
             "P,3878776.946,38773912.254\r\n", "P,3878776.946,226087.746\r\n", ""},
            {"compensation from the area",
             {"compensation", "--mean-latitude", "35", "--distance", "50000", "--height", "500"},
             "P,3878776.946,500000\r\n", "", "每公里投影变形=-47.69mm  抵偿面大地高=304  a2=6378549.35085"},
            {"plane, pure shift", {"plane", "--common", shift}, "P,10,20,5\r\n", "P,110.0000,-30.0000,7.0000\r\n",
             "Dx=100.000000  Dy=-50.000000  T(\")=0.0000000000  K=1.0000000000  Dh=2.0000"},
            {"plane, two points", {"plane", "--two-point", twoPoint}, "P,0,100,1\r\n", "P,900.0000,2000.0000,3.5000\r\n",
             "T(dms)=90.0000000000  K=1.000000000000  Dh=2.5000"},
            {"plane, two points, y before x, CASS", {"plane", "--two-point", twoPoint, "--yx", "--cass"}, "P,100,0,1\r\n",
             "P,,2000.0000,900.0000,3.5000\r\n", ""},
            {"datum, identity, geodetic to plane",
             {"datum", "--from", "geodetic", "--to", "plane", "--ellipsoid", "krassovsky", "--central-meridian", "114"},
             "P,35,117,0\r\n", "P,3878776.9458,773912.2542,0.0000\r\n", ""},
            {"webmap wgs84 to gcj02", {"webmap", "--from", "wgs84", "--to", "gcj02"}, "P,121.5272106,31.1774276\r\nQ,2.35,48.85\r\n",
             "P,121.531541859,31.175303984,\r\nQ,2.350000000,48.850000000," + Gb("境外，未偏移") + "\r\n", ""},
            {"adjust levelling", {"adjust", "--type", "levelling"}, ReadFile(levelling), "", "Fh=8mm  线路总长[L]=2"},
        };
        for (const Case &c : cases) {
            const QString in = file("in.txt", c.input), out = dir.filePath("out.txt");
            QFile::remove(out);
            const Run run = Cli(c.arguments + QStringList{in, out});
            QVERIFY2(run.status == 0, c.name + QByteArray(": ") + run.err);
            if (!c.output.isEmpty())
                QVERIFY2(ReadFile(out) == c.output, c.name + QByteArray(": ") + ReadFile(out));
            QVERIFY2(run.out.contains(c.printed), c.name + QByteArray(": ") + run.out);
        }
    }

    // The file a window's "数据另存" writes and the command line's output, for the same input and
    // settings, byte for byte; the estimations' parameter and common-point files too.
    void outputIsByteIdenticalWithTheWindows()
    {
        struct Case {
            const char *name;
            std::function<QWidget *()> make;
            QList<QPair<QString, QString>> fields; // set before anything is pressed
            QString common;                        // common-point file, imported by `commonImport`
            QString commonImport;
            QStringList before;                    // buttons pressed after the common points
            QString pointImport;                   // import button of the points
            QString input;                         // the points, UTF-8
            QString compute, save;
            QStringList arguments;                 // of the command line, before input and output
            QString savedParameters, savedCommon;  // buttons writing the estimation's files
        } cases[] = {
            {"gauss-forward", [] { return new TFormGSZS(nullptr); }, {{"EditLL", "117"}, {"EditYY", "39500000"}}, {}, {}, {},
             "ToolButton3", Geodetic, "ToolButton6", "ToolButton7",
             {"gauss-forward", "--central-meridian", "117", "--y-constant", "39500000"}},
            {"gauss-inverse", [] { return new TFormGSFS(nullptr); }, {{"EditLL", "117"}}, {}, {}, {}, "ToolButton3", Plane,
             "ToolButton6", "ToolButton7", {"gauss-inverse", "--central-meridian", "117"}},
            {"zone-change", [] { return new TFormZBHD(nullptr); }, {{"EditLL", "117"}, {"EditLL2", "114.3"}, {"EditYY2", "38500000"}},
             {}, {}, {}, "ToolButton3", Plane, "ToolButton6", "ToolButton7",
             {"zone-change", "--central-meridian", "117", "--to-central-meridian", "114.3", "--to-y-constant", "38500000"}},
            {"compensation", [] { return new TFormGCDC(nullptr); },
             {{"EditYY1", "38500000"}, {"EditXm", "35.1"}, {"EditYm", "27000"}, {"EditHm", "812.5"}, {"EditDh", "-3"}}, {}, {},
             {"Button2", "Button1"}, "ToolButton3", Plane, "ToolButton6", "ToolButton7",
             {"compensation", "--y-constant", "38500000", "--mean-latitude", "35.1", "--distance", "27000", "--height", "812.5",
              "--height-anomaly", "-3"}},
            {"datum plane to plane, estimated", [] { return new TFormTQZH(nullptr); }, {{"EditLL1", "117"}}, CommonPlane,
             "ToolButton10", {"ToolButton13"}, "ToolButton3", PlaneH, "ToolButton6", "ToolButton7",
             {"datum", "--from", "plane", "--to", "plane", "--central-meridian", "117"}, "ToolButton14", "ToolButton16"},
            {"datum geodetic to plane", [] { return new TFormTQdTOp(nullptr); }, {{"EditLL1", "117"}, {"EditDh2", "2.5"}}, {},
             {}, {}, "ToolButton3", GeodeticH, "ToolButton6", "ToolButton7",
             {"datum", "--from", "geodetic", "--to", "plane", "--central-meridian", "117", "--to-height-anomaly", "2.5"}},
            {"datum plane to geodetic", [] { return new TFormTQpTOd(nullptr); }, {{"EditLL1", "117"}}, {}, {}, {},
             "ToolButton3", PlaneH, "ToolButton6", "ToolButton7",
             {"datum", "--from", "plane", "--to", "geodetic", "--central-meridian", "117"}},
            {"datum geodetic to geodetic", [] { return new TFormTQdTOd(nullptr); }, {{"EditLL1", "117"}}, {}, {}, {},
             "ToolButton3", GeodeticH, "ToolButton6", "ToolButton7",
             {"datum", "--from", "geodetic", "--to", "geodetic", "--central-meridian", "117"}},
            {"webmap bd09 to wgs84", [] { return new TFormHXZH(nullptr); },
             {{"ComboFrom", "BD-09"}, {"ComboTo", "WGS84/CGCS2000"}}, {}, {}, {}, "ToolButton3", WebMapPoints, "ToolButton6",
             "ToolButton7", {"webmap", "--from", "bd09", "--to", "wgs84"}},
            {"webmap wgs84 to gcj02, ddd.mmss", [] { return new TFormHXZH(nullptr); },
             {{"ComboFrom", "WGS84/CGCS2000"}, {"ComboTo", "GCJ-02"}, {"CheckDms", "on"}}, {}, {}, {}, "ToolButton3",
             WebMapDmsPoints, "ToolButton6", "ToolButton7", {"webmap", "--from", "wgs84", "--to", "gcj02", "--dms"}},
            {"plane, estimated", [] { return new TFormPMZH2(nullptr); }, {}, CommonLocal, "ToolButton3", {"ToolButton6"},
             "ToolButton11", LocalPoints, "ToolButton7", "ToolButton8", {"plane"}, "ToolButton15", "ToolButton14"},
        };
        for (const Case &c : cases) {
            std::unique_ptr<QWidget> w(c.make());
            for (const auto &[name, text] : c.fields)
                SetField(w.get(), name, text);
            QStringList arguments = c.arguments;
            if (!c.common.isEmpty()) {
                const QString common = file("common.txt", c.common.toUtf8());
                prompts->openAnswers.push_back(common);
                QVERIFY2(Press(w.get(), c.commonImport), c.name);
                arguments << "--common" << common;
            }
            for (const QString &button : c.before)
                QVERIFY2(Press(w.get(), button), c.name);
            const QString input = file("points.txt", c.input.toUtf8());
            prompts->openAnswers.push_back(input);
            QVERIFY2(Press(w.get(), c.pointImport), c.name);
            QVERIFY2(Press(w.get(), c.compute), c.name);
            const QString windowFile = dir.filePath("window.txt"), cliFile = dir.filePath("cli.txt");
            QFile::remove(windowFile);
            prompts->saveAnswers.push_back(windowFile);
            QVERIFY2(Press(w.get(), c.save), c.name);
            QVERIFY2(prompts->errors.isEmpty(), c.name + QByteArray(": ") + prompts->errors.join('\n').toUtf8());

            auto compareFile = [&](const QString &button, const QString &option) {
                if (button.isEmpty())
                    return;
                const QString windowSide = dir.filePath(button + ".txt");
                QFile::remove(windowSide);
                prompts->saveAnswers.push_back(windowSide);
                QVERIFY2(Press(w.get(), button), c.name);
                arguments << option << dir.filePath(option.mid(2) + ".txt");
                return;
            };
            compareFile(c.savedParameters, "--save-parameters");
            compareFile(c.savedCommon, "--residuals");

            QFile::remove(cliFile);
            const Run run = Cli(arguments + QStringList{input, cliFile});
            QVERIFY2(run.status == 0, c.name + QByteArray(": ") + run.err);
            const QByteArray saved = ReadFile(windowFile);
            QVERIFY2(!saved.isEmpty() && saved.contains(Gb("点2")), c.name);
            QVERIFY2(ReadFile(cliFile) == saved, c.name + QByteArray("\nwindow:\n") + saved + "command line:\n" + ReadFile(cliFile));
            if (!c.savedParameters.isEmpty()) {
                QVERIFY2(ReadFile(dir.filePath("save-parameters.txt")) == ReadFile(dir.filePath(c.savedParameters + ".txt")),
                         c.name);
                QVERIFY2(ReadFile(dir.filePath("residuals.txt")) == ReadFile(dir.filePath(c.savedCommon + ".txt")), c.name);
            }
        }
    }

    // GNSS高程拟合: the converted points byte for byte as the window's "数据另存" writes them, the
    // summary as the window's report shows it; a bad common point stops with its message.
    void heightFitMatchesTheWindow()
    {
        const QString data = QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/data/height-fit/");
        const QString common = data + "common.txt";
        // The sample's points and one with a Chinese name, the whole file in GB18030.
        const QString points = file("gnss.txt", Gb(DecodeText(ReadFile(data + "points.txt")) + "点2,4430000,449000,70.5\r\n"));
        const struct {
            const char *model;
            int item;
            QString limit;
        } cases[] = {{"constant", 0, ""}, {"plane", 1, "20"}, {"quadratic", 2, "4.5"}};
        for (const auto &c : cases) {
            TFormGCNH w(nullptr);
            prompts->openAnswers = {common, points};
            QVERIFY(Press(&w, "ToolButton3") && Press(&w, "ToolButton11"));
            w.findChild<QComboBox *>("ComboModel")->setCurrentIndex(c.item);
            SetField(&w, "EditLimit", c.limit);
            QVERIFY(Press(&w, "ToolButton6"));
            const QString windowFile = dir.filePath("window.txt"), cliFile = dir.filePath("cli.txt");
            QFile::remove(windowFile);
            prompts->saveAnswers.push_back(windowFile);
            QVERIFY(Press(&w, "ToolButton7"));
            QVERIFY2(prompts->errors.isEmpty(), qPrintable(prompts->errors.join('\n')));
            QStringList arguments = {"height-fit", "--model", c.model, "--common", common};
            if (!c.limit.isEmpty())
                arguments << "--limit" << c.limit;
            QFile::remove(cliFile);
            const Run run = Cli(arguments + QStringList{points, cliFile});
            QVERIFY2(run.status == 0, c.model + QByteArray(": ") + run.err);
            const QByteArray saved = ReadFile(windowFile);
            QVERIFY2(saved.contains(Gb("点2")) && saved.contains(Gb("外推")), c.model);
            QVERIFY2(ReadFile(cliFile) == saved, c.model + QByteArray("\nwindow:\n") + saved + "command line:\n" + ReadFile(cliFile));
            const QByteArray summary = (Text(&w, "MemoSummary") + "\n").toUtf8();
            QCOMPARE(run.out, summary);
            // Points to standard output: the summary goes to standard error.
            const Run piped = Cli(arguments + QStringList{"-", "-"}, ReadFile(points));
            QCOMPARE(piped.status, 0);
            QCOMPARE(piped.out, saved);
            QCOMPARE(piped.err, summary);
        }
        const QString duplicate = file("duplicate.txt", ReadFile(common) + "G01,4411733.4086,432813.1119,35.3317,45.5545,检核\r\n");
        QFile::remove(dir.filePath("none.txt"));
        const Run bad = Cli({"height-fit", "--model", "plane", "--common", duplicate, points, dir.filePath("none.txt")});
        QCOMPARE(bad.status, 1);
        QVERIFY2(bad.err.contains("公共点点名重复：G01（第 1 行与第 18 行）！"), bad.err);
        QVERIFY(!QFile::exists(dir.filePath("none.txt")));
        QVERIFY(bad.out.isEmpty());
    }

    // The two-point window: common-point file, "计算参数", import with Y before X, convert, the
    // plain and the CASS file.
    void twoPointTransformationMatchesTheWindow()
    {
        const QString common = file("pmzh.txt", "1000,2000,51000.5,32000.25\r\n1500,2600,51499.9,32600.8\r\n10,12.5\r\n");
        const QString input = file("pmzh-points.txt", Gb("P1,2100,1100,5\r\n点2,2500.5,1700.25,7\r\nP3\r\n"));
        for (const bool cass : {false, true}) {
            TFormPMZH w(nullptr);
            prompts->openAnswers.push_back(common);
            QVERIFY(Press(&w, "Button4"));
            QVERIFY(Press(&w, "Button6"));
            w.findChild<QRadioButton *>("RadioButton2")->setChecked(true);
            prompts->openAnswers.push_back(input);
            QVERIFY(Press(&w, "ToolButton3"));
            QVERIFY(Press(&w, "ToolButton6"));
            const QString windowFile = dir.filePath("pmzh-window.txt"), cliFile = dir.filePath("pmzh-cli.txt");
            prompts->saveAnswers.push_back(windowFile);
            QFile::remove(windowFile);
            QVERIFY(Press(&w, cass ? "ToolButton8" : "ToolButton7"));
            QStringList arguments = {"plane", "--two-point", common, "--yx"};
            if (cass)
                arguments << "--cass";
            const Run run = Cli(arguments + QStringList{input, cliFile});
            QVERIFY2(run.status == 0, run.err);
            QCOMPARE(ReadFile(cliFile), ReadFile(windowFile));
        }
    }

    // The adjusted table and the summary line read as the window shows them after "计算".
    void adjustmentsMatchTheWindows()
    {
        struct Case {
            const char *type;
            std::function<TraverseWindow *()> make;
            QByteArray data;
        } cases[] = {
            {"levelling", [] { return new TFormGCFH(nullptr); },
             "h,g,a,b,d\r\n2\r\nBM1,100.000\r\nBM2,101.000\r\nBM1,1.2,0.505\r\nP1,0.8,0.503\r\nP2,0.5,-0.01\r\n"},
            {"connecting", [] { return new TFormBJFH(nullptr); },
             "h,g,a,b,d\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\nC,5100,5300\r\nD,5000,5400\r\nB,135.0006,141.425\r\n"
             "P1,225.0000,100.002\r\nC,224.5957,\r\n"},
            {"open", [] { return new TFormZDX(nullptr); },
             "h,g,a,b,d\r\n2\r\nA,5000,5000\r\nB,5000,5100\r\nB,90,100\r\nP1,270,50\r\nP2,,\r\n"},
            {"coord-connecting", [] { return new TFormZBFH(nullptr); },
             "h,g,a,b,d\r\n1\r\nA,1000,1000,10\r\nB,1000,1100,11\r\nC,1100,1100,12\r\nD,1200,1100,13\r\n"
             "P1,1050.003,1099.996,11.5\r\nC,1100.004,1099.997,12.004\r\nD,1200.004,1099.994,13.004\r\n"},
        };
        for (const Case &c : cases) {
            const QString data = file(QString("adjust-%1.txt").arg(c.type), c.data), out = dir.filePath("adjusted.txt");
            std::unique_ptr<TraverseWindow> w(c.make());
            prompts->openAnswers.push_back(data);
            QVERIFY2(Press(w.get(), "ToolButton3"), c.type);
            QVERIFY2(Press(w.get(), "ToolButton6"), c.type);
            QVERIFY2(prompts->errors.isEmpty(), c.type + QByteArray(": ") + prompts->errors.join('\n').toUtf8());
            QStringList lines, labels;
            for (const QStringList &row : Rows(w.get(), "StringGrid1"))
                lines += row.join(',') + "\r\n";
            const QStringList order = {"LabFB", "LabVB", "LabFx", "LabFy", "LabFs", "LabK", "LabFh", "LabL", "LabES"};
            for (const QString &name : order)
                if (auto *label = w->findChild<QLabel *>(name))
                    labels += label->text();
            const QString summary = labels.isEmpty() ? QString() : labels.join("  ") + "\n" + LimitLineOf(w.get(), "  ") + "\n";
            const Run run = Cli({"adjust", "--type", c.type, data, out});
            QVERIFY2(run.status == 0, c.type + QByteArray(": ") + run.err);
            QCOMPARE(ReadFile(out), Gb(lines.join(QString())));
            QCOMPARE(QString::fromUtf8(run.out), summary);
            // From standard input to standard output: the summary goes to standard error.
            const Run piped = Cli({"adjust", "--type", c.type, "-", "-"}, c.data);
            QCOMPARE(piped.status, 0);
            QCOMPARE(piped.out, Gb(lines.join(QString())));
            QCOMPARE(QString::fromUtf8(piped.err), summary);
        }
    }

    // "--report" writes the report "Word报表" of the window writes for the same data file: the same
    // paragraphs and table cells, read back by python-docx.
    void reportsMatchTheWindows()
    {
        if (!DocxReaderAvailable())
            QSKIP(DocxReaderMissing);
        struct Case {
            const char *type;
            std::function<TraverseWindow *()> make;
            QByteArray data;
        } cases[] = {
            {"connecting", [] { return new TFormBJFH(nullptr); },
             Gb("某工程,一级,张三,李四,2026-12-07\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\nC,5100,5300\r\nD,5000,5400\r\n"
                "B,135.0006,141.425\r\nP1,225.0000,100.002\r\nC,224.5957,\r\n")},
            {"levelling", [] { return new TFormGCFH(nullptr); },
             Gb("某工程,四等,张三,李四,2026-12-07\r\n2\r\nBM1,100.000\r\nBM2,101.000\r\nBM1,1.2,0.505\r\n"
                "P1,0.8,0.503\r\nP2,0.5,-0.01\r\n")},
            {"coord-connecting", [] { return new TFormZBFH(nullptr); },
             Gb("某工程,图根,张三,李四,2026-12-07\r\n1\r\nA,1000,1000,10\r\nB,1000,1100,11\r\nC,1100,1100,12\r\n"
                "D,1200,1100,13\r\nP1,1050.003,1099.996,11.5\r\nC,1100.004,1099.997,12.004\r\nD,1200.004,1099.994,13.004\r\n")},
        };
        for (const Case &c : cases) {
            const QString data = file(QString("report-%1.txt").arg(c.type), c.data);
            const QString windowReport = dir.filePath(QString("window-%1.docx").arg(c.type));
            const QString cliReport = dir.filePath(QString("cli-%1.docx").arg(c.type));
            std::unique_ptr<TraverseWindow> w(c.make());
            prompts->openAnswers.push_back(data);
            QVERIFY2(Press(w.get(), "ToolButton3"), c.type);
            prompts->saveAnswers.push_back(windowReport);
            QVERIFY2(Press(w.get(), "ToolButton8"), c.type);
            QVERIFY2(prompts->errors.isEmpty(), c.type + QByteArray(": ") + prompts->errors.join('\n').toUtf8());
            const Run run = Cli({"adjust", "--type", c.type, "--report", cliReport, data, dir.filePath("table.txt")});
            QVERIFY2(run.status == 0, c.type + QByteArray(": ") + run.err);
            const DocxContents fromWindow = ReadDocx(windowReport), fromCli = ReadDocx(cliReport);
            QVERIFY2(fromWindow.error.isEmpty() && fromCli.error.isEmpty(), qPrintable(fromWindow.error + fromCli.error));
            QVERIFY2(fromWindow.rowCount() > 3, c.type);
            QVERIFY2(fromCli.json == fromWindow.json, c.type);
        }
    }

    // One data file: the window's line of limits, its report and the command line show the same
    // verdicts, under either standard; --check turns a closure over its limit into status 3, and
    // the table and the report are written all the same.
    void limitsAgreeInTheWindowTheReportAndTheCommandLine()
    {
        if (!DocxReaderAvailable())
            QSKIP(DocxReaderMissing);
        struct Case {
            const char *type;
            std::function<TraverseWindow *()> make;
            QByteArray data;
            const char *standard;
            QString verdicts; // the command line's line of limits
            int checked;      // the status with --check
        } cases[] = {
            {"connecting", [] { return new TFormBJFH(nullptr); },
             Gb("某工程,三等导线,张三,李四,2026-12-07\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\nC,5100,5300\r\n"
                "D,5000,5400\r\nB,135.0006,141.425\r\nP1,225.0000,100.002\r\nC,224.5957,\r\n"),
             "gb50026", "限差依据 GB 50026-2020：fβ=3″ 限差±6.24″ 合格  K=1/33415 限差1/55000 超限", 3},
            {"connecting", [] { return new TFormBJFH(nullptr); },
             Gb("某工程,1级,张三,李四,2026-12-07\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\nC,5100,5300\r\n"
                "D,5000,5400\r\nB,135.0006,141.425\r\nP1,225.0000,100.002\r\nC,224.5957,\r\n"),
             "cjj8", "限差依据 CJJ/T 8-2011：fβ=3″ 限差±17.32″ 合格  K=1/33415 限差1/14000 合格", 0},
            {"levelling", [] { return new TFormGCFH(nullptr); },
             Gb("某工程,四等,张三,李四,2026-12-07\r\n1\r\nBM1,100.000\r\nBM2,101.000\r\nBM1,1.2,0.505\r\n"
                "P1,0.8,0.503\r\n"),
             "gb50026", "限差依据 GB 50026-2020：fh=8mm 限差±28mm 合格", 0},
            {"coord-connecting", [] { return new TFormZBFH(nullptr); },
             Gb("某工程,五级,张三,李四,2026-12-07\r\n1\r\nA,1000,1000,10\r\nB,1000,1100,11\r\nC,1100,1100,12\r\n"
                "D,1200,1100,13\r\nP1,1050.003,1099.996,11.5\r\nC,1100.004,1099.997,12.004\r\n"
                "D,1200.004,1099.994,13.004\r\n"),
             "cjj8", "限差依据 CJJ/T 8-2011：等级“五级”无限差", 0},
        };
        int n = 0;
        for (const Case &c : cases) {
            const QString name = QString("%1 %2").arg(c.type, c.standard);
            const QString data = file(QString("limits-%1.txt").arg(n), c.data);
            const QString windowReport = dir.filePath(QString("limits-window-%1.docx").arg(n));
            const QString cliReport = dir.filePath(QString("limits-cli-%1.docx").arg(n));
            const QString table = dir.filePath(QString("limits-table-%1.txt").arg(n));
            ++n;
            std::unique_ptr<TraverseWindow> w(c.make());
            w->findChild<QComboBox *>("ComboStandard")->setCurrentText(c.standard == QString("cjj8") ? "CJJ/T 8-2011" : "GB 50026-2020");
            prompts->openAnswers.push_back(data);
            QVERIFY2(Press(w.get(), "ToolButton3"), qPrintable(name));
            prompts->saveAnswers.push_back(windowReport);
            QVERIFY2(Press(w.get(), "ToolButton8"), qPrintable(name));
            QVERIFY2(prompts->errors.isEmpty(), qPrintable(name + ": " + prompts->errors.join('\n')));
            QCOMPARE(LimitLineOf(w.get(), "  "), c.verdicts);

            const Run run = Cli({"adjust", "--type", c.type, "--standard", c.standard, "--check", "--report", cliReport,
                                 data, table});
            QVERIFY2(run.status == c.checked, qPrintable(name + ": " + QString::number(run.status) + " " + run.err));
            QCOMPARE(QString::fromUtf8(run.out).split('\n').value(1), c.verdicts);
            QVERIFY2(QFile::exists(table), qPrintable(name));
            QCOMPARE(Cli({"adjust", "--type", c.type, "--standard", c.standard, data, table}).status, 0);

            // The report under the summary line: the same verdicts, four blanks apart.
            const DocxContents fromWindow = ReadDocx(windowReport), fromCli = ReadDocx(cliReport);
            QVERIFY2(fromWindow.error.isEmpty() && fromCli.error.isEmpty(), qPrintable(fromWindow.error + fromCli.error));
            QVERIFY2(fromCli.json == fromWindow.json, qPrintable(name));
            const QString summary = fromWindow.text(fromWindow.rowCount(), 2);
            QCOMPARE(summary.section('\n', 1), QString(c.verdicts).replace("  ", "    "));
        }
        // The settings file keeps what the window chose last; the command line goes by its option.
        QCOMPARE(IniFile(dir.filePath("Quorvil.ini")).readString("Limits", "Standard", ""), QString("cjj8"));
    }

    // A traverse file whose count disagrees with its stations: refused with the line and both
    // numbers, status 1, neither table nor report written.
    void aFileThatDisagreesWithItselfIsRefused()
    {
        const QString data = file("seven.txt", Gb("某工程,一级,张三,李四,2026-12-07\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\n"
                                                  "C,5100,5300\r\nD,5000,5400\r\nB,135.0006,141.425\r\n"
                                                  "P1,225.0000,100.002\r\nP2,180,100\r\nP3,180,100\r\nP4,180,100\r\n"
                                                  "P5,180,100\r\nC,224.5957,\r\n"));
        const QString out = dir.filePath("seven-out.txt"), report = dir.filePath("seven.docx");
        QFile::remove(out);
        const Run run = Cli({"adjust", "--type", "connecting", "--check", "--report", report, data, out});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("第 2 行: 新点个数为 1，但文件中有 7 个测站行"), run.err);
        QCOMPARE(run.out, QByteArray());
        QVERIFY(!QFile::exists(out));
        QVERIFY(!QFile::exists(report));
    }

    // "network --report" and "--dxf" write the control network window's report tables and drawing.
    void networkReportAndDrawingMatchTheWindow()
    {
        if (!DocxReaderAvailable())
            QSKIP(DocxReaderMissing);
        const QString gkf = QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/krumm/Ghilani16_2_blunder.gkf");
        TFormKZWPC w(nullptr);
        prompts->openAnswers.push_back(gkf);
        QVERIFY(Press(&w, "ToolButton1"));
        const QString windowReport = dir.filePath("window-network.docx"), cliReport = dir.filePath("cli-network.docx");
        prompts->saveAnswers.push_back(windowReport);
        QVERIFY(Press(&w, "ToolButton5"));
        QVERIFY2(prompts->errors.isEmpty(), qPrintable(prompts->errors.join('\n')));
        const QString scale = QString::number(w.findChild<QSpinBox *>("SpinScale")->value());
        const QString dxf = dir.filePath("network.dxf");
        const Run run = Cli({"network", "--report", cliReport, "--dxf", dxf, "--ellipse-scale", scale, gkf, dir.filePath("net.txt")});
        QVERIFY2(run.status == 0, run.err);
        const DocxContents fromWindow = ReadDocx(windowReport), fromCli = ReadDocx(cliReport);
        QVERIFY2(fromWindow.error.isEmpty() && fromCli.error.isEmpty(), qPrintable(fromWindow.error + fromCli.error));
        QVERIFY(fromWindow.rowCount() > 10);
        QCOMPARE(fromCli.json.value("table"), fromWindow.json.value("table"));
        QCOMPARE(fromCli.json.value("tables"), fromWindow.json.value("tables"));

        const DxfDocument drawn = ReadDxf(dxf);
        const DxfDocument &shown = w.drawing();
        QCOMPARE(drawn.entities.size(), shown.entities.size());
        for (size_t i = 0; i < shown.entities.size(); ++i) {
            const DxfEntity &a = drawn.entities[i], &b = shown.entities[i];
            // Where an entity is: its first vertex for a polyline, else its point and second point.
            const auto at = [](const DxfEntity &e) {
                return e.type == DxfType::Polyline ? DxfVec{e.vertices.at(0).x, e.vertices.at(0).y, 0} : e.p;
            };
            QVERIFY2(a.type == b.type && a.layer == b.layer && std::fabs(at(a).x - at(b).x) < 1e-6
                         && std::fabs(at(a).y - at(b).y) < 1e-6 && std::fabs(a.q.x - b.q.x) < 1e-6
                         && std::fabs(a.ratio - b.ratio) < 1e-9 && a.text == b.text,
                     qPrintable(QString::number(i)));
        }
    }

    // Sheet numbers and their neighbours as the map-sheet window shows them, from longitude and
    // latitude and from plane coordinates, in both numberings; the window's own examples.
    void sheetsMatchTheWindow()
    {
        QCOMPARE(Cli({"sheet", "-", "-"}, "P,114,34\r\n").out, QByteArray("P,I50G048001\r\n"));
        QCOMPARE(Cli({"sheet", "--numbering", "old", "-", "-"}, "P,114,34\r\n").out, QByteArray("P,I-50-61-(57)\r\n"));
        QCOMPARE(Cli({"sheet", "--from", "sheet", "-", "-"}, "S,J-50-133-(12)\r\n").out, QByteArray("S,J50G090004\r\n"));
        QCOMPARE(Cli({"sheet", "--from", "sheet", "--input-numbering", "new", "--numbering", "old", "-", "-"},
                     "S,J50G090004\r\n")
                     .out,
                 QByteArray("S,J-50-133-(12)\r\n"));
        struct Case {
            const char *from;
            QString first, second; // E, N or X, Y
        } cases[] = {{"geodetic", "116.2315", "39.5412"}, {"geodetic", "87.3712", "43.4801"},
                     {"plane", "3763000.5", "38512345.678"}, {"plane", "4420000", "39460000"}};
        const QStringList sheetFields = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9"};
        for (const Case &c : cases)
            for (const bool isNew : {true, false}) {
                TFormTFH w(nullptr);
                w.findChild<QRadioButton *>(isNew ? "RadioButton1" : "RadioButton2")->setChecked(true);
                const bool plane = QByteArray(c.from) == "plane";
                if (plane) {
                    w.findChild<QComboBox *>("ComboBox1")->setCurrentIndex(0);
                    w.findChild<QComboBox *>("ComboBox2")->setCurrentIndex(0);
                    SetField(&w, "EditXX", "0");
                    SetField(&w, "EditYY", "0");
                    SetField(&w, "EditX", c.first);
                    SetField(&w, "EditY", c.second);
                } else {
                    SetField(&w, "EditE", c.first);
                    SetField(&w, "EditN", c.second);
                }
                QVERIFY(Press(&w, plane ? "Button2" : "Button4"));
                QVERIFY2(prompts->errors.isEmpty(), qPrintable(prompts->errors.join('\n')));
                const Run run = Cli({"sheet", "--from", c.from, "--numbering", isNew ? "new" : "old", "--neighbours", "-", "-"},
                                    ("P," + c.first + "," + c.second + "\r\n").toUtf8());
                QVERIFY2(run.status == 0, run.err);
                QCOMPARE(QString::fromUtf8(run.out), "P," + Fields(&w, sheetFields).join(',') + "\r\n");
            }
    }

    // A bad line stops the run with its number and message, exit status 1, no output file; an
    // old output file stays whole. With --keep-going the good rows are written. The line is found
    // across the blocks the work is cut into.
    void badLineStopsWithoutOutput()
    {
        for (const int lines : {30, 120000}) {
            const int bad = lines == 30 ? 12 : 98765;
            QByteArray text;
            for (int i = 1; i <= lines; ++i)
                text += i == bad ? QByteArray("P,abc,117\r\n") : "P" + QByteArray::number(i) + ",35.1,117.2\r\n";
            const QString in = file("bad.txt", text);
            const QString out = file("old.txt", "old output\r\n");
            const Run run = Cli({"gauss-forward", in, out});
            QCOMPARE(run.status, 1);
            QCOMPARE(QString::fromUtf8(run.err).trimmed(),
                     QString("第 %1 行: 'abc' is not a valid floating point value").arg(bad));
            QCOMPARE(ReadFile(out), QByteArray("old output\r\n"));
            const QString fresh = dir.filePath("fresh.txt");
            QCOMPARE(Cli({"gauss-forward", in, fresh}).status, 1);
            QVERIFY(!QFile::exists(fresh));
            QCOMPARE(QDir(dir.path()).entryList({"*.txt.*", "*~*"}, QDir::Files), QStringList());

            const Run going = Cli({"gauss-forward", "--keep-going", in, out});
            QCOMPARE(going.status, 1);
            QVERIFY(going.err.contains("第 " + QByteArray::number(bad) + " 行: 'abc'"));
            QCOMPARE(ReadFile(out).count("\r\n"), lines - 1);
        }
        // The web-map subcommand follows the same rules.
        const QString webmapIn = file("webmap-bad.txt", "P,121.5,31.2\r\nQ,abc,31\r\nR,121.5,31.2\r\n");
        const Run webmap = Cli({"webmap", "--from", "gcj02", "--to", "bd09", "--keep-going", webmapIn, "-"});
        QCOMPARE(webmap.status, 1);
        QVERIFY2(webmap.err.contains("第 2 行: 'abc'"), webmap.err);
        QCOMPARE(webmap.out.count("\r\n"), 2);
        QCOMPARE(Cli({"webmap", "--from", "gcj02", "--to", "bd09", webmapIn, "-"}).out, QByteArray());
        // A floating-point fault stops the run too: an ellipsoid of empty axes divides by zero.
        const Run fault = Cli({"gauss-forward", "--a", "0", "--b", "0", file("one.txt", "P,1,2\r\n"), "-"});
        QCOMPARE(fault.status, 1);
        QVERIFY2(fault.err.contains("loating point"), fault.err);
        QCOMPARE(fault.out, QByteArray());
    }

    // Standard input to standard output, the same bytes as from and to files, at any thread count
    // and in either input encoding.
    void streamsEncodingsAndThreads()
    {
        QByteArray text;
        for (int i = 0; i < 50000; ++i)
            text += (i % 7 ? QByteArray("P") : Gb("点")) + QByteArray::number(i) + "," + QByteArray::number(30 + i % 20) +
                    ".1234," + QByteArray::number(114 + i % 5) + ".5\r\n";
        const QString gbFile = file("gb.txt", text);
        const QString reference = dir.filePath("reference.txt");
        QCOMPARE(Cli({"gauss-forward", "--threads", "1", "--central-meridian", "114", gbFile, reference}).status, 0);
        const QByteArray expected = ReadFile(reference);
        QCOMPARE(expected.count("\r\n"), 50000);

        const QByteArray utf8 = "\xEF\xBB\xBF" + DecodeText(text).toUtf8();
        const Run piped = Cli({"gauss-forward", "--central-meridian", "114", "-", "-"}, text);
        QCOMPARE(piped.status, 0);
        QVERIFY(piped.out == expected);
        const Run utf8Piped = Cli({"gauss-forward", "--central-meridian", "114", "-", "-"}, utf8);
        QVERIFY(utf8Piped.out == expected);
        const QString utf8Out = dir.filePath("utf8-out.txt");
        QCOMPARE(Cli({"gauss-forward", "--threads", "3", "--central-meridian", "114", file("utf8.txt", utf8), utf8Out}).status, 0);
        QVERIFY(ReadFile(utf8Out) == expected);
    }

    void emptyInputGivesEmptyOutput()
    {
        const QString out = dir.filePath("empty-out.txt");
        QFile::remove(out);
        const Run run = Cli({"gauss-inverse", file("empty.txt", ""), out});
        QCOMPARE(run.status, 0);
        QVERIFY(QFile::exists(out));
        QCOMPARE(ReadFile(out), QByteArray());
        const Run piped = Cli({"datum", "--from", "plane", "--to", "geodetic", "-", "-"});
        QCOMPARE(piped.status, 0);
        QCOMPARE(piped.out, QByteArray());
    }

    void badOptionsExitWithTheUsage()
    {
        const QString in = file("ok.txt", "P,35,117\r\n");
        const QList<QStringList> cases = {
            {},
            {"no-such-command", in, "-"},
            {"gauss-forward", "--no-such-option", in, "-"},
            {"gauss-forward", in},
            {"gauss-forward", "--ellipsoid", "bessel", in, "-"},
            {"gauss-forward", "--a", "6378245", in, "-"},
            {"gauss-forward", "--central-meridian", "abc", in, "-"},
            {"zone-change", "--to-y-constant", "", in, "-"},
            {"datum", "--from", "plane", in, "-"},
            {"plane", in, "-"},
            {"plane", "--common", in, "--cass", in, "-"},
            {"adjust", "--type", "closed", in, "-"},
            {"adjust", "--type", "connecting", "--standard", "gb50026-2007", in, "-"},
            {"adjust", "--type", "levelling", "--weights", "miles", in, "-"},
            {"gauss-forward", "--threads", "0", in, "-"},
            {"sheet", "--zone-width", "5", in, "-"},
            {"webmap", "--from", "wgs84", in, "-"},
            {"webmap", "--from", "wgs84", "--to", "gcj-02", in, "-"},
            {"height-fit", "--common", in, in, "-"},
            {"height-fit", "--model", "cubic", "--common", in, in, "-"},
            {"height-fit", "--model", "plane", in, "-"},
            {"height-fit", "--model", "plane", "--common", in, "--limit", "-5", in, "-"},
        };
        for (const QStringList &arguments : cases) {
            const Run run = Cli(arguments);
            QVERIFY2(run.status == 2, qPrintable(arguments.join(' ')));
            QVERIFY2(run.err.contains("用法"), qPrintable(arguments.join(' ') + "\n" + run.err));
            QVERIFY2(run.out.isEmpty(), qPrintable(arguments.join(' ')));
        }
        for (const QStringList &help : QList<QStringList>{{"--help"}, {"datum", "--help"}, {"--version"}}) {
            const Run run = Cli(help);
            QCOMPARE(run.status, 0);
            QVERIFY(!run.out.isEmpty());
        }
        QVERIFY(Cli({"adjust", "--help"}).out.contains("--type"));
    }

    // A huge file split over several jobs with GNU parallel (as over several machines) and
    // joined again gives the bytes of a single run.
    void splitOverParallelJobsJoinsToTheSameBytes()
    {
        const QString parallel = QStandardPaths::findExecutable("parallel");
        if (parallel.isEmpty())
            QSKIP("GNU parallel is not installed");
        QByteArray text;
        for (int i = 0; i < 60000; ++i)
            text += (i % 5 ? QByteArray("P") : Gb("界桩")) + QByteArray::number(i) + ",3" + QByteArray::number(i % 10) +
                    ".2," + QByteArray::number(115 + i % 3) + ".1\r\n";
        const QString in = file("huge.txt", text), single = dir.filePath("single.txt");
        QCOMPARE(Cli({"gauss-forward", "--central-meridian", "117", in, single}).status, 0);
        const Run joined = RunProgram(parallel, {"--pipe", "--keep-order", "--block", "200k", "-j", "3", QStringLiteral(QUORVIL_CLI),
                                                 "gauss-forward", "--input-encoding", "gb18030", "--central-meridian", "117", "-", "-"},
                                      text);
        QVERIFY2(joined.status == 0, qPrintable(joined.diagnosis()));
        QVERIFY(joined.out == ReadFile(single));
    }
};

QTEST_MAIN(CliTest)
#include "CliTest.moc"
