#include "io/dxf/DxfTokens.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace quorvil::dxf {

std::vector<Pair> Tokenize(const QByteArray &bytes, bool &clean, bool &cutAtRecordStart)
{
    std::vector<Pair> pairs;
    pairs.reserve(std::size_t(bytes.size() / 24));
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    auto nextLine = [&](std::string_view &line) {
        if (p >= end)
            return false;
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
        const char *stop = nl ? nl : end;
        line = std::string_view(p, std::size_t(stop - p));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        p = nl ? nl + 1 : end;
        return true;
    };
    clean = true;
    cutAtRecordStart = false;
    std::string_view codeLine, value;
    while (nextLine(codeLine)) {
        const std::string_view code = Trimmed(codeLine);
        if (code.empty() && p >= end)
            break; // a final empty line
        int number = 0;
        const auto [ptr, ec] = std::from_chars(code.data(), code.data() + code.size(), number);
        if (ec != std::errc() || ptr != code.data() + code.size() || number < 0 || number > 1071 || !nextLine(value)) {
            clean = false;
            // A code line that is no group code ends the sound part after a complete record; a
            // file that ends after a group code is cut inside its record unless that code began the next.
            const bool isCode = ec == std::errc() && ptr == code.data() + code.size() && number >= 0 && number <= 1071;
            cutAtRecordStart = !isCode || number == 0;
            break;
        }
        pairs.push_back({number, value});
        if (number == 0 && Trimmed(value) == "EOF")
            break;
    }
    return pairs;
}

bool IsNumber(std::string_view value)
{
    value = Trimmed(value);
    if (!value.empty() && value.front() == '+')
        value.remove_prefix(1);
    std::string text;
    if (value.find(',') != std::string_view::npos) {
        text.assign(value);
        std::replace(text.begin(), text.end(), ',', '.');
        value = text;
    }
    double v = 0;
    const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    return ec == std::errc() && ptr == value.data() + value.size() && std::isfinite(v);
}

double RealOf(std::string_view value, double fallback)
{
    std::string text(Trimmed(value));
    if (!text.empty() && text.front() == '+')
        text.erase(0, 1);
    std::replace(text.begin(), text.end(), ',', '.');
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && ptr == text.data() + text.size() && Sane(v) ? v : fallback;
}

void HoldCountsToContent(std::vector<Pair> &pairs, std::deque<std::string> &storage)
{
    std::string_view type;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].code == 0) {
            type = Trimmed(pairs[i].value);
            continue;
        }
        int countedCode = -1;
        if (type == "LWPOLYLINE" && pairs[i].code == 90)
            countedCode = 10;
        else if (type == "SPLINE" && pairs[i].code == 72)
            countedCode = 40;
        else if (type == "SPLINE" && pairs[i].code == 73)
            countedCode = 10;
        else if (type == "SPLINE" && pairs[i].code == 74)
            countedCode = 11;
        else if (type == "LEADER" && pairs[i].code == 76)
            countedCode = 10;
        if (countedCode < 0)
            continue;
        std::size_t count = 0;
        for (std::size_t k = i + 1; k < pairs.size() && pairs[k].code != 0; ++k)
            if (pairs[k].code == countedCode)
                ++count;
        storage.push_back(std::to_string(count));
        pairs[i].value = storage.back();
    }
}

} // namespace quorvil::dxf
