#!/usr/bin/env python3
"""Writes the shipped planning data into dist/: the machining condition tables
(<name><material>.tbl), the hole dimension tables (Zaguri.tbl, mTapN.tbl,
Reamer.tbl) and the magazine tool table (MCTOOL.ini). Tables are ASCII with
CR LF; MCTOOL.ini is code page 932 with CR LF.

Run after changing a figure here: python3 tools/dist_src/make_tables.py

Where the numbers come from
---------------------------
Dimensions (fixed by standards):
  - Counterbores for hexagon socket head cap screws M3-M20: the counterbore
    and bolt hole table of JIS B 1176 (hole d1, counterbore D', depth H').
  - Coarse threads M3-M20: pitches of JIS B 0205 (ISO metric coarse), tap
    drills of JIS B 1004 (the usual pilot drill for a 6H thread).
  - H7 reamers: nominal sizes of the common HSS machine reamer range; pilot
    drill = nominal - reaming allowance (0.2 mm up to 6 mm, 0.3 mm above), the
    usual allowance for machine reaming.
Cutting data (round shop-floor figures for HSS tools, in the middle of the
ranges that machining handbooks and HSS tool makers' catalogues give for each
material; cutting speed v in m/min, feed per revolution f in mm/rev):
  - spindle speed n = 1000 v / (pi d), rounded down to 10 rev/min, at most
    MAX_SPINDLE (a common vertical machining centre);
  - feed F = f n (mm/min), rounded to whole mm/min;
  - taps: F = pitch x n exactly; n is rounded to a multiple of 20 so that
    pitch x n is a whole number for every coarse pitch (F is written as an
    integer and a rigid tap must follow the pitch exactly);
  - drill feed per revolution grows with the diameter: f = k (0.012 d + 0.03),
    k the material's factor; the peck Q of G83 is a share of the diameter;
  - end mills (counterbores) plunge axially: f = k (0.03 + 0.002 d);
  - reamers: f = k (0.10 + 0.02 d);
  - chamfer cutter: a 90 degree HSS chamfer cutter; each band's speed is
    computed at the largest chamfer diameter of the band.
Depths in the tables are Z values below the work surface (negative); the tap
and reamer table depths are blind-hole defaults the hole dialog fills in.
"""
import math
import pathlib

here = pathlib.Path(__file__).resolve().parent
dist = here.parent.parent / "dist"

MAX_SPINDLE = 8000

# Work materials, as `WorkType` of Drilling.ini names them.
MATERIALS = ["S45C", "SS400", "A5052", "SUS304", "FC250"]

# Cutting speeds (m/min) of HSS tools per material.
SPEED = {
    #           cdrill drill chamfer tap endmill reamer
    "S45C":   dict(cdrill=15, drill=20, chamfer=15, tap=8, endmill=20, reamer=8),
    "SS400":  dict(cdrill=18, drill=25, chamfer=18, tap=10, endmill=25, reamer=10),
    "A5052":  dict(cdrill=40, drill=60, chamfer=40, tap=15, endmill=80, reamer=20),
    "SUS304": dict(cdrill=10, drill=12, chamfer=10, tap=5, endmill=12, reamer=5),
    "FC250":  dict(cdrill=15, drill=20, chamfer=15, tap=10, endmill=18, reamer=10),
}
# Feed factors per material (steel = 1) and the drill peck as a share of d.
FEED_FACTOR = {"S45C": 0.9, "SS400": 1.0, "A5052": 1.3, "SUS304": 0.7, "FC250": 1.2}
PECK_SHARE = {"S45C": 1.0, "SS400": 1.0, "A5052": 1.5, "SUS304": 0.5, "FC250": 1.5}

# Centre drills: diameter, feed per revolution, centre drilling Z.
CENTRE_DRILLS = [(2, 0.04, -1.0), (3, 0.05, -1.5), (4, 0.06, -2.0)]

# Hexagon socket head cap screws (JIS B 1176): nominal, hole d1, counterbore
# D', counterbore depth H'.
COUNTERBORES = [
    (3, 3.4, 6.5, 3.3),
    (4, 4.5, 8, 4.4),
    (5, 5.5, 9.5, 5.4),
    (6, 6.6, 11, 6.5),
    (8, 9, 14, 8.6),
    (10, 11, 17.5, 10.8),
    (12, 14, 20, 13),
    (14, 16, 23, 15.2),
    (16, 18, 26, 17.5),
    (18, 20, 29, 19.5),
    (20, 22, 32, 21.5),
]

# ISO metric coarse threads: nominal, pitch (JIS B 0205), tap drill (JIS B 1004).
COARSE_THREADS = [
    (3, 0.5, 2.5),
    (4, 0.7, 3.3),
    (5, 0.8, 4.2),
    (6, 1.0, 5.0),
    (8, 1.25, 6.8),
    (10, 1.5, 8.5),
    (12, 1.75, 10.2),
    (14, 2.0, 12.0),
    (16, 2.0, 14.0),
    (18, 2.5, 15.5),
    (20, 2.5, 17.5),
]

# H7 reamers: nominal sizes.
REAMERS = [3, 4, 5, 6, 8, 10, 12, 13, 16, 20]

# Plain drills kept in the tables besides the pilot and bolt hole drills.
PLAIN_DRILLS = [2, 3, 4, 5, 6, 7, 8, 10, 12, 13, 15, 16, 18, 20]

# Chamfer bands: lower bounds of the hole diameter (mm); the last band runs
# to CHAMFER_MAX_HOLE.
CHAMFER_BANDS = [0.5, 4, 8, 12, 16, 20]
CHAMFER_MAX_HOLE = 26


def num(x):
    """Number text: up to three decimals, no trailing zeros, no bare point."""
    t = f"{x:.3f}".rstrip("0").rstrip(".")
    return "0" if t in ("-0", "") else t


def spindle(v, d, step=10):
    n = 1000.0 * v / (math.pi * d)
    n = min(n, MAX_SPINDLE)
    return int(n // step) * step


def tap_spindle(v, d):
    """Nearest multiple of 20 rev/min (never 0)."""
    n = min(1000.0 * v / (math.pi * d), MAX_SPINDLE)
    return max(20, int(round(n / 20)) * 20)


def half_up(x):
    """Rounds a depth up to the next 0.5 mm."""
    return math.ceil(x * 2 - 1e-9) / 2


def reamer_allowance(d):
    return 0.2 if d <= 6 else 0.3


def reamer_pilot(d):
    return round(d - reamer_allowance(d), 3)


def drill_sizes():
    sizes = set(PLAIN_DRILLS)
    sizes.update(t[2] for t in COARSE_THREADS)
    sizes.update(c[1] for c in COUNTERBORES)
    sizes.update(reamer_pilot(d) for d in REAMERS)
    return sorted(sizes)


def tap_depth(d):
    return -1.5 * d


def tap_rows():
    rows = []
    for d, pitch, pilot in COARSE_THREADS:
        chamfer = -(d / 2 + 0.5)
        depth = tap_depth(d)
        # Three pitches of incomplete thread and the drill point below the tap.
        pilot_depth = -half_up(-depth + 3 * pitch + 0.3 * pilot)
        rows.append((d, pitch, pilot, chamfer, depth, pilot_depth))
    return rows


def reamer_rows():
    rows = []
    for d in REAMERS:
        pilot = reamer_pilot(d)
        chamfer = -(d / 2 + 0.3)
        depth = -1.5 * d
        pilot_depth = -half_up(-depth + 0.3 * pilot + 2)
        rows.append((d, reamer_allowance(d), pilot, chamfer, depth, pilot_depth))
    return rows


def write_table(name, rows, width):
    lines = ["  ".join(num(v) for v in row) for row in rows]
    lines.append("  ".join("0" for _ in range(width)))
    (dist / name).write_bytes(("\r\n".join(lines) + "\r\n").encode("ascii"))
    print(f"dist/{name}")


def condition_tables(material):
    v = SPEED[material]
    k = FEED_FACTOR[material]
    tables = {}

    rows = []
    for d, f, z in CENTRE_DRILLS:
        n = spindle(v["cdrill"], d)
        rows.append((d, n, round(f * k * n), z))
    tables["cdrill"] = (rows, 4)

    rows = []
    for d in drill_sizes():
        n = spindle(v["drill"], d)
        f = k * (0.012 * d + 0.03)
        q = max(1.0, round(PECK_SHARE[material] * d * 2) / 2)
        rows.append((d, n, round(f * n), q))
    tables["drill"] = (rows, 4)

    rows = []
    bounds = CHAMFER_BANDS + [CHAMFER_MAX_HOLE]
    for lower, upper in zip(bounds, bounds[1:]):
        chamfer_diameter = upper + 2  # hole plus a 1 mm chamfer each side
        n = spindle(v["chamfer"], chamfer_diameter)
        rows.append((lower, n, round(0.06 * k * n)))
    tables["Mentori"] = (rows, 3)

    rows = []
    for d, pitch, _ in COARSE_THREADS:
        n = tap_spindle(v["tap"], d)
        rows.append((d, n, pitch * n))
    tables["mTapN"] = (rows, 3)

    rows = []
    for _, _, cbore, _ in COUNTERBORES:
        n = spindle(v["endmill"], cbore)
        rows.append((cbore, n, round(k * (0.03 + 0.002 * cbore) * n)))
    tables["Zaguri"] = (rows, 3)

    rows = []
    for d in REAMERS:
        n = spindle(v["reamer"], d)
        rows.append((d, n, round(k * (0.10 + 0.02 * d) * n)))
    tables["Reamer"] = (rows, 3)
    return tables


def magazine():
    """Pockets in magazine order: (name, diameter text)."""
    pockets = [("センタードリル", "3"), ("面取りカッター", "")]
    pockets += [("ドリル", num(d)) for d in drill_sizes()]
    pockets += [("タップ（並目）", num(t[0])) for t in COARSE_THREADS]
    pockets += [("エンドミル", num(c[2])) for c in COUNTERBORES]
    pockets += [("リーマ", num(d)) for d in REAMERS]
    return pockets


def write_tool_table():
    pockets = magazine()
    assert len(pockets) <= 98, len(pockets)
    lines = []
    for n in range(1, 100):
        lines.append(f"[MAGAZINE{n}]")
        if n <= len(pockets):
            name, diam = pockets[n - 1]
            lines += [f"NAME={name}", f"DIAM={diam}", f"T={n}", f"H={n}", f"D={n}"]
        else:
            lines += ["NAME=", "DIAM=", f"T={n}", "H=", "D="]
    (dist / "MCTOOL.ini").write_bytes(("\r\n".join(lines) + "\r\n").encode("cp932"))
    print("dist/MCTOOL.ini")


def main():
    for material in MATERIALS:
        for name, (rows, width) in condition_tables(material).items():
            write_table(f"{name}{material}.tbl", rows, width)
    write_table("Zaguri.tbl", [(m, d1, big, -h) for m, d1, big, h in COUNTERBORES], 4)
    write_table("mTapN.tbl", tap_rows(), 6)
    write_table("Reamer.tbl", reamer_rows(), 6)
    write_tool_table()


if __name__ == "__main__":
    main()
