// The line of limits of the adjustment windows, driven as a user would: the verdict beside every
// closure for the grade typed, red when over its limit, the note of a grade without limits, the
// standard chosen once for every window and kept in the settings file, the weights of a levelling
// route, a verdict that never blocks, and a data file that disagrees with itself refused.
#include "support/WindowTestSupport.h"
#include "tools/BJFH/TFormBJFH.h"
#include "tools/DBFH/TFormDBFH.h"
#include "tools/GCFH/TFormGCFH.h"
#include "tools/WDX/TFormWDX.h"
#include "tools/ZBFH/TFormZBFH.h"
#include "tools/ZBFH1/TFormZBFH1.h"
#include "tools/ZBwdx/TFormZBwdx.h"
#include "tools/ZDX/TFormZDX.h"

#include "io/IniFile.h"
#include "io/TextCodec.h"

#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

void Fill(QWidget *w, const QList<QStringList> &rows) { SetRows(w, "StringGrid1", rows); }

QStringList Verdicts(QWidget *w) { return VerdictTexts(w); }

bool Red(QWidget *w, const QString &name)
{
    auto *label = w->findChild<QLabel *>(name);
    return label && label->styleSheet().contains("color");
}

// The closure labels and verdict labels shown red.
QStringList RedLabels(QWidget *w)
{
    QStringList names;
    for (const char *name : {"LabFB", "LabK", "LabFh", "LimitFB", "LimitK", "LimitFh", "LimitGrade"})
        if (Red(w, name))
            names += name;
    return names;
}

QComboBox *Combo(QWidget *w, const char *name) { return w->findChild<QComboBox *>(name); }

// Small traverses and a route of each window, as typed.
const QList<QStringList> Connecting = {
    {"A", "", "", "5000", "5000"},
    {"B", "135.0006", "141.425", "5000", "5100"},
    {"P1", "225.0000", "100.002", "", ""},
    {"C", "224.5957", "", "5100", "5300"},
    {"D", "", "", "5000", "5400"},
};
const QList<QStringList> SingleSide = {
    {"A", "", "", "0", "0"}, {"B", "180", "100.002", "100", "0"}, {"P1", "270", "100.001", "", ""}, {"C", "", "", "200", "100"}};
// Three legs of 100 m in a straight line, 4 mm short of C.
const QList<QStringList> NoOrientation = {{"B", "37.1512", "100", "1000", "1000"},
                                          {"P1", "180", "100", "", ""},
                                          {"P2", "180", "100", "", ""},
                                          {"C", "", "", "1000", "1300.004"}};
const QList<QStringList> Levelling = {
    {"BM1", "1.2", "0.505", "", "100.000"}, {"P1", "0.8", "0.503", "", ""}, {"BM2", "", "", "", "101.000"}};
const QList<QStringList> CoordinateConnecting = {
    {"A", "", "", "", "5000", "5000", ""},
    {"B", "", "", "", "5000", "5100", "50"},
    {"P1", "5100.004", "5200.003", "51.234", "", "", ""},
    {"C", "5100.010", "5300.002", "52.010", "5100", "5300", "52"},
    {"D", "5000.012", "5400.005", "", "5000", "5400", ""},
};
const QList<QStringList> CoordinateSingleSide = {
    {"A", "", "", "", "5000", "5000", ""},
    {"B", "", "", "", "5000", "5100", "50"},
    {"P1", "5100.004", "5200.003", "51.234", "", "", ""},
    {"C", "5100.010", "5300.002", "52.010", "5100", "5300", "52"},
};
const QList<QStringList> CoordinateNoOrientation = {
    {"B", "100", "100", "10", "5000", "5100", "50"},
    {"P1", "118.463", "240.208", "11.236", "", "", ""},
    {"C", "57.577", "319.555", "12.011", "5100", "5300", "52"},
};

struct WindowCase {
    const char *name;
    std::function<TraverseWindow *()> make;
    QList<QStringList> rows;
    QString grade;
    QStringList verdicts; // as the line of limits shows them
    QStringList red;      // the labels shown red
};

} // namespace

class LimitsWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompts> prompts;
    QTemporaryDir dir;
    QString ini;

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        // Every case starts from no settings: the default standard, weights in km.
        ini = dir.filePath("Quorvil.ini");
        QFile::remove(ini);
        SetSettingsFilePath(ini);
    }
    void cleanup() { prompts.reset(); }

    void verdictsBesideEveryClosure()
    {
        const WindowCase cases[] = {
            {"connecting, 一级", [] { return new TFormBJFH(nullptr); }, Connecting, "一级",
             {"fβ=3″ 限差±17.32″ 合格", "K=1/33415 限差1/15000 合格"}, {}},
            {"connecting, 三等导线", [] { return new TFormBJFH(nullptr); }, Connecting, "三等导线",
             {"fβ=3″ 限差±6.24″ 合格", "K=1/33415 限差1/55000 超限"}, {"LabK", "LimitK"}},
            {"connecting, 1级 with too large an angular closure", [] { return new TFormBJFH(nullptr); },
             [] {
                 QList<QStringList> rows = Connecting;
                 rows[2][1] = "225.0030";
                 rows[2][2] = "100.032";
                 return rows;
             }(),
             "1级", {"fβ=33″ 限差±17.32″ 超限", "K=1/7498 限差1/15000 超限"}, {"LabFB", "LabK", "LimitFB", "LimitK"}},
            {"single-side, 四等", [] { return new TFormDBFH(nullptr); }, SingleSide, "四等",
             {"K=1/89444 限差1/35000 合格"}, {}},
            {"no-orientation, 二级", [] { return new TFormWDX(nullptr); }, NoOrientation, "二级",
             {"K=1/75000 限差1/10000 合格"}, {}},
            {"levelling, 四等", [] { return new TFormGCFH(nullptr); }, Levelling, "四等",
             {"fh=8mm 限差±28mm 合格"}, {}},
            {"levelling, 二等水准", [] { return new TFormGCFH(nullptr); }, Levelling, "二等水准",
             {"fh=8mm 限差±6mm 超限"}, {"LabFh", "LimitFh"}},
            {"coordinate connecting, 四等", [] { return new TFormZBFH(nullptr); }, CoordinateConnecting, "四等",
             {"K=1/30113 限差1/35000 超限"}, {"LabK", "LimitK"}},
            {"coordinate single-side, 一级", [] { return new TFormZBFH1(nullptr); }, CoordinateSingleSide, "一级",
             {"K=1/23674 限差1/15000 合格"}, {}},
            {"coordinate no-orientation, 图根", [] { return new TFormZBwdx(nullptr); }, CoordinateNoOrientation, "图根",
             {"K=1/26278 限差1/2000 合格"}, {}},
        };
        for (const WindowCase &c : cases) {
            std::unique_ptr<TraverseWindow> w(c.make());
            // Before "计算" the line names the standard and judges nothing.
            QVERIFY2(Verdicts(w.get()).isEmpty(), c.name);
            QCOMPARE(Combo(w.get(), "ComboStandard")->currentText(), QString("GB 50026-2020"));
            Fill(w.get(), c.rows);
            SetField(w.get(), "EditDJ", c.grade);
            QVERIFY2(Press(w.get(), "ToolButton6"), c.name);
            QVERIFY2(prompts->errors.isEmpty(), qPrintable(c.name + (": " + prompts->errors.join('|'))));
            QVERIFY2(Verdicts(w.get()) == c.verdicts, qPrintable(c.name + (": " + Verdicts(w.get()).join('|'))));
            QVERIFY2(RedLabels(w.get()) == c.red, qPrintable(c.name + (": " + RedLabels(w.get()).join('|'))));
            QVERIFY2(w->verdicts().size() == size_t(c.verdicts.size()), c.name);
        }
    }

    void gradesWithoutLimitsSaySo()
    {
        TFormBJFH w(nullptr);
        Fill(&w, Connecting);
        for (const QString &grade : {"五级", "", "测试", "三等水准"}) {
            SetField(&w, "EditDJ", grade);
            QVERIFY(Press(&w, "ToolButton6"));
            QCOMPARE(Verdicts(&w), QStringList{"等级“" + grade + "”无限差"});
            QCOMPARE(RedLabels(&w), QStringList());
            QCOMPARE(Cell(&w, "StringGrid1", 2, 3), QString("5100.001")); // adjusted all the same
        }
        // A grade typed after the computation judges the same closures again.
        SetField(&w, "EditDJ", "一级导线");
        QCOMPARE(Verdicts(&w), (QStringList{"fβ=3″ 限差±17.32″ 合格", "K=1/33415 限差1/15000 合格"}));
        SetField(&w, "EditDJ", "三等");
        QCOMPARE(RedLabels(&w), (QStringList{"LabK", "LimitK"}));
        SetField(&w, "EditDJ", "四级");
        QCOMPARE(Verdicts(&w), QStringList{"等级“四级”无限差"});
        QCOMPARE(RedLabels(&w), QStringList());

        // A computation that fails judges nothing.
        SetField(&w, "EditDJ", "一级");
        SetCell(&w, "StringGrid1", 2, 2, "abc");
        QVERIFY(Press(&w, "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{"'abc' is not a valid floating point value"});
        QCOMPARE(Verdicts(&w), QStringList());
    }

    void theOpenTraverseHasNothingToJudge()
    {
        TFormZDX w(nullptr);
        QVERIFY(!w.findChild<QFrame *>("Panel3"));
        QVERIFY(!Combo(&w, "ComboStandard"));
        QCOMPARE(Verdicts(&w), QStringList());
    }

    void theStandardIsOneChoiceForEveryWindow()
    {
        TFormBJFH traverse(nullptr);
        TFormGCFH route(nullptr);
        Fill(&traverse, Connecting);
        SetField(&traverse, "EditDJ", "三等");
        Fill(&route, Levelling);
        SetField(&route, "EditDJ", "五等");
        QVERIFY(Press(&traverse, "ToolButton6"));
        QVERIFY(Press(&route, "ToolButton6"));
        QCOMPARE(Verdicts(&traverse), (QStringList{"fβ=3″ 限差±6.24″ 合格", "K=1/33415 限差1/55000 超限"}));
        QCOMPARE(Verdicts(&route), QStringList{"fh=8mm 限差±42mm 合格"});

        // The city standard chosen in one window: both judge by it at once, and it is kept.
        Combo(&traverse, "ComboStandard")->setCurrentIndex(1);
        QCOMPARE(Verdicts(&traverse), (QStringList{"fβ=3″ 限差±5.2″ 合格", "K=1/33415 限差1/60000 超限"}));
        QCOMPARE(Combo(&route, "ComboStandard")->currentText(), QString("CJJ/T 8-2011"));
        QCOMPARE(Verdicts(&route), QStringList{"等级“五等”无限差"}); // the city standard has no 五等
        QCOMPARE(IniFile(ini).readString("Limits", "Standard", ""), QString("cjj8"));
        TFormWDX later(nullptr);
        QCOMPARE(Combo(&later, "ComboStandard")->currentText(), QString("CJJ/T 8-2011"));

        // Back to the default.
        Combo(&route, "ComboStandard")->setCurrentIndex(0);
        QCOMPARE(Combo(&traverse, "ComboStandard")->currentText(), QString("GB 50026-2020"));
        QCOMPARE(Verdicts(&route), QStringList{"fh=8mm 限差±42mm 合格"});
        QCOMPARE(IniFile(ini).readString("Limits", "Standard", ""), QString("gb50026"));
        QCOMPARE(prompts->errors, QStringList());
    }

    void levellingWeightsInKilometresMetresOrStations()
    {
        TFormGCFH w(nullptr);
        Fill(&w, Levelling);
        SetField(&w, "EditDJ", "四等水准");
        QVERIFY(Press(&w, "ToolButton6"));
        QComboBox *weights = Combo(&w, "ComboWeights");
        QVERIFY(weights);
        QCOMPARE(weights->currentText(), QString("千米计"));
        QCOMPARE(Verdicts(&w), QStringList{"fh=8mm 限差±28mm 合格"});
        // Set-up counts: 2 stations, hilly ground, 6√n.
        weights->setCurrentIndex(2);
        QCOMPARE(Verdicts(&w), QStringList{"fh=8mm 限差±8mm 合格"});
        QCOMPARE(IniFile(ini).readString("Limits", "LevellingWeights", ""), QString("stations"));
        // Metres: a route of 2 m.
        weights->setCurrentIndex(1);
        QCOMPARE(Verdicts(&w), QStringList{"fh=8mm 限差±1mm 超限"});
        QCOMPARE(RedLabels(&w), (QStringList{"LabFh", "LimitFh"}));
        TFormGCFH other(nullptr);
        QCOMPARE(Combo(&other, "ComboWeights")->currentText(), QString("米计"));
        weights->setCurrentIndex(0);
        QCOMPARE(Combo(&other, "ComboWeights")->currentText(), QString("千米计"));
    }

    void aClosureOverItsLimitNeverBlocks()
    {
        // A traverse whose closure is far over the 一级 limits: adjusted, saved and grabbed all the same.
        TFormBJFH w(nullptr);
        QList<QStringList> rows = Connecting;
        rows[2][1] = "225.0030";
        rows[2][2] = "100.032";
        Fill(&w, rows);
        for (const auto &[field, text] : {std::pair{"EditGC", "城东一级导线"}, {"EditDJ", "一级"}, {"EditJS", "张三"}})
            SetField(&w, field, text);
        QVERIFY(Press(&w, "ToolButton6"));
        QCOMPARE(Verdicts(&w), (QStringList{"fβ=33″ 限差±17.32″ 超限", "K=1/7498 限差1/15000 超限"}));
        QVERIFY(!Cell(&w, "StringGrid1", 2, 3).isEmpty());
        const QString saved = dir.filePath("over.txt");
        prompts->saveAnswers.push_back(saved);
        QVERIFY(Press(&w, "ToolButton7"));
        QCOMPARE(prompts->errors, QStringList());
        QVERIFY(QFile::exists(saved));

        w.resize(760, 420);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Every verdict shows whole beside the summary.
        for (const char *name : {"LimitFB", "LimitK"}) {
            auto *label = w.findChild<QLabel *>(name);
            QVERIFY2(label->width() >= label->sizeHint().width(), name);
        }
    }

    void aFileThatDisagreesWithItselfIsRefused()
    {
        // One new point by its count, seven stations in the file.
        const QString path = WriteFile(
            dir.filePath("seven.txt"),
            EncodeText("某工程,一级,张三,李四,2026-12-07\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\nC,5100,5300\r\n"
                       "D,5000,5400\r\nB,135.0006,141.425\r\nP1,225.0000,100.002\r\nP2,180,100\r\nP3,180,100\r\n"
                       "P4,180,100\r\nP5,180,100\r\nC,224.5957,\r\n"));
        TFormBJFH w(nullptr);
        Fill(&w, Connecting);
        SetField(&w, "EditGC", "原来的工程");
        QVERIFY(Press(&w, "ToolButton6"));
        const QList<QStringList> before = Rows(&w, "StringGrid1");
        const QStringList verdicts = Verdicts(&w);
        prompts->openAnswers.push_back(path);
        QVERIFY(Press(&w, "ToolButton3"));
        QCOMPARE(prompts->errors, QStringList{"第 2 行: 新点个数为 1，但文件中有 7 个测站行"});
        QCOMPARE(Rows(&w, "StringGrid1"), before);
        QCOMPARE(Field(&w, "EditGC"), QString("原来的工程"));
        QCOMPARE(Verdicts(&w), verdicts);

        // A file that agrees with itself replaces the traverse: nothing of it is judged before "计算".
        const QString good = WriteFile(dir.filePath("good.txt"), EncodeText("某工程,一级,张三,李四,2026-12-07\r\n1\r\n"
                                                                            "A,5000,5000\r\nB,5000,5100\r\nC,5100,5300\r\n"
                                                                            "D,5000,5400\r\nB,135.0006,141.425\r\n"
                                                                            "P1,225.0000,100.002\r\nC,224.5957,\r\n"));
        prompts->openAnswers.push_back(good);
        QVERIFY(Press(&w, "ToolButton3"));
        QCOMPARE(Verdicts(&w), QStringList());
        QVERIFY(Press(&w, "ToolButton6"));
        QCOMPARE(Verdicts(&w), (QStringList{"fβ=3″ 限差±17.32″ 合格", "K=1/33415 限差1/15000 合格"}));
    }
};

QTEST_MAIN(LimitsWindowsTest)
#include "LimitsWindowsTest.moc"
