#include "Validate.h"

#include "Observations.h"
#include "State.h"

#include "core/Error.h"

#include <cmath>

namespace quorvil::network {

void Validate(const Network &net)
{
    const size_t np = net.points.size();
    const auto name = [&](int p) { return net.points[size_t(p)].id; };
    if (net.observations.empty())
        throw Error("网中没有观测值");
    if (!(net.settings.sigma0 > 0) || !std::isfinite(net.settings.sigma0))
        throw Error("先验单位权中误差必须为正数");
    if (!(net.settings.confidence > 0 && net.settings.confidence < 1))
        throw Error("置信概率必须在 0 与 1 之间");
    std::vector<int> planeObs(np, 0), heightObs(np, 0), setCount(net.sets.size(), 0);
    for (const Observation &o : net.observations) {
        const std::string where = LinePrefix(o.line);
        if (!(o.stdev > 0) || !std::isfinite(o.stdev))
            throw Error(where + KindNameZh(o.kind) + "观测 " + ObservationLabel(net, o) + " 的中误差必须为正数");
        if (!std::isfinite(o.value))
            throw Error(where + KindNameZh(o.kind) + "观测值不是有效数字");
        if (o.kind == ObservationKind::Direction) {
            if (o.set < 0 || size_t(o.set) >= net.sets.size())
                throw Error(where + "方向观测不属于任何测站");
            ++setCount[size_t(o.set)];
        }
        const ObservationPoints points = PointsOf(net, o);
        for (int p : points)
            if (p < 0 || size_t(p) >= np)
                throw Error(where + "观测引用了不存在的点");
        // the points of one observation are distinct
        if (o.kind == ObservationKind::Angle) {
            if (o.bs == o.to || o.from == o.bs || o.from == o.to)
                throw Error(where + "角度观测 " + ObservationLabel(net, o) + " 的三个点必须各不相同");
        } else if (points.count == 2 && points.point[0] == points.point[1]) {
            if (o.kind == ObservationKind::Direction)
                throw Error(where + "方向观测的测站与照准点相同: " + name(o.to));
            throw Error(where + KindNameZh(o.kind) + "观测的起点与终点相同: " + name(o.from));
        }
        if ((o.kind == ObservationKind::Distance || o.kind == ObservationKind::SlopeDistance) && !(o.value > 0))
            throw Error(where + KindNameZh(o.kind) + " " + ObservationLabel(net, o) + " 必须大于零");
        if (o.kind == ObservationKind::ZenithAngle && !(o.value >= 0 && o.value <= Pi))
            throw Error(where + "天顶距 " + ObservationLabel(net, o) + " 超出 0 到 180° (200 gon) 的范围");
        if (!std::isfinite(o.fromDh) || !std::isfinite(o.toDh))
            throw Error(where + KindNameZh(o.kind) + "观测 " + ObservationLabel(net, o) + " 的仪器高或目标高不是有效数字");
        // the roles of the points in the dimension observed
        for (int p : points) {
            const Point &point = net.points[size_t(p)];
            if (UsesHeight(o.kind)) {
                if (point.height == Role::Unused)
                    throw Error(where + "点 " + name(p) + " 没有高程的固定或待定说明, 却有" + KindNameZh(o.kind) + "观测");
                ++heightObs[size_t(p)];
            }
            if (UsesPlane(o.kind)) {
                if (point.plane == Role::Unused)
                    throw Error(where + "点 " + name(p) + " 没有平面坐标的固定或待定说明, 却有" + KindNameZh(o.kind) + "观测");
                ++planeObs[size_t(p)];
            }
        }
    }
    for (size_t s = 0; s < net.sets.size(); ++s) {
        if (setCount[s] == 1)
            throw Error(LinePrefix(net.sets[s].line) + "测站 " + name(net.sets[s].station) +
                        " 的方向组只有一个方向 (至少须两个方向, 单个方向无法定向)");
    }
    for (size_t p = 0; p < np; ++p) {
        const Point &pt = net.points[p];
        const std::string where = LinePrefix(pt.line);
        if (pt.plane == Role::Fixed && !pt.hasXY)
            throw Error(where + "固定点 " + pt.id + " 没有给出坐标");
        if (pt.height == Role::Fixed && !pt.hasZ)
            throw Error(where + "固定点 " + pt.id + " 没有给出高程");
        if ((pt.plane == Role::Adjusted || pt.plane == Role::Constrained) && planeObs[p] == 0)
            throw Error(where + "点 " + pt.id + " 没有任何平面观测, 无法平差");
        if (pt.plane == Role::Adjusted && planeObs[p] == 1)
            throw Error(where + "点 " + pt.id + " 只有一个平面观测, 无法确定其位置 (点名是否写错?)");
        if ((pt.height == Role::Adjusted || pt.height == Role::Constrained) && heightObs[p] == 0)
            throw Error(where + "点 " + pt.id + " 没有任何高程观测 (高差、斜距或天顶距), 无法平差");
        if (!std::isfinite(pt.x) || !std::isfinite(pt.y) || !std::isfinite(pt.z))
            throw Error(where + "点 " + pt.id + " 的坐标不是有效数字");
    }
}

} // namespace quorvil::network
