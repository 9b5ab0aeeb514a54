// Reading numbers from edit fields and table cells, and writing them back, always through the
// shared text forms (TextToNumber, DmsToDeg, NumberToText).
#pragma once

#include "core/Real.h"

#include <QString>

#include <string>
#include <vector>

class QLineEdit;
class QWidget;

namespace quorvil {

class PointTableModel;

// TextToNumber of the field's text (empty reads as 0). Throws ConversionError.
Real FieldNumber(const QLineEdit *field);
// A packed angle field (ddd.mmss) in decimal degrees.
Real FieldDegrees(const QLineEdit *field);
// The plain number conversion: an empty field is an error too.
Real FieldNumberStrict(const QLineEdit *field);

Real CellNumber(const PointTableModel *table, int row, int column);
Real CellDegrees(const PointTableModel *table, int row, int column);

// The cells of every data row as they stand, for the computations that read whole tables.
std::vector<std::vector<std::string>> TableTexts(const PointTableModel *table);

// NumberToText as a QString.
QString NumberText(int decimals, Real value);

// A right-aligned number field named `name` holding `text`, at most `maxWidth` pixels wide.
QLineEdit *MakeNumberField(const QString &name, const QString &text, QWidget *parent, int maxWidth = 70);

} // namespace quorvil
