#include "io/ooxml/XlsxSheetReader.h"

#include "core/TextForms.h"
#include "io/FileErrors.h"
#include "io/ooxml/LargeXmlPart.h"
#include "io/ooxml/OoxmlPackage.h"
#include "io/ooxml/XlsxParts.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvil {

using namespace xlsx;
using namespace xml;

namespace {

[[noreturn]] void Unreadable(const QString &name, const QString &why)
{
    throw FileError(QStringLiteral("文件“%1”%2").arg(name, why).toStdString());
}

const QString NotAWorkbook = QStringLiteral("已损坏或不是Excel工作簿（.xlsx），未导入。");

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

// The strings of the shared strings part, each without its phonetic runs.
class StringItems {
public:
    std::vector<QString> strings;

    void open(pugi::xml_node node, bool empty)
    {
        const std::string_view name = LocalName(node.name());
        if (name == "si") {
            m_current.clear();
            m_inItem = true;
            if (empty) {
                strings.push_back(CellText(m_current));
                m_inItem = false;
            }
        } else if (name == "rPh") {
            m_phonetic += empty ? 0 : 1;
        } else if (name == "t") {
            m_inText = m_inItem && m_phonetic == 0 && !empty;
        }
    }
    void close(pugi::xml_node node)
    {
        const std::string_view name = LocalName(node.name());
        if (name == "si") {
            strings.push_back(CellText(m_current));
            m_inItem = false;
        } else if (name == "rPh") {
            --m_phonetic;
        } else if (name == "t") {
            m_inText = false;
        }
    }
    void text(std::string_view text)
    {
        if (m_inText)
            m_current.append(text);
    }

private:
    std::string m_current;
    bool m_inItem = false, m_inText = false;
    int m_phonetic = 0;
};

std::vector<QString> SharedStrings(const OoxmlPackage &package, const std::string &part)
{
    if (part.empty() || !package.has(part))
        return {};
    std::optional<StringItems> items =
        ReadLargePart(package.part(part), "sst", "si", [] { return StringItems(); });
    if (!items)
        throw PackageError("broken shared strings");
    return std::move(items->strings);
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

// The elements of a sheet the reader looks at, by their local name.
enum class SheetTag { Other, Dimension, SheetData, MergeCell, Row, Cell, Value, Formula, InlineString, Phonetic, Text };

SheetTag SheetTagOf(const char *name)
{
    const char *local = name;
    for (const char *p = name; *p; ++p)
        if (*p == ':')
            local = p + 1;
    switch (local[0]) {
    case 'c': return local[1] == 0 ? SheetTag::Cell : SheetTag::Other;
    case 'v': return local[1] == 0 ? SheetTag::Value : SheetTag::Other;
    case 'f': return local[1] == 0 ? SheetTag::Formula : SheetTag::Other;
    case 't': return local[1] == 0 ? SheetTag::Text : SheetTag::Other;
    case 'i': return std::strcmp(local, "is") == 0 ? SheetTag::InlineString : SheetTag::Other;
    case 'r':
        return std::strcmp(local, "row") == 0   ? SheetTag::Row
               : std::strcmp(local, "rPh") == 0 ? SheetTag::Phonetic
                                                : SheetTag::Other;
    case 's': return std::strcmp(local, "sheetData") == 0 ? SheetTag::SheetData : SheetTag::Other;
    case 'm': return std::strcmp(local, "mergeCell") == 0 ? SheetTag::MergeCell : SheetTag::Other;
    case 'd': return std::strcmp(local, "dimension") == 0 ? SheetTag::Dimension : SheetTag::Other;
    default: return SheetTag::Other;
    }
}

// The cells of a sheet with text, and its merged ranges. Cells and rows without a reference follow
// the one before them.
class SheetCells {
public:
    // `partBytes`: the size of the sheet's XML, which bounds the cells it can hold.
    SheetCells(const std::vector<QString> &strings, const std::vector<NumberForm> &forms, std::size_t partBytes)
        : m_strings(strings), m_forms(forms), m_maxCells(partBytes / 16)
    {
    }

    std::vector<SheetCell> cells;
    std::vector<Merge> merges;
    int formulasWithoutValue = 0;

    void open(pugi::xml_node node, bool empty)
    {
        const SheetTag tag = SheetTagOf(node.name());
        if (tag == SheetTag::SheetData) {
            m_inData = !empty;
        } else if (!m_inData) {
            Merge m;
            if (tag == SheetTag::MergeCell && ParseRange(node.attribute("ref").value(), m))
                merges.push_back(m);
            // Room for the cells the sheet says it uses, as far as its size allows.
            if (tag == SheetTag::Dimension && ParseRange(node.attribute("ref").value(), m) && cells.empty()) {
                const std::size_t used = std::size_t(std::max(m.lastRow - m.firstRow + 1, 0)) *
                                         std::size_t(std::max(m.lastColumn - m.firstColumn + 1, 0));
                cells.reserve(std::min(used, m_maxCells));
            }
        } else if (tag == SheetTag::Row) {
            const std::string_view r = node.attribute("r").value();
            int number = 0;
            std::from_chars(r.data(), r.data() + r.size(), number);
            m_row = number > 0 && number <= 1048576 ? number : std::min(m_row + 1, 1048576);
            m_column = 0;
        } else if (tag == SheetTag::Cell) {
            // Its reference, type and style (the first attribute of each name).
            const char *ref = nullptr, *type = nullptr, *style = nullptr;
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
                const char *n = a.name();
                const char **which = nullptr;
                if (n[0] != 0 && n[1] == 0)
                    which = n[0] == 'r' ? &ref : n[0] == 't' ? &type : n[0] == 's' ? &style : nullptr;
                if (which && !*which)
                    *which = a.value();
            }
            int r = m_row, c = std::min(m_column + 1, 16384);
            if (ref && *ref && ParseRef(ref, r, c))
                m_row = r;
            m_column = c;
            m_type = type ? std::string_view(type) : std::string_view();
            const std::string_view s = style ? style : "";
            m_style = 0;
            std::from_chars(s.data(), s.data() + s.size(), m_style);
            m_value.clear();
            m_hasFormula = false;
            m_inCell = !empty;
        } else if (!m_inCell) {
            // nothing else of interest between cells
        } else if (tag == SheetTag::Value) {
            m_collect = !empty && !m_inInline;
        } else if (tag == SheetTag::Formula) {
            m_hasFormula = true;
            m_collect = false;
        } else if (tag == SheetTag::InlineString) {
            m_inInline = !empty;
            m_type = "inlineStr";
        } else if (tag == SheetTag::Phonetic) {
            m_phonetic += empty ? 0 : 1;
        } else if (tag == SheetTag::Text) {
            m_collect = m_inInline && m_phonetic == 0 && !empty;
        }
    }

    void close(pugi::xml_node node)
    {
        const SheetTag tag = SheetTagOf(node.name());
        if (tag == SheetTag::SheetData) {
            m_inData = false;
        } else if (!m_inData || tag == SheetTag::Row || tag == SheetTag::MergeCell) {
            // nothing to do at their end
        } else if (tag == SheetTag::Cell) {
            m_inCell = false;
            endCell();
        } else if (!m_inCell) {
        } else if (tag == SheetTag::Value || tag == SheetTag::Text) {
            m_collect = false;
        } else if (tag == SheetTag::Formula) {
            m_hasFormula = true;
            m_collect = false;
        } else if (tag == SheetTag::InlineString) {
            m_inInline = false;
        } else if (tag == SheetTag::Phonetic) {
            --m_phonetic;
        }
    }

    void text(std::string_view text)
    {
        if (m_collect)
            m_value.append(text);
    }

private:
    void endCell()
    {
        QString text;
        if (m_type == "s") {
            size_t index = 0;
            const auto [end, ec] = std::from_chars(m_value.data(), m_value.data() + m_value.size(), index);
            if (ec == std::errc() && index < m_strings.size())
                text = m_strings[index];
        } else if (m_type == "inlineStr" || m_type == "str" || m_type == "e" || m_type == "d") {
            text = CellText(m_value);
        } else if (m_type == "b") {
            text = m_value == "1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        } else if (!m_value.empty()) {
            double number = 0;
            const auto [end, ec] = std::from_chars(m_value.data(), m_value.data() + m_value.size(), number);
            const NumberForm form = m_style >= 0 && size_t(m_style) < m_forms.size() ? m_forms[size_t(m_style)] : NumberForm{};
            text = ec == std::errc() && end == m_value.data() + m_value.size() ? NumberAsShown(number, form) : CellText(m_value);
        }
        if (text.isEmpty() && m_hasFormula && m_value.empty())
            ++formulasWithoutValue;
        if (!text.isEmpty() && m_row > 0 && m_column > 0)
            cells.push_back({m_row, m_column, std::move(text)});
    }

    const std::vector<QString> &m_strings;
    const std::vector<NumberForm> &m_forms;
    bool m_inData = false, m_inCell = false, m_inInline = false, m_collect = false, m_hasFormula = false;
    int m_phonetic = 0, m_row = 0, m_column = 0, m_style = 0;
    std::size_t m_maxCells;
    std::string_view m_type; // points into the parsed piece, which holds the whole cell
    std::string m_value;
};

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

        // The cells, in document order.
        const QByteArray &xml = package.part(sheetPart);
        std::optional<SheetCells> sheet =
            ReadLargePart(xml, "sheetData", "row", [&] { return SheetCells(strings, forms, size_t(xml.size())); });
        if (!sheet)
            Unreadable(name, NotAWorkbook);
        cells = std::move(sheet->cells);
        merges = std::move(sheet->merges);
        formulasWithoutValue = sheet->formulasWithoutValue;
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