#include "core/Error.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

using namespace quorvil;

namespace {

// Each case: the argument, the exact value expected, and the figure as a tool prints it.
struct DegCase {
    Real argument;
    Real expected;
    const char *printed; // NumberToText with 15 decimals
};

TEST(DmsToDeg, ReadsTheDigitsOfTheText)
{
    const DegCase cases[] = {
        {30.1L, 30 + 10.0L / 60, "30.166666666666667"},                            // a typed tenth is 10 minutes
        {30.5L, 30 + 50.0L / 60, "30.833333333333333"},                            // 30°50′, not 30°30′
        {30.05L, 30 + 5.0L / 60, "30.083333333333333"},
        {30.3L, 30.5L, "30.500000000000000"},
        {-30.3L, -30.5L, "-30.500000000000000"},
        {0, 0, "0.000000000000000"},
        {-0.0L, 0, "0.000000000000000"},
        {112.153045L, 112 + 15.0L / 60 + 30.45L / 3600, "112.258458333333333"},
        {30.6L, 31, "31.000000000000000"},                                         // 60 minutes accepted
        {30.0075L, 30 + 75.0L / 3600, "30.020833333333333"},                       // 75 seconds accepted
        {30.59999999999999999L, 31, "31.000000000000000"},                         // 16 decimals round up to 30.6
        {117, 117, "117.000000000000000"},
        {5000.3L, 5000.5L, "5000.500000000000000"},                                // no seconds from the binary error
        {1024.19L, 1024 + 19.0L / 60, "1024.316666666666667"},
        {1e19L, 1e19L, "10000000000000000000.000000000000000"},                    // beyond the fast digits
        {1e-25L, 0, "0.000000000000000"},
    };
    for (const auto &c : cases) {
        const Real degrees = DmsToDeg(c.argument);
        EXPECT_EQ(NumberToText(15, degrees), c.printed) << "DmsToDeg(" << NumberToText(18, c.argument) << ")";
        EXPECT_EQ(degrees, c.expected) << "DmsToDeg(" << NumberToText(18, c.argument) << ")";
    }
}

TEST(DegToDms, TruncatesWithoutCarry)
{
    const DegCase cases[] = {
        {30.5L, 30.30L, "30.3000"},
        {-30.5L, -30.30L, "-30.3000"},
        {-0.5L, -0.30L, "-0.3000"},
        {45, 45, "45.0000"},
        // A hair below a whole minute: 59.99964 seconds, shown with 4 decimals as 60 seconds.
        {30.9999999L, 30.5959999640L, "30.5960"},
    };
    for (const auto &c : cases) {
        const Real packed = DegToDms(c.argument);
        EXPECT_EQ(NumberToText(4, packed), c.printed) << "DegToDms(" << NumberToText(10, c.argument) << ")";
        EXPECT_NEAR(static_cast<double>(packed), static_cast<double>(c.expected), 1e-14)
            << "DegToDms(" << NumberToText(10, c.argument) << ")";
    }
    EXPECT_EQ(NumberToText(10, DegToDms(30.9999999L)), "30.5959999640") << "no carry into the minutes";
}

TEST(DmsText, Examples)
{
    const std::tuple<int, Real, const char *> cases[] = {
        {2, 112.5L, "112°30′00.00″"},
        {0, 5.25L, "  5°15′00″"},
        {2, 30.9999999L, " 30°59′60.00″"}, // no carry: 60 seconds
        {4, 30.9999999L, " 30°59′59.9996″"},
        {0, 0, "  0°00′00″"},
        {3, 1.0L / 3600, "  0°00′01.000″"},
    };
    for (const auto &[decimals, degrees, text] : cases)
        EXPECT_EQ(DmsText(static_cast<unsigned char>(decimals), degrees), text)
            << "DmsText(" << decimals << ", " << NumberToText(10, degrees) << ")";
}

TEST(TextToNumber, Grammar)
{
    // Accepted texts, and the number read, printed with 3 decimals.
    const std::pair<const char *, const char *> good[] = {
        {"", "0.000"},         {"   ", "0.000"},      {"  12.5  ", "12.500"}, {" 1.5", "1.500"},
        {"+3", "3.000"},       {"-2.5e2", "-250.000"}, {".5", "0.500"},       {"5.", "5.000"},
        {"1E+3", "1000.000"},  {"\t7\r", "7.000"},     {"007.25", "7.250"},   {"1e-99999", "0.000"},
    };
    for (const auto &[text, printed] : good)
        EXPECT_EQ(NumberToText(3, TextToNumber(text)), printed) << "TextToNumber('" << text << "')";

    for (const char *bad : {"12,5", "inf", "nan", "0x10", "1e", "abc", "1.2.3", "-", ".", "1 2", "1e99999", "--1",
                            "1e+", "e5", "1,234.5", "\xEF\xBC\x91"}) {
        try {
            TextToNumber(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const ConversionError &e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid floating point value");
        }
    }
    try {
        TextToNumber(" 12,5 ");
        ADD_FAILURE() << "accepted ' 12,5 '";
    } catch (const ConversionError &e) {
        EXPECT_STREQ(e.what(), "' 12,5 ' is not a valid floating point value") << "the message shows the text as typed";
    }
}

TEST(TextToNumber, SecondTextOfTheLongEllipsoidAxisReadsNearest)
{
    const Real b = TextToNumber("6356752.3141403558478521068615295");
    EXPECT_EQ(b, 6356752.3141403558478521068615295L);
}

TEST(TextToNumber, ShortDecimalsReadAsTheCorrectlyRoundedNumber)
{
    // Texts of up to 19 significant digits take a fast path of their own; every one must read as
    // the correctly rounded number that the general conversion gives.
    unsigned long long state = 20261207;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return state >> 11;
    };
    std::vector<std::string> texts = {"0", "0.0", "-0", "007.50", "9999999999999999999", "0.0000000000000000001",
                                      "18446744073709551615", "1.8446744073709551615", "123456789.0123456789",
                                      "-.5", "5.", "0.1", "0.3", "3878776.946", "38773912.254"};
    for (int i = 0; i < 20000; ++i) {
        std::string digits = std::to_string(next() % 10000000000000000000ULL);
        digits.resize(1 + next() % digits.size());
        const size_t point = next() % (digits.size() + 1);
        std::string text = digits.substr(0, point) + "." + digits.substr(point);
        if (next() % 5 == 0)
            text = std::string(next() % 4, '0') + text;
        if (next() % 3 == 0)
            text = "-" + text;
        texts.push_back(text);
    }
    for (const std::string &text : texts) {
        std::string_view body = text;
        const bool negative = body.front() == '-';
        if (negative)
            body.remove_prefix(1);
        Real expected = 0;
        std::from_chars(body.data(), body.data() + body.size(), expected, std::chars_format::general);
        if (negative)
            expected = -expected;
        const Real read = TextToNumber(text);
        EXPECT_TRUE(read == expected && std::signbit(read) == std::signbit(expected)) << text;
    }
}

TEST(NumberToText, FixedDecimals)
{
    const std::tuple<int, Real, const char *> cases[] = {
        {0, 12.7L, "13"},
        {3, 1234567.25L, "1234567.250"},
        {10, 30.5L, "30.5000000000"},
        {3, -1.5L, "-1.500"},
        {3, -0.0001L, "0.000"}, // rounds to zero: no minus sign
        {0, -0.4L, "0"},
        {2, 0.125L, "0.12"},    // exact binary half: to even
        {2, 0.375L, "0.38"},
        {0, 2.5L, "2"},
        {-1, 7.6L, "8"},        // a negative count gives no point
        {3, 2.0L / 3, "0.667"},
        {20, 0.5L, "0.50000000000000000000"},
        {3, 1e20L, "100000000000000000000.000"},
    };
    for (const auto &[decimals, value, text] : cases)
        EXPECT_EQ(NumberToText(decimals, value), text) << "NumberToText(" << decimals << ", " << static_cast<double>(value) << ")";
}

TEST(TrimmedNumberText, FixedDecimalsWithoutTheirTrailingZeros)
{
    const std::tuple<int, Real, const char *> cases[] = {
        {10, 1640.016L, "1640.016"},
        {10, 12, "12"},
        {4, 100, "100"},    // the zeros of the whole part stay
        {10, -1.5L, "-1.5"},
        {10, -1e-11L, "0"}, // rounds to zero: no sign, no point
        {2, 0.125L, "0.12"}, // exact binary half: to even
        {0, 2.5L, "2"},
        {4, 0.99996L, "1"},
        {20, 0.5L, "0.5"},  // beyond the digits of the fast path
    };
    for (const auto &[decimals, value, text] : cases)
        EXPECT_EQ(TrimmedNumberText(decimals, value), text)
            << "TrimmedNumberText(" << decimals << ", " << static_cast<double>(value) << ")";
}

TEST(TrimmedNumberText, AgreesWithTheCLibrarysFixedForm)
{
    // The C library's correctly rounded "%.*Lf" (in the "C" locale), its trailing zeros dropped,
    // on values of every size, some beyond the 64-bit digits, and on the awkward ones: every third
    // value next to a halfway point of its decimals, and a few exact halves.
    for (int decimals = 0; decimals <= 10; ++decimals)
        for (Real v : {0.125L, 2.5L, 1.0625L, -0.5L, 0.0L, -0.0004L, 1e11L, 999999.99999L, 2.675L, 1e13L}) {
            char buffer[128];
            std::snprintf(buffer, sizeof buffer, "%.*Lf", decimals, v);
            std::string expected = buffer;
            if (expected.find('.') != std::string::npos) {
                while (expected.back() == '0')
                    expected.pop_back();
                if (expected.back() == '.')
                    expected.pop_back();
            }
            if (expected == "-0")
                expected = "0";
            ASSERT_EQ(TrimmedNumberText(decimals, v), expected) << NumberToText(30, v) << " with " << decimals;
        }
    unsigned long long state = 20270101;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return state >> 11;
    };
    for (int i = 0; i < 20000; ++i) {
        const int decimals = static_cast<int>(next() % 13);
        const int exponent = static_cast<int>(next() % 40) - 12;
        Real value = static_cast<Real>(next() % 1000000007ULL) / 1000000007.0L * std::pow(10.0L, exponent);
        if (next() % 2)
            value = -value;
        if (i % 3 == 0 && exponent < 13) // a halfway point of the decimals, give or take the last bit
            value = (std::round(value * std::pow(10.0L, Real(decimals))) + 0.5L) / std::pow(10.0L, Real(decimals));
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "%.*Lf", decimals, value);
        std::string expected = buffer;
        if (expected.find('.') != std::string::npos) {
            while (expected.back() == '0')
                expected.pop_back();
            if (expected.back() == '.')
                expected.pop_back();
        }
        if (expected == "-0")
            expected = "0";
        ASSERT_EQ(TrimmedNumberText(decimals, value), expected) << NumberToText(30, value) << " with " << decimals;
    }
}

TEST(Trimmed, BlanksAndControlCharactersAtBothEnds)
{
    EXPECT_EQ(Trimmed(" \t\r\n P1 2\x01\x1F "), "P1 2");
    EXPECT_EQ(Trimmed("   "), "");
    EXPECT_EQ(Trimmed("\xE3\x80\x80P"), "\xE3\x80\x80P"); // an ideographic space is text
}

TEST(StrictTextToNumber, ABlankTextIsNoNumber)
{
    EXPECT_EQ(StrictTextToNumber(" 7.5 "), 7.5L);
    for (const char *blank : {"", "   ", "\t\r\n"}) {
        try {
            StrictTextToNumber(blank);
            ADD_FAILURE() << "accepted '" << blank << "'";
        } catch (const ConversionError &e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + blank + "' is not a valid floating point value");
        }
    }
    EXPECT_THROW(StrictTextToNumber("abc"), ConversionError);
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
    // x1, y1, x2, y2 and the bearing in radians with 18 decimals (π as 3.1415926535897932385).
    const std::pair<std::array<Real, 4>, const char *> cases[] = {
        {{0, 0, 1, 0}, "0.000000000000000000"},     // north
        {{0, 0, 0, 1}, "1.570796326794896619"},     // east
        {{0, 0, -1, 0}, "3.141592653589793239"},    // south
        {{0, 0, 0, -1}, "4.712388980384689858"},    // west
        {{0, 0, 1, -1}, "5.497787143782138167"},    // 7π/4
        {{0, 0, 1, 1}, "0.785398163397448310"},     // π/4
        {{0, 0, -1, 1}, "2.356194490192344929"},    // 3π/4
        {{0, 0, -1, -1}, "3.926990816987241548"},   // 5π/4
        {{100, 200, 50, 200}, "3.141592653589793239"},
        {{10, 10, 13, 14}, "0.927295218001612232"}, // atan(4/3): |dy| > |dx|
    };
    for (const auto &[p, text] : cases)
        EXPECT_EQ(NumberToText(18, Azimuth(p[0], p[1], p[2], p[3])), text)
            << "Azimuth(" << static_cast<double>(p[0]) << ", " << static_cast<double>(p[1]) << ", "
            << static_cast<double>(p[2]) << ", " << static_cast<double>(p[3]) << ")";
    EXPECT_EQ(Azimuth(0, 0, 0, 1), HalfPi);
    EXPECT_EQ(Azimuth(0, 0, -1, 0), Pi);
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

TEST(FpGuard, AnInnerGuardDoesNotHideAnEarlierFault)
{
    volatile Real big = 1e4000L;
    FpGuard command;
    Real overflowed = big * big * big; // raised before the helper's own guard
    asm volatile("" : : "m"(overflowed));
    {
        FpGuard row;
        Real fine = big / 3;
        try {
            row.check(fine);
            FAIL() << "the overflow raised before the inner guard was lost";
        } catch (const FloatError &e) {
            EXPECT_STREQ(e.what(), "Floating point overflow");
        }
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

// The packed angle read through its 16-decimal text, part by part; the text carries no more than
// 19 significant digits (zeros after them).
Real TextDmsToDeg(Real packed)
{
    int decimals = 16;
    for (Real limit = 1000; decimals > 0 && std::fabs(packed) >= limit; limit *= 10)
        --decimals;
    std::string text = LibraryFixed(std::fabs(packed), decimals);
    if (decimals == 0)
        text += '.';
    text.append(static_cast<size_t>(16 - decimals), '0');
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
    // Whole minutes of four and more degree digits: no seconds appear from the binary error.
    for (int degrees = 1000; degrees < 100000; degrees += 7)
        for (int minutes = 0; minutes < 60; minutes += 11) {
            const std::string typed = std::to_string(degrees) + "." + (minutes < 10 ? "0" : "") + std::to_string(minutes);
            const Real packed = TextToNumber(typed);
            ASSERT_EQ(NumberToText(9, DmsToDeg(packed)), NumberToText(9, degrees + minutes / 60.0L)) << typed;
            ASSERT_EQ(DmsToDeg(packed), TextDmsToDeg(packed)) << typed;
        }
    for (const Real packed : {1e19L, 3e25L, -7e30L, 123456789012345678.3L})
        EXPECT_EQ(DmsToDeg(packed), TextDmsToDeg(packed)) << "beyond the fast range: " << NumberToText(3, packed);
}

} // namespace
