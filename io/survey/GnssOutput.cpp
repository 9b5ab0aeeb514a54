// The GNSS result table, summary line and JSON. See GnssOutput.h.
#include "GnssOutput.h"

#include "core/TextForms.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace quorvil {

using namespace gnss;

namespace {

constexpr Real RadToArcSecond = 648000 / Pi;

QString N(Real v, int decimals)
{
    return QString::fromStdString(NumberToText(decimals, v));
}

QString Mm(Real metres)
{
    return N(metres * 1000, 1);
}

QString Q(const std::string &s)
{
    return QString::fromStdString(s);
}

QJsonValue J(Real v)
{
    return std::isfinite(double(v)) ? QJsonValue(double(v)) : QJsonValue();
}

QJsonArray J3(Real a, Real b, Real c)
{
    return {J(a), J(b), J(c)};
}

QJsonObject ChiJson(const AdjustmentSummary &s)
{
    return {{"probability", J(s.chi2.probability)}, {"ratio", J(s.chi2.ratio)}, {"lower", J(s.chi2.lower)},
            {"upper", J(s.chi2.upper)}, {"passed", s.chi2.passed}};
}

QString ChiText(const AdjustmentSummary &s)
{
    if (!s.chi2.done)
        return QStringLiteral("无多余观测, 不作 χ² 检验");
    return QStringLiteral("χ² 检验 (%1) %2: σ̂0/σ0 = %3, 区间 [%4, %5]")
        .arg(N(s.chi2.probability, 2), s.chi2.passed ? QStringLiteral("通过") : QStringLiteral("未通过"),
             N(s.chi2.ratio, 4), N(s.chi2.lower, 4), N(s.chi2.upper, 4));
}

} // namespace

QString Verdict(bool passed)
{
    return passed ? QStringLiteral("合格") : QStringLiteral("超限");
}

std::string LoopPoints(const BaselineNetwork &net, const LoopCheck &loop)
{
    std::string text;
    for (int p : loop.points)
        text += (text.empty() ? "" : "-") + net.points[size_t(p)];
    return text + "-" + net.points[size_t(loop.points.front())];
}

QStringList GnssSectionColumns(GnssSection section)
{
    switch (section) {
    case GnssSection::Repeated:
        return QStringList{"基线", "时段", "时段", "dX(mm)", "dY(mm)", "dZ(mm)", "ds(mm)", "限差(mm)", "结论"};
    case GnssSection::Loops:
        return QStringList{"类型", "时段", "环", "边数", "环长(m)", "WX(mm)", "WY(mm)", "WZ(mm)", "W(mm)",
                                "分量限差(mm)", "全长限差(mm)", "结论"};
    case GnssSection::FreePoints:
        return QStringList{"点名", "X(m)", "Y(m)", "Z(m)", "MX(mm)", "MY(mm)", "MZ(mm)",
                                 "B", "L", "H(m)", "MN(mm)", "ME(mm)", "MU(mm)"};
    case GnssSection::Baselines:
        return QStringList{"时段", "起点", "终点", "VX(mm)", "VY(mm)", "VZ(mm)", "rX", "rY", "rZ",
                                    "wX", "wY", "wZ", "3σ(mm)", "结论"};
    case GnssSection::GridPoints:
        return QStringList{"点名", "状态", "x(m)", "y(m)", "大地高(m)", "Mx(mm)", "My(mm)", "Mp(mm)", "E(mm)", "F(mm)", "φ(°)"};
    case GnssSection::KnownResiduals:
        return QStringList{"点名", "vx(mm)", "vy(mm)", "v(mm)", "限差(mm)", "结论"};
    case GnssSection::Relative:
        return QStringList{"起点", "终点", "S(m)", "E(mm)", "F(mm)", "φ(°)", "E/S"};
    default:
        return {};
    }
}

QList<QPair<QString, QString>> GnssSummaryItems(const Job &job, const JobResults &r)
{
    const BaselineNetwork &net = job.network;
    const AdjustmentSummary &s = r.free.summary;
    QList<QPair<QString, QString>> items;
    items << qMakePair(QStringLiteral("等级"), QStringLiteral("%1 (σ = √(%2² + (%3·d)²) mm)")
                                               .arg(Q(job.grade.name), N(job.grade.a, 0), N(job.grade.b, 0)));
    items << qMakePair(QStringLiteral("基线数"), QString::number(net.baselines.size()));
    items << qMakePair(QStringLiteral("点数"), QString::number(net.points.size()));
    const int failures = r.checks.failures();
    items << qMakePair(QStringLiteral("检验"), QStringLiteral("重复基线 %1 组, 闭合环 %2 个, %3")
                                              .arg(r.checks.repeated.size())
                                              .arg(r.checks.loops.size())
                                              .arg(failures ? QStringLiteral("%1 项超限").arg(failures) : QStringLiteral("全部合格")));
    if (!r.checks.withoutLoop.empty()) {
        QStringList names;
        for (int p : r.checks.withoutLoop)
            names << Q(net.points[size_t(p)]);
        items << qMakePair(QStringLiteral("不在闭合环中的点 (支点, 无检核)"), names.join(QStringLiteral(", ")));
    }
    items << qMakePair(QStringLiteral("无约束平差固定点"), Q(net.points[size_t(r.free.held)]));
    items << qMakePair(QStringLiteral("观测数 / 未知数 / 多余观测数"),
                       QStringLiteral("%1 / %2 / %3").arg(s.observations).arg(s.unknowns).arg(s.dof));
    items << qMakePair(QStringLiteral("单位权中误差"), N(s.sigma0Aposteriori, 4));
    items << qMakePair(QStringLiteral("χ² 检验"), ChiText(s));
    items << qMakePair(QStringLiteral("可疑基线"), s.suspect >= 0 ? Q(BaselineName(net, s.suspect)) : QStringLiteral("无"));
    if (r.constrained) {
        const ConstrainedResult &c = *r.constrained;
        items << qMakePair(QStringLiteral("中央子午线 / Y 常数 / 投影面高"),
                           QStringLiteral("%1° / %2 m / %3 m")
                               .arg(N(job.grid.centralMeridian, 6), N(job.grid.yConstant, 3), N(job.grid.projectionHeight, 3)));
        items << qMakePair(QStringLiteral("旋转"), c.rotationScaleEstimated
                                                     ? QStringLiteral("%1″ ± %2″").arg(N(c.rotation * RadToArcSecond, 3), N(c.sRotation * RadToArcSecond, 3))
                                                     : QStringLiteral("只有一个已知点, 不作估计"));
        items << qMakePair(QStringLiteral("尺度"), c.rotationScaleEstimated
                                                     ? QStringLiteral("%1 ppm ± %2 ppm").arg(N(c.scale * 1e6, 3), N(c.sScale * 1e6, 3))
                                                     : QStringLiteral("只有一个已知点, 不作估计"));
        items << qMakePair(QStringLiteral("约束平差多余观测数 / 单位权中误差"),
                           QStringLiteral("%1 / %2").arg(c.summary.dof).arg(N(c.summary.sigma0Aposteriori, 4)));
        items << qMakePair(QStringLiteral("约束平差 χ² 检验"), ChiText(c.summary));
        items << qMakePair(QStringLiteral("已知点检核"),
                           c.knownResiduals.empty() ? QStringLiteral("已知点少于 3 个, 不作检核")
                           : c.worstKnown >= 0
                               ? QStringLiteral("%1 残差 %2 mm")
                                     .arg(Q(job.known[size_t(c.knownResiduals[size_t(c.worstKnown)].known)].name),
                                          N(c.knownResiduals[size_t(c.worstKnown)].v * 1000, 0))
                               : QStringLiteral("合格"));
    }
    return items;
}

QList<GnssTable> GnssTables(const Job &job, const JobResults &r)
{
    const BaselineNetwork &net = job.network;
    QList<GnssTable> t(int(GnssSection::Count));
    auto &repeated = t[int(GnssSection::Repeated)];
    repeated.caption = QStringLiteral("重复基线检验 (ds ≤ 2√2σ)");
    repeated.columns = GnssSectionColumns(GnssSection::Repeated);
    for (const RepeatCheck &c : r.checks.repeated) {
        const Baseline &a = net.baselines[size_t(c.first)], &b = net.baselines[size_t(c.second)];
        repeated.rows << QStringList{Q(net.points[size_t(a.from)] + "→" + net.points[size_t(a.to)]), Q(a.session), Q(b.session),
                                     Mm(c.difference[0]), Mm(c.difference[1]), Mm(c.difference[2]), Mm(c.ds), Mm(c.limit),
                                     Verdict(c.passed)};
    }
    auto &loops = t[int(GnssSection::Loops)];
    loops.caption = QStringLiteral("闭合环检验 (同步环 W ≤ √n/5·σ, 异步环 W ≤ 2√n·σ)");
    loops.columns = GnssSectionColumns(GnssSection::Loops);
    for (const LoopCheck &l : r.checks.loops)
        loops.rows << QStringList{l.synchronous ? QStringLiteral("同步环") : QStringLiteral("异步环"), Q(l.session),
                                  Q(LoopPoints(net, l)), QString::number(l.baselines.size()), N(l.length, 3), Mm(l.w[0]),
                                  Mm(l.w[1]), Mm(l.w[2]), Mm(l.wTotal), Mm(l.componentLimit), Mm(l.totalLimit),
                                  Verdict(l.passed)};
    auto &points = t[int(GnssSection::FreePoints)];
    points.caption = QStringLiteral("三维无约束平差坐标 (固定点 %1)").arg(Q(net.points[size_t(r.free.held)]));
    points.columns = GnssSectionColumns(GnssSection::FreePoints);
    for (size_t p = 0; p < net.points.size(); ++p) {
        const FreePoint &f = r.free.points[p];
        points.rows << QStringList{Q(net.points[p]), N(f.X, 4), N(f.Y, 4), N(f.Z, 4), Mm(f.sX), Mm(f.sY), Mm(f.sZ),
                                   Q(DmsText(5, f.B)), Q(DmsText(5, f.L)), N(f.H, 4), Mm(f.sN), Mm(f.sE), Mm(f.sU)};
    }
    auto &baselines = t[int(GnssSection::Baselines)];
    baselines.caption = QStringLiteral("基线改正数与检验 (|V| ≤ 3σ, |w| ≤ %1)").arg(N(r.free.summary.wCritical, 2));
    baselines.columns = GnssSectionColumns(GnssSection::Baselines);
    for (size_t b = 0; b < net.baselines.size(); ++b) {
        const Baseline &bl = net.baselines[b];
        const BaselineResult &br = r.free.baselines[b];
        bool passed = br.withinGrade;
        QStringList row{Q(bl.session), Q(net.points[size_t(bl.from)]), Q(net.points[size_t(bl.to)])};
        for (const Component &c : br.c)
            row << Mm(c.residual);
        for (const Component &c : br.c)
            row << N(c.redundancy, 3);
        for (const Component &c : br.c) {
            row << (c.tested ? N(c.w, 2) : QStringLiteral("-"));
            passed = passed && std::fabs(c.w) <= r.free.summary.wCritical;
        }
        row << Mm(ResidualSigmaFactor * br.gradeSigma) << Verdict(passed);
        baselines.rows << row;
    }
    auto &grid = t[int(GnssSection::GridPoints)];
    grid.caption = QStringLiteral("二维约束平差坐标 (中央子午线 %1°)").arg(N(job.grid.centralMeridian, 6));
    grid.columns = GnssSectionColumns(GnssSection::GridPoints);
    auto &known = t[int(GnssSection::KnownResiduals)];
    known.caption = QStringLiteral("已知点检核 (无约束网相似变换到已知点的残差)");
    known.columns = GnssSectionColumns(GnssSection::KnownResiduals);
    auto &relative = t[int(GnssSection::Relative)];
    relative.caption = QStringLiteral("相对误差椭圆");
    relative.columns = GnssSectionColumns(GnssSection::Relative);
    if (r.constrained) {
        const ConstrainedResult &c = *r.constrained;
        for (size_t p = 0; p < net.points.size(); ++p) {
            const ConstrainedPoint &cp = c.points[p];
            grid.rows << QStringList{Q(net.points[p]), cp.known ? QStringLiteral("已知") : QStringLiteral("待定"), N(cp.x, 4),
                                     N(cp.y, 4), N(r.free.points[p].H, 4), Mm(cp.sx), Mm(cp.sy), Mm(cp.sp), Mm(cp.ellipse.a), Mm(cp.ellipse.b),
                                     N(RadToDeg(cp.ellipse.phi), 2)};
        }
        for (const KnownResidual &k : c.knownResiduals)
            known.rows << QStringList{Q(job.known[size_t(k.known)].name), Mm(k.vx), Mm(k.vy), Mm(k.v), Mm(c.knownLimit),
                                      Verdict(k.passed)};
        for (const RelativeResult &rel : c.relative)
            relative.rows << QStringList{Q(net.points[size_t(rel.from)]), Q(net.points[size_t(rel.to)]), N(rel.length, 3),
                                         Mm(rel.ellipse.a), Mm(rel.ellipse.b), N(RadToDeg(rel.ellipse.phi), 2),
                                         rel.ellipse.a > 0 ? QStringLiteral("1/") + N(rel.length / rel.ellipse.a, 0)
                                                           : QStringLiteral("-")};
    }
    return t;
}

QStringList GnssResultLines(const Job &job, const JobResults &r)
{
    QStringList out{QStringLiteral("GNSS 网平差结果")};
    for (const auto &[caption, value] : GnssSummaryItems(job, r))
        out << caption + QLatin1Char(',') + value;
    for (const GnssTable &t : GnssTables(job, r)) {
        if (t.rows.isEmpty())
            continue;
        out << QString() << t.caption << t.columns.join(QLatin1Char(','));
        for (const QStringList &row : t.rows)
            out << row.join(QLatin1Char(','));
    }
    return out;
}

std::string GnssSummaryLine(const Job &job, const JobResults &r)
{
    const AdjustmentSummary &s = r.free.summary;
    const int failures = r.checks.failures();
    QString text = QStringLiteral("基线 %1 条, 点 %2 个; 检验 %3 项, %4; 无约束平差: 观测数 %5, 多余观测数 %6, 单位权中误差 %7, %8")
                       .arg(job.network.baselines.size())
                       .arg(job.network.points.size())
                       .arg(r.checks.repeated.size() + r.checks.loops.size())
                       .arg(failures ? QStringLiteral("%1 项超限").arg(failures) : QStringLiteral("全部合格"))
                       .arg(s.observations)
                       .arg(s.dof)
                       .arg(N(s.sigma0Aposteriori, 4), ChiText(s));
    if (s.suspect >= 0)
        text += QStringLiteral("; 可疑基线: %1").arg(Q(BaselineName(job.network, s.suspect)));
    if (r.constrained) {
        const ConstrainedResult &c = *r.constrained;
        text += QStringLiteral("; 约束平差: 旋转 %1″, 尺度 %2 ppm, 单位权中误差 %3")
                    .arg(N(c.rotation * RadToArcSecond, 3), N(c.scale * 1e6, 3), N(c.summary.sigma0Aposteriori, 4));
        if (c.worstKnown >= 0)
            text += QStringLiteral("; 已知点不符: %1 残差 %2 mm")
                        .arg(Q(job.known[size_t(c.knownResiduals[size_t(c.worstKnown)].known)].name),
                             N(c.knownResiduals[size_t(c.worstKnown)].v * 1000, 0));
    }
    return text.toStdString();
}

std::string GnssResultJson(const Job &job, const JobResults &r)
{
    const BaselineNetwork &net = job.network;
    const AdjustmentSummary &s = r.free.summary;
    int failures = r.checks.failures();
    for (const BaselineResult &b : r.free.baselines)
        failures += !b.withinGrade;
    QJsonObject summary{{"baselines", int(net.baselines.size())},
                        {"points", int(net.points.size())},
                        {"grade", Q(job.grade.name)},
                        {"observations", s.observations},
                        {"unknowns", s.unknowns},
                        {"dof", s.dof},
                        {"vtpv", J(s.vtpv)},
                        {"sigma0_apriori", J(s.sigma0Apriori)},
                        {"sigma0_aposteriori", J(s.sigma0Aposteriori)},
                        {"chi2_test", s.chi2.done ? QJsonValue(ChiJson(s)) : QJsonValue()},
                        {"w_critical", J(s.wCritical)},
                        {"suspect", s.suspect >= 0 ? QJsonValue(s.suspect) : QJsonValue()},
                        {"held", Q(net.points[size_t(r.free.held)])},
                        {"failures", failures},
                        {"points_without_loop", [&] {
                             QJsonArray names;
                             for (int p : r.checks.withoutLoop)
                                 names.append(Q(net.points[size_t(p)]));
                             return names;
                         }()}};
    QJsonArray points;
    for (size_t p = 0; p < net.points.size(); ++p) {
        const FreePoint &f = r.free.points[p];
        QJsonObject o{{"id", Q(net.points[p])}, {"held", f.held}, {"X", J(f.X)}, {"Y", J(f.Y)}, {"Z", J(f.Z)},
                      {"sX", J(f.sX * 1000)}, {"sY", J(f.sY * 1000)}, {"sZ", J(f.sZ * 1000)}, {"B", J(f.B)},
                      {"L", J(f.L)}, {"H", J(f.H)}, {"sN", J(f.sN * 1000)}, {"sE", J(f.sE * 1000)}, {"sU", J(f.sU * 1000)}};
        if (r.constrained) {
            const ConstrainedPoint &c = r.constrained->points[p];
            o["known"] = c.known;
            o["x"] = J(c.x), o["y"] = J(c.y);
            o["sx"] = J(c.sx * 1000), o["sy"] = J(c.sy * 1000), o["sp"] = J(c.sp * 1000);
            o["ellipse"] = QJsonObject{{"a", J(c.ellipse.a * 1000)}, {"b", J(c.ellipse.b * 1000)}, {"phi", J(RadToDeg(c.ellipse.phi))}};
        }
        points.append(o);
    }
    QJsonArray baselines;
    for (size_t b = 0; b < net.baselines.size(); ++b) {
        const Baseline &bl = net.baselines[b];
        const BaselineResult &br = r.free.baselines[b];
        QJsonArray v, red, w, mdb;
        for (const Component &c : br.c) {
            v.append(J(c.residual * 1000));
            red.append(J(c.redundancy));
            w.append(c.tested ? J(c.w) : QJsonValue());
            mdb.append(c.tested ? J(c.mdb * 1000) : QJsonValue());
        }
        baselines.append(QJsonObject{{"session", Q(bl.session)}, {"from", Q(net.points[size_t(bl.from)])},
                                     {"to", Q(net.points[size_t(bl.to)])}, {"line", bl.line},
                                     {"observed", J3(bl.d[0], bl.d[1], bl.d[2])}, {"residuals", v}, {"r", red},
                                     {"w", w}, {"mdb", mdb}, {"sigma_grade", J(br.gradeSigma * 1000)},
                                     {"passed", br.withinGrade}});
    }
    QJsonArray loops;
    for (const LoopCheck &l : r.checks.loops) {
        QJsonArray ids, lines;
        for (int p : l.points)
            ids.append(Q(net.points[size_t(p)]));
        for (int b : l.baselines)
            lines.append(b);
        loops.append(QJsonObject{{"kind", l.synchronous ? "synchronous" : "independent"}, {"session", Q(l.session)},
                                 {"points", ids}, {"baselines", lines}, {"length", J(l.length)},
                                 {"w", J3(l.w[0] * 1000, l.w[1] * 1000, l.w[2] * 1000)}, {"w_total", J(l.wTotal * 1000)},
                                 {"limit_component", J(l.componentLimit * 1000)}, {"limit_total", J(l.totalLimit * 1000)},
                                 {"passed", l.passed}});
    }
    QJsonArray repeated;
    for (const RepeatCheck &c : r.checks.repeated)
        repeated.append(QJsonObject{{"first", c.first}, {"second", c.second},
                                    {"difference", J3(c.difference[0] * 1000, c.difference[1] * 1000, c.difference[2] * 1000)},
                                    {"ds", J(c.ds * 1000)}, {"limit", J(c.limit * 1000)}, {"passed", c.passed}});
    QJsonValue constrained;
    if (r.constrained) {
        const ConstrainedResult &c = *r.constrained;
        QJsonArray residuals, relative;
        for (const KnownResidual &k : c.knownResiduals)
            residuals.append(QJsonObject{{"id", Q(job.known[size_t(k.known)].name)}, {"vx", J(k.vx * 1000)},
                                         {"vy", J(k.vy * 1000)}, {"v", J(k.v * 1000)}, {"passed", k.passed}});
        for (const RelativeResult &rel : c.relative)
            relative.append(QJsonObject{{"from", Q(net.points[size_t(rel.from)])}, {"to", Q(net.points[size_t(rel.to)])},
                                        {"length", J(rel.length)}, {"a", J(rel.ellipse.a * 1000)},
                                        {"b", J(rel.ellipse.b * 1000)}, {"phi", J(RadToDeg(rel.ellipse.phi))}});
        constrained = QJsonObject{
            {"rotation_seconds", J(c.rotation * RadToArcSecond)}, {"s_rotation_seconds", J(c.sRotation * RadToArcSecond)},
            {"scale_ppm", J(c.scale * 1e6)}, {"s_scale_ppm", J(c.sScale * 1e6)}, {"estimated", c.rotationScaleEstimated},
            {"dof", c.summary.dof}, {"sigma0_aposteriori", J(c.summary.sigma0Aposteriori)},
            {"chi2_test", c.summary.chi2.done ? QJsonValue(ChiJson(c.summary)) : QJsonValue()},
            {"suspect", c.summary.suspect >= 0 ? QJsonValue(c.summary.suspect) : QJsonValue()},
            {"known_residuals", residuals}, {"known_limit", J(c.knownLimit * 1000)},
            {"worst_known", c.worstKnown >= 0 ? QJsonValue(Q(job.known[size_t(c.knownResiduals[size_t(c.worstKnown)].known)].name))
                                             : QJsonValue()},
            {"relative_ellipses", relative}};
    }
    const QJsonObject root{{"summary", summary}, {"points", points},     {"baselines", baselines},
                           {"loops", loops},     {"repeated", repeated}, {"constrained", constrained}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

} // namespace quorvil
