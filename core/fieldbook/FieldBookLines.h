// The measured lines of a field book: trigonometric heights, distances reduced to the projection
// surface and to the Gauss–Krüger grid, and the whole reduction of a book.
//
//   dh = S·cos Z + (1 − k)·D²/(2R) + i − v        earth curvature and refraction, D = S·sin Z
//   D0 = D·R/(R + Hm − H0)                         to the projection surface H0, Hm the mean
//                                                  height of the line, (H_A + i + H_B + v)/2
//   Dg = D0·(1 + ym²/(2R²) + Δy²/(24R²))           to the grid, ym the mean of the ends' y less
//                                                  the false easting, Δy their difference
// Heights and coordinates of new points come from a first pass: the network's approximate
// values (core/network) from the known points, the reduced directions, the horizontal distances
// and the trigonometric heights. Both directions of a reciprocal pair are kept; their sum is the
// 对向观测高差较差 the standard checks.
#pragma once

#include "FieldBookReduction.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvil::fieldbook {

struct LineResult {
    std::string from, to;                 // station, target
    Real slope = 0;                       // S, metres
    Real zenith = 0;                      // Z, degrees
    Real horizontal = 0;                  // D
    std::optional<Real> instrumentHeight, targetHeight;
    std::optional<Real> heightDifference; // dh (needs i and v)
    std::optional<Real> meanHeight;       // Hm (needs the heights of both ends)
    Real projected = 0;                   // D0
    std::optional<Real> grid;             // Dg (the grid reduction on, coordinates known)
    int line = 0;
};

struct Reduction {
    Settings settings;
    std::vector<StationResult> stations;
    std::vector<LineResult> lines;
    std::vector<Check> checks;            // the stations' checks, then the reciprocal heights
    std::vector<std::string> notes;
    std::vector<KnownPoint> known;        // the known points the book observes
    bool anyOver() const;
};

// The distance the network uses for a line: Dg, else D0.
inline Real NetworkDistance(const LineResult &line) { return line.grid ? *line.grid : line.projected; }

Real TrigonometricHeight(Real slope, Real zenithDegrees, Real instrumentHeight, Real targetHeight, Real refraction,
                         Real earthRadius);
Real ProjectionSurfaceDistance(Real horizontal, Real meanHeight, Real projectionHeight, Real earthRadius);
Real GridDistance(Real projected, Real meanY, Real deltaY, Real earthRadius);

// The whole reduction. Throws Error: the book's faults (naming the line), settings out of range,
// a grid reduction without known coordinates.
Reduction Reduce(const FieldBook &book, const std::vector<KnownPoint> &known, const Settings &settings);

} // namespace quorvil::fieldbook
