#include "TableToolBars.h"

#include "CommandRunner.h"
#include "PointTableView.h"
#include "ResultFreshness.h"

#include <QAction>

namespace quorvil {

QToolBar *MakeTextToolBar(QWidget *parent)
{
    auto *bar = new QToolBar(parent);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    return bar;
}

QAction *AddCommand(QToolBar *bar, const QString &caption, const QString &objectName, std::function<void()> command)
{
    QAction *action = bar->addAction(caption);
    action->setObjectName(objectName);
    QWidget *owner = bar->parentWidget();
    QObject::connect(action, &QAction::triggered, bar, [owner, command = std::move(command)] {
        // Toolbar buttons take no focus: a cell still being typed is committed first.
        if (owner)
            for (PointTableView *table : owner->findChildren<PointTableView *>())
                table->commitEdit();
        RunCommand(owner, command);
    });
    return action;
}

QToolBar *MakeInputToolBar(QWidget *parent, PointTableView *table, const InputToolBarOptions &options)
{
    QToolBar *bar = MakeTextToolBar(parent);
    const QStringList &n = options.names;
    AddCommand(bar, TableCaptions::Append, n.value(0), [table] { table->appendRow(); });
    QAction *insert = AddCommand(bar, TableCaptions::Insert, n.value(1), [table] { table->insertRowAtCursor(); });
    if (options.withImport)
        AddCommand(bar, TableCaptions::Import, n.value(2), [table, options] {
            if (options.customImport)
                options.customImport();
            else
                table->importFile(options.openDialog, options.fieldCount, options.missingField);
        });
    QAction *remove = AddCommand(bar, TableCaptions::Delete, n.value(3), [table] { table->deleteRowAtCursor(); });
    table->setRowCommands(insert, remove); // the table's right-click menu runs the same commands
    AddCommand(bar, TableCaptions::Clear, n.value(4), [table, options] {
        table->clearRows(options.rowsAfterClear);
        if (options.alsoOnClear)
            options.alsoOnClear();
    });
    return bar;
}

QToolBar *MakeResultToolBar(QWidget *parent, PointTableView *table, const QString &computeCaption,
                            ResultFreshness *results, const QString &computeName, const QString &saveName)
{
    QToolBar *bar = MakeTextToolBar(parent);
    AddCommand(bar, computeCaption, computeName, [results] { results->compute(); });
    AddCommand(bar, TableCaptions::SaveAs, saveName, [table, results] {
        if (results->confirmSave())
            table->saveFile(SavePointsDialog());
    });
    return bar;
}

} // namespace quorvil
