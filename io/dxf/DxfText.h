// The text and planes of DXF entities as a drawing shows them: MTEXT content without its
// formatting codes, the special characters of TEXT (%%c, %%d...), and the object coordinate system
// in which circles, arcs, texts, inserts, hatches and polylines give their coordinates.
#pragma once

#include "io/dxf/DxfDocument.h"

#include <QString>

#include <utility>
#include <vector>

namespace quorvil {

// MText content without its formatting codes; paragraphs become line breaks.
QString MTextPlainText(const QString &text);

// The special characters of DXF text: %%c %%d %%p %%% and %%nnn become Ø ° ± % and the character nnn;
// the %%u (underline) and %%o (overline) toggles are left out and their spans returned, as
// [start, end) character ranges of the result, in `underline` and `overline` when given.
QString DxfTextWithSymbols(const QString &text, std::vector<std::pair<int, int>> *underline = nullptr,
                           std::vector<std::pair<int, int>> *overline = nullptr);

// Maps a point of an entity's plane (object coordinates, normal `extrusion`) to world coordinates.
DxfVec DxfOcsToWorld(const DxfVec &extrusion, const DxfVec &point);

} // namespace quorvil
