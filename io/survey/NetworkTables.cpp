#include "io/survey/NetworkTables.h"

#include "core/Error.h"
#include "core/TextForms.h"

#include <cmath>
#include <unordered_map>

namespace quorvil {

using namespace network;

namespace {

constexpr Real ArcSecond = Pi / 648000; // radians
constexpr Real Millimetre = 0.001L;     // metres

namespace KnownColumn {
enum { Name, X, Y, H, State, Count };
}
namespace ObsColumn {
enum { Station, Backsight, Target, Kind, Value, Length, Sigma, InstrumentHeight, TargetHeight, Count };
}

QString Text(const std::string &text) { return QString::fromStdString(text); }
QString Fixed(int decimals, Real value) { return Text(NumberToText(decimals, value)); }

// The values of the input tables and files, so that they read back as they were.
QString Plain(Real value, int decimals) { return Text(TrimmedNumberText(decimals, value)); }

// Summary figures: rounded to hundredths, halves to even, shortest form.
QString Hundredths(Real value) { return Text(GeneralText(RoundHalfEven(value * 100) / 100)); }

QString Cell(const QStringList &row, int column) { return row.value(column).trimmed(); }

bool Empty(const QStringList &row)
{
    for (const QString &text : row)
        if (!text.trimmed().isEmpty())
            return false;
    return true;
}

[[noreturn]] void Fail(const char *table, int row, const QString &why)
{
    throw Error(QStringLiteral("%1第 %2 行: %3").arg(QString::fromUtf8(table)).arg(row).arg(why).toStdString());
}

// The number of a cell; nullopt when the cell is empty.
std::optional<Real> Number(const char *table, int row, const QStringList &cells, int column, const QString &caption)
{
    const QString text = Cell(cells, column);
    if (text.isEmpty())
        return std::nullopt;
    try {
        return TextToNumber(text.toStdString());
    } catch (const ConversionError &e) {
        Fail(table, row, caption + QStringLiteral(": ") + QString::fromUtf8(e.what()));
    }
}

QString KindWord(ObservationKind kind)
{
    switch (kind) {
    case ObservationKind::Direction: return NetworkWords::Direction;
    case ObservationKind::Angle: return NetworkWords::Angle;
    case ObservationKind::Distance: return NetworkWords::Distance;
    case ObservationKind::Azimuth: return NetworkWords::Azimuth;
    case ObservationKind::CoordinateX: return NetworkWords::CoordinateX;
    case ObservationKind::CoordinateY: return NetworkWords::CoordinateY;
    case ObservationKind::HeightDifference: return NetworkWords::HeightDifference;
    case ObservationKind::SlopeDistance: return NetworkWords::SlopeDistance;
    case ObservationKind::ZenithAngle: return NetworkWords::ZenithAngle;
    }
    return {};
}

std::optional<ObservationKind> KindOf(const QString &word)
{
    static const std::pair<QString, ObservationKind> words[] = {
        {NetworkWords::Direction, ObservationKind::Direction},
        {NetworkWords::Angle, ObservationKind::Angle},
        {NetworkWords::Distance, ObservationKind::Distance},
        {QStringLiteral("距离"), ObservationKind::Distance},
        {NetworkWords::Azimuth, ObservationKind::Azimuth},
        {NetworkWords::HeightDifference, ObservationKind::HeightDifference},
        {NetworkWords::SlopeDistance, ObservationKind::SlopeDistance},
        {NetworkWords::ZenithAngle, ObservationKind::ZenithAngle},
        {NetworkWords::CoordinateX, ObservationKind::CoordinateX},
        {NetworkWords::CoordinateY, ObservationKind::CoordinateY},
    };
    const QString w = word.trimmed().toUpper();
    for (const auto &[text, kind] : words)
        if (w == text.toUpper())
            return kind;
    return std::nullopt;
}

QString Millimetres(Real metres) { return Fixed(2, metres / Millimetre); }

QString PointName(const Network &net, int index)
{
    return index >= 0 && size_t(index) < net.points.size() ? Text(net.points[size_t(index)].id) : QString();
}

Real Normalised(Real angle)
{
    angle = std::fmod(angle, TwoPi);
    return angle < 0 ? angle + TwoPi : angle;
}

} // namespace

QStringList KnownPointColumns()
{
    return {QStringLiteral("点名"), QStringLiteral("X(m)"), QStringLiteral("Y(m)"), QStringLiteral("H(m)"),
            QStringLiteral("状态")};
}

QStringList ObservationColumns()
{
    return {QStringLiteral("测站"),      QStringLiteral("后视点"), QStringLiteral("照准点"),
            QStringLiteral("类型"),      QStringLiteral("观测值(dms/m)"),
            QStringLiteral("距离(km)/测站数"), QStringLiteral("中误差(″/mm)"),
            QStringLiteral("仪器高(m)"), QStringLiteral("觇标高(m)")};
}

QStringList PointResultColumns()
{
    return {QStringLiteral("点名"),     QStringLiteral("X(m)"),     QStringLiteral("Y(m)"),
            QStringLiteral("H(m)"),     QStringLiteral("σx(mm)"),   QStringLiteral("σy(mm)"),
            QStringLiteral("点位中误差(mm)"), QStringLiteral("σH(mm)"),   QStringLiteral("E(mm)"),
            QStringLiteral("F(mm)"),    QStringLiteral("φ(dms)")};
}

QStringList ObservationResultColumns()
{
    return {QStringLiteral("测站"),          QStringLiteral("后视点"),         QStringLiteral("照准点"),
            QStringLiteral("类型"),          QStringLiteral("观测值(dms/m)"),  QStringLiteral("改正数(″/mm)"),
            QStringLiteral("平差值(dms/m)"), QStringLiteral("中误差(″/mm)"),   QStringLiteral("多余观测分量r"),
            QStringLiteral("w检验"),         QStringLiteral("最小可探测粗差(″/mm)")};
}

QStringList RelativeEllipseColumns()
{
    return {QStringLiteral("起点"),  QStringLiteral("终点"),  QStringLiteral("边长(m)"),   QStringLiteral("E(mm)"),
            QStringLiteral("F(mm)"), QStringLiteral("φ(dms)"), QStringLiteral("边长相对精度")};
}

// ------------------------------------------------------------------------------ tables to network

Network NetworkFromTables(const QList<QStringList> &known, const QList<QStringList> &observations,
                          const NetworkApriori &apriori, const Settings &settings)
{
    static const char *KnownTable = "已知点表";
    static const char *ObsTable = "观测表";
    const QStringList knownCaptions = KnownPointColumns();
    const QStringList obsCaptions = ObservationColumns();

    Network net;
    net.settings = settings;
    std::unordered_map<QString, int> index;
    struct State {
        bool plane = false, height = false; // used by observations of that kind
        QString state;
    };
    std::vector<State> states;

    for (int r = 0; r < known.size(); ++r) {
        const QStringList &row = known[r];
        if (Empty(row))
            continue;
        const int line = r + 1;
        const QString name = Cell(row, KnownColumn::Name);
        if (name.isEmpty())
            Fail(KnownTable, line, QStringLiteral("没有点名"));
        if (index.count(name))
            Fail(KnownTable, line, QStringLiteral("点名 %1 重复").arg(name));
        Point p;
        p.id = name.toStdString();
        p.line = line;
        const auto x = Number(KnownTable, line, row, KnownColumn::X, knownCaptions[KnownColumn::X]);
        const auto y = Number(KnownTable, line, row, KnownColumn::Y, knownCaptions[KnownColumn::Y]);
        const auto h = Number(KnownTable, line, row, KnownColumn::H, knownCaptions[KnownColumn::H]);
        if (x.has_value() != y.has_value())
            Fail(KnownTable, line, QStringLiteral("点 %1 的 X、Y 应同时给出").arg(name));
        if (x)
            p.x = *x, p.y = *y, p.hasXY = true;
        if (h)
            p.z = *h, p.hasZ = true;
        QString state = Cell(row, KnownColumn::State);
        if (state.isEmpty())
            state = NetworkWords::Fixed;
        for (const QString &word : {NetworkWords::Fixed, NetworkWords::Constrained, NetworkWords::Free,
                                    NetworkWords::FixedPlane, NetworkWords::FixedHeight})
            if (state == word)
                state = word;
        if (state != NetworkWords::Fixed && state != NetworkWords::Constrained && state != NetworkWords::Free
            && state != NetworkWords::FixedPlane && state != NetworkWords::FixedHeight)
            Fail(KnownTable, line,
                 QStringLiteral("状态“%1”无效（应为 固定、约束、待定、固定平面 或 固定高程）").arg(state));
        index.emplace(name, int(net.points.size()));
        net.points.push_back(std::move(p));
        states.push_back({false, false, state});
    }

    const auto pointOf = [&](const QString &name, int line) {
        const auto it = index.find(name);
        if (it != index.end())
            return it->second;
        Point p;
        p.id = name.toStdString();
        p.line = line;
        index.emplace(name, int(net.points.size()));
        net.points.push_back(std::move(p));
        states.push_back({false, false, NetworkWords::Free});
        return int(net.points.size()) - 1;
    };

    // A direction set is all the directions of one station until an empty row or a row of another
    // station: rows of other kinds at the same station (the distance measured with a direction)
    // stand among them, as in the [方向] lines of the observation file.
    int setStation = -1; // station of the open direction set
    for (int r = 0; r < observations.size(); ++r) {
        const QStringList &row = observations[r];
        if (Empty(row)) {
            setStation = -1;
            continue;
        }
        const int line = r + 1;
        const QString kindText = Cell(row, ObsColumn::Kind);
        const auto kind = KindOf(kindText);
        if (!kind)
            Fail(ObsTable, line,
                 QStringLiteral("类型“%1”无效（应为 方向、角度、边长、方位角、高差、斜距、天顶距、坐标X 或 坐标Y）").arg(kindText));
        const QString station = Cell(row, ObsColumn::Station);
        const QString backsight = Cell(row, ObsColumn::Backsight);
        const QString target = Cell(row, ObsColumn::Target);
        if (station.isEmpty())
            Fail(ObsTable, line, QStringLiteral("没有测站"));
        const bool coordinate = *kind == ObservationKind::CoordinateX || *kind == ObservationKind::CoordinateY;
        if (!coordinate && target.isEmpty())
            Fail(ObsTable, line, QStringLiteral("没有照准点"));
        if (*kind == ObservationKind::Angle && backsight.isEmpty())
            Fail(ObsTable, line, QStringLiteral("角度观测需要后视点"));
        const auto value = Number(ObsTable, line, row, ObsColumn::Value, obsCaptions[ObsColumn::Value]);
        if (!value)
            Fail(ObsTable, line, QStringLiteral("没有观测值"));
        const auto length = Number(ObsTable, line, row, ObsColumn::Length, obsCaptions[ObsColumn::Length]);
        const auto sigma = Number(ObsTable, line, row, ObsColumn::Sigma, obsCaptions[ObsColumn::Sigma]);
        if (sigma && !(*sigma > 0))
            Fail(ObsTable, line, QStringLiteral("中误差必须大于零"));
        const auto instrumentHeight =
            Number(ObsTable, line, row, ObsColumn::InstrumentHeight, obsCaptions[ObsColumn::InstrumentHeight]);
        const auto targetHeight = Number(ObsTable, line, row, ObsColumn::TargetHeight, obsCaptions[ObsColumn::TargetHeight]);
        const bool spatial = DimensionOf(*kind) == Dimension::Space;
        if (!spatial && (instrumentHeight || targetHeight))
            Fail(ObsTable, line, QStringLiteral("仪器高与觇标高只用于斜距和天顶距"));

        Observation o;
        o.kind = *kind;
        o.line = line;
        o.from = pointOf(station, line);
        if (!target.isEmpty())
            o.to = pointOf(target, line);
        if (*kind == ObservationKind::Angle)
            o.bs = pointOf(backsight, line);
        const bool angular = IsAngular(*kind);
        o.value = angular ? DegToRad(DmsToDeg(*value)) : *value;
        o.fromDh = instrumentHeight.value_or(0);
        o.toDh = targetHeight.value_or(0);
        if (*kind == ObservationKind::SlopeDistance && !(o.value > 0))
            Fail(ObsTable, line, QStringLiteral("斜距必须大于零"));
        if (*kind == ObservationKind::ZenithAngle && !(o.value >= 0 && o.value <= Pi))
            Fail(ObsTable, line, QStringLiteral("天顶距应在 0°–180° 之间"));

        if (sigma) {
            o.stdev = angular ? *sigma * ArcSecond : *sigma * Millimetre;
        } else {
            switch (*kind) {
            case ObservationKind::Direction:
            case ObservationKind::ZenithAngle: o.stdev = apriori.angle / std::sqrt(Real(2)) * ArcSecond; break;
            case ObservationKind::Angle:
            case ObservationKind::Azimuth: o.stdev = apriori.angle * ArcSecond; break;
            case ObservationKind::Distance:
            case ObservationKind::SlopeDistance:
                o.stdev = (apriori.distanceA + apriori.distanceB * std::fabs(o.value) / 1000) * Millimetre;
                break;
            case ObservationKind::HeightDifference:
                if (!length || !(*length > 0))
                    Fail(ObsTable, line, QStringLiteral("高差观测需要距离(km)/测站数或中误差"));
                o.stdev = apriori.levelling * std::sqrt(*length) * Millimetre;
                break;
            default: Fail(ObsTable, line, QStringLiteral("坐标观测需要中误差"));
            }
            if (!(o.stdev > 0))
                Fail(ObsTable, line, QStringLiteral("先验中误差为零，请填写测角、测距或水准中误差"));
        }

        if (o.from != setStation)
            setStation = -1;
        if (*kind == ObservationKind::Direction) {
            if (setStation < 0) {
                net.sets.push_back({o.from, line});
                setStation = o.from;
            }
            o.set = int(net.sets.size()) - 1;
        }
        for (int p : {o.from, o.to, o.bs})
            if (p >= 0) {
                states[size_t(p)].plane = states[size_t(p)].plane || UsesPlane(*kind);
                states[size_t(p)].height = states[size_t(p)].height || UsesHeight(*kind);
            }
        net.observations.push_back(o);
    }

    // Roles from the 状态 column and the kinds of observation that use each point.
    for (size_t i = 0; i < net.points.size(); ++i) {
        Point &p = net.points[i];
        const State &s = states[i];
        const auto role = [&](bool fixed, bool given) {
            if (s.state == NetworkWords::Constrained)
                return Role::Constrained;
            return fixed && given ? Role::Fixed : Role::Adjusted;
        };
        const bool fixedPlane = s.state == NetworkWords::Fixed || s.state == NetworkWords::FixedPlane;
        const bool fixedHeight = s.state == NetworkWords::Fixed || s.state == NetworkWords::FixedHeight;
        if (s.plane)
            p.plane = role(fixedPlane, p.hasXY);
        if (s.height)
            p.height = role(fixedHeight, p.hasZ);
    }
    return net;
}

// ------------------------------------------------------------------------------ network to tables

namespace {

// The 状态 word of a point; nothing for a new point without approximate values (the observations
// name it).
QString StateWord(const Point &p)
{
    const bool planeFixed = p.plane == Role::Fixed, heightFixed = p.height == Role::Fixed;
    if (p.plane == Role::Constrained || p.height == Role::Constrained)
        return NetworkWords::Constrained;
    if (planeFixed && (heightFixed || p.height == Role::Unused))
        return NetworkWords::Fixed;
    if (heightFixed && p.plane == Role::Unused)
        return NetworkWords::Fixed;
    if (planeFixed)
        return NetworkWords::FixedPlane;
    if (heightFixed)
        return NetworkWords::FixedHeight;
    return p.hasXY || p.hasZ ? NetworkWords::Free : QString();
}

} // namespace

void NetworkToTables(const Network &net, QList<QStringList> &known, QList<QStringList> &observations)
{
    known.clear();
    observations.clear();
    for (const Point &p : net.points) {
        const QString state = StateWord(p);
        if (!state.isEmpty())
            known.append({Text(p.id), p.hasXY ? Plain(p.x, 6) : QString(), p.hasXY ? Plain(p.y, 6) : QString(),
                          p.hasZ ? Plain(p.z, 6) : QString(), state});
    }
    // The sets as NetworkFromTables will read them: the open set of the rows' station, which an
    // empty row closes before another set of the same station.
    int openStation = -1, openSet = -1;
    for (const Observation &o : net.observations) {
        const int station = StationOf(net, o);
        if (station != openStation)
            openStation = station, openSet = -1;
        if (o.kind == ObservationKind::Direction) {
            if (openSet >= 0 && openSet != o.set)
                observations.append(QStringList(ObsColumn::Count, QString()));
            openSet = o.set;
        }
        const bool angular = IsAngular(o.kind);
        QString value = angular ? PackedAngleText(o.value, 6) : Plain(o.value, 9);
        if (angular) { // ddd.mmssssss without the trailing zeros of the seconds
            while (value.endsWith(QLatin1Char('0')) && value.indexOf(QLatin1Char('.')) < value.size() - 5)
                value.chop(1);
        }
        const QString sigma = angular ? Plain(o.stdev / ArcSecond, 6) : Plain(o.stdev / Millimetre, 6);
        const bool spatial = DimensionOf(o.kind) == Dimension::Space;
        observations.append({PointName(net, station), o.kind == ObservationKind::Angle ? PointName(net, o.bs) : QString(),
                             PointName(net, o.to), KindWord(o.kind), value, QString(), sigma,
                             spatial ? Plain(o.fromDh, 9) : QString(), spatial ? Plain(o.toDh, 9) : QString()});
    }
}

// ------------------------------------------------------------------------------ result texts

QList<QStringList> KnownPointRows(const Network &net)
{
    QList<QStringList> rows;
    for (const Point &p : net.points) {
        const QString state = StateWord(p);
        if (!state.isEmpty() && state != NetworkWords::Free)
            rows.append({Text(p.id), p.hasXY ? Fixed(4, p.x) : QString(), p.hasXY ? Fixed(4, p.y) : QString(),
                         p.hasZ ? Fixed(4, p.z) : QString(), state});
    }
    return rows;
}

QString PackedAngleText(Real radians, int secondDecimals)
{
    const bool negative = radians < 0;
    Real unit = 1;
    for (int i = 0; i < secondDecimals; ++i)
        unit *= 10;
    // Whole units of the last decimal of the seconds, rounded, so that 59.99995″ carries into the minute.
    const long long total = std::llround(std::fabs(RadToDeg(radians)) * 3600 * unit);
    const long long perSecond = static_cast<long long>(unit);
    const long long seconds = total / perSecond, fraction = total % perSecond;
    const long long degrees = seconds / 3600, minutes = seconds / 60 % 60, wholeSeconds = seconds % 60;
    QString text = QStringLiteral("%1%2.%3%4")
                       .arg(negative && total != 0 ? QStringLiteral("-") : QString())
                       .arg(degrees)
                       .arg(minutes, 2, 10, QLatin1Char('0'))
                       .arg(wholeSeconds, 2, 10, QLatin1Char('0'));
    if (secondDecimals > 0)
        text += QStringLiteral("%1").arg(fraction, secondDecimals, 10, QLatin1Char('0'));
    return text;
}

bool HasPlaneUnknowns(const Result &result)
{
    for (const PointResult &p : result.points)
        if (p.plane)
            return true;
    return false;
}

bool HasHeightUnknowns(const Result &result)
{
    for (const PointResult &p : result.points)
        if (p.height)
            return true;
    return false;
}

QList<QStringList> PointResultRows(const Network &net, const Result &result)
{
    QList<QStringList> rows;
    for (size_t i = 0; i < result.points.size() && i < net.points.size(); ++i) {
        const PointResult &p = result.points[i];
        if (!p.plane && !p.height)
            continue;
        QStringList row(PointColumn::Count, QString());
        row[PointColumn::Name] = Text(net.points[i].id);
        if (p.plane) {
            row[PointColumn::X] = Fixed(4, p.x);
            row[PointColumn::Y] = Fixed(4, p.y);
            row[PointColumn::SigmaX] = Millimetres(p.sx);
            row[PointColumn::SigmaY] = Millimetres(p.sy);
            row[PointColumn::SigmaP] = Millimetres(p.sp);
            row[PointColumn::E] = Millimetres(p.ellipse.a);
            row[PointColumn::F] = Millimetres(p.ellipse.b);
            row[PointColumn::Phi] = PackedAngleText(EllipseBearing(net.settings.axes, p.ellipse.phi), 0);
        }
        if (p.height) {
            row[PointColumn::H] = Fixed(4, p.z);
            row[PointColumn::SigmaH] = Millimetres(p.sz);
        }
        rows.append(row);
    }
    return rows;
}

QList<QStringList> ObservationResultRows(const Network &net, const Result &result)
{
    QList<QStringList> rows;
    rows.reserve(qsizetype(net.observations.size()));
    for (size_t i = 0; i < net.observations.size() && i < result.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        const ObservationResult &r = result.observations[i];
        const bool angular = IsAngular(o.kind);
        const int station = StationOf(net, o);
        const auto small = [&](Real v) { return angular ? Fixed(2, v / ArcSecond) : Millimetres(v); };
        const auto value = [&](Real v) { return angular ? PackedAngleText(Normalised(v), 2) : Fixed(4, v); };
        rows.append({PointName(net, station), o.kind == ObservationKind::Angle ? PointName(net, o.bs) : QString(),
                     PointName(net, o.to), KindWord(o.kind), value(o.value), small(r.residual), value(r.adjusted),
                     small(r.sigmaAdjusted), Fixed(3, r.redundancy), r.tested ? Fixed(2, r.w) : QString(),
                     r.tested ? small(r.mdb) : QString()});
    }
    return rows;
}

QList<QStringList> RelativeEllipseRows(const Network &net, const Result &result)
{
    QList<QStringList> rows;
    for (const RelativeEllipse &r : result.relative) {
        const Real ratio = r.ellipse.a > 0 ? r.length / r.ellipse.a : 0;
        rows.append({PointName(net, r.from), PointName(net, r.to), Fixed(4, r.length), Millimetres(r.ellipse.a),
                     Millimetres(r.ellipse.b), PackedAngleText(EllipseBearing(net.settings.axes, r.ellipse.phi), 0),
                     ratio > 0 ? QStringLiteral("1/%1").arg(Fixed(0, ratio)) : QStringLiteral("—")});
    }
    return rows;
}

QList<int> BlunderRows(const Result &result)
{
    QList<int> rows;
    for (size_t i = 0; i < result.observations.size(); ++i)
        if (result.observations[i].tested && std::fabs(result.observations[i].w) > WCritical)
            rows.append(int(i));
    return rows;
}

QList<std::pair<QString, QString>> SummaryItems(const Network &net, const Result &result)
{
    const Summary &s = result.summary;
    QList<std::pair<QString, QString>> items;
    const auto add = [&](const char *caption, const QString &value) { items.append({QString::fromUtf8(caption), value}); };
    int points = 0, fixed = 0;
    for (const Point &p : net.points) {
        if (p.plane == Role::Unused && p.height == Role::Unused)
            continue;
        ++points;
        if (p.plane != Role::Adjusted && p.plane != Role::Constrained && p.height != Role::Adjusted
            && p.height != Role::Constrained)
            ++fixed;
    }
    add("点数", QStringLiteral("%1（已知点 %2，待定点 %3）").arg(points).arg(fixed).arg(points - fixed));
    add("观测数", QString::number(s.observations));
    add("未知数", s.defect > 0 ? QStringLiteral("%1（网的亏损 %2）").arg(s.unknowns).arg(s.defect)
                               : QString::number(s.unknowns));
    add("多余观测数", QString::number(s.dof));
    add("vᵀPv", Fixed(3, s.vtpv)); // fixed decimals: an absurd a priori σ0 gives a huge sum, never an exponent
    add("验前单位权中误差", Hundredths(s.sigma0Apriori));
    add("单位权中误差 σ0", Hundredths(s.sigma0Aposteriori) + (s.aposterioriUsed ? QStringLiteral("（精度按验后 σ0 计算）")
                                                                                   : QStringLiteral("（精度按验前 σ0 计算）")));
    if (s.chi2.done) {
        add("χ² 检验",
            QStringLiteral("%1（σ0验后/σ0验前 = %2，置信度 %3% 的区间 [%4, %5]）")
                .arg(s.chi2.passed ? QStringLiteral("通过") : QStringLiteral("未通过"), Hundredths(s.chi2.ratio),
                     Text(GeneralText(RoundHalfEven(s.chi2.probability * 1000) / 10)), Hundredths(s.chi2.lower),
                     Hundredths(s.chi2.upper)));
    } else {
        add("χ² 检验", QStringLiteral("无多余观测，未检验"));
    }
    if (s.weakestPoint >= 0 && size_t(s.weakestPoint) < result.points.size()) {
        const PointResult &p = result.points[size_t(s.weakestPoint)];
        add("最弱点", p.plane ? QStringLiteral("%1  点位中误差 %2 mm").arg(PointName(net, s.weakestPoint), Millimetres(p.sp))
                              : QStringLiteral("%1  高程中误差 %2 mm").arg(PointName(net, s.weakestPoint), Millimetres(p.sz)));
    } else {
        add("最弱点", QStringLiteral("—"));
    }
    if (s.weakestSide >= 0 && size_t(s.weakestSide) < result.relative.size()) {
        const RelativeEllipse &r = result.relative[size_t(s.weakestSide)];
        add("最弱边", QStringLiteral("%1-%2  边长 %3 m，相对误差椭圆长半轴 %4 mm，边长相对精度 1/%5")
                         .arg(PointName(net, r.from), PointName(net, r.to), Fixed(3, r.length), Millimetres(r.ellipse.a),
                              r.ellipse.a > 0 ? Fixed(0, r.length / r.ellipse.a) : QStringLiteral("∞")));
    } else {
        add("最弱边", QStringLiteral("—"));
    }
    if (s.suspect >= 0 && size_t(s.suspect) < net.observations.size()) {
        const Observation &o = net.observations[size_t(s.suspect)];
        add("可能的粗差", QStringLiteral("%1 %2  w = %3（临界值 %4）")
                              .arg(KindWord(o.kind), Text(ObservationLabel(net, o)),
                                   Fixed(2, result.observations[size_t(s.suspect)].w), Fixed(2, WCritical)));
    } else {
        add("可能的粗差", QStringLiteral("无（所有 |w| ≤ %1）").arg(Fixed(2, WCritical)));
    }
    add("迭代次数", QString::number(s.iterations));
    return items;
}

QString SummaryText(const Network &net, const Result &result)
{
    QStringList lines;
    for (const auto &[caption, value] : SummaryItems(net, result))
        lines.append(caption + QStringLiteral("：") + value);
    return lines.join(QLatin1Char('\n'));
}

} // namespace quorvil
