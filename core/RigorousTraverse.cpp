#include "RigorousTraverse.h"

#include "Error.h"
#include "TextForms.h"

#include <algorithm>
#include <cmath>

namespace quorvil {

namespace {

constexpr Real MillimetresPerMetre = 1000;
constexpr Real PartsPerMillion = 1e6L;
constexpr Real SecondsPerRadian = 180 * 3600 / Pi;

std::string UniqueId(const std::string &name, size_t index, std::vector<std::string> &used)
{
    std::string id = name.empty() ? "点" + std::to_string(index + 1) : name;
    for (const std::string &other : used)
        if (other == id) {
            id += "#" + std::to_string(index + 1);
            break;
        }
    used.push_back(id);
    return id;
}

// The point with the largest error, the first of equals; −1 when every error is 0.
int Weakest(const std::vector<Real> &errors)
{
    int weakest = -1;
    for (size_t i = 0; i < errors.size(); ++i)
        if (errors[i] > 0 && (weakest < 0 || errors[i] > errors[size_t(weakest)]))
            weakest = int(i);
    return weakest;
}

void Require(bool ok, const char *text)
{
    if (!ok)
        throw Error(text);
}

} // namespace

Real RigorousTraverse::angleResidual(size_t station) const
{
    const int o = angleObservation[station];
    return o >= 0 ? result.observations[size_t(o)].residual : 0;
}

Real RigorousTraverse::distanceResidual(size_t station) const
{
    const int o = distanceObservation[station];
    return o >= 0 ? result.observations[size_t(o)].residual : 0;
}

Real RigorousTraverse::legBearing(size_t station) const
{
    const PlanePoint &p = stations[station], &q = stations[station + 1];
    return Azimuth(p.x, p.y, q.x, q.y);
}

Real RigorousTraverse::legLength(size_t station) const
{
    const PlanePoint &p = stations[station], &q = stations[station + 1];
    return std::hypot(q.x - p.x, q.y - p.y);
}

int RigorousTraverse::weakestStation() const { return Weakest(pointErrors); }

RigorousTraverse AdjustTraverseChain(const std::vector<TraverseChainStation> &chain, const AprioriErrors &errors)
{
    Require(chain.size() >= 2, "严密平差至少需要两个点！");
    Require(errors.angleSeconds > 0, "测角中误差必须大于0！");
    Require(errors.distanceMm > 0 && errors.distancePpm >= 0, "测距中误差a必须大于0，b不得小于0！");
    RigorousTraverse r;
    network::Network &net = r.network;
    net.settings.axes = network::Axes::NE;
    net.settings.clockwise = true; // a left angle turns clockwise from the backsight to the foresight
    net.settings.sigma0 = 1;
    net.settings.aposteriori = true;
    std::vector<std::string> used;
    for (size_t i = 0; i < chain.size(); ++i) {
        network::Point p;
        p.id = UniqueId(chain[i].name, i, used);
        p.x = chain[i].point.x;
        p.y = chain[i].point.y;
        p.hasXY = true;
        p.plane = chain[i].known ? network::Role::Fixed : network::Role::Adjusted;
        net.points.push_back(p);
        r.point.push_back(int(i));
    }
    const Real angleSigma = errors.angleSeconds / SecondsPerRadian;
    r.angleObservation.assign(chain.size(), -1);
    r.distanceObservation.assign(chain.size(), -1);
    // Without a new point there is nothing to adjust: the known points stand, errors 0.
    if (std::none_of(chain.begin(), chain.end(), [](const TraverseChainStation &s) { return !s.known; })) {
        for (const TraverseChainStation &s : chain)
            r.stations.push_back(s.point);
        r.pointErrors.assign(chain.size(), 0);
        return r;
    }
    for (size_t i = 0; i < chain.size(); ++i) {
        const TraverseChainStation &s = chain[i];
        if (s.angle && i > 0 && i + 1 < chain.size()) {
            network::Observation o;
            o.kind = network::ObservationKind::Angle;
            o.from = int(i);
            o.bs = int(i - 1);
            o.to = int(i + 1);
            o.value = *s.angle;
            o.stdev = angleSigma;
            r.angleObservation[i] = int(net.observations.size());
            net.observations.push_back(o);
        }
        if (s.distance && i + 1 < chain.size()) {
            network::Observation o;
            o.kind = network::ObservationKind::Distance;
            o.from = int(i);
            o.to = int(i + 1);
            o.value = *s.distance;
            o.stdev = errors.distanceMm / MillimetresPerMetre + errors.distancePpm * std::fabs(*s.distance) / PartsPerMillion;
            r.distanceObservation[i] = int(net.observations.size());
            net.observations.push_back(o);
        }
    }
    r.result = network::Adjust(net);
    r.stations.reserve(chain.size());
    r.pointErrors.reserve(chain.size());
    for (size_t i = 0; i < chain.size(); ++i) {
        const network::PointResult &p = r.result.points[i];
        r.stations.push_back({p.x, p.y});
        r.pointErrors.push_back(chain[i].known ? 0 : p.sp);
    }
    return r;
}

std::vector<TraverseChainStation> MeasuredChain(const std::vector<std::string> &names,
                                                const std::vector<PlanePoint> &measured,
                                                const std::vector<PlanePoint> &points, const std::vector<bool> &known,
                                                size_t angleFrom, size_t angleTo, size_t legFrom, size_t legTo)
{
    std::vector<TraverseChainStation> chain(names.size());
    for (size_t i = 0; i < chain.size(); ++i) {
        chain[i].name = names[i];
        chain[i].point = points[i];
        chain[i].known = known[i];
    }
    for (size_t i = angleFrom; i <= angleTo && i > 0 && i + 1 < chain.size(); ++i) {
        const PlanePoint &b = measured[i - 1], &s = measured[i], &f = measured[i + 1];
        Real angle = Azimuth(s.x, s.y, f.x, f.y) - Azimuth(s.x, s.y, b.x, b.y);
        if (angle < 0)
            angle += TwoPi;
        chain[i].angle = angle;
    }
    for (size_t i = legFrom; i < legTo && i + 1 < chain.size(); ++i)
        chain[i].distance = std::hypot(measured[i + 1].x - measured[i].x, measured[i + 1].y - measured[i].y);
    return chain;
}

int RigorousLevelling::weakestPoint() const { return Weakest(pointErrors); }

RigorousLevelling AdjustLevellingChain(const std::vector<std::string> &names, const std::vector<Real> &approximate,
                                       const std::vector<LevellingChainSection> &sections, Real errorPerUnit)
{
    Require(names.size() >= 2 && sections.size() + 1 == names.size() && approximate.size() == names.size(),
            "严密平差至少需要两个点！");
    Require(errorPerUnit > 0, "水准测量中误差必须大于0！");
    RigorousLevelling r;
    network::Network &net = r.network;
    net.settings.sigma0 = 1;
    std::vector<std::string> used;
    for (size_t i = 0; i < names.size(); ++i) {
        network::Point p;
        p.id = UniqueId(names[i], i, used);
        p.z = approximate[i];
        p.hasZ = true;
        const bool benchmark = i == 0 || i + 1 == names.size();
        p.height = benchmark ? network::Role::Fixed : network::Role::Adjusted;
        net.points.push_back(p);
    }
    for (size_t i = 0; i < sections.size(); ++i) {
        if (!(sections[i].weight > 0))
            throw Error("第" + std::to_string(i + 1) + "段的距离(或测站数)必须大于0才能定权！");
        network::Observation o;
        o.kind = network::ObservationKind::HeightDifference;
        o.from = int(i);
        o.to = int(i + 1);
        o.value = sections[i].difference;
        o.stdev = errorPerUnit / MillimetresPerMetre * std::sqrt(sections[i].weight);
        net.observations.push_back(o);
    }
    if (names.size() == 2) { // two benchmarks and no new point: nothing to adjust
        r.heights = approximate;
        r.pointErrors.assign(2, 0);
        r.residuals.assign(1, approximate[1] - approximate[0] - sections[0].difference);
        return r;
    }
    r.result = network::Adjust(net);
    for (size_t i = 0; i < names.size(); ++i) {
        const bool benchmark = i == 0 || i + 1 == names.size();
        r.heights.push_back(r.result.points[i].z);
        r.pointErrors.push_back(benchmark ? 0 : r.result.points[i].sz);
    }
    for (size_t i = 0; i < sections.size(); ++i)
        r.residuals.push_back(r.result.observations[i].residual);
    return r;
}

std::string PointErrorText(Real metres) { return NumberToText(1, metres * MillimetresPerMetre); }

std::string RigorousSummaryText(const network::Summary &summary, const std::string &weakestName, Real weakestError)
{
    std::string text = std::string(RigorousTitle) + "：";
    if (summary.unknowns == 0)
        return text + "无待定点，无需平差";
    if (summary.dof > 0) {
        text += "σ0=" + NumberToText(2, summary.chi2.ratio) + "  自由度=" + std::to_string(summary.dof);
        if (summary.chi2.done)
            text += "  χ²检验(" + GeneralText(RoundHalfEven(summary.chi2.probability * 100)) + "%)"
                    + (summary.chi2.passed ? "通过" : "未通过");
    } else {
        text += "无多余观测，点位中误差按先验精度传播";
    }
    if (!weakestName.empty())
        text += "  最弱点" + weakestName + " ±" + PointErrorText(weakestError) + "mm";
    return text;
}

} // namespace quorvil
