// The first sheet of a workbook read by pugixml: a large sheet, read a piece at a time, gives what
// the same sheet read whole gives, also where an end tag stands inside a comment or character data
// and a piece cannot be cut there.
#include "io/ooxml/OoxmlPackage.h"
#include "io/ooxml/XlsxSheetReader.h"
#include "io/ooxml/XlsxTableWriter.h"

#include <gtest/gtest.h>

using namespace quorvil;

namespace {

const QByteArray SheetHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
const QByteArray SharedStringsRelationship =
    "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";

// A workbook whose first sheet is `sheet`, with `strings` as its shared strings part when given.
QByteArray Workbook(const QByteArray &sheet, const QByteArray &strings = {})
{
    OoxmlPackage package = OoxmlPackage::fromBytes(XlsxTableWriter().toBytes(), "x.xlsx");
    package.setPart("xl/worksheets/sheet1.xml", sheet);
    if (!strings.isEmpty()) {
        package.setPart("xl/sharedStrings.xml", strings);
        QByteArray rels = package.part("xl/_rels/workbook.xml.rels");
        rels.replace("</Relationships>", SharedStringsRelationship);
        package.setPart("xl/_rels/workbook.xml.rels", rels);
    }
    return package.toBytes();
}

QStringList Lines(const CellRows &rows)
{
    QStringList lines;
    for (int r = 0; r < rows.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < rows.width(r); ++c)
            cells << rows.at(r, c);
        lines << cells.join('|');
    }
    return lines;
}

// A sheet of 4,000 rows (many pieces); every 500th row holds `extra` after its cells. Rows without
// a reference follow the one before.
QByteArray LargeSheet(const QByteArray &extra, const QByteArray &before = {}, const QByteArray &after = {})
{
    QByteArray xml = SheetHead + before + "<sheetData>";
    for (int r = 1; r <= 4000; ++r) {
        xml += r % 2 ? "<row r=\"" + QByteArray::number(r) + "\">" : QByteArray("<row>");
        xml += "<c t=\"inlineStr\"><is><t>P" + QByteArray::number(r) + "</t></is></c><c t=\"s\"><v>" +
               QByteArray::number(r % 3) + "</v></c>";
        if (r % 500 == 0)
            xml += extra;
        xml += "</row>";
    }
    return xml + "</sheetData>" + after + "<mergeCells count=\"1\"><mergeCell ref=\"A2:B2\"/></mergeCells></worksheet>";
}

TEST(XlsxSheetReader, LargePartsReadInPiecesAsWhole)
{
    QByteArray strings = "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (int i = 0; i < 3; ++i)
        strings += "<si><t>S" + QByteArray::number(i) + "</t></si><!-- </si><si><t>not a string</t></si> -->";
    for (int i = 0; i < 3000; ++i) // long enough to be read in pieces
        strings += "<si><t>unused</t></si>";
    strings += "</sst>";

    const QStringList plain = Lines(ReadXlsxSheet(Workbook(LargeSheet({}), strings), "x.xlsx"));
    ASSERT_EQ(plain.size(), 4000);
    EXPECT_EQ(plain.first(), "P1|S1");
    EXPECT_EQ(plain.at(1), "P2|S2");
    EXPECT_EQ(plain.last(), "P4000|S1");

    // Each sheet against its twin without the end tag in the wrong place.
    const struct {
        const char *name;
        QByteArray sheet;
        QByteArray twin;
    } cases[] = {
        {"end tag in a comment", LargeSheet("<!-- </row><row><c><v>1</v></c></row> -->"), LargeSheet({})},
        {"end tag in an instruction", LargeSheet("<?note </row>?>"), LargeSheet({})},
        {"end tag in character data", LargeSheet("<c t=\"inlineStr\"><is><t><![CDATA[</row>]]></t></is></c>"),
         LargeSheet("<c t=\"inlineStr\"><is><t>&lt;/row&gt;</t></is></c>")},
        {"sheet data named in comments", LargeSheet({}, "<!-- <sheetData> -->", "<!-- </sheetData> -->"), LargeSheet({})},
    };
    for (const auto &c : cases) {
        const QStringList twin = Lines(ReadXlsxSheet(Workbook(c.twin, strings), "x.xlsx"));
        EXPECT_EQ(Lines(ReadXlsxSheet(Workbook(c.sheet, strings), "x.xlsx")), twin) << c.name;
    }
    EXPECT_EQ(Lines(ReadXlsxSheet(Workbook(cases[2].twin, strings), "x.xlsx")).at(499), "P500|S2|</row>");
}

TEST(XlsxSheetReader, TextAsTheSheetHoldsIt)
{
    // White space that is all a cell holds, line ends as written, references resolved.
    const QByteArray sheet = SheetHead +
                             "<sheetData><row r=\"1\">"
                             "<c r=\"A1\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> </t></is></c>"
                             "<c r=\"B1\" t=\"inlineStr\"><is><t>a\r\nb</t></is></c>"
                             "<c r=\"C1\" t=\"inlineStr\"><is><t>&#x4E2D;&#20013;&lt;<![CDATA[&amp;]]></t></is></c>"
                             "</row></sheetData></worksheet>";
    const CellRows rows = ReadXlsxSheet(Workbook(sheet), "x.xlsx");
    ASSERT_EQ(rows.rows(), 1);
    EXPECT_EQ(rows.at(0, 0), " ");
    EXPECT_EQ(rows.at(0, 1), "a\r\nb");
    EXPECT_EQ(rows.at(0, 2), "中中<&amp;");
}

} // namespace
