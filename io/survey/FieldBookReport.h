// The field book report (观测手簿) from its Word template "GCSB.docx": the five header
// placeholders of the other reports, then three tables in the template's order, each with its
// heading row and one data row that becomes the rows of the table: 1 the direction method page of
// every station (io/survey/FieldBookTables.h), 2 the measured lines, 3 the checks; an over-limit
// check is written in red. A part without rows (no distances) leaves the report with its caption.
#pragma once

#include "core/fieldbook/FieldBookLines.h"

#include <QString>
#include <QStringList>

namespace quorvil {

inline const QString FieldBookReportTemplate = QStringLiteral("GCSB.docx");

// `header` holds 工程名称, 等级, 计算者, 校核者, 日期. Throws PackageError when the template is
// missing, broken or lacks a table, FileError when the file cannot be written.
void WriteFieldBookReport(const fieldbook::Reduction &reduction, const QStringList &header, const QString &templatePath,
                          const QString &outputPath);

} // namespace quorvil
