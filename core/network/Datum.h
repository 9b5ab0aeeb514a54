// The datum of the adjustment (private to core/network): the connected parts of the network, the
// datum defect each leaves (the motions that change no observation and no fixed point), the
// constrained points that take it, and the S-transformation to their minimum-norm solution.
#pragma once

#include "Factorization.h"
#include "State.h"

#include <Eigen/Dense>

#include <utility>
#include <vector>

namespace quorvil::network {

// A sparse column over the unknowns: (unknown, value) pairs.
using DatumColumn = std::vector<std::pair<int, double>>;

// A connected part of the plane network with a defect: its points and direction sets, the
// centroid and scale its candidate motions are taken about, and the null vectors v (4 × d) in the
// basis of those motions (translations in N and E, rotation, scale).
struct PlanePart {
    std::vector<int> points, sets;
    Real cn = 0, ce = 0, scale = 1;
    Eigen::MatrixXd v;
};

// A levelling part without a fixed height: its one null vector is the equal shift of its heights.
struct HeightPart {
    std::vector<int> points;
};

// A connected part of the network that spatial observations (slope distances, zenith angles) tie
// in plane and height together, with a defect: its points (and which of their dimensions belong
// to it), direction sets, the centroid and scale of its candidate motions, and the null vectors v
// (8 × d) in the basis of those motions (translations in N, E and H, rotation about the vertical,
// horizontal scale, vertical scale, rotations about the N and E axes).
struct SpacePart {
    std::vector<int> points;
    std::vector<char> plane, height; // per entry of points: its plane / height belongs to the part
    std::vector<int> sets;
    Real cn = 0, ce = 0, ch = 0, scale = 1;
    Eigen::MatrixXd v;
};

struct Datum {
    std::vector<PlanePart> planeParts;
    std::vector<HeightPart> heightParts;
    std::vector<SpacePart> spaceParts;
    int defect = 0;
    // H (the null space) and E (H restricted to the constrained coordinates) at the current
    // coordinates, one column per null vector.
    std::vector<DatumColumn> h, e;
    Eigen::MatrixXd g; // (EᵀH)⁻¹
};

// The parts and their null vectors at the current coordinates, with H and E. Needs the unknowns.
Datum AnalyseDatum(const State &state);

// H and E at the current coordinates.
void UpdateDatumColumns(const State &state, Datum &datum);

// Holds one well-chosen coordinate per null vector (rows of H with the largest pivots) and
// numbers the unknowns of the regular reduced system (Unknowns::reduced). Throws Error when a
// part with a defect has no constrained points.
void HoldDatumUnknowns(State &state, const Datum &datum);

// Datum::g from H and E over `unknowns` unknowns. Throws Error when the constrained points cannot
// carry the datum.
void InvertDatumProduct(Datum &datum, int unknowns);

// The minimum-norm correction: dξ = dξ₀ − H (EᵀH)⁻¹ Eᵀ (Δ + dξ₀), Δ the corrections so far.
void STransform(const Datum &datum, const std::vector<double> &total, Eigen::VectorXd &dx);

// The terms the S-transformation adds to the entries of Q₀ (the inverse of the reduced normal
// matrix): with K = H(EᵀH)⁻¹ and U = Q₀E, M = EᵀU,
//   Q_E[a,b] = Q₀[a,b] − K_a·U_b − U_a·K_b + K_a M K_bᵀ.
struct DatumCofactors {
    Eigen::MatrixXd u, k, m;
    // Q₀[a,b] made Q_E[a,b].
    void apply(double &value, int a, int b) const
    {
        value -= k.row(a).dot(u.row(b)) + u.row(a).dot(k.row(b));
        value += k.row(a) * m * k.row(b).transpose();
    }
};
DatumCofactors DatumCofactorsOf(const Datum &datum, const Unknowns &unknowns, const Factorization &factor);

} // namespace quorvil::network
