// The plain tables the program saves as .xlsx: one sheet written row by row, without a template.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

namespace quorvil {

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

} // namespace quorvil
