// The multi-common-point window, driven by object names as a user would.
#include "support/WindowTestSupport.h"
#include "tools/PMZH2/TFormPMZH2.h"

#include "core/PlaneSimilarity.h"

#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QStringList ParameterNames = {"EditA", "EditB", "EditC", "EditD", "EditDH"};

// Common-point rows: name, old x, y, H, new x, y, H.
using Rows7 = QList<QStringList>;

} // namespace

class TFormPMZH2Test : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        window = std::make_unique<TFormPMZH2>(nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void opensWithIdentityParameters()
    {
        QCOMPARE(window->objectName(), QString("TFormPMZH2"));
        QCOMPARE(window->windowTitle(), QString("多公共点平面相似变换"));
        QCOMPARE(Fields(window.get(), ParameterNames), (QStringList{"0", "0", "0", "1", "0"}));
        for (const QString &name : ParameterNames)
            QVERIFY2(window->findChild<QLineEdit *>(name)->isReadOnly(), qPrintable(name));
        QCOMPARE(Table(window.get(), "StringGrid1")->rows(), 2);
        QCOMPARE(Table(window.get(), "StringGrid1")->captions(),
                 (QStringList{"点号", "老坐标x(m)", "老坐标y(m)", "老坐标H(m)", "新坐标x(m)", "新坐标y(m)", "新坐标H(m)",
                              "残差x(m)", "残差y(m)", "残差H(m)"}));
        for (const char *table : {"StringGrid2", "StringGrid3"}) {
            QCOMPARE(Table(window.get(), table)->rows(), 1);
            QCOMPARE(Table(window.get(), table)->captions(), (QStringList{"点号", "纵坐标x(m)", "横坐标y(m)", "高程H(m)"}));
        }
    }

    // "解算四参数": parameters as shown and residuals in columns 7 to 9.
    void estimate_data()
    {
        QTest::addColumn<Rows7>("common");
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<QList<QStringList>>("residuals");
        const QStringList zero = {"0.0000", "0.0000", "0.0000"};
        QTest::newRow("identical systems")
            << Rows7{{"A", "10", "20", "5", "10", "20", "5"}, {"B", "30", "-40", "6", "30", "-40", "6"}}
            << QStringList{"0.000000", "0.000000", "0.0000000000", "1.0000000000", "0.0000"}
            << QList<QStringList>{zero, zero};
        QTest::newRow("pure shift")
            << Rows7{{"A", "10", "20", "5", "110", "-30", "7"}, {"B", "30", "-40", "6", "130", "-90", "8"},
                     {"C", "100", "7", "8", "200", "-43", "10"}}
            << QStringList{"100.000000", "-50.000000", "0.0000000000", "1.0000000000", "2.0000"}
            << QList<QStringList>{zero, zero, zero};
        QTest::newRow("turned left 90°")
            << Rows7{{"A", "10", "20", "0", "-20", "10", "0"}, {"B", "30", "-40", "0", "40", "30", "0"}}
            << QStringList{"0.000000", "0.000000", "324000.0000000000", "1.0000000000", "0.0000"}
            << QList<QStringList>{zero, zero};
        QTest::newRow("turned right 90°")
            << Rows7{{"A", "10", "20", "0", "20", "-10", "0"}, {"B", "30", "-40", "0", "-40", "-30", "0"}}
            << QStringList{"0.000000", "0.000000", "-324000.0000000000", "1.0000000000", "0.0000"}
            << QList<QStringList>{zero, zero};
        QTest::newRow("turned 180°")
            << Rows7{{"A", "10", "20", "0", "-10", "-20", "0"}, {"B", "30", "-40", "0", "-30", "40", "0"}}
            << QStringList{"0.000000", "0.000000", "648000.0000000000", "1.0000000000", "0.0000"}
            << QList<QStringList>{zero, zero};
        QTest::newRow("heights: mean difference")
            << Rows7{{"A", "0", "0", "10", "0", "0", "11"}, {"B", "10", "0", "20", "10", "0", "22"},
                     {"C", "0", "10", "30", "0", "10", "36"}}
            << QStringList{"0.000000", "0.000000", "0.0000000000", "1.0000000000", "3.0000"}
            << QList<QStringList>{{"0.0000", "0.0000", "2.0000"}, {"0.0000", "0.0000", "1.0000"}, {"0.0000", "0.0000", "-3.0000"}};
        QTest::newRow("empty row is a point at the origin")
            << Rows7{{"A", "10", "0", "0", "110", "-50", "2"}, {"B", "0", "10", "0", "100", "-40", "2"}, {}}
            << QStringList{"50.000000", "-25.000000", "-212530.4764845353", "4.3732139211", "1.3333"}
            << QList<QStringList>{{"-37.5000", "-12.5000", "-0.6667"}, {"-12.5000", "37.5000", "-0.6667"},
                                  {"50.0000", "-25.0000", "1.3333"}};
    }
    void estimate()
    {
        QFETCH(Rows7, common);
        QFETCH(QStringList, parameters);
        QFETCH(QList<QStringList>, residuals);
        SetRows(window.get(), "StringGrid1", common);
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Fields(window.get(), ParameterNames), parameters);
        QCOMPARE(Rows(window.get(), "StringGrid1", 7, 3), residuals);
        // The common points themselves are untouched.
        QCOMPARE(Rows(window.get(), "StringGrid1", 0, 1).value(0).value(0), common.value(0).value(0));
    }

    // Fewer than two distinct old points: the message, nothing shown is overwritten.
    void tooFewCommonPoints_data()
    {
        QTest::addColumn<Rows7>("common");
        QTest::newRow("one point") << Rows7{{"A", "1", "2", "3", "4", "5", "6"}};
        QTest::newRow("table as it opens") << Rows7{{}, {}};
        QTest::newRow("one place twice") << Rows7{{"A", "1", "1", "0", "5", "5", "0"}, {"B", "1", "1", "9", "6", "7", "0"}};
    }
    void tooFewCommonPoints()
    {
        QFETCH(Rows7, common);
        SetRows(window.get(), "StringGrid1", common);
        for (int r = 0; r < common.size(); ++r)
            SetCell(window.get(), "StringGrid1", r, 7, "kept");
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{TooFewCommonPointsText});
        QCOMPARE(Fields(window.get(), ParameterNames), (QStringList{"0", "0", "0", "1", "0"}));
        QCOMPARE(Cell(window.get(), "StringGrid1", 0, 7), QString("kept"));
    }

    void badCommonCell()
    {
        SetRows(window.get(), "StringGrid1", {{"A", "1", "2", "3", "4", "5", "6"}, {"B", "7", "8", "9", "1,5", "2", "3"}});
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"'1,5' is not a valid floating point value"});
        QCOMPARE(Fields(window.get(), ParameterNames), (QStringList{"0", "0", "0", "1", "0"}));
    }

    // The conversion uses the texts as shown (T and K at 10 decimals); every row converts.
    void convertWithTheTextsShown()
    {
        QTemporaryDir dir;
        const QString parameters = WriteFile(dir.filePath("p.txt"), "100,-50,324000,2,1.5\r\n");
        prompts->openAnswers.push_back(parameters);
        QVERIFY(Press(window.get(), "ToolButton16"));
        SetRows(window.get(), "StringGrid2", {{"A", "10", "0", "1"}, {}, {"C", "0", "10", ""}});
        QVERIFY(Press(window.get(), "ToolButton7"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Rows(window.get(), "StringGrid3"), (QList<QStringList>{{"A", "100.0000", "-30.0000", "2.5000"},
                                                                         {"", "100.0000", "-50.0000", "1.5000"},
                                                                         {"C", "80.0000", "-50.0000", "1.5000"}}));
    }

    // Estimated parameters convert the common points onto their new coordinates.
    void estimateThenConvert()
    {
        const Rows7 common = {{"A", "3510123.456", "512345.678", "45.1", "3510987.654", "498765.432", "47.9"},
                              {"B", "3512876.543", "514987.321", "47.3", "3513742.118", "501398.775", "50.1"},
                              {"C", "3509001.234", "516001.111", "40.0", "3509880.123", "502420.456", "42.8"}};
        SetRows(window.get(), "StringGrid1", common);
        QVERIFY(Press(window.get(), "ToolButton6"));
        SetRows(window.get(), "StringGrid2", {{"A", "3510123.456", "512345.678", "45.1"}});
        QVERIFY(Press(window.get(), "ToolButton7"));
        QCOMPARE(prompts->errors, QStringList());
        const QStringList residual = Table(window.get(), "StringGrid1")->rowTexts(0).mid(7, 3);
        const QStringList converted = Table(window.get(), "StringGrid3")->rowTexts(0);
        // Converted = new + residual, within the rounding of T and K to 10 decimals (≈ 0.1 mm at 3500 km).
        const double expect[] = {3510987.654 + residual[0].toDouble(), 498765.432 + residual[1].toDouble(),
                                 47.9 + residual[2].toDouble()};
        for (int c = 0; c < 3; ++c)
            QVERIFY2(std::abs(converted[c + 1].toDouble() - expect[c]) < 0.0006,
                     qPrintable(QString("column %1: %2 vs %3").arg(c + 1).arg(converted[c + 1]).arg(expect[c], 0, 'f', 4)));
    }

    // "保存参数" writes the five texts as shown; "导入参数" reads them back unchanged.
    void parameterFileRoundTrip()
    {
        SetRows(window.get(), "StringGrid1", {{"A", "10", "20", "5", "110", "-30", "7"}, {"B", "30", "-40", "6", "130", "-90", "8"}});
        QVERIFY(Press(window.get(), "ToolButton6"));
        const QStringList shown = Fields(window.get(), ParameterNames);
        QTemporaryDir dir;
        prompts->saveAnswers.push_back(dir.filePath("params"));
        QVERIFY(Press(window.get(), "ToolButton15"));
        QCOMPARE(ReadFile(dir.filePath("params.txt")),
                 QByteArray("100.000000,-50.000000,0.0000000000,1.0000000000,2.0000\r\n"));
        for (const QString &name : ParameterNames)
            SetField(window.get(), name, "9");
        prompts->openAnswers.push_back(dir.filePath("params.txt"));
        QVERIFY(Press(window.get(), "ToolButton16"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Fields(window.get(), ParameterNames), shown);
    }

    void parameterFileLoadsTextsUnchecked_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("three fields") << QByteArray("1.5,2.5,3\r\n") << QStringList{"1.5", "2.5", "3", "0", "0"};
        QTest::newRow("only the first line") << QByteArray("1,2,3,4,5\r\n6,7,8,9,10\r\n") << QStringList{"1", "2", "3", "4", "5"};
        QTest::newRow("texts as they stand") << QByteArray(" 1 ,abc,,4,5,6\r\n") << QStringList{" 1 ", "abc", "", "4", "5"};
        QTest::newRow("empty file") << QByteArray() << QStringList{"", "0", "0", "0", "0"};
    }
    void parameterFileLoadsTextsUnchecked()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, fields);
        QTemporaryDir dir;
        prompts->openAnswers.push_back(WriteFile(dir.filePath("p.txt"), file));
        QVERIFY(Press(window.get(), "ToolButton16"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Fields(window.get(), ParameterNames), fields);
    }

    // "保存公共点" writes all ten columns, residuals included; the file imports back (seven fields).
    void commonPointFileRoundTrip()
    {
        const Rows7 common = {{"A", "10", "20", "5", "110", "-30", "7"}, {"点B", "30", "-40", "6", "130", "-90", "9"}};
        SetRows(window.get(), "StringGrid1", common);
        QVERIFY(Press(window.get(), "ToolButton6"));
        QTemporaryDir dir;
        prompts->saveAnswers.push_back(dir.filePath("common"));
        QVERIFY(Press(window.get(), "ToolButton14"));
        const QByteArray saved = ReadFile(dir.filePath("common.txt"));
        QVERIFY2(saved.startsWith("A,10,20,5,110,-30,7,0.0000,0.0000,0.5000\r\n"), saved.constData());
        QCOMPARE(saved.count("\r\n"), 2);
        QCOMPARE(saved.count(','), 18);
        SetRows(window.get(), "StringGrid1", {{}, {}, {}});
        prompts->openAnswers.push_back(dir.filePath("common.txt"));
        QVERIFY(Press(window.get(), "ToolButton3"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Rows(window.get(), "StringGrid1", 0, 7), common);
        QCOMPARE(Rows(window.get(), "StringGrid1", 7, 3), (QList<QStringList>{{"", "", ""}, {"", "", ""}}));
    }

    // "数据另存" writes name, x, y, H; the file imports back into the input table unchanged.
    void resultFileRoundTrip()
    {
        SetRows(window.get(), "StringGrid2", {{"P1", "1", "2", "3"}, {"P2", "-4.5", "", "6"}});
        QVERIFY(Press(window.get(), "ToolButton7"));
        QTemporaryDir dir;
        prompts->saveAnswers.push_back(dir.filePath("result"));
        QVERIFY(Press(window.get(), "ToolButton8"));
        QCOMPARE(ReadFile(dir.filePath("result.txt")), QByteArray("P1,1.0000,2.0000,3.0000\r\nP2,-4.5000,0.0000,6.0000\r\n"));
        prompts->openAnswers.push_back(dir.filePath("result.txt"));
        QVERIFY(Press(window.get(), "ToolButton11"));
        QCOMPARE(Rows(window.get(), "StringGrid2"), Rows(window.get(), "StringGrid3"));
    }

    // Each toolbar acts on its own table only.
    void toolbarsActOnTheirOwnTables()
    {
        SetRows(window.get(), "StringGrid2", {{"P1", "1", "2", "3"}});
        SetRows(window.get(), "StringGrid1", {{"A", "1"}, {"B", "2"}, {"C", "3"}});
        QVERIFY(Press(window.get(), "ToolButton5"));
        QCOMPARE(Table(window.get(), "StringGrid1")->rows(), 1);
        QCOMPARE(Cell(window.get(), "StringGrid2", 0, 0), QString("P1"));
        QVERIFY(Press(window.get(), "ToolButton9"));
        QCOMPARE(Table(window.get(), "StringGrid2")->rows(), 2);
        QCOMPARE(window->findChild<PointTableView *>("StringGrid2")->currentDataRow(), 1);
        QCOMPARE(Table(window.get(), "StringGrid1")->rows(), 1);
        QVERIFY(Press(window.get(), "ToolButton13"));
        QCOMPARE(Rows(window.get(), "StringGrid2"), (QList<QStringList>{{"", "", "", ""}}));
    }

    // As the window opens, every column of its tables shows whole, caption included, without a
    // horizontal scroll bar, also when enough rows call for a vertical one.
    void tablesShowEveryColumn()
    {
        const QString cut = ColumnsCutOff(window.get(), {"StringGrid1", "StringGrid2", "StringGrid3"});
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }

    void tableGroupsShareTheWidth()
    {
        for (int width : {809, 900, 1101}) {
            const int expected = (width - 13) / 2;
            const int actual = GroupWidthAt(window.get(), width, 600, "GroupBoxOld");
            QVERIFY2(std::abs(actual - expected) <= 1, qPrintable(QString("width %1: %2").arg(width).arg(actual)));
        }
    }

private:
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<TFormPMZH2> window;
};

QTEST_MAIN(TFormPMZH2Test)
#include "TFormPMZH2Test.moc"
