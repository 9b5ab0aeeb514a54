#include "DatumWindow.h"

#include "EllipsoidGroup.h"
#include "Fields.h"
#include "PointTableView.h"
#include "ProjectionTools.h"
#include "Prompts.h"
#include "ResultFreshness.h"
#include "TableToolBars.h"

#include "core/FpGuard.h"
#include "core/TextForms.h"
#include "io/PointFile.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <cmath>
#include <vector>

namespace quorvil {

namespace {

constexpr int CommonRowsAtOpening = 3;

// Widths of the old group and of the input-table group: half the window less its frame.
constexpr int WindowFrameAllowance = 13;

const QStringList PanelCaptions = {QStringLiteral("DX="),      QStringLiteral("DY="),      QStringLiteral("DZ="),
                                   QStringLiteral("WX(\")="), QStringLiteral("WY(\")="), QStringLiteral("WZ(\")="),
                                   QStringLiteral("K=")};
const QStringList PanelDefaults = {"0", "0", "0", "0", "0", "0", "1"};

EllipsoidGroup *MakeSideGroup(const QString &title, const QString &suffix, const DatumSideLayout &side,
                              QHash<QString, QLineEdit *> &fields, QWidget *parent)
{
    EllipsoidGroupNames names;
    names.title = title;
    names.listName = QStringLiteral("ComboBox") + suffix;
    names.aName = QStringLiteral("EditA") + suffix;
    names.bName = QStringLiteral("EditB") + suffix;
    auto *group = new EllipsoidGroup(names, parent);
    group->list()->setCurrentIndex(side.preset);
    for (const DatumFieldLayout &f : side.fields)
        fields.insert(f.name, group->addField(f.caption, f.name, f.text));
    return group;
}

void SetWidths(PointTableView *table, const QList<int> &widths)
{
    for (int c = 0; c < widths.size(); ++c)
        table->setColumnWidth(c, widths.at(c));
}

DatumTriple RowTriple(const PointTableModel *table, int row, int firstColumn)
{
    return {CellNumber(table, row, firstColumn), CellNumber(table, row, firstColumn + 1),
            CellNumber(table, row, firstColumn + 2)};
}

} // namespace

DatumFieldLayout CentralMeridianField(const QString &name)
{
    return {QStringLiteral("中央子午线(dms)"), name, QStringLiteral("0")};
}

DatumFieldLayout YConstantField(const QString &name)
{
    return {QStringLiteral("Y常数(m)"), name, QStringLiteral("500000")};
}

DatumFieldLayout HeightAnomalyField(const QString &name)
{
    return {QStringLiteral("测区高程异常"), name, QStringLiteral("0")};
}

QStringList PlaneColumns(const QString &x, const QString &y)
{
    return {QStringLiteral("点号"), x, y, QStringLiteral("高程H(m)")};
}

QStringList GeodeticColumns()
{
    return {QStringLiteral("点号"), QStringLiteral("纬度B(dms)"), QStringLiteral("经度L(dms)"), QStringLiteral("高程H(m)")};
}

QStringList CommonColumns(const QStringList &oldColumns, const QStringList &newColumns, DatumCoordinates newKind)
{
    const QStringList residuals = newKind == DatumCoordinates::Geodetic
                                      ? QStringList{QStringLiteral("残差B(\")"), QStringLiteral("残差L(\")"), QStringLiteral("残差H(m)")}
                                      : QStringList{QStringLiteral("残差x(m)"), QStringLiteral("残差y(m)"), QStringLiteral("残差H(m)")};
    return QStringList{QStringLiteral("点号")} + oldColumns + newColumns + residuals;
}

const QStringList &DatumWindow::ParameterFieldNames()
{
    static const QStringList names = {"EditDX", "EditDY", "EditDZ", "EditWX", "EditWY", "EditWZ", "EditK"};
    return names;
}

DatumWindow::DatumWindow(QWidget *owner, const DatumToolLayout &tool)
    : ToolWindow(owner, tool.className, tool.caption), m_tool(tool)
{
    // Band 1: the old and the new coordinate system.
    m_oldGroup = MakeSideGroup(QStringLiteral("原椭球及坐标系参数设置"), QStringLiteral("1"), tool.oldSide, m_fields, this);
    m_newGroup = MakeSideGroup(QStringLiteral("新椭球及坐标系参数设置"), QStringLiteral("2"), tool.newSide, m_fields, this);
    if (!tool.followingMeridianField.isEmpty()) {
        QLineEdit *following = field(tool.followingMeridianField);
        connect(field(tool.oldSide.centralMeridianField), &QLineEdit::textChanged, following, &QLineEdit::setText);
    }

    // Band 2: common points and the parameter panel.
    m_common = new PointTableView(tool.commonColumns, true, this);
    m_common->setObjectName(QStringLiteral("StringGrid3"));
    m_common->table()->setRowCount(CommonRowsAtOpening);
    SetWidths(m_common, tool.commonWidths);
    InputToolBarOptions commonOptions;
    commonOptions.fieldCount = 7;
    commonOptions.names = {"ToolButton8", "ToolButton9", "ToolButton10", "ToolButton11", "ToolButton12"};
    QToolBar *commonBar = MakeInputToolBar(this, m_common, commonOptions);
    AddCommand(commonBar, QStringLiteral("保存公共点"), QStringLiteral("ToolButton16"), [this] { ToolButton16Click(); });
    m_solved = new ResultFreshness(this, [this] { ToolButton13Click(); });
    AddCommand(commonBar, QStringLiteral("解算七参数"), QStringLiteral("ToolButton13"), [this] { m_solved->compute(); });
    QGroupBox *commonGroup = MakeTableGroup(QStringLiteral("公共点坐标"), m_common, commonBar, this);

    auto *panel = new QGroupBox(QStringLiteral("空间坐标转换参数"), this);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(6, 6, 6, 6);
    auto *panelForm = new QFormLayout;
    panelForm->setVerticalSpacing(3);
    for (int i = 0; i < ParameterFieldNames().size(); ++i) {
        auto *edit = new QLineEdit(PanelDefaults.at(i), panel);
        edit->setObjectName(ParameterFieldNames().at(i));
        edit->setReadOnly(true);
        edit->setMinimumWidth(130);
        panelForm->addRow(PanelCaptions.at(i), edit);
        m_panel.append(edit);
    }
    panelLayout->addLayout(panelForm);
    panelLayout->addStretch(1);
    QToolBar *panelBar = MakeTextToolBar(panel);
    AddCommand(panelBar, QStringLiteral("保存参数"), QStringLiteral("ToolButton14"), [this] { ToolButton14Click(); });
    AddCommand(panelBar, QStringLiteral("导入参数"), QStringLiteral("ToolButton15"), [this] { ToolButton15Click(); });
    panelLayout->addWidget(panelBar);

    // Band 3: the points to convert and their results.
    m_input = new PointTableView(tool.oldSide.tableColumns, true, this);
    m_input->setObjectName(QStringLiteral("StringGrid1"));
    m_result = new PointTableView(tool.newSide.tableColumns, false, this);
    m_result->setObjectName(QStringLiteral("StringGrid2"));
    // Packed angles with 10 decimals need wider columns than plane coordinates.
    auto pointWidths = [](DatumCoordinates kind) {
        return kind == DatumCoordinates::Geodetic ? QList<int>{40, 115, 115, 62} : QList<int>{44, 100, 100, 72};
    };
    SetWidths(m_input, pointWidths(tool.oldSide.kind));
    SetWidths(m_result, pointWidths(tool.newSide.kind));
    InputToolBarOptions inputOptions;
    inputOptions.fieldCount = 4;
    m_converted = new ResultFreshness(this, [this] { ToolButton6Click(); });
    inputOptions.alsoOnClear = [this] {
        m_result->clearRows(1);
        m_converted->clear();
    };
    QToolBar *inputBar = MakeInputToolBar(this, m_input, inputOptions);
    QToolBar *resultBar = MakeTextToolBar(this);
    AddCommand(resultBar, QStringLiteral("转换计算"), QStringLiteral("ToolButton6"), [this] { m_converted->compute(); });
    AddCommand(resultBar, TableCaptions::SaveAs, QStringLiteral("ToolButton7"), [this] { ToolButton7Click(); });
    m_inputGroup = MakeTableGroup(tool.oldSide.tableCaption, m_input, inputBar, this);
    QGroupBox *resultGroup = MakeTableGroup(tool.newSide.tableCaption, m_result, resultBar, this);

    // The residuals follow from the common points and the two sides; the converted points from
    // the points, the two sides and the parameters of the panel, solved or imported.
    for (ResultFreshness *results : {m_solved, m_converted}) {
        results->watch(m_oldGroup);
        results->watch(m_newGroup);
    }
    m_solved->watch(m_common->table());
    m_solved->showIn(commonGroup, m_common);
    m_converted->watch(m_input->table());
    m_converted->watch(panel);
    m_converted->showIn(resultGroup, m_result);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(4, 4, 4, 4);
    main->setSpacing(4);
    // The groups on the left follow the window width (resizeEvent), so the layout must not
    // hold the window at its current width.
    main->setSizeConstraint(QLayout::SetNoConstraint);
    auto *systems = new QHBoxLayout;
    systems->addWidget(m_oldGroup);
    systems->addWidget(m_newGroup, 1);
    auto *commonBand = new QHBoxLayout;
    commonBand->addWidget(commonGroup, 1);
    commonBand->addWidget(panel);
    auto *pointBand = new QHBoxLayout;
    pointBand->addWidget(m_inputGroup);
    pointBand->addWidget(resultGroup, 1);
    main->addLayout(systems);
    main->addLayout(commonBand, 1);
    main->addLayout(pointBand, 1);

    setMinimumSize(640, 520);
    resize(809, 640);
}

QLineEdit *DatumWindow::field(const QString &name) const
{
    return m_fields.value(name);
}

void DatumWindow::resizeEvent(QResizeEvent *event)
{
    const int half = static_cast<int>(std::nearbyint((event->size().width() - WindowFrameAllowance) / 2.0));
    m_oldGroup->setFixedWidth(half);
    m_inputGroup->setFixedWidth(half);
    ToolWindow::resizeEvent(event);
}

DatumTransform DatumWindow::readTransform() const
{
    DatumTransform t;
    t.oldSide.kind = m_tool.oldSide.kind;
    t.newSide.kind = m_tool.newSide.kind;
    t.oldSide.ellipsoid = m_oldGroup->ellipsoid();
    t.newSide.ellipsoid = m_newGroup->ellipsoid();
    // Fields are read in the order old before new, so that of two bad texts the old one is named.
    auto readPlane = [this](const DatumSideLayout &layoutOfSide, DatumSide &side) {
        if (layoutOfSide.kind != DatumCoordinates::Plane)
            return;
        side.centralMeridian = FieldDegrees(field(layoutOfSide.centralMeridianField));
        side.reduceToWorkingMeridian = layoutOfSide.centralMeridianField != m_tool.workingMeridianField;
    };
    readPlane(m_tool.oldSide, t.oldSide);
    readPlane(m_tool.newSide, t.newSide);
    t.workingMeridian = FieldDegrees(field(m_tool.workingMeridianField));
    if (m_tool.oldSide.kind == DatumCoordinates::Plane)
        t.oldSide.yConstant = FieldNumber(field(m_tool.oldSide.yConstantField));
    if (m_tool.newSide.kind == DatumCoordinates::Plane)
        t.newSide.yConstant = FieldNumber(field(m_tool.newSide.yConstantField));
    t.oldSide.heightAnomaly = FieldNumber(field(m_tool.oldSide.heightAnomalyField));
    t.newSide.heightAnomaly = FieldNumber(field(m_tool.newSide.heightAnomalyField));
    return t;
}

SevenParameters DatumWindow::readPanel() const
{
    std::vector<std::string> texts;
    for (const QLineEdit *edit : m_panel)
        texts.push_back(edit->text().toStdString());
    return SevenParametersFromTexts(texts);
}

void DatumWindow::ToolButton6Click()
{
    FpGuard guard;
    const DatumTransform t = readTransform();
    const SevenParameters p = readPanel();
    ConvertRows(*m_input->table(), *m_result->table(), DatumPointConversion(t, p));
}

void DatumWindow::ToolButton7Click()
{
    if (!m_converted->confirmSave())
        return;
    const QString path = AskSaveFileName(this, SavePointsDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    m_result->table()->writeFile(path, m_tool.resultFileFields);
}

void DatumWindow::ToolButton13Click()
{
    FpGuard guard;
    const DatumTransform t = readTransform();
    BusyCursor busy;
    PointTableModel *common = m_common->table();
    std::vector<DatumCommonPoint> points(static_cast<size_t>(common->rows()));
    for (int r = 0; r < common->rows(); ++r)
        points[static_cast<size_t>(r)] = {RowTriple(common, r, 1), RowTriple(common, r, 4)};

    const DatumEstimate e = EstimateDatum(t, points);
    const SevenParameters &p = e.parameters;
    const Real shown[7] = {p.DX, p.DY, p.DZ, RadiansToSeconds(p.WX), RadiansToSeconds(p.WY), RadiansToSeconds(p.WZ), p.K};
    for (const DatumTriple &v : e.residuals)
        guard.check(v[0], v[1], v[2]);
    guard.check(shown);

    for (int r = 0; r < common->rows(); ++r) {
        const auto texts = DatumResidualTexts(m_tool.newSide.kind, e.residuals[static_cast<size_t>(r)]);
        for (int i = 0; i < 3; ++i)
            common->setCell(r, 7 + i, QString::fromStdString(texts[static_cast<size_t>(i)]));
    }
    const auto panel = SevenParameterTexts(p);
    for (int i = 0; i < 7; ++i)
        m_panel.at(i)->setText(QString::fromStdString(panel[static_cast<size_t>(i)]));
}

void DatumWindow::ToolButton14Click()
{
    const QString path = AskSaveFileName(this, SavePointsDialog());
    if (path.isEmpty())
        return;
    QStringList texts;
    for (const QLineEdit *edit : m_panel)
        texts.append(edit->text());
    WriteTextLines(path, {texts.join(QLatin1Char(','))});
}

void DatumWindow::ToolButton15Click()
{
    const QString path = Prompts::instance().openFileName(this, OpenPointsDialog());
    if (path.isEmpty())
        return;
    const QStringList lines = ReadTextLines(path);
    const QStringList texts = SplitFields(lines.value(0), static_cast<int>(m_panel.size()));
    for (int i = 0; i < m_panel.size(); ++i)
        m_panel.at(i)->setText(texts.value(i));
}

void DatumWindow::ToolButton16Click()
{
    m_common->saveFile(SavePointsDialog());
}

} // namespace quorvil
