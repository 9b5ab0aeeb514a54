// Compensation-plane computations on a reference ellipsoid, with the radii of curvature
// M = a(1 − e²)/W³ (meridian) and N = a/W (prime vertical), W² = 1 − e² sin²φ.
#include "CompensationPlane.h"

#include <cmath>

namespace quorvil {

namespace {

constexpr Real MetresPerKilometre = 1000;
constexpr Real MillimetresPerMetre = 1000;

// W² = 1 − e² sin²φ at latitude phi (radians).
Real W2(const Ellipsoid &ellipsoid, Real phi)
{
    const Real s = std::sin(phi);
    return 1 - ellipsoid.e2() * s * s;
}

Real MeanRadiusAt(const Ellipsoid &ellipsoid, Real phi)
{
    const Real e2 = ellipsoid.e2();
    const Real w2 = W2(ellipsoid, phi);
    const Real M = (1 - e2) * ellipsoid.a / std::pow(w2, Real(1.5L));
    const Real N = ellipsoid.a / std::sqrt(w2);
    return std::sqrt(M * N);
}

} // namespace

Real MeanRadius(const Ellipsoid &ellipsoid, Real B)
{
    return MeanRadiusAt(ellipsoid, DegToRad(B));
}

Real DistortionPerKilometre(const Ellipsoid &ellipsoid, Real B, Real ym, Real H)
{
    const Real R = MeanRadius(ellipsoid, B);
    const Real heightReduction = -MetresPerKilometre * H / R;                         // δh, metres
    const Real ratio = ym / R;
    const Real projectionDistortion = ratio * ratio * (MetresPerKilometre + heightReduction) / 2; // δg, metres
    return (heightReduction + projectionDistortion) * MillimetresPerMetre;
}

Real CompensationHeight(const Ellipsoid &ellipsoid, Real B, Real ym, Real H)
{
    const Real R = MeanRadius(ellipsoid, B);
    return H - ym * ym / (2 * R);
}

Ellipsoid EnlargedEllipsoid(const Ellipsoid &ellipsoid, Real B, Real Hd)
{
    const Real phi = DegToRad(B);
    const Real e2 = ellipsoid.e2();
    const Real enlargedRadius = MeanRadiusAt(ellipsoid, phi) + Hd; // R′
    // R = a √(1 − e²) / W², so the axis giving R′ at the same latitude and eccentricity is:
    const Real a2 = W2(ellipsoid, phi) * enlargedRadius / std::sqrt(1 - e2);
    const Real b2 = std::sqrt(a2 * a2 * (1 - e2));
    return {a2, b2};
}

Real LatitudeShift(const Ellipsoid &ellipsoid, Real B, Real deltaA)
{
    const Real phi = DegToRad(B);
    const Real e2 = ellipsoid.e2();
    const Real s = std::sin(phi);
    const Real c = std::cos(phi);
    const Real W = std::sqrt(1 - e2 * s * s);
    const Real M = (1 - e2) * ellipsoid.a / (W * W * W); // meridian radius of curvature
    return RadToDeg(e2 * s * c * deltaA / (M * W));
}

PlaneXY CompensationTransform(const Ellipsoid &from, const Ellipsoid &to, Real x, Real y)
{
    const LatLon geodetic = GaussInverse(from, x, y);
    const Real B2 = geodetic.B + LatitudeShift(from, geodetic.B, to.a - from.a);
    return GaussForward(to, B2, geodetic.l);
}

} // namespace quorvil
