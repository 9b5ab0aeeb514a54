// The drawing tools driven as a user would, through a scripted drawing session: point capture
// with its table and files, geographic labels with their settings, and the main window's plane
// labels. The recorded drawing calls are compared with the entities the loops must make.
#include "app/Catalogue.h"
#include "app/TFormMain.h"
#include "core/GaussKruger.h"
#include "core/TextForms.h"
#include "io/IniFile.h"
#include "support/WindowTestSupport.h"
#include "tools/BZBL/TFormBZBL.h"
#include "tools/CADpoint/TFormCADpoint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

using Cad = ScriptedCadSession;


QString N(double v) { return QString::number(v, 'g', 12); }
QString P(double x, double y, double z) { return QStringLiteral("(%1,%2,%3)").arg(N(x), N(y), N(z)); }

const QStringList PromptCalls = {"GetVariable", "GetString", "GetPoint"};

// The key=value lines of one section of the settings file.
QStringList SectionLines(const QString &section)
{
    QStringList lines;
    bool inside = false;
    for (QString line : QString::fromUtf8(ReadFile(SettingsFilePath())).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'['))
            inside = line == u'[' + section + u']';
        else if (inside && !line.isEmpty())
            lines << line;
    }
    return lines;
}

QByteArray Gbk(const char *utf8) { return QStringEncoder("GB18030").encode(QString::fromUtf8(utf8)); }

} // namespace

class DrawingToolsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void withoutDrawingWindowEachCommandSaysSo();
    void captureNamesMarksAndLists();
    void captureWithoutMarksAndTableCommands();
    void captureFilesByteForByte();
    void geographicLabelsDrawDotLeaderAndTexts();
    void geographicSettingsRoundTripAndDefaults();
    void planeLabelsFromTheMainWindow();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

void DrawingToolsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    SetSettingsFilePath(m_dir.filePath("Quorvil.ini"));
}

void DrawingToolsTest::init()
{
    m_prompts.reset(); // its destructor uninstalls it
    m_prompts = std::make_unique<ScriptedPrompts>();
    QFile::remove(SettingsFilePath());
}

void DrawingToolsTest::cleanupTestCase() { m_prompts.reset(); }

void DrawingToolsTest::withoutDrawingWindowEachCommandSaysSo()
{
    TFormMain main;
    for (const char *handler : {"getXYHClick", "bzBLClick"}) {
        QVERIFY(main.findChild<QAction *>(handler)->isEnabled());
    }
    TFormCADpoint capture(nullptr);
    TFormBZBL labels(nullptr);
    m_prompts->messages.clear();
    m_prompts->messageCaptions.clear();
    m_prompts->messageAnswers = {QMessageBox::No, QMessageBox::No, QMessageBox::No};
    Press(&capture, "Button8");
    Press(&labels, "Button1");
    Press(&main, "bzXYClick");
    QCOMPARE(m_prompts->messages, QStringList(3, QStringLiteral("图形窗口尚未打开！\n现在打开图形窗口吗？")));
    // Each under the caption of the window it came from.
    QCOMPARE(m_prompts->messageCaptions,
             (QStringList{"由CAD获取的点坐标数据", "CAD标注地理坐标", main.windowTitle()}));
    QVERIFY(m_prompts->errors.isEmpty());
    QCOMPARE(Rows(&capture, "StringGrid1"), (QList<QStringList>{{"", "", "", ""}}));
}

void DrawingToolsTest::captureNamesMarksAndLists()
{
    ActiveCadSession cad;
    cad.setVariable("LTSCALE", 2);
    for (const Cad::Answer &a : {Cad::text("y"), Cad::text(""), Cad::point(500100.5, 3380200.25, 12.5), Cad::text("A09"),
                                 Cad::point(10, 20, 0), Cad::text(""), Cad::point(1, 2, 3), Cad::text("J99999999999"),
                                 Cad::point(4, 5, 6), Cad::text(" "), Cad::point(7, 8, 9)})
        cad.answer(a);
    TFormCADpoint window(nullptr);
    QCOMPARE(window.windowTitle(), QStringLiteral("由CAD获取的点坐标数据"));
    QVERIFY(Press(&window, "Button8"));
    QVERIFY(m_prompts->errors.isEmpty());

    QCOMPARE(CadPrompts(cad), (QStringList{"展绘点:Y,不展绘:N(N)", "请输入点名:(J1)", "请从屏幕取点", "请输入点名:(J2)", "请从屏幕取点",
                                        "请输入点名:(A10)", "请从屏幕取点", "请输入点名:(A11)", "请从屏幕取点",
                                        "请输入点名:(J100000000000)", "请从屏幕取点", "请输入点名:(J100000000001)"}));
    QCOMPARE(Rows(&window, "StringGrid1"),
             (QList<QStringList>{{"J1", "3380200.250", "  500100.500", "  12.500"},
                                 {"A09", "     20.000", "      10.000", "   0.000"},
                                 {"A10", "      2.000", "       1.000", "   3.000"},
                                 {"J99999999999", "      5.000", "       4.000", "   6.000"},
                                 {"J100000000000", "      8.000", "       7.000", "   9.000"}}));
    // Each point: a point, a circle of half a unit redrawn at once, the name three units high.
    const QStringList log = CallLog(cad, PromptCalls);
    QCOMPARE(log.size(), 5 * 4);
    QCOMPARE(log.mid(0, 4), (QStringList{"AddPoint " + P(500100.5, 3380200.25, 12.5) + " #1",
                                         "AddCircle " + P(500100.5, 3380200.25, 12.5) + " 1 #2", "Update #2",
                                         "AddText " + P(500102.5, 3380202.25, 12.5) + " 6 J1 #3"}));
    QCOMPARE(log.at(7), "AddText " + P(12, 22, 0) + " 6 A09 #6");
}

void DrawingToolsTest::captureWithoutMarksAndTableCommands()
{
    ActiveCadSession cad;
    for (const Cad::Answer &a : {Cad::text(""), Cad::text("P7"), Cad::point(1, 2, 3), Cad::text(""), Cad::point(4, 5, 6),
                                 Cad::text(""), Cad::point(7, 8, 9)})
        cad.answer(a);
    TFormCADpoint window(nullptr);
    Press(&window, "Button8");
    QCOMPARE(CallLog(cad, PromptCalls), QStringList()); // Enter at the first question: no marks
    QCOMPARE(Rows(&window, "StringGrid1", 0, 1), (QList<QStringList>{{"P7"}, {"P8"}, {"P9"}}));

    auto *view = window.findChild<PointTableView *>("StringGrid1");
    view->setCurrentDataRow(1);
    Press(&window, "Button2"); // delete
    QCOMPARE(Rows(&window, "StringGrid1", 0, 1), (QList<QStringList>{{"P7"}, {"P9"}}));
    // A second capture appends below and starts again at J1.
    cad.answer(Cad::text("n"));
    cad.answer(Cad::text(""));
    cad.answer(Cad::point(0, 0, 0));
    Press(&window, "Button8");
    QCOMPARE(Rows(&window, "StringGrid1", 0, 1), (QList<QStringList>{{"P7"}, {"P9"}, {"J1"}}));
    Press(&window, "Button3"); // clear
    QCOMPARE(Rows(&window, "StringGrid1"), (QList<QStringList>{{"", "", "", ""}}));
    Press(&window, "Button2"); // nothing to delete
    cad.answer(Cad::text(""));
    cad.answer(Cad::text(""));
    cad.answer(Cad::point(1, 1, 1));
    Press(&window, "Button8");
    QCOMPARE(Rows(&window, "StringGrid1", 0, 1), (QList<QStringList>{{"J1"}}));
}

void DrawingToolsTest::captureFilesByteForByte()
{
    ActiveCadSession cad;
    for (const Cad::Answer &a : {Cad::text("N"), Cad::text("界桩1"), Cad::point(500100.5, 3380200.25, 12.5), Cad::text(""),
                                 Cad::point(-3.5, 0, -0.25)})
        cad.answer(a);
    TFormCADpoint window(nullptr);
    const QString empty = m_dir.filePath("empty.txt");
    m_prompts->saveAnswers = {empty};
    Press(&window, "Button1");
    QCOMPARE(ReadFile(empty), QByteArray()); // an empty list writes an empty file
    Press(&window, "Button8");

    struct Form {
        const char *button, *file;
        QByteArray bytes;
        QString filter;
    };
    const Form forms[] = {
        {"Button1", "plain", Gbk("界桩1,3380200.250,500100.500,12.500\r\n界桩2,0.000,-3.500,-0.250\r\n"), "Text files (*.txt)"},
        {"Button4", "south", Gbk("0,界桩1,3380200.250,500100.500,12.500,0,\r\n0,界桩2,0.000,-3.500,-0.250,0,\r\n"),
         "Text files (*.ptb)"},
        {"Button5", "topcon", Gbk("界桩1,500100.500,3380200.250,12.500\r\n界桩2,-3.500,0.000,-0.250\r\n"), "Text files (*.txt)"},
    };
    for (const Form &form : forms) {
        const QString path = m_dir.filePath(form.file);
        QFile::remove(path + (form.filter.contains("ptb") ? ".ptb" : ".txt"));
        m_prompts->saveAnswers = {path};
        m_prompts->saveDialogs.clear();
        Press(&window, form.button);
        const QString written = path + (form.filter.contains("ptb") ? ".ptb" : ".txt");
        QVERIFY2(ReadFile(written) == form.bytes, form.file);
        QCOMPARE(m_prompts->saveDialogs.value(0).title, QStringLiteral("坐标数据另存为..."));
        QCOMPARE(m_prompts->saveDialogs.value(0).filter, form.filter);
        // An existing file: "No" keeps it, "Yes" overwrites it.
        WriteFile(written, "old");
        m_prompts->saveAnswers = {written, written};
        m_prompts->overwriteAnswers = {false, true};
        const int asked = m_prompts->overwriteQuestions;
        Press(&window, form.button);
        QCOMPARE(ReadFile(written), QByteArray("old"));
        Press(&window, form.button);
        QVERIFY2(ReadFile(written) == form.bytes, form.file);
        QCOMPARE(m_prompts->overwriteQuestions, asked + 2);
    }
    QVERIFY(m_prompts->errors.isEmpty());
}

void DrawingToolsTest::geographicLabelsDrawDotLeaderAndTexts()
{
    // 34°12′30.25″ N, 115°00′15.75″ E in the 3° zone 38, in a drawing shifted by 3000000 north and
    // 38000000 east.
    const Ellipsoid krasovsky{6378245, TextToNumber("6356863.0187730473")};
    const PlaneXY grid = GaussForward(krasovsky, 34 + 12 / 60.0L + 30.25L / 3600, 1 + 15.75L / 3600);
    const double px = double(grid.y + 500000), py = double(grid.x - 3000000);
    const double qx = px + 20, qy = py + 10;

    ActiveCadSession cad;
    for (const Cad::Answer &a : {Cad::point(px, py, 1), Cad::point(qx, qy), Cad::point(-38000001, 0), Cad::point(px, py, 1)})
        cad.answer(a);
    TFormBZBL window(nullptr);
    SetField(&window, "EditXX", "3000000");
    SetField(&window, "EditYY", "38000000");
    window.findChild<QCheckBox *>("CheckBox2")->setChecked(true);
    QVERIFY(Press(&window, "Button1"));
    QVERIFY(m_prompts->errors.isEmpty());

    const QString westNote = QStringLiteral("Y坐标小于0，点位于投影带原点以西，不能确定带号！");
    QCOMPARE(CadPrompts(cad), (QStringList{"请点取坐标点位:", "请点取标注位置:", "请点取坐标点位:", westNote + " 请点取坐标点位:",
                                        "请点取标注位置:"}));
    const QStringList expected = {
        "AddHatch 0 1 SOLID #1",
        "AddCircle " + P(px, py, 1) + " 2.4 #2",
        "AppendOuterLoop 2 #1",
        "AddLightWeightPolyLine " + QStringList{N(px), N(py), N(qx), N(qy), N(qx + 0.7 * 14 * 6), N(qy)}.join(' ') + " #3",
        "Update #3",
        "AddText " + P(qx + 1.8, qy + 1.8, 1) + " 6 E115°00′16″ #4",
        "AddText " + P(qx + 1.8, qy - 7.8, 1) + " 6 N 34°12′30″ #5",
        // The refused point draws nothing; the last pass, cancelled at the label position,
        // leaves its dot and no text.
        "AddHatch 0 1 SOLID #6",
        "AddCircle " + P(px, py, 1) + " 2.4 #7",
        "AppendOuterLoop 7 #6",
    };
    QCOMPARE(CallLog(cad, PromptCalls), expected);

    // Six decimals of the seconds, no dot, no leader.
    cad.clearCalls();
    cad.answer(Cad::point(px, py, 1));
    cad.answer(Cad::point(qx, qy));
    window.findChild<QSpinBox *>("SpinEdit1")->setValue(6);
    window.findChild<QCheckBox *>("CheckBox1")->setChecked(false);
    window.findChild<QCheckBox *>("CheckBox2")->setChecked(false);
    Press(&window, "Button1");
    QCOMPARE(CallLog(cad, PromptCalls), (QStringList{"AddText " + P(qx + 1.8, qy + 1.8, 1) + " 6 E115°00′15.750000″ #8",
                                                     "AddText " + P(qx + 1.8, qy - 7.8, 1) + " 6 N 34°12′30.250000″ #9"}));

    // Texts that are no numbers end the command with the conversion error before any prompt.
    cad.clearCalls();
    SetField(&window, "EditTxtH", "abc");
    Press(&window, "Button1");
    QCOMPARE(m_prompts->errors, QStringList{"'abc' is not a valid floating point value"});
    QVERIFY(cad.calls().empty());
}

void DrawingToolsTest::geographicSettingsRoundTripAndDefaults()
{
    auto *window = new TFormBZBL(nullptr);
    const QStringList fields = {"EditA", "EditB", "EditXX", "EditYY", "EditTxtH", "EditCR"};
    QCOMPARE(Fields(window, fields), (QStringList{"6378245.0", "6356863.0187730473", "0", "0", "6", "2.4"}));
    auto *ellipsoids = window->findChild<QComboBox *>("ComboBox1");
    QCOMPARE(ellipsoids->count(), 4);
    QCOMPARE(ellipsoids->itemText(2), QStringLiteral("世界坐标系--WGS84椭球"));
    QVERIFY(!window->findChild<QLineEdit *>("EditA")->isEnabled());
    ellipsoids->setCurrentIndex(2);
    QCOMPARE(Fields(window, {"EditA", "EditB"}), (QStringList{"6378137.0000000000", "6356752.3142451795"}));
    ellipsoids->setCurrentIndex(3);
    QVERIFY(window->findChild<QLineEdit *>("EditA")->isEnabled());
    SetField(window, "EditA", "6378000");
    SetField(window, "EditB", "6356000.5");
    SetField(window, "EditXX", "-12.5");
    SetField(window, "EditYY", "38000000");
    SetField(window, "EditTxtH", "2.5");
    SetField(window, "EditCR", "not checked");
    window->findChild<QComboBox *>("ComboBox2")->setCurrentIndex(1);
    window->findChild<QSpinBox *>("SpinEdit1")->setValue(3);
    window->findChild<QCheckBox *>("CheckBox1")->setChecked(false);
    window->findChild<QCheckBox *>("CheckBox2")->setChecked(true);
    delete window;
    QCOMPARE(SectionLines("CADBZBL"), (QStringList{"ZBX=3", "a=6378000", "b=6356000.5", "Xo=-12.5", "Yo=38000000", "TYD=1",
                                                   "FontHeight=2.5", "CircleR=not checked", "sDec=3", "bzCircle=0",
                                                   "bzLine=1"}));

    TFormBZBL again(nullptr);
    QCOMPARE(Fields(&again, fields), (QStringList{"6378000", "6356000.5", "-12.5", "38000000", "2.5", "not checked"}));
    QCOMPARE(again.findChild<QComboBox *>("ComboBox1")->currentIndex(), 3);
    QVERIFY(again.findChild<QLineEdit *>("EditB")->isEnabled());
    QCOMPARE(again.findChild<QComboBox *>("ComboBox2")->currentIndex(), 1);
    QCOMPARE(again.findChild<QSpinBox *>("SpinEdit1")->value(), 3);
    QVERIFY(!again.findChild<QCheckBox *>("CheckBox1")->isChecked());
    QVERIFY(again.findChild<QCheckBox *>("CheckBox2")->isChecked());

    Press(&again, "Button2"); // 默认设置
    QCOMPARE(Fields(&again, fields),
             (QStringList{"6378245.0000000000", "6356863.0187730473", "0", "0", "6", "2.4"}));
    QCOMPARE(again.findChild<QComboBox *>("ComboBox1")->currentIndex(), 0);
    QVERIFY(!again.findChild<QLineEdit *>("EditB")->isEnabled());
    QCOMPARE(again.findChild<QComboBox *>("ComboBox2")->currentIndex(), 0);
    QCOMPARE(again.findChild<QSpinBox *>("SpinEdit1")->value(), 0);
    QVERIFY(again.findChild<QCheckBox *>("CheckBox1")->isChecked());
    QVERIFY(!again.findChild<QCheckBox *>("CheckBox2")->isChecked());
}

void DrawingToolsTest::planeLabelsFromTheMainWindow()
{
    ActiveCadSession cad;
    cad.setVariable("LtScale", 0.5);
    for (const Cad::Answer &a : {Cad::point(500100.5, 3380200.25, 7), Cad::point(500150, 3380250), Cad::point(1, 2)})
        cad.answer(a);
    TFormMain main;
    const int windows = main.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size();
    QVERIFY(Press(&main, "bzXYClick"));
    QVERIFY(m_prompts->errors.isEmpty());
    QCOMPARE(main.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), windows); // no window
    QCOMPARE(CadPrompts(cad), (QStringList{"请点取坐标点位:", "请点取标注位置:", "请点取坐标点位:", "请点取标注位置:"}));
    QCOMPARE(CallLog(cad, PromptCalls),
             (QStringList{"AddLine (500100.5,3380200.25,7) (500150,3380250,0) #1", "Update #1",
                          "AddLine (500150,3380250,0) (500168.2,3380250,7) #2", "Update #2",
                          "AddText (500150,3380250.5,7) 2 X=3380200.250 #3",
                          "AddText (500150,3380247.5,7) 2 Y=500100.500 #4"}));
}

QTEST_MAIN(DrawingToolsTest)
#include "DrawingToolsTest.moc"
