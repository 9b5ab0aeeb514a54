#include "SelectedInverse.h"

#include <Eigen/Dense>

#include <algorithm>
#include <utility>

namespace quorvil::network {

SelectedInverse::SelectedInverse(const Factorization &factor)
{
    const int n = factor.size();
    m_outer = factor.outer();
    m_inner = factor.inner();
    const double *lx = factor.values().data();
    const std::vector<double> &d = factor.d();
    m_perm = factor.permutation();
    m_z.assign(m_inner.size(), 0);
    m_diag.assign(size_t(n), 0);
    const auto size = [&](int j) { return m_outer[size_t(j) + 1] - m_outer[size_t(j)]; };
    // supernodes, as [first, last] column pairs, in increasing order
    std::vector<std::pair<int, int>> supernodes;
    for (int j = 0; j < n;) {
        int last = j;
        while (last + 1 < n && size(last) == size(last + 1) + 1 && size(last) > 0 &&
               m_inner[size_t(m_outer[size_t(last)])] == last + 1)
            ++last;
        supernodes.emplace_back(j, last);
        j = last + 1;
    }
    Eigen::MatrixXd zrr, lrj, ljj, zrj, zjj;
    for (auto sn = supernodes.rbegin(); sn != supernodes.rend(); ++sn) {
        const int j0 = sn->first, j1 = sn->second, w = j1 - j0 + 1;
        const int rb = m_outer[size_t(j1)], nr = size(j1);
        const int *rows = m_inner.data() + rb; // R, sorted
        // Z_RR from the later columns
        zrr.resize(nr, nr);
        for (int a = 0; a < nr; ++a) {
            const int r = rows[a];
            zrr(a, a) = m_diag[size_t(r)];
            int q = m_outer[size_t(r)];
            const int qe = m_outer[size_t(r) + 1];
            for (int b = a + 1; b < nr; ++b) {
                while (q < qe && m_inner[size_t(q)] < rows[b])
                    ++q;
                const double v = (q < qe && m_inner[size_t(q)] == rows[b]) ? m_z[size_t(q)] : 0;
                zrr(b, a) = zrr(a, b) = v;
            }
        }
        // L_JJ (unit lower) and L_RJ
        ljj.setIdentity(w, w);
        lrj.resize(nr, w);
        for (int c = 0; c < w; ++c) {
            const int j = j0 + c;
            const int b0 = m_outer[size_t(j)];
            for (int t = 0; t < w - 1 - c; ++t)
                ljj(c + 1 + t, c) = lx[b0 + t];
            for (int a = 0; a < nr; ++a)
                lrj(a, c) = lx[b0 + (w - 1 - c) + a];
        }
        // Z_RJ = −Z_RR L_RJ L_JJ⁻¹
        zrj.resize(nr, w);
        if (nr > 0) { // (Eigen's triangular solve must not see an empty matrix)
            zrj.noalias() = -(zrr * lrj);
            ljj.triangularView<Eigen::UnitLower>().solveInPlace<Eigen::OnTheRight>(zrj); // X L_JJ = B
        }
        // Z_JJ = L_JJ⁻ᵀ D_J⁻¹ L_JJ⁻¹ − Z_RJᵀ L_RJ L_JJ⁻¹
        Eigen::MatrixXd inv = Eigen::MatrixXd::Identity(w, w);
        ljj.triangularView<Eigen::UnitLower>().solveInPlace(inv); // L_JJ⁻¹
        Eigen::MatrixXd dl = inv;
        for (int c = 0; c < w; ++c)
            dl.row(c) /= d[size_t(j0 + c)];
        zjj.noalias() = inv.transpose() * dl;
        if (nr > 0) {
            Eigen::MatrixXd t = lrj;
            ljj.triangularView<Eigen::UnitLower>().solveInPlace<Eigen::OnTheRight>(t); // L_RJ L_JJ⁻¹
            zjj.noalias() -= zrj.transpose() * t;
        }
        // scatter
        for (int c = 0; c < w; ++c) {
            const int j = j0 + c;
            const int b0 = m_outer[size_t(j)];
            m_diag[size_t(j)] = zjj(c, c);
            for (int t2 = 0; t2 < w - 1 - c; ++t2)
                m_z[size_t(b0 + t2)] = zjj(c + 1 + t2, c);
            for (int a = 0; a < nr; ++a)
                m_z[size_t(b0 + (w - 1 - c) + a)] = zrj(a, c);
        }
    }
}

std::optional<double> SelectedInverse::at(int a, int b) const
{
    int p = m_perm[size_t(a)], q = m_perm[size_t(b)];
    if (p == q)
        return m_diag[size_t(p)];
    if (p > q)
        std::swap(p, q);
    const auto first = m_inner.begin() + m_outer[size_t(p)], last = m_inner.begin() + m_outer[size_t(p) + 1];
    const auto it = std::lower_bound(first, last, q);
    if (it == last || *it != q)
        return std::nullopt;
    return m_z[size_t(it - m_inner.begin())];
}

} // namespace quorvil::network
