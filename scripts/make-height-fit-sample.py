#!/usr/bin/env python3
"""Writes the EGM96 sample of the height-fitting tests: tests/data/height-fit/*.txt.

A smooth, real-like surface of the height anomaly for the tests of GNSS高程拟合: the EGM96 geoid
of PROJ's data package (Debian proj-data, /usr/share/proj/egm96_15.gtx, a 15' grid read with
bilinear interpolation), sampled with PROJ's `cct` over about 30 km x 40 km north of Beijing.
Positions are drawn with a fixed seed, projected to CGCS2000 Gauss-Krueger coordinates of the
3-degree zone at 117 E (`cct +proj=tmerc +lon_0=117 +x_0=500000 +ellps=GRS80`, no zone number),
normal heights are drawn between 30 m and 300 m, and every ellipsoidal height is the normal height
plus the geoid height N, both rounded to 0.1 mm as a receiver and a level would give them.

  common.txt  12 fitting points (拟合) and 5 check points (检核): name,X,Y,大地高,正常高,用途
  points.txt  8 points to convert: name,X,Y,大地高 (the last two outside the common points)
  truth.txt   name,B,L,N (degrees, metres) of every point, N as cct gives it with 6 decimals

The files are UTF-8 with CR LF line ends, as the program reads them. Run from the project root:

  python3 scripts/make-height-fit-sample.py          # rewrite the files
  python3 scripts/make-height-fit-sample.py --check  # sample again and compare (exit 1 on a difference)
"""
import pathlib
import random
import subprocess
import sys

OUT = pathlib.Path("tests/data/height-fit")
GRID = "egm96_15.gtx"


def cct(args, points):
    text = "".join(f"{lon:.9f} {lat:.9f} 0 0\n" for lon, lat in points)
    out = subprocess.run(["cct", "-d", "9", *args], input=text, capture_output=True, text=True, check=True).stdout
    return [tuple(float(v) for v in line.split()[:3]) for line in out.splitlines() if line.strip()]


def geoid(points):
    return [z for _, _, z in cct(["+proj=vgridshift", f"+grids={GRID}", "+multiplier=1"], points)]


def plane(points):
    # cct prints easting, northing: X is the northing, Y the easting.
    return [(n, e) for e, n, _ in cct(["+proj=tmerc", "+lon_0=117", "+k=1", "+x_0=500000", "+ellps=GRS80"], points)]


def sample():
    rng = random.Random(25)
    points = []  # (name, role, lon, lat)
    # Fitting points: a 4 x 3 pattern over the area, each moved a little.
    k = 0
    for i in range(4):
        for j in range(3):
            k += 1
            lon = 116.22 + i * 0.12 + rng.uniform(-0.02, 0.02)
            lat = 39.82 + j * 0.18 + rng.uniform(-0.02, 0.02)
            points.append((f"G{k:02d}", "拟合", lon, lat))
    # Check points well inside.
    for k in range(1, 6):
        points.append((f"J{k}", "检核", rng.uniform(116.30, 116.52), rng.uniform(39.88, 40.12)))
    # Points to convert: six inside, two outside the area.
    for k in range(1, 7):
        points.append((f"P{k}", "", rng.uniform(116.30, 116.52), rng.uniform(39.88, 40.12)))
    points.append(("P7", "", 116.72, 40.05))
    points.append(("P8", "", 116.40, 39.62))
    lonlat = [(lon, lat) for _, _, lon, lat in points]
    N = geoid(lonlat)
    XY = plane(lonlat)
    common, convert, truth = [], [], []
    for (name, role, lon, lat), n, (x, y) in zip(points, N, XY):
        normal = round(rng.uniform(30, 300), 4)
        geodetic = normal + n
        fields = [name, f"{x:.4f}", f"{y:.4f}", f"{geodetic:.4f}"]
        if role:
            common.append(",".join(fields + [f"{normal:.4f}", role]))
        else:
            convert.append(",".join(fields))
        truth.append(f"{name},{lat:.9f},{lon:.9f},{n:.6f}")
    return {"common.txt": common, "points.txt": convert, "truth.txt": truth}


def main():
    files = sample()
    if "--check" in sys.argv[1:]:
        bad = [name for name, lines in files.items()
               if (OUT / name).read_bytes() != ("\r\n".join(lines) + "\r\n").encode("utf-8")]
        if bad:
            print("differs from a new sampling: " + ", ".join(bad))
            return 1
        print("the sample matches a new sampling with cct")
        return 0
    OUT.mkdir(parents=True, exist_ok=True)
    for name, lines in files.items():
        (OUT / name).write_bytes(("\r\n".join(lines) + "\r\n").encode("utf-8"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
