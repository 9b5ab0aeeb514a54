// What can be drawn of the entities kept as read (DxfType::Other), taken from their group codes:
// SOLID and TRACE as filled quadrilaterals in their plane, 3DFACE by its visible edges, LEADER and
// the 3D POLYLINE as polylines, DIMENSION as the block that holds its picture. Every other kept
// record draws nothing.
#pragma once

#include "io/dxf/DxfDocument.h"

#include <QString>

#include <vector>

namespace quorvil {

struct DxfKeptGeometry {
    enum class Shape {
        None,      // nothing to draw
        Filled,    // SOLID, TRACE: `points` the outline, filled, in the plane of `normal` at `elevation`
        Face,      // 3DFACE: `points` its four corners; the edge from corner i to the next is hidden
                   // when bit i of `hiddenEdges` is set
        Polyline,  // LEADER, 3D POLYLINE: `points` the vertices, in the drawing's coordinates, `closed`
        Dimension, // DIMENSION: the block `block`, drawn where the block stands
    };
    Shape shape = Shape::None;
    QString layer = QStringLiteral("0"); // code 8
    int color = 256;                     // code 62: an AutoCAD colour index, 256 by layer, 0 by block
    int color24 = -1;                    // code 420: a true colour 0xRRGGBB, -1 when none
    bool paperSpace = false;             // code 67 = 1

    std::vector<DxfVec> points;
    bool closed = false;
    int hiddenEdges = 0;
    DxfVec normal{0, 0, 1};
    double elevation = 0;
    QString block;
};

// The geometry of a kept entity. Coordinates that are not numbers or beyond the sound range read
// as 0 in SOLID, TRACE and 3DFACE; the vertices of polylines are as the file gives them.
DxfKeptGeometry KeptGeometry(const DxfEntity &entity);

} // namespace quorvil
