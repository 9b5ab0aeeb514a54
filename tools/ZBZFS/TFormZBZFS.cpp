#include "TFormZBZFS.h"

#include "core/FieldSurvey.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"
#include "ui/CommandRunner.h"
#include "ui/Fields.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvil {

namespace {

QLabel *Head(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QLineEdit *NumberField(const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMinimumWidth(110);
    return field;
}

// An output field is read-only on the tooltip background; an input field is editable on the
// normal window colour.
void SetOutput(QLineEdit *field, bool output)
{
    field->setReadOnly(output);
    QPalette palette = field->palette();
    const QPalette normal = QApplication::palette(field);
    palette.setColor(QPalette::Base, output ? normal.color(QPalette::ToolTipBase) : normal.color(QPalette::Base));
    palette.setColor(QPalette::Text, output ? normal.color(QPalette::ToolTipText) : normal.color(QPalette::Text));
    field->setPalette(palette);
}

} // namespace

TFormZBZFS::TFormZBZFS(QWidget *owner) : ToolWindow(owner, QStringLiteral("TFormZBZFS"), QStringLiteral("坐标正反算"))
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto *grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    grid->addWidget(Head(QStringLiteral("X"), panel), 0, 1);
    grid->addWidget(Head(QStringLiteral("Y"), panel), 0, 2);
    grid->addWidget(Head(QStringLiteral("距离\n(米)"), panel), 0, 3);
    grid->addWidget(Head(QStringLiteral("方位角\n(度.分秒)"), panel), 0, 4);
    grid->addWidget(Head(QStringLiteral("点1 "), panel), 1, 0);
    grid->addWidget(Head(QStringLiteral("点2"), panel), 2, 0);

    Edit1 = NumberField(QStringLiteral("Edit1"), panel);
    Edit2 = NumberField(QStringLiteral("Edit2"), panel);
    Edit3 = NumberField(QStringLiteral("Edit3"), panel);
    Edit4 = NumberField(QStringLiteral("Edit4"), panel);
    Edit5 = NumberField(QStringLiteral("Edit5"), panel);
    Edit6 = NumberField(QStringLiteral("Edit6"), panel);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(Edit2, 1, 2);
    grid->addWidget(Edit3, 2, 1);
    grid->addWidget(Edit4, 2, 2);
    // Distance and bearing belong to the pair of points: they stand between the two rows.
    grid->addWidget(Edit5, 1, 3, 2, 1, Qt::AlignVCenter);
    grid->addWidget(Edit6, 1, 4, 2, 1, Qt::AlignVCenter);

    RadioButton1 = new QRadioButton(QStringLiteral("反算距离和方位角"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("反算坐标"), this);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton1->setChecked(true);
    Button1 = new QPushButton(QStringLiteral("计算"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setMinimumWidth(90);

    auto *choices = new QHBoxLayout;
    choices->addWidget(RadioButton1);
    choices->addSpacing(16);
    choices->addWidget(RadioButton2);
    choices->addStretch(1);
    choices->addWidget(Button1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(10);
    layout->addWidget(panel);
    layout->addLayout(choices);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(RadioButton1, &QRadioButton::toggled, this, [this] { RadioButtonClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button1Click(); }); });
    RadioButtonClick();
}

void TFormZBZFS::RadioButtonClick()
{
    const bool inverse = RadioButton1->isChecked();
    SetOutput(Edit3, !inverse);
    SetOutput(Edit4, !inverse);
    SetOutput(Edit5, inverse);
    SetOutput(Edit6, inverse);
}

void TFormZBZFS::Button1Click()
{
    // Every field is read before anything is written, so a bad field leaves the outputs as they were.
    FpGuard guard;
    const Real x1 = FieldNumber(Edit1);
    const Real y1 = FieldNumber(Edit2);
    if (RadioButton1->isChecked()) {
        const Real x2 = FieldNumber(Edit3);
        const Real y2 = FieldNumber(Edit4);
        const BearingDistance line = CoordinateInverse(x1, y1, x2, y2);
        const Real packedBearing = DegToDms(RadToDeg(line.bearing));
        guard.check(line.distance, packedBearing);
        Edit5->setText(NumberText(3, line.distance));
        Edit6->setText(NumberText(6, packedBearing));
    } else {
        const Real distance = FieldNumber(Edit5);
        const Real bearing = DegToRad(FieldDegrees(Edit6));
        const GridPoint p = CoordinateForward(x1, y1, distance, bearing);
        guard.check(p.x, p.y);
        Edit3->setText(NumberText(3, p.x));
        Edit4->setText(NumberText(3, p.y));
    }
}

} // namespace quorvil
