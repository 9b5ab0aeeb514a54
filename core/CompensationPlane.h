// Height-compensation plane: where a survey area lies away from the central meridian and above
// sea level, the Gauss projection lengthens a line while its reduction to the ellipsoid shortens
// it. A reference surface at the right height makes the two cancel; projecting on an ellipsoid
// enlarged to pass through that surface (same eccentricity) gives coordinates whose distances
// match the ground.
#pragma once

#include "Ellipsoid.h"
#include "GaussKruger.h"

namespace quorvil {

// Mean radius of curvature √(M N) at latitude B (decimal degrees).
Real MeanRadius(const Ellipsoid &ellipsoid, Real B);

// Length change of a 1000 m line, in millimetres, for an area at mean latitude B (degrees), at
// mean distance ym (metres) from the central meridian and mean ellipsoidal height H (metres):
// the reduction to the ellipsoid (negative above it) plus the projection distortion of the
// reduced line.
Real DistortionPerKilometre(const Ellipsoid &ellipsoid, Real B, Real ym, Real H);

// Ellipsoidal height of the surface on which the two effects cancel: H − ym² / (2R).
Real CompensationHeight(const Ellipsoid &ellipsoid, Real B, Real ym, Real H);

// The ellipsoid of the same eccentricity whose mean radius of curvature at latitude B (degrees)
// is R + Hd, that is, which passes through the compensation surface at height Hd.
Ellipsoid EnlargedEllipsoid(const Ellipsoid &ellipsoid, Real B, Real Hd);

// Change of geodetic latitude (degrees) of a point at latitude B (degrees) when the semi-major
// axis grows by deltaA metres at constant eccentricity.
Real LatitudeShift(const Ellipsoid &ellipsoid, Real B, Real deltaA);

// Plane coordinates of a point on `from` to the same point on `to` (an enlarged ellipsoid): back
// to latitude and longitude difference, shift the latitude for the larger axis at constant
// eccentricity, project again. y is measured from the central meridian (no Y constant).
PlaneXY CompensationTransform(const Ellipsoid &from, const Ellipsoid &to, Real x, Real y);

} // namespace quorvil
