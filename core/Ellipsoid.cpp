#include "Ellipsoid.h"

#include "SinCos.h"

#include <cmath>

namespace quorvil {

// N = a² / √(a² cos²φ + b² sin²φ), the form that stays exact for a sphere (a = b gives N = a).
Real Ellipsoid::N(Real phi) const
{
    const SineCosine sc = SinCos(phi);
    return a * a / std::sqrt(a * a * sc.cos * sc.cos + b * b * sc.sin * sc.sin);
}

} // namespace quorvil
