#include "io/survey/ObservationFileWriter.h"

#include "core/Error.h"
#include "core/TextForms.h"
#include "io/PointFile.h"
#include "io/survey/NetworkTables.h"

#include <cmath>

namespace quorvil {

using namespace network;

namespace {

constexpr Real ArcSecond = Pi / 648000;

QString Plain(Real value, int decimals) { return QString::fromStdString(TrimmedNumberText(decimals, value)); }
QString Angle(Real radians) { return PackedAngleText(radians, 6); }
QString ArcSeconds(Real radians) { return Plain(radians / ArcSecond, 6); }
QString Millimetres(Real metres) { return Plain(metres * 1000, 6); }

} // namespace

QStringList ObservationHeadLines(const QString &comment, const SurveyHeader &h)
{
    QStringList lines;
    lines << comment << QStringLiteral("[参数]");
    const std::pair<const char *, QString> header[] = {
        {"工程名称", h.project}, {"等级", h.grade}, {"计算者", h.calculator}, {"校核者", h.checker}, {"日期", h.date}};
    for (const auto &[key, value] : header) {
        const QString clean = QString(value).replace(u',', u'，').simplified();
        if (!clean.isEmpty())
            lines << QString::fromUtf8(key) + u',' + clean;
    }
    return lines;
}

QStringList ObservationFileLines(const SurveyFile &file)
{
    const Network &net = file.network;
    if (net.settings.axes != Axes::NE || !net.settings.clockwise)
        throw Error("观测文件的坐标为 X 北 Y 东、角度顺时针；此网的坐标轴或角度方向不同，请另存为Gama文件。");
    const auto id = [&](int p) { return QString::fromStdString(net.points[size_t(p)].id); };

    QStringList lines = ObservationHeadLines(QStringLiteral("# Quorvil 控制网观测文件"), file.header);
    lines << QStringLiteral("单位权中误差,") + Plain(net.settings.sigma0, 10)
          << QStringLiteral("置信概率,") + Plain(net.settings.confidence, 10);
    if (!net.settings.aposteriori)
        lines << QStringLiteral("精度评定,验前");

    QStringList known, approximate, constrained;
    for (const Point &p : net.points) {
        if (p.height == Role::Constrained)
            throw Error("观测文件不能保存高程约束点（自由水准网）" + p.id + "，请另存为Gama文件。");
        const QString name = QString::fromStdString(p.id);
        const bool fixedXY = p.hasXY && p.plane == Role::Fixed, fixedH = p.hasZ && p.height == Role::Fixed;
        const QString xy = QStringLiteral("%1,%2").arg(Plain(p.x, 6), Plain(p.y, 6));
        if (fixedXY || fixedH)
            known << name + u',' + (fixedXY ? xy : QStringLiteral(",")) + (fixedH ? u',' + Plain(p.z, 6) : QString());
        // The points of a free network's datum, with their approximate coordinates.
        const bool datum = p.plane == Role::Constrained;
        if (datum)
            constrained << name + (p.hasXY ? u',' + xy : QString());
        const bool approxXY = p.hasXY && !fixedXY && !datum, approxH = p.hasZ && !fixedH;
        if (approxXY || approxH)
            approximate << name + u',' + (approxXY ? xy : QStringLiteral(",")) + (approxH ? u',' + Plain(p.z, 6) : QString());
    }
    if (!known.isEmpty())
        lines << QString() << QStringLiteral("[已知点]") << known;
    if (!approximate.isEmpty())
        lines << QString() << QStringLiteral("[近似坐标]") << approximate;
    if (!constrained.isEmpty())
        lines << QString() << QStringLiteral("[约束点]") << constrained;

    QStringList directions, angles, distances, azimuths, levelling, slopes, zeniths;
    int set = -1;
    for (const Observation &o : net.observations) {
        switch (o.kind) {
        case ObservationKind::Direction:
            if (o.set != set && set >= 0)
                directions << QString(); // a blank line ends the set
            set = o.set;
            directions << QStringLiteral("%1,%2,%3,,%4").arg(id(net.sets[size_t(o.set)].station), id(o.to), Angle(o.value),
                                                            ArcSeconds(o.stdev));
            break;
        case ObservationKind::Angle:
            angles << QStringLiteral("%1,%2,%3,%4,%5").arg(id(o.from), id(o.bs), id(o.to), Angle(o.value), ArcSeconds(o.stdev));
            break;
        case ObservationKind::Distance:
            distances << QStringLiteral("%1,%2,%3,%4").arg(id(o.from), id(o.to), Plain(o.value, 9), Millimetres(o.stdev));
            break;
        case ObservationKind::Azimuth:
            azimuths << QStringLiteral("%1,%2,%3,%4").arg(id(o.from), id(o.to), Angle(o.value), ArcSeconds(o.stdev));
            break;
        case ObservationKind::HeightDifference:
            levelling << QStringLiteral("%1,%2,%3,,,%4").arg(id(o.from), id(o.to), Plain(o.value, 9), Millimetres(o.stdev));
            break;
        case ObservationKind::CoordinateX:
        case ObservationKind::CoordinateY:
            throw Error("观测文件不能保存坐标观测（" + ObservationLabel(net, o) + "），请另存为Gama文件。");
        case ObservationKind::SlopeDistance:
            slopes << QStringLiteral("%1,%2,%3,%4,%5,%6").arg(id(o.from), id(o.to), Plain(o.value, 9), Plain(o.fromDh, 6),
                                                             Plain(o.toDh, 6), Millimetres(o.stdev));
            break;
        case ObservationKind::ZenithAngle:
            zeniths << QStringLiteral("%1,%2,%3,%4,%5,%6").arg(id(o.from), id(o.to), Angle(o.value), Plain(o.fromDh, 6),
                                                              Plain(o.toDh, 6), ArcSeconds(o.stdev));
            break;
        }
    }
    const std::pair<const char *, const QStringList *> sections[] = {
        {"[方向]", &directions}, {"[角度]", &angles}, {"[距离]", &distances}, {"[方位角]", &azimuths}, {"[水准]", &levelling},
        {"[斜距]", &slopes},     {"[天顶距]", &zeniths}};
    for (const auto &[name, body] : sections)
        if (!body->isEmpty())
            lines << QString() << QString::fromUtf8(name) << *body;
    return lines;
}

void WriteObservationFile(const QString &path, const SurveyFile &file)
{
    WriteTextLines(path, ObservationFileLines(file));
}

} // namespace quorvil
