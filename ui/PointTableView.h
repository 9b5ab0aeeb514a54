// The view of every point table, with the editing operations of the table toolbar, and what a
// spreadsheet user expects of a table: Ctrl+C copies the selected cells (tab-separated text and an
// HTML table, as spreadsheets take them), Ctrl+V pastes what Excel, WPS or LibreOffice copied
// (tab- or comma-separated) at the current cell, the table growing as needed, Ctrl+Z / Ctrl+Y undo
// and redo, Delete empties the selected cells, Ctrl+A selects the table; the right-click menu holds
// 复制, 粘贴, 撤销, 重做, 插入行 and 删除行. Result tables copy but take no paste.
#pragma once

#include "PointTableModel.h"
#include "Prompts.h"

#include <QPointer>
#include <QTableView>

#include <functional>
#include <initializer_list>

class QLineEdit;
class QMenu;
class QMimeData;

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
    // Widens every column that is narrower than its caption, so that the captions (with their
    // units) show whole.
    void widenToCaptions();

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

    // Asks for a file name (and before overwriting) and writes the rows as comma-separated lines
    // (a spreadsheet, captions first, for a .xlsx or .csv name). Returns true if the file was
    // written. Throws FileError.
    bool saveFile(const FileDialogSpec &dialog);

    // The selected cells (the current cell when none is selected): x columns, y rows.
    QRect selectedBlock() const;
    // The selected cells as spreadsheets take them: tab-separated text, each row ended by a line
    // break, a text with a tab, a line break or a leading quote in quotes; and an HTML table whose
    // numbers keep their decimals.
    QString selectionText() const;
    QMimeData *selectionMimeData() const;
    void copySelection();
    // Pastes tab- or comma-separated text at the current cell, or at the top-left cell of the
    // selected block that holds it. What does not fit (columns
    // past the table's last, rows past MaxPasteRows, texts longer than MaxCellLength) is left out and
    // named in a message; a result table, an image or binary data is refused with a message and the
    // table stays as it was. Returns whether anything was pasted.
    bool pasteText(const QString &text);
    void paste(); // from the clipboard
    void clearSelectedCells();
    void undo();
    void redo();
    static constexpr int MaxPasteRows = 1'000'000;
    static constexpr int MaxCellLength = 1000;

    // The window's own insert and delete commands for this table, run by the menu's 插入行 and
    // 删除行 (the toolbar's input toolbar gives them).
    void setRowCommands(QAction *insert, QAction *remove);
    // The right-click menu, its actions enabled for the current cell (the caller owns it). Its
    // actions are named TableCopy, TablePaste, TableUndo, TableRedo, TableInsertRow and
    // TableDeleteRow; they belong to the menu, not to the window.
    QMenu *makeContextMenu();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The keys of copy, paste, undo, redo, select all and Delete, pressed in the table or in the
    // open cell editor; false when the key is left to the editor's text or the view.
    bool handleKey(QKeyEvent *event, QLineEdit *editor);
    void finishEditing();
    void showChanged(const QRect &cells);
    void runRowCommand(bool insert);
    void tell(const QString &text);

    PointTableModel *m_model;
    QPointer<QAction> m_insertCommand;
    QPointer<QAction> m_removeCommand;
};

// A read-only result table named `name`, its columns sized to their contents.
PointTableView *MakeResultTable(const QString &name, const QStringList &captions, QWidget *parent = nullptr);
// The texts of every data row, with what the open cell editor holds written in first.
QList<QStringList> TableRowTexts(PointTableView *view);

// Shows a wait cursor while long work runs.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace quorvil
