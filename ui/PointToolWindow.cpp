#include "PointToolWindow.h"

#include "PointTableView.h"
#include "ResultFreshness.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace quorvil {

namespace {

void ApplyWidths(PointTableView *table, const QList<int> &widths)
{
    for (int c = 0; c < widths.size(); ++c)
        table->setColumnWidth(c, widths.at(c));
}

} // namespace

PointToolWindow::PointToolWindow(QWidget *owner, const QString &className, const QString &caption,
                                 const PointToolLayout &layout)
    : ToolWindow(owner, className, caption)
{
    m_input = new PointTableView(layout.inputColumns, true, this);
    m_input->setObjectName(QStringLiteral("StringGrid1"));
    m_result = new PointTableView(layout.resultColumns, false, this);
    m_result->setObjectName(QStringLiteral("StringGrid2"));
    ApplyWidths(m_input, layout.columnWidths);
    ApplyWidths(m_result, layout.columnWidths);

    m_results = new ResultFreshness(this, [this] { compute(); });
    m_results->watch(m_input->table());

    InputToolBarOptions options = layout.inputOptions;
    if (layout.clearResultsToo) {
        PointTableView *result = m_result;
        ResultFreshness *results = m_results;
        options.alsoOnClear = [result, results] {
            result->clearRows(1);
            results->clear();
        };
    }
    QToolBar *inputBar = MakeInputToolBar(this, m_input, options);
    QToolBar *resultBar = MakeResultToolBar(this, m_result, layout.computeCaption, m_results);

    m_inputGroup = MakeTableGroup(layout.inputCaption, m_input, inputBar, this);
    m_resultGroup = MakeTableGroup(layout.resultCaption, m_result, resultBar, this);
    m_results->showIn(m_resultGroup, m_result);

    auto *main = new QVBoxLayout(this);
    m_tables = new QHBoxLayout;
    m_tables->addWidget(m_inputGroup, 1);
    m_tables->addWidget(m_resultGroup, 1);
    main->addLayout(m_tables, 1);
    m_parameters = new QHBoxLayout;
    main->addLayout(m_parameters);
    resize(720, 520);
}

void PointToolWindow::matchResultRows()
{
    m_result->table()->setRowCount(m_input->table()->rows());
}

} // namespace quorvil
