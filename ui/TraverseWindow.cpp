#include "TraverseWindow.h"

#include "CommandRunner.h"
#include "Fields.h"
#include "Language.h"
#include "LimitSettings.h"
#include "PointTableView.h"
#include "Prompts.h"
#include "ResultFreshness.h"
#include "TableToolBars.h"

#include "core/FpGuard.h"
#include "core/TraverseSummary.h"
#include "io/IniFile.h"
#include "io/ProgramFiles.h"
#include "core/TextForms.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

namespace quorvil {

namespace {

// The colour of a closure over its limit.
const QString OverStyle = QStringLiteral("color: #d00000;");

// The label of the line of limits that shows a verdict, and the summary label of its closure.
struct VerdictPlace {
    ClosureVerdict::Closure closure;
    const char *verdictLabel;
    const char *closureLabel;
};
constexpr VerdictPlace VerdictPlaces[] = {
    {ClosureVerdict::Closure::Angular, "LimitFB", "LabFB"},
    {ClosureVerdict::Closure::Relative, "LimitK", "LabK"},
    {ClosureVerdict::Closure::Levelling, "LimitFh", "LabFh"},
    {ClosureVerdict::Closure::None, "LimitGrade", nullptr},
};

// What the weights of a levelling route count, as the list offers it.
struct WeightsChoice {
    LevellingWeights weights;
    const char *caption;
};
constexpr WeightsChoice WeightsChoices[] = {
    {LevellingWeights::Kilometres, "千米计"},
    {LevellingWeights::Metres, "米计"},
    {LevellingWeights::Stations, "测站数计"},
};

// The a priori errors in the settings file, and their values before anything is typed: a 5″
// instrument measuring 5 mm + 5 ppm, levelling of 四等 (10 mm/√km).
const QString ErrorsSection = QStringLiteral("Rigorous");
struct ErrorKey {
    const char *name;   // object name of the field
    const char *key;    // key in the settings file
    const char *fallback;
};
constexpr ErrorKey ErrorKeys[] = {
    {"EditSigmaAngle", "AngleSigma", "5"},
    {"EditSigmaDistA", "DistanceA", "5"},
    {"EditSigmaDistB", "DistanceB", "5"},
    {"EditSigmaLevel", "LevelSigma", "10"},
};

QString ErrorText(Real value) { return QString::fromStdString(GeneralText(value)); }

// Width of the column of point errors.
constexpr int PointErrorColumnWidth = 100;

// A sunken line of the window's summaries: its frame, named, and its row of widgets.
QHBoxLayout *SummaryLine(QFrame *frame, const char *name, int spacing)
{
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    auto *row = new QHBoxLayout(frame);
    row->setContentsMargins(8, 4, 8, 4);
    row->setSpacing(spacing);
    return row;
}

// A list with its caption in front, added to `row`.
QComboBox *AddChoice(QHBoxLayout *row, QWidget *parent, const QString &caption, const char *name, const QStringList &items)
{
    auto *pair = new QHBoxLayout;
    pair->setSpacing(4);
    auto *label = new QLabel(caption, parent);
    auto *list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(items);
    label->setBuddy(list);
    pair->addWidget(label);
    pair->addWidget(list);
    row->addLayout(pair);
    return list;
}

} // namespace

QStringList AngleTraverseColumns()
{
    return {QStringLiteral("点名"), QStringLiteral("水平角(dms)"), QStringLiteral("边长(m)"), QStringLiteral("X坐标(m)"),
            QStringLiteral("Y坐标(m)")};
}

QList<int> AngleTraverseColumnWidths() { return {69, 118, 118, 138, 138}; }

QList<QPair<QString, QString>> TraverseSummaryLabels(bool withAngles)
{
    QList<QPair<QString, QString>> labels;
    if (withAngles)
        labels = {{"LabFB", FBCaption}, {"LabVB", VBCaption}};
    labels += {{"LabFx", FxCaption}, {"LabFy", FyCaption}, {"LabFs", FsCaption}, {"LabK", KCaption}};
    return labels;
}

TraverseWindowLayout AngleTraverseLayout(const QString &groupCaption, int startRows, int clearRows,
                                         TraverseSummaryKind summary)
{
    TraverseWindowLayout layout;
    layout.groupCaption = groupCaption;
    layout.columns = AngleTraverseColumns();
    layout.columnWidths = AngleTraverseColumnWidths();
    layout.startRows = startRows;
    layout.clearRows = clearRows;
    if (summary != TraverseSummaryKind::None)
        layout.summaryLabels = TraverseSummaryLabels(summary == TraverseSummaryKind::AnglesAndCoordinates);
    layout.file.pointColumns = {0, 3, 4};
    return layout;
}

QGroupBox *MakeHeaderGroup(QWidget *parent, QLineEdit *(&fields)[AdjustmentHeaderFields])
{
    auto *group = new QGroupBox(QStringLiteral("报表信息"), parent);
    group->setObjectName(QStringLiteral("GroupBox1"));
    auto *layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(MakeHeaderFields(group, fields));
    return group;
}

QGridLayout *MakeHeaderFields(QWidget *parent, QLineEdit *(&fields)[AdjustmentHeaderFields])
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    for (int i = 0; i < AdjustmentHeaderFields; ++i) {
        fields[i] = new QLineEdit(parent);
        fields[i]->setObjectName(QString::fromLatin1(HeaderFields[i].name));
        auto *label = new QLabel(QString::fromUtf8(HeaderFields[i].caption), parent);
        label->setBuddy(fields[i]);
        const int row = i < 2 ? 0 : 1;
        const int column = i < 2 ? i * 2 : (i - 2) * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(fields[i], row, column + 1);
    }
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(5, 2);
    fields[4]->setText(TodayText());
    return grid;
}

TraverseWindow::TraverseWindow(QWidget *owner, const QString &className, const QString &caption,
                               const TraverseWindowLayout &layout)
    : ToolWindow(owner, className, caption), m_layout(layout)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 2, 4, 4);
    outer->setSpacing(4);

    // The toolbar, in the order the adjustment tools have always shown it.
    m_toolBar = MakeTextToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    AddCommand(m_toolBar, TableCaptions::Append, QStringLiteral("ToolButton1"), [this] { m_grid->appendRow(); });
    AddCommand(m_toolBar, TableCaptions::Insert, QStringLiteral("ToolButton2"), [this] { m_grid->insertRowAtCursor(); });
    AddCommand(m_toolBar, TableCaptions::Import, QStringLiteral("ToolButton3"), [this] { importFile(); });
    AddCommand(m_toolBar, TableCaptions::SaveAs, QStringLiteral("ToolButton7"), [this] { saveFile(); });
    AddCommand(m_toolBar, TableCaptions::Delete, QStringLiteral("ToolButton4"), [this] { m_grid->deleteRowAtCursor(); });
    AddCommand(m_toolBar, TableCaptions::Clear, QStringLiteral("ToolButton5"), [this] { m_grid->clearRows(m_layout.clearRows); });
    m_results = new ResultFreshness(this, [this] { compute(); });
    AddCommand(m_toolBar, QStringLiteral("计算"), QStringLiteral("ToolButton6"), [this] { m_results->compute(); });
    AddCommand(m_toolBar, QStringLiteral("Word报表"), QStringLiteral("ToolButton8"), [this] { makeReport(); });
    outer->addWidget(m_toolBar);

    m_group = new QGroupBox(layout.groupCaption, this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    auto *groupLayout = new QVBoxLayout(m_group);
    groupLayout->setContentsMargins(6, 6, 6, 6);
    groupLayout->setSpacing(6);

    groupLayout->addLayout(MakeHeaderFields(m_group, m_header));
    buildMethodLine(m_group);
    groupLayout->addWidget(m_method);

    m_grid = new PointTableView(layout.columns, true, m_group);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    int width = 0;
    for (int column = 0; column < layout.columnWidths.size(); ++column) {
        m_grid->setColumnWidth(column, layout.columnWidths[column]);
        width += layout.columnWidths[column];
    }
    m_grid->table()->setRowCount(layout.startRows);
    m_grid->setMinimumWidth(width + 60);
    groupLayout->addWidget(m_grid, 1);

    // The summary line.
    m_summary = new QFrame(m_group);
    QHBoxLayout *summaryLayout = SummaryLine(m_summary, "Panel1", layout.summarySpacing);
    summaryLayout->addWidget(m_results->makeNotice(m_summary));
    for (const auto &[name, text] : layout.summaryLabels) {
        auto *label = new QLabel(text, m_summary);
        label->setObjectName(name);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        summaryLayout->addWidget(label);
        m_labels.append(label);
    }
    summaryLayout->addStretch(1);
    m_summary->setVisible(!layout.summaryLabels.isEmpty());
    groupLayout->addWidget(m_summary);
    // The line of the rigorous solution, under the closures.
    m_rigorousLabel = new QLabel(m_group);
    m_rigorousLabel->setObjectName(QStringLiteral("LabRigorous"));
    m_rigorousLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_rigorousLabel->setContentsMargins(10, 0, 8, 0);
    m_rigorousLabel->hide();
    m_labels.append(m_rigorousLabel);
    groupLayout->addWidget(m_rigorousLabel);
    applyMethod();
    if (HasClosures(layout.report)) {
        buildLimitsLine(m_group);
        groupLayout->addWidget(m_limits);
    }
    outer->addWidget(m_group, 1);

    // The progress strip of long work, hidden until it is needed.
    m_progressPanel = new QFrame(this);
    m_progressPanel->setObjectName(QStringLiteral("Panel2"));
    auto *progressLayout = new QHBoxLayout(m_progressPanel);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    m_progress = new QProgressBar(m_progressPanel);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    progressLayout->addWidget(m_progress);
    m_progressPanel->hide();
    outer->addWidget(m_progressPanel);

    watchInput();
    resize(width + 100, 460);
}

void TraverseWindow::watchInput()
{
    m_results->watch(table());
    m_results->watch(m_rigorous);
    // The a priori errors count in the rigorous method only.
    const QPointer<QRadioButton> rigorous(m_rigorous);
    for (QLineEdit *edit : errorFields())
        m_results->watchValue(edit, &QLineEdit::textChanged, [rigorous, field = QPointer<QLineEdit>(edit)] {
            return rigorous && field && rigorous->isChecked() ? field->text() : QString();
        });
    // What the weights of a levelling route count (one setting for every window) leaves the
    // proportions of the weights, and so the adjusted heights, as they are; it changes what the
    // error of the rigorous method is per, and so its χ² test.
    if (isLevelling())
        m_results->watchValue(&LimitSettings::instance(), &LimitSettings::changed, [rigorous] {
            return rigorous && rigorous->isChecked() ? QString::number(int(LimitSettings::instance().levellingWeights()))
                                                     : QString();
        });
    m_results->greyWhileStale({m_rigorousLabel});
    if (m_limits)
        m_results->greyWhileStale({m_limits});
    connect(m_results, &ResultFreshness::staleChanged, this, [this] { showFreshness(); });
}

void TraverseWindow::showFreshness()
{
    // The closures are not shown for data they were not computed from; the notice stands instead.
    const bool stale = m_results->isStale();
    for (QLabel *label : std::as_const(m_labels))
        if (label != m_rigorousLabel)
            label->setVisible(!stale);
    m_summary->setVisible(stale || !m_layout.summaryLabels.isEmpty());
    showVerdicts();
}

void TraverseWindow::buildMethodLine(QWidget *parent)
{
    m_method = new QFrame(parent);
    m_method->setObjectName(QStringLiteral("Panel4"));
    auto *row = new QHBoxLayout(m_method);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    m_approx = new QRadioButton(QStringLiteral("近似平差"), m_method);
    m_approx->setObjectName(QStringLiteral("RadioApprox"));
    m_rigorous = new QRadioButton(QStringLiteral("严密平差"), m_method);
    m_rigorous->setObjectName(QStringLiteral("RadioRigorous"));
    m_approx->setChecked(true);
    row->addWidget(m_approx);
    row->addWidget(m_rigorous);
    row->addSpacing(18);

    IniFile ini(SettingsFilePath());
    auto field = [&](const ErrorKey &key) {
        auto *edit = new QLineEdit(m_method);
        edit->setObjectName(QString::fromLatin1(key.name));
        edit->setText(ini.readString(ErrorsSection, QString::fromLatin1(key.key), QString::fromLatin1(key.fallback)).trimmed());
        edit->setMaximumWidth(56);
        edit->setAlignment(Qt::AlignRight);
        connect(edit, &QLineEdit::editingFinished, this, [this] { RunCommand(this, [this] { saveErrors(); }); });
        return edit;
    };
    auto text = [&](const QString &caption) {
        auto *label = new QLabel(caption, m_method);
        row->addWidget(label);
        return label;
    };
    if (isLevelling()) {
        text(QStringLiteral("水准测量中误差"));
        m_sigmaLevel = field(ErrorKeys[3]);
        row->addWidget(m_sigmaLevel);
        m_levelUnit = text(QString());
    } else {
        text(QStringLiteral("测角中误差"));
        m_sigmaAngle = field(ErrorKeys[0]);
        row->addWidget(m_sigmaAngle);
        text(QStringLiteral("″   测距中误差"));
        m_sigmaDistA = field(ErrorKeys[1]);
        row->addWidget(m_sigmaDistA);
        text(QStringLiteral("mm +"));
        m_sigmaDistB = field(ErrorKeys[2]);
        row->addWidget(m_sigmaDistB);
        text(QStringLiteral("ppm"));
    }
    row->addStretch(1);
    connect(m_rigorous, &QRadioButton::toggled, this, [this] { applyMethod(); });
    // A grade typed or imported sets the errors of its table row.
    connect(m_header[1], &QLineEdit::textChanged, this, [this] { applyGradeErrors(); });
    connect(&LimitSettings::instance(), &LimitSettings::changed, this, [this] { applyMethod(); });
    applyMethod();
}

QList<QLineEdit *> TraverseWindow::errorFields() const
{
    QList<QLineEdit *> fields;
    for (QLineEdit *edit : {m_sigmaAngle, m_sigmaDistA, m_sigmaDistB, m_sigmaLevel})
        if (edit)
            fields.append(edit);
    return fields;
}

bool TraverseWindow::isRigorous() const { return m_rigorous->isChecked(); }

void TraverseWindow::setRigorous(bool rigorous) { (rigorous ? m_rigorous : m_approx)->setChecked(true); }

void TraverseWindow::applyMethod()
{
    const bool rigorous = isRigorous();
    for (QLineEdit *edit : errorFields())
        edit->setEnabled(rigorous);
    if (m_levelUnit)
        m_levelUnit->setText(LimitSettings::instance().levellingWeights() == LevellingWeights::Stations
                                 ? QStringLiteral("mm/站")
                                 : QStringLiteral("mm/√km"));
    if (!m_grid)
        return;
    QStringList captions = m_layout.columns;
    if (rigorous)
        captions.append(QString::fromUtf8(PointErrorCaption));
    if (captions == table()->captions())
        return;
    table()->setCaptions(captions);
    for (int column = 0; column < m_layout.columnWidths.size(); ++column)
        m_grid->setColumnWidth(column, m_layout.columnWidths[column]);
    int width = 0;
    for (int column = 0; column < m_layout.columnWidths.size(); ++column)
        width += m_layout.columnWidths[column];
    if (rigorous) {
        const int last = int(captions.size()) - 1;
        m_grid->setColumnWidth(last, std::max(PointErrorColumnWidth, m_grid->horizontalHeader()->sectionSizeHint(last)));
        width += m_grid->columnWidth(last);
    }
    // Every column shows: the window grows with the table when the column of point errors comes.
    m_grid->setMinimumWidth(width + 60);
    m_rigorousLabel->clear();
    m_rigorousLabel->setVisible(rigorous);
}

void TraverseWindow::applyGradeErrors()
{
    const std::string grade = m_header[1]->text().toStdString();
    if (isLevelling()) {
        if (const std::optional<Real> perKm = LevellingGradeErrorPerKm(grade)) {
            const bool stations = LimitSettings::instance().levellingWeights() == LevellingWeights::Stations;
            m_sigmaLevel->setText(ErrorText(stations ? RoundHalfEven(LevellingErrorPerStation(*perKm) * 100) / 100 : *perKm));
        }
    } else if (const std::optional<GradeErrors> errors = TraverseGradeErrors(grade)) {
        m_sigmaAngle->setText(ErrorText(errors->angleSeconds));
        m_sigmaDistA->setText(ErrorText(errors->distanceMm));
        m_sigmaDistB->setText(QStringLiteral("0"));
    }
}

void TraverseWindow::saveErrors()
{
    IniFile ini(SettingsFilePath());
    for (QLineEdit *edit : errorFields())
        for (const ErrorKey &key : ErrorKeys)
            if (edit->objectName() == QLatin1String(key.name))
                ini.writeString(ErrorsSection, QString::fromLatin1(key.key), edit->text().trimmed());
    ini.save();
}

RigorousOptions TraverseWindow::rigorousOptions() const
{
    RigorousOptions options;
    options.weights = LimitSettings::instance().levellingWeights();
    auto value = [](const QLineEdit *edit) { return TextToNumber(edit->text().trimmed().toStdString()); };
    if (isLevelling()) {
        options.errors.levelMm = value(m_sigmaLevel);
    } else {
        options.errors.angleSeconds = value(m_sigmaAngle);
        options.errors.distanceMm = value(m_sigmaDistA);
        options.errors.distancePpm = value(m_sigmaDistB);
    }
    return options;
}

void TraverseWindow::buildLimitsLine(QWidget *parent)
{
    m_limits = new QFrame(parent);
    QHBoxLayout *row = SummaryLine(m_limits, "Panel3", m_layout.summarySpacing);
    row->setContentsMargins(8, 2, 8, 2);

    // The standard, one choice for every adjustment window.
    QStringList standards;
    for (LimitStandard standard : LimitStandards)
        standards << QString::fromStdString(StandardCode(standard));
    m_standard = AddChoice(row, m_limits, QStringLiteral("限差依据"), "ComboStandard", standards);
    for (int i = 0; i < int(std::size(LimitStandards)); ++i)
        m_standard->setItemData(i, QString::fromStdString(StandardTitle(LimitStandards[i])), Qt::ToolTipRole);
    connect(m_standard, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < int(std::size(LimitStandards)))
            if (!RunCommand(this, [index] { LimitSettings::instance().setStandard(LimitStandards[index]); }))
                showSettings(); // the settings file could not be written: the choice stays as it was
    });

    for (const VerdictPlace &place : VerdictPlaces) {
        auto *label = new QLabel(m_limits);
        label->setObjectName(QString::fromLatin1(place.verdictLabel));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->hide();
        row->addWidget(label);
        m_verdictLabels.append(label);
    }
    row->addStretch(1);

    // What the weights of a levelling route count.
    if (m_layout.report == ReportKind::Levelling) {
        QStringList choices;
        for (const WeightsChoice &choice : WeightsChoices)
            choices << QString::fromUtf8(choice.caption);
        m_weights = AddChoice(row, m_limits, QStringLiteral("距离(或测站数)按"), "ComboWeights", choices);
        connect(m_weights, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (index >= 0 && index < int(std::size(WeightsChoices)))
                if (!RunCommand(this,
                                [index] { LimitSettings::instance().setLevellingWeights(WeightsChoices[index].weights); }))
                    showSettings();
        });
    }

    connect(&LimitSettings::instance(), &LimitSettings::changed, this, [this] {
        showSettings();
        showVerdicts();
    });
    // A grade typed after the computation judges the same closures again.
    connect(m_header[1], &QLineEdit::textChanged, this, [this] { showVerdicts(); });
    showSettings();
}

void TraverseWindow::showSettings()
{
    const LimitOptions options = LimitSettings::instance().options();
    const QSignalBlocker quietStandard(m_standard);
    for (int i = 0; i < int(std::size(LimitStandards)); ++i)
        if (LimitStandards[i] == options.standard)
            m_standard->setCurrentIndex(i);
    if (m_weights) {
        const QSignalBlocker quietWeights(m_weights);
        for (int i = 0; i < int(std::size(WeightsChoices)); ++i)
            if (WeightsChoices[i].weights == options.weights)
                m_weights->setCurrentIndex(i);
    }
}

void TraverseWindow::showVerdicts()
{
    if (!m_limits)
        return;
    m_verdicts.clear();
    if (m_judged)
        m_verdicts = JudgeAdjustment(m_layout.report, m_working, m_header[1]->text(), LimitSettings::instance().options());
    for (int i = 0; i < int(std::size(VerdictPlaces)); ++i) {
        const VerdictPlace &place = VerdictPlaces[i];
        const ClosureVerdict *verdict = nullptr;
        for (const ClosureVerdict &v : m_verdicts)
            if (v.closure == place.closure)
                verdict = &v;
        QLabel *label = m_verdictLabels[i];
        label->setText(verdict ? QString::fromStdString(verdict->text) : QString());
        label->setVisible(verdict != nullptr);
        // Stale verdicts are drawn grey (ResultFreshness), never red.
        const bool over = verdict && verdict->over && !(m_results && m_results->isStale());
        label->setStyleSheet(over ? OverStyle : QString());
        if (place.closureLabel)
            if (QLabel *closure = summaryLabel(QString::fromLatin1(place.closureLabel)))
                closure->setStyleSheet(over ? OverStyle : QString());
    }
}

PointTableModel *TraverseWindow::table() const { return m_grid->table(); }

QLabel *TraverseWindow::summaryLabel(const QString &name) const
{
    for (QLabel *label : m_labels)
        if (label->objectName() == name)
            return label;
    return nullptr;
}

QStringList TraverseWindow::headerTexts() const
{
    QStringList texts;
    for (const QLineEdit *field : m_header)
        texts.append(field->text());
    return texts;
}

void TraverseWindow::setHeaderTexts(const QStringList &texts)
{
    for (int i = 0; i < AdjustmentHeaderFields; ++i)
        m_header[i]->setText(texts.value(i));
}

void TraverseWindow::setSummary(const QString &name, const std::string &text)
{
    if (QLabel *label = summaryLabel(name))
        label->setText(QString::fromStdString(text));
}

void TraverseWindow::setCell(int row, int column, const QString &text) { table()->setCell(row, column, text); }

PlanePoint TraverseWindow::cellPoint(int row) const
{
    return {CellNumber(table(), row, 3), CellNumber(table(), row, 4)};
}

void TraverseWindow::setCellPoint(int row, const PlanePoint &point)
{
    setCell(row, 3, NumberText(3, point.x));
    setCell(row, 4, NumberText(3, point.y));
}

void TraverseWindow::setCellPoints(int firstRow, const std::vector<PlanePoint> &points)
{
    if (points.empty())
        return;
    PointTableModel *t = table();
    {
        const QSignalBlocker quiet(t);
        for (size_t i = 0; i < points.size(); ++i) {
            const int row = firstRow + static_cast<int>(i);
            t->setCell(row, 3, NumberText(3, points[i].x));
            t->setCell(row, 4, NumberText(3, points[i].y));
        }
    }
    const int lastRow = firstRow + static_cast<int>(points.size()) - 1;
    Q_EMIT t->dataChanged(t->index(firstRow, 3), t->index(lastRow, 4));
}

int TraverseWindow::modelRow(int place) const { return place >= 0 ? place : table()->rows() + place; }

AdjustmentData TraverseWindow::fileData() const
{
    const AdjustmentFileMap &map = m_layout.file;
    const PointTableModel *t = table();
    AdjustmentData data;
    data.count = t->rows() - map.rowsBeyondCount;
    if (data.count < map.minimumCount)
        throw Error(map.tooFewText.toStdString());
    data.header = headerTexts();
    // After 严密平差 every line ends with the point error of its row.
    const int errorColumn = t->columns() > m_layout.columns.size() ? int(m_layout.columns.size()) : -1;
    for (int place : map.pointRows) {
        QStringList fields;
        for (int column : map.pointColumns)
            fields.append(t->cell(modelRow(place), column));
        if (errorColumn >= 0)
            fields.append(t->cell(modelRow(place), errorColumn));
        data.points.append(fields);
    }
    const int observations = data.count + map.layout.observationExtra;
    data.observations.reserve(observations);
    for (int i = 0; i < observations; ++i) {
        QStringList fields;
        for (int column : map.observationColumns)
            fields.append(t->cell(map.firstObservationRow + i, column));
        if (errorColumn >= 0)
            fields.append(t->cell(map.firstObservationRow + i, errorColumn));
        data.observations.append(fields);
    }
    return data;
}

void TraverseWindow::applyFileData(const AdjustmentData &data)
{
    TextTable cells = AdjustmentTableOf(data, m_layout.file, table()->columns());
    // A new traverse: nothing of it is judged before it is computed.
    m_judged = false;
    table()->replaceCells(cells.rows, cells.columns, std::move(cells.cells));
    setHeaderTexts(data.header);
    m_grid->setCurrentDataRow(0);
    showVerdicts();
}

void TraverseWindow::adjust()
{
    PointTableModel *t = table();
    TextTable cells;
    cells.rows = t->rows();
    cells.columns = t->columns();
    cells.cells.reserve(static_cast<size_t>(cells.rows) * cells.columns);
    for (int r = 0; r < cells.rows; ++r)
        for (int c = 0; c < cells.columns; ++c)
            cells.cells.push_back(t->cell(r, c));
    const TextTable before = cells;
    AdjustmentSummary summary;
    // Shows what the adjustment wrote, in one change for the view.
    auto show = [&] {
        for (const auto &[name, text] : summary)
            setSummary(name, text);
        bool changed = false;
        {
            const QSignalBlocker quiet(t);
            for (int r = 0; r < cells.rows; ++r)
                for (int c = 0; c < cells.columns; ++c)
                    if (cells.at(r, c) != before.at(r, c)) {
                        t->setCell(r, c, cells.at(r, c));
                        changed = true;
                    }
        }
        if (changed)
            Q_EMIT t->dataChanged(t->index(0, 0), t->index(cells.rows - 1, cells.columns - 1));
    };
    // The errors are read before anything is computed: a field that is no number changes nothing.
    RigorousOptions options;
    const bool rigorous = isRigorous();
    if (rigorous)
        options = rigorousOptions();
    m_rigorousLabel->clear();
    try {
        AdjustTable(m_layout.report, cells, summary, m_working, rigorous ? &options : nullptr);
    } catch (...) {
        show();
        m_judged = false;
        showVerdicts();
        throw;
    }
    show();
    m_judged = true;
    showVerdicts();
}

void TraverseWindow::importFile()
{
    const QString path = Prompts::instance().openFileName(this, OpenPointsDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    applyFileData(ReadAdjustmentFile(path, m_layout.file.layout));
}

void TraverseWindow::saveFile()
{
    fileData(); // a table too short is refused before any question or dialog
    // The file holds results only after 严密平差: the point errors at the end of its lines.
    if (table()->columns() > m_layout.columns.size() && !m_results->confirmSave())
        return;
    const AdjustmentData data = fileData();
    const QString path = AskSaveFileName(this, SavePointsDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    WriteAdjustmentFile(path, data);
}

void TraverseWindow::makeReport()
{
    // The report shows the table as it stands: it is computed first, and a computation that
    // fails ends the report with its message before anything is asked or written.
    m_results->compute();
    AdjustmentReportData data;
    data.kind = m_layout.report;
    data.header = headerTexts();
    const PointTableModel *t = table();
    data.rows.reserve(t->rows());
    for (int row = 0; row < t->rows(); ++row)
        data.rows.append(t->rowTexts(row));
    AttachWorking(data, m_working); // the working values of the computation just made
    data.standard = LimitSettings::instance().standard();
    data.verdicts = m_verdicts;

    const QString path = AskSaveFileName(this, ReportDialog());
    if (path.isEmpty())
        return;
    BusyCursor busy;
    m_progressPanel->show();
    m_progress->setValue(0);
    struct HideStrip {
        QFrame *panel;
        ~HideStrip() { panel->hide(); }
    } hide{m_progressPanel};
    WriteAdjustmentReport(data, ProgramFile(ReportTemplateName(data.kind)), path, [this](int percent) {
        m_progress->setValue(percent);
        // Let the strip paint; the user's input waits until the report is written.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

} // namespace quorvil
