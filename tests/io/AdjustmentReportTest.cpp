// The report writer on the shipped templates and on templates a user has edited, read back with
// python-docx: cells as Word addresses them, merged leg cells, 8-point rows, placeholders.
#include "io/AdjustmentReport.h"
#include "io/ooxml/DocxReport.h"
#include "io/ooxml/OoxmlPackage.h"

#include "core/TextForms.h"
#include "support/DocxReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace quorvil;
using namespace quorvil::test;

namespace {

QString Template(ReportKind kind)
{
    return QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/../resources/templates/") + ReportTemplateName(kind);
}

const QStringList Header = {"城东一级导线", "一级", "张三", "李四", "2024-05-06"};

// The connecting traverse of the worked example, after the computation.
struct ConnectingExample {
    TraverseResult result;
    QList<QStringList> rows = {
        {"A", "", "", "5000", "5000"},
        {"B", "135.0006", "141.425", "5000", "5100"},
        {"P1", "225.0000", "100.002", "5100.001", "5200.001"},
        {"C", "224.5957", "", "5100", "5300"},
        {"D", "", "", "5000", "5400"},
    };
    ConnectingExample()
    {
        ConnectingTraverseInput in;
        in.a = {5000, 5000};
        in.b = {5000, 5100};
        in.c = {5100, 5300};
        in.d = {5000, 5400};
        in.observations = {{135.0006L, 141.425L}, {225.0000L, 100.002L}, {224.5957L, 0}};
        result = AdjustConnectingTraverse(in);
    }
    AdjustmentReportData data() const
    {
        AdjustmentReportData d;
        d.kind = ReportKind::Connecting;
        d.header = Header;
        d.rows = rows;
        d.traverse = &result;
        return d;
    }
};

class AdjustmentReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!DocxReaderAvailable())
            GTEST_SKIP() << DocxReaderMissing;
    }
    QTemporaryDir dir;

    DocxContents Write(const AdjustmentReportData &data, const QString &templatePath, const QString &name = "r.docx")
    {
        const QString out = dir.filePath(name);
        WriteAdjustmentReport(data, templatePath, out);
        DocxContents c = ReadDocx(out);
        EXPECT_TRUE(c.error.isEmpty()) << c.error.toStdString();
        return c;
    }

    // A copy of a template with `edit` applied to its parts.
    QString Edited(ReportKind kind, const std::function<void(OoxmlPackage &)> &edit, const QString &name)
    {
        OoxmlPackage pkg = OoxmlPackage::load(Template(kind));
        edit(pkg);
        const QString path = dir.filePath(name);
        pkg.save(path);
        return path;
    }
};

void Replace(OoxmlPackage &pkg, const std::string &part, const QString &from, const QString &to)
{
    QByteArray bytes = pkg.part(part);
    ASSERT_TRUE(bytes.contains(from.toUtf8())) << part << " lacks " << from.toStdString();
    bytes.replace(from.toUtf8(), to.toUtf8());
    pkg.setPart(part, bytes);
}

// Cells (row, column) of the worked example that the report must show.
void ExpectConnectingExample(const DocxContents &c, const std::string &label)
{
    const struct {
        int row, column;
        const char *text;
    } cells[] = {
        {3, 1, "A"},        {5, 1, "B"},        {7, 1, "P1"},       {9, 1, "C"},         {11, 1, "D"},
        {5, 2, "135.0006"}, {9, 2, "224.5957"}, {5, 3, "-1.00"},    {7, 3, "-1.00"},     {9, 3, "-1.00"},
        {4, 4, "90.0000"},  {6, 4, "45.0005"},  {8, 4, "90.0004"},  {10, 4, "135.0003"}, {6, 5, "141.425"},
        {8, 5, "100.002"},  {6, 7, "1.05"},     {8, 7, "0.74"},     {6, 9, "-4.10"},     {8, 9, "-2.90"},
        {7, 10, "5100.001"}, {7, 11, "5200.001"}, {11, 11, "5400"},
        {13, 2, "FB=3″    VB=-1″    Fx=-1.79mm    Fy=7mm    Fs=7.23mm    K=1/33415"},
    };
    for (const auto &cell : cells)
        EXPECT_EQ(c.text(cell.row, cell.column).toStdString(), cell.text)
            << label << ": cell (" << cell.row << ", " << cell.column << ")";
}

TEST_F(AdjustmentReportTest, ConnectingWorkedExampleOnShippedAndEditedTemplates)
{
    const ConnectingExample example;
    // Each template variant still gives the same report.
    const struct {
        const char *label;
        std::function<void(OoxmlPackage &)> edit;
    } variants[] = {
        {"shipped", [](OoxmlPackage &) {}},
        {"placeholders split over runs",
         [](OoxmlPackage &pkg) {
             // As Word leaves them after typing corrections: one placeholder over three runs.
             Replace(pkg, "word/document.xml", "[工程名称]",
                     "[工程</w:t></w:r><w:proofErr w:type=\"spellStart\"/><w:r><w:rPr><w:b/></w:rPr>"
                     "<w:t>名</w:t></w:r><w:r><w:t xml:space=\"preserve\">称]");
             Replace(pkg, "word/header1.xml", "[工程名称]", "[工程名</w:t></w:r><w:r><w:t>称]");
             Replace(pkg, "word/footer1.xml", "[校核者]", "[校</w:t></w:r><w:r><w:t>核者]");
         }},
        {"restyled with an extra paragraph",
         [](OoxmlPackage &pkg) {
             Replace(pkg, "word/styles.xml", "w:eastAsia=\"宋体\"", "w:eastAsia=\"仿宋\"");
             Replace(pkg, "word/styles.xml", "<w:sz w:val=\"32\"/>", "<w:sz w:val=\"44\"/><w:i/>");
             Replace(pkg, "word/document.xml", "<w:body>",
                     "<w:body><w:p><w:r><w:t>某某测绘院 内部资料</w:t></w:r></w:p>");
         }},
        {"saved as a Word template",
         [](OoxmlPackage &pkg) {
             Replace(pkg, "[Content_Types].xml", "wordprocessingml.document.main+xml",
                     "wordprocessingml.template.main+xml");
         }},
        {"saved again by LibreOffice", nullptr},
    };
    int n = 0;
    for (const auto &variant : variants) {
        // The last variant is the shipped template opened and saved again by LibreOffice Writer,
        // which splits every placeholder into "[", the name and "]" runs and rewrites the styles.
        const QString path = variant.edit ? Edited(ReportKind::Connecting, variant.edit, QStringLiteral("t%1.docx").arg(n++))
                                          : QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/DXbjfh-libreoffice.docx");
        const DocxContents c = Write(example.data(), path, QStringLiteral("r%1.docx").arg(n));
        ExpectConnectingExample(c, variant.label);
        const QString body = c.strings("body").join('\n');
        for (const QString &field : Header)
            EXPECT_TRUE(body.contains(field)) << variant.label << " " << field.toStdString();
        EXPECT_FALSE(body.contains('[')) << variant.label << ": " << body.toStdString();
        EXPECT_EQ(c.strings("headers").join(""), Header[0]) << variant.label;
        EXPECT_TRUE(c.strings("footers").join("").startsWith("计算者：张三　　校核者：李四")) << variant.label;
    }
}

TEST_F(AdjustmentReportTest, PointBlocksMergedLegCellsAndRowHeights)
{
    const ConnectingExample example;
    const DocxContents c = Write(example.data(), Template(ReportKind::Connecting));
    const int b = 5;
    ASSERT_EQ(c.rowCount(), 2 + 2 * b + 1);
    for (int row = 3; row <= 2 * b + 2; ++row) {
        EXPECT_EQ(c.row(row).value("height").toDouble(), 8.0) << row;
        EXPECT_EQ(c.row(row).value("rule").toString(), "EXACTLY") << row;
        const bool upper = row % 2 == 1;
        for (int column = 1; column <= 11; ++column) {
            const bool leg = column >= 4 && column <= 9;
            QString expected;
            if (!leg)
                expected = upper ? "restart" : "continue";
            else if (row != 3 && row != 2 * b + 2)
                expected = upper ? "continue" : "restart";
            EXPECT_EQ(c.vmerge(row, column), expected) << "(" << row << ", " << column << ")";
        }
    }
    // Heading and summary rows as the template has them.
    EXPECT_EQ(c.text(1, 1), "点名");
    EXPECT_NE(c.row(1).value("rule").toString(), "EXACTLY");
    EXPECT_EQ(c.text(2 * b + 3, 1), "辅助计算");
}

TEST_F(AdjustmentReportTest, LevellingWorkedExample)
{
    LevellingRouteInput in;
    in.startHeight = 100;
    in.endHeight = 101;
    in.sections = {{1.2L, 0.505L}, {0.8L, 0.503L}};
    const LevellingResult result = AdjustLevellingRoute(in);
    AdjustmentReportData data;
    data.kind = ReportKind::Levelling;
    data.header = Header;
    data.rows = {{"BM1", "1.2", "0.505", "   -4.80", "100.000"},
                 {"P1", "0.8", "0.503", "   -3.20", "  100.500"},
                 {"BM2", "", "", "", "101.000"}};
    data.levelling = &result;
    const DocxContents c = Write(data, Template(ReportKind::Levelling));
    const struct {
        int row, column;
        const char *text;
    } cells[] = {
        {2, 1, "BM1"}, {4, 1, "P1"},    {6, 1, "BM2"},     {2, 6, "100.000"}, {4, 6, "100.500"}, {6, 6, "101.000"},
        {3, 2, "1.2"}, {3, 3, "0.505"}, {3, 4, "-4.80"},   {5, 4, "-3.20"},   {3, 5, "   0.500"}, {5, 5, "   0.500"},
        {8, 2, "Fh=8mm          线路总长[L]=2"},
    };
    for (const auto &cell : cells)
        EXPECT_EQ(c.text(cell.row, cell.column).toStdString(), cell.text) << "(" << cell.row << ", " << cell.column << ")";
    for (int row = 2; row <= 7; ++row)
        EXPECT_EQ(c.row(row).value("rule").toString(), "EXACTLY") << row;
    EXPECT_EQ(c.vmerge(3, 2), "restart");
    EXPECT_EQ(c.vmerge(4, 2), "continue");
    EXPECT_EQ(c.vmerge(2, 1), "restart");
    EXPECT_EQ(c.vmerge(3, 1), "continue");
}

TEST_F(AdjustmentReportTest, VerdictsUnderTheSummaryLineOverLimitsInRed)
{
    // The worked example judged as a 三等 traverse: the angular closure passes, K does not.
    const ConnectingExample example;
    AdjustmentReportData data = example.data();
    data.header[1] = "三等";
    data.verdicts = TraverseVerdicts(LimitStandard::Gb50026, "三等", example.result, true);
    EXPECT_EQ(ReportLimitLine(data).toStdString(),
              "限差依据 GB 50026-2020：fβ=3″ 限差±6.24″ 合格    K=1/33415 限差1/55000 超限");
    const QString out = dir.filePath("verdicts.docx");
    WriteAdjustmentReport(data, Template(ReportKind::Connecting), out);
    const DocxContents c = ReadDocx(out);
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_EQ(c.text(13, 1), "辅助计算");
    EXPECT_EQ(c.text(13, 2).toStdString(), "FB=3″    VB=-1″    Fx=-1.79mm    Fy=7mm    Fs=7.23mm    K=1/33415\n"
                                           "限差依据 GB 50026-2020：fβ=3″ 限差±6.24″ 合格    K=1/33415 限差1/55000 超限");

    // The verdict over its limit is the one red run of the paragraph, in the cell's own font.
    const QString xml = QString::fromUtf8(OoxmlPackage::load(out).part("word/document.xml"));
    const qsizetype over = xml.indexOf("K=1/33415 限差1/55000 超限");
    ASSERT_GE(over, 0);
    const qsizetype run = xml.lastIndexOf("<w:r>", over) >= 0 ? xml.lastIndexOf("<w:r>", over) : xml.lastIndexOf("<w:r ", over);
    EXPECT_TRUE(xml.mid(run, over - run).contains("<w:color w:val=\"FF0000\"/>")) << xml.mid(run, over - run).toStdString();
    EXPECT_EQ(xml.count("w:val=\"FF0000\""), 1);

    // A grade without limits: the note alone; no verdicts, no second paragraph.
    data.verdicts = TraverseVerdicts(LimitStandard::Cjj8, "测试", example.result, true);
    data.standard = LimitStandard::Cjj8;
    EXPECT_EQ(ReportLimitLine(data).toStdString(), "限差依据 CJJ/T 8-2011：等级“测试”无限差");
    data.verdicts.clear();
    EXPECT_TRUE(ReportLimitLine(data).isEmpty());
    EXPECT_FALSE(Write(data, Template(ReportKind::Connecting), "none.docx").text(13, 2).contains('\n'));
}

TEST_F(AdjustmentReportTest, FailuresNameTheTemplateAndWriteNothing)
{
    const ConnectingExample example;
    const QString existing = dir.filePath("old.docx");
    {
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("previous report");
    }
    const QString garbage = dir.filePath("DXbjfh-broken.docx");
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is no zip archive");
    }
    const QString noTable = Edited(
        ReportKind::Connecting,
        [](OoxmlPackage &pkg) {
            QByteArray doc = pkg.part("word/document.xml");
            const qsizetype from = doc.indexOf("<w:tbl>"), to = doc.indexOf("</w:tbl>") + 8;
            doc.remove(from, to - from);
            pkg.setPart("word/document.xml", doc);
        },
        "DXbjfh-notable.docx");
    const QString narrow = Edited(
        ReportKind::Connecting,
        [](OoxmlPackage &pkg) {
            // The data row cut down to three cells.
            QByteArray doc = pkg.part("word/document.xml");
            const qsizetype row = doc.indexOf("<w:tr><w:trPr><w:trHeight w:val=\"320\"/>");
            qsizetype cell = row;
            for (int i = 0; i < 4; ++i)
                cell = doc.indexOf("<w:tc>", cell + 1);
            doc.remove(cell, doc.indexOf("</w:tr>", cell) - cell);
            pkg.setPart("word/document.xml", doc);
        },
        "DXbjfh-narrow.docx");
    const struct {
        const char *label;
        QString templatePath;
        QString expect;
    } cases[] = {
        {"missing", dir.filePath("DXbjfh.docx"), "DXbjfh.docx"},
        {"not a package", garbage, "DXbjfh-broken.docx"},
        {"no table", noTable, "DXbjfh-notable.docx"},
        {"data row too short", narrow, "DXbjfh-narrow.docx"},
    };
    for (const auto &c : cases) {
        try {
            WriteAdjustmentReport(example.data(), c.templatePath, existing);
            ADD_FAILURE() << c.label;
        } catch (const PackageError &e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(c.expect)) << c.label << ": " << e.what();
        }
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("previous report")) << c.label;
    }
    // The template itself is never replaced by a report.
    const QString copy = Edited(ReportKind::Connecting, [](OoxmlPackage &) {}, "DXbjfh.docx");
    const QByteArray before = [&] { QFile f(copy); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    try {
        WriteAdjustmentReport(example.data(), copy, copy);
        ADD_FAILURE() << "report written over its template";
    } catch (const Error &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("DXbjfh.docx")) << e.what();
    }
    QFile kept(copy);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before);
    // A folder that does not exist: a file error, nothing written.
    EXPECT_THROW(WriteAdjustmentReport(example.data(), Template(ReportKind::Connecting), dir.filePath("no/such/r.docx")),
                 FileError);
    // A result that does not belong to the rows is refused rather than read out of range.
    AdjustmentReportData shortRows = example.data();
    shortRows.rows.removeLast();
    EXPECT_THROW(WriteAdjustmentReport(shortRows, Template(ReportKind::Connecting), dir.filePath("x.docx")), Error);
    AdjustmentReportData noResult = example.data();
    noResult.traverse = nullptr;
    EXPECT_THROW(WriteAdjustmentReport(noResult, Template(ReportKind::Connecting), dir.filePath("x.docx")), Error);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.docx")));
}

TEST_F(AdjustmentReportTest, PlaceholderTextsAreNotSearchedAgain)
{
    // A header field holding another placeholder or XML-special characters is written as typed.
    const ConnectingExample example;
    AdjustmentReportData data = example.data();
    data.header = {"[等级] & <桥>", "二级", "王五\t", "赵六", "2024-05-06"};
    const DocxContents c = Write(data, Template(ReportKind::Connecting));
    const QString body = c.strings("body").join('\n');
    EXPECT_TRUE(body.contains("工程名称：[等级] & <桥>")) << body.toStdString();
    EXPECT_TRUE(body.contains("等级：二级")) << body.toStdString();
    EXPECT_TRUE(body.contains("计算者：王五 ")) << body.toStdString();
}

} // namespace
