// Results that no longer match the input, in the windows as a user meets them: every window with
// results, once its valid input is computed, says "数据已修改，请重新计算" when a cell of its input
// is typed again, until it computes again. A traverse shows it in its summary line with the
// lines of limits and of the rigorous solution grey, and asks before saving; a point tool saves
// what it computed again when the user answers 是.
#include "support/WindowTestSupport.h"
#include "WindowRecipes.h"

#include "app/Catalogue.h"
#include "app/TFormMain.h"
#include "io/IniFile.h"
#include "io/TextCodec.h"
#include "tools/BJFH/TFormBJFH.h"
#include "tools/GSZS/TFormGSZS.h"
#include "ui/ResultFreshness.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QString Stale = QStringLiteral("数据已修改，请重新计算");

// Whether a notice of stale results shows in the window.
bool StaleShown(QWidget *window)
{
    for (QLabel *label : window->findChildren<QLabel *>(QStringLiteral("LabStale")))
        if (label->isVisibleTo(window) && label->text() == Stale)
            return true;
    return false;
}

// The first number of the first row of the recipe's first table, typed again with one more
// decimal: the same value, another text.
bool RetypeANumber(QWidget *window, const Recipe &recipe)
{
    const auto &[table, rows] = recipe.tables.first();
    for (int c = 1; c < rows.first().size(); ++c) {
        const QString text = rows.first()[c];
        bool number = false;
        text.toDouble(&number);
        if (number) {
            SetCell(window, table, 0, c, text + (text.contains(u'.') ? "0" : ".0"));
            return true;
        }
    }
    return false;
}

void TypeRecipe(QWidget *w, const Recipe &recipe)
{
    for (const auto &[name, text] : recipe.fields)
        SetField(w, name, text);
    for (const auto &[name, rows] : recipe.tables)
        SetRows(w, name, rows);
}

} // namespace

class StaleResultsWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase() { SetSettingsFilePath(dir.filePath("Quorvil.ini")); }

    void everyWindowWithResultsSaysWhenTheyAreStale()
    {
        ScriptedPrompts prompts;
        TFormMain main;
        const QHash<QString, Recipe> recipes = Recipes();
        // Windows whose outputs are fields or drawings: no results to go stale.
        const QStringList withoutResults = {"TFormZBZFS", "TFormTFH", "TFormCADpoint", "TFormBZBL"};
        int windows = 0;
        for (const CatalogueEntry &entry : Catalogue()) {
            const Recipe recipe = recipes.value(entry.windowClass);
            if (recipe.tables.isEmpty() || withoutResults.contains(entry.windowClass))
                continue;
            ++windows;
            const QByteArray where = entry.windowClass.toUtf8();
            QWidget *w = main.openTool(entry);
            TypeRecipe(w, recipe);
            for (const QString &press : recipe.presses)
                QVERIFY2(Press(w, press), where);
            QVERIFY2(prompts.errors.isEmpty(), where + ": " + prompts.errors.join(' ').toUtf8());
            QVERIFY2(!StaleShown(w), where + ": stale right after computing");
            QVERIFY2(RetypeANumber(w, recipe), where);
            QVERIFY2(StaleShown(w), where + ": an edited input not marked");
            if (const QByteArray shots = qgetenv("QUORVIL_SHOTS"); !shots.isEmpty())
                GrabTo(w, QString::fromLocal8Bit(shots) + "/stale-" + entry.windowClass + ".png");
            for (const QString &press : recipe.presses)
                Press(w, press);
            QVERIFY2(prompts.errors.isEmpty(), where + ": " + prompts.errors.join(' ').toUtf8());
            QVERIFY2(!StaleShown(w), where + ": still stale after computing again");
        }
        QCOMPARE(windows, 25); // 20 of the original windows, the web map, the height fit, the network, the field book, GNSS
    }

    void traverseSummaryGreysAndAsksBeforeSaving()
    {
        ScriptedPrompts prompts;
        TFormBJFH w(nullptr);
        TypeRecipe(&w, Recipes().value("TFormBJFH"));
        Named<QRadioButton>(&w, "RadioRigorous")->click(); // the data file then holds the point errors
        QVERIFY(Press(&w, "ToolButton6"));
        auto *fb = w.findChild<QLabel *>("LabFB");
        auto *limits = w.findChild<QWidget *>("Panel3");
        const QString computedFB = fb->text();
        const QColor limitsText = limits->palette().color(QPalette::WindowText);

        SetCell(&w, "StringGrid1", 1, 1, "135.0010"); // the angle at B
        QVERIFY(StaleShown(&w));
        QVERIFY2(!fb->isVisibleTo(&w), "the closures of other data are not shown");
        QVERIFY(limits->palette().color(QPalette::WindowText) != limitsText);

        // 取消: nothing asked for, nothing written.
        prompts.messageAnswers = {QMessageBox::Cancel};
        QVERIFY(Press(&w, "ToolButton7"));
        QCOMPARE(prompts.messages, QStringList{ResultTexts::RecomputeQuestion()});
        QVERIFY(prompts.saveDialogs.isEmpty());
        // 是: computed again, then saved.
        const QString path = dir.filePath("bjfh.txt");
        prompts.messageAnswers = {QMessageBox::Yes};
        prompts.saveAnswers = {path};
        QVERIFY(Press(&w, "ToolButton7"));
        QVERIFY(prompts.errors.isEmpty());
        QVERIFY(!StaleShown(&w));
        QVERIFY(fb->isVisibleTo(&w) && fb->text() != computedFB);
        QCOMPARE(limits->palette().color(QPalette::WindowText), limitsText);
        const QStringList p1 = Row(&w, "StringGrid1", 2); // name, angle, length, X, Y, point error
        QVERIFY(ReadFile(path).contains(EncodeText(QStringList{p1[0], p1[1], p1[2], p1[5]}.join(',') + "\r\n")));
    }

    void pointToolSavesWhatItComputedAgain()
    {
        ScriptedPrompts prompts;
        TFormGSZS w(nullptr);
        SetRows(&w, "StringGrid1", {{"P1", "35", "117"}});
        QVERIFY(Press(&w, "ToolButton6"));
        const QString before = Cell(&w, "StringGrid2", 0, 1);
        SetField(&w, "EditLL", "117"); // a parameter, not a cell
        QVERIFY(StaleShown(&w));
        const QString path = dir.filePath("gszs.txt");
        prompts.messageAnswers = {QMessageBox::Yes};
        prompts.saveAnswers = {path};
        QVERIFY(Press(&w, "ToolButton7"));
        QVERIFY(Cell(&w, "StringGrid2", 0, 1) != before);
        QCOMPARE(ReadFile(path), EncodeText(Row(&w, "StringGrid2", 0).join(',') + "\r\n"));
    }
};

QTEST_MAIN(StaleResultsWindowsTest)
#include "StaleResultsWindowsTest.moc"
