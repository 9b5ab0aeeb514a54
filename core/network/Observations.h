// What the adjustment knows of each kind of observation apart from its model: its names, whether
// it is angular, which dimension of the points it observes, and which points it touches. Every
// part of the engine asks these questions here rather than switching on the kind itself, so that
// a new kind is described in one table.
#pragma once

#include "Types.h"

#include <string>

namespace quorvil::network {

// The coordinates an observation kind is a function of.
enum class Dimension : unsigned char {
    Plane,  // N, E (and the orientation of a direction set)
    Height, // H
    Space,  // N, E and H together (slope distance, zenith angle)
};

// "direction", "angle", "distance", "azimuth", "coordinate", "dh", "s-distance", "z-angle".
const char *KindName(ObservationKind kind);
// "方向", "角度", "距离", "方位角", "坐标", "高差", "斜距", "天顶距".
const char *KindNameZh(ObservationKind kind);
bool IsAngular(ObservationKind kind);
// An angle in the horizontal plane: it changes sign with the network's sense of rotation (a
// zenith angle is angular but does not).
bool TurnsWithSense(ObservationKind kind);
Dimension DimensionOf(ObservationKind kind);
// Whether the kind is a function of the points' N, E (plane) or H (height); a spatial kind is both.
bool UsesPlane(ObservationKind kind);
bool UsesHeight(ObservationKind kind);

// The points an observation touches, its station (or start, or observed point) first:
// direction: station, target; angle: station, backsight, foresight; observed coordinate: the
// point; the others: from, to. The indices are not checked.
struct ObservationPoints {
    static constexpr int Capacity = 3;
    int count = 0;
    int point[Capacity] = {-1, -1, -1};

    const int *begin() const { return point; }
    const int *end() const { return point + count; }
};

ObservationPoints PointsOf(const Network &network, const Observation &o);
// The first of them: the station of a direction's set, else `from`.
int StationOf(const Network &network, const Observation &o);

// "A-B", "S: B-F" (angle), "A x" (coordinate): how messages and tables name an observation.
std::string ObservationLabel(const Network &network, const Observation &o);

} // namespace quorvil::network
