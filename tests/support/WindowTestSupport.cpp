#include "WindowTestSupport.h"


#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QClipboard>
#include <QPixmap>

namespace quorvil::test {

ScriptedPrompts::ScriptedPrompts() { Prompts::install(this); }
ScriptedPrompts::~ScriptedPrompts() { Prompts::install(nullptr); }

QString ScriptedPrompts::openFileName(QWidget *, const FileDialogSpec &dialog)
{
    openDialogs.append(dialog);
    if (openAnswers.empty())
        return {};
    QString answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

QString ScriptedPrompts::saveFileName(QWidget *, const FileDialogSpec &dialog)
{
    saveDialogs.append(dialog);
    if (saveAnswers.empty())
        return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

bool ScriptedPrompts::confirmOverwrite(QWidget *)
{
    ++overwriteQuestions;
    if (overwriteAnswers.empty())
        return false;
    const bool answer = overwriteAnswers.front();
    overwriteAnswers.pop_front();
    return answer;
}

void ScriptedPrompts::showError(QWidget *, const QString &text)
{
    errors.append(text);
}

QMessageBox::StandardButton ScriptedPrompts::showMessage(QWidget *, const QString &text, const QString &caption,
                                                         QMessageBox::Icon, QMessageBox::StandardButtons buttons)
{
    messages.append(text);
    messageCaptions.append(caption);
    if (!messageAnswers.empty()) {
        const auto answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    // The first button offered, as a user pressing Enter would.
    for (auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        if (buttons & b)
            return b;
    return QMessageBox::Ok;
}

bool Press(QWidget *window, const QString &name)
{
    if (auto *action = window->findChild<QAction *>(name)) {
        action->trigger();
        return true;
    }
    if (auto *button = window->findChild<QAbstractButton *>(name)) {
        button->click();
        return true;
    }
    return false;
}

PointTableModel *Table(QWidget *window, const QString &name)
{
    auto *view = window->findChild<PointTableView *>(name);
    return view ? view->table() : nullptr;
}

void SetCell(QWidget *window, const QString &table, int row, int column, const QString &text)
{
    PointTableModel *model = Table(window, table);
    if (row >= model->rows())
        model->setRowCount(row + 1);
    model->setData(model->index(row, column), text);
}

QString Cell(QWidget *window, const QString &table, int row, int column)
{
    return Table(window, table)->cell(row, column);
}

void SetRow(QWidget *window, const QString &table, int row, const QStringList &texts)
{
    for (int c = 0; c < texts.size(); ++c)
        SetCell(window, table, row, c, texts.at(c));
}

void SetField(QWidget *window, const QString &name, const QString &text)
{
    if (auto *list = window->findChild<QComboBox *>(name)) {
        const int item = list->findText(text);
        QVERIFY2(item >= 0, qPrintable(name + ": no item " + text));
        list->setCurrentIndex(item);
    } else if (auto *option = window->findChild<QAbstractButton *>(name)) {
        option->setChecked(text == QStringLiteral("on"));
    } else {
        window->findChild<QLineEdit *>(name)->setText(text);
    }
}

QString Field(QWidget *window, const QString &name)
{
    return window->findChild<QLineEdit *>(name)->text();
}

QStringList Fields(QWidget *window, const QStringList &names)
{
    QStringList texts;
    for (const QString &name : names)
        texts += Field(window, name);
    return texts;
}

QString Text(QWidget *window, const QString &name)
{
    if (auto *edit = window->findChild<QLineEdit *>(name))
        return edit->text();
    if (auto *box = window->findChild<QPlainTextEdit *>(name))
        return box->toPlainText();
    if (auto *label = window->findChild<QLabel *>(name))
        return label->text();
    if (auto *list = window->findChild<QComboBox *>(name))
        return list->currentText();
    return {};
}

QStringList ToolBarCaptions(QWidget *window, const QString &table, bool *above)
{
    auto *view = window->findChild<PointTableView *>(table);
    QToolBar *bar = view && view->parentWidget() ? view->parentWidget()->findChild<QToolBar *>() : nullptr;
    QStringList captions;
    if (!bar)
        return captions;
    for (QAction *action : bar->actions())
        captions += action->text();
    if (above)
        *above = bar->geometry().bottom() <= view->geometry().top();
    return captions;
}

void SetRows(QWidget *window, const QString &table, const QList<QStringList> &rows)
{
    PointTableModel *model = Table(window, table);
    model->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        SetRow(window, table, r, rows.at(r));
}

QStringList Row(QWidget *window, const QString &table, int row)
{
    return Table(window, table)->rowTexts(row);
}

QList<QStringList> Rows(QWidget *window, const QString &table, int firstColumn, int columns)
{
    QList<QStringList> rows;
    PointTableModel *model = Table(window, table);
    for (int r = 0; r < model->rows(); ++r)
        rows += model->rowTexts(r).mid(firstColumn, columns);
    return rows;
}

QString ColumnsCutOff(QWidget *window, const QStringList &tables)
{
    for (const QString &name : tables) {
        auto *view = window->findChild<PointTableView *>(name);
        if (!view)
            return name + ": no such table";
        view->table()->setRowCount(60);
        if (!QTest::qWaitFor([view] { return view->verticalScrollBar()->isVisible(); }))
            return name + ": no vertical scroll bar for 60 rows";
        if (view->horizontalScrollBar()->isVisible())
            return name + ": horizontal scroll bar";
        for (int c = 0; c < view->table()->columns(); ++c)
            if (view->columnWidth(c) < view->horizontalHeader()->sectionSizeHint(c))
                return QStringLiteral("%1 column %2 narrower than its caption").arg(name).arg(c);
    }
    return {};
}

int GroupWidthAt(QWidget *window, int width, int height, const QString &group)
{
    window->resize(width, height);
    QCoreApplication::processEvents();
    return window->findChild<QGroupBox *>(group)->width();
}

QString WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QStringList VerdictTexts(QWidget *window)
{
    QStringList texts;
    for (const char *name : {"LimitFB", "LimitK", "LimitFh", "LimitGrade"})
        if (auto *label = window->findChild<QLabel *>(name); label && !label->isHidden())
            texts += label->text();
    return texts;
}

QString LimitLineOf(QWidget *window, const QString &separator)
{
    auto *standard = window->findChild<QComboBox *>("ComboStandard");
    if (!standard)
        return {};
    return "限差依据 " + standard->currentText() + "：" + VerdictTexts(window).join(separator);
}

bool GrabTo(QWidget *widget, const QString &path)
{
    widget->show();
    QApplication::processEvents();
    return widget->grab().save(path);
}

void PutOnClipboard(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

void PutOnClipboard(QMimeData *data)
{
    QGuiApplication::clipboard()->setMimeData(data);
}

QString ClipboardText()
{
    return QGuiApplication::clipboard()->text();
}

QString RunPython(const QString &script, const QStringList &args)
{
    const ProgramRun python = RunPythonProgram(QStringList{QStringLiteral("-c"), script} + args);
    if (python.status != 0)
        QTest::qFail(qPrintable(QStringLiteral("python failed: ") + python.diagnosis()), __FILE__, __LINE__);
    return QString::fromUtf8(python.out);
}

QStringList CallLog(const ScriptedCadSession &cad, const QStringList &skip)
{
    const auto number = [](double v) { return QString::number(v, 'g', 12); };
    QStringList log;
    for (const ScriptedCadSession::Call &call : cad.calls()) {
        if (skip.contains(call.name))
            continue;
        QStringList parts{call.name};
        for (const CadPoint &p : call.points)
            parts << QStringLiteral("(%1,%2,%3)").arg(number(p.x), number(p.y), number(p.z));
        for (double v : call.numbers)
            parts << number(v);
        parts << call.texts;
        if (call.handle != 0)
            parts << QStringLiteral("#%1").arg(call.handle);
        log << parts.join(u' ');
    }
    return log;
}

QStringList CadPrompts(const ScriptedCadSession &cad)
{
    QStringList prompts;
    for (const ScriptedCadSession::Call &call : cad.calls())
        if (call.name == u"GetString" || call.name == u"GetPoint")
            prompts << call.texts.value(0);
    return prompts;
}

QJsonObject RunPythonJson(const char *script, const QStringList &arguments)
{
    const ProgramRun python = RunPythonProgram(QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + arguments);
    if (python.status != 0)
        return {{"error", python.diagnosis()}};
    return QJsonDocument::fromJson(python.out).object();
}

} // namespace quorvil::test
