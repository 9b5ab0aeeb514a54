// Speed of the datum transformation: one point through each pair of sides, the estimation from
// many common points, and the plane-to-plane window converting a large table.
// Run by hand: build-*/bin/DatumBench [rows]
#include "core/DatumConversion.h"
#include "core/GaussKruger.h"
#include "core/TextForms.h"
#include "tools/TQZH/TFormTQZH.h"
#include "ui/PointTableModel.h"
#include "ui/PointTableView.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace quorvil;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

const Ellipsoid Krasovsky{6378245.0L, 6356863.0187730473L};
const Ellipsoid Wgs84{6378137.0L, 6356752.3142451795L};

} // namespace

int main(int argc, char **argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const SevenParameters p{100, -20, 30, SecondsToRadians(1), SecondsToRadians(-2), SecondsToRadians(2), 1.000005L};

    struct Kind {
        const char *name;
        DatumTransform t;
        DatumTriple typed;
    };
    const Kind kinds[] = {
        {"plane to plane", {{DatumCoordinates::Plane, Krasovsky, 114, 500000, 0, true}, {DatumCoordinates::Plane, Wgs84, 117, 500000, 0, false}, 117},
         {3880000, 38520000, 50}},
        {"geodetic to plane", {{DatumCoordinates::Geodetic, Wgs84, 0, 0, 0, false}, {DatumCoordinates::Plane, Krasovsky, 117, 500000, 0, false}, 117},
         {35.1L, 117.2L, 50}},
        {"plane to geodetic", {{DatumCoordinates::Plane, Krasovsky, 117, 500000, 0, false}, {DatumCoordinates::Geodetic, Wgs84, 0, 0, 0, false}, 117},
         {3880000, 520000, 50}},
        {"geodetic to geodetic", {{DatumCoordinates::Geodetic, Wgs84, 0, 0, 0, false}, {DatumCoordinates::Geodetic, Krasovsky, 0, 0, 0, false}, 117},
         {35.1L, 117.2L, 50}},
    };
    const int points = 1000000;
    for (const Kind &k : kinds) {
        const auto start = Clock::now();
        Real sink = 0;
        DatumTriple typed = k.typed;
        for (int i = 0; i < points; ++i) {
            typed[2] = i % 1000;
            sink += TransformDatumPoint(k.t, p, typed)[0];
        }
        std::printf("%-22s %8.3f µs a point (%Lg)\n", k.name, Seconds(start) * 1e6 / points, sink / points);
    }

    // Estimation from 100 000 common points of a 1° square.
    {
        const DatumTransform &t = kinds[3].t;
        std::vector<DatumCommonPoint> common;
        for (int i = 0; i < 100000; ++i) {
            const DatumTriple old = {DegToDms(34.5L + (i % 317) / 317.0L), DegToDms(116.5L + (i % 293) / 293.0L), 20.0L + i % 50};
            DatumTriple made = TransformDatumPoint(t, p, old);
            common.push_back({old, {DegToDms(made[0]), DegToDms(made[1]), made[2]}});
        }
        const auto start = Clock::now();
        const DatumEstimate e = EstimateDatum(t, common);
        std::printf("estimation, %zu common points: %.3f s (K = %s)\n", common.size(), Seconds(start),
                    NumberToText(10, e.parameters.K).c_str());
    }

    // The plane-to-plane window converting a table of `rows` points.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TFormTQZH window(nullptr);
    PointTableModel *input = window.findChild<PointTableView *>("StringGrid1")->table();
    std::vector<QString> cells;
    cells.reserve(static_cast<size_t>(rows) * 4);
    for (int r = 0; r < rows; ++r) {
        cells.push_back(QString("P%1").arg(r));
        cells.push_back(QString::number(3800000 + r % 100000, 'f', 3));
        cells.push_back(QString::number(38400000 + r % 200000, 'f', 3));
        cells.push_back(QString::number(r % 1000, 'f', 3));
    }
    input->replaceCells(rows, 4, std::move(cells));
    window.findChild<QLineEdit *>("EditLL1")->setText("114");
    const auto start = Clock::now();
    window.findChild<QAction *>("ToolButton6")->trigger();
    std::printf("window conversion of %d rows: %.2f s\n", rows, Seconds(start));
    return 0;
}
