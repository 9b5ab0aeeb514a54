// The GNSS computation in order. See Job.h.
#include "Job.h"

#include "core/Error.h"
#include "core/GaussKruger.h"

namespace quorvil::gnss {

bool JobResults::anyFailure() const
{
    if (!checks.passed() || free.summary.suspect >= 0)
        return true;
    for (const BaselineResult &b : free.baselines)
        if (!b.withinGrade)
            return true;
    return constrained && (constrained->worstKnown >= 0 || constrained->summary.suspect >= 0);
}

std::pair<int, CartesianXYZ> HeldPoint(const Job &job)
{
    const BaselineNetwork &net = job.network;
    if (!job.held.name.empty()) {
        const int p = net.find(job.held.name);
        if (p < 0)
            throw Error("固定点 " + job.held.name + " 不在基线网中");
        if (job.held.hasXYZ)
            return {p, job.held.xyz};
    }
    for (const KnownPoint &k : job.known) {
        if (!job.held.name.empty() && k.name != job.held.name)
            continue;
        const int p = net.find(k.name);
        if (p < 0)
            continue;
        const LatLon g = GaussKrugerSeries(job.grid.ellipsoid).Inverse(k.x, k.y - job.grid.yConstant);
        return {p, GeodeticToCartesian(job.grid.ellipsoid, g.B, g.l + job.grid.centralMeridian, k.hasH ? k.H : 0)};
    }
    if (!job.held.name.empty())
        throw Error("固定点 " + job.held.name + " 没有给出坐标 (X,Y,Z), 也不是已知点");
    throw Error("没有固定点: 请指定固定点及其坐标 X,Y,Z, 或给出已知点");
}

JobResults RunJob(const Job &job)
{
    JobResults r;
    r.checks = CheckBaselines(job.network, job.grade);
    const auto [held, at] = HeldPoint(job);
    r.free = AdjustFree(job.network, held, at, job.grade, job.grid.ellipsoid, job.settings);
    if (!job.known.empty())
        r.constrained = AdjustConstrained(job.network, r.free, job.known, job.grid, job.grade, job.settings);
    return r;
}

} // namespace quorvil::gnss
