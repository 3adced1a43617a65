#!/usr/bin/env python3
"""Writes the shipped configuration files into dist/ as code page 932 with
CR LF, from their UTF-8 masters beside this script (NAME.txt -> dist/NAME).

Run after editing a master: python3 tools/dist_src/make_dist.py
"""
import pathlib

here = pathlib.Path(__file__).resolve().parent
dist = here.parent.parent / "dist"
for master in sorted(here.glob("*.txt")):
    target = dist / master.name[: -len(".txt")]
    text = master.read_text(encoding="utf-8").replace("\r\n", "\n")
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(text.replace("\n", "\r\n").encode("cp932"))
    print(target.relative_to(dist.parent))
