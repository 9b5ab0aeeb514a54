// The normal equations of the GNSS adjustments (private to core/gnss): observations in small
// correlated groups (the three components of a baseline, the two grid differences of a baseline),
// each a few rows of the design matrix with a full weight matrix.
//
// The normal matrix is factorised by the network engine's supernodal LDLᵀ (METIS order, double
// precision) and the solution refined in Real against the residual of the normal equations formed
// group by group, so that coordinates of millions of metres keep the precision of Real; the
// covariance blocks the results need come from its selected inverse.
#pragma once

#include "FreeAdjustment.h"

#include "core/Real.h"
#include "core/network/Statistics.h"

#include <Eigen/Dense>

#include <cmath>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvil::gnss {

// Components with less redundancy are not tested.
inline constexpr Real TestedRedundancy = 1e-6L;

using MatrixR = Eigen::Matrix<Real, Eigen::Dynamic, Eigen::Dynamic>;
using VectorR = Eigen::Matrix<Real, Eigen::Dynamic, 1>;

// The full matrix of a baseline's covariance.
inline Eigen::Matrix<Real, 3, 3> MatrixOf(const Covariance3 &c)
{
    Eigen::Matrix<Real, 3, 3> m;
    m << c[0], c[1], c[2], c[1], c[3], c[4], c[2], c[4], c[5];
    return m;
}

// One group: the rows A (k × |columns|) over the unknowns `columns`, observed minus computed l,
// and the weight P (k × k).
struct ObservationGroup {
    std::vector<int> columns;
    MatrixR a;
    VectorR l;
    MatrixR p;
};

class BlockSystem {
public:
    explicit BlockSystem(int unknowns);
    ~BlockSystem();
    BlockSystem(const BlockSystem &) = delete;
    BlockSystem &operator=(const BlockSystem &) = delete;

    void add(ObservationGroup group);
    // Factorises and solves; throws Error naming the unknown `what(u)` is when one is not determined.
    VectorR solve(const std::function<std::string(int)> &what);
    // The entry (a, b) of N⁻¹; (a, b) must be joined by an observation or be one unknown.
    Real cofactor(int a, int b) const;
    // Qvv P rows of a group: the redundancy matrix of its observations, and P Qvv P.
    void groupStatistics(size_t group, MatrixR &redundancy, MatrixR &pqp) const;

    const std::vector<ObservationGroup> &groups() const { return m_groups; }
    // v = A x − l of a group.
    VectorR residual(size_t group, const VectorR &x) const;

    // The residuals of a group with their redundancy, w and MDB (σ0 a priori 1, FreeAdjustment.h);
    // adds vᵀPv to `vtpv` and keeps the group with the largest |w| beyond `critical` in `suspect`.
    template <typename ComponentT>
    void testGroup(size_t group, const VectorR &x, ComponentT *components, Real critical, Real &vtpv, Real &largestW,
                   int &suspect) const;

private:
    struct Impl;
    int m_n;
    std::vector<ObservationGroup> m_groups;
    std::unique_ptr<Impl> m_impl;
};

template <typename ComponentT>
void BlockSystem::testGroup(size_t group, const VectorR &x, ComponentT *components, Real critical, Real &vtpv,
                            Real &largestW, int &suspect) const
{
    const VectorR v = residual(group, x);
    const ObservationGroup &g = m_groups[group];
    const VectorR pv = g.p * v;
    vtpv += v.dot(pv);
    MatrixR redundancy, pqp;
    groupStatistics(group, redundancy, pqp);
    for (Eigen::Index k = 0; k < v.size(); ++k) {
        ComponentT &c = components[k];
        c.residual = v[k];
        c.redundancy = redundancy(k, k);
        if (c.redundancy > TestedRedundancy && pqp(k, k) > 0) {
            c.tested = true;
            c.w = pv[k] / std::sqrt(pqp(k, k));
            c.mdb = network::Delta0 / std::sqrt(pqp(k, k)); // δ0 of the network engine
            if (std::fabs(c.w) > critical && std::fabs(c.w) > largestW)
                largestW = std::fabs(c.w), suspect = int(group);
        }
    }
}

// The summary of an adjustment of `system` solved as `x`, each group `rows` observations: the
// counts, every group's components tested (`componentsOf(g)` points at the group's components), σ0
// a posteriori and the χ² test. Returns the σ0 the errors are given with.
template <typename ComponentsOf>
Real Summarise(const BlockSystem &system, const VectorR &x, int rows, const FreeSettings &settings, AdjustmentSummary &s,
               ComponentsOf componentsOf)
{
    const size_t groups = system.groups().size();
    s.observations = rows * int(groups);
    s.unknowns = int(x.size());
    s.dof = s.observations - s.unknowns;
    s.aposterioriUsed = settings.aposteriori;
    s.wCritical = network::WCritical;
    Real largestW = 0;
    for (size_t g = 0; g < groups; ++g)
        system.testGroup(g, x, componentsOf(g), s.wCritical, s.vtpv, largestW, s.suspect);
    if (s.dof > 0) {
        s.sigma0Aposteriori = std::sqrt(s.vtpv / s.dof);
        s.chi2 = network::GlobalTest(s.sigma0Aposteriori / s.sigma0Apriori, s.dof, settings.confidence);
    }
    return settings.aposteriori && s.dof > 0 ? s.sigma0Aposteriori : s.sigma0Apriori;
}

} // namespace quorvil::gnss
