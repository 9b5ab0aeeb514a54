// A drawing made by the program drawn through the scripted CAD session: each entity by the call
// that draws it, on its layer, with the user's layer current again at the end.
#include "cad/CadSession.h"
#include "cad/DrawThroughCad.h"

#include <gtest/gtest.h>

using namespace quorvil;

namespace {

DxfEntity Entity(DxfType type, const char *layer)
{
    DxfEntity e;
    e.type = type;
    e.layer = QString::fromUtf8(layer);
    return e;
}

TEST(DrawThroughCad, EachEntityOnItsLayerThenTheUsersLayerAgain)
{
    DxfDocument drawing = NewDxfDocument();
    drawing.ensureLayer(QStringLiteral("观测边")).color = 8;
    drawing.ensureLayer(QStringLiteral("点名")).color = 7;
    DxfEntity line = Entity(DxfType::Line, "观测边");
    line.p = {1, 2, 5}, line.q = {3, 4, 5};
    DxfEntity square = Entity(DxfType::Polyline, "观测边");
    square.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    square.closed = true;
    DxfEntity name = Entity(DxfType::Text, "点名");
    name.p = {7, 8, 0}, name.text = QStringLiteral("J1"), name.height = 2.5;
    DxfEntity ellipse = Entity(DxfType::Ellipse, "误差椭圆"); // a layer the drawing does not list
    ellipse.p = {10, 20, 0}, ellipse.q = {3, 0, 0}, ellipse.ratio = 0.5;
    DxfEntity circle = Entity(DxfType::Circle, "误差椭圆");
    circle.p = {10, 20, 0}, circle.radius = 1.5;
    DxfEntity point = Entity(DxfType::Point, "误差椭圆"); // not drawn through the session
    drawing.entities = {line, square, name, ellipse, circle, point};

    ScriptedCadSession cad;
    std::vector<int> progress;
    DrawThroughCad(cad, drawing, [&](int percent) { progress.push_back(percent); });

    const struct {
        const char *name;
        std::vector<CadPoint> points;
        std::vector<double> numbers;
        QStringList texts;
    } expected[] = {
        {"SetActiveLayer", {}, {8}, {"观测边"}},
        {"AddLine", {{1, 2, 0}, {3, 4, 0}}, {}, {}},
        {"AddLightWeightPolyLine", {}, {0, 0, 1, 0, 1, 1, 0, 0}, {}}, // closed: back to the first vertex
        {"SetActiveLayer", {}, {7}, {"点名"}},
        {"AddText", {{7, 8, 0}}, {2.5}, {"J1"}},
        {"SetActiveLayer", {}, {7}, {"误差椭圆"}},
        {"AddEllipse", {{10, 20, 0}, {3, 0, 0}}, {0.5}, {}},
        {"AddCircle", {{10, 20, 0}}, {1.5}, {}},
        {"SetActiveLayer", {}, {7}, {"0"}}, // the layer that was current before
    };
    ASSERT_EQ(cad.calls().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto &call = cad.calls()[i];
        EXPECT_EQ(call.name, QString::fromUtf8(expected[i].name)) << "call " << i;
        EXPECT_EQ(call.points, expected[i].points) << "call " << i;
        EXPECT_EQ(call.numbers, expected[i].numbers) << "call " << i;
        EXPECT_EQ(call.texts, expected[i].texts) << "call " << i;
    }
    EXPECT_EQ(progress, (std::vector<int>{16, 33, 50, 66, 83, 100}));
}

TEST(DrawThroughCad, AnEmptyDrawingLeavesTheLayerAlone)
{
    ScriptedCadSession cad;
    DrawThroughCad(cad, NewDxfDocument());
    EXPECT_TRUE(cad.calls().empty());
}

} // namespace
