// The power-line table driven as a user would: import field data, compute the chainage, save,
// change the profile ratio, write the workbook and draw the sheets into a scripted drawing.
#include "app/TFormMain.h"
#include "cad/CadSession.h"
#include "io/PointFile.h"
#include "support/WindowTestSupport.h"
#include "tools/DLXPDB/TFormDLXPDB.h"
#include "tools/DLXPDB/TFormDLXset.h"
#include "ui/drawing/TFormDrawing.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <memory>

using namespace quorvil;
using namespace quorvil::test;

namespace {

const QString Grid = QStringLiteral("StringGrid1");

QString Status(QWidget *w) { return w->findChild<QStatusBar *>(QStringLiteral("StatusBar1"))->currentMessage(); }

// A table window with a route whose chainage is computed, a scripted drawing as the active CAD
// session and scripted prompts, for the length of a test.
struct DrawingBench {
    explicit DrawingBench(const QList<QStringList> &route)
    {
        CadSession::setActive(&cad);
        SetRows(&window, Grid, route);
        Press(&window, QStringLiteral("ToolButton7"));
    }
    ~DrawingBench() { CadSession::setActive(nullptr); }
    ScriptedPrompts prompts;
    ScriptedCadSession cad;
    TFormDLXPDB window{nullptr};
};

// A route of n rows 10 m apart along x with elevations in a saw-tooth.
QList<QStringList> Route(int n)
{
    QList<QStringList> rows;
    for (int i = 0; i < n; ++i)
        rows.append({QStringLiteral("J%1").arg(i + 1), QString::number(3000000 + 10 * i), QStringLiteral("500000"), {}, {},
                     QString::number(100 + (i % 4) * 2), QStringLiteral("旱地"), {}, {}, {}, {}, {}, {}});
    return rows;
}

} // namespace

class TFormDLXPDBTest : public QObject {
    Q_OBJECT

private slots:
    void windowAsItOpens();
    void catalogueOpensIt();
    void fieldDataAndOpenData();
    void chainageAlongTheMainLine();
    void saveWritesThirteenColumns();
    void settingsDialogSetsTheRatio();
    void workbook();
    void drawingNeedsTheDrawingWindow();
    void drawsTwoPagesForThirtyRows();
    void badCellStopsTheDrawing();
    void drawsIntoTheDrawingWindow();

private:
    QTemporaryDir m_dir;
};

void TFormDLXPDBTest::windowAsItOpens()
{
    TFormDLXPDB w(nullptr);
    QCOMPARE(w.objectName(), QStringLiteral("TFormDLXPDB"));
    QCOMPARE(w.windowTitle(), QStringLiteral("电力线平纵断面编辑表"));
    PointTableModel *t = Table(&w, Grid);
    QCOMPARE(t->rows(), 3);
    QCOMPARE(t->captions(), (QStringList{"点名", "X坐标", "Y坐标", "累距", "间距", "高程", "地面情况", "地上情况",
                                         "地物转角", "路线转角", "横断左", "横断右", "备注"}));
    auto *view = w.findChild<QTableView *>(Grid);
    const QList<int> widths = {30, 70, 70, 60, 60, 50, 54, 50, 50, 50, 50, 50, 50};
    // The starting widths, widened only where a caption would not show whole.
    for (int c = 0; c < widths.size(); ++c)
        QVERIFY2(view->columnWidth(c) >= widths[c], qPrintable(QString::number(c)));
    QCOMPARE(view->columnWidth(3), 60);
    QVERIFY(t->isEditable());
    QCOMPARE(view->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);

    const QStringList captions = {"导入外业数据", "打开数据", "添加", "插入", "删除", "清空", "按主线点坐标计算",
                                  "数据另存", "生成Excel表", "生成CAD图表", "设置"};
    for (int i = 0; i < captions.size(); ++i) {
        auto *a = w.findChild<QAction *>(QStringLiteral("ToolButton%1").arg(i + 1));
        QVERIFY2(a, qPrintable(captions[i]));
        QCOMPARE(a->text(), captions[i]);
    }
    QVERIFY(w.findChild<QStatusBar *>(QStringLiteral("StatusBar1")));

    // " 清空 " goes back to three empty rows; 添加, 插入, 删除 are the table's own.
    SetRows(&w, Grid, Route(5));
    Press(&w, QStringLiteral("ToolButton3"));
    QCOMPARE(t->rows(), 6);
    Press(&w, QStringLiteral("ToolButton6"));
    QCOMPARE(t->rows(), 3);
    QCOMPARE(t->cell(0, 0), QString());

    w.show();
    w.resize(1000, 500);
    QCOMPARE(ColumnsCutOff(&w, {Grid}), QString());
}

void TFormDLXPDBTest::catalogueOpensIt()
{
    TFormMain main;
    QAction *item = nullptr;
    for (QAction *a : main.findChildren<QAction *>())
        if (a->objectName() == QStringLiteral("N6Click"))
            item = a;
    QVERIFY(item);
    QVERIFY(item->isEnabled());
    item->trigger();
    QVERIFY(main.findChild<TFormDLXPDB *>(QStringLiteral("TFormDLXPDB")));
}

void TFormDLXPDBTest::fieldDataAndOpenData()
{
    ScriptedPrompts prompts;
    TFormDLXPDB w(nullptr);
    const QString field = WriteFile(m_dir.filePath("field.txt"), "A,1,2,3\r\nB,4\r\n\r\nC,5,6,7,8,9\r\n");
    prompts.openAnswers = {field};
    Press(&w, QStringLiteral("ToolButton1"));
    QCOMPARE(prompts.openDialogs.value(0).title, QStringLiteral("打开坐标数据文件"));
    QCOMPARE(prompts.openDialogs.value(0).filter, QStringLiteral("Text files (*.txt)"));
    const QList<QStringList> want = {
        {"A", "1", "2", "", "", "3", "", "", "", "", "", "", ""},
        {"B", "4", "0", "", "", "0", "", "", "", "", "", "", ""},
        {"", "0", "0", "", "", "0", "", "", "", "", "", "", ""},
        {"C", "5", "6", "", "", "7", "", "", "", "", "", "", ""},
    };
    QCOMPARE(Rows(&w, Grid), want);
    QCOMPARE(Status(&w), field);
    QCOMPARE(w.findChild<PointTableView *>(Grid)->currentDataRow(), 3);

    // An empty file leaves one empty row.
    prompts.openAnswers = {WriteFile(m_dir.filePath("empty.txt"), "")};
    Press(&w, QStringLiteral("ToolButton1"));
    QCOMPARE(Rows(&w, Grid), (QList<QStringList>{QStringList(13)}));

    // 打开数据: all thirteen columns, missing ones "0".
    const QString data = WriteFile(m_dir.filePath("data.txt"), "P1,1,2,3,4,5,水田,房屋,90,,1,2,ZJ1\r\nP2,1\r\n");
    prompts.openAnswers = {data};
    Press(&w, QStringLiteral("ToolButton2"));
    QCOMPARE(Rows(&w, Grid), (QList<QStringList>{{"P1", "1", "2", "3", "4", "5", "水田", "房屋", "90", "", "1", "2", "ZJ1"},
                                                 {"P2", "1", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0"}}));
    QCOMPARE(Status(&w), data);

    // A cancelled dialog changes nothing.
    Press(&w, QStringLiteral("ToolButton2"));
    QCOMPARE(Table(&w, Grid)->rows(), 2);
}

void TFormDLXPDBTest::chainageAlongTheMainLine()
{
    TFormDLXPDB w(nullptr);
    SetRows(&w, Grid, {{"A", "0", "0"}, {"B", "3", "4"}, {"C", "6", "0", {}, {}, {}, {}, {}, {}, {}, {}, {}, "ZJ1"},
                       {"D", "6", "3"}, {"E", "6", "10"}});
    Press(&w, QStringLiteral("ToolButton7"));
    QCOMPARE(Rows(&w, Grid, 3, 2), (QList<QStringList>{{"0", "0"}, {"3", "3"}, {"6", "3"}, {"9", "3"}, {"16", "7"}}));

    // A coordinate that is no number ends the command with the conversion message.
    ScriptedPrompts prompts;
    SetCell(&w, Grid, 3, 1, QStringLiteral("6,5"));
    Press(&w, QStringLiteral("ToolButton7"));
    QCOMPARE(prompts.errors, QStringList{"'6,5' is not a valid floating point value"});
}

void TFormDLXPDBTest::saveWritesThirteenColumns()
{
    ScriptedPrompts prompts;
    TFormDLXPDB w(nullptr);
    SetRows(&w, Grid, {{"A", "1", "2", "0", "0", "5", "水田", "", "", "", "", "", "ZJ"}});
    const QString path = m_dir.filePath("saved.txt");
    prompts.saveAnswers = {path};
    Press(&w, QStringLiteral("ToolButton8"));
    QCOMPARE(prompts.saveDialogs.value(0).filter, QStringLiteral("Text files (*.txt)"));
    QCOMPARE(prompts.saveDialogs.value(0).defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(ReadTextLines(path), QStringList{"A,1,2,0,0,5,水田,,,,,,ZJ"});
}

void TFormDLXPDBTest::settingsDialogSetsTheRatio()
{
    ProfileRatio() = 33;
    TFormDLXPDB w(nullptr);
    QCOMPARE(ProfileRatio(), 10); // a new table window starts from 10

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TFormDLXset *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("Edit1"));
        auto *bar = dialog->findChild<QSlider *>(QStringLiteral("TrackBar1"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("电力线平纵断面设置"));
        QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("草图最大横纵比"));
        QVERIFY(edit->isReadOnly());
        QCOMPARE(edit->text(), QStringLiteral("10"));
        QCOMPARE(bar->minimum(), 1);
        QCOMPARE(bar->maximum(), 50);
        QCOMPARE(bar->value(), 10);
        bar->setValue(3);
        QCOMPARE(edit->text(), QStringLiteral("3"));
        QCOMPARE(ProfileRatio(), 3); // at once, before the dialog closes
        dialog->close();
    });
    Press(&w, QStringLiteral("ToolButton11"));
    QVERIFY(seen);
    QCOMPARE(ProfileRatio(), 3);
}

void TFormDLXPDBTest::workbook()
{
    ScriptedPrompts prompts;
    TFormDLXPDB w(nullptr);
    SetRows(&w, Grid, Route(4));
    const QString path = m_dir.filePath("route.xlsx");
    prompts.saveAnswers = {path};
    Press(&w, QStringLiteral("ToolButton9"));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(prompts.saveDialogs.value(0).title, QStringLiteral("坐标数据另存为..."));
    QCOMPARE(prompts.saveDialogs.value(0).filter, QStringLiteral("Excel 工作簿 (*.xlsx)"));
    QCOMPARE(prompts.saveDialogs.value(0).defaultSuffix, QStringLiteral("xlsx"));
    QVERIFY(ReadFile(path).startsWith("PK"));
    QCOMPARE(Status(&w), QStringLiteral("Excel表生成完毕！"));

    // Declining the overwrite prompt writes nothing.
    WriteFile(path, "old");
    prompts.saveAnswers = {path};
    prompts.overwriteAnswers = {false};
    Press(&w, QStringLiteral("ToolButton9"));
    QCOMPARE(ReadFile(path), QByteArray("old"));

    // A workbook that cannot be written: the message says so and the status does not claim success.
    const QString folder = m_dir.filePath("folder.xlsx");
    QDir().mkpath(folder);
    w.findChild<QStatusBar *>(QStringLiteral("StatusBar1"))->showMessage(QStringLiteral("before"));
    prompts.saveAnswers = {folder};
    prompts.overwriteAnswers = {true};
    Press(&w, QStringLiteral("ToolButton9"));
    QCOMPARE(prompts.errors.size(), 1);
    QVERIFY(prompts.errors[0].contains(QStringLiteral("无法写入")));
    QCOMPARE(Status(&w), QStringLiteral("before"));
}

void TFormDLXPDBTest::drawingNeedsTheDrawingWindow()
{
    ScriptedPrompts prompts;
    TFormDLXPDB w(nullptr);
    SetRows(&w, Grid, Route(3));
    Press(&w, QStringLiteral("ToolButton7"));
    // 否: nothing opens, nothing is drawn.
    prompts.messageAnswers = {QMessageBox::No};
    Press(&w, QStringLiteral("ToolButton10"));
    QCOMPARE(prompts.messages, QStringList{"图形窗口尚未打开！\n现在打开图形窗口吗？"});
    QCOMPARE(prompts.messageCaptions, QStringList{w.windowTitle()});
    QVERIFY(!w.findChild<TFormDrawing *>());
    // 是: the drawing window opens and the sheets are drawn into it.
    prompts.messageAnswers = {QMessageBox::Yes};
    Press(&w, QStringLiteral("ToolButton10"));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    auto *drawing = w.findChild<TFormDrawing *>();
    QVERIFY(drawing && drawing->isVisible());
    QCOMPARE(CadSession::active(), static_cast<CadSession *>(drawing));
    QCOMPARE(Status(&w), QStringLiteral("CAD图表绘制完毕！"));
    drawing->hide();
}

void TFormDLXPDBTest::drawsTwoPagesForThirtyRows()
{
    DrawingBench bench(Route(30));
    auto &[prompts, cad, w] = bench;
    Press(&w, QStringLiteral("ToolButton10"));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(Status(&w), QStringLiteral("CAD图表绘制完毕！"));

    const auto blocks = cad.callsNamed(QStringLiteral("InsertBlock"));
    QCOMPARE(blocks.size(), std::size_t(2));
    QVERIFY(blocks[0].texts.value(0).endsWith(QStringLiteral("/DLXpdm.dxf")));
    QVERIFY(QFile::exists(blocks[0].texts.value(0))); // the sheet drawing stands beside the program
    const auto lines = cad.callsNamed(QStringLiteral("AddLine"));
    QCOMPARE(lines.size(), std::size_t(32));
    QCOMPARE(lines[0].points[0].y, 0.0);
    QCOMPARE(lines[15].points[1].y, 150.0);
    QCOMPARE(lines[16].points[0].y, 200.0);
    QCOMPARE(lines[31].points[0].y, 345.0);
    QCOMPARE(lines[31].points[1].y, 350.0);
    QCOMPARE(lines[31].points[1].x, lines[31].points[0].x);
}

void TFormDLXPDBTest::badCellStopsTheDrawing()
{
    DrawingBench bench(Route(20));
    auto &[prompts, cad, w] = bench;
    SetCell(&w, Grid, 17, 4, QString());
    Press(&w, QStringLiteral("ToolButton10"));
    QCOMPARE(prompts.errors, QStringList{"'' is not a valid floating point value"});
    QVERIFY(cad.calls().empty());
    QVERIFY(Status(&w) != QStringLiteral("CAD图表绘制完毕！"));
}

// The drawing as ezdxf reads it back: inserts, and lines, circles, texts and polylines.
const char *const DrawingReadBack = R"PY(
import json, sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()
out = {'inserts': [[e.dxf.name, e.dxf.insert.x, e.dxf.insert.y, e.dxf.xscale, e.dxf.rotation] for e in msp.query('INSERT')],
       'lines': [[e.dxf.start.x, e.dxf.start.y, e.dxf.end.x, e.dxf.end.y] for e in msp.query('LINE')],
       'circles': len(msp.query('CIRCLE')),
       'texts': [[e.dxf.text, e.dxf.insert.x, e.dxf.insert.y, e.dxf.height] for e in msp.query('TEXT')],
       'ticks': [[list(p)[:2] for p in e.get_points()] for e in msp.query('LWPOLYLINE')]}
out['block'] = len(doc.blocks.get(out['inserts'][0][0])) if out['inserts'] else 0
print(json.dumps(out))
)PY";

void TFormDLXPDBTest::drawsIntoTheDrawingWindow()
{
    ScriptedPrompts prompts;
    TFormDrawing drawing(nullptr);
    drawing.show(); // the open drawing window is the session the tools attach to
    QCOMPARE(CadSession::active(), static_cast<CadSession *>(&drawing));
    TFormDLXPDB w(nullptr);
    auto rows = Route(30);
    rows[3][8] = QStringLiteral("90");
    rows[20][8] = QStringLiteral("0");
    SetRows(&w, Grid, rows);
    Press(&w, QStringLiteral("ToolButton7"));
    Press(&w, QStringLiteral("ToolButton10"));
    QVERIFY2(prompts.errors.isEmpty(), qPrintable(prompts.errors.join(u'\n')));
    QCOMPARE(Status(&w), QStringLiteral("CAD图表绘制完毕！"));

    const QString path = m_dir.filePath("sheets.dxf");
    drawing.saveFile(path);
    const ProgramRun python = RunPythonProgram({QStringLiteral("-c"), QString::fromUtf8(DrawingReadBack), path});
    QVERIFY2(python.status == 0, qPrintable(python.diagnosis()));
    const QJsonObject dxf = QJsonDocument::fromJson(python.out).object();

    const QJsonArray inserts = dxf["inserts"].toArray();
    QCOMPARE(inserts.size(), 2);
    QCOMPARE(inserts[1].toArray(), (QJsonArray{inserts[0][0], 0, 200, 1, 0}));
    QVERIFY(dxf["block"].toInt() > 50); // the whole sheet drawing is its block
    const QJsonArray lines = dxf["lines"].toArray();
    QCOMPARE(lines.size(), 32);
    QCOMPARE(lines[0][1].toDouble(), 0.0);    // page 0 enters at y = 0
    QCOMPARE(lines[15][3].toDouble(), 150.0); // ... and leaves at its exit point
    QCOMPARE(lines[16][1].toDouble(), 200.0); // page 1 enters at y = 200
    QCOMPARE(lines[31][1].toDouble(), 345.0); // last row
    QCOMPARE(lines[31][3].toDouble(), 350.0); // closing line at the same elevation
    QCOMPARE(lines[31][2].toDouble(), lines[31][0].toDouble());
    QCOMPARE(dxf["circles"].toInt(), 60);
    // Two page numbers, 30 rows of name and the filled columns (累距, 间距, 高程, 地面情况 and
    // the two feature angles), and each name twice on the strips.
    const QJsonArray texts = dxf["texts"].toArray();
    QCOMPARE(texts.size(), 2 + 30 * 5 + 2 + 60);
    QVERIFY(texts.contains(QJsonArray{"2", 240, 365, 3}));
    QVERIFY(texts.contains(QJsonArray{QStringLiteral("旱地"), 84, 143, 3}));
    const QJsonArray ticks = dxf["ticks"].toArray();
    QCOMPARE(ticks.size(), 2);
    QCOMPARE(ticks[0].toArray(), (QJsonArray{QJsonArray{244, 35}, QJsonArray{268, 35}}));  // 90°: across the strip
    QCOMPARE(ticks[1].toArray(), (QJsonArray{QJsonArray{256, 267}, QJsonArray{256, 243}})); // 0°: along it
}

QTEST_MAIN(TFormDLXPDBTest)
#include "TFormDLXPDBTest.moc"
