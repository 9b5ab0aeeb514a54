#include "TFormGCNH.h"

#include "core/FpGuard.h"
#include "core/HeightFit.h"
#include "ui/Fields.h"
#include "ui/PlaneTransformTables.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quorvil {

namespace {

const QStringList CommonColumns = {"点名", "X(m)", "Y(m)", "大地高(m)", "正常高(m)", "用途"};
const QStringList PointColumns = {"点名", "X(m)", "Y(m)", "大地高(m)"};
const QStringList ConvertedColumns = {"点名", "X(m)", "Y(m)", "大地高(m)", "高程异常(m)", "正常高(m)", "说明"};
const QStringList ResidualColumns = {"点名", "用途", "高程异常(m)", "拟合值(m)", "残差(mm)"};

PointTableView *MakeTable(const QStringList &captions, bool editable, const QString &objectName, QWidget *parent)
{
    auto *table = new PointTableView(captions, editable, parent);
    table->setObjectName(objectName);
    return table;
}

// The rows of a result table from the texts of the computation; one empty row when there are none.
template <size_t N>
void ShowRows(PointTableView *view, const std::vector<std::array<std::string, N>> &rows)
{
    if (rows.empty()) {
        view->table()->clear(1);
        return;
    }
    std::vector<QString> cells;
    cells.reserve(rows.size() * N);
    for (const auto &row : rows)
        for (const std::string &text : row)
            cells.push_back(QString::fromStdString(text));
    view->table()->replaceCells(static_cast<int>(rows.size()), static_cast<int>(N), std::move(cells));
}

} // namespace

TFormGCNH::TFormGCNH(QWidget *owner) : ToolWindow(owner, QStringLiteral("TFormGCNH"), QStringLiteral("GNSS高程拟合"))
{
    // The two input tables with their toolbars above them; every field of an imported line that
    // is missing stays empty (a missing height is refused, a missing 用途 is 拟合).
    StringGrid1 = MakeTable(CommonColumns, true, QStringLiteral("StringGrid1"), this);
    StringGrid1->setColumnWidths({56, 96, 92, 70, 70, 42});
    InputToolBarOptions commonOptions;
    commonOptions.fieldCount = 6;
    commonOptions.missingField = QString();
    QToolBar *commonBar = MakeInputToolBar(this, StringGrid1, commonOptions);
    QGroupBox *commonGroup = MakeTableGroup(QStringLiteral("公共点（拟合点与检核点）"), StringGrid1, commonBar, this,
                                            ToolBarPlace::Above);

    StringGrid2 = MakeTable(PointColumns, true, QStringLiteral("StringGrid2"), this);
    StringGrid2->setColumnWidths({56, 96, 92, 70});
    InputToolBarOptions pointOptions;
    pointOptions.fieldCount = 4;
    pointOptions.missingField = QString();
    pointOptions.names = {QStringLiteral("ToolButton9"), QStringLiteral("ToolButton10"), QStringLiteral("ToolButton11"),
                          QStringLiteral("ToolButton12"), QStringLiteral("ToolButton13")};
    QToolBar *pointBar = MakeInputToolBar(this, StringGrid2, pointOptions);
    QGroupBox *pointGroup = MakeTableGroup(QStringLiteral("待转换点（GNSS点）"), StringGrid2, pointBar, this,
                                           ToolBarPlace::Above);

    // Results: the residuals of the common points, and the converted points with the commands.
    StringGrid4 = MakeTable(ResidualColumns, false, QStringLiteral("StringGrid4"), this);
    StringGrid4->setColumnWidths({56, 42, 70, 70, 64});
    QGroupBox *residualGroup = MakeTableGroup(QStringLiteral("公共点拟合残差"), StringGrid4, nullptr, this);

    StringGrid3 = MakeTable(ConvertedColumns, false, QStringLiteral("StringGrid3"), this);
    StringGrid3->setColumnWidths({56, 96, 92, 70, 70, 70, 42});
    m_results = new ResultFreshness(this, [this] { ToolButton6Click(); });
    QToolBar *resultBar = MakeResultToolBar(this, StringGrid3, QStringLiteral("拟合计算"), m_results);
    QGroupBox *resultGroup = MakeTableGroup(QStringLiteral("转换结果（正常高）"), StringGrid3, resultBar, this);

    // The model and the limit; the summary beside them.
    auto *modelGroup = new QGroupBox(QStringLiteral("拟合模型"), this);
    auto *form = new QFormLayout(modelGroup);
    ComboModel = new QComboBox(modelGroup);
    ComboModel->setObjectName(QStringLiteral("ComboModel"));
    for (HeightModel model : {HeightModel::Constant, HeightModel::Plane, HeightModel::Quadratic})
        ComboModel->addItem(QString::fromUtf8(HeightModelName(model)));
    ComboModel->setCurrentIndex(static_cast<int>(HeightModel::Plane));
    form->addRow(QStringLiteral("模型："), ComboModel);
    EditLimit = new QLineEdit(modelGroup);
    EditLimit->setObjectName(QStringLiteral("EditLimit"));
    EditLimit->setPlaceholderText(QStringLiteral("不设"));
    form->addRow(QStringLiteral("检核限差(mm)："), EditLimit);
    auto *note = new QLabel(QStringLiteral("ζ = 大地高 − 正常高\n用途：拟合 / 检核\n检核点另按 ±30√D mm 检验"), modelGroup);
    note->setObjectName(QStringLiteral("LabelNote"));
    note->setEnabled(false);
    form->addRow(note);

    auto *summaryGroup = new QGroupBox(QStringLiteral("拟合报告"), this);
    auto *summaryLayout = new QVBoxLayout(summaryGroup);
    summaryLayout->setContentsMargins(6, 6, 6, 6);
    MemoSummary = new QPlainTextEdit(summaryGroup);
    MemoSummary->setObjectName(QStringLiteral("MemoSummary"));
    MemoSummary->setReadOnly(true);
    MemoSummary->setLineWrapMode(QPlainTextEdit::NoWrap);
    summaryLayout->addWidget(MemoSummary);

    // The report says when the tables or the model have changed since the fit.
    m_results->watch(StringGrid1->table());
    m_results->watch(StringGrid2->table());
    m_results->watch(modelGroup);
    summaryLayout->insertWidget(0, m_results->makeNotice(summaryGroup));
    m_results->greyWhileStale({MemoSummary, StringGrid3, StringGrid4});
    for (PointTableView *table : {StringGrid1, StringGrid2, StringGrid3, StringGrid4})
        table->widenToCaptions();

    QVBoxLayout *main = MakeWindowLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(commonGroup, 5);
    top->addWidget(residualGroup, 4);
    auto *middle = new QHBoxLayout;
    middle->addWidget(pointGroup, 5);
    middle->addWidget(resultGroup, 7);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(modelGroup);
    bottom->addWidget(summaryGroup, 1);
    main->addLayout(top, 4);
    main->addLayout(middle, 3);
    main->addLayout(bottom, 3);
    resize(1160, 780);
}

void TFormGCNH::ToolButton6Click()
{
    // Everything is read and checked before anything shown changes.
    FpGuard guard;
    if (ComboModel->currentIndex() < 0)
        throw HeightFitError("请选择拟合模型！");
    const auto model = static_cast<HeightModel>(ComboModel->currentIndex());
    const std::optional<Real> limit = HeightLimitFromText(EditLimit->text().toStdString());
    std::vector<HeightCommonPoint> common = HeightCommonPointsFromTexts(TableTexts(StringGrid1->table()));
    std::vector<HeightPoint> points = HeightPointsFromTexts(TableTexts(StringGrid2->table()));
    BusyCursor busy;
    const HeightFitResult result = FitHeights(std::move(common), std::move(points), model, limit);

    ShowRows(StringGrid4, HeightResidualTexts(result));
    ShowRows(StringGrid3, HeightConvertedTexts(result));
    QStringList lines;
    for (const std::string &line : HeightFitSummary(result))
        lines += QString::fromStdString(line);
    MemoSummary->setPlainText(lines.join(u'\n'));
    if (result.fewFittingPoints)
        Prompts::instance().showMessage(this, QString::fromStdString(FewFittingPointsText(result)), windowTitle(),
                                        QMessageBox::Warning);
}

} // namespace quorvil
