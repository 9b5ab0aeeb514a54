// The free adjustment of the baselines. See FreeAdjustment.h.
#include "FreeAdjustment.h"

#include "BlockSystem.h"
#include "Checks.h"

#include "core/Error.h"
#include "core/SinCos.h"
#include "core/network/Statistics.h"

#include <cmath>
#include <queue>

namespace quorvil::gnss {

namespace {

// Approximate coordinates: the held point's, carried along a breadth-first tree of the baselines.
std::vector<CartesianXYZ> Approximate(const BaselineNetwork &net, int held, const CartesianXYZ &at)
{
    std::vector<std::vector<int>> touching(net.points.size());
    for (size_t b = 0; b < net.baselines.size(); ++b) {
        touching[size_t(net.baselines[b].from)].push_back(int(b));
        touching[size_t(net.baselines[b].to)].push_back(int(b));
    }
    std::vector<CartesianXYZ> xyz(net.points.size());
    std::vector<bool> known(net.points.size(), false);
    xyz[size_t(held)] = at;
    known[size_t(held)] = true;
    std::queue<int> queue;
    queue.push(held);
    while (!queue.empty()) {
        const int p = queue.front();
        queue.pop();
        for (int b : touching[size_t(p)]) {
            const Baseline &bl = net.baselines[size_t(b)];
            const int q = bl.from == p ? bl.to : bl.from;
            if (known[size_t(q)])
                continue;
            const Real s = bl.from == p ? 1 : -1;
            xyz[size_t(q)] = {xyz[size_t(p)].X + s * bl.d[0], xyz[size_t(p)].Y + s * bl.d[1], xyz[size_t(p)].Z + s * bl.d[2]};
            known[size_t(q)] = true;
            queue.push(q);
        }
    }
    for (size_t p = 0; p < known.size(); ++p)
        if (!known[p])
            throw Error("点 " + net.points[p] + " 没有基线与固定点 " + net.points[size_t(held)] + " 相连, 无法平差");
    return xyz;
}

} // namespace

GeodeticBLH GeodeticOf(const Ellipsoid &ellipsoid, const CartesianXYZ &xyz)
{
    // CartesianToGeodetic gives the principal value of the longitude: turn the point to a working
    // meridian through it first
    const Real L0 = std::atan2(xyz.Y, xyz.X);
    const Real p = std::hypot(xyz.X, xyz.Y);
    GeodeticBLH g = CartesianToGeodetic(ellipsoid, p, 0, xyz.Z);
    g.L = RadToDeg(L0);
    return g;
}

std::string BaselineName(const BaselineNetwork &net, int baseline)
{
    const Baseline &b = net.baselines[size_t(baseline)];
    std::string text = net.points[size_t(b.from)] + "→" + net.points[size_t(b.to)];
    std::string where;
    if (!b.session.empty())
        where = "时段 " + b.session;
    if (b.line > 0)
        where += (where.empty() ? "" : ", ") + std::string("第 ") + std::to_string(b.line) + " 行";
    return where.empty() ? text : text + " (" + where + ")";
}

FreeResult AdjustFree(const BaselineNetwork &net, int held, const CartesianXYZ &at, const Grade &grade,
                      const Ellipsoid &ellipsoid, const FreeSettings &settings)
{
    if (held < 0 || held >= int(net.points.size()))
        throw Error("没有指定固定点");
    for (const Baseline &b : net.baselines) {
        if (b.from == b.to)
            throw Error("第 " + std::to_string(b.line) + " 行: 基线的起点与终点相同 (" + net.points[size_t(b.from)] + ")");
        if (!IsPositiveDefinite(b.cov))
            throw Error("第 " + std::to_string(b.line) + " 行: 基线 " + BaselineName(net, int(&b - net.baselines.data())) +
                        " 的协方差阵不正定");
    }
    RequireConnected(net);
    const std::vector<CartesianXYZ> x0 = Approximate(net, held, at);

    // unknowns: X, Y, Z of every point but the held one
    std::vector<int> column(net.points.size(), -1);
    int unknowns = 0;
    for (size_t p = 0; p < net.points.size(); ++p)
        if (int(p) != held)
            column[p] = unknowns, unknowns += 3;
    BlockSystem system(unknowns);
    for (const Baseline &b : net.baselines) {
        ObservationGroup g;
        const CartesianXYZ &f = x0[size_t(b.from)], &t = x0[size_t(b.to)];
        g.l = VectorR(3);
        g.l << b.d[0] - (t.X - f.X), b.d[1] - (t.Y - f.Y), b.d[2] - (t.Z - f.Z);
        g.p = MatrixOf(b.cov).inverse();
        std::vector<Real> sign;
        for (const auto &[point, s] : {std::pair{b.to, Real(1)}, std::pair{b.from, Real(-1)}})
            if (column[size_t(point)] >= 0)
                for (int k = 0; k < 3; ++k)
                    g.columns.push_back(column[size_t(point)] + k), sign.push_back(s);
        g.a = MatrixR::Zero(3, Eigen::Index(g.columns.size()));
        for (size_t c = 0; c < g.columns.size(); ++c)
            g.a(Eigen::Index(c % 3), Eigen::Index(c)) = sign[c];
        system.add(std::move(g));
    }
    const VectorR dx = system.solve([&](int u) {
        for (size_t p = 0; p < column.size(); ++p)
            if (column[p] >= 0 && u >= column[p] && u < column[p] + 3)
                return "点 " + net.points[p];
        return std::string("未知数");
    });

    FreeResult result;
    result.held = held;
    result.baselines.resize(net.baselines.size());
    const Real sigma0 = Summarise(system, dx, 3, settings, result.summary,
                                  [&](size_t b) { return result.baselines[b].c.data(); });
    for (size_t b = 0; b < net.baselines.size(); ++b) {
        BaselineResult &r = result.baselines[b];
        r.gradeSigma = grade.sigma(net.baselines[b].length());
        for (size_t k = 0; k < 3; ++k) {
            r.adjusted[k] = net.baselines[b].d[k] + r.c[k].residual;
            r.withinGrade = r.withinGrade && std::fabs(r.c[k].residual) <= ResidualSigmaFactor * r.gradeSigma;
        }
    }
    const Real variance = sigma0 * sigma0;

    result.points.resize(net.points.size());
    for (size_t p = 0; p < net.points.size(); ++p) {
        FreePoint &fp = result.points[p];
        fp.held = int(p) == held;
        const int c = column[p];
        fp.X = x0[p].X + (c >= 0 ? dx[c] : 0);
        fp.Y = x0[p].Y + (c >= 0 ? dx[c + 1] : 0);
        fp.Z = x0[p].Z + (c >= 0 ? dx[c + 2] : 0);
        Eigen::Matrix<Real, 3, 3> q = Eigen::Matrix<Real, 3, 3>::Zero();
        if (c >= 0)
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j <= i; ++j)
                    q(i, j) = q(j, i) = variance * system.cofactor(c + i, c + j);
        fp.cov = {q(0, 0), q(0, 1), q(0, 2), q(1, 1), q(1, 2), q(2, 2)};
        fp.sX = std::sqrt(q(0, 0)), fp.sY = std::sqrt(q(1, 1)), fp.sZ = std::sqrt(q(2, 2));
        const GeodeticBLH g = GeodeticOf(ellipsoid, {fp.X, fp.Y, fp.Z});
        fp.B = g.B, fp.L = g.L, fp.H = g.H;
        // the local frame: north, east, up
        const SineCosine sb = SinCos(DegToRad(g.B)), sl = SinCos(DegToRad(g.L));
        Eigen::Matrix<Real, 3, 3> r;
        r << -sb.sin * sl.cos, -sb.sin * sl.sin, sb.cos, -sl.sin, sl.cos, 0, sb.cos * sl.cos, sb.cos * sl.sin, sb.sin;
        const Eigen::Matrix<Real, 3, 3> neu = r * q * r.transpose();
        fp.sN = std::sqrt(std::max<Real>(0, neu(0, 0)));
        fp.sE = std::sqrt(std::max<Real>(0, neu(1, 1)));
        fp.sU = std::sqrt(std::max<Real>(0, neu(2, 2)));
        fp.horizontal = network::EllipseOf(neu(0, 0), neu(1, 1), neu(0, 1));
    }
    return result;
}

} // namespace quorvil::gnss
