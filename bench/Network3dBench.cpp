// Speed of the rigorous adjustment of a 3D total-station network, the whole path of a user's
// file as the command line takes it: a generated mesh of triangles over rolling terrain (heights
// 100 m ± 40 m, points 300 m apart; each point has six neighbours), every side observed once, from
// its lower end, by a direction, a slope distance and a zenith angle (about nine observations a
// point); then again with the directions taken both ways (a set to all six neighbours, about
// twelve a point); instrument and target heights of 1.4–1.7 m; a known point (x, y, z)
// every tenth row and column; observations from the true coordinates with normal noise (2″,
// 2 mm + 2 ppm, 3″); no approximate coordinates or heights (the engine computes them). The file
// is written as GNU Gama's gama-local (.gkf), then read and parsed, adjusted (every point's ellipse
// and height error, relative ellipses, redundancy numbers, w tests), and the result table and the
// JSON written. Prints wall and CPU seconds of each stage (the machine may be shared: CPU time is
// the measure), and the largest coordinate and height error against the true values.
//
//   build/bin/Network3dBench [points…]       (default 2,000 and 10,000)
#include "core/network/Network.h"
#include "io/PointFile.h"
#include "io/survey/GamaFile.h"
#include "io/survey/NetworkOutput.h"
#include "io/survey/ObservationFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

using namespace quorvil;
using namespace quorvil::network;

namespace {

struct Mesh {
    Network net;
    std::vector<Real> x, y, z; // true coordinates
};

Mesh SpatialMesh(int side, bool directionsBothWays)
{
    Mesh m;
    Network &net = m.net;
    std::mt19937_64 random(31);
    std::normal_distribution<double> noise(0, 1);
    std::uniform_real_distribution<double> height(1.4, 1.7);
    const Real spacing = 300, sigmaDirection = 2 * Pi / 648000, sigmaZenith = 3 * Pi / 648000;
    const auto index = [&](int i, int j) { return i * side + j; };
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            Point p;
            p.id = "T" + std::to_string(i) + "_" + std::to_string(j);
            const Real x = 3000000 + i * spacing + 30 * std::sin(j * 0.7 + i), y = 500000 + j * spacing + 30 * std::cos(i * 0.9 + j);
            const Real z = 100 + 25 * std::sin(i * 0.31) + 15 * std::cos(j * 0.23 + i * 0.05);
            m.x.push_back(x), m.y.push_back(y), m.z.push_back(z);
            const bool known = i % 10 == 0 && j % 10 == 0;
            p.plane = p.height = known ? Role::Fixed : Role::Adjusted;
            if (known)
                p.x = x, p.y = y, p.z = z, p.hasXY = p.hasZ = true;
            net.points.push_back(p);
        }
    std::vector<Real> instrument(net.points.size());
    for (Real &h : instrument)
        h = height(random);
    const int steps[6][2] = {{0, 1}, {1, 0}, {1, 1}, {0, -1}, {-1, 0}, {-1, -1}};
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j) {
            const int st = index(i, j);
            const int set = int(net.sets.size());
            net.sets.push_back({st, 0});
            for (int k = 0; k < 6; ++k) {
                const int a = i + steps[k][0], b = j + steps[k][1];
                if (a < 0 || b < 0 || a >= side || b >= side)
                    continue;
                if (k >= 3 && !directionsBothWays)
                    break;
                const int to = index(a, b);
                const Real dx = m.x[size_t(to)] - m.x[size_t(st)], dy = m.y[size_t(to)] - m.y[size_t(st)];
                Observation d;
                d.kind = ObservationKind::Direction, d.set = set, d.to = to, d.stdev = sigmaDirection;
                d.value = Normal(std::atan2(dy, dx) + d.stdev * noise(random));
                net.observations.push_back(d);
                if (k >= 3)
                    continue; // each side's spatial observations once
                const Real target = height(random);
                const Real dz = m.z[size_t(to)] + target - m.z[size_t(st)] - instrument[size_t(st)];
                const Real s = std::sqrt(dx * dx + dy * dy + dz * dz);
                Observation o;
                o.from = st, o.to = to, o.fromDh = instrument[size_t(st)], o.toDh = target;
                o.kind = ObservationKind::SlopeDistance;
                o.stdev = 0.002 + 2e-6 * s;
                o.value = s + o.stdev * noise(random);
                net.observations.push_back(o);
                o.kind = ObservationKind::ZenithAngle;
                o.stdev = sigmaZenith;
                o.value = std::atan2(std::hypot(dx, dy), dz) + o.stdev * noise(random);
                net.observations.push_back(o);
            }
        }
    return m;
}

struct Clock {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
    double wallSince() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(); }
    double cpuSince() const { return double(std::clock() - cpu) / CLOCKS_PER_SEC; }
};

} // namespace

int main(int argc, char *argv[])
{
    std::vector<int> sizes = {2000, 10000};
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes.push_back(std::atoi(argv[i]));
    }
    QTemporaryDir folder;
    std::printf("3D networks, the whole path of a .gkf: read and parse, adjust, write the table and the JSON (seconds, CPU and wall)\n");
    std::printf("%8s %12s %13s %13s %13s %13s %11s %11s %7s\n", "points", "observations", "read", "adjust", "write", "total",
                "max dxy mm", "max dz mm", "rounds");
    for (int run = 0; run < 2 * int(sizes.size()); ++run) {
        const int n = sizes[size_t(run) % sizes.size()];
        const bool bothWays = run >= int(sizes.size());
        const Mesh mesh = SpatialMesh(int(std::lround(std::sqrt(double(n)))), bothWays);
        const QString path = QStringLiteral("%1/mesh3d-%2.gkf").arg(folder.path()).arg(n);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(GamaXml(mesh.net));
        out.close();

        const Clock start;
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            return 1;
        const SurveyFile file = ParseNetworkFile(in.readAll());
        const double readCpu = start.cpuSince(), readWall = start.wallSince();
        const Result result = Adjust(file.network);
        const double adjustCpu = start.cpuSince(), adjustWall = start.wallSince();
        SurveyFile shown = file;
        shown.network = InNorthEast(file.network);
        WriteTextLines(path + QStringLiteral(".out.txt"), NetworkResultLines(shown, InNorthEast(file.network, result)));
        QFile json(path + QStringLiteral(".out.json"));
        if (json.open(QIODevice::WriteOnly))
            json.write(QByteArray::fromStdString(NetworkResultJson(file.network, result)));
        json.close();
        const double totalCpu = start.cpuSince(), totalWall = start.wallSince();

        double plane = 0, height = 0;
        for (size_t p = 0; p < result.points.size(); ++p) {
            plane = std::max(plane, double(std::hypot(result.points[p].x - mesh.x[p], result.points[p].y - mesh.y[p])));
            height = std::max(height, double(std::fabs(result.points[p].z - mesh.z[p])));
        }
        const auto pair = [](double cpu, double wall) {
            static char text[4][32];
            static int k = 0;
            char *t = text[k++ % 4];
            std::snprintf(t, 32, "%.2f/%.2f", cpu, wall);
            return t;
        };
        std::printf("%8zu %12zu %13s %13s %13s %13s %11.2f %11.2f %7d\n", file.network.points.size(), file.network.observations.size(),
                    pair(readCpu, readWall), pair(adjustCpu - readCpu, adjustWall - readWall), pair(totalCpu - adjustCpu, totalWall - adjustWall),
                    pair(totalCpu, totalWall), plane * 1000, height * 1000, result.summary.iterations);
        std::printf("         %s; σ0 a posteriori %.4Lf (a priori %.1Lf), %d degrees of freedom\n",
                    bothWays ? "directions both ways" : "each side once", result.summary.sigma0Aposteriori, result.summary.sigma0Apriori,
                    result.summary.dof);
    }
    return 0;
}
