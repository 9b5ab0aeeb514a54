#include "io/ooxml/XlsxWorkbook.h"

#include "core/Error.h"
#include "core/TextForms.h"
#include "io/ooxml/XlsxParts.h"

#include <QFileInfo>

#include <pugixml.hpp>

#include <charconv>
#include <functional>
#include <cmath>
#include <string>

namespace quorvil {

using namespace xlsx;

namespace {

[[noreturn]] void notASpreadsheet(const QString &name)
{
    throw PackageError(QStringLiteral("模板文件“%1”不是Excel工作簿模板").arg(name).toStdString());
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
