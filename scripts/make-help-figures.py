#!/usr/bin/env python3
"""Draws the figures of the help page: traverse sketches with their left angles, the levelling
route, the polar survey, the Gauss-Kruger zone and the map-sheet neighbours.

Run from the project root; writes resources/help/*.svg. Plain SVG Tiny (lines, paths, polygons,
circles, text) so that the program's own help window shows them as a browser does. Screen
coordinates have north up; a bearing is measured clockwise from north, as in the program.
"""
import math
import pathlib

FONT = "WenQuanYi Micro Hei, Noto Sans CJK SC, Microsoft YaHei, sans-serif"
INK, KNOWN, NEW, ANGLE, NOTE = "#22303c", "#b3261e", "#2f6db5", "#2e8b57", "#6a6f78"


class Figure:
    def __init__(self, width, height):
        self.width, self.height, self.parts = width, height, []

    def add(self, text):
        self.parts.append(text)

    def line(self, p, q, colour=INK, width=1.6, dash=None):
        d = f' stroke-dasharray="{dash}"' if dash else ""
        self.add(f'<line x1="{p[0]:.1f}" y1="{p[1]:.1f}" x2="{q[0]:.1f}" y2="{q[1]:.1f}" '
                 f'stroke="{colour}" stroke-width="{width}"{d}/>')

    def known_line(self, p, q):
        # A known direction: the double line of survey sketches.
        dx, dy = q[0] - p[0], q[1] - p[1]
        n = math.hypot(dx, dy)
        ox, oy = -dy / n * 2.2, dx / n * 2.2
        self.line((p[0] + ox, p[1] + oy), (q[0] + ox, q[1] + oy), KNOWN, 1.2)
        self.line((p[0] - ox, p[1] - oy), (q[0] - ox, q[1] - oy), KNOWN, 1.2)

    def arrow(self, p, q, colour=INK, width=1.6, dash=None):
        self.line(p, q, colour, width, dash)
        a = math.atan2(q[1] - p[1], q[0] - p[0])
        tip = [(q[0], q[1]),
               (q[0] - 10 * math.cos(a - 0.35), q[1] - 10 * math.sin(a - 0.35)),
               (q[0] - 10 * math.cos(a + 0.35), q[1] - 10 * math.sin(a + 0.35))]
        self.add('<polygon points="%s" fill="%s"/>' % (" ".join(f"{x:.1f},{y:.1f}" for x, y in tip), colour))

    def text(self, p, s, colour=INK, size=15, anchor="middle", bold=False, italic=False):
        w = ' font-weight="bold"' if bold else ""
        i = ' font-style="italic"' if italic else ""
        self.add(f'<text x="{p[0]:.1f}" y="{p[1]:.1f}" font-family="{FONT}" font-size="{size}" fill="{colour}" '
                 f'text-anchor="{anchor}"{w}{i}>{s}</text>')

    def known(self, p, name, dx=0, dy=-12):
        # A known point: the triangle of control points.
        s = 8
        self.add(f'<polygon points="{p[0]:.1f},{p[1] - s:.1f} {p[0] - s * 0.87:.1f},{p[1] + s / 2:.1f} '
                 f'{p[0] + s * 0.87:.1f},{p[1] + s / 2:.1f}" fill="{KNOWN}"/>')
        self.text((p[0] + dx, p[1] + dy), name, KNOWN, 16, bold=True)

    def new(self, p, name, dx=0, dy=-12):
        self.add(f'<circle cx="{p[0]:.1f}" cy="{p[1]:.1f}" r="5" fill="#ffffff" stroke="{NEW}" stroke-width="2"/>')
        self.text((p[0] + dx, p[1] + dy), name, NEW, 16, bold=True)

    def angle(self, vertex, back, ahead, label, radius=26):
        # The left angle at `vertex`: from the direction back, clockwise to the direction ahead.
        b, a = bearing(vertex, back), bearing(vertex, ahead)
        sweep = (a - b) % 360
        start, end = polar(vertex, b, radius), polar(vertex, a, radius)
        large = 1 if sweep > 180 else 0
        self.add(f'<path d="M {start[0]:.1f} {start[1]:.1f} A {radius} {radius} 0 {large} 1 {end[0]:.1f} {end[1]:.1f}" '
                 f'fill="none" stroke="{ANGLE}" stroke-width="1.6"/>')
        at = polar(vertex, b + sweep / 2, radius + 14)
        self.text((at[0], at[1] + 5), label, ANGLE, 14, italic=True)

    def north(self, p):
        self.arrow((p[0], p[1] + 34), p, INK, 1.4)
        self.text((p[0], p[1] - 6), "N (x)", INK, 12)

    def svg(self):
        body = "\n  ".join(self.parts)
        return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{self.width}" height="{self.height}" '
                f'viewBox="0 0 {self.width} {self.height}">\n'
                f'  <rect x="0" y="0" width="{self.width}" height="{self.height}" fill="#ffffff"/>\n  {body}\n</svg>\n')


def bearing(p, q):
    # Clockwise from north (screen up), degrees.
    return math.degrees(math.atan2(q[0] - p[0], -(q[1] - p[1]))) % 360


def polar(p, degrees, r):
    a = math.radians(degrees)
    return (p[0] + r * math.sin(a), p[1] - r * math.cos(a))


def mid(p, q, off=0.0):
    dx, dy = q[0] - p[0], q[1] - p[1]
    n = math.hypot(dx, dy)
    return ((p[0] + q[0]) / 2 - dy / n * off, (p[1] + q[1]) / 2 + dx / n * off)


def legend(f, y, items):
    x = 20
    for kind, text in items:
        if kind == "known":
            f.known((x, y + 4), "", 0, 0)
        elif kind == "new":
            f.new((x, y), "", 0, 0)
        elif kind == "angle":
            f.add(f'<path d="M {x - 8} {y + 4} A 10 10 0 0 1 {x + 8} {y + 4}" fill="none" stroke="{ANGLE}" stroke-width="1.6"/>')
        elif kind == "dir":
            f.known_line((x - 10, y), (x + 10, y))
        f.text((x + 16, y + 5), text, INK, 13, "start")
        x += 16 + 14 * len(text) + 26


def traverse(points, known, angles, legs, dirs, title_items, width=660, height=300, extra=None):
    f = Figure(width, height)
    f.north((width - 30, 40))
    names = list(points)
    for p, q in dirs:
        f.known_line(points[p], points[q])
    for i, (p, q) in enumerate(legs):
        f.line(points[p], points[q], INK, 1.8)
    for vertex, label in angles.items():
        i = names.index(vertex)
        f.angle(points[vertex], points[names[i - 1]], points[names[i + 1]], label)
    for i, (p, q) in enumerate(legs):
        m = mid(points[p], points[q], 14)
        f.text((m[0], m[1] + 5), f"D{i + 1}", INK, 13, italic=True)
    if extra:
        extra(f)
    for name, p in points.items():
        # Names go below the points whose left angle is drawn above them.
        below = name == "A" or name in angles
        (f.known if name in known else f.new)(p, name, 0, 28 if below else -14)
    legend(f, height - 22, title_items)
    return f


def connecting():
    pts = {"A": (50, 200), "B": (140, 120), "P1": (270, 170), "P2": (400, 110), "C": (520, 160), "D": (610, 90)}
    return traverse(pts, {"A", "B", "C", "D"},
                    {"B": "βB", "P1": "β₁", "P2": "β₂", "C": "βC"},
                    [("B", "P1"), ("P1", "P2"), ("P2", "C")], [("A", "B"), ("C", "D")],
                    [("known", "已知点"), ("new", "待定点"), ("dir", "已知方向 A→B、C→D"), ("angle", "左角")],
                    extra=lambda f: (f.text((92, 150), "αAB", KNOWN, 13, italic=True),
                                     f.text((580, 140), "αCD", KNOWN, 13, italic=True)))


def single_side():
    pts = {"A": (50, 200), "B": (140, 120), "P1": (270, 170), "P2": (400, 110), "C": (540, 160)}
    return traverse(pts, {"A", "B", "C"}, {"B": "βB", "P1": "β₁", "P2": "β₂"},
                    [("B", "P1"), ("P1", "P2"), ("P2", "C")], [("A", "B")],
                    [("known", "已知点"), ("new", "待定点"), ("dir", "已知方向 A→B"), ("angle", "左角")])


def open_traverse():
    pts = {"A": (50, 200), "B": (140, 120), "P1": (270, 170), "P2": (400, 110), "P3": (530, 150)}
    return traverse(pts, {"A", "B"}, {"B": "βB", "P1": "β₁", "P2": "β₂"},
                    [("B", "P1"), ("P1", "P2"), ("P2", "P3")], [("A", "B")],
                    [("known", "已知点"), ("new", "待定点"), ("dir", "已知方向 A→B"), ("angle", "左角")])


def no_orientation():
    pts = {"B": (70, 170), "P1": (210, 100), "P2": (360, 150), "C": (540, 110)}

    def extra(f):
        # The carried figure before the rotation, and the known line B→C it is turned onto.
        carried = [(70, 170), (195, 75), (350, 100), (520, 30)]
        for p, q in zip(carried, carried[1:]):
            f.line(p, q, NOTE, 1.2, "5,4")
        f.text((528, 26), "C′", NOTE, 14, "start", italic=True)
        f.line(pts["B"], pts["C"], KNOWN, 1.0, "2,3")
        f.add(f'<path d="M {polar(pts["B"], bearing(pts["B"], carried[3]), 200)[0]:.1f} '
              f'{polar(pts["B"], bearing(pts["B"], carried[3]), 200)[1]:.1f} A 200 200 0 0 1 '
              f'{polar(pts["B"], bearing(pts["B"], pts["C"]), 200)[0]:.1f} {polar(pts["B"], bearing(pts["B"], pts["C"]), 200)[1]:.1f}" '
              f'fill="none" stroke="{KNOWN}" stroke-width="1.4"/>')
        at = polar(pts["B"], (bearing(pts["B"], carried[3]) + bearing(pts["B"], pts["C"])) / 2, 214)
        f.text(at, "θ", KNOWN, 15, italic=True)

    return traverse(pts, {"B", "C"}, {"P1": "β₁", "P2": "β₂"},
                    [("B", "P1"), ("P1", "P2"), ("P2", "C")], [],
                    [("known", "已知点"), ("new", "待定点"), ("angle", "左角"), ("", "虚线：按任意起始方位推算")],
                    extra=extra)


def coordinate_traverse():
    f = Figure(660, 300)
    f.north((30, 40))
    A, B, C, D = (50, 200), (140, 120), (520, 160), (610, 90)
    P1, P2 = (270, 170), (400, 110)
    measured = [B, (272, 158), (405, 92), (528, 138), (622, 62)]
    for p, q in zip(measured, measured[1:]):
        f.line(p, q, NOTE, 1.2, "5,4")
    for p in measured[1:]:
        f.add(f'<circle cx="{p[0]}" cy="{p[1]}" r="3" fill="{NOTE}"/>')
    f.text((612, 52), "实测", NOTE, 13, "end")
    f.known_line(A, B)
    f.known_line(C, D)
    for p, q in [(B, P1), (P1, P2), (P2, C)]:
        f.line(p, q, INK, 1.8)
    for p, n in [(A, "A"), (B, "B"), (C, "C"), (D, "D")]:
        f.known(p, n, 0, 26 if n == "A" else -14)
    f.new(P1, "P1", 0, 24)
    f.new(P2, "P2", 0, 24)
    f.text((330, 60), "全站仪在 B 设站、后视 A，测得各点坐标（灰色）", NOTE, 13)
    legend(f, 278, [("known", "已知点"), ("new", "平差后的待定点"), ("dir", "已知方向 A→B、C→D")])
    return f


def levelling():
    f = Figure(660, 260)
    ground = [(40, 190), (200, 130), (380, 150), (560, 90)]
    names = ["BM1", "P1", "P2", "BM2"]
    f.line((20, 220), (640, 220), NOTE, 1.0)
    f.text((636, 214), "高程基准面", NOTE, 12, "end")
    for i, (p, q) in enumerate(zip(ground, ground[1:])):
        f.line(p, q, INK, 1.8)
        m = mid(p, q)
        f.text((m[0], m[1] - 16), f"h{i + 1}，L{i + 1}", ANGLE, 14, italic=True)
    for p, n in zip(ground, names):
        f.line(p, (p[0], 220), NOTE, 1.0, "3,3")
        if n.startswith("BM"):
            f.known(p, n, 0, -14)
        else:
            f.new(p, n, 0, -14)
    f.text((20, 240), "H(BM1) 已知", KNOWN, 13, "start")
    f.text((560, 240), "H(BM2) 已知", KNOWN, 13)
    f.text((330, 30), "闭合差 fh = H(BM1) + Σh − H(BM2)；改正数 vᵢ = −fh · Lᵢ / ΣL", INK, 14)
    return f


def polar_survey():
    f = Figure(520, 360)
    O, K, P = (170, 230), (260, 70), (430, 250)
    f.north((170, 40))
    f.line(O, (170, 80), NOTE, 1.0, "4,3")
    f.known_line(O, K)
    f.arrow(O, P, INK, 1.8)
    f.known(O, "测站 O", -10, 28)
    f.known(K, "后视点 K", 0, -14)
    f.new(P, "碎部点 P", 0, -14)
    # azimuth of the backsight, counted clockwise from north
    bk, bp = bearing(O, K), bearing(O, P)
    for (a0, a1, r, colour, label) in [(0, bk, 50, KNOWN, "A"), (bk, bp, 84, ANGLE, "h − b")]:
        s, e = polar(O, a0, r), polar(O, a1, r)
        sweep = (a1 - a0) % 360
        f.add(f'<path d="M {s[0]:.1f} {s[1]:.1f} A {r} {r} 0 {1 if sweep > 180 else 0} 1 {e[0]:.1f} {e[1]:.1f}" '
              f'fill="none" stroke="{colour}" stroke-width="1.6"/>')
        at = polar(O, a0 + sweep / 2, r + 16)
        f.text((at[0], at[1] + 5), label, colour, 14, italic=True)
    m = mid(O, P, 14)
    f.text(m, "D", INK, 14, italic=True)
    f.text((20, 300), "A：后视方位角　b：后视点水平度盘读数　h：碎部点水平度盘读数", INK, 13, "start")
    f.text((20, 324), "定向角 ω = A − b，方位角 α = h + ω，X = X0 + D·cos α，Y = Y0 + D·sin α", INK, 13, "start")
    return f


def gauss_zone():
    f = Figure(560, 370)
    cx = 280
    f.arrow((cx, 290), (cx, 40), INK, 1.6)
    f.text((cx + 8, 48), "x（北）", INK, 13, "start")
    f.arrow((60, 270), (510, 270), INK, 1.6)
    f.text((506, 262), "y（东）", INK, 13, "end")
    f.text((cx + 8, 288), "中央子午线 L0", KNOWN, 13, "start")
    f.text((70, 262), "赤道", NOTE, 12, "start")
    for dx in (-160, -80, 80, 160):
        k = 0.0009 * dx * dx
        f.add(f'<path d="M {cx + dx * 1.0:.1f} 270 Q {cx + dx * 0.93:.1f} 150 {cx + dx * 0.84 - (k if dx > 0 else -k) * 0:.1f} 40" '
              f'fill="none" stroke="{NOTE}" stroke-width="1" stroke-dasharray="4,3"/>')
    P = (400, 120)
    f.line(P, (cx, 120), ANGLE, 1.2, "4,3")
    f.line(P, (400, 270), ANGLE, 1.2, "4,3")
    f.new(P, "P", 12, -10)
    f.text((340, 112), "y′", ANGLE, 14, italic=True)
    f.text((410, 200), "x", ANGLE, 14, "start", italic=True)
    f.text((20, 330), "表中的 y = 带号 × 1000000 + 500000 + y′", INK, 13, "start")
    f.text((20, 352), "例：38 500 123.456 → 带号 38，y′ = 123.456 m", INK, 13, "start")
    return f


def sheets():
    f = Figure(520, 300)
    names = ["西北", "北", "东北", "西", "本图幅", "东", "西南", "南", "东南"]
    x0, y0, w, h = 60, 30, 130, 70
    for i, n in enumerate(names):
        r, c = divmod(i, 3)
        x, y = x0 + c * w, y0 + r * h
        fill = "#eef3fa" if i == 4 else "#ffffff"
        f.add(f'<rect x="{x}" y="{y}" width="{w}" height="{h}" fill="{fill}" stroke="{INK}" stroke-width="1.2"/>')
        f.text((x + w / 2, y + 30), n, INK, 14, bold=(i == 4))
        f.text((x + w / 2, y + 52), f"Edit{i + 1}", NOTE, 12)
    f.text((x0 + 1.5 * w, y0 + 3 * h + 26), "每幅 1:1万 图：经差 3′45″，纬差 2′30″", INK, 13)
    f.text((x0 + 1.5 * w, y0 + 3 * h + 46), "例：114°E、34°N → I50G048001（新），I-50-61-(57)（旧）", INK, 13)
    return f


FIGURES = {
    "traverse-connecting": connecting,
    "traverse-single-side": single_side,
    "traverse-no-orientation": no_orientation,
    "traverse-open": open_traverse,
    "traverse-coordinates": coordinate_traverse,
    "levelling-route": levelling,
    "polar-survey": polar_survey,
    "gauss-zone": gauss_zone,
    "map-sheets": sheets,
}


def main():
    folder = pathlib.Path("resources/help")
    folder.mkdir(parents=True, exist_ok=True)
    for name, draw in FIGURES.items():
        (folder / f"{name}.svg").write_text(draw().svg(), encoding="utf-8")


if __name__ == "__main__":
    main()
