// The constrained adjustment of a GNSS network onto the known points of a plane grid (二维约束平差).
//
// Every point of the free solution (FreeAdjustment.h) is projected into the grid (Gauss–Krüger
// with the grid's central meridian and y constant, on the ellipsoid enlarged to pass through the
// projection height at the network's mean latitude, as the compensation plane does); every
// baseline becomes the grid difference of its two points, with the 2×2 covariance carried from its
// 3×3 covariance through the derivatives of that mapping. The adjustment holds the known points
// and estimates the new points with a rotation θ and a scale m of the GNSS network against the grid:
//   x_j − x_i = Δx + a·Δx − b·Δy,   y_j − y_i = Δy + b·Δx + a·Δy,
//   1 + a = (1 + m) cos θ,   b = (1 + m) sin θ  (θ from +x towards +y),
// linear in the unknowns (Δ enters the small terms a·Δ, b·Δ as observed). In the national grid θ
// and m come out near zero; in a local independent grid, turned and scaled against the projection,
// they take that turn and scale. With one known point θ and m cannot be estimated: they are held at
// zero. The known points are checked against each other first: the free grid coordinates fitted
// to them by a plane similarity, each known point's residual of that fit; one beyond three times
// the grade's σ of the network's mean baseline is named ("K3 残差 45 mm").
#pragma once

#include "FreeAdjustment.h"

#include "core/Ellipsoid.h"
#include "core/GaussKruger.h"
#include "core/network/Types.h"

#include <string>
#include <vector>

namespace quorvil::gnss {

struct GridSettings {
    Ellipsoid ellipsoid;
    Real centralMeridian = 0;   // degrees
    Real yConstant = 500000;    // added to y, metres
    Real projectionHeight = 0;  // ellipsoidal height of the projection surface, metres
};

struct KnownPoint {
    std::string name;
    Real x = 0, y = 0;   // grid, y with the constant, metres
    bool hasH = false;
    Real H = 0;          // normal height, metres
    int line = 0;
};

struct ConstrainedPoint {
    bool known = false;
    Real x = 0, y = 0;   // grid, y with the constant
    Real sx = 0, sy = 0, sp = 0;
    network::Ellipse ellipse;
};

struct GridBaseline {
    std::array<Component, 2> c; // Δx, Δy
    Real dx = 0, dy = 0;        // the free solution's grid difference
};

struct RelativeResult {
    int baseline = -1, from = -1, to = -1;
    Real length = 0;
    network::Ellipse ellipse;
};

struct KnownResidual {
    int known = -1; // index into the known points
    Real vx = 0, vy = 0, v = 0; // fit minus known, metres
    bool passed = true;
};

struct ConstrainedResult {
    AdjustmentSummary summary;
    bool rotationScaleEstimated = false;
    Real rotation = 0, sRotation = 0; // radians
    Real scale = 0, sScale = 0;       // m, as a fraction (×10⁶ for ppm)
    std::vector<int> knownOf;             // per point: index into the known points, or −1
    std::vector<ConstrainedPoint> points; // per point of the network
    std::vector<GridBaseline> baselines;
    std::vector<RelativeResult> relative; // one per pair of points joined by baselines
    std::vector<KnownResidual> knownResiduals; // empty with fewer than three known points
    Real knownLimit = 0;
    int worstKnown = -1; // index into knownResiduals of the largest one beyond the limit, or −1
};

// The grid coordinates (y with the constant) of a point given geodetically.
PlaneXY GridOf(const GridSettings &grid, Real meanLatitude, Real B, Real L);

// Throws Error when a known point is no point of the network ("第 N 行: 已知点 K9 没有基线到达"),
// when there is no known point, or when the network cannot be solved.
ConstrainedResult AdjustConstrained(const BaselineNetwork &network, const FreeResult &free,
                                    const std::vector<KnownPoint> &known, const GridSettings &grid, const Grade &grade,
                                    const FreeSettings &settings = {});

} // namespace quorvil::gnss
