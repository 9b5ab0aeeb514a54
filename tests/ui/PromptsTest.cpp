// The dialogs and message boxes as the user sees them: Qt's own dialogs with the program's titles,
// filters, captions and buttons, and the command runner that shows an error's message.
#include "support/WindowTestSupport.h"
#include "ui/CommandRunner.h"
#include "ui/Language.h"
#include "ui/Prompts.h"

#include "core/Error.h"
#include "core/TextForms.h"
#include "io/IniFile.h"
#include "io/ProgramFiles.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QComboBox>
#include <QtTest>

#include <functional>
#include <memory>

using namespace quorvil;

namespace {

// Runs `inspect` on the modal dialog that the next call opens.
void WhenModalOpens(std::function<void(QWidget *)> inspect)
{
    QTimer::singleShot(0, [inspect = std::move(inspect)] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY2(modal, "no modal dialog opened");
        inspect(modal);
    });
}

QStringList ButtonTexts(const QMessageBox *box)
{
    QStringList texts;
    for (QAbstractButton *button : box->buttons())
        texts << button->text();
    texts.sort();
    return texts;
}

} // namespace

class PromptsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("Quorvil"));
        // As the program does at start: Qt's own texts in Chinese.
        QVERIFY2(InstallQtTranslations(*qApp), "qtbase_zh_CN.qm (qt6-translations-l10n) is not installed");
    }

    void qtsOwnTextsAreChinese()
    {
        // The context menu of every field and table editor, and the buttons of the dialogs.
        QLineEdit field;
        std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
        QStringList texts;
        for (QAction *action : menu->actions())
            if (!action->isSeparator())
                texts << action->text().section(u'\t', 0, 0); // without the shortcut
        QVERIFY2(texts.contains("复制(&C)") && texts.contains("粘贴(&P)") && texts.contains("全选"), qPrintable(texts.join('|')));
        QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Ok)->text(), QString("确定"));
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QString("取消"));
    }

    void overwritePromptHasTheProgramsTextAndButtons()
    {
        for (const bool yes : {false, true}) {
            QString caption, text;
            QStringList buttons;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            WhenModalOpens([&](QWidget *modal) {
                auto *box = qobject_cast<QMessageBox *>(modal);
                QVERIFY(box);
                caption = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = ButtonTexts(box);
                box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            const bool answer = Prompts::instance().confirmOverwrite(nullptr);
            QCOMPARE(answer, yes);
            QCOMPARE(caption, QString("Quorvil 测量计算工具集")); // no window: the program's name
            QCOMPARE(text, QString("文件已存在,覆盖吗?"));
            QCOMPARE(icon, QMessageBox::Information);
            QCOMPARE(buttons, (QStringList{"否(&N)", "是(&Y)"})); // Qt's standard buttons, in Chinese
        }
    }

    void fileDialogsHaveTheTitlesAndFilters()
    {
        QString title;
        QStringList filters;
        bool confirms = true;
        QString suffix;
        QString cancelText;
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        auto inspect = [&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            suffix = dialog->defaultSuffix();
            if (auto *box = dialog->findChild<QDialogButtonBox *>())
                cancelText = box->button(QDialogButtonBox::Cancel)->text();
            mode = dialog->acceptMode();
            dialog->reject();
        };

        WhenModalOpens(inspect);
        QCOMPARE(Prompts::instance().openFileName(nullptr, OpenPointsDialog()), QString());
        QCOMPARE(title, QString("打开坐标数据文件"));
        // The text files first, as the tools have always offered them; spreadsheets after.
        QCOMPARE(filters, (QStringList{"Text files (*.txt)", "Excel 工作簿 (*.xlsx)", "CSV 文件 (*.csv)", "所有文件 (*)"}));
        QCOMPARE(mode, QFileDialog::AcceptOpen);
        QCOMPARE(cancelText, QString("取消"));

        WhenModalOpens(inspect);
        QCOMPARE(Prompts::instance().saveFileName(nullptr, SavePointsDialog()), QString());
        QCOMPARE(title, QString("坐标数据另存为..."));
        QCOMPARE(filters, (QStringList{"Text files (*.txt)", "Excel 工作簿 (*.xlsx)", "CSV 文件 (*.csv)"}));
        QCOMPARE(mode, QFileDialog::AcceptSave);
        QCOMPARE(suffix, QString("txt"));

        // Choosing the workbook filter makes a typed name a workbook.
        WhenModalOpens([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            auto *types = dialog->findChild<QComboBox *>("fileTypeCombo");
            QVERIFY(types);
            types->setCurrentIndex(1);
            emit types->textActivated(types->currentText()); // as a user picking it
            suffix = dialog->defaultSuffix();
            dialog->reject();
        });
        Prompts::instance().saveFileName(nullptr, SavePointsDialog());
        QCOMPARE(suffix, QString("xlsx"));
        QVERIFY2(!confirms, "the program asks before overwriting, Qt must not ask as well");
    }

    void saveAsksOnceBeforeOverwriting()
    {
        // The save dialog answered with an existing file: only the program's own prompt asks.
        QTemporaryDir dir;
        const QString path = test::WriteFile(dir.filePath("old.txt"), "old\r\n");
        int questions = 0;
        WhenModalOpens([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            dialog->selectFile(path);
            WhenModalOpens([&](QWidget *next) {
                auto *box = qobject_cast<QMessageBox *>(next);
                QVERIFY(box);
                ++questions;
                QCOMPARE(box->text(), QString("文件已存在,覆盖吗?"));
                box->button(QMessageBox::No)->click();
            });
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept, as the Save button
        });
        QCOMPARE(AskSaveFileName(nullptr, SavePointsDialog()), QString());
        QCOMPARE(questions, 1);
    }

    void errorBoxShowsTheMessageUnderTheProgramTitle()
    {
        QString caption, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        WhenModalOpens([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->accept();
        });
        // A command that reads a cell that is not a number ends with the conversion message.
        bool reachedTheEnd = false;
        const bool completed = RunCommand(nullptr, [&] {
            TextToNumber("12,5");
            reachedTheEnd = true;
        });
        QVERIFY(!completed);
        QVERIFY(!reachedTheEnd);
        QCOMPARE(caption, QString("Quorvil 测量计算工具集"));
        QCOMPARE(text, QString("'12,5' is not a valid floating point value"));
        QCOMPARE(icon, QMessageBox::Critical);
    }

    void messagesCarryTheirWindowsCaption()
    {
        QWidget window;
        window.setWindowTitle(QStringLiteral("高斯投影正算"));
        auto *field = new QLineEdit(&window);
        QWidget untitled;
        const std::pair<const QWidget *, QString> cases[] = {
            {field, "高斯投影正算"}, {&window, "高斯投影正算"}, {&untitled, "Quorvil 测量计算工具集"},
            {nullptr, "Quorvil 测量计算工具集"},
        };
        for (const auto &[parent, caption] : cases)
            QCOMPARE(MessageCaption(parent), caption);
    }

    // The dialogs start in the folder last used, kept in the settings file; never in the
    // program's folder, where the report templates live.
    void dialogsStartInTheLastFolderUsed()
    {
        QTemporaryDir dir;
        SetSettingsFilePath(dir.filePath("Quorvil.ini"));
        const QString program = QFileInfo(ProgramFile("KZWpc.docx")).absolutePath();
        QVERIFY(QFileInfo(DialogStartFolder()).isDir());
        QVERIFY(DialogStartFolder() != program);

        QDir(dir.path()).mkdir("field");
        const QString picked = test::WriteFile(dir.filePath("field/a.txt"), "P1,1,2\r\n");
        QString startedIn;
        WhenModalOpens([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            startedIn = dialog->directory().absolutePath();
            dialog->selectFile(picked);
            static_cast<QDialog *>(dialog)->accept();
        });
        QCOMPARE(Prompts::instance().openFileName(nullptr, OpenPointsDialog()), picked);
        QVERIFY(startedIn != program);
        WhenModalOpens([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            startedIn = dialog->directory().absolutePath();
            dialog->reject();
        });
        Prompts::instance().saveFileName(nullptr, SavePointsDialog());
        QCOMPARE(startedIn, dir.filePath("field"));
        QCOMPARE(IniFile(dir.filePath("Quorvil.ini")).readString("Folders", "LastFolder", {}), dir.filePath("field"));

        // A file of the program's folder is not remembered, nor is that folder used if the file says so.
        RememberDialogFolder(ProgramFile("KZWpc.docx"));
        QCOMPARE(DialogStartFolder(), dir.filePath("field"));
        IniFile ini(dir.filePath("Quorvil.ini"));
        ini.writeString("Folders", "LastFolder", program);
        ini.save();
        QVERIFY(DialogStartFolder() != program);
        SetSettingsFilePath({});
    }

    void templatesAreNeverOverwritten()
    {
        test::ScriptedPrompts prompts;
        const QString report = ProgramFile("KZWpc.docx");
        const QByteArray before = test::ReadFile(report);
        QVERIFY(!before.isEmpty());
        prompts.saveAnswers = {report};
        QCOMPARE(AskSaveFileName(nullptr, ReportDialog()), QString());
        QCOMPARE(prompts.overwriteQuestions, 0);
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY2(prompts.messages[0].startsWith("“KZWpc.docx”是程序自带的文件"), qPrintable(prompts.messages[0]));
        QCOMPARE(test::ReadFile(report), before);
        QVERIFY(!IsProgramFile(QTemporaryDir().filePath("KZWpc.docx")));
    }

    void commandRunnerReportsEachErrorOnce()
    {
        test::ScriptedPrompts prompts;
        const std::pair<std::function<void()>, QString> cases[] = {
            {[] { TextToNumber("abc"); }, "'abc' is not a valid floating point value"},
            {[] { Azimuth(1, 2, 1, 2); }, "Invalid floating point operation"},
            {[] { throw Error("Unable to write to /x/Quorvil.ini"); }, "Unable to write to /x/Quorvil.ini"},
            {[] {}, QString()},
        };
        for (const auto &[command, message] : cases) {
            prompts.errors.clear();
            const bool completed = RunCommand(nullptr, command);
            QCOMPARE(completed, message.isEmpty());
            QCOMPARE(prompts.errors, message.isEmpty() ? QStringList() : QStringList{message});
        }
    }
};

QTEST_MAIN(PromptsTest)
#include "PromptsTest.moc"
