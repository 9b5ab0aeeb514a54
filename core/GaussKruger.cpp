// Gauss–Krüger projection in the classical textbook form.
//
// The meridian arc is written as X(φ) = a(1 − e²)[C0 φ − cos φ (C1 sin φ + C2 sin³φ + C3 sin⁵φ +
// C4 sin⁷φ)], its coefficients expanded to e¹⁴. The forward series carries x to m⁶ and y to m⁵
// (m = l cos φ in radians); the inverse series carries B to u⁶ and l to u⁵ (u = y / N at the
// footpoint latitude), the footpoint latitude found by fixed-point iteration on the arc.
// Everything is computed in extended precision.
#include "GaussKruger.h"

#include "SinCos.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

namespace quorvil {

namespace {

// The footpoint iteration stops when two rounds agree to this many radians (0.6 mm on the
// meridian); each round shrinks the error some two hundredfold, so the last round is far closer.
constexpr Real FootpointTolerance = 1e-10L;
constexpr double FootpointToleranceDouble = double(FootpointTolerance);

// The iteration is a contraction for every real ellipsoid and converges in a handful of rounds.
// A nonsense custom ellipsoid (b > a, or b close to 0) can make it wander; this bound keeps the
// program from hanging on such input and leaves the last round as the footpoint.
constexpr int FootpointRoundLimit = 10000;

// Once the latitude moves little between rounds, the sine and cosine of the new latitude are
// carried over from the old ones by the angle-sum formulas, with sin δ and cos δ from their Taylor
// series. Up to SmallStep two terms of each suffice, up to MediumStep four (the first omitted
// terms, relative to the kept ones, lie below the last bit of the 64-bit mantissa). Only the
// start, and for extreme ellipsoids the first round, move the latitude further than that.
constexpr Real SmallStep = 3e-5L;
constexpr Real MediumStep = 1e-2L;

// The rounds after the first are worked out from the Taylor series of the footpoint map about the
// start latitude (FootpointBySeries) when the first round moves the latitude at most SeriesStep:
// the series to the seventh power then leaves out less than 1e-22 rad. Beyond SeriesLatitude (86°)
// the footpoint is left to the plain iteration, where the secant makes every last bit count.
constexpr Real SeriesStep = 5e-3L;
constexpr Real SeriesLatitude = 1.5L;
constexpr int SeriesRoundLimit = 8;
constexpr int SeriesOrder = 7;

// Fixed factors of the inverse series, as multiplications.
constexpr Real Half = Real(1) / 2;
constexpr Real Sixth = Real(1) / 6;
constexpr Real Twelfth = Real(1) / 12;
constexpr Real Per120 = Real(1) / 120;
constexpr Real Per360 = Real(1) / 360;

// sin and cos of φ + δ from those of φ.
SineCosine Advanced(const SineCosine &sc, Real delta)
{
    const Real d2 = delta * delta;
    Real sinDelta, cosDeltaMinus1;
    if (std::fabs(delta) <= SmallStep) {
        sinDelta = delta * (1 - d2 / 6);
        cosDeltaMinus1 = -d2 / 2 * (1 - d2 / 12);
    } else {
        sinDelta = delta * (1 - d2 / 6 * (1 - d2 / 20 * (1 - d2 / 42 * (1 - d2 / 72))));
        cosDeltaMinus1 = -d2 / 2 * (1 - d2 / 12 * (1 - d2 / 30 * (1 - d2 / 56)));
    }
    return {sc.sin + (sc.sin * cosDeltaMinus1 + sc.cos * sinDelta), sc.cos + (sc.cos * cosDeltaMinus1 - sc.sin * sinDelta)};
}

// Sine and cosine of an angle in double precision, for the small terms of the footpoint series.
struct Harmonic {
    double sin, cos;
};

// Of twice the angle; cos 2α as (cos α − sin α)(cos α + sin α), which keeps its accuracy near 45°.
Harmonic Doubled(const Harmonic &a)
{
    return {2 * a.sin * a.cos, (a.cos - a.sin) * (a.cos + a.sin)};
}

// Of the sum of two angles.
Harmonic Sum(const Harmonic &a, const Harmonic &b)
{
    return {a.sin * b.cos + a.cos * b.sin, a.cos * b.cos - a.sin * b.sin};
}

} // namespace

GaussKrugerSeries::GaussKrugerSeries(const Ellipsoid &ellipsoid)
    : a2_(ellipsoid.a * ellipsoid.a), b2_(ellipsoid.b * ellipsoid.b)
{
    const Real difference = a2_ - b2_;
    e2_ = difference / a2_;
    ep2_ = difference / b2_;
    // The meridian-arc coefficients, each a polynomial in e² with exact rational coefficients,
    // evaluated in nested form. C1 is the series of C0 without its leading 1.
    const Real e2 = e2_;
    C1_ = e2 * (Real(3) / 4 +
                e2 * (Real(45) / 64 +
                      e2 * (Real(175) / 256 +
                            e2 * (Real(11025) / 16384 +
                                  e2 * (Real(43659) / 65536 +
                                        e2 * (Real(693693) / 1048576 + e2 * (Real(2760615) / 4194304)))))));
    C0_ = 1 + C1_;
    const Real e4 = e2 * e2;
    C2_ = e4 * (Real(15) / 32 +
                e2 * (Real(175) / 384 +
                      e2 * (Real(3675) / 8192 +
                            e2 * (Real(14553) / 32768 + e2 * (Real(231231) / 524288 + e2 * (Real(920205) / 2097152))))));
    const Real e6 = e4 * e2;
    C3_ = e6 * (Real(35) / 96 +
                e2 * (Real(735) / 2048 +
                      e2 * (Real(14553) / 40960 + e2 * (Real(231231) / 655360 + e2 * (Real(184041) / 524288)))));
    const Real e8 = e4 * e4;
    C4_ = e8 * (Real(315) / 1024 +
                e2 * (Real(6237) / 20480 + e2 * (Real(99099) / 327680 + e2 * (Real(552123) / 1835008))));
    polarFactor_ = ellipsoid.a * (1 - e2);
    K_ = polarFactor_ * C0_;
    perA2_ = 1 / a2_;
    perK_ = 1 / K_;

    // The periodic part of the arc as a sine series, cos φ (C1 sin φ + … + C4 sin⁷φ) =
    // A1 sin 2φ + A2 sin 4φ + A3 sin 6φ + A4 sin 8φ, so that the footpoint map
    // g(φ) = (x + a(1 − e²) Σ Aj sin 2jφ) / K has the derivatives
    // g⁽ⁿ⁾(φ) = a(1 − e²) / K Σ Aj (2j)ⁿ sin(2jφ + nπ/2). mapDerivatives_[n − 1][j − 1] holds
    // a(1 − e²) / K Aj (2j)ⁿ / n! with the sign of that sine's phase (+cos, −sin, −cos, +sin, …).
    const Real A[4] = {C1_ / 2 + C2_ / 4 + 5 * C3_ / 32 + 7 * C4_ / 64, -(C2_ / 8 + C3_ / 8 + 7 * C4_ / 64),
                       C3_ / 32 + 3 * C4_ / 64, -C4_ / 128};
    constexpr int PhaseSign[4] = {1, -1, -1, 1};
    Real slope = 0; // bound on |g′|, the factor by which each round shrinks the step
    for (int j = 0; j < 4; ++j) {
        const Real w = 2 * (j + 1);
        Real term = polarFactor_ * perK_ * A[j];
        slope += std::fabs(term * w);
        for (int n = 1; n <= SeriesOrder; ++n) {
            term = term * w / n;
            mapDerivatives_[n - 1][j] = double(PhaseSign[(n - 1) % 4] * term);
        }
    }
    // Real ellipsoids have |g′| below e² (0.007); the series path is kept to maps that shrink the
    // step at least a hundredfold per round, where its double-precision terms stay below 1e-20 rad.
    seriesFootpoint_ = std::isfinite(slope) && slope <= Real(0.01);
}

// N = a² / √(a² cos²φ + b² sin²φ).
Real GaussKrugerSeries::PrimeVerticalRadius(Real sinPhi, Real cosPhi) const
{
    return a2_ / std::sqrt(a2_ * cosPhi * cosPhi + b2_ * sinPhi * sinPhi);
}

// cos φ (C1 sin φ + C2 sin³φ + C3 sin⁵φ + C4 sin⁷φ): the periodic part of the meridian arc.
Real GaussKrugerSeries::ArcPeriodic(Real sinPhi, Real cosPhi) const
{
    const Real s2 = sinPhi * sinPhi;
    return cosPhi * sinPhi * (C1_ + s2 * (C2_ + s2 * (C3_ + s2 * C4_)));
}

// One round of the footpoint iteration: the latitude whose mean arc term is x plus the periodic
// part at the latitude whose sine and cosine are given.
Real GaussKrugerSeries::FootpointMap(Real x, const SineCosine &sc) const
{
    return (x + polarFactor_ * ArcPeriodic(sc.sin, sc.cos)) * perK_;
}

// The footpoint latitude: the latitude whose meridian arc is x, by fixed-point iteration on
// φ = g(φ) = (x + a(1 − e²) cos φ (C1 sin φ + …)) / K. The iteration starts from x / K and stops at
// the first round that moves the latitude at most 1e-10 rad: the footpoint, and so the printed
// latitude, are those of that stopping round, not of the exact fixed point, so the start value and
// the stopping rule are part of the result and are kept. The loop is written so that a NaN (from an
// empty custom ellipsoid) ends it at once; the fault itself stays in the flags.
GaussKrugerSeries::Footpoint GaussKrugerSeries::FootpointLatitude(Real x) const
{
    Real phi = x * perK_;
    SineCosine sc = SinCos(phi);
    Real next = FootpointMap(x, sc);
    Footpoint footpoint;
    if (FootpointBySeries(phi, sc, next, footpoint))
        return footpoint;
    for (int round = 1;; ++round) {
        const Real delta = next - phi;
        const Real step = std::fabs(delta);
        phi = next;
        sc = step <= MediumStep ? Advanced(sc, delta) : SinCos(phi);
        if (!(step > FootpointTolerance) || round == FootpointRoundLimit)
            break;
        next = FootpointMap(x, sc);
    }
    return {phi, sc};
}

// The same iteration from its second round on, with fewer extended-precision operations: every
// later iterate is φ1 + (g(φ) − g(φ0)) for the φ of the round before, where g(φ0) = φ1 is already
// known in full precision and the difference g(φ) − g(φ0), at most 5e-5 rad, is the map's Taylor
// series about φ0, summed in double precision (its rounding is below 1e-20 rad). Double-precision
// arithmetic takes less than half the time of extended precision, and these rounds are most of the
// work of the inverse. The sine
// and cosine of the stopping iterate are those of φ0 turned by the small angle φ − φ0, again with
// only the small terms in double precision. The iterates, the stopping round and the footpoint
// agree with the plain iteration to the last bit or so (not always to every bit: their rounding
// differs). False when the first round does not suit the series; the caller then iterates.
bool GaussKrugerSeries::FootpointBySeries(Real phi0, const SineCosine &sc0, Real phi1, Footpoint &footpoint) const
{
    const Real delta1 = phi1 - phi0;
    const Real step1 = std::fabs(delta1);
    if (!seriesFootpoint_ || !(step1 <= SeriesStep && step1 > FootpointTolerance) || !(std::fabs(phi0) <= SeriesLatitude))
        return false;

    // sin 2jφ0 and cos 2jφ0, j = 1 … 4, and the Taylor coefficients of g(φ0 + e) − g(φ0).
    const double s = double(sc0.sin), c = double(sc0.cos);
    Harmonic h[4];
    h[0] = Doubled({s, c});
    h[1] = Doubled(h[0]);
    h[2] = Sum(h[1], h[0]);
    h[3] = Doubled(h[1]);
    double t[SeriesOrder];
    for (int n = 0; n < SeriesOrder; ++n) {
        const double *d = mapDerivatives_[n];
        t[n] = n % 2 == 0 ? d[0] * h[0].cos + d[1] * h[1].cos + d[2] * h[2].cos + d[3] * h[3].cos
                          : d[0] * h[0].sin + d[1] * h[1].sin + d[2] * h[2].sin + d[3] * h[3].sin;
    }

    // moved = φ − φ1 of the current iterate; each round the next one, till a round moves at most
    // the tolerance.
    const double e1 = double(delta1);
    double moved = 0;
    for (int round = 0;; ++round) {
        if (round == SeriesRoundLimit)
            return false;
        const double e = e1 + moved, e2 = e * e, e4 = e2 * e2;
        const double next = e * ((t[0] + t[1] * e) + e2 * (t[2] + t[3] * e) + e4 * ((t[4] + t[5] * e) + e2 * t[6]));
        const double step = std::fabs(next - moved);
        moved = next;
        if (!(step > FootpointToleranceDouble))
            break;
    }

    // sin and cos of φ0 + ε: the first-order terms in extended precision, the rest (below 2e-5)
    // from their series in double precision.
    const double e = e1 + moved, e2 = e * e;
    const double cosMinus1 = -e2 * (0.5 - e2 * (1.0 / 24 - e2 * (1.0 / 720)));
    const double sinMinusE = -e * e2 * (1.0 / 6 - e2 * (1.0 / 120));
    const Real epsilon = delta1 + Real(moved);
    const Real sinRest = Real(s * cosMinus1 + c * sinMinusE), cosRest = Real(c * cosMinus1 - s * sinMinusE);
    footpoint.phi = phi1 + Real(moved);
    footpoint.sc = {sc0.sin + (sc0.cos * epsilon + sinRest), sc0.cos + (cosRest - sc0.sin * epsilon)};
    return true;
}

Real GaussKrugerSeries::MeridianArc(Real phi) const
{
    const SineCosine sc = SinCos(phi);
    return polarFactor_ * (C0_ * phi - ArcPeriodic(sc.sin, sc.cos));
}

[[gnu::flatten]] PlaneXY GaussKrugerSeries::Forward(Real B, Real l) const
{
    const Real phi = DegToRad(B);
    const SineCosine sc = SinCos(phi);
    const Real t = sc.sin / sc.cos; // tan φ
    const Real t2 = t * t;
    const Real eta2 = ep2_ * sc.cos * sc.cos; // η² = e′² cos²φ
    const Real N = PrimeVerticalRadius(sc.sin, sc.cos);
    const Real arc = polarFactor_ * (C0_ * phi - ArcPeriodic(sc.sin, sc.cos));

    const Real m = l * sc.cos * Pi / 180; // longitude difference along the parallel, radians
    const Real m2 = m * m;

    const Real x = arc + N * t * m2 *
                             (Real(1) / 2 + m2 * ((5 - t2 + 9 * eta2 + 4 * eta2 * eta2) / 24 +
                                                  m2 * (61 - 58 * t2 + t2 * t2) / 720));
    const Real y = N * m *
                   (1 + m2 * ((1 - t2 + eta2) / 6 +
                              m2 * (5 - 18 * t2 + t2 * t2 + 14 * eta2 - 58 * t2 * eta2) / 120));
    return {x, y};
}

[[gnu::flatten]] LatLon GaussKrugerSeries::Inverse(Real x, Real y) const
{
    const Footpoint footpoint = FootpointLatitude(x);
    const Real phi = footpoint.phi;
    const SineCosine &sc = footpoint.sc;

    // The series at the footpoint latitude. Divisions cost several times a multiplication in
    // extended precision: the fixed divisors are taken as reciprocals worked out once, and the
    // secant serves both t and the longitude.
    const Real secant = 1 / sc.cos;
    const Real t = sc.sin * secant;
    const Real t2 = t * t;
    const Real eta2 = ep2_ * sc.cos * sc.cos;
    // u = y / N, with 1 / N = √(a² cos²φ + b² sin²φ) / a².
    const Real u = y * std::sqrt(a2_ * sc.cos * sc.cos + b2_ * sc.sin * sc.sin) * perA2_;
    const Real u2 = u * u;

    const Real latitudeCorrection =
        t * (1 + eta2) * Half * u2 *
        (1 - u2 * ((5 + 3 * t2 + eta2 - 9 * eta2 * t2) * Twelfth - u2 * (61 + 90 * t2 + 45 * t2 * t2) * Per360));
    // Degrees as φ × 180 / π term by term, so that the printed digits are those of the textbook form.
    const Real B = RadToDeg(phi) - RadToDeg(latitudeCorrection);

    const Real lRad = u *
                      (1 - u2 * ((1 + 2 * t2 + eta2) * Sixth -
                                 u2 * (5 + 28 * t2 + 24 * t2 * t2 + 6 * eta2 + 8 * eta2 * t2) * Per120)) *
                      secant;
    return {B, RadToDeg(lRad)};
}

bool GaussKrugerSeries::IsFinite() const
{
    for (Real value : {a2_, b2_, e2_, ep2_, polarFactor_, C0_, C1_, C2_, C3_, C4_, K_, perA2_, perK_})
        if (!std::isfinite(value))
            return false;
    return true;
}

namespace {

// The free routines are called once per point, usually on one ellipsoid (or, in the datum and
// compensation-plane tools, on two by turns), and working out the ellipsoid's constants takes
// about as long as the series itself. Each thread keeps the constants of the last two ellipsoids
// it used, keyed on the exact axes. Only constants that are all finite are kept: working them out
// then raised no invalid operation, division by zero or overflow, so taking them from here
// leaves the floating-point flags as a fresh computation would. Results are identical either way.
struct SeriesCacheEntry {
    Real a = 0, b = 0;
    std::optional<GaussKrugerSeries> series;

    bool holds(const Ellipsoid &ellipsoid) const { return series && a == ellipsoid.a && b == ellipsoid.b; }
};

struct SeriesCache {
    std::array<SeriesCacheEntry, 2> entries;
    size_t older = 0; // the entry a new ellipsoid replaces: the one not used last
};

constinit thread_local SeriesCache Cache;

// Works out the series of a new ellipsoid and keeps it in place of the one not used last; nullptr
// when its constants are not all finite (the caller then works them out itself, faults and all).
// Out of line: it runs once per ellipsoid, and the routines below stay small.
[[gnu::noinline]] const GaussKrugerSeries *AddToCache(SeriesCache &cache, const Ellipsoid &ellipsoid)
{
    const GaussKrugerSeries series(ellipsoid);
    if (!series.IsFinite())
        return nullptr;
    SeriesCacheEntry &entry = cache.entries[cache.older];
    entry = {ellipsoid.a, ellipsoid.b, series};
    cache.older = 1 - cache.older;
    return &*entry.series;
}

// The series of `ellipsoid` from the cache, worked out and kept there if it is not yet.
const GaussKrugerSeries *CachedSeries(const Ellipsoid &ellipsoid)
{
    SeriesCache &cache = Cache;
    for (size_t i = 0; i < cache.entries.size(); ++i)
        if (cache.entries[i].holds(ellipsoid)) {
            cache.older = 1 - i;
            return &*cache.entries[i].series;
        }
    return AddToCache(cache, ellipsoid);
}

// Ellipsoids whose constants are not all finite are worked out anew at each call, out of line, so
// that the routines below hold one inlined copy of the series, for the cached constants.
[[gnu::noinline]] Real UncachedMeridianArc(const Ellipsoid &ellipsoid, Real phi)
{
    return GaussKrugerSeries(ellipsoid).MeridianArc(phi);
}

[[gnu::noinline]] PlaneXY UncachedForward(const Ellipsoid &ellipsoid, Real B, Real l)
{
    return GaussKrugerSeries(ellipsoid).Forward(B, l);
}

[[gnu::noinline]] LatLon UncachedInverse(const Ellipsoid &ellipsoid, Real x, Real y)
{
    return GaussKrugerSeries(ellipsoid).Inverse(x, y);
}

} // namespace

// The free routines are compiled with the series inlined: passing extended-precision arguments on
// through one more call costs as much as a tenth of the inverse series.
[[gnu::flatten]] Real MeridianArc(const Ellipsoid &ellipsoid, Real phi)
{
    if (const GaussKrugerSeries *series = CachedSeries(ellipsoid))
        return series->MeridianArc(phi);
    return UncachedMeridianArc(ellipsoid, phi);
}

[[gnu::flatten]] PlaneXY GaussForward(const Ellipsoid &ellipsoid, Real B, Real l)
{
    if (const GaussKrugerSeries *series = CachedSeries(ellipsoid))
        return series->Forward(B, l);
    return UncachedForward(ellipsoid, B, l);
}

[[gnu::flatten]] LatLon GaussInverse(const Ellipsoid &ellipsoid, Real x, Real y)
{
    if (const GaussKrugerSeries *series = CachedSeries(ellipsoid))
        return series->Inverse(x, y);
    return UncachedInverse(ellipsoid, x, y);
}

} // namespace quorvil
