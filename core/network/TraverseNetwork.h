// The traverses and levelling routes of the approximate adjustments (core/Traverse.h,
// core/Levelling.h) as networks for the rigorous adjustment: what the traverse windows hand to
// Adjust() to set a rigorous result beside the classical one.
//
// Points are named after the stations: A, B, P1 … Pn, C, D (traverses) and BM1, P1 … Pn, BM2
// (levelling routes), unless the caller gives names (one per station, in the same order).
#pragma once

#include "Network.h"

#include "core/Levelling.h"
#include "core/Traverse.h"

#include <string>
#include <vector>

namespace quorvil::network {

struct TraverseWeights {
    Real angle = 5 * Pi / 648000; // σ of an observed angle, radians (5″)
    Real distanceA = 0.005;       // σ of a distance: a + b·D, a in metres …
    Real distancePpm = 5;         // … and b in millionths
};

// Connecting traverse A, B → C, D: left angles at B, P1 … Pn, C, distances B–P1 … Pn–C; A, B, C,
// D fixed. `names`: A, B, P1 … Pn, C, D.
Network ConnectingTraverseNetwork(const ConnectingTraverseInput &input, const TraverseWeights &weights,
                                  std::vector<std::string> names = {});

// Levelling route from the benchmark at startHeight through the new points to the one at
// endHeight; σ of a section = sigmaUnit·√weight (weight: length in km or number of set-ups).
// `names`: the start benchmark, the new points, the end benchmark.
Network LevellingRouteNetwork(const LevellingRouteInput &input, Real sigmaUnit, std::vector<std::string> names = {});

} // namespace quorvil::network
