#include "TFormKZWPC.h"

#include "cad/DrawThroughCad.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"
#include "cad/CadSession.h"
#include "io/FileAccess.h"
#include "io/ProgramFiles.h"
#include "io/survey/GamaFile.h"
#include "io/survey/NetworkDrawing.h"
#include "io/survey/NetworkReport.h"
#include "io/survey/NetworkTables.h"
#include "io/survey/ObservationFile.h"
#include "io/survey/ObservationFileWriter.h"
#include "io/survey/SurveyText.h"
#include "ui/CadAttach.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"
#include "ui/TraverseWindow.h"
#include "ui/drawing/DrawingScene.h"
#include "ui/drawing/DrawingView.h"

#include <QCheckBox>
#include <QDir>
#include <QFontMetrics>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include <chrono>
#include <future>

namespace quorvil {

using namespace network;

namespace {

const QString Caption = QStringLiteral("控制网平差");

FileDialogSpec OpenNetworkDialog()
{
    return {QStringLiteral("打开控制网观测文件"), PromptTexts::ObservationFilter, {},
            {PromptTexts::TextFilter, PromptTexts::GamaFilter, PromptTexts::AllFilesFilter}};
}
FileDialogSpec SaveNetworkDialog() { return {QStringLiteral("观测数据另存为..."), PromptTexts::TextFilter, QStringLiteral("txt")}; }
FileDialogSpec SaveGamaDialog()
{
    return {QStringLiteral("另存为Gama文件..."), PromptTexts::GamaFilter, QStringLiteral("gkf")};
}

// The axes a file may come in, as the combo box lists them.
const Axes AxesOrder[] = {Axes::NE, Axes::SW, Axes::ES, Axes::WN, Axes::EN, Axes::NW, Axes::SE, Axes::WS};
const char *const AxesCaptions[] = {"X北 Y东", "X南 Y西", "X东 Y南", "X西 Y北", "X东 Y北", "X北 Y西", "X南 Y东", "X西 Y南"};

// Decimals the input tables show: coordinates as the adjusted ones, standard deviations as the
// result tables (the cells keep what was typed or read).
constexpr int CoordinateDecimals = 4;
constexpr int SigmaDecimals = 2;

// The ellipse magnification of a new window.
constexpr int OpeningScale = 2000;

// Networks of this many points show the progress strip while they adjust.
constexpr int ProgressFrom = 300;

QLineEdit *NumberField(const QString &name, const QString &text, QWidget *parent)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(name);
    field->setMaximumWidth(70);
    field->setAlignment(Qt::AlignRight);
    return field;
}

QComboBox *Choice(const QString &name, const QStringList &items, QWidget *parent)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

PointTableView *ResultTable(const QString &name, const QStringList &captions, QWidget *parent)
{
    auto *table = new PointTableView(captions, false, parent);
    table->setObjectName(name);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

QString Number(Real value) { return QString::fromStdString(GeneralText(value)); }

// Shows the numbers of a column at fixed decimals; editing shows and keeps the cell as it is. The
// table's own delegate makes the editors.
class DecimalsDelegate : public QStyledItemDelegate {
public:
    DecimalsDelegate(QAbstractItemDelegate *cells, int decimals, QObject *parent)
        : QStyledItemDelegate(parent), m_cells(cells), m_decimals(decimals)
    {
    }
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return m_cells->createEditor(parent, option, index);
    }
    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        const QString text = value.toString().trimmed();
        if (const std::optional<Real> number = ParseNumber(text.toStdString()))
            return QString::fromStdString(NumberToText(m_decimals, *number));
        return QStyledItemDelegate::displayText(value, locale);
    }

private:
    QAbstractItemDelegate *m_cells;
    int m_decimals;
};

void ShowDecimals(PointTableView *view, std::initializer_list<int> columns, int decimals)
{
    for (int column : columns)
        view->setItemDelegateForColumn(column, new DecimalsDelegate(view->itemDelegate(), decimals, view));
}

// Column widths no narrower than their captions.
void FitCaptions(PointTableView *view)
{
    const QFontMetrics metrics(view->horizontalHeader()->font());
    const QStringList captions = view->table()->captions();
    for (int c = 0; c < captions.size(); ++c)
        view->setColumnWidth(c, std::max(view->columnWidth(c), metrics.horizontalAdvance(captions[c]) + 16));
}

QString SavedMessage(const QString &path) { return QStringLiteral("已保存：%1").arg(QDir::toNativeSeparators(path)); }

// Hides the progress strip when the command ends, also by an error.
struct ProgressStrip {
    QProgressBar *bar;
    explicit ProgressStrip(QProgressBar *progress) : bar(progress) {}
    ~ProgressStrip() { bar->hide(); }
    ProgressStrip(const ProgressStrip &) = delete;
    ProgressStrip &operator=(const ProgressStrip &) = delete;
};

} // namespace

TFormKZWPC::TFormKZWPC(QWidget *owner) : ToolWindow(owner, QStringLiteral("TFormKZWPC"), Caption)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 2, 4, 4);
    outer->setSpacing(4);

    QToolBar *bar = MakeTextToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    AddCommand(bar, TableCaptions::Import, QStringLiteral("ToolButton1"), [this] { importFile(); });
    AddCommand(bar, TableCaptions::SaveAs, QStringLiteral("ToolButton2"), [this] { saveFile(); });
    AddCommand(bar, QStringLiteral("另存为Gama文件"), QStringLiteral("ToolButton3"), [this] { saveGama(); });
    bar->addSeparator();
    AddCommand(bar, QStringLiteral("平差计算"), QStringLiteral("ToolButton4"), [this] { compute(true); });
    AddCommand(bar, QStringLiteral("Word报表"), QStringLiteral("ToolButton5"), [this] { makeReport(); });
    AddCommand(bar, QStringLiteral("绘制到图形窗口"), QStringLiteral("ToolButton6"), [this] { drawToCad(); });
    outer->addWidget(bar);

    outer->addWidget(MakeHeaderGroup(this, m_header));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    outer->addWidget(m_pages, 1);

    // ---- 观测数据: the two input tables and the a priori errors.
    auto *inputPage = new QWidget(m_pages);
    auto *inputLayout = new QVBoxLayout(inputPage);
    inputLayout->setContentsMargins(4, 4, 4, 4);
    auto *split = new QSplitter(Qt::Horizontal, inputPage);
    m_known = new PointTableView(KnownPointColumns(), true);
    m_known->setObjectName(QStringLiteral("StringGridKnown"));
    m_known->setColumnWidths({56, 96, 96, 80, 48});
    FitCaptions(m_known);
    ShowDecimals(m_known, {1, 2, 3}, CoordinateDecimals);
    m_known->table()->setRowCount(5);
    InputToolBarOptions knownBar;
    knownBar.withImport = false;
    knownBar.names = {"KnownAppend", "KnownInsert", QString(), "KnownDelete", "KnownClear"};
    split->addWidget(MakeTableGroup(QStringLiteral("已知点（状态：固定、约束、待定）"), m_known,
                                    MakeInputToolBar(nullptr, m_known, knownBar), split));
    m_obs = new PointTableView(ObservationColumns(), true);
    m_obs->setObjectName(QStringLiteral("StringGridObs"));
    m_obs->setColumnWidths({52, 52, 52, 44, 96, 100, 84, 64, 64});
    FitCaptions(m_obs);
    ShowDecimals(m_obs, {6}, SigmaDecimals);
    m_obs->table()->setRowCount(10);
    InputToolBarOptions obsBar = knownBar;
    obsBar.names = {"ObsAppend", "ObsInsert", QString(), "ObsDelete", "ObsClear"};
    obsBar.rowsAfterClear = 10;
    split->addWidget(MakeTableGroup(QStringLiteral("观测值（类型：方向、角度、边长、方位角、高差、斜距、天顶距、坐标X、坐标Y）"), m_obs,
                                    MakeInputToolBar(nullptr, m_obs, obsBar), split));
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 6);
    inputLayout->addWidget(split, 1);

    auto *apr = new QGroupBox(QStringLiteral("先验精度与检验（观测值未填中误差时按此定权）"), inputPage);
    apr->setObjectName(QStringLiteral("GroupBox2"));
    auto *aprLayout = new QGridLayout(apr);
    aprLayout->setContentsMargins(8, 4, 8, 6);
    aprLayout->setHorizontalSpacing(6);
    m_angle = NumberField(QStringLiteral("EditAngle"), QStringLiteral("2"), apr);
    m_distA = NumberField(QStringLiteral("EditDistA"), QStringLiteral("2"), apr);
    m_distB = NumberField(QStringLiteral("EditDistB"), QStringLiteral("2"), apr);
    m_levelling = NumberField(QStringLiteral("EditLevel"), QStringLiteral("5"), apr);
    m_levellingUnit = Choice(QStringLiteral("ComboLevelUnit"), {QStringLiteral("mm/√km"), QStringLiteral("mm/站")}, apr);
    m_sigma0 = NumberField(QStringLiteral("EditSigma0"), QStringLiteral("1"), apr);
    m_confidence = Choice(QStringLiteral("ComboConfidence"), {QStringLiteral("0.90"), QStringLiteral("0.95"), QStringLiteral("0.99")}, apr);
    m_confidence->setEditable(true);
    m_confidence->setCurrentIndex(1);
    m_sigmaUsed = Choice(QStringLiteral("ComboSigma"), {QStringLiteral("验后单位权中误差"), QStringLiteral("验前单位权中误差")}, apr);
    QStringList axes;
    for (const char *caption : AxesCaptions)
        axes.append(QString::fromUtf8(caption));
    m_axes = Choice(QStringLiteral("ComboAxes"), axes, apr);
    m_angles = Choice(QStringLiteral("ComboAngles"), {QStringLiteral("顺时针"), QStringLiteral("逆时针")}, apr);
    const auto put = [&](int row, int column, const QString &label, QWidget *field, const QString &unit = {}) {
        auto *l = new QLabel(label, apr);
        l->setBuddy(field);
        aprLayout->addWidget(l, row, column * 3, Qt::AlignRight);
        auto *cell = new QHBoxLayout;
        cell->setSpacing(3);
        cell->addWidget(field);
        if (!unit.isEmpty())
            cell->addWidget(new QLabel(unit, apr));
        cell->addStretch(1);
        aprLayout->addLayout(cell, row, column * 3 + 1);
    };
    put(0, 0, QStringLiteral("测角中误差"), m_angle, QStringLiteral("″"));
    auto *dist = new QHBoxLayout;
    dist->setSpacing(3);
    dist->addWidget(m_distA);
    dist->addWidget(new QLabel(QStringLiteral("mm +"), apr));
    dist->addWidget(m_distB);
    dist->addWidget(new QLabel(QStringLiteral("ppm"), apr));
    dist->addStretch(1);
    auto *distLabel = new QLabel(QStringLiteral("测距中误差"), apr);
    aprLayout->addWidget(distLabel, 0, 3, Qt::AlignRight);
    aprLayout->addLayout(dist, 0, 4);
    auto *lev = new QHBoxLayout;
    lev->setSpacing(3);
    lev->addWidget(m_levelling);
    lev->addWidget(m_levellingUnit);
    lev->addStretch(1);
    aprLayout->addWidget(new QLabel(QStringLiteral("水准中误差"), apr), 0, 6, Qt::AlignRight);
    aprLayout->addLayout(lev, 0, 7);
    put(1, 0, QStringLiteral("验前单位权中误差"), m_sigma0);
    put(1, 1, QStringLiteral("置信概率"), m_confidence);
    put(1, 2, QStringLiteral("精度评定用"), m_sigmaUsed);
    // The tables are always x north, y east, angles clockwise; these say how the axes and angles
    // of the file imported were read, and "另存为Gama文件" writes them so.
    put(2, 0, QStringLiteral("文件坐标轴"), m_axes);
    put(2, 1, QStringLiteral("文件角度方向"), m_angles);
    const QString axesTip = QStringLiteral("导入的文件的坐标轴与角度方向。表格、报表和网图一律 X 北 Y 东、角度顺时针；"
                                           "“另存为Gama文件”按这里的坐标轴和角度方向写出。");
    m_axes->setToolTip(axesTip);
    m_angles->setToolTip(axesTip);
    aprLayout->setColumnStretch(8, 1);
    inputLayout->addWidget(apr);
    m_pages->addTab(inputPage, QStringLiteral("观测数据"));

    // ---- 平差结果: the summary beside the adjusted points, the observations and the pairs below.
    auto *resultPage = new QSplitter(Qt::Vertical, m_pages);
    auto *top = new QSplitter(Qt::Horizontal, resultPage);
    m_summary = new QPlainTextEdit(top);
    m_summary->setObjectName(QStringLiteral("MemoSummary"));
    m_summary->setReadOnly(true);
    m_summary->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    top->addWidget(m_summary);
    m_points = ResultTable(QStringLiteral("StringGridPoints"), PointResultColumns(), top);
    top->addWidget(m_points);
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 7);
    auto *lower = new QTabWidget(resultPage);
    lower->setObjectName(QStringLiteral("PageControl2"));
    m_obsResult = ResultTable(QStringLiteral("StringGridObsResult"), ObservationResultColumns(), lower);
    m_relative = ResultTable(QStringLiteral("StringGridRelative"), RelativeEllipseColumns(), lower);
    lower->addTab(m_obsResult, QStringLiteral("观测值改正数与粗差检验"));
    lower->addTab(m_relative, QStringLiteral("相对误差椭圆"));
    resultPage->addWidget(top);
    resultPage->addWidget(lower);
    m_pages->addTab(resultPage, QStringLiteral("平差结果"));

    // ---- 网图.
    auto *viewPage = new QWidget(m_pages);
    auto *viewLayout = new QVBoxLayout(viewPage);
    viewLayout->setContentsMargins(4, 4, 4, 4);
    auto *viewBar = new QHBoxLayout;
    auto *extents = new QToolBar(viewPage);
    extents->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction *all = extents->addAction(QStringLiteral("全图显示"));
    all->setObjectName(QStringLiteral("ZoomExtents"));
    viewBar->addWidget(extents);
    viewBar->addWidget(new QLabel(QStringLiteral("误差椭圆放大倍数"), viewPage));
    m_scale = new QSpinBox(viewPage);
    m_scale->setObjectName(QStringLiteral("SpinScale"));
    m_scale->setRange(1, 100000000);
    m_scale->setValue(OpeningScale);
    m_scale->setAccelerated(true);
    viewBar->addWidget(m_scale);
    m_showRelative = new QCheckBox(QStringLiteral("显示相对误差椭圆"), viewPage);
    m_showRelative->setObjectName(QStringLiteral("CheckRelative"));
    viewBar->addWidget(m_showRelative);
    m_viewNote = new QLabel(viewPage);
    m_viewNote->setObjectName(QStringLiteral("LabelView"));
    viewBar->addWidget(m_viewNote, 1);
    viewLayout->addLayout(viewBar);
    m_scene = new DrawingScene(viewPage);
    m_view = new DrawingView(m_scene, viewPage);
    m_view->setObjectName(QStringLiteral("NetworkView"));
    viewLayout->addWidget(m_view, 1);
    m_pages->addTab(viewPage, QStringLiteral("网图"));
    // The view fits the network when it is first shown after a change: a hidden page has no size.
    connect(m_pages, &QTabWidget::currentChanged, this, [this, viewPage](int) {
        if (m_pages->currentWidget() == viewPage && m_fitPending) {
            m_fitPending = false;
            m_view->zoomExtents();
        }
    });
    connect(all, &QAction::triggered, m_view, &DrawingView::zoomExtents);
    connect(m_scale, &QSpinBox::valueChanged, this, [this] {
        m_scaleChosen = true; // the window's own settings block the signal
        redraw();
    });
    // A magnification is chosen for one network: a new one (imported, or a table cleared or
    // replaced as a whole) gets the one suggested for its size again.
    for (PointTableView *input : {m_known, m_obs})
        connect(input->table(), &QAbstractItemModel::modelReset, this, [this] { m_scaleChosen = false; });
    connect(m_showRelative, &QCheckBox::toggled, this, [this] { redraw(); });

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->hide();
    outer->addWidget(m_progress);
    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    outer->addWidget(m_status);

    m_results = new ResultFreshness(this, [this] { compute(false); });
    m_results->watch(m_known->table());
    m_results->watch(m_obs->table());
    m_results->watch(apr, {m_axes, m_angles}); // the axes only say how a file is written back
    m_results->greyWhileStale({m_summary, m_points, m_obsResult, m_relative});
    outer->insertWidget(outer->indexOf(m_pages), m_results->makeNotice(this));

    resize(1100, 720);
}

// ---------------------------------------------------------------------------------- reading

NetworkApriori TFormKZWPC::apriori() const
{
    NetworkApriori a;
    a.angle = FieldNumber(m_angle);
    a.distanceA = FieldNumber(m_distA);
    a.distanceB = FieldNumber(m_distB);
    a.levelling = FieldNumber(m_levelling);
    a.perStation = m_levellingUnit->currentIndex() == 1;
    if (a.angle < 0 || a.distanceA < 0 || a.distanceB < 0 || a.levelling < 0)
        throw Error("先验中误差不能为负数");
    return a;
}

Settings TFormKZWPC::settings() const
{
    Settings s;
    s.sigma0 = FieldNumberStrict(m_sigma0);
    if (!(s.sigma0 > 0))
        throw Error("验前单位权中误差必须大于零");
    s.confidence = TextToNumber(m_confidence->currentText().trimmed().toStdString());
    if (!(s.confidence > 0 && s.confidence < 1))
        throw Error("置信概率必须在 0 与 1 之间（如 0.95）");
    s.aposteriori = m_sigmaUsed->currentIndex() == 0; // the tables are x north, y east, clockwise
    return s;
}

Network TFormKZWPC::networkFromTables() const
{
    m_known->commitEdit();
    m_obs->commitEdit();
    const auto rows = [](const PointTableView *view) {
        QList<QStringList> out;
        const PointTableModel *t = view->table();
        out.reserve(t->rows());
        for (int r = 0; r < t->rows(); ++r)
            out.append(t->rowTexts(r));
        return out;
    };
    Network net = NetworkFromTables(rows(m_known), rows(m_obs), apriori(), settings());
    if (net.observations.empty())
        throw Error("观测表中没有观测值");
    return net;
}

SurveyFile TFormKZWPC::surveyFile() const
{
    SurveyFile file;
    file.network = networkFromTables();
    file.header = {m_header[0]->text(), m_header[1]->text(), m_header[2]->text(), m_header[3]->text(), m_header[4]->text()};
    file.network.description = file.header.project.toStdString();
    return file;
}

void TFormKZWPC::applyFile(const SurveyFile &read)
{
    // The tables are x north, y east, angles clockwise: a file in other axes is converted, and
    // the axes controls remember how it came.
    SurveyFile file = read;
    file.network = InNorthEast(read.network);
    QList<QStringList> known, observations;
    NetworkToTables(file.network, known, observations);
    m_known->table()->replaceRows(known);
    m_obs->table()->replaceRows(observations);
    m_known->setCurrentDataRow(0);
    m_obs->setCurrentDataRow(0);
    const QString header[] = {file.header.project, file.header.grade, file.header.calculator, file.header.checker,
                              file.header.date};
    for (int i = 0; i < AdjustmentHeaderFields; ++i)
        if (!header[i].isEmpty() || i < 4)
            m_header[i]->setText(header[i]);
    if (file.header.project.isEmpty() && !file.network.description.empty())
        m_header[0]->setText(QString::fromStdString(file.network.description).simplified().left(80));
    const Settings &s = read.network.settings;
    m_sigma0->setText(Number(s.sigma0));
    m_confidence->setCurrentText(Number(s.confidence));
    m_sigmaUsed->setCurrentIndex(s.aposteriori ? 0 : 1);
    for (int i = 0; i < int(std::size(AxesOrder)); ++i)
        if (AxesOrder[i] == s.axes)
            m_axes->setCurrentIndex(i);
    m_angles->setCurrentIndex(s.clockwise ? 0 : 1);

    // The old results do not belong to the new data, nor the magnification chosen for them.
    m_result.reset();
    m_scaleChosen = false;
    m_network = file.network;
    m_points->table()->clear();
    m_obsResult->table()->clear();
    m_relative->table()->clear();
    m_summary->clear();
    redraw();
    fitView();
    m_pages->setCurrentIndex(0);
    m_results->clear();
}

// ---------------------------------------------------------------------------------- commands

void TFormKZWPC::importFile()
{
    const QString path = Prompts::instance().openFileName(this, OpenNetworkDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const FileAccessError &e) {
        if (e.step() == FileAccessError::Step::Missing)
            throw FileError::NotFound();
        throw FileError::Io(e.deviceError());
    }
    // Parsed whole before anything in the window changes.
    applyFile(ParseNetworkFile(bytes));
}

void TFormKZWPC::saveFile()
{
    const SurveyFile file = surveyFile(); // tables that do not read are refused before any dialog
    ObservationFileLines(file);           // and so is what the file cannot hold
    const QString path = AskSaveFileName(this, SaveNetworkDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    WriteObservationFile(path, file);
    m_status->showMessage(SavedMessage(path));
}

void TFormKZWPC::saveGama()
{
    // In the axes and sense of angles the file came in (or the user chose).
    const Network net = InAxes(surveyFile().network, AxesOrder[std::max(0, m_axes->currentIndex())],
                               m_angles->currentIndex() == 0);
    const QString path = AskSaveFileName(this, SaveGamaDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    WriteFileAtomically(path, GamaXml(net));
    m_status->showMessage(SavedMessage(path));
}

void TFormKZWPC::setProgress(bool visible, int percent)
{
    m_progress->setVisible(visible);
    if (percent < 0)
        m_progress->setRange(0, 0); // busy: the engine reports no steps
    else {
        m_progress->setRange(0, 100);
        m_progress->setValue(percent);
    }
    if (visible)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormKZWPC::compute(bool showPage)
{
    Network net = networkFromTables();
    BusyCursor busy;
    const bool large = int(net.points.size()) >= ProgressFrom;
    const ProgressStrip strip(m_progress);
    if (large)
        setProgress(true, -1);
    // The adjustment runs beside the window so that the strip keeps moving; the window takes no
    // input until it is done. The floating-point guard is the worker's: the flags are per thread.
    auto work = std::async(std::launch::async, [&net] {
        FpGuard guard;
        Result r = Adjust(net);
        guard.check(r.summary.vtpv, r.summary.sigma0Aposteriori);
        return r;
    });
    while (work.wait_for(std::chrono::milliseconds(large ? 30 : 5)) != std::future_status::ready)
        if (large)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Result result = work.get(); // an error of the engine ends the command here, the tables unchanged
    m_network = std::move(net);
    m_result = std::move(result);
    if (large)
        setProgress(true, 60);
    showResult();
    m_results->markComputed();
    if (showPage)
        m_pages->setCurrentIndex(1);
}

void TFormKZWPC::showResult()
{
    const Network &net = m_network;
    const Result &result = *m_result;
    m_summary->setPlainText(SummaryText(net, result));
    m_points->table()->replaceRows(PointResultRows(net, result));
    m_obsResult->table()->replaceRows(ObservationResultRows(net, result));
    m_obsResult->table()->setHighlightedRows(BlunderRows(result));
    m_relative->table()->replaceRows(RelativeEllipseRows(net, result));

    // A levelling network shows heights; a plane network its plane columns.
    const bool plane = HasPlaneUnknowns(result), heights = HasHeightUnknowns(result);
    for (int c : {PointColumn::X, PointColumn::Y, PointColumn::SigmaX, PointColumn::SigmaY, PointColumn::SigmaP,
                  PointColumn::E, PointColumn::F, PointColumn::Phi})
        m_points->setColumnHidden(c, !plane);
    for (int c : {PointColumn::H, PointColumn::SigmaH})
        m_points->setColumnHidden(c, !heights);
    m_relative->setEnabled(plane);
    // A magnification the user chose stays; otherwise the one suggested for the network's size (as
    // the command line chooses it).
    if (plane && !m_scaleChosen) {
        const QSignalBlocker quiet(m_scale);
        m_scale->setValue(int(std::min(SuggestedEllipseScale(net, result), 1e8)));
    }
    m_scale->setEnabled(plane);
    m_showRelative->setEnabled(plane);
    if (m_progress->isVisible())
        setProgress(true, 80);
    redraw();
    fitView();
}

void TFormKZWPC::redraw()
{
    const int points = int(m_network.points.size());
    if (points > DrawLimit) {
        m_drawing = NewDxfDocument();
        m_viewNote->setText(QStringLiteral("网点过多（%1 个），不在窗口中绘制；平差与报表不受影响。").arg(points));
    } else {
        NetworkDrawingOptions options;
        options.ellipseScale = m_scale->value();
        options.relative = m_showRelative->isChecked();
        m_drawing = NetworkDrawing(m_network, m_result ? &*m_result : nullptr, options);
        const bool ellipses = m_result && HasPlaneUnknowns(*m_result);
        if (m_drawing.entities.empty() && !m_network.points.empty())
            m_viewNote->setText(QStringLiteral("各点没有平面坐标，不能绘制网图。"));
        else
            m_viewNote->setText(ellipses ? EllipseScaleCaption(options.ellipseScale)
                                : m_result ? QStringLiteral("水准网：图中为水准路线")
                                           : QString());
    }
    m_scene->load(m_drawing);
    m_view->viewport()->update();
}

void TFormKZWPC::fitView()
{
    if (m_view->isVisible())
        m_view->zoomExtents();
    else
        m_fitPending = true;
}

void TFormKZWPC::makeReport()
{
    // The report shows the tables as they stand: they are adjusted first (the page shown stays),
    // and an adjustment that fails ends the report with its message before anything is asked.
    compute(false);
    const QString path = AskSaveFileName(this, ReportDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    const ProgressStrip strip(m_progress);
    setProgress(true, 0);
    QStringList header;
    for (QLineEdit *field : m_header)
        header.append(field->text());
    WriteNetworkReport(m_network, *m_result, header, ProgramFile(NetworkReportTemplate), path,
                       [this](int percent) { setProgress(true, percent); });
    m_status->showMessage(SavedMessage(path));
}

void TFormKZWPC::drawToCad()
{
    CadSession *cad = AttachCad(this);
    if (!cad)
        return;
    compute(false);
    NetworkDrawingOptions options;
    options.ellipseScale = m_scale->value();
    options.relative = m_showRelative->isChecked();
    const DxfDocument drawing = NetworkDrawing(m_network, &*m_result, options);
    BusyCursor busy;
    const ProgressStrip strip(m_progress);
    setProgress(true, 0);
    // What this window drew before goes, and the view stays where the user put it; a drawing that
    // held no network yet (the first one, a new file) is shown whole.
    const bool first = cad->EraseLayers(NetworkLayerNames()) == 0;
    DrawThroughCad(*cad, drawing, [this](int percent) { setProgress(true, percent); });
    if (first)
        cad->ZoomExtents();
}

} // namespace quorvil
