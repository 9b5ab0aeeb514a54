#include "Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

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

namespace {

class QtPrompts final : public Prompts {
public:
    QString openFileName(QWidget *parent, const FileDialogSpec &dialog) override
    {
        return QFileDialog::getOpenFileName(parent, dialog.title, {}, dialog.allFilters());
    }

    QString saveFileName(QWidget *parent, const FileDialogSpec &dialog) override
    {
        QFileDialog box(parent, dialog.title, {}, dialog.allFilters());
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
        return box.selectedFiles().constFirst();
    }

    bool confirmOverwrite(QWidget *parent) override
    {
        // Qt's standard buttons, so they read "是(Y)" and "否(N)" with Qt's Chinese texts loaded.
        QMessageBox box(QMessageBox::Information, PromptTexts::InformationCaption, PromptTexts::OverwriteQuestion,
                        QMessageBox::Yes | QMessageBox::No, parent);
        return box.exec() == QMessageBox::Yes;
    }

    void showError(QWidget *parent, const QString &text) override
    {
        QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
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
    if (QFileInfo::exists(path) && !Prompts::instance().confirmOverwrite(parent))
        return {};
    return path;
}

} // namespace quorvil
