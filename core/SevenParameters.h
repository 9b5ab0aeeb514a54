// The seven-parameter spatial similarity between two datums and its least-squares estimation.
//
// The model is the linear (small-angle) Bursa–Wolf form: the rotation terms are not multiplied
// by the scale and there are no products of rotations. The normal equations are formed in the
// raw earth-centred coordinates, without reduction to the centroid, and solved once by Gaussian
// elimination without row exchanges. Any number of common points takes part. A point set that
// cannot fix the seven parameters (no points, fewer than three distinct points, all points on one
// line, a vanishing pivot) is refused with a message instead of producing a meaningless or
// non-finite solution.
#pragma once

#include "Cartesian.h"
#include "Error.h"
#include "Real.h"

#include <array>
#include <span>

namespace quorvil {

// Shifts in metres, rotations in radians (arc-seconds only when shown or stored), K the whole
// scale factor. The default value is the identity transformation.
struct SevenParameters {
    Real DX = 0;
    Real DY = 0;
    Real DZ = 0;
    Real WX = 0;
    Real WY = 0;
    Real WZ = 0;
    Real K = 1;
};

// Arc-seconds to radians as seconds / 3600 × π / 180, and back as radians × 180 / π × 3600,
// in exactly this order of operations.
Real SecondsToRadians(Real seconds);
Real RadiansToSeconds(Real radians);

// The old spatial point (X1, Y1, Z1) carried into the new frame:
//   X2 = K·X1 + WZ·Y1 − WY·Z1 + DX
//   Y2 = K·Y1 − WZ·X1 + WX·Z1 + DY
//   Z2 = K·Z1 + WY·X1 − WX·Y1 + DZ
CartesianXYZ ApplySevenParameters(const SevenParameters &p, const CartesianXYZ &old);

inline constexpr int SevenParameterCount = 7;
using NormalMatrix = std::array<std::array<Real, SevenParameterCount>, SevenParameterCount>;
using NormalVector = std::array<Real, SevenParameterCount>;

struct GaussSolution {
    NormalVector p{};
    bool success = true; // always true: the elimination tests nothing
};

// Solves N·p = U of order n (1 ≤ n ≤ 7; the estimation always uses 7) by Gaussian elimination
// without pivoting, on its own copies of N and U. A zero pivot raises the floating-point
// division-by-zero flag and leaves infinities or NaN in p; callers that cannot exclude one must
// test the matrix first (see NormalMatrixIsSolvable).
GaussSolution GaussEliminate(int n, NormalMatrix N, NormalVector U);

// Normal equations of the seven-parameter model, accumulated point by point in the order the
// points are added: three observation equations per point, in the order of X, Y and Z, with
// coefficients for (DX, DY, DZ, WX, WY, WZ, K) and unit weights.
struct SevenParameterNormals {
    NormalMatrix N{};
    NormalVector U{};

    void add(const CartesianXYZ &oldXYZ, const CartesianXYZ &newXYZ);
};

// The smallest ratio of an elimination pivot to the diagonal element of its column before
// elimination that the estimation accepts. The ratio is 1 − R², R² being the squared multiple
// correlation of a parameter's column with the columns eliminated before it, so it does not
// depend on units or on the scale of the coordinates. A rank-deficient matrix (no points, fewer
// than three distinct points, points on one straight line in space) leaves only rounding noise
// of about 1e-18; common points spread a few metres across give 1e-12 and more.
inline constexpr Real MinimumPivotRatio = 1e-12L;

// True when every pivot that GaussEliminate will divide by is positive and no smaller than
// MinimumPivotRatio times its column's diagonal element. Raises no floating-point flag.
bool NormalMatrixIsSolvable(int n, const NormalMatrix &N);

// The smallest width of the common points across their principal direction, as a share of their
// length along it, measured in the horizontal plane at their centroid. Points along one line on
// the ground lie on a curve in space (a 20 km line has a sagitta of about 8 m), so they fix the
// normal matrix in exact arithmetic, but the rotation about that line is then carried by the
// earth's curvature alone and is meaningless. 1e-3 refuses a 10 km line of points less than
// about 10 m wide and accepts any common-point set that spans an area.
inline constexpr Real MinimumWidthRatio = 1e-3L;

// True when the points, seen from above at their centroid, span an area: not all coincident and
// not all on one line by MinimumWidthRatio.
bool CommonPointsSpanAnArea(std::span<const CartesianXYZ> points);

// The common points do not fix the seven parameters.
class PoorCommonPointsError : public Error {
public:
    PoorCommonPointsError();
};

// One common point: its spatial coordinates from the old side and from the new side.
struct CommonPointXYZ {
    CartesianXYZ oldXYZ;
    CartesianXYZ newXYZ;
};

// Least-squares estimate from all common points, in their order; the solution is unrounded,
// rotations in radians. Throws PoorCommonPointsError when the old points do not span an area or
// the normal matrix cannot be solved meaningfully (the design of the model depends on the old
// points only).
SevenParameters EstimateSevenParameters(std::span<const CommonPointXYZ> points);

} // namespace quorvil
