// Speed of the adjustment report: a connecting traverse of 2,000 points written from its template.
#include "io/AdjustmentReport.h"
#include "io/ProgramFiles.h"

#include "core/TextForms.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

using namespace quorvil;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int points = argc > 1 ? std::atoi(argv[1]) : 2000; // A, B, new points, C, D

    // A straight traverse east with a small turn at every station.
    ConnectingTraverseInput in;
    QList<QStringList> rows;
    const int n = points - 2; // observed angles, B … C
    std::vector<PlanePoint> stations(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i)
        stations[size_t(i)] = {3380000 + 3.0L * std::sin(Real(i)), 38500000 + 150.0L * i};
    for (int i = 0; i < points; ++i) {
        const bool known = i < 2 || i >= points - 2;
        QString angle, distance;
        if (i >= 1 && i <= n) {
            const PlanePoint &p = stations[size_t(i - 1)], &s = stations[size_t(i)], &q = stations[size_t(i + 1)];
            const Real a = RadToDeg(Azimuth(s.x, s.y, q.x, q.y) - Azimuth(p.x, p.y, s.x, s.y)) + 180;
            angle = QString::fromStdString(NumberToText(4, DegToDms(a)));
            in.observations.push_back({TextToNumber(angle.toStdString()), 0});
            if (i < n) {
                distance = QString::fromStdString(NumberToText(3, std::hypot(q.x - s.x, q.y - s.y)));
                in.observations.back().distance = TextToNumber(distance.toStdString());
            }
        }
        rows.append(QStringList{QStringLiteral("P%1").arg(i), angle, distance,
                     known ? QString::fromStdString(NumberToText(3, stations[size_t(i)].x)) : QString(),
                     known ? QString::fromStdString(NumberToText(3, stations[size_t(i)].y)) : QString()});
    }
    in.a = stations[0];
    in.b = stations[1];
    in.c = stations[size_t(points - 2)];
    in.d = stations[size_t(points - 1)];
    const TraverseResult result = AdjustConnectingTraverse(in);
    const std::vector<PlanePoint> fresh = result.NewPoints();
    for (size_t i = 0; i < fresh.size(); ++i) {
        rows[int(i) + 2][3] = QString::fromStdString(NumberToText(3, fresh[i].x));
        rows[int(i) + 2][4] = QString::fromStdString(NumberToText(3, fresh[i].y));
    }

    AdjustmentReportData data;
    data.kind = ReportKind::Connecting;
    data.header = {"基准测试", "一级", "甲", "乙", "2024-01-01"};
    data.rows = rows;
    data.traverse = &result;

    QTemporaryDir dir;
    const QString templatePath = ProgramFile(ReportTemplateName(data.kind));
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        WriteAdjustmentReport(data, templatePath, dir.filePath("bench.docx"));
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    std::printf("report of a %d-point connecting traverse: %.3f s (best of 3)\n", points, best);
    return 0;
}
