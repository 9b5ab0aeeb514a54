// The covariance of a baseline and the grades' baseline accuracy.
//
// The grades are the rows of GB 50026-2020 工程测量标准, §3.2 卫星定位测量, the table of the main
// technical requirements of satellite-positioning control networks: fixed error A (mm) and
// proportional error coefficient B (mm/km) of each grade,
//   二等 A ≤ 10, B ≤ 2;  三等 10, 5;  四等 10, 10;  一级 10, 20;  二级 10, 40,
// and the baseline accuracy of §3.2 σ = √(A² + (B·d)²) with d the baseline length in km.
#include "Baselines.h"

#include <algorithm>
#include <cmath>

namespace quorvil::gnss {

Covariance3 CovarianceOf(Real sx, Real sy, Real sz, Real rxy, Real rxz, Real ryz)
{
    return {sx * sx, rxy * sx * sy, rxz * sx * sz, sy * sy, ryz * sy * sz, sz * sz};
}

bool IsPositiveDefinite(const Covariance3 &c)
{
    const Real m1 = c[0];
    const Real m2 = c[0] * c[3] - c[1] * c[1];
    const Real m3 = c[0] * (c[3] * c[5] - c[4] * c[4]) - c[1] * (c[1] * c[5] - c[4] * c[2]) +
                    c[2] * (c[1] * c[4] - c[3] * c[2]);
    // relative to the scale of the entries, so that a covariance of mm² is no less definite than
    // one of m², while a numerically singular one is refused
    const Real scale = std::max({c[0], c[3], c[5]});
    return m1 > 0 && m2 > 1e-12L * scale * scale && m3 > 1e-12L * scale * scale * scale;
}

Real Baseline::length() const
{
    return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

int BaselineNetwork::pointIndex(const std::string &name)
{
    const auto [it, added] = m_index.try_emplace(name, int(points.size()));
    if (added)
        points.push_back(name);
    return it->second;
}

int BaselineNetwork::find(const std::string &name) const
{
    const auto it = m_index.find(name);
    return it == m_index.end() ? -1 : it->second;
}

const std::vector<Grade> &Grades()
{
    static const std::vector<Grade> grades{
        {"二等", 10, 2}, {"三等", 10, 5}, {"四等", 10, 10}, {"一级", 10, 20}, {"二级", 10, 40}};
    return grades;
}

std::optional<Grade> GradeOf(std::string_view text)
{
    for (const Grade &g : Grades())
        if (text.substr(0, g.name.size()) == g.name) // "二级网", "二级GNSS网"
            return g;
    return std::nullopt;
}

Real Grade::sigma(Real length) const
{
    const Real km = length / 1000;
    return std::sqrt(a * a + (b * km) * (b * km)) / 1000;
}

} // namespace quorvil::gnss
