#include "PointFile.h"

#include "FileErrors.h"
#include "TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace quorvil {

namespace {

// The field rule of the point files: `count` fields from the left, each ended by the next ",";
// the last one present takes the rest of the line; after it every field is `missing`.
// Works on decoded text and on raw bytes alike: "," and line ends never occur inside a multi-byte
// character of UTF-8 or GB18030.
template <typename Text, typename Out>
void SplitInto(Text line, int count, const QString &missing, Out out)
{
    bool exhausted = false;
    for (int i = 0; i < count; ++i) {
        if (exhausted) {
            out(missing);
            continue;
        }
        const qsizetype comma = line.indexOf(',');
        if (comma >= 0) {
            out(line.first(comma));
            line = line.sliced(comma + 1);
        } else {
            out(line);
            exhausted = true;
        }
    }
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw FileError::NotFound();
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::Io(errno ? errno : 5);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError::Io(errno ? errno : 5);
    return bytes;
}

// Calls visit(line) for each line of the bytes (after `from`), without its CR LF or LF. A final
// line break does not make an extra line.
template <typename Visit>
void ForEachLine(const QByteArray &bytes, qsizetype from, Visit visit)
{
    const char *data = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype start = from;
    while (start < n) {
        const void *found = std::memchr(data + start, '\n', static_cast<size_t>(n - start));
        const qsizetype end = found ? static_cast<const char *>(found) - data : n;
        qsizetype stop = end;
        if (stop > start && data[stop - 1] == '\r')
            --stop;
        visit(QByteArrayView(data + start, stop - start));
        start = end + 1;
    }
}

} // namespace

QStringList SplitFields(QStringView line, int count, const QString &missing)
{
    QStringList fields;
    fields.reserve(count);
    SplitInto(line, count, missing, [&](auto field) { fields.append(QStringView(field).toString()); });
    return fields;
}

QStringList ReadTextLines(const QString &path)
{
    const QByteArray bytes = ReadBytes(path);
    PieceDecoder decoder(bytes);
    QStringList lines;
    ForEachLine(bytes, decoder.bomLength(),
                [&](QByteArrayView line) { lines.append(decoder.decode(line.data(), line.size())); });
    return lines;
}

PointCells ReadPointCells(const QString &path, int fieldCount, const QString &missing)
{
    const QByteArray bytes = ReadBytes(path);
    PieceDecoder decoder(bytes);
    PointCells result;
    result.fieldCount = fieldCount;
    result.cells.reserve(static_cast<size_t>(bytes.count('\n') + 1) * static_cast<size_t>(fieldCount));
    ForEachLine(bytes, decoder.bomLength(), [&](QByteArrayView line) {
        SplitInto(line, fieldCount, QString(), [&](auto field) {
            if constexpr (std::is_same_v<decltype(field), QString>)
                result.cells.push_back(missing);
            else
                result.cells.push_back(decoder.decode(field.data(), field.size()));
        });
        ++result.rows;
    });
    return result;
}

QList<QStringList> ReadPointFile(const QString &path, int fieldCount, const QString &missing)
{
    const PointCells cells = ReadPointCells(path, fieldCount, missing);
    QList<QStringList> rows;
    rows.reserve(cells.rows);
    for (int r = 0; r < cells.rows; ++r) {
        QStringList row;
        for (int c = 0; c < fieldCount; ++c)
            row.append(cells.cells[static_cast<size_t>(r) * fieldCount + c]);
        rows.append(row);
    }
    return rows;
}

void WriteEncodedFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        if (!QFileInfo(path).absoluteDir().exists())
            throw FileError::NotFound();
        throw FileError::Io(errno ? errno : 5);
    }
    if (file.write(bytes) != bytes.size()) {
        const int code = errno;
        file.cancelWriting();
        if (code == ENOSPC)
            throw FileError::DiskFull();
        throw FileError::Io(code ? code : 5);
    }
    if (!file.commit()) {
        const int code = errno;
        if (code == ENOSPC)
            throw FileError::DiskFull();
        throw FileError::Io(code ? code : 5);
    }
}

void LineWriter::addLine(QStringView line)
{
    AppendEncoded(m_bytes, line, m_encoder);
    m_bytes.append("\r\n", 2);
}

void WriteTextLines(const QString &path, const QStringList &lines)
{
    LineWriter writer;
    for (const QString &line : lines)
        writer.addLine(line);
    writer.write(path);
}

} // namespace quorvil
