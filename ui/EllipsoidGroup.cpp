#include "EllipsoidGroup.h"

#include "Fields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

namespace quorvil {

EllipsoidGroup::EllipsoidGroup(const EllipsoidGroupNames &names, QWidget *parent)
    : QGroupBox(names.title, parent), m_presets(names.presets), m_list(new QComboBox(this)), m_a(new QLineEdit(this)), m_b(new QLineEdit(this)),
      m_form(new QFormLayout(this))
{
    for (const EllipsoidPreset &preset : m_presets)
        m_list->addItem(QString::fromUtf8(preset.caption.data(), static_cast<qsizetype>(preset.caption.size())));
    m_list->setObjectName(names.listName);
    m_a->setObjectName(names.aName);
    m_b->setObjectName(names.bName);
    // Wide enough for the axis texts of the presets; the 33 characters of the 2000 system's b
    // scroll within the field.
    const int textWidth = m_b->fontMetrics().horizontalAdvance(QStringLiteral("6356863.0187730473"));
    m_a->setMinimumWidth(textWidth + 12);
    m_b->setMinimumWidth(textWidth + 12);
    m_form->addRow(names.listCaption, m_list);
    m_form->addRow(names.aCaption, m_a);
    m_form->addRow(names.bCaption, m_b);
    applyPreset(0);
    connect(m_list, &QComboBox::currentIndexChanged, this, &EllipsoidGroup::applyPreset);
}

QLineEdit *EllipsoidGroup::addField(const QString &caption, const QString &objectName, const QString &text)
{
    auto *field = new QLineEdit(text, this);
    field->setObjectName(objectName);
    m_form->addRow(caption, field);
    return field;
}

void EllipsoidGroup::applyPreset(int index)
{
    const int custom = static_cast<int>(m_presets.size()) - 1;
    if (index >= 0 && index < custom) {
        const EllipsoidPreset &preset = m_presets[static_cast<size_t>(index)];
        m_a->setText(QString::fromLatin1(preset.aText.data(), static_cast<qsizetype>(preset.aText.size())));
        m_b->setText(QString::fromLatin1(preset.bText.data(), static_cast<qsizetype>(preset.bText.size())));
    }
    m_a->setEnabled(index == custom);
    m_b->setEnabled(index == custom);
}

QComboBox *EllipsoidGroup::addZoneWidthList(const QString &caption, const QString &objectName)
{
    auto *list = new QComboBox(this);
    list->setObjectName(objectName);
    list->addItems({QStringLiteral("3度带"), QStringLiteral("6度带")});
    m_form->addRow(caption, list);
    return list;
}

void EllipsoidGroup::restore(int index, const QString &a, const QString &b)
{
    m_list->setCurrentIndex(index < m_list->count() ? index : -1);
    applyPreset(m_list->currentIndex()); // the enabled state, also when the index did not change
    m_a->setText(a);
    m_b->setText(b);
}

Ellipsoid EllipsoidGroup::ellipsoid() const
{
    return {FieldNumber(m_a), FieldNumber(m_b)};
}

} // namespace quorvil
