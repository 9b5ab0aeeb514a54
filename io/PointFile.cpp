#include "io/PointFile.h"

#include "io/FileAccess.h"
#include "io/TableFile.h"
#include "io/TextCodec.h"

#include <QStringDecoder>

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
    const QByteArray bytes = ReadWholeFile(path);
    if (const TableFileKind kind = TableFileKindOf(path, bytes); kind != TableFileKind::Text) {
        const CellRows rows = ReadSheetRows(path, bytes);
        QStringList lines;
        lines.reserve(rows.rows());
        for (int r = 0; r < rows.rows(); ++r) {
            int width = rows.width(r);
            if (kind == TableFileKind::Workbook) // a sheet's rows are as wide as its widest
                while (width > 0 && rows.at(r, width - 1).isEmpty())
                    --width;
            QString line;
            for (int c = 0; c < width; ++c) {
                if (c)
                    line += u',';
                line += rows.at(r, c);
            }
            lines.append(line);
        }
        return lines;
    }
    PieceDecoder decoder(bytes);
    QStringList lines;
    ForEachLine(bytes, decoder.bomLength(),
                [&](QByteArrayView line) { lines.append(decoder.decode(line.data(), line.size())); });
    return lines;
}

PointCells ReadPointCells(const QString &path, int fieldCount, const QString &missing, const QStringList &captions)
{
    const QByteArray bytes = ReadWholeFile(path);
    PointCells result;
    result.fieldCount = fieldCount;
    if (TableFileKindOf(path, bytes) != TableFileKind::Text) {
        CellRows rows = ReadSheetRows(path, bytes);
        const int first = LeadingNonDataRows(rows, captions);
        result.notes = rows.notes;
        result.rows = std::max(rows.rows() - first, 0);
        result.cells.reserve(static_cast<size_t>(result.rows) * static_cast<size_t>(fieldCount));
        // The field rule of a line: an empty row is one empty field; fields past the row's end
        // are `missing`.
        for (int r = first; r < rows.rows(); ++r) {
            const int width = std::max(rows.width(r), 1);
            for (int c = 0; c < fieldCount; ++c) {
                if (c < rows.width(r))
                    result.cells.push_back(std::move(rows.cells[static_cast<size_t>(rows.starts[r] + c)]));
                else
                    result.cells.push_back(c < width ? QString() : missing);
            }
        }
        return result;
    }
    PieceDecoder decoder(bytes);
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

void LineWriter::write(const QString &path) const
{
    const TableFileKind kind = TableFileKindOf(path);
    if (kind == TableFileKind::Text) {
        WriteFileAtomically(path, m_bytes);
        return;
    }
    QStringDecoder decoder("GB18030");
    QString text = decoder.isValid() ? QString(decoder.decode(m_bytes)) : QString::fromUtf8(m_bytes);
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    WriteLinesAsSpreadsheet(path, kind, m_bytes.isEmpty() ? QStringList() : text.split(QLatin1String("\r\n")));
}

void LineWriter::addLine(QStringView line)
{
    AppendEncoded(m_bytes, line, m_encoder);
    m_bytes.append("\r\n", 2);
}

void WriteTextLines(const QString &path, const QStringList &lines)
{
    if (const TableFileKind kind = TableFileKindOf(path); kind != TableFileKind::Text) {
        WriteLinesAsSpreadsheet(path, kind, lines);
        return;
    }
    LineWriter writer;
    for (const QString &line : lines)
        writer.addLine(line);
    writer.write(path);
}

} // namespace quorvil
