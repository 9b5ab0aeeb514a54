#include "ToolWindow.h"

#include "Help.h"
#include "PointTableView.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

namespace quorvil {

ToolWindow::ToolWindow(QWidget *owner, const QString &className, const QString &caption)
    : QWidget(owner, Qt::Window)
{
    setObjectName(className);
    setWindowTitle(caption);
    // F1 shows this tool's section of the help page, named after the window's class.
    InstallHelpKey(this, className);
}

void ToolWindow::showEvent(QShowEvent *event)
{
    // Centred on the screen the first time it shows.
    if (!m_centred) {
        m_centred = true;
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - rect().center());
        }
    }
    QWidget::showEvent(event);
}

QGroupBox *MakeTableGroup(const QString &caption, PointTableView *table, QToolBar *toolbar, QWidget *parent,
                          ToolBarPlace place)
{
    auto *group = new QGroupBox(caption, parent);
    auto *layout = new QVBoxLayout(group);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(2);
    table->setParent(group);
    layout->addWidget(table);
    if (toolbar) {
        toolbar->setParent(group);
        if (place == ToolBarPlace::Above)
            layout->insertWidget(0, toolbar);
        else
            layout->addWidget(toolbar);
    }
    return group;
}

} // namespace quorvil
