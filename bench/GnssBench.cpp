// Speed of the GNSS network tool on a generated network, along the whole path of a user's files:
// a lattice of rows × columns points 1.5 km apart around 34.5° N, 117.4° E; per lattice cell one
// session of three baselines (the right and upper sides and a diagonal) and every twentieth cell's
// sides observed again in a session of their own (repeated baselines); baselines from the true
// coordinates with errors drawn from their covariances (3 mm + 0.5 ppm, correlated); known points
// every tenth row and column in the national grid (central meridian 117°).
// Timed: writing the files' text, reading and parsing them, the checks (repeated baselines, loops),
// the free adjustment, the constrained adjustment, and the result table and JSON written.
//
//   build/bin/GnssBench [rows columns]     (default 40 × 50: 2,000 points, about 6,000 baselines)
#include "core/Cartesian.h"
#include "core/GaussKruger.h"
#include "core/gnss/Job.h"
#include "io/FileAccess.h"
#include "io/PointFile.h"
#include "io/survey/BaselineFile.h"
#include "io/survey/GnssOutput.h"

#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

using namespace quorvil;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

} // namespace

int main(int argc, char **argv)
{
    const int rows = argc > 2 ? std::atoi(argv[1]) : 40, columns = argc > 2 ? std::atoi(argv[2]) : 50;
    const Ellipsoid cgcs{6378137.0L, 6356752.3141403558478521068615295L};
    const GaussKrugerSeries gauss(cgcs);
    const Real spacing = 1500;
    std::vector<CartesianXYZ> xyz;
    std::vector<PlaneXY> grid;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const Real B = 34.5L + r * spacing / 111000, L = 117.4L + c * spacing / (111000 * std::cos(DegToRad(34.5L)));
            const Real h = 50 + 200 * std::fabs(std::sin(0.3 * r + 0.2 * c));
            xyz.push_back(GeodeticToCartesian(cgcs, B, L, h));
            PlaneXY g = gauss.Forward(B, L - 117);
            g.y += 500000;
            grid.push_back(g);
        }
    auto name = [](int p) { return "P" + std::to_string(p + 1); };
    std::mt19937_64 random(34);
    std::normal_distribution<double> normal(0, 1);
    std::string csv = "# 时段,起点,终点,ΔX,ΔY,ΔZ,σΔX,σΔY,σΔZ,ρXY,ρXZ,ρYZ\n";
    int baselines = 0, session = 0;
    char line[320];
    auto baseline = [&](int from, int to, int s) {
        const Real d[3] = {xyz[size_t(to)].X - xyz[size_t(from)].X, xyz[size_t(to)].Y - xyz[size_t(from)].Y,
                           xyz[size_t(to)].Z - xyz[size_t(from)].Z};
        const Real length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const double sigma = double(0.003 + 0.5e-6 * length), rho = 0.3;
        // correlated error: a common part and an own part of each component
        const double common = normal(random);
        double e[3];
        for (double &v : e)
            v = sigma * (std::sqrt(rho) * common + std::sqrt(1 - rho) * normal(random));
        std::snprintf(line, sizeof line, "%d,%s,%s,%.5f,%.5f,%.5f,%.5f,%.5f,%.5f,%.2f,%.2f,%.2f\n", s, name(from).c_str(),
                      name(to).c_str(), double(d[0]) + e[0], double(d[1]) + e[1], double(d[2]) + e[2], sigma, sigma, sigma,
                      rho, rho, rho);
        csv += line;
        ++baselines;
    };
    const auto t0 = Clock::now();
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            const int p = r * columns + c;
            ++session;
            baseline(p, p + 1, session);
            baseline(p, p + columns, session);
            baseline(p, p + columns + 1, session);
            if ((r * columns + c) % 20 == 0) {
                ++session;
                baseline(p, p + 1, session);
                baseline(p + columns, p, session);
            }
        }
    for (int r = 0; r < rows; ++r) // the last column's upper sides
        if (r + 1 < rows)
            baseline(r * columns + columns - 1, (r + 1) * columns + columns - 1, ++session);
    for (int c = 0; c + 1 < columns; ++c) // the last row's right sides
        baseline((rows - 1) * columns + c, (rows - 1) * columns + c + 1, ++session);
    std::string known = "# 点名,X,Y\n";
    int knownCount = 0;
    for (int r = 0; r < rows; r += 10)
        for (int c = 0; c < columns; c += 10) {
            const PlaneXY &g = grid[size_t(r * columns + c)];
            std::snprintf(line, sizeof line, "%s,%.4f,%.4f\n", name(r * columns + c).c_str(), double(g.x), double(g.y));
            known += line;
            ++knownCount;
        }
    const double generate = Seconds(t0);

    QTemporaryDir dir;
    WriteFileAtomically(dir.filePath("baselines.csv"), QByteArray::fromStdString(csv));
    WriteFileAtomically(dir.filePath("known.csv"), QByteArray::fromStdString(known));

    const auto t1 = Clock::now();
    gnss::Job job;
    job.network = ParseBaselines(ReadWholeFile(dir.filePath("baselines.csv")));
    job.known = ParseKnownPoints(ReadWholeFile(dir.filePath("known.csv")));
    job.grid.ellipsoid = cgcs;
    job.grid.centralMeridian = 117;
    job.grade = *gnss::GradeOf("一级");
    const double read = Seconds(t1);

    gnss::JobResults results;
    const auto t2 = Clock::now();
    results.checks = gnss::CheckBaselines(job.network, job.grade);
    const double checks = Seconds(t2);
    const auto t3 = Clock::now();
    const auto [held, at] = gnss::HeldPoint(job);
    results.free = gnss::AdjustFree(job.network, held, at, job.grade, cgcs);
    const double free = Seconds(t3);
    const auto t4 = Clock::now();
    results.constrained = gnss::AdjustConstrained(job.network, results.free, job.known, job.grid, job.grade);
    const double constrained = Seconds(t4);

    const auto t5 = Clock::now();
    LineWriter writer;
    for (const QString &text : GnssResultLines(job, results))
        writer.addLine(text);
    WriteFileAtomically(dir.filePath("result.txt"), writer.bytes());
    WriteFileAtomically(dir.filePath("result.json"), QByteArray::fromStdString(GnssResultJson(job, results)));
    const double write = Seconds(t5);

    std::printf("GNSS network: %zu points, %d baselines (%d sessions), %d known points; %zu repeated pairs, %zu loops\n",
                job.network.points.size(), baselines, session, knownCount, results.checks.repeated.size(),
                results.checks.loops.size());
    std::printf("  generate %.3f s; read %.3f s; checks %.3f s; free %.3f s; constrained %.3f s; write %.3f s\n", generate,
                read, checks, free, constrained, write);
    std::printf("  reader + adjustments (free and constrained) + writer: %.3f s; with the checks: %.3f s\n",
                read + free + constrained + write, read + checks + free + constrained + write);
    std::printf("  σ0 free %.4f, constrained %.4f; rotation %.4f″, scale %.4f ppm\n",
                double(results.free.summary.sigma0Aposteriori), double(results.constrained->summary.sigma0Aposteriori),
                double(results.constrained->rotation * 648000 / Pi), double(results.constrained->scale * 1e6));
    return 0;
}
