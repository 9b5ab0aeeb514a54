// Datum transformation of plane or geodetic coordinates with heights between two ellipsoids,
// through earth-centred coordinates and the seven-parameter model.
//
// Each side of a transformation is either Gauss–Krüger plane coordinates (x, y, H) or geodetic
// coordinates (B, L as packed ddd.mmss, H). Both sides share one working meridian: longitudes
// enter the spatial frame as differences from it, so the frame's X axis lies in the plane of the
// working meridian and parameters are valid only under the meridian of their estimation.
// Heights in the tables are elevations; the height anomaly ζ of each side turns them into
// ellipsoidal heights (h = H + ζ on the way in, H = h − ζ on the way out).
#pragma once

#include "Cartesian.h"
#include "Ellipsoid.h"
#include "SevenParameters.h"

#include <array>
#include <span>
#include <vector>

namespace quorvil {

enum class DatumCoordinates { Plane, Geodetic };

// One coordinate system of a datum transformation, as read from its fields.
struct DatumSide {
    DatumCoordinates kind = DatumCoordinates::Plane;
    Ellipsoid ellipsoid;
    Real centralMeridian = 0; // decimal degrees; the plane system's own central meridian
    Real yConstant = 0;       // metres, plane side only
    Real heightAnomaly = 0;   // ζ, metres
    // A plane side whose central meridian is not the working meridian turns its longitude
    // difference into one from the working meridian: l + L0side − L0working.
    bool reduceToWorkingMeridian = false;
};

struct DatumTransform {
    DatumSide oldSide;
    DatumSide newSide;
    Real workingMeridian = 0; // decimal degrees
};

// Three values of a table row: plane x, y, H or geodetic B, L (packed ddd.mmss), H as typed; as a
// result of the back conversion, plane x, y (with the Y constant), H or geodetic B, L in decimal
// degrees and H.
using DatumTriple = std::array<Real, 3>;

// y without the zone number in front of the millions: y − trunc(y / 1000000) × 1000000.
Real StripZoneNumber(Real y);

// A side's typed values to spatial coordinates on its ellipsoid (old-side and new-side
// conversions).
CartesianXYZ SideToCartesian(const DatumSide &side, Real workingMeridian, const DatumTriple &typed);

// Spatial coordinates on a side's ellipsoid to its values (back conversion): plane x, y + Y
// constant, H; or geodetic B, L (decimal degrees, L = l + working meridian), H. A geodetic
// longitude is taken on the whole circle, so points more than 90° from the working meridian come
// back where they were, not 180° off.
DatumTriple CartesianToSide(const DatumSide &side, Real workingMeridian, const CartesianXYZ &xyz);

// Residuals of a common point, computed minus given: plane x, y (against the given y without its
// zone number) and H in metres; geodetic B and L in arc-seconds (the longitude residual is an
// angle at the centre, not multiplied by cos B) and H in metres.
DatumTriple SideResiduals(const DatumSide &side, const DatumTriple &computed, const DatumTriple &given);

// One point through the transformation: old-side conversion, the model, back conversion.
DatumTriple TransformDatumPoint(const DatumTransform &t, const SevenParameters &p, const DatumTriple &oldTyped);

struct DatumCommonPoint {
    DatumTriple oldTyped;
    DatumTriple newTyped;
};

struct DatumEstimate {
    SevenParameters parameters;          // unrounded, rotations in radians
    std::vector<DatumTriple> residuals;  // one per common point, in their order
};

// Estimates the parameters from every common point (old-side and new-side conversions, normal
// equations, elimination) and computes the residuals of each point with the unrounded solution.
// Throws PoorCommonPointsError when the points cannot fix the parameters.
DatumEstimate EstimateDatum(const DatumTransform &t, std::span<const DatumCommonPoint> points);

} // namespace quorvil
