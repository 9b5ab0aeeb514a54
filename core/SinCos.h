// Sine and cosine of one angle together, in extended precision.
//
// On x86 the x87 FSINCOS instruction gives both in one step, within an ulp or so of the true
// values for angles up to a full turn (its argument reduction carries 66 bits of π, so its error
// grows with the size of the angle and would matter only far beyond that), and several times
// faster than the C library's sinl and cosl, which compute in software. Elsewhere, and for larger
// or non-finite angles, the standard functions are used; an infinite angle raises the invalid
// operation.
#pragma once

#include "Real.h"

#include <cmath>

namespace quorvil {

struct SineCosine {
    Real sin, cos;
};

inline SineCosine SinCos(Real angle)
{
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    if (std::fabs(angle) <= TwoPi) {
        Real s, c;
        asm("fsincos" : "=t"(c), "=u"(s) : "0"(angle));
        return {s, c};
    }
#endif
    return {std::sin(angle), std::cos(angle)};
}

} // namespace quorvil
