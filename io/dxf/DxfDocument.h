// A drawing as it is read from and written to DXF: layers, blocks, the entities of model space and
// the header variables; what the drawing window shows and the drawing tools add. Reading and
// writing (io/dxf/DxfReader.h, io/dxf/DxfWriter.h) go through dxflib, the DXF library of QCAD.
//
// Text is kept as Unicode, in the drawing's code page when saved. Entities the program does not
// take apart (dimensions, splines, leaders, paper-space entities, SOLID/TRACE/3DFACE, 3D
// polylines...) are kept as the group codes they were read with (io/dxf/DxfKeptGeometry.h draws
// what can be drawn of them), together with the objects they point to, the CLASSES section and the
// dimension styles.
#pragma once

#include "core/Error.h"

#include <QString>

#include <string>
#include <utility>
#include <vector>

namespace quorvil {

// A DXF file that cannot be opened or read; what() is the message the user sees.
class DxfError : public Error {
public:
    using Error::Error;
};

struct DxfVec {
    double x = 0;
    double y = 0;
    double z = 0;
};

// A polyline vertex; bulge = tan(included angle / 4) of the arc to the next vertex, 0 for a straight segment.
struct DxfVertex {
    double x = 0;
    double y = 0;
    double bulge = 0;
};

enum class DxfType { Point, Line, Polyline, Circle, Arc, Ellipse, Text, MText, Hatch, Insert, Other };


struct DxfEntity {
    DxfType type = DxfType::Point;
    QString layer = QStringLiteral("0");
    int color = 256;    // AutoCAD colour index; 256 by layer, 0 by block
    int color24 = -1;   // true colour 0xRRGGBB, -1 when none
    int lineWeight = -1; // hundredths of a millimetre; -1 by layer, -2 by block, -3 default
    QString linetype = QStringLiteral("BYLAYER");
    double thickness = 0; // extrusion along the normal (code 39)

    // The normal of the entity's plane. Circles, arcs, inserts, text, hatches and polylines have their
    // coordinates in that plane (the object coordinate system of DXF: an arbitrary-axis frame, with
    // `elevation` its height for polylines and hatches), as in the file; points, lines, ellipses and MText are
    // in world coordinates.
    DxfVec extrusion{0, 0, 1};
    double elevation = 0;

    // Point: p. Line: p to q. Circle, arc: centre p, radius, start and end angle in degrees (counter-
    // clockwise). Ellipse: centre p, q the end of the major axis relative to p, ratio minor/major,
    // start and end parameter in radians. Text: insertion p, alignment point q. MText: insertion p,
    // width the box width. Insert: insertion p.
    DxfVec p;
    DxfVec q;
    double radius = 0;
    double startAngle = 0;
    double endAngle = 0;
    double ratio = 1;

    // Text and MText (text as stored: MText keeps its formatting codes).
    QString text;
    QString style = QStringLiteral("Standard");
    double height = 0;
    double rotation = 0; // degrees, also of an insert
    double widthFactor = 1;
    double width = 0;
    int hAlign = 0;     // text: 0 left, 1 centre, 2 right, 3 aligned, 4 middle, 5 fit
    int vAlign = 0;     // text: 0 baseline, 1 bottom, 2 middle, 3 top
    int attachment = 1; // mtext: 1..9, top-left to bottom-right
    int lineSpacingStyle = 1; // mtext: 1 at least, 2 exactly
    double lineSpacing = 1;   // mtext: factor
    int generation = 0;  // text: 2 mirrored in X (backward), 4 upside down
    // Attribute (an insert's `attributes`): its tag and flags (1 invisible, 2 constant, 4 verify, 8 preset).
    QString tag;
    int attributeFlags = 0;

    // Polyline (open unless closed) and the loops of a hatch (each closed).
    std::vector<DxfVertex> vertices;
    bool closed = false;
    std::vector<std::vector<DxfVertex>> loops;
    bool solid = true;
    QString pattern = QStringLiteral("SOLID");
    double patternScale = 1;
    double patternAngle = 0;

    // Insert of a block.
    QString block;
    double sx = 1, sy = 1, sz = 1;
    int columns = 1, rows = 1;
    double columnSpacing = 0, rowSpacing = 0;
    std::vector<DxfEntity> attributes; // ATTRIB after the insert: Text entities with a tag

    // Other: the group codes as read (handle and owner left out), in file encoding.
    std::vector<std::pair<int, std::string>> raw;
};

struct DxfLayer {
    QString name;
    int color = 7;
    bool frozen = false;
    bool off = false;
    int flags = 0;
    int lineWeight = -1;
    QString linetype = QStringLiteral("CONTINUOUS");
};

struct DxfBlock {
    QString name;
    int flags = 0;
    DxfVec base;
    std::vector<DxfEntity> entities;
};

struct DxfLinetype {
    std::string name;
    std::string description;
    int flags = 0;
    double length = 0;
    std::vector<double> dashes;
};

struct DxfTextStyle {
    std::string name;
    int flags = 0;
    double fixedHeight = 0;
    double widthFactor = 1;
    double obliqueAngle = 0;
    int generationFlags = 0;
    double lastHeight = 2.5;
    std::string font = "txt";
    std::string bigFont;
};

// A record of the OBJECTS or CLASSES section as read (text values as UTF-8), with its handle.
struct DxfRecord {
    std::string handle; // as in the file (hexadecimal), empty for classes
    std::vector<std::pair<int, std::string>> pairs;
};

// A header variable with the group codes it was read with.
struct DxfVariable {
    std::string name; // "$LTSCALE"
    enum Kind { Real, Integer, Text, Vector } kind = Real;
    int code = 40;
    double values[3] = {0, 0, 0};
    std::string text; // file encoding
};

class DxfDocument {
public:
    std::vector<DxfLayer> layers;
    std::vector<DxfBlock> blocks;
    std::vector<DxfEntity> entities; // model space, in drawing order
    std::vector<DxfLinetype> linetypes;
    std::vector<DxfTextStyle> styles;
    std::vector<DxfVariable> variables;
    QString codePage = QStringLiteral("ANSI_936"); // the code page text is saved in
    // The CLASSES section and the objects of the OBJECTS section, by handle, as read: the objects that
    // kept entities point to are written back with them.
    std::vector<DxfRecord> classes;
    std::vector<DxfRecord> objects;
    std::vector<DxfRecord> dimensionStyles; // the DIMSTYLE table, which dimensions name
    std::vector<std::string> applications;  // the APPID table: the applications of extended data

    // What reading had to leave out: entities with coordinates that are not numbers or absurdly
    // large, and whether the file ended before its end marker.
    int unsoundEntities = 0;
    bool truncated = false;

    // A numeric header variable by name without "$", case-insensitive ("LtScale"); `fallback` when absent.
    double variable(const QString &name, double fallback) const;
    void setVariable(const QString &name, double value);

    const DxfLayer *layer(const QString &name) const;
    // The layer of that name, added with colour 7 when the drawing has none.
    DxfLayer &ensureLayer(const QString &name);
    const DxfBlock *block(const QString &name) const;
    // A block name not used yet, made from `wanted`.
    QString freeBlockName(const QString &wanted) const;
};

// A new empty drawing: layer "0", the standard linetypes and text style, $LTSCALE 1.
DxfDocument NewDxfDocument();

// A block name CAD programs accept, made from `wanted` (a file name, say).
QString DxfBlockName(const QString &wanted);

} // namespace quorvil
