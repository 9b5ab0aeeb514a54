#include "app/CommandLine.h"
#include "app/TFormMain.h"
#include "ui/Language.h"

#include <QApplication>

#include <clocale>

int main(int argc, char *argv[])
{
    // --help and --version answer without a window, and without a display.
    if (const std::optional<int> status = quorvil::AnswerCommandLine(argc, argv))
        return *status;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvil"));
    // Qt's own texts (standard buttons, file dialogs, context menus) in Chinese like the rest.
    quorvil::InstallQtTranslations(application);
    // Qt calls setlocale(); no library may print a decimal comma.
    std::setlocale(LC_NUMERIC, "C");

    quorvil::TFormMain mainWindow;
    mainWindow.showMaximized();
    // "quorvil site.dxf" (and a double-click on a drawing in a file manager) shows the drawing.
    quorvil::OpenCommandLineFiles(mainWindow, quorvil::CommandLineFiles(QApplication::arguments()));
    return application.exec();
}
