// Every tool window of the main window's catalogue in the hands of a careless user: hostile texts
// in every cell and field, every item of every list, every option, and every button and toolbar
// command pressed, with some file dialogs answered by real, missing or unreadable files.
//
// After every press: the program neither crashed nor hung nor opened a dialog of its own, no cell
// or field the program wrote shows NaN, infinity or an exponent, and every error shown has a
// message. Afterwards each window, put back to its opening state, must compute a small valid input
// exactly as a fresh window does: the errors left nothing broken behind.
#include "support/WindowTestSupport.h"
#include "WindowRecipes.h"

#include "app/Catalogue.h"
#include "app/TFormMain.h"
#include "io/IniFile.h"
#include "io/TextCodec.h"
#include "core/Error.h"
#include "ui/PointTableView.h"
#include "ui/TableToolBars.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace quorvil;
using namespace quorvil::test;

namespace {

// ---------------------------------------------------------------------------------------------
// What was being done, for the crash and hang reports.

char g_context[1024] = "starting";
std::atomic<long long> g_beat{0};

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SetContext(const QString &text)
{
    const QByteArray bytes = text.left(300).toUtf8();
    std::snprintf(g_context, sizeof g_context, "%s", bytes.constData());
    g_beat = NowMs();
}

extern "C" void OnFatalSignal(int signal)
{
    const char head[] = "\n*** fatal signal while: ";
    [[maybe_unused]] ssize_t n = write(2, head, sizeof head - 1);
    n = write(2, g_context, std::strlen(g_context));
    n = write(2, "\n", 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Aborts with the context when a step makes no progress at all (a hang or an endless loop). The
// limit is a stall detector, not a speed goal: steps take well under a second, and many times
// that on a slow machine under the sanitizers.
class Watchdog {
public:
    Watchdog()
        : m_thread([this](std::stop_token stop) {
              while (!stop.stop_requested()) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(200));
                  if (m_armed && NowMs() - g_beat > HangMs) {
                      std::fprintf(stderr, "\n*** hang (%d s without progress) while: %s\n", HangMs / 1000, g_context);
                      std::abort();
                  }
              }
          })
    {
    }
    void arm(bool on) { m_armed = on; }

private:
    static constexpr int HangMs = 180000;
    std::atomic<bool> m_armed{false};
    std::jthread m_thread;
};

// ---------------------------------------------------------------------------------------------
// Texts a careless user types.

QString LongText() { return QString(5000, QLatin1Char('7')); }

struct Hostile {
    QString label;
    QString text; // every cell and every field
};

// The words "nan" and "inf" are also how the program itself would print NaN and infinity. Typed
// that way they go only where nothing can compute (every cell and field holds them); elsewhere
// they are typed "NaN" and "Inf", which the program never prints, so that a NaN it writes is
// always told apart from one the user typed.
QString SpelledApart(const QString &text)
{
    return text == QLatin1String("nan") ? QStringLiteral("NaN") : text == QLatin1String("inf") ? QStringLiteral("Inf") : text;
}

// How the program would print NaN or infinity (std::to_chars, or the general text form).
bool ProgramWord(const QString &text)
{
    static const QRegularExpression words(QStringLiteral("^[+-]?(nan|inf|NAN|INF)$"));
    return words.match(text.trimmed()).hasMatch();
}

QList<Hostile> HostileTexts(bool spelledApart = false)
{
    QList<Hostile> texts = {{"empty", ""},
            {"blank", " "},
            {"abc", "abc"},
            {"1e4000", "1e4000"},
            {"-1e4000", "-1e4000"},
            {"1e-4000", "1e-4000"},
            {"nan", "nan"},
            {"inf", "inf"},
            {"0x10", "0x10"},
            {"12,5", "12,5"},
            {"-0", "-0"},
            {"999999999999", "999999999999"},
            {"5000 characters", LongText()},
            {"Chinese", QStringLiteral("三十度")},
            {"near the largest number", "1.18e4932"},
            {"near the largest negative number", "-1.18e4932"},
            {"subnormal", "4e-4950"},
            {"blanks and controls", "\t12.5\n"},
            {"0", "0"}};
    if (spelledApart)
        for (Hostile &h : texts)
            h.text = SpelledApart(h.text);
    return texts;
}

// Identical points: every row the same plausible numbers.
const QStringList IdenticalRow = {"P1", "30.3", "114.2", "12.5", "3380000.5", "38500000.5", "52.1", "1.5", "90", "1.6"};

// A settings file as a careless user might leave it after editing it by hand.
QByteArray HostileSettings()
{
    QByteArray ini = "[JZBCL]\r\nCJFS=99\r\nSJFS=-7\r\nDXFS=2147483647\r\nhsX=NaN\r\nhsY=1e4000\r\nhsANG=1.18e4932\r\n"
                     "czX=abc\r\nczY=\r\nczH=-1.18e4932\r\nyqH=";
    ini += LongText().toLatin1();
    ini += "\r\n[JZBCL]\r\nCJFS=abc\r\n=\r\n[\r\n";
    return ini;
}

// One fill of the window: text of cell (row, column) and of the field with index i.
struct Fill {
    QString label;
    std::function<QString(int row, int column)> cell;
    std::function<QString(int field)> field;
    int rows; // data rows of every input table
    bool words = false; // every cell and field holds "nan" or "inf"
};

QList<Fill> Fills(bool spelledApart = false)
{
    QList<Fill> fills;
    const int rowCounts[] = {4, 1, 2, 5, 3};
    int i = 0;
    for (const Hostile &h : HostileTexts(spelledApart)) {
        const QString text = h.text;
        fills.append({h.label, [text](int, int) { return text; }, [text](int) { return text; }, rowCounts[i++ % 5],
                      ProgramWord(text)});
    }
    fills.append({"identical points", [](int, int c) { return IdenticalRow.at(c % IdenticalRow.size()); },
                  [](int f) { return IdenticalRow.at(1 + f % (IdenticalRow.size() - 1)); }, 4});
    fills.append({"identical points, one row", [](int, int c) { return IdenticalRow.at(c % IdenticalRow.size()); },
                  [](int) { return QStringLiteral("1"); }, 1});
    // Everything at once: the hostile texts scattered over cells and fields.
    fills.append({"mixed",
                  [](int r, int c) {
                      static const QList<Hostile> all = HostileTexts(true);
                      return all.at((r * 7 + c) % all.size()).text;
                  },
                  [](int f) {
                      static const QList<Hostile> all = HostileTexts(true);
                      return all.at((f * 5 + 3) % all.size()).text;
                  },
                  5});
    return fills;
}

// ---------------------------------------------------------------------------------------------
// Texts no cell or field may show.

const QRegularExpression NanOrInfinity(QStringLiteral("(?<![A-Za-z])[+-]?(nan|inf|infinity)(?![A-Za-z])"),
                                       QRegularExpression::CaseInsensitiveOption);
// Cells and fields hold fixed-point numbers: any exponent is garbage.
const QRegularExpression AnyExponent(QStringLiteral("[0-9][eE][+-]?[0-9]"));
// Summary labels may hold the general form 1.5E-6 / 1.2E20; never "e+" nor a lower-case exponent.
const QRegularExpression LabelExponent(QStringLiteral("[0-9]([eE]\\+|e-?[0-9])"));

// ---------------------------------------------------------------------------------------------
// The controls of a window, in a stable order.

struct Controls {
    QList<PointTableView *> tables;
    QList<QLineEdit *> edits;
    QList<QLabel *> labels;
    QList<QPlainTextEdit *> memos; // read-only reports
    QList<QComboBox *> combos;
    QList<QAbstractButton *> toggles;
    QList<QPointer<QObject>> presses; // QAction or QAbstractButton
};

QString NameOf(const QObject *o)
{
    return o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : o->objectName();
}

bool IsInternal(const QObject *o)
{
    return o->objectName().startsWith(QLatin1String("qt_")) || o->objectName().startsWith(QLatin1String("_q_"));
}

Controls Collect(QWidget *w)
{
    Controls c;
    c.tables = w->findChildren<PointTableView *>();
    for (QLineEdit *edit : w->findChildren<QLineEdit *>()) {
        // Editors inside lists and open cell editors belong to those controls.
        if (qobject_cast<QComboBox *>(edit->parentWidget()) || qobject_cast<QAbstractItemView *>(edit->parentWidget()))
            continue;
        bool inTable = false;
        for (QWidget *p = edit->parentWidget(); p && p != w; p = p->parentWidget())
            inTable = inTable || qobject_cast<QAbstractItemView *>(p);
        if (!inTable)
            c.edits.append(edit);
    }
    c.labels = w->findChildren<QLabel *>();
    c.memos = w->findChildren<QPlainTextEdit *>();
    c.combos = w->findChildren<QComboBox *>();
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
        if (IsInternal(b))
            continue;
        if (auto *tool = qobject_cast<QToolButton *>(b); tool && tool->defaultAction())
            continue; // the button of a toolbar action: the action is pressed
        if (qobject_cast<QToolBar *>(b->parentWidget()) && b->objectName().isEmpty())
            continue; // a toolbar's own extension button
        if (b->isCheckable())
            c.toggles.append(b);
        else
            c.presses.append(b);
    }
    for (QAction *a : w->findChildren<QAction *>()) {
        if (IsInternal(a) || a->isSeparator() || a->menu() || a->text().isEmpty())
            continue;
        if (qobject_cast<QLineEdit *>(a->parent()))
            continue; // a line edit's own clear/undo actions
        c.presses.append(a);
    }
    return c;
}

bool UserEditable(const QLineEdit *edit, const QWidget *window)
{
    return edit->isEnabled() && !edit->isReadOnly() && edit->isVisibleTo(window);
}

// ---------------------------------------------------------------------------------------------
// Every text the window shows, by a key that names the control.

using Texts = QHash<QString, QString>;

Texts Snapshot(const Controls &c)
{
    Texts t;
    for (int i = 0; i < c.tables.size(); ++i) {
        const PointTableModel *m = c.tables[i]->table();
        // Cells of a result table hold only what the program computed (and the point names).
        const QString name = (m->isEditable() ? QStringLiteral("table ") : QStringLiteral("result ")) + NameOf(c.tables[i]) +
                             QLatin1Char('#') + QString::number(i);
        t.insert(name + QStringLiteral(".rows"), QString::number(m->rows()));
        for (int r = 0; r < m->rows(); ++r)
            for (int col = 0; col < m->columns(); ++col)
                t.insert(QStringLiteral("%1[%2,%3]").arg(name).arg(r).arg(col), m->cell(r, col));
    }
    for (int i = 0; i < c.edits.size(); ++i)
        t.insert(QStringLiteral("edit %1#%2").arg(NameOf(c.edits[i])).arg(i), c.edits[i]->text());
    for (int i = 0; i < c.labels.size(); ++i)
        t.insert(QStringLiteral("label %1#%2").arg(NameOf(c.labels[i])).arg(i), c.labels[i]->text());
    for (int i = 0; i < c.memos.size(); ++i)
        t.insert(QStringLiteral("memo %1#%2").arg(NameOf(c.memos[i])).arg(i), c.memos[i]->toPlainText());
    for (int i = 0; i < c.combos.size(); ++i)
        t.insert(QStringLiteral("list %1#%2").arg(NameOf(c.combos[i])).arg(i), QString::number(c.combos[i]->currentIndex()));
    for (int i = 0; i < c.toggles.size(); ++i)
        t.insert(QStringLiteral("option %1#%2").arg(NameOf(c.toggles[i])).arg(i), c.toggles[i]->isChecked() ? "on" : "off");
    return t;
}

// A computed column of a result table: never a copy of the user's text.
// Result columns beside the first that show point names from the input (a station, a target).
const QHash<QString, QList<int>> NameColumns = {{QStringLiteral("StringGridObsResult"), {1, 2}},
                                                {QStringLiteral("StringGridRelative"), {1}},
                                                // GNSS: the sessions, the points of a loop, a baseline's ends
                                                {QStringLiteral("StringGridRepeated"), {1, 2}},
                                                {QStringLiteral("StringGridLoops"), {1, 2}},
                                                {QStringLiteral("StringGridResiduals"), {1, 2}}};

bool ComputedOnly(const QString &key)
{
    if (!key.startsWith(QLatin1String("result ")) || key.endsWith(QLatin1String(",0]")))
        return false;
    // "result Table#n[row,column]"
    const QString table = key.mid(7).section(QLatin1Char('#'), 0, 0);
    const int column = key.section(QLatin1Char(','), -1).chopped(1).toInt();
    return !NameColumns.value(table).contains(column);
}

QString Short(const QString &text) { return text.size() > 60 ? text.left(57) + QStringLiteral("...") : text; }

// What a label quotes of the user's own typing (the grade of 等级“五级”无限差) is no number the
// program wrote.
const QRegularExpression QuotedTyping(QStringLiteral("“[^”]*”"));

// The complaint about a text the program wrote, or an empty string.
QString BadText(const QString &key, const QString &written)
{
    const bool label = key.startsWith(QLatin1String("label "));
    const QString text = label ? QString(written).remove(QuotedTyping) : written;
    if (NanOrInfinity.match(text).hasMatch())
        return QStringLiteral("NaN/infinity");
    if (label ? LabelExponent.match(text).hasMatch() : AnyExponent.match(text).hasMatch())
        return QStringLiteral("exponent");
    return {};
}

// A report with every text the user typed, the window showed before or a file held taken out,
// longest first; blank texts and single characters stay (they would take the program's own
// digits with them).
QString WithoutQuotes(QString text, const QSet<QString> &typed, const QSet<QString> &shown, const QString &read)
{
    QStringList quotes(typed.cbegin(), typed.cend());
    quotes += QStringList(shown.cbegin(), shown.cend());
    quotes += read.split(QRegularExpression(QStringLiteral("[,\\r\\n]")), Qt::SkipEmptyParts);
    std::sort(quotes.begin(), quotes.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &quote : std::as_const(quotes))
        if (quote.trimmed().size() > 1)
            text.remove(quote);
    return text;
}

} // namespace

class AllWindowsRobustnessTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TFormMain> m_main;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<ScriptedCadSession> m_cad;
    std::unique_ptr<Watchdog> m_watchdog;
    QTimer m_dialogGuard;
    QStringList m_failures;
    QSet<QString> m_reported; // one report per window, command and kind of fault
    QStringList m_importFiles;
    int m_fileCount = 0;
    QString m_where; // window and step, for the messages

    void fail(const QString &kind, const QString &text)
    {
        const QString key = m_where.section(QLatin1Char('|'), 0, 1) + kind;
        if (m_reported.contains(key))
            return;
        m_reported.insert(key);
        m_failures.append(m_where + QStringLiteral(": ") + text);
    }

    // Closes any dialog or popup the program opened on its own (it would block a user's session).
    void closeStrayDialogs()
    {
        QWidget *stray = QApplication::activeModalWidget();
        if (!stray)
            stray = QApplication::activePopupWidget();
        if (!stray)
            return;
        // The settings dialog a tool opens on the user's request is a modal dialog of its own.
        const bool requested = stray->objectName() == QStringLiteral("TFormDLXset");
        if (!requested)
            fail(QStringLiteral("dialog"), QStringLiteral("opened a %1 \"%2\" that is not a scripted prompt")
                                                .arg(QString::fromLatin1(stray->metaObject()->className()), stray->windowTitle()));
        if (auto *dialog = qobject_cast<QDialog *>(stray))
            dialog->reject();
        else
            stray->close();
    }

    // Types the fill into every input table and every field the user can edit; returns the texts typed.
    QSet<QString> fillWindow(QWidget *w, const Controls &c, const Fill &f)
    {
        QSet<QString> typed;
        for (PointTableView *view : c.tables) {
            PointTableModel *m = view->table();
            if (!m->isEditable())
                continue;
            m->setRowCount(f.rows);
            for (int r = 0; r < m->rows(); ++r)
                for (int col = 0; col < m->columns(); ++col) {
                    const QString text = f.cell(r, col);
                    m->setData(m->index(r, col), text);
                    typed.insert(text);
                }
        }
        int i = 0;
        for (QLineEdit *edit : c.edits)
            if (UserEditable(edit, w)) {
                const QString text = f.field(i++);
                edit->setText(text);
                typed.insert(text);
            }
        return typed;
    }

    // Answers for the dialogs a press may open: cancelled, or real files to write and to read.
    // A file saved while "nan" or "inf" is typed everywhere is not read back: those words may stand
    // only where nothing computes.
    void scriptDialogs(int round, bool words)
    {
        m_prompts->openAnswers.clear();
        m_prompts->saveAnswers.clear();
        m_prompts->overwriteAnswers.clear();
        m_prompts->messageAnswers.clear();
        switch (round % 3) {
        case 0:
            break; // every dialog cancelled
        case 1: {
            const QString path = m_dir.filePath(QStringLiteral("saved%1.txt").arg(++m_fileCount));
            m_prompts->saveAnswers.push_back(path);
            m_prompts->openAnswers.push_back(m_importFiles.at(round / 3 % m_importFiles.size()));
            if (!words)
                m_importFiles.append(path); // read back what was written, in a later round
            break;
        }
        case 2:
            // Overwrite a file written before; a save into a missing folder; read a saved file.
            m_prompts->saveAnswers.push_back(round % 2 && !words ? m_dir.filePath(QStringLiteral("saved1.txt"))
                                                       : m_dir.filePath(QStringLiteral("no/such/folder/x.txt")));
            m_prompts->overwriteAnswers.push_back(true);
            m_prompts->openAnswers.push_back(m_importFiles.at((round * 7) % m_importFiles.size()));
            m_prompts->messageAnswers.push_back(QMessageBox::No);
            break;
        }
    }

    void press(QObject *target)
    {
        if (auto *action = qobject_cast<QAction *>(target))
            action->trigger();
        else if (auto *button = qobject_cast<QAbstractButton *>(target))
            button->click();
    }

    // `typed`: the texts typed for this press; `read`: the text of a file the press imported. The
    // program may show those as they stand (a point name, an imported record); whatever else it
    // wrote must be clean.
    void checkAfter(const Controls &c, const Texts &before, const QSet<QString> &typed, const QString &read,
                    qsizetype errorsBefore, bool words = false)
    {
        const Texts after = Snapshot(c);
        QSet<QString> shown; // texts the window held before: moving or copying them makes nothing new
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            if (!ComputedOnly(it.key()))
                shown.insert(it.value());
        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            const QString &text = it.value();
            if (text.isEmpty() || before.value(it.key()) == text)
                continue;
            // A press that read a file computed nothing; otherwise a word the program itself prints
            // is the user's only while every cell and field holds it.
            const bool fromFile = !read.isEmpty() && read.contains(text);
            const bool userText = (typed.contains(text) || shown.contains(text)) && (words || !ProgramWord(text));
            if (!ComputedOnly(it.key()) && (fromFile || userText))
                continue;
            // A report quotes the point names it was given: those are the user's, the rest is the program's.
            const bool report = it.key().startsWith(QLatin1String("memo "));
            const QString bad = BadText(it.key(), report ? WithoutQuotes(text, typed, shown, read) : text);
            if (!bad.isEmpty())
                fail(bad + it.key().section(QLatin1Char('['), 0, 0),
                     QStringLiteral("%1 shows %2 \"%3\"").arg(it.key(), bad, Short(text)));
        }
        for (qsizetype i = errorsBefore; i < m_prompts->errors.size(); ++i)
            if (m_prompts->errors.at(i).trimmed().isEmpty())
                fail(QStringLiteral("empty error"), QStringLiteral("showed an error without a message"));
        for (const QString &message : std::as_const(m_prompts->messages))
            if (message.trimmed().isEmpty())
                fail(QStringLiteral("empty message"), QStringLiteral("showed a message box without a text"));
        m_prompts->messages.clear();
    }

    // One press of a command as the user does it, with the checks after it.
    void pressOnce(QWidget *w, const Controls &c, QObject *target, const QSet<QString> &typed, const QString &where,
                   int &round, bool words = false)
    {
        scriptDialogs(round++, words);
        m_where = QStringLiteral("%1|%2|%3").arg(w->objectName(), NameOf(target), where);
        SetContext(m_where);
        const Texts before = Snapshot(c);
        const qsizetype errors = m_prompts->errors.size();
        const QString offered = m_prompts->openAnswers.empty() ? QString() : m_prompts->openAnswers.front();
        press(target);
        closeStrayDialogs();
        const bool opened = !offered.isEmpty() && m_prompts->openAnswers.empty();
        checkAfter(c, before, typed, opened && QFileInfo(offered).isFile() ? DecodeText(ReadFile(offered)) : QString(), errors,
                   words);
    }

    // Fills the window, presses each command in turn (refilling before each), and checks.
    void pressEverything(QWidget *w, const Controls &c, const QList<Fill> &fills, const QString &stage, int &round)
    {
        for (const Fill &f : fills)
            for (const QPointer<QObject> &target : c.presses)
                if (target)
                    pressOnce(w, c, target, fillWindow(w, c, f), stage + QStringLiteral(" with ") + f.label, round, f.words);
    }

    // Fills the window once and presses every command in a row, forwards and backwards, on whatever
    // the commands before left (imported files, cleared tables, computed results), each time with a
    // cell still open in its editor.
    void pressInSequence(QWidget *w, const Controls &c, const QList<Fill> &fills, int &round)
    {
        for (const Fill &f : fills) {
            QSet<QString> typed = fillWindow(w, c, f);
            QList<QPointer<QObject>> order = c.presses;
            if (round % 2)
                std::reverse(order.begin(), order.end());
            for (const QPointer<QObject> &target : order) {
                if (!target)
                    continue;
                for (PointTableView *view : c.tables) {
                    if (!view->table()->isEditable() || !view->isVisibleTo(w))
                        continue;
                    if (round % 3 == 0) {
                        // The cursor somewhere else: on the last row, or on none at all.
                        view->setCurrentDataRow(round % 2 ? view->table()->rows() - 1 : -1);
                        continue;
                    }
                    // An editor still open from the press before is typed into again.
                    QLineEdit *editor = view->viewport()->findChild<QLineEdit *>();
                    if (!editor) {
                        const QModelIndex index = view->table()->index(0, view->table()->columns() > 1 ? 1 : 0);
                        view->setCurrentIndex(index);
                        view->edit(index);
                        editor = view->viewport()->findChild<QLineEdit *>();
                    }
                    if (editor) {
                        editor->setText(f.cell(0, 1) + QStringLiteral("9"));
                        typed.insert(editor->text());
                    }
                    break;
                }
                if (round % 5 == 0) // pressed twice in a hurry
                    pressOnce(w, c, target, typed, QStringLiteral("in a row after ") + f.label, round);
                pressOnce(w, c, target, typed, QStringLiteral("in a row after ") + f.label, round);
            }
        }
    }

    // Puts every control back as the window opened.
    // Puts every control back as `initial` has it; a list item is chosen afresh, so that what it
    // fills in (the axes of an ellipsoid) is filled in again.
    void restore(const Controls &c, const Texts &initial, const QList<QList<QStringList>> &tables)
    {
        // Lists first: choosing an ellipsoid writes its axes, and a window may open with stored
        // axes that differ from the entry's texts.
        for (int i = 0; i < c.combos.size(); ++i) {
            c.combos[i]->setCurrentIndex(-1);
            c.combos[i]->setCurrentIndex(initial.value(QStringLiteral("list %1#%2").arg(NameOf(c.combos[i])).arg(i)).toInt());
        }
        for (int i = 0; i < c.edits.size(); ++i)
            c.edits[i]->setText(initial.value(QStringLiteral("edit %1#%2").arg(NameOf(c.edits[i])).arg(i)));
        for (int i = 0; i < c.toggles.size(); ++i)
            c.toggles[i]->setChecked(initial.value(QStringLiteral("option %1#%2").arg(NameOf(c.toggles[i])).arg(i)) == "on");
        for (int t = 0; t < c.tables.size(); ++t)
            c.tables[t]->table()->replaceRows(tables[t]);
    }

    // Runs the valid input; returns the texts after it, and fails on any error it shows.
    // Types the valid input into the window, without pressing anything.
    void typeRecipe(QWidget *w, const Recipe &recipe)
    {
        for (const auto &[name, text] : recipe.fields) {
            auto *edit = w->findChild<QLineEdit *>(name);
            if (!edit) {
                fail(QStringLiteral("recipe"), QStringLiteral("no field %1").arg(name));
                continue;
            }
            edit->setText(text);
        }
        for (const auto &[name, rows] : recipe.tables) {
            PointTableModel *m = Table(w, name);
            m->setRowCount(static_cast<int>(rows.size()));
            for (int r = 0; r < rows.size(); ++r)
                SetRow(w, name, r, rows[r]);
        }
    }

    // Runs the valid input; returns the texts after it, and fails on any error it shows.
    Texts runRecipe(QWidget *w, const Controls &c, const Recipe &recipe, const QString &which)
    {
        m_prompts->openAnswers.clear();
        m_prompts->saveAnswers.clear();
        const qsizetype errors = m_prompts->errors.size();
        typeRecipe(w, recipe);
        // A fresh drawing session with the recipe's answers; the attack's presses find none left
        // and end at their first prompt, as when the user presses Esc.
        m_cad = std::make_unique<ScriptedCadSession>();
        for (const ScriptedCadSession::Answer &answer : recipe.drawing)
            m_cad->answer(answer);
        CadSession::setActive(m_cad.get());
        for (const QString &name : recipe.presses)
            if (!Press(w, name))
                fail(QStringLiteral("recipe"), QStringLiteral("no command %1").arg(name));
        closeStrayDialogs();
        if (m_prompts->errors.size() > errors)
            fail(QStringLiteral("recipe error ") + which,
                 QStringLiteral("a valid input in the %1 window shows \"%2\"").arg(which, m_prompts->errors.mid(errors).join(" | ")));
        return Snapshot(c);
    }

    // One bad value among valid ones: the valid input with a single field, a pair of fields, a
    // column or a cell replaced by a hostile text, then the commands that compute it.
    void spoilValidInput(QWidget *w, const Controls &c, const Recipe &recipe, const Texts &initial,
                         const QList<QList<QStringList>> &tables, const QList<Hostile> &texts, const QString &stage,
                         bool pairs, int &round)
    {
        struct Target {
            QString label;
            std::function<void(const QString &)> spoil;
        };
        // The places are those the user can type into once the valid input stands.
        restore(c, initial, tables);
        typeRecipe(w, recipe);
        QList<QLineEdit *> fields;
        for (QLineEdit *edit : c.edits)
            if (UserEditable(edit, w))
                fields.append(edit);
        QList<Target> targets;
        for (QLineEdit *edit : fields)
            targets.append({NameOf(edit), [edit](const QString &t) { edit->setText(t); }});
        if (pairs)
            for (int i = 0; i < fields.size(); ++i)
                for (int j = i + 1; j < fields.size(); ++j) {
                    QLineEdit *a = fields[i], *b = fields[j];
                    targets.append({NameOf(a) + "+" + NameOf(b), [a, b](const QString &t) {
                                        a->setText(t);
                                        b->setText(t);
                                    }});
                }
        for (PointTableView *view : c.tables) {
            PointTableModel *m = view->table();
            if (!m->isEditable())
                continue;
            for (int col = 0; col < m->columns(); ++col) {
                targets.append({QStringLiteral("%1 column %2").arg(NameOf(view)).arg(col), [m, col](const QString &t) {
                                    for (int r = 0; r < m->rows(); ++r)
                                        m->setData(m->index(r, col), t);
                                }});
                for (int r = 0; r < m->rows() && r < 5; ++r)
                    targets.append({QStringLiteral("%1 cell %2,%3").arg(NameOf(view)).arg(r).arg(col),
                                    [m, r, col](const QString &t) { m->setData(m->index(r, col), t); }});
            }
        }
        QList<QPointer<QObject>> commands;
        for (const QString &name : recipe.presses) {
            QObject *o = w->findChild<QAction *>(name);
            commands.append(o ? o : w->findChild<QAbstractButton *>(name));
        }
        for (const Hostile &h : texts)
            for (const Target &target : targets) {
                restore(c, initial, tables);
                typeRecipe(w, recipe);
                target.spoil(h.text);
                QSet<QString> typed = {h.text};
                for (const auto &[name, text] : recipe.fields)
                    typed.insert(text);
                for (const auto &[name, rows] : recipe.tables)
                    for (const QStringList &row : rows)
                        for (const QString &text : row)
                            typed.insert(text);
                for (const QPointer<QObject> &command : commands)
                    if (command)
                        pressOnce(w, c, command, typed,
                                  QStringLiteral("%1valid input with %2 = %3").arg(stage, target.label, h.label), round);
            }
    }

    // Opens the tool again, checks what it shows, and presses everything once more.
    void reopen(const CatalogueEntry &entry, const QList<Fill> &fills, const QString &settings, int &round)
    {
        m_where = entry.windowClass + QStringLiteral("|reopening|with ") + settings;
        SetContext(m_where);
        const QString stored = QFileInfo::exists(SettingsFilePath()) ? DecodeText(ReadFile(SettingsFilePath())) : QString();
        const qsizetype errors = m_prompts->errors.size();
        QPointer<QWidget> again = m_main->openTool(entry);
        QVERIFY(again);
        if (m_prompts->errors.size() > errors)
            fail(QStringLiteral("reopen error"), QStringLiteral("opening shows \"%1\"").arg(m_prompts->errors.mid(errors).join(" | ")));
        const Controls c = Collect(again);
        const Texts opened = Snapshot(c);
        for (auto it = opened.cbegin(); it != opened.cend(); ++it)
            if (const QString bad = BadText(it.key(), it.value()); !bad.isEmpty() && !stored.contains(it.value()))
                fail(bad, QStringLiteral("%1 opens with \"%2\"").arg(it.key(), Short(it.value())));
        pressEverything(again, c, {fills.at(0), fills.at(3), fills.last()}, QStringLiteral("reopened with ") + settings, round);
        // What was read stays as it is until the user types.
        for (const QPointer<QObject> &target : c.presses)
            if (target)
                pressOnce(again, c, target, {}, QStringLiteral("reopened with %1, as read").arg(settings), round);
        SetContext(entry.windowClass + QStringLiteral(" closing again"));
        delete again.data();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SetSettingsFilePath(m_dir.filePath(QStringLiteral("Quorvil.ini")));
        for (int s : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL})
            std::signal(s, OnFatalSignal);
        SetContext(QStringLiteral("starting"));
        m_watchdog = std::make_unique<Watchdog>();
        m_watchdog->arm(true);
        m_prompts = std::make_unique<ScriptedPrompts>();
        m_main = std::make_unique<TFormMain>();
        connect(&m_dialogGuard, &QTimer::timeout, this, [this] { closeStrayDialogs(); });
        m_dialogGuard.start(50);

        // Files a careless user picks to import.
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary.append(static_cast<char>(i * 37));
        m_importFiles = {
            WriteFile(m_dir.filePath("hostile.txt"),
                      QByteArray("NaN,Inf,-Infinity,1e4000,0x10\r\n,,,,,,,,,,,,\r\nabc\r\n1,2\r\n") +
                          QStringLiteral("点一,三十度,十二,五\r\n").toUtf8() + LongText().toLatin1() + "\r\n-0,-0,-0,-0\r\n"),
            WriteFile(m_dir.filePath("empty.txt"), QByteArray()),
            WriteFile(m_dir.filePath("binary.txt"), binary),
            m_dir.filePath("missing.txt"),
            m_dir.path(), // a folder
            WriteFile(m_dir.filePath("points.txt"), "P1,3380000,500000,10\r\nP1,3380000,500000,10\r\nP2,3380100,500100,20\r\n"),
            WriteFile(m_dir.filePath("zeros.txt"), "0,0,0,0,0,0,0\r\n0,0,0,0,0,0,0\r\n0,0,0,0,0,0,0\r\n0,0,0,0,0,0,0\r\n"),
            WriteFile(m_dir.filePath("many.txt"), QByteArray("P7,3380000.123,38500000.456,10.5,3380000,500000,1\r\n").repeated(20000)),
            WriteFile(m_dir.filePath("gb18030.txt"),
                      EncodeText(QStringLiteral("水平距(全站仪),垂直角(全站仪/半站仪),后视点坐标\r\n点一,,,三十\r\n"
                                                "一,二,三,四,五,六,七,八\r\n,1e-4000,999999999999,-0,12,5\r\n"))),
        };
    }

    // The checks themselves: what counts as garbage and what is a text the program may show.
    void checksTellGarbageFromText()
    {
        const struct {
            const char *key, *text;
            bool bad;
        } cases[] = {
            {"table S#0[1,1]", "nan", true},        {"table S#0[1,1]", "-INF", true},
            {"edit E#0", "Infinity", true},          {"edit E#0", "-nan", true},
            {"result S#1[0,1]", "1.5e+20", true},    {"result S#1[0,1]", "1E20", true},
            {"edit E#0", "3.2e-05", true},           {"label L#0", "K=1/2e+05", true},
            {"label L#0", "Fs=inf mm", true},        {"label L#0", "x=1e-7", true},
            {"label L#0", "K=1/∞", false},           {"label L#0", "FB=1.5E-6″", false},
            {"label L#0", "线路总长[L]=1.2E20", false}, {"edit E#0", "3380000.1230", false},
            {"edit E#0", "Information", false},      {"edit E#0", "-0.000", false},
            {"table S#0[0,0]", "ZN3", false},        {"label L#0", "FB=12″", false},
            {"memo M#0", "a1 = 1.5e-07 m/km", true}, {"memo M#0", "μ = ±nan mm", true},
            {"memo M#0", "a1 = 0.00000015 m/km", false},
        };
        for (const auto &c : cases)
            QVERIFY2(BadText(c.key, c.text).isEmpty() != c.bad, c.text);
        QVERIFY(ComputedOnly("result S#1[3,2]"));
        QVERIFY(!ComputedOnly("result S#1[3,0]"));
        QVERIFY(!ComputedOnly("table S#0[3,2]"));
    }

    // The attack itself finds each kind of fault: planted in a small window of its own.
    void attackFindsPlantedFaults()
    {
        QWidget w;
        w.setObjectName(QStringLiteral("Planted"));
        auto *input = new PointTableView({"a", "b"}, true, &w);
        input->setObjectName(QStringLiteral("StringGrid1"));
        auto *result = new PointTableView({"a", "b"}, false, &w);
        result->setObjectName(QStringLiteral("StringGrid2"));
        auto *field = new QLineEdit(&w);
        field->setObjectName(QStringLiteral("EditK"));
        field->setReadOnly(true);
        auto *label = new QLabel(QStringLiteral("K="), &w);
        label->setObjectName(QStringLiteral("LabK"));
        QToolBar *bar = MakeTextToolBar(&w);
        AddCommand(bar, "1", "NanInResult", [result] { result->table()->setCell(0, 1, QStringLiteral("-nan")); });
        AddCommand(bar, "2", "InfInField", [field] { field->setText(QStringLiteral("inf")); });
        AddCommand(bar, "3", "ExponentInLabel", [label] { label->setText(QStringLiteral("K=1/2e+05")); });
        AddCommand(bar, "4", "ExponentInCell", [input] { input->table()->setCell(0, 1, QStringLiteral("1.5e-7")); });
        AddCommand(bar, "5", "SilentError", [] { throw Error(""); });
        AddCommand(bar, "6", "OwnDialog", [&w] {
            QMessageBox box(&w);
            box.exec();
        });
        AddCommand(bar, "7", "Fine", [result, label] {
            result->table()->setCell(0, 1, QStringLiteral("12.500"));
            label->setText(QStringLiteral("K=1/∞"));
        });
        m_failures.clear();
        m_reported.clear();
        int round = 0;
        pressEverything(&w, Collect(&w), {Fills().at(0)}, QStringLiteral("planted"), round);
        const QStringList expected = {"NanInResult", "InfInField", "ExponentInLabel", "ExponentInCell", "SilentError", "OwnDialog"};
        QStringList found;
        for (const QString &failure : m_failures)
            found.append(failure.section(QLatin1Char('|'), 1, 1));
        QCOMPARE(found, expected);

        // A NaN written among texts the user typed as "NaN" is still the program's.
        QToolBar *more = MakeTextToolBar(&w);
        AddCommand(more, "8", "NanAmongTyped", [input] { input->table()->setCell(0, 1, QStringLiteral("nan")); });
        m_failures.clear();
        m_reported.clear();
        const Controls controls = Collect(&w);
        QObject *planted = w.findChild<QAction *>(QStringLiteral("NanAmongTyped"));
        for (const Fill &f : Fills(true))
            if (f.label == QLatin1String("nan"))
                pressOnce(&w, controls, planted, fillWindow(&w, controls, f), QStringLiteral("planted"), round, f.words);
        QCOMPARE(m_failures.size(), 1);
        m_failures.clear();
        QVERIFY(ProgramWord("-nan") && ProgramWord("INF") && !ProgramWord("NaN") && !ProgramWord("Inf"));
    }

    // Every table of every window copies, pastes what a spreadsheet copied, and undoes the paste;
    // result tables refuse it. The right-click menu is the same everywhere.
    void everyTablePastesAndUndoes()
    {
        for (const CatalogueEntry &entry : Catalogue()) {
            if (!entry.factory || entry.windowClass.isEmpty() || entry.windowClass == "TFormDrawing")
                continue;
            SetContext(entry.windowClass + QStringLiteral(" paste and undo"));
            QPointer<QWidget> w = m_main->openTool(entry);
            QVERIFY(w);
            for (PointTableView *view : w->findChildren<PointTableView *>()) {
                const QString where = entry.windowClass + u' ' + view->objectName();
                PointTableModel *t = view->table();
                QList<QStringList> before;
                for (int r = 0; r < t->rows(); ++r)
                    before.append(t->rowTexts(r));
                const qsizetype messages = m_prompts->messages.size();
                view->setCurrentIndex(t->index(0, 0));
                QVERIFY2(!view->selectionText().isEmpty(), qPrintable(where));
                const bool pasted = view->pasteText(QStringLiteral("甲\t1.500\r\n乙\t2.500\r\n丙\t3.500\r\n"));
                QCOMPARE(pasted, t->isEditable());
                if (t->isEditable()) {
                    QCOMPARE(t->cell(2, 0), QStringLiteral("丙"));
                    if (t->columns() > 1)
                        QCOMPARE(t->cell(1, 1), QStringLiteral("2.500"));
                    view->undo();
                } else {
                    QCOMPARE(m_prompts->messages.size(), messages + 1);
                }
                QList<QStringList> after;
                for (int r = 0; r < t->rows(); ++r)
                    after.append(t->rowTexts(r));
                QVERIFY2(after == before, qPrintable(where));
                std::unique_ptr<QMenu> menu(view->makeContextMenu());
                QCOMPARE(menu->actions().size(), 8);
            }
            delete w.data();
        }
    }

    void cleanupTestCase()
    {
        m_dialogGuard.stop();
        SetContext(QStringLiteral("closing the main window and its tools"));
        m_main.reset();
        m_prompts.reset();
        CadSession::setActive(nullptr);
        m_cad.reset();
        m_watchdog.reset();
    }

    void attack_data()
    {
        QTest::addColumn<QString>("windowClass");
        for (const CatalogueEntry &entry : Catalogue())
            // Not the plane labels (no window) nor the drawing window (its own tests attack it).
            if (entry.factory && !entry.windowClass.isEmpty() && entry.windowClass != "TFormDrawing")
                QTest::newRow(qPrintable(entry.windowClass)) << entry.windowClass;
    }

    void attack()
    {
        QFETCH(QString, windowClass);
        QElapsedTimer clock;
        clock.start();
        m_failures.clear();
        m_reported.clear();
        const CatalogueEntry *entry = FindCatalogueEntry(windowClass);
        QVERIFY(entry);
        const Recipe recipe = Recipes().value(windowClass);
        QFile::remove(SettingsFilePath()); // every tool starts as on a new machine
        QVERIFY2(!recipe.presses.isEmpty(), qPrintable("no valid input written for " + windowClass));

        SetContext(windowClass + QStringLiteral(" opening"));
        QPointer<QWidget> w = m_main->openTool(*entry);
        QVERIFY(w);
        QCOMPARE(w->objectName(), windowClass);
        const Controls c = Collect(w);
        QVERIFY2(!c.presses.isEmpty(), qPrintable(windowClass));
        const Texts initial = Snapshot(c);
        QList<QList<QStringList>> initialTables;
        for (PointTableView *t : c.tables) {
            QList<QStringList> rows;
            for (int r = 0; r < t->table()->rows(); ++r)
                rows.append(t->table()->rowTexts(r));
            initialTables.append(rows);
        }
        m_where = windowClass + QStringLiteral("|opening|");
        for (auto it = initial.cbegin(); it != initial.cend(); ++it)
            if (const QString bad = BadText(it.key(), it.value()); !bad.isEmpty())
                fail(bad, QStringLiteral("%1 opens with \"%2\"").arg(it.key(), Short(it.value())));

        // What a fresh window shows after the valid input.
        QPointer<QWidget> fresh = m_main->openTool(*entry);
        m_where = windowClass + QStringLiteral("|valid input|fresh");
        SetContext(m_where);
        const Texts expected = runRecipe(fresh, Collect(fresh), recipe, QStringLiteral("fresh"));
        delete fresh.data();

        // The attack: hostile texts with every command, then every list item and every option.
        int round = 0;
        const QList<Fill> fills = Fills();
        pressEverything(w, c, fills, QStringLiteral("typed"), round);
        pressInSequence(w, c, Fills(true), round);
        const QList<Hostile> hostile = HostileTexts(true);
        spoilValidInput(w, c, recipe, initial, initialTables, hostile, {}, true, round);
        // The texts that pass as numbers, under every item of every list.
        QList<Hostile> numeric;
        for (const Hostile &h : hostile)
            if (QStringList{"1e4000", "999999999999", "-1.18e4932", "4e-4950", "0"}.contains(h.text))
                numeric.append(h);
        for (int k = 0; k < c.combos.size(); ++k) {
            QComboBox *combo = c.combos[k];
            for (int i = 0; i < combo->count(); ++i) {
                Texts state = initial;
                state.insert(QStringLiteral("list %1#%2").arg(NameOf(combo)).arg(k), QString::number(i));
                spoilValidInput(w, c, recipe, state, initialTables, numeric,
                                QStringLiteral("%1 item %2, ").arg(NameOf(combo)).arg(i), false, round);
            }
        }
        for (QComboBox *combo : c.combos) {
            const int start = combo->currentIndex();
            for (int i = 0; i < combo->count(); ++i) {
                combo->setCurrentIndex(i);
                pressEverything(w, c, fills, QStringLiteral("%1 item %2").arg(NameOf(combo)).arg(i), round);
                if (!w)
                    break;
            }
            combo->setCurrentIndex(start);
        }
        for (QAbstractButton *toggle : c.toggles) {
            toggle->click();
            pressEverything(w, c, fills, QStringLiteral("%1 %2").arg(NameOf(toggle), toggle->isChecked() ? "on" : "off"),
                            round);
        }
        QVERIFY2(w, qPrintable(windowClass + " was destroyed by its own commands"));

        // The window still works: back to its opening state, the valid input computes as in a fresh one.
        restore(c, initial, initialTables);
        m_where = windowClass + QStringLiteral("|valid input|after the attack");
        SetContext(m_where);
        const Texts after = runRecipe(w, c, recipe, QStringLiteral("attacked"));
        bool computed = false;
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            computed = computed || initial.value(it.key()) != it.value();
            if (after.value(it.key()) != it.value())
                fail(QStringLiteral("differs") + it.key(), QStringLiteral("%1 is \"%2\" where a fresh window shows \"%3\"")
                                                               .arg(it.key(), Short(after.value(it.key())), Short(it.value())));
        }
        if (!computed)
            fail(QStringLiteral("no result"), QStringLiteral("the valid input changed nothing"));
        // Closed full of hostile texts with the last item of every list chosen: whatever the window
        // keeps in the settings file must open again cleanly. Then a settings file written by hand.
        for (QComboBox *combo : c.combos)
            combo->setCurrentIndex(combo->count() - 1);
        fillWindow(w, c, fills.last());
        QApplication::processEvents();
        SetContext(windowClass + QStringLiteral(" closing"));
        delete w.data();
        reopen(*entry, fills, QStringLiteral("its own settings"), round);
        WriteFile(SettingsFilePath(), HostileSettings());
        reopen(*entry, fills, QStringLiteral("hand-written settings"), round);

        qInfo("%s: %d commands, %d presses, %lld ms", qPrintable(windowClass), static_cast<int>(c.presses.size()), round,
              clock.elapsed());
        QVERIFY2(m_failures.isEmpty(), qPrintable(QStringLiteral("\n") + m_failures.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(AllWindowsRobustnessTest)
#include "AllWindowsRobustnessTest.moc"
