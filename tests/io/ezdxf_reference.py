"""Independent reference for the drawing tests, on ezdxf (Debian python3-ezdxf).

  ezdxf_reference.py make <out.dxf> <R2000|R2018>   a drawing with every entity type the program draws
  ezdxf_reference.py dump <in.dxf>                  the drawing as JSON: header, layers, blocks, entities
"""
import json
import re
import sys

import ezdxf


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


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3])
    else:
        dump(sys.argv[2])
