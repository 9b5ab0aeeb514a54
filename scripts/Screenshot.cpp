// Grabs the main window, the About box or any tool window (by class name) to a PNG.
// Usage: quorvil_screenshot <TFormMain|TAboutBox|TForm...> <out.png> [width height]
#include "app/Catalogue.h"
#include "app/TAboutBox.h"
#include "app/TFormMain.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <clocale>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvil"));
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <window class> <out.png> [width height]\n", argv[0]);
        return 2;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);

    quorvil::TFormMain main;
    QWidget *target = &main;
    main.resize(1000, 600);
    main.show();
    quorvil::TAboutBox about(&main);
    if (name == u"TAboutBox") {
        target = &about;
    } else if (name != u"TFormMain") {
        const quorvil::CatalogueEntry *entry = quorvil::FindCatalogueEntry(name);
        target = entry ? main.openTool(*entry) : nullptr;
        if (!target) {
            std::fprintf(stderr, "no window of class %s\n", argv[1]);
            return 1;
        }
    }
    if (argc >= 5)
        target->resize(QString::fromLocal8Bit(argv[3]).toInt(), QString::fromLocal8Bit(argv[4]).toInt());
    target->show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    return target->grab().save(out) ? 0 : 1;
}
