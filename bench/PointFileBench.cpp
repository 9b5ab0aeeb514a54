// Import and save of a 1,000,000-line point file of three fields through the point table, as the
// point tools do it. Prints seconds and the peak resident memory of the process.
#include "ui/PointTableView.h"
#include "io/PointFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

using namespace quorvil;

namespace {

long PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    const QString input = dir.filePath("points.txt");
    {
        QFile file(input);
        file.open(QIODevice::WriteOnly);
        QByteArray text;
        text.reserve(lines * 32);
        for (int i = 0; i < lines; ++i)
            text += "P" + QByteArray::number(i) + ",3" + QByteArray::number(878776.946 + i * 0.001, 'f', 3) + ","
                    + QByteArray::number(773912.254 + i * 0.001, 'f', 3) + "\r\n";
        file.write(text);
    }
    // The peak of this process so far is the generator's; measure from a fresh baseline.
    const long before = PeakMegabytes();
    PointTableView table({"点号", "x", "y"}, true);

    QElapsedTimer timer;
    timer.start();
    PointCells cells = ReadPointCells(input, 3);
    table.table()->replaceCells(cells.rows, cells.fieldCount, std::move(cells.cells));
    const double importSeconds = timer.nsecsElapsed() / 1e9;

    timer.restart();
    table.table()->writeFile(dir.filePath("saved.txt"));
    const double saveSeconds = timer.nsecsElapsed() / 1e9;

    std::printf("rows: %d\nimport: %.3f s\nsave: %.3f s\npeak memory: %ld MB (before the table: %ld MB)\n",
                table.table()->rows(), importSeconds, saveSeconds, PeakMegabytes(), before);
    return 0;
}
