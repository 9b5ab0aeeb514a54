#include "FieldBookLines.h"

#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"
#include "core/network/Network.h"

#include <cmath>
#include <map>

namespace quorvil::fieldbook {

namespace {

constexpr Real ArcSecond = Pi / 648000;
constexpr Real MetresPerKm = 1000;
constexpr Real MillimetresPerMetre = 1000;
// A priori errors of the first pass: they only weight nothing (approximate values are carried,
// not adjusted) but the network's checks want them positive.
constexpr Real FirstPassDirection = 2 * ArcSecond, FirstPassDistance = 0.005, FirstPassHeight = 0.01;

// The approximate coordinates and heights of the book's points, from the known points.
struct FirstPass {
    std::map<std::string, network::Point> points;
};

FirstPass Approximate(const Reduction &r, bool plane, bool heights)
{
    using namespace network;
    FirstPass pass;
    if (!plane && !heights)
        return pass;
    Network net;
    std::map<std::string, int> index;
    const auto point = [&](const std::string &name) {
        const auto it = index.find(name);
        if (it != index.end())
            return it->second;
        Point p;
        p.id = name;
        index.emplace(name, int(net.points.size()));
        net.points.push_back(p);
        return int(net.points.size()) - 1;
    };
    for (const KnownPoint &k : r.known) {
        Point &p = net.points[size_t(point(k.name))];
        if (plane && k.x && k.y)
            p.x = *k.x, p.y = *k.y, p.hasXY = true, p.plane = Role::Fixed;
        if (heights && k.h)
            p.z = *k.h, p.hasZ = true, p.height = Role::Fixed;
    }
    for (const StationResult &st : r.stations) {
        const int s = point(st.name);
        if (plane) {
            net.sets.push_back({s, st.line});
            for (const StationDirection &d : st.directions) {
                Observation o;
                o.kind = ObservationKind::Direction;
                o.set = int(net.sets.size()) - 1;
                o.to = point(d.target);
                o.value = DegToRad(d.direction);
                o.stdev = FirstPassDirection;
                o.line = d.line;
                net.observations.push_back(o);
            }
        }
    }
    for (const LineResult &l : r.lines) {
        Observation o;
        o.from = point(l.from), o.to = point(l.to), o.line = l.line;
        if (plane) {
            o.kind = ObservationKind::Distance, o.value = l.horizontal, o.stdev = FirstPassDistance;
            net.observations.push_back(o);
        }
        if (heights && l.heightDifference) {
            o.kind = ObservationKind::HeightDifference, o.value = *l.heightDifference, o.stdev = FirstPassHeight;
            net.observations.push_back(o);
        }
    }
    for (const Observation &o : net.observations) {
        const bool isPlane = o.kind != ObservationKind::HeightDifference;
        for (int p : {o.kind == ObservationKind::Direction ? net.sets[size_t(o.set)].station : o.from, o.to}) {
            Role &role = isPlane ? net.points[size_t(p)].plane : net.points[size_t(p)].height;
            if (role == Role::Unused)
                role = Role::Adjusted;
        }
    }
    if (net.observations.empty())
        return pass;
    const Network filled = WithApproximateValues(net);
    for (const Point &p : filled.points)
        pass.points.emplace(p.id, p);
    return pass;
}

void CheckSettings(const Settings &s)
{
    if (!(s.refraction >= -1 && s.refraction <= 1))
        throw Error("大气折光系数 k 应在 -1 与 1 之间");
    if (!(s.earthRadius >= 1e6 && s.earthRadius <= 1e8))
        throw Error("地球半径 R 应为以米计的正数 (如 6371000)");
    if (!(std::fabs(s.projectionHeight) < 1e5))
        throw Error("投影面高程超出范围");
}

} // namespace

Real TrigonometricHeight(Real slope, Real zenithDegrees, Real i, Real v, Real k, Real R)
{
    const Real z = DegToRad(zenithDegrees);
    const Real d = slope * std::sin(z);
    return slope * std::cos(z) + (1 - k) * d * d / (2 * R) + i - v;
}

Real ProjectionSurfaceDistance(Real horizontal, Real meanHeight, Real projectionHeight, Real R)
{
    return horizontal * R / (R + meanHeight - projectionHeight);
}

Real GridDistance(Real projected, Real ym, Real dy, Real R)
{
    return projected * (1 + ym * ym / (2 * R * R) + dy * dy / (24 * R * R));
}

bool Reduction::anyOver() const
{
    for (const Check &c : checks)
        if (c.over)
            return true;
    return false;
}

Reduction Reduce(const FieldBook &book, const std::vector<KnownPoint> &known, const Settings &settings)
{
    CheckSettings(settings);
    FpGuard guard;
    Reduction r;
    r.settings = settings;
    r.stations = ReduceStations(book);
    for (const StationResult &st : r.stations)
        r.notes.insert(r.notes.end(), st.notes.begin(), st.notes.end());
    r.checks = StationChecks(r.stations, settings, r.notes);

    // The known points the book observes.
    std::map<std::string, bool> observed;
    for (const StationResult &st : r.stations) {
        observed[st.name] = true;
        for (const StationDirection &d : st.directions)
            observed[d.target] = true;
    }
    for (const KnownPoint &k : known)
        if (observed.count(k.name))
            r.known.push_back(k);

    bool missingHeights = false;
    for (const StationResult &st : r.stations) {
        for (const StationDirection &d : st.directions) {
            if (!d.horizontal)
                continue;
            LineResult l;
            l.from = st.name, l.to = d.target, l.line = d.line;
            l.slope = *d.slope, l.zenith = *d.zenith, l.horizontal = *d.horizontal;
            l.instrumentHeight = st.instrumentHeight, l.targetHeight = d.targetHeight;
            if (st.instrumentHeight && d.targetHeight)
                l.heightDifference = TrigonometricHeight(l.slope, l.zenith, *st.instrumentHeight, *d.targetHeight,
                                                         settings.refraction, settings.earthRadius);
            else
                missingHeights = true;
            r.lines.push_back(l);
        }
    }
    if (missingHeights)
        r.notes.push_back("缺少仪器高或觇标高的边未计算三角高程");

    bool anyKnownXY = false, anyKnownH = false;
    for (const KnownPoint &k : r.known)
        anyKnownXY = anyKnownXY || (k.x && k.y), anyKnownH = anyKnownH || k.h.has_value();
    if (settings.grid && !anyKnownXY && !r.lines.empty())
        throw Error("手簿观测的点中没有已知坐标, 不能将距离归算到高斯平面; 局部坐标系请选择不作高斯投影改化");
    const FirstPass pass = Approximate(r, settings.grid && !r.lines.empty(), anyKnownH);
    if (!anyKnownH && !r.lines.empty())
        r.notes.push_back("没有已知高程, 平距未归算到投影面");

    const auto approx = [&](const std::string &name) -> const network::Point * {
        const auto it = pass.points.find(name);
        return it == pass.points.end() ? nullptr : &it->second;
    };
    for (LineResult &l : r.lines) {
        const network::Point *a = approx(l.from), *b = approx(l.to);
        l.projected = l.horizontal;
        if (a && b && a->hasZ && b->hasZ) {
            l.meanHeight = (a->z + l.instrumentHeight.value_or(0) + b->z + l.targetHeight.value_or(0)) / 2;
            l.projected = ProjectionSurfaceDistance(l.horizontal, *l.meanHeight, settings.projectionHeight, settings.earthRadius);
        }
        if (settings.grid && a && b && a->hasXY && b->hasXY) {
            const Real ym = (a->y + b->y) / 2 - settings.yConstant;
            l.grid = GridDistance(l.projected, ym, b->y - a->y, settings.earthRadius);
        }
    }

    // Reciprocal heights: the sum of the two directions, against k·√D mm.
    const std::optional<HeightLimits> hl = HeightLimitsOf(settings.grade);
    std::map<std::pair<std::string, std::string>, const LineResult *> firstOf;
    for (const LineResult &l : r.lines)
        if (l.heightDifference)
            firstOf.emplace(std::make_pair(l.from, l.to), &l);
    for (const LineResult &l : r.lines) {
        if (!l.heightDifference || firstOf[{l.from, l.to}] != &l || l.from > l.to)
            continue;
        const auto back = firstOf.find({l.to, l.from});
        if (back == firstOf.end())
            continue;
        Check c;
        c.station = l.from + "–" + l.to;
        c.quantity = "对向观测高差较差";
        c.unit = "mm";
        c.value = std::fabs(*l.heightDifference + *back->second->heightDifference) * MillimetresPerMetre;
        if (hl) {
            const Real km = (l.horizontal + back->second->horizontal) / 2 / MetresPerKm;
            c.limit = std::nearbyint(hl->reciprocalPerKm * std::sqrt(km) * 10) / 10;
            c.over = std::nearbyint(c.value * 10) / 10 > *c.limit;
        }
        c.text = CheckText(c);
        r.checks.push_back(std::move(c));
    }
    for (const LineResult &l : r.lines)
        guard.check(l.projected, l.heightDifference.value_or(0), l.grid.value_or(0));
    return r;
}

} // namespace quorvil::fieldbook
