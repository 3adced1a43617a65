#!/usr/bin/python3
"""The expected reading of every drawing of this folder, by an independent
reader: ezdxf (Debian's python3-ezdxf).

    make_expected.py            writes expected.txt
    make_expected.py --check    fails when expected.txt differs from ezdxf's reading

One line per drawing, tab-separated:
    file  version  entities  circles  meshes  inserts  minX  minY  maxX  maxY
entities: LINE, CIRCLE, ARC, LWPOLYLINE and 2D/3D POLYLINE of the model space;
circles: CIRCLEs of positive radius in a plane parallel to the plan (holes);
meshes: polyface and polygon mesh POLYLINEs; inserts: INSERTs; the box: the
plan (X, Y) of the entities' centre lines (ezdxf's paths, without widths and
thicknesses, which draw nothing of a hole), circles and arcs of positive
radius only.
A drawing ezdxf cannot read gives "unreadable" in place of the numbers; a
binary one "binary".
"""
import os
import sys

import ezdxf
from ezdxf import path as ezpath

HERE = os.path.dirname(os.path.abspath(__file__))
KINDS = ("LINE", "CIRCLE", "ARC", "LWPOLYLINE")


def plan_normal(e):
    n = e.dxf.get("extrusion", (0, 0, 1))
    return abs(n[0]) < 1e-12 and abs(n[1]) < 1e-12


def reading(path):
    with open(path, "rb") as f:
        if f.read(18) == b"AutoCAD Binary DXF":
            return ["binary"]
    try:
        doc = ezdxf.readfile(path)
    except Exception:
        return ["unreadable"]
    msp = doc.modelspace()
    entities, drawn = [], []
    circles = meshes = inserts = 0
    for e in msp:
        t = e.dxftype()
        if t == "INSERT":
            inserts += 1
        if t == "POLYLINE" and not (e.is_2d_polyline or e.is_3d_polyline):
            meshes += 1
            continue
        if t not in KINDS and t != "POLYLINE":
            continue
        entities.append(e)
        if t in ("CIRCLE", "ARC") and not e.dxf.radius > 0:
            continue
        if t == "CIRCLE" and plan_normal(e):
            circles += 1
        drawn.append(e)
    xs, ys = [], []
    for e in drawn:
        for v in ezpath.make_path(e).flattening(0.001):
            xs.append(v.x)
            ys.append(v.y)
    numbers = [doc.dxfversion, len(entities), circles, meshes, inserts]
    if xs:
        numbers += ["%.6f" % v for v in (min(xs), min(ys), max(xs), max(ys))]
    else:
        numbers += ["-"] * 4
    return [str(v) for v in numbers]


def main():
    lines = []
    for name in sorted(os.listdir(HERE)):
        if name.lower().endswith(".dxf"):
            lines.append("\t".join([name] + reading(os.path.join(HERE, name))))
    text = "\n".join(lines) + "\n"
    target = os.path.join(HERE, "expected.txt")
    if "--check" in sys.argv:
        with open(target) as f:
            if f.read() != text:
                sys.stderr.write("expected.txt differs from ezdxf's reading:\n" + text)
                return 1
        return 0
    with open(target, "w") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
