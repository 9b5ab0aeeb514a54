#include "app/TFormMain.h"

#include <QApplication>

#include <clocale>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvil"));
    // Qt calls setlocale(); no library may print a decimal comma.
    std::setlocale(LC_NUMERIC, "C");

    quorvil::TFormMain mainWindow;
    mainWindow.showMaximized();
    return application.exec();
}
