// The power-line workbook read back by an independent reader (openpyxl), and the sheet drawing
// beside the program (read by ezdxf) against the layout the sheets are drawn in.
#include "io/PowerLineOutput.h"
#include "io/ProgramFiles.h"
#include "io/ooxml/OoxmlPackage.h"
#include "io/ooxml/XlsxWorkbook.h"
#include "support/ProcessRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointF>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorvil;

namespace {

// Reads a workbook with openpyxl and answers its cells, formats, heights, borders and merges.
const char *const ReadBack = R"PY(
import json, sys, zipfile
from openpyxl import load_workbook
path = sys.argv[1]
types = zipfile.ZipFile(path).read('[Content_Types].xml').decode()
wb = load_workbook(path)
ws = wb.active
out = {'types': types, 'title': ws['A1'].value, 'heading': ws['B2'].value, 'cells': {}, 'heights': {},
       'borders': {}, 'merges': sorted(str(m) for m in ws.merged_cells.ranges), 'max_row': ws.max_row}
for row in ws.iter_rows(min_row=4, max_row=ws.max_row, max_col=13):
    for c in row:
        if c.value is not None:
            out['cells'][c.coordinate] = [c.value, c.data_type, c.number_format]
        b = c.border
        out['borders'][c.coordinate] = [b.left.style, b.right.style, b.top.style, b.bottom.style]
for r in range(1, ws.max_row + 1):
    out['heights'][str(r)] = ws.row_dimensions[r].height
print(json.dumps(out))
)PY";

QJsonObject ReadWorkbook(const QString &path)
{
    const test::ProgramRun python = test::RunPythonProgram({QStringLiteral("-c"), QString::fromUtf8(ReadBack), path});
    if (python.status != 0) {
        ADD_FAILURE() << "openpyxl could not read " << path.toStdString() << ": " << python.diagnosis().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.out).object();
}

QString Template() { return ProgramFile(PowerLineTemplateName); }

QStringList Line(const QString &csv) { return csv.split(u','); }

TEST(PowerLineWorkbook, CellsNumbersHeightsBordersAndMerges)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("route.xlsx"));
    const QList<QStringList> rows = {
        Line("J1,3000000.000,500000.000,0,0,120.50,水田,,,,,,ZJ1"),
        Line("001,3000100.000,500000.000,100,100,121.25,旱地,10kV线路,30.1500,,1.2,1.5,"),
        Line("J3,3000200.000,500000.000,200.004,100.004,122,林地 松树,公路,abc,45.3020,,-0.8,ZJ2"),
    };
    WritePowerLineWorkbook(Template(), rows, path);
    const QJsonObject book = ReadWorkbook(path);
    ASSERT_FALSE(book.isEmpty());

    EXPECT_TRUE(book["types"].toString().contains("spreadsheetml.sheet.main+xml"));
    EXPECT_FALSE(book["types"].toString().contains("template.main+xml"));
    EXPECT_EQ(book["title"].toString(), QStringLiteral("电力线路平断面测量成果表")); // kept from the template
    EXPECT_EQ(book["heading"].toString(), QStringLiteral("累距(m)"));

    struct Expect {
        const char *ref;
        QJsonValue value;
        const char *type;   // openpyxl: n number, s string
        const char *format; // number format
    };
    const Expect cells[] = {
        {"A4", "J1", "s", "General"},
        {"B4", 0, "n", "0"},
        {"D4", 120.5, "n", "0.00"},
        {"E4", QStringLiteral("水田"), "s", "General"},
        {"A5", "001", "s", "General"}, // a name stays a name
        {"C5", 100, "n", "0"},
        {"F5", QStringLiteral("10kV线路"), "s", "General"},
        {"G5", 30.15, "n", "0.0000"},  // a packed angle keeps its four decimals
        {"I5", 1.2, "n", "0.0"},
        {"B6", 200.004, "n", "0.000"},
        {"E6", QStringLiteral("林地 松树"), "s", "General"},
        {"G6", "abc", "s", "General"}, // not a number: kept as text
        {"H6", 45.302, "n", "0.0000"},
        {"J6", -0.8, "n", "0.0"},
    };
    const QJsonObject got = book["cells"].toObject();
    for (const auto &c : cells) {
        const QJsonArray cell = got[c.ref].toArray();
        ASSERT_EQ(cell.size(), 3) << c.ref;
        EXPECT_EQ(cell[0], c.value) << c.ref;
        EXPECT_EQ(cell[1].toString(), c.type) << c.ref;
        EXPECT_EQ(cell[2].toString(), c.format) << c.ref;
    }
    // X, Y and the remark are not exported; K to M stay empty.
    for (const char *ref : {"H4", "K4", "K5", "L4", "M4", "M6"})
        EXPECT_FALSE(got.contains(ref)) << ref;
    EXPECT_EQ(book["max_row"].toInt(), 6);

    const QJsonObject heights = book["heights"].toObject();
    for (const char *r : {"4", "5", "6"})
        EXPECT_EQ(heights[r].toDouble(), 25) << r;
    EXPECT_EQ(heights["1"].toDouble(), 32); // the template's title row

    const QJsonObject borders = book["borders"].toObject();
    const QJsonArray thin = {"thin", "thin", "thin", "thin"};
    for (int r = 4; r <= 6; ++r)
        for (int c = 1; c <= 13; ++c) {
            const QString ref = XlsxWorkbook::cellName(r, c);
            // openpyxl shows a merged range by its outline: inner cells keep only their outer edges.
            QJsonArray want = thin;
            if (c >= 12 && r > 4)
                want[2] = QJsonValue();
            if (c >= 12 && r > 4 && r < 6)
                want[3] = QJsonValue();
            EXPECT_EQ(borders[ref].toArray(), want) << ref.toStdString();
        }
    const QJsonArray merges = book["merges"].toArray();
    EXPECT_TRUE(merges.contains(QStringLiteral("L4:L6")));
    EXPECT_TRUE(merges.contains(QStringLiteral("M4:M6")));
    EXPECT_TRUE(merges.contains(QStringLiteral("A1:M1")));
}

TEST(PowerLineWorkbook, OneRowHasNoSingleCellMerge)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("one.xlsx"));
    WritePowerLineWorkbook(Template(), {Line("A,,,0,0,5,,,,,,,")}, path);
    const QJsonObject book = ReadWorkbook(path);
    EXPECT_FALSE(book["merges"].toArray().contains(QStringLiteral("L4:L4")));
    EXPECT_EQ(book["cells"].toObject()["D4"].toArray().at(0).toInt(), 5);
    EXPECT_EQ(book["borders"].toObject()["M4"].toArray(), (QJsonArray{"thin", "thin", "thin", "thin"}));
}

TEST(PowerLineWorkbook, FailuresLeaveTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.xlsx"));
    {
        QFile f(old);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's old workbook");
    }
    // A missing template names itself; nothing is written.
    try {
        WritePowerLineWorkbook(dir.filePath(QStringLiteral("none.xltx")), {Line("A")}, old);
        ADD_FAILURE() << "missing template accepted";
    } catch (const PackageError &e) {
        EXPECT_NE(std::string(e.what()).find("none.xltx"), std::string::npos) << e.what();
    }
    // A file that is not a workbook template.
    const QString notBook = dir.filePath(QStringLiteral("doc.xltx"));
    {
        OoxmlPackage p;
        p.setPart("[Content_Types].xml", "<Types/>");
        p.save(notBook);
    }
    EXPECT_THROW(WritePowerLineWorkbook(notBook, {Line("A")}, old), PackageError);
    // A name that cannot be written (a folder of that name): the message says so.
    const QString folder = dir.filePath(QStringLiteral("folder.xlsx"));
    ASSERT_TRUE(QDir().mkpath(folder));
    try {
        WritePowerLineWorkbook(Template(), {Line("A")}, folder);
        ADD_FAILURE() << "wrote over a folder";
    } catch (const FileError &e) {
        EXPECT_NE(std::string(e.what()).find("folder.xlsx"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("无法写入"), std::string::npos) << e.what();
    }
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("the user's old workbook"));
}

// The sheet drawing beside the program, read by ezdxf: its heading columns, strips and page
// number box sit where the drawing code writes.
const char *const SheetTexts = R"PY(
import json, sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
out = []
for e in doc.modelspace().query('TEXT'):
    p = e.dxf.align_point if e.dxf.get('halign', 0) else e.dxf.insert
    out.append([e.dxf.text, p.x, p.y])
box = doc.modelspace().query('LWPOLYLINE')[0]
print(json.dumps({'texts': out, 'frame': [list(p)[:2] for p in box.get_points()]}))
)PY";

TEST(PowerLineSheets, SheetDrawingMatchesTheLayout)
{
    const test::ProgramRun python =
        test::RunPythonProgram({QStringLiteral("-c"), QString::fromUtf8(SheetTexts), ProgramFile(PowerLineSheetName)});
    ASSERT_EQ(python.status, 0) << python.diagnosis().toStdString();
    const QJsonObject sheet = QJsonDocument::fromJson(python.out).object();
    QHash<QString, QPointF> at;
    for (const QJsonValue &t : sheet["texts"].toArray())
        at.insert(t[0].toString(), {t[1].toDouble(), t[2].toDouble()});

    // Each column heading stands over the column its cells are written into.
    namespace L = SheetLayout;
    const QStringList headings = {"点名", "累距", "间距", "高程", "地面情况", "地上情况", "地物转角", "路线转角",
                                  "横断左", "横断右", "备注"};
    std::vector<double> starts = {L::NameX};
    starts.insert(starts.end(), L::ColumnX.begin(), L::ColumnX.end());
    for (int i = 0; i < headings.size(); ++i) {
        ASSERT_TRUE(at.contains(headings[i])) << headings[i].toStdString();
        const QPointF p = at.value(headings[i]);
        EXPECT_GT(p.x(), starts[i]) << headings[i].toStdString();
        if (i + 1 < headings.size())
            EXPECT_LT(p.x(), starts[i + 1]) << headings[i].toStdString();
        EXPECT_GT(p.y(), L::TableTop + L::TableTextHeight) << headings[i].toStdString(); // above the first row
    }
    EXPECT_NEAR(at.value(QStringLiteral("纵断面")).x(), L::ProfileCentre, 1e-9);
    EXPECT_NEAR(at.value(QStringLiteral("平面")).x(), L::PlanCentre, 1e-9);
    // The page number is written between "第" and "页".
    EXPECT_LT(at.value(QStringLiteral("第")).x(), L::PageNumberX);
    EXPECT_GT(at.value(QStringLiteral("页")).x(), L::PageNumberX + 3);
    EXPECT_EQ(at.value(QStringLiteral("第")).y(), L::PageNumberY);
    // The frame holds both strips and stays below the next page.
    const QJsonArray frame = sheet["frame"].toArray();
    ASSERT_EQ(frame.size(), 4);
    EXPECT_GE(frame[2][0].toDouble(), L::PlanCentre + L::PlanHalfWidth);
    EXPECT_GT(frame[2][1].toDouble(), L::PageNumberY + L::TableTextHeight);
    EXPECT_LT(frame[2][1].toDouble(), L::PageStep);
}

} // namespace

int main(int argc, char **argv)
{
    // The files beside the program are found from the application's folder.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
