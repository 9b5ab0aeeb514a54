// The covariance blocks without the full inverse (private to core/network).
//
// Entries of (P N Pᵀ)⁻¹ on the pattern of L, by the Takahashi recurrence, supernode by supernode:
// columns J = j0 … j1 whose structures nest (column j is {j + 1} and the structure of column
// j + 1) share the rows R below them, and with Z L = L⁻ᵀ D⁻¹ taken on the columns J,
//   Z_RJ = −Z_RR L_RJ L_JJ⁻¹,   Z_JJ = L_JJ⁻ᵀ D_J⁻¹ L_JJ⁻¹ − Z_RJᵀ L_RJ L_JJ⁻¹,
// with dense blocks (Z_RR is known: R is a clique of the filled graph, every column of it later).
//
// That gives the 2×2 block of every point, the 4×4 block of every observed pair and every
// (A Q Aᵀ)ᵢᵢ at the cost of one more factorisation.
#pragma once

#include "Factorization.h"

#include <optional>
#include <vector>

namespace quorvil::network {

class SelectedInverse {
public:
    // From the factorisation of the reduced normal matrix.
    explicit SelectedInverse(const Factorization &factor);

    // Entry (a, b) of N⁻¹ in the unpermuted numbering; nullopt when it is off the pattern.
    std::optional<double> at(int a, int b) const;

private:
    std::vector<int> m_outer, m_inner, m_perm;
    std::vector<double> m_z, m_diag;
};

} // namespace quorvil::network
