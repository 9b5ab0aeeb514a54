#include "FieldBookText.h"

#include "core/Error.h"
#include "core/TextForms.h"

#include <charconv>
#include <cmath>
#include <map>

namespace quorvil::fieldbook {

namespace {

constexpr Real FullCircleGon = 400;
// Below this sine of the zenith angle (within 0.6° of the zenith or nadir) a horizontal distance
// cannot be turned back into a slope distance.
constexpr Real MinimumSineOfZenith = 0.01L;

std::vector<std::string_view> Lines(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    while (!text.empty() || lines.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const size_t comma = line.find(',');
        fields.push_back(Trimmed(line.substr(0, comma)));
        if (comma == std::string_view::npos)
            return fields;
        line.remove_prefix(comma + 1);
    }
}

[[noreturn]] void Fail(int line, const std::string &message)
{
    throw Error("第 " + std::to_string(line) + " 行: " + message);
}

std::optional<Real> Number(std::string_view text)
{
    try {
        return StrictTextToNumber(text);
    } catch (const Error &) {
        return std::nullopt;
    }
}

std::string NameOf(std::string_view text) { return std::string(Trimmed(text)); }

} // namespace

std::optional<Real> ParseReading(std::string_view text)
{
    text = Trimmed(text);
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    const std::optional<Real> packed = Number(text);
    if (!packed)
        return std::nullopt;
    const size_t point = text.find('.');
    if (point != std::string_view::npos) {
        const std::string digits = std::string(text.substr(point + 1)) + "0000";
        if (digits.find_first_not_of("0123456789") < 4)
            return std::nullopt;
        if ((digits[0] - '0') * 10 + (digits[1] - '0') >= 60 || (digits[2] - '0') * 10 + (digits[3] - '0') >= 60)
            return std::nullopt;
    }
    return DmsToDeg(*packed);
}

FieldBook ParseCsvBook(std::string_view text)
{
    FieldBook book;
    const std::vector<std::string_view> lines = Lines(text);
    bool first = true;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int n = int(i) + 1;
        const std::string_view line = Trimmed(lines[i]);
        if (line.empty() || line.front() == '#')
            continue;
        const std::vector<std::string_view> f = Fields(line);
        if (first && f[0].substr(0, 6) == "测站") {
            first = false;
            continue; // the caption
        }
        first = false;
        if (f.size() < 7)
            Fail(n, "应有 测站,仪器高,照准点,觇标高,测回,盘位,水平度盘读数,竖盘读数,斜距 各列, 只有 " +
                        std::to_string(f.size()) + " 列");
        const auto field = [&](size_t k) { return k < f.size() ? f[k] : std::string_view(); };
        Pointing p;
        p.line = n;
        p.station = NameOf(f[0]);
        p.target = NameOf(f[2]);
        if (p.station.empty())
            Fail(n, "缺少测站点名");
        if (p.target.empty())
            Fail(n, "缺少照准点名");
        if (p.station == p.target)
            Fail(n, "测站与照准点相同: " + p.station);
        const auto height = [&](size_t k, const char *what) -> std::optional<Real> {
            if (field(k).empty())
                return std::nullopt;
            const std::optional<Real> v = Number(field(k));
            if (!v)
                Fail(n, std::string(what) + " '" + std::string(field(k)) + "' 不是数字");
            return v;
        };
        p.instrumentHeight = height(1, "仪器高");
        p.targetHeight = height(3, "觇标高");
        const std::optional<Real> round = Number(f[4]);
        if (!round || *round < 1 || *round != std::floor(*round) || *round > 1000)
            Fail(n, "测回 '" + std::string(f[4]) + "' 应为 1 起的整数");
        p.round = int(*round);
        const std::string face(f[5]);
        if (face == "左" || face == "L" || face == "l" || face == "盘左")
            p.left = true;
        else if (face == "右" || face == "R" || face == "r" || face == "盘右")
            p.left = false;
        else
            Fail(n, "盘位 '" + face + "' 应为 左 或 右 (L/R)");
        const std::optional<Real> hz = ParseReading(f[6]);
        if (!hz || *hz >= 360)
            Fail(n, "水平度盘读数 '" + std::string(f[6]) + "' 不是角度 (写作 度.分秒, 如 45.3012, 小于 360°)");
        p.horizontal = *hz;
        if (!field(7).empty()) {
            const std::optional<Real> v = ParseReading(field(7));
            if (!v)
                Fail(n, "竖盘读数 '" + std::string(field(7)) + "' 不是角度 (写作 度.分秒, 如 89.3012)");
            if (*v <= 0 || *v >= 360)
                Fail(n, "竖盘读数 '" + std::string(field(7)) + "' 超出 0°–360°");
            p.vertical = *v;
        }
        if (!field(8).empty()) {
            const std::optional<Real> s = Number(field(8));
            if (!s || !(*s > 0))
                Fail(n, "斜距 '" + std::string(field(8)) + "' 应为正数");
            p.slope = s;
        }
        book.pointings.push_back(std::move(p));
    }
    if (book.pointings.empty())
        throw Error("手簿中没有观测数据");
    return book;
}

// ---- GSI ------------------------------------------------------------------------------------

namespace {

struct GsiWord {
    int wi = 0;
    char unit = ' ';
    bool negative = false;
    std::string_view data;
};

// The words of a line: 16 characters each in GSI-8, 24 in GSI-16 (the trailing blank may be
// missing at the end of the line).
std::vector<GsiWord> GsiWords(std::string_view line, int n)
{
    bool wide = false;
    if (!line.empty() && line.front() == '*') {
        wide = true;
        line.remove_prefix(1);
    }
    const size_t dataLength = wide ? 16 : 8;
    std::vector<GsiWord> words;
    while (!Trimmed(line).empty()) {
        while (!line.empty() && line.front() == ' ')
            line.remove_prefix(1);
        if (line.size() < 7 + dataLength)
            Fail(n, "GSI 字 '" + std::string(line) + "' 不完整 (应为 2 位字号 + 4 位信息 + 符号 + " +
                        std::to_string(dataLength) + " 位数据)");
        GsiWord w;
        const std::string_view head = line.substr(0, 2);
        if (head.find_first_not_of("0123456789") != std::string_view::npos)
            Fail(n, "GSI 字 '" + std::string(line.substr(0, 7 + dataLength)) + "' 的字号不是两位数字");
        w.wi = (head[0] - '0') * 10 + (head[1] - '0');
        w.unit = line[5];
        const char sign = line[6];
        if (sign != '+' && sign != '-')
            Fail(n, "GSI 字 '" + std::string(line.substr(0, 7 + dataLength)) + "' 缺少符号 (+/-)");
        w.negative = sign == '-';
        w.data = line.substr(7, dataLength);
        words.push_back(w);
        line.remove_prefix(7 + dataLength);
    }
    return words;
}

std::string WordText(const GsiWord &w) { return std::to_string(w.wi) + " '" + std::string(w.data) + "'"; }

long long Digits(const GsiWord &w, int n)
{
    const std::string_view d = Trimmed(w.data);
    long long v = 0;
    const auto [end, ec] = std::from_chars(d.data(), d.data() + d.size(), v);
    if (d.empty() || ec != std::errc() || end != d.data() + d.size())
        Fail(n, "GSI 字 " + WordText(w) + " 的数据不是数字");
    return w.negative ? -v : v;
}

// An angle word in degrees.
Real GsiAngle(const GsiWord &w, int n)
{
    const long long v = Digits(w, n);
    switch (w.unit) {
    case '2': return Real(v) / 100000 * 360 / FullCircleGon;
    case '3': return Real(v) / 100000;
    case '4': {
        const long long a = v < 0 ? -v : v;
        const long long tenths = a % 10, seconds = a / 10 % 100, minutes = a / 1000 % 100, degrees = a / 100000;
        if (seconds >= 60 || minutes >= 60)
            Fail(n, "GSI 字 " + WordText(w) + " 不是角度 (分或秒不小于 60)");
        const Real deg = Real(degrees) + Real(minutes) / 60 + (Real(seconds) + Real(tenths) / 10) / 3600;
        return v < 0 ? -deg : deg;
    }
    default:
        Fail(n, "GSI 字 " + WordText(w) + " 的单位 '" + std::string(1, w.unit) + "' 未知 (角度应为 2 gon、3 度、4 度分秒)");
    }
}

// A distance or height word in metres.
Real GsiLength(const GsiWord &w, int n)
{
    const long long v = Digits(w, n);
    switch (w.unit) {
    case '0': return Real(v) / 1000;
    case '6': return Real(v) / 10000;
    case '8': return Real(v) / 100000;
    default:
        Fail(n, "GSI 字 " + WordText(w) + " 的单位 '" + std::string(1, w.unit) + "' 未知 (距离应为 0 mm、6 0.1mm、8 0.01mm)");
    }
}

// Leica pads point numbers with zeros on the left.
std::string PointNumber(const GsiWord &w)
{
    std::string_view d = Trimmed(w.data);
    while (d.size() > 1 && d.front() == '0')
        d.remove_prefix(1);
    return std::string(d);
}

} // namespace

bool LooksLikeGsi(std::string_view text)
{
    for (std::string_view line : Lines(text.substr(0, 4096))) {
        line = Trimmed(line);
        if (line.empty())
            continue;
        if (line.front() == '*')
            line.remove_prefix(1);
        return line.size() >= 15 && line.substr(0, 2).find_first_not_of("0123456789") == std::string_view::npos &&
               (line[6] == '+' || line[6] == '-');
    }
    return false;
}

FieldBook ParseGsiBook(std::string_view text)
{
    FieldBook book;
    const std::vector<std::string_view> lines = Lines(text);
    std::string station;
    std::optional<Real> instrumentHeight;
    // the rounds of the current station
    std::string firstTarget;
    int round = 1;
    bool lastLeft = true, closedLeft = false;
    size_t halfCount = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int n = int(i) + 1;
        if (Trimmed(lines[i]).empty())
            continue;
        const std::vector<GsiWord> words = GsiWords(lines[i], n);
        std::map<int, const GsiWord *> byWi;
        for (const GsiWord &w : words)
            byWi[w.wi] = &w;
        const auto word = [&](int wi) { return byWi.count(wi) ? byWi[wi] : nullptr; };
        // Check the units of every word read, also of those the reduction does not use.
        for (int wi : {31, 32, 33, 87, 88})
            if (word(wi))
                GsiLength(*word(wi), n);
        if (!word(21) && word(88)) {
            if (!word(11))
                Fail(n, "设站行 (字 88) 缺少点号 (字 11)");
            station = PointNumber(*word(11));
            instrumentHeight = GsiLength(*word(88), n);
            firstTarget.clear();
            round = 1, lastLeft = true, closedLeft = false, halfCount = 0;
            continue;
        }
        if (!word(21))
            continue; // a line of codes or coordinates: not a pointing
        if (station.empty())
            Fail(n, "观测行之前没有设站行 (字 88 仪器高与字 11 测站点号)");
        if (!word(11))
            Fail(n, "观测行缺少照准点号 (字 11)");
        Pointing p;
        p.line = n;
        p.station = station;
        p.instrumentHeight = instrumentHeight;
        p.target = PointNumber(*word(11));
        if (p.target == station)
            Fail(n, "测站与照准点相同: " + station);
        p.horizontal = GsiAngle(*word(21), n);
        if (p.horizontal < 0 || p.horizontal >= 360)
            Fail(n, "水平度盘读数超出 0°–360°");
        if (word(22)) {
            const Real v = GsiAngle(*word(22), n);
            if (v <= 0 || v >= 360)
                Fail(n, "竖盘读数超出 0°–360°");
            p.vertical = v;
        }
        p.left = !p.vertical || *p.vertical <= 180;
        if (word(31)) {
            p.slope = GsiLength(*word(31), n);
        } else if (word(32) && p.vertical) {
            // An instrument set to record horizontal distances gives word 32 only: the slope
            // distance it reduced is D / sin Z of this pointing's vertical reading.
            const Real sinZ = std::fabs(std::sin(DegToRad(*p.vertical)));
            if (sinZ < MinimumSineOfZenith)
                Fail(n, "平距 (字 32) 的竖盘读数接近天顶或天底，无法还原斜距");
            p.slope = GsiLength(*word(32), n) / sinZ;
        }
        if (p.slope && !(*p.slope > 0))
            Fail(n, "斜距应为正数");
        if (word(87))
            p.targetHeight = GsiLength(*word(87), n);
        // Rounds: a new one where face right turns back to face left, or where face left goes on
        // after it came back to the station's first target.
        if (firstTarget.empty())
            firstTarget = p.target;
        if (p.left && (!lastLeft || closedLeft)) {
            ++round;
            closedLeft = false;
            halfCount = 0;
        }
        if (p.left != lastLeft)
            halfCount = 0;
        ++halfCount;
        if (p.left && halfCount > 1 && p.target == firstTarget)
            closedLeft = true;
        lastLeft = p.left;
        p.round = round;
        book.pointings.push_back(std::move(p));
    }
    if (book.pointings.empty())
        throw Error("GSI 记录中没有观测数据 (字 21 水平度盘读数)");
    return book;
}

FieldBook ParseFieldBook(std::string_view text)
{
    return LooksLikeGsi(text) ? ParseGsiBook(text) : ParseCsvBook(text);
}

} // namespace quorvil::fieldbook
