#include "Fields.h"

#include "PointTableModel.h"
#include "core/TextForms.h"

#include <QLineEdit>

namespace quorvil {

Real FieldNumber(const QLineEdit *field)
{
    return TextToNumber(field->text().toStdString());
}

Real FieldDegrees(const QLineEdit *field)
{
    return DmsToDeg(FieldNumber(field));
}

Real FieldNumberStrict(const QLineEdit *field)
{
    return StrictTextToNumber(field->text().toStdString());
}

Real CellNumber(const PointTableModel *table, int row, int column)
{
    return TextToNumber(table->cell(row, column).toStdString());
}

Real CellDegrees(const PointTableModel *table, int row, int column)
{
    return DmsToDeg(CellNumber(table, row, column));
}

std::vector<std::vector<std::string>> TableTexts(const PointTableModel *table)
{
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(table->rows()));
    for (int r = 0; r < table->rows(); ++r)
        for (int c = 0; c < table->columns(); ++c)
            rows[static_cast<size_t>(r)].push_back(table->cell(r, c).toStdString());
    return rows;
}

QString NumberText(int decimals, Real value)
{
    return QString::fromStdString(NumberToText(decimals, value));
}

QLineEdit *MakeNumberField(const QString &name, const QString &text, QWidget *parent, int maxWidth)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(name);
    field->setMaximumWidth(maxWidth);
    field->setAlignment(Qt::AlignRight);
    return field;
}

} // namespace quorvil
