#include "TFormGCDC.h"

#include "core/CompensationPlane.h"
#include "ui/CommandRunner.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"
#include "ui/ResultFreshness.h"

#include <QAction>
#include <QBoxLayout>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QToolBar>

#include <algorithm>

namespace quorvil {

namespace {

PointToolLayout Layout()
{
    PointToolLayout layout;
    layout.inputCaption = QStringLiteral("原椭球坐标数据");
    layout.inputColumns = ProjectionCaptions::PlaneColumns;
    layout.resultCaption = QStringLiteral("新椭球坐标数据");
    layout.resultColumns = ProjectionCaptions::PlaneColumns;
    layout.columnWidths = {100, 125, 125};
    layout.clearResultsToo = true;
    return layout;
}

// Window width taken by the borders around the two table groups.
constexpr int TableBorders = 13;

QLineEdit *AddField(QFormLayout *form, const QString &caption, const QString &name, const QString &text)
{
    auto *field = new QLineEdit(text, form->parentWidget());
    field->setObjectName(name);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000.000")) + 12);
    form->addRow(caption, field);
    return field;
}

QPushButton *AddButton(QFormLayout *form, const QString &name, const QString &hint)
{
    auto *button = new QPushButton(QStringLiteral("计算"), form->parentWidget());
    button->setObjectName(name);
    button->setToolTip(hint);
    form->addRow(QString(), button);
    return button;
}

} // namespace

TFormGCDC::TFormGCDC(QWidget *owner)
    : PointToolWindow(owner, QStringLiteral("TFormGCDC"), QStringLiteral("抵偿高程面确定及投影变换"), Layout())
{
    // This tool's input toolbar starts with the import and calls its append button " 追加记录".
    if (auto *append = findChild<QAction *>(QStringLiteral("ToolButton1")))
        append->setText(QStringLiteral(" 追加记录"));
    if (auto *import = findChild<QAction *>(QStringLiteral("ToolButton3"))) {
        if (auto *bar = qobject_cast<QToolBar *>(import->parent())) {
            bar->removeAction(import);
            bar->insertAction(bar->actions().value(0), import);
        }
    }

    EllipsoidGroupNames names;
    names.title = QStringLiteral("原椭球参数");
    names.listCaption = QStringLiteral("参考椭球");
    names.aCaption = QStringLiteral("a1=");
    names.bCaption = QStringLiteral("b1=");
    names.aName = QStringLiteral("EditA1");
    names.bName = QStringLiteral("EditB1");
    m_source = new EllipsoidGroup(names, this);
    m_yConstant = m_source->addField(QStringLiteral("Y坐标加常数"), QStringLiteral("EditYY1"), QStringLiteral("500000"));
    m_yConstant->setToolTip(QStringLiteral("通常是带号及500公里"));

    auto *area = new QGroupBox(QStringLiteral("测区条件"), this);
    auto *areaForm = new QFormLayout(area);
    m_meanLatitude = AddField(areaForm, QStringLiteral("平均纬度(dms)"), QStringLiteral("EditXm"), QStringLiteral("0"));
    m_distance = AddField(areaForm, QStringLiteral("距中央子午线(m)"), QStringLiteral("EditYm"), QStringLiteral("0"));
    m_height = AddField(areaForm, QStringLiteral("平均高程(水准高)"), QStringLiteral("EditHm"), QStringLiteral("0"));
    m_heightAnomaly = AddField(areaForm, QStringLiteral("平均高程异常值"), QStringLiteral("EditDh"), QStringLiteral("0"));

    auto *surface = new QGroupBox(QStringLiteral("确定抵偿面"), this);
    auto *surfaceForm = new QFormLayout(surface);
    m_distortion = AddField(surfaceForm, QStringLiteral("每公里投影变形="), QStringLiteral("EditDs"), QString());
    m_distortion->setReadOnly(true);
    m_compensationHeight = AddField(surfaceForm, QStringLiteral("抵偿面大地高"), QStringLiteral("EditHd"), QStringLiteral("0"));
    QPushButton *button2 = AddButton(surfaceForm, QStringLiteral("Button2"), QStringLiteral("计算每公里投影变形及抵偿面大地高"));

    auto *enlarged = new QGroupBox(QStringLiteral("新椭球参数"), this);
    auto *enlargedForm = new QFormLayout(enlarged);
    m_a2 = AddField(enlargedForm, QStringLiteral("a2="), QStringLiteral("EditA2"), QString());
    m_b2 = AddField(enlargedForm, QStringLiteral("b2="), QStringLiteral("EditB2"), QString());
    m_a2->setMinimumWidth(150);
    QPushButton *button1 = AddButton(enlargedForm, QStringLiteral("Button1"), QString());

    // The conversion reads the source ellipsoid with its Y constant and the new ellipsoid; the area
    // and the compensation surface only lead to the new ellipsoid.
    results()->watch(m_source);
    results()->watch(enlarged);

    connect(button2, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { button2Click(); }); });
    connect(button1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { button1Click(); }); });

    // The four parameter groups above the two tables.
    auto *panel = new QHBoxLayout;
    panel->addWidget(m_source, 3);
    panel->addWidget(area, 2);
    panel->addWidget(surface, 2);
    panel->addWidget(enlarged, 3);
    if (auto *main = qobject_cast<QBoxLayout *>(layout()))
        main->insertLayout(0, panel);

    setMinimumSize(640, 420);
    resize(980, 560);
}

void TFormGCDC::resizeEvent(QResizeEvent *event)
{
    // The left table group takes half of the width: (width − 13) / 2, rounded (halves to even).
    const int span = std::max(event->size().width() - TableBorders, 0);
    int half = span / 2;
    if (span % 2 != 0 && half % 2 != 0)
        ++half;
    inputGroup()->setFixedWidth(half);
    PointToolWindow::resizeEvent(event);
}

void TFormGCDC::button2Click()
{
    FpGuard guard;
    const Ellipsoid ellipsoid = m_source->ellipsoid();
    const Real B = FieldDegrees(m_meanLatitude);
    const Real ym = FieldNumber(m_distance);
    // Mean ellipsoidal height: levelled height plus height anomaly.
    const Real H = FieldNumber(m_height) + FieldNumber(m_heightAnomaly);
    const Real distortion = DistortionPerKilometre(ellipsoid, B, ym, H);
    const Real height = CompensationHeight(ellipsoid, B, ym, H);
    guard.check(distortion, height);
    m_distortion->setText(NumberText(2, distortion) + QStringLiteral("mm"));
    m_compensationHeight->setText(NumberText(0, height));
}

void TFormGCDC::button1Click()
{
    FpGuard guard;
    const Ellipsoid ellipsoid = m_source->ellipsoid();
    const Real B = FieldDegrees(m_meanLatitude);
    FieldNumber(m_distance); // must be a number, though the enlarged ellipsoid does not depend on it
    const Real height = FieldNumber(m_compensationHeight); // as computed, or as the user set it
    const Ellipsoid enlarged = EnlargedEllipsoid(ellipsoid, B, height);
    guard.check(enlarged.a, enlarged.b);
    m_a2->setText(NumberText(10, enlarged.a));
    m_b2->setText(NumberText(10, enlarged.b));
}

void TFormGCDC::compute()
{
    FpGuard guard;
    const Ellipsoid source = m_source->ellipsoid();
    // The Y constant includes the zone number when the coordinates carry one; nothing else is
    // stripped.
    const Real yConstant = FieldNumber(m_yConstant);
    const Ellipsoid target{FieldNumber(m_a2), FieldNumber(m_b2)};
    ConvertRows(*input()->table(), *result()->table(), CompensationConversion(source, target, yConstant));
}

} // namespace quorvil
