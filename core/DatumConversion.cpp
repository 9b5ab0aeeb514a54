#include "DatumConversion.h"

#include "GaussKruger.h"
#include "TextForms.h"

#include <cmath>

namespace quorvil {

namespace {

constexpr Real ZoneNumberUnit = 1000000; // the zone number stands in front of the millions of y
constexpr Real SecondsPerDegree = 3600;
constexpr Real HalfCircle = 180; // degrees

} // namespace

Real StripZoneNumber(Real y)
{
    return y - std::trunc(y / ZoneNumberUnit) * ZoneNumberUnit;
}

CartesianXYZ SideToCartesian(const DatumSide &side, Real workingMeridian, const DatumTriple &typed)
{
    const Real ellipsoidalHeight = typed[2] + side.heightAnomaly;
    if (side.kind == DatumCoordinates::Geodetic) {
        const Real B = DmsToDeg(typed[0]);
        const Real L = DmsToDeg(typed[1]);
        return GeodeticToCartesian(side.ellipsoid, B, L - workingMeridian, ellipsoidalHeight);
    }
    // Easting from the central meridian: zone number and Y constant removed.
    const Real y = StripZoneNumber(typed[1]) - side.yConstant;
    const LatLon g = GaussInverse(side.ellipsoid, typed[0], y);
    const Real l = side.reduceToWorkingMeridian ? g.l + side.centralMeridian - workingMeridian : g.l;
    return GeodeticToCartesian(side.ellipsoid, g.B, l, ellipsoidalHeight);
}

DatumTriple CartesianToSide(const DatumSide &side, Real workingMeridian, const CartesianXYZ &xyz)
{
    const GeodeticBLH g = CartesianToGeodetic(side.ellipsoid, xyz.X, xyz.Y, xyz.Z);
    const Real H = g.H - side.heightAnomaly;
    if (side.kind == DatumCoordinates::Geodetic) {
        // The inverse gives the principal value of arctan(Y / X); a point more than 90° from the
        // working meridian (X < 0: eastern China under the default meridian 0) lies in the other
        // half of the circle.
        Real l = g.L;
        if (xyz.X < 0)
            l = xyz.Y >= 0 ? l + HalfCircle : l - HalfCircle;
        return {g.B, l + workingMeridian, H};
    }
    const PlaneXY plane = GaussForward(side.ellipsoid, g.B, g.L);
    return {plane.x, plane.y + side.yConstant, H};
}

DatumTriple SideResiduals(const DatumSide &side, const DatumTriple &computed, const DatumTriple &given)
{
    if (side.kind == DatumCoordinates::Geodetic)
        return {(computed[0] - DmsToDeg(given[0])) * SecondsPerDegree,
                (computed[1] - DmsToDeg(given[1])) * SecondsPerDegree, computed[2] - given[2]};
    return {computed[0] - given[0], computed[1] - StripZoneNumber(given[1]), computed[2] - given[2]};
}

DatumTriple TransformDatumPoint(const DatumTransform &t, const SevenParameters &p, const DatumTriple &oldTyped)
{
    const CartesianXYZ oldXYZ = SideToCartesian(t.oldSide, t.workingMeridian, oldTyped);
    const CartesianXYZ newXYZ = ApplySevenParameters(p, oldXYZ);
    return CartesianToSide(t.newSide, t.workingMeridian, newXYZ);
}

DatumEstimate EstimateDatum(const DatumTransform &t, std::span<const DatumCommonPoint> points)
{
    std::vector<CommonPointXYZ> spatial;
    spatial.reserve(points.size());
    for (const DatumCommonPoint &point : points) {
        CommonPointXYZ xyz;
        xyz.oldXYZ = SideToCartesian(t.oldSide, t.workingMeridian, point.oldTyped);
        xyz.newXYZ = SideToCartesian(t.newSide, t.workingMeridian, point.newTyped);
        spatial.push_back(xyz);
    }
    DatumEstimate estimate;
    estimate.parameters = EstimateSevenParameters(spatial);

    // Residual pass with the unrounded solution.
    estimate.residuals.reserve(points.size());
    for (const DatumCommonPoint &point : points) {
        const DatumTriple computed = TransformDatumPoint(t, estimate.parameters, point.oldTyped);
        estimate.residuals.push_back(SideResiduals(t.newSide, computed, point.newTyped));
    }
    return estimate;
}

} // namespace quorvil
