// The point table with its toolbars, hosted in a small window and driven as a user would.
#include "support/WindowTestSupport.h"
#include "ui/PointTableView.h"
#include "ui/TableToolBars.h"
#include "ui/ToolWindow.h"

#include "core/Error.h"
#include "core/TextForms.h"

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
        layout->addWidget(MakeTableGroup("结果", result,
                                         MakeResultToolBar(this, result, "转换计算", [this] {
                                             // Copies the input, so saving shows what the table holds.
                                             result->table()->setRowCount(input->table()->rows());
                                             for (int r = 0; r < input->table()->rows(); ++r)
                                                 result->table()->setRowTexts(r, input->table()->rowTexts(r));
                                         }),
                                         this));
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

private:
    QTemporaryDir dir;
    std::unique_ptr<HostWindow> window;
    std::unique_ptr<ScriptedPrompts> prompts;
};

QTEST_MAIN(PointTableTest)
#include "PointTableTest.moc"
