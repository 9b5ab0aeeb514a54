// Field computations of plane surveying: the two elementary problems (coordinate inverse, from two
// points to distance and grid bearing; coordinate forward, from a point, distance and bearing to
// the second point) and the reduction of a polar survey (total station or theodolite field book)
// to plane coordinates and heights.
//
// The polar reduction supports three distance observations (horizontal, slope, stadia) and three
// vertical observations (height difference, vertical angle, zenith angle). The cosine reductions
// of a slope or stadia distance need an angle; when the vertical observation is a height
// difference in metres instead, a slope distance d is reduced by Pythagoras to √(d² − v²), and a
// stadia distance is refused: a stadia reduction cannot be made without the vertical angle.
#pragma once

#include "Error.h"
#include "Real.h"

#include <string>
#include <string_view>

namespace quorvil {

struct BearingDistance {
    Real distance = 0; // metres
    Real bearing = 0;  // grid bearing, radians in [0, 2π), clockwise from north
};

struct GridPoint {
    Real x = 0; // northing, metres
    Real y = 0; // easting, metres
};

// Distance and grid bearing from point 1 to point 2. Two identical points raise
// "Invalid floating point operation" (the bearing is undefined).
BearingDistance CoordinateInverse(Real x1, Real y1, Real x2, Real y2);

// Point at `distance` along grid bearing `bearing` (radians) from (x1, y1). A negative distance
// gives the point in the opposite direction.
GridPoint CoordinateForward(Real x1, Real y1, Real distance, Real bearing);

// An angle brought into [0, 2π) by at most one turn added or taken away.
Real ReduceToOneTurn(Real angle);

// How the distance to a detail point was measured.
enum class DistanceMode {
    Horizontal = 0, // horizontal distance (total station)
    Slope = 1,      // slope distance (semi-total station)
    Stadia = 2,     // stadia distance (theodolite)
};

// How the vertical component was observed.
enum class VerticalMode {
    HeightDifference = 0, // height difference in metres (total station)
    VerticalAngle = 1,    // elevation above the horizon, packed ddd.mmss
    ZenithAngle = 2,      // zenith angle, packed ddd.mmss
};

// Orientation of the horizontal circle: the bearing of its zero direction, ω = A − b brought into
// [0, 2π), from the backsight bearing A and the circle reading b on the backsight (radians).
Real CircleOrientation(Real backsightBearing, Real backsightReading);

struct PolarStation {
    Real x = 0;                // station northing
    Real y = 0;                // station easting
    Real h = 0;                // station height
    Real instrumentHeight = 0; // height of the instrument's horizontal axis above the station mark
    Real orientation = 0;      // circle orientation ω, radians (CircleOrientation)
};

// One row of the field book as typed: angles packed ddd.mmss, lengths in metres.
struct PolarObservation {
    Real circleReading = 0; // horizontal circle reading to the point, packed
    Real distance = 0;      // horizontal, slope or stadia distance by the distance mode
    Real vertical = 0;      // height difference (m), vertical angle or zenith angle (packed)
    Real prismHeight = 0;   // target height above the point
};

struct PolarPoint {
    Real x = 0;
    Real y = 0;
    Real h = 0;
};

// A field-book row that cannot be reduced; the message names the row (data rows count from 1)
// and, when it has one, the point.
class PolarRowError : public Error {
public:
    using Error::Error;
};

// Coordinates and height of the point observed in one field-book row. `row` and `pointName` only
// serve the message of a refused row.
PolarPoint ReducePolarObservation(const PolarStation &station, DistanceMode distanceMode,
                                  VerticalMode verticalMode, const PolarObservation &observation,
                                  int row, std::string_view pointName = {});

} // namespace quorvil
