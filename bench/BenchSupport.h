// Stand-ins of the benchmarks that drive windows: prompts answered without dialogs and a drawing
// session that keeps nothing, so that the time measured is the program's own.
#pragma once

#include "cad/CadSession.h"
#include "ui/Prompts.h"

#include <QAction>
#include <QElapsedTimer>
#include <QWidget>

#include <cstdio>

namespace quorvil {

// Answers the save dialog with one file and every question with yes; prints errors.
class BenchPrompts : public Prompts {
public:
    QString file;
    QString openFileName(QWidget *, const FileDialogSpec &) override { return {}; }
    QString saveFileName(QWidget *, const FileDialogSpec &) override { return file; }
    bool confirmOverwrite(QWidget *) override { return true; }
    void showError(QWidget *, const QString &text) override { std::printf("error: %s\n", qPrintable(text)); }
    QMessageBox::StandardButton showMessage(QWidget *, const QString &text, const QString &, QMessageBox::Icon,
                                            QMessageBox::StandardButtons) override
    {
        std::printf("message: %s\n", qPrintable(text));
        return QMessageBox::Yes;
    }
};

// A drawing that keeps nothing: the cost measured is the program's own.
class NullCadSession : public CadSession {
public:
    std::size_t calls = 0;
    double GetVariable(const QString &) override { return 1; }
    QString GetString(bool, const QString &) override { throw CadCancelled(); }
    CadPoint GetPoint(const QString &) override { throw CadCancelled(); }
    CadPoint GetPoint(const CadPoint &, const QString &) override { throw CadCancelled(); }
    CadHandle AddPoint(const CadPoint &) override { return ++calls; }
    CadHandle AddCircle(const CadPoint &, double) override { return ++calls; }
    CadHandle AddLine(const CadPoint &, const CadPoint &) override { return ++calls; }
    CadHandle AddEllipse(const CadPoint &, const CadPoint &, double) override { return ++calls; }
    QString SetActiveLayer(const QString &, int) override { return QStringLiteral("0"); }
    CadHandle AddLightWeightPolyLine(const std::vector<double> &) override { return ++calls; }
    CadHandle AddText(const QString &, const CadPoint &, double) override { return ++calls; }
    CadHandle AddHatch(int, const QString &, bool) override { return ++calls; }
    void AppendOuterLoop(CadHandle, const std::vector<CadHandle> &) override { ++calls; }
    CadHandle InsertBlock(const CadPoint &, const QString &, double, double, double, double) override { return ++calls; }
    void Update(CadHandle) override { ++calls; }
    int EraseLayers(const QStringList &) override { ++calls; return 0; }
    void ZoomExtents() override { ++calls; }
};

// Triggers a window's action by object name and returns the seconds it took.
inline double Press(QWidget *window, const char *name)
{
    QElapsedTimer timer;
    timer.start();
    window->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace quorvil
