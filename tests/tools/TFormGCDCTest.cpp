// The compensation-plane window: distortion and compensation height, the enlarged ellipsoid, and
// the table carried onto it.
#include "support/WindowTestSupport.h"
#include "tools/GCDC/TFormGCDC.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

} // namespace

class TFormGCDCTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        window = std::make_unique<TFormGCDC>(nullptr);
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void windowAsItOpens()
    {
        QWidget *w = window.get();
        QCOMPARE(w->objectName(), QString("TFormGCDC"));
        QCOMPARE(w->windowTitle(), QString("抵偿高程面确定及投影变换"));
        QStringList groups;
        for (auto *g : w->findChildren<QGroupBox *>())
            groups << g->title();
        for (const char *title : {"原椭球参数", "测区条件", "确定抵偿面", "新椭球参数", "原椭球坐标数据", "新椭球坐标数据"})
            QVERIFY2(groups.contains(title), title);
        const char *fields[][2] = {{"EditA1", "6378245.0000000000"}, {"EditB1", "6356863.0187730473"}, {"EditYY1", "500000"},
                                   {"EditXm", "0"}, {"EditYm", "0"}, {"EditHm", "0"}, {"EditDh", "0"}, {"EditDs", ""},
                                   {"EditHd", "0"}, {"EditA2", ""}, {"EditB2", ""}};
        for (const auto &f : fields)
            QVERIFY2(Field(w, f[0]) == f[1], f[0]);
        QVERIFY(w->findChild<QLineEdit *>("EditDs")->isReadOnly());
        QVERIFY(!w->findChild<QLineEdit *>("EditA1")->isEnabled());
        QCOMPARE(w->findChild<QLineEdit *>("EditYY1")->toolTip(), QString("通常是带号及500公里"));
        QCOMPARE(w->findChild<QPushButton *>("Button2")->toolTip(), QString("计算每公里投影变形及抵偿面大地高"));
        QCOMPARE(w->findChild<QPushButton *>("Button1")->text(), QString("计算"));
        const QStringList columns{"点号", "纵坐标x(m)", "横坐标y(m)"};
        for (const char *grid : {"StringGrid1", "StringGrid2"}) {
            QCOMPARE(Table(w, grid)->captions(), columns);
            auto *view = w->findChild<QTableView *>(grid);
            QVERIFY2(view->columnWidth(0) == 100 && view->columnWidth(1) == 125 && view->columnWidth(2) == 125, grid);
        }
        // The input toolbar, in its order.
        auto *import = w->findChild<QAction *>("ToolButton3");
        auto *bar = qobject_cast<QToolBar *>(import->parent());
        QStringList captions;
        for (QAction *a : bar->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{"文件导入", " 追加记录", " 插入 ", " 删除 ", " 清空 "}));
        QCOMPARE(w->findChild<QAction *>("ToolButton6")->text(), QString("转换计算"));
        QCOMPARE(w->findChild<QAction *>("ToolButton7")->text(), QString("数据另存"));
    }

    void distortionAndCompensationHeight()
    {
        struct Case {
            QString latitude, distance, height, anomaly;
            QString distortion, compensationHeight;
        } cases[] = {
            {"35", "50000", "500", "0", "-47.69mm", "304"},
            {"35", "50000", "480", "20", "-47.69mm", "304"}, // the ellipsoidal height counts
            {"35", "0", "0", "0", "0.00mm", "0"},
        };
        QWidget *w = window.get();
        for (const auto &c : cases) {
            SetField(w, "EditXm", c.latitude);
            SetField(w, "EditYm", c.distance);
            SetField(w, "EditHm", c.height);
            SetField(w, "EditDh", c.anomaly);
            QVERIFY(Press(w, "Button2"));
            QCOMPARE(Field(w, "EditDs"), c.distortion);
            QCOMPARE(Field(w, "EditHd"), c.compensationHeight);
        }
        QCOMPARE(prompts->errors, QStringList());
    }

    void enlargedEllipsoid()
    {
        QWidget *w = window.get();
        SetField(w, "EditXm", "35");
        SetField(w, "EditHd", "304");
        QVERIFY(Press(w, "Button1"));
        QCOMPARE(QString::number(Field(w, "EditA2").toDouble(), 'f', 4), QString("6378549.3509"));
        QCOMPARE(QString::number(Field(w, "EditB2").toDouble(), 'f', 4), QString("6357166.3493"));
        QCOMPARE(Field(w, "EditA2").section('.', 1).size(), 10);
        QCOMPARE(Field(w, "EditB2").section('.', 1).size(), 10);
        // The distance field must hold a number, though it does not enter.
        SetField(w, "EditYm", "fifty");
        QVERIFY(Press(w, "Button1"));
        QCOMPARE(prompts->errors, QStringList{"'fifty' is not a valid floating point value"});
    }

    void transformOnTheEnlargedEllipsoid()
    {
        QWidget *w = window.get();
        SetField(w, "EditXm", "35");
        SetField(w, "EditHd", "0"); // the enlarged ellipsoid is the source ellipsoid
        QVERIFY(Press(w, "Button1"));
        QVERIFY2(std::fabs(Field(w, "EditA2").toDouble() - 6378245) < 1e-6, qPrintable(Field(w, "EditA2")));
        const QList<QStringList> points = {{"A", "3878776.946", "773912.254"}, {"B", "3875000", "500000"}, {"C", "3700000", "420000"}};
        SetRows(w, "StringGrid1", points);
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        for (int r = 0; r < points.size(); ++r) {
            const QStringList row = Row(w, "StringGrid2", r);
            QCOMPARE(row[0], points[r][0]);
            QCOMPARE(row[1].section('.', 1).size(), 4);
            QVERIFY2(std::fabs(row[1].toDouble() - points[r][1].toDouble()) < 1e-3, qPrintable(row.join(',')));
            QVERIFY2(std::fabs(row[2].toDouble() - points[r][2].toDouble()) < 1e-3, qPrintable(row.join(',')));
        }
        // With the surface 304 m up, a point on the central meridian keeps y = Yc; the others move
        // away from it by about 304 / R of their distance.
        SetField(w, "EditHd", "304");
        QVERIFY(Press(w, "Button1"));
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(Row(w, "StringGrid2", 1)[2], QString("500000.0000"));
        const double grown = Row(w, "StringGrid2", 0)[2].toDouble() - 500000;
        QVERIFY2(std::fabs(grown / 273912.254 - (1 + 304 / 6370892.158)) < 2e-7, qPrintable(Row(w, "StringGrid2", 0).join(',')));
        // A Y constant with the zone number in front.
        SetField(w, "EditYY1", "38500000");
        SetRows(w, "StringGrid1", {{"Z", "3875000", "38500000"}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(Row(w, "StringGrid2", 0)[2], QString("38500000.0000"));
    }

    void emptyEnlargedAxesAreAFloatingPointFault()
    {
        QWidget *w = window.get();
        SetRows(w, "StringGrid1", {{"A", "3878776.946", "773912.254"}, {"B", "3875000", "500000"}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"Invalid floating point operation"});
        PointTableModel *t = Table(w, "StringGrid2");
        for (int r = 0; r < t->rows(); ++r)
            for (int c = 0; c < 3; ++c) {
                const QString text = t->cell(r, c).toLower();
                QVERIFY2(!text.contains("nan") && !text.contains("inf"), qPrintable(text));
            }
    }

    void badCellStopsAtItsRowAndClearEmptiesBoth()
    {
        QWidget *w = window.get();
        SetField(w, "EditXm", "35");
        SetField(w, "EditHd", "304");
        QVERIFY(Press(w, "Button1"));
        SetRows(w, "StringGrid1", {{"A", "3878776.946", "773912.254"}, {"B", "3875000", "5OOOOO"}, {"C", "3875000", "500000"}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"'5OOOOO' is not a valid floating point value"});
        QCOMPARE(Table(w, "StringGrid2")->rows(), 3);
        QCOMPARE(Row(w, "StringGrid2", 0)[0], QString("A"));
        QCOMPARE(Row(w, "StringGrid2", 1), (QStringList{"", "", ""}));
        QVERIFY(Press(w, "ToolButton5"));
        QCOMPARE(Table(w, "StringGrid1")->rows(), 1);
        QCOMPARE(Table(w, "StringGrid2")->rows(), 1);
        QCOMPARE(Row(w, "StringGrid2", 0), (QStringList{"", "", ""}));
    }

    void leftTableGroupTakesHalfTheWidth()
    {
        QWidget *w = window.get();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const int widths[][2] = {{1001, 494}, {1000, 494}, {900, 444}, {1003, 495}};
        for (const auto &c : widths) {
            w->resize(c[0], 600);
            QCoreApplication::processEvents();
            const auto *left = w->findChildren<QGroupBox *>().value(0);
            for (auto *g : w->findChildren<QGroupBox *>())
                if (g->title() == "原椭球坐标数据")
                    left = g;
            QVERIFY2(left->width() == c[1], qPrintable(QString("window %1: left %2").arg(c[0]).arg(left->width())));
        }
    }

private:
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<TFormGCDC> window;
};

QTEST_MAIN(TFormGCDCTest)
#include "TFormGCDCTest.moc"
