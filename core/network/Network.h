// Rigorous least-squares adjustment of plane and levelling control networks.
//
// The caller describes a network (points, observations, direction sets and the settings of the
// coordinate system, Types.h) in the units of its source: coordinates in the input's own axes,
// angles in radians in the input's own sense of rotation, distances and heights in metres,
// standard deviations in radians or metres. Adjust() returns every result in the same axes and
// units (ellipse directions in radians from the input's +x axis towards its +y axis). The
// mathematics is written down at the top of Network.cpp; the engine is divided by job:
//   Axes            frames, the north/east conversion
//   Observations    kinds: names, angular or not, the points an observation touches
//   Validate        the checks of the input before anything is computed
//   ApproximateValues  approximate coordinates, heights and orientations
//   Linearization   the unknowns' numbering and the rows of the design matrix
//   Datum           parts, datum defect, constrained points, S-transformation
//   SelectedInverse the covariance blocks without the full inverse
//   Statistics      quantiles, the global test, data-snooping constants, ellipses
//   Network         the iteration and the assembly of the results
//
// Inputs are checked before anything is computed; a bad input, a network that cannot be located
// or oriented, a point that the observations do not determine, or an iteration that does not
// converge throws quorvil::Error with one Chinese message naming the point, the observation (by
// its line, when the reader gave one) or the defect. No result ever holds NaN or infinity.
//
// The API is meant for three callers: the file readers (io/survey), the command line, and the
// windows: a network window edits the tables of points and observations and shows the result
// tables; the traverse windows build a Network from their stations (TraverseNetwork.h) to adjust
// a traverse rigorously beside the approximate adjustment.
#pragma once

#include "Axes.h"
#include "Observations.h"
#include "Statistics.h"
#include "Types.h"

#include "core/Real.h"

namespace quorvil::network {

// Corrections below this end the iteration (metres).
inline constexpr Real ConvergenceTolerance = 1e-5L;
inline constexpr int IterationLimit = 12;

// Adjusts the network. Throws Error.
Result Adjust(const Network &network);

// The network with the approximate coordinates and heights the adjustment starts from filled in
// (hasXY and hasZ set for every point that observations reach). Throws Error.
Network WithApproximateValues(const Network &network);

} // namespace quorvil::network
