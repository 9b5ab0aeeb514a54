#include "SurveyText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace quorvil {

std::string Trimmed(const std::string &text)
{
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    return text.substr(b, e - b);
}

std::optional<Real> ParseNumber(const std::string &raw)
{
    std::string text = Trimmed(raw);
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    if (text.empty())
        return std::nullopt;
    // digits, one point, an exponent: nothing else
    size_t i = 0;
    if (text[i] == '-')
        ++i;
    bool digits = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i, digits = true;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, digits = true;
    }
    if (!digits)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        bool exponent = false;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, exponent = true;
        if (!exponent)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    Real value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Real> ParseDashedDms(const std::string &raw)
{
    std::string text = Trimmed(raw);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.erase(0, 1);
    }
    const size_t a = text.find('-');
    if (a == std::string::npos)
        return std::nullopt;
    const size_t b = text.find('-', a + 1);
    const std::string d = text.substr(0, a);
    const std::string m = b == std::string::npos ? text.substr(a + 1) : text.substr(a + 1, b - a - 1);
    const std::string s = b == std::string::npos ? "0" : text.substr(b + 1);
    for (const std::string *part : {&d, &m, &s})
        if (part->empty() || part->find('-') != std::string::npos || part->find('e') != std::string::npos ||
            part->find('E') != std::string::npos)
            return std::nullopt;
    const std::optional<Real> dv = ParseNumber(d), mv = ParseNumber(m), sv = ParseNumber(s);
    if (!dv || !mv || !sv || *dv < 0 || *mv < 0 || *sv < 0)
        return std::nullopt;
    const Real value = *dv + *mv / 60 + *sv / 3600;
    return negative ? -value : value;
}

namespace {

// The digits of value × 10^decimals rounded to the nearest integer, when that is certain: the
// product's rounding error (a few units of 10⁻¹⁹ of it) cannot reach a halfway point. Results,
// JSON and tables print a million such numbers; this avoids the general conversion for them.
bool ScaledDigits(Real value, int decimals, long long &digits)
{
    static constexpr Real Powers[] = {1, 1e1L, 1e2L, 1e3L, 1e4L, 1e5L, 1e6L, 1e7L, 1e8L, 1e9L, 1e10L};
    if (decimals < 0 || decimals > 10 || !std::isfinite(value))
        return false;
    const Real scaled = std::fabs(value) * Powers[decimals];
    if (!(scaled < 1e13L)) // its rounding error, 2⁻⁶⁴ of it, stays below 10⁻⁶
        return false;
    const Real whole = std::floor(scaled), fraction = scaled - whole;
    if (std::fabs(fraction - 0.5L) < 1e-6L)
        return false; // near a halfway point: the exact conversion decides
    digits = (long long)(whole) + (fraction > 0.5L ? 1 : 0);
    return true;
}

} // namespace

std::string PlainNumber(Real value, int decimals)
{
    std::string text;
    long long digits = 0;
    if (ScaledDigits(value, decimals, digits)) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, digits).ptr;
        std::string number(buffer, end);
        if (decimals > 0) {
            if (number.size() <= size_t(decimals))
                number.insert(0, size_t(decimals) + 1 - number.size(), '0');
            number.insert(number.size() - size_t(decimals), 1, '.');
        }
        text = (value < 0 ? "-" : "") + number;
    } else {
        // to_chars, not printf: exact, and independent of the locale
        char buffer[128];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
        if (ec == std::errc()) {
            text.assign(buffer, end);
        } else { // a value of more than a hundred digits
            text.resize(5200);
            const auto wide = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals);
            text.resize(size_t(wide.ptr - text.data()));
        }
    }
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

} // namespace quorvil
