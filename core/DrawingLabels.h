// What the drawing tools write beside the points they pick: the next default point name, the
// Gauss–Krüger zone of a grid easting, and the geographic and plane coordinate labels.
#pragma once

#include "Ellipsoid.h"

#include <string>
#include <string_view>

namespace quorvil {

// The name after `name`: its trailing decimal digits, read as a whole number of any length, plus
// one, without leading zeros (J1 → J2, A09 → A10, J99999999999 → J100000000000); a name without
// trailing digits gets "1" appended (K → K1).
std::string NextPointName(std::string_view name);

// The zone of a grid easting Y (zone number in front of the millions, then the Y constant 500000).
struct GaussZone {
    int number = 0;           // N = integer part of Y / 1000000
    Real centralMeridian = 0; // L0, decimal degrees: 6N − 3 for 6° zones, 3N for 3° zones
    Real reducedY = 0;        // y′ = Y − N·1000000 − 500000, easting from the central meridian
};

// Throws Error with a message for the user when Y is negative (west of the false origin) or its
// zone number has no central meridian (beyond 60 six-degree or 120 three-degree zones). An easting
// without zone number (below 1000000) is zone 0.
GaussZone ZoneOfEasting(Real Y, int zoneWidth);

// Latitude and longitude (decimal degrees, the longitude counted from Greenwich) of grid point X
// north, Y east with zone number and Y constant, by the inverse projection in its zone. Throws
// Error as ZoneOfEasting.
struct GridGeodetic {
    Real B = 0;
    Real L = 0;
};
GridGeodetic GeodeticOfGrid(const Ellipsoid &ellipsoid, Real X, Real Y, int zoneWidth);

// Bytes of a UTF-8 text in the GBK encoding: one for ASCII, two for each other character (the
// degree, minute and second marks and Chinese characters).
int GbkLength(std::string_view utf8);

struct GeographicLabel {
    Real B = 0;        // latitude, decimal degrees
    Real L = 0;        // longitude, decimal degrees
    std::string north; // "N" + latitude as ddd°mm′ss″
    std::string east;  // "E" + longitude
    int leaderBytes = 0; // the greater GBK length of the two texts: the leader runs under it
};

// The latitude and longitude of grid point (X north, Y east with zone number and Y constant) by
// the inverse projection, as label texts with `secondDecimals` decimals of the seconds.
// Throws Error as ZoneOfEasting.
GeographicLabel GeographicLabelOf(const Ellipsoid &ellipsoid, Real X, Real Y, int zoneWidth, int secondDecimals);

struct PlaneLabel {
    std::string x;     // "X=" + drawing Y (north), 3 decimals
    std::string y;     // "Y=" + drawing X (east)
    int length = 0;    // the greater length of the two texts
};

PlaneLabel PlaneLabelOf(Real drawingX, Real drawingY);

} // namespace quorvil
