// The outputs of the power-line plan and profile table: the workbook made from the template
// "PDMbook.xltx", and the rows the plan-and-profile sheets are laid out from (drawn through the CAD
// session by cad/PowerLineSheets.h, each page the sheet drawing "DLXpdm.dxf" inserted as a block).
#pragma once

#include "core/PowerLine.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace quorvil {

inline const QString PowerLineTemplateName = QStringLiteral("PDMbook.xltx");
inline const QString PowerLineSheetName = QStringLiteral("DLXpdm.dxf");

// Columns of the power-line table.
enum PowerLineColumn {
    PlName, PlX, PlY, PlChainage, PlSpacing, PlElevation, PlGround, PlAbove, PlFeatureAngle, PlRouteAngle,
    PlLeft, PlRight, PlRemark, PowerLineColumnCount
};

// Fills a workbook made from `templatePath` with the table's data rows (13 texts each) and saves
// it as `path`: from sheet row 4 on, rows 25 points high with thin borders from A to M, the L
// and M columns of the data rows each merged into one cell, column A the point name and columns
// B to J the table's "累距" to "横断右". Number columns hold numbers. Throws PackageError for a
// bad template and FileError when the file cannot be written (an existing file stays whole).
void WritePowerLineWorkbook(const QString &templatePath, const QList<QStringList> &rows, const QString &path);

// The rows of the sheets from the table's data rows.
std::vector<SheetRow> SheetRows(const QList<QStringList> &rows);

} // namespace quorvil
