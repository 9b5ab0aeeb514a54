#!/usr/bin/python3
"""Writes the sample session of the field-book tests in tests/core/data/fieldbook/: a small
network of two known and two new points, every point occupied, two rounds of the direction
method with face left and right, zenith readings and slope distances, recorded three ways
(CSV book, Leica GSI-16, GSI-8), and the points' true coordinates and heights.

The readings are made backwards from the true grid coordinates and heights with the same
textbook formulas the reduction inverts (grid and projection-surface reductions, earth
curvature and refraction), then rounded as an instrument records them (0.1″, 0.1 mm), so that
the reduced and adjusted network must give the true coordinates back within the rounding.
With --check the files are compared instead of written.
"""
import math
import pathlib
import sys

OUT = pathlib.Path(__file__).resolve().parent.parent / "tests" / "core" / "data" / "fieldbook"
R, K, H0, YC = 6371000.0, 0.13, 0.0, 500000.0

POINTS = {  # name: (x north, y east, H)
    "K1": (3400000.000, 520000.000, 100.000),
    "K2": (3401200.000, 521500.000, 120.000),
    "P1": (3400150.000, 521300.000, 108.500),
    "P2": (3401050.000, 520250.000, 131.250),
}
KNOWN = ["K1", "K2"]
STATIONS = [  # station, instrument height, targets in observing order, orientation of the circle
    ("K1", 1.609, ["K2", "P1", "P2"], 12.5),
    ("K2", 1.552, ["P2", "K1", "P1"], 201.25),
    ("P1", 1.480, ["K1", "K2", "P2"], 77.75),
    ("P2", 1.515, ["P1", "K2", "K1"], 300.0),
]
TARGET_HEIGHT = {"K1": 1.708, "K2": 1.650, "P1": 1.500, "P2": 1.620}
ROUNDS = 2
COLLIMATION = 6.0 / 3600  # 2C of the instrument, degrees
INDEX = 8.0 / 3600        # index error, degrees


def reading(station, i, target, v):
    xa, ya, ha = POINTS[station]
    xb, yb, hb = POINTS[target]
    dx, dy = xb - xa, yb - ya
    dg = math.hypot(dx, dy)
    ym, ddy = (ya + yb) / 2 - YC, yb - ya
    d0 = dg / (1 + ym * ym / (2 * R * R) + ddy * ddy / (24 * R * R))
    hm = (ha + i + hb + v) / 2
    d = d0 * (R + hm - H0) / R
    scos = hb - ha - i + v - (1 - K) * d * d / (2 * R)
    zenith = math.degrees(math.atan2(d, scos))
    slope = math.hypot(d, scos)
    bearing = math.degrees(math.atan2(dy, dx)) % 360
    return bearing, zenith, slope


def tenths(deg):
    """Degrees rounded to 0.1″, as (d, m, s tenths)."""
    t = round((deg % 360) * 36000)
    t %= 360 * 36000
    d, rest = divmod(t, 36000)
    m, st = divmod(rest, 600)
    return d, m, st


def packed(deg):
    d, m, st = tenths(deg)
    return f"{d}.{m:02d}{st // 10:02d}{st % 10}"


def pointings():
    for station, i, targets, orient in STATIONS:
        for r in range(1, ROUNDS + 1):
            offset = orient + (r - 1) * 180 / ROUNDS
            seq_left = targets + [targets[0]]
            seq_right = [targets[0]] + targets[:0:-1] + [targets[0]]
            for face, seq in (("左", seq_left), ("右", seq_right)):
                for t in seq:
                    v = TARGET_HEIGHT[t]
                    bearing, zenith, slope = reading(station, i, t, v)
                    theta = (bearing - orient + offset) % 360
                    if face == "左":
                        hz, vz = theta + COLLIMATION / 2, zenith + INDEX
                    else:
                        hz, vz = theta - COLLIMATION / 2 + 180, 360 - zenith + INDEX
                    yield station, i, t, v, r, face, hz % 360, vz, round(slope, 4)


def csv_text():
    lines = ["# 生成的样例观测: 两个已知点, 两个新点, 每点设站, 2 测回",
             "测站,仪器高,照准点,觇标高,测回,盘位,水平度盘读数,竖盘读数,斜距"]
    for station, i, t, v, r, face, hz, vz, s in pointings():
        lines.append(f"{station},{i:.3f},{t},{v:.3f},{r},{face},{packed(hz)},{packed(vz)},{s:.4f}")
    return "\n".join(lines) + "\n"


def gsi_word(wi, info, value, wide):
    width = 16 if wide else 8
    sign = "-" if isinstance(value, int) and value < 0 else "+"
    text = str(abs(value)) if isinstance(value, int) else value
    return f"{wi:02d}{info}{sign}{text.rjust(width, '0')} "


def angle_digits(deg):
    d, m, st = tenths(deg)
    return d * 100000 + m * 1000 + st


def gsi_text(wide):
    lines, n, last = [], 0, None
    for station, i, t, v, r, face, hz, vz, s in pointings():
        if station != last:
            n += 1
            lines.append(gsi_word(11, f"{n:04d}", station, wide) + gsi_word(88, "..10", round(i * 1000), wide))
            last = station
        n += 1
        lines.append(gsi_word(11, f"{n:04d}", t, wide) + gsi_word(21, ".324", angle_digits(hz), wide) +
                     gsi_word(22, ".324", angle_digits(vz), wide) + gsi_word(31, "..06", round(s * 10000), wide) +
                     gsi_word(87, "..10", round(v * 1000), wide))
    star = "*" if wide else ""
    return "".join(star + line + "\r\n" for line in lines)


def main():
    files = {
        "session.csv": csv_text(),
        "session.gsi16": gsi_text(True),
        "session.gsi8": gsi_text(False),
        "session-known.txt": "".join(f"{p},{POINTS[p][0]:.3f},{POINTS[p][1]:.3f},{POINTS[p][2]:.3f}\r\n" for p in KNOWN),
        "session-true.txt": "".join(f"{p},{x:.3f},{y:.3f},{h:.3f}\n" for p, (x, y, h) in POINTS.items()),
    }
    check = "--check" in sys.argv
    bad = 0
    for name, text in files.items():
        path = OUT / name
        if check:
            if path.read_bytes() != text.encode():
                print("differs:", path)
                bad = 1
        else:
            OUT.mkdir(parents=True, exist_ok=True)
            path.write_bytes(text.encode())
    sys.exit(bad)


if __name__ == "__main__":
    main()
