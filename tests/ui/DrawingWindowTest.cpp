// The drawing window as the tools and the user meet it: picks by mouse with object snap, typed
// answers and Esc on the command line, the calls the tools make, opening, saving and bad files.
#include "io/dxf/DxfReader.h"
#include "io/dxf/DxfWriter.h"
#include "support/WindowTestSupport.h"
#include "ui/CadAttach.h"
#include "ui/drawing/DrawingScene.h"
#include "ui/drawing/DrawingView.h"
#include "ui/drawing/TFormDrawing.h"

#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quorvil;
using namespace quorvil::test;

namespace {

// A site drawing in survey-sized coordinates: a line, a circle, a text and a point.
constexpr double E = 412000, N = 3512000;

DxfDocument Site()
{
    DxfDocument doc = NewDxfDocument();
    doc.setVariable("LTSCALE", 2.5);
    auto add = [&](DxfType type, auto fill) {
        DxfEntity e;
        e.type = type;
        fill(e);
        doc.entities.push_back(e);
    };
    add(DxfType::Line, [](DxfEntity &e) { e.p = {E, N}, e.q = {E + 100, N + 50}; });
    add(DxfType::Circle, [](DxfEntity &e) { e.p = {E + 200, N + 100}, e.radius = 10; });
    add(DxfType::Text, [](DxfEntity &e) { e.p = e.q = {E + 50, N + 150}, e.height = 5, e.text = "控制点"; });
    add(DxfType::Point, [](DxfEntity &e) { e.p = {E + 300, N + 20}; });
    return doc;
}

// An entity kept as read, from its group codes.
DxfEntity Kept(std::vector<std::pair<int, std::string>> raw)
{
    DxfEntity e;
    e.type = DxfType::Other;
    e.raw = std::move(raw);
    return e;
}

DxfEntity TextAt(const QString &text, double x, double y, double height)
{
    DxfEntity e;
    e.type = DxfType::Text;
    e.p = e.q = {x, y, 0};
    e.height = height;
    e.text = text;
    return e;
}

// The drawing as the window paints it, `area` (drawing coordinates, Y up) filling a square image.
QImage Render(const DxfDocument &doc, const QRectF &area, int pixels = 400)
{
    DrawingScene scene;
    scene.load(doc);
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    const double k = pixels / area.width();
    const QTransform toDevice(k, 0, 0, -k, -(area.left() - scene.origin().x()) * k, (area.bottom() - scene.origin().y()) * k);
    scene.paintDrawing(&painter, toDevice, toDevice.inverted().mapRect(QRectF(image.rect())));
    return image;
}

DxfDocument With(std::initializer_list<DxfEntity> entities)
{
    DxfDocument doc = NewDxfDocument();
    doc.entities = entities;
    return doc;
}

// The lit pixels' bounds, in drawing coordinates of `area` rendered as by Render().
QRectF Ink(const QImage &image, const QRectF &area)
{
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 40)
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    if (right < 0)
        return {};
    const double k = area.width() / image.width();
    return QRectF(QPointF(area.left() + left * k, area.bottom() - (bottom + 1) * k), QPointF(area.left() + (right + 1) * k, area.bottom() - top * k));
}

bool Lit(const QImage &image, const QRectF &area, const QPointF &at)
{
    const double k = image.width() / area.width();
    const QPoint p(int((at.x() - area.left()) * k), int((area.bottom() - at.y()) * k));
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(p + QPoint(dx, dy)) && qGray(image.pixel(p + QPoint(dx, dy))) > 40)
                return true;
    return false;
}

// Runs `answer` once the prompt waits, then the prompt itself.
template <typename Prompt>
auto WhileWaiting(std::function<void()> answer, Prompt prompt)
{
    QTimer::singleShot(0, answer);
    return prompt();
}

} // namespace

class DrawingWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_site;

private slots:
    void initTestCase()
    {
        m_site = m_dir.filePath("site.dxf");
        WriteDxf(Site(), m_site);
    }

    // A click a few pixels off a feature returns the snapped point exactly; with snap off, the cursor.
    void pickByMouseClickSnaps()
    {
        TFormDrawing window(nullptr);
        window.show();
        window.openFile(m_site);
        QCOMPARE(window.windowTitle(), QString("图形窗口 - site.dxf"));
        DrawingView *view = window.view();
        const struct {
            const char *label;
            QPointF target;
        } cases[] = {
            {"line end", {E, N}}, {"line end 2", {E + 100, N + 50}}, {"line midpoint", {E + 50, N + 25}},
            {"circle centre", {E + 200, N + 100}}, {"text insertion", {E + 50, N + 150}}, {"point", {E + 300, N + 20}},
        };
        for (const auto &c : cases) {
            const QPoint at = (view->viewAt(window.scene()->toScene(c.target)) + QPointF(4, -3)).toPoint();
            const CadPoint p = WhileWaiting([&] { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at); },
                                            [&] { return window.GetPoint(QStringLiteral("请从屏幕取点")); });
            QVERIFY2(p.x == c.target.x() && p.y == c.target.y(),
                     qPrintable(QString("%1: %2,%3").arg(c.label).arg(p.x, 0, 'f', 6).arg(p.y, 0, 'f', 6)));
        }
        // Snap off: the cursor position, within a pixel.
        window.findChild<QAction *>("SnapClick")->trigger();
        const QPoint at = (view->viewAt(window.scene()->toScene({E, N})) + QPointF(4, -3)).toPoint();
        const CadPoint p = WhileWaiting([&] { QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at); },
                                        [&] { return window.GetPoint(QStringLiteral("请从屏幕取点")); });
        const double pixel = 1 / view->pixelsPerUnit();
        QVERIFY(std::fabs(p.x - (E + 4 * pixel)) < pixel && std::fabs(p.y - (N + 3 * pixel)) < pixel);
    }

    // Typed answers on the command line, Esc, and the history of what was asked and answered.
    void commandLineAnswersAndEsc()
    {
        TFormDrawing window(nullptr);
        window.show();
        auto *edit = window.findChild<QLineEdit *>("EditCommand");
        auto *history = window.findChild<QPlainTextEdit *>("CommandHistory");
        QVERIFY(edit && history);
        auto type = [&](const QStringList &lines) {
            return [=] {
                for (const QString &line : lines) {
                    edit->insert(line); // typed (QTest types ASCII only)
                    QTest::keyClick(edit, Qt::Key_Return);
                }
            };
        };
        const struct {
            const char *label;
            QStringList typed;
            std::optional<CadPoint> base;
            CadPoint expected;
        } points[] = {
            {"x,y", {"12.5,-3"}, {}, {12.5, -3, 0}},
            {"x,y,z", {" 3512000.125 , 412000.5 ,7"}, {}, {3512000.125, 412000.5, 7}},
            {"relative to the base", {"@1,2"}, CadPoint{10, 10, 0}, {11, 12, 0}},
            {"not a point, then one", {"abc", "1,2"}, {}, {1, 2, 0}},
        };
        for (const auto &c : points) {
            const CadPoint p = WhileWaiting(type(c.typed), [&] {
                return c.base ? window.GetPoint(*c.base, "请点取标注位置:") : window.GetPoint("请点取坐标点位:");
            });
            QVERIFY2(p == c.expected, c.label);
        }
        QVERIFY(history->toPlainText().contains("需要点"));
        const struct {
            const char *label;
            bool spaces;
            QString typed;
            QString expected;
        } texts[] = {{"spaces kept", true, "测站 J1", "测站 J1"}, {"space ends", false, "A B", "A"}, {"just Enter", true, "", ""}};
        for (const auto &c : texts) {
            const QString s = WhileWaiting(type({c.typed}), [&] { return window.GetString(c.spaces, "请输入点名:(J1)"); });
            QCOMPARE(s, c.expected);
        }
        QVERIFY(history->toPlainText().contains("请输入点名:(J1) 测站 J1"));
        QVERIFY(history->toPlainText().contains("请点取标注位置: 11.000,12.000"));

        // Esc on the command line or in the view cancels with the one cancellation error.
        for (QWidget *target : {static_cast<QWidget *>(edit), static_cast<QWidget *>(window.view())}) {
            bool cancelled = false;
            try {
                WhileWaiting([&] { QTest::keyClick(target, Qt::Key_Escape); }, [&] { return window.GetPoint("请从屏幕取点"); });
            } catch (const CadCancelled &) {
                cancelled = true;
            }
            QVERIFY(cancelled);
        }
        QVERIFY(history->toPlainText().endsWith("请从屏幕取点 *取消*"));
        QVERIFY(!window.isPrompting());

        // The arrow keys bring back what was typed.
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), QString("A B"));
        edit->clear();
    }

    // The calls of the drawing tools: variables, entities, a filled dot, an inserted sheet; all
    // saved and read back. Attaching needs the window shown.
    void sessionCallsDrawAndSave()
    {
        ScriptedPrompts prompts;
        QWidget owner;
        QVERIFY(!CadSession::active());
        prompts.messageAnswers = {QMessageBox::No};
        QVERIFY(!AttachCad(&owner));
        QCOMPARE(prompts.messages, QStringList{"图形窗口尚未打开！\n现在打开图形窗口吗？"});

        TFormDrawing *window = TFormDrawing::instance(&owner);
        QCOMPARE(TFormDrawing::instance(&owner), window);
        window->show();
        QCOMPARE(AttachCad(&owner), static_cast<CadSession *>(window));
        CadSession &cad = *window;
        QCOMPARE(cad.GetVariable("LtScale"), 1.0);
        window->openFile(m_site);
        QCOMPARE(cad.GetVariable("LtScale"), 2.5);

        const std::size_t before = window->document().entities.size();
        cad.Update(cad.AddPoint({1, 2, 3}));
        cad.Update(cad.AddCircle({1, 2, 0}, 0.5));
        cad.AddLine({0, 0, 0}, {3, 4, 0});
        cad.AddLightWeightPolyLine({0, 0, 5, 5, 10, 0});
        cad.AddText("N30°15′20″", {4, 5, 0}, 6);
        const CadHandle dot = cad.AddCircle({7, 7, 0}, 2.4);
        const CadHandle hatch = cad.AddHatch(0, "SOLID", true);
        cad.AppendOuterLoop(hatch, {dot});
        cad.InsertBlock({0, 200, 0}, m_site, 1, 1, 1, 0);
        cad.InsertBlock({0, 400, 0}, m_site, 1, 1, 1, 0); // the same sheet again: one block
        QVERIFY(window->isModified() && window->windowTitle().endsWith("*"));
        QVERIFY_THROWS_EXCEPTION(CadError, cad.Update(999999));

        const QString saved = m_dir.filePath("tools.dxf");
        window->saveFile(saved);
        const DxfDocument back = ReadDxf(saved);
        QCOMPARE(back.entities.size(), before + 9);
        const DxfType expected[] = {DxfType::Point, DxfType::Circle, DxfType::Line, DxfType::Polyline, DxfType::Text,
                                    DxfType::Circle, DxfType::Hatch, DxfType::Insert, DxfType::Insert};
        for (std::size_t i = 0; i < std::size(expected); ++i)
            QCOMPARE(int(back.entities[before + i].type), int(expected[i]));
        QCOMPARE(back.entities[before + 4].text, QString("N30°15′20″"));
        QCOMPARE(back.entities[before + 6].loops.size(), std::size_t(1));
        QCOMPARE(back.entities[before + 8].block, QString("site"));
        QCOMPARE(back.block("site")->entities.size(), Site().entities.size());
        QCOMPARE(back.variable("LtScale", 0), 2.5);

        window->close();
        QVERIFY(!CadSession::active());
        QVERIFY_THROWS_EXCEPTION(CadCancelled, cad.GetPoint("请从屏幕取点"));
    }

    // Bad files leave the drawing shown; a modified drawing asks before it goes; save as asks
    // before overwriting.
    void openSaveAndBadFiles()
    {
        ScriptedPrompts prompts;
        TFormDrawing window(nullptr);
        window.show();
        window.openFile(m_site);
        const QString garbage = WriteFile(m_dir.filePath("bad.dxf"), "this is not a drawing\n");
        prompts.openAnswers = {garbage};
        window.findChild<QAction *>("OpenDrawingClick")->trigger();
        QCOMPARE(prompts.errors.size(), 1);
        QVERIFY(prompts.errors[0].contains("不是DXF"));
        QCOMPARE(prompts.openDialogs.value(0).allFilters(), QString("DXF 图形 (*.dxf);;所有文件 (*)"));
        QCOMPARE(window.fileName(), m_site);
        QCOMPARE(window.document().entities.size(), Site().entities.size());

        // A file cut short opens as far as it is sound, with a message.
        const QByteArray whole = ReadFile(m_site);
        const QString cut = WriteFile(m_dir.filePath("cut.dxf"), whole.left(whole.lastIndexOf("POINT")));
        prompts.openAnswers = {cut};
        window.findChild<QAction *>("OpenDrawingClick")->trigger();
        QCOMPARE(window.fileName(), cut);
        QCOMPARE(window.document().entities.size(), Site().entities.size() - 1);
        QVERIFY(prompts.messages.last().contains("不完整"));

        window.AddLine({0, 0, 0}, {1, 1, 0});
        prompts.messageAnswers = {QMessageBox::Cancel, QMessageBox::No};
        window.findChild<QAction *>("NewDrawingClick")->trigger(); // cancelled: the drawing stays
        QCOMPARE(window.fileName(), cut);
        window.findChild<QAction *>("NewDrawingClick")->trigger();
        QVERIFY(window.fileName().isEmpty() && window.document().entities.empty());
        QCOMPARE(window.windowTitle(), QString("图形窗口 - 未命名"));

        prompts.saveAnswers = {m_site};
        prompts.overwriteAnswers = {false};
        window.findChild<QAction *>("SaveDrawingAsClick")->trigger();
        QCOMPARE(prompts.saveDialogs.value(0).allFilters(), QString("DXF 图形 (*.dxf)"));
        QCOMPARE(prompts.overwriteQuestions, 1);
        QCOMPARE(ReadFile(m_site), whole); // declined: the old file stays
        const QString fresh = m_dir.filePath("fresh");
        prompts.saveAnswers = {fresh};
        window.findChild<QAction *>("SaveDrawingAsClick")->trigger();
        QCOMPARE(window.fileName(), fresh + ".dxf");
        QVERIFY(QFile::exists(fresh + ".dxf"));
    }

    // Self-inserting and deeply nested blocks draw as far as they are sound, without hanging.
    void recursiveBlocksStop()
    {
        DxfDocument doc = NewDxfDocument();
        DxfEntity line;
        line.type = DxfType::Line, line.q = {1, 1};
        for (int i = 0; i < 3000; ++i) {
            DxfEntity insert;
            insert.type = DxfType::Insert, insert.block = QString("B%1").arg(i + 1), insert.p = {1, 0};
            doc.blocks.push_back({QString("B%1").arg(i), 0, {}, {line, insert}});
        }
        DxfEntity self;
        self.type = DxfType::Insert, self.block = "SELF";
        doc.blocks.push_back({"SELF", 0, {}, {line, self}});
        DxfEntity top;
        top.type = DxfType::Insert, top.block = "B0";
        doc.entities = {top};
        top.block = "SELF";
        doc.entities.push_back(top);
        DrawingScene scene;
        scene.load(doc);
        QVERIFY(scene.itemCount() > 0 && scene.itemCount() < 100);
    }

    // A drawing made by ezdxf with every entity type, grabbed to a PNG that is not blank.
    void everyEntityTypeDrawn()
    {
        const QString source = m_dir.filePath("all.dxf");
        const ProgramRun python = RunPythonProgram({QUORVIL_TEST_SOURCE_DIR "/io/ezdxf_reference.py", "make", source, "R2018"});
        QVERIFY2(python.status == 0, qPrintable(python.diagnosis()));
        TFormDrawing window(nullptr);
        window.resize(900, 640);
        window.show();
        window.openFile(source);
        QCOMPARE(window.scene()->itemCount(), 12); // the spline is kept, not drawn; the frozen and off layers are hidden
        const QString png = qEnvironmentVariable("QUORVIL_SHOTS", m_dir.path()) + "/drawing-window.png";
        QVERIFY(GrabTo(&window, png));
        const QImage image = window.view()->viewport()->grab().toImage();
        int lit = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                lit += image.pixelColor(x, y).lightness() > 120;
        QVERIFY2(lit > 200, qPrintable(QString::number(lit)));
    }

    // %%c %%d %%p %%% are drawn exactly as Ø ° ± %; %%u and %%o draw a line under and over.
    void textSymbolsDrawn()
    {
        const QRectF area(-5, -20, 100, 100);
        const QImage codes = Render(With({TextAt("%%c12 90%%d %%p0.5 50%%%", 0, 0, 5)}), area);
        const QImage symbols = Render(With({TextAt("Ø12 90° ±0.5 50%", 0, 0, 5)}), area);
        QVERIFY(codes == symbols);
        QVERIFY(codes != Render(With({TextAt("%c12 90%d %p0.5 50%", 0, 0, 5)}), area));
        const QRectF plain = Ink(Render(With({TextAt("AB", 0, 0, 5)}), area), area);
        const QRectF under = Ink(Render(With({TextAt("%%uAB", 0, 0, 5)}), area), area);
        const QRectF over = Ink(Render(With({TextAt("%%oAB%%o", 0, 0, 5)}), area), area);
        QVERIFY2(under.top() < plain.top() - 0.4, qPrintable(QString("%1 %2").arg(under.top()).arg(plain.top())));
        QVERIFY2(over.bottom() > plain.bottom() + 0.4, qPrintable(QString("%1 %2").arg(over.bottom()).arg(plain.bottom())));
    }

    // A Chinese character is one text height square (by its em), a capital one text height high.
    void cjkSizedByTheEm()
    {
        const QRectF area(-5, -5, 40, 40);
        const QRectF capital = Ink(Render(With({TextAt("H", 0, 0, 20)}), area), area);
        const QRectF cjk = Ink(Render(With({TextAt("测", 0, 0, 20)}), area), area);
        QVERIFY2(std::fabs(capital.height() - 20) < 1, qPrintable(QString::number(capital.height())));
        // The ink of a character fills most of its square, never more.
        QVERIFY2(cjk.height() > 15 && cjk.height() < 20.5 && cjk.width() < 20.5,
                 qPrintable(QString("%1 x %2").arg(cjk.width()).arg(cjk.height())));
        // Widths follow the width factor.
        DxfEntity narrow = TextAt("测", 0, 0, 20);
        narrow.widthFactor = 0.5;
        const QRectF half = Ink(Render(With({narrow}), area), area);
        QVERIFY(std::fabs(half.width() - cjk.width() / 2) < 1);
    }

    // SOLID and TRACE are filled, a 3DFACE drawn by its edges; a DIMENSION is drawn from its block, a
    // LEADER as its polyline.
    void keptEntitiesDrawn()
    {
        const QRectF area(0, 0, 100, 100);
        auto quad = [](const char *type, double x) {
            const auto n = [](double v) { return std::to_string(v); };
            return Kept({{0, type}, {8, "0"}, {10, n(x)}, {20, "10"}, {11, n(x + 10)}, {21, "10"}, {12, n(x)}, {22, "20"}, {13, n(x + 10)}, {23, "20"}});
        };
        const DxfEntity face = Kept({{0, "3DFACE"}, {8, "0"}, {10, "70"}, {20, "10"}, {11, "80"}, {21, "10"}, {12, "80"}, {22, "20"}, {13, "70"}, {23, "20"}});
        const QImage quads = Render(With({quad("SOLID", 10), quad("TRACE", 40), face}), area);
        for (double x : {15.0, 45.0})
            QVERIFY2(Lit(quads, area, {x, 15}), qPrintable(QString::number(x)));
        // A 3DFACE by its edges, as CAD programs draw it in plan.
        QVERIFY(Lit(quads, area, {75, 10}) && Lit(quads, area, {70, 15}) && !Lit(quads, area, {75, 15}));

        DxfDocument doc = NewDxfDocument();
        DxfEntity line;
        line.type = DxfType::Line, line.p = {10, 50}, line.q = {90, 50};
        doc.blocks.push_back({"*D1", 1, {}, {line}});
        doc.entities = {Kept({{0, "DIMENSION"}, {8, "0"}, {2, "*D1"}, {10, "90"}, {20, "50"}, {70, "32"}}),
                        Kept({{0, "LEADER"}, {8, "0"}, {76, "3"}, {10, "10"}, {20, "70"}, {10, "30"}, {20, "90"}, {10, "60"}, {20, "90"}})};
        const QImage drawn = Render(doc, area);
        QVERIFY(Lit(drawn, area, {50, 50}));
        QVERIFY(Lit(drawn, area, {20, 80}));
        QVERIFY(Lit(drawn, area, {45, 90}));
        QVERIFY(!Lit(drawn, area, {20, 20}));
    }

    // Text, polylines and hatches seen from below (extrusion 0, 0, -1) are mirrored into the world.
    void planesSeenFromBelow()
    {
        const QRectF area(-50, -50, 100, 100);
        DxfEntity below = TextAt("ABC", 20, 0, 5);
        below.extrusion = {0, 0, -1};
        const QRectF above = Ink(Render(With({TextAt("ABC", 20, 0, 5)}), area), area);
        const QRectF mirrored = Ink(Render(With({below}), area), area);
        QVERIFY2(std::fabs(mirrored.left() + above.right()) < 1 && std::fabs(mirrored.right() + above.left()) < 1,
                 qPrintable(QString("%1..%2 / %3..%4").arg(mirrored.left()).arg(mirrored.right()).arg(above.left()).arg(above.right())));
        QVERIFY(std::fabs(mirrored.top() - above.top()) < 0.5);
        // The glyphs themselves are mirrored: the picture is that of the text above, flipped.
        const QImage flipped = Render(With({TextAt("ABC", 20, 0, 5)}), area).mirrored(true, false);
        const QImage seen = Render(With({below}), area);
        int both = 0, either = 0;
        for (int y = 0; y < seen.height(); ++y)
            for (int x = 1; x < seen.width() - 1; ++x) {
                const bool a = qGray(seen.pixel(x, y)) > 40;
                const bool b = qGray(flipped.pixel(x, y)) > 40 || qGray(flipped.pixel(x - 1, y)) > 40 || qGray(flipped.pixel(x + 1, y)) > 40;
                both += a && b, either += a;
            }
        QVERIFY2(either > 20 && both > 0.9 * either, qPrintable(QString("%1 of %2").arg(both).arg(either)));

        DxfEntity polyline;
        polyline.type = DxfType::Polyline, polyline.vertices = {{10, 10, 0}, {30, 10, 0}}, polyline.extrusion = {0, 0, -1};
        DxfEntity hatch;
        hatch.type = DxfType::Hatch, hatch.loops = {{{10, -30, 0}, {30, -30, 0}, {30, -10, 0}, {10, -10, 0}}}, hatch.extrusion = {0, 0, -1};
        const QImage image = Render(With({polyline, hatch}), area);
        QVERIFY(Lit(image, area, {-20, 10}) && !Lit(image, area, {20, 10}));
        QVERIFY(Lit(image, area, {-20, -20}) && !Lit(image, area, {20, -20}));

        // A polyline in a tilted plane is drawn where it stands in the world: in the plane x = 5
        // (normal 1, 0, 0) it is seen edge on, along the Y axis.
        DxfEntity tilted;
        tilted.type = DxfType::Polyline, tilted.vertices = {{10, 10, 0}, {30, 10, 0}}, tilted.extrusion = {1, 0, 0}, tilted.elevation = 5;
        const QImage edgeOn = Render(With({tilted}), area);
        QVERIFY(Lit(edgeOn, area, {5, 20}) && Lit(edgeOn, area, {5, 28}) && !Lit(edgeOn, area, {20, 10}));
    }

    // Attributes are drawn with their insert, where they stand; an invisible one is not.
    void attributesDrawnUnlessInvisible()
    {
        const QRectF area(-10, -10, 100, 100);
        DxfDocument doc = NewDxfDocument();
        doc.blocks.push_back({"B", 0, {}, {}});
        DxfEntity insert;
        insert.type = DxfType::Insert, insert.block = "B", insert.p = {50, 50};
        DxfEntity shown = TextAt("AB", 0, 0, 8), hidden = TextAt("CD", 0, 40, 8);
        shown.tag = "SHOWN", hidden.tag = "HIDDEN", hidden.attributeFlags = 1;
        insert.attributes = {shown, hidden};
        doc.entities = {insert};
        const QImage image = Render(doc, area);
        QVERIFY(!Ink(image, QRectF(-10, -10, 100, 100)).isEmpty());
        const QRectF ink = Ink(image, area);
        QVERIFY2(ink.bottom() < 20 && ink.left() >= -1, qPrintable(QString("%1 %2").arg(ink.left()).arg(ink.bottom())));
    }

    // Real drawings grabbed to PNG (QUORVIL_SHOTS): a Chinese one and one with dimensions.
    void realDrawingsGrabbed()
    {
        QStringList paths;
        for (const char *name : {"libredwg_2013_gh109_1.dxf", "librecad_dim_sample.dxf", "d9_percent_codes.dxf"})
            paths << QString(QUORVIL_TEST_SOURCE_DIR "/io/data/realdxf/") + name;
        // The larger published ones, when QUORVIL_REALDXF names their folder (a Chinese mechanical drawing).
        for (const char *name : {"mxdraw_cloudcad.dxf", "qcad_flange.dxf"})
            if (const QString more = qEnvironmentVariable("QUORVIL_REALDXF") + "/" + name; QFile::exists(more))
                paths << more;
        for (const QString &path : paths) {
            const QString name = QFileInfo(path).fileName();
            TFormDrawing window(nullptr);
            window.resize(1200, 860);
            window.show();
            window.openFile(path);
            window.zoomExtents();
            const QString png = qEnvironmentVariable("QUORVIL_SHOTS", m_dir.path()) + "/real-" + QFileInfo(name).completeBaseName() + ".png";
            QVERIFY(GrabTo(&window, png));
            const QImage image = window.view()->viewport()->grab().toImage();
            int lit = 0;
            for (int y = 0; y < image.height(); y += 2)
                for (int x = 0; x < image.width(); x += 2)
                    lit += image.pixelColor(x, y).lightness() > 120;
            QVERIFY2(lit > 100, qPrintable(QString("%1: %2").arg(name).arg(lit)));
            QVERIFY(window.windowTitle().endsWith(name));
        }
    }
};

QTEST_MAIN(DrawingWindowTest)
#include "DrawingWindowTest.moc"
