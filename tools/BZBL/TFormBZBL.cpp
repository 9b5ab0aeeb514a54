#include "TFormBZBL.h"

#include "io/IniFile.h"
#include "ui/CommandRunner.h"
#include "ui/DrawingCommands.h"
#include "ui/EllipsoidGroup.h"
#include "ui/Fields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quorvil {

namespace {

const QString Section = QStringLiteral("CADBZBL");

// What "默认设置" restores and what a first run shows.
const QString DefaultA = QStringLiteral("6378245.0");
const QString DefaultB = QStringLiteral("6356863.0187730473");
const QString DefaultTextHeight = QStringLiteral("6");
const QString DefaultDotRadius = QStringLiteral("2.4");

QLineEdit *StyleField(const QString &name, QWidget *parent)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaximumWidth(120);
    return field;
}

} // namespace

TFormBZBL::TFormBZBL(QWidget *owner) : ToolWindow(owner, QStringLiteral("TFormBZBL"), QStringLiteral("CAD标注地理坐标"))
{
    EllipsoidGroupNames names;
    names.title = QStringLiteral("坐标系");
    names.listCaption = QStringLiteral("参考椭球");
    names.presets = DrawingEllipsoidPresets;
    m_system = new EllipsoidGroup(names, this);
    ComboBox2 = m_system->addZoneWidthList(QStringLiteral("投影带"), QStringLiteral("ComboBox2"));
    auto *note = new QLabel(QStringLiteral("CAD自定义坐标转为统一坐标的平移量："), m_system);
    m_system->form()->addRow(note);
    EditXX = m_system->addField(QStringLiteral("X坐标加常数(m)"), QStringLiteral("EditXX"), QStringLiteral("0"));
    EditYY = m_system->addField(QStringLiteral("Y坐标加常数(m)"), QStringLiteral("EditYY"), QStringLiteral("0"));

    auto *style = new QGroupBox(QStringLiteral("标注样式"), this);
    auto *form = new QFormLayout(style);
    EditTxtH = StyleField(QStringLiteral("EditTxtH"), style);
    SpinEdit1 = new QSpinBox(style);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 6);
    SpinEdit1->setMaximumWidth(120);
    EditCR = StyleField(QStringLiteral("EditCR"), style);
    CheckBox1 = new QCheckBox(QStringLiteral("标注园点"), style);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 = new QCheckBox(QStringLiteral("标注引线"), style);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    form->addRow(QStringLiteral("标注字高(CAD图形单位)"), EditTxtH);
    form->addRow(QStringLiteral("秒值小数位"), SpinEdit1);
    form->addRow(QStringLiteral("园点半径"), EditCR);
    auto *checks = new QHBoxLayout;
    checks->addWidget(CheckBox1);
    checks->addWidget(CheckBox2);
    checks->addStretch(1);
    form->addRow(checks);

    auto *start = new QPushButton(QStringLiteral("开始标注"), this);
    start->setObjectName(QStringLiteral("Button1"));
    start->setDefault(true);
    auto *defaults = new QPushButton(QStringLiteral("默认设置"), this);
    defaults->setObjectName(QStringLiteral("Button2"));
    connect(start, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button1Click(); }); });
    connect(defaults, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button2Click(); }); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(start);
    buttons->addWidget(defaults);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(m_system);
    layout->addWidget(style);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(400, 0)));

    FormCreate();
}

TFormBZBL::~TFormBZBL()
{
    RunCommand(nullptr, [this] { FormDestroy(); });
}

void TFormBZBL::FormCreate()
{
    const IniFile ini(SettingsFilePath());
    const int system = ini.readInt(Section, QStringLiteral("ZBX"), 0);
    const QString a = ini.readString(Section, QStringLiteral("a"), DefaultA);
    const QString b = ini.readString(Section, QStringLiteral("b"), DefaultB);
    m_system->restore(system, a, b);
    EditXX->setText(ini.readString(Section, QStringLiteral("Xo"), QStringLiteral("0")));
    EditYY->setText(ini.readString(Section, QStringLiteral("Yo"), QStringLiteral("0")));
    ComboBox2->setCurrentIndex(ini.readInt(Section, QStringLiteral("TYD"), 0));
    EditTxtH->setText(ini.readString(Section, QStringLiteral("FontHeight"), DefaultTextHeight));
    EditCR->setText(ini.readString(Section, QStringLiteral("CircleR"), DefaultDotRadius));
    SpinEdit1->setValue(ini.readInt(Section, QStringLiteral("sDec"), 0)); // kept within 0 to 6
    CheckBox1->setChecked(ini.readBool(Section, QStringLiteral("bzCircle"), true));
    CheckBox2->setChecked(ini.readBool(Section, QStringLiteral("bzLine"), false));
}

void TFormBZBL::FormDestroy()
{
    IniFile ini(SettingsFilePath());
    ini.writeInt(Section, QStringLiteral("ZBX"), m_system->list()->currentIndex());
    ini.writeString(Section, QStringLiteral("a"), m_system->aField()->text());
    ini.writeString(Section, QStringLiteral("b"), m_system->bField()->text());
    ini.writeString(Section, QStringLiteral("Xo"), EditXX->text());
    ini.writeString(Section, QStringLiteral("Yo"), EditYY->text());
    ini.writeInt(Section, QStringLiteral("TYD"), ComboBox2->currentIndex());
    ini.writeString(Section, QStringLiteral("FontHeight"), EditTxtH->text());
    ini.writeString(Section, QStringLiteral("CircleR"), EditCR->text());
    ini.writeInt(Section, QStringLiteral("sDec"), SpinEdit1->value());
    ini.writeBool(Section, QStringLiteral("bzCircle"), CheckBox1->isChecked());
    ini.writeBool(Section, QStringLiteral("bzLine"), CheckBox2->isChecked());
    ini.save();
}

void TFormBZBL::Button1Click()
{
    CadSession *cad = AttachCad(this);
    if (!cad)
        return;
    GeographicLabelStyle style;
    style.ellipsoid = m_system->ellipsoid();
    style.shiftY = FieldNumber(EditYY);
    style.shiftX = FieldNumber(EditXX);
    style.textHeight = FieldNumber(EditTxtH);
    style.dotRadius = FieldNumber(EditCR);
    style.zoneWidth = ComboBox2->currentIndex() == 1 ? 6 : 3;
    style.secondDecimals = SpinEdit1->value();
    style.dot = CheckBox1->isChecked();
    style.leader = CheckBox2->isChecked();
    AnnotateGeographic(*cad, style);
}

void TFormBZBL::Button2Click()
{
    m_system->restore(0, QStringLiteral("6378245.0000000000"), DefaultB);
    ComboBox2->setCurrentIndex(0);
    EditXX->setText(QStringLiteral("0"));
    EditYY->setText(QStringLiteral("0"));
    EditTxtH->setText(DefaultTextHeight);
    EditCR->setText(DefaultDotRadius);
    SpinEdit1->setValue(0);
    CheckBox1->setChecked(true);
    CheckBox2->setChecked(false);
}

} // namespace quorvil
