// What the workbook writers and the sheet reader share of the .xlsx format: the names of the parts
// and their content types, Excel's built-in number formats they use, and cell references ("B12").
#pragma once

#include <string>
#include <string_view>

namespace quorvil::xlsx {

inline constexpr const char *ContentTypesPart = "[Content_Types].xml";
inline constexpr const char *WorkbookPart = "xl/workbook.xml";
inline constexpr const char *WorkbookRelsPart = "xl/_rels/workbook.xml.rels";
inline constexpr const char *StylesPart = "xl/styles.xml";
inline constexpr const char *TemplateType = "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
inline constexpr const char *WorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
inline constexpr int FirstCustomNumberFormat = 164; // ids below are Excel's built-in formats
inline constexpr int WholeNumberFormat = 1;         // built-in "0"

// The letters of a column counted from 1: 1 → "A", 27 → "AA".
inline std::string ColumnLetters(int column)
{
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), char('A' + (c - 1) % 26));
    return letters;
}

inline std::string CellRef(int row, int column) { return ColumnLetters(column) + std::to_string(row); }

// "B12" → row 12, column 2; false when the text is no cell reference.
inline bool ParseRef(std::string_view ref, int &row, int &column)
{
    // Beyond a sheet's last column (XFD) and row (1048576) there are no cells.
    std::size_t i = 0;
    column = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && column <= 16384)
        column = column * 26 + (ref[i++] - 'A' + 1);
    if (i == 0 || i == ref.size() || column > 16384)
        return false;
    row = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < '0' || ref[i] > '9' || row > 1048576)
            return false;
        row = row * 10 + (ref[i] - '0');
    }
    return row > 0 && row <= 1048576;
}

} // namespace quorvil::xlsx
