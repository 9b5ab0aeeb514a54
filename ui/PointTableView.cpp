#include "PointTableView.h"

#include "io/PointFile.h"

#include <QApplication>
#include <QHeaderView>

namespace quorvil {

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

PointTableView::PointTableView(const QStringList &captions, bool editable, QWidget *parent)
    : QTableView(parent), m_model(new PointTableModel(captions, editable, this))
{
    setModel(m_model);
    horizontalHeader()->setDefaultSectionSize(80);
    horizontalHeader()->setHighlightSections(false);
    // Fixed row heights keep scrolling through a million rows smooth.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setMinimumWidth(36);
    setAlternatingRowColors(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    if (editable) {
        setSelectionMode(QAbstractItemView::ContiguousSelection);
        setEditTriggers(QAbstractItemView::AllEditTriggers);
        setTabKeyNavigation(true);
    } else {
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    }
    setCurrentDataRow(0);
}

int PointTableView::currentDataRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PointTableView::setCurrentDataRow(int row)
{
    if (row < 0 || row >= m_model->rows()) {
        setCurrentIndex({});
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(m_model->index(row, column));
    scrollTo(currentIndex());
}

void PointTableView::setColumnWidths(std::initializer_list<int> widths)
{
    int column = 0;
    for (int width : widths)
        setColumnWidth(column++, width);
}

void PointTableView::commitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex()))
        commitData(editor);
}

void PointTableView::appendRow()
{
    m_model->appendRow();
    setCurrentDataRow(m_model->rows() - 1);
}

void PointTableView::insertRowAtCursor()
{
    const int row = currentDataRow();
    if (row < 0)
        return;
    m_model->insertEmptyRow(row);
    setCurrentDataRow(row);
}

void PointTableView::deleteRowAtCursor()
{
    const int row = currentDataRow();
    if (row < 0)
        return;
    m_model->removeRowShift(row);
    setCurrentDataRow(std::min(row, m_model->rows() - 1));
}

void PointTableView::clearRows(int rows)
{
    m_model->clear(rows);
    setCurrentDataRow(0);
}

bool PointTableView::importFile(const FileDialogSpec &dialog, int fieldCount, const QString &missing)
{
    const QString path = Prompts::instance().openFileName(this, dialog);
    if (path.isEmpty())
        return false;
    BusyCursor busy;
    PointCells cells = ReadPointCells(path, fieldCount, missing);
    m_model->replaceCells(cells.rows, cells.fieldCount, std::move(cells.cells));
    setCurrentDataRow(m_model->rows() - 1);
    return true;
}

bool PointTableView::saveFile(const FileDialogSpec &dialog)
{
    const QString path = AskSaveFileName(this, dialog);
    if (path.isEmpty())
        return false;
    BusyCursor busy;
    m_model->writeFile(path);
    return true;
}

} // namespace quorvil
