// The drawing of a control network: fixed points as triangles, new points as circles with their
// names, the observed lines, the standard error ellipses of the new points and, on request, the
// relative ellipses of the observed pairs, magnified by a scale the user chooses and shown with a
// scale bar and a legend (a sample of each kind of ellipse drawn, the magnification). Drawing
// coordinates are east and north (survey x north is drawing Y up). Each kind of entity has its
// layer, so the drawing can be sorted in any CAD program.
//
// One drawing serves three outputs: the view of the network window, the DXF file of the command
// line, and the entities drawn into the drawing window through the CAD session (cad/DrawThroughCad.h).
#pragma once

#include "core/network/Network.h"
#include "io/dxf/DxfDocument.h"

#include <QString>
#include <QStringList>

namespace quorvil {

namespace NetworkLayers {
inline const QString Points = QStringLiteral("控制点");
inline const QString Lines = QStringLiteral("观测边");
inline const QString Ellipses = QStringLiteral("误差椭圆");
inline const QString Relative = QStringLiteral("相对误差椭圆");
inline const QString Names = QStringLiteral("点名");
inline const QString Legend = QStringLiteral("图例");
} // namespace NetworkLayers

// The layers of the drawing, all of them: what drawing a network again replaces.
QStringList NetworkLayerNames();

struct NetworkDrawingOptions {
    double ellipseScale = 2000; // drawing metres per metre of ellipse axis
    bool relative = false;      // draw the relative ellipses too
};

// The drawing of `network`; with `result`, at the adjusted coordinates and with the ellipses (a
// levelling network draws its points and lines only). Points without plane coordinates are left out.
DxfDocument NetworkDrawing(const network::Network &network, const network::Result *result,
                           const NetworkDrawingOptions &options);

// The caption of the scale bar: "椭圆放大 2000 倍".
QString EllipseScaleCaption(double scale);

// A magnification of the form 1, 2 or 5 × 10ᵏ that draws the largest ellipse at about a tenth of the
// mean observed side; 1000 when the network has no ellipses.
double SuggestedEllipseScale(const network::Network &network, const network::Result &result);

} // namespace quorvil
