// Grabs windows to PNG files under offscreen Qt, for looking at them (scripts/screenshot.sh).
//
//   quorvil_screenshot <TFormMain|TAboutBox|TForm...> <out.png> [width height]
//       one window as it opens;
//   quorvil_screenshot --all <folder> <examples file> <source folder>
//       the main window, the About box, every tool window of the catalogue as it opens
//       (<Class>.png) and the help window, and the windows the examples file fills, after its steps (<Class>-example.png
//       or the names its "grab" steps give).
//
// The examples file has one section a window, "[TFormGSZS]", and one step a line:
//   size W H          resizes the window
//   field NAME TEXT   a line edit's text, a list's item, or a check box "on"/"off"
//   item NAME INDEX   a list's item by its index
//   rows TABLE        gives the table the rows that follow, comma-separated, up to a line "."
//   open PATH         the file the next open dialog answers (relative to the source folder)
//   press NAME        presses a button or toolbar action
//   tab NAME INDEX    shows a page of a tab widget ("*": the window's only one)
//   grab NAME         grabs the window to <Class>-NAME.png
// Lines starting with "#" are comments. Messages the window shows are printed, not shown.
#include "app/Catalogue.h"
#include "app/TAboutBox.h"
#include "app/TFormMain.h"
#include "io/IniFile.h"
#include "ui/Help.h"
#include "ui/PointTableModel.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <deque>

using namespace quorvil;

namespace {

// Answers the program's dialogs without showing them: the queued file to open, no file to save.
class Answers : public Prompts {
public:
    std::deque<QString> open;

    QString openFileName(QWidget *, const FileDialogSpec &) override
    {
        if (open.empty())
            return {};
        const QString path = open.front();
        open.pop_front();
        return path;
    }
    QString saveFileName(QWidget *, const FileDialogSpec &) override { return {}; }
    bool confirmOverwrite(QWidget *) override { return false; }
    void showError(QWidget *, const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    QMessageBox::StandardButton showMessage(QWidget *, const QString &text, const QString &, QMessageBox::Icon,
                                            QMessageBox::StandardButtons buttons) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        for (auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            if (buttons & b)
                return b;
        return QMessageBox::Ok;
    }
};

bool Grab(QWidget *window, const QString &path)
{
    window->show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

struct Example {
    QString windowClass;
    QStringList steps; // "rows" steps carry their rows after a newline each
};

QList<Example> ReadExamples(const QString &path)
{
    QFile file(path);
    QList<Example> examples;
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return examples;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            examples.append({line.mid(1, line.size() - 2), {}});
        } else if (!examples.isEmpty()) {
            QString step = line;
            if (line.startsWith(QLatin1String("rows ")))
                while (++i < lines.size() && lines[i].trimmed() != u".")
                    step += u'\n' + lines[i].trimmed();
            examples.last().steps.append(step);
        }
    }
    return examples;
}

// Runs the steps of an example on its window; false after a step that names nothing there.
bool RunExample(QWidget *window, const Example &example, Answers &answers, const QString &sources,
                const QString &folder)
{
    bool grabbed = false;
    for (const QString &step : example.steps) {
        const QString command = step.section(u' ', 0, 0);
        const QString name = step.section(u' ', 1, 1).section(u'\n', 0, 0);
        const QString rest = step.section(u' ', 2);
        bool found = true;
        if (command == u"size") {
            window->resize(name.toInt(), rest.toInt());
        } else if (command == u"field") {
            if (auto *list = window->findChild<QComboBox *>(name))
                list->setCurrentIndex(list->findText(rest));
            else if (auto *option = window->findChild<QAbstractButton *>(name))
                option->setChecked(rest == u"on");
            else if (auto *edit = window->findChild<QLineEdit *>(name))
                edit->setText(rest);
            else
                found = false;
        } else if (command == u"item") {
            auto *list = window->findChild<QComboBox *>(name);
            found = list != nullptr;
            if (list)
                list->setCurrentIndex(rest.toInt());
        } else if (command == u"rows") {
            auto *view = window->findChild<PointTableView *>(name);
            found = view != nullptr;
            if (view) {
                const QStringList rows = step.split(u'\n').mid(1);
                PointTableModel *model = view->table();
                model->setRowCount(static_cast<int>(rows.size()));
                for (int r = 0; r < rows.size(); ++r) {
                    const QStringList cells = rows[r].split(u',');
                    for (int c = 0; c < cells.size(); ++c)
                        model->setData(model->index(r, c), cells[c]);
                }
            }
        } else if (command == u"open") {
            answers.open.push_back(QDir(sources).filePath(name));
        } else if (command == u"press") {
            if (auto *action = window->findChild<QAction *>(name))
                action->trigger();
            else if (auto *button = window->findChild<QAbstractButton *>(name))
                button->click();
            else
                found = false;
        } else if (command == u"tab") {
            auto *pages = name == u"*" ? window->findChild<QTabWidget *>() : window->findChild<QTabWidget *>(name);
            found = pages != nullptr;
            if (pages)
                pages->setCurrentIndex(rest.toInt());
        } else if (command == u"grab") {
            grabbed = true;
            if (!Grab(window, QDir(folder).filePath(example.windowClass + u'-' + name + ".png")))
                return false;
        } else {
            found = false;
        }
        if (!found) {
            std::fprintf(stderr, "%s: step not understood or nothing named so: %s\n", qPrintable(example.windowClass),
                         qPrintable(step.section(u'\n', 0, 0)));
            return false;
        }
    }
    return grabbed || Grab(window, QDir(folder).filePath(example.windowClass + "-example.png"));
}

int GrabAll(const QString &folder, const QString &examplesFile, const QString &sources)
{
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return 1;
    }
    Answers answers;
    Prompts::install(&answers);
    int failures = 0;
    {
        TFormMain main;
        main.resize(1000, 600);
        failures += !Grab(&main, QDir(folder).filePath("TFormMain.png"));
        TAboutBox about(&main);
        failures += !Grab(&about, QDir(folder).filePath("TAboutBox.png"));
        about.hide();
        for (const CatalogueEntry &entry : Catalogue()) {
            if (entry.windowClass.isEmpty())
                continue;
            QWidget *window = main.openTool(entry);
            failures += !window || !Grab(window, QDir(folder).filePath(entry.windowClass + ".png"));
            if (window)
                window->hide();
        }
        // The help window, at the section of a tool.
        ShowHelp(&main, QStringLiteral("TFormBJFH"));
        auto *help = main.findChild<HelpWindow *>();
        failures += !help || !Grab(help, QDir(folder).filePath("HelpWindow.png"));
    }
    for (const Example &example : ReadExamples(examplesFile)) {
        TFormMain main;
        const CatalogueEntry *entry = FindCatalogueEntry(example.windowClass);
        QWidget *window = entry ? main.openTool(*entry) : nullptr;
        if (!window) {
            std::fprintf(stderr, "no window of class %s\n", qPrintable(example.windowClass));
            ++failures;
            continue;
        }
        failures += !RunExample(window, example, answers, sources, folder);
    }
    Prompts::install(nullptr);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvil"));
    std::setlocale(LC_NUMERIC, "C");
    const QStringList arguments = QApplication::arguments();
    // Every window starts from its defaults; the settings beside the program stay as they are.
    QTemporaryDir settings;
    SetSettingsFilePath(settings.filePath(QStringLiteral("Quorvil.ini")));

    if (arguments.value(1) == u"--all" && arguments.size() == 5)
        return GrabAll(arguments[2], arguments[3], arguments[4]);
    if (arguments.size() < 3) {
        std::fprintf(stderr,
                     "usage: %s <window class> <out.png> [width height]\n"
                     "       %s --all <folder> <examples file> <source folder>\n",
                     argv[0], argv[0]);
        return 2;
    }
    const QString name = arguments[1];
    const QString out = arguments[2];

    TFormMain main;
    QWidget *target = &main;
    main.resize(1000, 600);
    main.show();
    TAboutBox about(&main);
    if (name == u"TAboutBox") {
        target = &about;
    } else if (name != u"TFormMain") {
        const CatalogueEntry *entry = FindCatalogueEntry(name);
        target = entry ? main.openTool(*entry) : nullptr;
        if (!target) {
            std::fprintf(stderr, "no window of class %s\n", argv[1]);
            return 1;
        }
    }
    if (arguments.size() >= 5)
        target->resize(arguments[3].toInt(), arguments[4].toInt());
    return Grab(target, out) ? 0 : 1;
}
