// The scripted CAD session: every call of the interface is recorded as made, prompts are answered
// from the script, and a prompt without a fitting answer is Esc.
#include "cad/CadSession.h"

#include <gtest/gtest.h>

using namespace quorvil;

TEST(ScriptedCadSession, RecordsEveryCallAndAnswersFromTheScript)
{
    ScriptedCadSession cad;
    cad.setVariable("LTSCALE", 2.5);
    cad.answer(ScriptedCadSession::text("测站 J1"));
    cad.answer(ScriptedCadSession::text("a b"));
    cad.answer(ScriptedCadSession::point(1, 2, 3));
    cad.answer(ScriptedCadSession::point(4, 5));

    EXPECT_EQ(cad.GetVariable("LtScale"), 2.5);
    EXPECT_EQ(cad.GetVariable("Missing"), 1.0);
    EXPECT_EQ(cad.GetString(true, "请输入点名:(J1)"), "测站 J1");
    EXPECT_EQ(cad.GetString(false, "展绘点:Y,不展绘:N(N)"), "a");
    EXPECT_EQ(cad.GetPoint("请从屏幕取点"), (CadPoint{1, 2, 3}));
    EXPECT_EQ(cad.GetPoint({1, 2, 3}, "请点取标注位置:"), (CadPoint{4, 5, 0}));
    const CadHandle point = cad.AddPoint({1, 2, 3});
    const CadHandle circle = cad.AddCircle({1, 2, 0}, 0.5);
    const CadHandle line = cad.AddLine({0, 0, 0}, {3, 4, 0});
    const CadHandle polyline = cad.AddLightWeightPolyLine({0, 0, 5, 5});
    const CadHandle text = cad.AddText("N30°", {4, 5, 0}, 6);
    const CadHandle hatch = cad.AddHatch(0, "SOLID", true);
    cad.AppendOuterLoop(hatch, {circle});
    const CadHandle insert = cad.InsertBlock({0, 200, 0}, "/x/DLXpdm.dxf", 1, 1, 1, 0);
    cad.Update(line);

    // Each call once, in order, with what it was given; handles distinct and never 0.
    const struct {
        const char *name;
        std::vector<CadPoint> points;
        std::vector<double> numbers;
        QStringList texts;
        CadHandle handle;
    } expected[] = {
        {"GetVariable", {}, {2.5}, {"LtScale"}, 0},
        {"GetVariable", {}, {1}, {"Missing"}, 0},
        {"GetString", {}, {1}, {"请输入点名:(J1)"}, 0},
        {"GetString", {}, {0}, {"展绘点:Y,不展绘:N(N)"}, 0},
        {"GetPoint", {}, {}, {"请从屏幕取点"}, 0},
        {"GetPoint", {{1, 2, 3}}, {}, {"请点取标注位置:"}, 0},
        {"AddPoint", {{1, 2, 3}}, {}, {}, point},
        {"AddCircle", {{1, 2, 0}}, {0.5}, {}, circle},
        {"AddLine", {{0, 0, 0}, {3, 4, 0}}, {}, {}, line},
        {"AddLightWeightPolyLine", {}, {0, 0, 5, 5}, {}, polyline},
        {"AddText", {{4, 5, 0}}, {6}, {"N30°"}, text},
        {"AddHatch", {}, {0, 1}, {"SOLID"}, hatch},
        {"AppendOuterLoop", {}, {double(circle)}, {}, hatch},
        {"InsertBlock", {{0, 200, 0}}, {1, 1, 1, 0}, {"/x/DLXpdm.dxf"}, insert},
        {"Update", {}, {}, {}, line},
    };
    ASSERT_EQ(cad.calls().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto &call = cad.calls()[i];
        const auto &e = expected[i];
        EXPECT_EQ(call.name, e.name) << i;
        EXPECT_EQ(call.points, e.points) << e.name;
        EXPECT_EQ(call.numbers, e.numbers) << e.name;
        EXPECT_EQ(call.texts, e.texts) << e.name;
        EXPECT_EQ(call.handle, e.handle) << e.name;
    }
    EXPECT_EQ(cad.callsNamed("GetPoint").size(), 2u);
    for (CadHandle h : {point, circle, line, polyline, text, hatch, insert})
        EXPECT_NE(h, 0u);
}

// Running out of answers, or an answer of the wrong kind, is Esc: the one cancellation error.
TEST(ScriptedCadSession, AMissingOrWrongAnswerCancels)
{
    ScriptedCadSession cad;
    EXPECT_THROW(cad.GetPoint("请从屏幕取点"), CadCancelled);
    cad.answer(ScriptedCadSession::text("x"));
    EXPECT_THROW(cad.GetPoint("请从屏幕取点"), CadCancelled);
    cad.answer(ScriptedCadSession::point(1, 1));
    EXPECT_THROW(cad.GetString(true, "请输入点名:(J1)"), CadCancelled);
    cad.answer(ScriptedCadSession::cancel());
    EXPECT_THROW(cad.GetString(true, "请输入点名:(J1)"), CadCancelled);
    EXPECT_EQ(cad.answersLeft(), 0u);
    // The cancellation is an Error with a message, so a command that does not expect it shows it.
    try {
        throw CadCancelled();
    } catch (const Error &e) {
        EXPECT_STRNE(e.what(), "");
    }
    // Nothing is the active session until a drawing window registers.
    EXPECT_EQ(CadSession::active(), nullptr);
    CadSession::setActive(&cad);
    EXPECT_EQ(CadSession::active(), &cad);
    CadSession::setActive(nullptr);
}
