// Traverses observed as angles and distances.
//
// Four computations share one result record:
//  - connecting (AdjustConnectingTraverse): from the known pair A, B to the known pair C, D. The
//    bearings are carried through the left angles, the angular misclosure at C→D is shared
//    equally over the N observed angles (α[i] + i·v; the closing bearing α[N] keeps its carried
//    value), and the coordinate misclosure at C is distributed in proportion to the leg lengths.
//    With C = B and D = A the same steps compute a closed traverse;
//  - single-side connecting (AdjustSingleSideTraverse): from A, B to the known point C only;
//    the bearings are carried uncorrected and only the misclosure at C is distributed;
//  - no-orientation (AdjustNoOrientationTraverse): between the known B and C without any known
//    direction; carried from B on an arbitrary bearing, turned about B onto the known bearing
//    B→C (rotation only, no scale), then the remaining misclosure is distributed;
//  - open (ComputeOpenTraverse): from A, B to a new end point; nothing to check or distribute.
//
// Each adjustment comes in two steps, the carrying of bearings and coordinates with the
// misclosures (Carry…) and the distribution of the coordinate misclosure
// (DistributeMisclosure), so that a window can show the misclosures before a fault of the
// distribution ends the command; Adjust… runs both.
//
// Deliberate departures from the old program: an exact closure (fs = 0) is a perfect traverse,
// shown as K=1/∞ with its coordinates written, not a division fault; a traverse too short for
// its type is refused with a message; the working values are sized to the traverse, with no
// limit on the number of points. The functions do not swallow floating-point faults: callers
// check with an FpGuard.
#pragma once

#include "Real.h"

#include <string>
#include <vector>

namespace quorvil {

// A bearing brought into [0, 2π) by the two tests the traverses have always used: one turn added
// to a negative bearing, then one turn taken from a bearing of a full turn or more (so a full
// turn itself becomes 0).
inline Real NormalBearing(Real alpha)
{
    if (alpha < 0)
        alpha += TwoPi;
    if (alpha >= TwoPi)
        alpha -= TwoPi;
    return alpha;
}

// A plane point: x northing, y easting, metres.
struct PlanePoint {
    Real x = 0;
    Real y = 0;
};

// One observed station: the left angle at it, packed ddd.mmss as typed, and the distance from it
// to the next station in metres.
struct TraverseObservation {
    Real angle = 0;
    Real distance = 0;
};

// One leg of the traverse, from stations[j] to stations[j + 1] of the result.
struct TraverseLeg {
    Real carriedBearing = 0; // bearing carried through the observed angles, [0, 2π)
    Real bearing = 0;        // bearing the increments use: corrected (connecting), turned
                             // (no-orientation) or the carried one (single-side, open)
    Real distance = 0;
    Real dx = 0;             // raw coordinate increments D·cos α, D·sin α
    Real dy = 0;
    Real vx = 0;             // corrections of the increments, metres, never rounded
    Real vy = 0;
};

struct TraverseResult {
    Real startBearing = 0;     // α[0]: the known bearing A→B (0 in the no-orientation traverse)
    Real closingBearing = 0;   // α[N] of the connecting traverse: bearing C→D as carried, uncorrected
    Real knownClosingBearing = 0; // bearing C→D from the known coordinates (connecting)
    Real angleMisclosure = 0;  // fβ, radians in [−π, π] (connecting)
    Real angleCorrection = 0;  // v = −fβ / N, the correction of every observed angle (connecting)
    size_t angleCount = 0;     // N, the observed angles fβ is shared over (connecting)
    Real rotation = 0;         // θ, radians in (0, 2π] (no-orientation)
    Real fx = 0;               // coordinate misclosure at the closing point, computed minus known
    Real fy = 0;
    Real fs = 0;
    Real totalLength = 0;      // ΣD over the legs that carry the misclosure
    PlanePoint closingKnown;   // the known closing point the misclosure refers to
    std::vector<TraverseLeg> legs;      // in traverse order; legs[j] is leg j + 1, bearing α[j + 1]
    std::vector<PlanePoint> stations;   // stations[0] = B; stations[j + 1] ends legs[j]; after the
                                        // distribution the last one is back on the known point

    // The bearing α[h] in the numbering of the traverse: α[0] the start bearing, α[1 … legs] the
    // bearings of the legs (corrected where corrected), α[legs + 1] the carried closing bearing.
    Real Bearing(size_t h) const;
    // The new points of a closing traverse: the stations between B and the closing point. (In an
    // open traverse every station after B is a new point.)
    std::vector<PlanePoint> NewPoints() const;
};

// Connecting traverse: `observations` holds the N ≥ 2 stations B, P1 … Pn, C with their left
// angles; the distances of B … Pn are the legs (C's distance is not read).
struct ConnectingTraverseInput {
    PlanePoint a, b, c, d;
    std::vector<TraverseObservation> observations;
};
TraverseResult CarryConnectingTraverse(const ConnectingTraverseInput &input);
TraverseResult AdjustConnectingTraverse(const ConnectingTraverseInput &input);

// Single-side connecting traverse: `observations` holds B, P1 … Pn (N ≥ 1), each with the leg to
// the next station, the last leg ending on C.
struct SingleSideTraverseInput {
    PlanePoint a, b, c;
    std::vector<TraverseObservation> observations;
};
TraverseResult CarrySingleSideTraverse(const SingleSideTraverseInput &input);
TraverseResult AdjustSingleSideTraverse(const SingleSideTraverseInput &input);

// No-orientation traverse: `observations` holds B, P1 … Pn (at least B), each with the leg to the
// next station, the last leg ending on C. The angle at B only fixes the arbitrary start and has
// no effect on the result.
struct NoOrientationTraverseInput {
    PlanePoint b, c;
    std::vector<TraverseObservation> observations;
};
TraverseResult CarryNoOrientationTraverse(const NoOrientationTraverseInput &input);
TraverseResult AdjustNoOrientationTraverse(const NoOrientationTraverseInput &input);

// Open traverse: `observations` holds B, P1 … Pn−1 (at least B), each with the leg to the next
// station; stations[1 …] are the n new points.
struct OpenTraverseInput {
    PlanePoint a, b;
    std::vector<TraverseObservation> observations;
};
TraverseResult ComputeOpenTraverse(const OpenTraverseInput &input);
// The same leg by leg, for a window that writes each new point as soon as it is known: the start
// (bearing A→B, station B) and one leg more from the last station.
TraverseResult StartOpenTraverse(const PlanePoint &a, const PlanePoint &b);
void ExtendOpenTraverse(TraverseResult &traverse, const TraverseObservation &observation);

// Distributes the coordinate misclosure of a carried traverse over its legs in proportion to
// their lengths and chains the adjusted stations from B. A traverse that closes exactly gets
// zero corrections; any other misclosure over legs of total length 0 is an invalid operation.
TraverseResult DistributeMisclosure(TraverseResult carried);

// Messages for traverses too short for their type.
inline constexpr const char *ConnectingTooFewText =
    "边角附合导线至少需要A、B、C、D四个点（表格至少4个数据行）！";
inline constexpr const char *SingleSideTooFewText =
    "单边附合导线至少需要A、B、C三个点（表格至少3个数据行）！";
inline constexpr const char *NoOrientationTooFewText =
    "无定向导线至少需要B、C两个点（表格至少2个数据行）！";
inline constexpr const char *OpenTooFewText =
    "支导线至少需要A、B和一个待定点（表格至少3个数据行）！";

} // namespace quorvil
