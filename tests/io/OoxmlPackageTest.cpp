#include "io/ooxml/OoxmlPackage.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <pugixml.hpp>

using namespace quorvil;

namespace {
OoxmlPackage sample()
{
    OoxmlPackage pkg;
    pkg.setPart("[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>");
    pkg.setPart("word/document.xml", QStringLiteral("<w:document xmlns:w=\"x\"><w:t>[工程名称]</w:t></w:document>").toUtf8());
    return pkg;
}
} // namespace

TEST(OoxmlPackage, RoundTripKeepsPartsAndOrder)
{
    const OoxmlPackage back = OoxmlPackage::fromBytes(sample().toBytes(), "a.docx");
    ASSERT_EQ(back.partNames(), (std::vector<std::string>{"[Content_Types].xml", "word/document.xml"}));
    EXPECT_EQ(QString::fromUtf8(back.part("word/document.xml")),
              QStringLiteral("<w:document xmlns:w=\"x\"><w:t>[工程名称]</w:t></w:document>"));
    pugi::xml_document doc;
    back.parse("word/document.xml", doc);
    EXPECT_STREQ(doc.child("w:document").child("w:t").text().get(), "[工程名称]");
}

TEST(OoxmlPackage, BrokenInputsNameTheTemplate)
{
    const struct {
        const char *label;
        QByteArray bytes;
    } cases[] = {{"not a zip", "hello world"}, {"empty", ""}, {"truncated", sample().toBytes().left(40)}};
    for (const auto &c : cases) {
        try {
            OoxmlPackage::fromBytes(c.bytes, "DXbjfh.docx");
            ADD_FAILURE() << c.label;
        } catch (const PackageError &e) {
            EXPECT_NE(QString::fromUtf8(e.what()).indexOf("DXbjfh.docx"), -1) << c.label;
        }
    }
    EXPECT_THROW(OoxmlPackage::load("/nonexistent/DXbjfh.docx"), PackageError);
    OoxmlPackage pkg = sample();
    pkg.setPart("word/bad.xml", "<a><b></a>");
    pugi::xml_document doc;
    EXPECT_THROW(pkg.parse("word/bad.xml", doc), PackageError);
    EXPECT_THROW(pkg.part("word/missing.xml"), PackageError);
}

TEST(OoxmlPackage, FailedSaveLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("r.docx");
    sample().save(path);
    EXPECT_NO_THROW(OoxmlPackage::load(path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    EXPECT_THROW(sample().save(dir.filePath("no/such/folder/r.docx")), FileError);
    // A folder that cannot take the temporary file: the save fails, the old file stays.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    if (QFileInfo(dir.path()).isWritable()) // root ignores the permission bits
        GTEST_SKIP() << "folder stays writable for this user";
    EXPECT_THROW(sample().save(path), FileError);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}
