// Floating-point fault guard.
//
// Faults are errors, never silent NaN or infinity. A command creates one guard before it starts
// computing (which clears the sticky flags) and calls check() with the values it is about to show
// or write. check() first forces those values into memory: at -O2 GCC may otherwise move the
// arithmetic past fetestexcept() or drop results it thinks unused.
#pragma once

#include "Real.h"

#include <cfenv>

namespace quorvil {

inline constexpr const char *InvalidOperationText = "Invalid floating point operation";
inline constexpr const char *DivisionByZeroText = "Floating point division by zero";
inline constexpr const char *OverflowText = "Floating point overflow";

// Throws FloatError if FE_INVALID, FE_DIVBYZERO or FE_OVERFLOW is raised (in that order of
// precedence). Does not clear the flags.
void ThrowOnFloatFault();

class FpGuard {
public:
    FpGuard() { std::feclearexcept(FE_ALL_EXCEPT); }

    template <typename... T>
    void check(const T &...values) const
    {
        (Barrier(values), ...);
        ThrowOnFloatFault();
    }

private:
    template <typename T>
    static void Barrier(const T &value)
    {
        asm volatile("" : : "m"(value) : "memory");
    }
};

} // namespace quorvil
