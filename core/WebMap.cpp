#include "WebMap.h"

#include "Error.h"
#include "SinCos.h"

#include <algorithm>
#include <cmath>

namespace quorvil {

namespace {

// The ellipsoid of the GCJ-02 offset: Krasovsky's semi-major axis and squared eccentricity.
constexpr Real OffsetA = 6378245;
constexpr Real OffsetE2 = 0.00669342162296594323L;

// The centre of the offset functions.
constexpr Real CentreLon = 105;
constexpr Real CentreLat = 35;

// sin(π·t). The half-turns are reduced to [−1, 1] first (exactly: t − 2n is representable), so
// that the sine of an angle of hundreds of radians is as good as that of a small one and runs on
// the fast path of SinCos. rint rather than nearbyint: any whole n serves, and nearbyint saves and
// restores the floating-point environment, which doubles the time of the whole offset.
Real SinPi(Real t)
{
    const Real r = t - 2 * std::rint(t / 2);
    return SinCos(Pi * r).sin;
}

Real CosPi(Real t)
{
    const Real r = t - 2 * std::rint(t / 2);
    return SinCos(Pi * r).cos;
}

// The published offset functions, in metres, of x = longitude − 105°, y = latitude − 35°.
struct OffsetMetres {
    Real north, east;
};

OffsetMetres Offset(Real x, Real y)
{
    // The term in x that both share.
    const Real common = (20 * SinPi(6 * x) + 20 * SinPi(2 * x)) * 2 / 3;
    const Real rootX = std::sqrt(std::fabs(x));
    Real north = -100 + 2 * x + 3 * y + 0.2L * y * y + 0.1L * x * y + 0.2L * rootX;
    north += common;
    north += (20 * SinPi(y) + 40 * SinPi(y / 3)) * 2 / 3;
    north += (160 * SinPi(y / 12) + 320 * SinPi(y / 30)) * 2 / 3;
    Real east = 300 + x + 2 * y + 0.1L * x * x + 0.1L * x * y + 0.1L * rootX;
    east += common;
    east += (20 * SinPi(x) + 40 * SinPi(x / 3)) * 2 / 3;
    east += (150 * SinPi(x / 12) + 300 * SinPi(x / 30)) * 2 / 3;
    return {north, east};
}

// BD-09's angle factor: x_pi = π·3000/180, so sin(y·x_pi) = sin(π·y·50/3).
constexpr Real BdTurnsPerDegree = 50.0L / 3;
constexpr Real BdShiftLon = 0.0065L;
constexpr Real BdShiftLat = 0.006L;

// p ← p + (target − forward(p)) from p = target until a round moves p by less than the
// tolerance, or `maxRounds` rounds.
template <typename Forward>
WebMapInverse Invert(Forward forward, LonLat target, int maxRounds)
{
    LonLat p = target;
    for (int round = 1; round <= maxRounds; ++round) {
        const LonLat image = forward(p);
        const LonLat next{p.lon + (target.lon - image.lon), p.lat + (target.lat - image.lat)};
        const Real change = std::max(std::fabs(next.lon - p.lon), std::fabs(next.lat - p.lat));
        p = next;
        if (change < WebMapInverseTolerance)
            return {p, round};
    }
    if (maxRounds >= WebMapMaxRounds)
        throw Error("反算迭代不收敛，不能求出该点的坐标！");
    return {p, maxRounds};
}

} // namespace

bool OutsideChinaRectangle(LonLat p)
{
    // Written so that a NaN counts as outside.
    const bool inside = p.lon >= 72.004L && p.lon <= 137.8347L && p.lat >= 0.8293L && p.lat <= 55.8271L;
    return !inside;
}

LonLat Gcj02FromWgs84(LonLat p)
{
    const OffsetMetres d = Offset(p.lon - CentreLon, p.lat - CentreLat);
    const SineCosine B = SinCos(DegToRad(p.lat));
    const Real w2 = 1 - OffsetE2 * B.sin * B.sin;
    const Real w = std::sqrt(w2);
    // Metres to degrees by the radii of curvature of the meridian, M = a(1 − e²)/W³, and of the
    // parallel, N·cos B = a·cos B/W.
    const Real M = OffsetA * (1 - OffsetE2) / (w2 * w);
    const Real parallel = OffsetA / w * B.cos;
    return {p.lon + RadToDeg(d.east / parallel), p.lat + RadToDeg(d.north / M)};
}

LonLat Bd09FromGcj02(LonLat p)
{
    const Real z = std::hypot(p.lon, p.lat) + 0.00002L * SinPi(p.lat * BdTurnsPerDegree);
    const Real theta = std::atan2(p.lat, p.lon) + 0.000003L * CosPi(p.lon * BdTurnsPerDegree);
    const SineCosine t = SinCos(theta);
    return {z * t.cos + BdShiftLon, z * t.sin + BdShiftLat};
}

WebMapInverse Wgs84FromGcj02(LonLat gcj02, int maxRounds)
{
    return Invert(Gcj02FromWgs84, gcj02, maxRounds);
}

WebMapInverse Gcj02FromBd09(LonLat bd09, int maxRounds)
{
    return Invert(Bd09FromGcj02, bd09, maxRounds);
}

WebMapResult ConvertWebMap(WebMapDatum from, WebMapDatum to, LonLat p)
{
    WebMapResult result;
    result.point = p;
    result.outside = OutsideChinaRectangle(p);
    if (result.outside || from == to)
        return result;
    // Through GCJ-02.
    LonLat gcj = p;
    if (from == WebMapDatum::Wgs84) {
        gcj = Gcj02FromWgs84(p);
    } else if (from == WebMapDatum::Bd09) {
        const WebMapInverse inverse = Gcj02FromBd09(p);
        gcj = inverse.point;
        result.rounds += inverse.rounds;
    }
    result.point = gcj;
    if (to == WebMapDatum::Wgs84) {
        const WebMapInverse inverse = Wgs84FromGcj02(gcj);
        result.point = inverse.point;
        result.rounds += inverse.rounds;
    } else if (to == WebMapDatum::Bd09) {
        result.point = Bd09FromGcj02(gcj);
    }
    return result;
}

} // namespace quorvil
