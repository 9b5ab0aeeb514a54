// The DXF drawing model against an independent reader and writer: ezdxf (Debian python3-ezdxf)
// makes a drawing with every entity type the program draws, the program reads it, writes it back,
// and ezdxf reads what the program wrote. Both sides are described in one JSON form
// (tests/io/ezdxf_reference.py) and compared entity by entity.
#include "io/dxf/DxfReader.h"
#include "io/dxf/DxfText.h"
#include "io/dxf/DxfWriter.h"
#include "support/ProcessRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace quorvil;

namespace {

const QString Reference = QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/ezdxf_reference.py");

QByteArray RunReference(const QStringList &args)
{
    const test::ProgramRun python = test::RunPythonProgram(QStringList{Reference} + args);
    EXPECT_EQ(python.status, 0) << python.diagnosis().toStdString();
    return python.out;
}

QJsonObject Dump(const QString &path)
{
    const QByteArray json = RunReference({"dump", path});
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json.left(2000).toStdString();
    return doc.object();
}

// The bounding box of a loop of vertices with bulges, arcs included.
void LoopBounds(const std::vector<DxfVertex> &loop, double box[4])
{
    auto extend = [&](double x, double y) {
        box[0] = std::min(box[0], x), box[1] = std::min(box[1], y);
        box[2] = std::max(box[2], x), box[3] = std::max(box[3], y);
    };
    box[0] = box[1] = INFINITY, box[2] = box[3] = -INFINITY;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const DxfVertex &s = loop[i], &t = loop[(i + 1) % loop.size()];
        extend(s.x, s.y);
        if (s.bulge == 0)
            continue;
        const double theta = 4 * std::atan(s.bulge), chord = std::hypot(t.x - s.x, t.y - s.y);
        const double r = chord / (2 * std::sin(std::fabs(theta) / 2));
        const double dir = std::atan2(t.y - s.y, t.x - s.x) + (s.bulge > 0 ? 1 : -1) * (std::numbers::pi / 2 - std::fabs(theta) / 2);
        const double cx = s.x + r * std::cos(dir), cy = s.y + r * std::sin(dir);
        const double a1 = std::atan2(s.y - cy, s.x - cx);
        for (int k = -4; k <= 4; ++k) { // the quadrant points the arc passes
            const double a = k * std::numbers::pi / 2;
            double along = (theta > 0 ? a - a1 : a1 - a);
            along = std::fmod(std::fmod(along, 2 * std::numbers::pi) + 2 * std::numbers::pi, 2 * std::numbers::pi);
            if (along < std::fabs(theta) - 1e-12)
                extend(cx + r * std::cos(a), cy + r * std::sin(a));
        }
    }
}

QJsonObject Describe(const DxfEntity &e)
{
    static const char *const names[] = {"POINT", "LINE", "LWPOLYLINE", "CIRCLE", "ARC", "ELLIPSE", "TEXT", "MTEXT", "HATCH", "INSERT", ""};
    QJsonObject d{{"type", e.type == DxfType::Other ? QString::fromStdString(e.raw.front().second) : QString::fromLatin1(names[int(e.type)])},
                  {"layer", e.layer}};
    QJsonArray p;
    auto add = [&](std::initializer_list<double> values) {
        for (double v : values)
            p.append(v);
    };
    switch (e.type) {
    case DxfType::Point: add({e.p.x, e.p.y}); break;
    case DxfType::Line: add({e.p.x, e.p.y, e.q.x, e.q.y}); break;
    case DxfType::Polyline:
        for (const auto &v : e.vertices)
            add({v.x, v.y, v.bulge});
        d["closed"] = e.closed;
        break;
    case DxfType::Circle: add({e.p.x, e.p.y, e.radius}); break;
    case DxfType::Arc: add({e.p.x, e.p.y, e.radius, e.startAngle, e.endAngle}); break;
    case DxfType::Ellipse: add({e.p.x, e.p.y, e.q.x, e.q.y, e.ratio}); break;
    case DxfType::Text: add({e.p.x, e.p.y, e.height, e.rotation}); d["text"] = e.text; break;
    case DxfType::MText: add({e.p.x, e.p.y, e.height}); d["text"] = MTextPlainText(e.text); break;
    case DxfType::Insert: add({e.p.x, e.p.y, e.sx, e.sy, e.rotation}); d["text"] = e.block; break;
    case DxfType::Hatch:
        d["text"] = e.pattern;
        add({double(e.loops.size())});
        for (const auto &loop : e.loops) {
            double box[4];
            LoopBounds(loop, box);
            add({box[0], box[1], box[2], box[3]});
        }
        break;
    case DxfType::Other: break;
    }
    if (!p.isEmpty())
        d["p"] = p;
    return d;
}

QJsonArray Describe(const std::vector<DxfEntity> &entities)
{
    QJsonArray out;
    for (const auto &e : entities)
        out.append(Describe(e));
    return out;
}

// Compares two entity lists; numbers to 1e-6. Returns the first difference, empty when equal.
QString Differences(const QJsonArray &ours, const QJsonArray &reference)
{
    if (ours.size() != reference.size())
        return QStringLiteral("%1 entities, reference %2").arg(ours.size()).arg(reference.size());
    for (qsizetype i = 0; i < ours.size(); ++i) {
        QJsonObject a = ours[i].toObject(), b = reference[i].toObject();
        const QString where = QStringLiteral("entity %1 (%2): ").arg(i).arg(b["type"].toString());
        if (b["type"].toString() == u"POLYLINE") // a 2D POLYLINE is read as a polyline and saved as LWPOLYLINE
            b["type"] = QStringLiteral("LWPOLYLINE"), a.remove("p"), a.remove("closed");
        for (const char *key : {"type", "layer", "text", "closed"})
            if (a[key] != b[key])
                return where + key + ": " + a[key].toVariant().toString() + " / " + b[key].toVariant().toString();
        const QJsonArray pa = a["p"].toArray(), pb = b["p"].toArray();
        if (pa.size() != pb.size())
            return where + QStringLiteral("%1 numbers / %2").arg(pa.size()).arg(pb.size());
        for (qsizetype k = 0; k < pa.size(); ++k)
            if (std::fabs(pa[k].toDouble() - pb[k].toDouble()) > 1e-6)
                return where + QStringLiteral("number %1: %2 / %3").arg(k).arg(pa[k].toDouble()).arg(pb[k].toDouble());
    }
    return {};
}

std::string Difference(const QJsonArray &ours, const QJsonArray &reference)
{
    return Differences(ours, reference).toStdString();
}

const QString RealDrawings = QStringLiteral(QUORVIL_TEST_SOURCE_DIR "/io/data/realdxf");

// What ezdxf finds changed from `original` to `saved` (the saved file read strictly), one line each.
std::string Compare(const QString &original, const QString &saved)
{
    const QByteArray json = RunReference({"compare", original, saved});
    const QJsonArray differences = QJsonDocument::fromJson(json).object()["differences"].toArray();
    QStringList lines;
    for (const auto &d : differences)
        lines << d.toString();
    if (json.isEmpty())
        lines << "no answer from the reference";
    return lines.join('\n').toStdString();
}

DxfDocument Real(const QString &name) { return ReadDxf(RealDrawings + "/" + name); }

const DxfEntity *First(const std::vector<DxfEntity> &entities, DxfType type)
{
    for (const auto &e : entities)
        if (e.type == type)
            return &e;
    return nullptr;
}

} // namespace

// A drawing made by ezdxf opens with every entity, layer state, block and header variable, in both
// text encodings (R2000 with \U+ escapes, R2018 in UTF-8); saved again it reads back the same in ezdxf.
TEST(DxfDocument, EzdxfDrawingOpensAndSavesBackUnchanged)
{
    QTemporaryDir dir;
    for (const QString version : {"R2000", "R2018"}) {
        SCOPED_TRACE(version.toStdString());
        const QString source = dir.filePath(version + ".dxf"), saved = dir.filePath(version + "-saved.dxf");
        RunReference({"make", source, version});
        const DxfDocument doc = ReadDxf(source);
        const QJsonObject reference = Dump(source);

        EXPECT_EQ(Difference(Describe(doc.entities), reference["entities"].toArray()), "");
        for (const QString name : {"标志", "OUTER"})
            ASSERT_TRUE(doc.block(name)) << name.toStdString();
        EXPECT_EQ(Difference(Describe(doc.block("OUTER")->entities), reference["blocks"]["OUTER"].toArray()), "");
        EXPECT_EQ(doc.variable("LtScale", 1), 2.5);
        EXPECT_TRUE(doc.layer("冻结") && doc.layer("冻结")->frozen);
        EXPECT_TRUE(doc.layer("关闭") && doc.layer("关闭")->off);
        EXPECT_EQ(doc.layer("墙线") ? doc.layer("墙线")->color : 0, 1);
        EXPECT_EQ(doc.unsoundEntities, 0);
        EXPECT_FALSE(doc.truncated);

        WriteDxf(doc, saved);
        const QJsonObject back = Dump(saved);
        EXPECT_EQ(Difference(Describe(doc.entities), back["entities"].toArray()), "");
        EXPECT_EQ(Difference(Describe(doc.block("标志")->entities), back["blocks"]["标志"].toArray()), "");
        EXPECT_EQ(back["ltscale"].toDouble(), 2.5);
        // Saved in the code page the file had; a UTF-8 drawing in the Chinese code page.
        EXPECT_EQ(back["codepage"].toString().toStdString(), version == "R2000" ? "ANSI_1252" : "ANSI_936");
        EXPECT_TRUE(back["layers"]["冻结"]["frozen"].toBool());
        EXPECT_TRUE(back["layers"]["关闭"]["off"].toBool());
    }
}

// What the drawing tools add (points, circles, lines, polylines, Chinese text, a solid dot, a block
// insert) is what ezdxf reads from the saved file, including text outside the code page.
TEST(DxfDocument, DrawingOfTheToolsReadsBackInEzdxf)
{
    DxfDocument doc = NewDxfDocument();
    doc.setVariable("LTSCALE", 0.5);
    auto add = [&](DxfType type, auto fill) {
        DxfEntity e;
        e.type = type;
        fill(e);
        doc.entities.push_back(e);
    };
    add(DxfType::Point, [](DxfEntity &e) { e.p = {3500123.25, 412345.5}; });
    add(DxfType::Circle, [](DxfEntity &e) { e.p = {10, 20}, e.radius = 1.2; });
    add(DxfType::Line, [](DxfEntity &e) { e.p = {0, 0}, e.q = {-5.125, 7.75}; });
    add(DxfType::Polyline, [](DxfEntity &e) { e.vertices = {{0, 0, 0}, {1, 1, 0}, {2, 0, -0.25}, {4, 0, 0}}; });
    add(DxfType::Text, [](DxfEntity &e) { e.p = {1, 2}, e.height = 3, e.text = "N30°15′20″ 测站J1 ✓ €"; });
    add(DxfType::Hatch, [](DxfEntity &e) { e.loops = {{{12, 5, 1}, {8, 5, 1}}}; });
    DxfBlock frame{"图框", 0, {0, 0, 0}, {}};
    DxfEntity line;
    line.type = DxfType::Line, line.q = {297, 0};
    frame.entities.push_back(line);
    doc.blocks.push_back(frame);
    add(DxfType::Insert, [](DxfEntity &e) { e.block = "图框", e.p = {0, 200}; });

    QTemporaryDir dir;
    const QString path = dir.filePath("tools.dxf");
    WriteDxf(doc, path);
    const QJsonObject back = Dump(path);
    EXPECT_EQ(Difference(Describe(doc.entities), back["entities"].toArray()), "");
    EXPECT_EQ(Difference(Describe(frame.entities), back["blocks"]["图框"].toArray()), "");
    EXPECT_EQ(back["ltscale"].toDouble(), 0.5);
    // And the program reads its own file back the same.
    EXPECT_EQ(Difference(Describe(ReadDxf(path).entities), Describe(doc.entities)), "");
}

// Text in the code page the file declares, and escapes, whatever the code page.
TEST(DxfDocument, TextInTheDeclaredCodePage)
{
    const struct {
        const char *label;
        QByteArray codePage;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"GBK", "ANSI_936", QByteArray::fromHex("b2e2c1bfb5e3"), "测量点"},
        {"Latin", "ANSI_1252", "caf\xe9", "café"},
        {"Big5", "ANSI_950", QByteArray::fromHex("b4fab8d5"), "測試"},
        {"escape", "ANSI_1252", "\\U+6D4B\\U+91CFx", "测量x"},
        {"no code page, UTF-8", "", "测量", "测量"},
        {"no code page, GBK", "", QByteArray::fromHex("b2e2c1bf"), "测量"},
        {"8859_1", "8859_1", "Stra\xdf" "e", "Straße"},
        {"ISO8859-1", "ISO8859-1", "caf\xe9", "café"},
        {"ISO 8859-15", "ISO8859-15", "\xa4", "€"},
        {"DOS850", "DOS850", "M\x81ller", "Müller"},
        {"DOS932", "DOS932", QByteArray::fromHex("836583588367"), "テスト"},
        {"ANSI_932", "ANSI_932", QByteArray::fromHex("836583588367"), "テスト"},
        {"UTF-8 declared", "UTF-8", "测量", "测量"},
        {"unknown name: Windows-1252", "ANSI_XYZ", "caf\xe9", "café"},
        {"unknown name, not GB18030", "MYPAGE", QByteArray::fromHex("b2e2"), "²â"},
    };
    for (const auto &c : cases) {
        QByteArray file = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n";
        if (!c.codePage.isEmpty())
            file += "9\n$DWGCODEPAGE\n3\n" + c.codePage + "\n";
        file += "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n10\n1\n20\n2\n40\n3\n1\n" + c.bytes + "\n0\nENDSEC\n0\nEOF\n";
        const DxfDocument doc = ParseDxf(file, "t.dxf");
        ASSERT_EQ(doc.entities.size(), 1u) << c.label;
        EXPECT_EQ(doc.entities[0].text, c.text) << c.label;
        // Saved in the same code page, it reads back the same.
        const DxfDocument back = ParseDxf(DxfBytes(doc), "back.dxf");
        ASSERT_EQ(back.entities.size(), 1u) << c.label;
        EXPECT_EQ(back.entities[0].text, c.text) << c.label;
        if (!c.codePage.isEmpty())
            EXPECT_EQ(back.codePage.toLatin1(), c.codePage) << c.label;
    }
}

// Files that are not sound text DXF: a clear message, or the sound part of the drawing.
TEST(DxfDocument, BadFilesGiveAMessageOrTheirSoundPart)
{
    const QByteArray good = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n5\n21\n5\n0\nCIRCLE\n8\n0\n10\n1\n20\n1\n40\n2\n0\nENDSEC\n0\nEOF\n";
    const struct {
        const char *label;
        QByteArray bytes;
        int entities;     // -1: refused with a message containing `message`
        const char *message;
        bool truncated;
        int unsound;
    } cases[] = {
        {"empty", "", -1, "不是DXF", false, 0},
        {"text file", "hello\nworld\n", -1, "不是DXF", false, 0},
        {"binary DXF", QByteArray("AutoCAD Binary DXF\r\n\x1a\0", 22) + QByteArray(100, '\1'), -1, "二进制DXF", false, 0},
        {"DWG", QByteArray("AC1015\0\0\0\0", 10) + QByteArray(100, '\xff'), -1, "DWG", false, 0},
        {"sound", good, 2, "", false, 0},
        {"cut in the second entity", good.left(good.indexOf("40\n2")), 1, "", true, 0},
        {"cut within a value line", good.left(good.indexOf("CIRCLE") + 3), 1, "", true, 0},
        {"cut after a code", good.left(good.indexOf("CIRCLE")), 1, "", true, 0},
        {"garbage code line", QByteArray(good).replace("0\nCIRCLE", "zz\nCIRCLE"), 1, "", true, 0},
        {"NaN and huge coordinates", QByteArray(good).replace("11\n5\n", "11\nnan\n").replace("10\n1\n", "10\n1e300\n"), 0, "", false, 2},
        {"vertex count far beyond the vertices", "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n90\n2000000000\n10\n0\n20\n0\n10\n1\n20\n1\n0\nENDSEC\n0\nEOF\n", 1, "", false, 0},
        {"absurd block base", "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nB\n10\n0\n20\n0\n30\n1e999\n0\nLINE\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n0\nENDSEC\n0\nEOF\n", 0, "", false, 0},
        {"code 9 inside an entity", QByteArray(good).replace("11\n5\n", "9\n5\n"), 2, "", false, 0},
        {"unsound insert with its attributes", "0\nSECTION\n2\nENTITIES\n0\nINSERT\n8\n0\n2\nB\n66\n1\n10\nnan\n20\n0\n0\nATTRIB\n8\n0\n10\n0\n20\n0\n40\n1\n1\nX\n2\nT\n70\n0\n0\nSEQEND\n0\nENDSEC\n0\nEOF\n", 0, "", false, 1},
        {"entities in the CLASSES section", "0\nSECTION\n2\nCLASSES\n0\nLINE\n8\n0\n10\n0\n20\n0\n11\n1\n21\n1\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n0\nCIRCLE\n8\n0\n10\n1\n20\n1\n40\n2\n0\nENDSEC\n0\nEOF\n", 1, "", false, 0},
        {"text after the end", good + "\x1a", 2, "", false, 0},
        {"paper-space insert with attributes, kept once", "0\nSECTION\n2\nENTITIES\n0\nINSERT\n8\n0\n67\n1\n66\n1\n2\nB\n10\n0\n20\n0\n0\nATTRIB\n8\n0\n10\n0\n20\n0\n40\n1\n1\nX\n2\nT\n70\n0\n0\nSEQEND\n8\n0\n0\nENDSEC\n0\nEOF\n", 1, "", false, 0},
        {"CRLF and padded names", QByteArray(good).replace("\n", "\r\n").replace("LINE\r", "LINE  \r"), 2, "", false, 0},
    };
    for (const auto &c : cases) {
        try {
            const DxfDocument doc = ParseDxf(c.bytes, "bad.dxf");
            EXPECT_EQ(int(doc.entities.size()), c.entities) << c.label;
            EXPECT_EQ(doc.truncated, c.truncated) << c.label;
            EXPECT_EQ(doc.unsoundEntities, c.unsound) << c.label;
            // What was read saves, and reads back the same.
            const DxfDocument back = ParseDxf(DxfBytes(doc), "back.dxf");
            EXPECT_EQ(back.entities.size(), doc.entities.size()) << c.label;
            EXPECT_EQ(back.blocks.size(), doc.blocks.size()) << c.label;
        } catch (const DxfError &e) {
            EXPECT_EQ(c.entities, -1) << c.label << ": " << e.what();
            EXPECT_NE(QString::fromUtf8(e.what()).indexOf(QString::fromUtf8(c.message)), -1) << c.label << ": " << e.what();
            EXPECT_NE(QString::fromUtf8(e.what()).indexOf("bad.dxf"), -1) << c.label;
        }
    }
    EXPECT_THROW(ReadDxf("/nonexistent/a.dxf"), Error);
}

// A failed save leaves the old file whole; a new drawing has layer 0 and LtScale 1.
TEST(DxfDocument, SaveIsAtomicAndNewDrawingIsComplete)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.dxf");
    DxfDocument doc = NewDxfDocument();
    EXPECT_EQ(doc.variable("LtScale", 7), 1);
    EXPECT_TRUE(doc.layer("0"));
    WriteDxf(doc, path);
    const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    if (!QFileInfo(dir.path()).isWritable()) { // not when the tests run as root
        EXPECT_THROW(WriteDxf(doc, path), Error);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_THROW(WriteDxf(doc, dir.filePath("missing/dir/a.dxf")), Error);
}

// The default dimension style of a drawing without dimension styles points to its Standard text
// style, however the drawing spells the name, and saving twice gives the same bytes.
TEST(DxfDocument, DefaultDimensionStylePointsToTheStandardTextStyle)
{
    DxfDocument doc = NewDxfDocument();
    doc.styles.push_back({"STANDARD", 0, 0, 1, 0, 0, 2.5, "txt", ""});
    DxfEntity text;
    text.type = DxfType::Text;
    text.text = QStringLiteral("J1");
    text.style = QStringLiteral("STANDARD");
    text.height = 2;
    doc.entities.push_back(text);
    const QByteArray bytes = DxfBytes(doc);
    EXPECT_EQ(DxfBytes(doc), bytes);

    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    QByteArray styleHandle, pointer;
    for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
        if (lines[i] != "0" || (lines[i + 1] != "STYLE" && lines[i + 1] != "DIMSTYLE"))
            continue;
        QByteArray handle, name, textStyle;
        for (qsizetype k = i + 2; k + 1 < lines.size() && lines[k] != "0"; k += 2) {
            if (lines[k] == "5" || lines[k] == "105")
                handle = lines[k + 1];
            else if (lines[k] == "2")
                name = lines[k + 1];
            else if (lines[k] == "340")
                textStyle = lines[k + 1];
        }
        if (lines[i + 1] == "STYLE" && name.compare("Standard", Qt::CaseInsensitive) == 0)
            styleHandle = handle;
        else if (lines[i + 1] == "DIMSTYLE")
            pointer = textStyle;
    }
    EXPECT_FALSE(styleHandle.isEmpty());
    EXPECT_EQ(pointer, styleHandle);
    EXPECT_EQ(ParseDxf(bytes, "x.dxf").entities.at(0).style, QStringLiteral("STANDARD"));
}

// Published drawings from a dozen writers and releases (tests/io/data/realdxf/README.md; more from
// the folder QUORVIL_REALDXF names, when set): each opens without a message but the truly truncated
// one, is saved, and the saved file reads in ezdxf's strict reader with the same entity types and
// counts in model space and every block, texts, MText positions and heights, attributes per insert,
// thickness and line weights, planes, image definitions and code page.
TEST(DxfDocument, RealDrawingsOpenAndSaveWithoutDamage)
{
    QStringList paths;
    QStringList names;
    for (const QString &dir : {RealDrawings, qEnvironmentVariable("QUORVIL_REALDXF")}) {
        if (dir.isEmpty())
            continue;
        for (const QFileInfo &f : QDir(dir).entryInfoList({"*.dxf", "*.DXF"}, QDir::Files, QDir::Name))
            if (!names.contains(f.fileName()))
                names << f.fileName(), paths << f.filePath();
    }
    ASSERT_GE(paths.size(), 28);
    const QStringList truncated = {"ezdxf_recover01.dxf"};
    QTemporaryDir dir;
    for (const QString &path : paths) {
        const QString name = QFileInfo(path).fileName();
        SCOPED_TRACE(name.toStdString());
        const DxfDocument doc = ReadDxf(path);
        EXPECT_EQ(doc.truncated || doc.unsoundEntities > 0, truncated.contains(name));
        const QString saved = dir.filePath(name);
        WriteDxf(doc, saved);
        EXPECT_EQ(Compare(path, saved), "");
        // And the program reads its own file back the same.
        const DxfDocument back = ReadDxf(saved);
        EXPECT_FALSE(back.truncated);
        EXPECT_EQ(back.entities.size(), doc.entities.size());
        EXPECT_EQ(back.blocks.size(), doc.blocks.size());
    }
}

// What the program keeps as read (an image and its definition, a wipeout, a spline with an extension
// dictionary, a dimension with its block, a leader, SOLID, TRACE, 3DFACE, a 3D polyline) and block
// attributes, one of them invisible, survive a save: the image still finds its definition, no
// {ACAD_XDICTIONARY or {ACAD_REACTORS group is left empty.
TEST(DxfDocument, KeptEntitiesCarryTheObjectsTheyPointTo)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("kept.dxf"), saved = dir.filePath("kept-saved.dxf");
    RunReference({"make-kept", source});
    const DxfDocument doc = ReadDxf(source);
    EXPECT_FALSE(doc.truncated);
    EXPECT_FALSE(doc.classes.empty());
    WriteDxf(doc, saved);
    EXPECT_EQ(Compare(source, saved), "");
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("\nIMAGEDEF\n"));
    EXPECT_TRUE(bytes.contains("\nCLASSES\n"));
    static const QRegularExpression emptyGroup("\n *102\n\\{ACAD_[A-Z]+\n *102\n\\}\n");
    EXPECT_FALSE(QString::fromUtf8(bytes).contains(emptyGroup));
}

// One small file for each kind of damage real drawings suffered.
TEST(DxfDocument, EachKindOfDamageStaysAway)
{
    QTemporaryDir dir;
    // {ACAD_XDICTIONARY groups of a spline kept as read are left out whole, not emptied.
    {
        const DxfDocument doc = Real("d1_xdict_spline.dxf");
        ASSERT_EQ(doc.entities.size(), 1u);
        for (const auto &[code, value] : doc.entities[0].raw)
            EXPECT_NE(code, 102) << value;
        EXPECT_FALSE(DxfBytes(doc).contains("{ACAD_XDICTIONARY"));
    }
    // The embedded object of a DXF 2018 MText leaves its insertion point, height and width alone.
    {
        const DxfDocument doc = Real("d2_mtext_embedded_object.dxf");
        const DxfEntity *m = First(doc.entities, DxfType::MText);
        ASSERT_TRUE(m);
        EXPECT_NEAR(m->p.x, 25.6, 0.01);
        EXPECT_NEAR(m->p.y, 59.87, 0.01);
        EXPECT_EQ(m->height, 2);
        EXPECT_NEAR(m->rotation, 0, 1e-9);
    }
    // What follows 0 EOF (Ctrl-Z, trailing text) is not taken for damage.
    for (const char *name : {"d3_ctrlz_after_eof.dxf", "ezdxf_R12_with_trash_beyond_EOF.dxf", "libredwg_r2.6_entities.dxf"}) {
        const DxfDocument doc = Real(name);
        EXPECT_FALSE(doc.truncated) << name;
        EXPECT_FALSE(doc.entities.empty()) << name;
    }
    // Thickness stays thickness; the line weight stays by layer.
    {
        const DxfDocument doc = Real("d4_thickness.dxf");
        ASSERT_EQ(doc.entities.size(), 1u);
        EXPECT_EQ(doc.entities[0].thickness, 5);
        EXPECT_EQ(doc.entities[0].lineWeight, -1);
        const DxfDocument back = ParseDxf(DxfBytes(doc), "back.dxf");
        EXPECT_EQ(back.entities[0].thickness, 5);
        EXPECT_EQ(back.entities[0].lineWeight, -1);
    }
    // Text seen from below keeps its plane.
    {
        const DxfDocument doc = Real("d5_text_negz.dxf");
        const DxfEntity *t = First(doc.entities, DxfType::Text);
        ASSERT_TRUE(t);
        EXPECT_EQ(t->extrusion.z, -1);
        const DxfDocument back = ParseDxf(DxfBytes(doc), "back.dxf");
        EXPECT_EQ(First(back.entities, DxfType::Text)->extrusion.z, -1);
        EXPECT_EQ(First(back.entities, DxfType::Text)->p.x, t->p.x);
    }
    // Code pages under the names writers use, kept on saving.
    {
        const struct {
            const char *file;
            const char *codePage;
            QString text;
        } cases[] = {
            {"d6_8859_1.dxf", "8859_1", "Straße Müller été"},
            {"qgis_8859_1_latin_text.dxf", "8859_1", "Straße Müller été"},
            {"x_dos850.dxf", "DOS850", "Müller Straße Ø 12 ½"},
            {"ezdxf_small_r13.dxf", "dos932", ""},
            {"libredwg_2000_entities-2d.dxf", "ANSI_1250", ""},
        };
        for (const auto &c : cases) {
            const DxfDocument doc = Real(c.file);
            EXPECT_EQ(doc.codePage.toStdString(), c.codePage) << c.file;
            if (!c.text.isEmpty()) {
                bool found = false;
                for (const auto &e : doc.entities)
                    found = found || e.text == c.text;
                EXPECT_TRUE(found) << c.file;
            }
            const DxfDocument back = ParseDxf(DxfBytes(doc), "back.dxf");
            EXPECT_EQ(back.codePage.toStdString(), c.codePage) << c.file;
        }
    }
    // A UTF-8 file (R2007 and later) keeps its declared code page when that holds all its text.
    for (const auto &[text, page] : {std::pair{QString("café"), "ANSI_1252"}, std::pair{QString("测量"), "ANSI_936"}}) {
        const QByteArray file = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1021\n9\n$DWGCODEPAGE\n3\nANSI_1252\n0\nENDSEC\n"
                                "0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n10\n1\n20\n2\n40\n3\n1\n" + text.toUtf8() + "\n0\nENDSEC\n0\nEOF\n";
        const DxfDocument doc = ParseDxf(file, "t.dxf");
        EXPECT_EQ(doc.codePage.toStdString(), page);
        const DxfDocument back = ParseDxf(DxfBytes(doc), "back.dxf");
        ASSERT_EQ(back.entities.size(), 1u);
        EXPECT_EQ(back.entities[0].text, text);
    }
    // Attributes stay on their insert with tag and flags; an invisible one stays invisible; the
    // block keeps its attribute definitions.
    {
        const DxfDocument doc = Real("d7_invisible_attrib.dxf");
        const DxfEntity *insert = First(doc.entities, DxfType::Insert);
        ASSERT_TRUE(insert);
        ASSERT_EQ(insert->attributes.size(), 1u);
        EXPECT_TRUE(insert->attributes[0].attributeFlags & 1);
        EXPECT_FALSE(insert->attributes[0].tag.isEmpty());
        EXPECT_FALSE(First(doc.entities, DxfType::Text)); // not turned into a loose text
        const DxfDocument back = ParseDxf(DxfBytes(doc), "back.dxf");
        const DxfEntity *again = First(back.entities, DxfType::Insert);
        ASSERT_TRUE(again);
        ASSERT_EQ(again->attributes.size(), 1u);
        EXPECT_EQ(again->attributes[0].tag, insert->attributes[0].tag);
        EXPECT_EQ(again->attributes[0].text, insert->attributes[0].text);
        EXPECT_EQ(again->attributes[0].attributeFlags, insert->attributes[0].attributeFlags);

        const DxfDocument multi = Real("ezdxf_multi_insert_with_attribs.dxf");
        const DxfEntity *minsert = First(multi.entities, DxfType::Insert);
        ASSERT_TRUE(minsert);
        EXPECT_EQ(minsert->attributes.size(), 3u);
        bool attdef = false;
        for (const auto &b : multi.blocks)
            for (const auto &e : b.entities)
                attdef = attdef || (e.type == DxfType::Other && e.raw.front().second == "ATTDEF");
        EXPECT_TRUE(attdef);
    }
    // The layout blocks of R12 are no user blocks.
    for (const char *name : {"qcad_dxflib_demo.dxf", "ezdxf_ASCII_R12.dxf", "ezdxf_POLI-ALL210_12.DXF"}) {
        const DxfDocument doc = Real(name);
        EXPECT_FALSE(doc.block("$MODEL_SPACE")) << name;
        EXPECT_FALSE(doc.block("$PAPER_SPACE")) << name;
    }
    // A truly truncated file opens as far as it is sound, and says so.
    {
        const DxfDocument doc = Real("ezdxf_recover01.dxf");
        EXPECT_TRUE(doc.truncated);
        EXPECT_EQ(doc.entities.size(), 1504u);
    }
}

// %%c %%d %%p %%% and %%nnn become their characters; %%u and %%o mark spans.
TEST(DxfDocument, TextSymbols)
{
    EXPECT_EQ(DxfTextWithSymbols("%%C14孔 90%%d %%p0.05 100%%%"), QString("Ø14孔 90° ±0.05 100%"));
    EXPECT_EQ(DxfTextWithSymbols("%%c%%D%%P%%177"), QString("Ø°±±"));
    EXPECT_EQ(DxfTextWithSymbols("no codes, 50%"), QString("no codes, 50%"));
    std::vector<std::pair<int, int>> under, over;
    EXPECT_EQ(DxfTextWithSymbols("a%%ubc%%ud%%oe", &under, &over), QString("abcde"));
    EXPECT_EQ(under, (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(over, (std::vector<std::pair<int, int>>{{4, 5}}));
}

// Inputs the fuzzer found (tests/io/data/fuzz): each reads, saves and reads back the same.
TEST(DxfDocument, FuzzFindingsStayFixed)
{
    const QFileInfoList files = QDir(QUORVIL_TEST_SOURCE_DIR "/io/data/fuzz").entryInfoList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QFileInfo &f : files) {
        SCOPED_TRACE(f.fileName().toStdString());
        QFile file(f.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const DxfDocument doc = ParseDxf(file.readAll(), "fuzz.dxf");
        const DxfDocument back = ParseDxf(DxfBytes(doc), "saved.dxf");
        EXPECT_EQ(back.entities.size(), doc.entities.size());
        EXPECT_EQ(back.blocks.size(), doc.blocks.size());
        EXPECT_FALSE(back.truncated);
    }
}
