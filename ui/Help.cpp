#include "Help.h"

#include "io/ProgramFiles.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>
#include <QVBoxLayout>

namespace quorvil {

namespace {

HelpViewer &Viewer()
{
    static HelpViewer viewer;
    return viewer;
}

QPointer<HelpWindow> &TheHelpWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

// The window that owns the help window: the top of the owner chain (the main window), so that
// the help window lives as long as the program's windows and is destroyed with them.
QWidget *TopOwner(QWidget *from)
{
    QWidget *top = from;
    while (top && top->parentWidget())
        top = top->parentWidget();
    return top;
}

void ShowInHelpWindow(QWidget *from, const QUrl &url)
{
    QPointer<HelpWindow> &help = TheHelpWindow();
    if (!help) {
        help = new HelpWindow(TopOwner(from));
        if (!help->parentWidget()) {
            help->setAttribute(Qt::WA_DeleteOnClose);
            QObject::connect(qApp, &QCoreApplication::aboutToQuit, help, &QObject::deleteLater);
        }
    }
    // Shown first, so that the section is scrolled to with the window's final size.
    help->show();
    help->raise();
    help->activateWindow();
    help->showUrl(url);
}

} // namespace

QString HelpFilePath()
{
    return ProgramFile(QStringLiteral("Help.html"));
}

QUrl HelpUrl(const QString &anchor)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(HelpFilePath()).absoluteFilePath());
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

void ShowHelp(QWidget *from, const QString &anchor)
{
    if (!QFileInfo::exists(HelpFilePath()))
        return;
    const QUrl url = HelpUrl(anchor);
    if (Viewer())
        Viewer()(from, url);
    else
        ShowInHelpWindow(from, url);
}

void SetHelpViewer(HelpViewer viewer)
{
    Viewer() = std::move(viewer);
}

void InstallHelpKey(QWidget *window, const QString &anchor)
{
    auto *key = new QShortcut(QKeySequence::HelpContents, window);
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [window, anchor] { ShowHelp(window, anchor); });
}

HelpWindow::HelpWindow(QWidget *owner) : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quorvil软件 帮助"));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto *bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction *back = bar->addAction(QStringLiteral("后退"), m_browser, &QTextBrowser::backward);
    QAction *forward = bar->addAction(QStringLiteral("前进"), m_browser, &QTextBrowser::forward);
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    bar->addAction(QStringLiteral("目录"), this, [this] { showUrl(HelpUrl()); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("在浏览器中打开"), this, [this] { QDesktopServices::openUrl(m_browser->source()); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_browser);

    QSize size(900, 700);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    resize(size);
}

void HelpWindow::showUrl(const QUrl &url)
{
    // The browser keeps the history; a section of the page already shown is only scrolled to.
    m_browser->setSource(url);
    if (url.hasFragment())
        m_browser->scrollToAnchor(url.fragment());
    else
        m_browser->verticalScrollBar()->setValue(0);
}

} // namespace quorvil
