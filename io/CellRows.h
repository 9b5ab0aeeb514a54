// Rows of cells as a spreadsheet or a delimited text holds them: a workbook's first sheet, a .csv
// file, the text a spreadsheet puts on the clipboard. Rows may differ in length; the cells are kept
// row by row in one flat vector so that a million rows cost one allocation per cell text.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace quorvil {

struct CellRows {
    std::vector<QString> cells;
    std::vector<qsizetype> starts{0}; // row r holds cells [starts[r], starts[r + 1])
    int titleRows = 0;                // leading rows that are a merged title over the table
    QStringList notes;                // what the reader left out or read differently, for the user

    int rows() const { return static_cast<int>(starts.size()) - 1; }
    int width(int row) const { return static_cast<int>(starts[row + 1] - starts[row]); }
    // The cell, or an empty text beyond the row's end.
    const QString &at(int row, int column) const
    {
        static const QString none;
        return column >= 0 && column < width(row) ? cells[static_cast<size_t>(starts[row] + column)] : none;
    }
    int maxWidth() const
    {
        int widest = 0;
        for (int r = 0; r < rows(); ++r)
            widest = std::max(widest, width(r));
        return widest;
    }
    void add(QString cell) { cells.push_back(std::move(cell)); }
    void endRow() { starts.push_back(static_cast<qsizetype>(cells.size())); }
};

} // namespace quorvil
