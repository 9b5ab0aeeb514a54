// Pieces shared by the two plane-transformation windows: the point conversion of a table of
// name, x, y, H rows, the read-only parameter fields and the layout of the two point tables.
#pragma once

#include "core/PlaneSimilarity.h"

#include <QString>

#include <functional>

class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace quorvil {

class PointTableModel;

using PlanePointConversion = std::function<PlanePointH(const PlanePointH &)>;

// Converts every data row of `input` (name, x, y, H in columns 0 to 3), empty rows included, into
// the same row of `result`, which gets as many rows as the input: the name, then x, y and H at
// 4 decimals. A row that fails (a cell that is not a number, a floating-point fault) ends the
// conversion; the rows before it are written, the rows after it keep what they held.
void ConvertPointRows(const PointTableModel *input, PointTableModel *result, const PlanePointConversion &convert);

// A parameter row of the "转换参数" group: the caption, right-aligned, and a field the user reads
// but does not type into, holding `text`.
QLineEdit *AddParameterRow(QGridLayout *form, int row, const QString &caption, const QString &objectName,
                           const QString &text);

// The window's outer layout, and the row of the old-point and new-point table groups in it. The
// two groups share the width equally: the outer margins and the gap between them add up to
// 13 pixels, so each is (window width − 13) / 2 wide.
QVBoxLayout *MakeWindowLayout(QWidget *window);
QHBoxLayout *MakeTablePair(QGroupBox *oldGroup, QGroupBox *newGroup);

} // namespace quorvil
