// The control network window driven as a user drives it: textbook networks (Krumm's collection of
// GNU Gama inputs) imported, adjusted, and their summary and points compared with the engine's own
// adjustment of the same file; the blunder row; the levelling network; files saved and read back;
// the Word report read back with python-docx; the network drawn into the drawing window and
// saved as DXF, read back with ezdxf.
#include "support/WindowTestSupport.h"

#include "core/TextForms.h"
#include "core/network/Network.h"
#include "io/survey/GamaFile.h"
#include "io/survey/NetworkDrawing.h"
#include "tools/KZWPC/TFormKZWPC.h"
#include "ui/drawing/DrawingScene.h"
#include "ui/drawing/DrawingView.h"
#include "ui/drawing/TFormDrawing.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QComboBox>
#include <QDir>
#include <QStatusBar>
#include <QJsonArray>
#include <QSpinBox>
#include <QTabWidget>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QtTest>

#include <cmath>

using namespace quorvil;
using namespace quorvil::test;
using network::Result;

namespace {

QString Krumm(const char *name) { return QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/krumm/%1").arg(QLatin1String(name)); }

network::Network ReadGama(const QString &path) { return ParseGama(ReadFile(path)); }

double Num(const QString &text) { return text.toDouble(); }

// Packed ddd.mmss text in degrees.
double PackedDegrees(const QString &text) { return double(DmsToDeg(TextToNumber(text.toStdString()))); }

QString StatusText(QWidget *w) { return w->findChild<QStatusBar *>(QStringLiteral("StatusBar1"))->currentMessage(); }

// The value after "caption：" in the summary.
QString SummaryValue(QWidget *w, const QString &caption)
{
    const QString text = w->findChild<QPlainTextEdit *>(QStringLiteral("MemoSummary"))->toPlainText();
    for (const QString &line : text.split(QLatin1Char('\n')))
        if (line.startsWith(caption + QStringLiteral("：")))
            return line.mid(caption.size() + 1);
    return QStringLiteral("<no %1>").arg(caption);
}

void Import(QWidget *w, ScriptedPrompts &prompts, const QString &path)
{
    prompts.openAnswers.push_back(path);
    QVERIFY(Press(w, QStringLiteral("ToolButton1")));
}

// The tables of a .docx as python-docx reads them: texts of every row and whether it repeats as a heading.
const char *const DocxTables = R"PY(
import json, sys, docx
from docx.oxml.ns import qn
d = docx.Document(sys.argv[1])
tables = []
for t in d.tables:
    rows = []
    for r in t.rows:
        trPr = r._tr.trPr
        rows.append({'cells': [c.text for c in r.cells],
                     'header': trPr is not None and trPr.find(qn('w:tblHeader')) is not None})
    tables.append(rows)
print(json.dumps({'tables': tables, 'body': [p.text for p in d.paragraphs]}, ensure_ascii=False))
)PY";

const char *const DxfEllipses = R"PY(
import json, sys, math, ezdxf
doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()
print(json.dumps({
    'ellipses': [[e.dxf.layer, e.dxf.center.x, e.dxf.center.y, math.hypot(e.dxf.major_axis.x, e.dxf.major_axis.y),
                  e.dxf.ratio, math.degrees(math.atan2(e.dxf.major_axis.x, e.dxf.major_axis.y)) % 180]
                 for e in msp.query('ELLIPSE')],
    'layers': sorted({e.dxf.layer for e in msp}),
    'texts': [e.dxf.text for e in msp.query('TEXT')],
}, ensure_ascii=False))
)PY";

} // namespace

class TFormKZWPCTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // Imported, adjusted: the summary and every adjusted point as the engine gives them.
    void textbookNetworksAsTheEngineAdjustsThem_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("angles, distances, azimuth (axes en)") << Krumm("Ghilani16_2_DistanceAngleAzimuth_fix.gkf");
        QTest::newRow("directions") << Krumm("Grossmann_Direction_fix.gkf");
        QTest::newRow("distances and directions") << Krumm("Benning83_DistanceDirection_fix.gkf");
        QTest::newRow("free network, constrained points") << Krumm("Hoepke_Distance_free.gkf");
        QTest::newRow("levelling") << Krumm("Niemeier_Height_fix1.gkf");
        QTest::newRow("levelling, Ghilani") << Krumm("Ghilani12_6_Height_fix.gkf");
    }
    void textbookNetworksAsTheEngineAdjustsThem()
    {
        QFETCH(QString, file);
        ScriptedPrompts prompts;
        TFormKZWPC w(nullptr);
        Import(&w, prompts, file);
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));

        // The tables show x north, y east whatever the file's axes (all of these are x east).
        const network::Network read = ReadGama(file);
        const network::Network net = network::InNorthEast(read);
        const Result r = network::InNorthEast(read, network::Adjust(read));
        QCOMPARE(SummaryValue(&w, QStringLiteral("观测数")), QString::number(r.summary.observations));
        QCOMPARE(SummaryValue(&w, QStringLiteral("多余观测数")), QString::number(r.summary.dof));
        QVERIFY2(SummaryValue(&w, QStringLiteral("单位权中误差 σ0"))
                     .startsWith(QString::fromStdString(GeneralText(RoundHalfEven(r.summary.sigma0Aposteriori * 100) / 100))),
                 qPrintable(SummaryValue(&w, QStringLiteral("单位权中误差 σ0"))));
        QCOMPARE(SummaryValue(&w, QStringLiteral("χ² 检验")).startsWith(QStringLiteral("通过")), r.summary.chi2.passed);

        const QList<QStringList> rows = Rows(&w, QStringLiteral("StringGridPoints"));
        int adjusted = 0;
        for (size_t i = 0; i < net.points.size(); ++i)
            adjusted += r.points[i].plane || r.points[i].height;
        QCOMPARE(rows.size(), adjusted);
        auto *points = w.findChild<QTableView *>(QStringLiteral("StringGridPoints"));
        for (const QStringList &row : rows) {
            size_t i = 0;
            while (i < net.points.size() && QString::fromStdString(net.points[i].id) != row[0])
                ++i;
            QVERIFY2(i < net.points.size(), qPrintable(row[0]));
            const network::PointResult &p = r.points[i];
            const QString where = QStringLiteral("%1 point %2: %3").arg(QTest::currentDataTag(), row[0], row.join(' '));
            if (p.plane) {
                QVERIFY2(std::fabs(Num(row[1]) - double(p.x)) < 6e-5 && std::fabs(Num(row[2]) - double(p.y)) < 6e-5, qPrintable(where));
                QVERIFY2(std::fabs(Num(row[6]) - double(p.sp) * 1000) < 0.006, qPrintable(where));
                QVERIFY2(std::fabs(Num(row[8]) - double(p.ellipse.a) * 1000) < 0.006, qPrintable(where));
                QVERIFY2(std::fabs(Num(row[9]) - double(p.ellipse.b) * 1000) < 0.006, qPrintable(where));
                // φ is the bearing of E from north.
                if (p.ellipse.a - p.ellipse.b > 1e-4L) {
                    const double bearing = double(RadToDeg(p.ellipse.phi));
                    double d = std::fabs(PackedDegrees(row[10]) - bearing);
                    d = std::min(d, 180 - d);
                    QVERIFY2(d < 1.0 / 3600 + 1e-9, qPrintable(where + QStringLiteral(" bearing %1").arg(bearing)));
                }
            }
            if (p.height) {
                QVERIFY2(std::fabs(Num(row[3]) - double(p.z)) < 6e-5, qPrintable(where));
                QVERIFY2(std::fabs(Num(row[7]) - double(p.sz) * 1000) < 0.006, qPrintable(where));
            }
        }
        // The plane columns give way to the heights in a levelling network, and back.
        const bool plane = std::any_of(r.points.begin(), r.points.end(), [](const auto &p) { return p.plane; });
        QCOMPARE(points->isColumnHidden(1), !plane);
        QCOMPARE(points->isColumnHidden(8), !plane);
        QCOMPARE(Rows(&w, QStringLiteral("StringGridObsResult")).size(), qsizetype(net.observations.size()));
    }

    // The textbook network with a blunder added: its row is highlighted, the summary names it.
    void blunderRowHighlighted()
    {
        ScriptedPrompts prompts;
        TFormKZWPC w(nullptr);
        Import(&w, prompts, Krumm("Ghilani16_2_blunder.gkf"));
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        PointTableModel *obs = Table(&w, QStringLiteral("StringGridObsResult"));
        QList<int> highlighted;
        int blunder = -1;
        for (int r = 0; r < obs->rows(); ++r) {
            if (obs->data(obs->index(r, 0), Qt::BackgroundRole).isValid())
                highlighted << r;
            if (obs->rowTexts(r).mid(0, 4) == QStringList{"T", "Q", "R", QStringLiteral("角度")})
                blunder = r;
        }
        QVERIFY(blunder >= 0);
        QVERIFY2(highlighted.contains(blunder), qPrintable(obs->rowTexts(blunder).join(' ')));
        for (int r : highlighted)
            QVERIFY2(std::fabs(Num(obs->cell(r, 9))) > 3.29, qPrintable(obs->rowTexts(r).join(' ')));
        QVERIFY2(SummaryValue(&w, QStringLiteral("可能的粗差")).startsWith(QStringLiteral("角度 T: Q-R")),
                 qPrintable(SummaryValue(&w, QStringLiteral("可能的粗差"))));
        QVERIFY(SummaryValue(&w, QStringLiteral("χ² 检验")).startsWith(QStringLiteral("未通过")));
    }

    // Typed tables, the engine's messages and bad cells: a message box, and the tables as they were.
    void badInputKeepsTheTables()
    {
        ScriptedPrompts prompts;
        TFormKZWPC w(nullptr);
        SetRows(&w, QStringLiteral("StringGridKnown"), {{"A", "0", "0", "", ""}, {"B", "0", "100", "", ""}});
        SetRows(&w, QStringLiteral("StringGridObs"),
                {{"A", "", "P", QStringLiteral("边长"), "70.71068", "", ""},
                 {"B", "", "P", QStringLiteral("边长"), "70.71068", "", ""},
                 {"A", "B", "P", QStringLiteral("角度"), "315", "", ""}});
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        const QList<QStringList> good = Rows(&w, QStringLiteral("StringGridPoints"));
        QCOMPARE(good.size(), 1);
        QCOMPARE(good[0].mid(0, 3), (QStringList{"P", "50.0000", "50.0000"}));

        struct Case {
            const char *label;
            QStringList row; // replaces the third observation
            const char *message;
        };
        const Case cases[] = {
            {"unknown kind", {"A", "B", "P", QStringLiteral("竖直角"), "315", "", "", "", ""}, "观测表第 3 行: 类型“竖直角”无效"},
            {"not a number", {"A", "B", "P", QStringLiteral("角度"), "31x", "", "", "", ""}, "观测表第 3 行: 观测值(dms/m): '31x'"},
            {"angle without backsight", {"A", "", "P", QStringLiteral("角度"), "315", "", "", "", ""}, "观测表第 3 行: 角度观测需要后视点"},
            {"height difference without weight", {"A", "", "P", QStringLiteral("高差"), "1.2", "", "", "", ""}, "观测表第 3 行: 高差观测需要"},
            {"point not determined (engine)", {"A", "", "Q", QStringLiteral("边长"), "50", "", "", "", ""}, "Q"},
            {"instrument height on a plane kind", {"A", "", "P", QStringLiteral("边长"), "315", "", "", "1.5", ""},
             "观测表第 3 行: 仪器高与觇标高只用于斜距和天顶距"},
        };
        for (const Case &c : cases) {
            prompts.errors.clear();
            SetRow(&w, QStringLiteral("StringGridObs"), 2, c.row);
            QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
            QVERIFY2(prompts.errors.size() == 1 && prompts.errors[0].contains(QString::fromUtf8(c.message)),
                     qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(c.label), prompts.errors.join('|'))));
            QCOMPARE(Rows(&w, QStringLiteral("StringGridPoints")), good);
        }
        // A file that is no network leaves the tables as they were.
        prompts.errors.clear();
        const QList<QStringList> typed = Rows(&w, QStringLiteral("StringGridObs"));
        Import(&w, prompts, WriteFile(m_dir.filePath("junk.txt"), "just text\n"));
        QCOMPARE(prompts.errors.size(), 1);
        QCOMPARE(Rows(&w, QStringLiteral("StringGridObs")), typed);
    }

    // 数据另存 and 另存为Gama文件 read back into a new window as the same network; the Gama file in
    // the axes it came in (x east here), the observation file in x north.
    void savedFilesReadBack()
    {
        ScriptedPrompts prompts;
        TFormKZWPC w(nullptr);
        Import(&w, prompts, Krumm("Grossmann_Direction_fix.gkf"));
        QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("ComboAxes"))->currentText(), QStringLiteral("X东 Y北"));
        SetField(&w, QStringLiteral("EditGC"), QStringLiteral("格罗斯曼方向网"));
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        const QList<QStringList> points = Rows(&w, QStringLiteral("StringGridPoints"));

        for (const char *name : {"round.gkf", "round.txt"}) {
            prompts.errors.clear();
            const QString path = m_dir.filePath(QString::fromLatin1(name));
            prompts.saveAnswers.push_back(path);
            const bool gama = path.endsWith(QLatin1String(".gkf"));
            QVERIFY(Press(&w, gama ? QStringLiteral("ToolButton3") : QStringLiteral("ToolButton2")));
            QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
            QVERIFY(StatusText(&w).contains(QDir::toNativeSeparators(path)));
            if (gama) {
                const network::Network original = ReadGama(Krumm("Grossmann_Direction_fix.gkf")), saved = ReadGama(path);
                QCOMPARE(saved.settings.axes, network::Axes::EN);
                for (const network::Point &p : original.points)
                    for (const network::Point &q : saved.points)
                        if (p.id == q.id && p.hasXY)
                            QVERIFY2(std::fabs(double(p.x - q.x)) < 1e-9 && std::fabs(double(p.y - q.y)) < 1e-9, p.id.c_str());
            }
            TFormKZWPC again(nullptr);
            Import(&again, prompts, path);
            QCOMPARE(Rows(&again, QStringLiteral("StringGridObs")), Rows(&w, QStringLiteral("StringGridObs")));
            QVERIFY(Press(&again, QStringLiteral("ToolButton4")));
            QCOMPARE(Rows(&again, QStringLiteral("StringGridPoints")), points);
        }

        // Networks typed in Chinese axes go into the observation file and back: a fixed one with
        // heights, and a free one whose datum is its constrained points.
        struct Typed {
            QList<QStringList> known, obs;
        };
        const Typed networks[] = {
            {{{"A", "0", "0", "10", ""}, {"B", "0", "100", "", QStringLiteral("固定平面")}},
             {{"A", "", "P", QStringLiteral("方向"), "0", "", ""}, {"A", "", "B", QStringLiteral("方向"), "45.0001", "", ""},
              {"A", "", "P", QStringLiteral("边长"), "70.711", "", ""}, {"B", "", "P", QStringLiteral("边长"), "70.7105", "", "3"},
              {"A", "", "P", QStringLiteral("高差"), "1.25", "0.5", ""}, {"P", "", "B", QStringLiteral("高差"), "-0.5", "", "2"}}},
            {{{"A", "0", "0", "", QStringLiteral("约束")}, {"B", "0", "100", "", QStringLiteral("约束")},
              {"C", "100", "50", "", QStringLiteral("约束")}},
             {{"A", "", "B", QStringLiteral("边长"), "100.002", "", ""}, {"B", "", "C", QStringLiteral("边长"), "111.801", "", ""},
              {"C", "", "A", QStringLiteral("边长"), "111.805", "", ""}, {"A", "", "B", QStringLiteral("方向"), "0", "", ""},
              {"A", "", "C", QStringLiteral("方向"), "296.3354", "", ""}, {"C", "", "A", QStringLiteral("方向"), "0", "", ""},
              {"C", "", "B", QStringLiteral("方向"), "306.5212", "", ""}}},
        };
        for (const Typed &n : networks) {
            TFormKZWPC typed(nullptr);
            SetField(&typed, QStringLiteral("EditGC"), QStringLiteral("测试网"));
            SetRows(&typed, QStringLiteral("StringGridKnown"), n.known);
            SetRows(&typed, QStringLiteral("StringGridObs"), n.obs);
            const QString file = m_dir.filePath("typed.txt");
            prompts.overwriteAnswers.push_back(true);
            prompts.errors.clear();
            prompts.saveAnswers.push_back(file);
            QVERIFY(Press(&typed, QStringLiteral("ToolButton2")));
            QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
            QVERIFY(Press(&typed, QStringLiteral("ToolButton4")));
            QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
            TFormKZWPC back(nullptr);
            Import(&back, prompts, file);
            QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n') + "\n" + QString::fromUtf8(ReadFile(file))));
            QCOMPARE(Field(&back, QStringLiteral("EditGC")), QStringLiteral("测试网"));
            QVERIFY(Press(&back, QStringLiteral("ToolButton4")));
            QCOMPARE(Rows(&back, QStringLiteral("StringGridPoints")), Rows(&typed, QStringLiteral("StringGridPoints")));
            // The file keeps the observations by kind (its sections), so their order may change.
            const auto sorted = [](QList<QStringList> rows) {
                std::sort(rows.begin(), rows.end(), [](const QStringList &a, const QStringList &b) { return a.join(',') < b.join(','); });
                return rows;
            };
            QCOMPARE(sorted(Rows(&back, QStringLiteral("StringGridObsResult"))), sorted(Rows(&typed, QStringLiteral("StringGridObsResult"))));
        }
    }

    // The Word report holds the window's numbers, its long tables repeat their heading rows.
    void reportHoldsTheWindowsNumbers()
    {
        ScriptedPrompts prompts;
        TFormKZWPC w(nullptr);
        Import(&w, prompts, Krumm("Ghilani16_2_blunder.gkf"));
        SetField(&w, QStringLiteral("EditGC"), QStringLiteral("某测区首级控制网"));
        SetField(&w, QStringLiteral("EditJS"), QStringLiteral("张三"));
        const QString path = m_dir.filePath("network.docx");
        prompts.saveAnswers.push_back(path);
        QVERIFY(Press(&w, QStringLiteral("ToolButton5")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        const QJsonObject doc = RunPythonJson(DocxTables, {path});
        QVERIFY2(!doc.contains("error"), qPrintable(doc.value("error").toString()));
        const QJsonArray tables = doc.value("tables").toArray();
        // A plane network: statistics, known points, coordinates, relative ellipses, observations.
        QCOMPARE(tables.size(), 5);
        const auto rowsOf = [&](int t) {
            QList<QStringList> rows;
            for (const QJsonValue &row : tables.at(t).toArray()) {
                QStringList cells;
                for (const QJsonValue &c : row.toObject().value("cells").toArray())
                    cells << c.toString();
                rows << cells;
            }
            return rows;
        };
        for (int t = 0; t < tables.size(); ++t)
            QVERIFY2(tables.at(t).toArray().at(0).toObject().value("header").toBool(), qPrintable(QString::number(t)));
        const QString body = doc.value("body").toVariant().toStringList().join('\n');
        QVERIFY2(body.contains(QStringLiteral("某测区首级控制网")) && body.contains(QStringLiteral("张三")), qPrintable(body));

        const QList<QStringList> statistics = rowsOf(0);
        QCOMPARE(statistics.value(2), (QStringList{QStringLiteral("观测数"), SummaryValue(&w, QStringLiteral("观测数"))}));
        bool blunderNamed = false;
        for (const QStringList &row : statistics)
            blunderNamed |= row.value(0) == QStringLiteral("可能的粗差") && row.value(1) == SummaryValue(&w, QStringLiteral("可能的粗差"));
        QVERIFY(blunderNamed);

        // The known points at the decimals of the adjusted ones.
        for (const QStringList &row : rowsOf(1).mid(1))
            for (int c : {1, 2})
                QVERIFY2(QRegularExpression(QStringLiteral("^-?\\d+\\.\\d{4}$")).match(row[c]).hasMatch(), qPrintable(row.join(' ')));
        const QList<QStringList> points = Rows(&w, QStringLiteral("StringGridPoints"));
        const QList<QStringList> reported = rowsOf(2).mid(1);
        QCOMPARE(reported.size(), points.size());
        for (int i = 0; i < points.size(); ++i)
            QCOMPARE(reported[i], (QStringList{points[i][0], points[i][1], points[i][2], points[i][4], points[i][5], points[i][6],
                                               points[i][8], points[i][9], points[i][10]}));
        const QList<QStringList> obs = Rows(&w, QStringLiteral("StringGridObsResult"));
        const QList<QStringList> reportedObs = rowsOf(4).mid(1);
        QCOMPARE(reportedObs.size(), obs.size());
        for (int i = 0; i < obs.size(); ++i) {
            QStringList expected = obs[i];
            expected.removeAt(7); // the σ of the adjusted value stays in the window
            QCOMPARE(reportedObs[i], expected);
        }
        QCOMPARE(rowsOf(3).mid(1), Rows(&w, QStringLiteral("StringGridRelative")));
    }

    // Word报表, even cancelled, keeps the page shown and the magnification: the one suggested for
    // the network's size (as the command line chooses it), or the user's; the saved report is
    // confirmed on the status line.
    void reportKeepsPageAndMagnification()
    {
        ScriptedPrompts prompts;
        TFormKZWPC w(nullptr);
        const QString file = Krumm("Ghilani16_2_DistanceAngleAzimuth_fix.gkf");
        Import(&w, prompts, file);
        auto *scale = w.findChild<QSpinBox *>(QStringLiteral("SpinScale"));
        auto *pages = w.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        QCOMPARE(pages->currentIndex(), 1);
        const network::Network read = ReadGama(file);
        const int suggested = int(SuggestedEllipseScale(network::InNorthEast(read), network::InNorthEast(read, network::Adjust(read))));
        QCOMPARE(scale->value(), suggested);
        pages->setCurrentIndex(2);
        QVERIFY(Press(&w, QStringLiteral("ToolButton5"))); // the file dialog cancelled
        QCOMPARE(pages->currentIndex(), 2);
        QCOMPARE(scale->value(), suggested);
        scale->setValue(3000);
        pages->setCurrentIndex(0);
        const QString path = m_dir.filePath("kept.docx");
        prompts.saveAnswers.push_back(path);
        QVERIFY(Press(&w, QStringLiteral("ToolButton5")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(scale->value(), 3000);
        QVERIFY2(StatusText(&w).contains(QDir::toNativeSeparators(path)), qPrintable(StatusText(&w)));
        // A table cleared as a whole (here, and undone) makes a new network: the suggested
        // magnification again.
        QVERIFY(Press(&w, QStringLiteral("ObsClear")));
        w.findChild<PointTableView *>(QStringLiteral("StringGridObs"))->undo();
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        QCOMPARE(scale->value(), suggested);
    }

    // The input tables as a user reads them: the captions whole, every numeric column of the
    // results with its unit, the standard deviations and known coordinates at the tables'
    // decimals (the cells keep what was read), the axes by their Chinese names.
    void tablesReadAsTheyShould()
    {
        ScriptedPrompts prompts;
        TFormKZWPC w(nullptr);
        Import(&w, prompts, QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/network/Niemeier_DistanceDirection.txt"));
        for (const char *name : {"StringGridKnown", "StringGridObs"}) {
            auto *view = w.findChild<QTableView *>(QLatin1String(name));
            const QFontMetrics metrics(view->horizontalHeader()->font());
            for (int c = 0; c < view->model()->columnCount(); ++c) {
                const QString caption = view->model()->headerData(c, Qt::Horizontal).toString();
                QVERIFY2(view->columnWidth(c) >= metrics.horizontalAdvance(caption), qPrintable(caption));
            }
        }
        for (const char *name : {"StringGridPoints", "StringGridObsResult", "StringGridRelative"}) {
            auto *view = w.findChild<QTableView *>(QLatin1String(name));
            for (int c = 0; c < view->model()->columnCount(); ++c) {
                const QString caption = view->model()->headerData(c, Qt::Horizontal).toString();
                const bool words = QStringList{"点名", "测站", "后视点", "照准点", "类型", "起点", "终点", "w检验", "多余观测分量r",
                                               "边长相对精度"}.contains(caption);
                QVERIFY2(words || caption.contains(u'('), qPrintable(caption));
            }
        }
        const auto shown = [&](const char *table, int row, int column) {
            auto *view = w.findChild<QTableView *>(QLatin1String(table));
            QAbstractItemDelegate *delegate = view->itemDelegateForColumn(column);
            delegate = delegate ? delegate : view->itemDelegate();
            return static_cast<QStyledItemDelegate *>(delegate)->displayText(view->model()->index(row, column).data(), QLocale::c());
        };
        // 5 cc as ″, a known X as read
        QCOMPARE(Table(&w, QStringLiteral("StringGridObs"))->cell(0, 6), QStringLiteral("1.62"));
        QCOMPARE(shown("StringGridObs", 0, 6), QStringLiteral("1.62"));
        QCOMPARE(Table(&w, QStringLiteral("StringGridKnown"))->cell(0, 1), QStringLiteral("26816.143"));
        QCOMPARE(shown("StringGridKnown", 0, 1), QStringLiteral("26816.1430"));
        SetRow(&w, QStringLiteral("StringGridObs"), 1, {"Z108", "", "104", QStringLiteral("边长"), "1002.598", "", "9.061725"});
        QCOMPARE(shown("StringGridObs", 1, 6), QStringLiteral("9.06"));
        QCOMPARE(Table(&w, QStringLiteral("StringGridObs"))->cell(1, 6), QStringLiteral("9.061725"));
        QCOMPARE(w.findChild<QComboBox *>(QStringLiteral("ComboAxes"))->itemText(0), QStringLiteral("X北 Y东"));
    }

    // The network and its ellipses in the drawing window, saved as DXF and read back with ezdxf.
    void drawnIntoTheDrawingWindow()
    {
        ScriptedPrompts prompts;
        TFormKZWPC w(nullptr);
        Import(&w, prompts, Krumm("Ghilani16_2_DistanceAngleAzimuth_fix.gkf"));
        // Without a drawing window: the program's question, answered 否; nothing else.
        prompts.messageAnswers = {QMessageBox::No};
        QVERIFY(Press(&w, QStringLiteral("ToolButton6")));
        QCOMPARE(prompts.messages, QStringList{QStringLiteral("图形窗口尚未打开！\n现在打开图形窗口吗？")});

        TFormDrawing drawing(nullptr);
        drawing.show();
        QVERIFY(QTest::qWaitForWindowExposed(&drawing));
        QCOMPARE(CadSession::active(), static_cast<CadSession *>(&drawing));
        QVERIFY(Press(&w, QStringLiteral("ToolButton4")));
        auto *scale = w.findChild<QSpinBox *>(QStringLiteral("SpinScale"));
        scale->setValue(5000);
        QVERIFY(Press(&w, QStringLiteral("ToolButton6")));
        QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join('\n')));
        const QString path = m_dir.filePath("network.dxf");
        drawing.saveFile(path);
        const QJsonObject dxf = RunPythonJson(DxfEllipses, {path});
        QVERIFY2(!dxf.contains("error"), qPrintable(dxf.value("error").toString()));
        const QJsonArray ellipses = dxf.value("ellipses").toArray();
        const QList<QStringList> points = Rows(&w, QStringLiteral("StringGridPoints"));
        QCOMPARE(ellipses.size(), points.size() + 1); // and the legend's sample
        for (int i = 0; i < points.size(); ++i) {
            const QJsonArray e = ellipses.at(i).toArray();
            const QString where = points[i].join(' ');
            QCOMPARE(e.at(0).toString(), QStringLiteral("误差椭圆"));
            // The table's X is north, the drawing's y; its Y east, the drawing's x.
            QVERIFY2(std::fabs(e.at(1).toDouble() - Num(points[i][2])) < 1e-4 && std::fabs(e.at(2).toDouble() - Num(points[i][1])) < 1e-4,
                     qPrintable(where));
            QVERIFY2(std::fabs(e.at(3).toDouble() - Num(points[i][8]) / 1000 * 5000) < 0.005 / 1000 * 5000 + 1e-9, qPrintable(where));
            QVERIFY2(std::fabs(e.at(3).toDouble() * e.at(4).toDouble() - Num(points[i][9]) / 1000 * 5000) < 0.03 + 1e-9,
                     qPrintable(where));
            if (Num(points[i][8]) - Num(points[i][9]) > 0.5) {
                double d = std::fabs(e.at(5).toDouble() - PackedDegrees(points[i][10]));
                QVERIFY2(std::min(d, 180 - d) < 1.0 / 3600 + 1e-6, qPrintable(where));
            }
        }
        const QJsonArray layers = dxf.value("layers").toArray();
        for (const char *layer : {"控制点", "观测边", "误差椭圆", "点名"})
            QVERIFY2(layers.contains(QString::fromUtf8(layer)), layer);
        QVERIFY(dxf.value("texts").toArray().contains(QStringLiteral("椭圆放大 5000 倍")));
        QVERIFY(dxf.value("texts").toArray().contains(QStringLiteral("点位误差椭圆")));
        QCOMPARE(drawing.GetVariable(QStringLiteral("CLAYER")), 1.0); // the user's layer is current again
        // The first drawing is shown whole; drawn again, it replaces what the window drew (the
        // user's own entities stay) and leaves the view where the user put it.
        QVERIFY((drawing.view()->centre() - drawing.scene()->extents().center()).manhattanLength() < 1e-6 * drawing.scene()->extents().width());
        drawing.AddLine({0, 0, 0}, {1, 1, 0});
        const size_t entities = drawing.document().entities.size();
        drawing.view()->zoomAt(QPointF(5, 5), 2);
        const QPointF centre = drawing.view()->centre();
        QVERIFY(Press(&w, QStringLiteral("ToolButton6")));
        QCOMPARE(drawing.document().entities.size(), entities);
        QCOMPARE(drawing.view()->centre(), centre);
        // In a new drawing the network is shown whole again.
        prompts.messageAnswers = {QMessageBox::No}; // the changed drawing is not saved
        QVERIFY(Press(&drawing, QStringLiteral("NewDrawingClick")));
        QVERIFY(drawing.document().entities.empty());
        drawing.view()->zoomAt(QPointF(5, 5), 2);
        QVERIFY(Press(&w, QStringLiteral("ToolButton6")));
        QVERIFY((drawing.view()->centre() - drawing.scene()->extents().center()).manhattanLength() < 1e-6 * drawing.scene()->extents().width());
    }
};

QTEST_MAIN(TFormKZWPCTest)
#include "TFormKZWPCTest.moc"
