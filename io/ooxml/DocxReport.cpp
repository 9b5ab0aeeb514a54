#include "io/ooxml/DocxReport.h"

#include "io/ooxml/OoxmlPackage.h"

#include <QDir>
#include <QFileInfo>

#include <pugixml.hpp>

#include <cstring>
#include <functional>
#include <map>

namespace quorvil {

namespace {

constexpr int TwipsPerPoint = 20;

const char *const DocumentType = "/officeDocument";
const char *const TemplateMainType = "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
const char *const DocumentMainType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

[[noreturn]] void unfit(const QString &name, const QString &why)
{
    throw PackageError(QStringLiteral("模板文件“%1”%2").arg(name, why).toStdString());
}

// The directory of a part ("word/" for "word/document.xml") and a relationship target resolved
// against it.
std::string PartFolder(const std::string &part)
{
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string ResolveTarget(const std::string &folder, const std::string &target)
{
    if (!target.empty() && target.front() == '/')
        return target.substr(1);
    // Targets such as "../customXml/item1.xml" climb out of the folder.
    return QDir::cleanPath(QString::fromStdString(folder + target)).toStdString();
}

std::string RelsPartOf(const std::string &part)
{
    const auto slash = part.rfind('/');
    if (slash == std::string::npos)
        return "_rels/" + part + ".rels";
    return part.substr(0, slash + 1) + "_rels/" + part.substr(slash + 1) + ".rels";
}

bool EndsWith(const char *text, const char *tail)
{
    const size_t n = std::strlen(text), m = std::strlen(tail);
    return n >= m && std::strcmp(text + n - m, tail) == 0;
}

// Text a Word run may carry: control characters are not allowed in XML 1.0, line breaks and
// tabs of a one-line field become blanks.
std::string CleanText(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\t' || u == '\n' || u == '\r')
            out += ' ';
        else if (u >= 0x20)
            out += c;
    }
    return out;
}

void SetText(pugi::xml_node t, const std::string &text)
{
    t.text().set(text.c_str());
    pugi::xml_attribute space = t.attribute("xml:space");
    if (!space)
        space = t.append_attribute("xml:space");
    space.set_value("preserve");
}

// The w:t nodes of a paragraph in reading order, not those of paragraphs nested in it (text
// boxes), which are paragraphs of their own.
void CollectTexts(pugi::xml_node node, std::vector<pugi::xml_node> &texts)
{
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const char *name = child.name();
        if (std::strcmp(name, "w:p") == 0)
            continue;
        if (std::strcmp(name, "w:t") == 0)
            texts.push_back(child);
        else
            CollectTexts(child, texts);
    }
}

// Replaces the placeholders in one paragraph, whatever runs they are split over: the text of the
// replacement goes into the run where the placeholder starts, the characters of the placeholder
// leave the runs it covered.
void ReplaceInParagraph(pugi::xml_node paragraph, const std::vector<std::pair<std::string, std::string>> &pairs)
{
    std::vector<pugi::xml_node> nodes;
    CollectTexts(paragraph, nodes);
    if (nodes.empty())
        return;
    std::vector<std::string> texts;
    texts.reserve(nodes.size());
    std::string joined;
    for (pugi::xml_node t : nodes) {
        texts.emplace_back(t.text().get());
        joined += texts.back();
    }
    if (joined.find('[') == std::string::npos)
        return;

    bool changed = false;
    size_t from = 0;
    for (;;) {
        // The leftmost placeholder from `from`.
        size_t at = std::string::npos;
        const std::pair<std::string, std::string> *found = nullptr;
        for (const auto &pair : pairs) {
            const size_t p = joined.find(pair.first, from);
            if (p != std::string::npos && (p < at || (p == at && pair.first.size() > found->first.size()))) {
                at = p;
                found = &pair;
            }
        }
        if (!found)
            break;
        const size_t end = at + found->first.size();
        // Walk the runs: cut [at, end) out, put the replacement where it starts.
        size_t offset = 0;
        bool placed = false;
        for (std::string &text : texts) {
            const size_t begin = offset, stop = offset + text.size();
            offset = stop;
            if (stop <= at || begin >= end)
                continue;
            const size_t cutFrom = std::max(at, begin) - begin;
            const size_t cutTo = std::min(end, stop) - begin;
            text.replace(cutFrom, cutTo - cutFrom, placed ? std::string() : found->second);
            placed = true;
        }
        joined.replace(at, found->first.size(), found->second);
        from = at + found->second.size();
        changed = true;
    }
    if (!changed)
        return;
    for (size_t i = 0; i < nodes.size(); ++i)
        if (texts[i] != nodes[i].text().get())
            SetText(nodes[i], CleanText(texts[i]));
}

void ReplaceInTree(pugi::xml_node node, const std::vector<std::pair<std::string, std::string>> &pairs)
{
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (std::strcmp(child.name(), "w:p") == 0)
            ReplaceInParagraph(child, pairs);
        ReplaceInTree(child, pairs); // paragraphs nested in text boxes
    }
}

// Empties a cell down to one paragraph that keeps its paragraph properties and the properties of
// its first run (an empty run is left to carry them), so that text set later looks as the
// template's cell did.
void ClearCell(pugi::xml_node tc)
{
    pugi::xml_node paragraph = tc.child("w:p");
    if (!paragraph)
        paragraph = tc.append_child("w:p");
    for (pugi::xml_node child = tc.first_child(); child;) {
        pugi::xml_node next = child.next_sibling();
        if (child != paragraph && std::strcmp(child.name(), "w:tcPr") != 0)
            tc.remove_child(child);
        child = next;
    }
    pugi::xml_node run = paragraph.child("w:r");
    for (pugi::xml_node child = paragraph.first_child(); child;) {
        pugi::xml_node next = child.next_sibling();
        if (child != run && std::strcmp(child.name(), "w:pPr") != 0)
            paragraph.remove_child(child);
        child = next;
    }
    if (run) {
        for (pugi::xml_node child = run.first_child(); child;) {
            pugi::xml_node next = child.next_sibling();
            if (std::strcmp(child.name(), "w:rPr") != 0)
                run.remove_child(child);
            child = next;
        }
    }
}

// Run properties with the colour `rgb`: w:color stands after the font, bold, italic and effects
// and before spacing, size, highlight, underline and the rest.
void SetRunColour(pugi::xml_node rPr, const char *rgb)
{
    while (pugi::xml_node colour = rPr.child("w:color"))
        rPr.remove_child(colour);
    static constexpr const char *After[] = {"w:spacing", "w:w",    "w:kern",     "w:position", "w:sz",
                                            "w:szCs",    "w:highlight", "w:u",   "w:effect",   "w:bdr",
                                            "w:shd",     "w:fitText", "w:vertAlign", "w:rtl",   "w:cs",
                                            "w:em",      "w:lang", "w:eastAsianLayout", "w:specVanish", "w:oMath"};
    pugi::xml_node before;
    for (pugi::xml_node child : rPr.children()) {
        for (const char *name : After)
            if (std::strcmp(child.name(), name) == 0)
                before = child;
        if (before)
            break;
    }
    pugi::xml_node colour = before ? rPr.insert_child_before("w:color", before) : rPr.append_child("w:color");
    colour.append_attribute("w:val").set_value(rgb);
}

void SetVerticalMerge(pugi::xml_node tc, const char *value)
{
    pugi::xml_node tcPr = tc.child("w:tcPr");
    if (!tcPr)
        tcPr = tc.prepend_child("w:tcPr");
    pugi::xml_node vMerge = tcPr.child("w:vMerge");
    if (!value) {
        if (vMerge)
            tcPr.remove_child(vMerge);
        return;
    }
    if (!vMerge) {
        // vMerge comes after tcW, gridSpan and hMerge and before the borders and shading.
        pugi::xml_node after;
        for (const char *before : {"w:hMerge", "w:gridSpan", "w:tcW", "w:cnfStyle"})
            if ((after = tcPr.child(before)))
                break;
        vMerge = after ? tcPr.insert_child_after("w:vMerge", after) : tcPr.prepend_child("w:vMerge");
    }
    vMerge.remove_attribute("w:val");
    if (std::strcmp(value, "continue") != 0)
        vMerge.append_attribute("w:val").set_value(value);
}

// Writes `text` into a cell emptied by ClearCell, in the font its paragraph keeps.
void FillClearedCell(pugi::xml_node tc, const std::string &text)
{
    const std::string clean = CleanText(text);
    if (clean.empty())
        return;
    pugi::xml_node paragraph = tc.child("w:p");
    pugi::xml_node run = paragraph.child("w:r");
    if (!run) {
        run = paragraph.append_child("w:r");
        // A new run takes the font of the paragraph mark.
        if (pugi::xml_node mark = paragraph.child("w:pPr").child("w:rPr")) {
            pugi::xml_node props = run.append_copy(mark);
            // Revision marks of the paragraph mark have no place in a run's properties.
            for (const char *revision : {"w:ins", "w:del", "w:moveFrom", "w:moveTo", "w:rPrChange"})
                while (pugi::xml_node mark = props.child(revision))
                    props.remove_child(mark);
        }
    }
    SetText(run.append_child("w:t"), clean);
}

} // namespace

struct DocxReport::Impl {
    QString name;
    OoxmlPackage package;
    std::string mainPart;
    std::vector<std::string> otherParts; // headers, footers, notes
    pugi::xml_document main;
    pugi::xml_node table;
    std::vector<pugi::xml_node> rows;
    std::vector<std::vector<pugi::xml_node>> cells;

    void index()
    {
        rows.clear();
        cells.clear();
        for (pugi::xml_node tr : table.children("w:tr")) {
            rows.push_back(tr);
            std::vector<pugi::xml_node> row;
            for (pugi::xml_node tc : tr.children("w:tc"))
                row.push_back(tc);
            cells.push_back(std::move(row));
        }
    }

    // The tables of the body in reading order, also those inside content controls; not the
    // tables nested in a table's cells.
    std::vector<pugi::xml_node> tables() const
    {
        std::vector<pugi::xml_node> found;
        const std::function<void(pugi::xml_node)> walk = [&](pugi::xml_node node) {
            for (pugi::xml_node child : node.children()) {
                if (child.type() != pugi::node_element)
                    continue;
                if (std::strcmp(child.name(), "w:tbl") == 0)
                    found.push_back(child);
                else if (std::strcmp(child.name(), "w:p") != 0)
                    walk(child);
            }
        };
        walk(main.child("w:document").child("w:body"));
        return found;
    }

    pugi::xml_node cell(int row, int column) const
    {
        if (row < 1 || row > int(rows.size()) || column < 1 || column > int(cells[row - 1].size()))
            unfit(name, QStringLiteral("的表格没有第%1行第%2列的单元格，请检查模板的表格。").arg(row).arg(column));
        return cells[row - 1][column - 1];
    }
};

DocxReport::DocxReport(const QString &path) : d(std::make_unique<Impl>())
{
    d->name = QFileInfo(path).fileName();
    d->package = OoxmlPackage::load(path);

    // The main document part, from the package relationships.
    pugi::xml_document rels;
    d->package.parse("_rels/.rels", rels);
    for (pugi::xml_node rel : rels.child("Relationships").children("Relationship"))
        if (EndsWith(rel.attribute("Type").value(), DocumentType))
            d->mainPart = ResolveTarget({}, rel.attribute("Target").value());
    if (d->mainPart.empty() || !d->package.has(d->mainPart))
        unfit(d->name, QStringLiteral("不是Word文档。"));

    // Headers, footers and notes, from the document's relationships.
    const std::string docRels = RelsPartOf(d->mainPart);
    if (d->package.has(docRels)) {
        pugi::xml_document relations;
        d->package.parse(docRels, relations);
        for (pugi::xml_node rel : relations.child("Relationships").children("Relationship")) {
            const char *type = rel.attribute("Type").value();
            if (EndsWith(type, "/header") || EndsWith(type, "/footer") || EndsWith(type, "/footnotes")
                || EndsWith(type, "/endnotes")) {
                const std::string part = ResolveTarget(PartFolder(d->mainPart), rel.attribute("Target").value());
                if (d->package.has(part))
                    d->otherParts.push_back(part);
            }
        }
    }

    d->package.parse(d->mainPart, d->main);
    pugi::xml_node body = d->main.child("w:document").child("w:body");
    // The first table in reading order, also one inside a content control.
    d->table = body.find_node([](pugi::xml_node n) { return std::strcmp(n.name(), "w:tbl") == 0; });
    if (!d->table)
        unfit(d->name, QStringLiteral("中没有表格，无法生成报表。"));
    d->index();
}

DocxReport::~DocxReport() = default;

QString DocxReport::name() const { return d->name; }

int DocxReport::rowCount() const { return int(d->rows.size()); }

int DocxReport::cellCount(int row) const
{
    return row >= 1 && row <= rowCount() ? int(d->cells[row - 1].size()) : 0;
}

void DocxReport::replacePlaceholders(const std::vector<std::pair<std::string, std::string>> &placeholders)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const auto &[key, value] : placeholders)
        if (!key.empty())
            pairs.emplace_back(key, CleanText(value));
    ReplaceInTree(d->main, pairs);
    for (const std::string &part : d->otherParts) {
        pugi::xml_document doc;
        d->package.parse(part, doc);
        ReplaceInTree(doc, pairs);
        d->package.store(part, doc);
    }
}

void DocxReport::splitIntoPointBlocks(int dataRow, int points, int firstLegColumn, int lastLegColumn)
{
    if (points < 1)
        return;
    const int columns = cellCount(dataRow);
    if (columns < lastLegColumn || firstLegColumn < 1)
        unfit(d->name, QStringLiteral("的表格第%1行应有至少%2个单元格，请检查模板的表格。").arg(dataRow).arg(lastLegColumn));

    // The pattern row: the data row emptied, without merges.
    pugi::xml_node original = d->rows[dataRow - 1];
    pugi::xml_document scratch;
    pugi::xml_node pattern = scratch.append_copy(original);
    for (pugi::xml_node tc : pattern.children("w:tc")) {
        ClearCell(tc);
        SetVerticalMerge(tc, nullptr);
    }

    // Two rows per point; each cell starts or continues a vertical merge.
    const int rows = 2 * points;
    for (int i = 0; i < rows; ++i) {
        pugi::xml_node tr = d->table.insert_copy_before(pattern, original);
        const bool upper = i % 2 == 0;
        int column = 0;
        for (pugi::xml_node tc : tr.children("w:tc")) {
            ++column;
            const bool leg = column >= firstLegColumn && column <= lastLegColumn;
            if (!leg)
                SetVerticalMerge(tc, upper ? "restart" : "continue");
            else if (i == 0 || i == rows - 1)
                continue; // the first and the last half row of a leg column stand alone
            else
                SetVerticalMerge(tc, upper ? "continue" : "restart");
        }
    }
    d->table.remove_child(original);
    d->index();
}

namespace {

void SetCellWidth(pugi::xml_node tc, int widthTwips)
{
    pugi::xml_node tcPr = tc.child("w:tcPr");
    if (!tcPr)
        tcPr = tc.prepend_child("w:tcPr");
    pugi::xml_node width = tcPr.child("w:tcW");
    if (!width)
        width = tcPr.prepend_child("w:tcW");
    width.remove_attributes();
    width.append_attribute("w:w").set_value(std::to_string(widthTwips).c_str());
    width.append_attribute("w:type").set_value("dxa");
}

int GridSpan(pugi::xml_node tc) { return std::max(1, tc.child("w:tcPr").child("w:gridSpan").attribute("w:val").as_int(1)); }

} // namespace

void DocxReport::appendColumn(int headingRows, const std::string &caption, int widthTwips)
{
    pugi::xml_node grid = d->table.child("w:tblGrid");
    if (!grid)
        grid = d->table.insert_child_after("w:tblGrid", d->table.child("w:tblPr"));
    grid.append_child("w:gridCol").append_attribute("w:w").set_value(std::to_string(widthTwips).c_str());
    if (pugi::xml_node width = d->table.child("w:tblPr").child("w:tblW");
        width && std::strcmp(width.attribute("w:type").value(), "dxa") == 0)
        width.attribute("w:w").set_value(std::to_string(width.attribute("w:w").as_int() + widthTwips).c_str());

    for (size_t r = 0; r < d->rows.size(); ++r) {
        if (d->cells[r].empty())
            continue;
        pugi::xml_node last = d->cells[r].back();
        const bool heading = int(r) < headingRows;
        if (!heading && GridSpan(last) > 1) {
            pugi::xml_node tcPr = last.child("w:tcPr");
            tcPr.child("w:gridSpan").attribute("w:val").set_value(std::to_string(GridSpan(last) + 1).c_str());
            if (pugi::xml_node width = tcPr.child("w:tcW"))
                width.attribute("w:w").set_value(std::to_string(width.attribute("w:w").as_int() + widthTwips).c_str());
            continue;
        }
        pugi::xml_node tc = d->rows[r].insert_copy_after(last, last);
        ClearCell(tc);
        if (pugi::xml_node tcPr = tc.child("w:tcPr"))
            while (pugi::xml_node span = tcPr.child("w:gridSpan"))
                tcPr.remove_child(span);
        SetCellWidth(tc, widthTwips);
        SetVerticalMerge(tc, heading && headingRows > 1 ? (r == 0 ? "restart" : "continue") : nullptr);
    }
    d->index();
    if (headingRows >= 1)
        setCellText(1, cellCount(1), caption);
}

void DocxReport::appendToTitle(const std::string &text)
{
    pugi::xml_node body = d->main.child("w:document").child("w:body");
    for (pugi::xml_node p = body.first_child(); p; p = p.next_sibling()) {
        if (std::strcmp(p.name(), "w:tbl") == 0)
            break;
        if (std::strcmp(p.name(), "w:p") != 0)
            continue;
        std::vector<pugi::xml_node> texts;
        CollectTexts(p, texts);
        bool any = false;
        for (pugi::xml_node t : texts)
            any = any || *t.text().get();
        if (!any)
            continue;
        pugi::xml_node lastRun = texts.back().parent();
        pugi::xml_node run = lastRun.parent().insert_copy_after(lastRun, lastRun);
        for (pugi::xml_node child = run.first_child(); child;) {
            pugi::xml_node next = child.next_sibling();
            if (std::strcmp(child.name(), "w:rPr") != 0)
                run.remove_child(child);
            child = next;
        }
        SetText(run.append_child("w:t"), CleanText(text));
        return;
    }
}

void DocxReport::setCellText(int row, int column, const std::string &text)
{
    pugi::xml_node tc = d->cell(row, column);
    ClearCell(tc);
    FillClearedCell(tc, text);
}

int DocxReport::tableCount() const { return int(d->tables().size()); }

void DocxReport::selectTable(int table)
{
    const std::vector<pugi::xml_node> tables = d->tables();
    if (table < 1 || table > int(tables.size()))
        unfit(d->name, QStringLiteral("中没有第%1个表格，请检查模板。").arg(table));
    d->table = tables[size_t(table - 1)];
    d->index();
}

namespace {

// The paragraph of the style "ReportSection" right before `table`, or a null node.
pugi::xml_node CaptionOf(pugi::xml_node table)
{
    pugi::xml_node caption = table.previous_sibling();
    while (caption && caption.type() != pugi::node_element)
        caption = caption.previous_sibling();
    if (caption && std::strcmp(caption.name(), "w:p") == 0
        && std::strcmp(caption.child("w:pPr").child("w:pStyle").attribute("w:val").value(), "ReportSection") == 0)
        return caption;
    return {};
}

} // namespace

void DocxReport::duplicateTable(int copies)
{
    const pugi::xml_node caption = CaptionOf(d->table);
    pugi::xml_node after = d->table;
    for (int i = 0; i < copies; ++i) {
        if (caption)
            after = after.parent().insert_copy_after(caption, after);
        after = after.parent().insert_copy_after(d->table, after);
    }
}

std::string DocxReport::tableCaption() const
{
    std::vector<pugi::xml_node> texts;
    if (const pugi::xml_node caption = CaptionOf(d->table))
        CollectTexts(caption, texts);
    std::string text;
    for (pugi::xml_node t : texts)
        text += t.text().get();
    return text;
}

void DocxReport::setTableCaption(const std::string &text)
{
    pugi::xml_node caption = CaptionOf(d->table);
    if (!caption)
        unfit(d->name, QStringLiteral("的表格前没有标题段落，请检查模板。"));
    std::vector<pugi::xml_node> texts;
    CollectTexts(caption, texts);
    if (texts.empty()) {
        pugi::xml_node run = caption.append_child("w:r");
        texts.push_back(run.append_child("w:t"));
    }
    SetText(texts.front(), CleanText(text));
    // The rest of the old text goes (an editor may have split it over several runs).
    for (size_t i = 1; i < texts.size(); ++i)
        texts[i].parent().remove_child(texts[i]);
}

void DocxReport::removeTable()
{
    if (const pugi::xml_node caption = CaptionOf(d->table))
        caption.parent().remove_child(caption);
    d->table.parent().remove_child(d->table);
    d->table = {};
    d->rows.clear();
    d->cells.clear();
    if (!d->tables().empty())
        selectTable(1);
}

void DocxReport::fillRows(int dataRow, const std::vector<std::vector<std::string>> &rows)
{
    if (dataRow < 1 || dataRow > rowCount())
        unfit(d->name, QStringLiteral("的表格没有第%1行，请检查模板的表格。").arg(dataRow));
    pugi::xml_node original = d->rows[size_t(dataRow - 1)];
    pugi::xml_document scratch;
    pugi::xml_node pattern = scratch.append_copy(original);
    for (pugi::xml_node tc : pattern.children("w:tc")) {
        ClearCell(tc);
        SetVerticalMerge(tc, nullptr);
    }
    for (const std::vector<std::string> &texts : rows) {
        pugi::xml_node tr = d->table.insert_copy_before(pattern, original);
        size_t column = 0;
        for (pugi::xml_node tc : tr.children("w:tc")) {
            if (column < texts.size())
                FillClearedCell(tc, texts[column]);
            ++column;
        }
    }
    d->table.remove_child(original);
    d->index();
}

void DocxReport::appendCellParagraph(int row, int column, const std::vector<TextRun> &runs)
{
    pugi::xml_node tc = d->cell(row, column);
    const pugi::xml_node first = tc.child("w:p");
    pugi::xml_node paragraph = tc.append_child("w:p");
    // The first paragraph's settings, and the font of its first run (or of its paragraph mark).
    pugi::xml_node fontTemplate;
    if (first) {
        if (pugi::xml_node pPr = first.child("w:pPr"))
            paragraph.append_copy(pPr);
        fontTemplate = first.child("w:r").child("w:rPr");
        if (!fontTemplate)
            fontTemplate = first.child("w:pPr").child("w:rPr");
    }
    for (const TextRun &piece : runs) {
        const std::string clean = CleanText(piece.text);
        if (clean.empty())
            continue;
        pugi::xml_node run = paragraph.append_child("w:r");
        pugi::xml_node rPr;
        if (fontTemplate) {
            rPr = run.append_copy(fontTemplate);
            rPr.set_name("w:rPr");
            for (const char *revision : {"w:ins", "w:del", "w:moveFrom", "w:moveTo", "w:rPrChange"})
                while (pugi::xml_node mark = rPr.child(revision))
                    rPr.remove_child(mark);
        }
        if (piece.warning) {
            if (!rPr)
                rPr = run.append_child("w:rPr");
            SetRunColour(rPr, "FF0000");
        }
        SetText(run.append_child("w:t"), clean);
    }
    // An empty cell takes the runs as its only paragraph, not below a blank line.
    if (first && !first.child("w:r") && first.next_sibling("w:p") == paragraph)
        tc.remove_child(first);
}

void DocxReport::setExactRowHeight(int firstRow, int lastRow, int points)
{
    const std::string twips = std::to_string(points * TwipsPerPoint);
    for (int row = std::max(firstRow, 1); row <= lastRow && row <= rowCount(); ++row) {
        pugi::xml_node tr = d->rows[row - 1];
        pugi::xml_node trPr = tr.child("w:trPr");
        if (!trPr) {
            pugi::xml_node exceptions = tr.child("w:tblPrEx");
            trPr = exceptions ? tr.insert_child_after("w:trPr", exceptions) : tr.prepend_child("w:trPr");
        }
        pugi::xml_node height = trPr.child("w:trHeight");
        if (!height)
            height = trPr.append_child("w:trHeight");
        height.remove_attributes();
        height.append_attribute("w:val").set_value(twips.c_str());
        height.append_attribute("w:hRule").set_value("exact");
    }
}

void DocxReport::save(const QString &path)
{
    d->package.store(d->mainPart, d->main);
    // A template saved as a Word template (.dotx) becomes a document.
    if (d->package.has("[Content_Types].xml")) {
        QByteArray types = d->package.part("[Content_Types].xml");
        if (types.contains(TemplateMainType)) {
            types.replace(TemplateMainType, DocumentMainType);
            d->package.setPart("[Content_Types].xml", types);
        }
    }
    d->package.save(path);
}

} // namespace quorvil
