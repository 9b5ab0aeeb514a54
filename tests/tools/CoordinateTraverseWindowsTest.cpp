// The three coordinate traverse windows, driven by object names as a user would.
#include "support/WindowTestSupport.h"
#include "tools/ZBFH/TFormZBFH.h"
#include "tools/ZBFH1/TFormZBFH1.h"
#include "tools/ZBwdx/TFormZBwdx.h"

#include "io/TextCodec.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QStringList HeaderNames = {"EditGC", "EditDJ", "EditJS", "EditJH", "EditRQ"};
const QStringList BearingLabels = {"LabFB", "LabVB", "LabFx", "LabFy", "LabFs", "LabK", "LabFh", "LabES"};
const QStringList SideLabels = {"LabFx", "LabFy", "LabFs", "LabK", "LabFh", "LabES"};

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
    Table(w, "StringGrid1")->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        SetRow(w, "StringGrid1", r, rows[r]);
}

QStringList Labels(QWidget *w, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names) {
        auto *label = w->findChild<QLabel *>(name);
        texts += label ? label->text() : QStringLiteral("<no label %1>").arg(name);
    }
    return texts;
}

QStringList Headers(QWidget *w)
{
    QStringList texts;
    for (const QString &name : HeaderNames)
        texts += Field(w, name);
    return texts;
}

// One small traverse of each kind, as typed, with its summary and the table after "计算".
// Columns: name, measured X, Y, H, known (or adjusted) X, Y, H.
const QList<QStringList> ConnectingExample = {
    {"A", "", "", "", "5000", "5000", ""},
    {"B", "", "", "", "5000", "5100", "50"},
    {"P1", "5100.004", "5200.003", "51.234", "", "", ""},
    {"C", "5100.010", "5300.002", "52.010", "5100", "5300", "52"},
    {"D", "5000.012", "5400.005", "", "5000", "5400", ""},
};
const QList<QStringList> SingleSideExample = {
    {"A", "", "", "", "5000", "5000", ""},
    {"B", "", "", "", "5000", "5100", "50"},
    {"P1", "5100.004", "5200.003", "51.234", "", "", ""},
    {"C", "5100.010", "5300.002", "52.010", "5100", "5300", "52"},
};
// Measured in a local frame turned by 37.5°.
const QList<QStringList> NoOrientationExample = {
    {"B", "100", "100", "10", "5000", "5100", "50"},
    {"P1", "118.463", "240.208", "11.236", "", "", ""},
    {"C", "57.577", "319.555", "12.011", "5100", "5300", "52"},
};

QList<QStringList> With(QList<QStringList> rows, int row, const QStringList &known)
{
    for (int c = 0; c < 3; ++c)
        rows[row][4 + c] = known[c];
    return rows;
}

struct ToolCase {
    const char *className;
    std::function<CoordinateTraverseWindow *()> make;
    QString title, group;
    int startRows;
    QStringList labelNames, startLabels;
    QList<QStringList> example;
    QStringList summary;
    QList<QStringList> adjusted;
    int minimumRows;
    const char *tooFew;
};

QList<ToolCase> Tools()
{
    return {
        {"TFormZBFH", [] { return new TFormZBFH(nullptr); }, "坐标附合导线", "坐标测量附(闭)合导线计算表", 5,
         BearingLabels, {"FB=", "VB=", "Fx=", "Fy=", "Fs=", "K=", "Fh=", "导线总长[S]="}, ConnectingExample,
         {"FB=-5.16″", "VB=1.72″", "Fx=7.5mm", "Fy=2.83mm", "Fs=8.02mm", "K=1/30113", "Fh=10mm", "导线总长[S]=241m"},
         With(ConnectingExample, 2, {"5099.999", "5200.002", "51.228"}), 4, CoordinateConnectingTooFewText},
        {"TFormZBFH1", [] { return new TFormZBFH1(nullptr); }, "坐标测量单边附合导线", "坐标测量单边附合导线计算表", 4,
         SideLabels, {"Fx=", "Fy=", "Fs=", "K=", "Fh=", "导线总长[S]="}, SingleSideExample,
         {"Fx=10mm", "Fy=2mm", "Fs=10.2mm", "K=1/23674", "Fh=10mm", "导线总长[S]=241m"},
         With(SingleSideExample, 2, {"5099.998", "5200.002", "51.228"}), 3, CoordinateSingleSideTooFewText},
        {"TFormZBwdx", [] { return new TFormZBwdx(nullptr); }, "坐标测量无定向导线", "坐标测量无定向导线计算表", 4,
         SideLabels, {"Fx=", "Fy=", "Fs=", "K=", "Fh=", "导线总长[S]="}, NoOrientationExample,
         {"Fx=4.11mm", "Fy=8.22mm", "Fs=9.19mm", "K=1/26278", "Fh=11mm", "导线总长[S]=241m"},
         With(With(NoOrientationExample, 1, {"5100.000", "5199.988", "51.230"}), 2, {"5100.000", "5300.000", "52.000"}),
         2, CoordinateNoOrientationTooFewText},
    };
}

} // namespace

class CoordinateTraverseWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPrompts> prompts;
    QTemporaryDir dir;

private slots:
    void init() { prompts = std::make_unique<ScriptedPrompts>(); }
    void cleanup() { prompts.reset(); }

    void windowsOpenAsTheToolsDescribe()
    {
        // The Chinese short date, whatever the system locale: 2026/12/7.
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/M/d"));
        const QStringList columns = {"点名", "观测X(m)", "观测Y(m)", "观测H(m)", "X坐标(m)", "Y坐标(m)", "高程H(m)"};
        const QList<int> widths = {69, 93, 93, 70, 93, 93, 70};
        const QStringList buttons = {" 追加 ", " 插入 ", "文件导入", "数据另存", " 删除 ", " 清空 ", "计算"};
        const QStringList buttonNames = {"ToolButton1", "ToolButton2", "ToolButton3", "ToolButton7",
                                         "ToolButton4", "ToolButton5", "ToolButton6"};
        for (const ToolCase &tool : Tools()) {
            std::unique_ptr<CoordinateTraverseWindow> w(tool.make());
            const char *name = tool.className;
            QCOMPARE(w->objectName(), QString(name));
            QCOMPARE(w->windowTitle(), tool.title);
            auto *group = w->findChild<QGroupBox *>("GroupBox1");
            QVERIFY2(group && group->title() == tool.group, name);
            QCOMPARE(Headers(w.get()), (QStringList{"", "", "", "", today}));
            auto *grid = w->findChild<PointTableView *>("StringGrid1");
            QVERIFY2(grid, name);
            for (int c = 0; c < columns.size(); ++c) {
                QCOMPARE(grid->model()->headerData(c, Qt::Horizontal).toString(), columns[c]);
                QCOMPARE(grid->columnWidth(c), widths[c]);
            }
            QCOMPARE(grid->model()->columnCount(), 7);
            QCOMPARE(Table(w.get(), "StringGrid1")->rows(), tool.startRows);
            QCOMPARE(Labels(w.get(), tool.labelNames), tool.startLabels);
            QStringList allLabels;
            // (LabRigorous, the line of 严密平差, has its own test.)
            for (QLabel *label : w->findChildren<QLabel *>())
                if (label->objectName().startsWith("Lab") && label->objectName() != "LabRigorous" &&
                    label->objectName() != "LabStale")
                    allLabels += label->objectName();
            QCOMPARE(allLabels.size(), tool.labelNames.size());
            QStringList captions;
            for (const QString &button : buttonNames) {
                auto *action = w->findChild<QAction *>(button);
                captions += action ? action->text() : QStringLiteral("<none>");
            }
            QCOMPARE(captions, buttons);

            // " 清空 " empties the table and leaves five data rows, whatever it had.
            Fill(w.get(), tool.example);
            Table(w.get(), "StringGrid1")->appendRow();
            QVERIFY(Press(w.get(), "ToolButton5"));
            QCOMPARE(Table(w.get(), "StringGrid1")->rows(), 5);
            for (const QStringList &row : Rows(w.get()))
                QCOMPARE(row, QStringList(7, QString()));
        }
    }

    void examplesComputeThroughTheWindows()
    {
        for (const ToolCase &tool : Tools()) {
            std::unique_ptr<CoordinateTraverseWindow> w(tool.make());
            Fill(w.get(), tool.example);
            QVERIFY(Press(w.get(), "ToolButton6"));
            QCOMPARE(prompts->errors, QStringList());
            QCOMPARE(Labels(w.get(), tool.labelNames), tool.summary);
            QCOMPARE(Rows(w.get()), tool.adjusted);
            // The working values stay with the window for the report.
            QCOMPARE(w->lastResult().adjusted.size(), static_cast<size_t>(tool.example.size() - (tool.minimumRows - 1)));
            QVERIFY2(!w->lastResult().legs.empty(), tool.className);
        }
    }

    // Each tool with no new point at all: the labels are computed and no row is written.
    void noNewPoint()
    {
        struct Case {
            const char *name;
            std::function<CoordinateTraverseWindow *()> make;
            QList<QStringList> rows;
            QStringList labelNames, summary;
        };
        const QList<QStringList> connecting = {
            {"A", "", "", "", "0", "0", ""},
            {"B", "", "", "", "0", "100", "10"},
            {"C", "100.003", "99.996", "12.005", "100", "100", "12"},
            {"D", "200.003", "99.996", "", "200", "100", ""},
        };
        const Case cases[] = {
            {"connecting", [] { return new TFormZBFH(nullptr); }, connecting, BearingLabels,
             {"FB=0″", "VB=0″", "Fx=3mm", "Fy=-4mm", "Fs=5mm", "K=1/20001", "Fh=5mm", "导线总长[S]=100m"}},
            {"single-side", [] { return new TFormZBFH1(nullptr); }, connecting.mid(0, 3), SideLabels,
             {"Fx=3mm", "Fy=-4mm", "Fs=5mm", "K=1/20001", "Fh=5mm", "导线总长[S]=100m"}},
        };
        for (const Case &c : cases) {
            std::unique_ptr<CoordinateTraverseWindow> w(c.make());
            Fill(w.get(), c.rows);
            Press(w.get(), "ToolButton6");
            QCOMPARE(prompts->errors, QStringList());
            QCOMPARE(Labels(w.get(), c.labelNames), c.summary);
            QVERIFY2(Rows(w.get()) == c.rows, c.name);
        }
        // No-orientation: the only written row is C, back on its known coordinates.
        TFormZBwdx w(nullptr);
        Fill(&w, {{"B", "0", "0", "0", "0", "100", "10"}, {"C", "0", "100.01", "2.005", "100", "100", "12"}});
        Press(&w, "ToolButton6");
        QCOMPARE(Labels(&w, SideLabels),
                 (QStringList{"Fx=10mm", "Fy=0mm", "Fs=10mm", "K=1/10001", "Fh=5mm", "导线总长[S]=100m"}));
        QCOMPARE(Rows(&w).value(1), (QStringList{"C", "0", "100.01", "2.005", "100.000", "100.000", "12.000"}));
    }

    // An exact closure is a perfect traverse: K=1/∞ and the coordinates are written.
    void exactClosureWritesTheCoordinates()
    {
        TFormZBFH1 w(nullptr);
        Fill(&w, {{"A", "", "", "", "0", "0", ""},
                  {"B", "", "", "", "0", "100", "10"},
                  {"P1", "60.25", "140.5", "11.2", "", "", ""},
                  {"C", "150", "180", "12.004", "150", "180", "12"}});
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Labels(&w, SideLabels),
                 (QStringList{"Fx=0mm", "Fy=0mm", "Fs=0mm", "K=1/∞", "Fh=4mm", "导线总长[S]=171m"}));
        QCOMPARE(Rows(&w).value(2), (QStringList{"P1", "60.25", "140.5", "11.2", "60.250", "140.500", "11.198"}));
    }

    void failuresWriteNothing()
    {
        for (const ToolCase &tool : Tools()) {
            // Too few rows for the traverse type: a clear message, nothing shown.
            std::unique_ptr<CoordinateTraverseWindow> w(tool.make());
            Fill(w.get(), tool.example.mid(0, tool.minimumRows - 1));
            prompts->errors.clear();
            Press(w.get(), "ToolButton6");
            QCOMPARE(prompts->errors, QStringList{QString::fromUtf8(tool.tooFew)});
            QCOMPARE(Labels(w.get(), tool.labelNames), tool.startLabels);
            // Nor can such a table be saved as a data file.
            prompts->errors.clear();
            Press(w.get(), "ToolButton7");
            QCOMPARE(prompts->errors, QStringList{QString::fromUtf8(tool.tooFew)});
            QCOMPARE(prompts->saveDialogs.size(), 0);

            // A cell that is no number: its message, no label and no cell changed.
            QList<QStringList> bad = tool.example;
            bad[bad.size() - 1][1] = "5l00";
            Fill(w.get(), bad);
            prompts->errors.clear();
            Press(w.get(), "ToolButton6");
            QCOMPARE(prompts->errors, QStringList{"'5l00' is not a valid floating point value"});
            QCOMPARE(Labels(w.get(), tool.labelNames), tool.startLabels);
            QCOMPARE(Rows(w.get()), bad);
        }
        // Two rows of a traverse at the same measured place: the bearing between them is undefined.
        TFormZBFH1 w(nullptr);
        QList<QStringList> rows = SingleSideExample;
        rows[2][1] = "5000";
        rows[2][2] = "5100";
        rows[2][3] = "";
        Fill(&w, rows);
        prompts->errors.clear();
        Press(&w, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList{"Invalid floating point operation"});
        QCOMPARE(Rows(&w), rows);
        // B and C at one place leave the no-orientation traverse without a turning angle.
        TFormZBwdx free(nullptr);
        QList<QStringList> same = NoOrientationExample;
        same[2][4] = "5000";
        same[2][5] = "5100";
        Fill(&free, same);
        prompts->errors.clear();
        Press(&free, "ToolButton6");
        QCOMPARE(prompts->errors, QStringList{QString::fromUtf8(CoordinateNoOrientationCoincidentText)});
        QCOMPARE(Rows(&free), same);
    }

    void dataFileRoundTrip_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QStringList>("file");
        QTest::addColumn<QList<QStringList>>("readBack");
        // The adjusted cells of the new points are no part of the file; the names of the
        // stations that are also known points are read twice, the measured line's name standing.
        QTest::newRow("connecting") << 0
                                    << QStringList{"工程,一级,张三,李四,2026-12-07", "1", "A,5000,5000,", "B,5000,5100,50",
                                                   "C,5100,5300,52", "D,5000,5400,", "P1,5100.004,5200.003,51.234",
                                                   "C,5100.010,5300.002,52.010", "D,5000.012,5400.005,"}
                                    << ConnectingExample;
        QTest::newRow("single-side") << 1
                                     << QStringList{"工程,一级,张三,李四,2026-12-07", "1", "A,5000,5000,", "B,5000,5100,50",
                                                    "C,5100,5300,52", "P1,5100.004,5200.003,51.234",
                                                    "C,5100.010,5300.002,52.010"}
                                     << SingleSideExample;
        // The computation rewrote the known cells of C with its adjusted coordinates.
        QTest::newRow("no-orientation") << 2
                                        << QStringList{"工程,一级,张三,李四,2026-12-07", "1", "B,5000,5100,50",
                                                       "C,5100.000,5300.000,52.000", "B,100,100,10",
                                                       "P1,118.463,240.208,11.236", "C,57.577,319.555,12.011"}
                                        << With(NoOrientationExample, 2, {"5100.000", "5300.000", "52.000"});
    }

    void dataFileRoundTrip()
    {
        QFETCH(int, tool);
        QFETCH(QStringList, file);
        QFETCH(QList<QStringList>, readBack);
        const ToolCase c = Tools()[tool];
        const QStringList header = {"工程", "一级", "张三", "李四", "2026-12-07"};
        std::unique_ptr<CoordinateTraverseWindow> w(c.make());
        Fill(w.get(), c.example);
        for (int i = 0; i < 5; ++i)
            SetField(w.get(), HeaderNames[i], header[i]);
        Press(w.get(), "ToolButton6"); // the written coordinates do not go into the file
        const QString path = dir.filePath(QStringLiteral("%1.txt").arg(c.className));
        QFile::remove(path);
        prompts->saveAnswers.push_back(path);
        QVERIFY(Press(w.get(), "ToolButton7"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(prompts->saveDialogs.value(0).title, QString("坐标数据另存为..."));
        QCOMPARE(ReadFile(path), EncodeText(file.join("\r\n") + "\r\n"));

        std::unique_ptr<CoordinateTraverseWindow> fresh(c.make());
        prompts->openAnswers.push_back(path);
        QVERIFY(Press(fresh.get(), "ToolButton3"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(prompts->openDialogs.value(0).title, QString("打开坐标数据文件"));
        QCOMPARE(Rows(fresh.get()), readBack);
        QCOMPARE(Headers(fresh.get()), header);
        Press(fresh.get(), "ToolButton6");
        QCOMPARE(Labels(fresh.get(), c.labelNames), c.summary);
    }

    // A file of the connecting traverse whose known-point names differ from the measured ones;
    // then files that cannot be read leave the window as it was.
    void dataFilesAreReadCompletelyFirst()
    {
        TFormZBFH w(nullptr);
        const QString good = "h1,h2,h3,h4,h5\r\n0\r\nA,1,2,3\r\nB,4,5,6\r\nCk,7,8,9\r\nDk,10,11,12\r\n"
                             "Cm,13,14,15\r\nDm,16,17\r\n";
        prompts->openAnswers.push_back(WriteFile(dir.filePath("good.txt"), EncodeText(good)));
        Press(&w, "ToolButton3");
        QCOMPARE(prompts->errors, QStringList());
        const QList<QStringList> expected = {{"A", "", "", "", "1", "2", "3"},
                                             {"B", "", "", "", "4", "5", "6"},
                                             {"Cm", "13", "14", "15", "7", "8", "9"},
                                             {"Dm", "16", "17", "", "10", "11", "12"}};
        QCOMPARE(Rows(&w), expected);

        const QByteArray bad[] = {"h\r\nx\r\nA,1,2,3\r\n", "h\r\n3\r\nA,1,2\r\nB,3,4\r\nC,5,6\r\nD,7,8\r\nB,1,2\r\n"};
        for (const QByteArray &bytes : bad) {
            prompts->errors.clear();
            prompts->openAnswers.push_back(WriteFile(dir.filePath("bad.txt"), bytes));
            Press(&w, "ToolButton3");
            QCOMPARE(prompts->errors.size(), 1);
            QCOMPARE(Rows(&w), expected);
            QCOMPARE(Field(&w, "EditGC"), QString("h1"));
        }
    }
};

QTEST_MAIN(CoordinateTraverseWindowsTest)
#include "CoordinateTraverseWindowsTest.moc"
