// The tool catalogue: one row per command of the main window, in menu order. The menu tree, the
// three toolbars and the tool windows all come from this table.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

namespace quorvil {

// Creates a new tool window owned by `owner`; a command without window runs and returns nullptr.
using ToolFactory = QWidget *(*)(QWidget *owner);

enum class ToolBarId { None, Conversion, Traverse, Tools };

struct CatalogueEntry {
    QString menu;           // top-level menu caption
    QString submenu;        // submenu caption, empty if the item sits directly in the menu
    QString caption;        // menu item caption
    QString hint;           // toolbar button hint; empty if there is no button
    ToolBarId toolbar;      // toolbar of the button
    QString handler;        // handler name: object name of the action
    QString windowClass;    // class of the tool window (empty for a command without window)
    QString windowCaption;  // caption of the tool window
    ToolFactory factory;    // nullptr while the tool is not available: the command is disabled
    bool separatorBefore = false;
    QString icon;           // resource name of the icon
};

const std::vector<CatalogueEntry> &Catalogue();

// The entry whose window class is `windowClass`, or nullptr.
const CatalogueEntry *FindCatalogueEntry(const QString &windowClass);

} // namespace quorvil
