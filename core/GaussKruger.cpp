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
    // Footpoint latitude: the latitude whose meridian arc is x, by fixed-point iteration on
    // φ = (x + a(1 − e²) cos φ (C1 sin φ + …)) / K. The loop is written so that a NaN (from an
    // empty custom ellipsoid) ends it at once; the fault itself stays in the flags.
    const Real perK = 1 / K_; // a multiplication in the loop instead of a slower division
    // The iteration starts from x / K and stops at the first step of at most 1e-10 rad: the
    // footpoint, and so the printed latitude, are those of that stopping point, not of the exact
    // fixed point, so the start value is part of the result and is kept.
    Real phi = x * perK;
    SineCosine sc = SinCos(phi);
    for (int round = 0; round < FootpointRoundLimit; ++round) {
        const Real next = (x + polarFactor_ * ArcPeriodic(sc.sin, sc.cos)) * perK;
        const Real delta = next - phi;
        const Real step = std::fabs(delta);
        phi = next;
        sc = step <= MediumStep ? Advanced(sc, delta) : SinCos(phi);
        if (!(step > FootpointTolerance))
            break;
    }

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
    for (Real value : {a2_, b2_, e2_, ep2_, polarFactor_, C0_, C1_, C2_, C3_, C4_, K_, perA2_})
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
