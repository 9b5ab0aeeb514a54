#include "TFormTFH.h"

#include "core/DrawingLabels.h"
#include "core/FpGuard.h"
#include "core/GaussKruger.h"
#include "core/TextForms.h"
#include "io/IniFile.h"
#include "ui/CommandRunner.h"
#include "ui/DrawingCommands.h"
#include "ui/EllipsoidGroup.h"
#include "ui/Fields.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <tuple>

namespace quorvil {

namespace {

const QString Section = QStringLiteral("TFHJS");

QLineEdit *Field(const QString &name, const QString &text, QWidget *parent)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(name);
    return field;
}

QPushButton *Button(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

// Two radio buttons side by side of which exactly one is checked, the first at the start.
QHBoxLayout *RadioPair(QRadioButton **first, const QString &firstCaption, const QString &firstName,
                       QRadioButton **second, const QString &secondCaption, const QString &secondName, QWidget *parent)
{
    auto *group = new QButtonGroup(parent);
    auto *row = new QHBoxLayout;
    for (auto [radio, caption, name] : {std::tuple{first, firstCaption, firstName}, std::tuple{second, secondCaption, secondName}}) {
        *radio = new QRadioButton(caption, parent);
        (*radio)->setObjectName(name);
        group->addButton(*radio);
        row->addWidget(*radio);
    }
    row->addStretch(1);
    (*first)->setChecked(true);
    return row;
}

QLabel *Note(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

TFormTFH::TFormTFH(QWidget *owner) : ToolWindow(owner, QStringLiteral("TFormTFH"), QStringLiteral("1:1万图幅号计算"))
{
    // The sheet and its neighbours.
    auto *sheets = new QGroupBox(QStringLiteral("图幅结合表"), this);
    auto *grid = new QGridLayout(sheets);
    grid->setSpacing(4);
    for (int i = 0; i < 9; ++i) {
        QLineEdit *field = Field(QStringLiteral("Edit%1").arg(i + 1), {}, sheets);
        field->setReadOnly(true);
        field->setAlignment(Qt::AlignCenter);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("W-50-144-(64)")) + 24);
        if (i == 4) {
            QFont bold = field->font();
            bold.setBold(true);
            field->setFont(bold);
        }
        grid->addWidget(field, i / 3, i % 3);
        m_sheets[static_cast<std::size_t>(i)] = field;
    }
    grid->addLayout(RadioPair(&RadioButton1, QStringLiteral("按新图幅标准编号"), QStringLiteral("RadioButton1"),
                              &RadioButton2, QStringLiteral("按旧图幅标准编号"), QStringLiteral("RadioButton2"), sheets),
                    3, 0, 1, 3);

    m_pages = new QTabWidget(this);

    // Longitude and latitude.
    auto *geodetic = new QWidget(m_pages);
    auto *geodeticForm = new QFormLayout(geodetic);
    EditE = Field(QStringLiteral("EditE"), QStringLiteral("0"), geodetic);
    EditN = Field(QStringLiteral("EditN"), QStringLiteral("0"), geodetic);
    geodeticForm->addRow(QStringLiteral("经度E="), EditE);
    geodeticForm->addRow(QStringLiteral("纬度N="), EditN);
    geodeticForm->addRow(Note(QStringLiteral("说明：角度单位为“度.分分秒秒”。如33.3026就是33度30分26秒。"), geodetic));
    QPushButton *button4 = Button(QStringLiteral("计算"), QStringLiteral("Button4"), geodetic);
    geodeticForm->addRow(QString(), button4);

    // Plane coordinates.
    auto *plane = new QWidget(m_pages);
    auto *planeLayout = new QGridLayout(plane);
    auto *point = new QFormLayout;
    EditX = Field(QStringLiteral("EditX"), QStringLiteral("0"), plane);
    EditY = Field(QStringLiteral("EditY"), QStringLiteral("0"), plane);
    point->addRow(QStringLiteral("X="), EditX);
    point->addRow(QStringLiteral("Y="), EditY);
    QPushButton *button1 = Button(QStringLiteral("CAD图上获取点位坐标..."), QStringLiteral("Button1"), plane);
    QPushButton *button2 = Button(QStringLiteral("计算"), QStringLiteral("Button2"), plane);
    button1->setMinimumWidth(button1->fontMetrics().horizontalAdvance(button1->text()) + 32);
    point->addRow(QString(), button1);
    point->addRow(QString(), button2);
    EllipsoidGroupNames names;
    names.title = QStringLiteral("坐标系设置");
    names.listCaption = QStringLiteral("参考椭球");
    names.presets = DrawingEllipsoidPresets;
    m_system = new EllipsoidGroup(names, plane);
    EditXX = m_system->addField(QStringLiteral("X加常数(m)"), QStringLiteral("EditXX"), QStringLiteral("0"));
    EditYY = m_system->addField(QStringLiteral("Y加常数(m)"), QStringLiteral("EditYY"), QStringLiteral("0"));
    ComboBox2 = m_system->addZoneWidthList(QStringLiteral("投影带"), QStringLiteral("ComboBox2"));
    planeLayout->addLayout(point, 0, 0, Qt::AlignTop);
    planeLayout->addWidget(m_system, 0, 1);
    planeLayout->setColumnStretch(0, 1);

    // Sheet number.
    auto *number = new QWidget(m_pages);
    auto *numberForm = new QFormLayout(number);
    numberForm->addRow(Note(QStringLiteral("小技巧：将图幅结合表中的某图幅号复制到该文本框可以查询相邻图幅。"), number));
    EditT = Field(QStringLiteral("EditT"), {}, number);
    numberForm->addRow(QStringLiteral("图幅号"), EditT);
    numberForm->addRow(RadioPair(&RadioButton3, QStringLiteral("输入旧图幅标准编号"), QStringLiteral("RadioButton3"),
                                 &RadioButton4, QStringLiteral("输入新图幅标准编号"), QStringLiteral("RadioButton4"), number));
    QPushButton *button3 = Button(QStringLiteral("计算"), QStringLiteral("Button3"), number);
    numberForm->addRow(QString(), button3);

    m_pages->addTab(geodetic, QStringLiteral("根据经纬度计算"));
    m_pages->addTab(plane, QStringLiteral("根据平面坐标计算"));
    m_pages->addTab(number, QStringLiteral("根据图幅号计算"));
    m_pages->setCurrentWidget(plane);

    connect(button4, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button4Click(); }); });
    connect(button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button1Click(); }); });
    connect(button2, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button2Click(); }); });
    connect(button3, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { Button3Click(); }); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(sheets);
    layout->addWidget(m_pages);
    setFixedSize(sizeHint());

    FormCreate();
}

TFormTFH::~TFormTFH()
{
    RunCommand(nullptr, [this] { FormDestroy(); });
}

void TFormTFH::FormCreate()
{
    const IniFile ini(SettingsFilePath());
    const bool byNew = ini.readBool(Section, QStringLiteral("BYNEWTFH"), true);
    (byNew ? RadioButton1 : RadioButton2)->setChecked(true);
    const bool inputOld = ini.readBool(Section, QStringLiteral("INPOLDTFH"), true);
    (inputOld ? RadioButton3 : RadioButton4)->setChecked(true);
    const QString a = ini.readString(Section, QStringLiteral("a"), QStringLiteral("6378245.0"));
    const QString b = ini.readString(Section, QStringLiteral("b"), QStringLiteral("6356863.0187730473"));
    EditXX->setText(ini.readString(Section, QStringLiteral("Xo"), QStringLiteral("0")));
    EditYY->setText(ini.readString(Section, QStringLiteral("Yo"), QStringLiteral("0")));
    m_system->restore(ini.readInt(Section, QStringLiteral("TQT"), 0), a, b);
    ComboBox2->setCurrentIndex(ini.readInt(Section, QStringLiteral("TYD"), 0));
}

void TFormTFH::FormDestroy()
{
    IniFile ini(SettingsFilePath());
    ini.writeBool(Section, QStringLiteral("BYNEWTFH"), RadioButton1->isChecked());
    ini.writeBool(Section, QStringLiteral("INPOLDTFH"), RadioButton3->isChecked());
    ini.writeString(Section, QStringLiteral("a"), m_system->aField()->text());
    ini.writeString(Section, QStringLiteral("b"), m_system->bField()->text());
    ini.writeString(Section, QStringLiteral("Xo"), EditXX->text());
    ini.writeString(Section, QStringLiteral("Yo"), EditYY->text());
    ini.writeInt(Section, QStringLiteral("TQT"), m_system->list()->currentIndex());
    ini.writeInt(Section, QStringLiteral("TYD"), ComboBox2->currentIndex());
    ini.save();
}

void TFormTFH::showSheets(const SheetPoint &point)
{
    const SheetNumbering numbering = RadioButton1->isChecked() ? SheetNumbering::New : SheetNumbering::Old;
    const std::array<std::string, 9> numbers = SheetNeighbourhood(numbering, point);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        m_sheets[i]->setText(QString::fromStdString(numbers[i]));
}

void TFormTFH::Button4Click()
{
    FpGuard guard;
    const SheetPoint point{PackedAngleSeconds(FieldNumberStrict(EditE)), PackedAngleSeconds(FieldNumberStrict(EditN))};
    guard.check(point.lambda, point.phi);
    showSheets(point);
}

void TFormTFH::Button1Click()
{
    CadSession *cad = AttachCad(this);
    if (!cad)
        return;
    const CadPoint p = cad->GetPoint(QStringLiteral("请从屏幕取点"));
    // Survey X is the drawing's north.
    EditX->setText(QString::fromStdString(GeneralText(p.y)));
    EditY->setText(QString::fromStdString(GeneralText(p.x)));
}

void TFormTFH::Button2Click()
{
    FpGuard guard;
    const Ellipsoid ellipsoid = m_system->ellipsoid();
    const Real X = FieldNumberStrict(EditX) + FieldNumberStrict(EditXX);
    const Real Y = FieldNumberStrict(EditY) + FieldNumberStrict(EditYY);
    guard.check(X, Y);
    const GridGeodetic geodetic = GeodeticOfGrid(ellipsoid, X, Y, ComboBox2->currentIndex() == 1 ? 6 : 3);
    const SheetPoint point{geodetic.L * 3600, geodetic.B * 3600};
    guard.check(point.lambda, point.phi);
    showSheets(point);
}

void TFormTFH::Button3Click()
{
    const SheetNumbering input = RadioButton3->isChecked() ? SheetNumbering::Old : SheetNumbering::New;
    showSheets(SheetPosition(input, EditT->text().trimmed().toStdString()));
}

} // namespace quorvil
