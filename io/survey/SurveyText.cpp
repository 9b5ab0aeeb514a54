#include "SurveyText.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace quorvil {

std::optional<Real> ParseNumber(const std::string &raw)
{
    std::string text(Trimmed(raw));
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
    std::string text(Trimmed(raw));
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

} // namespace quorvil
