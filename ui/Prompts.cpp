#include "Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

namespace quorvil {

FileDialogSpec OpenPointsDialog()
{
    return {PromptTexts::OpenPointsTitle, PromptTexts::TextFilter, {}};
}

FileDialogSpec SavePointsDialog()
{
    return {PromptTexts::SavePointsTitle, PromptTexts::TextFilter, QStringLiteral("txt")};
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
        return QFileDialog::getOpenFileName(parent, dialog.title, {}, dialog.filter);
    }

    QString saveFileName(QWidget *parent, const FileDialogSpec &dialog) override
    {
        QFileDialog box(parent, dialog.title, {}, dialog.filter);
        box.setAcceptMode(QFileDialog::AcceptSave);
        box.setOption(QFileDialog::DontConfirmOverwrite);
        box.setDefaultSuffix(dialog.defaultSuffix);
        if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
            return {};
        return box.selectedFiles().constFirst();
    }

    bool confirmOverwrite(QWidget *parent) override
    {
        QMessageBox box(QMessageBox::Information, PromptTexts::InformationCaption, PromptTexts::OverwriteQuestion,
                        QMessageBox::NoButton, parent);
        QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes;
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
