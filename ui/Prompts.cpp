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

namespace {

class QtPrompts final : public Prompts {
public:
    QString openFileName(QWidget *parent, const FileDialogSpec &spec) override
    {
        return QFileDialog::getOpenFileName(parent, spec.title, {}, spec.filter);
    }

    QString saveFileName(QWidget *parent, const FileDialogSpec &spec) override
    {
        QFileDialog dialog(parent, spec.title, {}, spec.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix(spec.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
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

QString AskSaveFileName(QWidget *parent, const FileDialogSpec &spec)
{
    QString path = Prompts::instance().saveFileName(parent, spec);
    if (path.isEmpty())
        return {};
    if (!spec.defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += u'.' + spec.defaultSuffix;
    if (QFileInfo::exists(path) && !Prompts::instance().confirmOverwrite(parent))
        return {};
    return path;
}

} // namespace quorvil
