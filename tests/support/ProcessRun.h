// Programs the tests run to their end: the program under test, and the independent readers and
// references in Python (/usr/bin/python3, with Debian's python3-docx, python3-openpyxl,
// python3-ezdxf). A program that has not ended after a generous time is killed and its run
// fails: a hang never passes for an exit status of 0.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quorvil::test {

// How a program ran.
struct ProgramRun {
    int status = -1;   // its exit status; -1 when it did not start, crashed or hung
    QByteArray out, err;
    QString failure;   // why status is -1: "did not start", "crashed", "hung, killed after N s"

    // Standard error and the failure, for the message of an assertion.
    QString diagnosis() const;
};

// Longer than any run of the suite takes on a slow machine under the sanitizers: only a program
// that makes no more progress waits this long.
inline constexpr int HangSeconds = 600;

// Runs `program` with `arguments`, `input` on its standard input, in `workingDirectory` (the
// test's own when empty); kills it after `hangSeconds`.
ProgramRun RunProgram(const QString &program, const QStringList &arguments, const QByteArray &input = {},
                      const QString &workingDirectory = {}, int hangSeconds = HangSeconds);

// Runs /usr/bin/python3 with `arguments`: a script's path or "-c" and code, then the script's own.
ProgramRun RunPythonProgram(const QStringList &arguments, const QByteArray &input = {},
                            const QString &workingDirectory = {});

// Whether /usr/bin/python3 can import `module` (docx, openpyxl, ezdxf).
bool PythonHasModule(const QString &module);

} // namespace quorvil::test
