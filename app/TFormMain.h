// The main window: menus and three dockable toolbars built from the tool catalogue. It opens the
// tool windows, switches the toolbars, opens the help page and shows the About box.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>

class QToolBar;

namespace quorvil {

struct CatalogueEntry;

class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    // Opens a new window of the tool (each use makes a further instance). Returns it, or nullptr
    // when the tool has no window or is not available.
    QWidget *openTool(const CatalogueEntry &entry);

    // The file the help command opens.
    static QString helpFilePath();

private:
    void buildMenusAndToolBars();
    void showHelp();
    void showAbout();
    void syncViewChecks(); // ViewClick

    QToolBar *m_toolBars[3] = {};
    QList<QPointer<QWidget>> m_tools; // in order of creation
};

} // namespace quorvil
