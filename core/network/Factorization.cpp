#include "Factorization.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace quorvil::network {

namespace {

using Block = Eigen::Map<Eigen::MatrixXd>;
using ConstBlock = Eigen::Map<const Eigen::MatrixXd>;

} // namespace

// P N Pᵀ as its lower triangle, column by column with the rows in increasing order, and where each
// entry of the input lands, so that a factorisation of the same pattern only scatters values.
void Factorization::permute(const SparseMatrix &lower)
{
    const int *outer = lower.outerIndexPtr(), *inner = lower.innerIndexPtr();
    const int nnz = outer[m_n];
    std::vector<int> count(size_t(m_n) + 1, 0);
    for (int j = 0; j < m_n; ++j)
        for (int p = outer[j]; p < outer[j + 1]; ++p)
            ++count[size_t(std::min(m_perm[size_t(inner[p])], m_perm[size_t(j)])) + 1];
    std::partial_sum(count.begin(), count.end(), count.begin());
    m_apOuter = count;
    std::vector<std::pair<int, int>> entries(static_cast<size_t>(nnz)); // (row, input entry), by column
    for (int j = 0; j < m_n; ++j)
        for (int p = outer[j]; p < outer[j + 1]; ++p) {
            const int a = m_perm[size_t(inner[p])], b = m_perm[size_t(j)];
            entries[size_t(count[size_t(std::min(a, b))]++)] = {std::max(a, b), p};
        }
    m_apInner.resize(size_t(nnz));
    m_apSource.resize(size_t(nnz));
    for (int j = 0; j < m_n; ++j) {
        std::sort(entries.begin() + m_apOuter[size_t(j)], entries.begin() + m_apOuter[size_t(j) + 1]);
        for (int q = m_apOuter[size_t(j)]; q < m_apOuter[size_t(j) + 1]; ++q)
            m_apInner[size_t(q)] = entries[size_t(q)].first, m_apSource[size_t(q)] = entries[size_t(q)].second;
    }
    m_apValues.assign(size_t(nnz), 0);
    m_inputNonZeros = nnz;
}

void Factorization::analyze(const SparseMatrix &lower)
{
    m_n = int(lower.cols());
    const size_t n = size_t(m_n);
    // METIS on the whole symmetric pattern (P: unknown → column)
    const SparseMatrix full = lower.selfadjointView<Eigen::Lower>();
    Eigen::PermutationMatrix<Eigen::Dynamic, Eigen::Dynamic, int> inverse;
    Eigen::MetisOrdering<int>()(full, inverse);
    m_perm.assign(n, 0);
    for (int k = 0; k < m_n; ++k)
        m_perm[size_t(inverse.indices()[k])] = k;
    permute(lower);

    // the rows of the strict lower triangle: row k lists the columns j < k with an entry
    std::vector<int> rowOuter(n + 1, 0), rowInner;
    for (int j = 0; j < m_n; ++j)
        for (int q = m_apOuter[size_t(j)]; q < m_apOuter[size_t(j) + 1]; ++q)
            if (m_apInner[size_t(q)] > j)
                ++rowOuter[size_t(m_apInner[size_t(q)]) + 1];
    std::partial_sum(rowOuter.begin(), rowOuter.end(), rowOuter.begin());
    rowInner.resize(size_t(rowOuter[n]));
    {
        std::vector<int> next(rowOuter.begin(), rowOuter.end() - 1);
        for (int j = 0; j < m_n; ++j)
            for (int q = m_apOuter[size_t(j)]; q < m_apOuter[size_t(j) + 1]; ++q)
                if (m_apInner[size_t(q)] > j)
                    rowInner[size_t(next[size_t(m_apInner[size_t(q)])]++)] = j;
    }
    // the elimination tree (Liu), with path compression
    std::vector<int> parent(n, -1), ancestor(n, -1);
    for (int k = 0; k < m_n; ++k)
        for (int p = rowOuter[size_t(k)]; p < rowOuter[size_t(k) + 1]; ++p)
            for (int i = rowInner[size_t(p)]; i != -1 && i < k;) {
                const int up = ancestor[size_t(i)];
                ancestor[size_t(i)] = k;
                if (up == -1)
                    parent[size_t(i)] = k;
                i = up;
            }
    // the structure of L: row k holds the paths from its entries up the tree to k
    std::vector<int> mark(n, -1), counts(n, 0);
    const auto eachRowEntry = [&](auto use) {
        std::fill(mark.begin(), mark.end(), -1);
        for (int k = 0; k < m_n; ++k) {
            mark[size_t(k)] = k;
            for (int p = rowOuter[size_t(k)]; p < rowOuter[size_t(k) + 1]; ++p)
                for (int i = rowInner[size_t(p)]; mark[size_t(i)] != k; i = parent[size_t(i)]) {
                    mark[size_t(i)] = k;
                    use(i, k);
                }
        }
    };
    eachRowEntry([&](int column, int) { ++counts[size_t(column)]; });
    m_lOuter.assign(n + 1, 0);
    for (size_t j = 0; j < n; ++j)
        m_lOuter[j + 1] = m_lOuter[j] + counts[j];
    m_lInner.resize(size_t(m_lOuter[n]));
    {
        std::vector<int> next(m_lOuter.begin(), m_lOuter.end() - 1);
        eachRowEntry([&](int column, int row) { m_lInner[size_t(next[size_t(column)]++)] = row; });
    }
    m_lValues.assign(m_lInner.size(), 0);

    // supernodes: j and j + 1 share a block when the structure of j is {j + 1} and that of j + 1
    m_supernodes.clear();
    m_supernodeOf.assign(n, 0);
    m_rows.clear();
    long long values = 0;
    for (int j = 0; j < m_n;) {
        Supernode s;
        s.first = j;
        while (j + 1 < m_n && parent[size_t(j)] == j + 1 && counts[size_t(j)] == counts[size_t(j) + 1] + 1)
            ++j;
        s.width = j - s.first + 1;
        s.rows = s.width + counts[size_t(j)];
        s.rowStart = int(m_rows.size());
        s.valueStart = values;
        for (int c = s.first; c <= j; ++c)
            m_rows.push_back(c), m_supernodeOf[size_t(c)] = int(m_supernodes.size());
        m_rows.insert(m_rows.end(), m_lInner.begin() + m_lOuter[size_t(j)], m_lInner.begin() + m_lOuter[size_t(j) + 1]);
        values += (long long)(s.rows) * s.width;
        m_supernodes.push_back(s);
        ++j;
    }
    m_blocks.assign(size_t(values), 0);
    m_d.assign(n, 0);
}

bool Factorization::factorize(const SparseMatrix &lower, double pivotShare)
{
    if (lower.cols() != m_n || lower.outerIndexPtr()[m_n] != m_inputNonZeros)
        analyze(lower);
    const double *input = lower.valuePtr();
    for (size_t q = 0; q < m_apSource.size(); ++q)
        m_apValues[q] = input[m_apSource[q]];
    m_failed = -1;
    const size_t count = m_supernodes.size();
    std::vector<int> head(count, -1), next(count, -1), position(count, 0);
    std::vector<int> relative(size_t(m_n), 0);
    Eigen::MatrixXd update, weighted;
    Eigen::VectorXd scaled;
    for (size_t sj = 0; sj < count; ++sj) {
        const Supernode &J = m_supernodes[sj];
        const int *rows = m_rows.data() + J.rowStart;
        const int m = J.rows, w = J.width, last = J.first + w - 1;
        for (int t = 0; t < m; ++t)
            relative[size_t(rows[t])] = t;
        Block b(m_blocks.data() + J.valueStart, m, w);
        b.setZero();
        for (int c = 0; c < w; ++c) {
            const int j = J.first + c;
            for (int q = m_apOuter[size_t(j)]; q < m_apOuter[size_t(j) + 1]; ++q)
                b(relative[size_t(m_apInner[size_t(q)])], c) = m_apValues[size_t(q)];
        }
        // the updates of the blocks below: their rows from J's first column on, times D, times
        // their rows within J's columns
        for (int sk = head[sj]; sk != -1;) {
            const int following = next[size_t(sk)];
            const Supernode &K = m_supernodes[size_t(sk)];
            const int *rowsK = m_rows.data() + K.rowStart;
            const int p = position[size_t(sk)];
            int q = p;
            while (q < K.rows && rowsK[q] <= last)
                ++q;
            const ConstBlock lk(m_blocks.data() + K.valueStart, K.rows, K.width);
            const Eigen::Map<const Eigen::VectorXd> dk(m_d.data() + K.first, K.width);
            weighted.noalias() = lk.middleRows(p, q - p) * dk.asDiagonal();
            update.noalias() = lk.bottomRows(K.rows - p) * weighted.transpose();
            for (int c = 0; c < q - p; ++c) {
                const int column = rowsK[p + c] - J.first;
                for (int r = c; r < K.rows - p; ++r)
                    b(relative[size_t(rowsK[p + r])], column) -= update(r, c);
            }
            position[size_t(sk)] = q;
            if (q < K.rows) {
                const int target = m_supernodeOf[size_t(rowsK[q])];
                next[size_t(sk)] = head[size_t(target)];
                head[size_t(target)] = sk;
            }
            sk = following;
        }
        // the block's own columns: L(i, c) = (N(i, c) − Σ_k L(i, k) d_k L(c, k)) / d_c
        scaled.resize(w);
        for (int c = 0; c < w; ++c) {
            const int j = J.first + c;
            const Eigen::Map<const Eigen::VectorXd> dj(m_d.data() + J.first, c);
            scaled.head(c) = b.row(c).head(c).transpose().cwiseProduct(dj);
            const double pivot = b(c, c) - b.row(c).head(c).dot(scaled.head(c));
            const double diagonal = m_apValues[size_t(m_apOuter[size_t(j)])]; // N(j, j): the first entry
            if (!(pivot > pivotShare * diagonal) || !std::isfinite(pivot)) {
                m_failed = j;
                return false;
            }
            m_d[size_t(j)] = pivot;
            const int below = m - c - 1;
            if (below > 0) {
                if (c > 0)
                    b.col(c).tail(below).noalias() -= b.block(c + 1, 0, below, c) * scaled.head(c);
                b.col(c).tail(below) /= pivot;
            }
        }
        if (m > w) {
            position[sj] = w;
            const int target = m_supernodeOf[size_t(rows[w])];
            next[sj] = head[size_t(target)];
            head[size_t(target)] = int(sj);
        }
    }
    // the factor column by column
    for (const Supernode &J : m_supernodes) {
        const ConstBlock b(m_blocks.data() + J.valueStart, J.rows, J.width);
        for (int c = 0; c < J.width; ++c) {
            const int j = J.first + c;
            std::copy_n(b.col(c).data() + c + 1, J.rows - c - 1, m_lValues.data() + m_lOuter[size_t(j)]);
        }
    }
    return true;
}

Eigen::VectorXd Factorization::solve(const Eigen::VectorXd &b) const
{
    Eigen::VectorXd y(m_n), x(m_n);
    for (int i = 0; i < m_n; ++i)
        y[m_perm[size_t(i)]] = b[i];
    for (int j = 0; j < m_n; ++j) // L y = P b
        for (int p = m_lOuter[size_t(j)]; p < m_lOuter[size_t(j) + 1]; ++p)
            y[m_lInner[size_t(p)]] -= m_lValues[size_t(p)] * y[j];
    for (int j = 0; j < m_n; ++j)
        y[j] /= m_d[size_t(j)];
    for (int j = m_n - 1; j >= 0; --j) { // Lᵀ z = D⁻¹ y
        double s = 0;
        for (int p = m_lOuter[size_t(j)]; p < m_lOuter[size_t(j) + 1]; ++p)
            s += m_lValues[size_t(p)] * y[m_lInner[size_t(p)]];
        y[j] -= s;
    }
    for (int i = 0; i < m_n; ++i)
        x[i] = y[m_perm[size_t(i)]];
    return x;
}

Eigen::MatrixXd Factorization::solve(const Eigen::MatrixXd &b) const
{
    Eigen::MatrixXd x(b.rows(), b.cols());
    for (Eigen::Index c = 0; c < b.cols(); ++c)
        x.col(c) = solve(Eigen::VectorXd(b.col(c)));
    return x;
}

} // namespace quorvil::network
