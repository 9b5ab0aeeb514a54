#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/SinCos.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace quorvil;

namespace {

// SinCos agrees with the C library's sinl and cosl to a few units in the last place.
TEST(SinCos, AgreesWithTheLibraryFunctions)
{
    const Real ulp = std::numeric_limits<Real>::epsilon();
    Real worst = 0;
    for (int i = -20000; i <= 20000; ++i) {
        const Real angle = i * (TwoPi / 20000) + 1e-7L * i; // beyond ±2π at the ends
        const SineCosine sc = SinCos(angle);
        const Real ds = std::fabs(sc.sin - std::sin(angle));
        const Real dc = std::fabs(sc.cos - std::cos(angle));
        worst = std::fmax(worst, std::fmax(ds, dc));
        ASSERT_LE(ds, 4 * ulp) << "sin " << double(angle);
        ASSERT_LE(dc, 4 * ulp) << "cos " << double(angle);
    }
    EXPECT_EQ(SinCos(0).sin, 0);
    EXPECT_EQ(SinCos(0).cos, 1);
    // Far outside a turn the library functions answer.
    EXPECT_EQ(SinCos(1e25L).sin, std::sin(1e25L));
}

TEST(SinCos, InfiniteAngleIsAnInvalidOperation)
{
    FpGuard guard;
    const SineCosine sc = SinCos(std::numeric_limits<Real>::infinity());
    try {
        guard.check(sc.sin, sc.cos);
        ADD_FAILURE() << "no fault";
    } catch (const FloatError &e) {
        EXPECT_STREQ(e.what(), "Invalid floating point operation");
    }
}

} // namespace
