// Gauss–Krüger projection in the classical textbook form.
//
// The meridian arc is written as X(φ) = a(1 − e²)[C0 φ − cos φ (C1 sin φ + C2 sin³φ + C3 sin⁵φ +
// C4 sin⁷φ)], its coefficients expanded to e¹⁴. The forward series carries x to m⁶ and y to m⁵
// (m = l cos φ in radians); the inverse series carries B to u⁶ and l to u⁵ (u = y / N at the
// footpoint latitude). Everything is computed in extended precision.
#include "GaussKruger.h"

#include <cmath>

namespace quorvil {

namespace {

// The footpoint iteration stops when two rounds agree to this many radians (about 6 µm on the
// meridian).
constexpr Real FootpointTolerance = 1e-10L;

// The iteration is a contraction for every real ellipsoid and converges in a handful of rounds.
// A nonsense custom ellipsoid (b > a, or b close to 0) can make it oscillate; this bound keeps
// the program from hanging on such input and leaves the last round as the footpoint.
constexpr int FootpointRoundLimit = 10000;

// Meridian-arc coefficients C0 … C4, as expansions in e² to e¹⁴.
struct ArcCoefficients {
    Real C0, C1, C2, C3, C4;
};

ArcCoefficients ArcSeries(Real e2)
{
    const Real e4 = e2 * e2;
    const Real e6 = e4 * e2;
    const Real e8 = e4 * e4;
    const Real e10 = e8 * e2;
    const Real e12 = e6 * e6;
    const Real e14 = e12 * e2;
    ArcCoefficients c;
    // C1 is the series of C0 without its leading 1.
    c.C1 = Real(3) / 4 * e2 + Real(45) / 64 * e4 + Real(175) / 256 * e6 + Real(11025) / 16384 * e8 +
           Real(43659) / 65536 * e10 + Real(693693) / 1048576 * e12 + Real(2760615) / 4194304 * e14;
    c.C0 = 1 + c.C1;
    c.C2 = Real(15) / 32 * e4 + Real(175) / 384 * e6 + Real(3675) / 8192 * e8 + Real(14553) / 32768 * e10 +
           Real(231231) / 524288 * e12 + Real(920205) / 2097152 * e14;
    c.C3 = Real(35) / 96 * e6 + Real(735) / 2048 * e8 + Real(14553) / 40960 * e10 + Real(231231) / 655360 * e12 +
           Real(184041) / 524288 * e14;
    c.C4 = Real(315) / 1024 * e8 + Real(6237) / 20480 * e10 + Real(99099) / 327680 * e12 +
           Real(552123) / 1835008 * e14;
    return c;
}

// cos φ (C1 sin φ + C2 sin³φ + C3 sin⁵φ + C4 sin⁷φ): the periodic part of the meridian arc.
Real ArcPeriodic(const ArcCoefficients &c, Real s, Real cosPhi)
{
    const Real s2 = s * s;
    return cosPhi * s * (c.C1 + s2 * (c.C2 + s2 * (c.C3 + s2 * c.C4)));
}

// N = a² / √(a² cos²φ + b² sin²φ) from the sine and cosine already at hand.
Real PrimeVerticalRadius(const Ellipsoid &ellipsoid, Real s, Real c)
{
    const Real a2 = ellipsoid.a * ellipsoid.a;
    return a2 / std::sqrt(a2 * c * c + ellipsoid.b * ellipsoid.b * s * s);
}

} // namespace

Real MeridianArc(const Ellipsoid &ellipsoid, Real phi)
{
    const ArcCoefficients c = ArcSeries(ellipsoid.e2());
    const Real polarFactor = ellipsoid.a * (1 - ellipsoid.e2()); // a (1 − e²)
    return polarFactor * (c.C0 * phi - ArcPeriodic(c, std::sin(phi), std::cos(phi)));
}

PlaneXY GaussForward(const Ellipsoid &ellipsoid, Real B, Real l)
{
    const Real e2 = ellipsoid.e2();
    const Real ep2 = ellipsoid.ep2();
    const ArcCoefficients c = ArcSeries(e2);

    const Real phi = DegToRad(B);
    const Real sinPhi = std::sin(phi);
    const Real cosPhi = std::cos(phi);
    const Real t = sinPhi / cosPhi;       // tan φ
    const Real t2 = t * t;
    const Real eta2 = ep2 * cosPhi * cosPhi; // η² = e′² cos²φ
    const Real N = PrimeVerticalRadius(ellipsoid, sinPhi, cosPhi);

    const Real arc = ellipsoid.a * (1 - e2) * (c.C0 * phi - ArcPeriodic(c, sinPhi, cosPhi));

    const Real m = l * cosPhi * Pi / 180; // longitude difference along the parallel, radians
    const Real m2 = m * m;

    const Real x = arc + N * t * m2 *
                             (Real(1) / 2 + m2 * ((5 - t2 + 9 * eta2 + 4 * eta2 * eta2) / 24 +
                                                  m2 * (61 - 58 * t2 + t2 * t2) / 720));
    const Real y = N * m *
                   (1 + m2 * ((1 - t2 + eta2) / 6 +
                              m2 * (5 - 18 * t2 + t2 * t2 + 14 * eta2 - 58 * t2 * eta2) / 120));
    return {x, y};
}

LatLon GaussInverse(const Ellipsoid &ellipsoid, Real x, Real y)
{
    const Real e2 = ellipsoid.e2();
    const Real ep2 = ellipsoid.ep2();
    const ArcCoefficients c = ArcSeries(e2);
    const Real polarFactor = ellipsoid.a * (1 - e2); // a (1 − e²)
    const Real K = polarFactor * c.C0;                // arc length per radian of the mean term

    // Footpoint latitude: the latitude whose meridian arc is x, by fixed-point iteration on
    // φ = (x + a(1 − e²) cos φ (C1 sin φ + …)) / K. The loop is written so that a NaN (from an
    // empty custom ellipsoid) ends it at once; the fault itself is left in the flags.
    Real phi = x / K;
    for (int round = 0; round < FootpointRoundLimit; ++round) {
        const Real next = (x + polarFactor * ArcPeriodic(c, std::sin(phi), std::cos(phi))) / K;
        const Real step = std::fabs(next - phi);
        phi = next;
        if (!(step > FootpointTolerance))
            break;
    }

    const Real sinPhi = std::sin(phi);
    const Real cosPhi = std::cos(phi);
    const Real t = sinPhi / cosPhi;
    const Real t2 = t * t;
    const Real eta2 = ep2 * cosPhi * cosPhi;
    const Real N = PrimeVerticalRadius(ellipsoid, sinPhi, cosPhi);
    const Real u = y / N;
    const Real u2 = u * u;

    const Real latitudeCorrection =
        t * (1 + eta2) / 2 * u2 *
        (1 - u2 * ((5 + 3 * t2 + eta2 - 9 * eta2 * t2) / 12 - u2 * (61 + 90 * t2 + 45 * t2 * t2) / 360));
    const Real B = RadToDeg(phi) - RadToDeg(latitudeCorrection);

    const Real lRad = u *
                      (1 - u2 * ((1 + 2 * t2 + eta2) / 6 -
                                 u2 * (5 + 28 * t2 + 24 * t2 * t2 + 6 * eta2 + 8 * eta2 * t2) / 120)) /
                      cosPhi;
    return {B, RadToDeg(lRad)};
}

} // namespace quorvil
