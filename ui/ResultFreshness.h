// Whether the results a window shows still belong to its input.
//
// A window names what one of its computations reads - tables, and the fields, lists and options
// of its parameters - and runs that computation through this object. When the computation has
// ended, the input as it then stood is remembered: the revision of each table's history and the
// texts of the fields. As soon as the input differs from it (a cell edited, a paste, an import,
// another parameter) the results are stale: the notice "数据已修改，请重新计算" shows where the
// user reads them and the results are drawn grey, until the next computation - or until the input
// is back as it was (the edit undone). Saving stale results first asks whether to compute again.
//
// The revision makes a change of a table of a million rows as cheap to judge as one of ten rows.
// What a computation writes into its own table (a traverse, a field book) is no step of the
// history, and so no change.
#pragma once

#include <QList>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

class QGroupBox;
class QLabel;
class QWidget;

namespace quorvil {

class PointTableModel;
class PointTableView;

namespace ResultTexts {
inline const QString Stale = QStringLiteral("数据已修改，请重新计算");
// The question before stale results are used: `use` names what is done with them ("保存").
inline QString RecomputeQuestion(const QString &use = QStringLiteral("保存"))
{
    return QStringLiteral("数据已修改，计算结果与现在的数据不符。\n先重新计算再%1吗？\n\n"
                          "是：重新计算后%1\n否：%1原来的计算结果\n取消：不%1")
        .arg(use);
}
} // namespace ResultTexts

class ResultFreshness : public QObject {
    Q_OBJECT

public:
    // `window` asks the questions; `compute` is the computation (it throws to fail).
    ResultFreshness(QWidget *window, std::function<void()> compute);

    // A table the results are computed from: every change of the user (an edit, a paste, an
    // insert, a delete, an undo, an import) counts. With columns listed, only their texts count
    // (read in full at each change: for tables of a survey line, not of a million points).
    void watch(PointTableModel *table, const QList<int> &columns = {});
    // `area` itself when it is a field, list or option, and every one inside it, but `except`.
    void watch(QWidget *area, const QList<QWidget *> &except = {});
    // Any other input: `value` gives its state, re-read when `sender` emits `signal`.
    template <typename Sender, typename Signal>
    void watchValue(const Sender *sender, Signal signal, std::function<QString()> value)
    {
        Source field;
        field.value = std::move(value);
        const size_t source = add(std::move(field));
        connect(sender, signal, this, [this, source] { refresh(source); });
    }

    // Runs the computation; when it ends without an error the results are fresh.
    void compute();
    // The window's own computation has just ended without an error (for windows whose commands
    // call it directly).
    void markComputed();
    // The results were emptied: nothing shown can be stale.
    void clear();

    bool isStale() const { return m_stale; }

    // Before stale results are saved (or used as `use` says): asks whether to compute again. 是
    // computes (an error ends the command, nothing is saved), 否 keeps the results as they are,
    // 取消 cancels. Returns whether the save goes on; fresh results go on without a question.
    bool confirmSave(const QString &use = QStringLiteral("保存"));

    // A label "数据已修改，请重新计算" (object name LabStale) shown while the results are stale.
    QLabel *makeNotice(QWidget *parent);
    // Shows the notice under `table` in its group (inserted after the table), and draws the
    // table grey while stale when it is a result table.
    void showIn(QGroupBox *group, PointTableView *table);
    // Widgets (result tables, a summary) drawn in the disabled text colour while stale.
    void greyWhileStale(std::initializer_list<QWidget *> widgets);

signals:
    void staleChanged(bool stale);

private:
    struct Source {
        std::function<QString()> value; // fields and lists
        std::function<size_t()> hash;   // tables
        bool costly = false;            // re-read only when it changes itself
        size_t current = 0;
        size_t computed = 0;
    };
    size_t add(Source source);
    static size_t read(const Source &source);
    void refresh(size_t source);
    void setStale(bool stale);

    QWidget *m_window;
    std::function<void()> m_compute;
    std::vector<Source> m_sources;
    bool m_hasResults = false;
    bool m_stale = false;
    QList<QPointer<QLabel>> m_notices;
    struct Greyed {
        QPointer<QWidget> widget;
        QPalette palette;
    };
    QList<Greyed> m_greyed;
};

} // namespace quorvil
