// The number type of every computation: 80-bit extended precision on x86-64.
#pragma once

namespace quorvil {

using Real = long double;

// π and its multiples as the extended-precision literals the program has always used.
inline constexpr Real Pi = 3.1415926535897932385L;
inline constexpr Real HalfPi = 1.5707963267948966193L;
inline constexpr Real TwoPi = 6.283185307179586477L;

inline constexpr Real DegToRad(Real deg) { return deg * Pi / 180; }
inline constexpr Real RadToDeg(Real rad) { return rad * 180 / Pi; }

} // namespace quorvil
