// The drawing window as the tools and the user meet it: picks by mouse with object snap, typed
// answers and Esc on the command line, the calls the tools make, opening, saving and bad files.
#include "io/DxfDocument.h"
#include "support/WindowTestSupport.h"
#include "ui/CadAttach.h"
#include "ui/drawing/DrawingScene.h"
#include "ui/drawing/DrawingView.h"
#include "ui/drawing/TFormDrawing.h"

#include <QLineEdit>
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
        QVERIFY(!AttachCad(&owner));
        QCOMPARE(prompts.messages, QStringList{"图形窗口尚未打开！"});

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
        QProcess python;
        python.start("/usr/bin/python3", {QUORVIL_TEST_SOURCE_DIR "/io/ezdxf_reference.py", "make", source, "R2018"});
        QVERIFY(python.waitForFinished(60000) && python.exitCode() == 0);
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
};

QTEST_MAIN(DrawingWindowTest)
#include "DrawingWindowTest.moc"
