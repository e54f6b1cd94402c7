#!/usr/bin/env python3
"""Checks that jw_host.py reads sorea.bat as Jw_cad does: the release's batch file runs, and
one whose "#e" stands before the point prompts, or has none, is refused, since Jw_cad stops
reading the directives at "#e".

    python3 scripts/check_jw_host.py        # from the repository's root
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "packaging"))
import make_batch  # noqa: E402


def runs(lines):
    with tempfile.TemporaryDirectory() as folder:
        batch = os.path.join(folder, "sorea.bat")
        with open(batch, "wb") as f:
            f.write("".join(line + "\r\n" for line in lines).encode("cp932"))
        done = subprocess.run([sys.executable, "scripts/jw_host.py", batch,
                               "tests/data/real/parcel-14.txt"], capture_output=True)
        return done.returncode == 0


def main():
    release = list(make_batch.LINES)
    early = [line for line in release if line != "REM #e"]
    early.insert(early.index("REM #cd") + 1, "REM #e")
    cases = [
        ("the release's sorea.bat", release, True),
        ("#e before #1", early, False),
        ("no #e", [line for line in release if line != "REM #e"], False),
    ]
    failed = 0
    for name, lines, expected in cases:
        if runs(lines) != expected:
            print(f"{name}: {'refused' if expected else 'run'}, expected the opposite")
            failed = 1
    return failed


if __name__ == "__main__":
    sys.exit(main())
