// A drawing made by the program (a network drawing, say) drawn into the drawing window through the
// CAD session, entity by entity, as a tool draws.
#pragma once

#include "io/dxf/DxfDocument.h"

#include <functional>

namespace quorvil {

class CadSession;

// Draws the lines, polylines, circles, ellipses and texts of `drawing` through `cad`, each on its
// layer (with the layer's colour), and makes the layer current before them current again.
// `progress` receives the percentage done.
void DrawThroughCad(CadSession &cad, const DxfDocument &drawing, const std::function<void(int)> &progress = {});

} // namespace quorvil
