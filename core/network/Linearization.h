// The unknowns and the rows of the design matrix (private to core/network).
//
// Each observation lᵢ with standard deviation σᵢ, linearised at the current values ξ⁰, gives the
// row aᵢ dξ = (lᵢ − fᵢ(ξ⁰)) + vᵢ with aᵢ = ∂fᵢ/∂ξ; the caller divides by σᵢ (or, for a block of
// correlated observations, by the Cholesky factor of its covariance) before the normal equations.
#pragma once

#include "State.h"

namespace quorvil::network {

// Numbers the unknowns: N, E of the adjusted plane points and H of the adjusted heights, in the
// order of the points, then one orientation per direction set that has directions.
void NumberUnknowns(State &state);

// The coefficients of one point's coordinates in a row.
struct PointTerm {
    int point = -1;
    double n = 0, e = 0, h = 0;
};

// Which of a point's coordinates a row is a function of.
enum RowTerms : unsigned char {
    PlaneTerms = 1,  // N and E
    HeightTerms = 2, // H
};

// One linearised observation: the coefficients of its points (in the order PointsOf gives
// them) and of its set's orientation, before division by σ, and fᵢ(ξ⁰).
struct Row {
    int count = 0;
    PointTerm terms[ObservationPoints::Capacity];
    unsigned char uses = 0; // RowTerms
    int set = -1;           // direction set whose orientation the row has, or −1
    double orientation = 0; // its coefficient
    Real computed = 0;      // fᵢ(ξ⁰), internal sense
};

// Throws Error when two points the observation needs apart coincide.
Row Linearize(const State &state, const Observation &o);

// The misclosure l − f in the observation's units, internal sense (angles into (−π, π]).
Real Misclosure(const Observation &o, Real internalValue, const Row &r);

// The unknowns of a row with their coefficients (before division by σ), f(unknown, coefficient):
// point by point N, E then H, the orientation last.
template <typename F>
void ForEachTerm(const Row &r, const Unknowns &unknowns, F f)
{
    for (int k = 0; k < r.count; ++k) {
        const PointTerm &t = r.terms[k];
        if (r.uses & PlaneTerms) {
            const int u = unknowns.plane[size_t(t.point)];
            if (u >= 0) {
                f(u, t.n);
                f(u + 1, t.e);
            }
        }
        if (r.uses & HeightTerms) {
            const int u = unknowns.height[size_t(t.point)];
            if (u >= 0)
                f(u, t.h);
        }
    }
    if (r.set >= 0 && unknowns.orientation[size_t(r.set)] >= 0)
        f(unknowns.orientation[size_t(r.set)], r.orientation);
}

// Refuses a network in which `unknown` is not determined, naming its point or direction set.
[[noreturn]] void SingularUnknown(const State &state, int unknown);

} // namespace quorvil::network
