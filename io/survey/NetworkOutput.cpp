#include "NetworkOutput.h"

#include "SurveyText.h"

#include "core/TextForms.h"

#include <QString>

#include <cmath>

namespace quorvil {

using namespace network;

namespace {

constexpr Real RadToArcSecond = 648000 / Pi;

// An observation's figure in its output unit: ″ for angles, mm otherwise.
Real SmallUnit(const Observation &o, Real value)
{
    return IsAngular(o.kind) ? value * RadToArcSecond : value * 1000;
}

// Observed and adjusted values: decimal degrees or metres.
Real LargeUnit(const Observation &o, Real value)
{
    return IsAngular(o.kind) ? RadToDeg(value) : value;
}

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

std::string N(Real v, int decimals)
{
    return TrimmedNumberText(decimals, v);
}

const char *StatusName(const Point &p)
{
    const Role r = p.plane != Role::Unused ? p.plane : p.height;
    switch (r) {
    case Role::Fixed: return "fixed";
    case Role::Constrained: return "constrained";
    default: return "adjusted";
    }
}

QString StatusNameZh(const Point &p)
{
    const Role r = p.plane != Role::Unused ? p.plane : p.height;
    switch (r) {
    case Role::Fixed: return QStringLiteral("已知");
    case Role::Constrained: return QStringLiteral("约束");
    default: return QStringLiteral("待定");
    }
}

QString Q(const std::string &s)
{
    return QString::fromStdString(s);
}

// An angle as d°mm′ss.ss″ in [0°, 360°): rounded to 0.01″ first, so that 59.995″ carries into the
// minute and an adjusted direction of −0.004″ prints as 0°00′00.00″, −0.01″ as 359°59′59.99″.
QString AngleText(Real radians)
{
    constexpr long long HundredthsPerCircle = 360LL * 3600 * 100;
    long long total = std::llround(RadToDeg(radians) * 360000) % HundredthsPerCircle;
    if (total < 0)
        total += HundredthsPerCircle;
    const long long seconds = total / 100;
    return QStringLiteral("%1°%2′%3.%4″")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(total % 100, 2, 10, QLatin1Char('0'));
}

std::string Phi(Real radians)
{
    return N(RadToDeg(radians), 1);
}

} // namespace

std::string NetworkSummaryLine(const Network &net, const Result &r)
{
    const Summary &s = r.summary;
    std::string line = "观测数 " + std::to_string(s.observations) + ", 未知数 " + std::to_string(s.unknowns);
    if (s.defect)
        line += " (亏秩 " + std::to_string(s.defect) + ")";
    line += ", 多余观测数 " + std::to_string(s.dof) + ", 单位权中误差 " + N(s.sigma0Aposteriori, 4) + " (验前 " +
            N(s.sigma0Apriori, 4) + ")";
    if (s.chi2.done)
        line += ", χ² 检验 (" + N(s.chi2.probability, 3) + ") " + (s.chi2.passed ? "通过" : "未通过") + " [" + N(s.chi2.lower, 3) +
                ", " + N(s.chi2.upper, 3) + "]";
    else
        line += ", 无多余观测, 不作 χ² 检验";
    if (s.suspect >= 0) {
        const Observation &o = net.observations[size_t(s.suspect)];
        line += ", 可疑观测: " + std::string(KindNameZh(o.kind)) + " " + ObservationLabel(net, o) +
                (o.line > 0 ? " (第 " + std::to_string(o.line) + " 行)" : std::string()) + " w = " +
                N(r.observations[size_t(s.suspect)].w, 2);
    }
    if (!net.setAside.empty()) {
        line += "; 已剔除 " + std::to_string(net.setAside.size()) + " 项:";
        for (const std::string &what : net.setAside)
            line += " " + what + ";";
        line.pop_back();
    }
    return line;
}

QStringList NetworkResultLines(const SurveyFile &file, const Result &r)
{
    const Network &net = file.network;
    const Summary &s = r.summary;
    QStringList lines;
    lines << QStringLiteral("控制网严密平差结果");
    if (!file.header.project.isEmpty())
        lines << QStringLiteral("工程名称,") + file.header.project;
    if (!file.header.grade.isEmpty())
        lines << QStringLiteral("等级,") + file.header.grade;
    if (!file.header.calculator.isEmpty())
        lines << QStringLiteral("计算者,") + file.header.calculator;
    if (!file.header.checker.isEmpty())
        lines << QStringLiteral("校核者,") + file.header.checker;
    if (!file.header.date.isEmpty())
        lines << QStringLiteral("日期,") + file.header.date;
    lines << QStringLiteral("观测数,%1").arg(s.observations) << QStringLiteral("未知数,%1").arg(s.unknowns)
          << QStringLiteral("多余观测数,%1").arg(s.dof) << QStringLiteral("[pvv],") + Q(N(s.vtpv, 6))
          << QStringLiteral("验前单位权中误差,") + Q(N(s.sigma0Apriori, 4))
          << QStringLiteral("验后单位权中误差,") + Q(N(s.sigma0Aposteriori, 4))
          << QStringLiteral("精度评定所用单位权中误差,") + (s.aposterioriUsed ? QStringLiteral("验后") : QStringLiteral("验前"));
    for (const std::string &what : net.setAside)
        lines << QStringLiteral("已剔除,") + Q(what).replace(u',', u'，'); // one cell
    if (s.chi2.done)
        lines << QStringLiteral("χ²检验,%1,%2,%3,%4")
                     .arg(Q(N(s.chi2.probability, 3)), Q(N(s.chi2.lower, 3)), Q(N(s.chi2.upper, 3)),
                          s.chi2.passed ? QStringLiteral("通过") : QStringLiteral("未通过"));
    if (s.suspect >= 0) {
        const Observation &o = net.observations[size_t(s.suspect)];
        lines << QStringLiteral("可疑观测,%1 %2,w=%3")
                     .arg(QString::fromUtf8(KindNameZh(o.kind)), Q(ObservationLabel(net, o)), Q(N(r.observations[size_t(s.suspect)].w, 2)));
    }
    if (s.weakestPoint >= 0)
        lines << QStringLiteral("最弱点,") + Q(net.points[size_t(s.weakestPoint)].id);
    if (s.weakestSide >= 0) {
        const RelativeEllipse &e = r.relative[size_t(s.weakestSide)];
        lines << QStringLiteral("最弱边,%1-%2,1/%3")
                     .arg(Q(net.points[size_t(e.from)].id), Q(net.points[size_t(e.to)].id),
                          Q(N(e.ellipse.a > 0 ? e.length / e.ellipse.a : 0, 0)));
    }
    lines << QString();
    lines << QStringLiteral("点名,状态,X(m),Y(m),H(m),Mx(mm),My(mm),Mp(mm),E(mm),F(mm),φ(°),Mh(mm)");
    for (size_t p = 0; p < net.points.size(); ++p) {
        const Point &pt = net.points[p];
        const PointResult &pr = r.points[p];
        const bool plane = pt.plane != Role::Unused, height = pt.height != Role::Unused;
        if (!plane && !height)
            continue; // defined, but not part of the adjustment
        QStringList f;
        f << Q(pt.id) << StatusNameZh(pt) << (plane ? Q(N(pr.x, 4)) : QString()) << (plane ? Q(N(pr.y, 4)) : QString())
          << (height ? Q(N(pr.z, 4)) : QString());
        if (pr.plane)
            f << Q(N(pr.sx * 1000, 2)) << Q(N(pr.sy * 1000, 2)) << Q(N(pr.sp * 1000, 2)) << Q(N(pr.ellipse.a * 1000, 2))
              << Q(N(pr.ellipse.b * 1000, 2)) << Q(Phi(pr.ellipse.phi));
        else
            f << QString() << QString() << QString() << QString() << QString() << QString();
        f << (pr.height ? Q(N(pr.sz * 1000, 2)) : QString());
        lines << f.join(u',');
    }
    lines << QString();
    lines << QStringLiteral("类型,测站/起点,后视,照准点/终点,观测值,平差值,改正数(″/mm),中误差(″/mm),多余观测分量r,w,MDB(″/mm)");
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        const ObservationResult &or_ = r.observations[i];
        const auto id = [&](int p) { return p >= 0 ? Q(net.points[size_t(p)].id) : QString(); };
        const int from = StationOf(net, o);
        QString to = id(o.to);
        if (o.kind == ObservationKind::CoordinateX)
            to = QStringLiteral("x");
        if (o.kind == ObservationKind::CoordinateY)
            to = QStringLiteral("y");
        const bool angular = IsAngular(o.kind);
        QStringList f;
        f << QString::fromUtf8(KindNameZh(o.kind)) << id(from) << id(o.bs) << to
          << (angular ? AngleText(o.value) : Q(N(o.value, 4))) << (angular ? AngleText(or_.adjusted) : Q(N(or_.adjusted, 4)))
          << Q(N(SmallUnit(o, or_.residual), 2)) << Q(N(SmallUnit(o, o.stdev), 2)) << Q(N(or_.redundancy, 3))
          << (or_.tested ? Q(N(or_.w, 2)) : QString()) << (or_.tested ? Q(N(SmallUnit(o, or_.mdb), 1)) : QString());
        lines << f.join(u',');
    }
    if (!r.relative.empty()) {
        lines << QString();
        lines << QStringLiteral("相对误差椭圆,起点,终点,边长(m),E(mm),F(mm),φ(°),E/S");
        for (const RelativeEllipse &e : r.relative)
            lines << QStringLiteral(",%1,%2,%3,%4,%5,%6,1/%7")
                         .arg(Q(net.points[size_t(e.from)].id), Q(net.points[size_t(e.to)].id), Q(N(e.length, 3)),
                              Q(N(e.ellipse.a * 1000, 2)), Q(N(e.ellipse.b * 1000, 2)), Q(Phi(e.ellipse.phi)),
                              Q(N(e.ellipse.a > 0 ? e.length / e.ellipse.a : 0, 0)));
    }
    return lines;
}

std::string NetworkResultJson(const Network &net, const Result &r)
{
    const Summary &s = r.summary;
    std::string j = "{\"summary\": {";
    j += "\"observations\": " + std::to_string(s.observations) + ", \"unknowns\": " + std::to_string(s.unknowns) +
         ", \"defect\": " + std::to_string(s.defect) + ", \"dof\": " + std::to_string(s.dof) + ", \"vtpv\": " + N(s.vtpv, 8) +
         ", \"sigma0_apriori\": " + N(s.sigma0Apriori, 8) + ", \"sigma0_aposteriori\": " + N(s.sigma0Aposteriori, 8) +
         ", \"sigma_used\": \"" + (s.aposterioriUsed ? "aposteriori" : "apriori") + "\", \"iterations\": " + std::to_string(s.iterations) +
         ", \"chi2_test\": ";
    if (s.chi2.done)
        j += "{\"probability\": " + N(s.chi2.probability, 6) + ", \"ratio\": " + N(s.chi2.ratio, 6) + ", \"lower\": " +
             N(s.chi2.lower, 6) + ", \"upper\": " + N(s.chi2.upper, 6) + ", \"passed\": " + (s.chi2.passed ? "true" : "false") + "}";
    else
        j += "null";
    j += ", \"suspect\": " + (s.suspect >= 0 ? std::to_string(s.suspect) : std::string("null"));
    j += ", \"weakest_point\": " + (s.weakestPoint >= 0 ? JsonString(net.points[size_t(s.weakestPoint)].id) : std::string("null"));
    j += ", \"weakest_side\": ";
    if (s.weakestSide >= 0) {
        const RelativeEllipse &e = r.relative[size_t(s.weakestSide)];
        j += "{\"from\": " + JsonString(net.points[size_t(e.from)].id) + ", \"to\": " + JsonString(net.points[size_t(e.to)].id) + "}";
    } else {
        j += "null";
    }
    j += ", \"set_aside\": [";
    for (size_t k = 0; k < net.setAside.size(); ++k)
        j += (k ? ", " : "") + JsonString(net.setAside[k]);
    j += "]},\n \"points\": [";
    const auto mm = [](Real v) { return N(v * 1000, 4); };
    bool first = true;
    for (size_t p = 0; p < net.points.size(); ++p) {
        const Point &pt = net.points[p];
        const PointResult &pr = r.points[p];
        const bool plane = pt.plane != Role::Unused, height = pt.height != Role::Unused;
        if (!plane && !height)
            continue; // defined, but not part of the adjustment
        j += std::string(first ? "\n  " : ",\n  ") + "{\"id\": " + JsonString(pt.id);
        first = false;
        j += ", \"x\": " + (plane ? N(pr.x, 6) : "null") + ", \"y\": " + (plane ? N(pr.y, 6) : "null") + ", \"z\": " +
             (height ? N(pr.z, 6) : "null") + ", \"status\": \"" + StatusName(pt) + "\"";
        if (pr.plane)
            j += ", \"sx\": " + mm(pr.sx) + ", \"sy\": " + mm(pr.sy) + ", \"sp\": " + mm(pr.sp) + ", \"ellipse\": {\"a\": " +
                 mm(pr.ellipse.a) + ", \"b\": " + mm(pr.ellipse.b) + ", \"phi\": " + N(RadToDeg(pr.ellipse.phi), 4) + "}";
        else
            j += ", \"sx\": null, \"sy\": null, \"sp\": null, \"ellipse\": null";
        j += ", \"sz\": " + (pr.height ? mm(pr.sz) : "null") + "}";
    }
    j += "],\n \"relative_ellipses\": [";
    for (size_t k = 0; k < r.relative.size(); ++k) {
        const RelativeEllipse &e = r.relative[k];
        j += std::string(k ? ",\n  " : "\n  ") + "{\"from\": " + JsonString(net.points[size_t(e.from)].id) +
             ", \"to\": " + JsonString(net.points[size_t(e.to)].id) + ", \"length\": " + N(e.length, 6) +
             ", \"a\": " + mm(e.ellipse.a) + ", \"b\": " + mm(e.ellipse.b) + ", \"phi\": " + N(RadToDeg(e.ellipse.phi), 4) + "}";
    }
    j += "],\n \"observations\": [";
    for (size_t i = 0; i < net.observations.size(); ++i) {
        const Observation &o = net.observations[i];
        const ObservationResult &or_ = r.observations[i];
        const int from = StationOf(net, o);
        const auto id = [&](int p) { return p >= 0 ? JsonString(net.points[size_t(p)].id) : std::string("null"); };
        const int big = IsAngular(o.kind) ? 10 : 6;
        j += std::string(i ? ",\n  " : "\n  ") + "{\"kind\": \"" + KindName(o.kind) + "\", \"from\": " + id(from) +
             ", \"to\": " + id(o.to) + ", \"bs\": " + id(o.bs);
        if (o.kind == ObservationKind::CoordinateX || o.kind == ObservationKind::CoordinateY)
            j += std::string(", \"axis\": \"") + (o.kind == ObservationKind::CoordinateX ? "x" : "y") + "\"";
        if (DimensionOf(o.kind) == Dimension::Space) // the ends of the line of sight, metres above the points
            j += ", \"from_dh\": " + N(o.fromDh, 6) + ", \"to_dh\": " + N(o.toDh, 6);
        j += ", \"observed\": " + N(LargeUnit(o, o.value), big) + ", \"adjusted\": " + N(LargeUnit(o, or_.adjusted), big) +
             ", \"residual\": " + N(SmallUnit(o, or_.residual), 4) + ", \"stdev\": " + N(SmallUnit(o, o.stdev), 4) +
             ", \"redundancy\": " + N(or_.redundancy, 5) + ", \"w\": " + (or_.tested ? N(or_.w, 4) : "null") +
             ", \"mdb\": " + (or_.tested ? N(SmallUnit(o, or_.mdb), 3) : "null") + "}";
    }
    j += "]}\n";
    return j;
}

} // namespace quorvil
