// The GNSS height-fitting window, driven by object names as a user would: the EGM96 sample
// imported and fitted with each model (figures against the exact reference), the saved file,
// bad input refused with everything kept, and the 1.5-times warning.
#include "support/WindowTestSupport.h"
#include "tools/GCNH/TFormGCNH.h"

#include "io/PointFile.h"
#include "io/TextCodec.h"

#include <QComboBox>
#include <QPlainTextEdit>

#include <cmath>
#include <QtTest>

#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QString DataDir = QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/data/height-fit/");

using RowList = QList<QStringList>;

// The reference's figures for the sample: key (with the point's name) to its texts.
QHash<QString, QStringList> Reference(const QString &model)
{
    const ProgramRun python = RunPythonProgram({QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/support/height_fit_reference.py"),
                                                model, DataDir + "common.txt", DataDir + "points.txt"});
    QHash<QString, QStringList> values;
    for (const QString &line : QString::fromUtf8(python.out).split('\n', Qt::SkipEmptyParts)) {
        QStringList words = line.split(' ');
        QString key = words.takeFirst();
        if (key == "residual" || key == "check" || key == "converted")
            key += ' ' + words.takeFirst();
        values.insert(key, words);
    }
    return values;
}

// Metres to the window's "±12.3"-style millimetres.
QString Mm(const QString &metres) { return QString::number(metres.toDouble() * 1000, 'f', 1); }

// Fitting points of a square 2 km across with its centre, and check points inside.
const RowList Square = {{"A", "4400000", "440000", "40.100", "50.000", "拟合"}, {"B", "4402000", "440000", "40.120", "50.000", "拟合"},
                     {"C", "4402000", "442000", "40.150", "50.000", "拟合"}, {"D", "4400000", "442000", "40.125", "50.000", "拟合"},
                     {"E", "4401000", "441000", "40.126", "50.000", "拟合"}, {"J1", "4400500", "440500", "40.110", "50.000", "检核"}};

} // namespace

class TFormGCNHTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<TFormGCNH> window;

    // Imports the sample through both "文件导入" buttons and fits it with `model`.
    void fitSample(int model)
    {
        prompts->openAnswers = {DataDir + "common.txt", DataDir + "points.txt"};
        QVERIFY(Press(window.get(), "ToolButton3"));
        QVERIFY(Press(window.get(), "ToolButton11"));
        window->findChild<QComboBox *>("ComboModel")->setCurrentIndex(model);
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
    }

private slots:
    void init()
    {
        prompts = std::make_unique<ScriptedPrompts>();
        window = std::make_unique<TFormGCNH>(nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void opensWithItsTablesAndControls()
    {
        QCOMPARE(window->objectName(), QString("TFormGCNH"));
        QCOMPARE(window->windowTitle(), QString("GNSS高程拟合"));
        const struct {
            const char *table;
            QStringList captions;
            QStringList buttons;
            bool above;
        } tables[] = {
            {"StringGrid1", {"点名", "X(m)", "Y(m)", "大地高(m)", "正常高(m)", "用途"}, {" 追加 ", " 插入 ", "文件导入", " 删除 ", " 清空 "}, true},
            {"StringGrid2", {"点名", "X(m)", "Y(m)", "大地高(m)"}, {" 追加 ", " 插入 ", "文件导入", " 删除 ", " 清空 "}, true},
            {"StringGrid3", {"点名", "X(m)", "Y(m)", "大地高(m)", "高程异常(m)", "正常高(m)", "说明"}, {"拟合计算", "数据另存"}, false},
            {"StringGrid4", {"点名", "用途", "高程异常(m)", "拟合值(m)", "残差(mm)"}, {}, false},
        };
        for (const auto &t : tables) {
            QCOMPARE(Table(window.get(), t.table)->captions(), t.captions);
            bool above = false;
            QCOMPARE(ToolBarCaptions(window.get(), t.table, &above), t.buttons);
            QVERIFY2(t.buttons.isEmpty() || above == t.above, t.table);
        }
        auto *combo = window->findChild<QComboBox *>("ComboModel");
        QCOMPARE(combo->count(), 3);
        QCOMPARE((QStringList{combo->itemText(0), combo->itemText(1), combo->itemText(2)}), (QStringList{"常数", "平面", "二次曲面"}));
        QCOMPARE(combo->currentText(), QString("平面"));
        QVERIFY(window->findChild<QPlainTextEdit *>("MemoSummary")->isReadOnly());
        QCOMPARE(Text(window.get(), "MemoSummary"), QString());
        QCOMPARE(ColumnsCutOff(window.get(), {"StringGrid1", "StringGrid2", "StringGrid3", "StringGrid4"}), QString());
    }

    // The EGM96 sample with each model: the figures of the exact reference, rounded as shown.
    void egm96Sample_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("name");
        QTest::newRow("常数") << 0 << "constant";
        QTest::newRow("平面") << 1 << "plane";
        QTest::newRow("二次曲面") << 2 << "quadratic";
    }
    void egm96Sample()
    {
        QFETCH(int, model);
        QFETCH(QString, name);
        fitSample(model);
        const QHash<QString, QStringList> ref = Reference(name);
        QVERIFY2(ref.contains("mu"), "the reference did not run");
        const QString memo = Text(window.get(), "MemoSummary");
        QVERIFY2(memo.contains("内符合中误差 μ = ±" + Mm(ref["mu"][0]) + " mm（μ = √([vv]/(n−t))，分母 n−t = " +
                               QString::number(12 - QList<int>{1, 3, 6}[model])),
                 qPrintable(memo));
        QVERIFY2(memo.contains("外符合中误差 M = ±" + Mm(ref["M"][0]) + " mm（M = √([ΔΔ]/m)，分母 m = 5 个检核点"), qPrintable(memo));
        QVERIFY(memo.contains("拟合点 n = 12 个，检核点 m = 5 个"));
        // Residuals of the common points, in table order.
        const RowList residuals = Rows(window.get(), "StringGrid4");
        QCOMPARE(residuals.size(), 17);
        for (const QStringList &row : residuals) {
            const bool check = row[1] == "检核";
            const double residual = check ? -ref["check " + row[0]][1].toDouble() : ref["residual " + row[0]][0].toDouble();
            QCOMPARE(row[4], QString::number(residual * 1000, 'f', 1));
        }
        // Converted points: normal heights, and P7 and P8 outside the hull.
        const RowList converted = Rows(window.get(), "StringGrid3");
        QCOMPARE(converted.size(), 8);
        for (const QStringList &row : converted) {
            const QStringList &r = ref["converted " + row[0]];
            QCOMPARE(row[4], QString::number(r[0].toDouble(), 'f', 4));
            QCOMPARE(row[5], QString::number(r[1].toDouble(), 'f', 4));
            QCOMPARE(row[6], r[2] == "outside" ? QString("外推") : QString());
        }
        QCOMPARE(Rows(window.get(), "StringGrid3", 6, 1).count({"外推"}), 2);

        // "数据另存": the converted table in GB18030, read back as it stands.
        QTemporaryDir dir;
        const QString saved = dir.filePath("normal.txt");
        prompts->saveAnswers.push_back(saved);
        QVERIFY(Press(window.get(), "ToolButton7"));
        QCOMPARE(ReadPointFile(saved, 7, QString()), converted);
        QVERIFY(ReadFile(saved).contains(EncodeText(QStringLiteral("外推"))));
    }

    // Bad input: its message, nothing computed, every table and the summary as they were.
    void badInputKeepsEverything_data()
    {
        QTest::addColumn<RowList>("common");
        QTest::addColumn<RowList>("points");
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("message");
        const RowList points = {{"P", "4401000", "441000", "45"}};
        RowList duplicate = Square;
        duplicate[4][0] = "B";
        RowList missing = Square;
        missing[2][4] = "";
        RowList absurd = Square;
        absurd[1][3] = "12000";
        RowList line = {{"A", "4400000", "440000", "40.1", "50", ""}, {"B", "4401000", "441000", "40.2", "50", ""},
                     {"C", "4402000", "442000", "40.3", "50", ""}, {"D", "4403000", "443000", "40.4", "50", ""}};
        RowList circle;
        for (int k = 0; k < 8; ++k) // on a circle of 1 km about (4400000, 440000)
            circle.append({QString("K%1").arg(k), QString::number(4400000 + 1000 * std::cos(k * M_PI / 4), 'f', 6),
                           QString::number(440000 + 1000 * std::sin(k * M_PI / 4), 'f', 6), "40", "50", ""});
        QTest::newRow("duplicate names") << duplicate << points << 1 << "" << "公共点点名重复：B（第 2 行与第 5 行）！";
        QTest::newRow("duplicate names to convert") << Square << RowList{points[0], points[0]} << 1 << ""
                                                    << "待转换点点名重复：P（第 1 行与第 2 行）！";
        QTest::newRow("missing height") << missing << points << 1 << "" << "公共点 C 缺少正常高！";
        QTest::newRow("absurd height") << absurd << points << 1 << ""
                                       << "公共点 B 的大地高 12000 m 超出 ±10000 m，请检查数据！";
        QTest::newRow("on one line") << line << points << 1 << ""
                                     << "拟合点都在一条直线上（或几乎如此），平面模型无法确定！请增加不在这条直线上的拟合点，或选用常数模型。";
        QTest::newRow("on a circle") << circle << points << 2 << ""
                                     << "拟合点都在一条二次曲线上（一条直线、两条直线、一个圆或其他圆锥曲线，或几乎如此），"
                                        "二次曲面模型无法确定！请增加不在这条曲线上的拟合点，或选用平面模型。";
        QTest::newRow("too few for the model") << Square.mid(0, 5) << points << 2 << ""
                                               << "二次曲面模型有 6 个参数，至少需要 6 个用途为“拟合”的公共点，现有 5 个！";
        QTest::newRow("empty table") << RowList{{}} << points << 1 << ""
                                     << "公共点表为空，请输入或导入公共点（点名, X, Y, 大地高, 正常高, 用途）！";
        QTest::newRow("negative limit") << Square << points << 1 << "-3"
                                        << "检核限差 -3 mm 应在 0 到 100000 mm 之间（空或 0 表示不设限差）！";
        QTest::newRow("not a number") << Square << RowList{{"P", "4401000", "44l000", "45"}} << 1 << ""
                                      << "'44l000' is not a valid floating point value";
    }
    void badInputKeepsEverything()
    {
        QFETCH(RowList, common);
        QFETCH(RowList, points);
        QFETCH(int, model);
        QFETCH(QString, limit);
        QFETCH(QString, message);
        fitSample(1);
        const RowList converted = Rows(window.get(), "StringGrid3"), residuals = Rows(window.get(), "StringGrid4");
        const QString summary = Text(window.get(), "MemoSummary");
        Table(window.get(), "StringGrid1")->clear(1);
        SetRows(window.get(), "StringGrid1", common);
        SetRows(window.get(), "StringGrid2", points);
        window->findChild<QComboBox *>("ComboModel")->setCurrentIndex(model);
        SetField(window.get(), "EditLimit", limit);
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList{message});
        QCOMPARE(Rows(window.get(), "StringGrid3"), converted);
        QCOMPARE(Rows(window.get(), "StringGrid4"), residuals);
        QCOMPARE(Text(window.get(), "MemoSummary"), summary);
        QCOMPARE(Rows(window.get(), "StringGrid1", 0, common.value(0).size()).value(0), common.value(0));
        QCOMPARE(Rows(window.get(), "StringGrid2"), points);
    }

    // Below 1.5 times as many fitting points as parameters: computed, with a warning.
    void warnsBelowOneAndAHalfTimes()
    {
        SetRows(window.get(), "StringGrid1", Square.mid(0, 4) + Square.mid(5));
        SetRows(window.get(), "StringGrid2", {{"P", "4401000", "441000", "45"}, {"Q", "4403000", "441000", "45"}});
        SetField(window.get(), "EditLimit", "20");
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->errors, QStringList());
        const QString warning = "注意：拟合点 4 个，少于参数个数的 1.5 倍（平面模型 3 个参数，宜不少于 5 个拟合点）。";
        QCOMPARE(prompts->messages, QStringList{warning});
        QVERIFY(Text(window.get(), "MemoSummary").contains(warning));
        QCOMPARE(Rows(window.get(), "StringGrid3", 6, 1), (RowList{{""}, {"外推"}}));
        QCOMPARE(Rows(window.get(), "StringGrid4", 0, 2).last(), (QStringList{"J1", "检核"}));
        prompts->messages.clear();
        SetRows(window.get(), "StringGrid1", Square);
        QVERIFY(Press(window.get(), "ToolButton6"));
        QCOMPARE(prompts->messages, QStringList());
        QVERIFY(!Text(window.get(), "MemoSummary").contains("注意：拟合点"));
    }
};

QTEST_MAIN(TFormGCNHTest)
#include "TFormGCNHTest.moc"
