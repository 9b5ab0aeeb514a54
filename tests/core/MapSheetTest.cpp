// Sheet numbers of both numberings: points to numbers, numbers to points, the neighbours across a
// 1:1,000,000 sheet boundary, and the texts and latitudes that have no sheet number.
#include "core/Error.h"
#include "core/MapSheet.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace quorvil;

namespace {

SheetPoint Typed(Real east, Real north) { return {PackedAngleSeconds(east), PackedAngleSeconds(north)}; }

std::string Message(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(MapSheet, PointsTypedAsPackedAngles)
{
    struct Case {
        Real east, north;
        const char *newNumber, *oldNumber;
    };
    const Case cases[] = {
        {114, 34, "I50G048001", "I-50-61-(57)"},       // a sheet corner: the sheet north-east of it
        {114.3026L, 33.3026L, "I50G060009", "I-50-86-(25)"},
        {117.5959L, 39.5959L, "J50G001064", "J-50-8-(8)"},
        {0, 0, "A31G096001", "A-31-133-(57)"},
        {-170, 34, "I2G048065", "I-2-69-(57)"},          // west of Greenwich: column 2 (174° to 168° W)
        {190, 34, "I2G048065", "I-2-69-(57)"},           // the same meridian counted east
        {179.5959L, 87.5959L, "V60G001096", "V-60-12-(8)"},
    };
    for (const Case &c : cases) {
        const SheetPoint p = Typed(c.east, c.north);
        EXPECT_EQ(SheetNumber(SheetNumbering::New, p), c.newNumber) << double(c.east) << "," << double(c.north);
        EXPECT_EQ(SheetNumber(SheetNumbering::Old, p), c.oldNumber) << double(c.east) << "," << double(c.north);
    }
}

TEST(MapSheet, NumbersConvertBetweenNumberings)
{
    const std::pair<const char *, const char *> pairs[] = {
        {"J-50-133-(12)", "J50G090004"}, {"I-50-61-(57)", "I50G048001"}, {"J-50-12-(8)", "J50G001096"},
        {"A-31-133-(57)", "A31G096001"}, {"I-2-69-(57)", "I2G048065"},  {"V-60-1-(1)", "V60G001001"},
        {"K-1-144-(64)", "K1G096096"},
    };
    for (const auto &[oldNumber, newNumber] : pairs) {
        EXPECT_EQ(SheetNumber(SheetNumbering::New, SheetPosition(SheetNumbering::Old, oldNumber)), newNumber) << oldNumber;
        EXPECT_EQ(SheetNumber(SheetNumbering::Old, SheetPosition(SheetNumbering::New, newNumber)), oldNumber) << newNumber;
        EXPECT_EQ(SheetNumber(SheetNumbering::New, SheetPosition(SheetNumbering::New, newNumber)), newNumber) << newNumber;
    }
    // Blanks around the number and small letters read as well.
    EXPECT_EQ(SheetNumber(SheetNumbering::New, SheetPosition(SheetNumbering::New, "  j50g090004 ")), "J50G090004");
}

TEST(MapSheet, NeighboursAcrossMillionSheetBoundaries)
{
    // 114°E 36°N is the south-west corner of J-50: neighbours lie in I-50, I-49 and J-49.
    const auto around = SheetNeighbourhood(SheetNumbering::New, Typed(114, 36));
    const std::array<std::string, 9> expected = {"J49G095096", "J50G095001", "J50G095002",
                                                 "J49G096096", "J50G096001", "J50G096002",
                                                 "I49G001096", "I50G001001", "I50G001002"};
    EXPECT_EQ(around, expected);
    const auto oldAround = SheetNeighbourhood(SheetNumbering::Old, Typed(114, 36));
    const std::array<std::string, 9> oldExpected = {"J-49-144-(56)", "J-50-133-(49)", "J-50-133-(50)",
                                                    "J-49-144-(64)", "J-50-133-(57)", "J-50-133-(58)",
                                                    "I-49-12-(8)",   "I-50-1-(1)",    "I-50-1-(2)"};
    EXPECT_EQ(oldAround, oldExpected);
    // On the equator the southern neighbours have no number.
    const auto equator = SheetNeighbourhood(SheetNumbering::New, Typed(114, 0));
    EXPECT_EQ(equator[4], "A50G096001");
    EXPECT_EQ(equator[6] + equator[7] + equator[8], "");
    EXPECT_EQ(equator[3], "A49G096096");
}

TEST(MapSheet, WhatHasNoSheetNumber)
{
    const std::pair<std::string, std::string> points[] = {
        {Message([] { SheetNumber(SheetNumbering::New, Typed(114, -0.0001L)); }), "赤道以南"},
        {Message([] { SheetNumber(SheetNumbering::Old, Typed(114, 88)); }), "纬度超出"},
        {Message([] { SheetNeighbourhood(SheetNumbering::New, Typed(114, 89)); }), "纬度超出"},
    };
    for (const auto &[message, expected] : points)
        EXPECT_NE(message.find(expected), std::string::npos) << message;

    const char *notOld[] = {"", "J50G090004", "J-50-133-(65)", "J-50-145-(1)", "J-61-1-(1)", "J-0-1-(1)",
                            "W-50-1-(1)", "J-50-133-12", "J-50-133-(12", "J-50-133-(12)x", "-50-133-(12)", "三-50-1-(1)"};
    for (const char *text : notOld)
        EXPECT_NE(Message([&] { SheetPosition(SheetNumbering::Old, text); }).find("不是旧图幅标准编号"), std::string::npos)
            << text;
    const char *notNew[] = {"", "J-50-133-(12)", "J50G097001", "J50G000001", "J50G090000", "J50G09000",
                            "J50G0900041", "J050G090004", "J61G001001", "JG001001", "J50H090004", "W50G001001"};
    for (const char *text : notNew)
        EXPECT_NE(Message([&] { SheetPosition(SheetNumbering::New, text); }).find("不是新图幅标准编号"), std::string::npos)
            << text;
}
