#include "io/ProgramFiles.h"
#include "TFormMain.h"

#include "Catalogue.h"
#include "TAboutBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QUrl>

namespace quorvil {

namespace {

const QString MainCaption = QStringLiteral("Brenmoor--Quorvil软件V4.06");

struct ToolBarSpec {
    const char *name;
    QString caption;
    QString viewCaption;
    const char *viewHandler;
};

const ToolBarSpec ToolBarSpecs[3] = {
    {"ToolBar1", QStringLiteral("坐标转换"), QStringLiteral("坐标转换工具条"), "ViewTool1Click"},
    {"ToolBar2", QStringLiteral("导线计算"), QStringLiteral("平差计算工具条"), "ViewTool2Click"},
    {"ToolBar3", QStringLiteral("常用小工具"), QStringLiteral("常用工具条"), "ViewTool3Click"},
};

// Second handler names under which some commands are also known (their toolbar buttons).
QString AliasOf(const QString &handler)
{
    if (handler == u"N8Click")
        return QStringLiteral("ToolButton25Click");
    if (handler == u"N3Click")
        return QStringLiteral("ToolButton18Click");
    if (handler == u"N4Click")
        return QStringLiteral("ToolButton19Click");
    return {};
}

} // namespace

TFormMain::TFormMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TFormMain"));
    setWindowTitle(MainCaption);
    setWindowIcon(QIcon(QStringLiteral(":/resources/icons/quorvil.svg")));
    m_openDocument = [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    buildMenusAndToolBars();
}

TFormMain::~TFormMain()
{
    // Tool windows go in reverse order of creation: the first one opened is destroyed last, so
    // the settings it writes are the ones that remain.
    for (auto it = m_tools.rbegin(); it != m_tools.rend(); ++it)
        delete it->data();
}

void TFormMain::buildMenusAndToolBars()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    for (int i = 0; i < 3; ++i) {
        auto *bar = new QToolBar(ToolBarSpecs[i].caption, this);
        bar->setObjectName(QString::fromLatin1(ToolBarSpecs[i].name));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bar->setIconSize(QSize(24, 24));
        addToolBar(Qt::TopToolBarArea, bar);
        m_toolBars[i] = bar;
    }

    QMenu *menu = nullptr;
    QMenu *submenu = nullptr;
    for (const CatalogueEntry &entry : Catalogue()) {
        if (!menu || menu->title() != entry.menu) {
            menu = menuBar()->addMenu(entry.menu);
            submenu = nullptr;
        }
        QMenu *target = menu;
        if (!entry.submenu.isEmpty()) {
            if (!submenu || submenu->title() != entry.submenu)
                submenu = menu->addMenu(entry.submenu);
            target = submenu;
        } else {
            submenu = nullptr;
        }
        if (entry.separatorBefore)
            target->addSeparator();

        auto *action = new QAction(QIcon(QStringLiteral(":/resources/icons/%1.svg").arg(entry.icon)), entry.caption, this);
        action->setObjectName(entry.handler);
        if (const QString alias = AliasOf(entry.handler); !alias.isEmpty())
            action->setProperty("alias", alias);
        action->setToolTip(entry.hint.isEmpty() ? entry.caption : entry.hint);
        action->setStatusTip(entry.hint);
        action->setEnabled(entry.factory != nullptr);
        connect(action, &QAction::triggered, this, [this, &entry] { openTool(entry); });
        target->addAction(action);
        if (entry.toolbar != ToolBarId::None) {
            QToolBar *bar = m_toolBars[static_cast<int>(entry.toolbar) - 1];
            bar->addAction(action);
            // The toolbar button carries the second handler name where the command has one.
            if (QWidget *button = bar->widgetForAction(action); button && !action->property("alias").isNull())
                button->setObjectName(action->property("alias").toString());
        }
    }

    QMenu *view = menuBar()->addMenu(QStringLiteral("显示"));
    view->setObjectName(QStringLiteral("View"));
    view->menuAction()->setObjectName(QStringLiteral("ViewClick"));
    for (int i = 0; i < 3; ++i) {
        QAction *toggle = view->addAction(ToolBarSpecs[i].viewCaption);
        toggle->setObjectName(QString::fromLatin1(ToolBarSpecs[i].viewHandler));
        toggle->setCheckable(true);
        toggle->setChecked(true);
        QToolBar *bar = m_toolBars[i];
        connect(toggle, &QAction::triggered, this, [bar, toggle] {
            const bool show = bar->isHidden();
            bar->setVisible(show);
            toggle->setChecked(show);
        });
    }
    connect(view, &QMenu::aboutToShow, this, &TFormMain::syncViewChecks);

    QMenu *help = menuBar()->addMenu(QStringLiteral("帮助"));
    QAction *helpAction = help->addAction(QStringLiteral("系统帮助"));
    helpAction->setObjectName(QStringLiteral("HelpClick"));
    connect(helpAction, &QAction::triggered, this, &TFormMain::showHelp);
    QAction *about = help->addAction(QIcon(QStringLiteral(":/resources/icons/about.svg")), QStringLiteral("关于..."));
    about->setObjectName(QStringLiteral("AboutClick"));
    about->setToolTip(QStringLiteral("软件版本信息"));
    connect(about, &QAction::triggered, this, &TFormMain::showAbout);
    m_toolBars[2]->addAction(about);
}

QWidget *TFormMain::openTool(const CatalogueEntry &entry)
{
    if (!entry.factory)
        return nullptr;
    QWidget *window = entry.factory(this);
    if (!window) // a command without window
        return nullptr;
    if (!m_tools.contains(window)) // a window of which the program has one comes back
        m_tools.append(window);
    window->show();
    window->raise();
    return window;
}

QString TFormMain::helpFilePath()
{
    return ProgramFile(QStringLiteral("Help.html"));
}

void TFormMain::showHelp()
{
    // A missing help page is not reported, as the system shell would not report it either.
    const QString path = helpFilePath();
    if (QFileInfo::exists(path) && m_openDocument)
        m_openDocument(path);
}

void TFormMain::showAbout()
{
    TAboutBox box(this);
    box.exec();
}

void TFormMain::syncViewChecks()
{
    for (int i = 0; i < 3; ++i)
        if (auto *toggle = findChild<QAction *>(QString::fromLatin1(ToolBarSpecs[i].viewHandler)))
            toggle->setChecked(!m_toolBars[i]->isHidden());
}

} // namespace quorvil
