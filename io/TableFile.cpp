#include "io/TableFile.h"

#include "core/Error.h"
#include "core/TextForms.h"
#include "io/FileAccess.h"
#include "io/TextCodec.h"
#include "io/ooxml/XlsxSheetReader.h"
#include "io/ooxml/XlsxTableWriter.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace quorvil {

namespace {

bool IsOle(const QByteArray &bytes) { return bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")); }
bool IsZip(const QByteArray &bytes) { return bytes.startsWith(QByteArray("PK\x03\x04", 4)); }

bool IsNumberText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    try {
        TextToNumber(trimmed.toStdString());
        return true;
    } catch (const ConversionError &) {
        return false;
    }
}

// Appends a .csv field: quoted when it holds a comma, a quote or a line break.
void AppendCsvField(QByteArray &out, const QString &text)
{
    bool ascii = true, quote = false;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= 0x80)
            ascii = false;
        else if (u == u',' || u == u'"' || u == u'\r' || u == u'\n')
            quote = true;
    }
    if (quote) {
        QString quoted = text;
        quoted.replace(u'"', QLatin1String("\"\""));
        out += '"';
        out += quoted.toUtf8();
        out += '"';
    } else if (ascii) {
        AppendAscii(out, text);
    } else {
        out += text.toUtf8();
    }
}

} // namespace

TableFileKind TableFileKindOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xlsx")
        return TableFileKind::Workbook;
    if (suffix == u"csv")
        return TableFileKind::Csv;
    return TableFileKind::Text;
}

TableFileKind TableFileKindOf(const QString &path, const QByteArray &bytes)
{
    if (IsZip(bytes) || IsOle(bytes))
        return TableFileKind::Workbook;
    return TableFileKindOf(path);
}

CellRows ReadSheetRows(const QString &path, const QByteArray &bytes)
{
    if (TableFileKindOf(path, bytes) == TableFileKind::Workbook)
        return ReadXlsxSheet(bytes, QFileInfo(path).fileName());
    const QString text = DecodeCsv(bytes);
    return ParseDelimitedText(text, GuessDelimiter(text));
}

CellRows ParseDelimitedText(QStringView text, QChar delimiter)
{
    CellRows rows;
    const qsizetype n = text.size();
    const char16_t d = delimiter.unicode();
    auto fieldEnd = [&](qsizetype from) {
        while (from < n) {
            const char16_t ch = text[from].unicode();
            if (ch == d || ch == u'\r' || ch == u'\n')
                break;
            ++from;
        }
        return from;
    };
    qsizetype i = 0;
    while (i < n) {
        for (;;) {
            if (i < n && text[i] == u'"') {
                QString field;
                ++i;
                for (;;) {
                    const qsizetype q = text.indexOf(u'"', i);
                    if (q < 0) {
                        field += text.sliced(i);
                        i = n;
                        break;
                    }
                    field += text.sliced(i, q - i);
                    i = q + 1;
                    if (i < n && text[i] == u'"') {
                        field += u'"';
                        ++i;
                        continue;
                    }
                    break;
                }
                const qsizetype end = fieldEnd(i); // text after the closing quote is kept as written
                field += text.sliced(i, end - i);
                i = end;
                rows.add(std::move(field));
            } else {
                const qsizetype end = fieldEnd(i);
                rows.add(text.sliced(i, end - i).toString());
                i = end;
            }
            if (i < n && text[i].unicode() == d) {
                ++i;
                continue;
            }
            break;
        }
        rows.endRow();
        if (i < n && text[i] == u'\r')
            ++i;
        if (i < n && text[i] == u'\n')
            ++i;
    }
    return rows;
}

QChar GuessDelimiter(QStringView text)
{
    qsizetype lineEnd = 0;
    while (lineEnd < text.size() && text[lineEnd] != u'\n' && text[lineEnd] != u'\r')
        ++lineEnd;
    const QStringView first = text.first(lineEnd);
    if (first.contains(u'\t'))
        return u'\t';
    if (first.contains(u','))
        return u',';
    if (first.contains(u';'))
        return u';';
    return text.contains(u'\t') ? u'\t' : u',';
}

QString DecodeCsv(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16.decode(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16BE);
        return utf16.decode(QByteArrayView(bytes).sliced(2));
    }
    return DecodeText(bytes);
}

int LeadingNonDataRows(const CellRows &rows, const QStringList &captions)
{
    const int h = rows.titleRows;
    if (h >= rows.rows())
        return h;
    bool any = false;
    for (int c = 0; c < rows.width(h); ++c) {
        const QString text = rows.at(h, c).trimmed();
        if (text.isEmpty())
            continue;
        any = true;
        for (const QString &caption : captions)
            if (!caption.trimmed().isEmpty() && text.compare(caption.trimmed(), Qt::CaseInsensitive) == 0)
                return h + 1;
    }
    if (!any)
        return h;
    for (int c = 0; c < rows.width(h); ++c)
        if (IsNumberText(rows.at(h, c)))
            return h; // a number: the first row is data
    if (h + 1 >= rows.rows())
        return h;
    for (int c = 0; c < rows.width(h); ++c)
        if (!rows.at(h, c).trimmed().isEmpty() && IsNumberText(rows.at(h + 1, c)))
            return h + 1;
    return h;
}

QByteArray CsvBytes(const QStringList &captions, int rows, int columns,
                    const std::function<const QString &(int row, int column)> &cell)
{
    QByteArray out("\xEF\xBB\xBF");
    out.reserve(static_cast<qsizetype>(rows) * columns * 12 + 64);
    if (!captions.isEmpty()) {
        for (int c = 0; c < captions.size(); ++c) {
            if (c)
                out += ',';
            AppendCsvField(out, captions.at(c));
        }
        out += "\r\n";
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c)
                out += ',';
            AppendCsvField(out, cell(r, c));
        }
        out += "\r\n";
    }
    return out;
}

void WriteSpreadsheet(const QString &path, TableFileKind kind, const QStringList &captions, int rows, int columns,
                      const std::function<const QString &(int row, int column)> &cell)
{
    if (kind == TableFileKind::Csv) {
        WriteFileAtomically(path, CsvBytes(captions, rows, columns, cell));
        return;
    }
    XlsxTableWriter writer;
    if (!captions.isEmpty())
        writer.addHeader(captions);
    std::vector<QString> row(static_cast<size_t>(columns));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            row[static_cast<size_t>(c)] = cell(r, c);
        writer.addRow(row.data(), columns);
    }
    writer.save(path);
}

void WriteLinesAsSpreadsheet(const QString &path, TableFileKind kind, const QStringList &lines)
{
    if (kind == TableFileKind::Csv) {
        // Each line keeps its own number of fields.
        QByteArray out("\xEF\xBB\xBF");
        for (const QString &line : lines) {
            const QStringList fields = line.split(u',');
            for (int c = 0; c < fields.size(); ++c) {
                if (c)
                    out += ',';
                AppendCsvField(out, fields.at(c));
            }
            out += "\r\n";
        }
        WriteFileAtomically(path, out);
        return;
    }
    XlsxTableWriter writer;
    for (const QString &line : lines)
        writer.addRow(line.split(u','));
    writer.save(path);
}

} // namespace quorvil
