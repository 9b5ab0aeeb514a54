// The polar-survey field book driven as a user would: choose the modes, type the station and the
// rows, press the buttons, save and import through the scripted dialogs, and read the settings
// file the window leaves behind.
#include "app/Catalogue.h"
#include "app/TFormMain.h"
#include "io/IniFile.h"
#include "support/WindowTestSupport.h"
#include "tools/JZBCL/TFormJZBCL.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QStringDecoder>
#include <QtTest>

#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

#define EXPECT_TEXT(actual, expected, what)                                                                    \
    QVERIFY2((actual) == (expected), qPrintable(QStringLiteral("%1: got \"%2\", expected \"%3\"")            \
                                                    .arg(what, actual, expected)))

const QString Grid = QStringLiteral("StringGrid1");

QComboBox *List(QWidget *window, const char *name) { return window->findChild<QComboBox *>(QString::fromLatin1(name)); }
QLineEdit *Edit(QWidget *window, const char *name) { return window->findChild<QLineEdit *>(QString::fromLatin1(name)); }

void SetModes(QWidget *window, int distance, int vertical, int orientation)
{
    List(window, "ComboBox1")->setCurrentIndex(distance);
    List(window, "ComboBox2")->setCurrentIndex(vertical);
    List(window, "ComboBox3")->setCurrentIndex(orientation);
}

QString Caption(QWidget *window, int column)
{
    return Table(window, Grid)->headerData(column, Qt::Horizontal).toString();
}

QStringList Row(QWidget *window, int row) { return Table(window, Grid)->rowTexts(row); }

// The key=value lines of one section of an ini text.
QStringList SectionLines(const QString &text, const QString &section)
{
    QStringList lines;
    bool inside = false;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'[')) {
            inside = line == u'[' + section + u']';
            continue;
        }
        if (inside && !line.isEmpty())
            lines << line;
    }
    return lines;
}

} // namespace

class TFormJZBCLTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void firstRunShowsDefaults();
    void listsSetCaptionsAndBacksightFields();
    void computesEveryDistanceAndVerticalMode();
    void orientsFromAzimuthOrBacksightPoint();
    void failingRowKeepsEarlierResults();
    void appendAndInsertFillTheirCells();
    void recordRoundTrip();
    void recordImportKeepsUnknownModes();
    void cassFileHasEastingBeforeNorthing();
    void settingsWrittenWhenMainWindowIsDestroyed();
    void settingsReadBackExactly();
    void unwritableSettingsAreReported();

private:
    QTemporaryDir m_dir;
    QString m_ini;
};

void TFormJZBCLTest::init()
{
    // Every case starts without a settings file.
    m_ini = m_dir.filePath(QStringLiteral("Quorvil.ini"));
    QFile::remove(m_ini);
    SetSettingsFilePath(m_ini);
}

void TFormJZBCLTest::firstRunShowsDefaults()
{
    TFormJZBCL window(nullptr);
    QCOMPARE(window.objectName(), QStringLiteral("TFormJZBCL"));
    QCOMPARE(window.windowTitle(), QStringLiteral("极坐标测量计算"));
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"})
        QVERIFY2(Edit(&window, name)->text().isEmpty(), name);
    QCOMPARE(Field(&window, "Edit8"), QStringLiteral("0.0000"));
    QCOMPARE(List(&window, "ComboBox1")->currentText(), QStringLiteral("水平距(全站仪)"));
    QCOMPARE(List(&window, "ComboBox2")->currentText(), QStringLiteral("垂直距(全站仪)"));
    QCOMPARE(List(&window, "ComboBox3")->currentText(), QStringLiteral("后视方位角"));
    QCOMPARE(Table(&window, Grid)->captions(),
             (QStringList{"点号", "编码", "水平角(dms)", "水平距(m)", "垂直距(m)", "棱镜高(m)", "纵坐标X", "横坐标Y", "高程H"}));
    QCOMPARE(Table(&window, Grid)->rows(), 1);
    QVERIFY(Edit(&window, "Edit3")->isHidden());
    QVERIFY(Edit(&window, "Edit4")->isHidden());
    QVERIFY(Edit(&window, "Edit6")->isEnabled());

    QStringList buttons;
    for (int i = 1; i <= 8; ++i)
        buttons << window.findChild<QAction *>(QStringLiteral("ToolButton%1").arg(i))->text();
    QCOMPARE(buttons, (QStringList{" 追加 ", " 插入 ", "记录导入", " 删除 ", " 清空 ", "记录另存", "计算", "另存为Cass格式"}));
}

void TFormJZBCLTest::listsSetCaptionsAndBacksightFields()
{
    TFormJZBCL window(nullptr);
    const QString distance[] = {"水平距(m)", "斜距(m)", "(视距m)"};
    const QString vertical[] = {"垂直距(m)", "垂直角(dms)", "天顶角(dms)"};
    const QStringList distanceItems = {"水平距(全站仪)", "斜距(半站仪)", "视距(经纬仪)"};
    const QStringList verticalItems = {"垂直距(全站仪)", "垂直角(全站仪/半站仪)", "天顶角(经纬仪)"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(List(&window, "ComboBox1")->itemText(i), distanceItems.at(i));
        QCOMPARE(List(&window, "ComboBox2")->itemText(i), verticalItems.at(i));
    }
    for (int d = 0; d < 3; ++d)
        for (int v = 0; v < 3; ++v)
            for (int o : {1, 0}) {
                SetModes(&window, d, v, o);
                const QString name = QStringLiteral("modes %1 %2 %3").arg(d).arg(v).arg(o);
                EXPECT_TEXT(Caption(&window, 3), distance[d], name);
                EXPECT_TEXT(Caption(&window, 4), vertical[v], name);
                QVERIFY2(Edit(&window, "Edit3")->isHidden() == (o == 0), qPrintable(name));
                QVERIFY2(Edit(&window, "Edit4")->isHidden() == (o == 0), qPrintable(name));
                QVERIFY2(Edit(&window, "Edit6")->isEnabled() == (o == 0), qPrintable(name));
            }
}

void TFormJZBCLTest::computesEveryDistanceAndVerticalMode()
{
    // Station (1000, 1000, 50), instrument height 1.5, azimuth 0, backsight reading 0.
    struct Case {
        const char *name;
        int distanceMode, verticalMode;
        QStringList row;          // point, code, angle, distance, vertical, prism
        QStringList result;       // X, Y, H
        QString error;            // message shown instead
    } cases[] = {
        {"horizontal, height difference", 0, 0, {"P1", "1", "90.0000", "100", "2", "1.5"}, {"1000.000", "1100.000", "52.000"}, {}},
        {"horizontal, vertical angle", 0, 1, {"P2", "", "45", "100", "5.3", "2"}, {"1070.711", "1070.711", "59.129"}, {}},
        {"horizontal, zenith angle", 0, 2, {"P3", "", "45", "100", "84.3", "2"}, {"1070.711", "1070.711", "59.129"}, {}},
        {"slope, height difference", 1, 0, {"P4", "", "45", "100", "28", "2"}, {"1067.882", "1067.882", "77.500"}, {}},
        {"slope, vertical angle", 1, 1, {"P5", "", "45", "100", "5.3", "2"}, {"1070.385", "1070.385", "59.085"}, {}},
        {"slope, zenith 90", 1, 2, {"P6", "", "90.0000", "100", "90.0000", "1.5"}, {"1000.000", "1100.000", "50.000"}, {}},
        {"stadia, vertical angle", 2, 1, {"P7", "", "0", "100", "10", "1.5"}, {"1096.985", "1000.000", "67.101"}, {}},
        {"stadia, zenith 80", 2, 2, {"P8", "", "0", "100", "80.0000", "1.5"}, {"1096.985", "1000.000", "67.101"}, {}},
        {"stadia, height difference", 2, 0, {"P9", "", "0", "100", "2", "1.5"}, {"", "", ""},
         "第1行(点号 P9)：视距不能按“垂直距(全站仪)”归算，请将竖角方式改为垂直角或天顶角。"},
        {"slope shorter than height difference", 1, 0, {"P10", "", "0", "5", "6", "1.5"}, {"", "", ""},
         "第1行(点号 P10)：斜距小于垂直距，无法归算水平距，请检查斜距和垂直距。"},
    };
    TFormJZBCL window(nullptr);
    SetField(&window, "Edit1", "1000");
    SetField(&window, "Edit2", "1000");
    SetField(&window, "Edit5", "50");
    SetField(&window, "Edit7", "1.5");
    SetField(&window, "Edit6", "0");
    for (const auto &c : cases) {
        ScriptedPrompts prompts;
        SetModes(&window, c.distanceMode, c.verticalMode, 0);
        SetRow(&window, Grid, 0, c.row + QStringList{"", "", ""});
        QVERIFY(Press(&window, "ToolButton7"));
        EXPECT_TEXT(prompts.errors.join(" | "), c.error, c.name);
        EXPECT_TEXT(Row(&window, 0).mid(6).join(','), c.result.join(','), c.name);
        EXPECT_TEXT(Row(&window, 0).mid(0, 6).join(','), c.row.join(','), c.name);
    }
}

void TFormJZBCLTest::orientsFromAzimuthOrBacksightPoint()
{
    // Station (1000, 1000, 50), horizontal distances of 100 and no height difference.
    struct Case {
        const char *name;
        int orientation;
        QString backX, backY, azimuth, reading, angle;
        QString x, y, shownAzimuth, error;
    } cases[] = {
        {"ω = 340°: the backsight direction", 0, "", "", "10.0000", "30.0000", "30.0000", "1098.481", "1017.365", "10.0000", {}},
        {"ω = 340°: a turn closed to north", 0, "", "", "10.0000", "30.0000", "20.0000", "1100.000", "1000.000", "10.0000", {}},
        {"backsight point to the east", 1, "1000", "1500", "", "0", "90", "900.000", "1000.000", "90.000000", {}},
        {"backsight point, reading not zero", 1, "2000", "2000", "", "15.0000", "15.0000", "1070.711", "1070.711", "45.000000", {}},
        {"backsight point on the station", 1, "1000", "1000", "77", "0", "0", "", "", "77", "Invalid floating point operation"},
    };
    TFormJZBCL window(nullptr);
    SetField(&window, "Edit1", "1000");
    SetField(&window, "Edit2", "1000");
    SetField(&window, "Edit5", "50");
    for (const auto &c : cases) {
        ScriptedPrompts prompts;
        SetModes(&window, 0, 0, c.orientation);
        SetField(&window, "Edit3", c.backX);
        SetField(&window, "Edit4", c.backY);
        SetField(&window, "Edit6", c.azimuth);
        SetField(&window, "Edit8", c.reading);
        SetRow(&window, Grid, 0, {"A", "", c.angle, "100", "0", "0", "", "", ""});
        QVERIFY(Press(&window, "ToolButton7"));
        EXPECT_TEXT(prompts.errors.join(" | "), c.error, c.name);
        EXPECT_TEXT(Cell(&window, Grid, 0, 6), c.x, c.name);
        EXPECT_TEXT(Cell(&window, Grid, 0, 7), c.y, c.name);
        EXPECT_TEXT(Field(&window, "Edit6"), c.shownAzimuth, c.name);
    }
}

void TFormJZBCLTest::failingRowKeepsEarlierResults()
{
    struct Case {
        const char *name;
        int distanceMode;
        QString badDistance;
        QString error;
    } cases[] = {
        {"text in a cell", 0, "abc", "'abc' is not a valid floating point value"},
        {"slope shorter than height difference", 1, "0.5", "第2行(点号 B)：斜距小于垂直距，无法归算水平距，请检查斜距和垂直距。"},
    };
    for (const auto &c : cases) {
        TFormJZBCL window(nullptr);
        ScriptedPrompts prompts;
        SetModes(&window, c.distanceMode, 0, 0);
        SetRow(&window, Grid, 0, {"A", "", "0", "10", "1", "0"});
        SetRow(&window, Grid, 1, {"B", "", "0", c.badDistance, "1", "0"});
        SetRow(&window, Grid, 2, {"C", "", "0", "10", "1", "0"});
        QVERIFY(Press(&window, "ToolButton7"));
        EXPECT_TEXT(prompts.errors.join(" | "), c.error, c.name);
        QVERIFY2(!Cell(&window, Grid, 0, 6).isEmpty(), c.name);
        EXPECT_TEXT(Row(&window, 1).mid(6).join(','), QStringLiteral(",,"), c.name);
        EXPECT_TEXT(Row(&window, 2).mid(6).join(','), QStringLiteral(",,"), c.name);
    }
}

void TFormJZBCLTest::appendAndInsertFillTheirCells()
{
    struct Case {
        const char *name;
        int verticalMode;
        QString insertedVertical;
    } cases[] = {{"height difference", 0, ""}, {"vertical angle", 1, "90.0000"}, {"zenith angle", 2, "90.0000"}};
    for (const auto &c : cases) {
        TFormJZBCL window(nullptr);
        auto *view = window.findChild<PointTableView *>(Grid);
        SetModes(&window, 0, c.verticalMode, 0);
        SetRow(&window, Grid, 0, {"P1", "", "10", "20", "1", "1.65"});
        QVERIFY(Press(&window, "ToolButton1")); // " 追加 "
        EXPECT_TEXT(Row(&window, 1).join(','), QStringLiteral(",,,,,1.65,,,"), c.name);
        QCOMPARE(view->currentDataRow(), 1);
        SetCell(&window, Grid, 1, 5, "2.0");
        SetCell(&window, Grid, 1, 0, "P2");
        QVERIFY(Press(&window, "ToolButton1"));
        EXPECT_TEXT(Cell(&window, Grid, 2, 5), QStringLiteral("2.0"), c.name);

        view->setCurrentDataRow(1); // " 插入 " before P2
        QVERIFY(Press(&window, "ToolButton2"));
        QCOMPARE(Table(&window, Grid)->rows(), 4);
        QCOMPARE(view->currentDataRow(), 1);
        EXPECT_TEXT(Row(&window, 1).join(','), QStringLiteral(",,,,%1,2.0,,,").arg(c.insertedVertical), c.name);
        EXPECT_TEXT(Cell(&window, Grid, 2, 0), QStringLiteral("P2"), c.name);
        EXPECT_TEXT(Cell(&window, Grid, 0, 0), QStringLiteral("P1"), c.name);

        view->setCurrentDataRow(-1); // on the header row nothing happens
        QVERIFY(Press(&window, "ToolButton2"));
        QCOMPARE(Table(&window, Grid)->rows(), 4);
    }
}

void TFormJZBCLTest::recordRoundTrip()
{
    const QString path = m_dir.filePath(QStringLiteral("record.txt"));
    {
        TFormJZBCL window(nullptr);
        ScriptedPrompts prompts;
        SetModes(&window, 2, 2, 1);
        SetField(&window, "Edit1", "1000");
        SetField(&window, "Edit2", "1000");
        SetField(&window, "Edit5", "50");
        SetField(&window, "Edit7", "1.5");
        SetField(&window, "Edit3", "1100");
        SetField(&window, "Edit4", "1000");
        SetField(&window, "Edit6", "");
        SetRow(&window, Grid, 0, {"K1", "141", "0", "100", "80.0000", "1.5"});
        SetRow(&window, Grid, 1, {"K2", "", "90", " 50", "90", "1.5"});
        QVERIFY(Press(&window, "ToolButton7"));
        QVERIFY(prompts.errors.isEmpty());
        prompts.saveAnswers.push_back(path);
        QVERIFY(Press(&window, "ToolButton6")); // "记录另存"
        QCOMPARE(prompts.saveDialogs.value(0).title, QStringLiteral("坐标数据另存为..."));
        // The file is written in the Chinese code page: compare its decoded text.
        const QString saved = QStringDecoder("GB18030").decode(ReadFile(path));
        QCOMPARE(saved,
                 QStringLiteral("视距(经纬仪),天顶角(经纬仪),后视点坐标\r\n"
                                "1100,1000,0.000000,后视点坐标\r\n"
                                "1000,1000,50,1.5\r\n"
                                "K1,141,0,100,80.0000,1.5\r\n"
                                "K2,,90, 50,90,1.5\r\n"));
    }
    TFormJZBCL window(nullptr); // reads the settings the first one left: reset them to the defaults
    SetModes(&window, 0, 0, 0);
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"})
        SetField(&window, name, "");
    SetRow(&window, Grid, 0, {"old", "", "1", "2", "3", "4", "5", "6", "7"});
    ScriptedPrompts prompts;
    prompts.openAnswers.push_back(path);
    QVERIFY(Press(&window, "ToolButton3")); // "记录导入"
    QVERIFY(prompts.errors.isEmpty());
    QCOMPARE(List(&window, "ComboBox1")->currentIndex(), 2);
    QCOMPARE(List(&window, "ComboBox2")->currentIndex(), 2);
    QCOMPARE(List(&window, "ComboBox3")->currentIndex(), 1);
    QCOMPARE(Caption(&window, 3), QStringLiteral("(视距m)"));
    QCOMPARE(Caption(&window, 4), QStringLiteral("天顶角(dms)"));
    QVERIFY(!Edit(&window, "Edit3")->isHidden());
    QVERIFY(!Edit(&window, "Edit6")->isEnabled());
    const char *fields[] = {"Edit1", "Edit2", "Edit5", "Edit7", "Edit3", "Edit4", "Edit6"};
    const QString values[] = {"1000", "1000", "50", "1.5", "1100", "1000", "0.000000"};
    for (int i = 0; i < 7; ++i)
        EXPECT_TEXT(Field(&window, fields[i]), values[i], fields[i]);
    QCOMPARE(Table(&window, Grid)->rows(), 2);
    QCOMPARE(Row(&window, 0), (QStringList{"K1", "141", "0", "100", "80.0000", "1.5", "", "", ""}));
    QCOMPARE(Row(&window, 1), (QStringList{"K2", "", "90", " 50", "90", "1.5", "", "", ""}));
    QCOMPARE(window.findChild<PointTableView *>(Grid)->currentDataRow(), 1);
    QVERIFY(Press(&window, "ToolButton7"));
    QCOMPARE(Row(&window, 0).mid(6), (QStringList{"1096.985", "1000.000", "67.101"}));
    QCOMPARE(Row(&window, 1).mid(6), (QStringList{"1000.000", "1050.000", "50.000"}));
}

void TFormJZBCLTest::recordImportKeepsUnknownModes()
{
    const QString path = WriteFile(m_dir.filePath(QStringLiteral("short.txt")),
                                   QStringLiteral(" 斜距(半站仪) ,天顶角,\r\n1,2\r\n").toUtf8());
    TFormJZBCL window(nullptr);
    SetModes(&window, 0, 1, 0);
    SetField(&window, "Edit1", "keep?");
    ScriptedPrompts prompts;
    prompts.openAnswers.push_back(path);
    QVERIFY(Press(&window, "ToolButton3"));
    QVERIFY(prompts.errors.isEmpty());
    QCOMPARE(List(&window, "ComboBox1")->currentIndex(), 1); // trimmed caption matches
    QCOMPARE(List(&window, "ComboBox2")->currentIndex(), 1); // not an item's caption: kept
    QCOMPARE(List(&window, "ComboBox3")->currentIndex(), 0); // empty: kept
    QCOMPARE(Field(&window, "Edit3"), QStringLiteral("1"));
    QCOMPARE(Field(&window, "Edit4"), QStringLiteral("2"));
    QCOMPARE(Field(&window, "Edit6"), QString()); // a missing field is empty, not "0"
    QCOMPARE(Field(&window, "Edit1"), QString()); // the missing station line reads as empty
    QCOMPARE(Table(&window, Grid)->rows(), 1);

    // A file that cannot be read changes nothing.
    SetField(&window, "Edit1", "kept");
    prompts.openAnswers.push_back(m_dir.filePath(QStringLiteral("missing.txt")));
    QVERIFY(Press(&window, "ToolButton3"));
    QCOMPARE(prompts.errors, QStringList{"File not found"});
    QCOMPARE(Field(&window, "Edit1"), QStringLiteral("kept"));
}

void TFormJZBCLTest::cassFileHasEastingBeforeNorthing()
{
    const QString path = m_dir.filePath(QStringLiteral("points.dat"));
    TFormJZBCL window(nullptr);
    ScriptedPrompts prompts;
    SetField(&window, "Edit1", "1000");
    SetField(&window, "Edit2", "1000");
    SetField(&window, "Edit5", "50");
    SetField(&window, "Edit7", "1.5");
    SetRow(&window, Grid, 0, {"P1", "141", "90.0000", "100", "2", "1.5"});
    SetRow(&window, Grid, 1, {"P2", "", "0", "10", "0", "1.5"});
    QVERIFY(Press(&window, "ToolButton7"));
    prompts.saveAnswers.push_back(path);
    QVERIFY(Press(&window, "ToolButton8")); // "另存为Cass格式"
    QCOMPARE(prompts.saveDialogs.size(), 1);
    QCOMPARE(prompts.saveDialogs.at(0).title, QStringLiteral("另存为cass50坐标数据文件..."));
    QCOMPARE(prompts.saveDialogs.at(0).filter, QStringLiteral("Text files (*.dat)"));
    QCOMPARE(prompts.saveDialogs.at(0).defaultSuffix, QStringLiteral("dat"));
    QCOMPARE(ReadFile(path), QByteArray("P1,141,1100.000,1000.000,52.000\r\nP2,,1000.000,1010.000,50.000\r\n"));

    // Saving onto it again asks first; "No" leaves it as it was.
    prompts.saveAnswers.push_back(path);
    prompts.overwriteAnswers.push_back(false);
    SetCell(&window, Grid, 0, 0, "changed");
    QVERIFY(Press(&window, "ToolButton8"));
    QCOMPARE(prompts.overwriteQuestions, 1);
    QCOMPARE(ReadFile(path), QByteArray("P1,141,1100.000,1000.000,52.000\r\nP2,,1000.000,1010.000,50.000\r\n"));
}

void TFormJZBCLTest::settingsWrittenWhenMainWindowIsDestroyed()
{
    auto *main = new TFormMain;
    QWidget *tool = nullptr;
    if (const CatalogueEntry *entry = FindCatalogueEntry(QStringLiteral("TFormJZBCL")); entry && entry->factory)
        tool = main->openTool(*entry);
    if (!tool) { // the command is not in the catalogue yet: open it the way the catalogue does
        tool = new TFormJZBCL(main);
        tool->show();
    }
    QPointer<QWidget> polar = tool;
    SetModes(tool, 1, 2, 1);
    SetField(tool, "Edit1", "3456789.012");
    SetField(tool, "Edit6", "12,5 not a number");
    tool->close();
    QVERIFY(polar); // closing only hides it
    QVERIFY(!QFile::exists(m_ini));
    delete main;
    QVERIFY(!polar);

    const QString text = QString::fromUtf8(ReadFile(m_ini));
    const QStringList lines = SectionLines(text, QStringLiteral("JZBCL"));
    QCOMPARE(lines, (QStringList{"CJFS=1", "SJFS=2", "DXFS=1", "hsX=", "hsY=", "hsANG=12,5 not a number",
                                 "czX=3456789.012", "czY=", "czH=", "yqH="}));
}

void TFormJZBCLTest::settingsReadBackExactly()
{
    {
        TFormJZBCL window(nullptr);
        SetModes(&window, 2, 1, 1);
        const char *fields[] = {"Edit3", "Edit4", "Edit6", "Edit1", "Edit2", "Edit5", "Edit7", "Edit8"};
        const QString values[] = {"1.5e3", " 2000 ", "abc;def", "x=1", "[JZBCL]", "50", "1.5", "12.3000"};
        for (int i = 0; i < 8; ++i)
            SetField(&window, fields[i], values[i]);
    }
    TFormJZBCL window(nullptr);
    QCOMPARE(List(&window, "ComboBox1")->currentIndex(), 2);
    QCOMPARE(List(&window, "ComboBox2")->currentIndex(), 1);
    QCOMPARE(List(&window, "ComboBox3")->currentIndex(), 1);
    QCOMPARE(Caption(&window, 3), QStringLiteral("(视距m)"));
    QCOMPARE(Caption(&window, 4), QStringLiteral("垂直角(dms)"));
    QVERIFY(!Edit(&window, "Edit3")->isHidden());
    QVERIFY(!Edit(&window, "Edit6")->isEnabled());
    const char *fields[] = {"Edit3", "Edit4", "Edit6", "Edit1", "Edit2", "Edit5", "Edit7", "Edit8"};
    const QString values[] = {"1.5e3", " 2000 ", "abc;def", "x=1", "[JZBCL]", "50", "1.5", "0.0000"};
    for (int i = 0; i < 8; ++i)
        EXPECT_TEXT(Field(&window, fields[i]), values[i], fields[i]); // the backsight reading is not kept

    // An index beyond a list leaves it without a selection; a key that is no number reads as 0.
    IniFile ini(m_ini);
    ini.writeInt("JZBCL", "CJFS", 7);
    ini.writeString("JZBCL", "SJFS", "two");
    ini.save();
    TFormJZBCL third(nullptr);
    QCOMPARE(List(&third, "ComboBox1")->currentIndex(), -1);
    QCOMPARE(List(&third, "ComboBox2")->currentIndex(), 0);
}

void TFormJZBCLTest::unwritableSettingsAreReported()
{
    // A regular file where the settings folder should be: neither can be made.
    WriteFile(m_dir.filePath(QStringLiteral("blocker")), "");
    const QString path = m_dir.filePath(QStringLiteral("blocker/Quorvil.ini"));
    SetSettingsFilePath(path);
    ScriptedPrompts prompts;
    delete new TFormJZBCL(nullptr);
    QCOMPARE(prompts.errors, QStringList{"Unable to write to " + path});
}

QTEST_MAIN(TFormJZBCLTest)
#include "TFormJZBCLTest.moc"
