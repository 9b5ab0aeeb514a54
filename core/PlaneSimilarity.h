// Plane similarity transformations with a height shift.
//
// The model carries plane coordinates (x northing, y easting) and a height from an old local
// system to a new one:
//   X = K·x·cos T − K·y·sin T + Dx
//   Y = K·x·sin T + K·y·cos T + Dy
//   H = h + Dh
// Its parameters come either exactly from two common points (a base point carried exactly onto
// its new coordinates and a second point fixing rotation and scale, with a separate height
// reference point), or from any number of common points by least squares, solved in closed form
// after reduction to the centroids.
//
// Degenerate geometry is refused with a message rather than left to divide by zero: two old points
// at the same place cannot fix a rotation or a scale, and neither can a set of common points that
// has fewer than two distinct old positions.
#pragma once

#include "Error.h"
#include "Real.h"

#include <vector>

namespace quorvil {

// The four plane parameters and the height shift. T is in radians here; windows show it either
// as packed ddd.mmss (two-point tool) or in arc-seconds (multi-point tool).
struct FourParameters {
    Real Dx = 0; // shift in x, metres
    Real Dy = 0; // shift in y, metres
    Real T = 0;  // rotation, radians, turning +x toward +y
    Real K = 1;  // scale factor
    Real Dh = 0; // height shift, metres
};

struct PlanePointH {
    Real x = 0, y = 0, H = 0;
};

// The common points of the two-point transformation, as the user types them.
struct TwoCommonPoints {
    PlanePointH oldBase, newBase;     // base point: mapped exactly (H unused)
    PlanePointH oldSecond, newSecond; // second point: fixes rotation and scale (H unused)
    Real oldHeight = 0, newHeight = 0; // height reference point
};

// One common point of the least-squares estimation, old and new system.
struct CommonPoint {
    PlanePointH oldPoint, newPoint;
};

struct FourParameterEstimate {
    FourParameters parameters;
    // Transformed old point minus new point, per common point, in input order, from the
    // unrounded parameters.
    std::vector<PlanePointH> residuals;
};

// Refusal of degenerate common-point geometry; what() is the text shown to the user.
class PlaneSimilarityError : public Error {
public:
    using Error::Error;
};

inline constexpr const char *CoincidentOldPointsText =
    "基准点与附合点的老坐标相同，无法确定转换参数！";
inline constexpr const char *TooFewCommonPointsText =
    "公共点不足：至少需要两个老坐标不同的公共点才能解算四参数！";

// Exact similarity through two common points. Scale K = S / S′ from the new and old distances
// base → second point; rotation T = α − α′ from the two grid bearings (not reduced to any
// range); shifts so that the base point maps exactly; Dh = new − old height of the height
// reference point. With unitScale, K is 1 and only T, the shifts and Dh are computed.
// Throws PlaneSimilarityError if the two old points coincide; a new pair that coincides gives
// the invalid-operation error of Azimuth.
FourParameters TwoPointSimilarity(const TwoCommonPoints &common, bool unitScale = false);

// Point conversion of the two-point tool: X = cos T·(K·x) + Dx − sin T·(K·y), and so on.
PlanePointH ConvertTwoPoint(const FourParameters &p, const PlanePointH &old);

// Least-squares plane similarity from common points, closed form after reduction to the
// centroids; T in (−π, π]. Throws PlaneSimilarityError when fewer than two distinct old
// positions are given.
FourParameterEstimate EstimateFourParameters(const std::vector<CommonPoint> &points);

// Point conversion of the multi-point tool, with a = K·cos T and b = K·sin T:
// x′ = x·a + Dx − y·b, y′ = x·b + Dy + y·a, H′ = H + Dh.
PlanePointH ConvertFourParameters(const FourParameters &p, const PlanePointH &old);

// Rotation between radians and the arc-seconds the multi-point tool shows and stores.
inline Real RadiansToArcSeconds(Real radians) { return radians * 180 / Pi * 3600; }
inline Real ArcSecondsToRadians(Real seconds) { return seconds / 3600 * Pi / 180; }

} // namespace quorvil
