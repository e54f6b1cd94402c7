#!/usr/bin/env python3
"""Checks the source tree's shape: layers include only downwards, no source file runs too long.

    util <- exchange <- dimension <- app <- {cli, win32}

A file under src/LAYER/ may include "OTHER/..." only when OTHER lies below LAYER (or is LAYER
itself); cli and win32 never include each other. Exits 1 and names each offence.
"""
import pathlib
import re
import sys

RANK = {"util": 0, "exchange": 1, "dimension": 2, "app": 3, "cli": 4, "win32": 4}
MAX_LINES = 700

root = pathlib.Path(__file__).resolve().parent.parent / "src"
include = re.compile(r'^\s*#\s*include\s+"([a-z0-9]+)/')
problems = []
for path in sorted(root.rglob("*")):
    if path.suffix not in (".cpp", ".h") or not path.is_file():
        continue
    layer = path.relative_to(root).parts[0]
    lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
    if len(lines) > MAX_LINES:
        problems.append(f"{path.relative_to(root)}: {len(lines)} lines (at most {MAX_LINES})")
    for number, line in enumerate(lines, 1):
        m = include.match(line)
        if not m or layer not in RANK or m.group(1) not in RANK:
            continue
        other = m.group(1)
        if other != layer and RANK[other] >= RANK[layer]:
            problems.append(f"{path.relative_to(root)}:{number}: includes {other}/ from {layer}/")
for p in problems:
    print(p)
sys.exit(1 if problems else 0)
