// Reading DXF files. Text is kept as Unicode: a file of DXF R2007 or later is UTF-8; an older file
// is in the code page its header declares ($DWGCODEPAGE under any of the names writers use:
// ANSI_1252, 8859_1, DOS850, UTF-8...; an unknown name is read as Windows-1252, a file declaring
// none as UTF-8 when it is valid UTF-8 and GB18030 when not), with \U+XXXX escapes for characters
// outside it. The drawing is saved in the code page read (a UTF-8 drawing keeps its declared code
// page when all its text fits it, else ANSI_936). Reading stops at the end marker (0 EOF).
//
// Entities the program does not take apart are kept as the group codes they were read with: their
// {ACAD_XDICTIONARY / {ACAD_REACTORS groups are left out whole, and the objects of the OBJECTS
// section, the CLASSES section and the dimension styles are kept for them.
#pragma once

#include "io/dxf/DxfDocument.h"

#include <QByteArray>
#include <QString>

namespace quorvil {

// Reads a DXF file. Throws DxfError (a Chinese message naming the file) when the file cannot be
// read or is not a text DXF; a file cut short or with unsound entities is read as far as it is sound.
DxfDocument ReadDxf(const QString &path);
// The same from the bytes of a file; `name` is used in messages.
DxfDocument ParseDxf(const QByteArray &bytes, const QString &name);

} // namespace quorvil
