#include "TFormDLXset.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QVBoxLayout>

namespace quorvil {

int &ProfileRatio()
{
    static int ratio = DefaultProfileRatio;
    return ratio;
}

TFormDLXset::TFormDLXset(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFormDLXset"));
    setWindowTitle(QStringLiteral("电力线平纵断面设置"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("草图最大横纵比"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus); // the arrow keys move the bar, never a cursor in the field
    Edit1->setMaximumWidth(60);
    Edit1->setAlignment(Qt::AlignRight);
    TrackBar1 = new QSlider(Qt::Horizontal, this);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(1, 50);
    TrackBar1->setPageStep(5);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(5);
    TrackBar1->setMinimumWidth(260);
    TrackBar1->setValue(ProfileRatio());
    Edit1->setText(QString::number(ProfileRatio()));
    connect(TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);

    auto *field = new QHBoxLayout;
    field->addWidget(Label1);
    field->addWidget(Edit1);
    field->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addWidget(TrackBar1);
    layout->addWidget(buttons);
    TrackBar1->setFocus();
}

void TFormDLXset::TrackBar1Change()
{
    ProfileRatio() = TrackBar1->value();
    Edit1->setText(QString::number(ProfileRatio()));
}

} // namespace quorvil
