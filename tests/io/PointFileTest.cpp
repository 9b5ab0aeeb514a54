#include "io/FileErrors.h"
#include "io/PointFile.h"
#include "io/TextCodec.h"
#include "support/FileTestSupport.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorvil;
using quorvil::test::ReadBytes;
using quorvil::test::WriteBytes;

namespace {

struct SplitCase {
    const char *line;
    int count;
    QStringList fields;
};

TEST(SplitFields, FieldRule)
{
    const SplitCase cases[] = {
        {"A,1,2", 3, {"A", "1", "2"}},
        {"P1,100", 3, {"P1", "100", "0"}},
        {"A,1,2,3,4", 3, {"A", "1", "2"}},
        {"", 3, {"", "0", "0"}},
        {"B,3", 3, {"B", "3", "0"}},
        {"A, 1.5,2", 3, {"A", " 1.5", "2"}},
        {",,", 3, {"", "", ""}},
        {"A,1,2,", 3, {"A", "1", "2"}},
        {"A,1", 4, {"A", "1", "0", "0"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SplitFields(QString::fromUtf8(c.line), c.count), c.fields) << "line '" << c.line << "'";
    EXPECT_EQ(SplitFields(u"A,1", 4, QString()), (QStringList{"A", "1", "", ""})) << "missing fields left empty";
}

TEST(ReadPointFile, LinesBlankLinesAndFinalBreak)
{
    QTemporaryDir dir;
    const QString path = WriteBytes(dir, "a.txt", "A,1,2\r\n\r\nB,3\r\n");
    const QList<QStringList> rows = ReadPointFile(path, 3);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], (QStringList{"A", "1", "2"}));
    EXPECT_EQ(rows[1], (QStringList{"", "0", "0"}));
    EXPECT_EQ(rows[2], (QStringList{"B", "3", "0"}));

    EXPECT_EQ(ReadPointFile(WriteBytes(dir, "b.txt", "A,1,2"), 3).size(), 1) << "no final line break";
    EXPECT_EQ(ReadPointFile(WriteBytes(dir, "c.txt", ""), 3).size(), 0) << "empty file";
    EXPECT_EQ(ReadPointFile(WriteBytes(dir, "d.txt", "A,1,2\nB,3,4\n"), 3).size(), 2) << "LF line ends";
}

TEST(ReadPointFile, MissingFileIsFileNotFound)
{
    try {
        ReadPointFile("/nonexistent/folder/x.txt", 3);
        FAIL();
    } catch (const FileError &e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

TEST(ReadPointFile, UnreadableIsAnIoError)
{
    QTemporaryDir dir;
    // A folder cannot be read as a file.
    try {
        ReadPointFile(dir.path(), 3);
        FAIL();
    } catch (const FileError &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith("I/O error ")) << e.what();
    }
}

TEST(Encoding, ChineseNamesSurviveBothWays)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("导线点一");
    // Written by the program: GB18030 bytes, read back the same.
    const QString path = dir.filePath("gb.txt");
    WriteTextLines(path, {name + ",1.000,2.000"});
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    QStringDecoder gb("GB18030");
    EXPECT_EQ(QString(gb.decode(bytes)), name + ",1.000,2.000\r\n");
    EXPECT_EQ(ReadPointFile(path, 3).at(0).at(0), name);

    // UTF-8 with and without byte-order mark.
    EXPECT_EQ(ReadPointFile(WriteBytes(dir, "u8.txt", (name + ",1,2").toUtf8()), 3).at(0).at(0), name);
    EXPECT_EQ(ReadPointFile(WriteBytes(dir, "bom.txt", "\xEF\xBB\xBF" + (name + ",1,2").toUtf8()), 3).at(0).at(0), name);
}

TEST(Encoding, InvalidBytesAndBinaryDoNotCrash)
{
    QTemporaryDir dir;
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(static_cast<char>((i * 7919) & 0xFF));
    const auto rows = ReadPointFile(WriteBytes(dir, "bin.dat", binary), 3);
    EXPECT_GT(rows.size(), 0);
    for (const auto &row : rows)
        EXPECT_EQ(row.size(), 3);
    const auto invalid = ReadPointFile(WriteBytes(dir, "bad.txt", "\xFF\xFE\x80,1,2\r\n"), 3);
    ASSERT_EQ(invalid.size(), 1);
    EXPECT_EQ(invalid[0][1], "1");
}

TEST(ReadPointFile, VeryLongLineKeepsOnlyItsFields)
{
    QTemporaryDir dir;
    QByteArray line = "P";
    for (int i = 0; i < 100000; ++i)
        line += "," + QByteArray::number(i);
    const auto rows = ReadPointFile(WriteBytes(dir, "long.txt", line), 3);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], (QStringList{"P", "0", "1"}));
}

TEST(WriteTextLines, AtomicAndCrLf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    WriteTextLines(path, {"A,1.000,2.000", ",,"});
    EXPECT_EQ(ReadBytes(path), QByteArray("A,1.000,2.000\r\n,,\r\n"));

    // A save into a folder that does not exist fails and creates nothing.
    EXPECT_THROW(WriteTextLines(dir.filePath("missing/out.txt"), {"x"}), FileError);

    // A failed save leaves the old file whole: a read-only folder refuses the new file.
    QDir(dir.path()).mkdir("ro");
    const QString kept = dir.filePath("ro/kept.txt");
    WriteTextLines(kept, {"old"});
    QFile::setPermissions(dir.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFileInfo(dir.filePath("ro")).isWritable()) { // root ignores permissions
        EXPECT_THROW(WriteTextLines(kept, {"new"}), FileError);
        EXPECT_EQ(ReadBytes(kept), QByteArray("old\r\n"));
    }
    QFile::setPermissions(dir.filePath("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(WriteTextLines, DiskFullIsReported)
{
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP();
    // /dev/full accepts opening and fails every write with ENOSPC. An atomic save cannot replace a
    // device, so write through a symlinked path is not possible; check the mapping directly.
    QFile full("/dev/full");
    ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    EXPECT_EQ(full.write("x", 1), -1);
    EXPECT_STREQ(FileError::DiskFull().what(), "Disk full");
    EXPECT_STREQ(FileError::Io(5).what(), "I/O error 5");
}

} // namespace
