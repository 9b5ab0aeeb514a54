// The plan-and-profile sheets of a power line drawn through the CAD session: each page the sheet
// drawing "DLXpdm.dxf" inserted as a block, with the page's texts, lines, circles and polylines
// on it (their layout is core/PowerLine.h's).
#pragma once

#include "core/PowerLine.h"

#include <QString>

#include <functional>
#include <vector>

namespace quorvil {

class CadSession;

// Draws the sheet entities through `session`, the blocks from `sheetDrawing`; `pageDone(page)`
// is called after each page.
void DrawPowerLineSheets(CadSession &session, const std::vector<SheetEntity> &entities, const QString &sheetDrawing,
                         const std::function<void(int)> &pageDone = {});

} // namespace quorvil
