#include "PlaneTransformTables.h"

#include "Fields.h"
#include "PointTableModel.h"
#include "core/FpGuard.h"

#include <QLineEdit>

#include <algorithm>
#include <vector>

namespace quorvil {

void ConvertPointRows(const PointTableModel *input, PointTableModel *result, const PlanePointConversion &convert)
{
    constexpr int Columns = 4;
    const int rows = input->rows();
    // The result is assembled off the table and handed over in one piece, so that a large table
    // converts without a repaint per row.
    std::vector<QString> cells(static_cast<size_t>(rows) * Columns);
    const int kept = std::min(rows, result->rows());
    for (int r = 0; r < kept; ++r)
        for (int c = 0; c < Columns; ++c)
            cells[static_cast<size_t>(r) * Columns + c] = result->cell(r, c);

    try {
        FpGuard guard;
        for (int r = 0; r < rows; ++r) {
            const PlanePointH old{CellNumber(input, r, 1), CellNumber(input, r, 2), CellNumber(input, r, 3)};
            const PlanePointH converted = convert(old);
            guard.check(converted.x, converted.y, converted.H);
            QString *row = &cells[static_cast<size_t>(r) * Columns];
            row[0] = input->cell(r, 0);
            row[1] = NumberText(4, converted.x);
            row[2] = NumberText(4, converted.y);
            row[3] = NumberText(4, converted.H);
        }
    } catch (...) {
        result->replaceCells(rows, Columns, std::move(cells));
        throw;
    }
    result->replaceCells(rows, Columns, std::move(cells));
}

QLineEdit *MakeParameterField(QWidget *parent, const QString &objectName, const QString &text)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    return field;
}

} // namespace quorvil
