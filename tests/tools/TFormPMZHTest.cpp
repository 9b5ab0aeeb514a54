// The two-common-point window, driven by object names as a user would.
#include "support/WindowTestSupport.h"
#include "tools/PMZH/TFormPMZH.h"

#include "core/PlaneSimilarity.h"

#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

// The ten common-point fields in the order of the common-point file.
const QStringList CommonFieldNames = {"EditUo", "EditVo", "EditXo", "EditYo", "EditUt",
                                      "EditVt", "EditXt", "EditYt", "EditZo", "EditHo"};
const QStringList ParameterNames = {"EditDX", "EditDY", "EditT", "EditK", "EditDH"};

void SetCommon(QWidget *w, const QStringList &texts)
{
    for (int i = 0; i < CommonFieldNames.size(); ++i)
        SetField(w, CommonFieldNames.at(i), texts.value(i));
}

void DoubleClick(QWidget *w, const QString &name)
{
    auto *field = w->findChild<QLineEdit *>(name);
    QVERIFY(field);
    QTest::mouseDClick(field, Qt::LeftButton);
}

} // namespace

class TFormPMZHTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        window = std::make_unique<TFormPMZH>(nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void opensEmpty()
    {
        QCOMPARE(window->objectName(), QString("TFormPMZH"));
        QCOMPARE(window->windowTitle(), QString("二公共点平面简易转换"));
        QCOMPARE(Fields(window.get(), CommonFieldNames), QStringList(10, QString()));
        QCOMPARE(Fields(window.get(), ParameterNames), (QStringList{"0", "0", "0", "1", "0"}));
        for (const QString &name : ParameterNames)
            QVERIFY2(window->findChild<QLineEdit *>(name)->isReadOnly(), qPrintable(name));
        QCOMPARE(window->findChild<QLineEdit *>("EditK")->toolTip(), QString("双击尺度比置为1"));
        for (const char *table : {"StringGrid1", "StringGrid2"}) {
            QCOMPARE(Table(window.get(), table)->captions(), (QStringList{"点号", "纵坐标X", "横坐标Y", "高程H"}));
            QCOMPARE(Table(window.get(), table)->rows(), 1);
        }
        QVERIFY(window->findChild<QRadioButton *>("RadioButton1")->isChecked());
        QCOMPARE(window->findChild<QRadioButton *>("RadioButton2")->text(), QString("点号,Y,X,H"));
    }

    // "计算参数" or a double click on "K=", then "转换计算" of one point.
    void computeAndConvert_data()
    {
        QTest::addColumn<QStringList>("common");
        QTest::addColumn<bool>("unitScale");
        QTest::addColumn<QStringList>("parameters"); // Dx, Dy, T, K, Dh as shown
        QTest::addColumn<QStringList>("point");
        QTest::addColumn<QStringList>("converted");
        const QStringList quarter = {"0", "0", "1000", "2000", "100", "0", "1000", "2100", "", ""};
        QTest::newRow("quarter turn") << quarter << false
                                      << QStringList{"1000.000000", "2000.000000", "90.0000000000", "1.000000000000", "0.0000"}
                                      << QStringList{"P", "0", "100", ""} << QStringList{"P", "900.0000", "2000.0000", "0.0000"};
        QTest::newRow("quarter turn, K double-clicked")
            << quarter << true << QStringList{"1000.0000", "2000.0000", "90.0000000000", "1", "0.0000"}
            << QStringList{"P", "0", "100", ""} << QStringList{"P", "900.0000", "2000.0000", "0.0000"};
        QTest::newRow("twice the distance")
            << QStringList{"10", "20", "110", "220", "13", "24", "116", "228", "", ""} << false
            << QStringList{"90.000000", "180.000000", "0.0000000000", "2.000000000000", "0.0000"}
            << QStringList{"Q", "1", "1", "1"} << QStringList{"Q", "92.0000", "182.0000", "1.0000"};
        QTest::newRow("height reference")
            << QStringList{"0", "0", "0", "0", "1", "1", "1", "1", "10", "12.5"} << false
            << QStringList{"0.000000", "0.000000", "0.0000000000", "1.000000000000", "2.5000"}
            << QStringList{"H", "5", "6", "7"} << QStringList{"H", "5.0000", "6.0000", "9.5000"};
        QTest::newRow("turn right shows a negative angle")
            << QStringList{" 0", "0 ", "0", "0", "0", "100", "100", "0", "", ""} << false
            << QStringList{"0.000000", "0.000000", "-90.0000000000", "1.000000000000", "0.0000"}
            << QStringList{"R", "0", "50", ""} << QStringList{"R", "50.0000", "0.0000", "0.0000"};
    }
    void computeAndConvert()
    {
        QFETCH(QStringList, common);
        QFETCH(bool, unitScale);
        QFETCH(QStringList, parameters);
        QFETCH(QStringList, point);
        QFETCH(QStringList, converted);
        SetCommon(window.get(), common);
        if (unitScale)
            DoubleClick(window.get(), "EditK");
        else
            QVERIFY(Press(window.get(), "Button6"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Fields(window.get(), ParameterNames), parameters);
        SetRow(window.get(), "StringGrid1", 0, point);
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Rows(window.get(), "StringGrid2"), (QList<QStringList>{converted}));
    }

    // A double click on "K=" after a computation with K = 2 puts "1" back and recomputes the rest
    // with the unit scale; the conversion then uses K = 1.
    void doubleClickAfterComputeForcesUnitScale()
    {
        SetCommon(window.get(), {"10", "20", "110", "220", "13", "24", "116", "228", "1", "3"});
        QVERIFY(Press(window.get(), "Button6"));
        QCOMPARE(Field(window.get(), "EditK"), QString("2.000000000000"));
        DoubleClick(window.get(), "EditK");
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Fields(window.get(), ParameterNames),
                 (QStringList{"100.0000", "200.0000", "0.0000000000", "1", "2.0000"}));
        SetRow(window.get(), "StringGrid1", 0, {"Q", "1", "1", "1"});
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(Rows(window.get(), "StringGrid2"), (QList<QStringList>{{"Q", "101.0000", "201.0000", "3.0000"}}));
    }

    // Every row converts, empty ones too; the result table follows the input's row count.
    void convertsEveryRow()
    {
        SetCommon(window.get(), {"0", "0", "1000", "2000", "100", "0", "1000", "2100", "10", "12.5"});
        QVERIFY(Press(window.get(), "Button6"));
        PointTableModel *input = Table(window.get(), "StringGrid1");
        input->setRowCount(3);
        SetRow(window.get(), "StringGrid1", 0, {"A", "0", "100", "1"});
        SetRow(window.get(), "StringGrid1", 2, {"C", "100", "0", "2"});
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(Rows(window.get(), "StringGrid2"),
                 (QList<QStringList>{{"A", "900.0000", "2000.0000", "3.5000"},
                                     {"", "1000.0000", "2000.0000", "2.5000"},
                                     {"C", "1000.0000", "2100.0000", "4.5000"}}));
        input->setRowCount(1);
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(Table(window.get(), "StringGrid2")->rows(), 1);
    }

    // Two old points at one place: the message, and the parameters already shown stay.
    void coincidentOldPointsAreRefused()
    {
        SetCommon(window.get(), {"0", "0", "1000", "2000", "100", "0", "1000", "2100", "", ""});
        QVERIFY(Press(window.get(), "Button6"));
        const QStringList shown = Fields(window.get(), ParameterNames);
        SetCommon(window.get(), {"5", "5", "1000", "2000", "5", "5", "1000", "2100", "", ""});
        QVERIFY(Press(window.get(), "Button6"));
        DoubleClick(window.get(), "EditK");
        QCOMPARE(prompts->errors, (QStringList{CoincidentOldPointsText, CoincidentOldPointsText}));
        QCOMPARE(Fields(window.get(), ParameterNames), shown);
    }

    void badCellStopsAtItsRow()
    {
        Table(window.get(), "StringGrid1")->setRowCount(3);
        SetRow(window.get(), "StringGrid1", 0, {"A", "1", "2", "3"});
        SetRow(window.get(), "StringGrid1", 1, {"B", "1", "x2", "3"});
        SetRow(window.get(), "StringGrid1", 2, {"C", "4", "5", "6"});
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"'x2' is not a valid floating point value"});
        QCOMPARE(Rows(window.get(), "StringGrid2"),
                 (QList<QStringList>{{"A", "1.0000", "2.0000", "3.0000"}, {"", "", "", ""}, {"", "", "", ""}}));
    }

    // "文件导入" puts the file's coordinates into X and Y in the order chosen; a field the line lacks
    // stays empty.
    void importInChosenOrder_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::newRow("点号,X,Y,H") << "RadioButton1"
                                    << QList<QStringList>{{"P1", "200", "100", "5"}, {"P2", "300", "", ""}, {"", "", "", ""}};
        QTest::newRow("点号,Y,X,H") << "RadioButton2"
                                    << QList<QStringList>{{"P1", "100", "200", "5"}, {"P2", "", "300", ""}, {"", "", "", ""}};
    }
    void importInChosenOrder()
    {
        QFETCH(QString, radio);
        QFETCH(QList<QStringList>, rows);
        QTemporaryDir dir;
        const QString path = WriteFile(dir.filePath("in.txt"), "P1,200,100,5\r\nP2,300\r\n\r\n");
        window->findChild<QRadioButton *>(radio)->setChecked(true);
        prompts->openAnswers.push_back(path);
        QVERIFY(Press(window.get(), "ToolButton3"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(prompts->openDialogs.value(0).title, QString("打开坐标数据文件"));
        QCOMPARE(Rows(window.get(), "StringGrid1"), rows);
    }

    void cassLineHasEastingFirst()
    {
        SetRow(window.get(), "StringGrid1", 0, {"P1", "1", "2", "3"});
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(Rows(window.get(), "StringGrid2"), (QList<QStringList>{{"P1", "1.0000", "2.0000", "3.0000"}}));
        QTemporaryDir dir;
        prompts->saveAnswers.push_back(dir.filePath("cass"));
        QVERIFY(Press(window.get(), "ToolButton8"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(prompts->saveDialogs.value(0).title, QString("另存为cass50坐标数据文件..."));
        QCOMPARE(prompts->saveDialogs.value(0).filter, QString("Text files (*.dat)"));
        QCOMPARE(ReadFile(dir.filePath("cass.dat")), QByteArray("P1,,2.0000,1.0000,3.0000\r\n"));
        // The overwrite prompt guards an existing file: "No" leaves it as it was.
        SetRow(window.get(), "StringGrid1", 0, {"P9", "9", "9", "9"});
        QVERIFY(Press(window.get(), "ToolButton6"));
        prompts->saveAnswers.push_back(dir.filePath("cass.dat"));
        prompts->overwriteAnswers.push_back(false);
        QVERIFY(Press(window.get(), "ToolButton8"));
        QCOMPARE(prompts->overwriteQuestions, 1);
        QCOMPARE(ReadFile(dir.filePath("cass.dat")), QByteArray("P1,,2.0000,1.0000,3.0000\r\n"));
    }

    // "数据另存" writes name, X, Y, H; the file imports back into the input table unchanged.
    void resultFileRoundTrip()
    {
        Table(window.get(), "StringGrid1")->setRowCount(2);
        SetRow(window.get(), "StringGrid1", 0, {"点1", "3510000.123", "500000.5", "12"});
        SetRow(window.get(), "StringGrid1", 1, {"B", "-1", "-2", ""});
        QVERIFY(Press(window.get(), "ToolButton6"));
        QTemporaryDir dir;
        prompts->saveAnswers.push_back(dir.filePath("result"));
        QVERIFY(Press(window.get(), "ToolButton7"));
        QCOMPARE(prompts->saveDialogs.value(0).title, QString("坐标数据另存为..."));
        const QByteArray saved = ReadFile(dir.filePath("result.txt"));
        QVERIFY2(saved.endsWith("B,-1.0000,-2.0000,0.0000\r\n"), saved.constData());
        const QList<QStringList> result = Rows(window.get(), "StringGrid2");
        prompts->openAnswers.push_back(dir.filePath("result.txt"));
        QVERIFY(Press(window.get(), "ToolButton3"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Rows(window.get(), "StringGrid1"), result);
    }

    // "保存公共点..." writes three lines of the texts as typed; "载入公共点..." reads them back.
    void commonPointFileRoundTrip()
    {
        const QStringList typed = {"0", " 0", "1000.5", "2000", "100", "", "1000", "2100", "10", "12.5"};
        SetCommon(window.get(), typed);
        QTemporaryDir dir;
        prompts->saveAnswers.push_back(dir.filePath("common"));
        QVERIFY(Press(window.get(), "Button5"));
        QCOMPARE(ReadFile(dir.filePath("common.txt")), QByteArray("0, 0,1000.5,2000\r\n100,,1000,2100\r\n10,12.5\r\n"));
        SetCommon(window.get(), QStringList(10, "7"));
        prompts->openAnswers.push_back(dir.filePath("common.txt"));
        QVERIFY(Press(window.get(), "Button4"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Fields(window.get(), CommonFieldNames), typed);
    }

    void commonPointFileWithMissingFields()
    {
        QTemporaryDir dir;
        const QString path = WriteFile(dir.filePath("short.txt"), "1,2,3\r\n4,5,6,7,8\r\n");
        SetCommon(window.get(), QStringList(10, "7"));
        prompts->openAnswers.push_back(path);
        QVERIFY(Press(window.get(), "Button4"));
        QCOMPARE(Fields(window.get(), CommonFieldNames), (QStringList{"1", "2", "3", "", "4", "5", "6", "7", "", ""}));
    }

    // A file that cannot be read leaves the fields as they were.
    void missingCommonPointFile()
    {
        SetCommon(window.get(), QStringList(10, "7"));
        prompts->openAnswers.push_back("/nonexistent/common.txt");
        QVERIFY(Press(window.get(), "Button4"));
        QCOMPARE(prompts->errors, QStringList{"File not found"});
        QCOMPARE(Fields(window.get(), CommonFieldNames), QStringList(10, "7"));
    }

    // As the window opens, every column of its tables shows whole, caption included, without a
    // horizontal scroll bar, also when enough rows call for a vertical one.
    void tablesShowEveryColumn()
    {
        const QString cut = ColumnsCutOff(window.get(), {"StringGrid1", "StringGrid2"});
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }

    void tableGroupsShareTheWidth()
    {
        for (int width : {639, 800, 1001}) {
            const int expected = (width - 13) / 2;
            const int actual = GroupWidthAt(window.get(), width, 520, "GroupBoxOld");
            QVERIFY2(std::abs(actual - expected) <= 1, qPrintable(QString("width %1: %2").arg(width).arg(actual)));
        }
    }

private:
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<TFormPMZH> window;
};

QTEST_MAIN(TFormPMZHTest)
#include "TFormPMZHTest.moc"
