// The plan-and-profile sheets of a power line drawn through the scripted CAD session.
#include "cad/CadSession.h"
#include "cad/PowerLineSheets.h"
#include "io/PowerLineOutput.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

using namespace quorvil;

namespace {

QList<QStringList> EvenRoute(int n)
{
    QList<QStringList> rows;
    for (int i = 0; i < n; ++i) {
        QStringList row(PowerLineColumnCount);
        row[PlName] = QStringLiteral("J%1").arg(i + 1);
        row[PlChainage] = QString::number(10 * i);
        row[PlSpacing] = i == 0 ? QStringLiteral("0") : QStringLiteral("10");
        row[PlElevation] = QString::number(100 + (i % 4) * 2);
        row[PlGround] = QStringLiteral("旱地");
        if (i == 3)
            row[PlFeatureAngle] = QStringLiteral("90");
        rows.append(row);
    }
    return rows;
}

TEST(PowerLineSheets, ThirtyRowsThroughTheSession)
{
    ScriptedCadSession cad;
    const auto entities = PlanProfileSheets(SheetRows(EvenRoute(30)), 10);
    QList<int> pages;
    DrawPowerLineSheets(cad, entities, QStringLiteral("/x/DLXpdm.dxf"), [&](int page) { pages.append(page); });
    EXPECT_EQ(pages, (QList<int>{0, 1}));

    const auto blocks = cad.callsNamed(QStringLiteral("InsertBlock"));
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].points[0], (CadPoint{0, 200, 0}));
    EXPECT_EQ(blocks[1].numbers, (std::vector<double>{1, 1, 1, 0}));
    EXPECT_EQ(blocks[1].texts, QStringList{QStringLiteral("/x/DLXpdm.dxf")});

    // Every line and tick is redrawn at once: an Update right after it, on its handle.
    const auto &calls = cad.calls();
    int lines = 0;
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].name == QLatin1String("AddLine") || calls[i].name == QLatin1String("AddLightWeightPolyLine")) {
            ++lines;
            ASSERT_LT(i + 1, calls.size());
            EXPECT_EQ(calls[i + 1].name, QStringLiteral("Update"));
            EXPECT_EQ(calls[i + 1].handle, calls[i].handle);
        }
    EXPECT_EQ(lines, 2 * 16 + 1);

    const auto drawn = cad.callsNamed(QStringLiteral("AddLine"));
    EXPECT_EQ(drawn[0].points[0].y, 0);        // page 0 starts at y = 0
    EXPECT_EQ(drawn[15].points[1].y, 150);     // ... and leaves at its exit point
    EXPECT_EQ(drawn[16].points[0].y, 200);     // page 1 enters at y = 200
    EXPECT_EQ(drawn[31].points[0].y, 345);     // last row
    EXPECT_EQ(drawn[31].points[1], (CadPoint{drawn[31].points[0].x, 350, 0}));

    const auto ticks = cad.callsNamed(QStringLiteral("AddLightWeightPolyLine"));
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0].numbers, (std::vector<double>{244, 35, 268, 35}));

    // Texts: page number, a table cell, the profile and plan names.
    const auto texts = cad.callsNamed(QStringLiteral("AddText"));
    auto has = [&](const QString &text, double x, double y, double h) {
        for (const auto &t : texts)
            if (t.texts.value(0) == text && t.points[0] == CadPoint{x, y, 0} && t.numbers[0] == h)
                return true;
        return false;
    };
    EXPECT_TRUE(has(QStringLiteral("1"), 240, 165, 3));
    EXPECT_TRUE(has(QStringLiteral("2"), 240, 365, 3));
    EXPECT_TRUE(has(QStringLiteral("旱地"), 84, 133, 3));
    EXPECT_TRUE(has(QStringLiteral("J2"), 256.5, 15, 2));
    EXPECT_TRUE(has(QStringLiteral("J30"), 3, 200 + 143 - 140, 3));
}

TEST(PowerLineSheets, BadCellDrawsNothing)
{
    ScriptedCadSession cad;
    auto rows = EvenRoute(30);
    rows[22][PlElevation] = QString();
    EXPECT_THROW(DrawPowerLineSheets(cad, PlanProfileSheets(SheetRows(rows), 10), QStringLiteral("s.dxf")),
                 ConversionError);
    EXPECT_TRUE(cad.calls().empty());
}

} // namespace
