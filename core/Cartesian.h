// Geodetic latitude, longitude and height to earth-centred Cartesian X, Y, Z and back (closed form).
// Callers pass longitudes relative to a working meridian: the inverse returns the principal value
// of arctan(Y / X), between −90° and 90°.
#pragma once

#include "Ellipsoid.h"

namespace quorvil {

struct CartesianXYZ {
    Real X = 0, Y = 0, Z = 0; // metres
};

struct GeodeticBLH {
    Real B = 0, L = 0; // decimal degrees
    Real H = 0;        // ellipsoidal height, metres
};

CartesianXYZ GeodeticToCartesian(const Ellipsoid &ellipsoid, Real B, Real L, Real H);
GeodeticBLH CartesianToGeodetic(const Ellipsoid &ellipsoid, Real X, Real Y, Real Z);

} // namespace quorvil
