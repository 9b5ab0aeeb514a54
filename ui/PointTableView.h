// The view of every point table, with the editing operations of the table toolbar.
#pragma once

#include "PointTableModel.h"
#include "Prompts.h"

#include <QTableView>

#include <initializer_list>

namespace quorvil {

class PointTableView : public QTableView {
    Q_OBJECT

public:
    // An input table (editable in place, range selection) or a result table (read-only).
    PointTableView(const QStringList &captions, bool editable, QWidget *parent = nullptr);

    PointTableModel *table() const { return m_model; }

    // The model row of the table cursor, or -1 when there is none (the header row).
    int currentDataRow() const;
    void setCurrentDataRow(int row);

    void setColumnWidths(std::initializer_list<int> widths);

    // Writes the text of an open cell editor into its cell, so that a command sees what the user
    // has typed so far.
    void commitEdit();

    // Toolbar operations on the cursor row.
    void appendRow();                 // empty row at the end, made current
    void insertRowAtCursor();         // empty row at the cursor, made current
    void deleteRowAtCursor();         // rows below move up
    void clearRows(int rows = 1);     // every row empty, `rows` data rows

    // Asks for a point file with `dialog` and fills the table with its lines split into
    // `fieldCount` fields. The file is read completely before the table changes; a cancelled
    // dialog changes nothing. Returns true if the table was replaced. Throws FileError.
    bool importFile(const FileDialogSpec &dialog, int fieldCount, const QString &missing = QStringLiteral("0"));

    // Asks for a file name (and before overwriting) and writes the rows as comma-separated lines.
    // Returns true if the file was written. Throws FileError.
    bool saveFile(const FileDialogSpec &dialog);

private:
    PointTableModel *m_model;
};

// Shows a wait cursor while long work runs.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace quorvil
