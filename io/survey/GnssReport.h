// The GNSS network report from its Word template "GNSS.docx": the five header placeholders of the
// other reports, then eight captioned tables in the template's order, each with its heading row
// and one data row that becomes the table's rows: the statistics (caption, value), then the
// sections of the results (GnssOutput.h: repeated baselines, loops, the free adjustment's
// coordinates, the baselines' residuals and tests, the constrained coordinates, the known points'
// check, the relative ellipses). A section without rows is removed with its caption.
#pragma once

#include "core/gnss/Job.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace quorvil {

inline const QString GnssReportTemplate = QStringLiteral("GNSS.docx");

// Writes the report (atomically). `header` holds 工程名称, 等级, 计算者, 校核者, 日期. Throws
// PackageError when the template is missing, broken or lacks a table, FileError when the file
// cannot be written.
void WriteGnssReport(const gnss::Job &job, const gnss::JobResults &results, const QStringList &header,
                     const QString &templatePath, const QString &outputPath,
                     const std::function<void(int percent)> &progress = {});

} // namespace quorvil
