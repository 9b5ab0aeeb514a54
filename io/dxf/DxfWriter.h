// Writing DXF files: DXF R2000 in the drawing's code page, escaping what the code page cannot hold,
// so Chinese text survives in every CAD program. Entities kept as read are written back as they
// stand with new handles, the objects they point to carried along with them and references to
// anything else left out.
#pragma once

#include "io/dxf/DxfDocument.h"

#include <QByteArray>
#include <QString>

namespace quorvil {

// Writes the drawing as DXF R2000, atomically (a failed save leaves the old file whole).
void WriteDxf(const DxfDocument &document, const QString &path);
QByteArray DxfBytes(const DxfDocument &document);

} // namespace quorvil
