// The main window: menu tree and toolbars against the catalogue, view toggles, help, About box.
#include "app/Catalogue.h"
#include "app/CommandLine.h"
#include "app/TAboutBox.h"
#include "app/TFormMain.h"
#include "support/WindowTestSupport.h"
#include "io/dxf/DxfWriter.h"
#include "ui/Help.h"
#include "ui/drawing/DrawingScene.h"
#include "ui/drawing/TFormDrawing.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace quorvil;
using namespace quorvil::test;

namespace {

// The visible text of a menu: items, submenus as "name>", separators as "-".
QStringList MenuTexts(const QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            texts << "-";
        else if (action->menu())
            texts << action->text() + ">" + MenuTexts(action->menu()).join("|");
        else
            texts << action->text();
    }
    return texts;
}

QStringList Hints(const QToolBar *bar)
{
    QStringList hints;
    for (QAction *action : bar->actions())
        hints << action->toolTip();
    return hints;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void captionAndMenuTree()
    {
        TFormMain main;
        QCOMPARE(main.windowTitle(), QString("Brenmoor--Quorvil软件V4.06"));
        QStringList menus;
        for (QAction *a : main.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"椭球坐标转换", "平面坐标转换", "平差计算", "工具", "显示", "帮助"}));
        const auto menu = [&](int i) { return MenuTexts(main.menuBar()->actions().at(i)->menu()); };
        QCOMPARE(menu(0), (QStringList{"高斯投影正算", "高斯投影反算", "坐标换带",
                                       "椭球间转换>平面->平面|大地->平面|平面->大地|大地->大地", "抵偿高程面坐标转换", "-",
                                       "互联网地图坐标转换"}));
        QCOMPARE(menu(1), (QStringList{"二公共点简易转换", "多公共点相似变换", "-", "GNSS高程拟合"}));
        QCOMPARE(menu(2), (QStringList{"附合导线", "单边附合导线", "无定向导线", "支导线", "-", "坐标附合导线",
                                       "坐标单边附合导线", "坐标无定向导线", "-", "附合高程路线", "-", "控制网平差", "观测手簿", "GNSS 网平差"}));
        QCOMPARE(menu(3), (QStringList{"坐标正反算", "极坐标测量计算", "图幅号计算", "-", "CAD取点坐标",
                                       "CAD标注地理坐标", "CAD标注平面坐标", "-", "电力线平断表", "-", "图形窗口"}));
        QCOMPARE(menu(4), (QStringList{"坐标转换工具条", "平差计算工具条", "常用工具条"}));
        QCOMPARE(menu(5), (QStringList{"系统帮助", "关于..."}));
    }

    void toolbarsFollowTheCatalogue()
    {
        TFormMain main;
        auto *bar1 = main.findChild<QToolBar *>("ToolBar1");
        auto *bar2 = main.findChild<QToolBar *>("ToolBar2");
        auto *bar3 = main.findChild<QToolBar *>("ToolBar3");
        QVERIFY(bar1 && bar2 && bar3);
        QCOMPARE(bar1->windowTitle(), QString("坐标转换"));
        QCOMPARE(bar2->windowTitle(), QString("导线计算"));
        QCOMPARE(bar3->windowTitle(), QString("常用小工具"));
        QCOMPARE(Hints(bar1), (QStringList{"高斯投影正算", "高斯投影反算", "坐标换带", "椭球间平面坐标转换",
                                           "椭球间大地转平面", "椭球间平面转大地", "椭球间大地坐标转换",
                                           "高程抵偿面坐标计算", "二公共点简易转换", "多公共点相似变换"}));
        QCOMPARE(Hints(bar2), (QStringList{"附合导线", "单边附合导线", "无定向导线", "支导线", "坐标附合导线",
                                           "坐标单边附合导线", "坐标无定向导线", "高程路线", "控制网平差", "观测手簿"}));
        QCOMPARE(Hints(bar3), (QStringList{"坐标正反算", "极坐标测量计算", "CAD取点坐标", "CAD标注地理坐标",
                                           "CAD标注平面坐标", "电力线平纵断面", "图形窗口", "软件版本信息"}));
        for (QToolBar *bar : {bar1, bar2, bar3})
            for (QAction *action : bar->actions())
                QVERIFY2(!action->icon().isNull(), qPrintable(action->toolTip()));

        // Every catalogue command is an action named after its handler, shared by menu and
        // toolbar, enabled exactly when its window can be built.
        for (const CatalogueEntry &entry : Catalogue()) {
            auto *action = main.findChild<QAction *>(entry.handler);
            QVERIFY2(action, qPrintable(entry.handler));
            QCOMPARE(action->text(), entry.caption);
            QCOMPARE(action->isEnabled(), entry.factory != nullptr);
        }
        QCOMPARE(main.findChild<QAction *>("N8Click")->property("alias").toString(), QString("ToolButton25Click"));

        // The second handler names are the toolbar buttons of those commands.
        const std::pair<const char *, const char *> aliases[] = {
            {"ToolButton25Click", "N8Click"}, {"ToolButton18Click", "N3Click"}, {"ToolButton19Click", "N4Click"}};
        for (const auto &[button, handler] : aliases) {
            auto *tool = main.findChild<QToolButton *>(button);
            QVERIFY2(tool, button);
            QCOMPARE(tool->defaultAction(), main.findChild<QAction *>(handler));
        }
        const int before = main.findChildren<QWidget *>("TFormTQdTOd").size();
        QVERIFY(Press(&main, "ToolButton25Click"));
        QCOMPARE(main.findChildren<QWidget *>("TFormTQdTOd").size(), before + 1);
    }

    void eachCommandOpensAFreshWindow()
    {
        TFormMain main;
        for (const CatalogueEntry &entry : Catalogue()) {
            // The plane labels open no window; the drawing window is one for the program: tested below.
            if (!entry.factory || entry.windowClass.isEmpty() || entry.windowClass == "TFormDrawing")
                continue;
            auto *action = main.findChild<QAction *>(entry.handler);
            const int before = main.findChildren<QWidget *>(entry.windowClass).size();
            action->trigger();
            action->trigger();
            const auto windows = main.findChildren<QWidget *>(entry.windowClass);
            QCOMPARE(windows.size(), before + 2);
            QCOMPARE(windows.last()->windowTitle(), entry.windowCaption);
            QVERIFY(windows.last()->isWindow());
            windows.last()->close();
            QVERIFY(windows.last()->isHidden()); // closing only hides
            action->trigger();
            QCOMPARE(main.findChildren<QWidget *>(entry.windowClass).size(), before + 3);
        }
    }

    void drawingWindowIsOneForTheProgram()
    {
        TFormMain main;
        auto *action = main.findChild<QAction *>("drawingClick");
        action->trigger();
        const auto windows = main.findChildren<QWidget *>("TFormDrawing");
        QCOMPARE(windows.size(), 1);
        QVERIFY(windows[0]->isVisible() && windows[0]->windowTitle().startsWith("图形窗口"));
        windows[0]->close();
        QVERIFY(windows[0]->isHidden());
        action->trigger();
        QCOMPARE(main.findChildren<QWidget *>("TFormDrawing"), windows);
        QVERIFY(windows[0]->isVisible());
    }

    // "quorvil site.dxf": the drawing window shows the drawing; anything else is named in a message.
    void commandLineOpensADrawing()
    {
        QCOMPARE(CommandLineFiles({"quorvil", "-platform", "offscreen", "site.dxf", "-style=fusion", "--", "-x.dxf"}),
                 (QStringList{"site.dxf", "-x.dxf"}));
        QTemporaryDir dir;
        const QString site = dir.filePath("site.dxf");
        DxfDocument doc = NewDxfDocument();
        DxfEntity line;
        line.type = DxfType::Line;
        line.p = {412000, 3512000};
        line.q = {412100, 3512050};
        doc.entities.push_back(line);
        WriteDxf(doc, site);

        ScriptedPrompts prompts;
        TFormMain main;
        main.show();
        QWidget *opened = OpenCommandLineFiles(main, CommandLineFiles({"quorvil", site, dir.filePath("points.txt")}));
        auto *drawing = qobject_cast<TFormDrawing *>(opened);
        QVERIFY(drawing);
        QCOMPARE(main.findChildren<TFormDrawing *>(), QList<TFormDrawing *>{drawing});
        QVERIFY(drawing->isVisible());
        QCOMPARE(drawing->fileName(), site);
        QCOMPARE(drawing->document().entities.size(), size_t(1));
        QVERIFY(drawing->windowTitle().contains("site.dxf"));
        QVERIFY(!drawing->scene()->items().isEmpty());
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(prompts.messages[0].contains("points.txt"));

        // A drawing that is not there: the message of the drawing window, no crash.
        TFormMain second;
        QVERIFY(!OpenCommandLineFiles(second, {dir.filePath("missing.dxf")}));
        QCOMPARE(prompts.errors.size(), 1);
    }

    void viewMenuShowsRealVisibility()
    {
        TFormMain main;
        main.show();
        auto *bar2 = main.findChild<QToolBar *>("ToolBar2");
        auto *toggle2 = main.findChild<QAction *>("ViewTool2Click");
        auto *view = main.findChild<QMenu *>("View");
        QCOMPARE(main.findChild<QAction *>("ViewClick"), view->menuAction());
        QCOMPARE(view->title(), QString("显示"));
        for (const char *name : {"ViewTool1Click", "ViewTool2Click", "ViewTool3Click"}) {
            auto *toggle = main.findChild<QAction *>(name);
            QVERIFY2(toggle && toggle->isCheckable() && toggle->isChecked(), name); // all start checked
        }
        QVERIFY(toggle2->isChecked());
        toggle2->trigger();
        QVERIFY(bar2->isHidden());
        QVERIFY(!toggle2->isChecked());
        toggle2->trigger();
        QVERIFY(!bar2->isHidden());
        QVERIFY(toggle2->isChecked());

        // A floating toolbar closed by its own close box: the menu shows it unchecked when opened.
        auto *bar3 = main.findChild<QToolBar *>("ToolBar3");
        auto *toggle3 = main.findChild<QAction *>("ViewTool3Click");
        bar3->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        bar3->show();
        bar3->close();
        QVERIFY(toggle3->isChecked());
        emit view->aboutToShow();
        QVERIFY(!toggle3->isChecked());
        toggle3->trigger();
        QVERIFY(!bar3->isHidden());
        QVERIFY(toggle3->isChecked());
    }

    void helpOpensThePageBesideTheProgramAndIsSilentWithoutIt()
    {
        ScriptedPrompts prompts;
        TFormMain main;
        QList<QUrl> opened;
        SetHelpViewer([&](QWidget *, const QUrl &url) { opened << url; });
        const QString help = TFormMain::helpFilePath();
        QVERIFY(help.endsWith("/Help.html"));
        QVERIFY2(QFile::exists(help), "the help page is copied beside the program");
        main.findChild<QAction *>("HelpClick")->trigger();
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(help)}); // the start of the page

        // Without the file nothing shows.
        const QString moved = help + ".away";
        QVERIFY(QFile::rename(help, moved));
        main.findChild<QAction *>("HelpClick")->trigger();
        QVERIFY(QFile::rename(moved, help));
        QCOMPARE(opened.size(), 1);
        QVERIFY(prompts.errors.isEmpty() && prompts.messages.isEmpty());
        SetHelpViewer({});
    }

    void aboutBox()
    {
        TFormMain main;
        TAboutBox about(&main);
        QCOMPARE(about.windowTitle(), QString("关于..."));
        QCOMPARE(about.width(), 303);
        QCOMPARE(about.minimumWidth(), 303);
        QCOMPARE(about.maximumWidth(), 303);
        QCOMPARE(about.findChild<QLabel *>("ProductName")->text(), QString("Quorvil软件"));
        QCOMPARE(about.findChild<QLabel *>("Comments")->text(),
                 QString("功能：各种形式的坐标转换、各种形式的导线计算（可以输出Word格式的计算表格）。"));
        QCOMPARE(about.findChild<QLabel *>("FileVersion")->text(), QString("文件版本:") + QUORVIL_VERSION);
        QVERIFY(about.findChild<QLabel *>("Licence")->text().contains("GPL-3.0-or-later"));

        // Through the menu: modal, closed by its OK button.
        QTimer::singleShot(0, [] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->objectName(), QString("TAboutBox"));
            box->accept();
        });
        main.findChild<QAction *>("AboutClick")->trigger();
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
