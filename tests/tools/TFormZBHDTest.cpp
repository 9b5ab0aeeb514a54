// The zone-change window, and the road from the forward projection through a saved file into it.
#include "support/WindowTestSupport.h"
#include "tools/GSZS/TFormGSZS.h"
#include "tools/ZBHD/TFormZBHD.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

} // namespace

class TFormZBHDTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        window = std::make_unique<TFormZBHD>(nullptr);
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void windowAsItOpens()
    {
        QWidget *w = window.get();
        QCOMPARE(w->objectName(), QString("TFormZBHD"));
        QCOMPARE(w->windowTitle(), QString("坐标换带"));
        QCOMPARE(w->minimumSize(), w->maximumSize()); // single border
        QStringList groups;
        for (auto *g : w->findChildren<QGroupBox *>())
            groups << g->title();
        for (const char *title : {"原投影带参数", "原投影带坐标(x,y)", "新投影带坐标(x,y)", "新投影带参数", "参考椭球及坐标系参数设置"})
            QVERIFY2(groups.contains(title), title);
        const QStringList columns{"点号", "纵坐标x(m)", "横坐标y(m)"};
        QCOMPARE(Table(w, "StringGrid1")->captions(), columns);
        QCOMPARE(Table(w, "StringGrid2")->captions(), columns);
        for (const char *grid : {"StringGrid1", "StringGrid2"}) {
            auto *view = w->findChild<QTableView *>(grid);
            QVERIFY2(view->columnWidth(0) == 40 && view->columnWidth(1) == 100 && view->columnWidth(2) == 100, grid);
        }
        const char *fields[][2] = {{"EditLL", "0"}, {"EditYY", "500000"}, {"EditLL2", "0"}, {"EditYY2", "500000"},
                                   {"EditA", "6378245.0000000000"}, {"EditB", "6356863.0187730473"}};
        for (const auto &f : fields)
            QVERIFY2(Field(w, f[0]) == f[1], f[0]);
        QVERIFY(!w->findChild<QLineEdit *>("EditA")->isEnabled());
        QCOMPARE(w->findChild<QComboBox *>("ComboBox1")->count(), 5);
        for (const char *name : {"ToolButton1", "ToolButton2", "ToolButton3", "ToolButton4", "ToolButton5", "ToolButton6", "ToolButton7"})
            QVERIFY2(w->findChild<QAction *>(name), name);
        QCOMPARE(w->findChild<QAction *>("ToolButton6")->text(), QString("转换计算"));
    }

    void zoneChanges()
    {
        struct Case {
            QString targetMeridian, targetY;
            QStringList expected;
        } cases[] = {
            {"117", "500000", {"P", "3874661.604", "500000.000"}}, // on the target meridian
            {"120", "500000", {"P", "3878776.946", "226087.746"}}, // the mirror image
            {"111", "500000", {"P", "", "1048082.739"}}, // beyond 1000000, no warning (y only: 6° out)
            {"117", "39500000", {"P", "3874661.604", "39500000.000"}}, // a zone number only if the constant has one
        };
        QWidget *w = window.get();
        SetField(w, "EditLL", "114");
        SetField(w, "EditYY", "500000");
        SetRows(w, "StringGrid1", {{"P", "3878776.946", "38773912.254"}});
        for (const auto &c : cases) {
            SetField(w, "EditLL2", c.targetMeridian);
            SetField(w, "EditYY2", c.targetY);
            QVERIFY(Press(w, "ToolButton6"));
            QCOMPARE(prompts->errors, QStringList());
            QCOMPARE(Row(w, "StringGrid2", 0).mid(2), c.expected.mid(2));
            if (c.targetMeridian != "111")
                QCOMPARE(Row(w, "StringGrid2", 0), c.expected);
        }
    }

    void sameZoneGivesTheInputBack()
    {
        QWidget *w = window.get();
        SetField(w, "EditLL", "117.3");
        SetField(w, "EditLL2", "117.3");
        SetRows(w, "StringGrid1", {{"A", "3878776.946", "38773912.254"}, {"B", "2500000.125", "412345.678"}, {"C", "5000000", "640000"}});
        QVERIFY(Press(w, "ToolButton6"));
        const Real input[][2] = {{3878776.946L, 773912.254L}, {2500000.125L, 412345.678L}, {5000000, 640000}};
        for (int r = 0; r < 3; ++r) {
            const QStringList row = Row(w, "StringGrid2", r);
            QVERIFY2(std::fabs(row[1].toDouble() - double(input[r][0])) < 5e-4, qPrintable(row.join(',')));
            QVERIFY2(std::fabs(row[2].toDouble() - double(input[r][1])) < 5e-4, qPrintable(row.join(',')));
        }
    }

    void emptyZoneFieldIsAnError()
    {
        QWidget *w = window.get();
        SetRows(w, "StringGrid1", {{"A", "3878776.946", "773912.254"}});
        const char *names[] = {"EditLL", "EditYY", "EditLL2", "EditYY2"};
        for (const char *name : names) {
            prompts->errors.clear();
            const QString kept = Field(w, name);
            SetField(w, name, " ");
            QVERIFY2(Press(w, "ToolButton6"), name);
            QVERIFY2(prompts->errors == QStringList{"' ' is not a valid floating point value"}, name);
            QVERIFY2(Row(w, "StringGrid2", 0) == (QStringList{"", "", ""}), name); // no row computed
            SetField(w, name, kept);
        }
    }

    void badCellAndEmptyAxes()
    {
        QWidget *w = window.get();
        SetField(w, "EditLL", "114");
        SetField(w, "EditLL2", "117");
        SetRows(w, "StringGrid1", {{"A", "3878776.946", "773912.254"}, {"B", "3878776.946", "x773912.254"}, {"C", "1", "500000"}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"'x773912.254' is not a valid floating point value"});
        QCOMPARE(Table(w, "StringGrid2")->rows(), 3);
        QCOMPARE(Row(w, "StringGrid2", 0), (QStringList{"A", "3874661.604", "500000.000"}));
        QCOMPARE(Row(w, "StringGrid2", 1), (QStringList{"", "", ""}));

        prompts->errors.clear();
        w->findChild<QComboBox *>("ComboBox1")->setCurrentIndex(4);
        SetField(w, "EditA", "");
        SetField(w, "EditB", "");
        SetRows(w, "StringGrid1", {{"D", "3878776.946", "773912.254"}});
        QVERIFY(Press(w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"Invalid floating point operation"});
        QCOMPARE(Row(w, "StringGrid2", 0), (QStringList{"A", "3874661.604", "500000.000"}));
    }

    // Forward projection, save, import of the saved file here, compute, save.
    void typicalRoad()
    {
        QTemporaryDir dir;
        TFormGSZS forward(nullptr);
        SetField(&forward, "EditLL", "114");
        QList<QStringList> points = {{"P1", "35", "117"}, {"P2", "34.3", "115.153045"}, {"P3", "36.1", "116"}};
        Table(&forward, "StringGrid1")->setRowCount(3);
        for (int r = 0; r < 3; ++r)
            Table(&forward, "StringGrid1")->setRowTexts(r, points[r]);
        QVERIFY(Press(&forward, "ToolButton6"));
        const QString projected = dir.filePath("projected.txt");
        prompts->saveAnswers.push_back(projected);
        QVERIFY(Press(&forward, "ToolButton7"));

        QWidget *w = window.get();
        prompts->openAnswers.push_back(projected);
        QVERIFY(Press(w, "ToolButton3"));
        QCOMPARE(Table(w, "StringGrid1")->rows(), 3);
        QCOMPARE(Row(w, "StringGrid1", 0), (QStringList{"P1", "3878776.946", "773912.254"}));
        SetField(w, "EditLL", "114");
        SetField(w, "EditLL2", "117");
        QVERIFY(Press(w, "ToolButton6"));
        const QString moved = dir.filePath("moved.txt");
        prompts->saveAnswers.push_back(moved);
        QVERIFY(Press(w, "ToolButton7"));
        QCOMPARE(prompts->errors, QStringList());

        // The same points projected straight into the 117° zone agree to the millimetre.
        SetField(&forward, "EditLL", "117");
        QVERIFY(Press(&forward, "ToolButton6"));
        const QList<QByteArray> lines = ReadFile(moved).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[0].startsWith("P1,3874661.604,500000.000\r"));
        for (int r = 0; r < 3; ++r) {
            const QList<QByteArray> fields = lines[r].trimmed().split(',');
            const QStringList direct = Table(&forward, "StringGrid2")->rowTexts(r);
            QCOMPARE(QString(fields[0]), direct[0]);
            QVERIFY2(std::fabs(fields[1].toDouble() - direct[1].toDouble()) <= 0.0011, lines[r]);
            QVERIFY2(std::fabs(fields[2].toDouble() - direct[2].toDouble()) <= 0.0011, lines[r]);
        }
    }

private:
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<TFormZBHD> window;
};

QTEST_MAIN(TFormZBHDTest)
#include "TFormZBHDTest.moc"
