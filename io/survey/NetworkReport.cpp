#include "io/survey/NetworkReport.h"

#include "core/TextForms.h"
#include "io/AdjustmentReport.h"
#include "io/ooxml/DocxReport.h"
#include "io/survey/NetworkTables.h"

namespace quorvil {

using namespace network;

namespace {

enum Table { Statistics = 1, Known, Plane, Heights, Relative, Observations, TableCount = Observations };

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::string> Strings(const QStringList &texts, std::initializer_list<int> columns)
{
    std::vector<std::string> out;
    out.reserve(columns.size());
    for (int c : columns)
        out.push_back(texts.value(c).toStdString());
    return out;
}

Rows KnownRows(const Network &net)
{
    Rows rows;
    for (const QStringList &row : KnownPointRows(net))
        rows.push_back(Strings(row, {0, 1, 2, 3, 4}));
    return rows;
}

} // namespace

void WriteNetworkReport(const Network &net, const Result &result, const QStringList &header, const QString &templatePath,
                        const QString &outputPath, const std::function<void(int)> &progress)
{
    const auto step = [&](int percent) {
        if (progress)
            progress(percent);
    };
    DocxReport report(templatePath);
    RequireReportTables(report, TableCount, QStringLiteral("统计、已知点、平差坐标、平差高程、相对误差椭圆、观测值"));
    FillReportHeader(report, header);
    step(5);

    const QList<QStringList> points = PointResultRows(net, result);
    const bool plane = HasPlaneUnknowns(result), heights = HasHeightUnknowns(result);
    // The tables from the last, so that removing one leaves the numbers of those before it.
    const auto fill = [&](int table, const Rows &rows, bool applies) {
        report.selectTable(table);
        if (!applies || rows.empty()) {
            report.removeTable();
            return;
        }
        report.fillRows(report.rowCount(), rows);
    };

    Rows observations;
    for (const QStringList &row : ObservationResultRows(net, result))
        observations.push_back(Strings(row, {0, 1, 2, 3, 4, 5, 6, 8, 9, 10}));
    fill(Observations, observations, true);
    step(60);

    Rows relative;
    for (const QStringList &row : RelativeEllipseRows(net, result))
        relative.push_back(Strings(row, {0, 1, 2, 3, 4, 5, 6}));
    fill(Relative, relative, plane);

    Rows heightRows, planeRows;
    for (const QStringList &row : points) {
        if (!row.value(PointColumn::H).isEmpty())
            heightRows.push_back(Strings(row, {PointColumn::Name, PointColumn::H, PointColumn::SigmaH}));
        if (!row.value(PointColumn::X).isEmpty())
            planeRows.push_back(Strings(row, {PointColumn::Name, PointColumn::X, PointColumn::Y, PointColumn::SigmaX,
                                              PointColumn::SigmaY, PointColumn::SigmaP, PointColumn::E, PointColumn::F,
                                              PointColumn::Phi}));
    }
    fill(Heights, heightRows, heights);
    fill(Plane, planeRows, plane);
    step(80);
    fill(Known, KnownRows(net), true);

    Rows statistics;
    for (const auto &[caption, value] : SummaryItems(net, result))
        statistics.push_back({caption.toStdString(), value.toStdString()});
    fill(Statistics, statistics, true);
    step(90);
    report.save(outputPath);
    step(100);
}

} // namespace quorvil
