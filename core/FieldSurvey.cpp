#include "FieldSurvey.h"

#include "TextForms.h"

#include <cmath>

namespace quorvil {

namespace {

// "第3行(点号 P7)：" — the row a message is about, as the user sees it in the table.
std::string RowPrefix(int row, std::string_view pointName)
{
    std::string prefix = "第" + std::to_string(row) + "行";
    const auto first = pointName.find_first_not_of(" \t");
    if (first != std::string_view::npos) {
        const auto last = pointName.find_last_not_of(" \t");
        prefix += "(点号 " + std::string(pointName.substr(first, last - first + 1)) + ")";
    }
    return prefix + "：";
}

} // namespace

BearingDistance CoordinateInverse(Real x1, Real y1, Real x2, Real y2)
{
    const Real dx = x2 - x1;
    const Real dy = y2 - y1;
    BearingDistance result;
    result.bearing = Azimuth(x1, y1, x2, y2);
    result.distance = std::sqrt(dx * dx + dy * dy);
    return result;
}

GridPoint CoordinateForward(Real x1, Real y1, Real distance, Real bearing)
{
    // Coordinate increments along the bearing.
    const Real dx = distance * std::cos(bearing);
    const Real dy = distance * std::sin(bearing);
    return {x1 + dx, y1 + dy};
}

Real ReduceToOneTurn(Real angle)
{
    if (angle < 0)
        angle += TwoPi;
    if (angle >= TwoPi)
        angle -= TwoPi;
    return angle;
}

Real CircleOrientation(Real backsightBearing, Real backsightReading)
{
    return ReduceToOneTurn(backsightBearing - backsightReading);
}

PolarPoint ReducePolarObservation(const PolarStation &station, DistanceMode distanceMode,
                                  VerticalMode verticalMode, const PolarObservation &observation,
                                  int row, std::string_view pointName)
{
    // Grid bearing of the line station → point.
    const Real h = DegToRad(DmsToDeg(observation.circleReading));
    const Real bearing = ReduceToOneTurn(h + station.orientation);

    const Real d = observation.distance;
    const bool angular = verticalMode != VerticalMode::HeightDifference;

    // Elevation angle of the line of sight (angle modes) or height difference (metres).
    Real v = observation.vertical;
    if (verticalMode == VerticalMode::VerticalAngle)
        v = DegToRad(DmsToDeg(v));
    else if (verticalMode == VerticalMode::ZenithAngle)
        v = HalfPi - DegToRad(DmsToDeg(v));

    // Horizontal distance.
    Real D = d;
    switch (distanceMode) {
    case DistanceMode::Horizontal:
        break;
    case DistanceMode::Slope:
        if (angular) {
            D = d * std::cos(v);
        } else {
            // Slope distance and height difference are the hypotenuse and one leg.
            if (std::fabs(d) < std::fabs(v))
                throw PolarRowError(RowPrefix(row, pointName)
                                    + "斜距小于垂直距，无法归算水平距，请检查斜距和垂直距。");
            D = std::copysign(std::sqrt(d * d - v * v), d);
        }
        break;
    case DistanceMode::Stadia:
        if (!angular)
            throw PolarRowError(RowPrefix(row, pointName)
                                + "视距不能按“垂直距(全站仪)”归算，请将竖角方式改为垂直角或天顶角。");
        D = d * std::cos(v) * std::cos(v);
        break;
    }

    // Height of the point: station height, height difference of the line of sight, instrument
    // height up, prism height down.
    const Real dh = angular ? D * std::tan(v) : v;
    PolarPoint point;
    point.h = station.h + dh + station.instrumentHeight - observation.prismHeight;
    point.x = station.x + D * std::cos(bearing);
    point.y = station.y + D * std::sin(bearing);
    return point;
}

} // namespace quorvil
