// Spreadsheet files beside the text point files: a workbook (.xlsx) and comma-separated values
// (.csv), read and written wherever the program reads and writes point files, and the tab- or
// comma-separated text that spreadsheets put on the clipboard.
//
// A spreadsheet's rows are read as the lines of a point file would be: the first sheet of a
// workbook, a .csv line by line. A table saved as a spreadsheet has the table's captions as its
// first row; on reading, a caption row (and a title merged above it) is recognised and skipped.
#pragma once

#include "io/CellRows.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace quorvil {

enum class TableFileKind { Text, Workbook, Csv };

// The kind a file is written as, by its name: ".xlsx" a workbook, ".csv" comma-separated values
// (either case); any other name a text point file.
TableFileKind TableFileKindOf(const QString &path);

// The kind of a file read: a workbook by its content (a zip archive, or the compound file of an
// encrypted workbook or an old .xls) whatever its name, a .csv by its name, anything else text.
TableFileKind TableFileKindOf(const QString &path, const QByteArray &bytes);

// The rows of a spreadsheet file read whole (kind Workbook or Csv). Throws FileError.
CellRows ReadSheetRows(const QString &path, const QByteArray &bytes);

// Delimited text: rows by CR LF, LF or CR, fields by `delimiter`; a field that starts with a double
// quote runs to the matching quote ("" inside is one quote) and may hold delimiters and line
// breaks. A final line break makes no extra row.
CellRows ParseDelimitedText(QStringView text, QChar delimiter);

// The delimiter of clipboard or .csv text: a tab if the first line has one, else "," (or ";" when
// the first line has semicolons and no comma, as some spreadsheets write).
QChar GuessDelimiter(QStringView text);

// The text of a .csv file: UTF-8 (with or without its byte-order mark), UTF-16 with its mark, else
// GB18030.
QString DecodeCsv(const QByteArray &bytes);

// How many leading rows are no data: a title merged over the table and then a caption row. A row
// is taken as the caption row when one of its texts is one of `captions`, or when none of its
// texts is a number while the row after it has a number under one of them.
int LeadingNonDataRows(const CellRows &rows, const QStringList &captions = {});

// A table as comma-separated values: UTF-8 with a byte-order mark (so that Excel reads Chinese
// names), CR LF line ends, a field quoted when it holds a comma, a quote or a line break. The
// captions are the first row when there are any.
QByteArray CsvBytes(const QStringList &captions, int rows, int columns,
                    const std::function<const QString &(int row, int column)> &cell);

// Writes a table as a workbook or .csv (kind Workbook or Csv) with `captions` as its first row
// (none when empty). Atomic; throws FileError.
void WriteSpreadsheet(const QString &path, TableFileKind kind, const QStringList &captions, int rows, int columns,
                      const std::function<const QString &(int row, int column)> &cell);

// Writes comma-joined lines as the spreadsheet of `kind`: each line split at its commas into cells.
void WriteLinesAsSpreadsheet(const QString &path, TableFileKind kind, const QStringList &lines);

} // namespace quorvil
