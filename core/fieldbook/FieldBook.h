// The records of a total station's field book and of its reduction.
//
// A field book is the list of pointings in observing order, whatever the instrument wrote it as
// (the CSV book, Leica GSI): station, target, round, face, the horizontal and vertical circle
// readings, the slope distance and the heights of instrument and target. The reduction turns it
// into the classical 方向观测法手簿 of every station (FieldBookReduction.h), the checks of the
// standard (FieldBookLimits.h), the trigonometric heights and the distances reduced to the
// projection surface and the grid (FieldBookLines.h).
#pragma once

#include "core/Real.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvil::fieldbook {

// One pointing: one row of the CSV book, one measuring line of a GSI record.
struct Pointing {
    std::string station, target;
    std::optional<Real> instrumentHeight, targetHeight; // metres
    int round = 1;                                      // 测回, from 1
    bool left = true;                                   // 盘左
    Real horizontal = 0;                                // horizontal circle, degrees
    std::optional<Real> vertical;                       // vertical circle (zenith reading), degrees
    std::optional<Real> slope;                          // slope distance, metres
    int line = 0;                                       // line of the source, for messages
};

struct FieldBook {
    std::vector<Pointing> pointings;
};

// A known point of the network (the point file given with the book).
struct KnownPoint {
    std::string name;
    std::optional<Real> x, y, h;
};

// The settings of a reduction: the grade and instrument the checks are judged by, and the
// constants of the trigonometric heights and the distance reductions.
struct Settings {
    std::string grade = "一级";
    Real instrument = 2;              // class of the instrument, ″: 0.5, 1, 2 or 6
    Real refraction = 0.13L;          // k
    Real earthRadius = 6371000;       // R, metres
    Real projectionHeight = 0;        // H0, metres
    Real yConstant = 500000;          // false easting of the grid, metres
    bool grid = true;                 // reduce the distances to the Gauss–Krüger grid
};

} // namespace quorvil::fieldbook
