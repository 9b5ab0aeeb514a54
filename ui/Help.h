// The help page: "Help.html" beside the program (or in ../share/quorvil when installed), with one
// section per tool window and command. Each section carries an anchor named after its window's
// class ("TFormGSZS"), or after its handler for a command without a window ("bzXYClick").
// F1 in a window shows its section; "系统帮助" shows the start.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class QTextBrowser;

namespace quorvil {

QString HelpFilePath();

// The address of the help page at `anchor` (the start when empty).
QUrl HelpUrl(const QString &anchor = {});

// Shows the help page at `anchor` in the help window. A missing page shows nothing, as the
// system shell would not report it either.
void ShowHelp(QWidget *from, const QString &anchor = {});

// How the help is shown: the program's own help window unless a stand-in is set (tests); an
// empty function restores the help window.
using HelpViewer = std::function<void(QWidget *from, const QUrl &url)>;
void SetHelpViewer(HelpViewer viewer);

// F1 anywhere in `window` shows the help at `anchor`.
void InstallHelpKey(QWidget *window, const QString &anchor);

// The help window: the page with its figures, the usual back, forward and contents buttons, and
// a button that hands the page to the system's browser. One per program.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *owner);

    void showUrl(const QUrl &url);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};

} // namespace quorvil
