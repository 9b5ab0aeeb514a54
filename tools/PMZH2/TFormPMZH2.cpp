#include "TFormPMZH2.h"

#include "core/FpGuard.h"
#include "core/PlaneSimilarity.h"
#include "io/PointFile.h"
#include "ui/Fields.h"
#include "ui/PlaneTransformTables.h"
#include "ui/ProjectionTools.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include <vector>

namespace quorvil {

namespace {

const QStringList CommonColumns = {
    QStringLiteral("点号"),      QStringLiteral("老坐标x(m)"), QStringLiteral("老坐标y(m)"), QStringLiteral("老坐标H(m)"),
    QStringLiteral("新坐标x(m)"), QStringLiteral("新坐标y(m)"), QStringLiteral("新坐标H(m)"), QStringLiteral("残差x(m)"),
    QStringLiteral("残差y(m)"),  QStringLiteral("残差H(m)")};
const QStringList PointColumns = {QStringLiteral("点号"), QStringLiteral("纵坐标x(m)"), QStringLiteral("横坐标y(m)"),
                                  QStringLiteral("高程H(m)")};

// Columns of the common-point table.
constexpr int OldX = 1, NewX = 4, ResidualX = 7;

PointTableView *MakeTable(const QStringList &captions, bool editable, const QString &objectName, QWidget *parent)
{
    auto *table = new PointTableView(captions, editable, parent);
    table->setObjectName(objectName);
    return table;
}

} // namespace

TFormPMZH2::TFormPMZH2(QWidget *owner)
    : ToolWindow(owner, QStringLiteral("TFormPMZH2"), QStringLiteral("多公共点平面相似变换"))
{
    // Common points with their residuals.
    StringGrid1 = MakeTable(CommonColumns, true, QStringLiteral("StringGrid1"), this);
    StringGrid1->setColumnWidths({40, 79, 79, 76, 79, 79, 76, 62, 62, 62});
    StringGrid1->table()->setRowCount(2);
    InputToolBarOptions commonOptions;
    commonOptions.fieldCount = 7; // name, old x, y, H, new x, y, H
    QToolBar *commonBar = MakeInputToolBar(this, StringGrid1, commonOptions);
    AddCommand(commonBar, QStringLiteral("保存公共点"), QStringLiteral("ToolButton14"),
               [this] { StringGrid1->saveFile(SavePointsDialog()); });
    m_solved = new ResultFreshness(this, [this] { ToolButton6Click(); });
    m_solved->watch(StringGrid1->table());
    AddCommand(commonBar, QStringLiteral("解算四参数"), QStringLiteral("ToolButton6"), [this] { m_solved->compute(); });
    QGroupBox *commonGroup = MakeTableGroup(QStringLiteral("公共点坐标"), StringGrid1, commonBar, this);
    m_solved->showIn(commonGroup, StringGrid1);

    // Parameters: written by the estimation or the parameter file, read by the conversion.
    auto *parameters = new QGroupBox(QStringLiteral("转换参数"), this);
    auto *form = new QGridLayout(parameters);
    form->setVerticalSpacing(4);
    EditA = AddParameterRow(form, 0, QStringLiteral("Dx="), QStringLiteral("EditA"), QStringLiteral("0"));
    EditB = AddParameterRow(form, 1, QStringLiteral("Dy="), QStringLiteral("EditB"), QStringLiteral("0"));
    EditC = AddParameterRow(form, 2, QStringLiteral("T(\")="), QStringLiteral("EditC"), QStringLiteral("0"));
    EditD = AddParameterRow(form, 3, QStringLiteral("K="), QStringLiteral("EditD"), QStringLiteral("1"));
    EditDH = AddParameterRow(form, 4, QStringLiteral("Dh="), QStringLiteral("EditDH"), QStringLiteral("0"));
    for (QLineEdit *field : parameterFields())
        field->setMinimumWidth(130);
    QToolBar *parameterBar = MakeTextToolBar(parameters);
    AddCommand(parameterBar, QStringLiteral("保存参数"), QStringLiteral("ToolButton15"), [this] { ToolButton15Click(); });
    AddCommand(parameterBar, QStringLiteral("导入参数"), QStringLiteral("ToolButton16"), [this] { ToolButton16Click(); });
    form->addWidget(parameterBar, 5, 0, 1, 2);
    form->setRowStretch(6, 1);

    // Points: old coordinates in, new coordinates out.
    StringGrid2 = MakeTable(PointColumns, true, QStringLiteral("StringGrid2"), this);
    StringGrid3 = MakeTable(PointColumns, false, QStringLiteral("StringGrid3"), this);
    StringGrid2->setColumnWidths({40, 100, 100, 70});
    StringGrid3->setColumnWidths({40, 100, 100, 70});
    InputToolBarOptions inputOptions;
    inputOptions.fieldCount = 4;
    inputOptions.names = {QStringLiteral("ToolButton9"), QStringLiteral("ToolButton10"), QStringLiteral("ToolButton11"),
                          QStringLiteral("ToolButton12"), QStringLiteral("ToolButton13")};
    QToolBar *inputBar = MakeInputToolBar(this, StringGrid2, inputOptions);
    m_converted = new ResultFreshness(this, [this] { ToolButton7Click(); });
    m_converted->watch(StringGrid2->table());
    m_converted->watch(parameters);
    QToolBar *resultBar = MakeResultToolBar(this, StringGrid3, QStringLiteral("转换计算"), m_converted,
                                            QStringLiteral("ToolButton7"), QStringLiteral("ToolButton8"));
    m_oldGroup = MakeTableGroup(QStringLiteral("老坐标(x,y)"), StringGrid2, inputBar, this);
    m_oldGroup->setObjectName(QStringLiteral("GroupBoxOld"));
    m_newGroup = MakeTableGroup(QStringLiteral("新坐标(x,y)"), StringGrid3, resultBar, this);
    m_newGroup->setObjectName(QStringLiteral("GroupBoxNew"));
    m_converted->showIn(m_newGroup, StringGrid3);

    // The lower groups share the width equally. The window starts wide enough for all ten columns
    // of the common-point table, residuals included, with room for a vertical scroll bar.
    QVBoxLayout *main = MakeWindowLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(commonGroup, 1);
    top->addWidget(parameters);
    main->addLayout(top, 1);
    main->addLayout(MakeTablePair(m_oldGroup, m_newGroup), 1);
    resize(980, 576);
}

QList<QLineEdit *> TFormPMZH2::parameterFields() const
{
    return {EditA, EditB, EditC, EditD, EditDH};
}

void TFormPMZH2::ToolButton6Click()
{
    // Every data row takes part; an empty cell reads as 0.
    FpGuard guard;
    PointTableModel *common = StringGrid1->table();
    std::vector<CommonPoint> points(static_cast<size_t>(common->rows()));
    for (int r = 0; r < common->rows(); ++r) {
        CommonPoint &p = points[static_cast<size_t>(r)];
        p.oldPoint = {CellNumber(common, r, OldX), CellNumber(common, r, OldX + 1), CellNumber(common, r, OldX + 2)};
        p.newPoint = {CellNumber(common, r, NewX), CellNumber(common, r, NewX + 1), CellNumber(common, r, NewX + 2)};
    }

    const FourParameterEstimate estimate = EstimateFourParameters(points);
    const FourParameters &p = estimate.parameters;
    const Real rotationSeconds = RadiansToArcSeconds(p.T);
    guard.check(p.Dx, p.Dy, p.K, p.Dh, rotationSeconds, estimate.residuals);

    for (int r = 0; r < common->rows(); ++r) {
        const auto texts = PlaneResidualTexts(estimate.residuals[static_cast<size_t>(r)]);
        for (int i = 0; i < 3; ++i)
            common->setCell(r, ResidualX + i, QString::fromStdString(texts[static_cast<size_t>(i)]));
    }
    const auto shown = FourParameterTexts(p);
    const QList<QLineEdit *> fields = parameterFields();
    for (int i = 0; i < fields.size(); ++i)
        fields.at(i)->setText(QString::fromStdString(shown[static_cast<size_t>(i)]));
}

void TFormPMZH2::ToolButton7Click()
{
    // The parameters as the fields show them: T and K rounded to 10 decimals, Dx and Dy to 6.
    FpGuard guard;
    std::vector<std::string> texts;
    for (const QLineEdit *field : parameterFields())
        texts.push_back(field->text().toStdString());
    const FourParameters p = FourParametersFromTexts(texts);
    BusyCursor busy;
    ConvertRows(*StringGrid2->table(), *StringGrid3->table(),
                PlaneSimilarityConversion(PlaneSimilarityConversion::Model::FourParameters, p));
}

void TFormPMZH2::ToolButton15Click()
{
    const QString path = AskSaveFileName(this, SavePointsDialog());
    if (path.isEmpty())
        return;
    QStringList texts;
    for (const QLineEdit *field : parameterFields())
        texts += field->text();
    WriteTextLines(path, {texts.join(u',')});
}

void TFormPMZH2::ToolButton16Click()
{
    const QString path = Prompts::instance().openFileName(this, OpenPointsDialog());
    if (path.isEmpty())
        return;
    // Only the first line counts; its texts go into the fields as they stand, a missing one as "0".
    const QStringList lines = ReadTextLines(path);
    const QStringList texts = SplitFields(lines.isEmpty() ? QStringView() : QStringView(lines.first()), 5);
    const QList<QLineEdit *> fields = parameterFields();
    for (int i = 0; i < fields.size(); ++i)
        fields.at(i)->setText(texts.at(i));
}

} // namespace quorvil
