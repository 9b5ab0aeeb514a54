// Helpers for window tests: a scripted stand-in for the prompts service and small functions that
// drive a window by object names, as a user would.
#pragma once

#include "support/ProcessRun.h"

#include "cad/CadSession.h"
#include "ui/PointTableModel.h"
#include "ui/PointTableView.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QMimeData>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <deque>

namespace quorvil::test {

// Answers the program's dialogs from queues and records every message shown. Installed for its
// lifetime. An empty queue answers "cancel" (dialogs) or "No" (overwrite).
class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts();
    ~ScriptedPrompts() override;

    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<bool> overwriteAnswers;
    std::deque<QMessageBox::StandardButton> messageAnswers;

    QStringList errors;          // texts of showError
    QStringList messages;        // texts of showMessage
    QStringList messageCaptions; // captions of showMessage
    QList<FileDialogSpec> openDialogs;
    QList<FileDialogSpec> saveDialogs;
    int overwriteQuestions = 0;

    QString openFileName(QWidget *parent, const FileDialogSpec &dialog) override;
    QString saveFileName(QWidget *parent, const FileDialogSpec &dialog) override;
    bool confirmOverwrite(QWidget *parent) override;
    void showError(QWidget *parent, const QString &text) override;
    QMessageBox::StandardButton showMessage(QWidget *parent, const QString &text, const QString &caption,
                                            QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) override;
};

// Finds a named child or fails the test (returns nullptr after QFAIL-style message).
template <typename T>
T *Named(const QObject *parent, const QString &name)
{
    return parent->findChild<T *>(name);
}

// Presses a button or toolbar action by object name. Returns false if there is none.
bool Press(QWidget *window, const QString &name);

PointTableModel *Table(QWidget *window, const QString &name);
void SetCell(QWidget *window, const QString &table, int row, int column, const QString &text);
QString Cell(QWidget *window, const QString &table, int row, int column);
void SetRow(QWidget *window, const QString &table, int row, const QStringList &texts);
// A line edit's text, a list's item by its text, or a check box "on" (anything else: off).
void SetField(QWidget *window, const QString &name, const QString &text);
QString Field(QWidget *window, const QString &name);
QStringList Fields(QWidget *window, const QStringList &names);
// The text a named control shows: a line edit, a text box (QPlainTextEdit), a label or a list's
// current item.
QString Text(QWidget *window, const QString &name);
// The captions of the toolbar buttons in the group box that holds the named table, in order, and
// whether that toolbar stands above the table.
QStringList ToolBarCaptions(QWidget *window, const QString &table, bool *above = nullptr);

// Whole rows: SetRows gives the table exactly these rows; Rows reads columns
// [firstColumn, firstColumn + columns) of every row (all columns by default).
void SetRows(QWidget *window, const QString &table, const QList<QStringList> &rows);
QStringList Row(QWidget *window, const QString &table, int row);
QList<QStringList> Rows(QWidget *window, const QString &table, int firstColumn = 0, int columns = -1);

// Fills each named table with 60 rows and returns what does not show whole: a horizontal scroll
// bar, or a column narrower than its caption. Empty when every column shows.
QString ColumnsCutOff(QWidget *window, const QStringList &tables);

// Resizes the window to `width` and returns the width the named group then has.
int GroupWidthAt(QWidget *window, int width, int height, const QString &group);

// Writes `bytes` to a file and returns its path.
QString WriteFile(const QString &path, const QByteArray &bytes);
QByteArray ReadFile(const QString &path);

// The calls a scripted CAD session recorded, one line each: the name, then the points as (x,y,z),
// the numbers and the texts, numbers with up to 12 significant digits, and "#handle" of the entity
// made or worked on. Calls named in `skip`
// (prompts, say) are left out.
QStringList CallLog(const ScriptedCadSession &cad, const QStringList &skip = {});
// The prompts of the GetString and GetPoint calls, in order.
QStringList CadPrompts(const ScriptedCadSession &cad);

// A scripted drawing session that the tools attach to while it lives.
struct ActiveCadSession : ScriptedCadSession {
    ActiveCadSession() { CadSession::setActive(this); }
    ~ActiveCadSession() override { CadSession::setActive(nullptr); }
};

// The verdicts the line of limits of an adjustment window shows, in order; and the whole line as
// the command line (separator "  ") or the report (four blanks) writes it, with the standard
// chosen. Empty for a window without closures.
QStringList VerdictTexts(QWidget *window);
QString LimitLineOf(QWidget *window, const QString &separator);
// Runs Python code with /usr/bin/python3 (the independent readers: python-docx, ezdxf) and
// returns the JSON object it prints; {"error": stderr} when it fails.
QJsonObject RunPythonJson(const char *script, const QStringList &arguments);

// Grabs the widget to a PNG (offscreen) and returns whether it was written.
bool GrabTo(QWidget *widget, const QString &path);

// The clipboard as another program leaves it: text, or any mime data (an image, say).
void PutOnClipboard(const QString &text);
void PutOnClipboard(QMimeData *data);
QString ClipboardText();

// Runs Python code with /usr/bin/python3 (openpyxl, docx, ezdxf); returns its standard output.
// Fails the test when the script fails.
QString RunPython(const QString &script, const QStringList &args = {});

} // namespace quorvil::test
