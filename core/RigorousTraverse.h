// Rigorous adjustment of a single traverse or levelling route by the network engine.
//
// A traverse typed into an adjustment window is a chain of stations: known points held fixed, new
// points whose approximate coordinates the approximate adjustment gave, the left angle observed at
// some stations (from the previous station to the next; a left angle is the clockwise angle from
// the backsight to the foresight) and the distance of some legs. The chain becomes a
// network::Network (a connecting traverse's two known bearings enter as the fixed points A and D
// the end angles sight; a no-orientation traverse has no angle at its ends), is adjusted by
// least squares, and the result is read back station by station: adjusted coordinates, the point
// error σp (a posteriori σ0 when the chain has redundancy, the a priori errors propagated when it
// has none, as in an open traverse; 0 at known points), the adjusted angles and distances with
// their residuals, and the bearings of the adjusted legs.
//
// Traverses measured as coordinates become the same chain: the angles and distances are those of
// the measured coordinates. Their heights form a single levelling route weighted by leg length,
// whose least-squares solution is the proportional distribution the approximate adjustment
// already makes, so they are not part of the network.
//
// A levelling route is a chain of height differences between two fixed benchmarks, each weighted
// with σ = m·√w (m in mm per km or per station, w the section's length in km or its stations).
//
// The a priori errors by grade come from the table of limits (Limits.h).
#pragma once

#include "Limits.h"
#include "Traverse.h"
#include "network/Network.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvil {

// The a priori errors of the observations.
struct AprioriErrors {
    Real angleSeconds = 5; // 测角中误差 mβ, ″
    Real distanceMm = 5;   // 测距中误差 a + b·D: a in mm
    Real distancePpm = 0;  //                     b in mm per km (ppm)
    Real levelMm = 10;     // levelling: mm per √km, or mm per station
};

struct TraverseChainStation {
    std::string name;
    PlanePoint point;   // known coordinates, or approximate ones of a new point
    bool known = false;
    std::optional<Real> angle;    // left angle observed here, radians
    std::optional<Real> distance; // distance of the leg to the next station, metres
};

struct RigorousTraverse {
    network::Network network;
    network::Result result;
    std::vector<int> point;                // network point of each station
    std::vector<int> angleObservation;     // per station: observation index, or −1
    std::vector<int> distanceObservation;  // per station (its leg to the next): index, or −1
    std::vector<PlanePoint> stations;      // adjusted (or fixed) coordinates
    std::vector<Real> pointErrors;         // σp, metres; 0 at known points

    bool redundant() const { return result.summary.dof > 0; }
    // Residual and adjusted value of the angle at a station / distance of its leg (0 when none).
    Real angleResidual(size_t station) const;
    Real distanceResidual(size_t station) const;
    // Bearing of the adjusted leg from `station` to the next.
    Real legBearing(size_t station) const;
    Real legLength(size_t station) const; // adjusted horizontal distance
    // The new point with the largest σp, or −1.
    int weakestStation() const;
};

// Adjusts a chain of stations. Throws Error (from the network engine, or for a chain of fewer
// than two stations); the results hold no NaN or infinity.
RigorousTraverse AdjustTraverseChain(const std::vector<TraverseChainStation> &chain, const AprioriErrors &errors);

// The chain of a traverse measured as coordinates: `measured` holds the position of every station
// in the measuring frame (for a station the frame does not reach, its known position), the angles
// are observed at the stations `angleFrom` … `angleTo` and the legs from `legFrom` up to the leg
// ending on `legTo`.
std::vector<TraverseChainStation> MeasuredChain(const std::vector<std::string> &names,
                                                const std::vector<PlanePoint> &measured,
                                                const std::vector<PlanePoint> &points, const std::vector<bool> &known,
                                                size_t angleFrom, size_t angleTo, size_t legFrom, size_t legTo);

struct LevellingChainSection {
    Real weight = 0;     // length in km, or stations
    Real difference = 0; // metres
};

struct RigorousLevelling {
    network::Network network;
    network::Result result;
    std::vector<Real> heights;     // adjusted heights of every benchmark and new point
    std::vector<Real> residuals;   // per section, metres
    std::vector<Real> pointErrors; // metres; 0 at the two benchmarks

    bool redundant() const { return result.summary.dof > 0; }
    int weakestPoint() const;
};

// Adjusts a route from the benchmark `names[0]` (height `startHeight`) to the benchmark
// `names.back()` (`endHeight`); `approximate` holds approximate heights of every point.
RigorousLevelling AdjustLevellingChain(const std::vector<std::string> &names, const std::vector<Real> &approximate,
                                       const std::vector<LevellingChainSection> &sections, Real errorPerUnit);

// The summary of a rigorous adjustment, beside the closures: "σ0=1.12  自由度=3  χ²检验(95%)通过
// 最弱点P2 ±12.3mm"; without redundancy "无多余观测，点位中误差按先验精度传播  最弱点P3 ±15.2mm".
std::string RigorousSummaryText(const network::Summary &summary, const std::string &weakestName, Real weakestError);

// A point error in millimetres with one decimal, as the tables show it.
std::string PointErrorText(Real metres);

inline constexpr const char *RigorousTitle = "严密平差";
inline constexpr const char *PointErrorCaption = "点位中误差(mm)";

} // namespace quorvil
