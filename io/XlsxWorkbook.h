// A workbook made from an Excel template (.xltx) and saved as a workbook (.xlsx), without Excel.
//
// The template package is read whole, its content type switched from template to workbook, and
// the active worksheet filled in place: cells (numbers as numbers, texts as inline strings),
// row heights, thin cell borders (new cell formats in styles.xml, cloned from the cell's own
// format so the template's fonts and alignment stay) and merged ranges. Whatever the template
// holds outside the cells written (titles, headings, column widths, print set-up) is kept as it
// stands. Saving is atomic: a workbook that cannot be written leaves an existing file whole.
#pragma once

#include "io/OoxmlPackage.h"
#include "io/CellRows.h"

#include <QString>
#include <QStringList>

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

// Whether a cell text is a plain decimal number that a number cell shows again exactly: an optional
// "-", digits without leading zeros, an optional point with digits, at most 15 significant digits
// (what a double holds), not a negative zero. "001", "1e5", " 1.5" and "+2" stay texts.
// `decimals` receives the digits after the point.
bool IsPlainDecimal(QStringView text, int *decimals = nullptr);

// A workbook of one sheet written row by row, without a template: the plain tables the program
// saves as .xlsx. Rows go straight into the sheet's XML, so a table of a million rows is written in
// seconds. A plain decimal number (IsPlainDecimal) is stored as a number whose cell format shows
// the decimals it has; every other text is stored as text. The caption row is bold and stays in
// view when the sheet scrolls; the columns are as wide as their longest text.
class XlsxTableWriter {
public:
    XlsxTableWriter();
    ~XlsxTableWriter();
    XlsxTableWriter(const XlsxTableWriter &) = delete;
    XlsxTableWriter &operator=(const XlsxTableWriter &) = delete;

    // The caption row; only before the first row.
    void addHeader(const QStringList &captions);
    void addRow(const QString *cells, int count);
    void addRow(const QStringList &cells) { addRow(cells.constData(), static_cast<int>(cells.size())); }

    QByteArray toBytes();
    // Writes atomically; throws FileError naming the file.
    void save(const QString &path);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The first worksheet of a workbook as the sheet shows it: shared and inline strings, numbers in
// their cell format's decimals (General: up to 15 significant digits), the values formulas had
// when the workbook was last saved, merged ranges as their top-left cell. The rows and columns are
// those of the cells used, empty rows between them kept. `name` is the file named in messages.
// Throws FileError with a message in Chinese for a password-protected workbook, an old .xls, or a
// file that is broken or no workbook.
CellRows ReadXlsxSheet(const QByteArray &bytes, const QString &name);

} // namespace quorvil
