// Pieces shared by the two plane-transformation windows: the point conversion of a table of
// name, x, y, H rows and the read-only parameter fields.
#pragma once

#include "core/PlaneSimilarity.h"

#include <QString>

#include <functional>

class QLineEdit;
class QWidget;

namespace quorvil {

class PointTableModel;

using PlanePointConversion = std::function<PlanePointH(const PlanePointH &)>;

// Converts every data row of `input` (name, x, y, H in columns 0 to 3), empty rows included, into
// the same row of `result`, which gets as many rows as the input: the name, then x, y and H at
// 4 decimals. A row that fails (a cell that is not a number, a floating-point fault) ends the
// conversion; the rows before it are written, the rows after it keep what they held.
void ConvertPointRows(const PointTableModel *input, PointTableModel *result, const PlanePointConversion &convert);

// A parameter field the user reads but does not type into.
QLineEdit *MakeParameterField(QWidget *parent, const QString &objectName, const QString &text);

} // namespace quorvil
