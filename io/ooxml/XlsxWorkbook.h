// A workbook made from an Excel template (.xltx) and saved as a workbook (.xlsx), without Excel.
//
// The template package is read whole, its content type switched from template to workbook, and
// the active worksheet filled in place: cells (numbers as numbers, texts as inline strings),
// row heights, thin cell borders (new cell formats in styles.xml, cloned from the cell's own
// format so the template's fonts and alignment stay) and merged ranges. Whatever the template
// holds outside the cells written (titles, headings, column widths, print set-up) is kept as it
// stands. Saving is atomic: a workbook that cannot be written leaves an existing file whole.
#pragma once

#include "io/ooxml/OoxmlPackage.h"

#include <QString>

#include <map>
#include <memory>
#include <utility>

namespace quorvil {

class XlsxWorkbook {
public:
    // Reads the template. Throws PackageError when it is missing or not a spreadsheet package.
    static XlsxWorkbook fromTemplate(const QString &templatePath);
    XlsxWorkbook(XlsxWorkbook &&) noexcept;
    XlsxWorkbook &operator=(XlsxWorkbook &&) noexcept;
    ~XlsxWorkbook();

    // Rows and columns count from 1 (A = 1), as in the sheet.
    void setNumber(int row, int column, double value, int decimals = -1); // decimals < 0: General
    void setText(int row, int column, const QString &text);
    // The cell text as the sheet should hold it: a plain decimal number becomes a number shown
    // with the decimals it was typed with; anything else (and an empty text) stays text.
    void setValue(int row, int column, const QString &text);
    void setRowHeight(int row, double points);
    // A thin border on all four sides of every cell of the range.
    void setThinBorders(int firstRow, int firstColumn, int lastRow, int lastColumn);
    void merge(int firstRow, int firstColumn, int lastRow, int lastColumn);

    // The workbook as .xlsx bytes, and written atomically. save() throws FileError naming the file.
    QByteArray toBytes();
    void save(const QString &path);

    // "A1" references.
    static QString cellName(int row, int column);

private:
    struct Impl;
    void flush(); // the edited sheet and styles back into the package
    explicit XlsxWorkbook(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace quorvil
