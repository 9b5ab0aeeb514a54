// Rigorous least-squares adjustment of plane and levelling networks (Gauss–Markov model,
// observation equations), after the classical texts (Niemeier, Ausgleichungsrechnung; Ghilani,
// Adjustment Computations; Koch, Parameter Estimation) and the conventions of GNU Gama. This file
// holds the iteration and the assembly of the results; the jobs it calls are in their own files.
//
// Frame (Axes.h). Everything is computed in an internal left-handed frame: N (north) and E (east)
// in metres, bearings clockwise from north; input angles turning anticlockwise change sign.
// Results go back through Rᵀ (coordinates) and Rᵀ C R (covariances), so every figure is in the
// input's own axes; an ellipse direction φ is measured from the input's +x towards its +y axis.
//
// Unknowns ξ = (Nᵢ, Eᵢ of adjusted points, Hᵢ of adjusted heights, one orientation oₛ per
// direction set). Each observation lᵢ with standard deviation σᵢ, linearised at the approximate
// values ξ⁰ (Linearization.cpp), gives the row
//   aᵢ dξ = (lᵢ − fᵢ(ξ⁰)) / σᵢ + vᵢ/σᵢ,   aᵢ = (∂fᵢ/∂ξ) / σᵢ
// (angular misclosures brought into (−π, π]); these rows carry the weights pᵢ = σ0²/σᵢ² up to
// the factor σ0², which cancels from the estimates. The normal equations N dξ = n, N = AᵀA,
// n = Aᵀl, are solved by a sparse LDLᵀ factorisation (Eigen's SimplicialLDLT, the unknowns
// ordered by METIS nested dissection). The matrix, the factors and the solution are in double
// precision; the misclosures, the coordinates and every value derived from them are in extended
// precision (Real). The linearisation is iterated, dξ added to ξ⁰ each round, until the largest
// coordinate correction is below ConvergenceTolerance (0.01 mm), and then until a round moves no
// coordinate by more than FixedPointShift: the coordinates are then the fixed point of the
// extended-precision misclosures, and the double-precision solve limits only the size of the last
// correction, not the coordinates. The right-hand side n is formed anew every round; N is formed
// and factorised anew only while the coordinates have moved more than RefactorShift since its
// last factorisation (a quasi-Newton iteration: the fixed point n(ξ) = 0 is that of the exact
// equations, only the rate of convergence depends on N, and with corrections below 1 cm N
// changes by less than 1e−5 of itself). The covariances come from a factorisation at the final
// coordinates (to FinalShift), so that Σ rᵢ = f to the rounding of double precision. A network
// whose corrections are still larger than the tolerance after IterationLimit rounds is refused.
//
// Approximate values (ApproximateValues.cpp), where the input gives none, are carried from the
// known points; the datum of a free network (Datum.cpp) is that of its constrained points, by
// S-transformation; a singularity left after the datum (a pivot of D below SingularPivotShare of
// the diagonal of N) names the unknown's point.
//
// Covariances (SelectedInverse.cpp): the entries of Q₀ = N⁻¹ on the pattern of the factor, which
// holds every pair of unknowns in one observation, by the Takahashi recurrence.
//
// Statistics. vᵢ = fᵢ(ξ̂) − lᵢ; vᵀPv = σ0² Σ(vᵢ/σᵢ)²; f = n − u + d degrees of freedom;
// σ̂0 = √(vᵀPv / f), tested globally (Statistics.h). Precision with σ0 used m (a priori or a
// posteriori, chosen by the user): C_ξ = (m/σ0)² Q (in the normalised units of the rows: Q is the
// covariance for σ0 a priori). Per observation: qᵢ = aᵢ Q aᵢᵀ, redundancy rᵢ = 1 − qᵢ (Σ rᵢ = f),
// σ of the adjusted value (m/σ0)·σᵢ·√qᵢ, Baarda's standardised residual wᵢ = vᵢ / (σᵢ √rᵢ)
// (a priori σ0; critical value WCritical), minimal detectable bias ∇ᵢ = δ0 σᵢ / √rᵢ. The
// observation with the largest |w| above WCritical is the suspected blunder. σp = √(cxx + cyy);
// the relative ellipse of points i, j is that of C_jj + C_ii − C_ij − C_ji. The weakest point has
// the largest σp (σz in a levelling network), the weakest side the largest a / s.
#include "Network.h"

#include "ApproximateValues.h"
#include "Datum.h"
#include "Linearization.h"
#include "SelectedInverse.h"
#include "Factorization.h"
#include "State.h"
#include "Validate.h"

#include "core/Error.h"
#include "core/TextForms.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <tuple>

namespace quorvil::network {

namespace {

// Coordinate change (metres) after which the normal matrix is formed and factorised anew.
constexpr Real RefactorShift = 0.01L;
// The covariances need N at the final coordinates: Σ rᵢ = f holds to the change of N.
constexpr Real FinalShift = 1e-6L;
// A round that moves no coordinate by more than this (metres) has reached the fixed point.
constexpr Real FixedPointShift = 1e-9L;
// Rounds allowed after convergence to reach it.
constexpr int FixedPointRounds = 2;
// A pivot of D below this share of the diagonal of N: the unknown is not determined.
constexpr double SingularPivotShare = 1e-12;
// Observations with less redundancy are not tested (w and the MDB would be meaningless).
constexpr Real LeastTestedRedundancy = 1e-6L;

// -------------------------------------------------------------------------------- preparation

// Checks, approximate values, the unknowns and the datum they leave.
Datum Prepare(State &state)
{
    Validate(state.net);
    ApproximateCoordinates(state);
    NumberUnknowns(state);
    ApproximateOrientations(state);
    // Observations between fixed points alone leave nothing to solve for (and an empty system
    // is no system for the ordering and the factorisation).
    if (state.unknowns.count == 0)
        throw Error("网中没有待定点和定向未知数，无需平差");
    Datum datum = AnalyseDatum(state);
    HoldDatumUnknowns(state, datum);
    if (datum.defect > 0)
        InvertDatumProduct(datum, state.unknowns.count);
    return datum;
}

// ---------------------------------------------------------------------------------- iteration

// The reduced normal equations and their factorisation.
struct NormalEquations {
    Factorization factor;
    bool analysed = false;
    std::vector<Eigen::Triplet<double>> triplets;
    Eigen::VectorXd rhs;
    SparseMatrix matrix;
    std::vector<std::pair<int, double>> terms; // of one row
    // Per product of two terms, in the order Assemble meets them, its entry of `matrix`: the
    // pattern stays, so that a matrix formed again only adds the products into their entries.
    std::vector<int> slots;
};

// The right-hand side at the current coordinates always; the matrix (and its factorisation)
// only when `matrix`: once the corrections are small, the factorisation of an earlier round
// serves (the fixed point is still that of the current design matrix's right-hand side).
void Assemble(const State &state, NormalEquations &ne, bool matrix)
{
    const Network &net = state.net;
    const Unknowns &unknowns = state.unknowns;
    const int ur = unknowns.reducedCount;
    const bool scatter = matrix && !ne.slots.empty();
    double *values = ne.matrix.valuePtr();
    if (scatter)
        std::fill(values, values + ne.matrix.nonZeros(), 0.0);
    size_t product = 0;
    ne.triplets.clear();
    ne.rhs.setZero(ur);
    for (const Observation &o : net.observations) {
        const Row r = Linearize(state, o);
        const double s = double(o.stdev);
        const double l = double(Misclosure(o, state.internalValue(o), r)) / s;
        ne.terms.clear();
        ForEachTerm(r, unknowns, [&](int u, double c) {
            const int k = unknowns.reduced[size_t(u)];
            if (k >= 0)
                ne.terms.emplace_back(k, c / s);
        });
        for (const auto &[a, ca] : ne.terms) {
            ne.rhs[a] += ca * l;
            if (matrix)
                for (const auto &[b, cb] : ne.terms)
                    if (b >= a) {
                        if (scatter)
                            values[ne.slots[product++]] += ca * cb;
                        else
                            ne.triplets.emplace_back(b, a, ca * cb);
                    }
        }
    }
    if (!matrix)
        return;
    if (!scatter) {
        ne.matrix.setZero();
        ne.matrix.resize(ur, ur);
        ne.matrix.setFromTriplets(ne.triplets.begin(), ne.triplets.end());
        for (int k = 0; k < ur; ++k) // every unknown on the diagonal, so the pattern stays fixed
            if (ne.matrix.coeff(k, k) == 0)
                ne.matrix.coeffRef(k, k) = 0;
        ne.matrix.makeCompressed();
        const int *outer = ne.matrix.outerIndexPtr(), *inner = ne.matrix.innerIndexPtr();
        ne.slots.resize(ne.triplets.size());
        for (size_t t = 0; t < ne.triplets.size(); ++t) {
            const int column = ne.triplets[t].col();
            ne.slots[t] = int(std::lower_bound(inner + outer[column], inner + outer[column + 1], ne.triplets[t].row()) - inner);
        }
        ne.triplets = {};
    }
    if (!ne.analysed) {
        ne.factor.analyze(ne.matrix);
        ne.analysed = true;
    }
    if (ne.factor.factorize(ne.matrix, SingularPivotShare))
        return;
    // the first pivot of D tiny against the diagonal of N: its unknown is not determined
    const std::vector<int> &perm = ne.factor.permutation();
    const int column = int(std::find(perm.begin(), perm.end(), ne.factor.failedColumn()) - perm.begin());
    for (int u = 0; u < unknowns.count; ++u)
        if (unknowns.reduced[size_t(u)] == column)
            SingularUnknown(state, u);
}

// Adds dξ to the current values; returns the largest coordinate correction.
Real ApplyCorrection(State &state, const Eigen::VectorXd &dx, std::vector<double> &total)
{
    const Unknowns &unknowns = state.unknowns;
    Real largest = 0;
    for (size_t p = 0; p < state.points; ++p) {
        const int u = unknowns.plane[p], z = unknowns.height[p];
        if (u >= 0) {
            state.now.n[p] += dx[u], state.now.e[p] += dx[u + 1];
            largest = std::max<Real>(largest, std::max(std::fabs(dx[u]), std::fabs(dx[u + 1])));
        }
        if (z >= 0) {
            state.now.h[p] += dx[z];
            largest = std::max<Real>(largest, std::fabs(dx[z]));
        }
    }
    for (size_t s = 0; s < state.orientation.size(); ++s)
        if (unknowns.orientation[s] >= 0)
            state.orientation[s] += dx[unknowns.orientation[s]];
    for (int u = 0; u < unknowns.count; ++u)
        total[size_t(u)] += dx[u];
    return largest;
}

// Iterates to the fixed point and leaves the factorisation at the final coordinates; returns
// the number of rounds. Throws Error when the corrections do not converge.
int Iterate(State &state, Datum &datum, NormalEquations &ne)
{
    const Unknowns &unknowns = state.unknowns;
    std::vector<double> total(size_t(unknowns.count), 0); // corrections since the approximate values
    ne.terms.reserve(8);
    int rounds = 0;
    bool converged = false, factored = false;
    Real sinceFactor = 0; // largest coordinate change since the last factorisation
    while (true) {
        ++rounds;
        const bool refactor = !factored || sinceFactor > RefactorShift;
        Assemble(state, ne, refactor);
        if (refactor)
            factored = true, sinceFactor = 0;
        const Eigen::VectorXd x0r = ne.factor.solve(ne.rhs);
        Eigen::VectorXd dx = Eigen::VectorXd::Zero(unknowns.count);
        for (int u = 0; u < unknowns.count; ++u)
            if (unknowns.reduced[size_t(u)] >= 0)
                dx[u] = x0r[unknowns.reduced[size_t(u)]];
        if (datum.defect > 0) {
            UpdateDatumColumns(state, datum);
            InvertDatumProduct(datum, unknowns.count);
            STransform(datum, total, dx);
        }
        if (!dx.allFinite())
            throw Error("平差计算失败: 法方程病态");
        const Real largest = ApplyCorrection(state, dx, total);
        sinceFactor += largest;
        if (largest < FixedPointShift || (converged && rounds >= IterationLimit + FixedPointRounds))
            break; // at the fixed point of the extended-precision misclosures
        if (largest < ConvergenceTolerance) {
            converged = true;
            continue;
        }
        if (rounds >= IterationLimit)
            throw Error("平差迭代 " + std::to_string(rounds) + " 次仍未收敛 (最后一次最大改正数 " + NumberToText(3, largest * 1000) +
                        " mm): 请检查观测值与已知点是否有粗差, 或给出更好的近似坐标");
    }
    // the covariances from a factorisation at the final coordinates (to a micrometre)
    if (sinceFactor > FinalShift)
        Assemble(state, ne, true);
    return rounds;
}

// ------------------------------------------------------------------------------------ results

// The rows at the adjusted values and the residuals vᵢ = fᵢ − lᵢ (internal sense).
struct Residuals {
    std::vector<Row> rows;
    std::vector<Real> v;
};

// The counts, vᵀPv, σ0 and the global test.
Summary SummaryOf(const State &state, const Datum &datum, int rounds, Residuals &residuals)
{
    const Network &net = state.net;
    const size_t nobs = net.observations.size();
    const int u = state.unknowns.count, d = datum.defect;
    Summary sum;
    sum.iterations = rounds;
    sum.observations = int(nobs);
    sum.unknowns = u;
    sum.defect = d;
    sum.dof = int(nobs) - u + d;
    if (sum.dof < 0)
        throw Error("观测数 (" + std::to_string(nobs) + ") 少于必要观测数 (" + std::to_string(u - d) + "), 无法平差");
    sum.sigma0Apriori = net.settings.sigma0;
    residuals.rows.resize(nobs);
    residuals.v.resize(nobs);
    Real sumSquares = 0;
    for (size_t i = 0; i < nobs; ++i) {
        const Observation &o = net.observations[i];
        residuals.rows[i] = Linearize(state, o);
        residuals.v[i] = -Misclosure(o, state.internalValue(o), residuals.rows[i]); // f − l
        const Real vs = residuals.v[i] / o.stdev;
        sumSquares += vs * vs;
    }
    const Real s0 = net.settings.sigma0;
    sum.vtpv = s0 * s0 * sumSquares;
    sum.sigma0Aposteriori = sum.dof > 0 ? std::sqrt(sum.vtpv / sum.dof) : 0;
    sum.aposterioriUsed = net.settings.aposteriori && sum.dof > 0;
    sum.chi2.probability = net.settings.confidence;
    if (sum.dof > 0)
        sum.chi2 = GlobalTest(sum.sigma0Aposteriori / s0, sum.dof, net.settings.confidence);
    return sum;
}

// Entries of Q_E (the S-transformed inverse of the normal matrix) of two unknowns.
class Cofactors {
public:
    Cofactors(const Datum &datum, const Unknowns &unknowns, const Factorization &factor)
        : m_unknowns(unknowns), m_factor(factor), m_z(factor)
    {
        if (datum.defect > 0)
            m_datum = DatumCofactorsOf(datum, unknowns, factor);
    }

    double operator()(int a, int b) const
    {
        double value = 0;
        const int ra = m_unknowns.reduced[size_t(a)], rb = m_unknowns.reduced[size_t(b)];
        if (ra >= 0 && rb >= 0) {
            std::optional<double> e = m_z.at(ra, rb);
            if (!e) {
                Eigen::VectorXd unit = Eigen::VectorXd::Zero(m_unknowns.reducedCount);
                unit[rb] = 1;
                e = m_factor.solve(unit)[ra];
            }
            value = *e;
        }
        if (m_datum)
            m_datum->apply(value, a, b);
        return value;
    }

private:
    const Unknowns &m_unknowns;
    const Factorization &m_factor;
    SelectedInverse m_z;
    std::optional<DatumCofactors> m_datum;
};

// Coordinates, their standard deviations and ellipses (factor2 = (m/σ0)²).
std::vector<PointResult> PointResults(const State &state, const Cofactors &q, Real factor2)
{
    const Frame &f = state.frame;
    std::vector<PointResult> points(state.points);
    for (size_t p = 0; p < state.points; ++p) {
        PointResult &pr = points[p];
        std::tie(pr.x, pr.y) = f.input(state.now.n[p], state.now.e[p]);
        pr.z = state.now.h[p];
        std::tie(pr.x0, pr.y0) = f.input(state.start.n[p], state.start.e[p]);
        pr.z0 = state.start.h[p];
        if (const int u = state.unknowns.plane[p]; u >= 0) {
            pr.plane = true;
            Real cxx, cyy, cxy;
            f.covarianceToInput(q(u, u), q(u + 1, u + 1), q(u, u + 1), cxx, cyy, cxy);
            cxx = std::max<Real>(0, cxx) * factor2, cyy = std::max<Real>(0, cyy) * factor2, cxy *= factor2;
            pr.sx = std::sqrt(cxx), pr.sy = std::sqrt(cyy), pr.sp = std::sqrt(cxx + cyy);
            pr.ellipse = EllipseOf(cxx, cyy, cxy);
        }
        if (const int z = state.unknowns.height[p]; z >= 0) {
            pr.height = true;
            pr.sz = std::sqrt(std::max<Real>(0, q(z, z)) * factor2);
        }
    }
    return points;
}

// Adjusted values, residuals, redundancies and Baarda's tests; the suspect into the summary.
std::vector<ObservationResult> ObservationResults(const State &state, const Cofactors &q, const Residuals &residuals,
                                                  Real factor, Summary &sum)
{
    const Network &net = state.net;
    const size_t nobs = net.observations.size();
    std::vector<ObservationResult> results(nobs);
    Real largestW = 0;
    std::vector<std::pair<int, double>> t;
    for (size_t i = 0; i < nobs; ++i) {
        const Observation &o = net.observations[i];
        ObservationResult &r = results[i];
        const Real v = residuals.v[i];
        const bool reversed = TurnsWithSense(o.kind) && !net.settings.clockwise;
        const Real vi = reversed ? -v : v;
        r.residual = vi;
        r.adjusted = o.value + vi;
        t.clear();
        ForEachTerm(residuals.rows[i], state.unknowns, [&](int u, double c) { t.emplace_back(u, c / double(o.stdev)); });
        double qi = 0;
        for (const auto &[a, ca] : t)
            for (const auto &[b, cb] : t)
                qi += ca * cb * q(a, b);
        qi = std::clamp(qi, 0.0, 1.0);
        r.redundancy = 1 - Real(qi);
        r.sigmaAdjusted = factor * o.stdev * std::sqrt(Real(qi));
        if (r.redundancy > LeastTestedRedundancy) {
            r.tested = true;
            r.w = (v / o.stdev) / std::sqrt(r.redundancy);
            if (reversed)
                r.w = -r.w;
            r.mdb = Delta0 * o.stdev / std::sqrt(r.redundancy);
            if (std::fabs(r.w) > WCritical && std::fabs(r.w) > largestW) {
                largestW = std::fabs(r.w);
                sum.suspect = int(i);
            }
        }
    }
    return results;
}

// The relative ellipses of the observed pairs, each pair once, in the order first observed.
std::vector<RelativeEllipse> RelativeEllipses(const State &state, const Cofactors &q, Real factor2)
{
    const Network &net = state.net;
    const std::vector<int> &plane = state.unknowns.plane;
    std::vector<std::pair<int, int>> pairs, keys;
    for (const Observation &o : net.observations) {
        if (!UsesPlane(o.kind))
            continue;
        const ObservationPoints points = PointsOf(net, o);
        for (int k = 1; k < points.count; ++k) {
            const int a = points.point[0], b = points.point[k];
            if (plane[size_t(a)] < 0 && plane[size_t(b)] < 0)
                continue;
            pairs.emplace_back(a, b);
            keys.emplace_back(std::min(a, b), std::max(a, b));
        }
    }
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) { return keys[x] < keys[y]; });
    std::vector<char> keep(keys.size(), 0);
    for (size_t k = 0; k < order.size(); ++k)
        if (k == 0 || keys[order[k]] != keys[order[k - 1]])
            keep[order[k]] = 1;
    std::vector<RelativeEllipse> relative;
    for (size_t k = 0; k < pairs.size(); ++k) {
        if (!keep[k])
            continue;
        const auto [a, b] = pairs[k];
        const int ua = plane[size_t(a)], ub = plane[size_t(b)];
        double cnn = 0, cee = 0, cne = 0;
        const auto add = [&](int u1, int u2, double sign) {
            if (u1 < 0 || u2 < 0)
                return;
            cnn += sign * q(u1, u2);
            cee += sign * q(u1 + 1, u2 + 1);
            cne += sign * (q(u1, u2 + 1) + q(u1 + 1, u2)) / 2;
        };
        add(ua, ua, 1), add(ub, ub, 1), add(ua, ub, -1), add(ub, ua, -1);
        Real cxx, cyy, cxy;
        state.frame.covarianceToInput(cnn, cee, cne, cxx, cyy, cxy);
        RelativeEllipse re;
        re.from = a, re.to = b;
        const Real dn = state.now.n[size_t(b)] - state.now.n[size_t(a)], de = state.now.e[size_t(b)] - state.now.e[size_t(a)];
        re.length = std::sqrt(dn * dn + de * de);
        re.ellipse = EllipseOf(std::max<Real>(0, cxx) * factor2, std::max<Real>(0, cyy) * factor2, cxy * factor2);
        relative.push_back(re);
    }
    return relative;
}

// The weakest point (largest σp, or σz in levelling) and side (largest a / s).
void Weakest(Result &result)
{
    Summary &sum = result.summary;
    Real worst = -1;
    for (size_t p = 0; p < result.points.size(); ++p) {
        const PointResult &pr = result.points[p];
        const Real s = pr.plane ? pr.sp : pr.height ? pr.sz : -1;
        if (s > worst)
            worst = s, sum.weakestPoint = int(p);
    }
    if (worst < 0)
        sum.weakestPoint = -1;
    Real worstSide = -1;
    for (size_t k = 0; k < result.relative.size(); ++k) {
        const RelativeEllipse &re = result.relative[k];
        if (re.length > 0 && re.ellipse.a / re.length > worstSide)
            worstSide = re.ellipse.a / re.length, sum.weakestSide = int(k);
    }
}

Result Results(const State &state, const Datum &datum, const NormalEquations &ne, int rounds)
{
    Result result;
    Residuals residuals;
    result.summary = SummaryOf(state, datum, rounds, residuals);
    const Summary &sum = result.summary;
    const Real factor = sum.aposterioriUsed ? sum.chi2.ratio : 1; // m / σ0
    const Real factor2 = factor * factor;
    const Cofactors q(datum, state.unknowns, ne.factor);
    result.points = PointResults(state, q, factor2);
    result.orientations.resize(state.net.sets.size());
    for (size_t s = 0; s < state.net.sets.size(); ++s)
        result.orientations[s] = state.net.settings.clockwise ? Normal(state.orientation[s]) : Normal(-state.orientation[s]);
    result.observations = ObservationResults(state, q, residuals, factor, result.summary);
    result.relative = RelativeEllipses(state, q, factor2);
    Weakest(result);
    return result;
}

} // namespace

Result Adjust(const Network &network)
{
    State state(network);
    Datum datum = Prepare(state);
    NormalEquations ne;
    const int rounds = Iterate(state, datum, ne);
    return Results(state, datum, ne, rounds);
}

Network WithApproximateValues(const Network &network)
{
    State state(network);
    Validate(network);
    ApproximateCoordinates(state);
    Network out = network;
    for (size_t p = 0; p < state.points; ++p) {
        Point &pt = out.points[p];
        if (state.planeKnown[p]) {
            std::tie(pt.x, pt.y) = state.frame.input(state.now.n[p], state.now.e[p]);
            pt.hasXY = true;
        }
        if (state.heightKnown[p])
            pt.z = state.now.h[p], pt.hasZ = true;
    }
    return out;
}

} // namespace quorvil::network
