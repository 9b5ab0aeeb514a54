#include "Traverse.h"

#include "Error.h"
#include "TextForms.h"

#include <cmath>

namespace quorvil {

namespace {

// Bearing ahead from the bearing behind and the left angle (packed ddd.mmss) at the station.
Real BearingAhead(Real behind, Real packedAngle)
{
    return NormalBearing(behind + DegToRad(DmsToDeg(packedAngle)) - Pi);
}

// Chains the stations from B through the raw increments of every leg and sums the lengths;
// the misclosure at the known closing point follows.
void CarryCoordinates(TraverseResult &r, const PlanePoint &b)
{
    r.stations.assign(1, b);
    r.totalLength = 0;
    for (TraverseLeg &leg : r.legs) {
        leg.dx = leg.distance * std::cos(leg.bearing);
        leg.dy = leg.distance * std::sin(leg.bearing);
        const PlanePoint &from = r.stations.back();
        r.stations.push_back({from.x + leg.dx, from.y + leg.dy});
        r.totalLength += leg.distance;
    }
    r.fx = r.stations.back().x - r.closingKnown.x;
    r.fy = r.stations.back().y - r.closingKnown.y;
    r.fs = std::sqrt(r.fx * r.fx + r.fy * r.fy);
}

// Carries the bearings of the legs through the observed angles from `start`, each leg taking
// the distance observed at its first station; returns the last bearing carried.
Real CarryLegBearings(TraverseResult &r, Real start, const std::vector<TraverseObservation> &obs)
{
    Real alpha = start;
    r.legs.resize(obs.size());
    for (size_t i = 0; i < obs.size(); ++i) {
        alpha = BearingAhead(alpha, obs[i].angle);
        r.legs[i].carriedBearing = r.legs[i].bearing = alpha;
        r.legs[i].distance = obs[i].distance;
    }
    return alpha;
}

} // namespace

Real TraverseResult::Bearing(size_t h) const
{
    if (h == 0)
        return startBearing;
    if (h <= legs.size())
        return legs[h - 1].bearing;
    return closingBearing;
}

std::vector<PlanePoint> TraverseResult::NewPoints() const
{
    if (stations.size() < 3)
        return {};
    return {stations.begin() + 1, stations.end() - 1};
}

TraverseResult CarryConnectingTraverse(const ConnectingTraverseInput &input)
{
    const auto &obs = input.observations;
    if (obs.size() < 2)
        throw Error(ConnectingTooFewText);
    const size_t n = obs.size(); // N, the number of observed angles

    TraverseResult r;
    r.closingKnown = input.c;
    r.startBearing = Azimuth(input.a.x, input.a.y, input.b.x, input.b.y);
    r.knownClosingBearing = Azimuth(input.c.x, input.c.y, input.d.x, input.d.y);

    // Bearings carried through the observed angles: α[1 … N−1] of the legs, α[N] of C→D.
    r.legs.resize(n - 1);
    Real alpha = r.startBearing;
    for (size_t i = 1; i <= n; ++i) {
        alpha = BearingAhead(alpha, obs[i - 1].angle);
        if (i < n) {
            r.legs[i - 1].carriedBearing = alpha;
            r.legs[i - 1].distance = obs[i - 1].distance;
        }
    }
    r.closingBearing = alpha;

    // Angular misclosure, computed minus known, within half a turn; shared equally.
    Real fb = r.closingBearing - r.knownClosingBearing;
    if (fb < -Pi)
        fb += TwoPi;
    if (fb > Pi)
        fb -= TwoPi;
    r.angleMisclosure = fb;
    r.angleCount = n;
    r.angleCorrection = -fb / static_cast<Real>(n);

    // Corrected bearings: leg i receives i shares of the correction.
    for (size_t i = 1; i < n; ++i) {
        TraverseLeg &leg = r.legs[i - 1];
        leg.bearing = NormalBearing(leg.carriedBearing + static_cast<Real>(i) * r.angleCorrection);
    }
    CarryCoordinates(r, input.b);
    return r;
}

TraverseResult AdjustConnectingTraverse(const ConnectingTraverseInput &input)
{
    return DistributeMisclosure(CarryConnectingTraverse(input));
}

TraverseResult CarrySingleSideTraverse(const SingleSideTraverseInput &input)
{
    const auto &obs = input.observations;
    if (obs.empty())
        throw Error(SingleSideTooFewText);

    TraverseResult r;
    r.closingKnown = input.c;
    r.startBearing = Azimuth(input.a.x, input.a.y, input.b.x, input.b.y);
    r.closingBearing = CarryLegBearings(r, r.startBearing, obs);
    CarryCoordinates(r, input.b);
    return r;
}

TraverseResult AdjustSingleSideTraverse(const SingleSideTraverseInput &input)
{
    return DistributeMisclosure(CarrySingleSideTraverse(input));
}

TraverseResult CarryNoOrientationTraverse(const NoOrientationTraverseInput &input)
{
    const auto &obs = input.observations;
    if (obs.empty())
        throw Error(NoOrientationTooFewText);

    TraverseResult r;
    r.closingKnown = input.c;
    r.startBearing = 0; // arbitrary: the rotation below removes it

    // First pass: carried on the arbitrary start bearing, to find where C lands.
    CarryLegBearings(r, r.startBearing, obs);
    CarryCoordinates(r, input.b);
    const PlanePoint carriedEnd = r.stations.back();

    // Rotation about B that puts the carried end on the known bearing B→C, in (0, 2π].
    Real theta = Azimuth(input.b.x, input.b.y, input.c.x, input.c.y)
                 - Azimuth(input.b.x, input.b.y, carriedEnd.x, carriedEnd.y);
    if (theta >= TwoPi)
        theta -= TwoPi;
    if (theta <= 0)
        theta += TwoPi;
    r.rotation = theta;

    // Second pass on the turned bearings.
    for (TraverseLeg &leg : r.legs)
        leg.bearing = NormalBearing(leg.carriedBearing + theta);
    CarryCoordinates(r, input.b);
    r.closingBearing = r.legs.back().bearing;
    return r;
}

TraverseResult AdjustNoOrientationTraverse(const NoOrientationTraverseInput &input)
{
    return DistributeMisclosure(CarryNoOrientationTraverse(input));
}

TraverseResult StartOpenTraverse(const PlanePoint &a, const PlanePoint &b)
{
    TraverseResult r;
    r.startBearing = r.closingBearing = Azimuth(a.x, a.y, b.x, b.y);
    r.closingKnown = b; // an open traverse has no closing point and no misclosure
    r.stations.assign(1, b);
    return r;
}

void ExtendOpenTraverse(TraverseResult &r, const TraverseObservation &observation)
{
    TraverseLeg leg;
    leg.carriedBearing = leg.bearing = BearingAhead(r.closingBearing, observation.angle);
    leg.distance = observation.distance;
    leg.dx = leg.distance * std::cos(leg.bearing);
    leg.dy = leg.distance * std::sin(leg.bearing);
    const PlanePoint &from = r.stations.back();
    r.stations.push_back({from.x + leg.dx, from.y + leg.dy});
    r.totalLength += leg.distance;
    r.closingBearing = leg.bearing;
    r.legs.push_back(leg);
}

TraverseResult ComputeOpenTraverse(const OpenTraverseInput &input)
{
    if (input.observations.empty())
        throw Error(OpenTooFewText);
    TraverseResult r = StartOpenTraverse(input.a, input.b);
    for (const TraverseObservation &observation : input.observations)
        ExtendOpenTraverse(r, observation);
    return r;
}

TraverseResult DistributeMisclosure(TraverseResult r)
{
    const bool exact = r.fx == 0 && r.fy == 0;
    PlanePoint at = r.stations.front();
    for (size_t j = 0; j < r.legs.size(); ++j) {
        TraverseLeg &leg = r.legs[j];
        if (exact) {
            leg.vx = leg.vy = 0;
        } else {
            leg.vx = -r.fx * leg.distance / r.totalLength;
            leg.vy = -r.fy * leg.distance / r.totalLength;
        }
        at = {at.x + leg.dx + leg.vx, at.y + leg.dy + leg.vy};
        r.stations[j + 1] = at;
    }
    return r;
}

} // namespace quorvil
