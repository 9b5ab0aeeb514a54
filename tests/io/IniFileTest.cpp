#include "core/Error.h"
#include "io/IniFile.h"
#include "support/FileTestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quorvil;
using quorvil::test::ReadBytes;
using quorvil::test::WriteBytes;

namespace {

TEST(IniFile, MissingFileGivesDefaults)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath("Quorvil.ini"));
    EXPECT_EQ(ini.readInt("JZBCL", "CJFS", 0), 0);
    EXPECT_EQ(ini.readString("CADBZBL", "a", "6378245.0"), "6378245.0");
    EXPECT_TRUE(ini.readBool("CADBZBL", "bzCircle", true));
    EXPECT_FALSE(QFile::exists(dir.filePath("Quorvil.ini"))) << "reading creates nothing";
}

TEST(IniFile, WritesSectionsAndKeysVerbatim)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorvil.ini");
    {
        IniFile ini(path);
        ini.writeInt("JZBCL", "CJFS", 2);
        ini.writeString("JZBCL", "hsX", "1,2;3=4 not a number");
        ini.writeBool("CADBZBL", "bzLine", false);
        ini.writeBool("CADBZBL", "bzCircle", true);
        ini.writeString("JZBCL", "czX", "");
        ini.save();
    }
    EXPECT_EQ(ReadBytes(path), QByteArray("[JZBCL]\r\nCJFS=2\r\nhsX=1,2;3=4 not a number\r\nczX=\r\n"
                                     "[CADBZBL]\r\nbzLine=0\r\nbzCircle=1\r\n"));
    IniFile again(path);
    EXPECT_EQ(again.readInt("JZBCL", "CJFS", 0), 2);
    EXPECT_EQ(again.readString("JZBCL", "hsX", ""), "1,2;3=4 not a number");
    EXPECT_EQ(again.readString("JZBCL", "czX", "default"), "") << "an empty value is present, not missing";
    EXPECT_FALSE(again.readBool("CADBZBL", "bzLine", true));
    EXPECT_TRUE(again.readBool("CADBZBL", "bzCircle", false));
}

TEST(IniFile, KeepsOtherSectionsAndUpdatesInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorvil.ini");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("; comment\r\n[Other]\r\nx=1\r\n[TFHJS]\r\nTQT=1\r\nTYD=0\r\n");
    file.close();
    IniFile ini(path);
    EXPECT_EQ(ini.readInt("tfhjs", "tqt", 0), 1) << "names are not case sensitive";
    ini.writeInt("TFHJS", "TYD", 1);
    ini.writeString("TFHJS", "a", "6378245.0");
    ini.save();
    EXPECT_EQ(ReadBytes(path), QByteArray("; comment\r\n[Other]\r\nx=1\r\n[TFHJS]\r\nTQT=1\r\nTYD=1\r\na=6378245.0\r\n"));
}

TEST(IniFile, BadIntegerReadsAsDefault)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Quorvil.ini");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("[JZBCL]\nCJFS=abc\nSJFS= 2 \nbz=7\n");
    file.close();
    IniFile ini(path);
    EXPECT_EQ(ini.readInt("JZBCL", "CJFS", 1), 1);
    EXPECT_EQ(ini.readInt("JZBCL", "SJFS", 0), 2);
    EXPECT_TRUE(ini.readBool("JZBCL", "bz", false)) << "any non-zero integer is true";
}

TEST(IniFile, UnwritableFileRaisesUnableToWrite)
{
    QTemporaryDir dir;
    // A regular file where the folder should be: neither the folder nor the file can be made.
    QFile blocker(dir.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir.filePath("blocker/Quorvil.ini");
    IniFile ini(path);
    ini.writeInt("JZBCL", "CJFS", 1);
    try {
        ini.save();
        FAIL();
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path.toStdString());
    }
}

TEST(IniFile, SaveMakesTheMissingConfigurationFolder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config/Quorvil/Quorvil.ini");
    IniFile ini(path);
    ini.writeInt("JZBCL", "CJFS", 2);
    ini.save();
    EXPECT_EQ(ReadBytes(path), "[JZBCL]\r\nCJFS=2\r\n");
}

TEST(IniFile, ExistingButUnreadableFileIsNeverReplaced)
{
    QTemporaryDir dir;
    // A folder in the place of the file cannot be read (not even by root).
    const QString path = dir.filePath("Quorvil.ini");
    ASSERT_TRUE(QDir().mkdir(path));
    IniFile ini(path);
    EXPECT_EQ(ini.readInt("JZBCL", "CJFS", 3), 3);
    ini.writeInt("JZBCL", "CJFS", 1);
    EXPECT_THROW(ini.save(), Error);
    EXPECT_TRUE(QFileInfo(path).isDir());
}

} // namespace

namespace {

TEST(SettingsFilePath, BesideTheProgramOrWhereTheTestsPointIt)
{
    static int argc = 1;
    static char name[] = "IniFileTest";
    static char *argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath("Quorvil.ini");
    ASSERT_TRUE(QFileInfo(QCoreApplication::applicationDirPath()).isWritable());
    EXPECT_EQ(SettingsFilePath(), beside) << "Quorvil.ini in the folder of the executable";

    QTemporaryDir dir;
    SetSettingsFilePath(dir.filePath("Quorvil.ini"));
    EXPECT_EQ(SettingsFilePath(), dir.filePath("Quorvil.ini"));
    SetSettingsFilePath(QString());
    EXPECT_EQ(SettingsFilePath(), beside);
}

} // namespace

namespace {

TEST(SettingsFilePath, InstalledProgramsUseTheConfigurationFolder)
{
    QTemporaryDir dir;
    const QString config = dir.filePath("home/.config/Quorvil");
    const QString build = dir.filePath("build/bin");
    const QString prefix = dir.filePath("prefix");
    ASSERT_TRUE(QDir().mkpath(build));
    ASSERT_TRUE(QDir().mkpath(prefix + "/bin"));
    ASSERT_TRUE(QDir().mkpath(prefix + "/share/quorvil"));
    struct Case {
        const char *what;
        QString programFolder;
        QString expected;
    };
    const Case cases[] = {
        {"build folder: beside the program", build, build + "/Quorvil.ini"},
        {"installed under a prefix the user may write to: configuration folder", prefix + "/bin",
         config + "/Quorvil.ini"},
        {"program folder unknown: configuration folder", QString(), config + "/Quorvil.ini"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SettingsFilePathFor(c.programFolder, config), c.expected) << c.what;
    EXPECT_FALSE(QFileInfo::exists(config)) << "finding the path creates nothing";
}

} // namespace
