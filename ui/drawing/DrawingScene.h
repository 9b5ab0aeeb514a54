// The drawing as a graphics scene: one item per drawn entity. Scene coordinates are drawing
// coordinates less an origin near the drawing (survey coordinates run to millions of metres, which
// zoomed in would overflow the view's pixel arithmetic); the view turns Y up. Block inserts are item groups carrying the insert's transform, nested as the blocks
// are. Each item knows its snap points (ends, midpoints, centres, nodes, text insertion points),
// so object snap asks the scene's index for the items near the cursor and looks at theirs only.
#pragma once

#include "io/dxf/DxfDocument.h"

#include <QColor>
#include <QGraphicsScene>
#include <QPointF>

#include <optional>
#include <vector>

namespace quorvil {

struct DxfKeptGeometry;

enum class SnapKind { End, Middle, Centre, Node, Insertion };

struct SnapPoint {
    QPointF at; // scene (drawing) coordinates
    SnapKind kind = SnapKind::End;
};

// The colour of an AutoCAD colour index (1 to 255) on the dark drawing background.
QColor AciColor(int index);

class DrawingScene : public QGraphicsScene {
    Q_OBJECT

public:
    explicit DrawingScene(QObject *parent = nullptr);

    // Shows the drawing: everything visible in model space. The document must outlive the items
    // built from it until the next load() or clear.
    void load(const DxfDocument &document);
    // Adds the items of one more model-space entity (`document` is the drawing it belongs to).
    // Returns the top item, or nullptr when the entity draws nothing (hidden layer, empty hatch).
    QGraphicsItem *addEntity(const DxfDocument &document, const DxfEntity &entity);

    QPointF origin() const { return m_origin; }
    QPointF toDrawing(const QPointF &scene) const { return scene + m_origin; }
    QPointF toScene(const QPointF &drawing) const { return drawing - m_origin; }

    // Removes one item built by addEntity (a hatch that got its boundary is built again).
    void removeTopItem(QGraphicsItem *item);

    // Paints what lies in `visible` (scene coordinates) in drawing order: the view renders the
    // drawing through this, without the per-item work of a graphics view.
    void paintDrawing(QPainter *painter, const QTransform &sceneToDevice, const QRectF &visible) const;

    // The nearest snap point within `tolerance` (scene units) of `at` (scene coordinates).
    std::optional<SnapPoint> snap(const QPointF &at, double tolerance) const;

    // The extents of what is drawn (an empty rectangle for an empty drawing).
    QRectF extents() const { return m_extents; }
    // Items built: a drawing with self-inserting or very deeply nested blocks stops at a limit.
    int itemCount() const { return m_items; }
    bool hitLimit() const { return m_hitLimit; }

private:
    struct Inherited {
        QString layer;    // the insert's layer for entities on layer 0
        QColor byBlock;   // the insert's colour for entities coloured BYBLOCK
        int depth = 0;
    };
    QGraphicsItem *build(const DxfDocument &doc, const DxfEntity &e, const Inherited &from, QGraphicsItem *parent,
                         std::vector<const DxfBlock *> &stack);
    QGraphicsItem *buildText(const DxfDocument &doc, const DxfEntity &e, const QColor &color, QGraphicsItem *parent);
    QGraphicsItem *buildOther(const DxfDocument &doc, const DxfKeptGeometry &kept, const Inherited &from,
                              const QColor &color, QGraphicsItem *parent, std::vector<const DxfBlock *> &stack);
    QColor colorOf(const DxfDocument &doc, const DxfEntity &e, const Inherited &from) const;
    void grow(const QGraphicsItem *item);

    QPointF m_origin;
    std::vector<QGraphicsItem *> m_top; // items of the model-space entities, in drawing order
    int m_order = 0;
    QRectF m_extents;
    int m_items = 0;
    bool m_hitLimit = false;
};

} // namespace quorvil
