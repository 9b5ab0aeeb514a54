// Where the files that stand beside the program are found: help, report templates, the workbook
// template and the sheet drawing. A build keeps them beside the executable; an installed program
// keeps them in ../share/quorvil from its bin folder.
#pragma once

#include <QString>

namespace quorvil {

// The full path of `name` (for example "DXbjfh.docx"): beside the executable when it is there,
// else in ../share/quorvil from the executable's folder; beside the executable when neither
// exists, so that a message names the place the program looked first.
QString ProgramFile(const QString &name);

} // namespace quorvil
