#include "io/dxf/DxfWriter.h"

#include "io/FileAccess.h"
#include "io/dxf/DxfCodePage.h"
#include "io/dxf/DxfTokens.h"

#include <dxflib/dl_dxf.h>
#include <dxflib/dl_writer_ascii.h>

#include <QFile>
#include <QHash>
#include <QMap>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string_view>

namespace quorvil {

using namespace dxf;

namespace {

constexpr double Pi = std::numbers::pi;

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
        for (const auto &s : styles) {
            // dxflib's default dimension style, written for a drawing without dimension styles,
            // points to the text style spelt exactly "Standard" (names are the same in any case to
            // CAD programs); with none, its pointer would be garbage.
            const bool standard = m_doc.dimensionStyles.empty() &&
                                  QString::fromStdString(s.name).compare(u"Standard", Qt::CaseInsensitive) == 0;
            m_dxf.writeStyle(m_dw, DL_StyleData(standard ? std::string("Standard") : utf8(s.name), s.flags,
                                                Finite(s.fixedHeight), Finite(s.widthFactor), Finite(s.obliqueAngle),
                                                s.generationFlags, Finite(s.lastHeight), utf8(s.font), utf8(s.bigFont)));
        }
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
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const FileAccessError &) {
        throw FileError::Io(5);
    }
    // dxflib writes a fixed handle seed; it must lie above every handle written.
    const QByteArray fixed = "$HANDSEED\n  5\nFFFF\n";
    if (const qsizetype at = bytes.indexOf(fixed); at >= 0 && at < 4096)
        bytes.replace(at, fixed.size(), "$HANDSEED\n  5\n" + QByteArray::number(qulonglong(seed), 16).toUpper() + "\n");
    return bytes;
}

void WriteDxf(const DxfDocument &document, const QString &path)
{
    const QByteArray bytes = DxfBytes(document);
    try {
        WriteFileAtomically(path, bytes);
    } catch (const FileAccessError &e) {
        if (e.step() == FileAccessError::Step::Missing || e.step() == FileAccessError::Step::Open)
            throw DxfError(QStringLiteral("不能写图形文件“%1”：%2").arg(path, e.reason()).toStdString());
        throw FileError::DiskFull();
    }
}

} // namespace quorvil
