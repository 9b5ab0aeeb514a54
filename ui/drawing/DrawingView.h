// The view of the drawing: Y up, zoom with the wheel about the cursor, pan with the middle button
// or the hand tool, zoom to extents. The drawing is rendered once into an image; panning and
// zooming move and scale that image at once and the drawing is rendered anew when the hand
// rests, so large drawings follow the mouse without stutter. While a point is asked for, a click picks the snapped point
// (or the cursor position) and a rubber band may run from a base point; snap markers show where a
// click would land.
#pragma once

#include "DrawingScene.h"

#include <QGraphicsView>
#include <QPixmap>
#include <QTimer>

#include <optional>

namespace quorvil {

class DrawingView : public QGraphicsView {
    Q_OBJECT

public:
    explicit DrawingView(DrawingScene *scene, QWidget *parent = nullptr);

    void zoomExtents();
    // Zooms by `factor` keeping the scene point under `viewPos` where it is.
    void zoomAt(const QPointF &viewPos, double factor);
    void panBy(const QPointF &pixels);

    void setHandTool(bool on);
    bool handTool() const { return m_hand; }
    void setSnapEnabled(bool on);
    bool snapEnabled() const { return m_snapOn; }
    // While picking, a left click emits picked(); `base` draws a rubber band from that scene point.
    void setPicking(bool on, std::optional<QPointF> base = std::nullopt);

    // The scene point under a viewport position, and the point a click there picks (snapped).
    QPointF sceneAt(const QPointF &viewPos) const;
    QPointF viewAt(const QPointF &scenePos) const;
    QPointF pickAt(const QPointF &viewPos) const;
    std::optional<SnapPoint> snapAt(const QPointF &viewPos) const;

    double pixelsPerUnit() const { return m_scale; }
    QPointF centre() const { return m_centre; }

    static constexpr double SnapPixels = 10;

signals:
    void cursorMoved(QPointF scenePos);
    void picked(QPointF scenePos);
    void escapePressed();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void renderCache();
    void interacting(); // a pan or zoom step: show the image, render when the hand rests
    void invalidate();
    void drawOverlay(QPainter *painter);
    void apply();
    void updateCursor();
    QRect overlayRect() const; // where markers and the rubber band are drawn

    DrawingScene *m_scene;
    QPointF m_centre;
    double m_scale = 1;
    bool m_hand = false;
    bool m_snapOn = true;
    bool m_picking = false;
    bool m_panning = false;
    QPointF m_panFrom;
    std::optional<QPointF> m_base;
    std::optional<QPointF> m_mouse; // viewport position of the cursor, when inside
    std::optional<SnapPoint> m_snap;

    QPixmap m_cache;
    QPointF m_cacheCentre;
    double m_cacheScale = 0;
    bool m_cacheDirty = true;
    QTimer m_rest;
};

} // namespace quorvil
