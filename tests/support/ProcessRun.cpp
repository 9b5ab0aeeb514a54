#include "ProcessRun.h"

#include <QProcess>

namespace quorvil::test {

QString ProgramRun::diagnosis() const
{
    QString text = QString::fromUtf8(err);
    if (!failure.isEmpty())
        text = failure + (text.isEmpty() ? QString() : QStringLiteral(": ") + text);
    return text;
}

ProgramRun RunProgram(const QString &program, const QStringList &arguments, const QByteArray &input,
                      const QString &workingDirectory, int hangSeconds)
{
    ProgramRun run;
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    if (!process.waitForStarted(hangSeconds * 1000)) {
        run.failure = QStringLiteral("%1 did not start: %2").arg(program, process.errorString());
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(hangSeconds * 1000)) {
        process.kill();
        process.waitForFinished(-1);
        run.failure = QStringLiteral("%1 hung, killed after %2 s").arg(program).arg(hangSeconds);
    } else if (process.exitStatus() != QProcess::NormalExit) {
        run.failure = QStringLiteral("%1 crashed").arg(program);
    } else {
        run.status = process.exitCode();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

ProgramRun RunPythonProgram(const QStringList &arguments, const QByteArray &input, const QString &workingDirectory)
{
    return RunProgram(QStringLiteral("/usr/bin/python3"), arguments, input, workingDirectory);
}

bool PythonHasModule(const QString &module)
{
    return RunPythonProgram({QStringLiteral("-c"), QStringLiteral("import ") + module}).status == 0;
}

} // namespace quorvil::test
