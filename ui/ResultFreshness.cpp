#include "ResultFreshness.h"

#include "PointTableModel.h"
#include "PointTableView.h"
#include "Prompts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QBoxLayout>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>

namespace quorvil {

namespace {

// The notice stands out from the results it speaks of.
const QString NoticeStyle = QStringLiteral("color: #c05000; font-weight: bold;");

// The fingerprint of a table: the revision its history gives the user's changes (an undo returns
// to an earlier one), with its size, which the tools change outside the history (new captions, a
// row count set). With columns listed, the cells of those columns instead: a change elsewhere is
// then no change, at the cost of reading them.
size_t TableFingerprint(const PointTableModel &table, const QList<int> &columns)
{
    size_t hash = qHashMulti(0, table.rows(), table.columns());
    if (columns.isEmpty())
        return qHashMulti(hash, table.revision());
    for (int r = 0; r < table.rows(); ++r)
        for (int c : columns)
            hash = hash * 1000003u ^ qHash(table.cell(r, c));
    return hash;
}

bool InsideItemView(const QWidget *widget)
{
    for (const QWidget *w = widget->parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<const QAbstractItemView *>(w))
            return true;
    return false;
}

} // namespace

ResultFreshness::ResultFreshness(QWidget *window, std::function<void()> compute)
    : QObject(window), m_window(window), m_compute(std::move(compute))
{
}

size_t ResultFreshness::read(const Source &source)
{
    return source.hash ? source.hash() : qHash(source.value());
}

size_t ResultFreshness::add(Source source)
{
    source.current = source.computed = read(source);
    m_sources.push_back(std::move(source));
    return m_sources.size() - 1;
}

void ResultFreshness::watch(PointTableModel *table, const QList<int> &columns)
{
    const QPointer<PointTableModel> model(table);
    Source cells;
    cells.hash = [model, columns] { return model ? TableFingerprint(*model, columns) : 0; };
    cells.costly = true;
    const size_t source = add(std::move(cells));
    // What the user changes is a step of the table's history; new captions reset the model.
    connect(table, &PointTableModel::historyChanged, this, [this, source] { refresh(source); });
    connect(table, &QAbstractItemModel::modelReset, this, [this, source] { refresh(source); });
}

void ResultFreshness::watch(QWidget *area, const QList<QWidget *> &except)
{
    QList<QWidget *> widgets = area->findChildren<QWidget *>();
    widgets.prepend(area);
    for (QWidget *w : widgets) {
        if (except.contains(w) || InsideItemView(w))
            continue;
        // The values are read through guarded pointers: the fields of a window that is being
        // destroyed may go before this object.
        if (auto *line = qobject_cast<QLineEdit *>(w)) {
            // A list's own line is the list's; a spin box's line holds its value.
            if (qobject_cast<QComboBox *>(line->parentWidget()))
                continue;
            const QPointer<QLineEdit> field(line);
            watchValue(line, &QLineEdit::textChanged, [field] { return field ? field->text() : QString(); });
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            const QPointer<QComboBox> list(combo);
            auto value = [list] { return list ? QString::number(list->currentIndex()) + u'\n' + list->currentText() : QString(); };
            watchValue(combo, &QComboBox::currentIndexChanged, value);
            if (combo->isEditable())
                watchValue(combo, &QComboBox::currentTextChanged, value);
        } else if (auto *button = qobject_cast<QAbstractButton *>(w); button && button->isCheckable()) {
            const QPointer<QAbstractButton> option(button);
            watchValue(button, &QAbstractButton::toggled, [option] { return option && option->isChecked() ? QStringLiteral("1") : QString(); });
        }
    }
}

void ResultFreshness::refresh(size_t changed)
{
    if (!m_hasResults)
        return; // nothing to compare with: the input is read when it is computed
    // The fields are cheap to read: all are read again, so that one that depends on another (an
    // error that counts only in the rigorous method) follows it. A table is read when it changes.
    for (size_t i = 0; i < m_sources.size(); ++i)
        if (i == changed || !m_sources[i].costly)
            m_sources[i].current = read(m_sources[i]);
    bool differs = false;
    for (const Source &s : m_sources)
        differs = differs || s.current != s.computed;
    setStale(m_hasResults && differs);
}

void ResultFreshness::compute()
{
    m_compute();
    markComputed();
}

void ResultFreshness::markComputed()
{
    for (Source &s : m_sources)
        s.current = s.computed = read(s);
    m_hasResults = true;
    setStale(false);
}

void ResultFreshness::clear()
{
    m_hasResults = false;
    setStale(false);
}

bool ResultFreshness::confirmSave(const QString &use)
{
    if (!m_stale)
        return true;
    switch (Prompts::instance().showMessage(m_window, ResultTexts::RecomputeQuestion(use), MessageCaption(m_window),
                                            QMessageBox::Question,
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        compute();
        return true;
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

QLabel *ResultFreshness::makeNotice(QWidget *parent)
{
    auto *notice = new QLabel(ResultTexts::Stale, parent);
    notice->setObjectName(QStringLiteral("LabStale"));
    notice->setStyleSheet(NoticeStyle);
    notice->setVisible(m_stale);
    m_notices.append(notice);
    return notice;
}

void ResultFreshness::showIn(QGroupBox *group, PointTableView *table)
{
    auto *layout = qobject_cast<QBoxLayout *>(group->layout());
    if (!layout)
        return;
    layout->insertWidget(layout->indexOf(table) + 1, makeNotice(group));
    if (!table->table()->isEditable())
        greyWhileStale({table});
}

void ResultFreshness::greyWhileStale(std::initializer_list<QWidget *> widgets)
{
    for (QWidget *widget : widgets)
        m_greyed.append({widget, widget->palette()});
}

void ResultFreshness::setStale(bool stale)
{
    if (stale == m_stale)
        return;
    m_stale = stale;
    for (const QPointer<QLabel> &notice : std::as_const(m_notices))
        if (notice)
            notice->setVisible(stale);
    for (const Greyed &g : std::as_const(m_greyed)) {
        if (!g.widget)
            continue;
        QPalette palette = g.palette;
        if (stale) {
            const QColor grey = palette.color(QPalette::Disabled, QPalette::Text);
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                palette.setColor(group, QPalette::Text, grey);
                palette.setColor(group, QPalette::WindowText, grey);
            }
        }
        g.widget->setPalette(palette);
    }
    emit staleChanged(stale);
}

} // namespace quorvil
