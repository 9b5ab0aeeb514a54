#include "cad/DrawThroughCad.h"

#include "cad/CadSession.h"

namespace quorvil {

void DrawThroughCad(CadSession &cad, const DxfDocument &drawing, const std::function<void(int)> &progress)
{
    QString current;
    QString previous;
    bool first = true;
    const size_t count = drawing.entities.size();
    int shown = -1;
    for (size_t i = 0; i < count; ++i) {
        const DxfEntity &e = drawing.entities[i];
        if (first || e.layer != current) {
            const DxfLayer *layer = drawing.layer(e.layer);
            const QString was = cad.SetActiveLayer(e.layer, layer ? layer->color : 7);
            if (first)
                previous = was;
            first = false;
            current = e.layer;
        }
        switch (e.type) {
        case DxfType::Line: cad.AddLine({e.p.x, e.p.y, 0}, {e.q.x, e.q.y, 0}); break;
        case DxfType::Circle: cad.AddCircle({e.p.x, e.p.y, 0}, e.radius); break;
        case DxfType::Ellipse: cad.AddEllipse({e.p.x, e.p.y, 0}, {e.q.x, e.q.y, 0}, e.ratio); break;
        case DxfType::Text: cad.AddText(e.text, {e.p.x, e.p.y, 0}, e.height); break;
        case DxfType::Polyline: {
            std::vector<double> vertices;
            for (const DxfVertex &v : e.vertices)
                vertices.insert(vertices.end(), {v.x, v.y});
            if (e.closed && !e.vertices.empty())
                vertices.insert(vertices.end(), {e.vertices[0].x, e.vertices[0].y});
            cad.AddLightWeightPolyLine(vertices);
            break;
        }
        default: break;
        }
        if (progress) {
            const int percent = int((i + 1) * 100 / count);
            if (percent != shown)
                progress(shown = percent);
        }
    }
    if (!first)
        cad.SetActiveLayer(previous, 7);
}

} // namespace quorvil
