// The observation equations, in the internal frame (N, E, H; bearings t = atan2(ΔE, ΔN) clockwise
// from north), with ∂t_ij/∂N_j = −ΔE/s², ∂t_ij/∂E_j = ΔN/s² and ∂s_ij/∂N_j = ΔN/s,
// ∂s_ij/∂E_j = ΔE/s (the station's derivatives of opposite sign):
//   distance     s_ij = √(ΔN² + ΔE²)
//   direction    r_ij = t_ij − oₛ                     (oₛ: the bearing of the set's zero)
//   angle        β_i,bf = t_if − t_ib                 (clockwise from backsight b to foresight f)
//   azimuth      α_ij = t_ij
//   coordinate   x_i = R row of (Nᵢ, Eᵢ), y_i likewise
//   height diff. Δh_ij = H_j − H_i
//   slope dist.  S_ij = √(ΔN² + ΔE² + Δh²), Δh = H_j + t_j − H_i − i_i (instrument height i_i,
//                target height t_j): ∂S/∂N_j = ΔN/S, ∂S/∂E_j = ΔE/S, ∂S/∂H_j = Δh/S
//   zenith angle Z_ij = atan2(s, Δh), s = √(ΔN² + ΔE²), between the same ends:
//                ∂Z/∂N_j = Δh ΔN / (s S²), ∂Z/∂E_j = Δh ΔE / (s S²), ∂Z/∂H_j = −s / S²
#include "Linearization.h"

#include "core/Error.h"

#include <cmath>

namespace quorvil::network {

void NumberUnknowns(State &state)
{
    const Network &net = state.net;
    Unknowns &u = state.unknowns;
    u.plane.assign(state.points, -1), u.height.assign(state.points, -1), u.orientation.assign(net.sets.size(), -1);
    u.count = 0;
    u.owner.clear();
    for (size_t p = 0; p < state.points; ++p) {
        const Point &pt = net.points[p];
        if (pt.plane == Role::Adjusted || pt.plane == Role::Constrained) {
            u.plane[p] = u.count;
            u.count += 2;
            u.owner.push_back(int(p)), u.owner.push_back(int(p));
        }
        if (pt.height == Role::Adjusted || pt.height == Role::Constrained) {
            u.height[p] = u.count++;
            u.owner.push_back(int(p));
        }
    }
    std::vector<char> setUsed(net.sets.size(), 0);
    for (const Observation &o : net.observations)
        if (o.kind == ObservationKind::Direction)
            setUsed[size_t(o.set)] = 1;
    for (size_t s = 0; s < net.sets.size(); ++s)
        if (setUsed[s]) {
            u.orientation[s] = u.count++;
            u.owner.push_back(-1 - int(s));
        }
}

Row Linearize(const State &state, const Observation &o)
{
    Row r;
    const std::vector<Real> &n = state.now.n, &e = state.now.e;
    const auto plane = [&](int p, double cn, double ce) {
        PointTerm &t = r.terms[r.count++];
        t.point = p, t.n = cn, t.e = ce;
    };
    const auto diff = [&](int i, int j, Real &dn, Real &de, Real &s2) {
        dn = n[size_t(j)] - n[size_t(i)], de = e[size_t(j)] - e[size_t(i)];
        s2 = dn * dn + de * de;
        if (s2 == 0)
            throw Error(LinePrefix(o.line) + "点 " + state.name(i) + " 与 " + state.name(j) + " 的 (近似) 坐标相同, 无法计算 " +
                        KindNameZh(o.kind) + "观测 " + ObservationLabel(state.net, o));
    };
    const Frame &f = state.frame;
    Real dn, de, s2;
    r.uses = PlaneTerms;
    switch (o.kind) {
    case ObservationKind::Distance: {
        diff(o.from, o.to, dn, de, s2);
        const Real s = std::sqrt(s2);
        r.computed = s;
        plane(o.from, double(-dn / s), double(-de / s));
        plane(o.to, double(dn / s), double(de / s));
        break;
    }
    case ObservationKind::Direction:
    case ObservationKind::Azimuth: {
        const int st = StationOf(state.net, o);
        diff(st, o.to, dn, de, s2);
        const Real t = std::atan2(de, dn);
        plane(st, double(de / s2), double(-dn / s2));
        plane(o.to, double(-de / s2), double(dn / s2));
        if (o.kind == ObservationKind::Direction) {
            r.set = o.set, r.orientation = -1;
            r.computed = t - state.orientation[size_t(o.set)];
        } else {
            r.computed = t;
        }
        break;
    }
    case ObservationKind::Angle: {
        Real dnb, deb, sb2;
        diff(o.from, o.bs, dnb, deb, sb2);
        diff(o.from, o.to, dn, de, s2);
        r.computed = std::atan2(de, dn) - std::atan2(deb, dnb);
        plane(o.from, double(de / s2 - deb / sb2), double(-dn / s2 + dnb / sb2));
        plane(o.bs, double(deb / sb2), double(-dnb / sb2));
        plane(o.to, double(-de / s2), double(dn / s2));
        break;
    }
    case ObservationKind::CoordinateX:
        r.computed = f.r00 * n[size_t(o.from)] + f.r10 * e[size_t(o.from)];
        plane(o.from, f.r00, f.r10);
        break;
    case ObservationKind::CoordinateY:
        r.computed = f.r01 * n[size_t(o.from)] + f.r11 * e[size_t(o.from)];
        plane(o.from, f.r01, f.r11);
        break;
    case ObservationKind::HeightDifference:
        r.uses = HeightTerms;
        r.computed = state.now.h[size_t(o.to)] - state.now.h[size_t(o.from)];
        r.terms[0].point = o.from, r.terms[0].h = -1;
        r.terms[1].point = o.to, r.terms[1].h = 1;
        r.count = 2;
        break;
    case ObservationKind::SlopeDistance:
    case ObservationKind::ZenithAngle: {
        diff(o.from, o.to, dn, de, s2);
        const Real dh = state.now.h[size_t(o.to)] + o.toDh - state.now.h[size_t(o.from)] - o.fromDh;
        const Real space2 = s2 + dh * dh;
        r.uses = PlaneTerms | HeightTerms;
        r.count = 2;
        PointTerm &a = r.terms[0], &b = r.terms[1];
        a.point = o.from, b.point = o.to;
        if (o.kind == ObservationKind::SlopeDistance) {
            const Real s = std::sqrt(space2);
            r.computed = s;
            b.n = double(dn / s), b.e = double(de / s), b.h = double(dh / s);
        } else {
            const Real s = std::sqrt(s2);
            r.computed = std::atan2(s, dh);
            b.n = double(dh * dn / (s * space2)), b.e = double(dh * de / (s * space2)), b.h = double(-s / space2);
        }
        a.n = -b.n, a.e = -b.e, a.h = -b.h;
        break;
    }
    }
    return r;
}

Real Misclosure(const Observation &o, Real internalValue, const Row &r)
{
    const Real d = internalValue - r.computed;
    return IsAngular(o.kind) ? Wrap(d) : d;
}

[[noreturn]] void SingularUnknown(const State &state, int unknown)
{
    const int p = state.unknowns.owner[size_t(unknown)];
    if (p < 0) {
        const DirectionSet &set = state.net.sets[size_t(-1 - p)];
        throw Error(LinePrefix(set.line) + "测站 " + state.name(set.station) + " 的方向组无法定向: 网形奇异 (观测不足以确定未知数)");
    }
    const bool height = state.unknowns.height[size_t(p)] == unknown;
    throw Error(LinePrefix(state.net.points[size_t(p)].line) + "点 " + state.name(p) + (height ? " 的高程" : " 的平面坐标") +
                "无法由观测确定: 网形奇异 (观测不足, 或所有观测都在一条直线上)");
}

} // namespace quorvil::network
