#include "Observations.h"

#include <cstddef>

namespace quorvil::network {

namespace {

struct KindInfo {
    ObservationKind kind;
    const char *name, *nameZh;
    bool angular;
    Dimension dimension;
};

// In the order of ObservationKind.
constexpr KindInfo Kinds[] = {
    {ObservationKind::Direction, "direction", "方向", true, Dimension::Plane},
    {ObservationKind::Angle, "angle", "角度", true, Dimension::Plane},
    {ObservationKind::Distance, "distance", "距离", false, Dimension::Plane},
    {ObservationKind::Azimuth, "azimuth", "方位角", true, Dimension::Plane},
    {ObservationKind::CoordinateX, "coordinate", "坐标", false, Dimension::Plane},
    {ObservationKind::CoordinateY, "coordinate", "坐标", false, Dimension::Plane},
    {ObservationKind::HeightDifference, "dh", "高差", false, Dimension::Height},
    {ObservationKind::SlopeDistance, "s-distance", "斜距", false, Dimension::Space},
    {ObservationKind::ZenithAngle, "z-angle", "天顶距", true, Dimension::Space},
};

constexpr bool InKindOrder()
{
    for (std::size_t i = 0; i < std::size(Kinds); ++i)
        if (static_cast<std::size_t>(Kinds[i].kind) != i)
            return false;
    return true;
}
static_assert(InKindOrder(), "Kinds must follow ObservationKind");

const KindInfo &Info(ObservationKind kind) { return Kinds[static_cast<std::size_t>(kind)]; }

} // namespace

const char *KindName(ObservationKind kind) { return Info(kind).name; }
const char *KindNameZh(ObservationKind kind) { return Info(kind).nameZh; }
bool IsAngular(ObservationKind kind) { return Info(kind).angular; }
bool TurnsWithSense(ObservationKind kind) { return Info(kind).angular && Info(kind).dimension == Dimension::Plane; }
Dimension DimensionOf(ObservationKind kind) { return Info(kind).dimension; }
bool UsesPlane(ObservationKind kind) { return Info(kind).dimension != Dimension::Height; }
bool UsesHeight(ObservationKind kind) { return Info(kind).dimension != Dimension::Plane; }

int StationOf(const Network &network, const Observation &o)
{
    return o.kind == ObservationKind::Direction ? network.sets[std::size_t(o.set)].station : o.from;
}

ObservationPoints PointsOf(const Network &network, const Observation &o)
{
    ObservationPoints p;
    p.point[p.count++] = StationOf(network, o);
    if (o.kind == ObservationKind::Angle)
        p.point[p.count++] = o.bs;
    if (o.kind != ObservationKind::CoordinateX && o.kind != ObservationKind::CoordinateY)
        p.point[p.count++] = o.to;
    return p;
}

std::string ObservationLabel(const Network &network, const Observation &o)
{
    const auto id = [&](int p) {
        return p >= 0 && std::size_t(p) < network.points.size() ? network.points[std::size_t(p)].id : std::string("?");
    };
    switch (o.kind) {
    case ObservationKind::Direction: {
        const int st = o.set >= 0 && std::size_t(o.set) < network.sets.size() ? network.sets[std::size_t(o.set)].station : -1;
        return id(st) + "-" + id(o.to);
    }
    case ObservationKind::Angle: return id(o.from) + ": " + id(o.bs) + "-" + id(o.to);
    case ObservationKind::CoordinateX: return id(o.from) + " x";
    case ObservationKind::CoordinateY: return id(o.from) + " y";
    default: return id(o.from) + "-" + id(o.to);
    }
}

} // namespace quorvil::network
