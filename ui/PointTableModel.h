// The one table model of every point table: a grid of text cells under a row of column captions.
//
// The captions are the view's horizontal header; the data rows are the model's rows. A table
// always keeps at least one data row. Cells are stored row by row in one flat vector so that a
// table of a million points imports, computes and saves in seconds.
//
// An editable table keeps the history of what the user changed, to undo and redo: cell edits,
// blocks pasted or cleared, rows appended, inserted and deleted, and the whole table replaced
// (import, clear). Each step holds only what it changed, swapped with the table when undone or
// redone: a cell edit holds one text, an import the table it replaced (moved, never copied). What
// the tools write into cells while they compute (setCell, setRowTexts, setRowCount) is no step of
// the history.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <vector>

namespace quorvil {

class PointTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit PointTableModel(QStringList captions, bool editable, QObject *parent = nullptr);
    ~PointTableModel() override;

    // Qt model interface.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role = Qt::EditRole) override;

    bool isEditable() const { return m_editable; }
    QStringList captions() const { return m_captions; }
    void setCaption(int column, const QString &caption);
    // New captions: the columns they share with the old ones keep their cells, new columns are
    // empty, columns beyond them go.
    void setCaptions(const QStringList &captions);

    // Cells by model row (data row r of the table is model row r - 1).
    int rows() const { return m_rows; }
    int columns() const { return static_cast<int>(m_captions.size()); }
    const QString &cell(int row, int column) const;
    void setCell(int row, int column, const QString &text);
    QStringList rowTexts(int row) const;
    void setRowTexts(int row, const QStringList &texts);

    // Structure. All keep at least one data row; all but setRowCount are steps of the history.
    void setRowCount(int rows);         // new rows are empty
    void appendRow();                   // one empty row at the end
    void insertEmptyRow(int row);       // rows from `row` move down by one; `row` is empty
    void removeRowShift(int row);       // rows below move up; the last row goes (or is emptied)
    void clear(int rows = 1);           // every row empty, `rows` data rows
    void replaceRows(const QList<QStringList> &rows); // the whole content at once (import)
    // The whole content from flat cells of `fieldCount` texts a row (extra columns stay empty).
    void replaceCells(int rows, int fieldCount, std::vector<QString> &&cells);

    // A block of `rows` x `columns` texts (row by row) put at (row, column), the table growing by
    // the rows it needs; columns beyond the table's are dropped. One step of the history.
    void replaceBlock(int row, int column, int rows, int columns, std::vector<QString> &&cells);
    // Empties the cells of a block. One step of the history.
    void clearBlock(int row, int column, int rows, int columns);

    // History of an editable table. undo() and redo() return the cells they changed (x columns,
    // y rows; empty when there was nothing to do).
    // Identifies the content as the user's steps have left it: a new step gives a new revision,
    // an undo returns to the one before it. What the tools write (setCell, setRowTexts,
    // setRowCount) leaves it as it is.
    quint64 revision() const;
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_history.size(); }
    QRect undo();
    QRect redo();
    void clearHistory();
    // Cell texts the history holds (the measure of its memory); the oldest steps are given up
    // when it would hold more than HistoryCellLimit, the last step always kept.
    size_t historyCells() const { return m_historyCells; }
    static constexpr size_t HistoryCellLimit = 20'000'000;

    // Rows shown on a warning background (the suspected blunders of an adjustment). Replacing or
    // clearing the content drops the marks.
    void setHighlightedRows(const QList<int> &rows);
    bool isHighlighted(int row) const;

    // The rows as comma-joined lines, cells exactly as they stand (for saving).
    QStringList joinedLines() const;
    // Writes the rows (the first `columns` cells of each, all by default) as a point file
    // (comma-joined lines, CR LF) without an intermediate list; to a .xlsx or .csv name as that
    // spreadsheet, the captions as its first row.
    void writeFile(const QString &path, int columns = -1) const;

signals:
    // A step was added, undone or redone, or the history cleared.
    void historyChanged();

private:
    struct Step;
    QString &at(int row, int column) { return m_cells[static_cast<size_t>(row) * columns() + column]; }
    bool recording() const { return m_editable; }
    // Applies a step (which swaps it with the table's state) and keeps it as the newest.
    void record(std::unique_ptr<Step> step);
    QRect apply(Step &step);
    void resizeRows(int rows);

    QStringList m_captions;
    bool m_editable;
    int m_rows = 1;
    std::vector<QString> m_cells;
    std::deque<std::unique_ptr<Step>> m_history;
    size_t m_done = 0; // steps in effect; those after them can be redone
    size_t m_historyCells = 0;
    quint64 m_serials = 0; // the last revision given
    quint64 m_base = 0;    // the revision before the oldest step kept

    std::vector<char> m_highlighted; // per row, empty when no row is marked
};

} // namespace quorvil
