// Pieces shared by the two plane-transformation windows: the read-only parameter fields and the
// layout of the two point tables.
#pragma once

#include "core/PlaneSimilarity.h"

#include <QString>


class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace quorvil {

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
