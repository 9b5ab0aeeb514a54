// The whole computation of a GNSS network as the window and the command line run it: the checks,
// the free adjustment with the chosen point held and, when known points are given, the constrained
// adjustment onto them.
#pragma once

#include "Checks.h"
#include "ConstrainedAdjustment.h"
#include "FreeAdjustment.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvil::gnss {

// The point the free adjustment holds: by name with its Earth-centred coordinates, or by name
// alone when it is a known point (its grid position taken back to B, L, with its H or 0 as the
// height: the free solution only needs a place near the truth, the constrained one is moved onto
// the known points anyway), or — no name — the first known point the baselines reach.
struct HeldChoice {
    std::string name;
    bool hasXYZ = false;
    CartesianXYZ xyz;
};

struct Job {
    BaselineNetwork network;
    std::vector<KnownPoint> known;
    GridSettings grid;
    Grade grade;
    HeldChoice held;
    FreeSettings settings;
};

struct JobResults {
    BaselineChecks checks;
    FreeResult free;
    std::optional<ConstrainedResult> constrained;
    // whether anything is 超限: a check, a residual beyond 3σ, a w beyond the critical value, a
    // known point that does not fit
    bool anyFailure() const;
};

// Throws Error (bad input, a held point that cannot be found, a network that cannot be solved).
JobResults RunJob(const Job &job);

// The point index and coordinates the job holds. Throws Error.
std::pair<int, CartesianXYZ> HeldPoint(const Job &job);

} // namespace quorvil::gnss
