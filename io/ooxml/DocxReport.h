// A Word report made from a .docx template: the template's first table is turned into point
// blocks and filled cell by cell, the header placeholders are replaced, and the result is written
// as a new .docx. Nothing but the package itself is needed (no Word, WPS or LibreOffice).
//
// Cells are addressed as Word addresses them: (row, column) from 1, the column counting the cells
// of that row, so a cell spanning several grid columns is one column and a vertically merged cell
// is addressed by its first row. The template is found by structure, never by byte offsets: the
// first table of the body, the placeholders in any run split, in the body, headers and footers,
// so a user may restyle a template in Word, WPS or LibreOffice.
#pragma once

#include <QString>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorvil {

class DocxReport {
public:
    // Opens the template at `path`. Throws PackageError naming the template when it is missing,
    // unreadable, broken or has no table.
    explicit DocxReport(const QString &path);
    ~DocxReport();
    DocxReport(const DocxReport &) = delete;
    DocxReport &operator=(const DocxReport &) = delete;

    // The template's file name, for messages.
    QString name() const;

    // The tables of the body in reading order (nested tables not counted), and making table
    // `table` (from 1) the one the row and cell calls below work on; the first is chosen at the
    // start.
    int tableCount() const;
    void selectTable(int table);
    // Removes the chosen table and the caption paragraph right before it (a paragraph of the
    // style "ReportSection"), for a part of the report that does not apply; the first table is
    // chosen then.
    void removeTable();
    // Inserts `copies` copies of the chosen table, each with its caption paragraph (as removeTable
    // finds it), right after the chosen table, for a part of the report repeated per station or
    // per item; the chosen table stays chosen and the copies follow it in order.
    void duplicateTable(int copies);
    // The text of the chosen table's caption paragraph; empty when it has none.
    std::string tableCaption() const;
    // Replaces the text of the chosen table's caption paragraph, keeping its style and the first
    // run's font. Throws PackageError when the table has no caption.
    void setTableCaption(const std::string &text);

    // Rows of the chosen table, and cells of one row (1-based).
    int rowCount() const;
    int cellCount(int row) const;

    // Replaces every occurrence of each `placeholders[i].first` by its `second` in the body, the
    // headers, the footers and the notes, also where the editor split a placeholder over several
    // runs. One pass: a replacement text is never searched again.
    void replacePlaceholders(const std::vector<std::pair<std::string, std::string>> &placeholders);

    // Turns the data row `dataRow` of the first table into `points` blocks of two rows: point r
    // (from 1) owns rows dataRow + 2(r − 1) and the one below. Outside columns
    // [firstLegColumn, lastLegColumn] the two rows of a point are one cell; inside, the lower row
    // of a point and the upper row of the next point are one leg cell, addressed by the lower
    // row. The new rows keep the data row's cell widths, borders, alignment and fonts; the rows
    // below move down.
    void splitIntoPointBlocks(int dataRow, int points, int firstLegColumn, int lastLegColumn);

    // Replaces the data row `dataRow` by one row per entry of `rows`, their cells holding the
    // texts (cells beyond a row's texts stay empty). The new rows keep the data row's cell widths,
    // borders, alignment and fonts; the rows below move down. No rows remove the data row.
    void fillRows(int dataRow, const std::vector<std::vector<std::string>> &rows);

    // Adds a column of `widthTwips` at the right of the first table, before the rows are split:
    // the heading rows 1 … headingRows get one cell merged down over them holding `caption`, the
    // other rows a copy of their last cell, emptied, except a row whose last cell spans several
    // grid columns (a summary row), which widens that cell instead.
    void appendColumn(int headingRows, const std::string &caption, int widthTwips);

    // Appends `text` to the title: the first paragraph of the body before the table that has text.
    void appendToTitle(const std::string &text);

    // Sets the text of cell (row, column); the cell keeps its paragraph and font settings.
    void setCellText(int row, int column, const std::string &text);

    // A piece of text with its own emphasis: `warning` shows it in red.
    struct TextRun {
        std::string text;
        bool warning = false;
    };
    // Adds a paragraph of runs at the end of cell (row, column), in the paragraph and font settings
    // of the cell's first paragraph; in an empty cell the runs take the place of its empty paragraph.
    void appendCellParagraph(int row, int column, const std::vector<TextRun> &runs);

    // Gives rows [firstRow, lastRow] an exact height in points.
    void setExactRowHeight(int firstRow, int lastRow, int points);

    // Writes the report to `path` atomically. Throws FileError.
    void save(const QString &path);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace quorvil
