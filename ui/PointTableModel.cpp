#include "PointTableModel.h"

#include "io/PointFile.h"

#include <algorithm>

namespace quorvil {

PointTableModel::PointTableModel(QStringList captions, bool editable, QObject *parent)
    : QAbstractTableModel(parent), m_captions(std::move(captions)), m_editable(editable)
{
    m_cells.resize(static_cast<size_t>(columns()));
}

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
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return cell(index.row(), index.column());
}

bool PointTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    setCell(index.row(), index.column(), value.toString());
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

void PointTableModel::setRowCount(int rows)
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

void PointTableModel::appendRow()
{
    setRowCount(m_rows + 1);
}

void PointTableModel::insertEmptyRow(int row)
{
    if (row < 0 || row >= m_rows)
        return;
    beginInsertRows({}, row, row);
    const auto pos = m_cells.begin() + static_cast<std::ptrdiff_t>(row) * columns();
    m_cells.insert(pos, static_cast<size_t>(columns()), QString());
    ++m_rows;
    endInsertRows();
}

void PointTableModel::removeRowShift(int row)
{
    if (row < 0 || row >= m_rows)
        return;
    if (m_rows == 1) {
        for (int c = 0; c < columns(); ++c)
            at(0, c).clear();
        emit dataChanged(index(0, 0), index(0, columns() - 1));
        return;
    }
    beginRemoveRows({}, row, row);
    const auto pos = m_cells.begin() + static_cast<std::ptrdiff_t>(row) * columns();
    m_cells.erase(pos, pos + columns());
    --m_rows;
    endRemoveRows();
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
    beginResetModel();
    m_rows = std::max(rows, 1);
    m_cells.assign(static_cast<size_t>(m_rows) * columns(), QString());
    endResetModel();
}

void PointTableModel::replaceRows(const QList<QStringList> &rows)
{
    beginResetModel();
    m_rows = std::max<int>(static_cast<int>(rows.size()), 1);
    std::vector<QString> cells(static_cast<size_t>(m_rows) * columns());
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList &texts = rows.at(r);
        for (int c = 0; c < columns() && c < texts.size(); ++c)
            cells[static_cast<size_t>(r) * columns() + c] = texts.at(c);
    }
    m_cells.swap(cells);
    endResetModel();
}

void PointTableModel::replaceCells(int rows, int fieldCount, std::vector<QString> &&cells)
{
    beginResetModel();
    m_rows = std::max(rows, 1);
    if (fieldCount == columns() && rows > 0) {
        m_cells = std::move(cells);
    } else {
        std::vector<QString> grid(static_cast<size_t>(m_rows) * columns());
        const int shared = std::min(fieldCount, columns());
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < shared; ++c)
                grid[static_cast<size_t>(r) * columns() + c] = std::move(cells[static_cast<size_t>(r) * fieldCount + c]);
        m_cells.swap(grid);
    }
    endResetModel();
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

void PointTableModel::writeFile(const QString &path) const
{
    LineWriter writer;
    writer.reserve(static_cast<qsizetype>(m_rows) * columns() * 12);
    QString line;
    for (int r = 0; r < m_rows; ++r) {
        line.clear();
        for (int c = 0; c < columns(); ++c) {
            if (c)
                line += u',';
            line += cell(r, c);
        }
        writer.addLine(line);
    }
    writer.write(path);
}

} // namespace quorvil
