#include "core/Ellipsoid.h"
#include "core/TextForms.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quorvil;

namespace {

TEST(EllipsoidPresets, CaptionsAndAxisTexts)
{
    const char *expected[][3] = {
        {"北京54--克拉索夫斯基椭球", "6378245.0000000000", "6356863.0187730473"},
        {"国家80--1975年国际椭球", "6378140.0000000000", "6356755.2881575287"},
        {"2000国家大地坐标系", "6378137.0000000000", "6356752.3141403558478521068615295"},
        {"世界坐标系--WGS84椭球", "6378137.0000000000", "6356752.3142451795"},
        {"自定义", "", ""},
    };
    ASSERT_EQ(EllipsoidPresets.size(), 5u);
    for (size_t i = 0; i < EllipsoidPresets.size(); ++i) {
        EXPECT_EQ(EllipsoidPresets[i].caption, expected[i][0]) << "preset " << i;
        EXPECT_EQ(EllipsoidPresets[i].aText, expected[i][1]) << "preset " << i;
        EXPECT_EQ(EllipsoidPresets[i].bText, expected[i][2]) << "preset " << i;
    }
    EXPECT_EQ(EllipsoidPresets[2].bText.size(), 33u);
    EXPECT_EQ(std::string(EllipsoidPresets[CustomEllipsoidIndex].caption), "自定义");
}

TEST(Ellipsoid, DerivedQuantities)
{
    const Ellipsoid krasovsky{TextToNumber(EllipsoidPresets[0].aText), TextToNumber(EllipsoidPresets[0].bText)};
    EXPECT_EQ(NumberToText(12, krasovsky.e2()), "0.006693421623");
    EXPECT_EQ(NumberToText(12, krasovsky.ep2()), "0.006738525415");
    // Prime-vertical radius: a on the equator, a²/b at the pole.
    EXPECT_EQ(krasovsky.N(0), krasovsky.a);
    EXPECT_NEAR(double(krasovsky.N(HalfPi)), double(krasovsky.a * krasovsky.a / krasovsky.b), 1e-8);
    EXPECT_EQ(NumberToText(4, krasovsky.N(DegToRad(35))), "6385279.2852");
    const Ellipsoid sphere{6371000, 6371000};
    EXPECT_EQ(sphere.e2(), 0);
    EXPECT_EQ(sphere.N(0.7L), 6371000);
}

} // namespace
