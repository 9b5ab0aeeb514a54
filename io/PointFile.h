// Comma-separated point files: one record per line, CR LF, no quoting, no header.
//
// Wherever a point file is read, a spreadsheet may stand in its place: a workbook (.xlsx, its
// first sheet) or a .csv file, whose rows are read as the file's lines (io/TableFile.h). Wherever
// lines are written to a name ending in .xlsx or .csv, they are written as that spreadsheet; every
// other name gets the text file, byte for byte as always.
//
// A file is read and parsed completely before anything is handed back, so a file that cannot be
// read changes nothing; a file is written atomically (io/FileAccess.h), so a failed save leaves the
// old file whole.
#pragma once

#include <QList>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <vector>

namespace quorvil {

// Splits a line into `count` fields from the left: each field ends at the next ","; the last field
// takes the rest of the line. Once the line is used up, every further field is `missing` ("0" in
// the point files; some tools leave missing fields empty).
QStringList SplitFields(QStringView line, int count, const QString &missing = QStringLiteral("0"));

// The lines of a text file, decoded (UTF-8 when valid, else GB18030), without their line ends.
// A final line break does not make an extra line; blank lines are kept. A spreadsheet's rows are
// its lines, cells joined by "," (a workbook row without its empty cells at the end). Throws
// FileError.
QStringList ReadTextLines(const QString &path);

// A point file's fields, row by row in one flat vector (rows * fieldCount texts).
struct PointCells {
    int rows = 0;
    int fieldCount = 0;
    std::vector<QString> cells;
    QStringList notes; // what a spreadsheet's reader left out or read differently, for the user
};

// Reads a point file straight into flat cells; the fast path for large tables. From a spreadsheet,
// each row gives the fields its line would, after a title and caption row (the table's `captions`,
// or texts over numbers) are skipped. Throws FileError.
PointCells ReadPointCells(const QString &path, int fieldCount, const QString &missing = QStringLiteral("0"),
                          const QStringList &captions = {});

// Reads a point file into rows of `fieldCount` fields each. Throws FileError.
QList<QStringList> ReadPointFile(const QString &path, int fieldCount, const QString &missing = QStringLiteral("0"));

// Writes lines (each ended by CR LF) atomically in GB18030; to a .xlsx or .csv name, the lines'
// comma-separated fields as the rows of that spreadsheet. Throws FileError.
void WriteTextLines(const QString &path, const QStringList &lines);

// Collects lines in the file encoding, then writes them at once: no list of lines is kept.
class LineWriter {
public:
    LineWriter() : m_encoder("GB18030") {}
    void reserve(qsizetype bytes) { m_bytes.reserve(bytes); }
    void addLine(QStringView line); // ended by CR LF
    // Writes the lines atomically: the text file, or a spreadsheet for a .xlsx or .csv name.
    void write(const QString &path) const;
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    QStringEncoder m_encoder;
};

} // namespace quorvil
