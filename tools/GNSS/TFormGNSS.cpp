#include "TFormGNSS.h"

#include "cad/DrawThroughCad.h"
#include "core/FpGuard.h"
#include "core/TextForms.h"
#include "io/FileAccess.h"
#include "io/TextCodec.h"
#include "io/ProgramFiles.h"
#include "io/survey/BaselineFile.h"
#include "io/survey/GnssDrawing.h"
#include "io/survey/GnssOutput.h"
#include "io/survey/GnssReport.h"
#include "io/survey/NetworkDrawing.h"
#include "tools/GCNH/TFormGCNH.h"
#include "ui/CadAttach.h"
#include "ui/EllipsoidGroup.h"
#include "ui/Fields.h"
#include "ui/PointTableModel.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"
#include "ui/TraverseWindow.h"
#include "ui/drawing/DrawingScene.h"
#include "ui/drawing/DrawingView.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quorvil {

namespace {

const QString Caption = QStringLiteral("GNSS 网平差");

const QStringList BaselineColumns = {"时段", "起点", "终点", "ΔX(m)", "ΔY(m)", "ΔZ(m)", "σΔX(m)", "σΔY(m)", "σΔZ(m)",
                                     "ρXY", "ρXZ", "ρYZ"};
const QStringList KnownColumns = {"点名", "X(m)", "Y(m)", "正常高H(m)"};
// The result tables, one per section of the results (GnssOutput.h), with their object names.
const char *const SectionNames[] = {"StringGridRepeated", "StringGridLoops",   "StringGridFree",    "StringGridResiduals",
                                    "StringGridGrid",     "StringGridKnownCheck", "StringGridRelative"};
const char *const SectionTabs[] = {"重复基线", "闭合环", "无约束平差", "基线改正数", "约束平差", "已知点检核", "相对误差椭圆"};
static_assert(std::size(SectionNames) == size_t(GnssSection::Count));

// The CGCS2000 entry of the ellipsoid list.
constexpr int Cgcs2000Preset = 2;

FileDialogSpec OpenBaselinesDialog()
{
    return {QStringLiteral("打开基线文件"), QStringLiteral("基线文件 (*.csv *.txt *.gkf *.xml)"), {},
            {PromptTexts::CsvFilter, PromptTexts::GamaFilter, PromptTexts::AllFilesFilter}};
}
FileDialogSpec SaveBaselinesDialog() { return {QStringLiteral("基线另存为..."), PromptTexts::CsvFilter, QStringLiteral("csv")}; }
FileDialogSpec OpenKnownDialog() { return OpenPointsDialog(); }

QList<NumberedRow> TableRows(const PointTableView *view)
{
    QList<NumberedRow> rows;
    const PointTableModel *t = view->table();
    for (int r = 0; r < t->rows(); ++r) {
        const QStringList texts = t->rowTexts(r);
        bool empty = true;
        for (const QString &text : texts)
            empty = empty && text.trimmed().isEmpty();
        if (!empty)
            rows.append({r + 1, texts});
    }
    return rows;
}

QLineEdit *Field(const QString &name, const QString &text, QWidget *parent)
{
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(name);
    return field;
}

} // namespace

TFormGNSS::TFormGNSS(QWidget *owner) : ToolWindow(owner, QStringLiteral("TFormGNSS"), Caption)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 2, 4, 4);
    outer->setSpacing(4);

    QToolBar *bar = MakeTextToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    AddCommand(bar, QStringLiteral("导入基线"), QStringLiteral("ToolButton1"), [this] { importBaselines(); });
    AddCommand(bar, QStringLiteral("基线另存"), QStringLiteral("ToolButton2"), [this] { saveBaselines(); });
    bar->addSeparator();
    AddCommand(bar, QStringLiteral("平差计算"), QStringLiteral("ToolButton4"), [this] { compute(); });
    AddCommand(bar, QStringLiteral("Word报表"), QStringLiteral("ToolButton5"), [this] { makeReport(); });
    AddCommand(bar, QStringLiteral("绘制到图形窗口"), QStringLiteral("ToolButton6"), [this] { drawToCad(); });
    AddCommand(bar, QStringLiteral("送高程拟合"), QStringLiteral("ToolButton7"), [this] { sendToHeightFit(); });
    outer->addWidget(bar);

    outer->addWidget(MakeHeaderGroup(this, m_header));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    outer->addWidget(m_pages, 1);

    // ---- 基线与已知点
    auto *inputPage = new QWidget(m_pages);
    auto *inputLayout = new QHBoxLayout(inputPage);
    inputLayout->setContentsMargins(4, 4, 4, 4);
    auto *split = new QSplitter(Qt::Horizontal, inputPage);
    m_baselines = new PointTableView(BaselineColumns, true);
    m_baselines->setObjectName(QStringLiteral("StringGridBaselines"));
    m_baselines->table()->setRowCount(10);
    InputToolBarOptions baselineBar;
    baselineBar.fieldCount = 12;
    baselineBar.rowsAfterClear = 10;
    baselineBar.names = {"BaselineAppend", "BaselineInsert", "BaselineImport", "BaselineDelete", "BaselineClear"};
    baselineBar.customImport = [this] { importBaselines(); };
    split->addWidget(MakeTableGroup(QStringLiteral("基线（地心坐标差，m；中误差 m 与相关系数）"), m_baselines,
                                    MakeInputToolBar(nullptr, m_baselines, baselineBar), split));
    auto *right = new QWidget(split);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    m_known = new PointTableView(KnownColumns, true);
    m_known->setObjectName(QStringLiteral("StringGridKnown"));
    m_known->table()->setRowCount(4);
    InputToolBarOptions knownBar;
    knownBar.fieldCount = 4;
    knownBar.missingField = QString();
    knownBar.rowsAfterClear = 4;
    knownBar.openDialog = OpenKnownDialog();
    knownBar.names = {"KnownAppend", "KnownInsert", "KnownImport", "KnownDelete", "KnownClear"};
    rightLayout->addWidget(MakeTableGroup(QStringLiteral("已知点（格网 x 北、y 东；有 H 时送高程拟合）"), m_known,
                                          MakeInputToolBar(nullptr, m_known, knownBar), right),
                           1);
    EllipsoidGroupNames names;
    names.title = QStringLiteral("坐标系与投影");
    m_ellipsoid = new EllipsoidGroup(names, right);
    m_ellipsoid->list()->setCurrentIndex(Cgcs2000Preset);
    m_meridian = m_ellipsoid->addField(QStringLiteral("中央子午线(°)"), QStringLiteral("EditLL"), QString());
    m_yConstant = m_ellipsoid->addField(QStringLiteral("Y常数(m)"), QStringLiteral("EditYConst"), QStringLiteral("500000"));
    m_projectionHeight = m_ellipsoid->addField(QStringLiteral("投影面大地高(m)"), QStringLiteral("EditProjH"), QStringLiteral("0"));
    rightLayout->addWidget(m_ellipsoid);
    auto *settings = new QGroupBox(QStringLiteral("等级与固定点"), right);
    settings->setObjectName(QStringLiteral("GroupBox2"));
    auto *form = new QFormLayout(settings);
    m_grade = new QComboBox(settings);
    m_grade->setObjectName(QStringLiteral("ComboGrade"));
    for (const gnss::Grade &g : gnss::Grades())
        m_grade->addItem(QString::fromStdString(g.name));
    m_grade->setCurrentText(QString::fromUtf8(gnss::DefaultGradeName.data(), qsizetype(gnss::DefaultGradeName.size())));
    form->addRow(QStringLiteral("等级："), m_grade);
    m_fix = new QComboBox(settings);
    m_fix->setObjectName(QStringLiteral("ComboFix"));
    m_fix->setEditable(true);
    m_fix->setToolTip(QStringLiteral("无约束平差固定的点；空：有坐标 X,Y,Z 时为基线表的第一个点，否则为第一个已知点"));
    form->addRow(QStringLiteral("固定点："), m_fix);
    auto *xyz = new QHBoxLayout;
    m_fixX = Field(QStringLiteral("EditFixX"), QString(), settings);
    m_fixY = Field(QStringLiteral("EditFixY"), QString(), settings);
    m_fixZ = Field(QStringLiteral("EditFixZ"), QString(), settings);
    for (QLineEdit *f : {m_fixX, m_fixY, m_fixZ}) {
        f->setPlaceholderText(QStringLiteral("已知点可不填"));
        xyz->addWidget(f);
    }
    form->addRow(QStringLiteral("固定点 X,Y,Z(m)："), xyz);
    rightLayout->addWidget(settings);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    inputLayout->addWidget(split);
    m_pages->addTab(inputPage, QStringLiteral("基线与已知点"));

    // ---- 平差结果: the summary above the tables of the sections
    auto *resultPage = new QSplitter(Qt::Vertical, m_pages);
    m_summary = new QPlainTextEdit(resultPage);
    m_summary->setObjectName(QStringLiteral("MemoSummary"));
    m_summary->setReadOnly(true);
    auto *sections = new QTabWidget(resultPage);
    sections->setObjectName(QStringLiteral("PageControl2"));
    for (size_t s = 0; s < std::size(SectionNames); ++s) {
        auto *table = new PointTableView(GnssSectionColumns(GnssSection(s)), false, sections);
        table->setObjectName(QString::fromLatin1(SectionNames[s]));
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        sections->addTab(table, QString::fromUtf8(SectionTabs[s]));
        m_sections.append(table);
    }
    resultPage->addWidget(m_summary);
    resultPage->addWidget(sections);
    resultPage->setStretchFactor(1, 3);
    m_pages->addTab(resultPage, QStringLiteral("检验与平差结果"));

    // ---- 网图
    auto *viewPage = new QWidget(m_pages);
    auto *viewLayout = new QVBoxLayout(viewPage);
    viewLayout->setContentsMargins(4, 4, 4, 4);
    m_viewNote = new QLabel(viewPage);
    m_viewNote->setObjectName(QStringLiteral("LabelView"));
    viewLayout->addWidget(m_viewNote);
    m_scene = new DrawingScene(viewPage);
    m_view = new DrawingView(m_scene, viewPage);
    m_view->setObjectName(QStringLiteral("NetworkView"));
    viewLayout->addWidget(m_view, 1);
    m_pages->addTab(viewPage, QStringLiteral("网图"));
    connect(m_pages, &QTabWidget::currentChanged, this, [this, viewPage](int) {
        if (m_pages->currentWidget() == viewPage)
            m_view->zoomExtents();
    });

    m_fresh = new ResultFreshness(this, [this] { compute(); });
    m_fresh->watch(m_baselines->table());
    m_fresh->watch(m_known->table());
    m_fresh->watch(m_ellipsoid);
    m_fresh->watch(settings);
    m_fresh->greyWhileStale({m_summary, m_sections[0], m_sections[1], m_sections[2], m_sections[3], m_sections[4],
                             m_sections[5], m_sections[6]});
    outer->insertWidget(outer->indexOf(m_pages), m_fresh->makeNotice(this));

    resize(1150, 720);
}

// ---------------------------------------------------------------------------------- reading

gnss::Job TFormGNSS::jobFromWindow() const
{
    m_baselines->commitEdit();
    m_known->commitEdit();
    gnss::Job job;
    job.network = BaselinesOfRows(TableRows(m_baselines));
    const QList<NumberedRow> known = TableRows(m_known);
    if (!known.isEmpty())
        job.known = KnownPointsOfRows(known);
    job.grade = *gnss::GradeOf(m_grade->currentText().toStdString());
    job.grid.ellipsoid = m_ellipsoid->ellipsoid();
    if (!job.known.empty()) {
        if (m_meridian->text().trimmed().isEmpty())
            throw Error("请填写已知点坐标系的中央子午线");
        job.grid.centralMeridian = FieldNumberStrict(m_meridian);
    } else {
        job.grid.centralMeridian = FieldNumber(m_meridian);
    }
    job.grid.yConstant = FieldNumber(m_yConstant);
    job.grid.projectionHeight = FieldNumber(m_projectionHeight);
    job.held.name = m_fix->currentText().trimmed().toStdString();
    const bool anyXYZ = !m_fixX->text().trimmed().isEmpty() || !m_fixY->text().trimmed().isEmpty() ||
                        !m_fixZ->text().trimmed().isEmpty();
    if (anyXYZ) {
        if (job.held.name.empty()) // the coordinates of the first point of the baselines
            job.held.name = job.network.points.front();
        job.held.hasXYZ = true;
        job.held.xyz = {FieldNumberStrict(m_fixX), FieldNumberStrict(m_fixY), FieldNumberStrict(m_fixZ)};
    } else if (job.known.empty()) {
        throw Error("没有已知点时, 请选择无约束平差的固定点并输入其地心坐标 X, Y, Z");
    }
    return job;
}

// ---------------------------------------------------------------------------------- commands

void TFormGNSS::importBaselines()
{
    const QString path = Prompts::instance().openFileName(this, OpenBaselinesDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    // read whole before the table changes (a file that cannot be read says so: FileAccessError);
    // shown in the σ and ρ form whatever the file's form
    const gnss::BaselineNetwork net = ParseBaselines(ReadWholeFile(path));
    const QStringList lines = DecodeText(BaselinesCsv(net)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QList<QStringList> rows;
    for (qsizetype i = 1; i < lines.size(); ++i)
        rows.append(lines[i].split(QLatin1Char(',')));
    m_baselines->table()->replaceRows(rows);
    m_baselines->setCurrentDataRow(0);
    const QString fix = m_fix->currentText();
    m_fix->clear();
    m_fix->addItem(QString());
    for (const std::string &name : net.points)
        m_fix->addItem(QString::fromStdString(name));
    m_fix->setCurrentText(fix);
}

void TFormGNSS::saveBaselines()
{
    const gnss::BaselineNetwork net = BaselinesOfRows(TableRows(m_baselines));
    const QString path = AskSaveFileName(this, SaveBaselinesDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    WriteFileAtomically(path, BaselinesCsv(net));
}

void TFormGNSS::compute()
{
    gnss::Job job = jobFromWindow();
    BusyCursor busy;
    FpGuard guard;
    gnss::JobResults results = gnss::RunJob(job);
    guard.check(results.free.summary.vtpv, results.free.summary.sigma0Aposteriori);
    m_job = std::move(job);
    m_results = std::move(results);
    showResults();
    m_fresh->markComputed();
}

void TFormGNSS::showResults()
{
    QString summary = QString::fromStdString(GnssSummaryLine(m_job, *m_results)) + QStringLiteral("\n\n");
    for (const auto &[caption, value] : GnssSummaryItems(m_job, *m_results))
        summary += caption + QStringLiteral("：") + value + QLatin1Char('\n');
    m_summary->setPlainText(summary);
    const QList<GnssTable> tables = GnssTables(m_job, *m_results);
    for (qsizetype s = 0; s < tables.size(); ++s) {
        PointTableModel *model = m_sections[s]->table();
        model->setCaptions(tables[s].columns);
        model->replaceRows(tables[s].rows);
        QList<int> failed; // 超限 rows in red
        for (qsizetype r = 0; r < tables[s].rows.size(); ++r)
            if (tables[s].rows[r].contains(QStringLiteral("超限")))
                failed.append(int(r));
        model->setHighlightedRows(failed);
    }
    m_drawing = GnssDrawing(m_job, *m_results);
    m_scene->load(m_drawing);
    m_viewNote->setText(m_results->constrained ? QStringLiteral("约束平差坐标, 点位与相对误差椭圆")
                                               : QStringLiteral("无约束平差坐标 (投影到中央子午线 %1°)")
                                                     .arg(std::nearbyint(double(m_results->free.points[0].L))));
    m_pages->setCurrentIndex(1);
}

void TFormGNSS::makeReport()
{
    compute();
    const QString path = AskSaveFileName(this, ReportDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    QStringList header;
    for (QLineEdit *field : m_header)
        header.append(field->text());
    if (header.value(1).trimmed().isEmpty())
        header[1] = m_grade->currentText();
    WriteGnssReport(m_job, *m_results, header, ProgramFile(GnssReportTemplate), path);
}

void TFormGNSS::drawToCad()
{
    CadSession *cad = AttachCad(this);
    if (!cad)
        return;
    compute();
    BusyCursor busy;
    DrawThroughCad(*cad, m_drawing);
}

void TFormGNSS::sendToHeightFit()
{
    compute();
    // the known points with normal heights are the common points, the others are converted; plane
    // coordinates from the constrained adjustment, or the free one projected as the drawing is
    network::Result plane;
    const network::Network net = GnssPlaneNetwork(m_job, *m_results, plane);
    QList<QStringList> common, convert;
    for (size_t p = 0; p < net.points.size(); ++p) {
        const QString name = QString::fromStdString(net.points[p].id);
        const QString x = NumberText(4, net.points[p].x), y = NumberText(4, net.points[p].y);
        const QString h = NumberText(4, m_results->free.points[p].H);
        const auto known = std::find_if(m_job.known.begin(), m_job.known.end(),
                                        [&](const gnss::KnownPoint &k) { return k.name == net.points[p].id; });
        if (known != m_job.known.end() && known->hasH)
            common.append({name, x, y, h, NumberText(4, known->H), QStringLiteral("拟合")});
        else
            convert.append({name, x, y, h});
    }
    if (common.isEmpty())
        throw Error("已知点没有正常高 H, 不能进行高程拟合");
    auto *fit = new TFormGCNH(parentWidget() ? parentWidget() : this);
    fit->findChild<PointTableView *>(QStringLiteral("StringGrid1"))->table()->replaceRows(common);
    if (!convert.isEmpty())
        fit->findChild<PointTableView *>(QStringLiteral("StringGrid2"))->table()->replaceRows(convert);
    fit->show();
    fit->raise();
}

} // namespace quorvil
