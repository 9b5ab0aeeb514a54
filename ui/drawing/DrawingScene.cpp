#include "DrawingScene.h"

#include "io/dxf/DxfKeptGeometry.h"
#include "io/dxf/DxfText.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QGraphicsItem>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionGraphicsItem>

#include <cmath>
#include <numbers>

namespace quorvil {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr int MaxDepth = 32;           // nesting of block inserts drawn
constexpr int MaxItems = 4'000'000;    // items of one drawing; beyond, inserts are left out
constexpr int MaxArrayCells = 10'000;  // cells of one array insert

// Glyphs are laid out at this size and scaled to the text height.
const QFont &TextFont()
{
    static const QFont font = [] {
        QFont f(QStringLiteral("WenQuanYi Micro Hei"));
        f.setPixelSize(100);
        f.setStyleHint(QFont::SansSerif);
        return f;
    }();
    return font;
}

const QFontMetricsF &TextMetrics()
{
    static const QFontMetricsF metrics(TextFont());
    return metrics;
}

// DXF text height is the height of the capitals.
double CapHeight() { return std::max(1.0, TextMetrics().capHeight()); }

// Chinese, Japanese and Korean characters are sized by their em, as the big fonts of CAD programs
// draw them: one text height per character square, where Latin letters are sized by their capitals.
const QFont &CjkFont()
{
    static const QFont font = [] {
        QFont f = TextFont();
        f.setPixelSize(std::max(1, int(std::lround(CapHeight()))));
        return f;
    }();
    return font;
}

const QFontMetricsF &CjkMetrics()
{
    static const QFontMetricsF metrics(CjkFont());
    return metrics;
}

// The same fonts as raw glyphs: text laid out once is painted as glyph runs, without shaping again.
const QRawFont &TextRawFont()
{
    static const QRawFont font = QRawFont::fromFont(TextFont());
    return font;
}

const QRawFont &CjkRawFont()
{
    static const QRawFont font = QRawFont::fromFont(CjkFont());
    return font;
}

bool IsCjk(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// A piece of a text line in one font, at `x` font units from the line's start: its glyphs, or when
// the font lacks some of them, its text (drawn with the fallback fonts).
struct TextRun {
    QString text;
    double x = 0;
    bool cjk = false;
    QGlyphRun glyphs;
};

// Lays out one run; returns its advance.
double LayOutRun(TextRun &run)
{
    const QRawFont &raw = run.cjk ? CjkRawFont() : TextRawFont();
    if (raw.isValid()) {
        const QList<quint32> indexes = raw.glyphIndexesForString(run.text);
        if (!indexes.isEmpty() && std::find(indexes.begin(), indexes.end(), 0u) == indexes.end()) {
            const QList<QPointF> advances = raw.advancesForGlyphIndexes(indexes);
            QList<QPointF> positions;
            positions.reserve(indexes.size());
            double x = 0;
            for (const QPointF &a : advances) {
                positions.append(QPointF(x, 0));
                x += a.x();
            }
            run.glyphs.setRawFont(raw);
            run.glyphs.setGlyphIndexes(indexes);
            run.glyphs.setPositions(positions);
            run.text.clear();
            return x;
        }
    }
    return (run.cjk ? CjkMetrics() : TextMetrics()).horizontalAdvance(run.text);
}

// A text line laid out: its runs, its width, and the spans underlined or overlined (%%u, %%o).
struct TextLine {
    std::vector<TextRun> runs;
    double width = 0;
    std::vector<std::pair<double, double>> underline, overline;
};

TextLine LayOut(const QString &source)
{
    std::vector<std::pair<int, int>> under, over;
    const QString line = DxfTextWithSymbols(source, &under, &over);
    TextLine out;
    std::vector<double> at(std::size_t(line.size()) + 1, 0.0); // x of each character
    qsizetype i = 0;
    while (i < line.size()) {
        const bool cjk = IsCjk(line.at(i).isHighSurrogate() && i + 1 < line.size()
                                   ? QChar::surrogateToUcs4(line.at(i), line.at(i + 1)) : line.at(i).unicode());
        qsizetype j = i;
        while (j < line.size()) {
            const char32_t c = line.at(j).isHighSurrogate() && j + 1 < line.size()
                                   ? QChar::surrogateToUcs4(line.at(j), line.at(j + 1)) : line.at(j).unicode();
            if (IsCjk(c) != cjk)
                break;
            j += c > 0xFFFF ? 2 : 1;
        }
        TextRun run{line.mid(i, j - i), out.width, cjk, {}};
        const QFontMetricsF &fm = cjk ? CjkMetrics() : TextMetrics();
        if (!under.empty() || !over.empty())
            for (qsizetype k = i; k < j; ++k)
                at[std::size_t(k)] = out.width + fm.horizontalAdvance(line.mid(i, k - i));
        out.width += LayOutRun(run);
        out.runs.push_back(std::move(run));
        i = j;
    }
    at[std::size_t(line.size())] = out.width;
    for (const auto &[from, to] : under)
        out.underline.emplace_back(at[std::size_t(from)], at[std::size_t(to)]);
    for (const auto &[from, to] : over)
        out.overline.emplace_back(at[std::size_t(from)], at[std::size_t(to)]);
    return out;
}

// From an entity's plane (object coordinates) to the world's XY plane: the identity for the usual
// plane, a mirror for (0, 0, -1), a projection for a tilted one.
QTransform PlaneTransform(const DxfVec &n, double elevation)
{
    if (n.x == 0 && n.y == 0 && n.z == 1 && elevation == 0)
        return {};
    const DxfVec o = DxfOcsToWorld(n, {0, 0, elevation});
    const DxfVec x = DxfOcsToWorld(n, {1, 0, elevation}), y = DxfOcsToWorld(n, {0, 1, elevation});
    return QTransform(x.x - o.x, x.y - o.y, y.x - o.x, y.y - o.y, o.x, o.y);
}

// One drawn entity: a path (stroked, or filled for hatches), a line, a point or text.
class EntityItem final : public QGraphicsItem {
public:
    enum Kind { Path, Line, Node, Text };

    EntityItem(Kind kind, const QColor &color, QGraphicsItem *parent, int order)
        : QGraphicsItem(parent), order(order), m_kind(kind), m_color(color) {}

    int order; // drawing order: later entities over earlier ones

    QPainterPath path;
    QLineF line;
    std::vector<TextLine> textLines;
    QTransform textPlacement; // font units to item coordinates
    double lineStep = 0;      // between text lines, font units
    double textWidth = 0;     // of the longest line, font units
    Qt::BrushStyle fill = Qt::NoBrush;
    std::vector<SnapPoint> snaps; // item coordinates

    void setBounds(QRectF bounds)
    {
        for (const auto &s : snaps)
            bounds |= QRectF(s.at, QSizeF(0, 0));
        // A horizontal or vertical line has an empty rectangle, which no exposed area intersects.
        const double pad = std::max({std::fabs(bounds.left()), std::fabs(bounds.top()), std::fabs(bounds.right()),
                                     std::fabs(bounds.bottom()), 1.0}) * 1e-12;
        prepareGeometryChange();
        m_bounds = bounds.adjusted(-pad, -pad, pad, pad);
    }

    QRectF boundingRect() const override { return m_bounds; }

    // Puts a path item from its plane into the world: through the item's transform, or for a plane
    // seen edge on (no inverse) by mapping the path itself, which then draws as the line it is.
    void place(const QTransform &plane)
    {
        if (plane.isIdentity())
            return;
        if (std::fabs(plane.determinant()) > 1e-12) {
            setTransform(plane);
            return;
        }
        path = plane.map(path);
        for (auto &s : snaps)
            s.at = plane.map(s.at);
        setBounds(path.controlPointRect());
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *) override
    {
        draw(painter, option->levelOfDetailFromTransform(painter->worldTransform()));
    }

    // Paints in item coordinates at `lod` pixels per unit.
    void draw(QPainter *painter, double lod) const
    {
        if (painter->pen().color() != m_color || painter->pen().widthF() != 0)
            painter->setPen(QPen(m_color, 0));
        // Smaller than a pixel on screen: a dot does.
        if (m_kind != Line && m_kind != Node && m_bounds.width() * lod < 1 && m_bounds.height() * lod < 1) {
            painter->drawPoint(m_bounds.center());
            return;
        }
        switch (m_kind) {
        case Line:
            painter->drawLine(line);
            break;
        case Node: {
            const double r = 1.5 / std::max(lod, 1e-300);
            const QPointF c = line.p1();
            painter->drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
            painter->drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
            break;
        }
        case Path:
            if (fill != Qt::NoBrush)
                painter->fillPath(path, QBrush(m_color, fill));
            if (fill != Qt::SolidPattern)
                painter->drawPath(path);
            break;
        case Text: {
            // Text a couple of pixels high reads as nothing: a line along its baseline does (greeking).
            if (std::sqrt(std::fabs(textPlacement.determinant())) * CapHeight() * lod < 3) {
                const QLineF baseline = textPlacement.map(QLineF(0, 0, textWidth, 0));
                painter->drawLine(baseline);
                break;
            }
            painter->save();
            painter->setTransform(textPlacement, true);
            bool cjk = false;
            painter->setFont(TextFont());
            for (std::size_t i = 0; i < textLines.size(); ++i) {
                const double y = double(i) * lineStep;
                for (const TextRun &run : textLines[i].runs) {
                    if (!run.glyphs.isEmpty()) {
                        painter->drawGlyphRun(QPointF(run.x, y), run.glyphs);
                        continue;
                    }
                    if (run.cjk != cjk)
                        painter->setFont((cjk = run.cjk) ? CjkFont() : TextFont());
                    painter->drawText(QPointF(run.x, y), run.text);
                }
                const double cap = CapHeight();
                for (const auto &[from, to] : textLines[i].underline)
                    painter->drawLine(QPointF(from, y + cap * 0.2), QPointF(to, y + cap * 0.2));
                for (const auto &[from, to] : textLines[i].overline)
                    painter->drawLine(QPointF(from, y - cap * 1.2), QPointF(to, y - cap * 1.2));
            }
            painter->restore();
            break;
        }
        }
    }

    int type() const override { return UserType + 1; }

private:
    Kind m_kind;
    QColor m_color;
    QRectF m_bounds;
};

// A block insert: no drawing of its own, its transform carries its entities.
class InsertItem final : public QGraphicsItem {
public:
    using QGraphicsItem::QGraphicsItem;
    QRectF boundingRect() const override { return {}; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
};

QPointF P(const DxfVec &v) { return {v.x, v.y}; }

// Adds the segment from a to b with `bulge` to the path (which stands at a).
void AddSegment(QPainterPath &path, const QPointF &a, const QPointF &b, double bulge, std::vector<SnapPoint> *snaps)
{
    if (bulge == 0 || a == b) {
        path.lineTo(b);
        if (snaps)
            snaps->push_back({(a + b) / 2, SnapKind::Middle});
        return;
    }
    const double theta = 4 * std::atan(bulge); // included angle, counter-clockwise when positive
    const double chord = std::hypot(b.x() - a.x(), b.y() - a.y());
    const double r = chord / (2 * std::sin(std::fabs(theta) / 2));
    const double dir = std::atan2(b.y() - a.y(), b.x() - a.x()) + (bulge > 0 ? 1 : -1) * (Pi / 2 - std::fabs(theta) / 2);
    const QPointF c(a.x() + r * std::cos(dir), a.y() + r * std::sin(dir));
    const double start = std::atan2(a.y() - c.y(), a.x() - c.x());
    // Qt measures arc angles clockwise in these (Y up) coordinates.
    path.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), -start * 180 / Pi, -theta * 180 / Pi);
    if (snaps) {
        const double mid = start + theta / 2;
        snaps->push_back({{c.x() + r * std::cos(mid), c.y() + r * std::sin(mid)}, SnapKind::Middle});
    }
}

QPainterPath LoopPath(const std::vector<DxfVertex> &vertices, bool closed, std::vector<SnapPoint> *snaps)
{
    QPainterPath path;
    if (vertices.empty())
        return path;
    path.moveTo(vertices[0].x, vertices[0].y);
    const std::size_t n = vertices.size();
    for (std::size_t i = 0; i + 1 < n || (closed && i < n && n > 1); ++i) {
        const DxfVertex &a = vertices[i], &b = vertices[(i + 1) % n];
        AddSegment(path, {a.x, a.y}, {b.x, b.y}, a.bulge, snaps);
    }
    if (closed)
        path.closeSubpath();
    if (snaps)
        for (const auto &v : vertices)
            snaps->push_back({{v.x, v.y}, SnapKind::End});
    return path;
}

// Where text goes: its insertion point, rotation, width factor, mirroring (generation flags 2
// backward, 4 upside down) and alignment, as a transform from font units (Y down, baseline at 0)
// to drawing coordinates.
QTransform TextPlacement(const QPointF &at, double rotation, double height, double widthFactor, double dx, double dy,
                         int generation = 0)
{
    const double k = height / CapHeight();
    QTransform t;
    t.translate(at.x(), at.y());
    t.rotate(rotation);
    t.scale(generation & 2 ? -1 : 1, generation & 4 ? -1 : 1);
    t.scale(k * (widthFactor > 0 ? widthFactor : 1), -k);
    t.translate(dx, dy);
    return t;
}

bool Finite(const QPointF &p) { return std::isfinite(p.x()) && std::isfinite(p.y()) && std::fabs(p.x()) < 1e12 && std::fabs(p.y()) < 1e12; }

} // namespace

QColor AciColor(int index)
{
    static const QRgb basic[10] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                   0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
    if (index < 1 || index > 255)
        return Qt::white;
    if (index < 10)
        return QColor(basic[index]);
    if (index >= 250) {
        static const int grey[6] = {51, 80, 105, 130, 190, 255};
        const int g = grey[index - 250];
        return QColor(g, g, g);
    }
    // 24 hues of 15°, each in five shades, every second one half saturated.
    static const double value[10] = {1.0, 1.0, 0.8, 0.8, 0.6, 0.6, 0.5, 0.5, 0.3, 0.3};
    const int hue = ((index - 10) / 10) * 15;
    const int shade = index % 10;
    return QColor::fromHsvF(hue / 360.0, shade % 2 == 0 ? 1.0 : 0.5, value[shade]);
}

DrawingScene::DrawingScene(QObject *parent) : QGraphicsScene(parent)
{
    setItemIndexMethod(QGraphicsScene::BspTreeIndex);
    setBackgroundBrush(QColor(0x21, 0x24, 0x2b));
}

void DrawingScene::load(const DxfDocument &document)
{
    clear();
    m_top.clear();
    m_order = 0;
    m_extents = QRectF();
    // The origin: the middle of where the entities are anchored.
    QRectF anchors;
    for (const DxfEntity &e : document.entities) {
        QPointF a = P(e.p);
        if (e.type == DxfType::Polyline && !e.vertices.empty())
            a = {e.vertices[0].x, e.vertices[0].y};
        else if (e.type == DxfType::Hatch && !e.loops.empty() && !e.loops[0].empty())
            a = {e.loops[0][0].x, e.loops[0][0].y};
        else if (e.type == DxfType::Other)
            continue;
        anchors = anchors.isNull() ? QRectF(a, QSizeF(0, 0)) : anchors.united(QRectF(a, QSizeF(0, 0)));
    }
    m_origin = QPointF(std::round(anchors.center().x()), std::round(anchors.center().y()));
    m_items = 0;
    m_hitLimit = false;
    // Items go in without the index and the index is built once.
    setItemIndexMethod(QGraphicsScene::NoIndex);
    for (const DxfEntity &e : document.entities)
        addEntity(document, e);
    setItemIndexMethod(QGraphicsScene::BspTreeIndex);
}

QGraphicsItem *DrawingScene::addEntity(const DxfDocument &document, const DxfEntity &entity)
{
    if (m_items == 0 && items().isEmpty() && entity.type != DxfType::Other) // the first entity of a new drawing
        m_origin = QPointF(std::round(entity.p.x), std::round(entity.p.y));
    std::vector<const DxfBlock *> stack;
    QGraphicsItem *item = build(document, entity, Inherited{}, nullptr, stack);
    if (item) {
        item->setPos(-m_origin);
        addItem(item);
        m_top.push_back(item);
        grow(item);
    }
    return item;
}

void DrawingScene::grow(const QGraphicsItem *item)
{
    QRectF r = item->sceneBoundingRect();
    if (!item->childItems().isEmpty())
        r |= item->mapRectToScene(item->childrenBoundingRect());
    if (r.isValid() || r.width() > 0 || r.height() > 0 || !r.isNull())
        m_extents = m_extents.isNull() ? r : (m_extents | r);
}

QColor DrawingScene::colorOf(const DxfDocument &doc, const DxfEntity &e, const Inherited &from) const
{
    if (e.color24 >= 0)
        return QColor::fromRgb(QRgb(e.color24 & 0xFFFFFF));
    if (e.color == 0)
        return from.byBlock.isValid() ? from.byBlock : QColor(Qt::white);
    if (e.color == 256 || e.color < 0 || e.color > 256) {
        const QString layerName = e.layer == u"0" && !from.layer.isEmpty() ? from.layer : e.layer;
        const DxfLayer *layer = doc.layer(layerName);
        return AciColor(layer ? layer->color : 7);
    }
    return AciColor(e.color);
}

QGraphicsItem *DrawingScene::build(const DxfDocument &doc, const DxfEntity &e, const Inherited &from, QGraphicsItem *parent,
                                   std::vector<const DxfBlock *> &stack)
{
    // A kept entity's layer and colour are in its group codes.
    std::optional<DxfKeptGeometry> kept;
    if (e.type == DxfType::Other)
        kept = KeptGeometry(e);
    const QString &ownLayer = kept ? kept->layer : e.layer;
    const QString layerName = ownLayer == u"0" && !from.layer.isEmpty() ? from.layer : ownLayer;
    if (const DxfLayer *layer = doc.layer(layerName); layer && (layer->frozen || layer->off))
        return nullptr;
    if (m_items >= MaxItems) {
        m_hitLimit = true;
        return nullptr;
    }
    if (kept) {
        DxfEntity styled;
        styled.layer = kept->layer;
        styled.color = kept->color;
        styled.color24 = kept->color24;
        return buildOther(doc, *kept, from, colorOf(doc, styled, from), parent, stack);
    }
    const QColor color = colorOf(doc, e, from);

    auto entity = [&](EntityItem::Kind kind) {
        ++m_items;
        return new EntityItem(kind, color, parent, m_order++);
    };

    switch (e.type) {
    case DxfType::Point: {
        EntityItem *item = entity(EntityItem::Node);
        item->line = QLineF(P(e.p), P(e.p));
        item->snaps = {{P(e.p), SnapKind::Node}};
        item->setBounds(QRectF(P(e.p), QSizeF(0, 0)));
        return item;
    }
    case DxfType::Line: {
        EntityItem *item = entity(EntityItem::Line);
        item->line = QLineF(P(e.p), P(e.q));
        item->snaps = {{P(e.p), SnapKind::End}, {P(e.q), SnapKind::End}, {(P(e.p) + P(e.q)) / 2, SnapKind::Middle}};
        item->setBounds(QRectF(P(e.p), P(e.q)).normalized());
        return item;
    }
    case DxfType::Polyline: {
        if (e.vertices.empty())
            return nullptr;
        EntityItem *item = entity(EntityItem::Path);
        item->path = LoopPath(e.vertices, e.closed, &item->snaps);
        item->setBounds(item->path.controlPointRect());
        item->place(PlaneTransform(e.extrusion, e.elevation));
        return item;
    }
    case DxfType::Circle:
    case DxfType::Arc: {
        EntityItem *item = entity(EntityItem::Path);
        const QPointF c = P(e.p);
        const double r = std::fabs(e.radius);
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        item->snaps.push_back({c, SnapKind::Centre});
        if (e.type == DxfType::Circle) {
            item->path.addEllipse(c, r, r);
        } else {
            double sweep = std::fmod(e.endAngle - e.startAngle, 360.0);
            if (sweep <= 0)
                sweep += 360;
            item->path.arcMoveTo(box, -e.startAngle);
            item->path.arcTo(box, -e.startAngle, -sweep);
            const auto at = [&](double degrees) {
                return QPointF(c.x() + r * std::cos(degrees * Pi / 180), c.y() + r * std::sin(degrees * Pi / 180));
            };
            item->snaps.push_back({at(e.startAngle), SnapKind::End});
            item->snaps.push_back({at(e.startAngle + sweep), SnapKind::End});
            item->snaps.push_back({at(e.startAngle + sweep / 2), SnapKind::Middle});
        }
        item->setBounds(item->path.controlPointRect());
        item->place(PlaneTransform(e.extrusion, e.p.z));
        return item;
    }
    case DxfType::Ellipse: {
        EntityItem *item = entity(EntityItem::Path);
        const double major = std::hypot(e.q.x, e.q.y), rot = std::atan2(e.q.y, e.q.x);
        double sweep = std::fmod(e.endAngle - e.startAngle, 2 * Pi);
        if (sweep <= 1e-12)
            sweep += 2 * Pi;
        const int steps = 96;
        for (int i = 0; i <= steps; ++i) {
            const double t = e.startAngle + sweep * i / steps;
            const double x = major * std::cos(t), y = major * e.ratio * std::sin(t);
            const QPointF p(e.p.x + x * std::cos(rot) - y * std::sin(rot), e.p.y + x * std::sin(rot) + y * std::cos(rot));
            if (i == 0)
                item->path.moveTo(p);
            else
                item->path.lineTo(p);
        }
        item->snaps.push_back({P(e.p), SnapKind::Centre});
        item->setBounds(item->path.controlPointRect());
        return item;
    }
    case DxfType::Text:
    case DxfType::MText:
        return buildText(doc, e, color, parent);
    case DxfType::Hatch: {
        if (e.loops.empty())
            return nullptr;
        EntityItem *item = entity(EntityItem::Path);
        item->path.setFillRule(Qt::OddEvenFill);
        for (const auto &loop : e.loops)
            item->path.addPath(LoopPath(loop, true, nullptr));
        item->fill = e.solid ? Qt::SolidPattern : Qt::BDiagPattern;
        item->setBounds(item->path.controlPointRect());
        item->place(PlaneTransform(e.extrusion, e.elevation));
        return item;
    }
    case DxfType::Insert: {
        const DxfBlock *block = doc.block(e.block);
        if (!block || from.depth >= MaxDepth || std::find(stack.begin(), stack.end(), block) != stack.end())
            return nullptr; // a missing block, or one that inserts itself
        const int cells = e.columns * e.rows;
        if (cells > MaxArrayCells || e.sx == 0 || e.sy == 0)
            return nullptr;
        // The block's entities carry the insert's transform; its attributes stand in the drawing's coordinates.
        QGraphicsItem *outer = parent;
        if (!e.attributes.empty()) {
            outer = new InsertItem(parent);
            for (const DxfEntity &attribute : e.attributes)
                if (!(attribute.attributeFlags & 1)) // invisible
                    build(doc, attribute, from, outer, stack);
        }
        auto *group = new InsertItem(outer);
        Inherited inner{layerName, color, from.depth + 1};
        stack.push_back(block);
        for (int c = 0; c < e.columns; ++c)
            for (int r = 0; r < e.rows; ++r) {
                QGraphicsItem *cell = group;
                if (cells > 1) {
                    cell = new InsertItem(group);
                    cell->setTransform(QTransform::fromTranslate(c * e.columnSpacing, r * e.rowSpacing));
                }
                auto *content = new InsertItem(cell);
                QTransform t;
                t.scale(e.sx, e.sy);
                t.translate(-block->base.x, -block->base.y);
                content->setTransform(t);
                for (const DxfEntity &child : block->entities)
                    build(doc, child, inner, content, stack);
            }
        stack.pop_back();
        QTransform placement;
        placement.translate(e.p.x, e.p.y);
        placement.rotate(e.rotation);
        group->setTransform(placement * PlaneTransform(e.extrusion, e.p.z));
        return outer != parent ? outer : group;
    }
    case DxfType::Other:
        break;
    }
    return nullptr;
}

QGraphicsItem *DrawingScene::buildText(const DxfDocument &doc, const DxfEntity &e, const QColor &color, QGraphicsItem *parent)
{
    const QString plain = e.type == DxfType::MText ? MTextPlainText(e.text) : e.text;
    if (plain.trimmed().isEmpty() || !(std::fabs(e.height) > 0))
        return nullptr;
    ++m_items;
    auto *item = new EntityItem(EntityItem::Text, color, parent, m_order++);
    double width = 0;
    for (const QString &line : plain.split(u'\n')) {
        item->textLines.push_back(LayOut(line));
        width = std::max(width, item->textLines.back().width);
    }
    item->textWidth = width;
    const QFontMetricsF &fm = TextMetrics();
    const double cap = CapHeight();
    const double lines = double(item->textLines.size());
    double dx = 0, dy = 0;
    QPointF at = P(e.p);
    double rotation = e.rotation;
    double widthFactor = e.widthFactor;
    if (e.type == DxfType::Text) {
        const bool aligned = e.hAlign != 0 || e.vAlign != 0;
        if (aligned)
            at = P(e.q);
        if (e.hAlign == 1 || e.hAlign == 4)
            dx = -width / 2;
        else if (e.hAlign == 2)
            dx = -width;
        else if (e.hAlign == 3 || e.hAlign == 5) { // aligned and fit: between the two points
            at = P(e.p);
            rotation = std::atan2(e.q.y - e.p.y, e.q.x - e.p.x) * 180 / Pi;
        }
        if (e.vAlign == 1)
            dy = -fm.descent();
        else if (e.vAlign == 2 || e.hAlign == 4)
            dy = cap / 2;
        else if (e.vAlign == 3)
            dy = cap;
    } else {
        // MText has no width factor of its own: its style's.
        widthFactor = 1;
        for (const DxfTextStyle &style : doc.styles)
            if (QString::fromStdString(style.name).compare(e.style, Qt::CaseInsensitive) == 0) {
                widthFactor = style.widthFactor > 0 && style.widthFactor < 100 ? style.widthFactor : 1;
                break;
            }
        item->lineStep = cap * 5 / 3;
        const int column = (std::clamp(e.attachment, 1, 9) - 1) % 3, row = (std::clamp(e.attachment, 1, 9) - 1) / 3;
        dx = column == 0 ? 0 : column == 1 ? -width / 2 : -width;
        const double block = cap + (lines - 1) * item->lineStep;
        dy = row == 0 ? cap : row == 1 ? cap - block / 2 : -(lines - 1) * item->lineStep;
    }
    item->textPlacement = TextPlacement(at, rotation, std::fabs(e.height), widthFactor, dx, dy,
                                        e.type == DxfType::Text ? e.generation : 0);
    if (e.type == DxfType::MText && (e.extrusion.x != 0 || e.extrusion.y != 0 || e.extrusion.z != 1)) {
        // MText stands in the drawing's coordinates along its direction; its plane's normal turns the
        // text up or, seen from below, mirrors it: up = normal × direction.
        const double r = rotation * Pi / 180;
        const DxfVec d{std::cos(r), std::sin(r), 0}, n = e.extrusion;
        const QPointF up(n.y * d.z - n.z * d.y, n.z * d.x - n.x * d.z);
        const QTransform basis(d.x, d.y, up.x(), up.y(), at.x(), at.y());
        item->textPlacement = TextPlacement({0, 0}, 0, std::fabs(e.height), widthFactor, dx, dy) * basis;
    }
    const QRectF inFont(0, -cap * 1.2, width, cap * 1.2 + fm.descent() + (lines - 1) * item->lineStep);
    item->snaps.push_back({P(e.p), SnapKind::Insertion});
    item->setBounds(item->textPlacement.mapRect(inFont));
    if (const QTransform plane = PlaneTransform(e.extrusion, e.p.z); e.type == DxfType::Text && !plane.isIdentity())
        item->setTransform(plane); // (an item without a transform of its own paints faster)
    return item;
}

// Entities kept as read that are drawn all the same: SOLID and TRACE filled, 3DFACE by its visible
// edges, DIMENSION from its block, LEADER and 3D polylines as polylines.
QGraphicsItem *DrawingScene::buildOther(const DxfDocument &doc, const DxfKeptGeometry &kept, const Inherited &from,
                                        const QColor &color, QGraphicsItem *parent, std::vector<const DxfBlock *> &stack)
{
    if (kept.paperSpace)
        return nullptr;
    auto path = [&](const std::vector<QPointF> &points, bool closed, bool filled, const QTransform &plane) -> QGraphicsItem * {
        if (points.empty() || !std::all_of(points.begin(), points.end(), Finite))
            return nullptr;
        ++m_items;
        auto *item = new EntityItem(EntityItem::Path, color, parent, m_order++);
        item->path.moveTo(points.front());
        for (std::size_t i = 1; i < points.size(); ++i)
            item->path.lineTo(points[i]);
        if (closed)
            item->path.closeSubpath();
        for (const QPointF &p : points)
            item->snaps.push_back({p, SnapKind::End});
        item->fill = filled ? Qt::SolidPattern : Qt::NoBrush;
        item->setBounds(item->path.controlPointRect());
        item->place(plane);
        return item;
    };
    std::vector<QPointF> points;
    points.reserve(kept.points.size());
    for (const DxfVec &p : kept.points)
        points.push_back(P(p));
    switch (kept.shape) {
    case DxfKeptGeometry::Shape::Filled:
        return path(points, true, true, PlaneTransform(kept.normal, kept.elevation));
    case DxfKeptGeometry::Shape::Face: {
        // A face in space is drawn by its edges, as CAD programs draw it in plan (filled, a face
        // framing a drawing would hide it): those its flags do not make invisible.
        QGraphicsItem *item = path(points, true, false, QTransform());
        if (item && (kept.hiddenEdges & 15)) {
            auto *face = static_cast<EntityItem *>(item);
            face->path = QPainterPath();
            for (int i = 0; i < 4; ++i)
                if (!(kept.hiddenEdges & (1 << i))) {
                    face->path.moveTo(points[std::size_t(i)]);
                    face->path.lineTo(points[std::size_t((i + 1) % 4)]);
                }
        }
        return item;
    }
    case DxfKeptGeometry::Shape::Polyline:
        return path(points, kept.closed, false, QTransform());
    case DxfKeptGeometry::Shape::Dimension: {
        const DxfBlock *block = doc.block(kept.block);
        if (!block)
            return nullptr;
        DxfEntity insert;
        insert.type = DxfType::Insert;
        insert.layer = kept.layer;
        insert.color = kept.color;
        insert.block = kept.block;
        insert.p = block->base; // the block is drawn where it stands
        return build(doc, insert, from, parent, stack);
    }
    case DxfKeptGeometry::Shape::None:
        break;
    }
    return nullptr;
}

void DrawingScene::removeTopItem(QGraphicsItem *item)
{
    if (!item)
        return;
    std::erase(m_top, item);
    delete item;
}

namespace {

// Paints an item and its children (a block insert) in drawing order.
void PaintTree(QPainter *painter, QGraphicsItem *item, const QTransform &toDevice, QTransform &current)
{
    const QTransform t = item->transform() * QTransform::fromTranslate(item->pos().x(), item->pos().y()) * toDevice;
    if (item->type() == QGraphicsItem::UserType + 1) {
        if (t != current)
            painter->setTransform(current = t);
        static_cast<EntityItem *>(item)->draw(painter, std::sqrt(std::fabs(t.determinant())));
        return;
    }
    for (QGraphicsItem *child : item->childItems())
        PaintTree(painter, child, t, current);
}

} // namespace

void DrawingScene::paintDrawing(QPainter *painter, const QTransform &sceneToDevice, const QRectF &visible) const
{
    QTransform current = painter->transform();
    painter->setRenderHint(QPainter::Antialiasing, false);
    if (visible.contains(m_extents)) {
        // All of the drawing: in the order it was built, without asking the index.
        for (QGraphicsItem *item : m_top)
            PaintTree(painter, item, sceneToDevice, current);
        return;
    }
    std::vector<EntityItem *> shown;
    // Unsorted (-1): sorted below by drawing order, which is cheaper than the scene's stacking order.
    for (QGraphicsItem *item : items(visible, Qt::IntersectsItemBoundingRect, Qt::SortOrder(-1)))
        if (item->type() == QGraphicsItem::UserType + 1)
            shown.push_back(static_cast<EntityItem *>(item));
    std::sort(shown.begin(), shown.end(), [](const EntityItem *a, const EntityItem *b) { return a->order < b->order; });
    for (EntityItem *item : shown) {
        const QTransform toItem = item->sceneTransform();
        const QTransform t = toItem * sceneToDevice;
        if (t != current)
            painter->setTransform(current = t);
        item->draw(painter, std::sqrt(std::fabs(t.determinant())));
    }
}

std::optional<SnapPoint> DrawingScene::snap(const QPointF &at, double tolerance) const
{
    const QRectF near(at.x() - tolerance, at.y() - tolerance, 2 * tolerance, 2 * tolerance);
    std::optional<SnapPoint> best;
    double bestDistance = tolerance;
    for (QGraphicsItem *item : items(near, Qt::IntersectsItemBoundingRect, Qt::AscendingOrder)) {
        if (item->type() != QGraphicsItem::UserType + 1)
            continue;
        const auto *entity = static_cast<const EntityItem *>(item);
        const QTransform toScene = item->sceneTransform();
        for (const SnapPoint &s : entity->snaps) {
            const QPointF p = toScene.map(s.at);
            const double d = std::hypot(p.x() - at.x(), p.y() - at.y());
            if (d <= bestDistance) {
                bestDistance = d;
                best = SnapPoint{p, s.kind};
            }
        }
    }
    return best;
}

} // namespace quorvil
