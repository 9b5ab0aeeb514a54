#include "io/survey/FieldBookReport.h"

#include "io/AdjustmentReport.h"
#include "io/ooxml/DocxReport.h"
#include "io/survey/FieldBookTables.h"

#include "core/TextForms.h"

namespace quorvil {

namespace {

enum Table { Page = 1, Lines, Checks, TableCount = Checks };

using Rows = std::vector<std::vector<std::string>>;

Rows Strings(const QList<QStringList> &rows)
{
    Rows out;
    out.reserve(size_t(rows.size()));
    for (const QStringList &row : rows) {
        std::vector<std::string> r;
        for (const QString &cell : row)
            r.push_back(cell.toStdString());
        out.push_back(std::move(r));
    }
    return out;
}

} // namespace

void WriteFieldBookReport(const fieldbook::Reduction &reduction, const QStringList &header, const QString &templatePath,
                          const QString &outputPath)
{
    DocxReport report(templatePath);
    RequireReportTables(report, TableCount, QStringLiteral("手簿、边长与三角高程、检核"));
    FillReportHeader(report, header);

    // The tables from the last, so that removing one leaves the numbers of those before it.
    const QList<QStringList> checks = FieldBookCheckRows(reduction, true);
    report.selectTable(Checks);
    const int dataRow = report.rowCount();
    Rows checkRows = Strings(checks);
    // The verdicts of the checks over their limits in red.
    for (size_t i = 0; i < reduction.checks.size(); ++i)
        if (reduction.checks[i].over)
            checkRows[i][5].clear();
    report.fillRows(dataRow, checkRows);
    for (size_t i = 0; i < reduction.checks.size(); ++i)
        if (reduction.checks[i].over)
            report.appendCellParagraph(dataRow + int(i), 6, {{checks[qsizetype(i)][5].toStdString(), true}});

    const QList<QStringList> lines = FieldBookLineRows(reduction);
    report.selectTable(Lines);
    if (lines.isEmpty())
        report.removeTable();
    else
        report.fillRows(report.rowCount(), Strings(lines));

    // The 方向观测法手簿: the template's table repeated, one a station, captioned with the station.
    report.selectTable(Page);
    const std::string caption = report.tableCaption();
    const int stations = int(reduction.stations.size());
    if (stations == 0) {
        report.removeTable();
    } else {
        report.duplicateTable(stations - 1);
        for (int i = 0; i < stations; ++i) {
            const fieldbook::StationResult &st = reduction.stations[size_t(i)];
            report.selectTable(Page + i);
            QString title = QStringLiteral("测站 %1").arg(QString::fromStdString(st.name));
            if (st.instrumentHeight)
                title += QStringLiteral("（仪器高 %1 m）").arg(QString::fromStdString(NumberToText(3, *st.instrumentHeight)));
            title += QStringLiteral("　") + QString::fromStdString(caption);
            report.setTableCaption(title.toStdString());
            report.fillRows(report.rowCount(), Strings(FieldBookStationPageRows(st)));
        }
    }
    report.save(outputPath);
}

} // namespace quorvil
