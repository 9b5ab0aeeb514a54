#include "ObservationFile.h"

#include "GamaFile.h"
#include "SurveyText.h"

#include "core/Error.h"
#include "core/TextForms.h"
#include "io/TextCodec.h"

#include <QStringList>

#include <cmath>
#include <map>
#include <optional>

namespace quorvil {

using namespace network;

namespace {

constexpr Real ArcSecondToRad = Pi / 648000;
constexpr Real CcToRad = Pi / 2000000;

enum class Section {
    None, Parameters, Known, Approximate, Constrained, Directions, Angles, Distances, Azimuths, Levelling, Trigonometric,
    SlopeDistances, ZenithAngles, HeightDifferences, InstrumentHeights
};

struct SectionName {
    const char *name;
    Section section;
};

const SectionName SectionNames[] = {
    {"参数", Section::Parameters},  {"已知点", Section::Known},   {"近似坐标", Section::Approximate},
    {"约束点", Section::Constrained},
    {"方向", Section::Directions},  {"角度", Section::Angles},    {"距离", Section::Distances},
    {"方位角", Section::Azimuths},  {"水准", Section::Levelling},  {"三角高程", Section::Trigonometric},
    {"斜距", Section::SlopeDistances}, {"天顶距", Section::ZenithAngles}, {"高差", Section::HeightDifferences},
    {"仪器高", Section::InstrumentHeights},
};

std::optional<Section> SectionOf(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'[') || !t.endsWith(u']'))
        return std::nullopt;
    const QString name = t.mid(1, t.size() - 2).trimmed();
    for (const SectionName &s : SectionNames)
        if (name == QString::fromUtf8(s.name))
            return s.section;
    return Section::None;
}

QStringList Lines(const QByteArray &bytes)
{
    QString text = DecodeText(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList lines = text.split(u'\n');
    for (QString &l : lines) {
        if (l.endsWith(u'\r'))
            l.chop(1);
        // a comment after white space runs to the end of the line
        for (qsizetype i = 1; i < l.size(); ++i)
            if (l[i] == u'#' && (l[i - 1] == u' ' || l[i - 1] == u'\t')) {
                l.truncate(i);
                break;
            }
    }
    return lines;
}

bool IsComment(const QString &line)
{
    const QString t = line.trimmed();
    return t.isEmpty() || t.startsWith(u'#');
}

class Reader {
public:
    SurveyFile read(const QByteArray &bytes);

private:
    SurveyFile m_file;
    Network &net() { return m_file.network; }
    std::map<std::string, int> m_index;
    std::map<std::string, int> m_knownLine;
    int m_line = 0;
    // a priori errors
    Real m_direction = 5 * ArcSecondToRad;
    std::optional<Real> m_angle, m_azimuth, m_zenith;
    // The instrument heights of [仪器高] by station, and the 3D observations that leave theirs to it.
    std::map<int, Real> m_instrumentHeight;
    std::vector<size_t> m_stationHeightPending;
    Real m_distA = 0.005, m_distB = 5; // m, ppm
    Real m_perKm = 0.010, m_perStation = 0.003;

    [[noreturn]] void fail(const std::string &message) const
    {
        throw Error("第 " + std::to_string(m_line) + " 行: " + message);
    }
    static std::string Text(const QString &s) { return s.trimmed().toStdString(); }
    Real number(const QString &field, const char *what) const
    {
        const std::string t = Text(field);
        if (t.empty())
            fail(std::string("缺少") + what);
        const std::optional<Real> v = ParseNumber(t);
        if (!v)
            fail(std::string(what) + " '" + t + "' 不是数字");
        return *v;
    }
    // ddd.mmss in radians; minutes and seconds must be below 60
    Real angle(const QString &field, const char *what) const
    {
        const std::string t = Text(field);
        const Real packed = number(field, what);
        const size_t point = t.find('.');
        if (point != std::string::npos) {
            const std::string digits = t.substr(point + 1) + "0000";
            if ((digits[0] - '0') * 10 + (digits[1] - '0') >= 60 || (digits[2] - '0') * 10 + (digits[3] - '0') >= 60)
                fail(std::string(what) + " '" + t + "' 的分或秒不小于 60 (角度写作 度.分秒, 如 45.3012)");
        }
        return DegToRad(DmsToDeg(packed));
    }
    // a standard deviation: ″ by default, "cc" for centesimal seconds; nullopt when empty
    std::optional<Real> angularStdev(const QString &field) const
    {
        QString t = field.trimmed();
        if (t.isEmpty())
            return std::nullopt;
        Real unit = ArcSecondToRad;
        if (t.endsWith(QStringLiteral("cc"), Qt::CaseInsensitive)) {
            unit = CcToRad;
            t.chop(2);
        } else if (t.endsWith(u'"') || t.endsWith(QChar(0x2033))) {
            t.chop(1);
        }
        const Real v = number(t, "中误差");
        if (!(v > 0))
            fail("中误差必须为正数: '" + Text(field) + "'");
        return v * unit;
    }
    std::optional<Real> linearStdev(const QString &field) const // mm in, metres out
    {
        if (field.trimmed().isEmpty())
            return std::nullopt;
        const Real v = number(field, "中误差");
        if (!(v > 0))
            fail("中误差必须为正数: '" + Text(field) + "'");
        return v / 1000;
    }
    int pointOf(const QString &field, const char *what)
    {
        const std::string id = Text(field);
        if (id.empty())
            fail(std::string("缺少") + what);
        const auto it = m_index.find(id);
        if (it != m_index.end())
            return it->second;
        Point p;
        p.id = id;
        p.line = m_line;
        m_index.emplace(id, int(net().points.size()));
        net().points.push_back(p);
        return int(net().points.size()) - 1;
    }
    void plane(int p)
    {
        Point &pt = net().points[size_t(p)];
        if (pt.plane == Role::Unused)
            pt.plane = Role::Adjusted;
    }
    void height(int p)
    {
        Point &pt = net().points[size_t(p)];
        if (pt.height == Role::Unused)
            pt.height = Role::Adjusted;
    }
    Real distanceStdev(Real d) const { return m_distA + m_distB * d * 1e-6L; }
    void add(Observation o)
    {
        o.line = m_line;
        net().observations.push_back(o);
    }
    void parameter(const QStringList &f);
    void known(const QStringList &f, bool approximate);
    // A slope distance or a zenith angle: 测站,照准点,值,仪器高,觇标高,中误差. An empty 仪器高 is the
    // station's of [仪器高] (0 without one), an empty 觇标高 0.
    void spatial(const QStringList &f, ObservationKind kind);
    // The start, end and value of a height difference ([水准], [三角高程]); its weight is the caller's.
    Observation heightDifference(const QStringList &f)
    {
        Observation o;
        o.kind = ObservationKind::HeightDifference;
        o.from = pointOf(f.value(0), "起点名");
        o.to = pointOf(f.value(1), "终点名");
        if (o.from == o.to)
            fail("起点与终点相同: " + net().points[size_t(o.from)].id);
        height(o.from), height(o.to);
        o.value = number(f.value(2), "高差");
        return o;
    }
};

void Reader::spatial(const QStringList &f, ObservationKind kind)
{
    Observation o;
    o.kind = kind;
    o.from = pointOf(f.value(0), "测站点名");
    o.to = pointOf(f.value(1), "照准点名");
    if (o.from == o.to)
        fail("测站与照准点相同: " + net().points[size_t(o.from)].id);
    plane(o.from), plane(o.to), height(o.from), height(o.to);
    if (kind == ObservationKind::SlopeDistance) {
        o.value = number(f.value(2), "斜距");
        if (!(o.value > 0))
            fail("斜距必须大于零");
        o.stdev = linearStdev(f.value(5)).value_or(distanceStdev(o.value));
    } else {
        o.value = angle(f.value(2), "天顶距");
        if (!(o.value >= 0 && o.value <= Pi))
            fail("天顶距 '" + Text(f.value(2)) + "' 应在 0°–180° 之间");
        o.stdev = angularStdev(f.value(5)).value_or(m_zenith.value_or(m_direction));
    }
    if (f.value(3).trimmed().isEmpty())
        m_stationHeightPending.push_back(net().observations.size());
    else
        o.fromDh = number(f.value(3), "仪器高");
    if (!f.value(4).trimmed().isEmpty())
        o.toDh = number(f.value(4), "觇标高");
    add(o);
}

void Reader::parameter(const QStringList &f)
{
    const QString key = f.value(0).trimmed();
    const QString value = f.value(1).trimmed();
    SurveyHeader &h = m_file.header;
    if (key == QStringLiteral("工程名称"))
        h.project = value, net().description = value.toStdString();
    else if (key == QStringLiteral("等级"))
        h.grade = value;
    else if (key == QStringLiteral("计算者"))
        h.calculator = value;
    else if (key == QStringLiteral("校核者"))
        h.checker = value;
    else if (key == QStringLiteral("日期"))
        h.date = value;
    else if (key == QStringLiteral("方向中误差"))
        m_direction = angularStdev(value).value_or(m_direction);
    else if (key == QStringLiteral("测角中误差"))
        m_angle = angularStdev(value);
    else if (key == QStringLiteral("方位角中误差"))
        m_azimuth = angularStdev(value);
    else if (key == QStringLiteral("天顶距中误差"))
        m_zenith = angularStdev(value);
    else if (key == QStringLiteral("测距中误差")) {
        m_distA = number(f.value(1), "测距固定误差 a (mm)") / 1000;
        m_distB = f.value(2).trimmed().isEmpty() ? 0 : number(f.value(2), "测距比例误差 b (ppm)");
        if (!(m_distA > 0) || m_distB < 0)
            fail("测距中误差 a 必须为正数, b 不能为负数");
    } else if (key == QStringLiteral("每公里高差中误差")) {
        m_perKm = number(value, "每公里高差中误差") / 1000;
        if (!(m_perKm > 0))
            fail("每公里高差中误差必须为正数");
    } else if (key == QStringLiteral("每测站高差中误差")) {
        m_perStation = number(value, "每测站高差中误差") / 1000;
        if (!(m_perStation > 0))
            fail("每测站高差中误差必须为正数");
    } else if (key == QStringLiteral("单位权中误差")) {
        net().settings.sigma0 = number(value, "单位权中误差");
        if (!(net().settings.sigma0 > 0))
            fail("单位权中误差必须为正数");
    } else if (key == QStringLiteral("精度评定")) {
        // the σ0 of the precision figures: 验后 (the adjustment's, the default) or 验前 (单位权中误差)
        if (value == QStringLiteral("验后"))
            net().settings.aposteriori = true;
        else if (value == QStringLiteral("验前"))
            net().settings.aposteriori = false;
        else
            fail("精度评定应为 验前 或 验后, 而不是 '" + Text(value) + "'");
    } else if (key == QStringLiteral("置信概率")) {
        net().settings.confidence = number(value, "置信概率");
        if (!(net().settings.confidence > 0 && net().settings.confidence < 1))
            fail("置信概率必须在 0 与 1 之间");
    } else {
        fail("未知的参数 '" + Text(key) + "'");
    }
}

void Reader::known(const QStringList &f, bool approximate)
{
    const int p = pointOf(f.value(0), "点名");
    Point &pt = net().points[size_t(p)];
    const bool hasXY = !f.value(1).trimmed().isEmpty() || !f.value(2).trimmed().isEmpty();
    const bool hasH = !f.value(3).trimmed().isEmpty();
    if (!hasXY && !hasH)
        fail("点 " + pt.id + " 没有给出坐标或高程");
    if (hasXY) {
        const Real x = number(f.value(1), "X 坐标"), y = number(f.value(2), "Y 坐标");
        if (pt.hasXY && (pt.x != x || pt.y != y))
            fail("点 " + pt.id + " 重复, 坐标与第 " + std::to_string(m_knownLine[pt.id]) + " 行不同");
        pt.x = x, pt.y = y, pt.hasXY = true;
        if (!approximate)
            pt.plane = Role::Fixed;
    }
    if (hasH) {
        const Real z = number(f.value(3), "高程");
        if (pt.hasZ && pt.z != z)
            fail("点 " + pt.id + " 重复, 高程与第 " + std::to_string(m_knownLine[pt.id]) + " 行不同");
        pt.z = z, pt.hasZ = true;
        if (!approximate)
            pt.height = Role::Fixed;
    }
    if (!m_knownLine.count(pt.id))
        m_knownLine[pt.id] = m_line;
    pt.line = m_line;
}

SurveyFile Reader::read(const QByteArray &bytes)
{
    const QStringList lines = Lines(bytes);
    Section section = Section::None;
    int setStation = -1;
    int set = -1;
    std::vector<int> setSize;
    for (int i = 0; i < lines.size(); ++i) {
        m_line = i + 1;
        const QString &line = lines[i];
        if (IsComment(line)) {
            if (line.trimmed().isEmpty())
                setStation = -1; // a blank line ends a direction set
            continue;
        }
        if (const auto s = SectionOf(line)) {
            if (*s == Section::None)
                fail("未知的节 " + Text(line) +
                     " (应为 [参数] [已知点] [近似坐标] [约束点] [方向] [角度] [距离] [方位角] [水准] [三角高程] [斜距] [天顶距] [高差] [仪器高])");
            section = *s;
            setStation = -1;
            continue;
        }
        const QStringList f = line.split(u',');
        switch (section) {
        case Section::None:
            fail("数据行之前须有节名, 如 [已知点]");
        case Section::Parameters: parameter(f); break;
        case Section::Known: known(f, false); break;
        case Section::Approximate: known(f, true); break;
        case Section::Constrained: {
            const int p = pointOf(f.value(0), "点名");
            Point &pt = net().points[size_t(p)];
            if (pt.plane == Role::Fixed)
                fail("点 " + pt.id + " 已是已知点, 不能再作约束点");
            pt.plane = Role::Constrained;
            if (!f.value(1).trimmed().isEmpty() || !f.value(2).trimmed().isEmpty()) {
                pt.x = number(f.value(1), "X 坐标"), pt.y = number(f.value(2), "Y 坐标");
                pt.hasXY = true;
            }
            break;
        }
        case Section::Directions: {
            const int st = pointOf(f.value(0), "测站点名");
            const int to = pointOf(f.value(1), "照准点名");
            if (st == to)
                fail("测站与照准点相同: " + net().points[size_t(st)].id);
            if (st != setStation) {
                set = int(net().sets.size());
                net().sets.push_back({st, m_line});
                setStation = st;
            }
            plane(st), plane(to);
            Observation o;
            o.kind = ObservationKind::Direction;
            o.set = set;
            o.to = to;
            o.value = angle(f.value(2), "方向值");
            o.stdev = angularStdev(f.value(4)).value_or(m_direction);
            add(o);
            if (!f.value(3).trimmed().isEmpty()) {
                Observation d;
                d.kind = ObservationKind::Distance;
                d.from = st, d.to = to;
                d.value = number(f.value(3), "平距");
                if (!(d.value > 0))
                    fail("平距必须大于零");
                d.stdev = linearStdev(f.value(5)).value_or(distanceStdev(d.value));
                add(d);
            }
            break;
        }
        case Section::Angles: {
            Observation o;
            o.kind = ObservationKind::Angle;
            o.from = pointOf(f.value(0), "测站点名");
            o.bs = pointOf(f.value(1), "后视点名");
            o.to = pointOf(f.value(2), "前视点名");
            if (o.from == o.bs || o.from == o.to || o.bs == o.to)
                fail("角度的测站、后视点与前视点必须各不相同");
            plane(o.from), plane(o.bs), plane(o.to);
            o.value = angle(f.value(3), "角值");
            o.stdev = angularStdev(f.value(4)).value_or(m_angle.value_or(m_direction * std::sqrt(Real(2))));
            add(o);
            break;
        }
        case Section::Distances:
        case Section::Azimuths: {
            Observation o;
            o.from = pointOf(f.value(0), "起点名");
            o.to = pointOf(f.value(1), "终点名");
            if (o.from == o.to)
                fail("起点与终点相同: " + net().points[size_t(o.from)].id);
            plane(o.from), plane(o.to);
            if (section == Section::Distances) {
                o.kind = ObservationKind::Distance;
                o.value = number(f.value(2), "平距");
                if (!(o.value > 0))
                    fail("平距必须大于零");
                o.stdev = linearStdev(f.value(3)).value_or(distanceStdev(o.value));
            } else {
                o.kind = ObservationKind::Azimuth;
                o.value = angle(f.value(2), "方位角");
                o.stdev = angularStdev(f.value(3)).value_or(m_azimuth.value_or(m_direction));
            }
            add(o);
            break;
        }
        case Section::Levelling: {
            Observation o = heightDifference(f);
            const QString length = f.value(3).trimmed(), stations = f.value(4).trimmed();
            if (const auto s = linearStdev(f.value(5))) {
                o.stdev = *s;
            } else if (!stations.isEmpty()) {
                const Real n = number(stations, "测站数");
                if (!(n > 0))
                    fail("测站数必须大于零");
                o.stdev = m_perStation * std::sqrt(n);
            } else if (!length.isEmpty()) {
                const Real l = number(length, "路线长");
                if (!(l > 0))
                    fail("路线长必须大于零");
                o.stdev = m_perKm * std::sqrt(l);
            } else {
                fail("高差须给出路线长 (km)、测站数或中误差之一以定权");
            }
            add(o);
            break;
        }
        case Section::SlopeDistances: spatial(f, ObservationKind::SlopeDistance); break;
        case Section::ZenithAngles: spatial(f, ObservationKind::ZenithAngle); break;
        case Section::HeightDifferences: {
            Observation o = heightDifference(f);
            const auto sigma = linearStdev(f.value(3));
            if (!sigma)
                fail("高差须给出中误差 (mm); 按路线长或测站数定权的高差写在 [水准] 节");
            o.stdev = *sigma;
            add(o);
            break;
        }
        case Section::InstrumentHeights: {
            const int p = pointOf(f.value(0), "测站点名");
            const Real h = number(f.value(1), "仪器高");
            if (m_instrumentHeight.count(p) && m_instrumentHeight[p] != h)
                fail("测站 " + net().points[size_t(p)].id + " 的仪器高重复且不同");
            m_instrumentHeight[p] = h;
            break;
        }
        case Section::Trigonometric: {
            // weight 1/D²: σ = 每公里高差中误差 × D (km)
            Observation o = heightDifference(f);
            const Real d = number(f.value(3), "平距");
            if (!(d > 0))
                fail("平距必须大于零");
            o.stdev = linearStdev(f.value(4)).value_or(m_perKm * d / 1000);
            add(o);
            break;
        }
        }
    }
    // the sets by station: a set of a single direction is an error the engine names
    m_line = 0;
    for (const size_t i : m_stationHeightPending) {
        Observation &o = net().observations[i];
        const auto it = m_instrumentHeight.find(o.from);
        o.fromDh = it == m_instrumentHeight.end() ? 0 : it->second;
    }
    if (net().observations.empty())
        throw Error("观测文件中没有观测值");
    return std::move(m_file);
}

} // namespace

bool LooksLikeObservationFile(const QByteArray &bytes)
{
    const QStringList lines = Lines(bytes.left(65536));
    for (const QString &line : lines) {
        if (IsComment(line))
            continue;
        return SectionOf(line).has_value(); // an unknown section is the reader's message
    }
    return false;
}

SurveyFile ParseObservationFile(const QByteArray &bytes)
{
    return Reader().read(bytes);
}

SurveyFile ParseNetworkFile(const QByteArray &bytes)
{
    if (LooksLikeGama(bytes)) {
        SurveyFile file;
        file.network = ParseGama(bytes);
        file.header.project = QString::fromStdString(file.network.description).section(u'\n', 0, 0).trimmed();
        return file;
    }
    if (LooksLikeObservationFile(bytes))
        return ParseObservationFile(bytes);
    throw Error("文件既不是 Quorvil 的控制网观测文件 (以 [参数]、[已知点] 等节开始), 也不是 GNU Gama 的 gama-local 文件 (.gkf)");
}

} // namespace quorvil
