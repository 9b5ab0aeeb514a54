// Reading the baselines and known points of the GNSS tool. See BaselineFile.h.
#include "BaselineFile.h"

#include "GamaFile.h"
#include "SurveyText.h"

#include "core/Error.h"
#include "io/TextCodec.h"

#include <pugixml.hpp>

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

namespace quorvil {

namespace {

const char *const ComponentNames[] = {"ΔX", "ΔY", "ΔZ", "σΔX", "σΔY", "σΔZ", "ρXY", "ρXZ", "ρYZ"};
const char *const CovarianceNames[] = {"ΔX", "ΔY", "ΔZ", "XX", "XY", "XZ", "YY", "YZ", "ZZ"};

std::string LineText(int line)
{
    return "第 " + std::to_string(line) + " 行: ";
}

// The fields of a line: split at commas (also the full-width comma and tabs), blanks trimmed.
QStringList Fields(const QString &line)
{
    QString text = line;
    text.replace(QChar(0xFF0C), QLatin1Char(',')).replace(QLatin1Char('\t'), QLatin1Char(','));
    QStringList fields = text.split(QLatin1Char(','));
    for (QString &f : fields)
        f = f.trimmed();
    return fields;
}

Real Number(const QString &field, const char *name, int line)
{
    if (field.isEmpty())
        throw Error(LineText(line) + "缺少 " + name);
    const std::optional<Real> v = ParseNumber(field.toStdString());
    if (!v)
        throw Error(LineText(line) + name + " \"" + field.toStdString() + "\" 不是数字");
    return *v;
}

void AddBaseline(gnss::BaselineNetwork &net, gnss::Baseline b, const std::string &from, const std::string &to)
{
    if (from.empty() || to.empty())
        throw Error(LineText(b.line) + "缺少点名");
    if (from == to)
        throw Error(LineText(b.line) + "基线的起点与终点相同 (" + from + ")");
    if (!gnss::IsPositiveDefinite(b.cov))
        throw Error(LineText(b.line) + "基线 " + from + "→" + to + " 的协方差阵不正定");
    b.from = net.pointIndex(from);
    b.to = net.pointIndex(to);
    net.baselines.push_back(b);
}

gnss::BaselineNetwork ParseCsv(const QByteArray &bytes)
{
    const QStringList lines = DecodeText(bytes).split(QLatin1Char('\n'));
    QList<NumberedRow> rows;
    bool covariance = false, first = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = lines[i].trimmed();
        if (text.isEmpty())
            continue;
        if (text.startsWith(QLatin1Char('#'))) {
            if (text.contains(QStringLiteral("协方差")))
                covariance = true;
            continue;
        }
        const QStringList f = Fields(text);
        if (first && f.size() >= 4 && !ParseNumber(f[3].toStdString())) {
            first = false; // a caption row
            continue;
        }
        first = false;
        rows.append({int(i) + 1, f});
    }
    return BaselinesOfRows(rows, covariance);
}

class GamaVectors {
public:
    explicit GamaVectors(const QByteArray &bytes) : m_bytes(bytes) {}

    gnss::BaselineNetwork read()
    {
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed = doc.load_buffer(m_bytes.constData(), size_t(m_bytes.size()));
        if (!parsed)
            throw Error("gama-local " + LineText(lineOf(parsed.offset)) + "XML 格式错误 (" + parsed.description() + ")");
        gnss::BaselineNetwork net;
        int session = 0;
        for (const pugi::xpath_node &x : doc.select_nodes("//vectors"))
            readSet(x.node(), std::to_string(++session), net);
        if (net.baselines.empty())
            throw Error("gama-local 文件中没有 <vectors> 基线");
        return net;
    }

private:
    int lineOf(ptrdiff_t offset) const
    {
        if (offset < 0)
            return 0;
        return int(std::count(m_bytes.constData(), m_bytes.constData() + std::min<qsizetype>(offset, m_bytes.size()), '\n')) + 1;
    }
    int lineOf(const pugi::xml_node &node) const { return lineOf(node.offset_debug()); }
    Real attribute(const pugi::xml_node &node, const char *name) const
    {
        const pugi::xml_attribute a = node.attribute(name);
        if (!a)
            throw Error("gama-local " + LineText(lineOf(node)) + "<" + node.name() + "> 缺少 " + name);
        const std::optional<Real> v = ParseNumber(a.value());
        if (!v)
            throw Error("gama-local " + LineText(lineOf(node)) + name + "=\"" + a.value() + "\" 不是数字");
        return *v;
    }
    void readSet(const pugi::xml_node &set, const std::string &session, gnss::BaselineNetwork &net) const
    {
        std::vector<gnss::Baseline> list;
        std::vector<std::pair<std::string, std::string>> names;
        for (const pugi::xml_node &v : set.children("vec")) {
            gnss::Baseline b;
            b.line = lineOf(v);
            b.session = session;
            b.d = {attribute(v, "dx"), attribute(v, "dy"), attribute(v, "dz")};
            names.emplace_back(v.attribute("from").value(), v.attribute("to").value());
            list.push_back(b);
        }
        const pugi::xml_node cov = set.child("cov-mat");
        if (!cov)
            throw Error("gama-local " + LineText(lineOf(set)) + "<vectors> 缺少 <cov-mat>");
        const int dim = int(attribute(cov, "dim")), band = int(attribute(cov, "band"));
        if (dim != 3 * int(list.size()))
            throw Error("gama-local " + LineText(lineOf(cov)) + "dim=\"" + std::to_string(dim) + "\" 应为 " +
                        std::to_string(3 * list.size()));
        std::vector<Real> values;
        std::istringstream in(cov.child_value());
        std::string token;
        while (in >> token) {
            const std::optional<Real> v = ParseNumber(token);
            if (!v)
                throw Error("gama-local " + LineText(lineOf(cov)) + "\"" + token + "\" 不是数字");
            values.push_back(*v);
        }
        size_t at = 0;
        for (int r = 0; r < dim; ++r)
            for (int c = r; c <= std::min(r + band, dim - 1); ++c) {
                if (at >= values.size())
                    throw Error("gama-local " + LineText(lineOf(cov)) + "协方差阵的数不够");
                const Real v = values[at++] * 1e-6; // mm² → m²
                if (r / 3 != c / 3) {
                    if (v != 0)
                        throw Error("gama-local " + LineText(lineOf(cov)) + "不支持不同基线之间的协方差");
                    continue;
                }
                static const int slot[3][3] = {{0, 1, 2}, {1, 3, 4}, {2, 4, 5}};
                list[size_t(r / 3)].cov[size_t(slot[r % 3][c % 3])] = v;
            }
        if (at != values.size())
            throw Error("gama-local " + LineText(lineOf(cov)) + "协方差阵的数过多");
        for (size_t k = 0; k < list.size(); ++k)
            AddBaseline(net, list[k], names[k].first, names[k].second);
    }

    const QByteArray &m_bytes;
};

} // namespace

gnss::BaselineNetwork ParseBaselines(const QByteArray &bytes)
{
    if (LooksLikeGama(bytes))
        return GamaVectors(bytes).read();
    return ParseCsv(bytes);
}

std::vector<gnss::KnownPoint> ParseKnownPoints(const QByteArray &bytes)
{
    const QStringList lines = DecodeText(bytes).split(QLatin1Char('\n'));
    QList<NumberedRow> rows;
    bool first = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = lines[i].trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = Fields(text);
        if (first && f.size() >= 2 && !ParseNumber(f[1].toStdString())) {
            first = false;
            continue;
        }
        first = false;
        rows.append({int(i) + 1, f});
    }
    return KnownPointsOfRows(rows);
}

std::vector<gnss::KnownPoint> KnownPointsOfRows(const QList<NumberedRow> &rows)
{
    std::vector<gnss::KnownPoint> known;
    std::set<std::string> names;
    for (const NumberedRow &row : rows) {
        const int line = row.line;
        QStringList f = row.fields;
        while (!f.isEmpty() && f.back().trimmed().isEmpty())
            f.pop_back();
        if (f.size() < 3 || f.size() > 4)
            throw Error(LineText(line) + "已知点应为 点名,X,Y 或 点名,X,Y,H");
        gnss::KnownPoint k;
        k.line = line;
        k.name = f[0].trimmed().toStdString();
        if (k.name.empty())
            throw Error(LineText(line) + "缺少点名");
        if (!names.insert(k.name).second)
            throw Error(LineText(line) + "已知点 " + k.name + " 重复");
        k.x = Number(f[1].trimmed(), "X", line);
        k.y = Number(f[2].trimmed(), "Y", line);
        if (f.size() == 4) {
            k.hasH = true;
            k.H = Number(f[3].trimmed(), "H", line);
        }
        known.push_back(k);
    }
    if (known.empty())
        throw Error("没有已知点");
    return known;
}

gnss::BaselineNetwork BaselinesOfRows(const QList<NumberedRow> &rows, bool covariance)
{
    gnss::BaselineNetwork net;
    for (const NumberedRow &row : rows) {
        const int line = row.line;
        QStringList f = row.fields;
        for (QString &field : f)
            field = field.trimmed();
        while (f.size() > 12 && f.back().isEmpty())
            f.pop_back();
        if (f.size() != 12)
            throw Error(LineText(line) + "应有 12 个字段 (时段,起点,终点,ΔX,ΔY,ΔZ 和 6 个精度数), 实有 " +
                        std::to_string(f.size()) + " 个");
        gnss::Baseline b;
        b.line = line;
        b.session = f[0].toStdString();
        Real v[9];
        for (int k = 0; k < 9; ++k)
            v[k] = Number(f[3 + k], covariance ? CovarianceNames[k] : ComponentNames[k], line);
        b.d = {v[0], v[1], v[2]};
        if (covariance) {
            b.cov = {v[3], v[4], v[5], v[6], v[7], v[8]};
        } else {
            for (int k = 3; k < 6; ++k)
                if (!(v[k] > 0))
                    throw Error(LineText(line) + ComponentNames[k] + " 必须为正数");
            for (int k = 6; k < 9; ++k)
                if (!(std::fabs(v[k]) < 1))
                    throw Error(LineText(line) + ComponentNames[k] + " 须在 -1 与 1 之间");
            b.cov = gnss::CovarianceOf(v[3], v[4], v[5], v[6], v[7], v[8]);
        }
        AddBaseline(net, b, f[1].toStdString(), f[2].toStdString());
    }
    if (net.baselines.empty())
        throw Error("没有基线");
    return net;
}

QByteArray BaselinesCsv(const gnss::BaselineNetwork &net)
{
    QString text = QStringLiteral("# 时段,起点,终点,ΔX,ΔY,ΔZ,σΔX,σΔY,σΔZ,ρXY,ρXZ,ρYZ\n");
    for (const gnss::Baseline &b : net.baselines) {
        const Real sx = std::sqrt(b.cov[0]), sy = std::sqrt(b.cov[3]), sz = std::sqrt(b.cov[5]);
        const Real fields[] = {b.d[0], b.d[1], b.d[2], sx, sy, sz, b.cov[1] / (sx * sy), b.cov[2] / (sx * sz), b.cov[4] / (sy * sz)};
        text += QString::fromStdString(b.session + "," + net.points[size_t(b.from)] + "," + net.points[size_t(b.to)]);
        for (Real v : fields)
            text += QLatin1Char(',') + QString::fromStdString(GeneralText(v));
        text += QLatin1Char('\n');
    }
    return EncodeText(text);
}

} // namespace quorvil
