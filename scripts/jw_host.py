#!/usr/bin/env python3
"""Jw_cad's side of an external transformation, for the host-run test under Wine.

    jw_host.py BATCH SAMPLE

Reads the REM directives of the batch file BATCH as Jw_cad does before it starts one: the
first line is the title in the list of transformations, "#jww" marks the file as one, "#cd"
makes the batch file's folder the current folder and the place of JWC_TEMP.TXT, "#1" to "#n"
are the prompts for the points the user picks, and "#e" says that the file is read back when
the batch file has ended; Jw_cad reads the directives in order and stops at "#e". Then writes JWC_TEMP.TXT beside BATCH as Jw_cad would: the header
records of the real drawing SAMPLE (a JWC_TEMP.TXT Jw_cad wrote), one "hp" record per prompt,
and the drawing's attributes in force; Shift-JIS with CR LF. Exits 1, saying why, when the
batch file is not one Jw_cad would run this way.
"""
import re
import sys
from pathlib import Path

# Four points of the sample drawing, in the roles the prompts give them: the two measured
# points, the dimension line's position and the value's height.
PICKS = [
    ("-", "8234.02932467943", "-12529.4615434792"),
    (" ", "17488.029324678", "27572.5384565112"),
    ("-", "-19402.9706752907", "23856.538456514"),
    (" ", "-15381.9706753247", "-16347.4615434746"),
]
HEADER = ("hq", "hk", "hs", "hcw", "hch", "hcd", "hcc", "hn")


def directives(batch: Path):
    """The title and the directives in the order they stand, up to and with "#e": Jw_cad
    stops reading there, so a directive after it counts for nothing."""
    lines = batch.read_bytes().decode("cp932").split("\r\n")
    found = {}
    for line in lines:
        m = re.match(r"REM #(\w+)\s*(.*)$", line)
        if m:
            found[m.group(1)] = m.group(2)
            if m.group(1) == "e":
                break
    return lines[0], found


def main() -> int:
    batch, sample = Path(sys.argv[1]), Path(sys.argv[2])
    title, found = directives(batch)
    prompts = sorted(int(k) for k in found if k.isdigit())
    problems = []
    if not title.startswith("REM ") or title.startswith("REM #"):
        problems.append("the first line is not the title")
    for key in ("jww", "cd", "e"):
        if key not in found:
            problems.append(f"no #{key}")
    if prompts != list(range(1, len(PICKS) + 1)):
        problems.append(f"the point prompts are {prompts}, not #1 to #{len(PICKS)}")
    if problems:
        print(f"{batch}: not run as Jw_cad runs it: " + "; ".join(problems))
        return 1

    records = [line.rstrip(b"\r") for line in sample.read_bytes().split(b"\n")]
    records = [r for r in records if r and not r.startswith(b"hp")]
    header = [r for r in records if r.split(b" ")[0].decode("ascii", "replace") in HEADER]
    rest = [r for r in records if r not in header]
    picks = [f"hp{i}{mark}  {x} {y}".encode("ascii") for i, (mark, x, y) in
             enumerate(PICKS, start=1)]
    out = batch.parent / "JWC_TEMP.TXT"
    out.write_bytes(b"".join(r + b"\r\n" for r in header + picks + rest))
    print(f"{title[4:]}: {len(prompts)} points picked, JWC_TEMP.TXT written "
          f"({out.stat().st_size} bytes, header and attributes of {sample.name})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
