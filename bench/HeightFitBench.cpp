// GNSS height fitting through the window ("拟合计算"): 1,000 common points, a quadratic surface,
// and a 1,000,000-row table of GNSS points converted. Prints seconds.
#include "tools/GCNH/TFormGCNH.h"
#include "ui/PointTableView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include <cmath>
#include <cstdio>
#include <vector>

using namespace quorvil;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const int commonRows = 1000;

    TFormGCNH window(nullptr);
    std::vector<QString> common(static_cast<size_t>(commonRows) * 6);
    for (int i = 0; i < commonRows; ++i) {
        QString *row = &common[static_cast<size_t>(i) * 6];
        const double x = 4410000.0 + (i % 37) * 1000.3, y = 433000.0 + (i / 37) * 1100.7;
        row[0] = QStringLiteral("G%1").arg(i);
        row[1] = QString::number(x, 'f', 4);
        row[2] = QString::number(y, 'f', 4);
        row[3] = QString::number(40 + 0.3 * std::sin(x / 7000) + 0.2 * std::cos(y / 9000) + (i % 7) * 0.001, 'f', 4);
        row[4] = QStringLiteral("50");
        row[5] = i % 10 ? QStringLiteral("拟合") : QStringLiteral("检核");
    }
    window.findChild<PointTableView *>(QStringLiteral("StringGrid1"))->table()->replaceCells(commonRows, 6, std::move(common));
    std::vector<QString> cells(static_cast<size_t>(rows) * 4);
    for (int i = 0; i < rows; ++i) {
        cells[static_cast<size_t>(i) * 4] = QStringLiteral("P%1").arg(i);
        cells[static_cast<size_t>(i) * 4 + 1] = QString::number(4405000.123 + (i % 1009) * 40.1, 'f', 3);
        cells[static_cast<size_t>(i) * 4 + 2] = QString::number(430000.678 + (i / 1009) * 31.3, 'f', 3);
        cells[static_cast<size_t>(i) * 4 + 3] = QString::number(45.1 + i * 1e-6, 'f', 3);
    }
    window.findChild<PointTableView *>(QStringLiteral("StringGrid2"))->table()->replaceCells(rows, 4, std::move(cells));
    window.findChild<QComboBox *>(QStringLiteral("ComboModel"))->setCurrentIndex(2);

    QElapsedTimer timer;
    timer.start();
    window.findChild<QAction *>(QStringLiteral("ToolButton6"))->trigger();
    std::printf("fit %d common points (quadratic), convert %d rows: %.2f s\n", commonRows, rows, timer.nsecsElapsed() / 1e9);
    return 0;
}
