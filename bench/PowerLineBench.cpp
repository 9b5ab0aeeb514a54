// A 3,000-row power-line route through the table window, as a user drives it: "按主线点坐标计算",
// "生成Excel表" (the workbook from its template) and "生成CAD图表" (200 pages drawn into a
// session that only counts the calls). Prints seconds for each.
#include "BenchSupport.h"
#include "cad/CadSession.h"
#include "tools/DLXPDB/TFormDLXPDB.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/drawing/TFormDrawing.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

using namespace quorvil;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 3000;
    QTemporaryDir dir;
    BenchPrompts prompts;
    Prompts::install(&prompts);
    NullCadSession cad;
    CadSession::setActive(&cad);

    TFormDLXPDB window(nullptr);
    PointTableModel *table = window.findChild<PointTableView *>(QStringLiteral("StringGrid1"))->table();
    table->setRowCount(rows);
    const char *ground[] = {"水田", "旱地", "林地", "荒地"};
    for (int i = 0; i < rows; ++i) {
        const double bend = i > rows / 2 ? (i - rows / 2) * 12.0 : 0;
        table->setRowTexts(i, {QStringLiteral("J%1").arg(i + 1), QString::number(3000000 + 37.5 * i + bend, 'f', 3),
                               QString::number(500000 + 21.25 * i + 4 * std::sin(i), 'f', 3), {}, {},
                               QString::number(120 + 8 * std::sin(i * 0.3), 'f', 2), QString::fromUtf8(ground[i % 4]),
                               i % 9 == 4 ? QStringLiteral("10kV线路") : QString(), i % 9 == 4 ? QStringLiteral("65.3000") : QString(),
                               {}, QStringLiteral("1.2"), QStringLiteral("0.8"),
                               i % 500 == 499 ? QStringLiteral("ZJ%1").arg(i / 500 + 1) : QString()});
    }

    std::printf("rows: %d\n", rows);
    std::printf("chainage (按主线点坐标计算): %.3f s\n", Press(&window, "ToolButton7"));
    prompts.file = dir.filePath(QStringLiteral("route.xlsx"));
    const double workbook = Press(&window, "ToolButton9");
    std::printf("workbook (生成Excel表): %.3f s, %lld bytes\n", workbook, QFileInfo(prompts.file).size());
    const double drawing = Press(&window, "ToolButton10");
    std::printf("drawing (生成CAD图表): %.3f s, %d pages, %zu calls\n", drawing, (rows + 14) / 15, cad.calls);

    // The same pages into the program's drawing window, and the drawing saved as DXF.
    TFormDrawing drawingWindow(nullptr);
    drawingWindow.show();
    const double intoWindow = Press(&window, "ToolButton10");
    std::printf("drawing into the drawing window: %.3f s, %zu entities\n", intoWindow, drawingWindow.document().entities.size());
    QElapsedTimer timer;
    timer.start();
    drawingWindow.saveFile(dir.filePath(QStringLiteral("sheets.dxf")));
    std::printf("drawing saved as DXF: %.3f s, %lld bytes\n", timer.nsecsElapsed() / 1e9,
                QFileInfo(dir.filePath(QStringLiteral("sheets.dxf"))).size());
    drawingWindow.hide();
    CadSession::setActive(nullptr);
    Prompts::install(nullptr);
    return 0;
}
