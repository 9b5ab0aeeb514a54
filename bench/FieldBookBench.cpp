// The field book's whole path, as quorvil-cli fieldbook takes it: a CSV book of 2,000 stations ×
// 3 rounds × 6 targets (a lattice of stations 500 m apart, each observing six neighbours, face
// left and right, zenith readings and slope distances) read, reduced with the checks, the
// trigonometric heights, the first pass of approximate coordinates and the grid reduction, and
// the observation file written. Prints seconds per stage; the goal is under 2 s for the whole.
// Usage: FieldBookBench [stations]
#include "core/fieldbook/FieldBookLines.h"
#include "io/survey/FieldBookFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <string>

using namespace quorvil;
using namespace quorvil::fieldbook;

namespace {

constexpr int Rounds = 3, Targets = 6;
constexpr double Spacing = 500, X0 = 3400000, Y0 = 520000;

std::string Packed(double degrees)
{
    degrees = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    long long tenths = std::llround(degrees * 36000) % (360LL * 36000);
    const long long d = tenths / 36000, m = tenths / 600 % 60, s = tenths % 600;
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld%02lld%lld", d, m, s / 10, s % 10);
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    const int stations = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int columns = 50, rows = (stations + columns - 1) / columns;
    const auto x = [&](int p) { return X0 + (p / columns) * Spacing + (p % 7) * 3.1; };
    const auto y = [&](int p) { return Y0 + (p % columns) * Spacing + (p % 5) * 2.7; };
    const auto h = [&](int p) { return 100 + 20 * std::sin(p * 0.37) + (p / columns) * 0.5; };
    const auto name = [](int p) { return "P" + std::to_string(p); };

    // The book.
    std::string book = "测站,仪器高,照准点,觇标高,测回,盘位,水平度盘读数,竖盘读数,斜距\n";
    const int offsets[][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}, {1, 1}, {-1, -1}, {1, -1}, {-1, 1}, {0, 2}, {2, 0}};
    for (int p = 0; p < stations; ++p) {
        std::vector<int> targets;
        for (const auto &o : offsets) {
            const int r = p / columns + o[0], c = p % columns + o[1], q = r * columns + c;
            if (r >= 0 && r < rows && c >= 0 && c < columns && q < stations && int(targets.size()) < Targets)
                targets.push_back(q);
        }
        const double orient = p * 7.3;
        std::vector<std::string> lines[2];
        for (int r = 0; r < Rounds; ++r) {
            const double offset = r * 180.0 / Rounds;
            std::vector<int> left = targets, right;
            left.push_back(targets.front());
            right.push_back(targets.front());
            for (size_t k = targets.size() - 1; k >= 1; --k)
                right.push_back(targets[k]);
            right.push_back(targets.front());
            for (int face = 0; face < 2; ++face)
                for (int t : face ? right : left) {
                    const double dx = x(t) - x(p), dy = y(t) - y(p), d = std::hypot(dx, dy);
                    const double dz = h(t) + 1.6 - h(p) - 1.5, zenith = std::atan2(d, dz) * 180 / M_PI;
                    const double theta = std::atan2(dy, dx) * 180 / M_PI - orient + offset;
                    const double hz = face ? theta + 180 - 3.0 / 3600 : theta + 3.0 / 3600;
                    const double v = face ? 360 - zenith + 5.0 / 3600 : zenith + 5.0 / 3600;
                    char slope[32];
                    std::snprintf(slope, sizeof slope, "%.4f", std::hypot(d, dz));
                    book += name(p) + ",1.500," + name(t) + ",1.600," + std::to_string(r + 1) + (face ? ",右," : ",左,") +
                            Packed(hz) + "," + Packed(v) + "," + slope + "\n";
                }
        }
    }
    QTemporaryDir dir;
    const QString in = dir.filePath("book.csv"), out = dir.filePath("network.txt");
    QFile file(in);
    file.open(QIODevice::WriteOnly);
    file.write(book.data(), qint64(book.size()));
    file.close();
    std::vector<KnownPoint> known;
    for (int p : {0, columns - 1, stations - columns, stations - 1})
        known.push_back({name(p), x(p), y(p), h(p)});

    for (const bool grid : {false, true}) {
        Settings settings;
        settings.grid = grid;
        QElapsedTimer timer;
        timer.start();
        const FieldBook fb = ReadFieldBook(in);
        const double read = timer.nsecsElapsed() / 1e9;
        const Reduction r = Reduce(fb, grid ? known : std::vector<KnownPoint>{}, settings);
        const double reduce = timer.nsecsElapsed() / 1e9 - read;
        WriteFieldBookObservations(out, r, {});
        const double total = timer.nsecsElapsed() / 1e9;
        size_t onGrid = 0;
        for (const LineResult &l : r.lines)
            onGrid += l.grid.has_value();
        std::printf("%d stations × %d rounds × %d targets (%zu pointings, %.1f MB)%s: read %.3f s, reduce %.3f s, "
                    "write %.3f s, whole %.3f s; %zu checks, %zu lines, %zu on the grid\n",
                    stations, Rounds, Targets, fb.pointings.size(), book.size() / 1e6,
                    grid ? ", known points, heights and grid" : ", no known points", read, reduce, total - read - reduce,
                    total, r.checks.size(), r.lines.size(), onGrid);
    }
    return 0;
}
