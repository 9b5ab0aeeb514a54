#include "SevenParameters.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quorvil {

namespace {

constexpr Real SecondsPerDegree = 3600;

// One column of the forward elimination: rows below row i lose their entry in column i.
void EliminateBelow(int n, int i, NormalMatrix &N, NormalVector &U)
{
    for (int k = i + 1; k < n; ++k) {
        const Real f = N[k][i] / N[i][i];
        for (int j = i; j < n; ++j)
            N[k][j] = N[k][j] - N[i][j] * f;
        U[k] = U[k] - U[i] * f;
    }
}

} // namespace

Real SecondsToRadians(Real seconds)
{
    return seconds / SecondsPerDegree * Pi / 180;
}

Real RadiansToSeconds(Real radians)
{
    return radians * 180 / Pi * SecondsPerDegree;
}

CartesianXYZ ApplySevenParameters(const SevenParameters &p, const CartesianXYZ &old)
{
    CartesianXYZ r;
    r.X = p.K * old.X + p.WZ * old.Y - p.WY * old.Z + p.DX;
    r.Y = p.K * old.Y - p.WZ * old.X + p.WX * old.Z + p.DY;
    r.Z = p.K * old.Z + p.WY * old.X - p.WX * old.Y + p.DZ;
    return r;
}

GaussSolution GaussEliminate(int n, NormalMatrix N, NormalVector U)
{
    GaussSolution solution;
    for (int i = 0; i < n - 1; ++i)
        EliminateBelow(n, i, N, U);
    NormalVector &p = solution.p;
    p[n - 1] = U[n - 1] / N[n - 1][n - 1];
    for (int i = n - 2; i >= 0; --i) {
        Real s = 0;
        for (int j = i + 1; j < n; ++j)
            s = s + N[i][j] * p[j];
        p[i] = (U[i] - s) / N[i][i];
    }
    solution.success = true;
    return solution;
}

void SevenParameterNormals::add(const CartesianXYZ &o, const CartesianXYZ &n)
{
    // Observation equations of the point, coefficients for (DX, DY, DZ, WX, WY, WZ, K).
    const std::array<std::array<Real, SevenParameterCount>, 3> A{{
        {1, 0, 0, 0, -o.Z, o.Y, o.X},
        {0, 1, 0, o.Z, 0, -o.X, o.Y},
        {0, 0, 1, -o.Y, o.X, 0, o.Z},
    }};
    const std::array<Real, 3> L{n.X, n.Y, n.Z};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < SevenParameterCount; ++i) {
            for (int j = 0; j < SevenParameterCount; ++j)
                N[i][j] = N[i][j] + A[k][i] * A[k][j];
            U[i] = U[i] + A[k][i] * L[k];
        }
    }
}

bool NormalMatrixIsSolvable(int n, const NormalMatrix &original)
{
    NormalMatrix N = original;
    NormalVector unused{};
    for (int i = 0; i < n; ++i) {
        // A pivot must hold a fair share of its column: the part of the column that the
        // parameters eliminated before it cannot explain. The negated test also refuses NaN.
        if (!(N[i][i] > MinimumPivotRatio * original[i][i]) || !(N[i][i] > 0))
            return false;
        EliminateBelow(n, i, N, unused);
    }
    return true;
}

bool CommonPointsSpanAnArea(std::span<const CartesianXYZ> points)
{
    if (points.empty())
        return false;
    const Real count = static_cast<Real>(points.size());
    Real cx = 0, cy = 0, cz = 0;
    for (const CartesianXYZ &p : points) {
        cx = cx + p.X;
        cy = cy + p.Y;
        cz = cz + p.Z;
    }
    cx = cx / count;
    cy = cy / count;
    cz = cz / count;
    const Real distance = std::sqrt(cx * cx + cy * cy + cz * cz);
    if (!(distance > 0))
        return true; // no vertical to speak of: leave the judgement to the normal matrix

    // Vertical at the centroid, and the scatter of the points projected on the horizontal plane.
    const Real u[3] = {cx / distance, cy / distance, cz / distance};
    Real S[3][3] = {};
    for (const CartesianXYZ &p : points) {
        Real d[3] = {p.X - cx, p.Y - cy, p.Z - cz};
        const Real up = d[0] * u[0] + d[1] * u[1] + d[2] * u[2];
        for (int i = 0; i < 3; ++i)
            d[i] = d[i] - up * u[i];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                S[i][j] = S[i][j] + d[i] * d[j];
    }
    // The horizontal scatter has the vertical as an eigenvector of eigenvalue 0; its other two
    // eigenvalues have the trace as their sum and the sum of the principal 2×2 minors as their
    // product.
    const Real sum = S[0][0] + S[1][1] + S[2][2];
    const Real product = S[0][0] * S[1][1] - S[0][1] * S[1][0] + S[0][0] * S[2][2] - S[0][2] * S[2][0]
                         + S[1][1] * S[2][2] - S[1][2] * S[2][1];
    const Real half = sum / 2;
    const Real root = std::sqrt(std::max<Real>(half * half - product, 0));
    const Real length2 = half + root; // squared spread along the principal direction
    if (!(length2 > 0))
        return false;
    const Real width2 = product / length2; // squared spread across it
    return width2 > MinimumWidthRatio * MinimumWidthRatio * length2;
}

PoorCommonPointsError::PoorCommonPointsError()
    : Error("公共点太少或分布不当，无法解算七参数：至少需要三个不在同一直线上的公共点！")
{
}

SevenParameters EstimateSevenParameters(std::span<const CommonPointXYZ> points)
{
    std::vector<CartesianXYZ> oldPoints;
    oldPoints.reserve(points.size());
    bool finite = true;
    for (const CommonPointXYZ &point : points) {
        oldPoints.push_back(point.oldXYZ);
        finite = finite && std::isfinite(point.oldXYZ.X) && std::isfinite(point.oldXYZ.Y) && std::isfinite(point.oldXYZ.Z);
    }
    // Points spoiled by a floating-point fault in their conversion are not judged: the fault
    // carries through to the solution, where the caller's guard reports it as what it is.
    if (finite && !CommonPointsSpanAnArea(oldPoints))
        throw PoorCommonPointsError();

    SevenParameterNormals normals;
    for (const CommonPointXYZ &point : points)
        normals.add(point.oldXYZ, point.newXYZ);
    if (finite && !NormalMatrixIsSolvable(SevenParameterCount, normals.N))
        throw PoorCommonPointsError();

    const GaussSolution s = GaussEliminate(SevenParameterCount, normals.N, normals.U);
    SevenParameters p;
    p.DX = s.p[0];
    p.DY = s.p[1];
    p.DZ = s.p[2];
    p.WX = s.p[3];
    p.WY = s.p[4];
    p.WZ = s.p[5];
    p.K = s.p[6];
    return p;
}

} // namespace quorvil
