#include "PointTableModel.h"

#include <QColor>

#include "io/PointFile.h"
#include "io/TableFile.h"

#include <algorithm>

namespace quorvil {

// One step of the history. Applying it swaps what it holds with the table, so the same call undoes
// and redoes it.
struct PointTableModel::Step {
    enum Kind {
        Block, // the cells of a block, and the table's row count (rows grow before, shrink after)
        Row,   // one row: in the table (applying removes it into `cells`) or in `cells` (inserts it)
        Whole, // every cell and the row count
    } kind;
    explicit Step(Kind k, int r = 0, int c = 0, int n = 0, int m = 0) : kind(k), row(r), column(c), rows(n), columns(m) {}
    int row = 0, column = 0, rows = 0, columns = 0;
    int rowCount = 0;     // Block: the rows after applying; Whole: the rows of `cells`
    bool inTable = false; // Row
    std::vector<QString> cells;
    quint64 serial = 0; // the revision of the table once the step is done
};

PointTableModel::PointTableModel(QStringList captions, bool editable, QObject *parent)
    : QAbstractTableModel(parent), m_captions(std::move(captions)), m_editable(editable)
{
    m_cells.resize(static_cast<size_t>(columns()));
}

PointTableModel::~PointTableModel() = default;

int PointTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int PointTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columns();
}

QVariant PointTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::BackgroundRole)
        return isHighlighted(index.row()) ? QVariant(QColor(255, 190, 190)) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return cell(index.row(), index.column());
}

void PointTableModel::setHighlightedRows(const QList<int> &rows)
{
    const bool had = !m_highlighted.empty();
    m_highlighted.clear();
    for (int row : rows)
        if (row >= 0 && row < m_rows) {
            m_highlighted.resize(static_cast<size_t>(m_rows), 0);
            m_highlighted[static_cast<size_t>(row)] = 1;
        }
    if (had || !m_highlighted.empty())
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, columns() - 1), {Qt::BackgroundRole});
}

bool PointTableModel::isHighlighted(int row) const
{
    return row >= 0 && static_cast<size_t>(row) < m_highlighted.size() && m_highlighted[static_cast<size_t>(row)];
}

bool PointTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const QString text = value.toString();
    if (!recording()) {
        setCell(index.row(), index.column(), text);
        return true;
    }
    if (text != cell(index.row(), index.column()))
        replaceBlock(index.row(), index.column(), 1, 1, {text});
    return true;
}

Qt::ItemFlags PointTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < columns() ? QVariant(m_captions.at(section)) : QVariant();
    return section + 1;
}

bool PointTableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || role != Qt::EditRole || section < 0 || section >= columns())
        return false;
    setCaption(section, value.toString());
    return true;
}

void PointTableModel::setCaption(int column, const QString &caption)
{
    m_captions[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

const QString &PointTableModel::cell(int row, int column) const
{
    static const QString empty;
    if (row < 0 || row >= m_rows || column < 0 || column >= columns())
        return empty;
    return m_cells[static_cast<size_t>(row) * columns() + column];
}

void PointTableModel::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= m_rows || column < 0 || column >= columns())
        return;
    at(row, column) = text;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
}

QStringList PointTableModel::rowTexts(int row) const
{
    QStringList texts;
    for (int c = 0; c < columns(); ++c)
        texts.append(cell(row, c));
    return texts;
}

void PointTableModel::setRowTexts(int row, const QStringList &texts)
{
    if (row < 0 || row >= m_rows)
        return;
    for (int c = 0; c < columns(); ++c)
        at(row, c) = c < texts.size() ? texts.at(c) : QString();
    emit dataChanged(index(row, 0), index(row, columns() - 1), {Qt::DisplayRole, Qt::EditRole});
}

void PointTableModel::resizeRows(int rows)
{
    rows = std::max(rows, 1);
    if (rows == m_rows)
        return;
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_cells.resize(static_cast<size_t>(rows) * columns());
        m_rows = rows;
        endInsertRows();
    } else {
        beginRemoveRows({}, rows, m_rows - 1);
        m_cells.resize(static_cast<size_t>(rows) * columns());
        m_rows = rows;
        endRemoveRows();
    }
}

void PointTableModel::setRowCount(int rows)
{
    resizeRows(rows);
}

void PointTableModel::appendRow()
{
    auto step = std::make_unique<Step>(Step::Row, m_rows);
    step->cells.resize(static_cast<size_t>(columns()));
    record(std::move(step));
}

void PointTableModel::insertEmptyRow(int row)
{
    if (row < 0 || row >= m_rows)
        return;
    auto step = std::make_unique<Step>(Step::Row, row);
    step->cells.resize(static_cast<size_t>(columns()));
    record(std::move(step));
}

void PointTableModel::removeRowShift(int row)
{
    if (row < 0 || row >= m_rows)
        return;
    if (m_rows == 1) { // the only row is emptied
        clearBlock(0, 0, 1, columns());
        return;
    }
    auto step = std::make_unique<Step>(Step::Row, row);
    step->inTable = true;
    record(std::move(step));
}

void PointTableModel::setCaptions(const QStringList &captions)
{
    if (captions == m_captions)
        return;
    beginResetModel();
    const int oldColumns = columns(), newColumns = static_cast<int>(captions.size());
    std::vector<QString> grid(static_cast<size_t>(m_rows) * newColumns);
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < std::min(oldColumns, newColumns); ++c)
            grid[static_cast<size_t>(r) * newColumns + c] = std::move(m_cells[static_cast<size_t>(r) * oldColumns + c]);
    m_cells.swap(grid);
    m_captions = captions;
    endResetModel();
}

void PointTableModel::clear(int rows)
{
    auto step = std::make_unique<Step>(Step::Whole);
    step->rowCount = std::max(rows, 1);
    step->cells.resize(static_cast<size_t>(step->rowCount) * columns());
    record(std::move(step));
}

void PointTableModel::replaceRows(const QList<QStringList> &rows)
{
    auto step = std::make_unique<Step>(Step::Whole);
    step->rowCount = std::max<int>(static_cast<int>(rows.size()), 1);
    step->cells.resize(static_cast<size_t>(step->rowCount) * columns());
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &texts = rows.at(r);
        for (int c = 0; c < columns() && c < texts.size(); ++c)
            step->cells[static_cast<size_t>(r) * columns() + c] = texts.at(c);
    }
    record(std::move(step));
}

void PointTableModel::replaceCells(int rows, int fieldCount, std::vector<QString> &&cells)
{
    auto step = std::make_unique<Step>(Step::Whole);
    step->rowCount = std::max(rows, 1);
    if (fieldCount == columns() && rows > 0) {
        step->cells = std::move(cells);
    } else {
        step->cells.resize(static_cast<size_t>(step->rowCount) * columns());
        const int shared = std::min(fieldCount, columns());
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < shared; ++c)
                step->cells[static_cast<size_t>(r) * columns() + c] =
                    std::move(cells[static_cast<size_t>(r) * fieldCount + c]);
    }
    record(std::move(step));
}

void PointTableModel::replaceBlock(int row, int column, int rows, int columns, std::vector<QString> &&cells)
{
    if (row < 0 || column < 0 || column >= this->columns() || rows <= 0 || columns <= 0 ||
        cells.size() < static_cast<size_t>(rows) * columns)
        return;
    auto step = std::make_unique<Step>(Step::Block, row, column, rows, std::min(columns, this->columns() - column));
    step->rowCount = std::max(m_rows, row + rows);
    if (step->columns == columns) {
        step->cells = std::move(cells);
        step->cells.resize(static_cast<size_t>(rows) * columns);
    } else {
        step->cells.resize(static_cast<size_t>(rows) * step->columns);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < step->columns; ++c)
                step->cells[static_cast<size_t>(r) * step->columns + c] =
                    std::move(cells[static_cast<size_t>(r) * columns + c]);
    }
    record(std::move(step));
}

void PointTableModel::clearBlock(int row, int column, int rows, int columns)
{
    row = std::max(row, 0);
    column = std::max(column, 0);
    rows = std::min(rows, m_rows - row);
    columns = std::min(columns, this->columns() - column);
    if (rows <= 0 || columns <= 0)
        return;
    replaceBlock(row, column, rows, columns, std::vector<QString>(static_cast<size_t>(rows) * columns));
}

QRect PointTableModel::apply(Step &step)
{
    const int cols = columns();
    switch (step.kind) {
    case Step::Block: {
        const int target = std::max(step.rowCount, 1);
        step.rowCount = m_rows;
        if (target > m_rows)
            resizeRows(target);
        const int lastRow = std::min(step.row + step.rows, m_rows);
        const int width = std::min(step.columns, cols - step.column);
        for (int r = step.row; r < lastRow; ++r)
            for (int c = 0; c < width; ++c)
                std::swap(at(r, step.column + c), step.cells[static_cast<size_t>(r - step.row) * step.columns + c]);
        if (target < m_rows)
            resizeRows(target);
        const int shown = std::min(step.row + step.rows, m_rows) - 1;
        if (shown >= step.row && width > 0)
            emit dataChanged(index(step.row, step.column), index(shown, step.column + width - 1),
                             {Qt::DisplayRole, Qt::EditRole});
        return QRect(step.column, step.row, std::max(width, 0), step.rows);
    }
    case Step::Row: {
        if (step.inTable) {
            if (step.row >= m_rows || m_rows <= 1)
                return {};
            beginRemoveRows({}, step.row, step.row);
            const auto pos = m_cells.begin() + static_cast<std::ptrdiff_t>(step.row) * cols;
            step.cells.assign(std::make_move_iterator(pos), std::make_move_iterator(pos + cols));
            m_cells.erase(pos, pos + cols);
            --m_rows;
            endRemoveRows();
            step.inTable = false;
            return QRect(0, std::min(step.row, m_rows - 1), cols, 1);
        }
        step.row = std::min(step.row, m_rows);
        step.cells.resize(static_cast<size_t>(cols));
        beginInsertRows({}, step.row, step.row);
        const auto pos = m_cells.begin() + static_cast<std::ptrdiff_t>(step.row) * cols;
        m_cells.insert(pos, std::make_move_iterator(step.cells.begin()), std::make_move_iterator(step.cells.end()));
        ++m_rows;
        endInsertRows();
        step.cells.clear();
        step.inTable = true;
        return QRect(0, step.row, cols, 1);
    }
    case Step::Whole:
        beginResetModel();
        m_highlighted.clear(); // marks belong to the content they were set on
        std::swap(m_cells, step.cells);
        std::swap(m_rows, step.rowCount);
        endResetModel();
        return QRect(0, 0, cols, m_rows);
    }
    return {};
}

void PointTableModel::record(std::unique_ptr<Step> step)
{
    if (!recording()) {
        apply(*step);
        return;
    }
    while (m_history.size() > m_done) { // a new step ends what could be redone
        m_historyCells -= m_history.back()->cells.size();
        m_history.pop_back();
    }
    apply(*step);
    m_historyCells += step->cells.size();
    step->serial = ++m_serials;
    m_history.push_back(std::move(step));
    ++m_done;
    while (m_historyCells > HistoryCellLimit && m_history.size() > 1) {
        m_historyCells -= m_history.front()->cells.size();
        m_base = m_history.front()->serial; // the oldest state that can still be undone to
        m_history.pop_front();
        --m_done;
    }
    emit historyChanged();
}

quint64 PointTableModel::revision() const
{
    return m_done > 0 ? m_history[m_done - 1]->serial : m_base;
}

QRect PointTableModel::undo()
{
    if (!canUndo())
        return {};
    Step &step = *m_history[--m_done];
    m_historyCells -= step.cells.size();
    const QRect changed = apply(step);
    m_historyCells += step.cells.size();
    emit historyChanged();
    return changed;
}

QRect PointTableModel::redo()
{
    if (!canRedo())
        return {};
    Step &step = *m_history[m_done++];
    m_historyCells -= step.cells.size();
    const QRect changed = apply(step);
    m_historyCells += step.cells.size();
    emit historyChanged();
    return changed;
}

void PointTableModel::clearHistory()
{
    m_history.clear();
    m_done = 0;
    m_historyCells = 0;
    m_base = ++m_serials;
    emit historyChanged();
}

QStringList PointTableModel::joinedLines() const
{
    QStringList lines;
    lines.reserve(m_rows);
    for (int r = 0; r < m_rows; ++r) {
        QString line;
        for (int c = 0; c < columns(); ++c) {
            if (c)
                line += u',';
            line += cell(r, c);
        }
        lines.append(line);
    }
    return lines;
}

void PointTableModel::writeFile(const QString &path, int columns) const
{
    const int count = columns < 0 ? this->columns() : std::min(columns, this->columns());
    if (const TableFileKind kind = TableFileKindOf(path); kind != TableFileKind::Text) {
        WriteSpreadsheet(path, kind, m_captions.mid(0, count), m_rows, count,
                         [this](int r, int c) -> const QString & { return cell(r, c); });
        return;
    }
    LineWriter writer;
    writer.reserve(static_cast<qsizetype>(m_rows) * count * 12);
    QString line;
    for (int r = 0; r < m_rows; ++r) {
        line.clear();
        for (int c = 0; c < count; ++c) {
            if (c)
                line += u',';
            line += cell(r, c);
        }
        writer.addLine(line);
    }
    writer.write(path);
}

} // namespace quorvil
