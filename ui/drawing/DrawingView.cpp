#include "DrawingView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace quorvil {

namespace {
constexpr double MinScale = 1e-9, MaxScale = 1e9;
const QColor MarkerColor(0x4c, 0xe0, 0x5a);
} // namespace

DrawingView::DrawingView(DrawingScene *scene, QWidget *parent) : QGraphicsView(scene, parent), m_scene(scene)
{
    setObjectName(QStringLiteral("DrawingView"));
    // The view keeps its own centre and scale; the scroll bars would only see a window the size of the viewport.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    setAlignment(Qt::AlignCenter);
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    setOptimizationFlags(QGraphicsView::DontSavePainterState | QGraphicsView::DontAdjustForAntialiasing);
    setRenderHint(QPainter::Antialiasing, false);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    m_rest.setSingleShot(true);
    m_rest.setInterval(150);
    connect(&m_rest, &QTimer::timeout, this, [this] { invalidate(); });
    connect(scene, &QGraphicsScene::changed, this, [this] { invalidate(); });
    updateCursor();
    apply();
}

void DrawingView::invalidate()
{
    m_cacheDirty = true;
    viewport()->update();
}

void DrawingView::interacting()
{
    m_rest.start();
}

void DrawingView::renderCache()
{
    const qreal ratio = viewport()->devicePixelRatioF();
    m_cache = QPixmap(viewport()->size() * ratio);
    m_cache.setDevicePixelRatio(ratio);
    m_cache.fill(backgroundBrush().style() == Qt::NoBrush ? m_scene->backgroundBrush().color() : backgroundBrush().color());
    {
        QPainter painter(&m_cache);
        const double w = viewport()->width(), h = viewport()->height();
        const QTransform toDevice(m_scale, 0, 0, -m_scale, w / 2 - m_centre.x() * m_scale, h / 2 + m_centre.y() * m_scale);
        m_scene->paintDrawing(&painter, toDevice, QRectF(sceneAt({0, h}), sceneAt({w, 0})).normalized());
    }
    m_cacheCentre = m_centre;
    m_cacheScale = m_scale;
    m_cacheDirty = false;
}

void DrawingView::paintEvent(QPaintEvent *)
{
    if ((m_cacheDirty && !m_rest.isActive() && !m_panning) || m_cache.isNull() || m_cache.size() != viewport()->size() * viewport()->devicePixelRatioF())
        renderCache();
    QPainter painter(viewport());
    if (m_cacheScale == m_scale && m_cacheCentre == m_centre) {
        painter.drawPixmap(0, 0, m_cache);
    } else {
        // The image of a moment ago, moved and scaled to where the view is now.
        painter.fillRect(viewport()->rect(), m_scene->backgroundBrush());
        const double k = m_scale / m_cacheScale;
        const QPointF at = viewAt(m_cacheCentre);
        painter.translate(at);
        painter.scale(k, k);
        painter.translate(-viewport()->width() / 2.0, -viewport()->height() / 2.0);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawPixmap(0, 0, m_cache);
        painter.resetTransform();
    }
    drawOverlay(&painter);
}

void DrawingView::apply()
{
    setTransform(QTransform(m_scale, 0, 0, -m_scale, 0, 0));
    const QSizeF half(viewport()->width() / 2.0 / m_scale, viewport()->height() / 2.0 / m_scale);
    setSceneRect(QRectF(m_centre.x() - half.width(), m_centre.y() - half.height(), 2 * half.width(), 2 * half.height()));
    if (!m_rest.isActive() && !m_panning)
        m_cacheDirty = true;
    else
        m_cacheDirty = true, interacting();
    viewport()->update();
}

QPointF DrawingView::sceneAt(const QPointF &viewPos) const
{
    return {m_centre.x() + (viewPos.x() - viewport()->width() / 2.0) / m_scale,
            m_centre.y() - (viewPos.y() - viewport()->height() / 2.0) / m_scale};
}

QPointF DrawingView::viewAt(const QPointF &scenePos) const
{
    return {viewport()->width() / 2.0 + (scenePos.x() - m_centre.x()) * m_scale,
            viewport()->height() / 2.0 - (scenePos.y() - m_centre.y()) * m_scale};
}

std::optional<SnapPoint> DrawingView::snapAt(const QPointF &viewPos) const
{
    if (!m_snapOn)
        return std::nullopt;
    return m_scene->snap(sceneAt(viewPos), SnapPixels / m_scale);
}

QPointF DrawingView::pickAt(const QPointF &viewPos) const
{
    const auto snap = snapAt(viewPos);
    return snap ? snap->at : sceneAt(viewPos);
}

void DrawingView::zoomExtents()
{
    const QRectF r = m_scene->extents();
    if (r.isNull() && r.width() <= 0 && r.height() <= 0) {
        m_centre = r.isNull() ? QPointF() : r.center();
    } else {
        m_centre = r.center();
        const double w = std::max(r.width(), r.height() * 1e-6), h = std::max(r.height(), r.width() * 1e-6);
        const double fit = 0.92 * std::min(viewport()->width() / std::max(w, 1e-9), viewport()->height() / std::max(h, 1e-9));
        m_scale = std::clamp(fit, MinScale, MaxScale);
    }
    if (r.width() <= 0 && r.height() <= 0)
        m_scale = std::clamp(m_scale, MinScale, MaxScale);
    apply();
}

void DrawingView::zoomAt(const QPointF &viewPos, double factor)
{
    const QPointF fixed = sceneAt(viewPos);
    m_scale = std::clamp(m_scale * factor, MinScale, MaxScale);
    m_centre = QPointF(fixed.x() - (viewPos.x() - viewport()->width() / 2.0) / m_scale,
                       fixed.y() + (viewPos.y() - viewport()->height() / 2.0) / m_scale);
    apply();
}

void DrawingView::panBy(const QPointF &pixels)
{
    m_centre += QPointF(-pixels.x() / m_scale, pixels.y() / m_scale);
    apply();
}

void DrawingView::setHandTool(bool on)
{
    m_hand = on;
    updateCursor();
}

void DrawingView::setSnapEnabled(bool on)
{
    m_snapOn = on;
    m_snap.reset();
    viewport()->update();
}

void DrawingView::setPicking(bool on, std::optional<QPointF> base)
{
    m_picking = on;
    m_base = on ? base : std::nullopt;
    if (!on)
        m_snap.reset();
    updateCursor();
    viewport()->update();
}

void DrawingView::updateCursor()
{
    if (m_panning)
        viewport()->setCursor(Qt::ClosedHandCursor);
    else if (m_hand)
        viewport()->setCursor(Qt::OpenHandCursor);
    else
        viewport()->setCursor(Qt::CrossCursor);
}

void DrawingView::wheelEvent(QWheelEvent *event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0) {
        interacting();
        zoomAt(event->position(), std::pow(1.25, steps));
    }
    event->accept();
}

void DrawingView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && m_hand)) {
        m_panning = true;
        m_panFrom = event->position();
        updateCursor();
    } else if (event->button() == Qt::LeftButton && m_picking) {
        emit picked(pickAt(event->position()));
    }
    event->accept();
}

void DrawingView::mouseMoveEvent(QMouseEvent *event)
{
    const QRect before = overlayRect();
    m_mouse = event->position();
    if (m_panning) {
        panBy(event->position() - m_panFrom);
        m_panFrom = event->position();
    } else {
        m_snap = m_picking ? snapAt(event->position()) : std::nullopt;
        viewport()->update(before | overlayRect());
    }
    emit cursorMoved(sceneAt(event->position()));
    event->accept();
}

void DrawingView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_panning && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
        m_panning = false;
        updateCursor();
        invalidate();
    }
    event->accept();
}

void DrawingView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton)
        zoomExtents(); // as in CAD programs
    else
        mousePressEvent(event);
}

void DrawingView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        emit escapePressed();
        event->accept();
        return;
    }
    QGraphicsView::keyPressEvent(event);
}

void DrawingView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    apply();
}

void DrawingView::leaveEvent(QEvent *event)
{
    const QRect before = overlayRect();
    m_mouse.reset();
    m_snap.reset();
    viewport()->update(before);
    QGraphicsView::leaveEvent(event);
}

QRect DrawingView::overlayRect() const
{
    QRectF r;
    if (m_mouse)
        r = QRectF(*m_mouse, QSizeF(0, 0));
    if (m_snap)
        r |= QRectF(viewAt(m_snap->at), QSizeF(0, 0));
    if (m_base && m_mouse)
        r |= QRectF(viewAt(*m_base), QSizeF(0, 0));
    if (r.isNull() && !m_mouse && !m_snap)
        return {};
    return r.normalized().toAlignedRect().adjusted(-12, -12, 12, 12);
}

void DrawingView::drawForeground(QPainter *, const QRectF &)
{
    // The markers go over the image of the drawing (drawOverlay), never into it.
}

void DrawingView::drawOverlay(QPainter *painter)
{
    if (!m_picking || !m_mouse)
        return;
    painter->save();
    painter->resetTransform();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const QPointF target = m_snap ? viewAt(m_snap->at) : *m_mouse;
    if (m_base) {
        QPen band(QColor(255, 255, 255, 200), 1, Qt::DashLine);
        painter->setPen(band);
        painter->drawLine(viewAt(*m_base), target);
    }
    if (m_snap) {
        painter->setPen(QPen(MarkerColor, 2));
        painter->setBrush(Qt::NoBrush);
        const QPointF c = target;
        const double r = 6;
        switch (m_snap->kind) {
        case SnapKind::End:
            painter->drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
            break;
        case SnapKind::Middle:
            painter->drawPolygon(QPolygonF({{c.x(), c.y() - r}, {c.x() + r, c.y() + r * 0.8}, {c.x() - r, c.y() + r * 0.8}}));
            break;
        case SnapKind::Centre:
            painter->drawEllipse(c, r, r);
            break;
        case SnapKind::Node:
            painter->drawEllipse(c, r, r);
            painter->drawLine(QPointF(c.x() - r, c.y() - r), QPointF(c.x() + r, c.y() + r));
            painter->drawLine(QPointF(c.x() - r, c.y() + r), QPointF(c.x() + r, c.y() - r));
            break;
        case SnapKind::Insertion:
            painter->drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
            painter->drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
            break;
        }
    }
    painter->restore();
}

} // namespace quorvil
