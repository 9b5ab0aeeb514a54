// Speed of pasting into a point table what a careless user's clipboard may hold: one cell of
// 10 MB (refused), a line of 10 MB of fields (the first columns pasted), 100,000 lines (the table
// grows), and the undo that takes them back. Prints seconds for each.
#include "BenchSupport.h"

#include "ui/PointTableModel.h"
#include "ui/PointTableView.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>

using namespace quorvil;

namespace {

double Seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    BenchPrompts prompts;
    Prompts::install(&prompts);
    PointTableView table({"点号", "纵坐标x(m)", "横坐标y(m)"}, true);
    table.show();

    const QString cell(10 * 1024 * 1024, u'9');
    QString wide;
    for (int i = 0; i < 1000000; ++i)
        wide += QString::number(i) + u',';
    QString lines;
    for (int i = 0; i < 100000; ++i)
        lines += QStringLiteral("P%1\t%2.123\t%3.456\r\n").arg(i).arg(3878000 + i).arg(773000 + i);

    std::printf("one cell of 10 MB      %.3f s\n", Seconds([&] { table.pasteText(cell); }));
    std::printf("a line of 10 MB        %.3f s\n", Seconds([&] { table.pasteText(wide); }));
    std::printf("100,000 lines          %.3f s\n", Seconds([&] { table.pasteText(lines); }));
    const double undo = Seconds([&] { table.undo(); });
    std::printf("undo of 100,000 lines  %.3f s (%d rows left)\n", undo, table.table()->rows());
    Prompts::install(nullptr);
    return 0;
}
