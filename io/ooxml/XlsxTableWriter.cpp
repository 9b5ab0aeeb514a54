#include "io/ooxml/XlsxTableWriter.h"

#include "io/FileAccess.h"
#include "io/TextCodec.h"
#include "io/ooxml/OoxmlPackage.h"
#include "io/ooxml/XlsxParts.h"

#include <QFileInfo>

#include <algorithm>
#include <map>
#include <vector>

namespace quorvil {

using namespace xlsx;

bool IsPlainDecimal(QStringView text, int *decimals)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    const bool negative = n > 0 && text[0] == u'-';
    if (negative)
        ++i;
    const qsizetype intStart = i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    const qsizetype intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && text[intStart] == u'0'))
        return false;
    qsizetype fraction = 0;
    if (i < n && text[i] == u'.') {
        ++i;
        const qsizetype fracStart = i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        fraction = i - fracStart;
        if (fraction == 0)
            return false;
    }
    if (i != n || fraction > 30)
        return false;
    // Significant digits: from the first non-zero digit to the end.
    int significant = 0;
    bool started = false;
    for (qsizetype k = intStart; k < n; ++k) {
        const QChar ch = text[k];
        if (ch == u'.')
            continue;
        if (ch != u'0')
            started = true;
        if (started)
            ++significant;
    }
    if (significant > 15 || (negative && !started))
        return false;
    if (decimals)
        *decimals = static_cast<int>(fraction);
    return true;
}

namespace {

const char *const MainNamespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char *const RelNamespace = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char *const XmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

// Appends text as XML character data: & < > escaped, control characters XML cannot hold left out.
void AppendXmlEscaped(QByteArray &out, QStringView text)
{
    bool plain = true;
    for (QChar ch : text)
        if (ch.unicode() >= 0x80 || ch == u'&' || ch == u'<' || ch == u'>' || ch.unicode() < 0x20) {
            plain = false;
            break;
        }
    if (plain) {
        AppendAscii(out, text);
        return;
    }
    QString clean;
    clean.reserve(text.size());
    for (QChar ch : text) {
        if (ch == u'&')
            clean += QLatin1String("&amp;");
        else if (ch == u'<')
            clean += QLatin1String("&lt;");
        else if (ch == u'>')
            clean += QLatin1String("&gt;");
        else if (ch == u'\r')
            clean += QLatin1String("&#13;");
        else if (ch.unicode() >= 0x20 || ch == u'\t' || ch == u'\n')
            clean += ch;
    }
    out += clean.toUtf8();
}

// Columns as wide as their text: a Chinese character takes two character widths.
int DisplayWidth(QStringView text)
{
    int width = 0;
    for (QChar ch : text)
        width += ch.unicode() >= 0x1100 ? 2 : 1;
    return width;
}

} // namespace

struct XlsxTableWriter::Impl {
    QByteArray rows;
    int rowCount = 0;
    bool header = false;
    std::vector<int> widths;
    std::vector<QByteArray> letters;
    std::map<int, int> formatOfDecimals; // decimals → cell format (0 normal, 1 caption)
    int nextFormat = 2;

    const QByteArray &letter(int column)
    {
        while (static_cast<int>(letters.size()) <= column)
            letters.push_back(QByteArray::fromStdString(ColumnLetters(static_cast<int>(letters.size()) + 1)));
        return letters[static_cast<size_t>(column)];
    }
    int formatFor(int decimals)
    {
        auto it = formatOfDecimals.find(decimals);
        if (it != formatOfDecimals.end())
            return it->second;
        return formatOfDecimals[decimals] = nextFormat++;
    }
    void addRow(const QString *cells, int count, bool caption);
    QByteArray styles() const;
    QByteArray sheet();
};

void XlsxTableWriter::Impl::addRow(const QString *cells, int count, bool caption)
{
    const QByteArray number = QByteArray::number(++rowCount);
    rows += "<row r=\"";
    rows += number;
    rows += "\">";
    if (static_cast<int>(widths.size()) < count)
        widths.resize(static_cast<size_t>(count), 0);
    for (int c = 0; c < count; ++c) {
        const QString &text = cells[c];
        if (text.isEmpty())
            continue;
        widths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)], DisplayWidth(text));
        rows += "<c r=\"";
        rows += letter(c);
        rows += number;
        int decimals = 0;
        if (!caption && IsPlainDecimal(text, &decimals)) {
            rows += "\" s=\"";
            rows += QByteArray::number(formatFor(decimals));
            rows += "\"><v>";
            AppendXmlEscaped(rows, text); // the text is already a valid number of the sheet
            rows += "</v></c>";
        } else {
            rows += caption ? "\" s=\"1\" t=\"inlineStr\"><is><t" : "\" t=\"inlineStr\"><is><t";
            if (text.front().isSpace() || text.back().isSpace())
                rows += " xml:space=\"preserve\"";
            rows += '>';
            AppendXmlEscaped(rows, text);
            rows += "</t></is></c>";
        }
    }
    rows += "</row>";
}

QByteArray XlsxTableWriter::Impl::styles() const
{
    QByteArray numFmts, xfs;
    int customFormats = 0;
    // Formats in the order of their numbers: 0 normal, 1 caption, then one per count of decimals.
    std::map<int, int> byFormat;
    for (const auto &[decimals, format] : formatOfDecimals)
        byFormat[format] = decimals;
    for (const auto &[format, decimals] : byFormat) {
        int id = WholeNumberFormat;
        if (decimals > 0) {
            id = FirstCustomNumberFormat + customFormats++;
            numFmts += "<numFmt numFmtId=\"" + QByteArray::number(id) + "\" formatCode=\"0." +
                       QByteArray(decimals, '0') + "\"/>";
        }
        xfs += "<xf numFmtId=\"" + QByteArray::number(id) +
               "\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>";
    }
    QByteArray out = XmlDeclaration;
    out += "<styleSheet xmlns=\"";
    out += MainNamespace;
    out += "\">";
    if (customFormats)
        out += "<numFmts count=\"" + QByteArray::number(customFormats) + "\">" + numFmts + "</numFmts>";
    out += "<fonts count=\"2\">"
           "<font><sz val=\"11\"/><name val=\"宋体\"/><family val=\"2\"/><charset val=\"134\"/></font>"
           "<font><b/><sz val=\"11\"/><name val=\"宋体\"/><family val=\"2\"/><charset val=\"134\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>";
    out += "<cellXfs count=\"" + QByteArray::number(2 + static_cast<int>(byFormat.size())) + "\">";
    out += "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
           "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyFont=\"1\"/>";
    out += xfs;
    out += "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
           "</styleSheet>";
    return out;
}

QByteArray XlsxTableWriter::Impl::sheet()
{
    QByteArray head = XmlDeclaration;
    head += "<worksheet xmlns=\"";
    head += MainNamespace;
    head += "\" xmlns:r=\"";
    head += RelNamespace;
    head += "\">";
    const int columns = std::max<int>(1, static_cast<int>(widths.size()));
    head += "<dimension ref=\"A1:" + letter(columns - 1) + QByteArray::number(std::max(rowCount, 1)) + "\"/>";
    head += "<sheetViews><sheetView workbookViewId=\"0\">";
    if (header && rowCount > 1)
        head += "<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"
                "<selection pane=\"bottomLeft\" activeCell=\"A2\" sqref=\"A2\"/>";
    head += "</sheetView></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/>";
    if (!widths.empty()) {
        head += "<cols>";
        for (size_t c = 0; c < widths.size(); ++c) {
            const int width = std::clamp(widths[c] + 2, 8, 60);
            head += "<col min=\"" + QByteArray::number(int(c) + 1) + "\" max=\"" + QByteArray::number(int(c) + 1) +
                    "\" width=\"" + QByteArray::number(width) + "\" customWidth=\"1\"/>";
        }
        head += "</cols>";
    }
    static const char tail[] = "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" "
                               "header=\"0.3\" footer=\"0.3\"/></worksheet>";
    QByteArray out;
    out.reserve(head.size() + rows.size() + 32 + qsizetype(sizeof tail));
    out += head;
    out += "<sheetData>";
    out += rows;
    out += tail;
    rows = QByteArray(); // the sheet holds them now
    return out;
}

XlsxTableWriter::XlsxTableWriter() : d(std::make_unique<Impl>()) {}
XlsxTableWriter::~XlsxTableWriter() = default;

void XlsxTableWriter::addHeader(const QStringList &captions)
{
    if (d->rowCount != 0)
        return;
    d->header = true;
    d->addRow(captions.constData(), static_cast<int>(captions.size()), true);
}

void XlsxTableWriter::addRow(const QString *cells, int count)
{
    d->addRow(cells, count, false);
}

QByteArray XlsxTableWriter::toBytes()
{
    OoxmlPackage package;
    package.setPart(ContentTypesPart,
                    QByteArray(XmlDeclaration) +
                        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" + WorkbookType + "\"/>"
                        "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
                        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
                        "<Override PartName=\"/xl/styles.xml\" "
                        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
                        "</Types>");
    package.setPart("_rels/.rels",
                    QByteArray(XmlDeclaration) +
                        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                        "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    package.setPart(WorkbookPart, QByteArray(XmlDeclaration) + "<workbook xmlns=\"" + MainNamespace + "\" xmlns:r=\"" +
                                      RelNamespace +
                                      "\"><bookViews><workbookView/></bookViews><sheets>"
                                      "<sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    package.setPart(WorkbookRelsPart,
                    QByteArray(XmlDeclaration) +
                        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                        "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                        "relationships/styles\" Target=\"styles.xml\"/></Relationships>");
    package.setPart(StylesPart, d->styles());
    package.setPart("xl/worksheets/sheet1.xml", d->sheet());
    package.setCompressionLevel(1); // large sheets: speed before the last few per cent of size
    return package.toBytes();
}

void XlsxTableWriter::save(const QString &path)
{
    const QByteArray bytes = toBytes();
    try {
        WriteFileAtomically(path, bytes);
    } catch (const FileError &e) {
        throw FileError(QStringLiteral("Excel表“%1”无法写入（%2），原有文件未改动。")
                            .arg(QFileInfo(path).fileName(), QString::fromStdString(e.what()))
                            .toStdString());
    }
}

} // namespace quorvil
