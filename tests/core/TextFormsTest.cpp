#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <vector>

using namespace quorvil;

namespace {

struct DegCase {
    Real packed;
    Real degrees;
};

TEST(DmsToDeg, ReadsTheDigitsOfTheText)
{
    const DegCase cases[] = {
        {30.1L, 30 + 10.0L / 60},
        {30.5L, 30 + 50.0L / 60},
        {30.05L, 30 + 5.0L / 60},
        {30.3L, 30.5L},
        {-30.3L, -30.5L},
        {0, 0},
        {112.153045L, 112 + 15.0L / 60 + 30.45L / 3600},
        {30.6L, 31},
        {30.0075L, 30 + 75.0L / 3600},
        {117, 117},
        {114.3L, 114.5L},
    };
    for (const auto &c : cases)
        EXPECT_NEAR(static_cast<double>(DmsToDeg(c.packed)), static_cast<double>(c.degrees), 1e-13)
            << "DmsToDeg(" << static_cast<double>(c.packed) << ")";
}

TEST(DmsToDeg, TypedTenthIsExactlyTenMinutes)
{
    EXPECT_EQ(DmsToDeg(30.1L), 30 + 10.0L / 60);
}

TEST(DegToDms, TruncatesWithoutCarry)
{
    EXPECT_NEAR(static_cast<double>(DegToDms(30.5L)), 30.30, 1e-15);
    EXPECT_NEAR(static_cast<double>(DegToDms(-30.5L)), -30.30, 1e-15);
    const Real hair = DegToDms(30.9999999L);
    EXPECT_LT(hair, 30.596L);
    EXPECT_GT(hair, 30.5959L);
    EXPECT_EQ(NumberToText(4, hair), "30.5960");
}

TEST(DmsText, Examples)
{
    EXPECT_EQ(DmsText(2, 112.5L), "112°30′00.00″");
    EXPECT_EQ(DmsText(0, 5.25L), "  5°15′00″");
    EXPECT_EQ(DmsText(2, 30.99999999999L), " 30°59′60.00″");
}

TEST(TextToNumber, Grammar)
{
    EXPECT_EQ(TextToNumber(""), 0);
    EXPECT_EQ(TextToNumber("   "), 0);
    EXPECT_EQ(TextToNumber("  12.5  "), 12.5L);
    EXPECT_EQ(TextToNumber(" 1.5"), 1.5L);
    EXPECT_EQ(TextToNumber("+3"), 3);
    EXPECT_EQ(TextToNumber("-2.5e2"), -250);
    EXPECT_EQ(TextToNumber(".5"), 0.5L);
    EXPECT_EQ(TextToNumber("\t7\r"), 7);
    for (const char *bad : {"12,5", "inf", "nan", "0x10", "1e", "abc", "1.2.3", "-", ".", "1 2", "1e99999"}) {
        try {
            TextToNumber(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const ConversionError &e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid floating point value");
        }
    }
}

TEST(TextToNumber, SecondTextOfTheLongEllipsoidAxisReadsNearest)
{
    const Real b = TextToNumber("6356752.3141403558478521068615295");
    EXPECT_EQ(b, 6356752.3141403558478521068615295L);
}

TEST(NumberToText, FixedDecimals)
{
    EXPECT_EQ(NumberToText(0, 12.7L), "13");
    EXPECT_EQ(NumberToText(3, 1234567.25L), "1234567.250");
    EXPECT_EQ(NumberToText(10, 30.5L), "30.5000000000");
    EXPECT_EQ(NumberToText(3, -1.5L), "-1.500");
    EXPECT_EQ(NumberToText(3, -0.0001L), "0.000");
    EXPECT_EQ(NumberToText(2, 0.125L), "0.12"); // exact binary half: to even
}

TEST(GeneralText, ShortestForm)
{
    const std::pair<Real, const char *> cases[] = {
        {0, "0"},          {3, "3"},         {-1, "-1"},           {7.23L, "7.23"},
        {-1.79L, "-1.79"}, {33415, "33415"}, {0.1L, "0.1"},        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},   {1.5e-6L, "1.5E-6"}, {0.00001L, "0.00001"}, {2.0L / 3, "0.666666666666667"},
    };
    for (const auto &[value, text] : cases)
        EXPECT_EQ(GeneralText(value), text) << static_cast<double>(value);
}

TEST(RoundHalfEven, Halves)
{
    EXPECT_EQ(RoundHalfEven(0.5L), 0);
    EXPECT_EQ(RoundHalfEven(1.5L), 2);
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(2.6L), 3);
}

TEST(Azimuth, Quadrants)
{
    EXPECT_EQ(Azimuth(0, 0, 1, 0), 0);
    EXPECT_EQ(Azimuth(0, 0, 0, 1), HalfPi);
    EXPECT_EQ(Azimuth(0, 0, -1, 0), Pi);
    EXPECT_EQ(Azimuth(0, 0, 0, -1), Pi + HalfPi);
    EXPECT_NEAR(static_cast<double>(Azimuth(0, 0, 1, -1)), static_cast<double>(7 * Pi / 4), 1e-15);
    EXPECT_NEAR(static_cast<double>(Azimuth(0, 0, -1, -1)), static_cast<double>(5 * Pi / 4), 1e-15);
}

TEST(Azimuth, CoincidentPointsAreAnInvalidOperation)
{
    try {
        Azimuth(5, 5, 5, 5);
        FAIL();
    } catch (const FloatError &e) {
        EXPECT_STREQ(e.what(), "Invalid floating point operation");
    }
}

TEST(FpGuard, ReportsEachFault)
{
    volatile Real zero = 0, one = 1, big = 1e4000L;
    {
        FpGuard guard;
        Real r = zero / zero;
        EXPECT_THROW(
            try { guard.check(r); } catch (const FloatError &e) {
                EXPECT_STREQ(e.what(), "Invalid floating point operation");
                throw;
            },
            FloatError);
    }
    {
        FpGuard guard;
        Real r = one / zero;
        try {
            guard.check(r);
            FAIL();
        } catch (const FloatError &e) {
            EXPECT_STREQ(e.what(), "Floating point division by zero");
        }
    }
    {
        FpGuard guard;
        Real r = big * big * big;
        try {
            guard.check(r);
            FAIL();
        } catch (const FloatError &e) {
            EXPECT_STREQ(e.what(), "Floating point overflow");
        }
    }
    {
        FpGuard guard;
        Real r = one / 3;
        EXPECT_NO_THROW(guard.check(r));
    }
}

} // namespace

namespace {

// The exact conversion by the standard library, for comparison with the fast digits.
std::string LibraryFixed(Real value, int decimals)
{
    char buffer[5000];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, end);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

// The packed angle read through its 16-decimal text, part by part.
Real TextDmsToDeg(Real packed)
{
    std::string text = LibraryFixed(std::fabs(packed), 16);
    const size_t point = text.find('.');
    const Real degrees = TextToNumber(text.substr(0, point));
    const Real minutes = TextToNumber(text.substr(point + 1, 2));
    const Real seconds = TextToNumber(text.substr(point + 3, 2) + "." + text.substr(point + 5));
    const Real result = degrees + minutes / 60 + seconds / 3600;
    return packed >= 0 ? result : -result;
}

TEST(NumberToText, AgreesWithTheLibraryConversion)
{
    uint64_t state = 88172645463325252ULL;
    auto next = [&] {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        return state;
    };
    for (int i = 0; i < 200000; ++i) {
        const int decimals = static_cast<int>(next() % 12);
        const Real magnitude = std::ldexp(static_cast<Real>(next() >> 11), -static_cast<int>(next() % 90));
        const Real value = (next() & 1) ? -magnitude : magnitude;
        ASSERT_EQ(NumberToText(decimals, value), LibraryFixed(value, decimals))
            << "value " << static_cast<double>(value) << " decimals " << decimals;
    }
    // Exact binary halves go to the even neighbour, as the library does.
    for (const auto &[value, decimals] : std::vector<std::pair<Real, int>>{{0.5L, 0}, {1.5L, 0}, {2.5L, 0}, {0.125L, 2}, {0.375L, 2}})
        EXPECT_EQ(NumberToText(decimals, value), LibraryFixed(value, decimals));
    EXPECT_EQ(NumberToText(3, 1e30L), LibraryFixed(1e30L, 3)) << "beyond the fast range";
}

TEST(DmsToDeg, FastDigitsAgreeWithTheTextReading)
{
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (int i = 0; i < 100000; ++i) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        const Real packed = static_cast<Real>(state % 3600000000ULL) / 10000000 - 180;
        ASSERT_EQ(DmsToDeg(packed), TextDmsToDeg(packed)) << static_cast<double>(packed);
    }
    EXPECT_EQ(DmsToDeg(5000.3L), TextDmsToDeg(5000.3L)) << "beyond the fast range";
}

} // namespace
