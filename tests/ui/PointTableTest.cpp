// The point table with its toolbars, hosted in a small window and driven as a user would.
#include "support/WindowTestSupport.h"
#include "ui/PointTableView.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"
#include "ui/ToolWindow.h"

#include "core/Error.h"
#include "core/TextForms.h"

#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QGroupBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>

#include <clocale>

using namespace quorvil;
using namespace quorvil::test;

namespace {

// A window with an input table and a result table, as the point tools have them.
class HostWindow : public ToolWindow {
public:
    HostWindow() : ToolWindow(nullptr, "Host", "Host")
    {
        input = new PointTableView({"点号", "纵坐标x(m)", "横坐标y(m)"}, true, this);
        input->setObjectName("StringGrid1");
        result = new PointTableView({"点号", "x", "y"}, false, this);
        result->setObjectName("StringGrid2");
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(MakeTableGroup("输入", input, MakeInputToolBar(this, input), this));
        // Copies the input, so saving shows what the table holds.
        auto *results = new ResultFreshness(this, [this] {
            result->table()->setRowCount(input->table()->rows());
            for (int r = 0; r < input->table()->rows(); ++r)
                result->table()->setRowTexts(r, input->table()->rowTexts(r));
        });
        layout->addWidget(MakeTableGroup("结果", result, MakeResultToolBar(this, result, "转换计算", results), this));
    }
    PointTableView *input;
    PointTableView *result;
};

QList<QStringList> Rows(PointTableModel *model)
{
    QList<QStringList> rows;
    for (int r = 0; r < model->rows(); ++r)
        rows.append(model->rowTexts(r));
    return rows;
}

} // namespace

class PointTableTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        window = std::make_unique<HostWindow>();
        prompts = std::make_unique<ScriptedPrompts>();
    }
    void cleanup()
    {
        window.reset();
        prompts.reset();
    }

    void importSplitsLinesByTheFieldRule()
    {
        const QString path = WriteFile(dir.filePath("a.txt"), "A,1,2\r\n\r\nB,3\r\n");
        prompts->openAnswers.push_back(path);
        QVERIFY(Press(window.get(), "ToolButton3"));
        QCOMPARE(prompts->openDialogs.size(), 1);
        QCOMPARE(prompts->openDialogs[0].title, QString("打开坐标数据文件"));
        QCOMPARE(prompts->openDialogs[0].filter, QString("Text files (*.txt)"));
        QCOMPARE(Rows(window->input->table()),
                 (QList<QStringList>{{"A", "1", "2"}, {"", "0", "0"}, {"B", "3", "0"}}));
        QCOMPARE(window->input->currentDataRow(), 2);

        prompts->openAnswers.push_back(WriteFile(dir.filePath("b.txt"), "A,1,2,3,4"));
        Press(window.get(), "ToolButton3");
        QCOMPARE(Rows(window->input->table()), (QList<QStringList>{{"A", "1", "2"}}));

        prompts->openAnswers.push_back(WriteFile(dir.filePath("c.txt"), "A, 1.5,2"));
        Press(window.get(), "ToolButton3");
        QCOMPARE(Cell(window.get(), "StringGrid1", 0, 1), QString(" 1.5"));
        QCOMPARE(TextToNumber(Cell(window.get(), "StringGrid1", 0, 1).toStdString()), 1.5L);

        prompts->openAnswers.push_back(WriteFile(dir.filePath("empty.txt"), ""));
        Press(window.get(), "ToolButton3");
        QCOMPARE(Rows(window->input->table()), (QList<QStringList>{{"", "", ""}}));
    }

    void cancelledOrFailedImportChangesNothing()
    {
        SetRow(window.get(), "StringGrid1", 0, {"K", "1", "2"});
        SetRow(window.get(), "StringGrid1", 1, {"L", "3", "4"});
        Press(window.get(), "ToolButton3"); // cancelled dialog
        QCOMPARE(window->input->table()->rows(), 2);
        prompts->openAnswers.push_back(dir.filePath("missing.txt"));
        Press(window.get(), "ToolButton3");
        QCOMPARE(prompts->errors, QStringList{"File not found"});
        QCOMPARE(Rows(window->input->table()), (QList<QStringList>{{"K", "1", "2"}, {"L", "3", "4"}}));
    }

    void appendInsertDeleteClear()
    {
        PointTableModel *t = window->input->table();
        Press(window.get(), "ToolButton1");
        Press(window.get(), "ToolButton1");
        QCOMPARE(t->rows(), 3);
        QCOMPARE(window->input->currentDataRow(), 2);
        SetRow(window.get(), "StringGrid1", 0, {"1"});
        SetRow(window.get(), "StringGrid1", 1, {"2"});
        SetRow(window.get(), "StringGrid1", 2, {"3"});

        window->input->setCurrentDataRow(0);
        Press(window.get(), "ToolButton2"); // insert on row 1 of three
        QCOMPARE(t->rows(), 4);
        QCOMPARE(Rows(t), (QList<QStringList>{{"", "", ""}, {"1", "", ""}, {"2", "", ""}, {"3", "", ""}}));
        QCOMPARE(window->input->currentDataRow(), 0);

        window->input->setCurrentDataRow(2);
        Press(window.get(), "ToolButton4"); // delete "2"
        QCOMPARE(Rows(t), (QList<QStringList>{{"", "", ""}, {"1", "", ""}, {"3", "", ""}}));

        window->input->setCurrentDataRow(-1); // the header row
        Press(window.get(), "ToolButton4");
        Press(window.get(), "ToolButton2");
        QCOMPARE(t->rows(), 3);

        Press(window.get(), "ToolButton5");
        QCOMPARE(Rows(t), (QList<QStringList>{{"", "", ""}}));

        SetRow(window.get(), "StringGrid1", 0, {"only", "1", "2"});
        window->input->setCurrentDataRow(0);
        Press(window.get(), "ToolButton4"); // delete the only row: one empty row stays
        QCOMPARE(Rows(t), (QList<QStringList>{{"", "", ""}}));
    }

    void saveWritesRowsAndAsksBeforeOverwriting()
    {
        SetRow(window.get(), "StringGrid1", 0, {"导线点", "1.000", "2.000"});
        SetRow(window.get(), "StringGrid1", 1, {"", "", ""});
        Press(window.get(), "ToolButton6");
        const QString path = dir.filePath("out");
        prompts->saveAnswers.push_back(path);
        QVERIFY(Press(window.get(), "ToolButton7"));
        QCOMPARE(prompts->saveDialogs[0].title, QString("坐标数据另存为..."));
        QCOMPARE(prompts->saveDialogs[0].defaultSuffix, QString("txt"));
        const QByteArray written = ReadFile(path + ".txt");
        // GB18030 (the code page of Chinese Windows), CR LF, the empty row as two commas.
        QCOMPARE(written, QByteArray(QStringEncoder("GB18030").encode(QString("导线点,1.000,2.000\r\n,,\r\n"))));
        QCOMPARE(written.left(6), QByteArray("\xB5\xBC\xCF\xDF\xB5\xE3"));
        QCOMPARE(prompts->overwriteQuestions, 0);

        // Existing file, answer No: unchanged.
        SetRow(window.get(), "StringGrid1", 0, {"X", "9", "9"});
        Press(window.get(), "ToolButton6");
        prompts->saveAnswers.push_back(path + ".txt");
        prompts->overwriteAnswers.push_back(false);
        Press(window.get(), "ToolButton7");
        QCOMPARE(prompts->overwriteQuestions, 1);
        QCOMPARE(ReadFile(path + ".txt"), written);

        // Answer Yes: replaced; and the saved file imports back unchanged (Chinese name included).
        prompts->saveAnswers.push_back(path + ".txt");
        prompts->overwriteAnswers.push_back(true);
        Press(window.get(), "ToolButton7");
        QCOMPARE(ReadFile(path + ".txt"), QByteArray("X,9,9\r\n,,\r\n"));

        SetRow(window.get(), "StringGrid1", 0, {"导线点", "1.000", "2.000"});
        Press(window.get(), "ToolButton6");
        prompts->saveAnswers.push_back(path + ".txt");
        prompts->overwriteAnswers.push_back(true);
        Press(window.get(), "ToolButton7");
        Press(window.get(), "ToolButton5");
        prompts->openAnswers.push_back(path + ".txt");
        Press(window.get(), "ToolButton3");
        QCOMPARE(Rows(window->input->table()), (QList<QStringList>{{"导线点", "1.000", "2.000"}, {"", "", ""}}));
    }

    void savingAnEmptyResultTableWritesEmptyFields()
    {
        // A new result table: one data row of three empty cells.
        prompts->saveAnswers.push_back(dir.filePath("blank-result.txt"));
        QVERIFY(Press(window.get(), "ToolButton7"));
        QCOMPARE(ReadFile(dir.filePath("blank-result.txt")), QByteArray(",,\r\n"));

        Press(window.get(), "ToolButton1");
        Press(window.get(), "ToolButton1");
        Press(window.get(), "ToolButton6");
        prompts->saveAnswers.push_back(dir.filePath("blank-result3.txt"));
        QVERIFY(Press(window.get(), "ToolButton7"));
        QCOMPARE(ReadFile(dir.filePath("blank-result3.txt")), QByteArray(",,\r\n,,\r\n,,\r\n"));
    }

    void unreadableImportLeavesTheTableAsItWas()
    {
        SetRow(window.get(), "StringGrid1", 0, {"K", "1", "2"});
        prompts->openAnswers.push_back(dir.path()); // a folder cannot be read as a file
        Press(window.get(), "ToolButton3");
        QCOMPARE(prompts->errors.size(), 1);
        QVERIFY2(prompts->errors[0].startsWith("I/O error "), qPrintable(prompts->errors[0]));
        QCOMPARE(Rows(window->input->table()), (QList<QStringList>{{"K", "1", "2"}}));
    }

    void textBeingTypedCountsWhenAToolbarButtonIsClicked()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        PointTableView *input = window->input;
        input->setFocus();
        input->setCurrentIndex(input->table()->index(0, 1)); // opens the cell editor
        QVERIFY(QApplication::focusWidget() != input);
        QTest::keyClicks(QApplication::focusWidget(), "100");
        auto *compute = window->findChild<QAction *>("ToolButton6");
        QToolBar *bar = nullptr;
        for (QToolBar *candidate : window->findChildren<QToolBar *>())
            if (candidate->actions().contains(compute))
                bar = candidate;
        QVERIFY(bar);
        QTest::mouseClick(bar->widgetForAction(compute), Qt::LeftButton);
        QCOMPARE(Cell(window.get(), "StringGrid1", 0, 1), QString("100"));
        QCOMPARE(Cell(window.get(), "StringGrid2", 0, 1), QString("100"));
    }

    void largeFileImportsWithoutHanging()
    {
        // 200 MB of one repeated line.
        const QString path = dir.filePath("big.txt");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QByteArray block;
            for (int i = 0; i < 100000; ++i)
                block += "P,3878776.946,773912.254\r\n";
            for (qint64 written = 0; written < 200LL * 1024 * 1024; written += block.size())
                file.write(block);
        }
        prompts->openAnswers.push_back(path);
        Press(window.get(), "ToolButton3");
        QVERIFY(prompts->errors.isEmpty());
        QVERIFY(window->input->table()->rows() > 8000000);
        QCOMPARE(window->input->table()->rowTexts(12345), (QStringList{"P", "3878776.946", "773912.254"}));
        QFile::remove(path);
    }

    void numberTextIgnoresTheCommaLocale()
    {
        // A locale whose decimal separator is a comma, set after the QApplication exists.
        QVERIFY2(std::setlocale(LC_ALL, "de_DE.UTF-8"), "locale de_DE.UTF-8 missing: run scripts/install-deps.sh");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        char probe[16];
        std::snprintf(probe, sizeof probe, "%.1f", 1.5);
        QCOMPARE(QByteArray(probe), QByteArray("1,5"));

        QCOMPARE(QString::fromStdString(NumberToText(3, 1234567.25L)), QString("1234567.250"));
        QCOMPARE(TextToNumber("12.5"), 12.5L);
        QVERIFY_THROWS_EXCEPTION(ConversionError, TextToNumber("12,5"));
        QCOMPARE(QString::fromStdString(GeneralText(7.23L)), QString("7.23"));
        QCOMPARE(QString::fromStdString(DmsText(2, 112.5L)), QString("112°30′00.00″"));
        QCOMPARE(DmsToDeg(30.3L), 30.5L);

        // A table saved under that locale still uses the point.
        SetRow(window.get(), "StringGrid1", 0, {"A", QString::fromStdString(NumberToText(3, 0.5L)), "2"});
        Press(window.get(), "ToolButton6");
        prompts->saveAnswers.push_back(dir.filePath("locale.txt"));
        Press(window.get(), "ToolButton7");
        QCOMPARE(ReadFile(dir.filePath("locale.txt")), QByteArray("A,0.500,2\r\n"));
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(QLocale::c());
    }


    // A block copied from one table (a result table too) pastes into another table identically.
    void copiedBlockPastesIdentically()
    {
        const QList<QStringList> rows = {{"导线点1", "3878776.946", "773912.254"},
                                         {"", "-0.500", ""},
                                         {"tab\there", "line\nbreak", "\"quoted\""},
                                         {"001", "1e5", " 12.5 "}};
        SetRows(window.get(), "StringGrid1", rows);
        window->input->selectAll();
        window->input->copySelection();
        QVERIFY(ClipboardText().startsWith("导线点1\t3878776.946\t773912.254\n"));
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime->hasHtml());
        QVERIFY(mime->html().contains("mso-number-format:\"0.000\"'>3878776.946<"));

        HostWindow other;
        other.input->setCurrentIndex(other.input->table()->index(0, 0));
        other.input->paste();
        QCOMPARE(Rows(other.input->table()), rows);
        QVERIFY(prompts->messages.isEmpty());

        // From a result table, a block in the middle, into the second row of the other input.
        Press(window.get(), "ToolButton6");
        PointTableView *result = window->result;
        result->selectionModel()->select(QItemSelection(result->table()->index(1, 1), result->table()->index(3, 2)),
                                         QItemSelectionModel::ClearAndSelect);
        result->copySelection();
        other.input->clearRows(2);
        other.input->setCurrentIndex(other.input->table()->index(1, 1));
        other.input->paste();
        QCOMPARE(Rows(other.input->table()), (QList<QStringList>{{"", "", ""},
                                                                 {"", "-0.500", ""},
                                                                 {"", "line\nbreak", "\"quoted\""},
                                                                 {"", "1e5", " 12.5 "}}));
    }

    // Text as Excel, WPS and LibreOffice put it on the clipboard.
    void spreadsheetTextPastes()
    {
        PointTableModel *t = window->input->table();
        const struct {
            const char *label;
            QString text;
            QList<QStringList> rows;
        } cases[] = {
            {"excel: tabs, CR LF, final break", "P1\t3878776.946\t773912.254\r\nP2\t1.000\t2.000\r\n",
             {{"P1", "3878776.946", "773912.254"}, {"P2", "1.000", "2.000"}}},
            {"libreoffice: LF, no final break", "A\t1\t2\nB\t3\t4", {{"A", "1", "2"}, {"B", "3", "4"}}},
            {"comma-separated lines", "K1,10.5,20\nK2,11,21\n", {{"K1", "10.5", "20"}, {"K2", "11", "21"}}},
            {"empty cells keep their place", "\t5\t\r\nX\t\t6\r\n", {{"", "5", ""}, {"X", "", "6"}}},
        };
        for (const auto &c : cases) {
            window->input->clearRows(1);
            window->input->setCurrentIndex(t->index(0, 0));
            QVERIFY2(window->input->pasteText(c.text), c.label);
            QVERIFY2(Rows(t) == c.rows, c.label);
        }
        QVERIFY(prompts->messages.isEmpty());

        // Too wide from the second column: what fits is pasted, the rest named; the table grows.
        window->input->clearRows(1);
        window->input->setCurrentIndex(t->index(0, 1));
        QVERIFY(window->input->pasteText("a\tb\tc\td\r\ne\tf\tg\th\r\n"));
        QCOMPARE(Rows(t), (QList<QStringList>{{"", "a", "b"}, {"", "e", "f"}}));
        QCOMPARE(prompts->messages.size(), 1);
        QVERIFY2(prompts->messages[0].contains("4 列") && prompts->messages[0].contains("2 列未粘贴"),
                 qPrintable(prompts->messages[0]));
        QCOMPARE(window->input->selectedBlock(), QRect(1, 0, 2, 2));

        // One cell over a selected block fills it.
        window->input->selectionModel()->select(QItemSelection(t->index(0, 1), t->index(1, 2)),
                                                QItemSelectionModel::ClearAndSelect);
        QVERIFY(window->input->pasteText("0.000\r\n"));
        QCOMPARE(Rows(t), (QList<QStringList>{{"", "0.000", "0.000"}, {"", "0.000", "0.000"}}));
    }

    // Undo takes back pastes, imports, deletes, inserts, clears and edits exactly; redo puts them back.
    void undoRestoresTheTableExactly()
    {
        PointTableModel *t = window->input->table();
        QList<QList<QStringList>> states{Rows(t)};
        auto step = [&](auto change) {
            change();
            states.append(Rows(t));
        };
        step([&] { SetCell(window.get(), "StringGrid1", 0, 0, "P0"); });
        step([&] { window->input->pasteText("A\t1\t2\r\nB\t3\t4\r\nC\t5\t6\r\n"); });
        step([&] {
            prompts->openAnswers.push_back(WriteFile(dir.filePath("undo.txt"), "X,7,8\r\nY,9\r\n"));
            Press(window.get(), "ToolButton3");
        });
        step([&] { window->input->setCurrentDataRow(0); Press(window.get(), "ToolButton2"); }); // insert
        step([&] { SetCell(window.get(), "StringGrid1", 0, 2, "typed"); });
        step([&] { window->input->setCurrentDataRow(2); Press(window.get(), "ToolButton4"); }); // delete
        step([&] {
            window->input->selectionModel()->select(QItemSelection(t->index(0, 1), t->index(1, 2)),
                                                    QItemSelectionModel::ClearAndSelect);
            window->input->clearSelectedCells();
        });
        step([&] { Press(window.get(), "ToolButton1"); }); // append
        step([&] { Press(window.get(), "ToolButton5"); }); // clear
        for (qsizetype i = 1; i < states.size(); ++i)
            QVERIFY2(states[i] != states[i - 1], qPrintable(QString("step %1 changed nothing").arg(i)));

        for (qsizetype i = states.size() - 1; i > 0; --i) {
            QVERIFY(t->canUndo());
            window->input->undo();
            QVERIFY2(Rows(t) == states[i - 1], qPrintable(QString("undo to state %1").arg(i - 1)));
        }
        QVERIFY(!t->canUndo()); // back to the table as the window opened
        for (qsizetype i = 1; i < states.size(); ++i) {
            window->input->redo();
            QVERIFY2(Rows(t) == states[i], qPrintable(QString("redo to state %1").arg(i)));
        }
        QVERIFY(!t->canRedo());
        // A new change after undoing ends the redo.
        window->input->undo();
        SetCell(window.get(), "StringGrid1", 0, 0, "new");
        QVERIFY(!t->canRedo());
        QCOMPARE(window->result->table()->canUndo(), false); // results are computed, not edited
    }

    // Clipboards that are no table text: a message, the table as it was, never a hang.
    void badClipboardLeavesTheTable()
    {
        SetRows(window.get(), "StringGrid1", {{"K", "1", "2"}});
        const QList<QStringList> before = Rows(window->input->table());
        window->input->setCurrentIndex(window->input->table()->index(0, 0));

        auto *image = new QMimeData;
        image->setImageData(QImage(8, 8, QImage::Format_RGB32));
        PutOnClipboard(image);
        window->input->paste();
        QCOMPARE(prompts->messages.value(0), QString("剪贴板中没有可以粘贴的文字（图片等内容不能粘贴到表格中）。"));

        QString junk;
        for (int i = 0; i < 4096; ++i)
            junk += QChar(char16_t((i * 7919) % 0x3000));
        PutOnClipboard(junk);
        window->input->paste();
        QVERIFY(prompts->messages.value(1).contains("二进制"));

        PutOnClipboard(QString(10 * 1024 * 1024, u'9')); // one cell of 10 MB
        window->input->paste();
        QVERIFY2(prompts->messages.value(2).contains("超过 1000 个字符"), qPrintable(prompts->messages.value(2)));
        QCOMPARE(Rows(window->input->table()), before);
        QCOMPARE(window->input->table()->canUndo(), true); // only the rows set above
        QVERIFY(!window->input->table()->canRedo());

        // A 10 MB line of fields: the first three are pasted, the rest named.
        QString wide;
        for (int i = 0; i < 1000000; ++i)
            wide += QString::number(i) + u',';
        window->input->pasteText(wide);
        QCOMPARE(Rows(window->input->table()), (QList<QStringList>{{"0", "1", "2"}}));
        QVERIFY(prompts->messages.value(3).contains("右边的 999998 列未粘贴"));

        // 100,000 lines grow the table; one undo takes them back.
        QString lines;
        for (int i = 0; i < 100000; ++i)
            lines += QStringLiteral("P%1\t%2.123\t%3.456\r\n").arg(i).arg(3878000 + i).arg(773000 + i);
        QVERIFY(window->input->pasteText(lines));
        QCOMPARE(window->input->table()->rows(), 100000);
        QCOMPARE(window->input->table()->rowTexts(99999), (QStringList{"P99999", "3977999.123", "872999.456"}));
        window->input->undo();
        QCOMPARE(Rows(window->input->table()), (QList<QStringList>{{"0", "1", "2"}}));

        // A result table refuses every paste.
        PutOnClipboard("A\t1\t2\r\n");
        window->result->paste();
        QCOMPARE(prompts->messages.last(), QString("这是计算结果表格，不能粘贴。请粘贴到输入数据的表格中。"));
        QCOMPARE(Rows(window->result->table()), (QList<QStringList>{{"", "", ""}}));
    }

    // The keys work in the table and in the open cell editor; the right-click menu runs the same.
    void keysAndContextMenu()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        PointTableView *input = window->input;
        PointTableModel *t = input->table();
        input->setFocus();
        input->setCurrentIndex(t->index(0, 1));
        input->setCurrentIndex(t->index(0, 0)); // a cell made current opens its editor
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);

        PutOnClipboard("P1\t1.000\t2.000\r\nP2\t3.000\t4.000\r\n");
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Rows(t), (QList<QStringList>{{"P1", "1.000", "2.000"}, {"P2", "3.000", "4.000"}}));

        // One value pastes into the text being edited.
        input->setCurrentIndex(t->index(1, 0));
        editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY2(editor, QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
        editor->setCursorPosition(editor->text().size());
        PutOnClipboard("-A");
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor->text(), QString("P2-A"));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier); // the editor's own undo first
        QCOMPARE(editor->text(), QString("P2"));
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier); // then the table's: the paste
        QCOMPARE(Rows(t), (QList<QStringList>{{"", "", ""}}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(t->rows(), 2);

        // Ctrl+A selects the table, Ctrl+C copies it, Delete empties it.
        input->setCurrentIndex(t->index(0, 1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(input->selectedBlock(), QRect(0, 0, 3, 2));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(ClipboardText(), QString("P1\t1.000\t2.000\nP2\t3.000\t4.000\n"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(Rows(t), (QList<QStringList>{{"", "", ""}, {"", "", ""}}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(t->cell(1, 2), QString("4.000"));

        // The menu: captions and shortcuts, and 插入行 runs the toolbar's " 插入 " on the cell clicked.
        input->setCurrentIndex(t->index(1, 0));
        std::unique_ptr<QMenu> menu(input->makeContextMenu());
        QStringList captions;
        for (QAction *a : menu->actions())
            captions << (a->isSeparator() ? QString("-") : a->text());
        QCOMPARE(captions, (QStringList{"复制\tCtrl+C", "粘贴\tCtrl+V", "-", "撤销\tCtrl+Z", "重做\tCtrl+Y", "-", "插入行",
                                        "删除行"}));
        menu->popup(input->viewport()->mapToGlobal(input->visualRect(t->index(1, 1)).center()));
        QVERIFY(QTest::qWaitForWindowExposed(menu.get()));
        menu->close();
        menu->findChild<QAction *>("TableInsertRow")->trigger();
        QCOMPARE(Rows(t), (QList<QStringList>{{"P1", "1.000", "2.000"}, {"", "", ""}, {"P2", "3.000", "4.000"}}));
        menu->findChild<QAction *>("TableDeleteRow")->trigger();
        QCOMPARE(t->rows(), 2);
        menu->findChild<QAction *>("TableUndo")->trigger();
        QCOMPARE(t->rows(), 3);

        // In a result table: copy works, paste, undo and the row commands are off.
        std::unique_ptr<QMenu> resultMenu(window->result->makeContextMenu());
        QVERIFY(resultMenu->findChild<QAction *>("TableCopy")->isEnabled());
        for (const char *name : {"TablePaste", "TableUndo", "TableInsertRow", "TableDeleteRow"})
            QVERIFY2(!resultMenu->findChild<QAction *>(name)->isEnabled(), name);
    }

    // Ctrl+V pastes at the cell clicked last, also when it lies inside the block pasted before.
    void pasteStartsAtTheCellClicked()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        PointTableView *input = window->input;
        PointTableModel *t = input->table();
        QVERIFY(input->pasteText("a\t1\nb\t2\nc\t3\n"));
        QCOMPARE(input->selectedBlock(), QRect(0, 0, 2, 3)); // the block pasted stays selected
        QTest::mouseClick(input->viewport(), Qt::LeftButton, {}, input->visualRect(t->index(1, 1)).center());
        PutOnClipboard("9\r\n8\r\n");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(Rows(t), (QList<QStringList>{{"a", "1", ""}, {"b", "9", ""}, {"c", "8", ""}}));
    }

    // "文件导入" takes workbooks and .csv; "数据另存" writes them; the text filter stays first.
    void spreadsheetsImportAndSave()
    {
        const QString book = dir.filePath("points.xlsx");
        RunPython(R"(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.append(['点号', '纵坐标x(m)', '横坐标y(m)'])
ws.append(['导线点1', 3878776.946, 773912.254])
ws.append(['P2', 12.5, -3])
wb.save(sys.argv[1])
)",
                  {book});
        SetRows(window.get(), "StringGrid1", {{"old", "1", "2"}});
        const QList<QStringList> before = Rows(window->input->table());
        prompts->openAnswers.push_back(book);
        QVERIFY(Press(window.get(), "ToolButton3"));
        QCOMPARE(prompts->openDialogs[0].filter, QString("Text files (*.txt)"));
        QCOMPARE(prompts->openDialogs[0].moreFilters,
                 (QStringList{"Excel 工作簿 (*.xlsx)", "CSV 文件 (*.csv)", "所有文件 (*)"}));
        QCOMPARE(Rows(window->input->table()),
                 (QList<QStringList>{{"导线点1", "3878776.946", "773912.254"}, {"P2", "12.5", "-3"}}));
        window->input->undo();
        QCOMPARE(Rows(window->input->table()), before);
        window->input->redo();

        // A broken workbook: a clear message, the table unchanged.
        prompts->openAnswers.push_back(WriteFile(dir.filePath("broken.xlsx"), "PK\x03\x04 not really"));
        Press(window.get(), "ToolButton3");
        QVERIFY(prompts->errors.value(0).contains("broken.xlsx"));
        QCOMPARE(Rows(window->input->table()).size(), 2);

        Press(window.get(), "ToolButton6");
        prompts->saveAnswers.push_back(dir.filePath("result.xlsx"));
        Press(window.get(), "ToolButton7");
        QCOMPARE(prompts->saveDialogs[0].moreFilters, (QStringList{"Excel 工作簿 (*.xlsx)", "CSV 文件 (*.csv)"}));
        QCOMPARE(RunPython(R"(
import sys, openpyxl
for row in openpyxl.load_workbook(sys.argv[1]).active.iter_rows(values_only=True):
    print(repr(row))
)",
                           {dir.filePath("result.xlsx")}),
                 QString("('点号', 'x', 'y')\n('导线点1', 3878776.946, 773912.254)\n('P2', 12.5, -3)\n"));
        prompts->saveAnswers.push_back(dir.filePath("result.csv"));
        Press(window.get(), "ToolButton7");
        QCOMPARE(ReadFile(dir.filePath("result.csv")),
                 QByteArray("\xEF\xBB\xBF") + QString("点号,x,y\r\n导线点1,3878776.946,773912.254\r\nP2,12.5,-3\r\n").toUtf8());
        // Both import back into a table with the captions skipped.
        for (const char *name : {"result.xlsx", "result.csv"}) {
            Press(window.get(), "ToolButton5");
            prompts->openAnswers.push_back(dir.filePath(name));
            Press(window.get(), "ToolButton3");
            QVERIFY2(Rows(window->input->table()) ==
                         (QList<QStringList>{{"导线点1", "3878776.946", "773912.254"}, {"P2", "12.5", "-3"}}),
                     name);
        }
    }

private:
    QTemporaryDir dir;
    std::unique_ptr<HostWindow> window;
    std::unique_ptr<ScriptedPrompts> prompts;
};

QTEST_MAIN(PointTableTest)
#include "PointTableTest.moc"
