// The factorisation of the normal equations (private to core/network): Eigen's sparse LDLᵀ with
// the unknowns ordered by METIS nested dissection, in double precision.
#pragma once

#include <iostream> // Eigen's METIS support reports through std::cerr

#include <Eigen/MetisSupport>
#include <Eigen/OrderingMethods>
#include <Eigen/SparseCholesky>
#include <Eigen/SparseCore>

namespace quorvil::network {

using SparseMatrix = Eigen::SparseMatrix<double, Eigen::ColMajor, int>;
using Solver = Eigen::SimplicialLDLT<SparseMatrix, Eigen::Lower, Eigen::MetisOrdering<int>>;

} // namespace quorvil::network
