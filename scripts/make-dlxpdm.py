#!/usr/bin/python3
"""Writes resources/DLXpdm.dxf, the sheet drawing of the power-line plan and profile table.

Every page of "生成CAD图表" inserts this drawing as a block at (0, 200·page) and writes its
texts and lines on it, so the frame below must agree with the places the program draws at
(core/PowerLine.h, SheetLayout): table rows 10 units high with their baselines at y = 143 − 10·i,
the columns starting at x = 3, 18, 41, 64, 84, 109, 134, 149, 169, 184, 199, the profile strip
centred on x = 226 (elevations ±12), the plan strip centred on x = 256 (ticks from 244 to 268),
the page number at (240, 165). Run with Debian's python3-ezdxf:

    /usr/bin/python3 scripts/make-dlxpdm.py

The output is reproducible (fixed header dates and GUIDs).
"""
import os
import sys

import ezdxf
from ezdxf.enums import TextEntityAlignment

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "DLXpdm.dxf")

TABLE_BOTTOM, TABLE_TOP = 0, 150      # 15 rows of 10 units
HEAD_TOP = 158                        # the heading band above the rows
FRAME_TOP = 175                       # the title band above the headings
RIGHT = 270
# Column edges: the texts start 2 units (the name 3 units) right of the left edge.
EDGES = [0, 16, 39, 62, 82, 107, 132, 147, 167, 182, 197, 210]
HEADINGS = ["点名", "累距", "间距", "高程", "地面情况", "地上情况", "地物转角", "路线转角", "横断左", "横断右", "备注"]
PROFILE = (210, 242)                  # centre 226
PLAN = (242, RIGHT)                   # centre 256


def text(msp, s, x, y, height, align=TextEntityAlignment.MIDDLE_CENTER):
    msp.add_text(s, dxfattribs={"height": height, "style": "Standard"}).set_placement((x, y), align=align)


def build(path):
    ezdxf.options.write_fixed_meta_data_for_testing = True
    doc = ezdxf.new("R2010")
    doc.header["$INSUNITS"] = 6  # metres: the drawing units of the sheet
    doc.layers.add("FRAME", color=7)
    doc.layers.add("GRID", color=8)
    doc.layers.add("HEADING", color=7)
    msp = doc.modelspace()

    def line(x1, y1, x2, y2, layer="FRAME"):
        msp.add_line((x1, y1), (x2, y2), dxfattribs={"layer": layer})

    # Outer frame, heavier inner edges of the bands.
    msp.add_lwpolyline([(0, 0), (RIGHT, 0), (RIGHT, FRAME_TOP), (0, FRAME_TOP)], close=True,
                       dxfattribs={"layer": "FRAME", "const_width": 0.4})
    line(0, TABLE_TOP, RIGHT, TABLE_TOP)
    line(0, HEAD_TOP, RIGHT, HEAD_TOP)

    # Table: column edges, row lines, headings.
    for x in EDGES[1:]:
        line(x, TABLE_BOTTOM, x, HEAD_TOP)
    for i in range(1, 15):
        line(0, TABLE_TOP - 10 * i, EDGES[-1], TABLE_TOP - 10 * i, "GRID")
    for (left, right), heading in zip(zip(EDGES, EDGES[1:]), HEADINGS):
        text(msp, heading, (left + right) / 2, (TABLE_TOP + HEAD_TOP) / 2, 2.5 if right - left > 12 else 2.2)

    # Profile and plan strips: edges, centre lines, headings.
    line(PLAN[0], TABLE_BOTTOM, PLAN[0], HEAD_TOP)
    for (left, right), heading in ((PROFILE, "纵断面"), (PLAN, "平面")):
        centre = (left + right) / 2
        line(centre, TABLE_BOTTOM, centre, TABLE_TOP, "GRID")
        text(msp, heading, centre, (TABLE_TOP + HEAD_TOP) / 2, 2.5)
    # Ticks every 10 units along both edges of the profile strip: its chainage ruler.
    for y in range(10, TABLE_TOP, 10):
        line(PROFILE[0], y, PROFILE[0] + 1.5, y, "GRID")
        line(PROFILE[1] - 1.5, y, PROFILE[1], y, "GRID")

    # Title band: the title on the left, the title block on the right.
    middle = (HEAD_TOP + FRAME_TOP) / 2
    text(msp, "电力线路平断面图", 75, middle, 5)
    line(150, HEAD_TOP, 150, FRAME_TOP)
    line(150, middle, 230, middle)
    for x in (168, 190, 208, 230):
        line(x, HEAD_TOP, x, FRAME_TOP)
    text(msp, "测  量", 159, (middle + FRAME_TOP) / 2, 2.5)
    text(msp, "校  核", 199, (middle + FRAME_TOP) / 2, 2.5)
    text(msp, "日  期", 159, (HEAD_TOP + middle) / 2, 2.5)
    text(msp, "图  号", 199, (HEAD_TOP + middle) / 2, 2.5)
    # The page number goes between these two at (240, 165).
    text(msp, "第", 235, 165, 3, TextEntityAlignment.LEFT)
    text(msp, "页", 258, 165, 3, TextEntityAlignment.LEFT)

    doc.header["$EXTMIN"] = (0, 0, 0)
    doc.header["$EXTMAX"] = (RIGHT, FRAME_TOP, 0)
    doc.saveas(path)


def main():
    # ezdxf orders some objects through sets of strings: a fixed hash seed keeps the order.
    if os.environ.get("PYTHONHASHSEED") != "0":
        os.environ["PYTHONHASHSEED"] = "0"
        os.execv(sys.executable, [sys.executable] + sys.argv)
    path = sys.argv[1] if len(sys.argv) > 1 else OUT
    build(path)
    print(path)


if __name__ == "__main__":
    main()
