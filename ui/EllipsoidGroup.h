// The ellipsoid group shared by the projection and datum tools: the "坐标系" list of presets with
// the "a=" and "b=" fields, enabled only for "自定义". Further rows (central meridian, Y constant)
// can be added to its form.
#pragma once

#include "core/Ellipsoid.h"

#include <QGroupBox>

#include <span>

class QComboBox;
class QFormLayout;
class QLineEdit;

namespace quorvil {

struct EllipsoidGroupNames {
    QString title = QStringLiteral("参考椭球及坐标系参数设置");
    QString listCaption = QStringLiteral("坐标系");
    QString aCaption = QStringLiteral("a=");
    QString bCaption = QStringLiteral("b=");
    QString listName = QStringLiteral("ComboBox1");
    QString aName = QStringLiteral("EditA");
    QString bName = QStringLiteral("EditB");
    // The entries of the list; the last one is "自定义", which keeps the typed axes.
    std::span<const EllipsoidPreset> presets = EllipsoidPresets;
};

class EllipsoidGroup : public QGroupBox {
    Q_OBJECT

public:
    explicit EllipsoidGroup(const EllipsoidGroupNames &names = {}, QWidget *parent = nullptr);

    QComboBox *list() const { return m_list; }
    QLineEdit *aField() const { return m_a; }
    QLineEdit *bField() const { return m_b; }
    QFormLayout *form() const { return m_form; }

    // Adds a captioned edit field (e.g. "中央子午线(dfm)" EditLL) to the group.
    QLineEdit *addField(const QString &caption, const QString &objectName, const QString &text);

    // Adds the "投影带" list ("3度带", "6度带") to the group.
    QComboBox *addZoneWidthList(const QString &caption, const QString &objectName);

    // The axes as typed, read at the moment of the computation. Throws ConversionError.
    Ellipsoid ellipsoid() const;

    // Puts back a stored state: the list index selects its entry (and enables the axes only for
    // "自定义") but the stored axis texts stay, not those of the entry. An index beyond the list
    // leaves no entry selected.
    void restore(int index, const QString &a, const QString &b);

private:
    void applyPreset(int index); // ComboBox1Change

    std::span<const EllipsoidPreset> m_presets;
    QComboBox *m_list;
    QLineEdit *m_a;
    QLineEdit *m_b;
    QFormLayout *m_form;
};

} // namespace quorvil
