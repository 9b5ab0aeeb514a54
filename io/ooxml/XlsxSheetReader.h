// Reading the first worksheet of an .xlsx workbook: the table a spreadsheet hands over where the
// program reads a point file.
#pragma once

#include "io/CellRows.h"

#include <QByteArray>
#include <QString>

namespace quorvil {

// The first worksheet of a workbook as the sheet shows it: shared and inline strings, numbers in
// their cell format's decimals (General: up to 15 significant digits), the values formulas had
// when the workbook was last saved, merged ranges as their top-left cell. The rows and columns are
// those of the cells used, empty rows between them kept. `name` is the file named in messages.
// Throws FileError with a message in Chinese for a password-protected workbook, an old .xls, or a
// file that is broken or no workbook.
CellRows ReadXlsxSheet(const QByteArray &bytes, const QString &name);

} // namespace quorvil
