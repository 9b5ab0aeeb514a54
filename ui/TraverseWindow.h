// The window of the adjustment tools (traverses and levelling routes): the five report header
// fields, one editable table of stations with the traverse toolbar, and a summary line of labels.
//
// A tool describes its window in a TraverseWindowLayout (captions, columns, starting rows, the
// rows " 清空 " leaves, its summary labels, where the lines of its data file go in the table and
// which report it writes), implements compute() and hands its last result to the report.
// Everything else - the toolbar (" 追加 ", " 插入 ", "文件导入", "数据另存", " 删除 ", " 清空 ",
// "计算", "Word报表"), the data file import and save, the Word report with its progress strip,
// the header fields with today's date, the line of limits under the summary - is here, once for
// every adjustment tool.
//
// The line of limits (Panel3) judges the closures of the last computation against the limits of
// the grade typed in "等级" under the standard of the settings (LimitSettings), which the line
// offers to choose (ComboStandard, one choice for every window). It shows one label per closure,
// "fβ=-19.75″ 限差±26.46″ 合格" (LimitFB), "K=1/82300 限差1/15000 合格" (LimitK),
// "fh=8mm 限差±28mm 合格" (LimitFh), or the note of a grade without limits (LimitGrade). A closure over its limit shows red, its summary label too. The verdict never
// blocks: the table is adjusted, saved and reported as before. The levelling route adds the
// choice of what its weights count (ComboWeights).
//
// The line of the method (Panel4) chooses 近似平差 (RadioApprox, the default) or 严密平差
// (RadioRigorous) with the a priori errors of the rigorous adjustment: 测角中误差 EditSigmaAngle
// (″) and 测距中误差 EditSigmaDistA (mm) + EditSigmaDistB (ppm) in the traverses, EditSigmaLevel
// (mm/√km, or mm a station when the weights count stations) in the levelling route. The errors are
// kept in the settings file (section "Rigorous"); a grade typed or imported in "等级" that the
// table of grades knows sets them to its values. In 严密平差 the table has one column more,
// 点位中误差(mm), which "数据另存" appends to each line of the data file, and the label
// LabRigorous under the summary shows σ0, the degrees of freedom, the χ² test and the weakest
// point.
//
// Once the table or the method changes after a computation, the summary line says
// "数据已修改，请重新计算" (LabStale) instead of the closures, the line of limits and LabRigorous
// turn grey, and "数据另存" of the point errors of 严密平差 first asks whether to compute again
// (ResultFreshness); "Word报表" always computes first.
#pragma once

#include "ToolWindow.h"

#include "Prompts.h"
#include "core/Traverse.h"
#include "io/AdjustmentFile.h"
#include "io/AdjustmentReport.h"
#include "io/AdjustmentTable.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <vector>

class QComboBox;
class QFrame;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QToolBar;
class QVBoxLayout;

namespace quorvil {

class PointTableModel;
class PointTableView;
class ResultFreshness;

struct TraverseWindowLayout {
    QString groupCaption;          // caption of GroupBox1
    QStringList columns;           // captions of StringGrid1
    QList<int> columnWidths;
    int startRows = 5;             // data rows of a new window
    int clearRows = 5;             // data rows " 清空 " leaves
    QList<QPair<QString, QString>> summaryLabels; // object name and starting caption, in order
    int summarySpacing = 24;       // room between the summary labels
    AdjustmentFileMap file;
    ReportKind report = ReportKind::Connecting; // the tool: its adjustment and its Word report
};

// Object names and captions of the header fields, in the order of the data file's header line.
struct HeaderField {
    const char *name;
    const char *caption;
};
inline constexpr HeaderField HeaderFields[AdjustmentHeaderFields] = {
    {"EditGC", "工程名称"}, {"EditDJ", "等级"}, {"EditJS", "计算者"}, {"EditJH", "校核者"}, {"EditRQ", "日期"},
};

// The five header fields under their captions, project and grade on the first line, the people and
// the date (today's) on the second; `fields` receives them in file order.
QGridLayout *MakeHeaderFields(QWidget *parent, QLineEdit *(&fields)[AdjustmentHeaderFields]);
// The same fields in their own group "报表信息" (GroupBox1), for the network windows.
QGroupBox *MakeHeaderGroup(QWidget *parent, QLineEdit *(&fields)[AdjustmentHeaderFields]);

// The five columns of the angle-and-distance traverses, and their widths.
QStringList AngleTraverseColumns();
QList<int> AngleTraverseColumnWidths();
// The summary labels of the closing traverses: FB and VB (connecting only), Fx, Fy, Fs, K.
QList<QPair<QString, QString>> TraverseSummaryLabels(bool withAngles);
// The layout every angle-and-distance traverse shares: its five columns and widths, its rows,
// and the summary labels (none for the open traverse, FB and VB only with an angle closure).
// Data-file lines of three fields, the known points in columns 0, 3, 4.
enum class TraverseSummaryKind { None, Coordinates, AnglesAndCoordinates };
TraverseWindowLayout AngleTraverseLayout(const QString &groupCaption, int startRows, int clearRows,
                                         TraverseSummaryKind summary);

class TraverseWindow : public ToolWindow {
    Q_OBJECT

public:
    TraverseWindow(QWidget *owner, const QString &className, const QString &caption, const TraverseWindowLayout &layout);

    PointTableView *grid() const { return m_grid; }
    PointTableModel *table() const;
    QToolBar *toolBar() const { return m_toolBar; }
    QLabel *summaryLabel(const QString &name) const;
    // The verdicts on the closures of the last computation, as the line of limits shows them.
    const std::vector<ClosureVerdict> &verdicts() const { return m_verdicts; }
    QLineEdit *headerField(int index) const { return m_header[index]; }
    // Whether the table and the summary still belong to the data and the method.
    ResultFreshness *results() const { return m_results; }

    // Whether "计算" adjusts rigorously; and choosing it (as the radio buttons do).
    bool isRigorous() const;
    void setRigorous(bool rigorous);
    // The a priori errors of the fields. Throws Error for a field that is not a number.
    RigorousOptions rigorousOptions() const;

    // The five header texts, in file order; and setting them.
    QStringList headerTexts() const;
    void setHeaderTexts(const QStringList &texts);

    // The data file of the table as it stands; and filling the table from one (the table is
    // replaced as a whole, the header fields set). The import and save buttons use these.
    AdjustmentData fileData() const;
    void applyFileData(const AdjustmentData &data);

protected:
    // The work of "计算" (ToolButton6Click); runs through the command runner.
    virtual void compute() = 0;

    // Adjusts the table as the layout's tool (io/AdjustmentTable): the computed cells and the
    // summary labels are shown, also those written before an error ended the work, which is then
    // passed on. The working values of the adjustment are kept for the report.
    void adjust();
    const AdjustmentWorking &working() const { return m_working; }

    void setSummary(const QString &name, const std::string &text);
    // Writes a computed cell (model row, column).
    void setCell(int row, int column, const QString &text);
    // The X, Y cells (columns 3 and 4) of a model row; and writing them with 3 decimals.
    PlanePoint cellPoint(int row) const;
    void setCellPoint(int row, const PlanePoint &point);
    // Writes the X, Y cells of consecutive model rows from `firstRow`, one change for the view.
    void setCellPoints(int firstRow, const std::vector<PlanePoint> &points);

private:
    void importFile();
    void saveFile();
    void makeReport();
    int modelRow(int place) const;
    // The line of limits: the choices of the settings, and the verdicts of the last computation
    // (none after a failed one).
    void buildLimitsLine(QWidget *parent);
    void showSettings();
    void showVerdicts();
    // The summary line and the greyed lines while the results are stale.
    void showFreshness();
    void watchInput();
    // The line of the method and its settings.
    void buildMethodLine(QWidget *parent);
    void applyMethod();
    void applyGradeErrors();
    void saveErrors();
    QList<QLineEdit *> errorFields() const;
    bool isLevelling() const { return m_layout.report == ReportKind::Levelling; }

    TraverseWindowLayout m_layout;
    QGroupBox *m_group = nullptr;
    QLineEdit *m_header[AdjustmentHeaderFields] = {};
    PointTableView *m_grid = nullptr;
    QToolBar *m_toolBar = nullptr;
    QFrame *m_summary = nullptr;
    QList<QLabel *> m_labels;
    QFrame *m_limits = nullptr;
    QComboBox *m_standard = nullptr;
    QComboBox *m_weights = nullptr;
    QList<QLabel *> m_verdictLabels;
    std::vector<ClosureVerdict> m_verdicts;
    bool m_judged = false; // the working values are those of a computation that ended
    QFrame *m_method = nullptr;
    QRadioButton *m_approx = nullptr;
    QRadioButton *m_rigorous = nullptr;
    QLineEdit *m_sigmaAngle = nullptr, *m_sigmaDistA = nullptr, *m_sigmaDistB = nullptr, *m_sigmaLevel = nullptr;
    QLabel *m_levelUnit = nullptr;
    QLabel *m_rigorousLabel = nullptr;
    QFrame *m_progressPanel = nullptr;
    QProgressBar *m_progress = nullptr;
    ResultFreshness *m_results = nullptr;
    AdjustmentWorking m_working;
};

// The window of the traverses observed as angles and distances. It keeps the working values of
// its last computation (bearings, raw increments, their corrections, the correction per angle),
// which the adjustment report reads; two windows of one tool never share them.
class AngleTraverseWindow : public TraverseWindow {
    Q_OBJECT

public:
    using TraverseWindow::TraverseWindow;

    const TraverseResult &lastResult() const { return working().traverse; }
};

} // namespace quorvil
