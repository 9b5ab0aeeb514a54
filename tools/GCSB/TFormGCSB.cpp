#include "TFormGCSB.h"

#include "core/Error.h"
#include "core/TextForms.h"
#include "core/fieldbook/FieldBookLimits.h"
#include "io/FileAccess.h"
#include "io/ProgramFiles.h"
#include "io/survey/FieldBookFile.h"
#include "io/survey/FieldBookReport.h"
#include "io/survey/FieldBookTables.h"
#include "io/survey/ObservationFile.h"
#include "tools/KZWPC/TFormKZWPC.h"
#include "ui/Fields.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"
#include "ui/ResultFreshness.h"
#include "ui/TableToolBars.h"
#include "ui/TraverseWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace quorvil {

using namespace fieldbook;

namespace {

const QString Caption = QStringLiteral("观测手簿");

FileDialogSpec OpenBookDialog()
{
    return {QStringLiteral("打开观测手簿"), QStringLiteral("观测手簿 (*.csv *.txt *.gsi *.gsi8 *.gsi16)"), {},
            {PromptTexts::AllFilesFilter}};
}
FileDialogSpec SaveObservationsDialog()
{
    return {QStringLiteral("控制网观测文件另存为..."), PromptTexts::TextFilter, QStringLiteral("txt")};
}

} // namespace

TFormGCSB::TFormGCSB(QWidget *owner) : ToolWindow(owner, QStringLiteral("TFormGCSB"), Caption)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 2, 4, 4);
    outer->setSpacing(4);

    QToolBar *bar = MakeTextToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    AddCommand(bar, TableCaptions::Import, QStringLiteral("ToolButton1"), [this] { importBook(); });
    AddCommand(bar, QStringLiteral("归算"), QStringLiteral("ToolButton2"), [this] { compute(); });
    AddCommand(bar, TableCaptions::SaveAs, QStringLiteral("ToolButton3"), [this] { saveObservations(); });
    AddCommand(bar, QStringLiteral("送平差"), QStringLiteral("ToolButton4"), [this] { sendToNetwork(); });
    AddCommand(bar, QStringLiteral("Word报表"), QStringLiteral("ToolButton5"), [this] { makeReport(); });
    outer->addWidget(bar);

    auto *headerGroup = new QGroupBox(QStringLiteral("报表信息"), this);
    headerGroup->setObjectName(QStringLiteral("GroupBox1"));
    auto *headerLayout = new QVBoxLayout(headerGroup);
    headerLayout->setContentsMargins(6, 4, 6, 4);
    headerLayout->addLayout(MakeHeaderFields(headerGroup, m_header));
    outer->addWidget(headerGroup);

    // The grade and instrument the checks go by, and the constants of the reductions.
    auto *set = new QGroupBox(QStringLiteral("限差与归算"), this);
    set->setObjectName(QStringLiteral("GroupBox2"));
    auto *setLayout = new QGridLayout(set);
    setLayout->setContentsMargins(8, 4, 8, 6);
    m_grade = new QComboBox(set);
    m_grade->setObjectName(QStringLiteral("ComboGrade"));
    for (const std::string &g : FieldBookGrades())
        m_grade->addItem(QString::fromStdString(g));
    m_grade->setCurrentText(QStringLiteral("一级"));
    m_instrument = new QComboBox(set);
    m_instrument->setObjectName(QStringLiteral("ComboInstrument"));
    for (Real c : InstrumentClasses())
        m_instrument->addItem(QString::fromStdString(GeneralText(c)) + QStringLiteral("″级"));
    m_instrument->setCurrentIndex(2);
    const Settings defaults;
    m_refraction = MakeNumberField(QStringLiteral("EditK"), QString::fromStdString(GeneralText(defaults.refraction)), set, 90);
    m_radius = MakeNumberField(QStringLiteral("EditR"), QString::fromStdString(GeneralText(defaults.earthRadius)), set, 90);
    m_projection = MakeNumberField(QStringLiteral("EditH0"), QStringLiteral("0"), set, 90);
    m_yConstant = MakeNumberField(QStringLiteral("EditYConst"), QString::fromStdString(GeneralText(defaults.yConstant)), set, 90);
    m_grid = new QCheckBox(QStringLiteral("高斯投影改化"), set);
    m_grid->setObjectName(QStringLiteral("CheckGrid"));
    m_grid->setChecked(true);
    const std::pair<const char *, QWidget *> fields[] = {
        {"等级", m_grade},          {"仪器", m_instrument},        {"折光系数 k", m_refraction},
        {"地球半径 R(m)", m_radius}, {"投影面高程 H0(m)", m_projection}, {"Y 加常数(m)", m_yConstant}};
    int column = 0;
    for (const auto &[label, field] : fields) {
        auto *l = new QLabel(QString::fromUtf8(label), set);
        l->setBuddy(field);
        setLayout->addWidget(l, column / 4, (column % 4) * 2, Qt::AlignRight);
        setLayout->addWidget(field, column / 4, (column % 4) * 2 + 1);
        ++column;
    }
    setLayout->addWidget(m_grid, 1, 5);
    setLayout->setColumnStretch(7, 1);
    outer->addWidget(set);
    connect(m_grade, &QComboBox::currentTextChanged, this, [this](const QString &g) { m_header[1]->setText(g); });
    m_header[1]->setText(m_grade->currentText());

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    outer->addWidget(m_pages, 1);

    // ---- 观测数据: the book as read (and as the user corrects it), the known points beside it.
    auto *split = new QSplitter(Qt::Horizontal, m_pages);
    m_book = new PointTableView(FieldBookInputCaptions(), true);
    m_book->setObjectName(QStringLiteral("StringGrid1"));
    m_book->setColumnWidths({56, 56, 56, 56, 40, 40, 96, 96, 80});
    m_book->table()->setRowCount(10);
    InputToolBarOptions bookBar;
    bookBar.withImport = false;
    bookBar.rowsAfterClear = 10;
    bookBar.names = {"BookAppend", "BookInsert", QString(), "BookDelete", "BookClear"};
    split->addWidget(MakeTableGroup(QStringLiteral("观测记录（读数 ddd.mmss，盘位 左/右）"), m_book,
                                    MakeInputToolBar(nullptr, m_book, bookBar), split));
    m_known = new PointTableView({QStringLiteral("点名"), QStringLiteral("X(m)"), QStringLiteral("Y(m)"), QStringLiteral("H(m)")}, true);
    m_known->setObjectName(QStringLiteral("StringGridKnown"));
    m_known->setColumnWidths({60, 100, 100, 70});
    m_known->table()->setRowCount(4);
    InputToolBarOptions knownBar;
    knownBar.fieldCount = 4;
    knownBar.missingField = QString();
    knownBar.names = {"KnownAppend", "KnownInsert", "KnownImport", "KnownDelete", "KnownClear"};
    split->addWidget(MakeTableGroup(QStringLiteral("已知点"), m_known, MakeInputToolBar(nullptr, m_known, knownBar), split));
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    m_pages->addTab(split, QStringLiteral("观测数据"));

    // ---- the results: the 手簿 page, the lines, the checks.
    m_results = new ResultFreshness(this, [this] { compute(); });
    m_page = MakeResultTable(QStringLiteral("StringGridPage"), FieldBookPageCaptions());
    m_lines = MakeResultTable(QStringLiteral("StringGridLines"), FieldBookLineCaptions());
    m_checks = MakeResultTable(QStringLiteral("StringGridChecks"), FieldBookCheckCaptions());
    const struct {
        PointTableView *table;
        const char *caption, *save;
    } results[] = {{m_page, "方向观测法手簿", "PageSave"}, {m_lines, "边长与三角高程", "LinesSave"}, {m_checks, "检核", "ChecksSave"}};
    for (const auto &r : results) {
        auto *page = new QWidget(m_pages);
        auto *layout = new QVBoxLayout(page);
        layout->setContentsMargins(4, 4, 4, 4);
        if (r.table == m_checks) {
            m_summary = new QLabel(page);
            m_summary->setObjectName(QStringLiteral("LabCheck"));
            layout->addWidget(m_summary);
        }
        if (r.table == m_checks) {
            m_notes = new QPlainTextEdit(page);
            m_notes->setObjectName(QStringLiteral("MemoNotes"));
            m_notes->setReadOnly(true);
            m_notes->setMaximumHeight(90);
        }
        layout->addWidget(r.table, 1);
        if (r.table == m_checks)
            layout->addWidget(m_notes);
        QToolBar *save = MakeTextToolBar(page);
        PointTableView *table = r.table;
        AddCommand(save, TableCaptions::SaveAs, QString::fromLatin1(r.save), [this, table] {
            if (m_results->confirmSave())
                table->saveFile(SavePointsDialog());
        });
        layout->addWidget(save);
        m_pages->addTab(page, QString::fromUtf8(r.caption));
    }

    m_results->watch(m_book->table());
    m_results->watch(m_known->table());
    m_results->watch(set);
    m_results->greyWhileStale({m_page, m_lines, m_checks, m_summary, m_notes});
    outer->insertWidget(outer->indexOf(m_pages), m_results->makeNotice(this));
    resize(1000, 680);
}

Settings TFormGCSB::settings() const
{
    Settings s;
    s.grade = m_grade->currentText().toStdString();
    s.instrument = InstrumentClasses().at(size_t(std::max(0, m_instrument->currentIndex())));
    s.refraction = FieldNumberStrict(m_refraction);
    s.earthRadius = FieldNumberStrict(m_radius);
    s.projectionHeight = FieldNumber(m_projection);
    s.yConstant = FieldNumber(m_yConstant);
    s.grid = m_grid->isChecked();
    return s;
}

SurveyHeader TFormGCSB::header() const
{
    return {m_header[0]->text(), m_header[1]->text(), m_header[2]->text(), m_header[3]->text(), m_header[4]->text()};
}

void TFormGCSB::importBook()
{
    const QString path = Prompts::instance().openFileName(this, OpenBookDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    // Parsed whole before the table changes.
    const QList<QStringList> rows = FieldBookInputRows(ParseFieldBookBytes(ReadChosenFile(path)));
    m_book->table()->replaceRows(rows);
    m_book->setCurrentDataRow(0);
    m_pages->setCurrentIndex(0);
}

void TFormGCSB::compute()
{
    const FieldBook book = FieldBookFromRows(TableRowTexts(m_book));
    QStringList knownLines;
    for (const QStringList &row : TableRowTexts(m_known))
        knownLines.append(row.join(u','));
    const std::vector<KnownPoint> known = ParseKnownPoints(knownLines);
    const Settings s = settings();
    BusyCursor busy;
    Reduction r = Reduce(book, known, s);
    m_page->table()->replaceRows(FieldBookPageRows(r));
    m_lines->table()->replaceRows(FieldBookLineRows(r));
    m_checks->table()->replaceRows(FieldBookCheckRows(r));
    QList<int> over;
    for (size_t i = 0; i < r.checks.size(); ++i)
        if (r.checks[i].over)
            over.append(int(i));
    m_checks->table()->setHighlightedRows(over);
    m_summary->setText(FieldBookSummary(r));
    m_notes->setPlainText(FieldBookNotes(r));
    m_summary->setStyleSheet(over.isEmpty() ? QString() : QStringLiteral("color: red"));
    m_reduction = std::move(r);
    m_results->markComputed();
    m_pages->setCurrentIndex(over.isEmpty() ? 1 : 3);
}

void TFormGCSB::saveObservations()
{
    compute();
    const QString path = AskSaveFileName(this, SaveObservationsDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    WriteFieldBookObservations(path, *m_reduction, header());
}

void TFormGCSB::sendToNetwork()
{
    compute();
    // The file as 数据另存 writes it, read back as 控制网平差 opens one.
    const SurveyFile file = ParseObservationFile(FieldBookObservationLines(*m_reduction, header()).join(u'\n').toUtf8());
    auto *network = new TFormKZWPC(parentWidget());
    network->applyFile(file);
    network->show();
    network->raise();
}

void TFormGCSB::makeReport()
{
    compute();
    const QString path = AskSaveFileName(this, ReportDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    QStringList texts;
    for (QLineEdit *field : m_header)
        texts.append(field->text());
    WriteFieldBookReport(*m_reduction, texts, ProgramFile(FieldBookReportTemplate), path);
}

} // namespace quorvil
