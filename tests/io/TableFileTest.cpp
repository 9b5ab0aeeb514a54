// Spreadsheets in place of point files: workbooks and .csv read as lines, tables written as
// spreadsheets; workbooks are made and read back by an independent reader (openpyxl).
#include "io/FileErrors.h"
#include "io/PointFile.h"
#include "io/TableFile.h"
#include "io/ooxml/OoxmlPackage.h"
#include "io/ooxml/XlsxSheetReader.h"
#include "io/ooxml/XlsxTableWriter.h"
#include "support/FileTestSupport.h"
#include "support/ProcessRun.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorvil;
using quorvil::test::ReadBytes;
using quorvil::test::WriteBytes;

namespace {

// Runs a Python script with openpyxl; returns its standard output (UTF-8).
QString Python(const QString &script, const QStringList &args = {})
{
    const test::ProgramRun python = test::RunPythonProgram(QStringList{QStringLiteral("-c"), script} + args);
    EXPECT_EQ(python.status, 0) << python.diagnosis().toStdString();
    return QString::fromUtf8(python.out);
}

QList<QStringList> RowsOf(const PointCells &cells)
{
    QList<QStringList> rows;
    for (int r = 0; r < cells.rows; ++r) {
        QStringList row;
        for (int c = 0; c < cells.fieldCount; ++c)
            row << cells.cells[size_t(r) * cells.fieldCount + c];
        rows << row;
    }
    return rows;
}

} // namespace

TEST(TableFile, PlainDecimalsBecomeNumbersOthersStayText)
{
    const struct {
        const char *text;
        bool number;
        int decimals;
    } cases[] = {{"0", true, 0},          {"3878776.946", true, 3}, {"-12.50", true, 2}, {"0.000", true, 3},
                 {"001", false, 0},       {"1e5", false, 0},        {" 1.5", false, 0},  {"+2", false, 0},
                 {"-0.000", false, 0},    {".5", false, 0},         {"5.", false, 0},    {"1234567890123456", false, 0},
                 {"123456789012345", true, 0}, {"P1", false, 0},    {"", false, 0}};
    for (const auto &c : cases) {
        int decimals = -1;
        EXPECT_EQ(IsPlainDecimal(QString::fromUtf8(c.text), &decimals), c.number) << c.text;
        if (c.number)
            EXPECT_EQ(decimals, c.decimals) << c.text;
    }
}

TEST(TableFile, DelimitedTextAsSpreadsheetsPutIt)
{
    const struct {
        const char *label;
        QString text;
        QList<QStringList> rows;
    } cases[] = {
        {"excel: tabs, CR LF, final break", "P1\t1.000\t2.000\r\nP2\t3.000\t4.000\r\n",
         {{"P1", "1.000", "2.000"}, {"P2", "3.000", "4.000"}}},
        {"libreoffice: LF, no final break", "A\tB\nC\tD", {{"A", "B"}, {"C", "D"}}},
        {"quoted cell with tab, break and quote", "\"a\tb\"\t\"line1\nline2\"\t\"say \"\"hi\"\"\"\r\n",
         {{"a\tb", "line1\nline2", "say \"hi\""}}},
        {"empty cells and an empty row", "\t\tx\r\n\t\t\r\n", {{"", "", "x"}, {"", "", ""}}},
        {"comma separated", "A,1,2\nB,3", {{"A", "1", "2"}, {"B", "3"}}},
        {"one empty cell", "\r\n", {{""}}},
    };
    for (const auto &c : cases) {
        const CellRows rows = ParseDelimitedText(c.text, GuessDelimiter(c.text));
        QList<QStringList> got;
        for (int r = 0; r < rows.rows(); ++r) {
            QStringList row;
            for (int k = 0; k < rows.width(r); ++k)
                row << rows.at(r, k);
            got << row;
        }
        EXPECT_EQ(got, c.rows) << c.label;
    }
    EXPECT_EQ(GuessDelimiter(u"a;b;c\n1;2;3"), QChar(u';'));
    EXPECT_EQ(ParseDelimitedText(u"", u',').rows(), 0);
}

TEST(TableFile, CaptionRowsAreRecognised)
{
    const auto rows = [](const QString &text) { return ParseDelimitedText(text, u','); };
    EXPECT_EQ(LeadingNonDataRows(rows("点号,x,y\nP1,1,2")), 1);              // texts over numbers
    EXPECT_EQ(LeadingNonDataRows(rows("P1,1,2\nP2,3,4")), 0);               // data from the first row
    EXPECT_EQ(LeadingNonDataRows(rows("水平距,垂直角,后视方位角")), 0);     // no row below to compare
    EXPECT_EQ(LeadingNonDataRows(rows("Name,X\nP1,\n"), {"点号", "x"}), 1); // a caption of the table
    EXPECT_EQ(LeadingNonDataRows(rows("A,B\nC,D")), 0);
}

TEST(TableFile, CsvWithChineseNamesHasTheMarkAndReadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("成果.csv");
    WriteTextLines(path, {"导线点1,3878776.946,773912.254", "界桩,1,2"});
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.mid(3), QStringLiteral("导线点1,3878776.946,773912.254\r\n界桩,1,2\r\n").toUtf8());
    EXPECT_EQ(ReadTextLines(path), (QStringList{"导线点1,3878776.946,773912.254", "界桩,1,2"}));

    // A table saved with captions: quoted where needed; the caption row is skipped on import.
    const std::vector<QString> cells = {"甲,乙", "1.000", "say \"x\"", "2.500"};
    const QByteArray csv = CsvBytes({"点号", "x"}, 2, 2, [&](int r, int c) -> const QString & { return cells[r * 2 + c]; });
    EXPECT_EQ(csv, QByteArray("\xEF\xBB\xBF") + QStringLiteral("点号,x\r\n\"甲,乙\",1.000\r\n\"say \"\"x\"\"\",2.500\r\n").toUtf8());
    const QString saved = WriteBytes(dir, "t.csv", csv);
    EXPECT_EQ(RowsOf(ReadPointCells(saved, 3, "0", {"点号", "x"})),
              (QList<QStringList>{{"甲,乙", "1.000", "0"}, {"say \"x\"", "2.500", "0"}}));

    // Python's csv module with the BOM-aware codec reads the Chinese names.
    EXPECT_EQ(Python("import csv,sys\nfor row in csv.reader(open(sys.argv[1], encoding='utf-8-sig')): print('|'.join(row))",
                     {saved}),
              QStringLiteral("点号|x\n甲,乙|1.000\nsay \"x\"|2.500\n"));
}

TEST(TableFile, OpenpyxlWorkbookImports)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("points.xlsx");
    Python(R"(
import sys, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.title = '坐标'
ws.append(['控制点成果表'])
ws.merge_cells('A1:C1')
ws.append(['点号', 'X', 'Y'])
ws.append(['导线点1', 3878776.946, 773912.254])
ws.append(['P2', 12, -0.5])
ws.append(['001', 1.25, 2])
ws['B4'].number_format = '0.000'
ws['C4'].number_format = '0.000'
ws.append(['F', '=1+1', None])
wb.create_sheet('other')
wb.save(sys.argv[1])
)",
           {path});
    const PointCells cells = ReadPointCells(path, 3);
    EXPECT_EQ(RowsOf(cells), (QList<QStringList>{{"导线点1", "3878776.946", "773912.254"},
                                                 {"P2", "12.000", "-0.500"},
                                                 {"001", "1.25", "2"},
                                                 {"F", "", ""}}));
    // The formula openpyxl wrote has no value saved; the second sheet is not read.
    EXPECT_EQ(cells.notes.size(), 2);
    EXPECT_TRUE(cells.notes.join(' ').contains("公式")) << cells.notes.join(' ').toStdString();
    EXPECT_TRUE(cells.notes.join(' ').contains("坐标"));
    // As lines (the title and caption rows are lines too).
    EXPECT_EQ(ReadTextLines(path).mid(0, 3), (QStringList{"控制点成果表", "点号,X,Y", "导线点1,3878776.946,773912.254"}));
}

TEST(TableFile, CachedFormulaValuesSharedStringsAndMergedCells)
{
    // A sheet as Excel writes it: shared strings (one in rich-text runs), formulas with their
    // values, a merged range inside the table, a boolean.
    OoxmlPackage package = OoxmlPackage::fromBytes(XlsxTableWriter().toBytes(), "x.xlsx");
    package.setPart("xl/sharedStrings.xml",
                    "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                    "<si><t>K1</t></si><si><r><rPr><b/></rPr><t>K</t></r><r><t xml:space=\"preserve\">2 &amp; 3</t></r>"
                    "<rPh><t>x</t></rPh></si></sst>");
    QByteArray rels = package.part("xl/_rels/workbook.xml.rels");
    rels.replace("</Relationships>", "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                                     "2006/relationships/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>");
    package.setPart("xl/_rels/workbook.xml.rels", rels);
    package.setPart("xl/worksheets/sheet1.xml",
                    "<?xml version=\"1.0\"?><x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                    "<x:sheetData><x:row r=\"2\"><x:c r=\"B2\" t=\"s\"><x:v>0</x:v></x:c><x:c r=\"C2\"><x:f>1+1</x:f><x:v>2</x:v></x:c>"
                    "<x:c r=\"D2\" t=\"str\"><x:f>\"a\"&amp;\"b\"</x:f><x:v>ab</x:v></x:c></x:row>"
                    "<x:row r=\"3\"><x:c r=\"B3\" t=\"s\"><x:v>1</x:v></x:c><x:c r=\"C3\" t=\"b\"><x:v>1</x:v></x:c>"
                    "<x:c r=\"D3\" t=\"inlineStr\"><x:is><x:t>in&lt;line</x:t></x:is></x:c></x:row>"
                    "<x:row r=\"5\"><x:c r=\"B5\"><x:v>0.1</x:v></x:c></x:row></x:sheetData>"
                    "<x:mergeCells count=\"1\"><x:mergeCell ref=\"C3:D3\"/></x:mergeCells></x:worksheet>");
    const CellRows rows = ReadXlsxSheet(package.toBytes(), "x.xlsx");
    ASSERT_EQ(rows.rows(), 4);
    EXPECT_EQ(rows.width(0), 3);
    const QStringList expected[] = {{"K1", "2", "ab"}, {"K2 & 3", "TRUE", "in<line"}, {"", "", ""}, {"0.1", "", ""}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(rows.at(r, c), expected[r].at(c)) << r << "," << c;
    EXPECT_EQ(rows.notes.size(), 1); // the merged range
}

TEST(TableFile, BrokenAndProtectedWorkbooksSayWhy)
{
    QTemporaryDir dir;
    QByteArray ole = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(600, '\0');
    QByteArray encrypted = ole;
    for (char ch : QByteArray("EncryptionInfo"))
        encrypted.append(ch).append('\0');
    const QByteArray zip = XlsxTableWriter().toBytes();
    const struct {
        const char *name;
        QByteArray bytes;
        const char *says;
    } cases[] = {
        {"locked.xlsx", encrypted, "密码"},
        {"old.xlsx", ole, ".xls"},
        {"truncated.xlsx", zip.left(zip.size() / 2), "已损坏"},
        {"text.xlsx", "P1,1,2\r\n", "已损坏"},
        {"junk.dat", QByteArray("PK\x03\x04", 4) + QByteArray(100, '\x7f'), "已损坏"},
    };
    for (const auto &c : cases) {
        const QString path = WriteBytes(dir, c.name, c.bytes);
        try {
            ReadPointCells(path, 3);
            ADD_FAILURE() << c.name;
        } catch (const FileError &e) {
            const QString message = QString::fromUtf8(e.what());
            EXPECT_TRUE(message.contains(c.name) && message.contains(QString::fromUtf8(c.says)))
                << c.name << ": " << e.what();
        }
    }
}

TEST(TableFile, SavedWorkbookReadsBackWithNumbersAsNumbers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("result.xlsx");
    const std::vector<QString> cells = {"导线点1", "3878776.946", "773912.254", "001", "-0.500", "12", "P&<3>", "", "1e5"};
    WriteSpreadsheet(path, TableFileKind::Workbook, {"点号", "纵坐标x(m)", "横坐标y(m)"}, 3, 3,
                     [&](int r, int c) -> const QString & { return cells[r * 3 + c]; });
    const QString dump = Python(R"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
for row in ws.iter_rows():
    print('|'.join('' if c.value is None else type(c.value).__name__ + ':' + str(c.value) + ':' + c.number_format for c in row))
print(ws['A1'].font.b, ws.freeze_panes)
)",
                                {path});
    EXPECT_EQ(dump, QStringLiteral("str:点号:General|str:纵坐标x(m):General|str:横坐标y(m):General\n"
                                   "str:导线点1:General|float:3878776.946:0.000|float:773912.254:0.000\n"
                                   "str:001:General|float:-0.5:0.000|int:12:0\n"
                                   "str:P&<3>:General||str:1e5:General\n"
                                   "True A2\n"));
    // And our own reader gives the table back as it was.
    EXPECT_EQ(RowsOf(ReadPointCells(path, 3, "0", {"点号"})),
              (QList<QStringList>{{"导线点1", "3878776.946", "773912.254"}, {"001", "-0.500", "12"}, {"P&<3>", "", "1e5"}}));

    // Lines written to a workbook name become its rows, and read back as the same lines.
    const QString lines = dir.filePath("lines.xlsx");
    WriteTextLines(lines, {"A,1.50,2", "", "B,x"});
    EXPECT_EQ(ReadTextLines(lines), (QStringList{"A,1.50,2", "", "B,x"}));
    LineWriter writer;
    writer.addLine(u"界桩,1.000");
    writer.write(dir.filePath("w.xlsx"));
    EXPECT_EQ(ReadTextLines(dir.filePath("w.xlsx")), QStringList{"界桩,1.000"});
}
