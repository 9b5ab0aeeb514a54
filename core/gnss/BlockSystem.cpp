// Normal equations of correlated observation groups. See BlockSystem.h.
#include "BlockSystem.h"

#include "core/Error.h"
#include "core/network/Factorization.h"
#include "core/network/SelectedInverse.h"
#include "core/network/Statistics.h"

#include <algorithm>
#include <optional>

namespace quorvil::gnss {

namespace {

// A pivot of D below this share of the diagonal of N: the unknown is not determined.
constexpr double SingularPivotShare = 1e-12;
// Rounds of refinement of the solution in Real.
constexpr int RefinementRounds = 2;

} // namespace

struct BlockSystem::Impl {
    network::Factorization factor;
    std::optional<network::SelectedInverse> inverse;
};

BlockSystem::BlockSystem(int unknowns) : m_n(unknowns), m_impl(std::make_unique<Impl>()) {}

BlockSystem::~BlockSystem() = default;

void BlockSystem::add(ObservationGroup group)
{
    m_groups.push_back(std::move(group));
}

VectorR BlockSystem::residual(size_t g, const VectorR &x) const
{
    const ObservationGroup &o = m_groups[g];
    VectorR ax = VectorR::Zero(o.a.rows());
    for (size_t c = 0; c < o.columns.size(); ++c)
        ax += o.a.col(Eigen::Index(c)) * x[o.columns[c]];
    return ax - o.l;
}

VectorR BlockSystem::solve(const std::function<std::string(int)> &what)
{
    std::vector<Eigen::Triplet<double>> triplets;
    VectorR b = VectorR::Zero(m_n);
    for (int u = 0; u < m_n; ++u)
        triplets.emplace_back(u, u, 0.0);
    for (const ObservationGroup &o : m_groups) {
        const MatrixR atp = o.a.transpose() * o.p;
        const MatrixR n = atp * o.a;
        const VectorR t = atp * o.l;
        for (size_t r = 0; r < o.columns.size(); ++r) {
            b[o.columns[r]] += t[Eigen::Index(r)];
            for (size_t s = 0; s < o.columns.size(); ++s)
                if (o.columns[r] >= o.columns[s])
                    triplets.emplace_back(o.columns[r], o.columns[s], double(n(Eigen::Index(r), Eigen::Index(s))));
        }
    }
    network::SparseMatrix lower(m_n, m_n);
    lower.setFromTriplets(triplets.begin(), triplets.end());
    m_impl->factor.analyze(lower);
    if (!m_impl->factor.factorize(lower, SingularPivotShare)) {
        const std::vector<int> &perm = m_impl->factor.permutation();
        const int u = int(std::find(perm.begin(), perm.end(), m_impl->factor.failedColumn()) - perm.begin());
        throw Error(what(u) + " 不能由基线确定 (法方程奇异)");
    }
    auto solveReal = [&](const VectorR &rhs) {
        Eigen::VectorXd d(m_n);
        for (int u = 0; u < m_n; ++u)
            d[u] = double(rhs[u]);
        const Eigen::VectorXd s = m_impl->factor.solve(d);
        VectorR out(m_n);
        for (int u = 0; u < m_n; ++u)
            out[u] = s[u];
        return out;
    };
    VectorR x = solveReal(b);
    for (int round = 0; round < RefinementRounds; ++round) {
        // b − N x formed group by group in Real
        VectorR r = b;
        for (const ObservationGroup &o : m_groups) {
            VectorR ax = VectorR::Zero(o.a.rows());
            for (size_t c = 0; c < o.columns.size(); ++c)
                ax += o.a.col(Eigen::Index(c)) * x[o.columns[c]];
            const VectorR t = o.a.transpose() * (o.p * ax);
            for (size_t c = 0; c < o.columns.size(); ++c)
                r[o.columns[c]] -= t[Eigen::Index(c)];
        }
        x += solveReal(r);
    }
    m_impl->inverse.emplace(m_impl->factor);
    return x;
}

Real BlockSystem::cofactor(int a, int b) const
{
    const std::optional<double> q = m_impl->inverse->at(a, b);
    if (!q)
        throw Error("内部错误: 协因数不在因子的结构中");
    return *q;
}

void BlockSystem::groupStatistics(size_t g, MatrixR &redundancy, MatrixR &pqp) const
{
    const ObservationGroup &o = m_groups[g];
    const Eigen::Index k = Eigen::Index(o.columns.size());
    MatrixR q(k, k);
    for (Eigen::Index r = 0; r < k; ++r)
        for (Eigen::Index s = 0; s <= r; ++s)
            q(r, s) = q(s, r) = cofactor(o.columns[size_t(r)], o.columns[size_t(s)]);
    const MatrixR qll = o.p.inverse();
    const MatrixR qvv = qll - o.a * q * o.a.transpose();
    redundancy = qvv * o.p;
    pqp = o.p * qvv * o.p;
}

} // namespace quorvil::gnss
