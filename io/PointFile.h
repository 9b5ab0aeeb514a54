// Comma-separated point files: one record per line, CR LF, no quoting, no header.
//
// A file is read and parsed completely before anything is handed back, so a file that cannot be
// read changes nothing; a file is written through QSaveFile, so a failed save leaves the old file
// whole.
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
// A final line break does not make an extra line; blank lines are kept. Throws FileError.
QStringList ReadTextLines(const QString &path);

// A point file's fields, row by row in one flat vector (rows * fieldCount texts).
struct PointCells {
    int rows = 0;
    int fieldCount = 0;
    std::vector<QString> cells;
};

// Reads a point file straight into flat cells; the fast path for large tables. Throws FileError.
PointCells ReadPointCells(const QString &path, int fieldCount, const QString &missing = QStringLiteral("0"));

// Reads a point file into rows of `fieldCount` fields each. Throws FileError.
QList<QStringList> ReadPointFile(const QString &path, int fieldCount, const QString &missing = QStringLiteral("0"));

// Writes lines (each ended by CR LF) atomically in GB18030. Throws FileError.
void WriteTextLines(const QString &path, const QStringList &lines);

// Writes already encoded bytes atomically. Throws FileError.
void WriteEncodedFile(const QString &path, const QByteArray &bytes);

// Collects lines in the file encoding, then writes them at once: no list of lines is kept.
class LineWriter {
public:
    LineWriter() : m_encoder("GB18030") {}
    void reserve(qsizetype bytes) { m_bytes.reserve(bytes); }
    void addLine(QStringView line); // ended by CR LF
    void write(const QString &path) const { WriteEncodedFile(path, m_bytes); }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    QStringEncoder m_encoder;
};

} // namespace quorvil
