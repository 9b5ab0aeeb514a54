// The Gauss forward and inverse windows, driven through their controls as a user would.
#include "support/WindowTestSupport.h"
#include "tools/GSFS/TFormGSFS.h"
#include "tools/GSZS/TFormGSZS.h"

#include "core/GaussKruger.h"
#include "core/TextForms.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QString KrasovskyA = "6378245.0000000000";
const QString KrasovskyB = "6356863.0187730473";

// No result cell may ever show a NaN or an infinity.
bool HasNonNumberText(QWidget *window)
{
    PointTableModel *t = Table(window, "StringGrid2");
    for (int r = 0; r < t->rows(); ++r)
        for (int c = 0; c < t->columns(); ++c) {
            const QString text = t->cell(r, c).toLower();
            if (text.contains("nan") || text.contains("inf"))
                return true;
        }
    return false;
}

QString ForwardY(Real B, Real l, Real yConstant)
{
    const Ellipsoid krasovsky{TextToNumber(KrasovskyA.toStdString()), TextToNumber(KrasovskyB.toStdString())};
    return QString::fromStdString(NumberToText(3, GaussForward(krasovsky, B, l).y + yConstant));
}

} // namespace

class GaussWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        forward = std::make_unique<TFormGSZS>(nullptr);
        inverse = std::make_unique<TFormGSFS>(nullptr);
    }
    void cleanup()
    {
        forward.reset();
        inverse.reset();
        prompts.reset();
    }

    void windowsAsTheyOpen()
    {
        struct Expect {
            QWidget *window;
            QString className, caption, inputGroup, resultGroup;
            QStringList inputColumns, resultColumns;
        } cases[] = {
            {forward.get(), "TFormGSZS", "高斯投影正算", "地理坐标(B,L)", "平面坐标(x,y)",
             {"点号", "纬度B(dms)", "经度L(dms)"}, {"点号", "纵坐标x(m)", "横坐标y(m)"}},
            {inverse.get(), "TFormGSFS", "高斯投影反算", "平面坐标(x,y)", "地理坐标(B,L)",
             {"点号", "纵坐标x(m)", "横坐标y(m)"}, {"点号", "纬度B(dms)", "经度L(dms)"}},
        };
        for (const auto &c : cases) {
            QWidget *w = c.window;
            const QByteArray where = c.className.toUtf8();
            QVERIFY2(w->objectName() == c.className, where);
            QVERIFY2(w->windowTitle() == c.caption, where);
            // Single border: a fixed size, and only the minimise and close boxes.
            QVERIFY2(w->minimumSize() == w->maximumSize(), where);
            QVERIFY2(!(w->windowFlags() & Qt::WindowMaximizeButtonHint), where);
            QVERIFY2(w->windowFlags() & Qt::WindowMinimizeButtonHint, where);
            QVERIFY2(Table(w, "StringGrid1")->captions() == c.inputColumns, where);
            QVERIFY2(Table(w, "StringGrid2")->captions() == c.resultColumns, where);
            QVERIFY2(Table(w, "StringGrid1")->rows() == 1, where);
            QVERIFY2(!Table(w, "StringGrid2")->isEditable(), where);
            for (const char *grid : {"StringGrid1", "StringGrid2"}) {
                auto *view = w->findChild<QTableView *>(grid);
                // 100 at least: wide enough for a packed angle with 10 decimals in the font at hand.
                QVERIFY2(view->columnWidth(0) == 40 && view->columnWidth(1) >= 100 && view->columnWidth(2) >= 100, where);
                QVERIFY2(view->columnWidth(1) >= view->fontMetrics().horizontalAdvance("117.0000000007"), where);
            }
            QStringList groups;
            for (auto *g : w->findChildren<QGroupBox *>())
                groups << g->title();
            QVERIFY2(groups.contains(c.inputGroup) && groups.contains(c.resultGroup) &&
                         groups.contains("参考椭球及坐标系参数设置"),
                     where);
            const char *buttons[][2] = {{"ToolButton1", " 追加 "}, {"ToolButton2", " 插入 "}, {"ToolButton3", "文件导入"},
                                        {"ToolButton4", " 删除 "}, {"ToolButton5", " 清空 "}, {"ToolButton6", "转换计算"},
                                        {"ToolButton7", "数据另存"}};
            for (const auto &b : buttons) {
                auto *action = w->findChild<QAction *>(b[0]);
                QVERIFY2(action && action->text() == b[1], where + " " + b[0]);
            }
            auto *list = w->findChild<QComboBox *>("ComboBox1");
            QVERIFY2(list && list->count() == 5 && list->currentIndex() == 0, where);
            QVERIFY2(list->itemText(0) == "北京54--克拉索夫斯基椭球" && list->itemText(4) == "自定义", where);
            QVERIFY2(Field(w, "EditA") == KrasovskyA && Field(w, "EditB") == KrasovskyB, where);
            QVERIFY2(!w->findChild<QLineEdit *>("EditA")->isEnabled(), where);
            QVERIFY2(!w->findChild<QLineEdit *>("EditB")->isEnabled(), where);
            QVERIFY2(Field(w, "EditLL") == "0" && Field(w, "EditYY") == "500000", where);
        }
    }

    void ellipsoidListAppliesPresets()
    {
        QWidget *w = forward.get();
        auto *list = w->findChild<QComboBox *>("ComboBox1");
        auto *a = w->findChild<QLineEdit *>("EditA");
        auto *b = w->findChild<QLineEdit *>("EditB");
        list->setCurrentIndex(2);
        QCOMPARE(b->text(), QString("6356752.3141403558478521068615295"));
        QCOMPARE(b->text().size(), 33);
        QVERIFY(!a->isEnabled());
        list->setCurrentIndex(1);
        list->setCurrentIndex(4);
        QCOMPARE(a->text(), QString("6378140.0000000000"));
        QCOMPARE(b->text(), QString("6356755.2881575287"));
        QVERIFY(a->isEnabled() && b->isEnabled());
        a->setText("6378000");
        list->setCurrentIndex(3);
        QCOMPARE(a->text(), QString("6378137.0000000000"));
        QCOMPARE(b->text(), QString("6356752.3142451795"));
        QVERIFY(!a->isEnabled() && !b->isEnabled());
    }

    void forwardRows()
    {
        QWidget *w = forward.get();
        SetField(w, "EditLL", "114");
        SetRows(w, "StringGrid1", {{"P1", "35", "117"}, {"", "", ""}, {"P3", "35", "111"}, {"边界点", " 30.3", "114"}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Row(w, "StringGrid2", 0), (QStringList{"P1", "3878776.946", "773912.254"}));
        // Empty cells read as 0: the equator at 114° west of the central meridian.
        QCOMPARE(Row(w, "StringGrid2", 1), (QStringList{"", "0.000", ForwardY(0, -114, 500000)}));
        QCOMPARE(Row(w, "StringGrid2", 2), (QStringList{"P3", "3878776.946", "226087.746"}));
        QCOMPARE(Row(w, "StringGrid2", 3), (QStringList{"边界点", "3375601.714", "500000.000"}));
        // 114.3 is 114°30′.
        SetField(w, "EditLL", "114.3");
        SetRows(w, "StringGrid1", {{"Q", "35", "114.3"}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(Table(w, "StringGrid2")->rows(), 1);
        QCOMPARE(Row(w, "StringGrid2", 0), (QStringList{"Q", "3874661.604", "500000.000"}));
        QCOMPARE(Row(w, "StringGrid1", 0), (QStringList{"Q", "35", "114.3"})); // input untouched
    }

    void inverseRows()
    {
        QWidget *w = inverse.get();
        SetField(w, "EditLL", "114");
        SetRows(w, "StringGrid1", {{"P1", "3878776.946", "773912.254"},
                     {"P2", "3878776.946", "38773912.254"},
                     {"P3", "3878776.946", "226087.746"},
                     {"", "", ""}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        QCOMPARE(Row(w, "StringGrid2", 0), (QStringList{"P1", "35.0000000006", "117.0000000007"}));
        // The zone number in front of y is removed.
        QCOMPARE(Row(w, "StringGrid2", 1), (QStringList{"P2", "35.0000000006", "117.0000000007"}));
        QCOMPARE(Row(w, "StringGrid2", 2), (QStringList{"P3", "35.0000000006", "110.5959999993"}));
        // An empty row is the point at x = 0, y′ = −Yc.
        const Ellipsoid krasovsky{TextToNumber(KrasovskyA.toStdString()), TextToNumber(KrasovskyB.toStdString())};
        const LatLon g = GaussInverse(krasovsky, 0, -500000);
        QCOMPARE(Row(w, "StringGrid2", 3),
                 (QStringList{"", QString::fromStdString(NumberToText(10, DegToDms(g.B))),
                              QString::fromStdString(NumberToText(10, DegToDms(g.l + 114)))}));
    }

    void yConstantOfAMillionOrMoreIsTakenForAZone()
    {
        // Whole millions of y are always a zone number: with a Y constant of 1000000 the point
        // projected at 1273912.254 is read as y′ = 273912.254 − 1000000, not as 273912.254.
        QWidget *w = inverse.get();
        SetField(w, "EditLL", "114");
        SetField(w, "EditYY", "1000000");
        SetRows(w, "StringGrid1", {{"P1", "3878776.946", "1273912.254"}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        const Ellipsoid krasovsky{TextToNumber(KrasovskyA.toStdString()), TextToNumber(KrasovskyB.toStdString())};
        const LatLon g = GaussInverse(krasovsky, 3878776.946L, 273912.254L - 1000000);
        const QStringList expected{"P1", QString::fromStdString(NumberToText(10, DegToDms(g.B))),
                                   QString::fromStdString(NumberToText(10, DegToDms(g.l + 114)))};
        QCOMPARE(Row(w, "StringGrid2", 0), expected);
        QVERIFY(Row(w, "StringGrid2", 0)[2] != "117.0000000007");
    }

    void badCellStopsAtItsRow()
    {
        for (QWidget *w : {static_cast<QWidget *>(forward.get()), static_cast<QWidget *>(inverse.get())}) {
            const QByteArray where = w->objectName().toUtf8();
            prompts->errors.clear();
            SetField(w, "EditLL", "114");
            const bool isForward = w == forward.get();
            const QStringList good = isForward ? QStringList{"A", "35", "117"} : QStringList{"A", "3878776.946", "773912.254"};
            SetRows(w, "StringGrid1", {good, {"B", good[1], good[2]}, {"C", good[1], good[2]}});
            QVERIFY2(Press(w, "ToolButton6"), where);
            const QStringList before = Row(w, "StringGrid2", 2);
            SetRows(w, "StringGrid1", {{"A2", good[1], good[2]}, {"B2", "12a", good[2]}, {"C2", good[1], good[2]}});
            QVERIFY2(Press(w, "ToolButton6"), where);
            QVERIFY2(prompts->errors == QStringList{"'12a' is not a valid floating point value"}, where);
            QVERIFY2(Row(w, "StringGrid2", 0).value(0) == "A2", where); // computed before the bad row
            QVERIFY2(Row(w, "StringGrid2", 1).value(0) == "B", where);  // the bad row and those after keep
            QVERIFY2(Row(w, "StringGrid2", 2) == before, where);
            // A parameter field that is not a number stops before any row.
            prompts->errors.clear();
            SetField(w, "EditYY", "5OOOOO");
            QVERIFY2(Press(w, "ToolButton6"), where);
            QVERIFY2(prompts->errors == QStringList{"'5OOOOO' is not a valid floating point value"}, where);
            QVERIFY2(Row(w, "StringGrid2", 0).value(0) == "A2", where);
        }
    }

    void emptyCustomAxesAreAFloatingPointFault()
    {
        for (QWidget *w : {static_cast<QWidget *>(forward.get()), static_cast<QWidget *>(inverse.get())}) {
            const QByteArray where = w->objectName().toUtf8();
            prompts->errors.clear();
            SetRows(w, "StringGrid1", {{"A", "35", "3"}, {"B", "30", "1"}});
            w->findChild<QComboBox *>("ComboBox1")->setCurrentIndex(4);
            SetField(w, "EditA", "");
            SetField(w, "EditB", "");
            QVERIFY2(Press(w, "ToolButton6"), where);
            QVERIFY2(prompts->errors == QStringList{"Invalid floating point operation"}, where);
            QVERIFY2(!HasNonNumberText(w), where);
            QVERIFY2(Row(w, "StringGrid2", 0) == (QStringList{"", "", ""}), where);
        }
    }

    void saveWritesTheResultTable()
    {
        QTemporaryDir dir;
        QWidget *w = forward.get();
        SetField(w, "EditLL", "114");
        SetRows(w, "StringGrid1", {{"P1", "35", "117"}, {"P2", "35", "111"}});
        QVERIFY(Press(w, "ToolButton6"));
        const QString path = dir.filePath("out.txt");
        prompts->saveAnswers.push_back(dir.filePath("out"));
        QVERIFY(Press(w, "ToolButton7"));
        QCOMPARE(prompts->saveDialogs.value(0).title, QString("坐标数据另存为..."));
        QCOMPARE(ReadFile(path), QByteArray("P1,3878776.946,773912.254\r\nP2,3878776.946,226087.746\r\n"));
        // An existing file is overwritten only when the user agrees.
        SetRows(w, "StringGrid1", {{"P9", "35", "117"}});
        QVERIFY(Press(w, "ToolButton6"));
        prompts->saveAnswers.push_back(path);
        prompts->overwriteAnswers.push_back(false);
        QVERIFY(Press(w, "ToolButton7"));
        QCOMPARE(prompts->overwriteQuestions, 1);
        QCOMPARE(ReadFile(path), QByteArray("P1,3878776.946,773912.254\r\nP2,3878776.946,226087.746\r\n"));
        prompts->saveAnswers.push_back(path);
        prompts->overwriteAnswers.push_back(true);
        QVERIFY(Press(w, "ToolButton7"));
        QCOMPARE(ReadFile(path), QByteArray("P9,3878776.946,773912.254\r\n"));
    }

    void importAndClear()
    {
        QTemporaryDir dir;
        QWidget *w = inverse.get();
        prompts->openAnswers.push_back(WriteFile(dir.filePath("in.txt"), "P1,3878776.946,38773912.254\r\nP2,1\r\n"));
        QVERIFY(Press(w, "ToolButton3"));
        QCOMPARE(Row(w, "StringGrid1", 0), (QStringList{"P1", "3878776.946", "38773912.254"}));
        QCOMPARE(Row(w, "StringGrid1", 1), (QStringList{"P2", "1", "0"}));
        SetField(w, "EditLL", "114");
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(Row(w, "StringGrid2", 0), (QStringList{"P1", "35.0000000006", "117.0000000007"}));
        // " 清空 " clears the input table only.
        QVERIFY(Press(w, "ToolButton5"));
        QCOMPARE(Table(w, "StringGrid1")->rows(), 1);
        QCOMPARE(Row(w, "StringGrid2", 0).value(0), QString("P1"));
    }

private:
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<TFormGSZS> forward;
    std::unique_ptr<TFormGSFS> inverse;
};

QTEST_MAIN(GaussWindowsTest)
#include "GaussWindowsTest.moc"
