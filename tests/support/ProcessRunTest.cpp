// The runner every test starts programs through: a program that hangs, crashes or cannot start
// fails its run (status -1) rather than passing for an exit status of 0.
#include "support/ProcessRun.h"

#include <gtest/gtest.h>

using namespace quorvil::test;

namespace {

TEST(ProcessRun, StatusOutputAndInputOfAProgramThatEnds)
{
    const ProgramRun run = RunProgram("/bin/sh", {"-c", "cat; echo fault >&2; exit 3"}, "P1,1,2\r\n");
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, QByteArray("P1,1,2\r\n"));
    EXPECT_EQ(run.err, QByteArray("fault\n"));
    EXPECT_TRUE(run.failure.isEmpty());
}

TEST(ProcessRun, HangCrashAndMissingProgramFail)
{
    const struct {
        const char *label;
        QString program;
        QStringList arguments;
        const char *failure;
    } cases[] = {
        {"hangs", "/bin/sh", {"-c", "exec sleep 30"}, "hung, killed after 1 s"},
        {"crashes", "/bin/sh", {"-c", "kill -SEGV $$"}, "crashed"},
        {"is not there", "/nonexistent/program", {}, "did not start"},
    };
    for (const auto &c : cases) {
        const ProgramRun run = RunProgram(c.program, c.arguments, {}, {}, 1);
        EXPECT_EQ(run.status, -1) << c.label;
        EXPECT_TRUE(run.failure.contains(QString::fromUtf8(c.failure))) << c.label << ": " << run.failure.toStdString();
    }
}

TEST(ProcessRun, PythonRunsInTheWorkingDirectoryGiven)
{
    const ProgramRun run = RunPythonProgram({"-c", "import os; print(os.getcwd())"}, {}, "/tmp");
    ASSERT_EQ(run.status, 0) << run.diagnosis().toStdString();
    EXPECT_EQ(run.out.trimmed(), QByteArray("/tmp"));
    EXPECT_FALSE(PythonHasModule("no_such_module_for_quorvil"));
}

} // namespace
