#include "Ellipsoid.h"

#include <cmath>

namespace quorvil {

// N = a² / √(a² cos²φ + b² sin²φ), the form that stays exact for a sphere (a = b gives N = a).
Real Ellipsoid::N(Real phi) const
{
    const Real c = std::cos(phi);
    const Real s = std::sin(phi);
    return a * a / std::sqrt(a * a * c * c + b * b * s * s);
}

} // namespace quorvil
