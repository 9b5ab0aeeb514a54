#include "PointTableView.h"

#include "CommandRunner.h"
#include "io/PointFile.h"
#include "io/TableFile.h"
#include "io/ooxml/XlsxTableWriter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <optional>

namespace quorvil {

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

namespace TableTexts {
const QString Copy = QStringLiteral("复制");
const QString Paste = QStringLiteral("粘贴");
const QString Undo = QStringLiteral("撤销");
const QString Redo = QStringLiteral("重做");
const QString InsertRow = QStringLiteral("插入行");
const QString DeleteRow = QStringLiteral("删除行");
const QString ResultRefused = QStringLiteral("这是计算结果表格，不能粘贴。请粘贴到输入数据的表格中。");
const QString NoText = QStringLiteral("剪贴板中没有可以粘贴的文字（图片等内容不能粘贴到表格中）。");
const QString NotText = QStringLiteral("剪贴板中的内容不是表格文字（含有二进制数据），未粘贴。");
} // namespace TableTexts

namespace {

// Cell editors hand the table's keys (copy, paste, undo, ...) and the right-click to the view.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(QTableView *view) : QStyledItemDelegate(view), m_view(view) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            line->installEventFilter(m_view);
            line->setContextMenuPolicy(Qt::NoContextMenu); // the table's menu, not the text's
        }
        return editor;
    }

private:
    QTableView *m_view;
};

// Control characters other than tab and line breaks, or many replacement characters: bytes that
// were never text.
bool LooksBinary(QStringView text)
{
    qsizetype replaced = 0;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7F || u == 0xFFFF || u == 0xFFFE)
            return true;
        if (u == 0xFFFD)
            ++replaced;
    }
    return replaced > 0 && replaced * 100 > text.size();
}

// A text the open cell editor pastes into its own text: one short line.
bool OneCellText(const QString &text)
{
    return !text.isEmpty() && text.size() <= PointTableView::MaxCellLength && !text.contains(u'\t') &&
           !text.contains(u'\n') && !text.contains(u'\r') && !LooksBinary(text);
}

// One row per line as the platform ends lines on the clipboard.
#ifdef Q_OS_WIN
const QLatin1String ClipboardLineEnd("\r\n");
#else
const QLatin1String ClipboardLineEnd("\n");
#endif

} // namespace

PointTableView::PointTableView(const QStringList &captions, bool editable, QWidget *parent)
    : QTableView(parent), m_model(new PointTableModel(captions, editable, this))
{
    setModel(m_model);
    setItemDelegate(new CellDelegate(this));
    horizontalHeader()->setDefaultSectionSize(80);
    horizontalHeader()->setHighlightSections(false);
    // Fixed row heights keep scrolling through a million rows smooth.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setMinimumWidth(36);
    setAlternatingRowColors(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // A block of cells can be selected in every table: to copy it, and in input tables to paste
    // over it or empty it.
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    if (editable) {
        setEditTriggers(QAbstractItemView::AllEditTriggers);
        setTabKeyNavigation(true);
    } else {
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

void PointTableView::widenToCaptions()
{
    for (int c = 0; c < m_model->columns(); ++c)
        setColumnWidth(c, std::max(columnWidth(c), horizontalHeader()->sectionSizeHint(c)));
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
    PointCells cells;
    {
        BusyCursor busy;
        cells = ReadPointCells(path, fieldCount, missing, m_model->captions());
        m_model->replaceCells(cells.rows, cells.fieldCount, std::move(cells.cells));
        setCurrentDataRow(m_model->rows() - 1);
    }
    if (!cells.notes.isEmpty())
        tell(cells.notes.join(u'\n'));
    return true;
}

QRect PointTableView::selectedBlock() const
{
    const QItemSelection selection = selectionModel() ? selectionModel()->selection() : QItemSelection();
    QRect block;
    for (const QItemSelectionRange &range : selection)
        block |= QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom()));
    if (block.isEmpty() && currentIndex().isValid())
        block = QRect(currentIndex().column(), currentIndex().row(), 1, 1);
    return block & QRect(0, 0, m_model->columns(), m_model->rows());
}

QString PointTableView::selectionText() const
{
    const QRect block = selectedBlock();
    QString text;
    for (int r = block.top(); r <= block.bottom(); ++r) {
        for (int c = block.left(); c <= block.right(); ++c) {
            if (c > block.left())
                text += u'\t';
            const QString &cell = m_model->cell(r, c);
            if (cell.contains(u'\t') || cell.contains(u'\n') || cell.contains(u'\r') || cell.startsWith(u'"'))
                text += u'"' + QString(cell).replace(u'"', QLatin1String("\"\"")) + u'"';
            else
                text += cell;
        }
        text += ClipboardLineEnd;
    }
    return text;
}

QMimeData *PointTableView::selectionMimeData() const
{
    auto *mime = new QMimeData;
    mime->setText(selectionText());
    const QRect block = selectedBlock();
    // The HTML form for spreadsheets: numbers shown with their decimals, other texts kept as texts
    // ("001" stays 001). Left out for very large blocks, which spreadsheets take as text alone.
    if (static_cast<qint64>(block.width()) * block.height() <= 200'000) {
        QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><table>");
        for (int r = block.top(); r <= block.bottom(); ++r) {
            html += QLatin1String("<tr>");
            for (int c = block.left(); c <= block.right(); ++c) {
                const QString &cell = m_model->cell(r, c);
                int decimals = 0;
                if (cell.isEmpty())
                    html += QLatin1String("<td></td>");
                else if (IsPlainDecimal(cell, &decimals))
                    html += QStringLiteral("<td style='mso-number-format:\"%1\"'>%2</td>")
                                .arg(decimals ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0"), cell);
                else
                    html += QStringLiteral("<td style='mso-number-format:\"\\@\"'>%1</td>").arg(cell.toHtmlEscaped());
            }
            html += QLatin1String("</tr>");
        }
        html += QLatin1String("</table></body></html>");
        mime->setHtml(html);
    }
    return mime;
}

void PointTableView::copySelection()
{
    commitEdit();
    if (selectedBlock().isEmpty())
        return;
    QGuiApplication::clipboard()->setMimeData(selectionMimeData());
}

void PointTableView::tell(const QString &text)
{
    Prompts::instance().showMessage(this, text, MessageCaption(this), QMessageBox::Information);
}

bool PointTableView::pasteText(const QString &text)
{
    if (!m_model->isEditable()) {
        tell(TableTexts::ResultRefused);
        return false;
    }
    if (text.isEmpty()) {
        tell(TableTexts::NoText);
        return false;
    }
    if (LooksBinary(text)) {
        tell(TableTexts::NotText);
        return false;
    }
    std::optional<BusyCursor> busy(std::in_place);
    const CellRows rows = ParseDelimitedText(text, GuessDelimiter(text));
    if (rows.rows() == 0) {
        busy.reset();
        tell(TableTexts::NoText);
        return false;
    }
    // The block starts at the current cell - the one the user clicked last - unless that cell lies
    // in the selected block, which then starts at its top-left cell.
    QRect target = selectedBlock();
    const QModelIndex current = currentIndex();
    if (current.isValid() && !target.contains(current.column(), current.row()))
        target = QRect(current.column(), current.row(), 1, 1);
    if (target.isEmpty())
        target = QRect(0, 0, 1, 1);
    const int top = target.top(), left = target.left();
    const int width = rows.maxWidth();
    // One copied cell over a selected block fills the block, as spreadsheets do.
    const bool fill = rows.rows() == 1 && width == 1 && target.width() * target.height() > 1;
    const int blockRows = fill ? target.height() : std::min(rows.rows(), std::max(MaxPasteRows - top, 0));
    const int blockColumns = fill ? target.width() : std::min(width, m_model->columns() - left);

    QStringList leftOut;
    if (!fill && width > blockColumns)
        leftOut << QStringLiteral("粘贴的数据有 %1 列，表格从当前列起只有 %2 列：右边的 %3 列未粘贴。")
                       .arg(width)
                       .arg(std::max(blockColumns, 0))
                       .arg(width - std::max(blockColumns, 0));
    if (!fill && rows.rows() > blockRows)
        leftOut << QStringLiteral("表格最多 %1 行：后面的 %2 行未粘贴。").arg(MaxPasteRows).arg(rows.rows() - blockRows);

    int tooLong = 0;
    qint64 pasted = 0;
    std::vector<QString> cells;
    if (blockRows > 0 && blockColumns > 0) {
        cells.reserve(static_cast<size_t>(blockRows) * blockColumns);
        for (int r = 0; r < blockRows; ++r)
            for (int c = 0; c < blockColumns; ++c) {
                const int source = fill ? 0 : r;
                const bool present = fill || c < rows.width(source);
                const QString &given = fill ? rows.at(0, 0) : rows.at(source, c);
                if (present && given.size() > MaxCellLength)
                    ++tooLong;
                if (present && given.size() <= MaxCellLength) {
                    cells.push_back(given);
                    ++pasted;
                } else { // a row shorter than the block, or a text too long: the cell stays
                    cells.push_back(m_model->cell(top + r, left + c));
                }
            }
    }
    if (tooLong > 0)
        leftOut << QStringLiteral("有 %1 个单元格的文字超过 %2 个字符，未粘贴。").arg(tooLong).arg(MaxCellLength);
    if (pasted > 0) {
        m_model->replaceBlock(top, left, blockRows, blockColumns, std::move(cells));
        showChanged(QRect(left, top, blockColumns, blockRows));
    } else {
        leftOut.prepend(QStringLiteral("没有粘贴任何内容。"));
    }
    busy.reset();
    if (!leftOut.isEmpty())
        tell(leftOut.join(u'\n'));
    return pasted > 0;
}

void PointTableView::paste()
{
    finishEditing();
    if (!m_model->isEditable()) {
        tell(TableTexts::ResultRefused);
        return;
    }
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText()) {
        tell(TableTexts::NoText);
        return;
    }
    pasteText(mime->text());
}

void PointTableView::clearSelectedCells()
{
    finishEditing();
    if (!m_model->isEditable())
        return;
    const QRect block = selectedBlock();
    m_model->clearBlock(block.top(), block.left(), block.height(), block.width());
}

void PointTableView::undo()
{
    finishEditing();
    showChanged(m_model->undo());
}

void PointTableView::redo()
{
    finishEditing();
    showChanged(m_model->redo());
}

void PointTableView::showChanged(const QRect &changed)
{
    const QRect cells = changed & QRect(0, 0, m_model->columns(), m_model->rows());
    if (cells.isEmpty())
        return;
    const QModelIndex first = m_model->index(cells.top(), cells.left());
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(first, m_model->index(cells.bottom(), cells.right())),
                             QItemSelectionModel::ClearAndSelect);
    scrollTo(first);
}

void PointTableView::finishEditing()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void PointTableView::setRowCommands(QAction *insert, QAction *remove)
{
    m_insertCommand = insert;
    m_removeCommand = remove;
}

void PointTableView::runRowCommand(bool insert)
{
    finishEditing();
    if (QAction *command = insert ? m_insertCommand.data() : m_removeCommand.data()) {
        command->trigger();
        return;
    }
    // A window with this one input table: its own toolbar button or button of that caption.
    const QString caption = insert ? QStringLiteral("插入") : QStringLiteral("删除");
    QWidget *owner = window();
    int inputs = 0;
    for (PointTableView *table : owner->findChildren<PointTableView *>())
        inputs += table->table()->isEditable() ? 1 : 0;
    if (inputs == 1) {
        QList<QAction *> actions;
        for (QAction *a : owner->findChildren<QAction *>())
            if (a->text().trimmed() == caption)
                actions << a;
        QList<QAbstractButton *> buttons;
        for (QAbstractButton *b : owner->findChildren<QAbstractButton *>())
            if (b->text().trimmed() == caption)
                buttons << b;
        if (actions.size() == 1 && buttons.isEmpty()) {
            actions.front()->trigger();
            return;
        }
        if (buttons.size() == 1 && actions.isEmpty()) {
            buttons.front()->click();
            return;
        }
    }
    RunCommand(this, [this, insert] { insert ? insertRowAtCursor() : deleteRowAtCursor(); });
}

QMenu *PointTableView::makeContextMenu()
{
    const bool editable = m_model->isEditable();
    const bool onRow = currentDataRow() >= 0;
    auto *menu = new QMenu(this);
    auto add = [this, menu](const QString &text, const char *name, const QString &keys, bool enabled,
                            std::function<void()> command) {
        QAction *a = menu->addAction(keys.isEmpty() ? text : text + u'\t' + keys);
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, std::move(command));
    };
    add(TableTexts::Copy, "TableCopy", QStringLiteral("Ctrl+C"), !selectedBlock().isEmpty(),
        [this] { RunCommand(this, [this] { copySelection(); }); });
    add(TableTexts::Paste, "TablePaste", QStringLiteral("Ctrl+V"), editable,
        [this] { RunCommand(this, [this] { paste(); }); });
    menu->addSeparator();
    add(TableTexts::Undo, "TableUndo", QStringLiteral("Ctrl+Z"), m_model->canUndo(),
        [this] { RunCommand(this, [this] { undo(); }); });
    add(TableTexts::Redo, "TableRedo", QStringLiteral("Ctrl+Y"), m_model->canRedo(),
        [this] { RunCommand(this, [this] { redo(); }); });
    menu->addSeparator();
    add(TableTexts::InsertRow, "TableInsertRow", {}, editable && onRow, [this] { runRowCommand(true); });
    add(TableTexts::DeleteRow, "TableDeleteRow", {}, editable && onRow, [this] { runRowCommand(false); });
    return menu;
}

void PointTableView::contextMenuEvent(QContextMenuEvent *event)
{
    // The menu acts on the cell clicked, unless it is inside the selected block.
    const QModelIndex clicked = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (clicked.isValid() && !selectionModel()->isSelected(clicked)) {
        finishEditing();
        setCurrentIndex(clicked);
    }
    QMenu *menu = makeContextMenu();
    menu->exec(event->globalPos());
    delete menu;
}

bool PointTableView::handleKey(QKeyEvent *event, QLineEdit *editor)
{
    const bool editable = m_model->isEditable();
    const QRect block = selectedBlock();
    const bool manyCells = block.width() * block.height() > 1;
    if (event->matches(QKeySequence::Copy)) {
        // Part of a cell's text selected in its editor: that part.
        if (editor && editor->hasSelectedText() && editor->selectedText() != editor->text())
            return false;
        copySelection();
        return true;
    }
    if (event->matches(QKeySequence::Paste)) {
        if (editor && !manyCells) {
            const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
            if (mime && mime->hasText() && OneCellText(mime->text()))
                return false; // into the text being edited
        }
        RunCommand(this, [this] { paste(); });
        return true;
    }
    if (event->matches(QKeySequence::Undo)) {
        if (editor && editor->isUndoAvailable())
            return false;
        RunCommand(this, [this] { undo(); });
        return true;
    }
    if (event->matches(QKeySequence::Redo) || (event->key() == Qt::Key_Y && event->modifiers() == Qt::ControlModifier)) {
        if (editor && editor->isRedoAvailable())
            return false;
        RunCommand(this, [this] { redo(); });
        return true;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        if (editor && editor->isModified())
            return false;
        finishEditing();
        selectAll();
        return true;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && editable) {
        // In the editor, Delete edits the text once the user has typed or placed the cursor in it.
        if (editor && !manyCells && (editor->isModified() || (!editor->text().isEmpty() && editor->selectedText() != editor->text())))
            return false;
        RunCommand(this, [this] { clearSelectedCells(); });
        return true;
    }
    return false;
}

void PointTableView::mousePressEvent(QMouseEvent *event)
{
    // A click on a cell of the selected block makes that cell the selection at once. Qt changes
    // the selection only when the button is released, and the release never reaches the view once
    // the click has opened the cell's editor: the old block would stay selected, and a paste
    // would start at its corner instead of at the cell clicked.
    const QModelIndex clicked = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier && clicked.isValid() &&
        selectionModel()->isSelected(clicked))
        selectionModel()->select(clicked, QItemSelectionModel::ClearAndSelect);
    QTableView::mousePressEvent(event);
}

void PointTableView::keyPressEvent(QKeyEvent *event)
{
    if (handleKey(event, nullptr))
        return;
    QTableView::keyPressEvent(event);
}

bool PointTableView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress)
        if (auto *editor = qobject_cast<QLineEdit *>(watched); editor && editor->parentWidget() == viewport())
            if (handleKey(static_cast<QKeyEvent *>(event), editor))
                return true;
    return QTableView::eventFilter(watched, event);
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

PointTableView *MakeResultTable(const QString &name, const QStringList &captions, QWidget *parent)
{
    auto *table = new PointTableView(captions, false, parent);
    table->setObjectName(name);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return table;
}

QList<QStringList> TableRowTexts(PointTableView *view)
{
    view->commitEdit();
    const PointTableModel *t = view->table();
    QList<QStringList> rows;
    rows.reserve(t->rows());
    for (int r = 0; r < t->rows(); ++r)
        rows.append(t->rowTexts(r));
    return rows;
}

} // namespace quorvil
