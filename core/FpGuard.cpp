#include "FpGuard.h"

#include "Error.h"

namespace quorvil {

void ThrowOnFloatFault()
{
    asm volatile("" : : : "memory");
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (raised & FE_INVALID)
        throw FloatError(InvalidOperationText);
    if (raised & FE_DIVBYZERO)
        throw FloatError(DivisionByZeroText);
    if (raised & FE_OVERFLOW)
        throw FloatError(OverflowText);
}

} // namespace quorvil
