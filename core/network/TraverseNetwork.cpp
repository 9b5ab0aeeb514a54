#include "TraverseNetwork.h"

#include "core/Error.h"
#include "core/TextForms.h"

#include <cmath>

namespace quorvil::network {

namespace {

Point Known(const std::string &id, const PlanePoint &p)
{
    Point pt;
    pt.id = id;
    pt.x = p.x, pt.y = p.y, pt.hasXY = true;
    pt.plane = Role::Fixed;
    return pt;
}

} // namespace

Network ConnectingTraverseNetwork(const ConnectingTraverseInput &input, const TraverseWeights &weights, std::vector<std::string> names)
{
    const size_t stations = input.observations.size(); // B, P1 … Pn, C
    if (stations < 2)
        throw Error(ConnectingTooFewText);
    const size_t count = stations + 2;
    if (names.empty()) {
        names.push_back("A");
        names.push_back("B");
        for (size_t i = 1; i + 1 < stations; ++i)
            names.push_back("P" + std::to_string(i));
        names.push_back("C");
        names.push_back("D");
    }
    if (names.size() != count)
        throw Error("导线点名数与测站数不符");
    Network net;
    net.points.push_back(Known(names[0], input.a));
    net.points.push_back(Known(names[1], input.b));
    for (size_t i = 1; i + 1 < stations; ++i) {
        Point p;
        p.id = names[i + 1];
        p.plane = Role::Adjusted;
        net.points.push_back(p);
    }
    net.points.push_back(Known(names[count - 2], input.c));
    net.points.push_back(Known(names[count - 1], input.d));
    // station k of the traverse is point k + 1; its backsight k, its foresight k + 2
    for (size_t k = 0; k < stations; ++k) {
        Observation angle;
        angle.kind = ObservationKind::Angle;
        angle.from = int(k + 1), angle.bs = int(k), angle.to = int(k + 2);
        angle.value = DegToRad(DmsToDeg(input.observations[k].angle));
        angle.stdev = weights.angle;
        net.observations.push_back(angle);
        if (k + 1 < stations) {
            Observation d;
            d.kind = ObservationKind::Distance;
            d.from = int(k + 1), d.to = int(k + 2);
            d.value = input.observations[k].distance;
            d.stdev = weights.distanceA + weights.distancePpm * 1e-6L * d.value;
            net.observations.push_back(d);
        }
    }
    return net;
}

Network LevellingRouteNetwork(const LevellingRouteInput &input, Real sigmaUnit, std::vector<std::string> names)
{
    const size_t sections = input.sections.size();
    if (sections == 0)
        throw Error("水准路线至少须有一个测段");
    if (names.empty()) {
        names.push_back("BM1");
        for (size_t i = 1; i < sections; ++i)
            names.push_back("P" + std::to_string(i));
        names.push_back("BM2");
    }
    if (names.size() != sections + 1)
        throw Error("水准点名数与测段数不符");
    Network net;
    for (size_t i = 0; i <= sections; ++i) {
        Point p;
        p.id = names[i];
        const bool known = i == 0 || i == sections;
        p.height = known ? Role::Fixed : Role::Adjusted;
        if (known)
            p.z = i == 0 ? input.startHeight : input.endHeight, p.hasZ = true;
        net.points.push_back(p);
    }
    for (size_t i = 0; i < sections; ++i) {
        Observation o;
        o.kind = ObservationKind::HeightDifference;
        o.from = int(i), o.to = int(i + 1);
        o.value = input.sections[i].difference;
        o.stdev = sigmaUnit * std::sqrt(input.sections[i].weight);
        net.observations.push_back(o);
    }
    return net;
}

} // namespace quorvil::network
