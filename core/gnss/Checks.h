// The checks of the baselines before adjustment, with the limits of the grade (GB 50026-2020 §3.2):
//  - repeated baselines, the same pair of points in two sessions: the length of the difference of
//    the two vectors ds ≤ 2√2·σ;
//  - synchronous loops, loops of the baselines of one session: wX, wY, wZ ≤ (√n / 5)·σ and
//    w = √(wX² + wY² + wZ²) ≤ (√(3n) / 5)·σ;
//  - independent (asynchronous) loops, loops of baselines from more than one session:
//    wX, wY, wZ ≤ 2√n·σ and w ≤ 2√(3n)·σ;
// with n the number of baselines of the loop and σ the grade's accuracy of a baseline of the loop's
// mean length (of the mean of the two lengths for a repeated baseline). The loops are a minimum
// cycle basis (CycleBasis.h): of each session's baselines for the synchronous loops, and of all
// pairs of points (the first baseline of each pair) for the independent ones, of which those that
// lie within one session are already checked as synchronous loops and left out.
// The checks never block the adjustment: they are listed with their verdicts.
#pragma once

#include "Baselines.h"

#include <array>
#include <string>
#include <vector>

namespace quorvil::gnss {

struct RepeatCheck {
    int first = -1, second = -1; // baselines (second turned to the direction of the first)
    std::array<Real, 3> difference{}; // second − first, metres
    Real ds = 0, sigma = 0, limit = 0;
    bool passed = true;
};

struct LoopCheck {
    bool synchronous = false;
    std::string session; // of a synchronous loop
    std::vector<int> baselines, signs; // walking order; sign −1 where walked against the baseline
    std::vector<int> points;           // the points passed, in walking order
    Real length = 0;                   // sum of the baselines, metres
    std::array<Real, 3> w{};           // closures wX, wY, wZ, metres
    Real wTotal = 0;
    Real sigma = 0, componentLimit = 0, totalLimit = 0;
    bool passed = true;
};

struct BaselineChecks {
    Grade grade;
    std::vector<RepeatCheck> repeated;
    std::vector<LoopCheck> loops; // synchronous first (by session), then independent
    std::vector<int> withoutLoop; // points on no loop: spurs that no closure checks (listed, not 超限)
    bool passed() const;
    int failures() const;
};

// The checks above. Throws Error when the baselines fall into parts no baseline joins (naming a
// point of the smaller part and the line of its first baseline): such a network has no loops
// across the gap and cannot be adjusted with one point held.
BaselineChecks CheckBaselines(const BaselineNetwork &network, const Grade &grade);

// Throws Error as above when the network is not connected.
void RequireConnected(const BaselineNetwork &network);

} // namespace quorvil::gnss
