// Gauss–Krüger projection: the classical power series in the longitude difference, with the
// meridian arc expanded to e^14; the inverse finds the footpoint latitude by fixed-point iteration.
// Zone handling (central meridian, Y constant, zone number) belongs to the callers.
#pragma once

#include "Ellipsoid.h"

namespace quorvil {

struct PlaneXY {
    Real x = 0; // northing, metres
    Real y = 0; // easting from the central meridian, metres
};

struct LatLon {
    Real B = 0; // latitude, decimal degrees
    Real l = 0; // longitude difference from the central meridian, decimal degrees
};

// Meridian arc from the equator to latitude phi (radians).
Real MeridianArc(const Ellipsoid &ellipsoid, Real phi);

PlaneXY GaussForward(const Ellipsoid &ellipsoid, Real B, Real l);
LatLon GaussInverse(const Ellipsoid &ellipsoid, Real x, Real y);

} // namespace quorvil
