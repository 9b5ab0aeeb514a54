// The statistics of an adjustment: the quantiles of the normal and χ² distributions, Baarda's
// data-snooping constants derived from them, the global test of σ0, and the error ellipse of a
// 2×2 covariance.
#pragma once

#include "Types.h"

#include "core/Real.h"

namespace quorvil::network {

// The inverse of the standard normal distribution function at p, 0 < p < 1, to the precision of
// Real. Throws Error otherwise.
Real NormalQuantile(Real p);

// The inverse of the χ² distribution function with `dof` degrees of freedom at `p`.
Real ChiSquareQuantile(Real p, int dof);

// Baarda's data snooping: each standardised residual is tested two-sided at the significance
// α0, and the minimal detectable bias is the one found with the probability β (the power).
inline constexpr Real SnoopingSignificance = 0.001L; // α0
inline constexpr Real SnoopingPower = 0.80L;         // β
// The critical value of |w|: Φ⁻¹(1 − α0/2) = 3.29053 … Both values are computed when the program
// starts: read them in functions, never in another file's initialiser of a global (the order in
// which files initialise their globals is not defined; such a copy could read 0).
extern const Real WCritical;
// The non-centrality of the MDB: Φ⁻¹(1 − α0/2) + Φ⁻¹(β) = 4.13215 …
extern const Real Delta0;

// The global test of σ̂0/σ0 with `dof` > 0 degrees of freedom at the probability P (two-sided, as
// GNU Gama prints it): the ratio must lie in [√(χ²_{f,(1−P)/2} / f), √(χ²_{f,(1+P)/2} / f)].
ChiSquareTest GlobalTest(Real ratio, int dof, Real probability);

// The standard ellipse of a 2×2 covariance C: a², b² = (cxx + cyy)/2 ± √(((cxx − cyy)/2)² + cxy²),
// φ = ½ atan2(2cxy, cxx − cyy) in [0, π) from the first axis towards the second.
Ellipse EllipseOf(Real cxx, Real cyy, Real cxy);

} // namespace quorvil::network
