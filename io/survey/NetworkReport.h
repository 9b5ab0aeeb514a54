// The control network adjustment report (平差报告) from its Word template "KZWpc.docx": the five
// header placeholders of the other reports, then six tables in the template's order, each with
// its heading row (repeated on every page) and one data row that becomes the rows of the table:
//   1 statistics (caption, value: the window's summary),
//   2 known points, 3 adjusted plane coordinates with their precision and ellipses,
//   4 adjusted heights, 5 relative ellipses of the observed pairs, 6 observations with residuals
//   and tests.
// A part that does not apply (no plane unknowns, no heights, no pairs) leaves the report with its
// caption. The numbers are the texts of the window's tables (io/survey/NetworkTables.h).
#pragma once

#include "core/network/Network.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace quorvil {

inline const QString NetworkReportTemplate = QStringLiteral("KZWpc.docx");

// Writes the report of an adjusted network from the template at `templatePath` to `outputPath`
// (atomically). `header` holds 工程名称, 等级, 计算者, 校核者, 日期. Throws PackageError when the
// template is missing, broken or lacks a table, FileError when the file cannot be written.
void WriteNetworkReport(const network::Network &network, const network::Result &result, const QStringList &header,
                        const QString &templatePath, const QString &outputPath,
                        const std::function<void(int percent)> &progress = {});

} // namespace quorvil
