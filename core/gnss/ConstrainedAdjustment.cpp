// The constrained adjustment onto the grid's known points. See ConstrainedAdjustment.h.
#include "ConstrainedAdjustment.h"

#include "BlockSystem.h"

#include "core/CompensationPlane.h"
#include "core/Error.h"
#include "core/PlaneSimilarity.h"
#include "core/network/Statistics.h"

#include <cmath>
#include <map>
#include <set>

namespace quorvil::gnss {

namespace {

// Step of the numerical derivatives of the grid coordinates by X, Y, Z (metres): central
// differences err by h²/6 times the third derivative, far below a micrometre here.
constexpr Real DerivativeStep = 1;

// The mapping of the grid: Earth-centred → geodetic → the enlarged ellipsoid → Gauss–Krüger.
class GridMap {
public:
    GridMap(const GridSettings &grid, Real meanLatitude)
        : m_grid(grid),
          m_projected(grid.projectionHeight == 0 ? grid.ellipsoid
                                                 : EnlargedEllipsoid(grid.ellipsoid, meanLatitude, grid.projectionHeight)),
          m_series(m_projected)
    {
        if (!m_series.IsFinite())
            throw Error("椭球参数无效");
    }
    PlaneXY geodetic(Real B, Real L) const
    {
        const Real shifted = B + LatitudeShift(m_grid.ellipsoid, B, m_projected.a - m_grid.ellipsoid.a);
        Real l = L - m_grid.centralMeridian;
        l -= 360 * std::nearbyint(l / 360);
        PlaneXY g = m_series.Forward(shifted, l);
        g.y += m_grid.yConstant;
        return g;
    }
    PlaneXY cartesian(const CartesianXYZ &xyz) const
    {
        const GeodeticBLH g = GeodeticOf(m_grid.ellipsoid, xyz);
        return geodetic(g.B, g.L);
    }
    // ∂(x, y) / ∂(X, Y, Z) at a point
    Eigen::Matrix<Real, 2, 3> jacobian(const CartesianXYZ &xyz) const
    {
        Eigen::Matrix<Real, 2, 3> j;
        for (int k = 0; k < 3; ++k) {
            CartesianXYZ plus = xyz, minus = xyz;
            (k == 0 ? plus.X : k == 1 ? plus.Y : plus.Z) += DerivativeStep;
            (k == 0 ? minus.X : k == 1 ? minus.Y : minus.Z) -= DerivativeStep;
            const PlaneXY p = cartesian(plus), m = cartesian(minus);
            j(0, k) = (p.x - m.x) / (2 * DerivativeStep);
            j(1, k) = (p.y - m.y) / (2 * DerivativeStep);
        }
        return j;
    }

private:
    GridSettings m_grid;
    Ellipsoid m_projected;
    GaussKrugerSeries m_series;
};

} // namespace

PlaneXY GridOf(const GridSettings &grid, Real meanLatitude, Real B, Real L)
{
    return GridMap(grid, meanLatitude).geodetic(B, L);
}

ConstrainedResult AdjustConstrained(const BaselineNetwork &net, const FreeResult &free,
                                    const std::vector<KnownPoint> &known, const GridSettings &grid, const Grade &grade,
                                    const FreeSettings &settings)
{
    if (known.empty())
        throw Error("没有已知点, 无法进行约束平差");
    ConstrainedResult result;
    result.knownOf.assign(net.points.size(), -1);
    for (size_t k = 0; k < known.size(); ++k) {
        const int p = net.find(known[k].name);
        if (p < 0)
            throw Error("第 " + std::to_string(known[k].line) + " 行: 已知点 " + known[k].name + " 没有基线到达");
        if (result.knownOf[size_t(p)] >= 0)
            throw Error("第 " + std::to_string(known[k].line) + " 行: 已知点 " + known[k].name + " 重复");
        result.knownOf[size_t(p)] = int(k);
    }

    // the free solution in the grid
    Real meanB = 0;
    for (const FreePoint &p : free.points)
        meanB += p.B;
    meanB /= Real(free.points.size());
    const GridMap map(grid, meanB);
    const size_t n = net.points.size();
    std::vector<PlaneXY> g(n);
    std::vector<Eigen::Matrix<Real, 2, 3>> jac(n);
    for (size_t p = 0; p < n; ++p) {
        const CartesianXYZ xyz{free.points[p].X, free.points[p].Y, free.points[p].Z};
        g[p] = map.geodetic(free.points[p].B, free.points[p].L);
        jac[p] = map.jacobian(xyz);
    }

    // unknowns: x, y of the new points, then a and b with two known points or more
    result.rotationScaleEstimated = known.size() >= 2;
    std::vector<int> column(n, -1);
    int unknowns = 0;
    for (size_t p = 0; p < n; ++p)
        if (result.knownOf[p] < 0)
            column[p] = unknowns, unknowns += 2;
    const int ca = result.rotationScaleEstimated ? unknowns : -1;
    if (ca >= 0)
        unknowns += 2;
    // approximate values: the free grid coordinates moved onto the first known point
    const int first = net.find(known[0].name);
    const Real shiftX = known[0].x - g[size_t(first)].x, shiftY = known[0].y - g[size_t(first)].y;
    std::vector<PlaneXY> x0(n);
    for (size_t p = 0; p < n; ++p) {
        const int k = result.knownOf[p];
        x0[p] = k >= 0 ? PlaneXY{known[size_t(k)].x, known[size_t(k)].y} : PlaneXY{g[p].x + shiftX, g[p].y + shiftY};
    }

    BlockSystem system(unknowns);
    result.baselines.resize(net.baselines.size());
    for (size_t b = 0; b < net.baselines.size(); ++b) {
        const Baseline &bl = net.baselines[b];
        const size_t i = size_t(bl.from), j = size_t(bl.to);
        // the baseline as observed, carried into the grid: the free solution's difference plus the
        // baseline's residual-free part is the free solution; the observation is the baseline itself
        const Eigen::Matrix<Real, 2, 3> jm = (jac[i] + jac[j]) / 2;
        const Eigen::Matrix<Real, 3, 1> d(bl.d[0], bl.d[1], bl.d[2]);
        const Eigen::Matrix<Real, 3, 1> adjusted(free.points[j].X - free.points[i].X, free.points[j].Y - free.points[i].Y,
                                                 free.points[j].Z - free.points[i].Z);
        // grid difference of the free solution, corrected by the baseline's own residual
        const Eigen::Matrix<Real, 2, 1> correction = jm * (d - adjusted);
        const Real dx = g[j].x - g[i].x + correction[0], dy = g[j].y - g[i].y + correction[1];
        result.baselines[b].dx = dx, result.baselines[b].dy = dy;
        ObservationGroup o;
        o.p = (jm * MatrixOf(bl.cov) * jm.transpose()).inverse();
        std::vector<std::array<Real, 2>> coefficient; // per column: its factor in the x row and the y row
        for (const auto &[point, s] : {std::pair{j, Real(1)}, std::pair{i, Real(-1)}})
            if (column[point] >= 0) {
                o.columns.push_back(column[point]), coefficient.push_back({s, 0});
                o.columns.push_back(column[point] + 1), coefficient.push_back({0, s});
            }
        if (ca >= 0) {
            o.columns.push_back(ca), coefficient.push_back({-dx, -dy});
            o.columns.push_back(ca + 1), coefficient.push_back({dy, -dx});
        }
        o.a = MatrixR(2, Eigen::Index(o.columns.size()));
        for (size_t c = 0; c < o.columns.size(); ++c)
            o.a(0, Eigen::Index(c)) = coefficient[c][0], o.a(1, Eigen::Index(c)) = coefficient[c][1];
        o.l = VectorR(2);
        o.l << dx - (x0[j].x - x0[i].x), dy - (x0[j].y - x0[i].y);
        system.add(std::move(o));
    }
    const VectorR sol = system.solve([&](int u) {
        if (u >= ca && ca >= 0)
            return std::string("旋转与尺度参数");
        for (size_t p = 0; p < n; ++p)
            if (column[p] >= 0 && (u == column[p] || u == column[p] + 1))
                return "点 " + net.points[p];
        return std::string("未知数");
    });

    const Real sigma0 = Summarise(system, sol, 2, settings, result.summary,
                                  [&](size_t b) { return result.baselines[b].c.data(); });
    const Real variance = sigma0 * sigma0;
    auto q = [&](int a, int b) { return a < 0 || b < 0 ? Real(0) : system.cofactor(a, b); };

    if (ca >= 0) {
        const Real a = sol[ca], b = sol[ca + 1];
        result.rotation = std::atan2(b, 1 + a);
        result.scale = std::hypot(1 + a, b) - 1;
        result.sScale = sigma0 * std::sqrt(q(ca, ca));
        result.sRotation = sigma0 * std::sqrt(q(ca + 1, ca + 1)) / (1 + result.scale);
    }
    result.points.resize(n);
    for (size_t p = 0; p < n; ++p) {
        ConstrainedPoint &cp = result.points[p];
        const int c = column[p];
        cp.known = c < 0;
        cp.x = x0[p].x + (c >= 0 ? sol[c] : 0);
        cp.y = x0[p].y + (c >= 0 ? sol[c + 1] : 0);
        if (c >= 0) {
            const Real qxx = variance * q(c, c), qyy = variance * q(c + 1, c + 1), qxy = variance * q(c, c + 1);
            cp.sx = std::sqrt(qxx), cp.sy = std::sqrt(qyy), cp.sp = std::sqrt(qxx + qyy);
            cp.ellipse = network::EllipseOf(qxx, qyy, qxy);
        }
    }
    // relative ellipses: one per pair of points, from its first baseline
    std::set<std::pair<int, int>> pairs;
    for (size_t b = 0; b < net.baselines.size(); ++b) {
        const Baseline &bl = net.baselines[b];
        if (!pairs.insert({std::min(bl.from, bl.to), std::max(bl.from, bl.to)}).second)
            continue;
        const int ci = column[size_t(bl.from)], cj = column[size_t(bl.to)];
        auto rel = [&](int r, int s) { // covariance of (point j − point i), components r, s
            const int ir = ci < 0 ? -1 : ci + r, is = ci < 0 ? -1 : ci + s;
            const int jr = cj < 0 ? -1 : cj + r, js = cj < 0 ? -1 : cj + s;
            return variance * (q(jr, js) + q(ir, is) - q(ir, js) - q(jr, is));
        };
        RelativeResult r;
        r.baseline = int(b), r.from = bl.from, r.to = bl.to;
        const ConstrainedPoint &a = result.points[size_t(bl.from)], &c = result.points[size_t(bl.to)];
        r.length = std::hypot(c.x - a.x, c.y - a.y);
        r.ellipse = network::EllipseOf(rel(0, 0), rel(1, 1), rel(0, 1));
        result.relative.push_back(r);
    }

    // the known points against each other: the free grid fitted onto them
    Real meanLength = 0;
    for (const Baseline &b : net.baselines)
        meanLength += b.length();
    meanLength /= Real(net.baselines.size());
    result.knownLimit = ResidualSigmaFactor * grade.sigma(meanLength);
    if (known.size() >= 3) {
        std::vector<CommonPoint> common;
        for (const KnownPoint &k : known) {
            const PlaneXY &f = g[size_t(net.find(k.name))];
            common.push_back({{f.x, f.y, 0}, {k.x, k.y, 0}});
        }
        const FourParameterEstimate fit = EstimateFourParameters(common);
        Real worst = 0;
        for (size_t k = 0; k < known.size(); ++k) {
            KnownResidual r;
            r.known = int(k);
            r.vx = fit.residuals[k].x, r.vy = fit.residuals[k].y;
            r.v = std::hypot(r.vx, r.vy);
            r.passed = r.v <= result.knownLimit;
            if (!r.passed && r.v > worst)
                worst = r.v, result.worstKnown = int(k);
            result.knownResiduals.push_back(r);
        }
    }
    return result;
}

} // namespace quorvil::gnss
