#include "PlaneSimilarity.h"

#include "TextForms.h"

#include <cmath>

namespace quorvil {

FourParameters TwoPointSimilarity(const TwoCommonPoints &c, bool unitScale)
{
    const PlanePointH &o0 = c.oldBase, &o1 = c.oldSecond;
    const PlanePointH &n0 = c.newBase, &n1 = c.newSecond;
    if (o0.x == o1.x && o0.y == o1.y)
        throw PlaneSimilarityError(CoincidentOldPointsText);

    FourParameters p;
    if (!unitScale) {
        // Scale: new base-to-second distance over the old one.
        const Real oldDistance = std::sqrt((o1.y - o0.y) * (o1.y - o0.y) + (o1.x - o0.x) * (o1.x - o0.x));
        const Real newDistance = std::sqrt((n1.y - n0.y) * (n1.y - n0.y) + (n1.x - n0.x) * (n1.x - n0.x));
        p.K = newDistance / oldDistance;
    }
    // Rotation: difference of the grid bearings base → second point, left as it falls.
    const Real newBearing = Azimuth(n0.x, n0.y, n1.x, n1.y);
    const Real oldBearing = Azimuth(o0.x, o0.y, o1.x, o1.y);
    p.T = newBearing - oldBearing;

    // Shifts that carry the scaled and turned old base point exactly onto the new one.
    const Real c0 = std::cos(p.T), s0 = std::sin(p.T);
    if (unitScale) {
        p.Dx = n0.x - c0 * o0.x + s0 * o0.y;
        p.Dy = n0.y - s0 * o0.x - c0 * o0.y;
    } else {
        p.Dx = n0.x - c0 * (p.K * o0.x) + s0 * (p.K * o0.y);
        p.Dy = n0.y - s0 * (p.K * o0.x) - c0 * (p.K * o0.y);
    }
    p.Dh = c.newHeight - c.oldHeight;
    return p;
}

PlanePointH ConvertTwoPoint(const FourParameters &p, const PlanePointH &old)
{
    const Real c0 = std::cos(p.T), s0 = std::sin(p.T);
    PlanePointH r;
    r.x = c0 * (p.K * old.x) + p.Dx - s0 * (p.K * old.y);
    r.y = s0 * (p.K * old.x) + p.Dy + c0 * (p.K * old.y);
    r.H = old.H + p.Dh;
    return r;
}

FourParameterEstimate EstimateFourParameters(const std::vector<CommonPoint> &points)
{
    const std::size_t count = points.size();
    bool distinct = false;
    for (std::size_t i = 1; i < count && !distinct; ++i)
        distinct = points[i].oldPoint.x != points[0].oldPoint.x || points[i].oldPoint.y != points[0].oldPoint.y;
    if (!distinct)
        throw PlaneSimilarityError(TooFewCommonPointsText);

    // Centroids of both systems, each built up from value / n in row order.
    const Real n = static_cast<Real>(count);
    PlanePointH mean1, mean2;
    for (const CommonPoint &cp : points) {
        mean1.x += cp.oldPoint.x / n;
        mean1.y += cp.oldPoint.y / n;
        mean1.H += cp.oldPoint.H / n;
        mean2.x += cp.newPoint.x / n;
        mean2.y += cp.newPoint.y / n;
        mean2.H += cp.newPoint.H / n;
    }

    // Sums of the centred coordinates: cross products for the rotation part, dot products for the
    // scaled-cosine part and the squared spread of the old points.
    Real Sb = 0, Sa = 0, Sd = 0;
    for (const CommonPoint &cp : points) {
        const Real dx1 = cp.oldPoint.x - mean1.x, dy1 = cp.oldPoint.y - mean1.y;
        const Real dx2 = cp.newPoint.x - mean2.x, dy2 = cp.newPoint.y - mean2.y;
        Sb += dx1 * dy2 - dy1 * dx2;
        Sa += dx1 * dx2 + dy1 * dy2;
        Sd += dx1 * dx1 + dy1 * dy1;
    }
    if (Sd == 0) // distinct points whose spread vanished in the centring
        throw PlaneSimilarityError(TooFewCommonPointsText);

    const Real a = Sa / Sd; // K·cos T
    const Real b = Sb / Sd; // K·sin T
    FourParameterEstimate result;
    FourParameters &p = result.parameters;
    p.K = std::sqrt(a * a + b * b);
    // Rotation as the bearing of (a, b), brought from [0, 2π) into (−π, π].
    p.T = Azimuth(0, 0, a, b);
    if (p.T > Pi)
        p.T -= TwoPi;
    p.Dx = mean2.x - mean1.x * a + mean1.y * b;
    p.Dy = mean2.y - mean1.x * b - mean1.y * a;
    p.Dh = mean2.H - mean1.H;

    // Residuals from the unrounded a, b and shifts: transformed old point minus new point.
    result.residuals.reserve(count);
    for (const CommonPoint &cp : points) {
        const PlanePointH &o = cp.oldPoint;
        result.residuals.push_back({o.x * a + p.Dx - o.y * b - cp.newPoint.x,
                                    o.x * b + p.Dy + o.y * a - cp.newPoint.y,
                                    o.H + p.Dh - cp.newPoint.H});
    }
    return result;
}

PlanePointH ConvertFourParameters(const FourParameters &p, const PlanePointH &old)
{
    const Real a = std::cos(p.T) * p.K;
    const Real b = std::sin(p.T) * p.K;
    return {old.x * a + p.Dx - old.y * b, old.x * b + p.Dy + old.y * a, old.H + p.Dh};
}

} // namespace quorvil
