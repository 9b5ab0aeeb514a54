#include "io/AdjustmentFile.h"
#include "io/FileErrors.h"
#include "io/PointFile.h"
#include "io/TextCodec.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace quorvil;

namespace {

constexpr AdjustmentFileLayout ConnectingLayout{4, 3, 2, 3}; // A, B, C, D; n + 2 stations
constexpr AdjustmentFileLayout LevellingLayout{2, 2, 1, 3};  // two benchmarks; n + 1 sections

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(AdjustmentFile, RoundTripKeepsEveryCellAsItStands)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("traverse.txt");
    AdjustmentData data;
    data.header = {"某某工程", "一级", "张三", " 李四", "2026/12/7"};
    data.count = 1;
    data.points = {{"A", "5000", "5000"}, {"B", "5000", "5100"}, {"C", "5100", "5300"}, {"D", "5000", "5400 "}};
    data.observations = {{"B", "135.0006", "141.425"}, {"P1", "225.0000", "100.002"}, {"C", " 224.5957", ""}};
    WriteAdjustmentFile(path, data);

    const QByteArray expected = EncodeText(QStringLiteral(
        "某某工程,一级,张三, 李四,2026/12/7\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\nC,5100,5300\r\nD,5000,5400 \r\n"
        "B,135.0006,141.425\r\nP1,225.0000,100.002\r\nC, 224.5957,\r\n"));
    EXPECT_EQ(ReadBytes(path), expected);

    const AdjustmentData back = ReadAdjustmentFile(path, ConnectingLayout);
    EXPECT_EQ(back.header, data.header);
    EXPECT_EQ(back.count, 1);
    EXPECT_EQ(back.points, data.points);
    EXPECT_EQ(back.observations, data.observations);
}

TEST(AdjustmentFile, ShortAndLongLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("route.txt");
    // UTF-8 as well as GB18030 reads; missing fields are empty, extra fields are dropped, blank
    // lines and empty records after the promised ones are ignored.
    WriteBytes(path, QStringLiteral("工程\n 2 \nBM1,100\nBM2\nBM1,1.2,0.5,extra\nP1\nP2,1\n\n , ,\n\t\n").toUtf8());
    const AdjustmentData d = ReadAdjustmentFile(path, LevellingLayout);
    EXPECT_EQ(d.header, QStringList({"工程", "", "", "", ""}));
    EXPECT_EQ(d.count, 2);
    EXPECT_EQ(d.points, QList<QStringList>({{"BM1", "100"}, {"BM2", ""}}));
    EXPECT_EQ(d.observations, QList<QStringList>({{"BM1", "1.2", "0.5"}, {"P1", "", ""}, {"P2", "1", ""}}));
}

TEST(AdjustmentFile, UnfitFilesAreRefusedWithTheReason)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        QString message;
    };
    const Case cases[] = {
        {"empty file", "", "数据文件格式错误：文件只有0行，缺少表头行或新点个数行！"},
        {"header only", "a,b,c,d,e\r\n", "数据文件格式错误：文件只有1行，缺少表头行或新点个数行！"},
        {"count not a number", "h\r\nx1\r\n", "数据文件格式错误：第2行应为新点的个数（0或正整数），而不是“x1”！"},
        {"count with decimals", "h\r\n1.5\r\n", "数据文件格式错误：第2行应为新点的个数（0或正整数），而不是“1.5”！"},
        {"negative count", "h\r\n-1\r\n", "数据文件格式错误：第2行应为新点的个数（0或正整数），而不是“-1”！"},
        {"count beyond int", "h\r\n99999999999\r\n",
         "数据文件格式错误：第2行应为新点的个数（0或正整数），而不是“99999999999”！"},
        {"count promises more", "h\r\n3\r\nBM1,1\r\nBM2,2\r\nBM1,1,1\r\n",
         "数据文件格式错误：新点个数为3，文件应至少有8行，实际只有5行！"},
        // More stations than the count asks for: the file was written for another route.
        {"one station line too many", "h\r\n0\r\nBM1,1\r\nBM2,2\r\nBM1,1,1\r\nsurplus\r\n",
         "第 2 行: 新点个数为 0，但文件中有 2 个测站行"},
        {"a blank line between the stations", "h\r\n1\r\nBM1,1\r\nBM2,2\r\nBM1,1,1\r\n\r\nP1,1,1\r\nBM2\r\n\r\n",
         "第 2 行: 新点个数为 1，但文件中有 4 个测站行"},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const QString path = dir.filePath("bad.txt");
        WriteBytes(path, c.bytes);
        try {
            ReadAdjustmentFile(path, LevellingLayout);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const AdjustmentFileError &e) {
            EXPECT_EQ(QString::fromStdString(e.what()), c.message) << c.name;
        }
    }
    EXPECT_THROW(ReadAdjustmentFile(dir.filePath("missing.txt"), LevellingLayout), FileError);
}

TEST(AdjustmentFile, ATraverseWithMoreStationsThanItsCountIsRefused)
{
    // One new point by the count, seven stations in the file: read as a three-station traverse it
    // would adjust into nonsense.
    QTemporaryDir dir;
    const QString path = dir.filePath("seven.txt");
    WriteBytes(path, EncodeText(QStringLiteral("某工程,一级,张三,李四,2026-12-07\r\n1\r\nA,5000,5000\r\nB,5000,5100\r\n"
                                               "C,5100,5300\r\nD,5000,5400\r\nB,135.0006,141.425\r\nP1,225,100\r\n"
                                               "P2,180,100\r\nP3,180,100\r\nP4,180,100\r\nP5,180,100\r\n"
                                               "C,224.5957,\r\n\r\n")));
    try {
        ReadAdjustmentFile(path, ConnectingLayout);
        FAIL() << "accepted";
    } catch (const AdjustmentFileError &e) {
        EXPECT_STREQ(e.what(), "第 2 行: 新点个数为 1，但文件中有 7 个测站行");
    }
}

TEST(AdjustmentFile, ZeroNewPoints)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zero.txt");
    WriteBytes(path, "h\r\n0\r\nA,1,2\r\nB,3,4\r\nC,5,6\r\nD,7,8\r\nB,180,10\r\nC,180,\r\n");
    const AdjustmentData d = ReadAdjustmentFile(path, ConnectingLayout);
    EXPECT_EQ(d.count, 0);
    EXPECT_EQ(d.observations.size(), 2);
}

} // namespace
