// The small toolbars under the point tables: the input toolbar (" 追加 ", " 插入 ", "文件导入",
// " 删除 ", " 清空 ") and the result toolbar (a compute button and "数据另存"). The buttons are
// QActions carrying the object names the windows give them (ToolButton1 ... by default); each runs
// through the command runner.
#pragma once

#include "Prompts.h"

#include <QString>
#include <QToolBar>

#include <functional>

namespace quorvil {

class PointTableView;
class ResultFreshness;

struct InputToolBarOptions {
    int fieldCount = 3;                           // fields per imported line
    QString missingField = QStringLiteral("0");   // text of a field the line lacks
    int rowsAfterClear = 1;                       // data rows left by " 清空 "
    std::function<void()> alsoOnClear;            // e.g. clear the result table too
    // Object names of the five buttons, in toolbar order.
    QStringList names = {"ToolButton1", "ToolButton2", "ToolButton3", "ToolButton4", "ToolButton5"};
    // Replaces the standard import (traverse data files, records): runs instead of the point import.
    std::function<void()> customImport;
    FileDialogSpec openDialog = OpenPointsDialog();
    // Without "文件导入", for a table that a window-wide import fills.
    bool withImport = true;
};

// The standard captions, in toolbar order.
namespace TableCaptions {
inline const QString Append = QStringLiteral(" 追加 ");
inline const QString Insert = QStringLiteral(" 插入 ");
inline const QString Import = QStringLiteral("文件导入");
inline const QString Delete = QStringLiteral(" 删除 ");
inline const QString Clear = QStringLiteral(" 清空 ");
inline const QString SaveAs = QStringLiteral("数据另存");
} // namespace TableCaptions

// A tool bar that shows its actions as text buttons.
QToolBar *MakeTextToolBar(QWidget *parent);

// Adds a text button running `command` through the command runner.
QAction *AddCommand(QToolBar *bar, const QString &caption, const QString &objectName, std::function<void()> command);

// The input toolbar of `table`.
QToolBar *MakeInputToolBar(QWidget *parent, PointTableView *table, const InputToolBarOptions &options = {});

// The result toolbar: `computeCaption` running the computation of `results`, then "数据另存"
// saving `table` (asking first whether to compute again when the results are stale).
QToolBar *MakeResultToolBar(QWidget *parent, PointTableView *table, const QString &computeCaption,
                            ResultFreshness *results, const QString &computeName = QStringLiteral("ToolButton6"),
                            const QString &saveName = QStringLiteral("ToolButton7"));

} // namespace quorvil
