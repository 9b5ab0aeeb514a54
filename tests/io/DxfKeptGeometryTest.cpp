// What the drawing window draws of the entities kept as read, taken from their group codes.
#include "io/dxf/DxfKeptGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quorvil;
using Shape = DxfKeptGeometry::Shape;

namespace {

DxfEntity Kept(std::vector<std::pair<int, std::string>> raw)
{
    DxfEntity e;
    e.type = DxfType::Other;
    e.raw = std::move(raw);
    return e;
}

struct Point2 {
    double x, y;
};

void ExpectPoints(const DxfKeptGeometry &kept, const std::vector<Point2> &expected, const char *name)
{
    ASSERT_EQ(kept.points.size(), expected.size()) << name;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(kept.points[i].x, expected[i].x) << name << " point " << i;
        EXPECT_EQ(kept.points[i].y, expected[i].y) << name << " point " << i;
    }
}

TEST(DxfKeptGeometry, ShapesOfTheEntitiesDrawn)
{
    const struct {
        const char *name;
        DxfEntity entity;
        Shape shape;
        std::vector<Point2> points;
        bool closed;
    } cases[] = {
        // SOLID and TRACE list their corners 1 2 4 3; a missing fourth corner is the third.
        {"solid of three corners", Kept({{0, "SOLID"}, {10, "0"}, {20, "0"}, {11, "4"}, {21, "0"}, {12, "0"}, {22, "3"}}),
         Shape::Filled, {{0, 0}, {4, 0}, {0, 3}, {0, 3}}, true},
        {"trace", Kept({{0, "TRACE"}, {10, "0"}, {20, "0"}, {11, "4"}, {21, "0"}, {12, "0"}, {22, "3"}, {13, "4"}, {23, "3"}}),
         Shape::Filled, {{0, 0}, {4, 0}, {4, 3}, {0, 3}}, true},
        {"face", Kept({{0, "3DFACE"}, {10, "1"}, {20, "2"}, {11, "5"}, {21, "2"}, {12, "5"}, {22, "6"}, {13, "1"}, {23, "6"}}),
         Shape::Face, {{1, 2}, {5, 2}, {5, 6}, {1, 6}}, true},
        {"corner not a number", Kept({{0, "SOLID"}, {10, "x"}, {20, "1e300"}, {11, "4"}, {21, "0"}, {12, "0"}, {22, "3"}}),
         Shape::Filled, {{0, 0}, {4, 0}, {0, 3}, {0, 3}}, true},
        {"leader", Kept({{0, "LEADER"}, {76, "2"}, {10, "10"}, {20, "70"}, {30, "0"}, {10, "30"}, {20, "90"}}),
         Shape::Polyline, {{10, 70}, {30, 90}}, false},
        {"leader of one point", Kept({{0, "LEADER"}, {10, "10"}, {20, "70"}}), Shape::None, {{10, 70}}, false},
        // A 3D polyline's own point (10, 20 of the POLYLINE record) is no vertex.
        {"3D polyline", Kept({{0, "POLYLINE"}, {66, "1"}, {10, "0"}, {20, "0"}, {70, "9"}, {0, "VERTEX"}, {10, "1"},
                              {20, "2"}, {30, "3"}, {0, "VERTEX"}, {10, "4"}, {20, "5"}, {0, "SEQEND"}}),
         Shape::Polyline, {{1, 2}, {4, 5}}, true},
        {"polyface mesh", Kept({{0, "POLYLINE"}, {70, "64"}, {0, "VERTEX"}, {10, "1"}, {20, "2"}}), Shape::None, {}, false},
        {"dimension without block", Kept({{0, "DIMENSION"}, {10, "1"}, {20, "2"}}), Shape::None, {}, false},
        {"spline", Kept({{0, "SPLINE"}, {10, "1"}, {20, "2"}}), Shape::None, {}, false},
        {"nothing read", Kept({}), Shape::None, {}, false},
    };
    for (const auto &c : cases) {
        const DxfKeptGeometry kept = KeptGeometry(c.entity);
        EXPECT_EQ(kept.shape, c.shape) << c.name;
        ExpectPoints(kept, c.points, c.name);
        EXPECT_EQ(kept.closed, c.closed) << c.name;
    }
}

TEST(DxfKeptGeometry, LayerColourPlaneAndHiddenEdges)
{
    // The first layer group counts; colour and true colour as given; 67 = 1 is paper space.
    const DxfKeptGeometry dimension =
        KeptGeometry(Kept({{0, "DIMENSION"}, {8, "标注"}, {62, "3"}, {420, "16711680"}, {2, "*D1"}, {8, "other"}, {67, "1"}}));
    EXPECT_EQ(dimension.shape, Shape::Dimension);
    EXPECT_EQ(dimension.block, QStringLiteral("*D1"));
    EXPECT_EQ(dimension.layer, QStringLiteral("标注"));
    EXPECT_EQ(dimension.color, 3);
    EXPECT_EQ(dimension.color24, 0xFF0000);
    EXPECT_TRUE(dimension.paperSpace);

    const DxfKeptGeometry plain = KeptGeometry(Kept({{0, "SOLID"}}));
    EXPECT_EQ(plain.layer, QStringLiteral("0"));
    EXPECT_EQ(plain.color, 256);
    EXPECT_EQ(plain.color24, -1);
    EXPECT_FALSE(plain.paperSpace);
    EXPECT_EQ(plain.normal.z, 1);

    // A solid's plane: its normal made a unit vector, its height.
    const DxfKeptGeometry tilted = KeptGeometry(Kept({{0, "SOLID"}, {30, "12.5"}, {210, "0"}, {220, "-3"}, {230, "4"}}));
    EXPECT_DOUBLE_EQ(tilted.normal.y, -0.6);
    EXPECT_DOUBLE_EQ(tilted.normal.z, 0.8);
    EXPECT_EQ(tilted.elevation, 12.5);
    const DxfKeptGeometry flat = KeptGeometry(Kept({{0, "TRACE"}, {210, "0"}, {220, "0"}, {230, "0"}}));
    EXPECT_EQ(flat.normal.z, 1) << "a zero normal is the drawing's plane";

    // A face's edges hidden by the bits of its flags; flags beyond the four edges do not count.
    EXPECT_EQ(KeptGeometry(Kept({{0, "3DFACE"}, {70, "5"}})).hiddenEdges, 5);
    EXPECT_EQ(KeptGeometry(Kept({{0, "3DFACE"}, {70, "99"}})).hiddenEdges, 15);
    EXPECT_EQ(KeptGeometry(Kept({{0, "3DFACE"}})).hiddenEdges, 0);
}

} // namespace
