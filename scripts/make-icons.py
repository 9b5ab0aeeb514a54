#!/usr/bin/env python3
"""Draws the toolbar icons: a rounded tile in the colour of the toolbar with one white sign.

Run from the project root; writes resources/icons/*.svg. The tiles of a toolbar share a colour so
that the three toolbars read as groups; a small corner mark tells related tools apart.
"""
import pathlib

BLUE, GREEN, ORANGE, GREY = "#2f6db5", "#2e8b57", "#d9822b", "#6a6f78"

# name: (colour, sign, corner mark)
ICONS = {
    "gszs": (BLUE, "正", ""), "gsfs": (BLUE, "反", ""), "zbhd": (BLUE, "换", ""),
    "tqzh": (BLUE, "平", "dot"), "tqdtop": (BLUE, "地", "dot"), "tqptod": (BLUE, "面", "dot"),
    "tqdtod": (BLUE, "球", "dot"), "gcdc": (BLUE, "偿", ""), "hxzh": (BLUE, "网", ""), "pmzh": (BLUE, "二", "bar"),
    "pmzh2": (BLUE, "多", "bar"), "gcnh": (BLUE, "拟", "dot"),
    "bjfh": (GREEN, "附", ""), "dbfh": (GREEN, "单", ""), "wdx": (GREEN, "无", ""), "zdx": (GREEN, "支", ""),
    "zbfh": (GREEN, "附", "dot"), "zbfh1": (GREEN, "单", "dot"), "zbwdx": (GREEN, "无", "dot"),
    "gcfh": (GREEN, "高", ""), "kzwpc": (GREEN, "网", "bar"), "gcsb": (GREEN, "簿", "bar"), "gnss": (GREEN, "星", "bar"),
    "zbzfs": (ORANGE, "算", ""), "jzbcl": (ORANGE, "极", ""), "tfh": (ORANGE, "幅", ""),
    "cadpoint": (ORANGE, "取", "bar"), "bzbl": (ORANGE, "经", "bar"), "bzxy": (ORANGE, "标", "bar"),
    "dlxpdb": (ORANGE, "线", ""), "drawing": (ORANGE, "图", "dot"), "about": (GREY, "i", ""),
}

FONT = "WenQuanYi Micro Hei, Noto Sans CJK SC, Microsoft YaHei, sans-serif"


def tile(colour, sign, mark):
    marks = {
        "": "",
        "dot": '<circle cx="19.5" cy="4.5" r="2.6" fill="#ffd54a" stroke="#ffffff" stroke-width="0.8"/>',
        "bar": '<rect x="3" y="19.6" width="18" height="2" rx="1" fill="#ffd54a"/>',
    }
    return f'''<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
  <rect x="1" y="1" width="22" height="22" rx="4" fill="{colour}"/>
  <rect x="1.5" y="1.5" width="21" height="10" rx="3.5" fill="#ffffff" fill-opacity="0.12"/>
  <text x="12" y="17" font-family="{FONT}" font-size="15" font-weight="bold" fill="#ffffff" text-anchor="middle">{sign}</text>
  {marks[mark]}
</svg>
'''


PROGRAM = '''<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">
  <rect x="2" y="2" width="44" height="44" rx="8" fill="#2f6db5"/>
  <path d="M8 38 L24 10 L40 38 Z" fill="none" stroke="#ffffff" stroke-width="3" stroke-linejoin="round"/>
  <circle cx="24" cy="10" r="3.5" fill="#ffd54a"/>
  <circle cx="8" cy="38" r="3.5" fill="#ffd54a"/>
  <circle cx="40" cy="38" r="3.5" fill="#ffd54a"/>
</svg>
'''

out = pathlib.Path("resources/icons")
out.mkdir(parents=True, exist_ok=True)
for name, (colour, sign, mark) in ICONS.items():
    (out / f"{name}.svg").write_text(tile(colour, sign, mark), encoding="utf-8")
(out / "quorvil.svg").write_text(PROGRAM, encoding="utf-8")
