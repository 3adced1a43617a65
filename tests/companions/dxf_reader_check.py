#!/usr/bin/env python3
"""A real DXF reader opens the drawing of the shipped sample job.

Writes the drawing with `drillnc dxf SAMPLE-PLATE --no-view` over a copy of
the program folder, then reads it with ezdxf: it loads, its audit finds no
error, the entities are the stock outline on layer 1 and the hole circles on
layer 2, and the extents are those of the stock with a 30 % margin.

    dxf_reader_check.py DRILLNC PROGRAM_FOLDER [--png FILE]

--png also renders the drawing (ezdxf's drawing add-on with matplotlib).
Exit status 0 when every check holds.
"""
import math
import pathlib
import shutil
import subprocess
import sys
import tempfile

try:
    import ezdxf
except ImportError:
    sys.exit("python3-ezdxf is not installed: run scripts/setup-debian.sh --tests")

# The sample job: stock 150 x 100 with the origin at its lower-left corner;
# drill 8.5 at four corners, tap M10 (pilot 8.5) at two places, counterbore
# 9 / 14 at two places.
STOCK = (150.0, 100.0)
OUTLINE = [((0, 0), (150, 0)), ((0, 100), (150, 100)), ((0, 0), (0, 100)), ((150, 0), (150, 100))]
CIRCLES = sorted(
    [(x, y, 4.25) for x, y in [(15, 15), (135, 15), (135, 85), (15, 85)]]
    + [(x, y, r) for x, y in [(50, 50), (100, 50)] for r in (5.0, 4.25)]
    + [(x, y, r) for x, y in [(75, 25), (75, 75)] for r in (4.5, 7.0)]
)

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def close(a, b):
    return all(math.isclose(p, q, abs_tol=1e-6) for p, q in zip(a, b))


def main():
    if len(sys.argv) not in (3, 5):
        sys.exit(__doc__)
    drillnc, program = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    png = pathlib.Path(sys.argv[4]) if len(sys.argv) == 5 and sys.argv[3] == "--png" else None
    with tempfile.TemporaryDirectory(prefix="drilling-dxf-") as home:
        home = pathlib.Path(home)
        for name in ("Drilling.ini", "Relaypane.ini", "TABLES.dxf"):
            shutil.copy(program / name, home / name)
        (home / "DB").mkdir()
        shutil.copy(program / "DB" / "SAMPLE-PLATE.ini", home / "DB" / "SAMPLE-PLATE.ini")
        run = subprocess.run([str(drillnc), "--home", str(home), "dxf", "SAMPLE-PLATE", "--no-view"],
                             capture_output=True, text=True, encoding="utf-8", timeout=120)
        if run.returncode != 0:
            sys.exit("drillnc dxf failed (%d):\n%s%s" % (run.returncode, run.stdout, run.stderr))
        drawing = pathlib.Path(run.stdout.splitlines()[-1])
        check(drawing == home / "DXF" / "SAMPLE-PLATE.dxf", "drawing path printed last: %s" % drawing)

        doc = ezdxf.readfile(str(drawing))
        check(doc.dxfversion == "AC1009", "version %s" % doc.dxfversion)
        auditor = doc.audit()
        check(not auditor.has_errors, "audit errors: %s" % [str(e.message) for e in auditor.errors])
        for layer in ("0", "1", "2"):
            check(doc.layers.has_entry(layer), "layer %s in the tables" % layer)
        check(doc.linetypes.has_entry("CONTINUOUS"), "line type CONTINUOUS in the tables")

        msp = doc.modelspace()
        kinds = sorted({e.dxftype() for e in msp})
        check(kinds == ["CIRCLE", "LINE"], "entity kinds %s" % kinds)
        lines = msp.query("LINE")
        check(len(lines) == 4, "%d lines" % len(lines))
        for line, (start, end) in zip(lines, OUTLINE):
            check(line.dxf.layer == "1", "line on layer %s" % line.dxf.layer)
            check(close(line.dxf.start, (*start, 0)) and close(line.dxf.end, (*end, 0)),
                  "line %s-%s, expected %s-%s" % (line.dxf.start, line.dxf.end, start, end))
        circles = msp.query("CIRCLE")
        check(all(c.dxf.layer == "2" for c in circles), "circles on layer 2")
        found = sorted((round(c.dxf.center.x, 6), round(c.dxf.center.y, 6), round(c.dxf.radius, 6)) for c in circles)
        check(found == CIRCLES, "circles %s, expected %s" % (found, CIRCLES))

        sx, sy = STOCK
        check(close(doc.header["$EXTMIN"], (-0.3 * sx, -0.3 * sy, 0)), "EXTMIN %s" % (doc.header["$EXTMIN"],))
        check(close(doc.header["$EXTMAX"], (1.3 * sx, 1.3 * sy, 0)), "EXTMAX %s" % (doc.header["$EXTMAX"],))

        if png:
            import matplotlib
            matplotlib.use("Agg")
            from ezdxf.addons.drawing import matplotlib as dxf_matplotlib
            dxf_matplotlib.qsave(msp, str(png), bg="#FFFFFF")
            print("rendered", png)

    for f in failures:
        print("FAILED:", f)
    print("%d checks failed" % len(failures) if failures else "the drawing reads back as written")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
