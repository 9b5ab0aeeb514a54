#include "DxfDocument.h"

#include "FileErrors.h"
#include "TextCodec.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#include <dxflib/dl_writer_ascii.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <deque>
#include <cmath>
#include <memory>
#include <numbers>
#include <optional>
#include <QRegularExpression>
#include <cstring>
#include <sstream>
#include <string_view>

namespace quorvil {

namespace {

constexpr double Pi = std::numbers::pi;
// Coordinates beyond this are taken as corrupt: no survey drawing comes near it, and DXF writers
// print numbers in fixed notation.
constexpr double CoordinateLimit = 1e12;
// dxflib's own reader never hands over longer values; its tables are sized for them.
constexpr std::size_t ValueLimit = DL_DXF_MAXLINE - 24;

bool Sane(double v) { return std::isfinite(v) && std::fabs(v) <= CoordinateLimit; }

// ---- text encoding --------------------------------------------------------------------------

// The codec of a DXF code page name under the names writers use ("ANSI_936", "DOS850", "8859_1",
// "ISO8859-1", "UTF-8"...); empty for a name it does not know.
QByteArray CodecOf(const QString &codePage)
{
    QString cp = codePage.trimmed().toUpper();
    cp.remove(u' ');
    static const struct {
        const char *page;
        const char *codec;
    } table[] = {
        {"ANSI_936", "GBK"},          {"ANSI_950", "Big5"},           {"ANSI_932", "windows-31j"},
        {"ANSI_949", "windows-949"},  {"ANSI_874", "windows-874"},    {"ANSI_1361", "windows-949"},
        {"DOS932", "windows-31j"},    {"DOS936", "GBK"},              {"DOS949", "windows-949"},
        {"DOS950", "Big5"},           {"DOS874", "windows-874"},      {"GB2312", "GBK"},
        {"GBK", "GBK"},               {"GB18030", "GB18030"},         {"BIG5", "Big5"},
        {"KSC5601", "windows-949"},   {"MACINTOSH", "macintosh"},     {"UTF-8", "UTF-8"},
        {"UTF8", "UTF-8"},            {"ASCII", "windows-1252"},      {"US-ASCII", "windows-1252"},
    };
    for (const auto &row : table)
        if (cp == QLatin1String(row.page))
            return row.codec;
    QByteArray codec;
    static const QRegularExpression iso(QStringLiteral("^(?:ISO)?[-_]?8859[-_](\\d{1,2})$"));
    static const QRegularExpression ansi(QStringLiteral("^(?:ANSI|CP|WINDOWS)[-_]?(125\\d)$"));
    static const QRegularExpression dos(QStringLiteral("^(?:DOS|IBM|CP)[-_]?(\\d{3})$"));
    if (const auto m = iso.match(cp); m.hasMatch())
        codec = "ISO-8859-" + m.captured(1).toLatin1();
    else if (const auto m = ansi.match(cp); m.hasMatch())
        codec = "windows-" + m.captured(1).toLatin1();
    else if (const auto m = dos.match(cp); m.hasMatch())
        codec = "IBM" + m.captured(1).toLatin1();
    if (codec.isEmpty() || !QStringDecoder(codec.constData()).isValid())
        return {};
    return codec;
}

// Replaces the \U+XXXX escapes of DXF text by their characters.
QString Unescape(QString s)
{
    qsizetype at = s.indexOf(QLatin1String("\\U+"), 0, Qt::CaseInsensitive);
    while (at >= 0) {
        bool ok = false;
        const uint code = at + 7 <= s.size() ? s.mid(at + 3, 4).toUInt(&ok, 16) : 0;
        if (ok) {
            s.replace(at, 7, QChar(char16_t(code)));
            ++at;
        } else {
            at += 3;
        }
        at = s.indexOf(QLatin1String("\\U+"), at, Qt::CaseInsensitive);
    }
    return s;
}

class TextCodec {
public:
    // UTF-8 for DXF R2007 and later; otherwise the declared code page, or for files that declare
    // none, UTF-8 when the bytes are valid UTF-8 and GB18030 when not.
    // A declared code page of an unknown name is read as Windows-1252.
    void configure(bool utf8, const QString &codePage)
    {
        m_utf8 = utf8;
        m_codec = codePage.trimmed().isEmpty() ? QByteArray() : CodecOf(codePage);
        if (m_codec.isEmpty() && !codePage.trimmed().isEmpty())
            m_codec = "windows-1252";
        if (m_codec == "UTF-8") {
            m_utf8 = true;
            m_codec.clear();
        }
    }
    void guessFrom(bool validUtf8) { m_guessUtf8 = validUtf8; }

    QString decode(const std::string &bytes) const
    {
        bool ascii = true;
        for (unsigned char c : bytes)
            if (c >= 0x80) {
                ascii = false;
                break;
            }
        QString s;
        if (ascii) {
            s = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
        } else if (m_utf8 || (m_codec.isEmpty() && m_guessUtf8 && IsValidUtf8(bytes.data(), qsizetype(bytes.size())))) {
            s = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
            if (m_utf8 && nonAscii.size() < 100000)
                nonAscii.insert(s);
        } else {
            const QByteArray name = m_codec.isEmpty() ? QByteArray("GB18030") : m_codec;
            if (name != m_decoderName) {
                m_decoder = QStringDecoder(name.constData());
                m_decoderName = name;
            }
            m_decoder.resetState();
            s = m_decoder.isValid() ? m_decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())))
                                    : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
        }
        return s.contains(QLatin1String("\\U+"), Qt::CaseInsensitive) ? Unescape(s) : s;
    }

    // The texts of a UTF-8 file beyond ASCII: whether its declared code page holds them all.
    mutable QSet<QString> nonAscii;

private:
    bool m_utf8 = false;
    bool m_guessUtf8 = true;
    QByteArray m_codec;
    mutable QStringDecoder m_decoder;
    mutable QByteArray m_decoderName;
};

// Encodes text for a file in `codePage`: what the code page cannot hold is written as \U+XXXX.
class TextEncoder {
public:
    explicit TextEncoder(const QString &codePage) : m_name(CodecOf(codePage))
    {
        if (m_name.isEmpty() && !codePage.trimmed().isEmpty())
            m_name = "windows-1252"; // as an unknown code page is read
        if (!m_name.isEmpty()) {
            m_encoder = QStringEncoder(m_name.constData());
            m_decoder = QStringDecoder(m_name.constData());
        }
    }

    // Whether the code page holds all of `text`, without escapes.
    bool holds(const QString &text) const { return !m_name.isEmpty() && (m_name == "UTF-8" || !convert(text).isEmpty()); }

    std::string encode(const QString &text) const
    {
        bool ascii = true;
        for (QChar c : text)
            if (c.unicode() >= 0x80) {
                ascii = false;
                break;
            }
        if (ascii)
            return text.toStdString();
        // The whole text at once when the code page holds all of it.
        if (m_name == "UTF-8")
            return text.toStdString();
        if (!m_name.isEmpty()) {
            const QByteArray bytes = convert(text);
            if (!bytes.isEmpty())
                return bytes.toStdString();
        }
        std::string out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.unicode() < 0x80) {
                out.push_back(char(c.unicode()));
                continue;
            }
            const QByteArray bytes = !m_name.isEmpty() && !c.isSurrogate() ? convert(QString(c)) : QByteArray();
            if (bytes.isEmpty()) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\U+%04X", unsigned(c.unicode()));
                out += escape;
            } else {
                out.append(bytes.constData(), std::size_t(bytes.size()));
            }
        }
        return out;
    }

private:
    // The text in the code page, or nothing when the code page lacks some of it: encoders put a
    // substitute for what it lacks, which only a round trip tells.
    QByteArray convert(const QString &text) const
    {
        m_encoder.resetState();
        m_decoder.resetState();
        QByteArray bytes = m_encoder.encode(text);
        if (m_encoder.hasError() || QString(m_decoder.decode(bytes)) != text)
            return {};
        // Code page 936 readers differ on its single-byte extras (0x80 for the euro sign).
        if (m_name == "GBK" && bytes.contains('\x80'))
            return {};
        return bytes;
    }

    QByteArray m_name;
    mutable QStringEncoder m_encoder;
    mutable QStringDecoder m_decoder;
};

// ---- reading ---------------------------------------------------------------------------------

struct Pair {
    int code;
    std::string_view value;
    bool hidden = false; // not shown to dxflib (the embedded object of an MTEXT or ATTRIB), kept in raw records
};

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// Splits the bytes into group code / value pairs. Stops at the end marker (0 EOF: what follows,
// the Ctrl-Z of older programs or any trailing text, is not part of the drawing) or at the first
// code line that is not a group code (a corrupt or cut file is read up to there).
std::vector<Pair> Tokenize(const QByteArray &bytes, bool &clean, bool &cutAtRecordStart)
{
    std::vector<Pair> pairs;
    pairs.reserve(std::size_t(bytes.size() / 24));
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    auto nextLine = [&](std::string_view &line) {
        if (p >= end)
            return false;
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
        const char *stop = nl ? nl : end;
        line = std::string_view(p, std::size_t(stop - p));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        p = nl ? nl + 1 : end;
        return true;
    };
    clean = true;
    cutAtRecordStart = false;
    std::string_view codeLine, value;
    while (nextLine(codeLine)) {
        const std::string_view code = Trimmed(codeLine);
        if (code.empty() && p >= end)
            break; // a final empty line
        int number = 0;
        const auto [ptr, ec] = std::from_chars(code.data(), code.data() + code.size(), number);
        if (ec != std::errc() || ptr != code.data() + code.size() || number < 0 || number > 1071 || !nextLine(value)) {
            clean = false;
            // A code line that is no group code ends the sound part after a complete record; a
            // file that ends after a group code is cut inside its record unless that code began the next.
            const bool isCode = ec == std::errc() && ptr == code.data() + code.size() && number >= 0 && number <= 1071;
            cutAtRecordStart = !isCode || number == 0;
            break;
        }
        pairs.push_back({number, value});
        if (number == 0 && Trimmed(value) == "EOF")
            break;
    }
    return pairs;
}

// Group codes of floating-point values.
bool IsRealCode(int code)
{
    return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
           (code >= 460 && code <= 469) || (code >= 1010 && code <= 1059);
}

// Whether dxflib reads the value as the number it says (it takes a decimal comma for a point).
bool IsNumber(std::string_view value)
{
    value = Trimmed(value);
    if (!value.empty() && value.front() == '+')
        value.remove_prefix(1);
    std::string text;
    if (value.find(',') != std::string_view::npos) {
        text.assign(value);
        std::replace(text.begin(), text.end(), ',', '.');
        value = text;
    }
    double v = 0;
    const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
    return ec == std::errc() && ptr == value.data() + value.size() && std::isfinite(v);
}

// A number of the file, `fallback` when it is none (a decimal comma is taken for a point).
double RealOf(std::string_view value, double fallback)
{
    std::string text(Trimmed(value));
    if (!text.empty() && text.front() == '+')
        text.erase(0, 1);
    std::replace(text.begin(), text.end(), ',', '.');
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return ec == std::errc() && ptr == text.data() + text.size() && Sane(v) ? v : fallback;
}

// Group codes of handles that point to other records (soft and hard pointers and owners).
bool IsReferenceCode(int code) { return (code >= 320 && code <= 369) || (code >= 390 && code <= 399) || code == 480 || code == 481; }

// Group codes of text values (names, strings, handles).
bool IsTextCode(int code)
{
    return (code >= 1 && code <= 9) || code == 100 || code == 102 || (code >= 300 && code <= 309) ||
           (code >= 410 && code <= 419) || (code >= 430 && code <= 439) || (code >= 470 && code <= 479) ||
           code == 999 || (code >= 1000 && code <= 1009);
}

bool IsEntityRecord(std::string_view type)
{
    return type != "BLOCK" && type != "ENDBLK" && type != "ENDSEC" && type != "EOF" && type != "SECTION";
}

// Builds the document from dxflib's callbacks.
class Reader final : public DL_CreationAdapter {
public:
    explicit Reader(DxfDocument &doc) : m_doc(doc) {}

    TextCodec codec;
    bool handled = false; // the record just finished became an entity of ours

    QString text(const std::string &s) const { return codec.decode(s); }
    const QString &name(const std::string &s)
    {
        auto it = m_names.find(s);
        if (it == m_names.end())
            it = m_names.insert(s, text(s));
        return *it;
    }

    std::vector<DxfEntity> &container() { return m_block ? m_block->entities : m_doc.entities; }

    // dxflib is shown every group code / value pair (pairs[index]) before it handles it, and calls
    // endSection() after a record (an entity, a table entry, a header variable) is complete. The
    // records of ENTITIES and BLOCKS that do not become an entity of ours are kept as their group
    // codes, with the vertices and attributes that follow them; they are copied out of the pairs
    // only then.
    void pair(const std::vector<Pair> &pairs, std::size_t index, const std::string &value)
    {
        m_pairs = &pairs;
        m_current = index;
        const int code = pairs[index].code;
        m_lastCode = code;
        if (code == 0) {
            m_recordBegin = m_nextBegin;
            m_nextBegin = index;
            m_nextRecord = value;
            handled = false;
        } else if (code == 2 && m_expectSectionName) {
            m_section = value;
            m_expectSectionName = false;
        }
    }

    void endSection() override
    {
        if (m_lastCode != 0)
            return; // a header variable
        const std::string &type = m_nextRecord;
        if (type != "VERTEX")
            flush();
        endRecord();
        if (m_rawOpen && m_rawKeep && (type == "VERTEX" || type == "SEQEND" || type == "ATTRIB"))
            return; // still the same record
        closeRaw(m_current);
        m_expectSectionName = type == "SECTION";
        if (type == "ENDSEC")
            m_section.clear();
        // (a VERTEX or SEQEND without its polyline or insert cannot stand alone: it is left out)
        if ((m_section == "ENTITIES" || m_section == "BLOCKS") && IsEntityRecord(type) && type != "VERTEX" && type != "SEQEND") {
            m_rawOpen = true;
            m_rawBegin = m_current;
        }
        handled = false;
    }

    // The end of a file cut short; the record read last is incomplete unless the next had begun.
    void finishCutFile(bool lastRecordComplete)
    {
        flush();
        if (!lastRecordComplete)
            m_rawKeep = false;
        closeRaw(m_pairs ? m_pairs->size() : 0);
    }
    bool inBlock() const { return m_block != nullptr; }

    // Entities that take more than one record (polylines, hatches) are complete at the next record.
    void flush()
    {
        if (m_pending) {
            finish(std::move(*m_pending));
            m_pending.reset();
        }
    }

    void setVariableString(const std::string &key, const std::string &value, int code) override
    {
        if (key == "$ACADVER")
            m_acadver = value;
        if (key == "$DWGCODEPAGE")
            m_doc.codePage = QString::fromLatin1(value.c_str());
        if (key == "$ACADVER" || key == "$DWGCODEPAGE")
            codec.configure(m_acadver >= "AC1021", m_doc.codePage.trimmed());
        DxfVariable v{key, DxfVariable::Text, code, {}, text(value).toStdString()};
        addVariable(std::move(v));
    }
    void setVariableInt(const std::string &key, int value, int code) override
    {
        addVariable({key, DxfVariable::Integer, code, {double(value), 0, 0}, {}});
    }
    void setVariableDouble(const std::string &key, double value, int code) override
    {
        addVariable({key, DxfVariable::Real, code, {value, 0, 0}, {}});
    }
    void setVariableVector(const std::string &key, double v1, double v2, double v3, int code) override
    {
        addVariable({key, DxfVariable::Vector, code, {v1, v2, v3}, {}});
    }

    void addLayer(const DL_LayerData &data) override
    {
        if (data.name.empty())
            return;
        DxfLayer &layer = m_doc.ensureLayer(name(data.name));
        const int color = attributes.getColor();
        layer.color = std::abs(color) >= 1 && std::abs(color) <= 255 ? std::abs(color) : 7;
        layer.off = data.off || color < 0;
        layer.flags = data.flags;
        layer.frozen = (data.flags & 1) != 0;
        layer.lineWeight = attributes.getWidth();
        layer.linetype = text(attributes.getLinetype());
    }
    void addLinetype(const DL_LinetypeData &data) override
    {
        m_doc.linetypes.push_back({text(data.name).toStdString(), text(data.description).toStdString(), data.flags,
                                   data.patternLength, {}});
    }
    void addLinetypeDash(double length) override
    {
        if (!m_doc.linetypes.empty() && m_doc.linetypes.back().dashes.size() < 64)
            m_doc.linetypes.back().dashes.push_back(length);
    }
    void addTextStyle(const DL_StyleData &d) override
    {
        if (d.name.empty())
            return;
        m_doc.styles.push_back({text(d.name).toStdString(), d.flags, d.fixedTextHeight, d.widthFactor, d.obliqueAngle,
                                d.textGenerationFlags, d.lastHeightUsed, text(d.primaryFontFile).toStdString(),
                                text(d.bigFontFile).toStdString()});
    }
    void addBlock(const DL_BlockData &data) override
    {
        flush();
        m_attributeOwner = -1;
        const QString blockName = name(data.name);
        // The layout blocks: *Model_Space and *Paper_Space, in R12 $MODEL_SPACE and $PAPER_SPACE.
        if (blockName.startsWith(QLatin1String("*Model_Space"), Qt::CaseInsensitive) ||
            blockName.startsWith(QLatin1String("*Paper_Space"), Qt::CaseInsensitive) ||
            blockName.startsWith(QLatin1String("$Model_Space"), Qt::CaseInsensitive) ||
            blockName.startsWith(QLatin1String("$Paper_Space"), Qt::CaseInsensitive) || blockName.isEmpty() ||
            m_doc.block(blockName)) {
            m_discard.entities.clear();
            m_block = &m_discard; // the layout blocks are written anew; a repeated name keeps the first
            return;
        }
        m_doc.blocks.push_back({blockName, data.flags, {data.bpx, data.bpy, data.bpz}, {}});
        m_block = &m_doc.blocks.back();
        if (!Sane(data.bpx) || !Sane(data.bpy) || !Sane(data.bpz))
            m_block->base = {};
    }
    void endBlock() override
    {
        flush();
        m_attributeOwner = -1;
        m_block = nullptr;
    }

    void addPoint(const DL_PointData &d) override
    {
        DxfEntity e = make(DxfType::Point);
        e.p = {d.x, d.y, d.z};
        finish(std::move(e));
    }
    void addLine(const DL_LineData &d) override
    {
        DxfEntity e = make(DxfType::Line);
        e.p = {d.x1, d.y1, d.z1};
        e.q = {d.x2, d.y2, d.z2};
        finish(std::move(e));
    }
    void addCircle(const DL_CircleData &d) override
    {
        DxfEntity e = make(DxfType::Circle);
        e.p = {d.cx, d.cy, d.cz};
        e.radius = d.radius;
        finish(std::move(e));
    }
    void addArc(const DL_ArcData &d) override
    {
        DxfEntity e = make(DxfType::Arc);
        e.p = {d.cx, d.cy, d.cz};
        e.radius = d.radius;
        e.startAngle = d.angle1;
        e.endAngle = d.angle2;
        finish(std::move(e));
    }
    void addEllipse(const DL_EllipseData &d) override
    {
        DxfEntity e = make(DxfType::Ellipse);
        e.p = {d.cx, d.cy, d.cz};
        e.q = {d.mx, d.my, d.mz};
        e.ratio = d.ratio;
        e.startAngle = d.angle1;
        e.endAngle = d.angle2;
        finish(std::move(e));
    }
    void addPolyline(const DL_PolylineData &d) override
    {
        flush();
        // 3D polylines and meshes are kept as read.
        if ((d.flags & (8 | 16 | 64)) || attributes.isInPaperSpace())
            return;
        handled = true;
        m_pending = make(DxfType::Polyline);
        m_pending->closed = (d.flags & 1) != 0;
        m_pending->extrusion = normal();
        m_pending->elevation = getExtrusion() ? getExtrusion()->getElevation() : 0;
    }
    void addVertex(const DL_VertexData &d) override
    {
        handled = true;
        if (m_pending && m_pending->type == DxfType::Polyline && m_pending->vertices.size() < 10'000'000)
            m_pending->vertices.push_back({d.x, d.y, d.bulge});
    }
    void addText(const DL_TextData &d) override
    {
        DxfEntity e = make(DxfType::Text);
        e.p = {d.ipx, d.ipy, d.ipz};
        e.q = std::isnan(d.apx) || std::isnan(d.apy) ? e.p : DxfVec{d.apx, d.apy, std::isnan(d.apz) ? d.ipz : d.apz};
        e.height = d.height;
        e.widthFactor = d.xScaleFactor;
        e.hAlign = d.hJustification;
        e.vAlign = d.vJustification;
        e.text = text(d.text);
        e.style = name(d.style);
        e.rotation = d.angle * 180 / Pi; // dxflib hands text angles in radians
        e.generation = d.textGenerationFlags & 6;
        e.extrusion = normal();
        finish(std::move(e));
    }
    // An attribute belongs to the insert before it; one without is kept as a text.
    void addAttribute(const DL_AttributeData &d) override
    {
        if (m_section != "ENTITIES" && m_section != "BLOCKS")
            return;
        if (m_unsoundOwner || (m_rawOpen && m_rawKeep)) { // with an insert left out, or kept as read
            handled = true;
            return;
        }
        if (m_attributeOwner < 0 || std::size_t(m_attributeOwner) >= container().size() ||
            container()[std::size_t(m_attributeOwner)].type != DxfType::Insert) {
            addText(d);
            return;
        }
        handled = true;
        DxfEntity e = make(DxfType::Text);
        e.p = {d.ipx, d.ipy, d.ipz};
        e.q = std::isnan(d.apx) || std::isnan(d.apy) ? e.p : DxfVec{d.apx, d.apy, std::isnan(d.apz) ? d.ipz : d.apz};
        e.height = d.height;
        e.widthFactor = d.xScaleFactor;
        e.hAlign = d.hJustification;
        e.vAlign = d.vJustification;
        if (const auto v = recordValue(74))
            e.vAlign = int(std::clamp(RealOf(*v, 0), 0.0, 3.0));
        e.text = text(d.text);
        e.style = name(d.style);
        e.rotation = d.angle * 180 / Pi;
        e.generation = d.textGenerationFlags & 6;
        e.extrusion = normal();
        e.tag = text(d.tag);
        if (const auto v = recordValue(70))
            e.attributeFlags = int(std::clamp(RealOf(*v, 0), 0.0, 15.0));
        if (!Sound(e)) {
            ++m_doc.unsoundEntities;
            return;
        }
        auto &attributes = container()[std::size_t(m_attributeOwner)].attributes;
        if (attributes.size() < 100'000)
            attributes.push_back(std::move(e));
    }
    void addMTextChunk(const std::string &chunk) override { m_mtextChunks += chunk; }
    void addMText(const DL_MTextData &d) override
    {
        DxfEntity e = make(DxfType::MText);
        e.p = {d.ipx, d.ipy, d.ipz};
        e.height = d.height;
        e.width = d.width;
        e.attachment = d.attachmentPoint;
        e.lineSpacingStyle = std::clamp(d.lineSpacingStyle, 1, 2);
        e.lineSpacing = d.lineSpacingFactor > 0 && d.lineSpacingFactor <= 4 ? d.lineSpacingFactor : 1;
        e.text = text(m_mtextChunks + d.text);
        e.style = name(d.style);
        // The rotation in degrees (code 50; dxflib takes it for radians in files without its own
        // comment), or the direction (11, 21) when the text has one.
        e.rotation = 0;
        if (const auto angle = recordValue(50))
            e.rotation = RealOf(*angle, 0);
        const auto dx = recordValue(11), dy = recordValue(21);
        if (dx && dy && (RealOf(*dx, 0) != 0 || RealOf(*dy, 0) != 0))
            e.rotation = std::atan2(RealOf(*dy, 0), RealOf(*dx, 0)) * 180 / Pi;
        m_mtextChunks.clear();
        finish(std::move(e));
    }
    void addInsert(const DL_InsertData &d) override
    {
        DxfEntity e = make(DxfType::Insert);
        e.block = name(d.name);
        e.p = {d.ipx, d.ipy, d.ipz};
        e.sx = d.sx;
        e.sy = d.sy;
        e.sz = d.sz;
        e.rotation = d.angle;
        e.columns = std::clamp(d.cols, 1, 1000);
        e.rows = std::clamp(d.rows, 1, 1000);
        e.columnSpacing = d.colSp;
        e.rowSpacing = d.rowSp;
        const std::size_t before = container().size();
        finish(std::move(e));
        if (container().size() > before)
            m_attributeOwner = std::ptrdiff_t(before); // its attributes follow
        else
            m_unsoundOwner = handled && (m_section == "ENTITIES" || m_section == "BLOCKS");
    }
    void addHatch(const DL_HatchData &d) override
    {
        flush();
        if (attributes.isInPaperSpace())
            return;
        handled = true;
        m_pending = make(DxfType::Hatch);
        m_pending->solid = d.solid;
        m_pending->pattern = name(d.pattern);
        m_pending->patternScale = d.scale;
        m_pending->patternAngle = d.angle;
        m_pending->extrusion = normal();
        if (const auto z = recordValue(30)) // the height of the hatch's plane
            m_pending->elevation = RealOf(*z, 0);
    }
    void addHatchLoop(const DL_HatchLoopData &) override
    {
        if (m_pending && m_pending->type == DxfType::Hatch && m_pending->loops.size() < 100'000)
            m_pending->loops.emplace_back();
    }
    void addHatchEdge(const DL_HatchEdgeData &edge) override
    {
        if (!m_pending || m_pending->type != DxfType::Hatch || m_pending->loops.empty())
            return;
        AppendEdge(m_pending->loops.back(), edge);
    }
    void endSequence() override
    {
        handled = true;
        m_attributeOwner = -1;
        m_unsoundOwner = false;
        flush();
    }

    // Appends one boundary edge of a hatch to a loop of vertices with bulges.
    static void AppendEdge(std::vector<DxfVertex> &loop, const DL_HatchEdgeData &edge)
    {
        if (loop.size() > 1'000'000)
            return;
        switch (edge.type) {
        case 0:
            for (const auto &v : edge.vertices)
                if (v.size() >= 2)
                    loop.push_back({v[0], v[1], v.size() >= 3 ? v[2] : 0});
            break;
        case 1:
            loop.push_back({edge.x1, edge.y1, 0});
            break;
        case 2: {
            // Angles of clockwise arcs are stored mirrored.
            const double a1 = edge.ccw ? edge.angle1 : -edge.angle1;
            const double a2 = edge.ccw ? edge.angle2 : -edge.angle2;
            double sweep = edge.ccw ? a2 - a1 : a1 - a2;
            if (!std::isfinite(sweep))
                break;
            sweep = std::fmod(sweep, 2 * Pi);
            if (sweep <= 1e-12)
                sweep += 2 * Pi;
            const double sign = edge.ccw ? 1 : -1;
            const double bulge = sign * std::tan(sweep / 8); // two halves: a whole circle has no single bulge
            const double mid = a1 + sign * sweep / 2;
            loop.push_back({edge.cx + edge.radius * std::cos(a1), edge.cy + edge.radius * std::sin(a1), bulge});
            loop.push_back({edge.cx + edge.radius * std::cos(mid), edge.cy + edge.radius * std::sin(mid), bulge});
            break;
        }
        case 3: {
            const double major = std::hypot(edge.mx, edge.my);
            const double rot = std::atan2(edge.my, edge.mx);
            const double a1 = edge.ccw ? edge.angle1 : -edge.angle1;
            double sweep = edge.ccw ? edge.angle2 - edge.angle1 : edge.angle1 - edge.angle2;
            if (!std::isfinite(sweep) || !std::isfinite(major))
                break;
            sweep = std::fmod(sweep, 2 * Pi);
            if (sweep <= 1e-12)
                sweep += 2 * Pi;
            const double sign = edge.ccw ? 1 : -1;
            for (int i = 0; i < 32; ++i) {
                const double t = a1 + sign * sweep * i / 32;
                const double x = major * std::cos(t), y = major * edge.ratio * std::sin(t);
                loop.push_back({edge.cx + x * std::cos(rot) - y * std::sin(rot), edge.cy + x * std::sin(rot) + y * std::cos(rot), 0});
            }
            break;
        }
        case 4: {
            const auto &points = edge.fitPoints.empty() ? edge.controlPoints : edge.fitPoints;
            for (const auto &v : points)
                if (v.size() >= 2)
                    loop.push_back({v[0], v[1], 0});
            break;
        }
        default:
            break;
        }
    }

private:
    // The normal of the record's plane; (0, 0, 1) when none is given or it is not a direction.
    DxfVec normal()
    {
        if (!getExtrusion())
            return {0, 0, 1};
        const double *d = getExtrusion()->getDirection();
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        if (!std::isfinite(length) || length < 1e-12 || (d[0] == 0 && d[1] == 0 && d[2] > 0))
            return {0, 0, 1};
        return {d[0] / length, d[1] / length, d[2] / length};
    }

    // The value of a group code in the record being handed over (the first, before any embedded
    // object), or nothing.
    std::optional<std::string_view> recordValue(int code) const
    {
        if (!m_pairs)
            return {};
        for (std::size_t i = m_recordBegin + 1; i < m_nextBegin && i < m_pairs->size(); ++i) {
            const Pair &p = (*m_pairs)[i];
            if (p.hidden || p.code == 101)
                break;
            if (p.code == code)
                return p.value;
        }
        return {};
    }

    DxfEntity make(DxfType type)
    {
        DxfEntity e;
        e.type = type;
        e.layer = name(attributes.getLayer());
        e.color = attributes.getColor();
        e.color24 = attributes.getColor24();
        // dxflib takes the thickness (39) for the line weight when there is no 370.
        const auto weight = recordValue(370);
        e.lineWeight = weight ? int(std::clamp(RealOf(*weight, -1), -3.0, 211.0)) : -1;
        if (const auto thickness = recordValue(39))
            e.thickness = RealOf(*thickness, 0);
        e.linetype = name(attributes.getLinetype());
        e.extrusion = normal();
        return e;
    }

    static bool Sound(const DxfEntity &e)
    {
        const double values[] = {e.p.x, e.p.y, e.p.z, e.q.x, e.q.y, e.q.z, e.radius, e.startAngle, e.endAngle,
                                 e.ratio, e.height, e.rotation, e.widthFactor, e.width, e.sx, e.sy, e.sz,
                                 e.columnSpacing, e.rowSpacing, e.patternScale, e.patternAngle, e.thickness,
                                 e.elevation, e.extrusion.x, e.extrusion.y, e.extrusion.z};
        for (double v : values)
            if (!Sane(v))
                return false;
        for (const auto &v : e.vertices)
            if (!Sane(v.x) || !Sane(v.y) || !Sane(v.bulge))
                return false;
        for (const auto &loop : e.loops)
            for (const auto &v : loop)
                if (!Sane(v.x) || !Sane(v.y) || !Sane(v.bulge))
                    return false;
        return true;
    }

    void finish(DxfEntity e)
    {
        handled = true;
        m_attributeOwner = -1;
        m_unsoundOwner = false;
        if (m_section != "ENTITIES" && m_section != "BLOCKS")
            return; // an entity record in another section is no part of the drawing
        if (e.type == DxfType::Hatch)
            std::erase_if(e.loops, [](const std::vector<DxfVertex> &loop) { return loop.size() < 2; });
        if (attributes.isInPaperSpace()) {
            handled = false; // kept as read, not drawn
            return;
        }
        if (!Sound(e)) {
            ++m_doc.unsoundEntities;
            return;
        }
        container().push_back(std::move(e));
    }

    void addVariable(DxfVariable v)
    {
        for (auto &existing : m_doc.variables)
            if (existing.name == v.name) {
                existing = std::move(v);
                return;
            }
        m_doc.variables.push_back(std::move(v));
    }

    void endRecord()
    {
        if (m_rawOpen && !m_rawDecided) {
            m_rawDecided = true;
            m_rawKeep = !handled;
        }
    }
    void closeRaw(std::size_t end)
    {
        if (m_rawOpen && m_rawKeep && m_pairs) {
            DxfEntity e;
            e.type = DxfType::Other;
            bool inGroup = false;
            for (std::size_t i = m_rawBegin; i < end && i < m_pairs->size(); ++i) {
                const Pair &p = (*m_pairs)[i];
                if (p.code < 0)
                    continue;
                // The {ACAD_XDICTIONARY and {ACAD_REACTORS groups (and any other of code 102) are
                // left out whole: their handles point to objects that are not written back.
                if (p.code == 102) {
                    const std::string_view v = Trimmed(p.value);
                    inGroup = !v.empty() && v.front() == '{';
                    continue;
                }
                if (inGroup)
                    continue;
                std::string value(p.value);
                e.raw.emplace_back(p.code, IsTextCode(p.code) ? text(value).toStdString() : std::move(value));
            }
            if (!e.raw.empty())
                container().push_back(std::move(e));
        }
        m_rawOpen = m_rawDecided = m_rawKeep = false;
    }

    int m_lastCode = -1;
    std::string m_nextRecord;
    std::string m_section;
    bool m_expectSectionName = false;
    const std::vector<Pair> *m_pairs = nullptr;
    std::size_t m_current = 0, m_rawBegin = 0;
    std::size_t m_recordBegin = 0, m_nextBegin = 0; // the record being handed over, the one after it
    std::ptrdiff_t m_attributeOwner = -1;            // the insert in container() the ATTRIBs read belong to
    bool m_unsoundOwner = false;                     // the ATTRIBs read belong to an insert left out
    bool m_rawOpen = false, m_rawDecided = false, m_rawKeep = false;

    DxfDocument &m_doc;
    DxfBlock *m_block = nullptr;
    DxfBlock m_discard;
    std::optional<DxfEntity> m_pending;
    std::string m_mtextChunks;
    std::string m_acadver;
    QHash<std::string, QString> m_names;
};

// Counts announced by an entity before its data (vertex, knot, control point counts) are held to
// what the entity really carries: dxflib sizes its arrays from them.
void HoldCountsToContent(std::vector<Pair> &pairs, std::deque<std::string> &storage)
{
    std::string_view type;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        if (pairs[i].code == 0) {
            type = Trimmed(pairs[i].value);
            continue;
        }
        int countedCode = -1;
        if (type == "LWPOLYLINE" && pairs[i].code == 90)
            countedCode = 10;
        else if (type == "SPLINE" && pairs[i].code == 72)
            countedCode = 40;
        else if (type == "SPLINE" && pairs[i].code == 73)
            countedCode = 10;
        else if (type == "SPLINE" && pairs[i].code == 74)
            countedCode = 11;
        else if (type == "LEADER" && pairs[i].code == 76)
            countedCode = 10;
        if (countedCode < 0)
            continue;
        std::size_t count = 0;
        for (std::size_t k = i + 1; k < pairs.size() && pairs[k].code != 0; ++k)
            if (pairs[k].code == countedCode)
                ++count;
        storage.push_back(std::to_string(count));
        pairs[i].value = storage.back();
    }
}

} // namespace

// ---- DxfDocument -----------------------------------------------------------------------------

double DxfDocument::variable(const QString &name, double fallback) const
{
    const std::string key = "$" + name.toUpper().toStdString();
    for (const auto &v : variables) {
        if (QString::fromStdString(v.name).toUpper().toStdString() != key)
            continue;
        if (v.kind == DxfVariable::Real || v.kind == DxfVariable::Integer)
            return std::isfinite(v.values[0]) ? v.values[0] : fallback;
    }
    return fallback;
}

void DxfDocument::setVariable(const QString &name, double value)
{
    const std::string key = "$" + name.toUpper().toStdString();
    for (auto &v : variables)
        if (QString::fromStdString(v.name).toUpper().toStdString() == key) {
            v.values[0] = value;
            return;
        }
    variables.push_back({key, DxfVariable::Real, 40, {value, 0, 0}, {}});
}

const DxfLayer *DxfDocument::layer(const QString &name) const
{
    for (const auto &l : layers)
        if (l.name.compare(name, Qt::CaseInsensitive) == 0)
            return &l;
    return nullptr;
}

DxfLayer &DxfDocument::ensureLayer(const QString &name)
{
    for (auto &l : layers)
        if (l.name.compare(name, Qt::CaseInsensitive) == 0)
            return l;
    layers.push_back({name});
    return layers.back();
}

const DxfBlock *DxfDocument::block(const QString &name) const
{
    for (const auto &b : blocks)
        if (b.name.compare(name, Qt::CaseInsensitive) == 0)
            return &b;
    return nullptr;
}

QString DxfBlockName(const QString &wanted)
{
    QString base = wanted;
    static const QRegularExpression invalid(QStringLiteral("[<>/\\\\\":;?*|,=`\\s]"));
    base.replace(invalid, QStringLiteral("_"));
    return base.isEmpty() ? QStringLiteral("BLOCK") : base;
}

QString DxfDocument::freeBlockName(const QString &wanted) const
{
    const QString base = DxfBlockName(wanted);
    QString candidate = base;
    for (int i = 1; block(candidate); ++i)
        candidate = base + QStringLiteral("_%1").arg(i);
    return candidate;
}

DxfDocument NewDxfDocument()
{
    DxfDocument doc;
    doc.layers.push_back({QStringLiteral("0")});
    doc.setVariable(QStringLiteral("LTSCALE"), 1);
    return doc;
}

// ---- reading ---------------------------------------------------------------------------------

DxfDocument ParseDxf(const QByteArray &bytes, const QString &name)
{
    if (bytes.startsWith("AutoCAD Binary DXF"))
        throw DxfError(QStringLiteral("“%1”是二进制DXF文件，请在CAD程序中另存为文本DXF后再打开。").arg(name).toStdString());
    if (bytes.size() >= 6 && bytes.startsWith("AC10") && bytes.at(4) >= '0' && bytes.at(4) <= '9')
        throw DxfError(QStringLiteral("“%1”是DWG图形文件，请在CAD程序中另存为DXF后再打开。").arg(name).toStdString());

    bool clean = true, cutAtRecordStart = false;
    std::vector<Pair> pairs = Tokenize(bytes, clean, cutAtRecordStart);
    std::size_t first = 0;
    while (first < pairs.size() && pairs[first].code == 999)
        ++first;
    if (first >= pairs.size() || pairs[first].code != 0 || Trimmed(pairs[first].value) != "SECTION")
        throw DxfError(QStringLiteral("“%1”不是DXF图形文件。").arg(name).toStdString());

    std::deque<std::string> counts;
    HoldCountsToContent(pairs, counts);

    DxfDocument doc;
    doc.codePage.clear();
    doc.truncated = !clean || Trimmed(pairs.back().value) != "EOF" || pairs.back().code != 0;
    // Room for every record (the drawing's entities are most of them).
    doc.entities.reserve(std::size_t(std::count_if(pairs.begin(), pairs.end(), [](const Pair &p) { return p.code == 0; })));
    Reader reader(doc);
    reader.codec.guessFrom(IsValidUtf8(bytes.constData(), bytes.size()));
    reader.codec.configure(false, {});

    // dxflib reads the pairs again, one by one, from a normalized text: one line per code and
    // value, names of records and sections trimmed (files from some programs pad them), values no
    // longer than its line buffer (a longer line would stop its reader for good). Each pair is shown
    // to the reader before dxflib handles it.
    // A file cut short: the record read last counts only when the next one had begun.
    if (doc.truncated && cutAtRecordStart)
        pairs.push_back({0, "EOF"});
    std::string normalized;
    normalized.reserve(std::size_t(bytes.size()) + pairs.size() * 2);
    bool expectSectionName = false, embedded = false;
    std::string_view section;
    for (std::size_t i = first; i < pairs.size(); ++i) {
        std::string_view value = pairs[i].value;
        // Code 9 names a header variable; elsewhere dxflib would take it for the end of a record.
        if (pairs[i].code == 9 && section != "HEADER") {
            pairs[i].code = -1;
            continue;
        }
        // The embedded object of an MTEXT or ATTRIB (DXF 2018: "101 Embedded Object") repeats
        // codes of the entity with other meanings; dxflib would take them for the entity's own.
        if (pairs[i].code == 0)
            embedded = false;
        else if (pairs[i].code == 101 && (section == "ENTITIES" || section == "BLOCKS"))
            embedded = true;
        if (embedded) {
            pairs[i].hidden = true;
            continue;
        }
        if (expectSectionName && pairs[i].code == 2)
            section = Trimmed(value);
        if (pairs[i].code == 0 && Trimmed(value) == "ENDSEC")
            section = {};
        if (pairs[i].code == 0 || (pairs[i].code == 2 && expectSectionName))
            value = Trimmed(value);
        expectSectionName = pairs[i].code == 0 && value == "SECTION";
        value = value.substr(0, std::min(value.size(), ValueLimit));
        if (IsRealCode(pairs[i].code) && !IsNumber(value))
            value = "1e999"; // read by dxflib as the largest double: the entity is left out as unsound
        char code[8];
        normalized.append(code, std::to_chars(code, code + sizeof code, pairs[i].code).ptr);
        normalized += '\n';
        normalized += value;
        normalized += '\n';
        pairs[i].value = value; // as dxflib reads it
    }

    DL_Dxf dxf;
    {
        std::istringstream empty; // sets up dxflib's reading state
        dxf.in(empty, &reader);
    }
    std::istringstream stream(std::move(normalized));
    std::string value;
    for (std::size_t i = first; i < pairs.size(); ++i) {
        if (pairs[i].code < 0 || pairs[i].hidden)
            continue;
        value.assign(pairs[i].value);
        reader.pair(pairs, i, value);
        dxf.readDxfGroups(stream, &reader);
    }
    if (doc.truncated)
        reader.finishCutFile(cutAtRecordStart);

    // The CLASSES section and the objects, kept for the entities passed through that point to them.
    section = {};
    expectSectionName = false;
    DxfRecord *record = nullptr;
    DxfRecord application; // (only its name is kept)
    for (std::size_t i = first; i < pairs.size(); ++i) {
        const Pair &p = pairs[i];
        if (p.code < 0)
            continue;
        if (p.code == 0) {
            record = nullptr;
            const std::string_view type = Trimmed(p.value);
            if (type == "ENDSEC")
                section = {};
            expectSectionName = type == "SECTION";
            if (expectSectionName || type == "ENDSEC" || type == "EOF")
                continue;
            if (section == "CLASSES" && type == "CLASS" && doc.classes.size() < 10'000)
                record = &doc.classes.emplace_back();
            else if (section == "TABLES" && type == "DIMSTYLE" && doc.dimensionStyles.size() < 10'000)
                record = &doc.dimensionStyles.emplace_back();
            else if (section == "TABLES" && type == "APPID" && doc.applications.size() < 10'000)
                record = &application;
            else if (section == "OBJECTS" && doc.objects.size() < 1'000'000)
                record = &doc.objects.emplace_back();
        } else if (p.code == 2 && expectSectionName) {
            section = Trimmed(p.value);
            expectSectionName = false;
            continue;
        }
        if (record == &application && p.code == 2 && p.value.size() < 256)
            doc.applications.push_back(reader.text(std::string(p.value)).toStdString());
        if (!record || record == &application)
            continue;
        std::string value(p.value);
        if ((p.code == 5 || p.code == 105) && record->handle.empty() && section == "OBJECTS")
            record->handle = std::string(Trimmed(value));
        record->pairs.emplace_back(p.code, IsTextCode(p.code) ? reader.text(value).toStdString() : std::move(value));
    }

    // The code page the drawing is saved in: the file's own; a UTF-8 file's declared one when it
    // holds all of its text, else the Chinese one.
    const QString declared = doc.codePage.trimmed();
    const bool isUtf8 = [&] {
        for (const auto &v : doc.variables)
            if (v.name == "$ACADVER")
                return v.text >= "AC1021";
        return false;
    }();
    if (declared.isEmpty()) {
        doc.codePage = QStringLiteral("ANSI_936");
    } else if (isUtf8) {
        const TextEncoder encoder(declared);
        bool fits = !CodecOf(declared).isEmpty();
        for (auto it = reader.codec.nonAscii.cbegin(); fits && it != reader.codec.nonAscii.cend(); ++it)
            fits = encoder.holds(*it);
        doc.codePage = fits ? declared : QStringLiteral("ANSI_936");
    } else {
        doc.codePage = declared;
    }
    if (!doc.layer(QStringLiteral("0")))
        doc.layers.insert(doc.layers.begin(), DxfLayer{QStringLiteral("0")});
    return doc;
}

DxfDocument ReadDxf(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw FileError::NotFound();
    if (!file.open(QIODevice::ReadOnly))
        throw DxfError(QStringLiteral("不能打开图形文件“%1”：%2").arg(path, file.errorString()).toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw DxfError(QStringLiteral("读图形文件“%1”出错：%2").arg(path, file.errorString()).toStdString());
    return ParseDxf(bytes, QFileInfo(path).fileName());
}

// ---- writing ---------------------------------------------------------------------------------

namespace {

// dxflib prints numbers into a fixed buffer in fixed notation: a number that is not sound would
// overrun it. Every number goes through here; what could not be read back is written as 0.
class SafeWriter final : public DL_WriterA {
public:
    using DL_WriterA::DL_WriterA;
    void dxfReal(int gc, double value) const override
    {
        if (normal && gc >= 210 && gc <= 230 && gc % 10 == 0) // dxflib writes hatches in the XY plane
            value = gc == 210 ? normal->x : gc == 220 ? normal->y : normal->z;
        else if (normal && gc == 30)
            value = elevation;
        DL_WriterA::dxfReal(gc, Sane(value) ? value : 0);
    }
    // The next handle dxflib would give.
    unsigned long nextHandle() const { return m_handle; }

    const DxfVec *normal = nullptr; // the plane of the hatch being written, and its height
    double elevation = 0;
};

// dxflib's hatch-edge constructors set only the members of their own kind of edge; the others,
// bools among them, stay indeterminate, and copying such an edge into a vector reads them. Each
// edge here starts with every member set.
DL_HatchEdgeData BlankEdge()
{
    DL_HatchEdgeData edge; // not defined, line ends at 0
    edge.type = 0;
    edge.cx = edge.cy = edge.radius = edge.angle1 = edge.angle2 = 0.0;
    edge.ccw = false;
    edge.mx = edge.my = edge.ratio = 0.0;
    edge.degree = edge.nKnots = edge.nControl = edge.nFit = 0;
    edge.rational = edge.periodic = false;
    edge.startTangentX = edge.startTangentY = edge.endTangentX = edge.endTangentY = 0.0;
    return edge;
}

DL_HatchEdgeData LineEdge(double x1, double y1, double x2, double y2)
{
    DL_HatchEdgeData edge = BlankEdge();
    edge.defined = true;
    edge.type = 1;
    edge.x1 = x1;
    edge.y1 = y1;
    edge.x2 = x2;
    edge.y2 = y2;
    return edge;
}

DL_HatchEdgeData ArcEdge(double cx, double cy, double radius, double angle1, double angle2, bool ccw)
{
    DL_HatchEdgeData edge = BlankEdge();
    edge.defined = true;
    edge.type = 2;
    edge.cx = cx;
    edge.cy = cy;
    edge.radius = radius;
    edge.angle1 = angle1;
    edge.angle2 = angle2;
    edge.ccw = ccw;
    return edge;
}

class Writer {
public:
    Writer(const DxfDocument &doc, SafeWriter &dw, DL_Dxf &dxf) : m_doc(doc), m_dw(dw), m_dxf(dxf), m_enc(doc.codePage) {}

    void write()
    {
        planHandles();
        header();
        classes();
        tables();
        blocks();
        m_dw.sectionEntities();
        for (const auto &e : m_doc.entities)
            entity(e);
        m_dw.sectionEnd();
        m_dxf.writeObjects(m_dw);
        objects();
        m_dxf.writeObjectsEnd(m_dw);
        m_dw.dxfEOF();
    }

    // The handle after the last one written.
    unsigned long handleSeed() const { return std::max<unsigned long>({m_next, m_dw.nextHandle(), 0x10000}); }

private:
    static std::string Key(std::string_view handle)
    {
        std::string key(Trimmed(handle));
        for (char &c : key)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        return key;
    }

    // Entities kept as read get new handles above those dxflib gives (it counts up from 0x30, one
    // for each record it writes), and so do the objects they point to, which are carried along.
    void planHandles()
    {
        std::size_t records = m_doc.layers.size() + m_doc.linetypes.size() + m_doc.styles.size() + 3 * m_doc.blocks.size();
        std::vector<const DxfEntity *> kept;
        auto count = [&](const std::vector<DxfEntity> &entities) {
            for (const auto &e : entities) {
                records += 2 + e.attributes.size();
                if (e.type == DxfType::Other)
                    kept.push_back(&e);
            }
        };
        for (const auto &b : m_doc.blocks) // in the order they are written
            count(b.entities);
        count(m_doc.entities);
        m_next = 0x30 + 2 * records + 0x1000;

        // The handles of the records kept: each gets a new one.
        for (const DxfEntity *e : kept)
            for (std::size_t i = 0; i < e->raw.size(); ++i)
                if (e->raw[i].first == 0) {
                    unsigned long fresh = m_next++;
                    for (std::size_t k = i + 1; k < e->raw.size() && e->raw[k].first != 0; ++k)
                        if (e->raw[k].first == 5) {
                            m_map.insert(Key(e->raw[k].second), fresh);
                            break;
                        }
                    m_recordHandles.push_back(fresh);
                }
        // The objects they point to, and the objects those point to.
        QHash<std::string, std::size_t> objects;
        for (std::size_t i = 0; i < m_doc.objects.size(); ++i)
            if (!m_doc.objects[i].handle.empty())
                objects.insert(Key(m_doc.objects[i].handle), i);
        std::vector<std::size_t> queue;
        auto follow = [&](const std::vector<std::pair<int, std::string>> &pairs) {
            bool inGroup = false;
            for (const auto &[code, value] : pairs) {
                if (code == 102) {
                    inGroup = !value.empty() && value.front() == '{';
                    continue;
                }
                if (inGroup || !((code >= 340 && code <= 369) || code == 480 || code == 481))
                    continue;
                const std::string key = Key(value);
                const auto it = objects.constFind(key);
                if (it == objects.cend() || m_map.contains(key))
                    continue;
                m_map.insert(key, m_next++);
                queue.push_back(*it);
            }
        };
        for (const DxfEntity *e : kept)
            follow(e->raw);
        for (std::size_t i = 0; i < queue.size(); ++i)
            follow(m_doc.objects[queue[i]].pairs);
        m_carried = std::move(queue);
    }

    // Writes records kept as read: new handles, references to what is written along mapped, others
    // (and code 102 groups) left out.
    enum class Kept { Entity, Object, TableRecord };
    void writeRaw(const std::vector<std::pair<int, std::string>> &pairs, Kept kind)
    {
        const bool objects = kind != Kept::Entity;
        const bool markers = std::any_of(pairs.begin(), pairs.end(), [](const auto &p) { return p.first == 100; });
        bool inGroup = false;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const auto &[code, value] = pairs[i];
            if (code == 102) {
                inGroup = !value.empty() && value.front() == '{';
                continue;
            }
            if (inGroup || code == 5 || (objects && code == 105))
                continue;
            if (IsReferenceCode(code)) {
                const auto it = m_map.constFind(Key(value));
                if (it != m_map.cend())
                    m_dw.dxfHex(code, int(*it));
                continue;
            }
            m_dw.dxfString(code, IsTextCode(code) ? m_enc.encode(QString::fromStdString(value)) : value);
            if (code == 0) {
                unsigned long handle = 0;
                if (kind == Kept::Object) {
                    const auto it = m_map.constFind(Key(m_objectHandle));
                    handle = it != m_map.cend() ? *it : m_next++;
                } else if (kind == Kept::Entity) {
                    handle = m_nextRecord < m_recordHandles.size() ? m_recordHandles[m_nextRecord++] : m_next++;
                } else {
                    handle = m_next++;
                }
                m_dw.dxfHex(kind == Kept::TableRecord ? 105 : 5, int(handle));
                if (kind == Kept::TableRecord && !markers) { // an R12 record
                    m_dw.dxfString(100, "AcDbSymbolTableRecord");
                    m_dw.dxfString(100, "AcDbDimStyleTableRecord");
                }
            }
        }
    }

    // The dimension styles of the drawing, which its dimensions name; dxflib's Standard when it has none.
    void dimensionStyles()
    {
        if (m_doc.dimensionStyles.empty()) {
            m_dxf.writeDimStyle(m_dw, 2.5, 0.625, 0.625, 0.625, 2.5);
            return;
        }
        const bool standard = std::any_of(m_doc.dimensionStyles.begin(), m_doc.dimensionStyles.end(), [](const DxfRecord &r) {
            return std::any_of(r.pairs.begin(), r.pairs.end(), [](const auto &p) {
                return p.first == 2 && QString::fromStdString(p.second).compare(u"Standard", Qt::CaseInsensitive) == 0;
            });
        });
        m_dw.dxfString(0, "TABLE");
        m_dw.dxfString(2, "DIMSTYLE");
        m_dw.dxfHex(5, 0xA);
        m_dw.dxfString(100, "AcDbSymbolTable");
        m_dw.dxfInt(70, int(m_doc.dimensionStyles.size()) + (standard ? 0 : 1));
        m_dw.dxfString(100, "AcDbDimStyleTable");
        m_dw.dxfInt(71, 0);
        if (!standard)
            writeRaw({{0, "DIMSTYLE"}, {100, "AcDbSymbolTableRecord"}, {100, "AcDbDimStyleTableRecord"}, {2, "Standard"}, {70, "0"}},
                     Kept::TableRecord);
        for (const DxfRecord &r : m_doc.dimensionStyles)
            writeRaw(r.pairs, Kept::TableRecord);
        m_dw.dxfString(0, "ENDTAB");
    }

    void classes()
    {
        if (m_doc.classes.empty())
            return;
        m_dw.sectionClasses();
        for (const auto &c : m_doc.classes)
            for (const auto &[code, value] : c.pairs)
                m_dw.dxfString(code, IsTextCode(code) ? m_enc.encode(QString::fromStdString(value)) : value);
        m_dw.sectionEnd();
    }

    void objects()
    {
        for (std::size_t index : m_carried) {
            m_objectHandle = m_doc.objects[index].handle;
            writeRaw(m_doc.objects[index].pairs, Kept::Object);
        }
    }

    std::string enc(const QString &s) const { return m_enc.encode(s); }
    std::string utf8(const std::string &s) const { return m_enc.encode(QString::fromStdString(s)); }

    void header()
    {
        m_dxf.writeHeader(m_dw); // $HANDSEED is set once the handles are known (DxfBytes)
        m_dw.dxfString(9, "$DWGCODEPAGE");
        m_dw.dxfString(3, m_doc.codePage.toStdString());
        for (const auto &v : m_doc.variables) {
            if (v.name == "$ACADVER" || v.name == "$HANDSEED" || v.name == "$DWGCODEPAGE" ||
                !DL_Dxf::checkVariable(v.name.c_str(), DL_Codes::AC1015))
                continue;
            m_dw.dxfString(9, v.name);
            switch (v.kind) {
            case DxfVariable::Real:
                m_dw.dxfReal(v.code, Finite(v.values[0]));
                break;
            case DxfVariable::Integer:
                m_dw.dxfInt(v.code, int(v.values[0]));
                break;
            case DxfVariable::Text:
                m_dw.dxfString(v.code, m_enc.encode(QString::fromStdString(v.text)));
                break;
            case DxfVariable::Vector:
                m_dw.dxfReal(v.code, Finite(v.values[0]));
                m_dw.dxfReal(v.code + 10, Finite(v.values[1]));
                if (v.values[2] != 0 || v.code == 10)
                    m_dw.dxfReal(v.code + 20, Finite(v.values[2]));
                break;
            }
        }
        m_dw.sectionEnd();
    }

    static double Finite(double v) { return Sane(v) ? v : 0; }

    void tables()
    {
        m_dw.sectionTables();
        m_dxf.writeVPort(m_dw);

        std::vector<DxfLinetype> linetypes = {{"BYBLOCK", "", 0, 0, {}}, {"BYLAYER", "", 0, 0, {}},
                                              {"CONTINUOUS", "Solid line", 0, 0, {}}};
        for (const auto &lt : m_doc.linetypes) {
            QString upper = QString::fromStdString(lt.name).toUpper();
            if (upper == u"BYBLOCK" || upper == u"BYLAYER" || upper == u"CONTINUOUS" || lt.name.empty())
                continue;
            linetypes.push_back(lt);
        }
        m_dw.tableLinetypes(int(linetypes.size()));
        for (auto lt : linetypes) {
            std::vector<double> dashes = lt.dashes;
            m_dxf.writeLinetype(m_dw, DL_LinetypeData(utf8(lt.name), utf8(lt.description), lt.flags, int(dashes.size()),
                                                      Finite(lt.length), dashes.empty() ? nullptr : dashes.data()));
        }
        m_dw.tableEnd();

        m_dw.tableLayers(int(m_doc.layers.size()));
        for (const auto &l : m_doc.layers) {
            const int color = std::abs(l.color); // dxflib negates the colour of a layer that is off
            m_dxf.writeLayer(m_dw, DL_LayerData(enc(l.name), l.flags | (l.frozen ? 1 : 0), l.off),
                             DL_Attributes("", color, l.lineWeight, enc(l.linetype), 1.0));
        }
        m_dw.tableEnd();

        std::vector<DxfTextStyle> styles = m_doc.styles;
        if (std::none_of(styles.begin(), styles.end(), [](const DxfTextStyle &s) {
                return QString::fromStdString(s.name).compare(u"Standard", Qt::CaseInsensitive) == 0;
            }))
            styles.insert(styles.begin(), DxfTextStyle{"Standard", 0, 0, 1, 0, 0, 2.5, "txt", "gbcbig.shx"});
        // Styles texts name that the drawing lacks (a file cut short before its tables, say).
        QMap<QString, QString> named; // upper case: as a text spells it (in order: the same file each time)
        auto collect = [&](const std::vector<DxfEntity> &entities) {
            for (const auto &e : entities) {
                if ((e.type == DxfType::Text || e.type == DxfType::MText) && !e.style.isEmpty())
                    named.insert(e.style.toUpper(), e.style);
                for (const auto &a : e.attributes)
                    if (!a.style.isEmpty())
                        named.insert(a.style.toUpper(), a.style);
            }
        };
        collect(m_doc.entities);
        for (const auto &b : m_doc.blocks)
            collect(b.entities);
        for (const auto &s : styles)
            named.remove(QString::fromStdString(s.name).toUpper());
        for (const QString &name : named)
            styles.push_back(DxfTextStyle{name.toStdString(), 0, 0, 1, 0, 0, 2.5, "txt", "gbcbig.shx"});
        m_dw.tableStyle(int(styles.size()));
        for (const auto &s : styles)
            m_dxf.writeStyle(m_dw, DL_StyleData(utf8(s.name), s.flags, Finite(s.fixedHeight), Finite(s.widthFactor),
                                                Finite(s.obliqueAngle), s.generationFlags, Finite(s.lastHeight),
                                                utf8(s.font), utf8(s.bigFont)));
        m_dw.tableEnd();

        m_dxf.writeView(m_dw);
        m_dxf.writeUcs(m_dw);
        // The applications whose extended data the entities kept carry.
        std::vector<std::string> applications = {"ACAD"};
        for (const std::string &name : m_doc.applications)
            if (!name.empty() && std::none_of(applications.begin(), applications.end(), [&](const std::string &a) {
                    return QString::fromStdString(a).compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0;
                }))
                applications.push_back(name);
        m_dw.tableAppid(int(applications.size()));
        for (const std::string &name : applications)
            m_dxf.writeAppid(m_dw, enc(QString::fromStdString(name)));
        m_dw.tableEnd();
        dimensionStyles();
        m_dxf.writeBlockRecord(m_dw);
        for (const auto &b : m_doc.blocks)
            m_dxf.writeBlockRecord(m_dw, enc(b.name));
        m_dw.tableEnd();
        m_dw.sectionEnd();
    }

    void blocks()
    {
        m_dw.sectionBlocks();
        for (const char *layout : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
            m_dxf.writeBlock(m_dw, DL_BlockData(layout, 0, 0, 0, 0));
            m_dxf.writeEndBlock(m_dw, layout);
        }
        for (const auto &b : m_doc.blocks) {
            const std::string name = enc(b.name);
            m_dxf.writeBlock(m_dw, DL_BlockData(name, b.flags, b.base.x, b.base.y, b.base.z));
            for (const auto &e : b.entities)
                entity(e);
            m_dxf.writeEndBlock(m_dw, name);
        }
        m_dw.sectionEnd();
    }

    DL_Attributes attributes(const DxfEntity &e) const
    {
        return DL_Attributes(enc(e.layer), e.color, e.color24, e.lineWeight, enc(e.linetype));
    }

    // The record's start, handle, common attributes and main subclass.
    void begin(const char *type, const DxfEntity &e, const char *subclass, unsigned long owner = 0)
    {
        m_dw.entity(type);
        if (owner != 0) // an insert's attributes and their end name it (readers link them by it)
            m_dw.dxfHex(330, int(owner));
        m_dw.dxfString(100, "AcDbEntity");
        m_dw.entityAttributes(attributes(e));
        m_dw.dxfString(100, subclass);
        if (e.thickness != 0 && Sane(e.thickness))
            m_dw.dxfReal(39, e.thickness);
    }
    void coord(int code, const DxfVec &v) { m_dw.coord(code, v.x, v.y, v.z); }
    void normal(const DxfEntity &e)
    {
        if (e.extrusion.x != 0 || e.extrusion.y != 0 || e.extrusion.z != 1)
            coord(210, e.extrusion);
    }

    // TEXT and ATTRIB up to their own subclass.
    void text(const char *type, const DxfEntity &e, unsigned long owner = 0)
    {
        begin(type, e, "AcDbText", owner);
        coord(10, e.p);
        m_dw.dxfReal(40, e.height);
        m_dw.dxfString(1, enc(e.text));
        if (e.rotation != 0)
            m_dw.dxfReal(50, e.rotation);
        if (e.widthFactor != 1)
            m_dw.dxfReal(41, e.widthFactor);
        m_dw.dxfString(7, enc(e.style.isEmpty() ? QStringLiteral("Standard") : e.style));
        if (e.generation != 0)
            m_dw.dxfInt(71, e.generation);
        if (e.hAlign != 0)
            m_dw.dxfInt(72, e.hAlign);
        if (e.hAlign != 0 || e.vAlign != 0)
            coord(11, e.q);
        normal(e);
    }

    void entity(const DxfEntity &e)
    {
        switch (e.type) {
        case DxfType::Point:
            begin("POINT", e, "AcDbPoint");
            coord(10, e.p);
            normal(e);
            break;
        case DxfType::Line:
            begin("LINE", e, "AcDbLine");
            coord(10, e.p);
            coord(11, e.q);
            normal(e);
            break;
        case DxfType::Circle:
            begin("CIRCLE", e, "AcDbCircle");
            coord(10, e.p);
            m_dw.dxfReal(40, e.radius);
            normal(e);
            break;
        case DxfType::Arc:
            begin("ARC", e, "AcDbCircle");
            coord(10, e.p);
            m_dw.dxfReal(40, e.radius);
            normal(e);
            m_dw.dxfString(100, "AcDbArc");
            m_dw.dxfReal(50, e.startAngle);
            m_dw.dxfReal(51, e.endAngle);
            break;
        case DxfType::Ellipse:
            begin("ELLIPSE", e, "AcDbEllipse");
            coord(10, e.p);
            coord(11, e.q);
            normal(e);
            m_dw.dxfReal(40, e.ratio);
            m_dw.dxfReal(41, e.startAngle);
            m_dw.dxfReal(42, e.endAngle);
            break;
        case DxfType::Polyline:
            begin("LWPOLYLINE", e, "AcDbPolyline");
            m_dw.dxfInt(90, int(e.vertices.size()));
            m_dw.dxfInt(70, e.closed ? 1 : 0);
            if (e.elevation != 0)
                m_dw.dxfReal(38, e.elevation);
            for (const auto &v : e.vertices) {
                m_dw.dxfReal(10, v.x);
                m_dw.dxfReal(20, v.y);
                if (v.bulge != 0)
                    m_dw.dxfReal(42, v.bulge);
            }
            normal(e);
            break;
        case DxfType::Text:
            text("TEXT", e);
            m_dw.dxfString(100, "AcDbText");
            if (e.vAlign != 0)
                m_dw.dxfInt(73, e.vAlign);
            break;
        case DxfType::MText: {
            begin("MTEXT", e, "AcDbMText");
            coord(10, e.p);
            m_dw.dxfReal(40, e.height);
            m_dw.dxfReal(41, e.width);
            m_dw.dxfInt(71, e.attachment);
            m_dw.dxfInt(72, 1);
            // The text in pieces of at most 250 bytes (code 3), the last one with code 1; a piece
            // ends between characters.
            qsizetype from = 0;
            std::string piece;
            while (true) {
                qsizetype to = std::min(e.text.size(), from + 64);
                if (to < e.text.size() && e.text.at(to).isLowSurrogate())
                    --to;
                piece = enc(e.text.mid(from, to - from));
                if (to >= e.text.size())
                    break;
                m_dw.dxfString(3, piece);
                from = to;
            }
            m_dw.dxfString(1, piece);
            m_dw.dxfString(7, enc(e.style.isEmpty() ? QStringLiteral("Standard") : e.style));
            normal(e);
            m_dw.coord(11, std::cos(e.rotation * Pi / 180), std::sin(e.rotation * Pi / 180), 0);
            m_dw.dxfInt(73, e.lineSpacingStyle);
            m_dw.dxfReal(44, e.lineSpacing);
            break;
        }
        case DxfType::Insert: {
            const unsigned long insert = m_dw.nextHandle();
            begin("INSERT", e, "AcDbBlockReference");
            if (!e.attributes.empty())
                m_dw.dxfInt(66, 1);
            m_dw.dxfString(2, enc(e.block));
            coord(10, e.p);
            if (e.sx != 1)
                m_dw.dxfReal(41, e.sx);
            if (e.sy != 1)
                m_dw.dxfReal(42, e.sy);
            if (e.sz != 1)
                m_dw.dxfReal(43, e.sz);
            if (e.rotation != 0)
                m_dw.dxfReal(50, e.rotation);
            if (e.columns > 1 || e.rows > 1) {
                m_dw.dxfInt(70, e.columns);
                m_dw.dxfInt(71, e.rows);
                m_dw.dxfReal(44, e.columnSpacing);
                m_dw.dxfReal(45, e.rowSpacing);
            }
            normal(e);
            if (e.attributes.empty())
                break;
            for (const DxfEntity &a : e.attributes) {
                text("ATTRIB", a, insert);
                m_dw.dxfString(100, "AcDbAttribute");
                m_dw.dxfString(2, enc(a.tag));
                m_dw.dxfInt(70, a.attributeFlags);
                if (a.vAlign != 0)
                    m_dw.dxfInt(74, a.vAlign);
            }
            m_dw.entity("SEQEND");
            m_dw.dxfHex(330, int(insert));
            m_dw.dxfString(100, "AcDbEntity");
            m_dw.dxfString(8, enc(e.layer));
            break;
        }
        case DxfType::Hatch:
            m_dw.normal = &e.extrusion;
            m_dw.elevation = e.elevation;
            hatch(e, attributes(e));
            m_dw.normal = nullptr;
            break;
        case DxfType::Other:
            writeRaw(e.raw, Kept::Entity);
            break;
        }
    }

    void hatch(const DxfEntity &e, const DL_Attributes &a)
    {
        std::vector<std::vector<DL_HatchEdgeData>> loops;
        for (const auto &loop : e.loops) {
            std::vector<DL_HatchEdgeData> edges;
            for (std::size_t i = 0; i < loop.size() && loop.size() >= 2; ++i) {
                const DxfVertex &s = loop[i];
                const DxfVertex &t = loop[(i + 1) % loop.size()];
                if (std::fabs(s.bulge) < 1e-9) { // (an arc that flat is a line, and its radius absurd)
                    if (s.x != t.x || s.y != t.y)
                        edges.push_back(LineEdge(s.x, s.y, t.x, t.y));
                    continue;
                }
                // Arc from s to t: included angle 4·atan(bulge), counter-clockwise for a positive bulge.
                const double theta = 4 * std::atan(s.bulge);
                const double chord = std::hypot(t.x - s.x, t.y - s.y);
                if (chord == 0)
                    continue;
                const double radius = chord / (2 * std::sin(std::fabs(theta) / 2));
                const double toCentre = (s.bulge > 0 ? 1 : -1) * (Pi / 2 - std::fabs(theta) / 2);
                const double dir = std::atan2(t.y - s.y, t.x - s.x) + toCentre;
                const double cx = s.x + radius * std::cos(dir), cy = s.y + radius * std::sin(dir);
                double a1 = std::atan2(s.y - cy, s.x - cx), a2 = std::atan2(t.y - cy, t.x - cx);
                const bool ccw = s.bulge > 0;
                if (!ccw) { // clockwise arcs are stored with mirrored angles
                    a1 = -a1;
                    a2 = -a2;
                }
                if (a2 < a1)
                    a2 += 2 * Pi;
                edges.push_back(ArcEdge(cx, cy, radius, a1, a2, ccw));
            }
            if (!edges.empty())
                loops.push_back(std::move(edges));
        }
        DL_HatchData data(int(loops.size()), e.solid, e.patternScale, e.patternAngle, enc(e.pattern));
        m_dxf.writeHatch1(m_dw, data, a);
        for (const auto &edges : loops) {
            DL_HatchLoopData loop(int(edges.size()));
            m_dxf.writeHatchLoop1(m_dw, loop);
            for (const auto &edge : edges)
                m_dxf.writeHatchEdge(m_dw, edge);
            m_dxf.writeHatchLoop2(m_dw, loop);
        }
        m_dxf.writeHatch2(m_dw, data, a);
    }

    const DxfDocument &m_doc;
    SafeWriter &m_dw;
    DL_Dxf &m_dxf;
    TextEncoder m_enc;
    unsigned long m_next = 0x30;                 // the next handle of the range above dxflib's
    QHash<std::string, unsigned long> m_map;     // old handles of what is kept and carried: new handles
    std::vector<unsigned long> m_recordHandles;  // of the kept records, in the order they are written
    std::size_t m_nextRecord = 0;
    std::vector<std::size_t> m_carried;          // objects written along
    std::string m_objectHandle;
};

} // namespace

QByteArray DxfBytes(const DxfDocument &document)
{
    // dxflib writes to a named file; a private temporary folder holds it.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw FileError::Io(5);
    const QString path = dir.filePath(QStringLiteral("drawing.dxf"));
    unsigned long seed = 0;
    {
        DL_Dxf dxf; // writes DXF R2000 unless told otherwise
        auto dw = std::make_unique<SafeWriter>(QFile::encodeName(path).constData(), DL_Codes::AC1015);
        if (dw->openFailed())
            throw FileError::Io(5);
        Writer writer(document, *dw, dxf);
        writer.write();
        dw->close();
        seed = writer.handleSeed();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError::Io(5);
    QByteArray bytes = file.readAll();
    // dxflib writes a fixed handle seed; it must lie above every handle written.
    const QByteArray fixed = "$HANDSEED\n  5\nFFFF\n";
    if (const qsizetype at = bytes.indexOf(fixed); at >= 0 && at < 4096)
        bytes.replace(at, fixed.size(), "$HANDSEED\n  5\n" + QByteArray::number(qulonglong(seed), 16).toUpper() + "\n");
    return bytes;
}

void WriteDxf(const DxfDocument &document, const QString &path)
{
    const QByteArray bytes = DxfBytes(document);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw DxfError(QStringLiteral("不能写图形文件“%1”：%2").arg(path, file.errorString()).toStdString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw FileError::DiskFull();
}

// ---- MText -----------------------------------------------------------------------------------

QString MTextPlainText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'{' || c == u'}')
            continue;
        if (c != u'\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar k = text.at(++i);
        switch (k.unicode()) {
        case 'P':
            out += u'\n';
            break;
        case '~':
            out += u' ';
            break;
        case '\\':
        case '{':
        case '}':
            out += k;
            break;
        case 'S': { // stacked fraction a^b; or a/b; or a#b;
            const qsizetype end = text.indexOf(u';', i + 1);
            QString stack = text.mid(i + 1, end < 0 ? -1 : end - i - 1);
            stack.replace(u'^', u'/').replace(u'#', u'/');
            out += stack;
            i = end < 0 ? text.size() : end;
            break;
        }
        case 'A': case 'C': case 'c': case 'F': case 'f': case 'H': case 'h': case 'Q': case 'q':
        case 'T': case 't': case 'W': case 'w': case 'p': {
            const qsizetype end = text.indexOf(u';', i + 1);
            i = end < 0 ? text.size() : end;
            break;
        }
        default: // \L \l \O \o \K \k and unknown codes: switches without text
            break;
        }
    }
    return out;
}

// ---- text symbols and planes ----------------------------------------------------------------

QString DxfTextWithSymbols(const QString &text, std::vector<std::pair<int, int>> *underline,
                           std::vector<std::pair<int, int>> *overline)
{
    if (!text.contains(QLatin1String("%%")))
        return text;
    QString out;
    out.reserve(text.size());
    int underlineFrom = -1, overlineFrom = -1;
    auto toggle = [&](int &from, std::vector<std::pair<int, int>> *spans) {
        if (from < 0) {
            from = int(out.size());
            return;
        }
        if (spans && out.size() > from)
            spans->emplace_back(from, int(out.size()));
        from = -1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'%' || i + 2 >= text.size() || text.at(i + 1) != u'%') {
            out += c;
            continue;
        }
        const QChar k = text.at(i + 2).toLower();
        switch (k.unicode()) {
        case 'c': out += QChar(0x00D8); break; // diameter
        case 'd': out += QChar(0x00B0); break; // degree
        case 'p': out += QChar(0x00B1); break; // plus or minus
        case '%': out += u'%'; break;
        case 'u': toggle(underlineFrom, underline); break;
        case 'o': toggle(overlineFrom, overline); break;
        default:
            if (k.isDigit()) { // %%nnn: the character of that code
                int code = 0;
                qsizetype j = i + 2;
                for (; j < text.size() && j < i + 5 && text.at(j).isDigit(); ++j)
                    code = code * 10 + text.at(j).digitValue();
                if (code > 0)
                    out += QChar(char16_t(code));
                i = j - 1;
                continue;
            }
            out += c; // not a code: as it stands
            continue;
        }
        i += 2;
    }
    if (underlineFrom >= 0)
        toggle(underlineFrom, underline);
    if (overlineFrom >= 0)
        toggle(overlineFrom, overline);
    return out;
}

DxfVec DxfOcsToWorld(const DxfVec &n, const DxfVec &p)
{
    if (n.x == 0 && n.y == 0 && n.z == 1)
        return p;
    // The arbitrary axis algorithm of DXF.
    DxfVec ax = std::fabs(n.x) < 1.0 / 64 && std::fabs(n.y) < 1.0 / 64 ? DxfVec{n.z, 0, -n.x} : DxfVec{-n.y, n.x, 0};
    const double la = std::sqrt(ax.x * ax.x + ax.y * ax.y + ax.z * ax.z);
    if (!(la > 0))
        return p;
    ax = {ax.x / la, ax.y / la, ax.z / la};
    DxfVec ay{n.y * ax.z - n.z * ax.y, n.z * ax.x - n.x * ax.z, n.x * ax.y - n.y * ax.x};
    const double ly = std::sqrt(ay.x * ay.x + ay.y * ay.y + ay.z * ay.z);
    if (ly > 0)
        ay = {ay.x / ly, ay.y / ly, ay.z / ly};
    return {p.x * ax.x + p.y * ay.x + p.z * n.x, p.x * ax.y + p.y * ay.y + p.z * n.y, p.x * ax.z + p.y * ay.z + p.z * n.z};
}

} // namespace quorvil
