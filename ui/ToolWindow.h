// Base of every tool window: a top-level window owned by the main window. Closing it only hides
// it; the main window destroys it when the program ends.
#pragma once

#include <QWidget>

class QGroupBox;
class QToolBar;

namespace quorvil {

class PointTableView;

class ToolWindow : public QWidget {
    Q_OBJECT

public:
    ToolWindow(QWidget *owner, const QString &className, const QString &caption);

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_centred = false;
};

// A captioned group holding a table with a toolbar under it (or above it).
enum class ToolBarPlace { Below, Above };
QGroupBox *MakeTableGroup(const QString &caption, PointTableView *table, QToolBar *toolbar, QWidget *parent,
                          ToolBarPlace place = ToolBarPlace::Below);

} // namespace quorvil
