#include "io/survey/NetworkDrawing.h"

#include "core/TextForms.h"
#include "io/survey/NetworkTables.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace quorvil {

using namespace network;

namespace {

struct LayerStyle {
    const QString *name;
    int color;
};

// Colours that read on the dark drawing background and on paper alike.
const LayerStyle Layers[] = {
    {&NetworkLayers::Lines, 8},    {&NetworkLayers::Points, 3},  {&NetworkLayers::Ellipses, 1},
    {&NetworkLayers::Relative, 4}, {&NetworkLayers::Names, 7},   {&NetworkLayers::Legend, 2},
};

// Share of the network's extent taken by a point symbol.
constexpr double SymbolShare = 1.0 / 60;
// The scale bar is about this share of the extent.
constexpr double ScaleBarShare = 0.2;

double NiceNumber(double value)
{
    // The 1, 2, 5 × 10ᵏ at or just below `value`.
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    const double m = value / decade;
    return (m >= 5 ? 5 : m >= 2 ? 2 : 1) * decade;
}

DxfEntity Entity(DxfType type, const QString &layer)
{
    DxfEntity e;
    e.type = type;
    e.layer = layer;
    return e;
}

} // namespace

QStringList NetworkLayerNames()
{
    QStringList names;
    for (const LayerStyle &layer : Layers)
        names.append(*layer.name);
    return names;
}

QString EllipseScaleCaption(double scale)
{
    return QStringLiteral("椭圆放大 %1 倍").arg(QString::fromStdString(GeneralText(Real(scale))));
}

double SuggestedEllipseScale(const Network &net, const Result &result)
{
    Real largest = 0, sides = 0;
    int count = 0;
    for (const PointResult &p : result.points)
        if (p.plane)
            largest = std::max(largest, p.ellipse.a);
    for (const Observation &o : net.observations)
        if (o.kind == ObservationKind::Distance || o.kind == ObservationKind::SlopeDistance) {
            sides += std::fabs(o.value);
            ++count;
        }
    if (count == 0) // no distances: the mean length of the relative pairs
        for (const RelativeEllipse &r : result.relative) {
            sides += r.length;
            ++count;
        }
    if (!(largest > 0) || count == 0 || !(sides > 0))
        return 1000;
    return std::max(1.0, NiceNumber(double(sides / count / 10 / largest)));
}

DxfDocument NetworkDrawing(const Network &net, const Result *result, const NetworkDrawingOptions &options)
{
    DxfDocument doc = NewDxfDocument();
    for (const LayerStyle &layer : Layers)
        doc.ensureLayer(*layer.name).color = layer.color;

    // Drawing positions (east, north) of the points that have plane coordinates.
    const size_t n = net.points.size();
    std::vector<char> drawn(n, 0);
    std::vector<double> east(n, 0), north(n, 0);
    double minE = 0, maxE = 0, minN = 0, maxN = 0;
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
        const Point &p = net.points[i];
        const bool adjusted = result && i < result->points.size() && result->points[i].plane;
        if (!adjusted && !p.hasXY)
            continue;
        const Real x = adjusted ? result->points[i].x : p.x, y = adjusted ? result->points[i].y : p.y;
        const auto [e, no] = EastNorth(net.settings.axes, x, y);
        east[i] = double(e), north[i] = double(no), drawn[i] = 1;
        if (!any)
            minE = maxE = east[i], minN = maxN = north[i], any = true;
        minE = std::min(minE, east[i]), maxE = std::max(maxE, east[i]);
        minN = std::min(minN, north[i]), maxN = std::max(maxN, north[i]);
    }
    if (!any)
        return doc;
    const double extent = std::max({maxE - minE, maxN - minN, 1.0});
    const double symbol = extent * SymbolShare;
    const double textHeight = symbol * 1.2;

    // Observed lines, each pair once.
    std::set<std::pair<int, int>> pairs;
    const auto pair = [&](int a, int b) {
        if (a < 0 || b < 0 || a == b || !drawn[size_t(a)] || !drawn[size_t(b)])
            return;
        pairs.insert({std::min(a, b), std::max(a, b)});
    };
    for (const Observation &o : net.observations) {
        const int from = StationOf(net, o);
        pair(from, o.to);
        if (o.kind == ObservationKind::Angle)
            pair(from, o.bs);
    }
    for (const auto &[a, b] : pairs) {
        DxfEntity e = Entity(DxfType::Line, NetworkLayers::Lines);
        e.p = {east[size_t(a)], north[size_t(a)], 0};
        e.q = {east[size_t(b)], north[size_t(b)], 0};
        doc.entities.push_back(std::move(e));
    }

    // Points: triangles for fixed points, circles for new ones, and their names.
    const bool levelling = result ? !HasPlaneUnknowns(*result) : false;
    for (size_t i = 0; i < n; ++i) {
        if (!drawn[i])
            continue;
        const Point &p = net.points[i];
        const bool fixed = levelling || p.plane == Role::Unused ? p.height == Role::Fixed : p.plane == Role::Fixed;
        if (fixed) {
            DxfEntity e = Entity(DxfType::Polyline, NetworkLayers::Points);
            const double r = symbol * 1.2; // circumradius of the triangle
            for (int k = 0; k < 3; ++k) {
                const double angle = std::numbers::pi / 2 + k * 2 * std::numbers::pi / 3;
                e.vertices.push_back({east[i] + r * std::cos(angle), north[i] + r * std::sin(angle), 0});
            }
            e.closed = true;
            e.p = {e.vertices[0].x, e.vertices[0].y, 0};
            doc.entities.push_back(std::move(e));
        } else {
            DxfEntity e = Entity(DxfType::Circle, NetworkLayers::Points);
            e.p = {east[i], north[i], 0};
            e.radius = symbol * 0.6;
            doc.entities.push_back(std::move(e));
        }
        DxfEntity t = Entity(DxfType::Text, NetworkLayers::Names);
        t.p = t.q = {east[i] + symbol * 1.2, north[i] + symbol * 0.8, 0};
        t.text = QString::fromStdString(p.id);
        t.height = textHeight;
        doc.entities.push_back(std::move(t));
    }

    // Ellipses, magnified.
    bool ellipses = false;
    const auto ellipse = [&](double e0, double n0, const Ellipse &el, const QString &layer) {
        const double a = double(el.a) * options.ellipseScale, b = double(el.b) * options.ellipseScale;
        if (!(a > 0) || !std::isfinite(a))
            return;
        const double bearing = double(EllipseBearing(net.settings.axes, el.phi));
        DxfEntity e = Entity(DxfType::Ellipse, layer);
        e.p = {e0, n0, 0};
        e.q = {a * std::sin(bearing), a * std::cos(bearing), 0};
        e.ratio = std::clamp(b / a, 1e-6, 1.0);
        e.startAngle = 0;
        e.endAngle = 2 * std::numbers::pi;
        doc.entities.push_back(std::move(e));
        ellipses = true;
    };
    if (result) {
        for (size_t i = 0; i < n && i < result->points.size(); ++i)
            if (drawn[i] && result->points[i].plane)
                ellipse(east[i], north[i], result->points[i].ellipse, NetworkLayers::Ellipses);
        if (options.relative)
            for (const RelativeEllipse &r : result->relative)
                if (r.from >= 0 && r.to >= 0 && drawn[size_t(r.from)] && drawn[size_t(r.to)])
                    ellipse((east[size_t(r.from)] + east[size_t(r.to)]) / 2, (north[size_t(r.from)] + north[size_t(r.to)]) / 2,
                            r.ellipse, NetworkLayers::Relative);
    }

    // The scale bar of the ellipses under the network: a bar of a round number of millimetres.
    if (ellipses) {
        const double millimetres = NiceNumber(extent * ScaleBarShare / options.ellipseScale * 1000);
        const double length = millimetres / 1000 * options.ellipseScale;
        const double x0 = minE, y0 = minN - symbol * 6, tick = symbol * 0.8;
        DxfEntity bar = Entity(DxfType::Polyline, NetworkLayers::Legend);
        bar.vertices = {{x0, y0 + tick, 0}, {x0, y0, 0}, {x0 + length, y0, 0}, {x0 + length, y0 + tick, 0}};
        bar.p = {x0, y0 + tick, 0};
        doc.entities.push_back(std::move(bar));
        const auto label = [&](const QString &text, double x, double y) {
            DxfEntity t = Entity(DxfType::Text, NetworkLayers::Legend);
            t.p = t.q = {x, y, 0};
            t.text = text;
            t.height = textHeight;
            doc.entities.push_back(std::move(t));
        };
        label(QStringLiteral("0"), x0, y0 + tick * 1.5);
        label(QStringLiteral("%1 mm").arg(QString::fromStdString(GeneralText(Real(millimetres)))), x0 + length,
              y0 + tick * 1.5);
        label(EllipseScaleCaption(options.ellipseScale), x0 + length + symbol * 6, y0);
        // The legend under the bar: a sample of each kind of ellipse drawn, on its layer.
        const double y1 = y0 - symbol * 4, sampleA = symbol * 1.6;
        double x = x0 + sampleA;
        const auto sample = [&](const QString &layer, const QString &caption) {
            DxfEntity e = Entity(DxfType::Ellipse, layer);
            e.p = {x, y1 + textHeight / 2, 0};
            e.q = {sampleA, 0, 0};
            e.ratio = 0.5;
            e.startAngle = 0;
            e.endAngle = 2 * std::numbers::pi;
            doc.entities.push_back(std::move(e));
            label(caption, x + sampleA + symbol, y1);
            x += sampleA * 2 + symbol * (2 + caption.size() * 1.3);
        };
        sample(NetworkLayers::Ellipses, QStringLiteral("点位误差椭圆"));
        if (options.relative)
            sample(NetworkLayers::Relative, QStringLiteral("相对误差椭圆"));
    }
    return doc;
}

} // namespace quorvil
