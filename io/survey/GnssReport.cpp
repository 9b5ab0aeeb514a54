// The GNSS network report. See GnssReport.h.
#include "GnssReport.h"

#include "GnssOutput.h"

#include "io/AdjustmentReport.h"
#include "io/ooxml/DocxReport.h"

namespace quorvil {

void WriteGnssReport(const gnss::Job &job, const gnss::JobResults &results, const QStringList &header,
                     const QString &templatePath, const QString &outputPath, const std::function<void(int)> &progress)
{
    const auto step = [&](int percent) {
        if (progress)
            progress(percent);
    };
    const int tables = 1 + int(GnssSection::Count);
    DocxReport report(templatePath);
    RequireReportTables(report, tables,
                        QStringLiteral("统计、重复基线、闭合环、无约束平差坐标、基线改正数、约束平差坐标、已知点检核、相对误差椭圆"));
    FillReportHeader(report, header);
    step(5);
    using Rows = std::vector<std::vector<std::string>>;
    const auto fill = [&](int table, const Rows &rows) {
        report.selectTable(table);
        if (rows.empty()) {
            report.removeTable();
            return;
        }
        report.fillRows(report.rowCount(), rows);
    };
    // from the last table, so that removing one leaves the numbers of those before it
    const QList<GnssTable> sections = GnssTables(job, results);
    for (int s = int(sections.size()) - 1; s >= 0; --s) {
        Rows rows;
        for (const QStringList &row : sections[s].rows) {
            std::vector<std::string> cells;
            for (const QString &cell : row)
                cells.push_back(cell.toStdString());
            rows.push_back(std::move(cells));
        }
        fill(2 + s, rows);
        step(10 + 80 * (int(sections.size()) - s) / int(sections.size()));
    }
    Rows statistics;
    for (const auto &[caption, value] : GnssSummaryItems(job, results))
        statistics.push_back({caption.toStdString(), value.toStdString()});
    fill(1, statistics);
    report.save(outputPath);
    step(100);
}

} // namespace quorvil
