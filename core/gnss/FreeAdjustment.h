// The free (unconstrained) adjustment of a GNSS network in Earth-centred Cartesian coordinates.
//
// Unknowns: X, Y, Z of every point but the one held. Each baseline observes the difference of its
// two points, ΔX, ΔY, ΔZ, with its full 3×3 covariance as the inverse of its weight (σ0 a priori
// 1). The model is linear: the approximate coordinates carried from the held point along a
// spanning tree of the baselines are corrected by one solution of the normal equations
// (BlockSystem.h). Results as the network engine gives them: σ0 a posteriori and the χ² test of
// σ̂0/σ0, each component's residual, redundancy rᵢ = (Qvv P)ᵢᵢ, standardised residual
// wᵢ = (P v)ᵢ / √(P Qvv P)ᵢᵢ — Baarda's test of one component of a correlated group, which for
// uncorrelated components is vᵢ / σvᵢ — and minimal detectable bias δ0 / √(P Qvv P)ᵢᵢ; each
// point's X, Y, Z with their errors, and B, L, H with the errors turned to north, east and up.
// Residuals are also checked against 3σ of the grade (GB 50026-2020 §3.2: V ≤ 3σ per component).
#pragma once

#include "Baselines.h"

#include "core/Cartesian.h"
#include "core/network/Types.h"

#include <array>
#include <string>
#include <vector>

namespace quorvil::gnss {

// The grade's limit of a residual component: V ≤ 3σ.
inline constexpr Real ResidualSigmaFactor = 3;

struct FreePoint {
    bool held = false;
    Real X = 0, Y = 0, Z = 0;
    Covariance3 cov{};      // of X, Y, Z, m² (σ0 used)
    Real sX = 0, sY = 0, sZ = 0;
    Real B = 0, L = 0, H = 0; // degrees, degrees, metres
    Real sN = 0, sE = 0, sU = 0; // the errors turned to north, east and up, metres
    network::Ellipse horizontal;   // of north and east, φ from north towards east
};

struct Component {
    Real residual = 0;   // v, metres
    Real redundancy = 0;
    bool tested = false;
    Real w = 0;
    Real mdb = 0;        // metres
};

struct BaselineResult {
    std::array<Component, 3> c;
    std::array<Real, 3> adjusted{};
    Real gradeSigma = 0;  // σ of the grade for the baseline's length
    bool withinGrade = true; // every |v| ≤ 3σ
};

struct AdjustmentSummary {
    int observations = 0, unknowns = 0, dof = 0;
    Real vtpv = 0, sigma0Apriori = 1, sigma0Aposteriori = 0;
    bool aposterioriUsed = true;
    network::ChiSquareTest chi2;
    Real wCritical = 0;
    int suspect = -1; // baseline with the largest |w| beyond the critical value, or −1
};

struct FreeSettings {
    Real confidence = 0.95;  // of the χ² test
    bool aposteriori = true; // σ0 of the errors
};

struct FreeResult {
    AdjustmentSummary summary;
    int held = -1;
    std::vector<FreePoint> points;
    std::vector<BaselineResult> baselines;
};

// Adjusts the network with point `held` at `at`. Throws Error when the baselines do not join
// every point to the held one or a covariance is not positive definite (naming its line).
FreeResult AdjustFree(const BaselineNetwork &network, int held, const CartesianXYZ &at, const Grade &grade,
                      const Ellipsoid &ellipsoid, const FreeSettings &settings = {});

// Geodetic B, L (degrees, longitude −180…180) and H of Earth-centred coordinates.
GeodeticBLH GeodeticOf(const Ellipsoid &ellipsoid, const CartesianXYZ &xyz);

// The baseline as text for messages: "A→B (时段 1, 第 12 行)".
std::string BaselineName(const BaselineNetwork &network, int baseline);

} // namespace quorvil::gnss
