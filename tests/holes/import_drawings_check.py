#!/usr/bin/env python3
"""drillnc import over drawings made with a DXF library (ezdxf) at test time.

Each case draws a part with ezdxf (stock 150 x 100 x 20 placed with its
lower-left corner at (40, 25) of the drawing unless the case says otherwise),
makes a job with `drillnc new`, runs `drillnc import` on the drawing and
compares the hole groups of the job file (kind, diameter, positions as a set,
and the sizes a case names) or the failure (exit status, message, the job
file unchanged). Three drawings of tests/dxf/corpus, which nobody here
wrote, are imported too and compared with the circles ezdxf places.

    import_drawings_check.py DRILLNC PROGRAM_FOLDER

Exit status 0 when every case holds.
"""
import math
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

try:
    import ezdxf
except ImportError:
    sys.exit("python3-ezdxf is not installed: run scripts/setup-debian.sh --tests")

CORNER = (40.0, 25.0)
STOCK = (150.0, 100.0)


def outline(msp, corner=CORNER, size=STOCK, polyline=False, layer="OUTLINE"):
    x0, y0 = corner
    x1, y1 = x0 + size[0], y0 + size[1]
    if polyline:
        msp.add_lwpolyline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], close=True, dxfattribs={"layer": layer})
        return
    for a, b in [((x0, y0), (x1, y0)), ((x1, y0), (x1, y1)), ((x1, y1), (x0, y1)), ((x0, y1), (x0, y0))]:
        msp.add_line(a, b, dxfattribs={"layer": layer})


def at(x, y):
    """A job position (origin at the stock's lower-left corner) in the drawing."""
    return (CORNER[0] + x, CORNER[1] + y)


def circle(msp, x, y, d, layer="HOLES", **attribs):
    msp.add_circle(at(x, y), d / 2, dxfattribs={"layer": layer, **attribs})


def offset_outline(doc):
    msp = doc.modelspace()
    outline(msp)
    outline(msp, corner=(0, 0), size=(297, 210), layer="FRAME")  # a sheet frame, larger than the part
    circle(msp, 15, 15, 8.5)
    circle(msp, 135, 85, 8.5)
    circle(msp, 75, 50, 5)


def pairs(doc):
    msp = doc.modelspace()
    outline(msp, polyline=True)
    for x, y in [(30, 30), (120, 30)]:  # M10 tap: nominal and pilot
        circle(msp, x, y, 10)
        circle(msp, x, y, 8.5)
    for x, y in [(30, 70), (120, 70)]:  # M8 counterbore: hole and counterbore
        circle(msp, x, y, 14)
        circle(msp, x, y, 9)
    circle(msp, 75, 50, 8.5)  # a drill of the tap's pilot size


def mirrored(doc):
    msp = doc.modelspace()
    outline(msp)
    # Extrusion (0,0,-1): the centre is given in the circle's own system,
    # whose X axis is the world's -X; CAD programs show it at (55, 40).
    msp.add_circle((-at(15, 15)[0], at(15, 15)[1]), 3, dxfattribs={"layer": "HOLES", "extrusion": (0, 0, -1)})
    circle(msp, 135, 85, 6)


def block_inserted(doc):
    symbol = doc.blocks.new("M10")
    symbol.add_circle((10, 0), 5)     # nominal, 10 right of the base point
    symbol.add_circle((10, 0), 4.25)  # pilot
    msp = doc.modelspace()
    outline(msp)
    # Turned 90 degrees and mirrored: (10, 0) -> (-10, 0) -> (0, -10).
    msp.add_blockref("M10", at(60, 50), dxfattribs={"rotation": 90, "xscale": -1, "layer": "HOLES"})
    msp.add_blockref("M10", at(20, 20), dxfattribs={"layer": "HOLES"})
    # A block inserted with the extrusion (0,0,-1): its point is mirrored too.
    p = at(100, 70)
    msp.add_blockref("M10", (-p[0], p[1]), dxfattribs={"extrusion": (0, 0, -1), "layer": "HOLES"})


def two_bulges(doc):
    msp = doc.modelspace()
    outline(msp)
    x, y = at(50, 40)
    msp.add_lwpolyline([(x - 3, y, 0, 0, 1), (x + 3, y, 0, 0, 1)], format="xyseb", close=True,
                       dxfattribs={"layer": "HOLES"})
    circle(msp, 100, 60, 6)


def too_many_sizes(doc):
    msp = doc.modelspace()
    outline(msp)
    for i, d in enumerate([3, 4, 5, 6, 7]):
        circle(msp, 20 + 25 * i, 50, d)


def too_many_positions(doc):
    msp = doc.modelspace()
    outline(msp)
    for i in range(22):
        circle(msp, 5 + 6.5 * i, 50, 4)


def layers(doc):
    msp = doc.modelspace()
    outline(msp)
    circle(msp, 20, 20, 6, layer="HOLES")
    circle(msp, 50, 50, 6, layer="DIMENSIONS")
    circle(msp, 80, 80, 10, layer="holes")  # layer names compare without regard to case


def reamed(doc):
    msp = doc.modelspace()
    outline(msp)
    circle(msp, 30, 30, 10)
    circle(msp, 60, 30, 10)
    circle(msp, 90, 30, 8.5)


def no_outline(doc):
    circle(doc.modelspace(), 20, 20, 6)


def nothing(doc):
    outline(doc.modelspace())


def group(kind, diameter, positions, **sizes):
    return {"種類": kind, "穴径": diameter, "positions": sorted(positions), "sizes": sizes}


# name, drawing, dxf version, job origin, import arguments, expected groups or (status, message)
CASES = [
    ("offset outline inside a larger frame", offset_outline, "R2000", "ll", [],
     [group("ドリル", "5", [(75, 50)], 深さ="-21.5"), group("ドリル", "8.5", [(15, 15), (135, 85)], 深さ="-22.55")]),
    ("the same with the origin at the centre", offset_outline, "R12", "c", [],
     [group("ドリル", "5", [(0, 0)]), group("ドリル", "8.5", [(-60, -35), (60, 35)])]),
    ("tap and counterbore pairs, outline as a polyline", pairs, "R2000", "ll", [],
     [group("ドリル", "8.5", [(75, 50)]),
      group("ザグリ", "9", [(30, 70), (120, 70)], 座穴径="14", 座深さ="-8.6", 深さ="-22.7"),
      group("タップ", "10", [(30, 30), (120, 30)], 下穴径="8.5", 深さ="-15", 下穴深="-22.5", 面取深="-5.5")]),
    ("a mirrored circle", mirrored, "R2000", "ll", [],
     [group("ドリル", "6", [(15, 15), (135, 85)])]),
    ("a block inserted turned, mirrored and by its normal", block_inserted, "R2000", "ll", [],
     [group("タップ", "10", [(60, 40), (30, 20), (90, 70)], 下穴径="8.5")]),
    ("a circle drawn as a polyline of two half circles", two_bulges, "R2000", "ll", [],
     [group("ドリル", "6", [(50, 40), (100, 60)])]),
    ("too many sizes: nothing saved", too_many_sizes, "R2000", "ll", [],
     (1, "ドリル φ7：1 穴（5 つ目以降の穴グループ）：X120. Y50.")),
    ("too many sizes, --yes: what fits", too_many_sizes, "R2000", "ll", ["--yes"],
     [group("ドリル", d, [(20 + 25 * i, 50)]) for i, d in enumerate(["3", "4", "5", "6"])]),
    ("too many positions: nothing saved", too_many_positions, "R2000", "ll", [],
     (1, "ドリル φ4：2 穴（21 番目以降の座標）：X135. Y50.、X141.5 Y50.")),
    ("too many positions, --yes: the first twenty", too_many_positions, "R2000", "ll", ["--yes"],
     [group("ドリル", "4", [(5 + 6.5 * i, 50) for i in range(20)])]),
    ("circles of one layer", layers, "R2000", "ll", ["--layer", "HOLES"],
     [group("ドリル", "6", [(20, 20)]), group("ドリル", "10", [(80, 80)])]),
    ("a size made reamer, a depth given", reamed, "R2000", "ll", ["--kind", "10=リーマ", "--depth", "8.5=-12"],
     [group("ドリル", "8.5", [(90, 30)], 深さ="-12"),
      group("リーマ", "10", [(30, 30), (60, 30)], 下穴径="9.7", 深さ="-15")]),
    ("no outline: refused", no_outline, "R2000", "ll", [], (1, "エラー：図面に外形")),
    ("no outline, the corner given", no_outline, "R2000", "ll", ["--corner", "40,25"],
     [group("ドリル", "6", [(20, 20)])]),
    ("no circle: refused", nothing, "R2000", "ll", [], (1, "に円がありません")),
]


def read_job(path):
    sections, section = {}, None
    for line in path.read_bytes().decode("cp932").split("\r\n"):
        if line.startswith("["):
            section = sections.setdefault(line.strip("[]"), {})
        elif "=" in line and section is not None:
            key, value = line.split("=", 1)
            section[key] = value
    return sections


def groups_of(sections):
    groups = []
    for n in range(1, 5):
        s = sections.get(f"Hole{n}", {})
        if not s.get("種類"):
            continue
        positions, k = [], 1
        while s.get(f"X{k}") and s.get(f"Y{k}"):
            positions.append((float(s[f"X{k}"]), float(s[f"Y{k}"])))
            k += 1
        groups.append((s, sorted(positions)))
    return groups


# Drawings nobody here wrote (tests/dxf/corpus, ezdxf's own, MIT): circles
# of blocks, of a MINSERT array turned, of concentric pairs no table has.
CORPUS = ["text_alignments.dxf", "multi_insert_with_attribs.dxf", "forms.dxf"]


def circles_by_ezdxf(path):
    """Every circle of the model space as ezdxf places it, blocks exploded."""
    found = []

    def walk(entities):
        for e in entities:
            if e.dxftype() == "CIRCLE" and e.dxf.radius > 0:
                c = e.ocs().to_wcs(e.dxf.center)
                found.append((round(2 * e.dxf.radius, 3), c.x, c.y))
            elif e.dxftype() == "INSERT":
                for one in e.multi_insert():
                    walk(one.virtual_entities())

    walk(ezdxf.readfile(path).modelspace())
    return found


def check_corpus(base, home, job, failures):
    corpus = pathlib.Path(__file__).resolve().parent.parent / "dxf" / "corpus"
    for name in CORPUS:
        shutil.copy(job.with_name("J0.ini"), job)
        run = subprocess.run(base + ["import", "J", str(corpus / name), "--corner", "0,0", "--yes"],
                             capture_output=True)
        out = run.stdout.decode()
        circles = circles_by_ezdxf(corpus / name)
        wanted = {}  # distinct centres by diameter: a circle drawn twice is one hole
        for d, x, y in circles:
            same = wanted.setdefault(d, [])
            if not any(math.isclose(x, a, abs_tol=1e-3) and math.isclose(y, b, abs_tol=1e-3) for a, b in same):
                same.append((x, y))
        printed = {float(m[0]): int(m[1]) for m in re.findall(r"^  ドリル φ([0-9.]+): (\d+) positions$", out, re.M)}
        if run.returncode != 0 or printed != {d: len(p) for d, p in wanted.items()}:
            failures.append(f"{name}: exit {run.returncode}, ezdxf {sorted((d, len(p)) for d, p in wanted.items())}\n{out}")
            continue
        for fields, positions in groups_of(read_job(job)):
            near = wanted.get(round(float(fields["穴径"]), 3), [])
            stray = [p for p in positions if not any(math.isclose(p[0], x, abs_tol=2e-3) and
                                                     math.isclose(p[1], y, abs_tol=2e-3) for x, y in near)]
            if fields["種類"] != "ドリル" or stray:
                failures.append(f"{name}: {fields['種類']} {fields['穴径']} where ezdxf has none: {stray}")


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    drillnc, program = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    failures = []
    with tempfile.TemporaryDirectory(prefix="drilling-import-") as home:
        home = pathlib.Path(home)
        for f in program.iterdir():
            if f.suffix in (".ini", ".tbl") or f.name == "TABLES.dxf":
                shutil.copy(f, home / f.name)
        base = [str(drillnc), "--home", str(home)]
        subprocess.run(base + ["new", "--title", "J0", "--material", "S45C", "--stock", "1000,1000,20", "--origin",
                               "ll", "--controller", "FANUC 0i-MF", "--coord", "G54", "--program", "1"],
                       capture_output=True, check=True)
        check_corpus(base, home, home / "DB" / "J.ini", failures)
    for name, draw, version, origin, args, expected in CASES:
        with tempfile.TemporaryDirectory(prefix="drilling-import-") as home:
            home = pathlib.Path(home)
            for f in program.iterdir():
                if f.suffix in (".ini", ".tbl") or f.name == "TABLES.dxf":
                    shutil.copy(f, home / f.name)
            base = [str(drillnc), "--home", str(home)]
            made = subprocess.run(base + ["new", "--title", "J", "--material", "S45C", "--stock", "150,100,20",
                                          "--origin", origin, "--controller", "FANUC 0i-MF", "--coord", "G54",
                                          "--program", "1"], capture_output=True)
            if made.returncode != 0:
                failures.append(f"{name}: drillnc new failed: {made.stderr.decode()}")
                continue
            doc = ezdxf.new(version)
            draw(doc)
            doc.saveas(home / "part.dxf")
            job = home / "DB" / "J.ini"
            before = job.read_bytes()
            run = subprocess.run(base + ["import", "J", str(home / "part.dxf")] + args, capture_output=True)
            out, err = run.stdout.decode(), run.stderr.decode()
            if isinstance(expected, tuple):
                status, text = expected
                if run.returncode != status or text not in out + err or job.read_bytes() != before:
                    failures.append(f"{name}: exit {run.returncode}, job changed: {job.read_bytes() != before}\n{out}{err}")
                continue
            if run.returncode != 0:
                failures.append(f"{name}: exit {run.returncode}\n{out}{err}")
                continue
            got = groups_of(read_job(job))
            if len(got) != len(expected):
                failures.append(f"{name}: {len(got)} groups, expected {len(expected)}\n{out}")
                continue
            for n, ((fields, positions), want) in enumerate(zip(got, expected), 1):
                problems = []
                if fields["種類"] != want["種類"] or fields["穴径"] != want["穴径"]:
                    problems.append(f"{fields['種類']} {fields['穴径']}")
                wanted = sorted(want["positions"])
                if len(positions) != len(wanted) or not all(
                        math.isclose(a, c, abs_tol=1e-3) and math.isclose(b, d, abs_tol=1e-3)
                        for (a, b), (c, d) in zip(positions, wanted)):
                    problems.append(f"positions {positions}")
                for key, value in want["sizes"].items():
                    if fields.get(key) != value:
                        problems.append(f"{key}={fields.get(key)}")
                if problems:
                    failures.append(f"{name}: group {n}: " + ", ".join(problems) + f"\n{out}")
    for f in failures:
        print("FAIL", f)
    print(f"{len(CASES) + len(CORPUS) - len(failures)} of {len(CASES) + len(CORPUS)} cases hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
