// The reduction of one station's rounds by the direction method (方向观测法), as the classical
// 手簿 page lays it out, and the checks of the standard on it.
//
// Per pointing pair (face left L, face right R of one target in one round):
//   2C = L − (R ± 180°)                   collimation twice, ″
//   mean = (L + R ± 180°) / 2             平均读数
// Per round: the zero is the mean of the opening and the closing means of the first target
// (归零); the first target's reduced direction is 0 by definition, the others mean − zero in
// [0°, 360°). A round without its closing pointings keeps the opening mean as its zero and is
// noted as not closed. The station's direction of a target is the mean of its rounds.
// Vertical: zenith angle Z = (VL − VR + 360°)/2, index error (VL + VR − 360°)/2; the slope
// distance is the mean of all its readings, the horizontal distance D = S·sin Z.
// The closing pointing of a half-round serves the closure only: its vertical reading and
// distance are not used.
#pragma once

#include "FieldBook.h"
#include "FieldBookLimits.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvil::fieldbook {

// One row of a round on the 手簿 page.
struct RoundRow {
    std::string target;
    Real left = 0, right = 0;     // readings, degrees
    Real c2 = 0;                  // 2C, ″
    Real mean = 0;                // 平均读数, degrees
    std::optional<Real> reduced;  // 归零方向值, degrees (none on the closing row)
    bool closing = false;         // the closing pointing of the round
    std::optional<Real> index;    // 指标差, ″
    std::optional<Real> zenith;   // 天顶距, degrees
    int line = 0;                 // line of the face-left pointing
};

struct RoundResult {
    int number = 1;
    std::vector<RoundRow> rows;
    bool closed = false;
    Real zero = 0;                          // the round's zero (mean of the first target), degrees
    std::optional<Real> closureLeft, closureRight; // 半测回归零差, ″ (closed rounds)
    Real c2Spread = 0;                      // 一测回内 2C 互差, ″
    int line = 0;
};

// The station's result for one target.
struct StationDirection {
    std::string target;
    Real direction = 0;              // mean over the rounds, degrees
    std::vector<int> rounds;         // the rounds that observed it
    Real spread = 0;                 // 同一方向值各测回较差, ″
    std::optional<Real> zenith;      // mean zenith angle, degrees
    Real zenithSpread = 0;           // 竖直角测回较差, ″
    std::optional<Real> slope;       // mean slope distance, metres
    std::optional<Real> horizontal;  // D = S·sin Z
    std::optional<Real> targetHeight;
    int line = 0;
};

struct StationResult {
    std::string name;
    std::optional<Real> instrumentHeight;
    std::vector<RoundResult> rounds;
    std::vector<StationDirection> directions; // the first target first, in observing order
    std::optional<Real> indexSpread;          // 指标差较差 over the station's pointings, ″
    std::vector<std::string> notes;           // rounds not closed, targets missing from rounds
    int line = 0;
};

// One check beside its value.
struct Check {
    std::string station;
    int round = 0;          // 0: the check is over the rounds
    std::string target;     // the target or line it concerns, if any
    std::string quantity;   // "半测回归零差", "2C 互差", ...
    Real value = 0;         // ″ or mm
    std::optional<Real> limit;
    bool over = false;
    std::string unit;       // "″" or "mm"
    std::string text;       // "N2 第 2 测回 2C 互差 64″ 超限 (限差 18″)"
};

// Splits the book into stations (consecutive pointings of one station) and reduces each. Throws
// Error naming the line: a face-right pointing with no face-left partner in its round (and the
// reverse), a station with one target.
std::vector<StationResult> ReduceStations(const FieldBook &book);

// The checks of the direction method and the vertical angles on the stations, by grade and
// instrument class. A grade the tables do not know gives one note instead.
std::vector<Check> StationChecks(const std::vector<StationResult> &stations, const Settings &settings,
                                 std::vector<std::string> &notes);

// The text of a check: "N2 第 2 测回 2C 互差 64″ 超限 (限差 18″)".
std::string CheckText(const Check &check);

// Angle differences in ″ as the book prints them, and the wrap of an angle to [0°, 360°).
Real Wrap360(Real degrees);
Real Wrap180(Real degrees); // (−180°, 180°]

} // namespace quorvil::fieldbook
