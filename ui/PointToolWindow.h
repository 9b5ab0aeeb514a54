// The layout of the point tools: an input table with its toolbar and a result table with its
// compute and save buttons side by side, parameter groups below them. The result table shows
// "数据已修改，请重新计算" and turns grey when the input table or a parameter the tool watches
// (results()->watch) changes after the computation.
#pragma once

#include "TableToolBars.h"
#include "ToolWindow.h"

class QBoxLayout;
class QGroupBox;

namespace quorvil {

class ResultFreshness;

struct PointToolLayout {
    QString inputCaption;       // group of the input table, e.g. "地理坐标(B,L)"
    QStringList inputColumns;   // captions of StringGrid1
    QString resultCaption;      // group of the result table
    QStringList resultColumns;  // captions of StringGrid2
    QList<int> columnWidths = {40, 100, 100};
    QString computeCaption = QStringLiteral("转换计算");
    InputToolBarOptions inputOptions; // field count, clear rule (alsoOnClear is set by clearResultsToo)
    bool clearResultsToo = false;     // " 清空 " also clears the result table
};

class PointToolWindow : public ToolWindow {
    Q_OBJECT

public:
    PointToolWindow(QWidget *owner, const QString &className, const QString &caption, const PointToolLayout &layout);

    PointTableView *input() const { return m_input; }
    PointTableView *result() const { return m_result; }
    QGroupBox *inputGroup() const { return m_inputGroup; }
    QGroupBox *resultGroup() const { return m_resultGroup; }
    // Whether the results still belong to the input; a tool watches its parameter groups here.
    ResultFreshness *results() const { return m_results; }

protected:
    // The compute button's work; runs through the command runner.
    virtual void compute() = 0;

    // Where subclasses put their parameter groups (below the tables).
    QBoxLayout *parameterArea() const { return m_parameters; }
    QBoxLayout *tableArea() const { return m_tables; }

    // Gives the result table as many rows as the input table (its rows are kept until overwritten).
    void matchResultRows();

private:
    PointTableView *m_input;
    PointTableView *m_result;
    ResultFreshness *m_results;
    QGroupBox *m_inputGroup;
    QGroupBox *m_resultGroup;
    QBoxLayout *m_tables;
    QBoxLayout *m_parameters;
};

} // namespace quorvil
