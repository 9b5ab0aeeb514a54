#include "io/PowerLineOutput.h"

#include "io/ooxml/XlsxWorkbook.h"

namespace quorvil {

namespace {

constexpr int FirstDataRow = 4;       // below the title and the two heading rows
constexpr double DataRowHeight = 25;  // points
constexpr int LastBorderColumn = 13;  // M
constexpr int MergedColumns[] = {12, 13}; // L and M: one cell each over the data rows

// Table columns written to B to J, and whether a column holds numbers.
constexpr PowerLineColumn ExportedColumns[] = {PlChainage, PlSpacing,     PlElevation, PlGround, PlAbove,
                                               PlFeatureAngle, PlRouteAngle, PlLeft,      PlRight};
bool IsNumberColumn(PowerLineColumn column) { return column != PlGround && column != PlAbove; }

} // namespace

void WritePowerLineWorkbook(const QString &templatePath, const QList<QStringList> &rows, const QString &path)
{
    XlsxWorkbook book = XlsxWorkbook::fromTemplate(templatePath);
    const int lastRow = FirstDataRow + int(rows.size()) - 1;
    if (!rows.isEmpty()) {
        for (int r = FirstDataRow; r <= lastRow; ++r)
            book.setRowHeight(r, DataRowHeight);
        book.setThinBorders(FirstDataRow, 1, lastRow, LastBorderColumn);
        // A merge of a single cell is no merge (and Excel refuses it).
        if (lastRow > FirstDataRow)
            for (int column : MergedColumns)
                book.merge(FirstDataRow, column, lastRow, column);
    }
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList &row = rows.at(i);
        const int sheetRow = FirstDataRow + i;
        book.setText(sheetRow, 1, row.value(PlName));
        int column = 2;
        for (PowerLineColumn c : ExportedColumns) {
            if (IsNumberColumn(c))
                book.setValue(sheetRow, column, row.value(c));
            else
                book.setText(sheetRow, column, row.value(c));
            ++column;
        }
    }
    book.save(path);
}

std::vector<SheetRow> SheetRows(const QList<QStringList> &rows)
{
    std::vector<SheetRow> out(std::size_t(rows.size()));
    for (qsizetype r = 0; r < rows.size(); ++r) {
        out[r].name = rows.at(r).value(PlName).toStdString();
        for (int c = 0; c < int(out[r].columns.size()); ++c)
            out[r].columns[c] = rows.at(r).value(PlChainage + c).toStdString();
    }
    return out;
}

} // namespace quorvil
