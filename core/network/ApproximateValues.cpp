// Approximate values. Plane coordinates are carried from the known points by events: a point
// that becomes known orients the direction sets that see it and gives rays (known point, bearing)
// and circles (known point, distance) to its neighbours; a neighbour with enough of them is placed
// (polar point, intersection of two rays, ray and circle; two circles only when nothing else is
// left, on the side that fits its other observations). When nothing more can be placed, a local
// frame is started at one station with its set oriented arbitrarily, carried the same way, and
// fitted to the known points it reaches by a plane similarity transformation. A slope distance
// gives a circle of its horizontal length (S sin Z with a zenith angle of the same two points,
// else reduced by the given heights, else S itself). Heights are carried along the levelling
// lines and by zenith angles over the approximate horizontal distances; orientations are the mean
// of bearing − direction of each set.
#include "ApproximateValues.h"

#include "core/Error.h"

#include <cmath>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace quorvil::network {

namespace {

// Two rays whose directions differ by less than about 1° (the sine of the angle between them)
// give no useful intersection.
constexpr double MinimumRaySine = 0.02;
// Where two circles leave two candidates, the misfit of a ray (radians) counts as this many
// metres of a circle's misfit.
constexpr Real RayMisfitScale = 1000;
// A message names this many of the points that cannot be reached, and counts the rest.
constexpr int NamedPoints = 8;


// Approximate plane coordinates, carried from the known points by events: a point that becomes
// known orients the direction sets that see it and gives rays (known point, bearing) and circles
// (known point, distance) to its neighbours; a neighbour with enough of them is placed (polar
// point, intersection of two rays, ray and circle; two circles only when nothing else is left,
// on the side that fits its other observations). When nothing more can be placed, a local frame
// is started at one station with its set oriented arbitrarily, carried the same way, and fitted
// to the known points it reaches by a plane similarity transformation.
struct Ray {
    int from;
    Real t;
};
struct Circle {
    int from;
    Real s;
};

class Carrier {
public:
    Carrier(const Network &net, const std::vector<std::vector<int>> &byPoint, const std::vector<Real> &internal)
        : m_net(net), m_byPoint(byPoint), m_value(internal)
    {
        const size_t np = net.points.size();
        n.assign(np, 0), e.assign(np, 0), known.assign(np, 0);
        orientation.assign(net.sets.size(), 0), oriented.assign(net.sets.size(), 0);
        m_rays.assign(np, {}), m_circles.assign(np, {});
    }

    std::vector<Real> n, e;
    std::vector<char> known;
    std::vector<Real> orientation;
    std::vector<char> oriented;

    void setKnown(int p, Real pn, Real pe)
    {
        n[size_t(p)] = pn, e[size_t(p)] = pe, known[size_t(p)] = 1;
        m_queue.push_back(p);
    }
    void orient(int set, Real o)
    {
        orientation[size_t(set)] = o, oriented[size_t(set)] = 1;
        m_setQueue.push_back(set);
    }
    // Carries everything that follows from the queued events; with `ambiguous`, unplaced points
    // are finally tried by two circles as well, as long as that places any.
    void run(const std::vector<char> &used)
    {
        for (;;) {
            drain();
            bool placed = false;
            for (size_t p = 0; p < known.size() && !placed; ++p)
                if (used[p] && !known[p] && m_circles[p].size() >= 2 && tryPlace(int(p), true))
                    placed = true;
            if (!placed)
                return;
        }
    }

private:
    const Network &m_net;
    const std::vector<std::vector<int>> &m_byPoint;
    const std::vector<Real> &m_value; // observation values, internal sense
    std::vector<std::vector<Ray>> m_rays;
    std::vector<std::vector<Circle>> m_circles;
    std::vector<int> m_queue, m_setQueue;
    size_t m_head = 0;

    Real bearing(int i, int j) const
    {
        return Normal(std::atan2(e[size_t(j)] - e[size_t(i)], n[size_t(j)] - n[size_t(i)]));
    }
    void addRay(int to, int from, Real t)
    {
        if (known[size_t(to)])
            return;
        m_rays[size_t(to)].push_back({from, Normal(t)});
        // the ray's point sees `from` back along it: a direction set there to `from` is oriented
        // before its station is placed (an azimuth or a bearing to a point of a resection)
        for (int i : m_byPoint[size_t(to)]) {
            const Observation &o = m_net.observations[size_t(i)];
            if (o.kind == ObservationKind::Direction && o.to == from && !oriented[size_t(o.set)] &&
                m_net.sets[size_t(o.set)].station == to)
                orient(o.set, Normal(t + Pi - m_value[size_t(i)]));
        }
        if (!known[size_t(to)])
            tryPlace(to, false);
    }
    // the bearing from an unplaced station to a known point of its oriented set, as a ray back
    void addBackRay(int i, int set)
    {
        const Observation &o = m_net.observations[size_t(i)];
        const int st = m_net.sets[size_t(set)].station;
        if (!known[size_t(st)] && known[size_t(o.to)])
            addRay(st, o.to, m_value[size_t(i)] + orientation[size_t(set)] + Pi);
    }
    void addCircle(int to, int from, Real s)
    {
        if (known[size_t(to)])
            return;
        m_circles[size_t(to)].push_back({from, s});
        tryPlace(to, false);
    }
    void drain()
    {
        while (m_head < m_queue.size() || !m_setQueue.empty()) {
            if (!m_setQueue.empty()) {
                const int s = m_setQueue.back();
                m_setQueue.pop_back();
                const int st = m_net.sets[size_t(s)].station;
                if (!known[size_t(st)]) {
                    for (int i : m_byPoint[size_t(st)])
                        if (m_net.observations[size_t(i)].kind == ObservationKind::Direction && m_net.observations[size_t(i)].set == s)
                            addBackRay(i, s);
                    continue;
                }
                for (int i : m_byPoint[size_t(st)]) {
                    const Observation &o = m_net.observations[size_t(i)];
                    if (o.kind == ObservationKind::Direction && o.set == s)
                        addRay(o.to, st, m_value[size_t(i)] + orientation[size_t(s)]);
                }
                continue;
            }
            const int p = m_queue[m_head++]; // first in, first out: short chains from the known points
            for (int i : m_byPoint[size_t(p)])
                event(i);
        }
    }
    // what observation i gives now that one of its points became known
    void event(int i)
    {
        const Observation &o = m_net.observations[size_t(i)];
        const Real l = m_value[size_t(i)];
        switch (o.kind) {
        case ObservationKind::Direction: {
            const int st = StationOf(m_net, o);
            if (!known[size_t(st)]) {
                if (oriented[size_t(o.set)])
                    addBackRay(i, o.set);
                break;
            }
            if (!oriented[size_t(o.set)] && known[size_t(o.to)] && (n[size_t(st)] != n[size_t(o.to)] || e[size_t(st)] != e[size_t(o.to)]))
                orient(o.set, Normal(bearing(st, o.to) - l));
            else if (oriented[size_t(o.set)])
                addRay(o.to, st, l + orientation[size_t(o.set)]);
            break;
        }
        case ObservationKind::Azimuth:
            if (known[size_t(o.from)])
                addRay(o.to, o.from, l);
            if (known[size_t(o.to)])
                addRay(o.from, o.to, l + Pi);
            break;
        case ObservationKind::Angle:
            if (known[size_t(o.from)] && known[size_t(o.bs)] && o.from != o.bs)
                addRay(o.to, o.from, bearing(o.from, o.bs) + l);
            if (known[size_t(o.from)] && known[size_t(o.to)] && o.from != o.to)
                addRay(o.bs, o.from, bearing(o.from, o.to) - l);
            break;
        case ObservationKind::Distance:
        case ObservationKind::SlopeDistance: // l: its horizontal length
            if (known[size_t(o.from)])
                addCircle(o.to, o.from, l);
            if (known[size_t(o.to)])
                addCircle(o.from, o.to, l);
            break;
        default: break;
        }
    }
    bool tryPlace(int p, bool ambiguous)
    {
        const auto &rs = m_rays[size_t(p)];
        const auto &cs = m_circles[size_t(p)];
        std::optional<std::pair<Real, Real>> at;
        for (const Ray &r : rs) { // polar
            for (const Circle &c : cs)
                if (c.from == r.from) {
                    at = std::pair{n[size_t(r.from)] + c.s * std::cos(r.t), e[size_t(r.from)] + c.s * std::sin(r.t)};
                    break;
                }
            if (at)
                break;
        }
        for (size_t a = 0; !at && a < rs.size(); ++a) // two rays
            for (size_t b = a + 1; !at && b < rs.size(); ++b) {
                const Ray &r1 = rs[a], &r2 = rs[b];
                if (r1.from == r2.from)
                    continue;
                const Real c1 = std::cos(r1.t), s1 = std::sin(r1.t), c2 = std::cos(r2.t), s2 = std::sin(r2.t);
                const Real det = -c1 * s2 + s1 * c2;
                if (std::fabs(det) < MinimumRaySine) // nearly parallel: useless
                    continue;
                const Real dn = n[size_t(r2.from)] - n[size_t(r1.from)], de = e[size_t(r2.from)] - e[size_t(r1.from)];
                const Real t1 = (-dn * s2 + de * c2) / det;
                at = std::pair{n[size_t(r1.from)] + t1 * c1, e[size_t(r1.from)] + t1 * s1};
            }
        for (size_t a = 0; !at && a < rs.size(); ++a) // ray and circle of another point
            for (const Circle &c : cs) {
                const Ray &r = rs[a];
                const Real c1 = std::cos(r.t), s1 = std::sin(r.t);
                const Real dn = n[size_t(r.from)] - n[size_t(c.from)], de = e[size_t(r.from)] - e[size_t(c.from)];
                const Real bq = dn * c1 + de * s1, cq = dn * dn + de * de - c.s * c.s;
                const Real disc = bq * bq - cq;
                if (disc < 0)
                    continue;
                const Real root = std::sqrt(disc);
                const Real t1 = -bq + root, t2 = -bq - root;
                Real t;
                if (t1 > 0 && t2 <= 0)
                    t = t1;
                else if (t2 > 0 && t1 <= 0)
                    t = t2;
                else
                    continue; // two candidates on the ray, or none
                at = std::pair{n[size_t(r.from)] + t * c1, e[size_t(r.from)] + t * s1};
                break;
            }
        if (!at && ambiguous) { // two circles: the side that fits the other observations
            for (size_t a = 0; !at && a < cs.size(); ++a)
                for (size_t b = a + 1; !at && b < cs.size(); ++b) {
                    const Circle &k1 = cs[a], &k2 = cs[b];
                    const Real dn = n[size_t(k2.from)] - n[size_t(k1.from)], de = e[size_t(k2.from)] - e[size_t(k1.from)];
                    const Real d = std::sqrt(dn * dn + de * de);
                    if (d == 0)
                        continue;
                    const Real along = (k1.s * k1.s - k2.s * k2.s + d * d) / (2 * d);
                    const Real h2 = k1.s * k1.s - along * along;
                    if (h2 < 0)
                        continue;
                    const Real h = std::sqrt(h2), un = dn / d, ue = de / d;
                    const Real pn = n[size_t(k1.from)] + along * un, pe = e[size_t(k1.from)] + along * ue;
                    const std::pair<Real, Real> c1{pn - h * ue, pe + h * un}, c2{pn + h * ue, pe - h * un};
                    Real m1 = 0, m2 = 0;
                    for (const Circle &k : cs) {
                        const auto misfit = [&](const std::pair<Real, Real> &q) {
                            return std::fabs(std::hypot(q.first - n[size_t(k.from)], q.second - e[size_t(k.from)]) - k.s);
                        };
                        m1 += misfit(c1), m2 += misfit(c2);
                    }
                    for (const Ray &r : rs) {
                        const auto misfit = [&](const std::pair<Real, Real> &q) {
                            return std::fabs(Wrap(std::atan2(q.second - e[size_t(r.from)], q.first - n[size_t(r.from)]) - r.t));
                        };
                        m1 += misfit(c1) * RayMisfitScale, m2 += misfit(c2) * RayMisfitScale;
                    }
                    at = m2 < m1 ? c2 : c1;
                }
        }
        if (!at)
            return false;
        setKnown(p, at->first, at->second);
        return true;
    }
};

// The observations of the plane by the points they touch, and which points they touch at all.
struct PlaneObservations {
    std::vector<char> used;
    std::vector<std::vector<int>> byPoint;
    std::vector<Real> internal; // observation values, internal sense; slope distances horizontal
};

// The horizontal length of a slope distance: S sin Z with a zenith angle between the same two
// points (either way), else reduced by the heights the input gives both points, else S.
std::vector<Real> HorizontalLengths(const Network &net)
{
    std::map<std::pair<int, int>, Real> zenith; // the first zenith angle of each pair, as seen from the first point
    for (const Observation &o : net.observations)
        if (o.kind == ObservationKind::ZenithAngle)
            zenith.emplace(std::pair{o.from, o.to}, o.value);
    std::vector<Real> lengths(net.observations.size(), 0);
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        if (o.kind != ObservationKind::SlopeDistance)
            continue;
        auto z = zenith.find({o.from, o.to});
        if (z == zenith.end())
            z = zenith.find({o.to, o.from});
        const Point &a = net.points[size_t(o.from)], &b = net.points[size_t(o.to)];
        if (z != zenith.end()) {
            lengths[i] = o.value * std::sin(z->second);
        } else if (a.hasZ && b.hasZ) {
            const Real dh = b.z + o.toDh - a.z - o.fromDh;
            lengths[i] = std::sqrt(std::max<Real>(o.value * o.value - dh * dh, o.value * o.value / 4));
        } else {
            lengths[i] = o.value;
        }
    }
    return lengths;
}

PlaneObservations PlaneObservationsOf(const State &state)
{
    const Network &net = state.net;
    PlaneObservations p;
    p.used.assign(state.points, 0);
    p.byPoint.assign(state.points, {});
    p.internal.resize(net.observations.size());
    const std::vector<Real> horizontal = HorizontalLengths(net);
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        p.internal[i] = o.kind == ObservationKind::SlopeDistance ? horizontal[i] : state.internalValue(o);
        if (!UsesPlane(o.kind))
            continue;
        for (int point : PointsOf(net, o)) {
            p.used[size_t(point)] = 1;
            p.byPoint[size_t(point)].push_back(int(i));
        }
    }
    return p;
}

// A point observed in both coordinates without given values starts from the observation.
void StartFromObservedCoordinates(State &state)
{
    const size_t np = state.points;
    std::vector<Real> ox(np, 0), oy(np, 0);
    std::vector<char> hx(np, 0), hy(np, 0);
    for (const Observation &o : state.net.observations) {
        if (o.kind == ObservationKind::CoordinateX)
            ox[size_t(o.from)] = o.value, hx[size_t(o.from)] = 1;
        if (o.kind == ObservationKind::CoordinateY)
            oy[size_t(o.from)] = o.value, hy[size_t(o.from)] = 1;
    }
    for (size_t p = 0; p < np; ++p)
        if (!state.planeKnown[p] && hx[p] && hy[p]) {
            std::tie(state.now.n[p], state.now.e[p]) = state.frame.northEast(ox[p], oy[p]);
            state.planeKnown[p] = 1;
        }
}

// Carries a local frame (seeded by the caller) and adds what it reaches to the global one: as it
// is when it reaches no known point (a free part of the network, whose datum is then that of its
// constrained points), fitted by a plane similarity transformation when it reaches two or more.
// False when it gained nothing or reached a single known point, and when it reached no known point
// although observations tie what it gained to them (it would stand anywhere).
bool FitLocalFrame(Carrier &local, Carrier &global, const Network &net, const PlaneObservations &obs)
{
    const std::vector<char> &used = obs.used;
    const size_t np = used.size();
    local.run(used);
    std::vector<int> common, gained;
    for (size_t p = 0; p < np; ++p) {
        if (!local.known[p])
            continue;
        if (global.known[p])
            common.push_back(int(p));
        else
            gained.push_back(int(p));
    }
    if (gained.empty() || common.size() == 1)
        return false;
    if (common.empty()) {
        for (int p : gained)
            for (int i : obs.byPoint[size_t(p)])
                for (int q : PointsOf(net, net.observations[size_t(i)]))
                    if (global.known[size_t(q)])
                        return false;
        for (int p : gained)
            global.setKnown(p, local.n[size_t(p)], local.e[size_t(p)]);
        global.run(used);
        return true;
    }
    Real ln = 0, le = 0, gn = 0, ge = 0;
    for (int p : common)
        ln += local.n[size_t(p)], le += local.e[size_t(p)], gn += global.n[size_t(p)], ge += global.e[size_t(p)];
    const Real k = Real(common.size());
    ln /= k, le /= k, gn /= k, ge /= k;
    Real sa = 0, sb = 0, ss = 0;
    for (int p : common) {
        const Real xl = local.n[size_t(p)] - ln, yl = local.e[size_t(p)] - le;
        const Real xg = global.n[size_t(p)] - gn, yg = global.e[size_t(p)] - ge;
        sa += xl * xg + yl * yg;
        sb += xl * yg - yl * xg;
        ss += xl * xl + yl * yl;
    }
    if (!(ss > 0))
        return false;
    const Real a = sa / ss, b = sb / ss; // n' = a n − b e, e' = b n + a e
    for (int p : gained) {
        const Real xl = local.n[size_t(p)] - ln, yl = local.e[size_t(p)] - le;
        global.setKnown(p, gn + a * xl - b * yl, ge + b * xl + a * yl);
    }
    global.run(used);
    return true;
}

[[noreturn]] void Unreached(const State &state, const std::vector<char> &used)
{
    std::string names;
    int count = 0;
    for (size_t p = 0; p < state.points; ++p)
        if (used[p] && !state.planeKnown[p]) {
            if (count < NamedPoints)
                names += (count ? "、" : "") + state.net.points[p].id;
            ++count;
        }
    if (count > NamedPoints)
        names += " 等 " + std::to_string(count) + " 个点";
    throw Error("无法由已知点和观测推算点 " + names +
                " 的近似坐标 (网无法定位或定向, 或观测不足); 请检查已知点, 或在文件中给出这些点的近似坐标");
}

void ApproximatePlane(State &state)
{
    const Network &net = state.net;
    const size_t np = state.points;
    const PlaneObservations obs = PlaneObservationsOf(state);
    const std::vector<char> &used = obs.used;
    StartFromObservedCoordinates(state);
    const auto missing = [&] {
        for (size_t p = 0; p < np; ++p)
            if (used[p] && !state.planeKnown[p])
                return true;
        return false;
    };
    if (!missing())
        return;
    Carrier global(net, obs.byPoint, obs.internal);
    for (size_t p = 0; p < np; ++p)
        if (state.planeKnown[p])
            global.setKnown(int(p), state.now.n[p], state.now.e[p]);
    global.run(used);
    // Local frames, seeded by the direction sets at known stations, then those at unknown
    // stations, then a distance between two unknown points (the second on the first's +N axis).
    std::vector<char> tried(net.sets.size(), 0);
    for (;;) {
        bool unknownLeft = false;
        for (size_t p = 0; p < np; ++p)
            unknownLeft = unknownLeft || (used[p] && !global.known[p]);
        if (!unknownLeft)
            break;
        bool fitted = false;
        for (int pass = 0; pass < 2 && !fitted; ++pass)
            for (size_t s = 0; s < net.sets.size() && !fitted; ++s) {
                const int st = net.sets[s].station;
                if (tried[s] || bool(global.known[size_t(st)]) != (pass == 0))
                    continue;
                tried[s] = 1;
                Carrier local(net, obs.byPoint, obs.internal);
                local.setKnown(st, global.known[size_t(st)] ? global.n[size_t(st)] : 0, global.known[size_t(st)] ? global.e[size_t(st)] : 0);
                local.orient(int(s), 0);
                fitted = FitLocalFrame(local, global, net, obs);
            }
        for (size_t i = 0; i < net.observations.size() && !fitted; ++i) {
            const Observation &o = net.observations[i];
            if ((o.kind != ObservationKind::Distance && o.kind != ObservationKind::SlopeDistance) || global.known[size_t(o.from)] ||
                global.known[size_t(o.to)])
                continue;
            Carrier local(net, obs.byPoint, obs.internal);
            local.setKnown(o.from, 0, 0);
            local.setKnown(o.to, o.kind == ObservationKind::Distance ? o.value : obs.internal[i], 0);
            fitted = FitLocalFrame(local, global, net, obs);
            if (!fitted)
                break; // one such frame is enough to know that distances alone do not carry
        }
        if (!fitted)
            break;
    }
    for (size_t p = 0; p < np; ++p)
        if (used[p] && global.known[p] && !state.planeKnown[p]) {
            state.now.n[p] = global.n[p], state.now.e[p] = global.e[p];
            state.planeKnown[p] = 1;
        }
    if (missing())
        Unreached(state, used);
}

void ApproximateHeights(State &state)
{
    const Network &net = state.net;
    std::vector<Real> &h = state.now.h;
    std::vector<char> &known = state.heightKnown;
    bool progress = true;
    while (progress) {
        progress = false;
        for (const Observation &o : net.observations) {
            // the height of `to` over that of `from`: a height difference, or the line of sight of
            // a zenith angle over the approximate horizontal distance, between its two ends
            Real dh;
            if (o.kind == ObservationKind::HeightDifference) {
                dh = o.value;
            } else if (o.kind == ObservationKind::ZenithAngle) {
                const Real dn = state.now.n[size_t(o.to)] - state.now.n[size_t(o.from)], de = state.now.e[size_t(o.to)] - state.now.e[size_t(o.from)];
                const Real sine = std::sin(o.value);
                if (sine == 0)
                    continue;
                dh = std::hypot(dn, de) * std::cos(o.value) / sine + o.fromDh - o.toDh;
            } else {
                continue;
            }
            const size_t a = size_t(o.from), b = size_t(o.to);
            if (known[a] && !known[b])
                h[b] = h[a] + dh, known[b] = 1, progress = true;
            else if (known[b] && !known[a])
                h[a] = h[b] - dh, known[a] = 1, progress = true;
        }
    }
    for (const Observation &o : net.observations)
        if (o.kind == ObservationKind::HeightDifference)
            for (int p : {o.from, o.to})
                if (!known[size_t(p)])
                    throw Error("无法推算点 " + state.name(p) + " 的近似高程: 它所在的水准网中没有已知高程的点");
    for (const Observation &o : net.observations)
        if (UsesHeight(o.kind))
            for (int p : {o.from, o.to})
                if (!known[size_t(p)])
                    throw Error(LinePrefix(o.line) + KindNameZh(o.kind) + "观测 " + ObservationLabel(net, o) + ": 无法推算点 " +
                                state.name(p) + " 的近似高程: 它所在的网中没有已知高程的点, 也没有能从已知高程推算到它的高差或天顶距 (请给出该点的近似高程)");
}

} // namespace

void ApproximateCoordinates(State &state)
{
    const size_t np = state.points;
    state.now.n.assign(np, 0), state.now.e.assign(np, 0), state.now.h.assign(np, 0);
    state.planeKnown.assign(np, 0), state.heightKnown.assign(np, 0);
    for (size_t p = 0; p < np; ++p) {
        const Point &pt = state.net.points[p];
        if (pt.hasXY) {
            std::tie(state.now.n[p], state.now.e[p]) = state.frame.northEast(pt.x, pt.y);
            state.planeKnown[p] = 1;
        }
        if (pt.hasZ) {
            state.now.h[p] = pt.z;
            state.heightKnown[p] = 1;
        }
    }
    ApproximatePlane(state);
    ApproximateHeights(state);
    state.start = state.now;
}

void ApproximateOrientations(State &state)
{
    const Network &net = state.net;
    state.orientation.assign(net.sets.size(), 0);
    std::vector<int> count(net.sets.size(), 0);
    std::vector<Real> first(net.sets.size(), 0), sum(net.sets.size(), 0);
    for (const Observation &o : net.observations) {
        if (o.kind != ObservationKind::Direction)
            continue;
        const int st = net.sets[size_t(o.set)].station;
        if (state.now.n[size_t(st)] == state.now.n[size_t(o.to)] && state.now.e[size_t(st)] == state.now.e[size_t(o.to)])
            throw Error(LinePrefix(o.line) + "点 " + state.name(st) + " 与 " + state.name(o.to) + " 的 (近似) 坐标相同");
        const Real z = state.bearing(st, o.to) - state.internalValue(o);
        const size_t s = size_t(o.set);
        if (count[s] == 0)
            first[s] = z;
        sum[s] += Wrap(z - first[s]);
        ++count[s];
    }
    for (size_t s = 0; s < net.sets.size(); ++s)
        if (count[s])
            state.orientation[s] = first[s] + sum[s] / count[s];
}

} // namespace quorvil::network
