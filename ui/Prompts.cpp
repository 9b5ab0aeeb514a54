#include "Prompts.h"

#include "core/Error.h"
#include "io/IniFile.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace quorvil {

QString FileDialogSpec::allFilters() const
{
    return (QStringList{filter} + moreFilters).join(QLatin1String(";;"));
}

FileDialogSpec OpenPointsDialog()
{
    return {PromptTexts::OpenPointsTitle, PromptTexts::TextFilter, {},
            {PromptTexts::XlsxFilter, PromptTexts::CsvFilter, PromptTexts::AllFilesFilter}};
}

FileDialogSpec SavePointsDialog()
{
    return {PromptTexts::SavePointsTitle, PromptTexts::TextFilter, QStringLiteral("txt"),
            {PromptTexts::XlsxFilter, PromptTexts::CsvFilter}};
}

FileDialogSpec ReportDialog()
{
    return {PromptTexts::ReportTitle, PromptTexts::WordFilter, QStringLiteral("docx")};
}

QString MessageCaption(const QWidget *parent)
{
    const QWidget *window = parent ? parent->window() : nullptr;
    const QString title = window ? window->windowTitle() : QString();
    return title.isEmpty() ? PromptTexts::ProgramCaption : title;
}

namespace {

const QString FoldersSection = QStringLiteral("Folders");
const QString LastFolderKey = QStringLiteral("LastFolder");

// The folders of the program's own files: its own, and ../share/quorvil of an installed program.
QStringList ProgramFolders()
{
    const QDir bin(QCoreApplication::applicationDirPath());
    QStringList folders{bin.canonicalPath()};
    const QFileInfo shared(bin.filePath(QStringLiteral("../share/quorvil")));
    if (shared.isDir())
        folders.append(shared.canonicalFilePath());
    return folders;
}

// Whether an existing file or folder lies in one of the program's folders.
bool InProgramFolders(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    for (const QString &folder : ProgramFolders())
        if (!folder.isEmpty() && (canonical == folder || canonical.startsWith(folder + u'/')))
            return true;
    return false;
}

} // namespace

QString DialogStartFolder()
{
    const QString last = IniFile(SettingsFilePath()).readString(FoldersSection, LastFolderKey, {});
    if (!last.isEmpty() && QFileInfo(last).isDir() && !InProgramFolders(last))
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void RememberDialogFolder(const QString &filePath)
{
    const QString folder = QFileInfo(filePath).absolutePath();
    if (filePath.isEmpty() || !QFileInfo(folder).isDir() || InProgramFolders(folder))
        return;
    try {
        IniFile ini(SettingsFilePath());
        if (ini.readString(FoldersSection, LastFolderKey, {}) == folder)
            return;
        ini.writeString(FoldersSection, LastFolderKey, folder);
        ini.save();
    } catch (const Error &) {
        // The folder is a convenience: a settings file that cannot be written must not fail the
        // import or the save the user asked for. The next dialog starts where it did before.
    }
}

bool IsProgramFile(const QString &path)
{
    return QFileInfo(path).isFile() && InProgramFolders(path);
}

namespace {

class QtPrompts final : public Prompts {
public:
    QString openFileName(QWidget *parent, const FileDialogSpec &dialog) override
    {
        const QString path = QFileDialog::getOpenFileName(parent, dialog.title, DialogStartFolder(), dialog.allFilters());
        RememberDialogFolder(path);
        return path;
    }

    QString saveFileName(QWidget *parent, const FileDialogSpec &dialog) override
    {
        QFileDialog box(parent, dialog.title, DialogStartFolder(), dialog.allFilters());
        box.setAcceptMode(QFileDialog::AcceptSave);
        box.setOption(QFileDialog::DontConfirmOverwrite);
        box.setDefaultSuffix(dialog.defaultSuffix);
        // A name typed without extension gets the one of the filter chosen ("*.xlsx": "xlsx").
        QObject::connect(&box, &QFileDialog::filterSelected, &box, [&box, &dialog](const QString &filter) {
            static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
            const QRegularExpressionMatch match = pattern.match(filter);
            box.setDefaultSuffix(match.hasMatch() ? match.captured(1) : dialog.defaultSuffix);
        });
        if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
            return {};
        const QString path = box.selectedFiles().constFirst();
        RememberDialogFolder(path);
        return path;
    }

    bool confirmOverwrite(QWidget *parent) override
    {
        // Qt's standard buttons, so they read "是(Y)" and "否(N)" with Qt's Chinese texts loaded.
        QMessageBox box(QMessageBox::Information, MessageCaption(parent), PromptTexts::OverwriteQuestion,
                        QMessageBox::Yes | QMessageBox::No, parent);
        return box.exec() == QMessageBox::Yes;
    }

    void showError(QWidget *parent, const QString &text) override
    {
        QMessageBox::critical(parent, MessageCaption(parent), text);
    }

    QMessageBox::StandardButton showMessage(QWidget *parent, const QString &text, const QString &caption,
                                            QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) override
    {
        QMessageBox box(icon, caption, text, buttons, parent);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }
};

Prompts *&Installed()
{
    static Prompts *installed = nullptr;
    return installed;
}

} // namespace

Prompts &Prompts::instance()
{
    static QtPrompts qtPrompts;
    return Installed() ? *Installed() : qtPrompts;
}

void Prompts::install(Prompts *prompts)
{
    Installed() = prompts;
}

QString AskSaveFileName(QWidget *parent, const FileDialogSpec &dialog)
{
    QString path = Prompts::instance().saveFileName(parent, dialog);
    if (path.isEmpty())
        return {};
    if (!dialog.defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += u'.' + dialog.defaultSuffix;
    if (IsProgramFile(path)) {
        Prompts::instance().showMessage(parent, PromptTexts::ProgramFileRefused.arg(QFileInfo(path).fileName()),
                                        MessageCaption(parent), QMessageBox::Warning);
        return {};
    }
    if (QFileInfo::exists(path) && !Prompts::instance().confirmOverwrite(parent))
        return {};
    return path;
}

} // namespace quorvil
