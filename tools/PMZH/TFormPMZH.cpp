#include "TFormPMZH.h"

#include "core/FpGuard.h"
#include "core/TextForms.h"
#include "io/PointFile.h"
#include "ui/CommandRunner.h"
#include "ui/Fields.h"
#include "ui/PlaneTransformTables.h"
#include "ui/ProjectionTools.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quorvil {

namespace {

const QStringList PointColumns = {QStringLiteral("点号"), QStringLiteral("纵坐标X"), QStringLiteral("横坐标Y"),
                                  QStringLiteral("高程H")};

FileDialogSpec CassSaveDialog()
{
    return {QStringLiteral("另存为cass50坐标数据文件..."), QStringLiteral("Text files (*.dat)"), QStringLiteral("dat")};
}

QLineEdit *MakeField(QWidget *parent, const QString &objectName)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setMinimumWidth(80);
    return field;
}

QLabel *RightLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

PointTableView *MakePointTable(bool editable, const QString &objectName, QWidget *parent)
{
    auto *table = new PointTableView(PointColumns, editable, parent);
    table->setObjectName(objectName);
    table->setColumnWidths({40, 85, 85, 60});
    return table;
}

} // namespace

TFormPMZH::TFormPMZH(QWidget *owner)
    : ToolWindow(owner, QStringLiteral("TFormPMZH"), QStringLiteral("二公共点平面简易转换"))
{
    // Common points: old and new coordinates of the base and the second point, and the two
    // heights of the height reference point.
    auto *common = new QGroupBox(QStringLiteral("公共点数据"), this);
    auto *grid = new QGridLayout(common);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    auto *oldCaption = new QLabel(QStringLiteral("老坐标系"), common);
    auto *newCaption = new QLabel(QStringLiteral("新坐标系"), common);
    oldCaption->setAlignment(Qt::AlignCenter);
    newCaption->setAlignment(Qt::AlignCenter);
    grid->addWidget(oldCaption, 0, 1, 1, 2);
    grid->addWidget(newCaption, 0, 3, 1, 2);
    const QStringList axisCaptions = {QStringLiteral("X′"), QStringLiteral("Y′"), QStringLiteral("X"), QStringLiteral("Y")};
    for (int c = 0; c < 4; ++c) {
        auto *label = new QLabel(axisCaptions.at(c), common);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, 1, c + 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("基准点"), common), 2, 0);
    grid->addWidget(EditUo = MakeField(common, QStringLiteral("EditUo")), 2, 1);
    grid->addWidget(EditVo = MakeField(common, QStringLiteral("EditVo")), 2, 2);
    grid->addWidget(EditXo = MakeField(common, QStringLiteral("EditXo")), 2, 3);
    grid->addWidget(EditYo = MakeField(common, QStringLiteral("EditYo")), 2, 4);
    grid->addWidget(new QLabel(QStringLiteral("附合点"), common), 3, 0);
    grid->addWidget(EditUt = MakeField(common, QStringLiteral("EditUt")), 3, 1);
    grid->addWidget(EditVt = MakeField(common, QStringLiteral("EditVt")), 3, 2);
    grid->addWidget(EditXt = MakeField(common, QStringLiteral("EditXt")), 3, 3);
    grid->addWidget(EditYt = MakeField(common, QStringLiteral("EditYt")), 3, 4);
    grid->addWidget(new QLabel(QStringLiteral("高程基准点"), common), 4, 0);
    grid->addWidget(RightLabel(QStringLiteral("老高程H'="), common), 4, 1);
    grid->addWidget(EditZo = MakeField(common, QStringLiteral("EditZo")), 4, 2);
    grid->addWidget(RightLabel(QStringLiteral("新高程H="), common), 4, 3);
    grid->addWidget(EditHo = MakeField(common, QStringLiteral("EditHo")), 4, 4);

    auto *buttons = new QHBoxLayout;
    auto addButton = [&](const QString &caption, const QString &name, void (TFormPMZH::*handler)()) {
        auto *button = new QPushButton(caption, common);
        button->setObjectName(name);
        connect(button, &QPushButton::clicked, this, [this, handler] { RunCommand(this, [this, handler] { (this->*handler)(); }); });
        buttons->addWidget(button);
    };
    buttons->addStretch(1);
    addButton(QStringLiteral("载入公共点..."), QStringLiteral("Button4"), &TFormPMZH::Button4Click);
    addButton(QStringLiteral("保存公共点..."), QStringLiteral("Button5"), &TFormPMZH::Button5Click);
    addButton(QStringLiteral("计算参数"), QStringLiteral("Button6"), &TFormPMZH::Button6Click);
    grid->addLayout(buttons, 5, 0, 1, 5);

    // Parameters: shown by the computation, read by the conversion; not typed by the user.
    auto *parameters = new QGroupBox(QStringLiteral("转换参数"), this);
    auto *form = new QGridLayout(parameters);
    form->setVerticalSpacing(4);
    EditDX = AddParameterRow(form, 0, QStringLiteral("Dx="), QStringLiteral("EditDX"), QStringLiteral("0"));
    EditDY = AddParameterRow(form, 1, QStringLiteral("Dy="), QStringLiteral("EditDY"), QStringLiteral("0"));
    EditT = AddParameterRow(form, 2, QStringLiteral("T(dms)="), QStringLiteral("EditT"), QStringLiteral("0"));
    EditK = AddParameterRow(form, 3, QStringLiteral("K="), QStringLiteral("EditK"), QStringLiteral("1"));
    EditDH = AddParameterRow(form, 4, QStringLiteral("Dh="), QStringLiteral("EditDH"), QStringLiteral("0"));
    form->setRowStretch(5, 1);
    EditK->setToolTip(QStringLiteral("双击尺度比置为1"));
    EditK->installEventFilter(this);

    // Points: old coordinates in, new coordinates out.
    StringGrid1 = MakePointTable(true, QStringLiteral("StringGrid1"), this);
    StringGrid2 = MakePointTable(false, QStringLiteral("StringGrid2"), this);
    InputToolBarOptions inputOptions;
    inputOptions.fieldCount = 4;
    inputOptions.missingField = QString();
    inputOptions.customImport = [this] { ToolButton3Click(); };
    QToolBar *inputBar = MakeInputToolBar(this, StringGrid1, inputOptions);
    m_converted = new ResultFreshness(this, [this] { ToolButton6Click(); });
    m_converted->watch(StringGrid1->table());
    m_converted->watch(parameters);
    QToolBar *resultBar = MakeResultToolBar(this, StringGrid2, QStringLiteral("转换计算"), m_converted,
                                            QStringLiteral("ToolButton6"), QStringLiteral("ToolButton7"));
    AddCommand(resultBar, QStringLiteral("另存为Cass格式"), QStringLiteral("ToolButton8"), [this] { ToolButton8Click(); });
    m_oldGroup = MakeTableGroup(QStringLiteral("老坐标"), StringGrid1, inputBar, this);
    m_oldGroup->setObjectName(QStringLiteral("GroupBoxOld"));
    m_newGroup = MakeTableGroup(QStringLiteral("新坐标"), StringGrid2, resultBar, this);
    m_newGroup->setObjectName(QStringLiteral("GroupBoxNew"));
    m_converted->showIn(m_newGroup, StringGrid2);

    // Field order of imported files.
    auto *order = new QGroupBox(QStringLiteral("源文件数据格式："), this);
    order->setObjectName(QStringLiteral("RadioGroup1"));
    auto *orderLayout = new QHBoxLayout(order);
    m_orderXY = new QRadioButton(QStringLiteral("点号,X,Y,H"), order);
    m_orderXY->setObjectName(QStringLiteral("RadioButton1"));
    m_orderYX = new QRadioButton(QStringLiteral("点号,Y,X,H"), order);
    m_orderYX->setObjectName(QStringLiteral("RadioButton2"));
    m_orderXY->setChecked(true);
    orderLayout->addWidget(m_orderXY);
    orderLayout->addSpacing(24);
    orderLayout->addWidget(m_orderYX);
    orderLayout->addStretch(1);

    // The two table groups share the width equally. The window starts wide enough for all four
    // columns of each table beside the row numbers, with room for a vertical scroll bar.
    QVBoxLayout *main = MakeWindowLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(common, 1);
    top->addWidget(parameters);
    main->addLayout(top);
    main->addLayout(MakeTablePair(m_oldGroup, m_newGroup), 1);
    main->addWidget(order);
    resize(700, 498);
}

bool TFormPMZH::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == EditK && event->type() == QEvent::MouseButtonDblClick) {
        RunCommand(this, [this] { EditKDblClick(); });
        return true;
    }
    return ToolWindow::eventFilter(watched, event);
}

QList<QLineEdit *> TFormPMZH::commonFields() const
{
    return {EditUo, EditVo, EditXo, EditYo, EditUt, EditVt, EditXt, EditYt, EditZo, EditHo};
}

TwoCommonPoints TFormPMZH::readCommonPoints() const
{
    TwoCommonPoints c;
    c.oldBase = {FieldNumber(EditUo), FieldNumber(EditVo), 0};
    c.newBase = {FieldNumber(EditXo), FieldNumber(EditYo), 0};
    c.oldSecond = {FieldNumber(EditUt), FieldNumber(EditVt), 0};
    c.newSecond = {FieldNumber(EditXt), FieldNumber(EditYt), 0};
    c.oldHeight = FieldNumber(EditZo);
    c.newHeight = FieldNumber(EditHo);
    return c;
}

void TFormPMZH::Button4Click()
{
    const QString path = Prompts::instance().openFileName(this, OpenPointsDialog());
    if (path.isEmpty())
        return;
    // Three lines: base point (X′, Y′, X, Y), second point (X′, Y′, X, Y), heights (H′, H). A field
    // or a line the file lacks leaves its field empty.
    const QStringList lines = ReadTextLines(path);
    const int counts[] = {4, 4, 2};
    const QList<QLineEdit *> fields = commonFields();
    QStringList texts;
    for (int line = 0; line < 3; ++line)
        texts += SplitFields(line < lines.size() ? QStringView(lines.at(line)) : QStringView(), counts[line], QString());
    for (int i = 0; i < fields.size(); ++i)
        fields.at(i)->setText(texts.at(i));
}

void TFormPMZH::Button5Click()
{
    const QString path = AskSaveFileName(this, SavePointsDialog());
    if (path.isEmpty())
        return;
    const QList<QLineEdit *> f = commonFields();
    WriteTextLines(path, {QStringList{f[0]->text(), f[1]->text(), f[2]->text(), f[3]->text()}.join(u','),
                          QStringList{f[4]->text(), f[5]->text(), f[6]->text(), f[7]->text()}.join(u','),
                          QStringList{f[8]->text(), f[9]->text()}.join(u',')});
}

void TFormPMZH::Button6Click()
{
    FpGuard guard;
    const TwoCommonPoints common = readCommonPoints();
    const FourParameters p = TwoPointSimilarity(common);
    const Real rotation = DegToDms(RadToDeg(p.T)); // packed ddd.mmss
    guard.check(p.Dx, p.Dy, p.K, p.Dh, rotation);
    showParameters(TwoPointParameterTexts(p, false));
}

void TFormPMZH::EditKDblClick()
{
    FpGuard guard;
    const TwoCommonPoints common = readCommonPoints();
    const FourParameters p = TwoPointSimilarity(common, true);
    const Real rotation = DegToDms(RadToDeg(p.T));
    guard.check(p.Dx, p.Dy, p.Dh, rotation);
    showParameters(TwoPointParameterTexts(p, true));
}

void TFormPMZH::showParameters(const std::array<std::string, 5> &texts)
{
    QLineEdit *const order[5] = {EditDX, EditDY, EditT, EditK, EditDH};
    for (int i = 0; i < 5; ++i)
        order[i]->setText(QString::fromStdString(texts[static_cast<size_t>(i)]));
}

void TFormPMZH::ToolButton3Click()
{
    const QString path = Prompts::instance().openFileName(this, OpenPointsDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    PointCells read = ReadPointCells(path, 4, QString());
    if (m_orderYX->isChecked()) // the file holds Y before X
        for (int r = 0; r < read.rows; ++r)
            std::swap(read.cells[static_cast<size_t>(r) * 4 + 1], read.cells[static_cast<size_t>(r) * 4 + 2]);
    StringGrid1->table()->replaceCells(read.rows, 4, std::move(read.cells));
    StringGrid1->setCurrentDataRow(StringGrid1->table()->rows() - 1);
}

void TFormPMZH::ToolButton6Click()
{
    FpGuard guard;
    const FourParameters p = TwoPointParametersFromTexts(std::vector<std::string>{
        EditDX->text().toStdString(), EditDY->text().toStdString(), EditT->text().toStdString(),
        EditK->text().toStdString(), EditDH->text().toStdString()});
    BusyCursor busy;
    ConvertRows(*StringGrid1->table(), *StringGrid2->table(),
                PlaneSimilarityConversion(PlaneSimilarityConversion::Model::TwoPoint, p));
}

void TFormPMZH::ToolButton8Click()
{
    if (!m_converted->confirmSave())
        return;
    const QString path = AskSaveFileName(this, CassSaveDialog());
    if (path.isEmpty())
        return;
    // CASS coordinate file: name, an empty code field, then easting before northing, height.
    const PointTableModel *result = StringGrid2->table();
    QStringList lines;
    lines.reserve(result->rows());
    for (int r = 0; r < result->rows(); ++r)
        lines += result->cell(r, 0) + QStringLiteral(",,") + result->cell(r, 2) + u',' + result->cell(r, 1) + u',' +
                 result->cell(r, 3);
    BusyCursor busy;
    WriteTextLines(path, lines);
}

} // namespace quorvil
