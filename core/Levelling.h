// Connecting (or closed) levelling route.
//
// The observed height differences are summed from the starting benchmark, the carried height is
// compared with the known closing height (misclosure fh = H0 + Σh − Hend, carried minus known),
// and the misclosure is distributed over the sections in proportion to their weights (lengths
// or numbers of set-ups, in any unit: only the ratios matter). The corrected differences chain
// the heights of the new points back onto the closing benchmark.
//
// As with the traverses, the carrying (CarryLevellingRoute) and the distribution
// (DistributeLevellingMisclosure) are separate steps so that a window shows the misclosure and
// the route length before a fault of the distribution ends the command. Weights that sum to zero
// are an invalid operation of the distribution. The working values are sized to the route; a
// route without any section is refused with a message.
#pragma once

#include "Real.h"

#include <string>
#include <vector>

namespace quorvil {

// One section of the route, from a point to the next: its weight and its observed difference.
struct LevellingSection {
    Real weight = 0;
    Real difference = 0; // metres
};

struct LevellingRouteInput {
    Real startHeight = 0;
    Real endHeight = 0;
    std::vector<LevellingSection> sections; // at least one
};

struct LevellingResult {
    Real misclosure = 0;               // fh, metres
    Real totalWeight = 0;              // ΣL
    std::vector<LevellingSection> sections;   // as observed
    std::vector<Real> corrections;     // v_i, metres, never rounded
    std::vector<Real> corrected;       // h_i + v_i
    std::vector<Real> heights;         // H_0 … H_M−1: the start, the new points, the closing point
};

LevellingResult CarryLevellingRoute(const LevellingRouteInput &input);
LevellingResult DistributeLevellingMisclosure(LevellingResult carried);
LevellingResult AdjustLevellingRoute(const LevellingRouteInput &input);

// Cell texts: the correction in millimetres with 2 decimals right-aligned in 8 characters; a
// height with 3 decimals right-aligned in 9; a corrected difference with 3 decimals in 8.
std::string LevellingCorrectionText(Real correction);
std::string LevellingHeightText(Real height);
std::string LevellingDifferenceText(Real difference);

inline constexpr const char *LevellingTooFewText =
    "高程路线至少需要起、止两个水准点（表格至少2个数据行）！";

} // namespace quorvil
