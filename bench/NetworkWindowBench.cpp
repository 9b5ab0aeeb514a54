// Speed of the control network window with a network of about 2,000 points (a 45 × 45 grid,
// 500 m apart, directions to the four neighbours and distances along the grid lines, two fixed
// pairs at opposite corners), as a user drives it: the tables filled as an import fills them, "平差计算" (adjust,
// result tables, summary, the drawing in the window), the Word report, and the drawing into a
// drawing session that keeps nothing. Prints seconds for each.
#include "BenchSupport.h"

#include "core/TextForms.h"
#include "io/ProgramFiles.h"
#include "io/survey/NetworkReport.h"
#include "io/survey/NetworkTables.h"
#include "core/network/Network.h"
#include "tools/KZWPC/TFormKZWPC.h"
#include "ui/PointTableView.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>

using namespace quorvil;

namespace {

QString Text(int decimals, Real value) { return QString::fromStdString(NumberToText(decimals, value)); }

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int side = argc > 1 ? std::atoi(argv[1]) : 45;
    QTemporaryDir dir;
    BenchPrompts prompts;
    Prompts::install(&prompts);
    NullCadSession cad;
    CadSession::setActive(&cad);

    // True positions with a small irregularity; observations from them, rounded as a field book has them.
    const auto name = [&](int i, int j) { return QStringLiteral("P%1_%2").arg(i).arg(j); };
    const auto x = [&](int i, int j) { return 3380000 + 500.0L * i + 7 * std::sin(Real(i * 31 + j)); };
    const auto y = [&](int i, int j) { return 38500000 + 500.0L * j + 7 * std::cos(Real(i * 17 + j)); };
    QList<QStringList> known, obs;
    // Two fixed pairs at opposite corners: the network is located and oriented from the first.
    for (const auto &[i, j] : {std::pair{0, 0}, std::pair{0, 1}, std::pair{side - 1, side - 1}, std::pair{side - 1, side - 2}})
        known.append({name(i, j), Text(4, x(i, j)), Text(4, y(i, j)), QString(), QStringLiteral("固定")});
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            const int di[] = {1, 0, -1, 0}, dj[] = {0, 1, 0, -1};
            bool first = true;
            Real zero = 0;
            for (int k = 0; k < 4; ++k) {
                const int a = i + di[k], b = j + dj[k];
                if (a < 0 || b < 0 || a >= side || b >= side)
                    continue;
                const Real bearing = Azimuth(x(i, j), y(i, j), x(a, b), y(a, b));
                if (first)
                    zero = bearing, first = false;
                Real direction = bearing - zero;
                if (direction < 0)
                    direction += TwoPi;
                obs.append({name(i, j), QString(), name(a, b), QStringLiteral("方向"),
                            PackedAngleText(direction, 1), QString(), QString()});
            }
            for (int k = 0; k < 2; ++k) {
                const int a = i + di[k], b = j + dj[k];
                if (a >= side || b >= side)
                    continue;
                obs.append({name(i, j), QString(), name(a, b), QStringLiteral("边长"),
                            Text(4, std::hypot(x(a, b) - x(i, j), y(a, b) - y(i, j))), QString(), QString()});
            }
        }

    {
        QElapsedTimer t;
        t.start();
        const network::Network net = NetworkFromTables(known, obs, NetworkApriori{}, network::Settings{});
        const network::Result result = network::Adjust(net);
        const double adjust = t.nsecsElapsed() / 1e9;
        t.restart();
        const auto points = PointResultRows(net, result);
        const auto observations = ObservationResultRows(net, result);
        const auto relative = RelativeEllipseRows(net, result);
        std::printf("engine alone: adjust %.3f s, result texts %.3f s\n", adjust, t.nsecsElapsed() / 1e9);
        t.restart();
        WriteNetworkReport(net, result, {}, ProgramFile(NetworkReportTemplate), dir.filePath(QStringLiteral("alone.docx")));
        std::printf("report alone:                           %.3f s\n", t.nsecsElapsed() / 1e9);
    }

    TFormKZWPC window(nullptr);
    window.resize(1180, 760);
    QElapsedTimer timer;
    timer.start();
    window.findChild<PointTableView *>(QStringLiteral("StringGridKnown"))->table()->replaceRows(known);
    window.findChild<PointTableView *>(QStringLiteral("StringGridObs"))->table()->replaceRows(obs);
    const double fill = timer.nsecsElapsed() / 1e9;
    std::printf("network: %d points, %lld observations\n", side * side, static_cast<long long>(obs.size()));
    std::printf("tables filled:                          %.3f s\n", fill);
    std::printf("平差计算 (adjust, tables, drawing):      %.3f s\n", Press(&window, "ToolButton4"));
    std::printf("平差计算 again:                          %.3f s\n", Press(&window, "ToolButton4"));
    prompts.file = dir.filePath(QStringLiteral("network.docx"));
    std::printf("Word报表 (adjust again, then report):   %.3f s\n", Press(&window, "ToolButton5"));
    const double draw = Press(&window, "ToolButton6");
    std::printf("绘制到图形窗口 (adjust again, draw):     %.3f s  (%zu calls)\n", draw, cad.calls);
    return 0;
}
