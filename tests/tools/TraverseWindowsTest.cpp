// The five traverse and levelling windows, driven by object names as a user would.
#include "support/WindowTestSupport.h"
#include "tools/BJFH/TFormBJFH.h"
#include "tools/DBFH/TFormDBFH.h"
#include "tools/GCFH/TFormGCFH.h"
#include "tools/WDX/TFormWDX.h"
#include "tools/ZDX/TFormZDX.h"

#include "core/TraverseSummary.h"
#include "io/TextCodec.h"

#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QRadioButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QStringList HeaderNames = {"EditGC", "EditDJ", "EditJS", "EditJH", "EditRQ"};

QList<QStringList> Rows(QWidget *w)
{
    QList<QStringList> rows;
    PointTableModel *model = Table(w, "StringGrid1");
    for (int r = 0; r < model->rows(); ++r)
        rows += model->rowTexts(r);
    return rows;
}

void Fill(QWidget *w, const QList<QStringList> &rows)
{
    PointTableModel *model = Table(w, "StringGrid1");
    model->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        SetRow(w, "StringGrid1", r, rows[r]);
}

QString Label(QWidget *w, const QString &name)
{
    auto *label = w->findChild<QLabel *>(name);
    return label ? label->text() : QStringLiteral("<no label %1>").arg(name);
}

QStringList Labels(QWidget *w, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names)
        texts += Label(w, name);
    return texts;
}

QStringList Headers(QWidget *w)
{
    QStringList texts;
    for (const QString &name : HeaderNames)
        texts += Field(w, name);
    return texts;
}

const QStringList TraverseLabels = {"LabFB", "LabVB", "LabFx", "LabFy", "LabFs", "LabK"};
const QStringList SideLabels = {"LabFx", "LabFy", "LabFs", "LabK"};

// The worked example of the connecting traverse, as typed.
const QList<QStringList> ConnectingExample = {
    {"A", "", "", "5000", "5000"},
    {"B", "135.0006", "141.425", "5000", "5100"},
    {"P1", "225.0000", "100.002", "", ""},
    {"C", "224.5957", "", "5100", "5300"},
    {"D", "", "", "5000", "5400"},
};

const QList<QStringList> LevellingExample = {
    {"BM1", "1.2", "0.505", "", "100.000"},
    {"P1", "0.8", "0.503", "", ""},
    {"BM2", "", "", "", "101.000"},
};

struct ToolCase {
    const char *className;
    std::function<TraverseWindow *()> make;
    QString title, group;
    int startRows, clearRows;
    QStringList labels; // starting captions, in order
};

} // namespace

class TraverseWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompts> prompts;
    QTemporaryDir dir;

    QList<ToolCase> tools() const
    {
        return {
            {"TFormBJFH", [] { return new TFormBJFH(nullptr); }, "边角附合导线", "边角测量附(闭)合导线计算表", 5, 5,
             {"FB=", "VB=", "Fx=", "Fy=", "Fs=", "K="}},
            {"TFormDBFH", [] { return new TFormDBFH(nullptr); }, "单边附合导线", "边角测量单边附合导线计算表", 4, 4,
             {"Fx=", "Fy=", "Fs=", "K="}},
            {"TFormWDX", [] { return new TFormWDX(nullptr); }, "无定向导线", "边角测量无定向导线计算表", 3, 3,
             {"Fx=", "Fy=", "Fs=", "K="}},
            {"TFormZDX", [] { return new TFormZDX(nullptr); }, "支导线", "支导线计算表", 3, 5, {}},
            {"TFormGCFH", [] { return new TFormGCFH(nullptr); }, "附/闭合高程路线", "附/闭合高程路线计算表", 3, 3,
             {"Fh=", "线路总长[L]="}},
        };
    }

private slots:
    void init() { prompts = std::make_unique<ScriptedPrompts>(); }
    void cleanup() { prompts.reset(); }

    void windowsOpenAsTheToolsDescribe()
    {
        // The Chinese short date, whatever the system locale: 2026/12/7.
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/M/d"));
        for (const ToolCase &tool : tools()) {
            std::unique_ptr<TraverseWindow> w(tool.make());
            const QString name = tool.className;
            QCOMPARE(w->objectName(), name);
            QCOMPARE(w->windowTitle(), tool.title);
            auto *group = w->findChild<QGroupBox *>("GroupBox1");
            QVERIFY2(group && group->title() == tool.group, qPrintable(name));
            QCOMPARE(Headers(w.get()), (QStringList{"", "", "", "", today}));
            QCOMPARE(Table(w.get(), "StringGrid1")->rows(), tool.startRows);
            QStringList names;
            // (LabRigorous, the line of 严密平差, has its own test.)
            for (QLabel *label : w->findChildren<QLabel *>())
                if (label->objectName().startsWith("Lab") && label->objectName() != "LabRigorous" &&
                    label->objectName() != "LabStale")
                    names += label->objectName();
            QCOMPARE(names.size(), tool.labels.size());
            for (const QString &n : names)
                QVERIFY2(tool.labels.contains(Label(w.get(), n)), qPrintable(name + " " + n));
            for (const char *button : {"ToolButton1", "ToolButton2", "ToolButton3", "ToolButton4", "ToolButton5",
                                       "ToolButton6", "ToolButton7"})
                QVERIFY2(w->findChild<QAction *>(button), qPrintable(name + " " + button));
            QVERIFY2(w->findChild<QAction *>("ToolButton8"), qPrintable(name)); // "Word报表"

            // " 清空 " empties every row and sets the tool's own row count.
            Press(w.get(), "ToolButton1");
            SetCell(w.get(), "StringGrid1", 0, 0, "X");
            Press(w.get(), "ToolButton5");
            QCOMPARE(Table(w.get(), "StringGrid1")->rows(), tool.clearRows);
            QCOMPARE(Cell(w.get(), "StringGrid1", 0, 0), QString());
        }
    }

    void captionsAndWidthsOfTheTables()
    {
        TFormBJFH traverse(nullptr);
        auto *grid = traverse.findChild<PointTableView *>("StringGrid1");
        QCOMPARE(grid->table()->captions(), (QStringList{"点名", "水平角(dms)", "边长(m)", "X坐标(m)", "Y坐标(m)"}));
        const int widths[] = {69, 118, 118, 138, 138};
        for (int c = 0; c < 5; ++c)
            QCOMPARE(grid->columnWidth(c), widths[c]);
        TFormGCFH route(nullptr);
        grid = route.findChild<PointTableView *>("StringGrid1");
        QCOMPARE(grid->table()->captions(),
                 (QStringList{"点名", "距离(或测站数)", "观测高差(m)", "高差改正数(mm)", "高程(m)"}));
        for (int c = 1; c < 5; ++c)
            QCOMPARE(grid->columnWidth(c), 128);

        // At the window's size every column shows, also the column of point errors 严密平差 adds.
        traverse.show();
        QVERIFY(QTest::qWaitForWindowExposed(&traverse));
        Named<QRadioButton>(&traverse, "RadioRigorous")->click();
        QCOMPARE(Table(&traverse, "StringGrid1")->captions().last(), QString("点位中误差(mm)"));
        QCOMPARE(ColumnsCutOff(&traverse, {"StringGrid1"}), QString());
    }

    void connectingWorkedExample()
    {
        TFormBJFH w(nullptr);
        Fill(&w, ConnectingExample);
        QVERIFY(Press(&w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Labels(&w, TraverseLabels),
                 (QStringList{"FB=3″", "VB=-1″", "Fx=-1.79mm", "Fy=7mm", "Fs=7.23mm", "K=1/33415"}));
        QCOMPARE(Rows(&w)[2], (QStringList{"P1", "225.0000", "100.002", "5100.001", "5200.001"}));
        // A, B, C, D untouched.
        for (int r : {0, 1, 3, 4})
            QCOMPARE(Rows(&w)[r], ConnectingExample[r]);
        // The working values the report reads.
        const TraverseResult &r = w.lastResult();
        QStringList bearings;
        for (size_t h = 0; h <= 3; ++h)
            bearings += QString::fromStdString(ReportBearingText(r.Bearing(h)));
        QCOMPARE(bearings, (QStringList{"90.0000", "45.0005", "90.0004", "135.0003"}));
        QCOMPARE(QString::fromStdString(ReportSecondsText(r.angleCorrection)), QString("-1.00"));
        QCOMPARE(QString::fromStdString(ReportMillimetresText(r.legs[1].vy)), QString("-2.90"));
    }

    void workingValuesBelongToTheirWindow()
    {
        TFormBJFH first(nullptr), second(nullptr);
        Fill(&first, ConnectingExample);
        Press(&first, "ToolButton6");
        QList<QStringList> other = ConnectingExample;
        other[1][2] = "141.5";
        Fill(&second, other);
        Press(&second, "ToolButton6");
        QCOMPARE(first.lastResult().legs.at(0).distance, 141.425L);
        QCOMPARE(second.lastResult().legs.at(0).distance, 141.5L);
        QCOMPARE(Label(&first, "LabK"), QString("K=1/33415"));
    }

    void exactClosureWritesTheCoordinates()
    {
        TFormBJFH w(nullptr);
        Fill(&w, {{"A", "", "", "0", "0"}, {"B", "180", "100", "100", "0"}, {"P1", "180", "100", "", ""},
                  {"C", "180", "", "300", "0"}, {"D", "", "", "400", "0"}});
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Labels(&w, TraverseLabels), (QStringList{"FB=0″", "VB=0″", "Fx=0mm", "Fy=0mm", "Fs=0mm", "K=1/∞"}));
        QCOMPARE(Cell(&w, "StringGrid1", 2, 3), QString("200.000"));
        QCOMPARE(Cell(&w, "StringGrid1", 2, 4), QString("0.000"));
    }

    void misclosureOverLegsOfNoLengthShowsTheSummaryThenStops()
    {
        // Legs of total length 0 (every distance empty, or distances that cancel): K>1 is shown,
        // then the distribution is an invalid operation and no new point is written. The same
        // shared ending serves all three closing traverses. (Without any length the
        // no-orientation traverse cannot even be turned: its carried end lies on B.)
        struct Case {
            std::function<AngleTraverseWindow *()> make;
            QList<QStringList> rows;
            QString message;
        };
        const Case cases[] = {
            {[] { return new TFormBJFH(nullptr); },
             {{"A", "", "", "0", "0"}, {"B", "180", "", "100", "0"}, {"P1", "180", "", "", ""},
              {"C", "180", "", "300", "0"}, {"D", "", "", "400", "0"}}, "Invalid floating point operation"},
            {[] { return new TFormDBFH(nullptr); },
             {{"A", "", "", "0", "0"}, {"B", "180", "", "100", "0"}, {"P1", "180", "", "", ""},
              {"C", "", "", "300", "0"}}, "Invalid floating point operation"},
            {[] { return new TFormWDX(nullptr); },
             {{"B", "180", "100", "100", "0"}, {"P1", "90", "-100", "", ""}, {"C", "", "", "300", "0"}},
             "Invalid floating point operation"},
        };
        for (const Case &c : cases) {
            std::unique_ptr<AngleTraverseWindow> w(c.make());
            Fill(w.get(), c.rows);
            prompts->errors.clear();
            Press(w.get(), "ToolButton6");
            const QString name = w->objectName();
            QVERIFY2(prompts->errors == QStringList{c.message}, qPrintable(name + " " + prompts->errors.join(";")));
            QVERIFY2(Label(w.get(), "LabK") == "K>1", qPrintable(name + " " + Label(w.get(), "LabK")));
            QVERIFY2(Label(w.get(), "LabFs") != "Fs=", qPrintable(name));
            QVERIFY2(Rows(w.get()) == c.rows, qPrintable(name));
        }
    }

    void tooFewRowsAreRefusedBeforeAnythingIsShown()
    {
        struct Case {
            std::function<TraverseWindow *()> make;
            int rows;
            const char *message;
        };
        const Case cases[] = {
            {[] { return new TFormBJFH(nullptr); }, 3, ConnectingTooFewText},
            {[] { return new TFormDBFH(nullptr); }, 2, SingleSideTooFewText},
            {[] { return new TFormWDX(nullptr); }, 1, NoOrientationTooFewText},
            {[] { return new TFormZDX(nullptr); }, 2, OpenTooFewText},
            {[] { return new TFormGCFH(nullptr); }, 1, LevellingTooFewText},
        };
        for (const Case &c : cases) {
            std::unique_ptr<TraverseWindow> w(c.make());
            Table(w.get(), "StringGrid1")->setRowCount(c.rows);
            SetCell(w.get(), "StringGrid1", 0, 3, "1");
            const QStringList before = Labels(w.get(), TraverseLabels + QStringList{"LabFh", "LabL"});
            prompts->errors.clear();
            Press(w.get(), "ToolButton6");
            QCOMPARE(prompts->errors, QStringList{QString::fromUtf8(c.message)});
            QCOMPARE(Labels(w.get(), TraverseLabels + QStringList{"LabFh", "LabL"}), before);
            // and a table that short cannot be written as a data file either
            prompts->errors.clear();
            prompts->saveDialogs.clear();
            Press(w.get(), "ToolButton7");
            QVERIFY2(prompts->errors == QStringList{QString::fromUtf8(c.message)}, qPrintable(w->objectName()));
            QCOMPARE(prompts->saveDialogs.size(), 0);
        }
    }

    void badCellStopsTheComputation()
    {
        TFormBJFH w(nullptr);
        QList<QStringList> rows = ConnectingExample;
        rows[2][2] = "1OO.002";
        Fill(&w, rows);
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList{"'1OO.002' is not a valid floating point value"});
        QCOMPARE(Cell(&w, "StringGrid1", 2, 3), QString());
        // A bad text in a cell the computation does not read changes nothing.
        prompts->errors.clear();
        rows[2][2] = "100.002";
        rows[3][2] = "not read";
        rows[0][1] = "not read";
        Fill(&w, rows);
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Cell(&w, "StringGrid1", 2, 3), QString("5100.001"));
    }

    void singleSideWithOneNewPoint()
    {
        TFormDBFH w(nullptr);
        Fill(&w, {{"A", "", "", "0", "0"}, {"B", "180", "100.002", "100", "0"}, {"P1", "270", "100.001", "", ""},
                  {"C", "", "", "200", "100"}});
        Press(&w, "ToolButton6");
        QCOMPARE(Labels(&w, SideLabels), (QStringList{"Fx=2mm", "Fy=1mm", "Fs=2.24mm", "K=1/89444"}));
        QCOMPARE(Rows(&w)[2].mid(3), (QStringList{"200.001", "-0.001"}));
    }

    void noOrientationIgnoresTheAngleAtB()
    {
        TFormWDX w(nullptr);
        QList<QStringList> rows = {{"B", "37.1512", "150.003", "1000", "1000"},
                                   {"P1", "200.3010", "120.497", "", ""},
                                   {"P2", "150.0000", "99.998", "", ""},
                                   {"C", "", "", "1200.555", "1291.871"}};
        Fill(&w, rows);
        auto computed = [&w] {
            QStringList cells;
            for (const QStringList &row : Rows(&w))
                cells += row.mid(3);
            return cells;
        };
        Press(&w, "ToolButton6");
        const QStringList first = computed();
        const QStringList labels = Labels(&w, SideLabels);
        QVERIFY(first[2] != "");
        for (const char *angle : {"0", "90", "271.5959", ""}) {
            rows[0][1] = angle;
            Fill(&w, rows);
            Press(&w, "ToolButton6");
            QCOMPARE(computed(), first);
            QCOMPARE(Labels(&w, SideLabels), labels);
        }
        QCOMPARE(prompts->errors, QStringList());
    }

    void openTraverseWritesRowByRow()
    {
        TFormZDX w(nullptr);
        Fill(&w, {{"A", "", "", "0", "0"},
                  {"B", "180", "100", "100", "0"},
                  {"P1", "90", "50", "", ""},
                  {"P2", "bad", "30", "", ""},
                  {"P3", "", "", "", ""}});
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList{"'bad' is not a valid floating point value"});
        // P1 and P2 were written before the bad angle at P2 was read; P3 was not.
        QCOMPARE(Rows(&w)[2].mid(3), (QStringList{"200.000", "0.000"}));
        QCOMPARE(Rows(&w)[3].mid(3), (QStringList{"200.000", "-50.000"}));
        QCOMPARE(Rows(&w)[4].mid(3), (QStringList{"", ""}));
        QCOMPARE(w.lastResult().stations.size(), size_t(3));

        // The new window's single new point from the angle at B and one distance.
        TFormZDX fresh(nullptr);
        Fill(&fresh, {{"A", "", "", "0", "0"}, {"B", "90", "10", "0", "10"}, {"P1", "", "", "", ""}});
        Press(&fresh, "ToolButton6");
        QCOMPARE(Rows(&fresh)[2].mid(3), (QStringList{"10.000", "10.000"}));
    }

    void levellingWorkedExample()
    {
        TFormGCFH w(nullptr);
        Fill(&w, LevellingExample);
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Labels(&w, {"LabFh", "LabL"}), (QStringList{"Fh=8mm", "线路总长[L]=2"}));
        QCOMPARE(Rows(&w), (QList<QStringList>{{"BM1", "1.2", "0.505", "   -4.80", "100.000"},
                                               {"P1", "0.8", "0.503", "   -3.20", "  100.500"},
                                               {"BM2", "", "", "", "101.000"}}));
        QCOMPARE(QString::fromStdString(LevellingDifferenceText(w.lastResult().corrected.at(0))), QString("   0.500"));
        QCOMPARE(QString::fromStdString(LevellingDifferenceText(w.lastResult().corrected.at(1))), QString("   0.500"));
    }

    void levellingRouteOfTwoBenchmarks()
    {
        // One section: the correction of row 1 is written, no height is.
        TFormGCFH w(nullptr);
        Fill(&w, {{"BM1", "3", "0.497", "", "50"}, {"BM2", "", "", "", "50.5"}});
        Press(&w, "ToolButton6");
        QCOMPARE(Labels(&w, {"LabFh", "LabL"}), (QStringList{"Fh=-3mm", "线路总长[L]=3"}));
        QCOMPARE(Rows(&w), (QList<QStringList>{{"BM1", "3", "0.497", "    3.00", "50"}, {"BM2", "", "", "", "50.5"}}));
    }

    void levellingWeightsSummingToZero()
    {
        TFormGCFH w(nullptr);
        QList<QStringList> rows = LevellingExample;
        rows[0][1] = rows[1][1] = "";
        Fill(&w, rows);
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList{"Invalid floating point operation"});
        QCOMPARE(Labels(&w, {"LabFh", "LabL"}), (QStringList{"Fh=8mm", "线路总长[L]=0"}));
        QCOMPARE(Cell(&w, "StringGrid1", 0, 3), QString());
        QCOMPARE(Cell(&w, "StringGrid1", 1, 4), QString());
    }

    void dataFileRoundTripOfEveryTool_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<QStringList>>("readBack");

        QTest::newRow("TFormBJFH") << 0 << ConnectingExample
                                   << "工程,一级,张三,李四,2026-12-07\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\nC,5100,5300\r\n"
                                      "D,5000,5400\r\nB,135.0006,141.425\r\nP1,225.0000,100.002\r\nC,224.5957,\r\n"
                                   << ConnectingExample;
        QTest::newRow("TFormDBFH") << 1
                                   << QList<QStringList>{{"A", "", "", "0", "0"}, {"B", "180", " 100.002", "100", "0"},
                                                         {"P1", "270", "100.001", "9", "9"}, {"C", "x", "", "200", "100"}}
                                   << "工程,一级,张三,李四,2026-12-07\r\n1\r\nA,0,0\r\nB,100,0\r\nC,200,100\r\n"
                                      "B,180, 100.002\r\nP1,270,100.001\r\n"
                                   << QList<QStringList>{{"A", "", "", "0", "0"}, {"B", "180", " 100.002", "100", "0"},
                                                         {"P1", "270", "100.001", "", ""}, {"C", "", "", "200", "100"}};
        QTest::newRow("TFormWDX") << 2
                                  << QList<QStringList>{{"B", "0", "150", "1000", "1000"}, {"P1", "200.3010", "120", "", ""},
                                                        {"C", "", "", "1200", "1291"}}
                                  << "工程,一级,张三,李四,2026-12-07\r\n1\r\nB,1000,1000\r\nC,1200,1291\r\n"
                                     "B,0,150\r\nP1,200.3010,120\r\n"
                                  << QList<QStringList>{{"B", "0", "150", "1000", "1000"}, {"P1", "200.3010", "120", "", ""},
                                                        {"C", "", "", "1200", "1291"}};
        QTest::newRow("TFormZDX") << 3
                                  << QList<QStringList>{{"A", "", "", "0", "0"}, {"B", "180", "100", "100", "0"},
                                                        {"P1", "90", "50", "200.000", "0.000"}, {"P2", "", "", "1", "2"}}
                                  << "工程,一级,张三,李四,2026-12-07\r\n2\r\nA,0,0\r\nB,100,0\r\n"
                                     "B,180,100\r\nP1,90,50\r\nP2,,\r\n"
                                  << QList<QStringList>{{"A", "", "", "0", "0"}, {"B", "180", "100", "100", "0"},
                                                        {"P1", "90", "50", "", ""}, {"P2", "", "", "", ""}};
        QTest::newRow("TFormGCFH") << 4
                                   << QList<QStringList>{{"BM1", "1.2", "0.505", "   -4.80", "100.000"},
                                                         {"P1", "0.8", "0.503", "   -3.20", "  100.500"},
                                                         {"BM2", "", "", "", "101.000"}}
                                   << "工程,一级,张三,李四,2026-12-07\r\n1\r\nBM1,100.000\r\nBM2,101.000\r\n"
                                      "BM1,1.2,0.505\r\nP1,0.8,0.503\r\n"
                                   << LevellingExample;
    }

    void dataFileRoundTripOfEveryTool()
    {
        QFETCH(int, tool);
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, file);
        QFETCH(QList<QStringList>, readBack);
        const QStringList header = {"工程", "一级", "张三", "李四", "2026-12-07"};

        std::unique_ptr<TraverseWindow> w(tools()[tool].make());
        Fill(w.get(), rows);
        for (int i = 0; i < 5; ++i)
            SetField(w.get(), HeaderNames[i], header[i]);
        const QString path = dir.filePath(QStringLiteral("%1.txt").arg(w->objectName()));
        QFile::remove(path);
        prompts->saveAnswers.push_back(path);
        QVERIFY(Press(w.get(), "ToolButton7"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(prompts->saveDialogs.value(0).title, QString("坐标数据另存为..."));
        QCOMPARE(ReadFile(path), EncodeText(file));

        // Saving onto it again asks first; "No" leaves it as it was.
        SetCell(w.get(), "StringGrid1", 0, 0, "changed");
        prompts->saveAnswers.push_back(path);
        prompts->overwriteAnswers.push_back(false);
        Press(w.get(), "ToolButton7");
        QCOMPARE(prompts->overwriteQuestions, 1);
        QCOMPARE(ReadFile(path), EncodeText(file));

        // Read into a fresh window of the same tool.
        std::unique_ptr<TraverseWindow> fresh(tools()[tool].make());
        prompts->openAnswers.push_back(path);
        QVERIFY(Press(fresh.get(), "ToolButton3"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(prompts->openDialogs.value(0).title, QString("打开坐标数据文件"));
        QCOMPARE(Rows(fresh.get()), readBack);
        QCOMPARE(Headers(fresh.get()), header);
    }

    void unreadableDataFilesLeaveTheWindowAsItWas()
    {
        struct Case {
            const char *name;
            QByteArray bytes;
            QString message;
        };
        const Case cases[] = {
            {"count not a number", "h\r\nabc\r\n", "数据文件格式错误：第2行应为新点的个数（0或正整数），而不是“abc”！"},
            {"count promises more lines", "h\r\n5\r\nA,1,2\r\nB,3,4\r\nC,5,6\r\nD,7,8\r\nB,1,2\r\n",
             "数据文件格式错误：新点个数为5，文件应至少有13行，实际只有7行！"},
        };
        TFormBJFH w(nullptr);
        Fill(&w, ConnectingExample);
        SetField(&w, "EditGC", "kept");
        for (const Case &c : cases) {
            prompts->errors.clear();
            prompts->openAnswers.push_back(WriteFile(dir.filePath("bad.txt"), c.bytes));
            Press(&w, "ToolButton3");
            QCOMPARE(prompts->errors, QStringList{c.message});
            QCOMPARE(Rows(&w), ConnectingExample);
            QCOMPARE(Field(&w, "EditGC"), QString("kept"));
        }
        prompts->errors.clear();
        prompts->openAnswers.push_back(dir.filePath("missing.txt"));
        Press(&w, "ToolButton3");
        QCOMPARE(prompts->errors, QStringList{"File not found"});
        QCOMPARE(Rows(&w), ConnectingExample);
        // A cancelled dialog changes nothing either.
        Press(&w, "ToolButton3");
        QCOMPARE(Rows(&w), ConnectingExample);
    }

    void importedTraverseComputes()
    {
        // A file of twelve new points read into a window, computed, and checked against a
        // traverse carried by hand: straight east legs of 100 m, closing exactly.
        QString text = "g,,,,\r\n12\r\nA,0,-100\r\nB,0,0\r\nC,0,1300\r\nD,0,1400\r\nB,180,100\r\n";
        for (int k = 1; k <= 12; ++k)
            text += QStringLiteral("P%1,180,100\r\n").arg(k);
        text += "C,180,\r\n";
        TFormBJFH w(nullptr);
        prompts->openAnswers.push_back(WriteFile(dir.filePath("long.txt"), EncodeText(text)));
        Press(&w, "ToolButton3");
        QCOMPARE(Table(&w, "StringGrid1")->rows(), 16);
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Label(&w, "LabFB"), QString("FB=0″"));
        QCOMPARE(Label(&w, "LabFs"), QString("Fs=0mm"));
        for (int k = 1; k <= 12; ++k) {
            QCOMPARE(Cell(&w, "StringGrid1", k + 1, 3), QString("0.000"));
            QCOMPARE(Cell(&w, "StringGrid1", k + 1, 4), QStringLiteral("%1.000").arg(k * 100));
        }
    }
};

QTEST_MAIN(TraverseWindowsTest)
#include "TraverseWindowsTest.moc"
