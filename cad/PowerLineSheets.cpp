#include "cad/PowerLineSheets.h"

#include "cad/CadSession.h"

namespace quorvil {

namespace {

CadPoint At(const SheetEntity &e, std::size_t i = 0) { return {e.xy[i], e.xy[i + 1], 0}; }

} // namespace

void DrawPowerLineSheets(CadSession &session, const std::vector<SheetEntity> &entities, const QString &sheetDrawing,
                         const std::function<void(int)> &pageDone)
{
    int page = entities.empty() ? 0 : entities.front().page;
    for (const SheetEntity &e : entities) {
        if (e.page != page) {
            if (pageDone)
                pageDone(page);
            page = e.page;
        }
        CadHandle handle = 0;
        switch (e.kind) {
        case SheetEntity::Block:
            handle = session.InsertBlock(At(e), sheetDrawing, 1, 1, 1, 0);
            break;
        case SheetEntity::Text:
            handle = session.AddText(QString::fromStdString(e.text), At(e), e.size);
            break;
        case SheetEntity::Line:
            handle = session.AddLine(At(e), At(e, 2));
            break;
        case SheetEntity::Circle:
            handle = session.AddCircle(At(e), e.size);
            break;
        case SheetEntity::Polyline:
            handle = session.AddLightWeightPolyLine(e.xy);
            break;
        }
        if (e.redraw)
            session.Update(handle);
    }
    if (!entities.empty() && pageDone)
        pageDone(page);
}

} // namespace quorvil
