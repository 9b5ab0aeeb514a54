// "互联网地图坐标转换" driven through its controls: the window as it opens, every pair of datums
// on published points in decimal degrees and ddd.mmss, the note of points outside China, a bad
// cell, and import and save.
#include "support/WindowTestSupport.h"
#include "tools/HXZH/TFormHXZH.h"

#include "core/TextForms.h"
#include "core/WebMap.h"
#include "io/TextCodec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QString Wgs = "WGS84/CGCS2000", Gcj = "GCJ-02", Bd = "BD-09";
const QString Outside = "境外，未偏移";

QString Text(int decimals, Real value) { return QString::fromStdString(NumberToText(decimals, value)); }

} // namespace

class TFormHXZHTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<TFormHXZH> w;
    QTemporaryDir dir;

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        w = std::make_unique<TFormHXZH>(nullptr);
    }
    void cleanup()
    {
        w.reset();
        prompts.reset();
    }

    void windowAsItOpens()
    {
        QCOMPARE(w->objectName(), QString("TFormHXZH"));
        QCOMPARE(w->windowTitle(), QString("互联网地图坐标转换"));
        QVERIFY(w->minimumSize() == w->maximumSize());
        QCOMPARE(Table(w.get(), "StringGrid1")->captions(), (QStringList{"点名", "经度(°)", "纬度(°)"}));
        QCOMPARE(Table(w.get(), "StringGrid2")->captions(), (QStringList{"点名", "经度(°)", "纬度(°)", "说明"}));
        QVERIFY(!Table(w.get(), "StringGrid2")->isEditable());
        for (const char *name : {"ComboFrom", "ComboTo"}) {
            auto *list = w->findChild<QComboBox *>(name);
            QVERIFY2(list && list->count() == 3, name);
            QCOMPARE((QStringList{list->itemText(0), list->itemText(1), list->itemText(2)}), (QStringList{Wgs, Gcj, Bd}));
        }
        QCOMPARE(w->findChild<QComboBox *>("ComboFrom")->currentText(), Gcj);
        QCOMPARE(w->findChild<QComboBox *>("ComboTo")->currentText(), Wgs);
        auto *dms = w->findChild<QCheckBox *>("CheckDms");
        QVERIFY(dms && !dms->isChecked());
        QCOMPARE(dms->text(), QString("度分秒(ddd.mmss)"));
        const char *buttons[][2] = {{"ToolButton3", "文件导入"}, {"ToolButton6", "转换计算"}, {"ToolButton7", "数据另存"}};
        for (const auto &b : buttons) {
            auto *action = w->findChild<QAction *>(b[0]);
            QVERIFY2(action && action->text() == b[1], b[0]);
        }
        // Both tables show all their columns, packed angles with 10 decimals and the note whole.
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(ColumnsCutOff(w.get(), {"StringGrid1", "StringGrid2"}), QString());
    }

    // Each row: settings, the point typed, the result row expected.
    void conversions()
    {
        const LonLat shanghai{121.5272106L, 31.1774276L};
        const LonLat gcj = Gcj02FromWgs84(shanghai), bd = Bd09FromGcj02(gcj);
        struct Case {
            QString from, to, dms;
            QStringList input, expected;
        } cases[] = {
            {Wgs, Gcj, "off", {"P1", "121.5272106", "31.1774276"}, {"P1", "121.531541859", "31.175303984", ""}},
            {Gcj, Wgs, "off", {"P1", "121.531541859215", "31.17530398364597"}, {"P1", "121.527210600", "31.177427600", ""}},
            {Gcj, Bd, "off", {"测站", "116.404", "39.915"}, {"测站", "116.410369494", "39.921336994", ""}},
            {Wgs, Bd, "off", {"P1", "121.5272106", "31.1774276"}, {"P1", Text(9, bd.lon), Text(9, bd.lat), ""}},
            {Bd, Wgs, "off", {"P1", Text(12, bd.lon), Text(12, bd.lat)}, {"P1", "121.527210600", "31.177427600", ""}},
            {Bd, Gcj, "off", {"P1", Text(12, bd.lon), Text(12, bd.lat)}, {"P1", Text(9, gcj.lon), Text(9, gcj.lat), ""}},
            {Gcj, Gcj, "off", {"P1", "121.5", "31"}, {"P1", "121.500000000", "31.000000000", ""}},
            {Wgs, Gcj, "on", {"P1", "121.313795816", "31.103873936"}, {"P1", "121.3153550693", "31.1031094341", ""}},
            {Gcj, Wgs, "on", {"P1", "121.3153550693", "31.1031094341"}, {"P1", "121.3137958160", "31.1038739360", ""}},
            // Outside the rectangle nothing is offset, and the note says so.
            {Wgs, Bd, "off", {"巴黎", "2.3522", "48.8566"}, {"巴黎", "2.352200000", "48.856600000", Outside}},
            {Bd, Wgs, "on", {"东京", "139.4200", "35.4100"}, {"东京", "139.4200000000", "35.4100000000", Outside}},
            {Gcj, Wgs, "off", {"", "", ""}, {"", "0.000000000", "0.000000000", Outside}},
        };
        for (const Case &c : cases) {
            const QByteArray where = (c.from + " → " + c.to + " " + c.dms + ": " + c.input.join(',')).toUtf8();
            SetField(w.get(), "ComboFrom", c.from);
            SetField(w.get(), "ComboTo", c.to);
            SetField(w.get(), "CheckDms", c.dms);
            SetRows(w.get(), "StringGrid1", {c.input});
            QVERIFY2(Press(w.get(), "ToolButton6"), where);
            QVERIFY2(prompts->errors.isEmpty(), where + " " + prompts->errors.join(' ').toUtf8());
            QVERIFY2(Row(w.get(), "StringGrid2", 0) == c.expected, where + " gave " + Row(w.get(), "StringGrid2", 0).join(',').toUtf8());
        }
    }

    void badCellStopsAtItsRow()
    {
        SetRows(w.get(), "StringGrid1", {{"P1", "121.5", "31.2"}, {"P2", "121,5", "31.2"}, {"P3", "121.5", "31.2"}});
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"'121,5' is not a valid floating point value"});
        QVERIFY(!Cell(w.get(), "StringGrid2", 0, 1).isEmpty());
        QCOMPARE(Cell(w.get(), "StringGrid2", 2, 1), QString());
    }

    // A result file imports again and converts back to the points first typed.
    void savedResultsImportAndConvertBack()
    {
        SetField(w.get(), "ComboFrom", Wgs);
        SetField(w.get(), "ComboTo", Bd);
        SetRows(w.get(), "StringGrid1", {{"P1", "121.5272106", "31.1774276"}, {"点2", "87.6", "43.8"}, {"巴黎", "2.3522", "48.8566"}});
        QVERIFY(Press(w.get(), "ToolButton6"));
        const QString path = dir.filePath("bd.txt");
        prompts->saveAnswers.push_back(path);
        QVERIFY(Press(w.get(), "ToolButton7"));
        QVERIFY(ReadFile(path).contains(EncodeText("\r\n巴黎,2.352200000,48.856600000,境外，未偏移\r\n")));
        prompts->openAnswers.push_back(path);
        QVERIFY(Press(w.get(), "ToolButton3"));
        QCOMPARE(Rows(w.get(), "StringGrid1"), Rows(w.get(), "StringGrid2", 0, 3));
        SetField(w.get(), "ComboFrom", Bd);
        SetField(w.get(), "ComboTo", Wgs);
        QVERIFY(Press(w.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        // Back within the 9 decimals the file holds.
        const QList<QStringList> typed = {{"P1", "121.5272106", "31.1774276", ""}, {"点2", "87.6", "43.8", ""},
                                          {"巴黎", "2.3522", "48.8566", Outside}};
        for (int r = 0; r < typed.size(); ++r) {
            const QStringList row = Row(w.get(), "StringGrid2", r);
            QCOMPARE(row.value(0), typed[r][0]);
            QCOMPARE(row.value(3), typed[r][3]);
            for (int c : {1, 2})
                QVERIFY2(std::fabs(row[c].toDouble() - typed[r][c].toDouble()) < 1.5e-9, qPrintable(row.join(',')));
        }
    }
};

QTEST_MAIN(TFormHXZHTest)
#include "TFormHXZHTest.moc"
