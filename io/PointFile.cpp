#include "PointFile.h"

#include "FileErrors.h"
#include "TextCodec.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

namespace quorvil {

namespace {

// The field rule of the point files: `count` fields from the left, each ended by the next ",";
// the last one present takes the rest of the line; after it every field is `missing`.
template <typename Emit>
void SplitInto(QStringView line, int count, const QString &missing, Emit emit)
{
    QStringView rest = line;
    bool exhausted = false;
    for (int i = 0; i < count; ++i) {
        if (exhausted) {
            emit(missing);
            continue;
        }
        const qsizetype comma = rest.indexOf(u',');
        if (comma >= 0) {
            emit(rest.left(comma).toString());
            rest = rest.mid(comma + 1);
        } else {
            emit(rest.toString());
            exhausted = true;
        }
    }
}

} // namespace

QStringList SplitFields(QStringView line, int count, const QString &missing)
{
    QStringList fields;
    fields.reserve(count);
    SplitInto(line, count, missing, [&](QString field) { fields.append(std::move(field)); });
    return fields;
}

namespace {

QString ReadDecoded(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw FileError::NotFound();
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::Io(errno ? errno : 5);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError::Io(errno ? errno : 5);
    file.close();
    return DecodeText(bytes);
}

// Calls visit(line) for each line of the text, without its CR LF or LF.
template <typename Visit>
void ForEachLine(const QString &text, Visit visit)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = n;
        qsizetype stop = end;
        if (stop > start && text.at(stop - 1) == u'\r')
            --stop;
        visit(QStringView(text).mid(start, stop - start));
        start = end + 1;
    }
}

} // namespace

QStringList ReadTextLines(const QString &path)
{
    const QString text = ReadDecoded(path);
    QStringList lines;
    ForEachLine(text, [&](QStringView line) { lines.append(line.toString()); });
    return lines;
}

PointCells ReadPointCells(const QString &path, int fieldCount, const QString &missing)
{
    const QString text = ReadDecoded(path);
    PointCells result;
    result.fieldCount = fieldCount;
    result.cells.reserve(static_cast<size_t>(text.count(u'\n') + 1) * fieldCount);
    ForEachLine(text, [&](QStringView line) {
        SplitInto(line, fieldCount, missing, [&](QString field) { result.cells.push_back(std::move(field)); });
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

void WriteTextLines(const QString &path, const QStringList &lines)
{
    QString text;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    const QByteArray bytes = EncodeText(text);

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

} // namespace quorvil
