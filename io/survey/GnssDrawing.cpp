// The GNSS network drawn as a plane network. See GnssDrawing.h.
#include "GnssDrawing.h"

#include "NetworkDrawing.h"

#include <cmath>
#include <set>

namespace quorvil {

network::Network GnssPlaneNetwork(const gnss::Job &job, const gnss::JobResults &r, network::Result &plane)
{
    const gnss::BaselineNetwork &net = job.network;
    network::Network out;
    plane = {};
    // the free solution's grid: the job's, or the whole degree nearest the network's mean longitude
    gnss::GridSettings grid = job.grid;
    Real meanB = 0, meanL = 0;
    for (const gnss::FreePoint &p : r.free.points)
        meanB += p.B, meanL += p.L;
    meanB /= Real(r.free.points.size()), meanL /= Real(r.free.points.size());
    if (!r.constrained && grid.centralMeridian == 0)
        grid.centralMeridian = std::nearbyint(meanL);
    for (size_t p = 0; p < net.points.size(); ++p) {
        network::Point point;
        point.id = net.points[p];
        point.hasXY = true;
        network::PointResult pr;
        pr.plane = true;
        if (r.constrained) {
            const gnss::ConstrainedPoint &c = r.constrained->points[p];
            point.x = c.x, point.y = c.y;
            point.plane = c.known ? network::Role::Fixed : network::Role::Adjusted;
            pr.plane = !c.known;
            pr.sx = c.sx, pr.sy = c.sy, pr.sp = c.sp, pr.ellipse = c.ellipse;
        } else {
            const gnss::FreePoint &f = r.free.points[p];
            const PlaneXY g = gnss::GridOf(grid, meanB, f.B, f.L);
            point.x = g.x, point.y = g.y;
            point.plane = f.held ? network::Role::Fixed : network::Role::Adjusted;
            pr.plane = !f.held;
            pr.sx = f.sN, pr.sy = f.sE, pr.sp = std::hypot(f.sN, f.sE), pr.ellipse = f.horizontal;
        }
        pr.x = point.x, pr.y = point.y;
        out.points.push_back(point);
        plane.points.push_back(pr);
    }
    std::set<std::pair<int, int>> pairs;
    for (const gnss::Baseline &b : net.baselines) {
        if (!pairs.insert({std::min(b.from, b.to), std::max(b.from, b.to)}).second)
            continue;
        network::Observation o;
        o.kind = network::ObservationKind::Distance;
        o.from = b.from, o.to = b.to;
        o.value = std::hypot(out.points[size_t(b.to)].x - out.points[size_t(b.from)].x,
                             out.points[size_t(b.to)].y - out.points[size_t(b.from)].y);
        o.stdev = 1;
        o.line = b.line;
        out.observations.push_back(o);
    }
    if (r.constrained)
        for (const gnss::RelativeResult &rel : r.constrained->relative)
            plane.relative.push_back({rel.from, rel.to, rel.length, rel.ellipse});
    return out;
}

DxfDocument GnssDrawing(const gnss::Job &job, const gnss::JobResults &results, double ellipseScale)
{
    network::Result plane;
    const network::Network net = GnssPlaneNetwork(job, results, plane);
    NetworkDrawingOptions options;
    options.ellipseScale = ellipseScale > 0 ? ellipseScale : SuggestedEllipseScale(net, plane);
    options.relative = results.constrained.has_value();
    return NetworkDrawing(net, &plane, options);
}

} // namespace quorvil
