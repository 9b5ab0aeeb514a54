// Spreadsheets and the table history at size: a table of 1,000,000 points (three fields) saved as
// .xlsx and .csv and imported back through the point table; a paste of 100,000 lines into a table,
// its undo and redo; a cell edit with results computed from the table. Prints seconds and the
// resident memory of the process.
#include "io/PointFile.h"
#include "ui/PointTableView.h"
#include "ui/ResultFreshness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

using namespace quorvil;

namespace {

long ResidentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) / (1024 * 1024) : 0;
}

double Seconds(QElapsedTimer &timer)
{
    const double s = timer.nsecsElapsed() / 1e9;
    timer.restart();
    return s;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int pasted = argc > 2 ? std::atoi(argv[2]) : 100000;
    QTemporaryDir dir;

    // A paste of `pasted` lines into a fresh table, its undo and redo.
    QString text;
    for (int i = 0; i < pasted; ++i)
        text += QStringLiteral("P%1\t%2\t%3\r\n")
                    .arg(i)
                    .arg(3878776.946 + i * 0.001, 0, 'f', 3)
                    .arg(773912.254 + i * 0.001, 0, 'f', 3);
    PointTableView target({"点号", "纵坐标x(m)", "横坐标y(m)"}, true);
    target.setCurrentIndex(target.table()->index(0, 0));
    const long before = ResidentMegabytes();
    QElapsedTimer timer;
    timer.start();
    target.pasteText(text);
    const double paste = Seconds(timer);
    const long afterPaste = ResidentMegabytes();
    target.undo();
    const double undo = Seconds(timer);
    const long afterUndo = ResidentMegabytes();
    target.redo();
    const double redo = Seconds(timer);
    std::printf("paste of %d lines: %.3f s, +%ld MB resident; undo %.3f s (%ld MB); redo %.3f s; "
                "history holds %zu cell texts\n",
                pasted, paste, afterPaste - before, undo, afterUndo - before, redo, target.table()->historyCells());


    PointTableView table({"点号", "纵坐标x(m)", "横坐标y(m)"}, true);
    {
        std::vector<QString> cells;
        cells.reserve(size_t(rows) * 3);
        for (int i = 0; i < rows; ++i) {
            cells.push_back(QStringLiteral("导线点%1").arg(i));
            cells.push_back(QString::number(3878776.946 + i * 0.001, 'f', 3));
            cells.push_back(QString::number(773912.254 + i * 0.001, 'f', 3));
        }
        table.table()->replaceCells(rows, 3, std::move(cells));
        table.table()->clearHistory();
    }
    timer.restart();
    for (const char *name : {"points.xlsx", "points.csv"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        table.table()->writeFile(path);
        const double save = Seconds(timer);
        const qint64 size = QFileInfo(path).size();
        PointCells cells = ReadPointCells(path, 3, QStringLiteral("0"), table.table()->captions());
        PointTableView back({"点号", "纵坐标x(m)", "横坐标y(m)"}, true);
        back.table()->replaceCells(cells.rows, cells.fieldCount, std::move(cells.cells));
        const double import = Seconds(timer);
        std::printf("%s: %d rows, %.1f MB; save %.2f s, import %.2f s (rows back: %d)\n", name, rows,
                    size / 1048576.0, save, import, back.table()->rows());
    }

    // One keystroke's edit on the million-row table: the history holds one text, not the table.
    timer.restart();
    table.table()->setData(table.table()->index(rows / 2, 1), QStringLiteral("1.000"));
    const double edit = Seconds(timer);
    table.undo();
    std::printf("cell edit in %d rows: %.6f s, history %zu cell texts; undo %.6f s\n", rows, edit,
                table.table()->historyCells(), Seconds(timer));

    // The same edit once results have been computed from the table: the table's fingerprint is
    // taken again to tell whether the results still belong to it.
    QWidget window;
    ResultFreshness results(&window, [] {});
    results.watch(table.table());
    timer.restart();
    results.compute();
    const double fingerprint = Seconds(timer);
    table.table()->setData(table.table()->index(rows / 2, 1), QStringLiteral("2.000"));
    const double watchedEdit = Seconds(timer);
    std::printf("results watched: fingerprint of %d rows %.3f s; cell edit %.3f s (stale: %s)\n", rows, fingerprint,
                watchedEdit, results.isStale() ? "yes" : "no");
    return 0;
}
