// Whether results still belong to their input: what makes them stale (edits, undo, watched columns,
// fields), what makes them fresh again, the notice and the grey they show, and the question asked
// before stale results are saved.
#include "support/WindowTestSupport.h"
#include "ui/ResultFreshness.h"

#include "core/Error.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

// A window with an input table, a field and a result table under the notice.
struct Window {
    QWidget window;
    PointTableView *input = new PointTableView({"点号", "x", "y"}, true, &window);
    QLineEdit *field = new QLineEdit(QStringLiteral("117"), &window);
    QGroupBox *group = new QGroupBox(&window);
    PointTableView *result = new PointTableView({"点号", "x", "y"}, false, group);
    PointTableModel remarks{{"点号", "备注"}, true}; // only its second column counts
    int computations = 0;
    bool fail = false;
    ResultFreshness results{&window, [this] {
                                ++computations;
                                if (fail)
                                    throw Error("'x' is not a valid floating point value");
                            }};
    QLabel *notice = nullptr;

    Window()
    {
        (new QVBoxLayout(group))->addWidget(result);
        results.watch(input->table());
        results.watch(&remarks, {1});
        results.watch(field);
        results.showIn(group, result);
        notice = group->findChild<QLabel *>("LabStale");
    }
    void edit(int column, const QString &text) { input->table()->setData(input->table()->index(0, column), text); }
    bool shown() const { return notice->isVisibleTo(&window); }
};

} // namespace

class ResultFreshnessTest : public QObject {
    Q_OBJECT

private slots:
    void staleUntilComputedOrBackAsItWas()
    {
        Window w;
        QVERIFY(w.notice);
        QCOMPARE(w.notice->text(), QString("数据已修改，请重新计算"));
        w.edit(1, "3380000");
        QVERIFY2(!w.results.isStale(), "nothing computed yet: nothing is stale");

        w.results.compute();
        const QColor text = w.result->palette().color(QPalette::Text);
        struct Step {
            const char *what;
            std::function<void(Window &)> act;
            bool stale;
        } steps[] = {
            {"a cell edited", [](Window &w) { w.edit(1, "3380001"); }, true},
            {"the edit undone", [](Window &w) { w.input->undo(); }, false},
            {"a row appended", [](Window &w) { w.input->appendRow(); }, true},
            {"the append undone", [](Window &w) { w.input->undo(); }, false},
            {"a cell outside the columns that count", [](Window &w) { w.remarks.setData(w.remarks.index(0, 0), "P1"); }, false},
            {"a cell of a column that counts", [](Window &w) { w.remarks.setData(w.remarks.index(0, 1), "J"); }, true},
            {"that cell emptied again", [](Window &w) { w.remarks.setData(w.remarks.index(0, 1), ""); }, false},
            {"the field typed", [](Window &w) { w.field->setText("114"); }, true},
            {"computed again", [](Window &w) { w.results.compute(); }, false},
            {"what the computation writes", [](Window &w) { w.input->table()->setCell(0, 2, "500000"); }, false},
            {"an import", [](Window &w) { w.input->table()->replaceRows({w.input->table()->rowTexts(0)}); }, true},
            {"the import undone", [](Window &w) { w.input->undo(); }, false},
            {"the table cleared", [](Window &w) { w.input->clearRows(); }, true},
            {"the results emptied", [](Window &w) { w.results.clear(); }, false},
            {"an edit without results", [](Window &w) { w.edit(2, "1"); }, false},
        };
        for (const Step &step : steps) {
            step.act(w);
            QVERIFY2(w.results.isStale() == step.stale, step.what);
            QVERIFY2(w.shown() == step.stale, step.what);
            // Stale results are drawn grey.
            QVERIFY2((w.result->palette().color(QPalette::Text) != text) == step.stale, step.what);
        }
    }

    // 是 computes and saves, 否 saves the old results, 取消 (or Esc) saves nothing.
    void askedBeforeSavingStaleResults()
    {
        ScriptedPrompts prompts;
        Window w;
        QVERIFY(w.results.confirmSave());
        w.results.compute();
        QVERIFY(w.results.confirmSave());
        QVERIFY2(prompts.messages.isEmpty(), "fresh results are saved without a question");

        struct Case {
            QMessageBox::StandardButton answer;
            bool fail, saves, computes, staleAfter;
        } cases[] = {
            {QMessageBox::Cancel, false, false, false, true},
            {QMessageBox::No, false, true, false, true},
            {QMessageBox::Yes, false, true, true, false},
            {QMessageBox::Yes, true, false, true, true},
        };
        for (const Case &c : cases) {
            const QByteArray where = QByteArray::number(int(c.answer)) + (c.fail ? " failing" : "");
            w.edit(1, QString::number(w.computations + 10));
            QVERIFY(w.results.isStale());
            prompts.messages.clear();
            prompts.messageCaptions.clear();
            prompts.messageAnswers = {c.answer};
            w.fail = c.fail;
            const int before = w.computations;
            bool saves = false;
            try {
                saves = w.results.confirmSave();
            } catch (const Error &) {
                saves = false; // the command ends with the computation's message
            }
            QVERIFY2(saves == c.saves, where);
            QVERIFY2((w.computations > before) == c.computes, where);
            QVERIFY2(w.results.isStale() == c.staleAfter, where);
            QCOMPARE(prompts.messages, QStringList{ResultTexts::RecomputeQuestion()});
            QCOMPARE(prompts.messageCaptions, QStringList{MessageCaption(&w.window)});
        }
    }
};

QTEST_MAIN(ResultFreshnessTest)
#include "ResultFreshnessTest.moc"
