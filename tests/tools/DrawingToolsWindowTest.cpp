// The three picking loops in the real drawing window, as a surveyor uses them: click the point
// (snapped to a drawn feature), type the name on the command line or press Enter, click where the
// label goes, press Esc to finish. The rows, marks and labels stay; the drawing is saved and read
// back with ezdxf.
#include "app/TFormMain.h"
#include "core/DrawingLabels.h"
#include "core/TextForms.h"
#include "io/dxf/DxfWriter.h"
#include "io/IniFile.h"
#include "support/WindowTestSupport.h"
#include "tools/BZBL/TFormBZBL.h"
#include "tools/CADpoint/TFormCADpoint.h"
#include "ui/drawing/DrawingScene.h"
#include "ui/drawing/DrawingView.h"
#include "ui/drawing/TFormDrawing.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace quorvil;
using namespace quorvil::test;

namespace {

// Features to snap to: a survey point and the end of a line.
const QPointF Station(500100.5, 3380200.25);
const QPointF LineEnd(500180.75, 3380140.5);

// Answers the drawing window's prompts one at a time while a command runs, as a user would. A
// prompt left when the steps are used up is cancelled with Esc and counted as an overrun.
class User : public QObject {
public:
    User(TFormDrawing &drawing, QList<std::function<void()>> steps) : m_drawing(drawing), m_steps(std::move(steps))
    {
        m_history = drawing.findChild<QPlainTextEdit *>("CommandHistory");
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_timer.start(5);
    }
    bool finished() const { return m_steps.isEmpty() && !m_overrun; }

private:
    void tick()
    {
        if (!m_drawing.isPrompting())
            return;
        const int lines = m_history->blockCount();
        if (lines == m_answeredAt) // the answer to this prompt is still on its way
            return;
        m_answeredAt = lines;
        if (m_steps.isEmpty()) {
            m_overrun = true;
            QTest::keyClick(m_drawing.findChild<QLineEdit *>("EditCommand"), Qt::Key_Escape);
            return;
        }
        m_steps.takeFirst()();
    }

    TFormDrawing &m_drawing;
    QList<std::function<void()>> m_steps;
    QPlainTextEdit *m_history = nullptr;
    QTimer m_timer;
    int m_answeredAt = -1;
    bool m_overrun = false;
};

std::function<void()> ClickNear(TFormDrawing &drawing, QPointF target)
{
    return [&drawing, target] {
        DrawingView *view = drawing.view();
        const QPoint at = (view->viewAt(drawing.scene()->toScene(target)) + QPointF(3, -2)).toPoint();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    };
}

std::function<void()> Type(TFormDrawing &drawing, const QString &text)
{
    return [&drawing, text] {
        auto *edit = drawing.findChild<QLineEdit *>("EditCommand");
        edit->insert(text);
        QTest::keyClick(edit, Qt::Key_Return);
    };
}

std::function<void()> Esc(TFormDrawing &drawing)
{
    return [&drawing] { QTest::keyClick(drawing.findChild<QLineEdit *>("EditCommand"), Qt::Key_Escape); };
}

// The drawing as ezdxf reads it back.
const char *const ReadBack = R"PY(
import json, sys, ezdxf
msp = ezdxf.readfile(sys.argv[1]).modelspace()
print(json.dumps({
    'texts': [[e.dxf.text, round(e.dxf.insert.x, 6), round(e.dxf.insert.y, 6), e.dxf.height] for e in msp.query('TEXT')],
    'circles': [[round(e.dxf.center.x, 6), round(e.dxf.center.y, 6), e.dxf.radius] for e in msp.query('CIRCLE')],
    'hatches': [e.dxf.pattern_name for e in msp.query('HATCH')],
    'points': len(msp.query('POINT')),
    'lines': len(msp.query('LINE')),
    'polylines': len(msp.query('LWPOLYLINE')),
}))
)PY";

QJsonObject ReadWithEzdxf(const QString &path) { return RunPythonJson(ReadBack, {path}); }

QJsonArray TextRow(const QString &text, double x, double y, double height)
{
    return {text, std::round(x * 1e6) / 1e6, std::round(y * 1e6) / 1e6, height};
}

} // namespace

class DrawingToolsWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TFormDrawing> m_drawing;

private slots:
    void initTestCase()
    {
        SetSettingsFilePath(m_dir.filePath("Quorvil.ini"));
        m_prompts = std::make_unique<ScriptedPrompts>();
        DxfDocument site = NewDxfDocument();
        site.setVariable("LTSCALE", 2);
        DxfEntity point;
        point.type = DxfType::Point;
        point.p = {Station.x(), Station.y()};
        DxfEntity line;
        line.type = DxfType::Line;
        line.p = {500060, 3380100};
        line.q = {LineEnd.x(), LineEnd.y()};
        site.entities = {point, line};
        const QString path = m_dir.filePath("site.dxf");
        WriteDxf(site, path);
        m_drawing = std::make_unique<TFormDrawing>(nullptr);
        m_drawing->resize(1000, 760);
        m_drawing->show();
        m_drawing->openFile(path);
        m_drawing->zoomExtents();
        QCOMPARE(CadSession::active(), static_cast<CadSession *>(m_drawing.get()));
    }

    void cleanupTestCase()
    {
        m_drawing.reset();
        m_prompts.reset();
    }

    void capturePointsByClickAndName()
    {
        TFormDrawing &d = *m_drawing;
        TFormCADpoint window(nullptr);
        User user(d, {Type(d, "y"), Type(d, ""), ClickNear(d, Station), Type(d, QStringLiteral("界桩2")),
                      ClickNear(d, LineEnd), Esc(d)});
        QVERIFY(Press(&window, "Button8"));
        QVERIFY(user.finished());
        QVERIFY(m_prompts->errors.isEmpty());
        QCOMPARE(Rows(&window, "StringGrid1"), (QList<QStringList>{{"J1", "3380200.250", "  500100.500", "   0.000"},
                                                                    {"界桩2", "3380140.500", "  500180.750", "   0.000"}}));
    }

    void geographicLabelsByTwoClicks()
    {
        TFormDrawing &d = *m_drawing;
        TFormBZBL window(nullptr);
        SetField(&window, "EditYY", "38000000");
        SetField(&window, "EditTxtH", "3");
        const QPointF labelAt(500130, 3380230);
        User user(d, {ClickNear(d, Station), ClickNear(d, labelAt), Esc(d)});
        QVERIFY(Press(&window, "Button1"));
        QVERIFY(user.finished());
        QVERIFY(m_prompts->errors.isEmpty());
    }

    void planeLabelsFromTheMainWindow()
    {
        TFormDrawing &d = *m_drawing;
        TFormMain main;
        const QPointF labelAt(500200, 3380120);
        User user(d, {ClickNear(d, LineEnd), ClickNear(d, labelAt), Esc(d)});
        QVERIFY(Press(&main, "bzXYClick"));
        QVERIFY(user.finished());
        QVERIFY(m_prompts->errors.isEmpty());
    }

    // Everything the three loops drew, saved and read back with ezdxf.
    void drawingSavedAndReadBack()
    {
        const QString path = m_dir.filePath("labelled.dxf");
        m_drawing->saveFile(path);
        m_drawing->zoomExtents();
        const QJsonObject dxf = ReadWithEzdxf(path);
        QVERIFY2(!dxf.contains("error"), qPrintable(dxf["error"].toString()));

        // Capture marks: a point, a circle of half "LtScale" and the name 3 "LtScale" high.
        // Geographic label: the filled dot of radius 2.4 and the two texts; the clicked label
        // position comes back from the texts themselves.
        const QJsonArray texts = dxf["texts"].toArray();
        QCOMPARE(texts.size(), 2 + 2 + 2);
        QCOMPARE(texts[0].toArray(), TextRow("J1", Station.x() + 2, Station.y() + 2, 6));
        QCOMPARE(texts[1].toArray(), TextRow("界桩2", LineEnd.x() + 2, LineEnd.y() + 2, 6));
        const Ellipsoid krasovsky{6378245, TextToNumber("6356863.0187730473")};
        const GeographicLabel geo = GeographicLabelOf(krasovsky, Station.y(), Station.x() + 38000000, 3, 0);
        QCOMPARE(texts[2].toArray()[0].toString(), QString::fromStdString(geo.east));
        QCOMPARE(texts[3].toArray()[0].toString(), QString::fromStdString(geo.north));
        QCOMPARE(texts[2].toArray()[1].toDouble(), texts[3].toArray()[1].toDouble());
        QVERIFY(std::fabs(texts[2].toArray()[2].toDouble() - texts[3].toArray()[2].toDouble() - 1.6 * 3) < 1e-5);
        QCOMPARE(texts[4].toArray()[0].toString(), QStringLiteral("X=3380140.500"));
        QCOMPARE(texts[5].toArray()[0].toString(), QStringLiteral("Y=500180.750"));
        QCOMPARE(texts[4].toArray()[3].toDouble(), 8.0);

        QCOMPARE(dxf["circles"].toArray(), (QJsonArray{QJsonArray{Station.x(), Station.y(), 1},
                                                        QJsonArray{LineEnd.x(), LineEnd.y(), 1},
                                                        QJsonArray{Station.x(), Station.y(), 2.4}}));
        QCOMPARE(dxf["hatches"].toArray(), QJsonArray{"SOLID"});
        QCOMPARE(dxf["points"].toInt(), 1 + 2); // the site's point and the two captured
        QCOMPARE(dxf["lines"].toInt(), 1 + 2);  // the site's line and the plane label's leader
        QCOMPARE(dxf["polylines"].toInt(), 0);  // no leader for the geographic label
    }
};

QTEST_MAIN(DrawingToolsWindowTest)
#include "DrawingToolsWindowTest.moc"
