"""Independent reference for the drawing tests, on ezdxf (Debian python3-ezdxf).

  ezdxf_reference.py make <out.dxf> <R2000|R2018>   a drawing with every entity type the program draws
  ezdxf_reference.py make-kept <out.dxf>           a drawing of what the program keeps as read: an image
                                                    with its definition, a wipeout, a spline with an
                                                    extension dictionary, a dimension, a leader, SOLID,
                                                    TRACE, 3DFACE, a 3D polyline, an insert with
                                                    attributes (one invisible) of a block with ATTDEFs
  ezdxf_reference.py dump <in.dxf>                  the drawing as JSON: header, layers, blocks, entities
  ezdxf_reference.py compare <original.dxf> <saved.dxf>
      reads the saved drawing strictly (readfile, not recover) and the original as well as ezdxf can,
      and prints as JSON the differences: entity types and counts per layout and block, texts, MTEXT
      positions and heights, attributes per insert, code page. Text is decoded as the program reads
      it: the declared code page under the names writers use, an unknown one as Windows-1252, none as
      UTF-8 when valid else GB18030.
"""
import codecs
import collections
import io
import json
import re
import sys

import ezdxf
from ezdxf import recover


def make(path, version):
    doc = ezdxf.new(version)
    if version == "R2000":
        doc.header["$DWGCODEPAGE"] = "ANSI_936"
    doc.header["$LTSCALE"] = 2.5
    doc.layers.add("墙线", color=1)
    doc.layers.add("冻结", color=3).freeze()
    doc.layers.add("关闭", color=4).off()
    msp = doc.modelspace()
    msp.add_point((1, 2))
    msp.add_line((0, 0), (10, 5), dxfattribs={"layer": "墙线"})
    msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (10, 0, 0, 0, 0), (10, 10, 0, 0, 0)], format="xyseb", close=True)
    msp.add_polyline2d([(0, 20), (5, 25), (10, 20)])
    msp.add_circle((20, 20), 5, dxfattribs={"color": 5})
    msp.add_arc((30, 30), 4, 0, 90)
    msp.add_ellipse((40, 40), major_axis=(6, 0), ratio=0.5)
    msp.add_text("测量点A", dxfattribs={"height": 2.5, "insert": (50, 50), "rotation": 30})
    msp.add_mtext("第一行\\P第二行", dxfattribs={"char_height": 2, "insert": (60, 60)})
    hatch = msp.add_hatch(color=2)
    hatch.paths.add_polyline_path([(80, 0), (85, 0), (85, 5)], is_closed=True)
    edges = hatch.paths.add_edge_path()
    edges.add_arc((90, 0), 2, 0, 360)
    block = doc.blocks.new("标志")
    block.add_circle((0, 0), 1)
    block.add_line((-1, 0), (1, 0))
    outer = doc.blocks.new("OUTER")
    outer.add_blockref("标志", (2, 0), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 45})
    msp.add_blockref("OUTER", (70, 70), dxfattribs={"rotation": 90})
    msp.add_spline([(0, 0), (1, 2), (3, 1), (4, 4)])
    msp.add_point((99, 99), dxfattribs={"layer": "冻结"})
    msp.add_point((98, 98), dxfattribs={"layer": "关闭"})
    doc.saveas(path)


def make_kept(path):
    doc = ezdxf.new("R2018", setup=True)
    msp = doc.modelspace()
    image_def = doc.add_image_def(filename="site.png", size_in_pixel=(640, 480))
    msp.add_image(image_def, insert=(0, 0), size_in_units=(6.4, 4.8))
    msp.add_wipeout([(20, 0), (25, 0), (25, 5)])
    spline = msp.add_spline([(0, 0), (1, 2), (3, 1), (4, 4)])
    spline.new_extension_dict()
    msp.add_linear_dim(base=(0, 15), p1=(0, 10), p2=(10, 10)).render()
    msp.add_leader([(30, 0), (35, 5), (40, 5)])
    msp.add_solid([(50, 0), (52, 0), (50, 2), (52, 2)], dxfattribs={"color": 1})
    msp.add_trace([(55, 0), (57, 0), (55, 2), (57, 2)])
    msp.add_3dface([(60, 0, 0), (62, 0, 0), (62, 2, 1), (60, 2, 1)])
    msp.add_polyline3d([(0, 30, 0), (5, 35, 1), (10, 30, 2)])
    block = doc.blocks.new("标牌")
    block.add_circle((0, 0), 1)
    block.add_attdef("NAME", (0, -2), dxfattribs={"height": 0.5})
    block.add_attdef("CODE", (0, -3), dxfattribs={"height": 0.5})
    insert = msp.add_blockref("标牌", (70, 0))
    insert.add_attrib("NAME", "测站A", (70, -2), dxfattribs={"height": 0.5})
    insert.add_attrib("CODE", "J-7", (70, -3), dxfattribs={"height": 0.5, "flags": 1})
    msp.add_text("90%%d %%p0.05 %%c12", dxfattribs={"height": 2, "insert": (0, 50), "thickness": 0.5})
    msp.add_line((0, 60), (5, 60), dxfattribs={"lineweight": 35})
    doc.saveas(path)


def entity(e):
    t = e.dxftype()
    d = {"type": t, "layer": e.dxf.layer}
    if t == "POINT":
        d["p"] = list(e.dxf.location)[:2]
    elif t == "LINE":
        d["p"] = list(e.dxf.start)[:2] + list(e.dxf.end)[:2]
    elif t == "LWPOLYLINE":
        d["p"] = [round(v, 9) for xyb in e.get_points("xyb") for v in xyb]
        d["closed"] = bool(e.closed)
    elif t in ("CIRCLE", "ARC"):
        d["p"] = list(e.dxf.center)[:2] + [e.dxf.radius]
        if t == "ARC":
            d["p"] += [e.dxf.start_angle, e.dxf.end_angle]
    elif t == "ELLIPSE":
        d["p"] = list(e.dxf.center)[:2] + list(e.dxf.major_axis)[:2] + [e.dxf.ratio]
    elif t == "TEXT":
        d["p"] = list(e.dxf.insert)[:2] + [e.dxf.height, e.dxf.rotation]
        d["text"] = e.dxf.text
    elif t == "MTEXT":
        d["p"] = list(e.dxf.insert)[:2] + [e.dxf.char_height]
        d["text"] = e.plain_text()
    elif t == "INSERT":
        d["p"] = list(e.dxf.insert)[:2] + [e.dxf.xscale, e.dxf.yscale, e.dxf.rotation]
        d["text"] = e.dxf.name
    elif t == "HATCH":
        d["text"] = e.dxf.pattern_name
        d["p"] = [len(e.paths)]
        for path in e.paths:
            box = ezdxf.math.BoundingBox2d()
            for v in getattr(path, "vertices", []):
                box.extend([(v[0], v[1])])
            for edge in getattr(path, "edges", []):
                if edge.type == ezdxf.entities.boundary_paths.EdgeType.ARC:
                    box.extend([(edge.center[0] - edge.radius, edge.center[1] - edge.radius),
                                (edge.center[0] + edge.radius, edge.center[1] + edge.radius)])
                elif edge.type == ezdxf.entities.boundary_paths.EdgeType.LINE:
                    box.extend([edge.start, edge.end])
            d["p"] += [round(box.extmin.x, 6), round(box.extmin.y, 6), round(box.extmax.x, 6), round(box.extmax.y, 6)]
    return d


def dump(path):
    doc = ezdxf.readfile(path)
    out = {
        "ltscale": doc.header.get("$LTSCALE", None),
        "codepage": doc.header.get("$DWGCODEPAGE", None),
        "layers": {l.dxf.name: {"color": l.color, "frozen": l.is_frozen(), "off": l.is_off()} for l in doc.layers},
        "blocks": {b.name: [entity(e) for e in b] for b in doc.blocks if not b.name.lower().startswith("*")},
        "entities": [entity(e) for e in doc.modelspace()],
    }
    # ezdxf leaves the \\U+XXXX escapes of older files in the text; decode them as CAD programs do.
    json.dump(unescaped(out), sys.stdout, ensure_ascii=False)


def unescaped(value):
    if isinstance(value, str):
        return re.sub(r"\\[Uu]\+([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), value)
    if isinstance(value, list):
        return [unescaped(v) for v in value]
    if isinstance(value, dict):
        return {unescaped(k): unescaped(v) for k, v in value.items()}
    return value


def header_value(data, name):
    m = re.search(rb"\r?\n\s*9\r?\n" + re.escape(name.encode()) + rb"\s*\r?\n\s*\d+\r?\n([^\r\n]*)", data[:200000])
    return m.group(1).decode("latin-1").strip() if m else None


def encoding_of(data):
    """The encoding the program reads the file's text in."""
    version = header_value(data, "$ACADVER") or ""
    if version >= "AC1021":
        return "utf-8"
    page = (header_value(data, "$DWGCODEPAGE") or "").upper().replace(" ", "")
    if not page:
        try:
            data.decode("utf-8")
            return "utf-8"
        except UnicodeDecodeError:
            return "gb18030"
    fixed = {"ANSI_936": "gbk", "ANSI_950": "big5", "ANSI_932": "cp932", "ANSI_949": "cp949", "DOS932": "cp932",
             "DOS936": "gbk", "DOS950": "big5", "DOS949": "cp949", "UTF-8": "utf-8", "UTF8": "utf-8", "MACINTOSH": "mac_roman"}
    if page in fixed:
        return fixed[page]
    m = re.match(r"^(?:ISO)?[-_]?8859[-_](\d{1,2})$", page)
    if m:
        return "iso-8859-" + m.group(1)
    m = re.match(r"^(?:ANSI|CP|WINDOWS)[-_]?(\d{3,4})$", page) or re.match(r"^(?:DOS|IBM|CP)[-_]?(\d{3})$", page)
    if m:
        try:
            return "cp" + m.group(1) if "".encode("cp" + m.group(1)) == b"" else "cp1252"
        except LookupError:
            return "cp1252"
    return "cp1252"


def dxf_escape(error):
    """Characters outside the code page as the \\U+XXXX escapes of DXF."""
    return "".join("\\U+%04X" % ord(c) for c in error.object[error.start:error.end]), error.end


codecs.register_error("dxfescape", dxf_escape)


def load(path, strict):
    data = open(path, "rb").read()
    cut = re.search(rb"\n[ \t]*0\r?\nEOF[ \t]*\r?(\n|$)", data)
    if cut:  # what follows the end marker is not part of the drawing
        data = data[:cut.end()]
    encoding = encoding_of(data)
    text = data.decode(encoding, errors="replace").replace("\r\n", "\n")
    if strict:
        return ezdxf.read(io.StringIO(text))
    try:
        return ezdxf.read(io.StringIO(text))
    except Exception:  # noqa: BLE001 - the original as well as ezdxf can read it
        # recover decodes by itself: the text is handed over in Windows-1252 with escapes.
        text = re.sub(r"(\n[ \t]*3\n)[^\n]*", lambda m: m.group(1) + "ANSI_1252", text, count=0) \
            if "$DWGCODEPAGE" in text else text
        doc, _ = recover.read(io.BytesIO(text.encode("cp1252", errors="dxfescape")))
        return doc


def block_names(path):
    """The names of the blocks the BLOCKS section of the file defines."""
    lines = open(path, "rb").read().decode("latin-1").splitlines()
    names, section, record, expect = set(), None, None, False
    for i in range(0, len(lines) - 1, 2):
        code, value = lines[i].strip(), lines[i + 1].strip()
        if code == "0":
            record = value
            expect = value == "SECTION"
        elif code == "2" and expect:
            section, expect = value, False
        elif code == "2" and section == "BLOCKS" and record == "BLOCK":
            names.add(value.upper())
    return names


def kind(e):
    t = e.dxftype()
    if t == "POLYLINE":
        mode = e.get_mode()
        return "LWPOLYLINE" if mode == "AcDb2dPolyline" else "POLYLINE(" + mode + ")"
    return t


def text_of(e):
    t = e.dxftype()
    if t == "MTEXT":
        return e.text
    return e.dxf.get("text", "")


def layout_summary(layout):
    counts = collections.Counter(kind(e) for e in layout)
    # (decoders differ on what to make of a byte sequence a code page lacks: it is left out)
    texts = sorted(unescaped(text_of(e)).replace("\ufffd", "") for e in layout if e.dxftype() in ("TEXT", "MTEXT"))
    mtext = [[round(v, 6) for v in list(e.dxf.insert)[:2]] + [round(e.dxf.char_height, 6)] for e in layout if e.dxftype() == "MTEXT"]
    attribs = [[[a.dxf.tag, unescaped(a.dxf.text), a.dxf.get("flags", 0)] for a in e.attribs] for e in layout if e.dxftype() == "INSERT"]
    weights = sorted([kind(e), round(attribute(e, "thickness", 0), 6), attribute(e, "lineweight", -1)] for e in layout
                     if attribute(e, "thickness", 0) != 0 or attribute(e, "lineweight", -1) != -1)
    planes = sorted([kind(e)] + [round(v, 6) + 0.0 for v in attribute(e, "extrusion", (0, 0, 1))] for e in layout)
    planes = [p for p in planes if p[1:] != [0.0, 0.0, 1.0]]
    images = [image_file(e) for e in layout if e.dxftype() in ("IMAGE", "WIPEOUT")]
    return {"counts": dict(sorted(counts.items())), "texts": texts, "mtext": mtext, "attribs": attribs,
            "thickness and lineweight": weights, "planes": planes, "image definitions": images}


def image_file(e):
    """The file of the image definition an IMAGE points to (a WIPEOUT points to none)."""
    try:
        definition = e.image_def if e.dxftype() == "IMAGE" else None
        return definition.dxf.filename if definition is not None else None
    except Exception:  # noqa: BLE001 - a dangling reference
        return "dangling"


def attribute(e, name, default):
    try:
        return e.dxf.get(name, default)
    except Exception:  # noqa: BLE001 - an entity without that attribute
        return default


def summary(path, strict):
    doc = load(path, strict)
    blocks = {}
    for b in doc.blocks:
        name = b.name
        if name.lower().startswith(("*model_space", "*paper_space", "$model_space", "$paper_space")):
            continue
        blocks[unescaped(name).upper()] = layout_summary(b)
    # Styles entities name that the drawing lacks.
    missing = set()
    for layout in [doc.modelspace()] + list(doc.blocks):
        for e in layout:
            if e.dxftype() == "DIMENSION" and attribute(e, "dimstyle", "Standard") not in doc.dimstyles:
                missing.add("dimension style " + attribute(e, "dimstyle", ""))
            if e.dxftype() in ("TEXT", "MTEXT", "ATTRIB") and attribute(e, "style", "Standard") not in doc.styles:
                missing.add("text style " + attribute(e, "style", ""))
    return {"codepage": doc.header.get("$DWGCODEPAGE", None), "modelspace": layout_summary(doc.modelspace()),
            "blocks": blocks, "missing": missing}


def compare(original, saved):
    differences = []
    try:
        ezdxf.readfile(saved)  # as it stands, in the encoding ezdxf takes from the file
        b = summary(saved, True)
    except Exception as error:  # noqa: BLE001 - any failure of the strict reader is the finding
        json.dump({"differences": ["saved file: strict readfile: %s: %s" % (type(error).__name__, error)]}, sys.stdout)
        return
    a = summary(original, False)

    def layout(where, x, y):
        for key in ("counts", "texts", "mtext", "attribs", "thickness and lineweight", "planes", "image definitions"):
            if x[key] != y[key]:
                if key == "counts":
                    keys = sorted(set(x[key]) | set(y[key]))
                    detail = ", ".join("%s %d→%d" % (k, x[key].get(k, 0), y[key].get(k, 0)) for k in keys
                                       if x[key].get(k, 0) != y[key].get(k, 0))
                else:
                    detail = "%s → %s" % (json.dumps(x[key], ensure_ascii=False)[:300], json.dumps(y[key], ensure_ascii=False)[:300])
                differences.append("%s %s: %s" % (where, key, detail))

    defined = {unescaped(n) for n in block_names(original)}
    for name in sorted(b["missing"] - a["missing"]):
        differences.append(name + " named but not in the saved drawing")
    layout("modelspace", a["modelspace"], b["modelspace"])
    for name in sorted(set(a["blocks"]) | set(b["blocks"])):
        if name not in b["blocks"]:
            # Blocks ezdxf makes up while reading (arrow blocks, block records without a block) are not in the file.
            if name in defined:
                differences.append("block %s left out" % name)
            continue
        if name not in a["blocks"]:
            differences.append("block %s added" % name)
            continue
        layout("block " + name, a["blocks"][name], b["blocks"][name])
    # The code page: the file's own; the Chinese one for a file declaring none; a UTF-8 file (R2007
    # and later) may change it.
    data = open(original, "rb").read()
    declared = header_value(data, "$DWGCODEPAGE")
    expected = declared or "ANSI_936"
    if (header_value(data, "$ACADVER") or "") < "AC1021" and expected.upper() != (b["codepage"] or "").upper():
        differences.append("codepage %s → %s" % (expected, b["codepage"]))
    json.dump({"differences": differences}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
    elif sys.argv[1] == "make-kept":
        make_kept(sys.argv[2])
    elif sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3])
    else:
        dump(sys.argv[2])
