// GNU Gama's adjustment output (gama-local-adjustment XML) read as the reference a test compares
// with: the adjusted coordinates, the standard error ellipses, the height standard deviations (from
// the diagonal of the coordinates' covariance matrix), the degrees of freedom and σ0. Test-only and
// independent of the program's own reader: plain regular expressions over the text.
#pragma once

#include "core/Real.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace quorvil::testing {

struct GamaPoint {
    Real x = 0, y = 0, z = 0;
    bool plane = false, height = false;
    bool ellipse = false;
    Real major = 0, minor = 0, alpha = 0; // mm, mm, gon (as Gama writes them)
    Real sz = -1;                         // mm, from the covariance matrix (−1: not written)
};

struct GamaReference {
    std::map<std::string, GamaPoint> points; // the adjusted points
    Real sigma0 = 0;                         // a posteriori
    std::string sigma0Text;
    int dof = 0;
    bool aposterioriUsed = true; // the precision figures scaled by the a posteriori σ0
    int equations = 0, unknowns = 0, defect = 0;
};

inline QString GamaSection(const QString &text, const QString &tag)
{
    const int start = text.indexOf(QStringLiteral("<%1>").arg(tag));
    const int end = text.indexOf(QStringLiteral("</%1>").arg(tag), start < 0 ? 0 : start);
    return start < 0 || end < 0 ? QString() : text.mid(start, end - start);
}

inline bool GamaValue(const QString &body, const char *tag, Real &v)
{
    // constrained coordinates are written in capitals (<X>, <Y>, <Z>)
    const auto m = QRegularExpression(QStringLiteral("<%1>([^<]*)</%1>").arg(QLatin1String(tag)),
                                      QRegularExpression::CaseInsensitiveOption).match(body);
    if (m.hasMatch())
        v = Real(m.captured(1).trimmed().toDouble());
    return m.hasMatch();
}

inline GamaReference ReadGamaReference(const QByteArray &bytes)
{
    GamaReference r;
    const QString text = QString::fromUtf8(bytes);
    QString coordinates = GamaSection(text, QStringLiteral("coordinates"));
    if (coordinates.isEmpty()) // older versions write the sections without it
        coordinates = text;
    const QString adjusted = GamaSection(coordinates, QStringLiteral("adjusted"));
    const QRegularExpression point(QStringLiteral("<point>\\s*<id>([^<]*)</id>(.*?)</point>"),
                                   QRegularExpression::DotMatchesEverythingOption);
    // the covariance matrix lists the adjusted coordinates in the order of <adjusted>
    std::vector<std::pair<std::string, bool>> order; // point, is its z
    for (auto it = point.globalMatch(adjusted); it.hasNext();) {
        const auto m = it.next();
        GamaPoint p;
        const QString body = m.captured(2);
        p.plane = GamaValue(body, "x", p.x) && GamaValue(body, "y", p.y);
        p.height = GamaValue(body, "z", p.z);
        const std::string id = m.captured(1).trimmed().toStdString();
        if (p.plane)
            order.push_back({id, false}), order.push_back({id, false});
        if (p.height)
            order.push_back({id, true});
        r.points[id] = p;
    }
    const QRegularExpression ellipse(QStringLiteral("<ellipse>\\s*<id>([^<]*)</id>(.*?)</ellipse>"),
                                     QRegularExpression::DotMatchesEverythingOption);
    for (auto it = ellipse.globalMatch(GamaSection(coordinates, QStringLiteral("std-error-ellipses"))); it.hasNext();) {
        const auto m = it.next();
        auto found = r.points.find(m.captured(1).trimmed().toStdString());
        if (found == r.points.end())
            continue;
        GamaPoint &p = found->second;
        const QString body = m.captured(2);
        p.ellipse = GamaValue(body, "major", p.major) && GamaValue(body, "minor", p.minor) && GamaValue(body, "alpha", p.alpha);
    }
    // upper band of the symmetric covariance matrix by rows: row i holds min(band + 1, dim − i) numbers
    const QString cov = GamaSection(coordinates, QStringLiteral("cov-mat"));
    Real dim = 0, band = 0;
    if (GamaValue(cov, "dim", dim) && GamaValue(cov, "band", band)) {
        QStringList numbers;
        for (auto it = QRegularExpression(QStringLiteral("<flt>([^<]*)</flt>")).globalMatch(cov); it.hasNext();)
            numbers << it.next().captured(1);
        size_t at = 0;
        for (size_t i = 0; i < size_t(dim) && at < size_t(numbers.size()); ++i) {
            if (i < order.size() && order[i].second)
                r.points[order[i].first].sz = std::sqrt(Real(numbers[qsizetype(at)].toDouble()));
            at += std::min(size_t(band) + 1, size_t(dim) - i);
        }
    }
    const auto s = QRegularExpression(QStringLiteral("<aposteriori>([^<]*)</aposteriori>")).match(text);
    r.sigma0Text = s.captured(1).trimmed().toStdString();
    r.sigma0 = Real(s.captured(1).toDouble());
    r.aposterioriUsed = QRegularExpression(QStringLiteral("<used>\\s*aposteriori")).match(text).hasMatch();
    const auto integer = [&](const char *tag) {
        return QRegularExpression(QStringLiteral("<%1>([^<]*)<").arg(QLatin1String(tag))).match(text).captured(1).toInt();
    };
    r.dof = integer("degrees-of-freedom");
    r.equations = integer("equations");
    r.unknowns = integer("unknowns");
    r.defect = integer("defect");
    return r;
}

// One line of the suite's list (tests/io/data/gama/suite.txt) of the files not compared with Gama.
struct GamaSuiteException {
    std::string kind;   // "refused", "benchmark" or "differs"
    std::string reason; // for a refusal: a part of the engine's message
};

// The list by file name (without .gkf): "refused NAME message part", "benchmark NAME why" or
// "differs NAME why"; # starts a comment.
inline std::map<std::string, GamaSuiteException> ReadGamaSuiteExceptions(const QByteArray &text)
{
    std::map<std::string, GamaSuiteException> list;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
        if (f.size() < 3)
            continue;
        list[f[1].toStdString()] = {f[0].toStdString(), line.section(u' ', 2, -1, QString::SectionSkipEmpty).toStdString()};
    }
    return list;
}

} // namespace quorvil::testing
