// The one table model of every point table: a grid of text cells under a row of column captions.
//
// The captions are the view's horizontal header; the data rows are the model's rows. A table
// always keeps at least one data row. Cells are stored row by row in one flat vector so that a
// table of a million points imports, computes and saves in seconds.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace quorvil {

class PointTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit PointTableModel(QStringList captions, bool editable, QObject *parent = nullptr);

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

    // Structure. All keep at least one data row.
    void setRowCount(int rows);         // new rows are empty
    void appendRow();                   // one empty row at the end
    void insertEmptyRow(int row);       // rows from `row` move down by one; `row` is empty
    void removeRowShift(int row);       // rows below move up; the last row goes (or is emptied)
    void clear(int rows = 1);           // every row empty, `rows` data rows
    void replaceRows(const QList<QStringList> &rows); // the whole content at once (import)
    // The whole content from flat cells of `fieldCount` texts a row (extra columns stay empty).
    void replaceCells(int rows, int fieldCount, std::vector<QString> &&cells);

    // The rows as comma-joined lines, cells exactly as they stand (for saving).
    QStringList joinedLines() const;
    // Writes the rows as a point file (comma-joined lines, CR LF), without an intermediate list.
    void writeFile(const QString &path) const;

private:
    QString &at(int row, int column) { return m_cells[static_cast<size_t>(row) * columns() + column]; }

    QStringList m_captions;
    bool m_editable;
    int m_rows = 1;
    std::vector<QString> m_cells;
};

} // namespace quorvil
