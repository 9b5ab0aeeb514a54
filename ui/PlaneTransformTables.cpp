#include "PlaneTransformTables.h"

#include "Fields.h"
#include "PointTableModel.h"
#include "core/FpGuard.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

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

QLineEdit *AddParameterRow(QGridLayout *form, int row, const QString &caption, const QString &objectName,
                           const QString &text)
{
    QWidget *group = form->parentWidget();
    auto *label = new QLabel(caption, group);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *field = new QLineEdit(text, group);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    form->addWidget(label, row, 0);
    form->addWidget(field, row, 1);
    return field;
}

namespace {
constexpr int WindowMargin = 4; // each side
constexpr int TableGap = 5;     // 2 × WindowMargin + TableGap = 13
} // namespace

QVBoxLayout *MakeWindowLayout(QWidget *window)
{
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(WindowMargin, WindowMargin, WindowMargin, WindowMargin);
    layout->setSpacing(4);
    return layout;
}

QHBoxLayout *MakeTablePair(QGroupBox *oldGroup, QGroupBox *newGroup)
{
    auto *pair = new QHBoxLayout;
    pair->setSpacing(TableGap);
    pair->addWidget(oldGroup, 1);
    pair->addWidget(newGroup, 1);
    return pair;
}

} // namespace quorvil
