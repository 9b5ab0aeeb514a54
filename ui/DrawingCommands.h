// The picking loops of the drawing tools, on the CAD session of the open drawing window: point
// capture, geographic and plane coordinate labels. Each loop asks for points until the user
// presses Esc (then it ends silently, keeping what it drew); any other error ends it and goes to
// the command runner.
#pragma once

#include "CadAttach.h"
#include "core/Ellipsoid.h"
#include "cad/CadSession.h"

#include <QString>

#include <functional>

class QWidget;

namespace quorvil {

// Point capture: asks once whether to mark the points, then for a name (Enter takes the default,
// J1, J2, ...) and a point, again and again; `add` receives each named point as it is picked.
// Marks are a point, a circle of 0.5 "LtScale" and the name 3 "LtScale" high.
void CapturePoints(CadSession &cad, const std::function<void(const QString &name, const CadPoint &at)> &add);

struct GeographicLabelStyle {
    Ellipsoid ellipsoid;
    Real shiftX = 0;      // added to drawing Y to give grid X (north)
    Real shiftY = 0;      // added to drawing X to give grid Y (east, with zone number)
    int zoneWidth = 3;    // 3 or 6 degrees
    int secondDecimals = 0;
    Real textHeight = 6;
    Real dotRadius = 2.4;
    bool dot = true;      // a filled dot at the point
    bool leader = false;  // a leader from the point under the label
};

// Geographic labels: pick the point, pick where the label goes; latitude and longitude by the
// inverse projection. A point whose zone cannot be told is refused with a note in front of the
// next prompt, and the loop goes on.
void AnnotateGeographic(CadSession &cad, const GeographicLabelStyle &style);

// Plane labels: pick the point, pick where the label goes; "X=" and "Y=" with the drawing's own
// coordinates over a leader, 4 "LtScale" high.
void AnnotatePlane(CadSession &cad);

// The main window's "CAD标注平面坐标": attaches and runs the plane labels through the command runner.
void RunPlaneAnnotation(QWidget *parent);

} // namespace quorvil
