#include "TextForms.h"

#include "Error.h"
#include "FpGuard.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <iterator>
#include <system_error>

namespace quorvil {

namespace {

constexpr uint64_t PowersOfTen[] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL,
                                    1000000000000000000ULL};

// |value| × 10^decimals rounded to the nearest integer, exact halves to even, computed exactly
// from the 64-bit mantissa: the same digits as a correctly rounded decimal conversion, without
// its cost. Returns false where the result does not fit (the caller then converts by text).
bool ScaledDecimal(Real value, int decimals, uint64_t &result)
{
    if (decimals < 0 || decimals > 18 || !std::isfinite(value))
        return false;
    if (value == 0) {
        result = 0;
        return true;
    }
    uint64_t mantissa = 0;
    int shift = 0; // |value| = mantissa / 2^shift
#if defined(__x86_64__) || defined(__i386__)
    // The x87 extended format holds the 64-bit mantissa with its integer bit, then the sign and
    // the biased exponent: read them as they are (the library's frexp and ldexp cost more than
    // the rest of this routine).
    static_assert(std::numeric_limits<Real>::digits == 64);
    unsigned char bytes[sizeof(Real)];
    std::memcpy(bytes, &value, sizeof bytes);
    std::memcpy(&mantissa, bytes, sizeof mantissa);
    const int biased = (bytes[8] | (bytes[9] << 8)) & 0x7FFF;
    if (biased != 0 && (mantissa >> 63) != 0) {
        shift = 16383 + 63 - biased;
    } else
#endif
    {
        int exponent = 0;
        const Real fraction = std::frexp(std::fabs(value), &exponent); // |value| = fraction × 2^exponent
        mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));    // exact: 64-bit mantissa
        shift = 64 - exponent;
    }
    if (shift <= 0 || shift >= 128)
        return false;
    using U128 = unsigned __int128;
    const U128 product = static_cast<U128>(mantissa) * PowersOfTen[decimals];
    U128 quotient = product >> shift;
    const U128 remainder = product - (quotient << shift);
    const U128 half = static_cast<U128>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1)))
        ++quotient;
    if (quotient > static_cast<U128>(UINT64_MAX))
        return false;
    result = static_cast<uint64_t>(quotient);
    return true;
}

// Fixed-point text with the given count of decimals; a value that rounds to zero carries no sign.
std::string FixedText(Real value, int decimals)
{
    uint64_t scaled = 0;
    if (ScaledDecimal(value, decimals, scaled)) {
        char digits[24];
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, scaled);
        std::string text(digits, end);
        if (static_cast<int>(text.size()) <= decimals)
            text.insert(0, static_cast<size_t>(decimals + 1) - text.size(), '0');
        if (decimals > 0)
            text.insert(text.size() - static_cast<size_t>(decimals), 1, '.');
        if (value < 0 && scaled != 0)
            text.insert(0, 1, '-');
        return text;
    }
    char buffer[5000];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return {};
    std::string text(buffer, end);
    if (!text.empty() && text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Optional sign, digits with an optional point (at least one digit), optional exponent.
bool IsPlainDecimal(std::string_view s)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    return i == s.size();
}

// Reads a number part of a packed angle's text; leading blanks are ignored.
Real ReadPart(std::string_view text)
{
    return TextToNumber(text);
}

// Decimals of the text a packed angle is read from: 16, but no more than the 19 significant
// digits the 64-bit mantissa carries. Beyond them the text would show the binary representation
// error, so that 5000.3 (stored as 5000.29999999999999982…) would read as 29 minutes and 99.99…
// seconds; below 1000 degrees this is the full 16 decimals.
int PackedDecimals(Real magnitude)
{
    int decimals = 16;
    for (Real limit = 1000; decimals > 0 && magnitude >= limit; limit *= 10)
        --decimals;
    return decimals;
}

} // namespace

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

Real DmsToDeg(Real packed)
{
    // Fast path: the digits of the fixed-point text as one integer. Each part is read back as the
    // text form would read it: whole degrees and minutes exactly, the seconds as the nearest
    // number to their decimal text (a correctly rounded quotient of two exact numbers).
    const int decimals = PackedDecimals(std::fabs(packed));
    uint64_t digits = 0;
    if (ScaledDecimal(packed, decimals, digits)) {
        const uint64_t degrees = digits / PowersOfTen[decimals];
        const uint64_t fraction = digits % PowersOfTen[decimals] * PowersOfTen[16 - decimals]; // 16 decimals
        const uint64_t minutes = fraction / PowersOfTen[14];
        const uint64_t secondDigits = fraction % PowersOfTen[14];
        const Real seconds = static_cast<Real>(secondDigits) / static_cast<Real>(PowersOfTen[12]);
        Real result = static_cast<Real>(degrees) + static_cast<Real>(minutes) / 60 + seconds / 3600;
        if (!(packed >= 0))
            result = -result;
        return result;
    }
    // Beyond the 64-bit digits (whole numbers from 1.8e19 on, or below 2^-64), infinities, NaN.
    std::string text = FixedText(std::fabs(packed), decimals);
    if (decimals == 0)
        text += '.';
    text.append(static_cast<size_t>(16 - decimals), '0');
    if (text.size() < 20)
        text.insert(0, 20 - text.size(), ' ');
    const size_t point = text.find('.');
    const std::string degrees = text.substr(0, point);
    std::string rest = text.substr(point + 1);
    const std::string minutes = rest.substr(0, 2);
    rest.erase(0, 2);
    const std::string seconds = rest.substr(0, 2) + "." + rest.substr(2);
    Real result = ReadPart(degrees) + ReadPart(minutes) / 60 + ReadPart(seconds) / 3600;
    if (!(packed >= 0))
        result = -result;
    return result;
}

Real DegToDms(Real degrees)
{
    const Real d = std::trunc(degrees);
    const Real f = degrees - d;
    const Real m = f * 60;
    const Real mi = std::trunc(m);
    const Real s = (m - mi) * 60;
    return d + mi / 100 + s / 10000;
}

std::string DmsText(unsigned char secondDecimals, Real degrees)
{
    const Real d = std::trunc(degrees);
    Real m = (degrees - d) * 60;
    const Real s = (m - std::trunc(m)) * 60;
    m = std::trunc(m);

    auto lastChars = [](const std::string &text, size_t count) {
        return text.size() <= count ? text : text.substr(text.size() - count);
    };
    const std::string degreeText = lastChars("   " + GeneralText(d), 3);
    const std::string minuteText = lastChars("00" + GeneralText(m), 2);
    std::string secondText = lastChars("00" + NumberToText(secondDecimals, s), secondDecimals + 3u);
    if (secondDecimals == 0)
        secondText = lastChars(secondText, 2);
    return degreeText + "°" + minuteText + "′" + secondText + "″";
}

Real TextToNumber(std::string_view text)
{
    const std::string_view trimmed = Trimmed(text);
    if (trimmed.empty())
        return 0;
    if (!IsPlainDecimal(trimmed))
        throw ConversionError(std::string(text));
    std::string_view digits = trimmed;
    bool negative = false;
    if (digits.front() == '+' || digits.front() == '-') {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    // Fast path: at most 19 significant digits and no exponent. The digits as one integer and the
    // power of ten of the decimals are both exact, so their quotient is the correctly rounded
    // value of the text, the number from_chars gives.
    {
        uint64_t mantissa = 0;
        int significant = 0, decimals = 0;
        bool afterPoint = false, fits = true;
        for (char c : digits) {
            if (c == '.') {
                afterPoint = true;
                continue;
            }
            if (!IsDigit(c)) { // an exponent
                fits = false;
                break;
            }
            if (mantissa != 0 || c != '0')
                ++significant;
            decimals += afterPoint;
            if (significant > 19 || decimals >= static_cast<int>(std::size(PowersOfTen))) {
                fits = false;
                break;
            }
            mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
        }
        if (fits) {
            const Real value = static_cast<Real>(mantissa) / static_cast<Real>(PowersOfTen[decimals]);
            return negative ? -value : value;
        }
    }
    Real value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is no number the program can work with.
        const size_t e = digits.find_first_of("eE");
        if (e != std::string_view::npos && digits.substr(e + 1).starts_with('-'))
            return negative ? -0.0L : 0.0L;
        throw ConversionError(std::string(text));
    }
    if (ec != std::errc() || ptr != digits.data() + digits.size())
        throw ConversionError(std::string(text));
    return negative ? -value : value;
}

Real StrictTextToNumber(std::string_view text)
{
    if (Trimmed(text).empty())
        throw ConversionError(std::string(text));
    return TextToNumber(text);
}

std::string NumberToText(int decimals, Real value)
{
    return FixedText(value, decimals < 0 ? 0 : decimals);
}

std::string TrimmedNumberText(int decimals, Real value)
{
    std::string text = NumberToText(decimals, value);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

std::string GeneralText(Real value)
{
    if (value == 0 || std::isnan(value) || std::isinf(value))
        return value == 0 ? "0" : (std::isnan(value) ? "NAN" : (value > 0 ? "INF" : "-INF"));
    // 15 significant digits, rounded once; then decide between plain and scientific form.
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    std::string sci(buffer, ec == std::errc() ? end : buffer);
    const size_t ePos = sci.find('e');
    const int exponent = std::stoi(sci.substr(ePos + 1));
    const bool negative = sci.front() == '-';
    std::string mantissa = sci.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0));
    std::string digits;
    for (char c : mantissa)
        if (IsDigit(c))
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out;
    if (exponent >= 15 || exponent < -5) {
        out = digits.substr(0, 1);
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
        const size_t intDigits = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out = digits + std::string(intDigits - digits.size(), '0');
        } else {
            out = digits.substr(0, intDigits) + "." + digits.substr(intDigits);
        }
    }
    return negative ? "-" + out : out;
}

Real RoundHalfEven(Real value)
{
    return std::nearbyint(value);
}

Real Azimuth(Real x1, Real y1, Real x2, Real y2)
{
    const Real dx = x2 - x1;
    const Real dy = y2 - y1;
    if (dx == 0 && dy == 0) // atan(0/0): the bearing of a point to itself is undefined
        throw FloatError(InvalidOperationText);
    Real a;
    if (std::fabs(dx) >= std::fabs(dy))
        a = std::fabs(std::atan(dy / dx));
    else
        a = HalfPi - std::fabs(std::atan(dx / dy));
    if (dx < 0 && dy >= 0)
        a = Pi - a;
    else if (dx < 0 && dy < 0)
        a = Pi + a;
    else if (dx >= 0 && dy < 0)
        a = TwoPi - a;
    return a;
}

} // namespace quorvil
