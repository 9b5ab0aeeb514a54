#include "core/DatumConversion.h"
#include "core/GaussKruger.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace quorvil;

namespace {

const Ellipsoid Krasovsky{6378245.0L, 6356863.0187730473L};
const Ellipsoid Iag75{6378140.0L, 6356755.2881575287L};
const Ellipsoid Wgs84{6378137.0L, 6356752.3142451795L};

DatumSide Plane(const Ellipsoid &e, Real L0, Real Y0 = 500000, Real zeta = 0)
{
    return {DatumCoordinates::Plane, e, L0, Y0, zeta, false};
}

DatumSide Geodetic(const Ellipsoid &e, Real zeta = 0)
{
    return {DatumCoordinates::Geodetic, e, 0, 0, zeta, false};
}

// The four windows' transformations: plane to plane (old central meridian reduced to the new
// one), geodetic to plane, plane to geodetic, geodetic to geodetic.
DatumTransform PlaneToPlane(const Ellipsoid &o, Real L0old, const Ellipsoid &n, Real L0new)
{
    DatumTransform t{Plane(o, L0old), Plane(n, L0new), L0new};
    t.oldSide.reduceToWorkingMeridian = true;
    return t;
}
DatumTransform GeodeticToPlane(const Ellipsoid &o, const Ellipsoid &n, Real L0) { return {Geodetic(o), Plane(n, L0), L0}; }
DatumTransform PlaneToGeodetic(const Ellipsoid &o, const Ellipsoid &n, Real L0) { return {Plane(o, L0), Geodetic(n), L0}; }
DatumTransform GeodeticToGeodetic(const Ellipsoid &o, const Ellipsoid &n, Real L0) { return {Geodetic(o), Geodetic(n), L0}; }

SevenParameters FromSeconds(Real DX, Real DY, Real DZ, Real WXs, Real WYs, Real WZs, Real K)
{
    return {DX, DY, DZ, SecondsToRadians(WXs), SecondsToRadians(WYs), SecondsToRadians(WZs), K};
}

// A result row as the windows print it: plane values at 4 decimals, geodetic B and L packed at
// 10 decimals and H at 4.
std::string Printed(const DatumSide &side, const DatumTriple &v)
{
    if (side.kind == DatumCoordinates::Geodetic)
        return NumberToText(10, DegToDms(v[0])) + "," + NumberToText(10, DegToDms(v[1])) + "," + NumberToText(4, v[2]);
    return NumberToText(4, v[0]) + "," + NumberToText(4, v[1]) + "," + NumberToText(4, v[2]);
}

// Typed values of a side from its back-converted values: geodetic angles packed.
DatumTriple Typed(const DatumSide &side, const DatumTriple &v)
{
    if (side.kind == DatumCoordinates::Geodetic)
        return {DegToDms(v[0]), DegToDms(v[1]), v[2]};
    return v;
}

TEST(StripZoneNumber, DropsTheMillions)
{
    struct Case {
        Real y;
        const char *stripped;
    };
    const Case cases[] = {
        {38500000, "500000.0000"},  {500123.456L, "500123.4560"}, {19654321.5L, "654321.5000"},
        {-123.4L, "-123.4000"},     {999999.9999L, "999999.9999"}, {1000000, "0.0000"},
        {-2345678.9L, "-345678.9000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumberToText(4, StripZoneNumber(c.y)), c.stripped) << "y " << static_cast<double>(c.y);
}

TEST(SideResiduals, UnitsOfEachSide)
{
    struct Case {
        const char *name;
        DatumSide side;
        DatumTriple computed, given;
        const char *printed; // B, L at 6 decimals and H at 4 for geodetic; 4 decimals for plane
    };
    const Case cases[] = {
        {"latitude 0.000001 degree", Geodetic(Wgs84), {35.000001L, 117, 10}, {35, 117, 10}, "0.003600,0.000000,0.0000"},
        {"longitude not reduced by cos B", Geodetic(Wgs84), {60, 117.5L + 1 / 3600.0L, 10}, {60, 117.3L, 9.5L}, "0.000000,1.000000,0.5000"},
        {"plane, zone number of the given y dropped", Plane(Wgs84, 117), {3000000.01L, 500000.02L, 5}, {3000000, 38500000, 5.03L},
         "0.0100,0.0200,-0.0300"},
    };
    for (const Case &c : cases) {
        const DatumTriple r = SideResiduals(c.side, c.computed, c.given);
        const int angleDecimals = c.side.kind == DatumCoordinates::Geodetic ? 6 : 4;
        EXPECT_EQ(NumberToText(angleDecimals, r[0]) + "," + NumberToText(angleDecimals, r[1]) + "," + NumberToText(4, r[2]), c.printed)
            << c.name;
    }
}

TEST(DatumTransform, IdentityAgreesWithTheProjection)
{
    // Identity parameters and one ellipsoid on both sides: each transformation is the plain
    // projection (or none) of its sides.
    struct Case {
        const char *name;
        DatumTransform t;
        DatumTriple old;
        std::string want;
    };
    auto gauss = [](const Ellipsoid &e, Real B, Real l, Real H) {
        const PlaneXY p = GaussForward(e, B, l);
        return NumberToText(4, p.x) + "," + NumberToText(4, p.y + 500000) + "," + NumberToText(4, H);
    };
    auto inverse = [](const Ellipsoid &e, Real x, Real y, Real L0, Real H) {
        const LatLon g = GaussInverse(e, x, y - 500000);
        return NumberToText(10, DegToDms(g.B)) + "," + NumberToText(10, DegToDms(g.l + L0)) + "," + NumberToText(4, H);
    };
    // The plane tools' inverse then forward projection of the same point.
    auto reprojected = [&](const Ellipsoid &e, Real x, Real y, Real L0from, Real L0to, Real H) {
        const LatLon g = GaussInverse(e, x, StripZoneNumber(y) - 500000);
        return gauss(e, g.B, g.l + L0from - L0to, H);
    };
    const Case cases[] = {
        {"plane to plane, same zone", PlaneToPlane(Krasovsky, 117, Krasovsky, 117), {3878776.9458L, 273912.2542L, 52.3L},
         reprojected(Krasovsky, 3878776.9458L, 273912.2542L, 117, 117, 52.3L)},
        {"plane to plane, near the central meridian", PlaneToPlane(Krasovsky, 117, Krasovsky, 117), {3878776.9458L, 536939.948L, 0},
         "3878776.9458,536939.9480,0.0000"},
        {"plane to plane, zone number dropped", PlaneToPlane(Iag75, 117, Iag75, 117), {3541234.5678L, 39498765.4321L, -12.5L},
         "3541234.5678,498765.4321,-12.5000"},
        {"plane to plane, 38500000 is the central meridian", PlaneToPlane(Iag75, 114, Iag75, 114), {3541234.5678L, 38500000, 0},
         "3541234.5678,500000.0000,0.0000"},
        {"plane to plane, zone change 117 to 114", PlaneToPlane(Krasovsky, 117, Krasovsky, 114),
         {3878776.9458L, 393912.2542L, 7}, reprojected(Krasovsky, 3878776.9458L, 393912.2542L, 117, 114, 7)},
        {"geodetic to plane", GeodeticToPlane(Krasovsky, Krasovsky, 117), {35, 114.3L, 100}, gauss(Krasovsky, 35, -2.5L, 100)},
        {"geodetic to plane, 3 degrees east", GeodeticToPlane(Wgs84, Wgs84, 111), {35, 114, 0}, gauss(Wgs84, 35, 3, 0)},
        {"plane to geodetic", PlaneToGeodetic(Krasovsky, Krasovsky, 117), {3878776.9458L, 273912.2542L, 44},
         inverse(Krasovsky, 3878776.9458L, 273912.2542L, 117, 44)},
        {"plane to geodetic, zone number", PlaneToGeodetic(Wgs84, Wgs84, 111), {3375601.7135L, 37612345.678L, 0},
         inverse(Wgs84, 3375601.7135L, 612345.678L, 111, 0)},
        {"geodetic to geodetic", GeodeticToGeodetic(Wgs84, Wgs84, 117), {35.1234567891L, 117.5432198765L, 123.4567L},
         "35.1234567891,117.5432198765,123.4567"},
        {"geodetic to geodetic, meridian 0", GeodeticToGeodetic(Wgs84, Wgs84, 0), {35.1234567891L, 117.5432198765L, 123.4567L},
         "35.1234567891,117.5432198765,123.4567"},
        {"geodetic to geodetic, south-west", GeodeticToGeodetic(Krasovsky, Krasovsky, 0), {-33.3012345678L, -120.0459L, 10},
         "-33.3012345678,-120.0459000000,10.0000"},
        {"geodetic to geodetic, far meridian", GeodeticToGeodetic(Iag75, Iag75, 75), {45.1001L, 134.5901L, 0},
         "45.1001000000,134.5901000000,0.0000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Printed(c.t.newSide, TransformDatumPoint(c.t, SevenParameters{}, c.old)), c.want) << c.name;
}

TEST(DatumTransform, HeightAnomalies)
{
    struct Case {
        const char *name;
        Real zetaOld, zetaNew;
        const char *H;
    };
    const Case cases[] = {
        {"none", 0, 0, "50.0000"},
        {"equal anomalies cancel", 12.5L, 12.5L, "50.0000"},
        {"old anomaly raises the ellipsoidal height", 10, 0, "60.0000"},
        {"new anomaly lowers the elevation", 0, -3.25L, "53.2500"},
    };
    for (const Case &c : cases) {
        DatumTransform t = GeodeticToGeodetic(Wgs84, Wgs84, 117);
        t.oldSide.heightAnomaly = c.zetaOld;
        t.newSide.heightAnomaly = c.zetaNew;
        EXPECT_EQ(NumberToText(4, TransformDatumPoint(t, SevenParameters{}, {35, 117, 50})[2]), c.H) << c.name;
    }
}

// Common points of a transformation made from known parameters: old typed values on a grid, the
// new ones carried through the model and printed as the new side's typed values.
std::vector<DatumCommonPoint> CommonPoints(const DatumTransform &t, const SevenParameters &truth,
                                           const std::vector<DatumTriple> &oldTyped)
{
    std::vector<DatumCommonPoint> points;
    for (const DatumTriple &o : oldTyped)
        points.push_back({o, Typed(t.newSide, TransformDatumPoint(t, truth, o))});
    return points;
}

std::vector<DatumTriple> GeodeticGrid()
{
    return {{34.3L, 116.3L, 30}, {34.3L, 117.3L, 80}, {35.3L, 116.3L, 55}, {35.3L, 117.3L, 10}, {34.5L, 116.5L, 120}};
}

std::vector<DatumTriple> PlaneGrid(const Ellipsoid &e, Real L0)
{
    std::vector<DatumTriple> plane;
    for (const DatumTriple &g : GeodeticGrid()) {
        const PlaneXY p = GaussForward(e, DmsToDeg(g[0]), DmsToDeg(g[1]) - L0);
        plane.push_back({p.x, p.y + 500000 + 20000000, g[2]}); // zone number 20 in front
    }
    return plane;
}

TEST(DatumTransform, RecoversParametersThroughEachPairOfSides)
{
    struct Case {
        const char *name;
        DatumTransform t;
        std::vector<DatumTriple> old;
    };
    const Case cases[] = {
        {"plane to plane", PlaneToPlane(Krasovsky, 117, Iag75, 117), PlaneGrid(Krasovsky, 117)},
        {"plane to plane, zone 114 to 117", PlaneToPlane(Krasovsky, 114, Iag75, 117), PlaneGrid(Krasovsky, 114)},
        {"geodetic to plane", GeodeticToPlane(Wgs84, Krasovsky, 117), GeodeticGrid()},
        {"plane to geodetic", PlaneToGeodetic(Krasovsky, Wgs84, 117), PlaneGrid(Krasovsky, 117)},
        {"geodetic to geodetic", GeodeticToGeodetic(Wgs84, Krasovsky, 117), GeodeticGrid()},
        {"geodetic to geodetic, meridian 0", GeodeticToGeodetic(Wgs84, Krasovsky, 0), GeodeticGrid()},
    };
    const SevenParameters truths[] = {
        FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L),
        FromSeconds(-15.415L, 157.025L, 94.142L, -1.467L, 0.347L, 1.077L, 1.0000023L),
    };
    for (const Case &c : cases) {
        for (const SevenParameters &truth : truths) {
            const DatumEstimate e = EstimateDatum(c.t, CommonPoints(c.t, truth, c.old));
            const SevenParameters &p = e.parameters;
            // The new coordinates pass through the projection and the closed-form inverse, both
            // good to some 0.01 mm here: shifts agree to 0.1 mm, rotations to 1e-5".
            EXPECT_NEAR(static_cast<double>(p.DX - truth.DX), 0, 1e-4) << c.name;
            EXPECT_NEAR(static_cast<double>(p.DY - truth.DY), 0, 1e-4) << c.name;
            EXPECT_NEAR(static_cast<double>(p.DZ - truth.DZ), 0, 1e-4) << c.name;
            EXPECT_NEAR(static_cast<double>(RadiansToSeconds(p.WX - truth.WX)), 0, 1e-5) << c.name;
            EXPECT_NEAR(static_cast<double>(RadiansToSeconds(p.WY - truth.WY)), 0, 1e-5) << c.name;
            EXPECT_NEAR(static_cast<double>(RadiansToSeconds(p.WZ - truth.WZ)), 0, 1e-5) << c.name;
            EXPECT_EQ(NumberToText(10, p.K), NumberToText(10, truth.K)) << c.name;
            ASSERT_EQ(e.residuals.size(), c.old.size());
            const bool geodetic = c.t.newSide.kind == DatumCoordinates::Geodetic;
            const std::string zero = geodetic ? "0.000000,0.000000,0.0000" : "0.0000,0.0000,0.0000";
            for (const DatumTriple &r : e.residuals)
                EXPECT_EQ(NumberToText(geodetic ? 6 : 4, r[0]) + "," + NumberToText(geodetic ? 6 : 4, r[1]) + "," + NumberToText(4, r[2]),
                          zero)
                    << c.name;
        }
    }
}

TEST(DatumTransform, WorkingMeridianTurnsTheFrame)
{
    // Estimated under meridians 114 and 117 (the points lie near 117): DZ, WZ and K agree, while
    // (DX, DY) and (WX, WY) turn with the frame by the 3° between the meridians. Each estimate
    // converts correctly under its own meridian only.
    const SevenParameters truth = FromSeconds(100, 0, 0, 0, 0, 2, 1.000005L);
    const DatumTransform at117 = GeodeticToGeodetic(Wgs84, Krasovsky, 117);
    const auto points = CommonPoints(at117, truth, GeodeticGrid());
    DatumTransform at114 = at117;
    at114.workingMeridian = 114;
    const SevenParameters p117 = EstimateDatum(at117, points).parameters;
    const SevenParameters p114 = EstimateDatum(at114, points).parameters;

    EXPECT_EQ(NumberToText(6, p114.DZ), NumberToText(6, p117.DZ));
    EXPECT_EQ(NumberToText(8, RadiansToSeconds(p114.WZ)), NumberToText(8, RadiansToSeconds(p117.WZ)));
    EXPECT_EQ(NumberToText(10, p114.K), NumberToText(10, p117.K));
    // A point at longitude L has frame longitude L − L0: the frame of 117 is that of 114 turned
    // by 3° about Z.
    const Real a = DegToRad(3);
    const Real c = std::cos(a), s = std::sin(a);
    EXPECT_NEAR(static_cast<double>(c * p114.DX + s * p114.DY), static_cast<double>(p117.DX), 1e-5);
    EXPECT_NEAR(static_cast<double>(-s * p114.DX + c * p114.DY), static_cast<double>(p117.DY), 1e-5);
    EXPECT_NEAR(static_cast<double>(RadiansToSeconds(c * p114.WX + s * p114.WY)), static_cast<double>(RadiansToSeconds(p117.WX)), 1e-7);
    EXPECT_NEAR(static_cast<double>(RadiansToSeconds(-s * p114.WX + c * p114.WY)), static_cast<double>(RadiansToSeconds(p117.WY)), 1e-7);
    EXPECT_GT(std::fabs(static_cast<double>(p114.DY)), 5.0) << "the shift did turn";

    for (const DatumCommonPoint &cp : points) {
        const std::string want = Printed(at117.newSide, {DmsToDeg(cp.newTyped[0]), DmsToDeg(cp.newTyped[1]), cp.newTyped[2]});
        EXPECT_EQ(Printed(at114.newSide, TransformDatumPoint(at114, p114, cp.oldTyped)), want);
        EXPECT_EQ(Printed(at117.newSide, TransformDatumPoint(at117, p117, cp.oldTyped)), want);
        EXPECT_NE(Printed(at117.newSide, TransformDatumPoint(at117, p114, cp.oldTyped)), want) << "parameters under another meridian";
    }
}

TEST(DatumTransform, HeightAnomaliesInTheEstimation)
{
    // Elevations become ellipsoidal heights by + ζ on both sides of a common point: when the
    // anomalies account for the whole difference of the given heights, the estimate is the
    // identity and the height residuals vanish.
    struct Case {
        const char *name;
        Real zetaOld, zetaNew, newMinusOldH;
    };
    const Case cases[] = {
        {"equal anomalies", 25, 25, 0},
        {"old anomaly only", 10, 0, 10},
        {"new anomaly only", 0, -7.5L, 7.5L},
        {"both", 31.25L, 12, 19.25L},
    };
    for (const Case &c : cases) {
        DatumTransform t = GeodeticToGeodetic(Krasovsky, Krasovsky, 117);
        t.oldSide.heightAnomaly = c.zetaOld;
        t.newSide.heightAnomaly = c.zetaNew;
        std::vector<DatumCommonPoint> points;
        for (const DatumTriple &g : GeodeticGrid())
            points.push_back({g, {g[0], g[1], g[2] + c.newMinusOldH}});
        const DatumEstimate e = EstimateDatum(t, points);
        const SevenParameters &p = e.parameters;
        EXPECT_EQ(NumberToText(6, p.DX) + "," + NumberToText(6, p.DY) + "," + NumberToText(6, p.DZ) + "," + NumberToText(10, p.K),
                  "0.000000,0.000000,0.000000,1.0000000000")
            << c.name;
        for (const DatumTriple &r : e.residuals)
            EXPECT_EQ(NumberToText(4, r[2]), "0.0000") << c.name;
    }
}

TEST(DatumTransform, RefusesPoorCommonPoints)
{
    const DatumTransform t = PlaneToPlane(Krasovsky, 117, Iag75, 117);
    const std::vector<DatumCommonPoint> cases[] = {
        {},
        {{{3800000, 500000, 0}, {3800000, 500000, 0}}, {{3810000, 510000, 0}, {3810000, 510000, 0}}},
        // Three points on one straight line of the plane.
        {{{3800000, 500000, 0}, {3800000, 500000, 0}},
         {{3805000, 505000, 0}, {3805000, 505000, 0}},
         {{3810000, 510000, 0}, {3810000, 510000, 0}}},
        // Three empty rows: one point three times.
        {{}, {}, {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_THROW(EstimateDatum(t, cases[i]), PoorCommonPointsError) << "case " << i;
}

} // namespace
