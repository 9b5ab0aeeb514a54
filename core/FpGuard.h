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

// Guards nest: only the outermost one clears the flags, so a guard created inside a helper (one
// per table row, say) never hides a fault raised earlier in the same command.
class FpGuard {
public:
    FpGuard()
    {
        if (Depth()++ == 0)
            std::feclearexcept(FE_ALL_EXCEPT);
    }
    ~FpGuard() { --Depth(); }
    FpGuard(const FpGuard &) = delete;
    FpGuard &operator=(const FpGuard &) = delete;

    template <typename... T>
    void check(const T &...values) const
    {
        (Barrier(values), ...);
        ThrowOnFloatFault();
    }

private:
    static int &Depth()
    {
        static thread_local int depth = 0;
        return depth;
    }

    template <typename T>
    static void Barrier(const T &value)
    {
        asm volatile("" : : "m"(value) : "memory");
    }
};

} // namespace quorvil
