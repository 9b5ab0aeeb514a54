// Gauss–Krüger projection: the classical power series in the longitude difference, with the
// meridian arc expanded to e^14; the inverse finds the footpoint latitude by fixed-point iteration.
// Zone handling (central meridian, Y constant, zone number) belongs to the callers.
#pragma once

#include "Ellipsoid.h"
#include "SinCos.h"

namespace quorvil {

struct PlaneXY {
    Real x = 0; // northing, metres
    Real y = 0; // easting from the central meridian, metres
};

struct LatLon {
    Real B = 0; // latitude, decimal degrees
    Real l = 0; // longitude difference from the central meridian, decimal degrees
};

// The series of one ellipsoid with its constants (eccentricities, meridian-arc coefficients)
// worked out once, for callers that project many points on the same ellipsoid. GaussForward and
// GaussInverse go through it and give exactly the same results (they keep the constants of the
// last ellipsoids used on the calling thread, which changes nothing but their speed).
class GaussKrugerSeries {
public:
    explicit GaussKrugerSeries(const Ellipsoid &ellipsoid);

    Real MeridianArc(Real phi) const;
    PlaneXY Forward(Real B, Real l) const;
    LatLon Inverse(Real x, Real y) const;

    // Whether every constant is a finite number (false for empty or absurd axes).
    bool IsFinite() const;

private:
    struct Footpoint {
        Real phi;
        SineCosine sc;
    };

    Real PrimeVerticalRadius(Real sinPhi, Real cosPhi) const;
    Real ArcPeriodic(Real sinPhi, Real cosPhi) const;
    Real FootpointMap(Real x, const SineCosine &sc) const;
    Footpoint FootpointLatitude(Real x) const;
    bool FootpointBySeries(Real phi0, const SineCosine &sc0, Real phi1, Footpoint &footpoint) const;

    Real a2_ = 0, b2_ = 0;     // squared semi-axes
    Real perA2_ = 0;           // 1 / a²
    Real e2_ = 0, ep2_ = 0;    // first and second eccentricity squared
    Real polarFactor_ = 0;     // a (1 − e²)
    Real C0_ = 0, C1_ = 0, C2_ = 0, C3_ = 0, C4_ = 0; // meridian-arc coefficients
    Real K_ = 0;               // a (1 − e²) C0, arc length per radian of the mean term
    Real perK_ = 0;            // 1 / K
    // Taylor coefficients of the footpoint map's derivatives, per order and harmonic (see
    // FootpointBySeries), and whether the ellipsoid is flat enough for that path.
    double mapDerivatives_[7][4] = {};
    bool seriesFootpoint_ = false;
};

// Meridian arc from the equator to latitude phi (radians).
Real MeridianArc(const Ellipsoid &ellipsoid, Real phi);

PlaneXY GaussForward(const Ellipsoid &ellipsoid, Real B, Real l);
LatLon GaussInverse(const Ellipsoid &ellipsoid, Real x, Real y);

} // namespace quorvil
