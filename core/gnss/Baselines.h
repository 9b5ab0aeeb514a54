// The records of a GNSS control network: the baselines as the receiver maker's software gives
// them (Earth-centred Cartesian components and their full 3×3 covariance, in metres and m²), the
// points they join, and the grade whose limits the checks apply.
#pragma once

#include "core/Real.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvil::gnss {

// The six distinct entries of a symmetric 3×3 covariance: xx, xy, xz, yy, yz, zz (m²).
using Covariance3 = std::array<Real, 6>;

// The covariance of standard deviations σ and correlations ρXY, ρXZ, ρYZ.
Covariance3 CovarianceOf(Real sx, Real sy, Real sz, Real rxy, Real rxz, Real ryz);
// Whether the covariance is positive definite (its leading minors are all positive).
bool IsPositiveDefinite(const Covariance3 &c);

struct Baseline {
    std::string session; // 时段: the baselines of one session were observed together
    int from = -1, to = -1; // indices into BaselineNetwork::points
    std::array<Real, 3> d{}; // ΔX, ΔY, ΔZ = to − from, metres
    Covariance3 cov{};
    int line = 0; // line of the source file (0: none), for messages

    Real length() const;
};

struct BaselineNetwork {
    std::vector<std::string> points; // names, in order of first appearance
    std::vector<Baseline> baselines;

    // The index of a name, added when new.
    int pointIndex(const std::string &name);
    // The index of a name, or −1.
    int find(const std::string &name) const;

private:
    std::unordered_map<std::string, int> m_index;
};

// The grades of satellite-positioning control networks and their baseline accuracy
// σ = √(a² + (b·d)²), a in mm, b in mm/km, d in km (GradeLimits.cpp traces them to the standard).
struct Grade {
    std::string name; // 二等, 三等, 四等, 一级, 二级
    Real a = 0;       // fixed error, mm
    Real b = 0;       // proportional error, mm/km
    // σ of a baseline of `length` metres, in metres.
    Real sigma(Real length) const;
};

// The grades in the order of the standard's table.
const std::vector<Grade> &Grades();
// The grade a text names ("二级", "二级网", "四等"), or none.
std::optional<Grade> GradeOf(std::string_view text);
inline constexpr std::string_view DefaultGradeName = "二级";

} // namespace quorvil::gnss
