// Reading a whole file and writing one atomically: what a failure says (the step, and the general
// message the point files show), and that a write that does not finish leaves the old file whole.
#include "io/FileAccess.h"
#include "support/FileTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace quorvil;
using quorvil::test::ReadBytes;
using quorvil::test::WriteBytes;
using Step = FileAccessError::Step;

namespace {

template <typename Call>
FileAccessError FailureOf(Call call)
{
    try {
        call();
    } catch (const FileAccessError &e) {
        return e;
    }
    ADD_FAILURE() << "no FileAccessError";
    return FileAccessError(Step::Open, 0, 0, {});
}

TEST(FileAccess, GeneralMessageOfEachFailure)
{
    const struct {
        Step step;
        int systemError;
        const char *message;
    } cases[] = {
        {Step::Missing, ENOENT, "File not found"}, {Step::Open, EACCES, "I/O error 13"},
        {Step::Open, 0, "I/O error 5"},            {Step::Read, EIO, "I/O error 5"},
        {Step::Write, ENOSPC, "Disk full"},        {Step::Commit, ENOSPC, "Disk full"},
        {Step::Open, ENOSPC, "I/O error 28"},      {Step::Commit, 0, "I/O error 5"},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(FileAccessError(c.step, c.systemError, 0, {}).what(), c.message) << "errno " << c.systemError;
}

TEST(FileAccess, ReadsWholeFilesAndSaysWhatFailed)
{
    QTemporaryDir dir;
    const QByteArray bytes("P1,1,2\r\n\0\xFF", 10);
    EXPECT_EQ(ReadWholeFile(WriteBytes(dir, "a.txt", bytes)), bytes);
    EXPECT_EQ(ReadWholeFile(WriteBytes(dir, "empty.txt", {})), QByteArray());

    const FileAccessError missing = FailureOf([&] { ReadWholeFile(dir.filePath("none.txt")); });
    EXPECT_EQ(missing.step(), Step::Missing);
    EXPECT_STREQ(missing.what(), "File not found");

    // A folder is no file: it cannot be opened or read as one.
    const FileAccessError folder = FailureOf([&] { ReadWholeFile(dir.path()); });
    EXPECT_TRUE(folder.step() == Step::Open || folder.step() == Step::Read);
    EXPECT_TRUE(QString::fromUtf8(folder.what()).startsWith("I/O error ")) << folder.what();
    EXPECT_FALSE(folder.reason().isEmpty());
}

TEST(FileAccess, WritesReplaceTheOldFileOnlyWhenDone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    WriteFileAtomically(path, "old\r\n");
    EXPECT_EQ(ReadBytes(path), QByteArray("old\r\n"));

    {
        AtomicFileWriter writer(path);
        writer.write("new ");
        writer.write("pieces");
        EXPECT_EQ(ReadBytes(path), QByteArray("old\r\n")) << "replaced before commit";
        writer.commit();
    }
    EXPECT_EQ(ReadBytes(path), QByteArray("new pieces"));

    // Cancelled, or dropped without commit: the old file stays and nothing is left beside it.
    {
        AtomicFileWriter writer(path);
        writer.write("lost");
        writer.cancel();
    }
    {
        AtomicFileWriter writer(path);
        writer.write("lost too");
    }
    {
        AtomicFileWriter writer(dir.filePath("never.txt"));
        writer.write("x");
    }
    EXPECT_EQ(ReadBytes(path), QByteArray("new pieces"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.txt"});
}

TEST(FileAccess, WriteFailuresSayWhichStep)
{
    QTemporaryDir dir;
    const FileAccessError missing = FailureOf([&] { WriteFileAtomically(dir.filePath("no/out.txt"), "x"); });
    EXPECT_EQ(missing.step(), Step::Missing) << "a folder that does not exist";
    EXPECT_STREQ(missing.what(), "File not found");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));

    // A folder in the file's place cannot be replaced by it.
    QDir(dir.path()).mkpath("taken/inside");
    const FileAccessError taken = FailureOf([&] { WriteFileAtomically(dir.filePath("taken"), "x"); });
    EXPECT_EQ(taken.step(), Step::Open);
    EXPECT_TRUE(QString::fromUtf8(taken.what()).startsWith("I/O error ")) << taken.what();
    EXPECT_NE(taken.deviceError(), 0);
    EXPECT_FALSE(taken.reason().isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath("taken/inside")).isDir());

    QDir(dir.path()).mkdir("ro");
    const QString kept = WriteBytes(dir, "ro/kept.txt", "old");
    QFile::setPermissions(dir.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFileInfo(dir.filePath("ro")).isWritable()) { // root ignores permissions
        const FileAccessError refused = FailureOf([&] { WriteFileAtomically(kept, "new"); });
        EXPECT_EQ(refused.step(), Step::Open);
        EXPECT_EQ(refused.systemError(), EACCES);
        EXPECT_STREQ(refused.what(), "I/O error 13");
        EXPECT_EQ(ReadBytes(kept), QByteArray("old"));
    }
    QFile::setPermissions(dir.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
