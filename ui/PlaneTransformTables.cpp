#include "PlaneTransformTables.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quorvil {

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
