#!/usr/bin/python3
"""An independent height fit for the tests of GNSS高程拟合, in exact rational arithmetic.

  height_fit_reference.py constant|plane|quadratic COMMON [POINTS]

COMMON holds name,X,Y,大地高,正常高,用途 lines and POINTS name,X,Y,大地高 lines, as the program
reads them. Every decimal text is taken exactly (fractions.Fraction); the least-squares surface
comes from the normal equations solved by Gauss-Jordan elimination without any rounding, the
leave-one-out estimate from fitting the surface again without each point, the hull from exact
cross products. Only the square roots are taken in floating point. Prints one value a line:

  centre X0 Y0             a<j> value (m per km^j)
  mu value|none            M value|none            loo value|none
  residual NAME v          check NAME fitted-normal-height difference
  converted NAME anomaly normal-height inside|outside
"""
import math
import sys
from fractions import Fraction as F

TERMS = {"constant": 1, "plane": 3, "quadratic": 6}


def read(path, count):
    rows = []
    with open(path, "rb") as f:
        for raw in f.read().decode("utf-8-sig").splitlines():
            fields = [s.strip() for s in raw.split(",")]
            if not any(fields):
                continue
            fields += [""] * (count - len(fields))
            rows.append(fields[:count])
    return rows


def terms(x, y, centre, t):
    dx, dy = (x - centre[0]) / 1000, (y - centre[1]) / 1000
    return [F(1), dx, dy, dx * dx, dx * dy, dy * dy][:t]


def fit(points, centre, t):
    """points: (x, y, zeta). Exact least squares through the normal equations."""
    N = [[F(0)] * t for _ in range(t)]
    u = [F(0)] * t
    for x, y, z in points:
        a = terms(x, y, centre, t)
        for i in range(t):
            u[i] += a[i] * z
            for j in range(t):
                N[i][j] += a[i] * a[j]
    M = [row[:] + [u[i]] for i, row in enumerate(N)]
    for c in range(t):
        pivot = next(r for r in range(c, t) if M[r][c] != 0)
        M[c], M[pivot] = M[pivot], M[c]
        for r in range(t):
            if r != c and M[r][c] != 0:
                f = M[r][c] / M[c][c]
                M[r] = [a - f * b for a, b in zip(M[r], M[c])]
    return [M[i][t] / M[i][i] for i in range(t)]


def value(a, x, y, centre):
    return sum(c * s for c, s in zip(a, terms(x, y, centre, len(a))))


def cross(o, a, b):
    return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0])


def hull(points):
    p = sorted(set(points))
    lower, upper = [], []
    for q in p:
        while len(lower) >= 2 and cross(lower[-2], lower[-1], q) <= 0:
            lower.pop()
        lower.append(q)
    for q in reversed(p):
        while len(upper) >= 2 and cross(upper[-2], upper[-1], q) <= 0:
            upper.pop()
        upper.append(q)
    return lower[:-1] + upper[:-1]


def show(v):
    return "none" if v is None else repr(float(v))


def main():
    model, common_path = sys.argv[1], sys.argv[2]
    t = TERMS[model]
    common = []
    for name, x, y, hg, hn, role in read(common_path, 6):
        common.append((name, F(x), F(y), F(hg), F(hn), "check" if role == "检核" else "fit"))
    fitting = [c for c in common if c[5] == "fit"]
    checks = [c for c in common if c[5] == "check"]
    n, m = len(fitting), len(checks)
    centre = (sum(c[1] for c in fitting) / n, sum(c[2] for c in fitting) / n)
    zeta = lambda c: c[3] - c[4]
    a = fit([(c[1], c[2], zeta(c)) for c in fitting], centre, t)
    print("centre", show(centre[0]), show(centre[1]))
    for j, c in enumerate(a):
        print(f"a{j}", show(c))
    vv = F(0)
    for c in fitting:
        v = value(a, c[1], c[2], centre) - zeta(c)
        vv += v * v
        print("residual", c[0], show(v))
    print("mu", show(math.sqrt(vv / (n - t)) if n > t else None))
    dd = F(0)
    for c in checks:
        normal = c[3] - value(a, c[1], c[2], centre)
        dd += (normal - c[4]) ** 2
        print("check", c[0], show(normal), show(normal - c[4]))
    print("M", show(math.sqrt(dd / m) if m else None))
    loo = None
    if m == 0 and n > t:
        total = F(0)
        for k, c in enumerate(fitting):
            others = [(o[1], o[2], zeta(o)) for i, o in enumerate(fitting) if i != k]
            d = value(fit(others, centre, t), c[1], c[2], centre) - zeta(c)
            total += d * d
        loo = math.sqrt(total / n)
    print("loo", show(loo))
    if len(sys.argv) > 3:
        corners = hull([(c[1], c[2]) for c in fitting])
        for name, x, y, hg in read(sys.argv[3], 4):
            x, y, hg = F(x), F(y), F(hg)
            z = value(a, x, y, centre)
            inside = all(cross(corners[i], corners[(i + 1) % len(corners)], (x, y)) >= 0 for i in range(len(corners)))
            print("converted", name, show(z), show(hg - z), "inside" if inside else "outside")


if __name__ == "__main__":
    main()
