#include "io/dxf/DxfReader.h"

#include "io/FileAccess.h"
#include "io/TextCodec.h"
#include "io/dxf/DxfCodePage.h"
#include "io/dxf/DxfTokens.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>
#include <numbers>
#include <optional>
#include <sstream>
#include <string_view>

namespace quorvil {

using namespace dxf;

namespace {

constexpr double Pi = std::numbers::pi;
// dxflib's own reader never hands over longer values; its tables are sized for them.
constexpr std::size_t ValueLimit = DL_DXF_MAXLINE - 24;

bool IsEntityRecord(std::string_view type)
{
    return type != "BLOCK" && type != "ENDBLK" && type != "ENDSEC" && type != "EOF" && type != "SECTION";
}

// Builds the document from dxflib's callbacks.
class Reader final : public DL_CreationAdapter {
public:
    explicit Reader(DxfDocument &doc) : m_doc(doc) {}

    TextDecoder codec;
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

} // namespace

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
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const FileAccessError &e) {
        if (e.step() == FileAccessError::Step::Missing)
            throw FileError::NotFound();
        const QString text = e.step() == FileAccessError::Step::Open ? QStringLiteral("不能打开图形文件“%1”：%2")
                                                                      : QStringLiteral("读图形文件“%1”出错：%2");
        throw DxfError(text.arg(path, e.reason()).toStdString());
    }
    return ParseDxf(bytes, QFileInfo(path).fileName());
}

} // namespace quorvil
