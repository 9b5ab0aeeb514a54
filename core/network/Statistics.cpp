// The normal quantile is Acklam's rational approximation (relative error below 1.2e−9) refined
// by Halley's method on Φ(x) − p with Φ(x) = erfc(−x/√2)/2, always in the lower tail so that the
// difference is not lost to cancellation; two steps reach the precision of Real. The χ²
// quantile is the bisection of the regularised incomplete gamma function, its series below a + 1
// and its continued fraction (modified Lentz) above, in double precision.
#include "Statistics.h"

#include "core/Error.h"

#include <algorithm>
#include <cmath>

namespace quorvil::network {

namespace {

// Halley steps after Acklam's approximation.
constexpr int NormalRefinements = 2;

// The incomplete gamma function: relative size of the last term of the series, distance of the
// continued fraction's last factor from 1, the floor of the Lentz denominators, and the most
// terms either may take.
constexpr double GammaSeriesTolerance = 1e-17;
constexpr double GammaFractionTolerance = 1e-16;
constexpr double LentzFloor = 1e-300;
constexpr int GammaTermLimit = 100000;

// The bisection of the χ² quantile ends when its interval is this share of the value.
constexpr double QuantileTolerance = 1e-15;
constexpr int BisectionLimit = 200;

// Acklam's approximation of Φ⁻¹(p) for 0 < p ≤ 1/2.
Real AcklamLower(Real p)
{
    static constexpr Real a[] = {-3.969683028665376e+01L, 2.209460984245205e+02L, -2.759285104469687e+02L,
                                 1.383577518672690e+02L,  -3.066479806614716e+01L, 2.506628277459239e+00L};
    static constexpr Real b[] = {-5.447609879822406e+01L, 1.615858368580409e+02L, -1.556989798598866e+02L,
                                 6.680131188771972e+01L,  -1.328068155288572e+01L};
    static constexpr Real c[] = {-7.784894002430293e-03L, -3.223964580411365e-01L, -2.400758277161838e+00L,
                                 -2.549732539343734e+00L, 4.374664141464968e+00L,  2.938163982698783e+00L};
    static constexpr Real d[] = {7.784695709041462e-03L, 3.224671290700398e-01L, 2.445134137142996e+00L,
                                 3.754408661907416e+00L};
    static constexpr Real Tail = 0.02425L; // below it, the tail's approximation
    if (p < Tail) {
        const Real q = std::sqrt(-2 * std::log(p));
        return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
               ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    }
    const Real q = p - 0.5L, r = q * q;
    return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
           (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
}

// Regularised lower incomplete gamma function P(a, x).
double GammaP(double a, double x)
{
    if (x <= 0)
        return 0;
    const double lnFront = a * std::log(x) - x - std::lgamma(a);
    if (x < a + 1) {
        double term = 1 / a, sum = term;
        for (int n = 1; n < GammaTermLimit; ++n) {
            term *= x / (a + n);
            sum += term;
            if (std::fabs(term) < std::fabs(sum) * GammaSeriesTolerance)
                break;
        }
        return sum * std::exp(lnFront);
    }
    // continued fraction for Q = 1 − P
    double b = x + 1 - a, c = 1 / LentzFloor, d = 1 / b, h = d;
    for (int i = 1; i < GammaTermLimit; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < LentzFloor)
            d = LentzFloor;
        c = b + an / c;
        if (std::fabs(c) < LentzFloor)
            c = LentzFloor;
        d = 1 / d;
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1) < GammaFractionTolerance)
            break;
    }
    return 1 - std::exp(lnFront) * h;
}

} // namespace

Real NormalQuantile(Real p)
{
    if (!(p > 0 && p < 1))
        throw Error("正态分布分位数的参数无效");
    const bool upper = p > 0.5L;
    const Real lower = upper ? 1 - p : p; // exact: 1/2 ≤ p < 1
    Real x = AcklamLower(lower);
    const Real rootTwo = std::sqrt(Real(2)), rootTwoPi = std::sqrt(2 * Pi);
    for (int i = 0; i < NormalRefinements; ++i) {
        const Real e = std::erfc(-x / rootTwo) / 2 - lower;
        const Real u = e * rootTwoPi * std::exp(x * x / 2);
        x -= u / (1 + x * u / 2);
    }
    return upper ? -x : x;
}

const Real WCritical = NormalQuantile(1 - SnoopingSignificance / 2);
const Real Delta0 = WCritical + NormalQuantile(SnoopingPower);

Real ChiSquareQuantile(Real p, int dof)
{
    if (dof <= 0 || !(p > 0 && p < 1))
        throw Error("χ² 分位数的参数无效");
    const double k = dof;
    // bracket, then bisection on P(k/2, x/2) = p (monotonic)
    double lo = 0, hi = std::max(1.0, k);
    while (GammaP(k / 2, hi / 2) < double(p))
        hi *= 2;
    for (int i = 0; i < BisectionLimit; ++i) {
        const double mid = (lo + hi) / 2;
        if (GammaP(k / 2, mid / 2) < double(p))
            lo = mid;
        else
            hi = mid;
        if (hi - lo <= QuantileTolerance * hi)
            break;
    }
    return Real((lo + hi) / 2);
}

ChiSquareTest GlobalTest(Real ratio, int dof, Real probability)
{
    ChiSquareTest t;
    t.probability = probability;
    t.done = true;
    t.ratio = ratio;
    t.lower = std::sqrt(ChiSquareQuantile((1 - probability) / 2, dof) / dof);
    t.upper = std::sqrt(ChiSquareQuantile((1 + probability) / 2, dof) / dof);
    t.passed = t.ratio >= t.lower && t.ratio <= t.upper;
    return t;
}

Ellipse EllipseOf(Real cxx, Real cyy, Real cxy)
{
    const Real mean = (cxx + cyy) / 2, half = (cxx - cyy) / 2;
    const Real root = std::sqrt(half * half + cxy * cxy);
    Ellipse e;
    e.a = std::sqrt(std::max<Real>(0, mean + root));
    e.b = std::sqrt(std::max<Real>(0, mean - root));
    e.phi = (cxy == 0 && half == 0) ? 0 : std::atan2(2 * cxy, cxx - cyy) / 2;
    if (e.phi < 0)
        e.phi += Pi;
    if (e.phi >= Pi)
        e.phi -= Pi;
    return e;
}

} // namespace quorvil::network
