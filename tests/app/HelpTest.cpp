// The help page: a section for every command of the catalogue, figures and links that resolve,
// F1 in every tool window showing its own section, and the help window that shows it.
#include "app/Catalogue.h"
#include "app/TFormMain.h"
#include "support/WindowTestSupport.h"
#include "ui/Help.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTextBrowser>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

QString HelpText()
{
    return QString::fromUtf8(ReadFile(HelpFilePath()));
}

// The page's text with the few entities it uses written out, as the reader sees it.
QString Readable(QString html)
{
    return html.replace("&gt;", ">").replace("&lt;", "<").replace("&amp;", "&");
}

// The anchor of a command's section: its window's class, or its handler when it has no window.
QString AnchorOf(const CatalogueEntry &entry)
{
    return entry.windowClass.isEmpty() ? entry.handler : entry.windowClass;
}

// The visible text of the heading that carries `id`, or a null string.
QString HeadingWithId(const QString &html, const QString &id)
{
    const QRegularExpression heading(QStringLiteral("<h[1-3] id=\"%1\">(.*?)</h[1-3]>").arg(QRegularExpression::escape(id)));
    const QRegularExpressionMatch match = heading.match(html);
    if (!match.hasMatch())
        return {};
    return match.captured(1).remove(QRegularExpression(QStringLiteral("<[^>]*>"))).trimmed();
}

QStringList AllCaptured(const QString &html, const QString &pattern)
{
    QStringList found;
    QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(html);
    while (it.hasNext())
        found << it.next().captured(1);
    return found;
}

} // namespace

class HelpTest : public QObject {
    Q_OBJECT

private slots:
    void everyCatalogueEntryHasItsSection()
    {
        const QString html = HelpText();
        QVERIFY2(!html.isEmpty(), qPrintable(HelpFilePath()));
        for (const CatalogueEntry &entry : Catalogue()) {
            const QString heading = HeadingWithId(html, AnchorOf(entry));
            const QString caption = entry.windowCaption.isEmpty() ? entry.caption : entry.windowCaption;
            QVERIFY2(!heading.isNull(), qPrintable("no section with the anchor " + AnchorOf(entry) + " for " + entry.caption));
            QVERIFY2(heading.contains(caption), qPrintable(AnchorOf(entry) + ": the heading \"" + heading + "\" does not name " + caption));
            // The section tells where the command is found.
            QVERIFY2(Readable(html).contains(entry.caption), qPrintable(entry.caption));
        }
        // The general sections that the tools' sections refer to.
        for (const char *id : {"start", "angles", "files", "ellipsoids", "reports", "settings", "differences", "errors"})
            QVERIFY2(html.contains(QStringLiteral("id=\"%1\"").arg(QLatin1String(id))), id);
    }

    void figuresAndLinksResolve()
    {
        const QString html = HelpText();
        const QDir folder = QFileInfo(HelpFilePath()).dir();
        const QStringList images = AllCaptured(html, QStringLiteral("<img src=\"([^\"]+)\""));
        QVERIFY(images.size() > 20);
        for (const QString &image : images) {
            const QString path = folder.filePath(image);
            QVERIFY2(QFileInfo::exists(path), qPrintable(image));
            QVERIFY2(QSvgRenderer(path).isValid(), qPrintable(image + " is not a valid SVG"));
        }
        const QStringList ids = AllCaptured(html, QStringLiteral(" id=\"([^\"]+)\""));
        QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), ids.size()); // every anchor once
        for (const QString &link : AllCaptured(html, QStringLiteral("href=\"#([^\"]+)\"")))
            QVERIFY2(ids.contains(link), qPrintable("link to a missing section: #" + link));
    }

    void f1InEveryToolWindowShowsItsSection()
    {
        quorvil::test::ScriptedPrompts prompts; // no dialog may wait for a user here
        QList<QUrl> shown;
        SetHelpViewer([&](QWidget *, const QUrl &url) { shown << url; });
        TFormMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTest::keyClick(&main, Qt::Key_F1);
        QCOMPARE(shown.value(0), HelpUrl());
        for (const CatalogueEntry &entry : Catalogue()) {
            if (entry.windowClass.isEmpty())
                continue; // a command without a window runs its drawing loop instead
            QWidget *window = main.openTool(entry);
            if (!window)
                continue; // a tool not available yet
            // The window the user works in is the active one (offscreen, activation is set by hand).
            QApplication::setActiveWindow(window);
            QCOMPARE(QApplication::activeWindow(), window);
            shown.clear();
            QTest::keyClick(window, Qt::Key_F1);
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown.first().fragment(), entry.windowClass);
            QCOMPARE(shown.first().toLocalFile(), QFileInfo(HelpFilePath()).absoluteFilePath());
            window->close();
        }
        SetHelpViewer({});
    }

    void helpWindowScrollsToTheSectionWithItsFigures()
    {
        TFormMain main;
        ShowHelp(&main, QStringLiteral("TFormGCFH"));
        auto *help = main.findChild<HelpWindow *>();
        QVERIFY2(help && help->isVisible(), "the help window opens, owned by the main window");
        QTextBrowser *browser = help->browser();
        QCOMPARE(browser->source().adjusted(QUrl::RemoveFragment), HelpUrl());
        QCOMPARE(browser->documentTitle(), QString("Quorvil软件 帮助"));
        QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);
        const int levelling = browser->verticalScrollBar()->value();
        // The figure of the section loads from beside the page.
        QVERIFY(!browser->loadResource(QTextDocument::ImageResource, QUrl("help/levelling-route.svg")).isNull());

        // A second request reuses the one window; the start is the top of the page.
        ShowHelp(&main, QStringLiteral("TFormGSZS"));
        QCOMPARE(main.findChildren<HelpWindow *>().size(), 1);
        QTRY_VERIFY(browser->verticalScrollBar()->value() < levelling);
        ShowHelp(&main);
        QTRY_COMPARE(browser->verticalScrollBar()->value(), 0);

    }
};

QTEST_MAIN(HelpTest)
#include "HelpTest.moc"
