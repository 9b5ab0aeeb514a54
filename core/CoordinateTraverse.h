// Traverses observed as coordinates: the instrument gave X, Y, H of every station directly.
//
// Three adjustments share one result record:
//  - connecting (AdjustCoordinateConnecting): measured from the known B oriented on A, closing on
//    the known C with the direction C→D observed. The measured traverse is turned about B by the
//    bearing misclosure at C→D, shared as k·VB over the legs, then the coordinate and height
//    misclosure at C is distributed in proportion to the leg lengths;
//  - single-side connecting (AdjustCoordinateSingleSide): from B to the known C, no closing
//    direction, so nothing is turned; only the misclosure at C is distributed;
//  - no-orientation (AdjustCoordinateNoOrientation): measured in any local frame; every leg is
//    turned by the angle ω between the known and the measured direction B→C, chained from B and
//    the misclosure at C distributed.
//
// Bearings and lengths always come from the measured coordinates before anything is changed.
// Two departures from the old program, deliberate: an exact closure (Fs = 0) is a perfect
// traverse, reported as K=1/∞ with the adjusted coordinates, not a division fault; and a table
// too short for its traverse type is refused with a message instead of reading missing rows.
// The functions do not swallow floating-point faults: callers check with an FpGuard.
#pragma once

#include "Real.h"

#include <string>
#include <vector>

namespace quorvil {

// A station: x northing, y easting, h height, metres.
struct CoordinatePoint {
    Real x = 0;
    Real y = 0;
    Real h = 0;
};

// One leg of a coordinate traverse, with what the report shows of it.
struct CoordinateLeg {
    Real bearing = 0; // bearing the increments were computed on (corrected, measured or turned)
    Real length = 0;  // horizontal length from the measured coordinates
    Real dx = 0;      // raw increments
    Real dy = 0;
    Real dh = 0;
    Real vx = 0;      // corrections, proportional to the length
    Real vy = 0;
    Real vh = 0;
};

struct CoordinateTraverseResult {
    Real startBearing = 0;   // known bearing A→B (connecting and single-side)
    Real closingBearing = 0; // measured bearing C→D, uncorrected (connecting)
    Real fb = 0;             // bearing misclosure, radians in [−π, π] (connecting)
    Real vb = 0;             // bearing correction per leg, radians (connecting)
    Real turn = 0;           // turning angle ω, radians in (0, 2π] (no-orientation)
    Real fx = 0;             // coordinate misclosures at C, computed minus known, metres
    Real fy = 0;
    Real fs = 0;
    Real fh = 0;             // height misclosure at C
    Real totalLength = 0;    // sum of the legs that carry the misclosure
    std::vector<CoordinateLeg> legs;        // every leg, in traverse order (connecting: with C→D last)
    std::vector<CoordinatePoint> adjusted;  // the adjusted stations after B: the new points, then C
};

// Connecting traverse. `measured` holds P1 … Pm, C, D as measured (the height of D is not used);
// the known heights of A and D are not used. At least C and D must be given.
struct CoordinateConnectingInput {
    CoordinatePoint a, b, c, d;
    std::vector<CoordinatePoint> measured;
};
CoordinateTraverseResult AdjustCoordinateConnecting(const CoordinateConnectingInput &input);

// Single-side connecting traverse. `measured` holds P1 … Pm, C; A serves only for the start
// bearing the report shows. At least C must be given.
struct CoordinateSingleSideInput {
    CoordinatePoint a, b, c;
    std::vector<CoordinatePoint> measured;
};
CoordinateTraverseResult AdjustCoordinateSingleSide(const CoordinateSingleSideInput &input);

// No-orientation traverse. `measured` holds B, P1 … Pm, C in the measuring frame. At least B and
// C must be given, and they must not coincide.
struct CoordinateNoOrientationInput {
    CoordinatePoint b, c;
    std::vector<CoordinatePoint> measured;
};
CoordinateTraverseResult AdjustCoordinateNoOrientation(const CoordinateNoOrientationInput &input);

// Messages for tables too short for the traverse type.
inline constexpr const char *CoordinateConnectingTooFewText =
    "坐标附合导线至少需要A、B、C、D四个点（表格至少4个数据行）！";
inline constexpr const char *CoordinateSingleSideTooFewText =
    "坐标单边附合导线至少需要A、B、C三个点（表格至少3个数据行）！";
inline constexpr const char *CoordinateNoOrientationTooFewText =
    "坐标无定向导线至少需要B、C两个点（表格至少2个数据行）！";
inline constexpr const char *CoordinateNoOrientationCoincidentText =
    "起点B与终点C重合，无法确定无定向导线的旋转角！";

// The total length of the traverse to the nearest metre: "导线总长[S]=241m".
inline constexpr const char *TraverseLengthCaption = "导线总长[S]=";
std::string TraverseLengthText(Real totalLength);

// The result panel's texts, in the order the window shows them: FB, VB (connecting only), Fx,
// Fy, Fs, K (K=1/∞ for an exact closure), Fh and the total length.
std::vector<std::string> CoordinateTraverseSummary(const CoordinateTraverseResult &result,
                                                   bool withBearing);

} // namespace quorvil
