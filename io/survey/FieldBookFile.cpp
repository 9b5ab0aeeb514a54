#include "io/survey/FieldBookFile.h"

#include "core/Error.h"
#include "core/Limits.h"
#include "core/TextForms.h"
#include "core/fieldbook/FieldBookText.h"
#include "io/FileAccess.h"
#include "io/PointFile.h"
#include "io/TextCodec.h"
#include "io/survey/NetworkTables.h"
#include "io/survey/ObservationFileWriter.h"
#include "io/survey/SurveyText.h"

#include <map>

namespace quorvil {

using namespace fieldbook;

namespace {

QString Plain(Real value, int decimals) { return QString::fromStdString(TrimmedNumberText(decimals, value)); }
QString Name(const std::string &s) { return QString::fromStdString(s); }

} // namespace

FieldBook ParseFieldBookBytes(const QByteArray &bytes)
{
    return ParseFieldBook(DecodeText(bytes).toStdString());
}

FieldBook ReadFieldBook(const QString &path)
{
    return ParseFieldBookBytes(ReadWholeFile(path));
}

std::vector<KnownPoint> ParseKnownPoints(const QStringList &lines)
{
    std::vector<KnownPoint> points;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        // blank, a comment, or a row of empty cells (a spreadsheet's, the window's table)
        if (QString(line).remove(u',').trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const auto fail = [&](const std::string &m) -> void { throw Error("已知点第 " + std::to_string(i + 1) + " 行: " + m); };
        const QStringList f = line.split(u',');
        KnownPoint k;
        k.name = f.value(0).trimmed().toStdString();
        if (k.name.empty())
            fail("缺少点名");
        const auto number = [&](int field, const char *what) -> std::optional<Real> {
            const std::string t = f.value(field).trimmed().toStdString();
            if (t.empty())
                return std::nullopt;
            const std::optional<Real> v = ParseNumber(t);
            if (!v)
                fail(std::string(what) + " '" + t + "' 不是数字");
            return v;
        };
        k.x = number(1, "X 坐标"), k.y = number(2, "Y 坐标"), k.h = number(3, "高程");
        if (k.x.has_value() != k.y.has_value())
            fail("点 " + k.name + " 的 X、Y 须同时给出");
        if (!k.x && !k.h)
            fail("点 " + k.name + " 没有给出坐标或高程");
        for (const KnownPoint &p : points)
            if (p.name == k.name)
                fail("点 " + k.name + " 重复");
        points.push_back(k);
    }
    return points;
}

std::vector<KnownPoint> ReadKnownPoints(const QString &path)
{
    return ParseKnownPoints(ReadTextLines(path));
}

QStringList FieldBookObservationLines(const Reduction &r, const SurveyHeader &h)
{
    QStringList lines = ObservationHeadLines(QStringLiteral("# Quorvil 控制网观测文件, 由观测手簿归算"), h);
    // The a priori errors of the grade: a direction is half an angle's variance, the
    // trigonometric heights' error per km weights them by 1/D².
    if (const auto e = TraverseGradeErrors(r.settings.grade)) {
        lines << QStringLiteral("方向中误差,") + Plain(e->angleSeconds / std::sqrt(Real(2)), 2)
              << QStringLiteral("测角中误差,") + Plain(e->angleSeconds, 2)
              << QStringLiteral("测距中误差,") + Plain(e->distanceMm, 2) + QStringLiteral(",0");
    }
    if (const auto hl = HeightLimitsOf(r.settings.grade))
        lines << QStringLiteral("每公里高差中误差,") + Plain(hl->errorPerKm, 2);

    QStringList known;
    for (const KnownPoint &k : r.known)
        known << Name(k.name) + u',' + (k.x ? Plain(*k.x, 4) + u',' + Plain(*k.y, 4) : QStringLiteral(",")) +
                     (k.h ? u',' + Plain(*k.h, 4) : QString());
    if (!known.isEmpty())
        lines << QString() << QStringLiteral("[已知点]") << known;

    // The lines by station and target: a direction row carries its line's distance.
    std::map<std::pair<std::string, std::string>, const LineResult *> lineOf;
    for (const LineResult &l : r.lines)
        lineOf.emplace(std::make_pair(l.from, l.to), &l);
    lines << QString() << QStringLiteral("[方向]");
    bool first = true;
    for (const StationResult &st : r.stations) {
        if (!first)
            lines << QString(); // a blank line ends a direction set
        first = false;
        for (const StationDirection &d : st.directions) {
            QString row = Name(st.name) + u',' + Name(d.target) + u',' + PackedAngleText(DegToRad(d.direction), 2);
            if (const auto it = lineOf.find({st.name, d.target}); it != lineOf.end())
                row += u',' + QString::fromStdString(NumberToText(4, NetworkDistance(*it->second)));
            lines << row;
        }
    }
    QStringList heights;
    for (const LineResult &l : r.lines)
        if (l.heightDifference)
            heights << Name(l.from) + u',' + Name(l.to) + u',' + QString::fromStdString(NumberToText(4, *l.heightDifference)) +
                           u',' + QString::fromStdString(NumberToText(3, l.horizontal));
    if (!heights.isEmpty())
        lines << QString() << QStringLiteral("[三角高程]") << heights;
    return lines;
}

void WriteFieldBookObservations(const QString &path, const Reduction &reduction, const SurveyHeader &header)
{
    WriteTextLines(path, FieldBookObservationLines(reduction, header));
}

} // namespace quorvil
