// The coordinates of the web maps of China: WGS84 (= CGCS2000 at the accuracy of the maps),
// GCJ-02 (the national offset most maps and phone apps show) and BD-09 (one provider's further
// offset of GCJ-02).
//
// The forward offsets are the published ones: GCJ-02 adds to WGS84 an offset given in metres by
// polynomial-and-sine functions of the longitude and latitude about (105°E, 35°N), turned into
// degrees on the Krasovsky ellipsoid (a = 6378245, e² = 0.00669342162296594323); BD-09 turns
// GCJ-02 longitude and latitude, taken as plane coordinates, by a small angle, stretches their
// radius a little and shifts them by (0.0065°, 0.006°).
//
// Neither offset has a closed inverse. The one-step inverse in common circulation (subtracting
// the offset computed at the offset point) is off by up to several metres; here each inverse is
// the fixed-point iteration p ← p + (target − forward(p)), started at the target itself, until a
// round changes the point by less than 1e-10° — a handful of rounds, since the offsets change by
// a few thousandths of their argument's change at most. Its first round is the common one-step
// inverse.
//
// All angles are decimal degrees.
#pragma once

#include "Real.h"

namespace quorvil {

struct LonLat {
    Real lon = 0, lat = 0;
};

enum class WebMapDatum { Wgs84, Gcj02, Bd09 };

// The common "outside China" rectangle: longitude below 72.004° or above 137.8347°, latitude
// below 0.8293° or above 55.8271°. The maps apply no offset there. (It is a rectangle: points
// inside it but outside the mainland — neighbouring countries, the sea — are offset all the same.)
bool OutsideChinaRectangle(LonLat p);

// The published forward offsets, applied wherever the point is (no rectangle test).
LonLat Gcj02FromWgs84(LonLat wgs84);
LonLat Bd09FromGcj02(LonLat gcj02);

// The change below which the inverse iteration stops, in degrees (about 0.01 mm).
inline constexpr Real WebMapInverseTolerance = 1e-10L;
// Rounds the iteration may take before it gives up; it needs three to six in the rectangle.
inline constexpr int WebMapMaxRounds = 50;

struct WebMapInverse {
    LonLat point;
    int rounds = 0; // rounds of the iteration taken
};

// The exact inverses, by fixed-point iteration of the forward offsets (no rectangle test). With
// `maxRounds` 1 the GCJ-02 inverse is the common one-step approximation. Throws Error when the
// iteration has not settled after WebMapMaxRounds rounds (it cannot happen in the rectangle);
// with a smaller `maxRounds` the point after those rounds is returned.
WebMapInverse Wgs84FromGcj02(LonLat gcj02, int maxRounds = WebMapMaxRounds);
WebMapInverse Gcj02FromBd09(LonLat bd09, int maxRounds = WebMapMaxRounds);

struct WebMapResult {
    LonLat point;
    bool outside = false; // the given point lies outside the rectangle: nothing was offset
    int rounds = 0;       // rounds of the inverse iterations taken, 0 for forward conversions
};

// `p` in the datum `from` to the datum `to`. The rectangle test is made on the point as given:
// outside it the point is returned unchanged and marked `outside`. Inside it, WGS84 → BD-09 is
// GCJ-02 then BD-09, and BD-09 → WGS84 is the inverse of each step in turn.
WebMapResult ConvertWebMap(WebMapDatum from, WebMapDatum to, LonLat p);

} // namespace quorvil
