// A GNSS network generated from known geodetic coordinates, with its truth computed by
// GeographicLib (test-only): Earth-centred coordinates by Geocentric and the national grid by its
// Transverse Mercator (Krüger's series to n⁶, scale 1 on the central meridian).
//
// Points on a rows × columns lattice around 34.5° N, 117.4° E (central meridian 117°), `spacing`
// metres apart, heights 40–260 m. One session per lattice cell with its four corners observed
// together, every pair of them a baseline (six a session), so that the inner sides are repeated
// baselines of two sessions. Each baseline gets a covariance of σ = σ_fixed + ppm·d with
// correlations, and — unless `noise` is zero — an error drawn from `noise` times that covariance.
#pragma once

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/TransverseMercator.hpp>

#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace quorvil::test {

struct SamplePoint {
    std::string name;
    double B = 0, L = 0, h = 0;
    double X = 0, Y = 0, Z = 0;
    double x = 0, y = 0; // national grid, y with 500 000 m
};

struct SampleBaseline {
    std::string session;
    int from = 0, to = 0;
    std::array<double, 3> d{};     // observed ΔX, ΔY, ΔZ
    std::array<double, 3> sigma{}; // m
    std::array<double, 3> rho{};   // ρXY, ρXZ, ρYZ
};

struct GnssSample {
    std::vector<SamplePoint> points;
    std::vector<SampleBaseline> baselines;
    double centralMeridian = 117;
};

inline constexpr double SampleA = 6378137.0, SampleF = 1 / 298.257222101; // CGCS2000

inline GnssSample MakeGnssSample(int rows, int columns, double spacing, double noise, unsigned seed = 7)
{
    GnssSample s;
    const GeographicLib::Geocentric earth(SampleA, SampleF);
    const GeographicLib::TransverseMercator tm(SampleA, SampleF, 1.0);
    const double B0 = 34.5, L0 = 117.4;
    const double metresPerDegree = 111000.0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            SamplePoint p;
            p.name = (r * columns + c) % 5 == 0 ? "G" + std::to_string(r * columns + c + 1)
                                                : "点" + std::to_string(r * columns + c + 1);
            // a lattice slightly sheared so that no two sides are alike
            p.B = B0 + (r * spacing + 0.07 * c * spacing) / metresPerDegree;
            p.L = L0 + (c * spacing - 0.05 * r * spacing) / (metresPerDegree * std::cos(B0 * M_PI / 180));
            p.h = 40 + 220 * std::fabs(std::sin(1.3 * r + 0.7 * c));
            earth.Forward(p.B, p.L, p.h, p.X, p.Y, p.Z);
            double gamma, k;
            tm.Forward(s.centralMeridian, p.B, p.L, p.y, p.x, gamma, k);
            p.y += 500000;
            s.points.push_back(p);
        }
    std::mt19937 random(seed);
    auto normal = [&]() {
        const double u1 = (random() + 0.5) / 4294967296.0, u2 = (random() + 0.5) / 4294967296.0;
        return std::sqrt(-2 * std::log(u1)) * std::cos(2 * M_PI * u2);
    };
    int session = 0;
    for (int r = 0; r + 1 < rows; ++r)
        for (int c = 0; c + 1 < columns; ++c) {
            ++session;
            const int corner[4] = {r * columns + c, r * columns + c + 1, (r + 1) * columns + c + 1, (r + 1) * columns + c};
            for (int i = 0; i < 4; ++i)
                for (int j = i + 1; j < 4; ++j) {
                    SampleBaseline b;
                    b.session = std::to_string(session);
                    b.from = corner[i], b.to = corner[j];
                    const SamplePoint &f = s.points[size_t(b.from)], &t = s.points[size_t(b.to)];
                    const double d[3] = {t.X - f.X, t.Y - f.Y, t.Z - f.Z};
                    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                    b.sigma = {0.002 + 0.5e-6 * length, 0.003 + 0.8e-6 * length, 0.0025 + 0.6e-6 * length};
                    b.rho = {0.35 - 0.02 * (i + j), -0.2, 0.4};
                    // error drawn through the Cholesky factor of the covariance
                    const double sx = b.sigma[0], sy = b.sigma[1], sz = b.sigma[2];
                    const double cxy = b.rho[0] * sx * sy, cxz = b.rho[1] * sx * sz, cyz = b.rho[2] * sy * sz;
                    const double l11 = sx, l21 = cxy / l11, l31 = cxz / l11;
                    const double l22 = std::sqrt(sy * sy - l21 * l21), l32 = (cyz - l31 * l21) / l22;
                    const double l33 = std::sqrt(sz * sz - l31 * l31 - l32 * l32);
                    const double z1 = normal(), z2 = normal(), z3 = normal();
                    b.d = {d[0] + noise * l11 * z1, d[1] + noise * (l21 * z1 + l22 * z2),
                           d[2] + noise * (l31 * z1 + l32 * z2 + l33 * z3)};
                    s.baselines.push_back(b);
                }
        }
    return s;
}

// The baselines as the CSV file of the program: 时段,起点,终点,ΔX,ΔY,ΔZ,σΔX,σΔY,σΔZ,ρXY,ρXZ,ρYZ.
inline std::string SampleCsv(const GnssSample &s)
{
    std::string text = "# 时段,起点,终点,ΔX,ΔY,ΔZ,σΔX,σΔY,σΔZ,ρXY,ρXZ,ρYZ\n";
    char line[512];
    for (const SampleBaseline &b : s.baselines) {
        std::snprintf(line, sizeof line, "%s,%s,%s,%.5f,%.5f,%.5f,%.5f,%.5f,%.5f,%.3f,%.3f,%.3f\n", b.session.c_str(),
                      s.points[size_t(b.from)].name.c_str(), s.points[size_t(b.to)].name.c_str(), b.d[0], b.d[1],
                      b.d[2], b.sigma[0], b.sigma[1], b.sigma[2], b.rho[0], b.rho[1], b.rho[2]);
        text += line;
    }
    return text;
}

} // namespace quorvil::test
