#include "io/XlsxWorkbook.h"

#include "core/Error.h"
#include "core/TextForms.h"
#include "io/PointFile.h"
#include "io/TextCodec.h"

#include <QFileInfo>

#include <pugixml.hpp>

#include <charconv>
#include <functional>
#include <cmath>
#include <string>

namespace quorvil {

namespace {

const char *const ContentTypesPart = "[Content_Types].xml";
const char *const WorkbookPart = "xl/workbook.xml";
const char *const WorkbookRelsPart = "xl/_rels/workbook.xml.rels";
const char *const StylesPart = "xl/styles.xml";
const char *const TemplateType = "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
const char *const WorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr int FirstCustomNumberFormat = 164; // ids below are Excel's built-in formats
constexpr int WholeNumberFormat = 1;         // built-in "0"

[[noreturn]] void notASpreadsheet(const QString &name)
{
    throw PackageError(QStringLiteral("模板文件“%1”不是Excel工作簿模板").arg(name).toStdString());
}

std::string ColumnLetters(int column)
{
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), char('A' + (c - 1) % 26));
    return letters;
}

std::string CellRef(int row, int column) { return ColumnLetters(column) + std::to_string(row); }

// "B12" → row 12, column 2; false when the text is no cell reference.
bool ParseRef(std::string_view ref, int &row, int &column)
{
    // Beyond a sheet's last column (XFD) and row (1048576) there are no cells.
    std::size_t i = 0;
    column = 0;
    while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z' && column <= 16384)
        column = column * 26 + (ref[i++] - 'A' + 1);
    if (i == 0 || i == ref.size() || column > 16384)
        return false;
    row = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < '0' || ref[i] > '9' || row > 1048576)
            return false;
        row = row * 10 + (ref[i] - '0');
    }
    return row > 0 && row <= 1048576;
}

// Resolves a relationship target against the folder of the part that refers to it.
std::string ResolveTarget(const std::string &target)
{
    if (!target.empty() && target.front() == '/')
        return target.substr(1);
    return "xl/" + target;
}

// Text without the control characters XML cannot hold.
std::string XmlText(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (QChar ch : text)
        if (ch.unicode() >= 0x20 || ch == u'\t' || ch == u'\n' || ch == u'\r')
            clean.append(ch);
    return clean.toStdString();
}

void SetCount(pugi::xml_node list)
{
    std::size_t n = 0;
    for (pugi::xml_node child = list.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element)
            ++n;
    if (!list.attribute("count"))
        list.append_attribute("count");
    list.attribute("count").set_value(n);
}

// Child elements of a worksheet that must come after <mergeCells>, in schema order.
const char *const AfterMergeCells[] = {"phoneticPr", "conditionalFormatting", "dataValidations", "hyperlinks",
                                       "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks",
                                       "colBreaks", "customProperties", "cellWatches", "ignoredErrors",
                                       "smartTags", "drawing", "legacyDrawing", "legacyDrawingHF", "picture",
                                       "oleObjects", "controls", "webPublishItems", "tableParts", "extLst"};

} // namespace

struct XlsxWorkbook::Impl {
    OoxmlPackage package;
    std::string sheetPart;
    pugi::xml_document sheet;
    pugi::xml_document styles;
    pugi::xml_node sheetData;
    std::map<int, pugi::xml_node> rows;
    std::map<std::pair<int, int>, pugi::xml_node> cells;
    std::map<int, int> columnStyles; // column → default cell format of the column
    int maxRow = 1, maxColumn = 1;

    int thinBorder = -1;
    std::map<int, int> borderedFormat;                 // cell format → the same with thin borders
    std::map<std::pair<int, int>, int> decimalsFormat; // (cell format, decimals) → with that number format
    std::map<int, int> numberFormats;                  // decimals → numFmtId

    explicit Impl(OoxmlPackage p) : package(std::move(p)) {}

    void load();
    pugi::xml_node row(int r);
    pugi::xml_node cell(int r, int c);
    int formatOf(pugi::xml_node c) const { return c.attribute("s").as_int(0); }
    pugi::xml_node cellFormats() { return styles.child("styleSheet").child("cellXfs"); }
    int cloneFormat(int format, const std::function<void(pugi::xml_node)> &change);
    int withThinBorders(int format);
    int withDecimals(int format, int decimals);
    void clearValue(pugi::xml_node c);
};

void XlsxWorkbook::Impl::load()
{
    const QString name = QFileInfo(package.name()).fileName();
    if (!package.has(WorkbookPart) || !package.has(WorkbookRelsPart) || !package.has(ContentTypesPart))
        notASpreadsheet(name);

    // The active sheet of the workbook.
    pugi::xml_document workbook, rels;
    package.parse(WorkbookPart, workbook);
    package.parse(WorkbookRelsPart, rels);
    const pugi::xml_node wb = workbook.child("workbook");
    const int active = wb.child("bookViews").child("workbookView").attribute("activeTab").as_int(0);
    pugi::xml_node sheetEntry;
    int index = 0;
    for (pugi::xml_node s = wb.child("sheets").child("sheet"); s; s = s.next_sibling("sheet"), ++index)
        if (index == active || !sheetEntry)
            sheetEntry = s;
    if (!sheetEntry)
        notASpreadsheet(name);
    const std::string id = sheetEntry.attribute("r:id").as_string();
    for (pugi::xml_node rel = rels.child("Relationships").child("Relationship"); rel;
         rel = rel.next_sibling("Relationship"))
        if (id == rel.attribute("Id").as_string())
            sheetPart = ResolveTarget(rel.attribute("Target").as_string());
    if (sheetPart.empty() || !package.has(sheetPart) || !package.has(StylesPart))
        notASpreadsheet(name);

    // A workbook, no longer a template.
    pugi::xml_document types;
    package.parse(ContentTypesPart, types);
    for (pugi::xml_node o = types.child("Types").child("Override"); o; o = o.next_sibling("Override"))
        if (std::string_view(o.attribute("ContentType").as_string()) == TemplateType)
            o.attribute("ContentType").set_value(WorkbookType);
    package.store(ContentTypesPart, types);

    package.parse(StylesPart, styles);
    if (!cellFormats())
        notASpreadsheet(name);
    package.parse(sheetPart, sheet);
    pugi::xml_node ws = sheet.child("worksheet");
    sheetData = ws.child("sheetData");
    if (!ws || !sheetData)
        notASpreadsheet(name);

    for (pugi::xml_node col = ws.child("cols").child("col"); col; col = col.next_sibling("col"))
        if (col.attribute("style"))
            for (int c = col.attribute("min").as_int(); c <= col.attribute("max").as_int() && c <= 16384; ++c)
                columnStyles[c] = col.attribute("style").as_int();

    // Index the rows and cells the template holds; a row or cell without a reference follows
    // the one before it.
    int lastRow = 0;
    for (pugi::xml_node r = sheetData.child("row"); r; r = r.next_sibling("row")) {
        const int rowNumber = r.attribute("r") ? r.attribute("r").as_int() : lastRow + 1;
        lastRow = rowNumber;
        rows[rowNumber] = r;
        maxRow = std::max(maxRow, rowNumber);
        int lastColumn = 0;
        for (pugi::xml_node c = r.child("c"); c; c = c.next_sibling("c")) {
            int cr = rowNumber, cc = lastColumn + 1;
            if (c.attribute("r"))
                ParseRef(c.attribute("r").as_string(), cr, cc);
            lastColumn = cc;
            cells[{rowNumber, cc}] = c;
            maxColumn = std::max(maxColumn, cc);
        }
    }
}

pugi::xml_node XlsxWorkbook::Impl::row(int r)
{
    auto it = rows.find(r);
    if (it != rows.end())
        return it->second;
    auto next = rows.upper_bound(r);
    pugi::xml_node node = next == rows.end() ? sheetData.append_child("row")
                                             : sheetData.insert_child_before("row", next->second);
    node.append_attribute("r").set_value(r);
    maxRow = std::max(maxRow, r);
    return rows[r] = node;
}

pugi::xml_node XlsxWorkbook::Impl::cell(int r, int c)
{
    auto it = cells.find({r, c});
    if (it != cells.end())
        return it->second;
    pugi::xml_node parent = row(r);
    auto next = cells.lower_bound({r, c + 1});
    pugi::xml_node node = (next != cells.end() && next->first.first == r)
                              ? parent.insert_child_before("c", next->second)
                              : parent.append_child("c");
    node.append_attribute("r").set_value(CellRef(r, c).c_str());
    auto style = columnStyles.find(c);
    if (style != columnStyles.end() && style->second != 0)
        node.append_attribute("s").set_value(style->second);
    maxColumn = std::max(maxColumn, c);
    return cells[{r, c}] = node;
}

int XlsxWorkbook::Impl::cloneFormat(int format, const std::function<void(pugi::xml_node)> &change)
{
    pugi::xml_node xfs = cellFormats();
    pugi::xml_node source;
    int i = 0;
    for (pugi::xml_node xf = xfs.child("xf"); xf; xf = xf.next_sibling("xf"), ++i)
        if (i == format)
            source = xf;
    if (!source)
        source = xfs.child("xf");
    pugi::xml_node copy = source ? xfs.append_copy(source) : xfs.append_child("xf");
    change(copy);
    SetCount(xfs);
    int count = 0;
    for (pugi::xml_node xf = xfs.child("xf"); xf; xf = xf.next_sibling("xf"))
        ++count;
    return count - 1;
}

int XlsxWorkbook::Impl::withThinBorders(int format)
{
    auto it = borderedFormat.find(format);
    if (it != borderedFormat.end())
        return it->second;
    if (thinBorder < 0) {
        pugi::xml_node sheetStyles = styles.child("styleSheet");
        pugi::xml_node borders = sheetStyles.child("borders");
        if (!borders)
            borders = sheetStyles.insert_child_before("borders", cellFormats());
        pugi::xml_node border = borders.append_child("border");
        for (const char *side : {"left", "right", "top", "bottom"}) {
            pugi::xml_node edge = border.append_child(side);
            edge.append_attribute("style").set_value("thin");
            edge.append_child("color").append_attribute("indexed").set_value(64);
        }
        border.append_child("diagonal");
        SetCount(borders);
        thinBorder = static_cast<int>(borders.select_nodes("border").size()) - 1;
    }
    const int id = cloneFormat(format, [this](pugi::xml_node xf) {
        (xf.attribute("borderId") ? xf.attribute("borderId") : xf.append_attribute("borderId")).set_value(thinBorder);
        (xf.attribute("applyBorder") ? xf.attribute("applyBorder") : xf.append_attribute("applyBorder")).set_value(1);
    });
    borderedFormat[format] = id;
    borderedFormat[id] = id;
    return id;
}

int XlsxWorkbook::Impl::withDecimals(int format, int decimals)
{
    auto it = decimalsFormat.find({format, decimals});
    if (it != decimalsFormat.end())
        return it->second;
    int numFmtId = WholeNumberFormat;
    if (decimals > 0) {
        auto known = numberFormats.find(decimals);
        if (known != numberFormats.end()) {
            numFmtId = known->second;
        } else {
            pugi::xml_node sheetStyles = styles.child("styleSheet");
            pugi::xml_node formats = sheetStyles.child("numFmts");
            if (!formats)
                formats = sheetStyles.prepend_child("numFmts");
            numFmtId = FirstCustomNumberFormat;
            for (pugi::xml_node f = formats.child("numFmt"); f; f = f.next_sibling("numFmt"))
                numFmtId = std::max(numFmtId, f.attribute("numFmtId").as_int() + 1);
            pugi::xml_node f = formats.append_child("numFmt");
            f.append_attribute("numFmtId").set_value(numFmtId);
            f.append_attribute("formatCode").set_value(("0." + std::string(std::size_t(decimals), '0')).c_str());
            SetCount(formats);
            numberFormats[decimals] = numFmtId;
        }
    }
    const int id = cloneFormat(format, [numFmtId](pugi::xml_node xf) {
        (xf.attribute("numFmtId") ? xf.attribute("numFmtId") : xf.append_attribute("numFmtId")).set_value(numFmtId);
        (xf.attribute("applyNumberFormat") ? xf.attribute("applyNumberFormat") : xf.append_attribute("applyNumberFormat"))
            .set_value(1);
    });
    decimalsFormat[{format, decimals}] = id;
    // A bordered format that gets decimals keeps its borders: remember the pair as bordered too.
    if (borderedFormat.count(format) && borderedFormat.at(format) == format)
        borderedFormat[id] = id;
    return id;
}

void XlsxWorkbook::Impl::clearValue(pugi::xml_node c)
{
    c.remove_attribute("t");
    while (c.first_child())
        c.remove_child(c.first_child());
}

XlsxWorkbook::XlsxWorkbook(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
XlsxWorkbook::XlsxWorkbook(XlsxWorkbook &&) noexcept = default;
XlsxWorkbook &XlsxWorkbook::operator=(XlsxWorkbook &&) noexcept = default;
XlsxWorkbook::~XlsxWorkbook() = default;

XlsxWorkbook XlsxWorkbook::fromTemplate(const QString &templatePath)
{
    auto impl = std::make_unique<Impl>(OoxmlPackage::load(templatePath));
    impl->load();
    return XlsxWorkbook(std::move(impl));
}

QString XlsxWorkbook::cellName(int row, int column) { return QString::fromStdString(CellRef(row, column)); }

void XlsxWorkbook::setNumber(int row, int column, double value, int decimals)
{
    pugi::xml_node c = d->cell(row, column);
    d->clearValue(c);
    if (decimals >= 0) {
        const int format = d->withDecimals(d->formatOf(c), decimals);
        (c.attribute("s") ? c.attribute("s") : c.append_attribute("s")).set_value(format);
    }
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    c.append_child("v").text().set(std::string(buffer, ec == std::errc() ? end : buffer).c_str());
}

void XlsxWorkbook::setText(int row, int column, const QString &text)
{
    pugi::xml_node c = d->cell(row, column);
    d->clearValue(c);
    if (text.isEmpty())
        return;
    c.append_attribute("t").set_value("inlineStr");
    pugi::xml_node t = c.append_child("is").append_child("t");
    if (text.front().isSpace() || text.back().isSpace())
        t.append_attribute("xml:space").set_value("preserve");
    t.text().set(XmlText(text).c_str());
}

void XlsxWorkbook::setValue(int row, int column, const QString &text)
{
    const std::string s = text.trimmed().toStdString();
    if (!s.empty()) {
        try {
            const double value = static_cast<double>(TextToNumber(s));
            if (std::isfinite(value)) {
                int decimals = -1;
                if (s.find_first_of("eE") == std::string::npos) {
                    const std::size_t point = s.find('.');
                    decimals = point == std::string::npos ? 0 : std::min<int>(int(s.size() - point - 1), 30);
                }
                setNumber(row, column, value, decimals);
                return;
            }
        } catch (const ConversionError &) {
            // Not a number: the cell keeps the text.
        }
    }
    setText(row, column, text);
}

void XlsxWorkbook::setRowHeight(int row, double points)
{
    pugi::xml_node r = d->row(row);
    (r.attribute("ht") ? r.attribute("ht") : r.append_attribute("ht")).set_value(points);
    (r.attribute("customHeight") ? r.attribute("customHeight") : r.append_attribute("customHeight")).set_value(1);
}

void XlsxWorkbook::setThinBorders(int firstRow, int firstColumn, int lastRow, int lastColumn)
{
    for (int r = firstRow; r <= lastRow; ++r)
        for (int col = firstColumn; col <= lastColumn; ++col) {
            pugi::xml_node c = d->cell(r, col);
            const int format = d->withThinBorders(d->formatOf(c));
            (c.attribute("s") ? c.attribute("s") : c.append_attribute("s")).set_value(format);
        }
}

void XlsxWorkbook::merge(int firstRow, int firstColumn, int lastRow, int lastColumn)
{
    pugi::xml_node ws = d->sheet.child("worksheet");
    pugi::xml_node merges = ws.child("mergeCells");
    if (!merges) {
        pugi::xml_node before;
        for (const char *name : AfterMergeCells)
            if (!before)
                before = ws.child(name);
        merges = before ? ws.insert_child_before("mergeCells", before) : ws.append_child("mergeCells");
    }
    const std::string ref = CellRef(firstRow, firstColumn) + ":" + CellRef(lastRow, lastColumn);
    merges.append_child("mergeCell").append_attribute("ref").set_value(ref.c_str());
    SetCount(merges);
}

void XlsxWorkbook::flush()
{
    pugi::xml_node dimension = d->sheet.child("worksheet").child("dimension");
    if (dimension)
        dimension.attribute("ref").set_value(("A1:" + CellRef(d->maxRow, d->maxColumn)).c_str());
    d->package.store(d->sheetPart, d->sheet);
    d->package.store(StylesPart, d->styles);
}

QByteArray XlsxWorkbook::toBytes()
{
    flush();
    return d->package.toBytes();
}

void XlsxWorkbook::save(const QString &path)
{
    flush();
    try {
        d->package.save(path);
    } catch (const FileError &e) {
        throw FileError(QStringLiteral("Excel表“%1”无法写入（%2），原有文件未改动。")
                            .arg(QFileInfo(path).fileName(), QString::fromStdString(e.what()))
                            .toStdString());
    }
}

} // namespace quorvil

// ---- plain tables: a one-sheet workbook written row by row, and the first sheet read back -----------

namespace quorvil {

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
        WriteEncodedFile(path, bytes);
    } catch (const FileError &e) {
        throw FileError(QStringLiteral("Excel表“%1”无法写入（%2），原有文件未改动。")
                            .arg(QFileInfo(path).fileName(), QString::fromStdString(e.what()))
                            .toStdString());
    }
}

// ---- reading ------------------------------------------------------------------------------------

namespace {

[[noreturn]] void Unreadable(const QString &name, const QString &why)
{
    throw FileError(QStringLiteral("文件“%1”%2").arg(name, why).toStdString());
}

const QString NotAWorkbook = QStringLiteral("已损坏或不是Excel工作簿（.xlsx），未导入。");

std::string_view LocalName(std::string_view name)
{
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool Is(pugi::xml_node node, std::string_view local) { return LocalName(node.name()) == local; }

pugi::xml_node Child(pugi::xml_node node, std::string_view local)
{
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && Is(c, local))
            return c;
    return {};
}

// The relationship id of a <sheet>: the "id" attribute in the relationships namespace, whatever
// its prefix.
std::string RelationshipId(pugi::xml_node sheet)
{
    for (pugi::xml_attribute a = sheet.first_attribute(); a; a = a.next_attribute()) {
        const std::string_view name = a.name();
        const size_t colon = name.find(':');
        if (colon != std::string_view::npos && name.substr(colon + 1) == "id" && name.substr(0, colon) != "xmlns")
            return a.value();
    }
    return {};
}

// A relationship target resolved against the folder of the part that has the relationships.
std::string ResolveAgainst(const std::string &folder, const std::string &target)
{
    std::string path = !target.empty() && target.front() == '/' ? target.substr(1) : folder + target;
    // Resolve "." and ".." segments.
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        const std::string part = path.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string out;
    for (const std::string &p : parts)
        out += (out.empty() ? "" : "/") + p;
    return out;
}

std::map<std::string, std::pair<std::string, std::string>> Relationships(const OoxmlPackage &package,
                                                                       const std::string &part)
{
    std::map<std::string, std::pair<std::string, std::string>> rels; // id → (type, resolved target)
    const size_t slash = part.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
    const std::string relsPart = folder + "_rels/" + part.substr(folder.size()) + ".rels";
    if (!package.has(relsPart))
        return rels;
    pugi::xml_document doc;
    package.parse(relsPart, doc);
    for (pugi::xml_node r = Child(doc, "Relationships").first_child(); r; r = r.next_sibling())
        if (Is(r, "Relationship"))
            rels[r.attribute("Id").as_string()] = {r.attribute("Type").as_string(),
                                                   ResolveAgainst(folder, r.attribute("Target").as_string())};
    return rels;
}

bool EndsWith(std::string_view s, std::string_view end)
{
    return s.size() >= end.size() && s.substr(s.size() - end.size()) == end;
}

// ---- a small pull scanner for the large parts (sheet, shared strings) --------------------------------

struct Tag {
    std::string_view name; // local name
    std::string_view attributes;
    bool closing = false;
    bool empty = false; // <x/>
};

// Calls tag(Tag) for each element tag and text(std::string_view raw, bool cdata) for the character
// data between them. Comments, processing instructions and declarations are skipped. Returns false
// on a tag that does not end.
template <typename OnTag, typename OnText>
bool ScanXml(std::string_view xml, OnTag tag, OnText text)
{
    size_t i = 0;
    const size_t n = xml.size();
    while (i < n) {
        const size_t lt = xml.find('<', i);
        if (lt == std::string_view::npos) {
            text(xml.substr(i), false);
            return true;
        }
        if (lt > i)
            text(xml.substr(i, lt - i), false);
        if (xml.compare(lt, 4, "<!--") == 0) {
            const size_t end = xml.find("-->", lt + 4);
            if (end == std::string_view::npos)
                return false;
            i = end + 3;
            continue;
        }
        if (xml.compare(lt, 9, "<![CDATA[") == 0) {
            const size_t end = xml.find("]]>", lt + 9);
            if (end == std::string_view::npos)
                return false;
            text(xml.substr(lt + 9, end - lt - 9), true);
            i = end + 3;
            continue;
        }
        if (lt + 1 < n && (xml[lt + 1] == '?' || xml[lt + 1] == '!')) {
            const size_t end = xml.find('>', lt);
            if (end == std::string_view::npos)
                return false;
            i = end + 1;
            continue;
        }
        size_t j = lt + 1;
        char quote = 0;
        for (; j < n; ++j) {
            const char ch = xml[j];
            if (quote) {
                if (ch == quote)
                    quote = 0;
            } else if (ch == '"' || ch == '\'') {
                quote = ch;
            } else if (ch == '>') {
                break;
            }
        }
        if (j >= n)
            return false;
        Tag t;
        size_t s = lt + 1;
        if (s < j && xml[s] == '/') {
            t.closing = true;
            ++s;
        }
        size_t e = j;
        if (e > s && xml[e - 1] == '/') {
            t.empty = true;
            --e;
        }
        size_t nameEnd = s;
        while (nameEnd < e && xml[nameEnd] != ' ' && xml[nameEnd] != '\t' && xml[nameEnd] != '\r' && xml[nameEnd] != '\n')
            ++nameEnd;
        t.name = LocalName(xml.substr(s, nameEnd - s));
        t.attributes = xml.substr(nameEnd, e - nameEnd);
        tag(t);
        i = j + 1;
    }
    return true;
}

// The raw value of the unprefixed attribute `name`, or an empty view.
std::string_view Attribute(std::string_view attributes, std::string_view name)
{
    size_t i = 0;
    const size_t n = attributes.size();
    while (i < n) {
        while (i < n && (attributes[i] == ' ' || attributes[i] == '\t' || attributes[i] == '\r' || attributes[i] == '\n'))
            ++i;
        const size_t nameStart = i;
        while (i < n && attributes[i] != '=' && attributes[i] != ' ' && attributes[i] != '\t' && attributes[i] != '\r' &&
               attributes[i] != '\n')
            ++i;
        const std::string_view attr = attributes.substr(nameStart, i - nameStart);
        while (i < n && attributes[i] != '=')
            ++i;
        ++i;
        while (i < n && attributes[i] != '"' && attributes[i] != '\'')
            ++i;
        if (i >= n)
            return {};
        const char quote = attributes[i++];
        const size_t valueStart = i;
        while (i < n && attributes[i] != quote)
            ++i;
        if (attr == name)
            return attributes.substr(valueStart, i - valueStart);
        ++i;
    }
    return {};
}

// Appends XML character data with its entity and character references resolved.
void AppendUnescaped(std::string &out, std::string_view raw)
{
    size_t i = 0;
    while (i < raw.size()) {
        const size_t amp = raw.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(raw.substr(i));
            return;
        }
        out.append(raw.substr(i, amp - i));
        const size_t semi = raw.find(';', amp);
        if (semi == std::string_view::npos || semi - amp > 10) {
            out += '&';
            i = amp + 1;
            continue;
        }
        const std::string_view entity = raw.substr(amp + 1, semi - amp - 1);
        if (entity == "amp")
            out += '&';
        else if (entity == "lt")
            out += '<';
        else if (entity == "gt")
            out += '>';
        else if (entity == "quot")
            out += '"';
        else if (entity == "apos")
            out += '\'';
        else if (!entity.empty() && entity[0] == '#') {
            unsigned code = 0;
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
            if (ec == std::errc() && end == digits.data() + digits.size() && code > 0 && code <= 0x10FFFF) {
                const char32_t c32 = char32_t(code);
                out += QString::fromUcs4(&c32, 1).toStdString();
            }
        }
        i = semi + 1;
    }
}

// Text of a cell: UTF-8 with the sheet's "_xHHHH_" escapes of characters XML cannot hold resolved.
QString CellText(const std::string &utf8)
{
    QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// How a cell format shows a number.
struct NumberForm {
    enum Kind { General, Fixed, Percent } kind = General;
    int minDecimals = 0;
    int maxDecimals = 0;
};

NumberForm FormOfCode(std::string_view code)
{
    // The first section (positive numbers), without quoted text, escapes and [..] parts.
    std::string clean;
    bool quoted = false;
    for (size_t i = 0; i < code.size(); ++i) {
        const char ch = code[i];
        if (quoted) {
            if (ch == '"')
                quoted = false;
            continue;
        }
        if (ch == '"') {
            quoted = true;
        } else if (ch == ';') {
            break;
        } else if (ch == '\\' || ch == '_' || ch == '*') {
            ++i; // the next character is shown or spaced, not a format symbol
        } else if (ch == '[') {
            const size_t end = code.find(']', i);
            if (end == std::string_view::npos)
                break;
            i = end;
        } else {
            clean += ch;
        }
    }
    NumberForm form;
    std::string lower;
    for (char ch : clean)
        lower += char(std::tolower(static_cast<unsigned char>(ch)));
    if (lower.find("general") != std::string::npos || lower.find_first_of("ymdhse@") != std::string::npos)
        return form; // dates, times, scientific and text formats: the number as General shows it
    if (clean.find_first_of("0#?") == std::string::npos)
        return form;
    form.kind = clean.find('%') != std::string::npos ? NumberForm::Percent : NumberForm::Fixed;
    const size_t point = clean.find('.');
    if (point != std::string::npos)
        for (size_t i = point + 1; i < clean.size(); ++i) {
            if (clean[i] == '0') {
                ++form.minDecimals;
                ++form.maxDecimals;
            } else if (clean[i] == '#' || clean[i] == '?') {
                ++form.maxDecimals;
            } else if (clean[i] != ',') {
                break;
            }
        }
    form.maxDecimals = std::min(form.maxDecimals, 30);
    form.minDecimals = std::min(form.minDecimals, form.maxDecimals);
    return form;
}

NumberForm BuiltInForm(int id)
{
    switch (id) {
    case 1:
    case 3:
    case 37:
    case 38:
        return {NumberForm::Fixed, 0, 0};
    case 2:
    case 4:
    case 39:
    case 40:
        return {NumberForm::Fixed, 2, 2};
    case 9:
        return {NumberForm::Percent, 0, 0};
    case 10:
        return {NumberForm::Percent, 2, 2};
    default:
        return {};
    }
}

QString NumberAsShown(double value, const NumberForm &form)
{
    if (form.kind == NumberForm::General || !std::isfinite(value) || std::fabs(value) >= 1e18)
        return QString::fromStdString(GeneralText(static_cast<Real>(value)));
    const Real shown = form.kind == NumberForm::Percent ? static_cast<Real>(value) * 100 : static_cast<Real>(value);
    std::string text = NumberToText(form.maxDecimals, shown);
    if (form.maxDecimals > form.minDecimals) {
        const size_t point = text.find('.');
        size_t keep = text.size();
        while (keep > point + 1 + size_t(form.minDecimals) && text[keep - 1] == '0')
            --keep;
        if (keep == point + 1)
            keep = point;
        text.resize(keep);
    }
    if (form.kind == NumberForm::Percent)
        text += '%';
    return QString::fromStdString(text);
}

std::vector<NumberForm> CellForms(const OoxmlPackage &package, const std::string &stylesPart)
{
    std::vector<NumberForm> forms;
    if (stylesPart.empty() || !package.has(stylesPart))
        return forms;
    pugi::xml_document doc;
    package.parse(stylesPart, doc);
    const pugi::xml_node sheetStyles = Child(doc, "styleSheet");
    std::map<int, NumberForm> custom;
    for (pugi::xml_node f = Child(sheetStyles, "numFmts").first_child(); f; f = f.next_sibling())
        if (Is(f, "numFmt"))
            custom[f.attribute("numFmtId").as_int()] = FormOfCode(f.attribute("formatCode").as_string());
    for (pugi::xml_node xf = Child(sheetStyles, "cellXfs").first_child(); xf; xf = xf.next_sibling())
        if (Is(xf, "xf")) {
            const int id = xf.attribute("numFmtId").as_int();
            auto it = custom.find(id);
            forms.push_back(it != custom.end() ? it->second : BuiltInForm(id));
        }
    return forms;
}

std::vector<QString> SharedStrings(const OoxmlPackage &package, const std::string &part)
{
    std::vector<QString> strings;
    if (part.empty() || !package.has(part))
        return strings;
    const QByteArray &bytes = package.part(part);
    std::string current;
    bool inItem = false, inText = false;
    int phonetic = 0;
    const bool whole = ScanXml(
        std::string_view(bytes.constData(), size_t(bytes.size())),
        [&](const Tag &t) {
            if (t.name == "si") {
                if (!t.closing) {
                    current.clear();
                    inItem = true;
                }
                if (t.closing || t.empty) {
                    strings.push_back(CellText(current));
                    inItem = false;
                }
            } else if (t.name == "rPh") {
                phonetic += t.empty ? 0 : (t.closing ? -1 : 1);
            } else if (t.name == "t") {
                inText = inItem && phonetic == 0 && !t.closing && !t.empty;
            }
        },
        [&](std::string_view raw, bool cdata) {
            if (inText) {
                if (cdata)
                    current.append(raw);
                else
                    AppendUnescaped(current, raw);
            }
        });
    if (!whole)
        throw PackageError("broken shared strings");
    return strings;
}

struct SheetCell {
    int row;
    int column;
    QString text;
};

struct Merge {
    int firstRow, firstColumn, lastRow, lastColumn;
};

bool ParseRange(std::string_view ref, Merge &m)
{
    const size_t colon = ref.find(':');
    if (colon == std::string_view::npos)
        return false;
    return ParseRef(ref.substr(0, colon), m.firstRow, m.firstColumn) &&
           ParseRef(ref.substr(colon + 1), m.lastRow, m.lastColumn);
}

} // namespace

CellRows ReadXlsxSheet(const QByteArray &bytes, const QString &name)
{
    // An encrypted workbook is not a zip but an OLE compound file, as the old .xls is.
    if (bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) {
        const QByteArray encryption = QStringLiteral("EncryptionInfo").toUtf8();
        QByteArray wide;
        for (char ch : encryption)
            wide.append(ch).append('\0');
        if (bytes.contains(wide))
            Unreadable(name, QStringLiteral("有密码保护，无法读取。请在 Excel 或 WPS 中取消密码后另存为 .xlsx，再导入。"));
        Unreadable(name, QStringLiteral("是旧的 Excel 97-2003 工作簿（.xls），无法读取。请在 Excel 或 WPS 中另存为 "
                                        ".xlsx 或 .csv，再导入。"));
    }
    if (!bytes.startsWith("PK"))
        Unreadable(name, NotAWorkbook);

    CellRows result;
    std::vector<SheetCell> cells;
    std::vector<Merge> merges;
    int formulasWithoutValue = 0;
    try {
        const OoxmlPackage package = OoxmlPackage::fromBytes(bytes, name);

        // The workbook part, from the package relationships.
        std::string workbookPart = WorkbookPart;
        for (const auto &[id, rel] : Relationships(package, "_rels/.rels"))
            if (EndsWith(rel.first, "/officeDocument"))
                workbookPart = rel.second;
        if (!package.has(workbookPart))
            Unreadable(name, NotAWorkbook);
        pugi::xml_document workbook;
        package.parse(workbookPart, workbook);
        const auto rels = Relationships(package, workbookPart);

        // The first worksheet (a chart sheet before it is passed over).
        std::string sheetPart, sheetName;
        int sheets = 0;
        for (pugi::xml_node s = Child(Child(workbook, "workbook"), "sheets").first_child(); s; s = s.next_sibling()) {
            if (!Is(s, "sheet"))
                continue;
            auto rel = rels.find(RelationshipId(s));
            if (rel == rels.end() || !EndsWith(rel->second.first, "/worksheet") || !package.has(rel->second.second))
                continue;
            if (sheets++ == 0) {
                sheetPart = rel->second.second;
                sheetName = s.attribute("name").as_string();
            }
        }
        if (sheetPart.empty())
            Unreadable(name, QStringLiteral("中没有工作表，未导入。"));
        if (sheets > 1)
            result.notes << QStringLiteral("工作簿有 %1 个工作表，只读入了第一个工作表“%2”。")
                                .arg(sheets)
                                .arg(QString::fromStdString(sheetName));

        std::string stylesPart, stringsPart;
        for (const auto &[id, rel] : rels) {
            if (EndsWith(rel.first, "/styles"))
                stylesPart = rel.second;
            else if (EndsWith(rel.first, "/sharedStrings"))
                stringsPart = rel.second;
        }
        const std::vector<NumberForm> forms = CellForms(package, stylesPart);
        const std::vector<QString> strings = SharedStrings(package, stringsPart);

        // The cells, in one pass over the sheet's XML.
        const QByteArray &xml = package.part(sheetPart);
        bool inData = false, inCell = false, inInline = false, collect = false, hasFormula = false;
        int phonetic = 0, row = 0, column = 0, style = 0;
        std::string type, value;
        const bool whole = ScanXml(
            std::string_view(xml.constData(), size_t(xml.size())),
            [&](const Tag &t) {
                if (t.name == "sheetData") {
                    inData = !t.closing && !t.empty;
                } else if (!inData) {
                    if (t.name == "mergeCell" && !t.closing) {
                        Merge m;
                        if (ParseRange(Attribute(t.attributes, "ref"), m))
                            merges.push_back(m);
                    }
                } else if (t.name == "row") {
                    if (!t.closing) {
                        const std::string_view r = Attribute(t.attributes, "r");
                        int number = 0;
                        std::from_chars(r.data(), r.data() + r.size(), number);
                        row = number > 0 && number <= 1048576 ? number : std::min(row + 1, 1048576);
                        column = 0;
                    }
                } else if (t.name == "c") {
                    if (!t.closing) {
                        int r = row, c = std::min(column + 1, 16384);
                        const std::string_view ref = Attribute(t.attributes, "r");
                        if (!ref.empty() && ParseRef(ref, r, c))
                            row = r;
                        column = c;
                        type = std::string(Attribute(t.attributes, "t"));
                        const std::string_view s = Attribute(t.attributes, "s");
                        style = 0;
                        std::from_chars(s.data(), s.data() + s.size(), style);
                        value.clear();
                        hasFormula = false;
                        inCell = !t.empty;
                    }
                    if (t.closing) {
                        inCell = false;
                        QString text;
                        if (type == "s") {
                            size_t index = 0;
                            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), index);
                            if (ec == std::errc() && index < strings.size())
                                text = strings[index];
                        } else if (type == "inlineStr" || type == "str" || type == "e" || type == "d") {
                            text = CellText(value);
                        } else if (type == "b") {
                            text = value == "1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
                        } else if (!value.empty()) {
                            double number = 0;
                            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
                            const NumberForm form =
                                style >= 0 && size_t(style) < forms.size() ? forms[size_t(style)] : NumberForm{};
                            text = ec == std::errc() && end == value.data() + value.size()
                                       ? NumberAsShown(number, form)
                                       : CellText(value);
                        }
                        if (text.isEmpty() && hasFormula && value.empty())
                            ++formulasWithoutValue;
                        if (!text.isEmpty() && row > 0 && column > 0)
                            cells.push_back({row, column, std::move(text)});
                    }
                } else if (!inCell) {
                    // nothing else of interest between cells
                } else if (t.name == "v") {
                    collect = !t.closing && !t.empty && !inInline;
                } else if (t.name == "f") {
                    hasFormula = true;
                    collect = false;
                } else if (t.name == "is") {
                    inInline = !t.closing && !t.empty;
                    if (!t.closing)
                        type = "inlineStr";
                } else if (t.name == "rPh") {
                    phonetic += t.empty ? 0 : (t.closing ? -1 : 1);
                } else if (t.name == "t") {
                    collect = inInline && phonetic == 0 && !t.closing && !t.empty;
                }
            },
            [&](std::string_view raw, bool cdata) {
                if (!collect)
                    return;
                if (cdata)
                    value.append(raw);
                else
                    AppendUnescaped(value, raw);
            });
        if (!whole)
            Unreadable(name, NotAWorkbook);
    } catch (const PackageError &) {
        Unreadable(name, NotAWorkbook);
    }

    if (formulasWithoutValue > 0)
        result.notes << QStringLiteral("有 %1 个公式单元格没有保存计算结果，按空白读入；请在 Excel 或 WPS 中打开并保存该文件后再导入。")
                            .arg(formulasWithoutValue);
    if (cells.empty())
        return result;

    // The used range: rows from the first to the last cell with text, columns likewise.
    const auto byPlace = [](const SheetCell &a, const SheetCell &b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    if (!std::is_sorted(cells.begin(), cells.end(), byPlace))
        std::stable_sort(cells.begin(), cells.end(), byPlace);
    const int firstRow = cells.front().row;
    const int lastRow = cells.back().row;
    int firstColumn = cells.front().column, lastColumn = firstColumn;
    for (const SheetCell &c : cells) {
        firstColumn = std::min(firstColumn, c.column);
        lastColumn = std::max(lastColumn, c.column);
    }
    const int rows = lastRow - firstRow + 1;
    const int width = lastColumn - firstColumn + 1;
    if (static_cast<long long>(rows) * width > 200'000'000LL)
        Unreadable(name, QStringLiteral("的工作表太大（%1 行 × %2 列），未导入。").arg(rows).arg(width));
    result.cells.resize(static_cast<size_t>(rows) * size_t(width));
    result.starts.resize(static_cast<size_t>(rows) + 1);
    for (int r = 0; r <= rows; ++r)
        result.starts[size_t(r)] = static_cast<qsizetype>(r) * width;
    for (SheetCell &c : cells)
        result.cells[size_t(c.row - firstRow) * size_t(width) + size_t(c.column - firstColumn)] = std::move(c.text);

    // Leading rows that are a title merged across the table: the row's one text stands at the start
    // of a merge over two or more columns.
    int mergesInTable = 0;
    std::vector<bool> title(size_t(rows), false);
    for (const Merge &m : merges) {
        if (m.lastRow < firstRow || m.firstRow > lastRow)
            continue;
        const int r = m.firstRow - firstRow;
        int texts = 0;
        for (int c = 0; r >= 0 && c < width; ++c)
            texts += result.at(r, c).isEmpty() ? 0 : 1;
        if (r >= 0 && m.lastColumn > m.firstColumn && texts == 1 && !result.at(r, m.firstColumn - firstColumn).isEmpty())
            title[size_t(r)] = true;
        else
            ++mergesInTable;
    }
    while (result.titleRows < rows && title[size_t(result.titleRows)])
        ++result.titleRows;
    if (mergesInTable > 0)
        result.notes << QStringLiteral("工作表中有 %1 处合并单元格：合并区域的内容按其左上角的单元格读入，其余单元格为空。")
                            .arg(mergesInTable);
    return result;
}

} // namespace quorvil
