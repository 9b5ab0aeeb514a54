// The factorisation of the normal equations (private to core/network): P N Pᵀ = L D Lᵀ, the
// unknowns ordered by METIS nested dissection, in double precision.
//
// Supernodal and left-looking: consecutive columns of the factor whose structures nest (column j
// is {j + 1} and the structure of column j + 1) are kept as one dense block of their rows, and a
// block is formed from its entries of N minus the updates of the blocks below it in the
// elimination tree, L_K D_K L_Kᵀ, each one dense product; then its own columns are factorised
// without pivoting. A survey network's separators give blocks of hundreds of columns, where the
// dense products run several times faster than a column-by-column factorisation. The factor is
// also given column by column (rows below the diagonal in increasing order) for the selected
// inverse.
#pragma once

#include <iostream> // Eigen's METIS support reports through std::cerr

#include <Eigen/Dense>
#include <Eigen/MetisSupport>
#include <Eigen/OrderingMethods>
#include <Eigen/SparseCore>

#include <vector>

namespace quorvil::network {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;

class Factorization {
public:
    // Orders the unknowns and finds the structure of the factor of a symmetric matrix given by its
    // lower triangle, every diagonal entry present.
    void analyze(const SparseMatrix &lower);
    // Factorises a matrix of the analysed pattern (analysing it again when the pattern differs).
    // False at the first pivot of D that is not above `pivotShare` of its diagonal entry of N:
    // failedColumn() then names it, in the permuted numbering, and nothing later is factorised.
    bool factorize(const SparseMatrix &lower, double pivotShare);
    int failedColumn() const { return m_failed; }

    // N⁻¹ b.
    Eigen::VectorXd solve(const Eigen::VectorXd &b) const;
    Eigen::MatrixXd solve(const Eigen::MatrixXd &b) const;

    int size() const { return m_n; }
    // The factor column by column in the permuted numbering: column j holds the rows below j, in
    // increasing order, from outer()[j] to outer()[j + 1]; D; and permutation()[i], the column of
    // unknown i.
    const std::vector<int> &outer() const { return m_lOuter; }
    const std::vector<int> &inner() const { return m_lInner; }
    const std::vector<double> &values() const { return m_lValues; }
    const std::vector<double> &d() const { return m_d; }
    const std::vector<int> &permutation() const { return m_perm; }

private:
    struct Supernode {
        int first = 0, width = 0; // columns first … first + width − 1
        int rows = 0;             // rows of the block: its own columns, then the structure below
        int rowStart = 0;         // into m_rows
        long long valueStart = 0; // into m_blocks, column-major rows × width
    };

    void permute(const SparseMatrix &lower);

    int m_n = 0;
    std::vector<int> m_perm;
    // the permuted lower triangle: its pattern, and where each entry of the input goes
    std::vector<int> m_apOuter, m_apInner, m_apSource;
    std::vector<double> m_apValues;
    long long m_inputNonZeros = -1;
    // the factor
    std::vector<Supernode> m_supernodes;
    std::vector<int> m_supernodeOf; // per column
    std::vector<int> m_rows;        // the row lists of the supernodes
    std::vector<double> m_blocks;
    std::vector<int> m_lOuter, m_lInner;
    std::vector<double> m_lValues, m_d;
    int m_failed = -1;
};

} // namespace quorvil::network
