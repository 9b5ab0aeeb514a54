// Speed of the rigorous network adjustment (core/network) on generated networks:
//  - plane: a square grid of new points 500 m apart, every station observing a direction set to
//    its four neighbours and the distances to the right and upper ones (about six observations
//    per point), a known point every tenth row and column; observations from the true
//    coordinates with normal noise (2″, 3 mm), no approximate coordinates (the engine computes
//    them); full results: point ellipses, relative ellipses, redundancy numbers, w tests;
//  - levelling: a grid of benchmarks joined to their neighbours, one fixed point in a hundred;
//  - the whole path of a user's file, as the command line takes it: meshes of triangles of 2,000
//    and 10,000 points (directions to six neighbours, distances to three: about nine observations
//    a point) written as GNU Gama's gama-local (.gkf) and as Quorvil's observation file, then read
//    and parsed, adjusted, and the result table and the JSON written;
//  - the same whole path for the two railway corridor surveys of GNU Gama's suite
//    (tests/io/data/gama: 833 points, free network on 95 constrained points), with the largest
//    difference of the adjusted coordinates and ellipses from gama-local's, σ0 and the degrees of
//    freedom beside Gama's.
// Prints the time of each size, so that the growth from 1,000 to 10,000 points shows. With
// QUORVIL_BENCH_KEEP=<folder> the files of the last part are kept there (to time quorvil-cli on them).
//
//   build/bin/NetworkBench [points…]
#include "core/network/Network.h"
#include "io/PointFile.h"
#include "io/survey/GamaFile.h"
#include "io/survey/NetworkOutput.h"
#include "io/survey/ObservationFile.h"
#include "io/survey/ObservationFileWriter.h"

#include "io/GamaXmlReference.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

using namespace quorvil;
using namespace quorvil::network;

namespace {

// With `diagonals`, a mesh of triangles: directions to the six neighbours along the grid lines
// and one diagonal, distances to the right, upper and upper right ones (about nine observations
// per point).
Network PlaneGrid(int side, bool approximate, bool diagonals = false)
{
    Network net;
    std::mt19937_64 random(20);
    std::normal_distribution<double> noise(0, 1);
    const Real spacing = 500, sigmaDirection = 2 * Pi / 648000, sigmaDistance = 0.003;
    const auto index = [&](int i, int j) { return i * side + j; };
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            Point p;
            p.id = "P" + std::to_string(i) + "_" + std::to_string(j);
            // a slightly irregular grid
            p.x = 3000000 + i * spacing + 40 * std::sin(j * 0.7 + i);
            p.y = 500000 + j * spacing + 40 * std::cos(i * 0.9 + j);
            const bool known = i % 10 == 0 && j % 10 == 0;
            p.plane = known ? Role::Fixed : Role::Adjusted;
            p.hasXY = known || approximate;
            net.points.push_back(p);
        }
    const auto bearing = [&](int a, int b) {
        const Point &p = net.points[size_t(a)], &q = net.points[size_t(b)];
        return std::atan2(q.y - p.y, q.x - p.x);
    };
    const auto distance = [&](int a, int b) {
        const Point &p = net.points[size_t(a)], &q = net.points[size_t(b)];
        return std::hypot(q.x - p.x, q.y - p.y);
    };
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            const int st = index(i, j);
            const int set = int(net.sets.size());
            net.sets.push_back({st, 0});
            const Real zero = noise(random); // the circle's arbitrary zero
            const int di[] = {0, 1, 1, 0, -1, -1}, dj[] = {1, 0, 1, -1, 0, -1};
            for (int k = 0; k < 6; ++k) {
                if (!diagonals && (k == 2 || k == 5))
                    continue;
                const int a = i + di[k], b = j + dj[k];
                if (a < 0 || b < 0 || a >= side || b >= side)
                    continue;
                Observation o;
                o.kind = ObservationKind::Direction;
                o.set = set;
                o.to = index(a, b);
                o.value = bearing(st, o.to) - zero + sigmaDirection * noise(random);
                o.stdev = sigmaDirection;
                net.observations.push_back(o);
                if (k < 3) {
                    Observation d;
                    d.kind = ObservationKind::Distance;
                    d.from = st, d.to = o.to;
                    d.value = distance(st, o.to) + sigmaDistance * noise(random);
                    d.stdev = sigmaDistance;
                    net.observations.push_back(d);
                }
            }
        }
    // the points as the adjustment starts from them: known points true, the rest slightly off
    for (Point &p : net.points)
        if (p.plane != Role::Fixed && approximate)
            p.x += 0.05 * noise(random), p.y += 0.05 * noise(random);
    return net;
}

Network LevellingGrid(int side)
{
    Network net;
    std::mt19937_64 random(21);
    std::normal_distribution<double> noise(0, 1);
    std::vector<Real> truth;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            Point p;
            p.id = "BM" + std::to_string(i) + "_" + std::to_string(j);
            truth.push_back(50 + 10 * std::sin(i * 0.1) + 5 * std::cos(j * 0.13));
            const bool known = i % 10 == 0 && j % 10 == 0;
            p.height = known ? Role::Fixed : Role::Adjusted;
            p.z = truth.back(), p.hasZ = known;
            net.points.push_back(p);
        }
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j)
            for (int k = 0; k < 2; ++k) {
                const int a = i + (k == 1), b = j + (k == 0);
                if (a >= side || b >= side)
                    continue;
                Observation o;
                o.kind = ObservationKind::HeightDifference;
                o.from = i * side + j, o.to = a * side + b;
                const Real length = 1.2; // km
                o.stdev = 0.002 * std::sqrt(length);
                o.value = truth[size_t(o.to)] - truth[size_t(o.from)] + o.stdev * noise(random);
                net.observations.push_back(o);
            }
    return net;
}

double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads, adjusts and writes one file as quorvil-cli network --json does; prints the stages.
void WholePath(const char *format, const QString &path)
{
    const auto start = std::chrono::steady_clock::now();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return;
    const SurveyFile file = ParseNetworkFile(in.readAll());
    const double read = Since(start);
    const Result result = Adjust(file.network);
    const double adjusted = Since(start);
    SurveyFile shown = file;
    shown.network = InNorthEast(file.network);
    WriteTextLines(path + QStringLiteral(".out.txt"), NetworkResultLines(shown, InNorthEast(file.network, result)));
    QFile json(path + QStringLiteral(".out.json"));
    if (json.open(QIODevice::WriteOnly))
        json.write(QByteArray::fromStdString(NetworkResultJson(file.network, result)));
    const double total = Since(start);
    std::printf("%-6s %8zu %12zu %10.3f %10.3f %10.3f %10.3f\n", format, file.network.points.size(), file.network.observations.size(),
                read, adjusted - read, total - adjusted, total);
}

// One file of Gama's suite through the whole path, then compared with gama-local's results.
void GamaSuiteFile(const QString &name)
{
    const QString folder = QStringLiteral(QUORVIL_SOURCE_DIR "/tests/io/data/gama/");
    const QString input = folder + QStringLiteral("input/") + name + QStringLiteral(".gkf");
    QTemporaryDir temporary;
    const QString copy = temporary.path() + QStringLiteral("/") + name + QStringLiteral(".gkf");
    if (!QFile::copy(input, copy)) {
        std::printf("%s: not found\n", qPrintable(input));
        return;
    }
    WholePath(".gkf", copy);
    QFile in(copy), xml(folder + QStringLiteral("gama-local-2.33/") + name + QStringLiteral(".xml"));
    if (!in.open(QIODevice::ReadOnly) || !xml.open(QIODevice::ReadOnly))
        return;
    const Network net = ParseGama(in.readAll());
    const Result r = Adjust(net);
    const testing::GamaReference gama = testing::ReadGamaReference(xml.readAll());
    double position = 0, axes = 0;
    for (size_t i = 0; i < net.points.size(); ++i) {
        const auto g = gama.points.find(net.points[i].id);
        if (g == gama.points.end() || !g->second.plane)
            continue;
        const PointResult &p = r.points[i];
        position = std::max({position, double(std::fabs(p.x - g->second.x)), double(std::fabs(p.y - g->second.y))});
        if (g->second.ellipse)
            axes = std::max({axes, double(std::fabs(p.ellipse.a * 1000 - g->second.major)), double(std::fabs(p.ellipse.b * 1000 - g->second.minor))});
    }
    std::printf("       %s: largest difference from gama-local: coordinates %.4f mm, ellipse axes %.4f mm; "
                "σ0 %.6Lf (Gama %s), dof %d (Gama %d)\n",
                qPrintable(name), position * 1000, axes, r.summary.sigma0Aposteriori, gama.sigma0Text.c_str(), r.summary.dof, gama.dof);
}

double Seconds(const Network &net, Result &result)
{
    const auto start = std::chrono::steady_clock::now();
    result = Adjust(net);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<int> sizes = {1000, 2000, 5000, 10000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes.push_back(std::atoi(argv[i]));
    }
    std::printf("plane networks (directions and distances), full precision results\n");
    std::printf("%8s %12s %10s %10s %10s %12s %10s\n", "points", "observations", "unknowns", "seconds", "s/point", "σ0 a post.", "rounds");
    for (int n : sizes) {
        const int side = int(std::lround(std::sqrt(double(n))));
        for (bool approximate : {false, true}) {
            const Network net = PlaneGrid(side, approximate);
            Result r;
            const double t = Seconds(net, r);
            std::printf("%8zu %12zu %10d %10.3f %10.2e %12.4Lf %10d%s\n", net.points.size(), net.observations.size(), r.summary.unknowns,
                        t, t / double(net.points.size()), r.summary.sigma0Aposteriori, r.summary.iterations,
                        approximate ? "  (approximate coordinates given)" : "");
        }
    }
    std::printf("\nlevelling networks\n");
    std::printf("%8s %12s %10s %10s\n", "points", "observations", "unknowns", "seconds");
    for (int n : {1000, 5000, 20000}) {
        const int side = int(std::lround(std::sqrt(double(n))));
        const Network net = LevellingGrid(side);
        Result r;
        const double t = Seconds(net, r);
        std::printf("%8zu %12zu %10d %10.3f\n", net.points.size(), net.observations.size(), r.summary.unknowns, t);
    }

    std::printf("\nthe whole path of a file: read and parse, adjust, write the table and the JSON (seconds)\n");
    std::printf("%-6s %8s %12s %10s %10s %10s %10s\n", "format", "points", "observations", "read", "adjust", "write", "total");
    QTemporaryDir temporary;
    const QString folder = qEnvironmentVariableIsSet("QUORVIL_BENCH_KEEP") ? qEnvironmentVariable("QUORVIL_BENCH_KEEP") : temporary.path();
    QDir().mkpath(folder);
    for (int n : {2000, 10000}) {
        SurveyFile file;
        file.network = PlaneGrid(int(std::lround(std::sqrt(double(n)))), false, true);
        const QString gama = QStringLiteral("%1/mesh%2.gkf").arg(folder).arg(n), own = QStringLiteral("%1/mesh%2.txt").arg(folder).arg(n);
        QFile out(gama);
        if (out.open(QIODevice::WriteOnly))
            out.write(GamaXml(file.network));
        out.close();
        WriteTextLines(own, ObservationFileLines(file));
        WholePath(".gkf", gama);
        WholePath(".txt", own);
    }
    for (const char *name : {"extra-tests_railway-survey", "extra-tests_railway-survey-with-aproximate-xy"})
        GamaSuiteFile(QString::fromLatin1(name));
    return 0;
}
