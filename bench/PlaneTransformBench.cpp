// Conversion of a 1,000,000-row table by the multi-common-point window ("转换计算"), and the
// least-squares estimation from 100,000 common points. Prints seconds.
#include "core/PlaneSimilarity.h"
#include "tools/PMZH2/TFormPMZH2.h"
#include "ui/PointTableView.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <vector>

using namespace quorvil;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;

    TFormPMZH2 window(nullptr);
    std::vector<QString> cells(static_cast<size_t>(rows) * 4);
    for (int i = 0; i < rows; ++i) {
        cells[static_cast<size_t>(i) * 4] = QStringLiteral("P%1").arg(i);
        cells[static_cast<size_t>(i) * 4 + 1] = QString::number(3510000.123 + i * 0.001, 'f', 3);
        cells[static_cast<size_t>(i) * 4 + 2] = QString::number(512345.678 + i * 0.001, 'f', 3);
        cells[static_cast<size_t>(i) * 4 + 3] = QString::number(45.1 + i * 1e-6, 'f', 3);
    }
    window.findChild<PointTableView *>(QStringLiteral("StringGrid2"))->table()->replaceCells(rows, 4, std::move(cells));

    QElapsedTimer timer;
    timer.start();
    window.findChild<QAction *>(QStringLiteral("ToolButton7"))->trigger();
    std::printf("convert %d rows: %.2f s\n", rows, timer.nsecsElapsed() / 1e9);

    // The same estimation through the window: 100,000 common-point rows read, residuals written.
    const int commonRows = 100000;
    std::vector<QString> commonCells(static_cast<size_t>(commonRows) * 10);
    for (int i = 0; i < commonRows; ++i) {
        QString *row = &commonCells[static_cast<size_t>(i) * 10];
        row[0] = QStringLiteral("C%1").arg(i);
        row[1] = QString::number(3510000.0 + (i % 317) * 3.1, 'f', 3);
        row[2] = QString::number(512345.0 + (i % 211) * 4.7, 'f', 3);
        row[3] = QString::number(40 + i % 13);
        row[4] = QString::number(3510035.0 + (i % 317) * 3.1 - (i % 211) * 0.0047, 'f', 3);
        row[5] = QString::number(512333.0 + (i % 211) * 4.7 + (i % 317) * 0.0031, 'f', 3);
        row[6] = QString::number(42 + i % 13);
    }
    window.findChild<PointTableView *>(QStringLiteral("StringGrid1"))->table()->replaceCells(commonRows, 10, std::move(commonCells));
    timer.restart();
    window.findChild<QAction *>(QStringLiteral("ToolButton6"))->trigger();
    std::printf("estimate in the window from %d common rows: %.2f s\n", commonRows, timer.nsecsElapsed() / 1e9);

    std::vector<CommonPoint> common;
    const FourParameters known{35, -12, 0.001, 1.00001, 2};
    for (int i = 0; i < 100000; ++i) {
        const PlanePointH old{3510000.0L + (i % 317) * 3.1L, 512345.0L + (i % 211) * 4.7L, 40.0L + i % 13};
        common.push_back({old, ConvertFourParameters(known, old)});
    }
    timer.restart();
    const FourParameterEstimate estimate = EstimateFourParameters(common);
    std::printf("estimate from %zu common points: %.4f s (K = %.10Lf)\n", common.size(), timer.nsecsElapsed() / 1e9,
                estimate.parameters.K);
    return 0;
}
