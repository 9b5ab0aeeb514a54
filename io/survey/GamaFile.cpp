#include "GamaFile.h"

#include "SurveyText.h"

#include "core/Error.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>
#include <optional>

namespace quorvil {

using namespace network;

namespace {

constexpr Real CcToRad = Pi / 2000000; // 1 cc = 1e-4 gon
constexpr Real ArcSecondToRad = Pi / 648000;

// The line of a byte offset, from a table of the offsets where lines start, made in one pass.
class LineTable {
public:
    explicit LineTable(const QByteArray &bytes)
    {
        m_starts.push_back(0);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            if (bytes.constData()[i] == '\n')
                m_starts.push_back(i + 1);
    }
    // 1 for the first line; 0 for an offset pugixml does not know.
    int lineOf(ptrdiff_t offset) const
    {
        if (offset < 0)
            return 0;
        return int(std::upper_bound(m_starts.begin(), m_starts.end(), qsizetype(offset)) - m_starts.begin());
    }

private:
    std::vector<qsizetype> m_starts;
};

class GamaReader {
public:
    explicit GamaReader(const QByteArray &bytes) : m_bytes(bytes), m_lines(bytes) {}
    Network read();

private:
    const QByteArray &m_bytes;
    const LineTable m_lines;
    Network m_net;
    std::map<std::string, int> m_index;
    // defaults of <points-observations>
    struct Defaults {
        // as written: cc for a gon value, arc seconds for a d-m-s (or degree) value
        std::optional<Real> direction, angle, azimuth, zenith;
        bool directionSet = false;
        std::optional<Real> distA;
        Real distB = 0, distC = 1;
    } m_def;

    int lineOf(const pugi::xml_node &node) const { return m_lines.lineOf(node.offset_debug()); }
    [[noreturn]] void fail(const pugi::xml_node &node, const std::string &message) const
    {
        throw Error("gama-local 第 " + std::to_string(lineOf(node)) + " 行 <" + node.name() + ">: " + message);
    }
    std::string attr(const pugi::xml_node &node, const char *name) const
    {
        return std::string(Trimmed(node.attribute(name).value()));
    }
    bool has(const pugi::xml_node &node, const char *name) const { return !node.attribute(name).empty(); }
    Real number(const pugi::xml_node &node, const char *name) const
    {
        const std::string text = attr(node, name);
        if (text.empty())
            fail(node, std::string("缺少属性 ") + name);
        const std::optional<Real> v = ParseNumber(text);
        if (!v)
            fail(node, std::string("属性 ") + name + "=\"" + text + "\" 不是数字");
        return *v;
    }
    // an angle in radians; `dms` tells the unit of its standard deviation
    Real angle(const pugi::xml_node &node, const char *name, bool &dms) const
    {
        const std::string text = attr(node, name);
        if (text.empty())
            fail(node, std::string("缺少属性 ") + name);
        const std::optional<Real> deg = ParseDashedDms(text);
        if (deg) {
            dms = true;
            return DegToRad(*deg);
        }
        if (text.find('-', 1) != std::string::npos)
            fail(node, std::string("角度 ") + name + "=\"" + text + "\" 不是有效的度-分-秒");
        dms = m_degrees;
        const std::optional<Real> value = ParseNumber(text);
        if (!value)
            fail(node, std::string("角度 ") + name + "=\"" + text + "\" 不是数字");
        return m_degrees ? DegToRad(*value) : *value * Pi / 200;
    }
    int point(const pugi::xml_node &node, const char *name) const
    {
        const std::string id = attr(node, name);
        if (id.empty())
            fail(node, std::string("缺少点名属性 ") + name);
        const auto it = m_index.find(id);
        if (it == m_index.end())
            throw Undeclared{node, id};
        return it->second;
    }
    // An observation of a point that no <point> declares: gama-local leaves it out, and so does
    // this reader, with a note.
    struct Undeclared {
        pugi::xml_node node;
        std::string id;
    };
    void setAside(const pugi::xml_node &node, const std::string &what)
    {
        m_net.setAside.push_back("第 " + std::to_string(lineOf(node)) + " 行 <" + node.name() + ">: " + what);
    }
    void undeclared(const Undeclared &u, const pugi::xml_node &observation, const std::string &what)
    {
        setAside(observation, "点 " + u.id + " 没有在 <point> 中定义, " + what);
    }
    void heightsOnlyWhereObserved();
    void parameters(const pugi::xml_node &node);
    void pointElement(const pugi::xml_node &node, bool observed);
    void collectPoints(const pugi::xml_node &section);
    void observations(const pugi::xml_node &section);
    void obsSet(const pugi::xml_node &node);
    void heightDifferences(const pugi::xml_node &node);
    void coordinates(const pugi::xml_node &node);
    // variances of a <cov-mat band="0"> in the set's order, or none
    std::optional<std::vector<Real>> covariance(const pugi::xml_node &set, size_t count) const;
    void unsupported(const pugi::xml_node &node) const
    {
        const std::string n = node.name();
        if (n == "vectors" || n == "vec")
            fail(node, "不支持坐标差向量观测");
        fail(node, "不支持的元素");
    }
    Real distanceDefault(const pugi::xml_node &node, Real distance) const
    {
        if (m_setHasCov)
            return 1; // replaced by the covariance matrix of the set
        if (!m_def.distA)
            fail(node, "没有给出中误差 (stdev), <points-observations> 也没有 distance-stdev");
        return (*m_def.distA + m_def.distB * std::pow(distance / 1000, m_def.distC)) / 1000;
    }
    Real angularStdev(const pugi::xml_node &node, bool dms, const std::optional<Real> &fallback, const char *defaultName) const
    {
        if (has(node, "stdev")) {
            const Real s = number(node, "stdev");
            return s * (dms ? ArcSecondToRad : CcToRad);
        }
        if (m_setHasCov)
            return 1; // replaced by the covariance matrix of the set
        if (!fallback)
            fail(node, std::string("没有给出中误差 (stdev), <points-observations> 也没有 ") + defaultName);
        return *fallback * (dms ? ArcSecondToRad : CcToRad);
    }
    void addObservation(Observation o, const pugi::xml_node &node)
    {
        o.line = lineOf(node);
        m_net.observations.push_back(o);
    }
    // the angular unit of <parameters angular> (or the older angles="360"): values written as plain
    // numbers are degrees and every angular standard deviation is in arc seconds
    void angularUnit(const pugi::xml_node &node, const char *name)
    {
        const std::string a = attr(node, name);
        if (a == "360")
            m_degrees = true;
        else if (a == "400")
            m_degrees = false;
        else
            fail(node, std::string(name) + "=\"" + a + "\" 无效 (应为 400 或 360)");
    }
    bool m_setHasCov = false;
    bool m_degrees = false;
};

Network GamaReader::read()
{
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(m_bytes.constData(), size_t(m_bytes.size()));
    if (!parsed)
        throw Error("gama-local 第 " + std::to_string(m_lines.lineOf(parsed.offset)) + " 行: XML 格式错误 (" +
                    parsed.description() + ")");
    const pugi::xml_node root = doc.document_element();
    if (std::string(root.name()) != "gama-local")
        throw Error("不是 gama-local 文件: 根元素是 <" + std::string(root.name()) + ">");
    m_net.settings.sigma0 = 10; // Gama's default
    int networks = 0;
    for (const pugi::xml_node &network : root.children()) {
        if (network.type() != pugi::node_element)
            continue;
        if (std::string(network.name()) != "network")
            unsupported(network);
        if (++networks > 1)
            fail(network, "只能有一个 <network>");
        if (has(network, "axes-xy")) {
            Axes axes;
            if (!AxesFromName(attr(network, "axes-xy"), axes))
                fail(network, "axes-xy=\"" + attr(network, "axes-xy") + "\" 无效 (应为 ne, sw, es, wn, en, nw, se 或 ws)");
            m_net.settings.axes = axes;
        }
        if (has(network, "angles")) {
            const std::string a = attr(network, "angles");
            if (a == "left-handed")
                m_net.settings.clockwise = true;
            else if (a == "right-handed")
                m_net.settings.clockwise = false;
            else if (a == "360" || a == "400")
                angularUnit(network, "angles");
            else
                fail(network, "angles=\"" + a + "\" 无效 (应为 left-handed 或 right-handed)");
        }
        if (has(network, "angular"))
            angularUnit(network, "angular");
        // points first (they may follow the observations that use them), then the observations
        for (const pugi::xml_node &section : network.children()) {
            if (section.type() != pugi::node_element)
                continue;
            const std::string n = section.name();
            if (n == "description") {
                if (!m_net.description.empty())
                    m_net.description += "\n";
                m_net.description += Trimmed(section.child_value());
            } else if (n == "parameters") {
                parameters(section);
            } else if (n == "points-observations") {
                collectPoints(section);
            } else {
                unsupported(section);
            }
        }
        for (const pugi::xml_node &section : network.children("points-observations"))
            observations(section);
    }
    if (networks == 0)
        throw Error("gama-local 文件中没有 <network>");
    heightsOnlyWhereObserved();
    return std::move(m_net);
}

void GamaReader::parameters(const pugi::xml_node &node)
{
    if (has(node, "sigma-apr"))
        m_net.settings.sigma0 = number(node, "sigma-apr");
    if (!(m_net.settings.sigma0 > 0))
        fail(node, "sigma-apr 必须为正数");
    if (has(node, "conf-pr"))
        m_net.settings.confidence = number(node, "conf-pr");
    if (!(m_net.settings.confidence > 0 && m_net.settings.confidence < 1))
        fail(node, "conf-pr 必须在 0 与 1 之间");
    if (has(node, "angular"))
        angularUnit(node, "angular");
    if (has(node, "angles"))
        angularUnit(node, "angles");
    if (has(node, "sigma-act")) {
        const std::string a = attr(node, "sigma-act");
        if (a == "aposteriori")
            m_net.settings.aposteriori = true;
        else if (a == "apriori")
            m_net.settings.aposteriori = false;
        else
            fail(node, "sigma-act=\"" + a + "\" 无效 (应为 apriori 或 aposteriori)");
    }
}

void GamaReader::pointElement(const pugi::xml_node &node, bool observed)
{
    const std::string id = attr(node, "id");
    if (id.empty())
        fail(node, "缺少点名属性 id");
    Point p;
    p.id = id;
    p.line = lineOf(node);
    const bool hx = has(node, "x"), hy = has(node, "y"), hz = has(node, "z");
    if (hx != hy)
        fail(node, "点 " + id + " 只给出了 x、y 中的一个");
    if (hx)
        p.x = number(node, "x"), p.y = number(node, "y"), p.hasXY = true;
    if (hz)
        p.z = number(node, "z"), p.hasZ = true;
    const auto roles = [&](const char *name, bool fix) {
        if (!has(node, name))
            return;
        const std::string r = attr(node, name);
        static const char *const valid[] = {"xy", "XY", "z", "Z", "xyz", "XYZ", "xyZ", "XYz"};
        bool ok = false;
        for (const char *v : valid)
            ok = ok || r == v;
        if (!ok)
            fail(node, std::string(name) + "=\"" + r + "\" 无效");
        const bool planeUpper = r.rfind("XY", 0) == 0, plane = planeUpper || r.rfind("xy", 0) == 0;
        const bool heightUpper = !r.empty() && r.back() == 'Z', height = heightUpper || (!r.empty() && r.back() == 'z');
        if (plane && (fix || p.plane != Role::Fixed))
            p.plane = fix ? Role::Fixed : planeUpper ? Role::Constrained : Role::Adjusted;
        if (height && (fix || p.height != Role::Fixed))
            p.height = fix ? Role::Fixed : heightUpper ? Role::Constrained : Role::Adjusted;
    };
    roles("adj", false);
    roles("fix", true); // fix takes precedence
    const auto it = m_index.find(id);
    if (it == m_index.end()) {
        m_index.emplace(id, int(m_net.points.size()));
        m_net.points.push_back(p);
    } else {
        Point &old = m_net.points[size_t(it->second)];
        // the x, y of an observed point are its observation, not a second definition
        if (observed)
            p.hasXY = p.hasZ = false;
        if (p.hasXY) {
            if (old.hasXY && (old.x != p.x || old.y != p.y))
                fail(node, "点 " + id + " 重复, 坐标与第 " + std::to_string(old.line) + " 行不同");
            old.x = p.x, old.y = p.y, old.hasXY = true;
        }
        if (p.hasZ) {
            if (old.hasZ && old.z != p.z)
                fail(node, "点 " + id + " 重复, 高程与第 " + std::to_string(old.line) + " 行不同");
            old.z = p.z, old.hasZ = true;
        }
        if (p.plane != Role::Unused && (old.plane == Role::Unused || p.plane == Role::Fixed))
            old.plane = p.plane;
        if (p.height != Role::Unused && (old.height == Role::Unused || p.height == Role::Fixed))
            old.height = p.height;
    }
}

void GamaReader::collectPoints(const pugi::xml_node &section)
{
    for (const pugi::xml_node &node : section.children()) {
        if (node.type() != pugi::node_element)
            continue;
        const std::string n = node.name();
        if (n == "point")
            pointElement(node, false);
        else if (n == "coordinates")
            for (const pugi::xml_node &c : node.children("point"))
                pointElement(c, true);
    }
}

std::optional<std::vector<Real>> GamaReader::covariance(const pugi::xml_node &set, size_t count) const
{
    const pugi::xml_node cov = set.child("cov-mat");
    if (!cov)
        return std::nullopt;
    const Real dim = number(cov, "dim"), band = number(cov, "band");
    if (dim != Real(count))
        fail(cov, "dim=\"" + attr(cov, "dim") + "\" 与观测数 " + std::to_string(count) + " 不符");
    if (band != 0)
        fail(cov, "band=\"" + attr(cov, "band") + "\": 只支持不相关的观测 (band=\"0\"), 不支持相关的协方差矩阵");
    std::string text;
    for (const pugi::xml_node &c : cov.children()) {
        if (c.type() == pugi::node_pcdata)
            text += std::string(" ") + c.value();
        else if (c.type() == pugi::node_element)
            text += std::string(" ") + c.child_value();
    }
    std::vector<Real> values;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        size_t j = i;
        while (j < text.size() && !std::isspace(static_cast<unsigned char>(text[j])))
            ++j;
        if (j > i) {
            const std::optional<Real> v = ParseNumber(text.substr(i, j - i));
            if (!v)
                fail(cov, "\"" + text.substr(i, j - i) + "\" 不是数字");
            values.push_back(*v);
        }
        i = j;
    }
    if (values.size() != count)
        fail(cov, "应有 " + std::to_string(count) + " 个方差, 实有 " + std::to_string(values.size()) + " 个");
    for (Real v : values)
        if (!(v > 0))
            fail(cov, "方差必须为正数");
    return values;
}

void GamaReader::observations(const pugi::xml_node &section)
{
    // defaults
    if (has(section, "direction-stdev"))
        m_def.direction = number(section, "direction-stdev");
    if (has(section, "angle-stdev"))
        m_def.angle = number(section, "angle-stdev");
    if (has(section, "azimuth-stdev"))
        m_def.azimuth = number(section, "azimuth-stdev");
    if (has(section, "zenith-angle-stdev"))
        m_def.zenith = number(section, "zenith-angle-stdev");
    if (has(section, "distance-stdev")) {
        const std::string text = attr(section, "distance-stdev");
        std::vector<Real> abc;
        size_t i = 0;
        while (i < text.size()) {
            while (i < text.size() && text[i] == ' ')
                ++i;
            size_t j = text.find(' ', i);
            if (j == std::string::npos)
                j = text.size();
            if (j > i) {
                const std::optional<Real> v = ParseNumber(text.substr(i, j - i));
                if (!v)
                    fail(section, "distance-stdev=\"" + text + "\" 无效");
                abc.push_back(*v);
            }
            i = j;
        }
        if (abc.empty() || abc.size() > 3)
            fail(section, "distance-stdev=\"" + text + "\" 无效");
        m_def.distA = abc[0];
        m_def.distB = abc.size() > 1 ? abc[1] : 0;
        m_def.distC = abc.size() > 2 ? abc[2] : 1;
    }
    for (const pugi::xml_node &node : section.children()) {
        if (node.type() != pugi::node_element)
            continue;
        const std::string n = node.name();
        if (n == "point")
            continue;
        if (n == "obs")
            obsSet(node);
        else if (n == "height-differences")
            heightDifferences(node);
        else if (n == "coordinates")
            coordinates(node);
        else
            unsupported(node);
    }
}

void GamaReader::obsSet(const pugi::xml_node &node)
{
    m_setHasCov = bool(node.child("cov-mat"));
    const bool hasFrom = has(node, "from");
    int from = -1;
    try {
        from = hasFrom ? point(node, "from") : -1;
    } catch (const Undeclared &u) {
        int count = 0;
        for (const pugi::xml_node &o : node.children())
            count += o.type() == pugi::node_element && std::string(o.name()) != "cov-mat";
        undeclared(u, node, "该测站的 " + std::to_string(count) + " 个观测已剔除");
        m_setHasCov = false;
        return;
    }
    const Real setFromDh = has(node, "from_dh") ? number(node, "from_dh") : 0;
    int set = -1;
    std::vector<int> slot; // per observation of the element: its index in the network, or −1
    std::vector<char> dmsOf;
    for (const pugi::xml_node &o : node.children()) {
        if (o.type() != pugi::node_element)
            continue;
        const std::string n = o.name();
        if (n == "cov-mat")
            continue;
        Observation ob;
        bool dms = false;
        const auto station = [&](const char *name) {
            if (has(o, name))
                return point(o, name);
            if (from < 0)
                fail(o, std::string("缺少测站属性 ") + name + " (所在 <obs> 也没有 from)");
            return from;
        };
        try {
            if (n == "direction") {
                if (from < 0)
                    fail(o, "方向观测须在带 from 属性的 <obs from=\"…\"> 中");
                if (has(o, "from"))
                    fail(o, "方向观测的测站由 <obs from> 给出, <direction> 不能再有 from");
                ob.kind = ObservationKind::Direction;
                ob.to = point(o, "to");
                if (set < 0) {
                    set = int(m_net.sets.size());
                    m_net.sets.push_back({from, lineOf(node)});
                }
                ob.set = set;
                ob.value = angle(o, "val", dms);
                ob.stdev = angularStdev(o, dms, m_def.direction, "direction-stdev");
            } else if (n == "distance" || n == "s-distance") {
                ob.kind = n == "distance" ? ObservationKind::Distance : ObservationKind::SlopeDistance;
                ob.from = station("from");
                ob.to = point(o, "to");
                ob.value = number(o, "val");
                ob.stdev = has(o, "stdev") ? number(o, "stdev") / 1000 : distanceDefault(o, ob.value);
            } else if (n == "angle") {
                ob.kind = ObservationKind::Angle;
                ob.from = station("from");
                ob.bs = point(o, "bs");
                ob.to = point(o, "fs");
                ob.value = angle(o, "val", dms);
                ob.stdev = angularStdev(o, dms, m_def.angle, "angle-stdev");
            } else if (n == "azimuth") {
                ob.kind = ObservationKind::Azimuth;
                ob.from = station("from");
                ob.to = point(o, "to");
                ob.value = angle(o, "val", dms);
                ob.stdev = angularStdev(o, dms, m_def.azimuth, "azimuth-stdev");
            } else if (n == "z-angle") {
                ob.kind = ObservationKind::ZenithAngle;
                ob.from = station("from");
                ob.to = point(o, "to");
                ob.value = angle(o, "val", dms);
                if (!(ob.value >= 0 && ob.value <= Pi))
                    fail(o, "天顶距 val=\"" + attr(o, "val") + "\" 超出 " + (dms ? "0° 到 180°" : "0 到 200 gon") + " 的范围");
                ob.stdev = angularStdev(o, dms, m_def.zenith, "zenith-angle-stdev");
            } else {
                unsupported(o);
            }
        } catch (const Undeclared &u) {
            undeclared(u, o, "该观测已剔除");
            slot.push_back(-1);
            dmsOf.push_back(0);
            continue;
        }
        // instrument and target heights: the observation's own, else the instrument height of its
        // <obs>; they place the ends of slope distances and zenith angles and leave the horizontal
        // observations as they are
        ob.fromDh = has(o, "from_dh") ? number(o, "from_dh") : setFromDh;
        ob.toDh = has(o, "to_dh") ? number(o, "to_dh") : 0;
        slot.push_back(int(m_net.observations.size()));
        dmsOf.push_back(dms ? 1 : 0);
        addObservation(ob, o);
    }
    m_setHasCov = false;
    if (const auto cov = covariance(node, slot.size()))
        for (size_t i = 0; i < slot.size(); ++i) {
            if (slot[i] < 0)
                continue;
            Observation &ob = m_net.observations[size_t(slot[i])];
            const Real s = std::sqrt((*cov)[i]);
            ob.stdev = IsAngular(ob.kind) ? s * (dmsOf[i] ? ArcSecondToRad : CcToRad) : s / 1000;
        }
    // a set whose directions all go to one point (a single direction, or one repeated) carries no
    // information: its orientation takes it up
    if (set >= 0) {
        std::vector<size_t> directions;
        bool oneTarget = true;
        for (int k : slot)
            if (k >= 0 && m_net.observations[size_t(k)].kind == ObservationKind::Direction) {
                directions.push_back(size_t(k));
                oneTarget = oneTarget && m_net.observations[size_t(k)].to == m_net.observations[directions[0]].to;
            }
        if (oneTarget) {
            const std::string target = m_net.points[size_t(m_net.observations[directions[0]].to)].id;
            setAside(node, "测站 " + m_net.points[size_t(from)].id +
                               (directions.size() == 1 ? " 的方向组只有一个方向 (到 " + target + ")"
                                                       : " 的方向组的 " + std::to_string(directions.size()) + " 个方向都照准 " + target) +
                               ", 不含任何信息, 已剔除");
            for (auto k = directions.rbegin(); k != directions.rend(); ++k)
                m_net.observations.erase(m_net.observations.begin() + std::ptrdiff_t(*k));
            m_net.sets.pop_back();
        }
    }
}

void GamaReader::heightDifferences(const pugi::xml_node &node)
{
    std::vector<int> slot; // per <dh>: its index in the network, or −1
    for (const pugi::xml_node &o : node.children()) {
        if (o.type() != pugi::node_element)
            continue;
        const std::string n = o.name();
        if (n == "cov-mat")
            continue;
        if (n != "dh")
            unsupported(o);
        Observation ob;
        ob.kind = ObservationKind::HeightDifference;
        try {
            ob.from = point(o, "from");
            ob.to = point(o, "to");
        } catch (const Undeclared &u) {
            undeclared(u, o, "该高差已剔除");
            slot.push_back(-1);
            continue;
        }
        ob.value = number(o, "val");
        if (has(o, "stdev")) {
            ob.stdev = number(o, "stdev") / 1000;
        } else if (has(o, "dist")) {
            const Real d = number(o, "dist");
            if (!(d > 0))
                fail(o, "水准路线长 dist 必须大于零");
            ob.stdev = m_net.settings.sigma0 * std::sqrt(d) / 1000;
        } else if (!node.child("cov-mat")) {
            fail(o, "没有给出中误差 (stdev) 或路线长 (dist)");
        }
        slot.push_back(int(m_net.observations.size()));
        addObservation(ob, o);
    }
    if (const auto cov = covariance(node, slot.size()))
        for (size_t i = 0; i < slot.size(); ++i)
            if (slot[i] >= 0)
                m_net.observations[size_t(slot[i])].stdev = std::sqrt((*cov)[i]) / 1000;
}

// A point whose height is adjusted but that no observation of heights reaches keeps its plane
// adjustment; its height cannot be determined and is left out, with a note. A fixed height that
// is not given and not used is no height at all.
void GamaReader::heightsOnlyWhereObserved()
{
    std::vector<char> height(m_net.points.size(), 0);
    for (const Observation &o : m_net.observations)
        if (UsesHeight(o.kind))
            for (int p : PointsOf(m_net, o))
                height[size_t(p)] = 1;
    for (size_t p = 0; p < m_net.points.size(); ++p) {
        Point &pt = m_net.points[p];
        if (height[p] || pt.height == Role::Unused)
            continue;
        if (pt.height == Role::Fixed) {
            if (!pt.hasZ)
                pt.height = Role::Unused;
            continue;
        }
        if (pt.plane == Role::Unused)
            continue; // not observed at all: the adjustment says so
        pt.height = Role::Unused;
        m_net.setAside.push_back("第 " + std::to_string(pt.line) + " 行 <point>: 点 " + pt.id +
                                 " 只有平面观测, 高程无法确定, 只平差其平面坐标");
    }
}

void GamaReader::coordinates(const pugi::xml_node &node)
{
    const size_t first = m_net.observations.size();
    for (const pugi::xml_node &o : node.children()) {
        if (o.type() != pugi::node_element)
            continue;
        const std::string n = o.name();
        if (n == "cov-mat")
            continue;
        if (n != "point")
            unsupported(o);
        if (has(o, "z"))
            fail(o, "不支持观测高程 (只读平面坐标观测)");
        if (!has(o, "x") || !has(o, "y"))
            fail(o, "观测坐标须给出 x 和 y");
        Observation ob;
        ob.from = point(o, "id");
        ob.kind = ObservationKind::CoordinateX;
        ob.value = number(o, "x");
        addObservation(ob, o);
        ob.kind = ObservationKind::CoordinateY;
        ob.value = number(o, "y");
        addObservation(ob, o);
    }
    const size_t count = m_net.observations.size() - first;
    const auto cov = covariance(node, count);
    if (!cov && count)
        fail(node, "观测坐标须有 <cov-mat> 给出方差");
    for (size_t i = 0; i < count; ++i)
        m_net.observations[first + i].stdev = std::sqrt((*cov)[i]) / 1000;
}

// ---------------------------------------------------------------------------------------- writer

std::string Escaped(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string DashedDms(Real radians)
{
    Real deg = RadToDeg(radians);
    const bool negative = deg < 0;
    deg = std::fabs(deg);
    // seconds to 1e-8″, carried
    long long units = std::llround(deg * 3600 * 100000000.0L);
    const long long perSecond = 100000000LL;
    const long long s = units % (60 * perSecond);
    units /= 60 * perSecond;
    const long long m = units % 60, d = units / 60;
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%s%lld-%02lld-%02lld.%08lld", negative ? "-" : "", d, m, s / perSecond, s % perSecond);
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

} // namespace

bool LooksLikeGama(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(4096);
    return head.contains("<gama-local");
}

Network ParseGama(const QByteArray &bytes)
{
    return GamaReader(bytes).read();
}

QByteArray GamaXml(const Network &net)
{
    std::string out;
    out += "<?xml version=\"1.0\" ?>\n";
    out += "<gama-local xmlns=\"http://www.gnu.org/software/gama/gama-local\">\n";
    out += std::string("<network axes-xy=\"") + AxesName(net.settings.axes) + "\" angles=\"" +
           (net.settings.clockwise ? "left-handed" : "right-handed") + "\">\n\n";
    if (!net.description.empty())
        out += "<description>\n" + Escaped(net.description) + "\n</description>\n\n";
    out += "<parameters sigma-apr=\"" + TrimmedNumberText(10, net.settings.sigma0) + "\" conf-pr=\"" +
           TrimmedNumberText(10, net.settings.confidence) + "\" sigma-act=\"" + (net.settings.aposteriori ? "aposteriori" : "apriori") +
           "\" />\n\n<points-observations>\n\n";
    // the roles of points observed in coordinates go with their <coordinates> element
    for (const Point &p : net.points) {
        out += "<point id=\"" + Escaped(p.id) + "\"";
        if (p.hasXY)
            out += " x=\"" + TrimmedNumberText(10, p.x) + "\" y=\"" + TrimmedNumberText(10, p.y) + "\"";
        if (p.hasZ)
            out += " z=\"" + TrimmedNumberText(10, p.z) + "\"";
        std::string fix, adj;
        const auto role = [&](Role r, const char *lower, const char *upper) {
            if (r == Role::Fixed)
                fix += lower;
            else if (r == Role::Adjusted)
                adj += lower;
            else if (r == Role::Constrained)
                adj += upper;
        };
        role(p.plane, "xy", "XY");
        role(p.height, "z", "Z");
        if (!fix.empty())
            out += " fix=\"" + fix + "\"";
        if (!adj.empty())
            out += " adj=\"" + adj + "\"";
        out += " />\n";
    }
    out += "\n";
    const auto id = [&](int p) { return Escaped(net.points[size_t(p)].id); };
    const auto stdevAngle = [](Real s) { return TrimmedNumberText(10, s / ArcSecondToRad); };
    const auto stdevLinear = [](Real s) { return TrimmedNumberText(10, s * 1000); };
    // direction sets, their directions gathered in one pass
    std::vector<std::string> bodies(net.sets.size());
    for (const Observation &o : net.observations)
        if (o.kind == ObservationKind::Direction)
            bodies[size_t(o.set)] += "<direction to=\"" + id(o.to) + "\" val=\"" + DashedDms(o.value) + "\" stdev=\"" +
                                     stdevAngle(o.stdev) + "\" />\n";
    for (size_t s = 0; s < net.sets.size(); ++s)
        if (!bodies[s].empty())
            out += "<obs from=\"" + id(net.sets[s].station) + "\">\n" + bodies[s] + "</obs>\n\n";
    std::string other;
    for (const Observation &o : net.observations) {
        switch (o.kind) {
        case ObservationKind::Distance:
            other += "<distance from=\"" + id(o.from) + "\" to=\"" + id(o.to) + "\" val=\"" + TrimmedNumberText(10, o.value) +
                     "\" stdev=\"" + stdevLinear(o.stdev) + "\" />\n";
            break;
        case ObservationKind::Angle:
            other += "<angle from=\"" + id(o.from) + "\" bs=\"" + id(o.bs) + "\" fs=\"" + id(o.to) + "\" val=\"" + DashedDms(o.value) +
                     "\" stdev=\"" + stdevAngle(o.stdev) + "\" />\n";
            break;
        case ObservationKind::Azimuth:
            other += "<azimuth from=\"" + id(o.from) + "\" to=\"" + id(o.to) + "\" val=\"" + DashedDms(o.value) + "\" stdev=\"" +
                     stdevAngle(o.stdev) + "\" />\n";
            break;
        case ObservationKind::SlopeDistance:
        case ObservationKind::ZenithAngle: {
            const bool slope = o.kind == ObservationKind::SlopeDistance;
            other += std::string(slope ? "<s-distance" : "<z-angle") + " from=\"" + id(o.from) + "\" to=\"" + id(o.to) + "\" val=\"" +
                     (slope ? TrimmedNumberText(10, o.value) : DashedDms(o.value)) + "\" stdev=\"" +
                     (slope ? stdevLinear(o.stdev) : stdevAngle(o.stdev)) + "\"";
            if (o.fromDh != 0)
                other += " from_dh=\"" + TrimmedNumberText(10, o.fromDh) + "\"";
            if (o.toDh != 0)
                other += " to_dh=\"" + TrimmedNumberText(10, o.toDh) + "\"";
            other += " />\n";
            break;
        }
        default: break;
        }
    }
    if (!other.empty())
        out += "<obs>\n" + other + "</obs>\n\n";
    // observed coordinates: x and y of a point side by side
    std::map<int, const Observation *> observedY; // the last observed y of each point
    for (const Observation &c : net.observations)
        if (c.kind == ObservationKind::CoordinateY)
            observedY[c.from] = &c;
    std::string coords, variances;
    int dim = 0;
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        if (o.kind != ObservationKind::CoordinateX)
            continue;
        const auto found = observedY.find(o.from);
        if (found == observedY.end())
            continue;
        const Observation *y = found->second;
        coords += "<point id=\"" + id(o.from) + "\" x=\"" + TrimmedNumberText(10, o.value) + "\" y=\"" + TrimmedNumberText(10, y->value) + "\" />\n";
        variances += TrimmedNumberText(10, o.stdev * o.stdev * 1e6L) + "\n" + TrimmedNumberText(10, y->stdev * y->stdev * 1e6L) + "\n";
        dim += 2;
    }
    if (dim)
        out += "<coordinates>\n" + coords + "<cov-mat dim=\"" + std::to_string(dim) + "\" band=\"0\">\n" + variances + "</cov-mat>\n</coordinates>\n\n";
    std::string dh;
    for (const Observation &o : net.observations)
        if (o.kind == ObservationKind::HeightDifference)
            dh += "<dh from=\"" + id(o.from) + "\" to=\"" + id(o.to) + "\" val=\"" + TrimmedNumberText(10, o.value) + "\" stdev=\"" +
                  stdevLinear(o.stdev) + "\" />\n";
    if (!dh.empty())
        out += "<height-differences>\n" + dh + "</height-differences>\n\n";
    out += "</points-observations>\n</network>\n</gama-local>\n";
    return QByteArray::fromStdString(out);
}

} // namespace quorvil
