#!/usr/bin/env python3
"""Writes the Jw_cad external-transformation batch file for sorea.exe.

Jw_cad reads the batch file as Shift-JIS (cp932) with CR LF line ends; this script keeps the
text in UTF-8 and writes those bytes. The first REM line is the title Jw_cad shows in its
external-transformation menu; "@echo off" comes second, so that the console Jw_cad opens does
not echo the REM lines while sorea.exe runs; #jww marks the file as Jw_cad's, #cd runs the program in the
batch file's own folder (where JWC_TEMP.TXT and rusk.dat are), #1 to #4 ask for the four
points with the prompts shown in Jw_cad's status bar, and #e ends the picks.

    python3 packaging/make_batch.py packaging/sorea.bat
"""
import sys

LINES = [
    "REM 垂直寸法（寸法値位置指定）ソレア",
    "@echo off",
    "REM #jww",
    "REM #cd",
    "REM #1 寸法を測る1点目（第1計測点）を指示してください",
    "REM #2 寸法を測る2点目（第2計測点）を指示してください",
    "REM #3 寸法線を引く位置を指示してください",
    "REM #4 寸法値を置く位置（高さ）を指示してください",
    "REM #e",
    "sorea.exe",
]


def batch_bytes():
    return "".join(line + "\r\n" for line in LINES).encode("cp932")


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "sorea.bat"
    with open(out, "wb") as f:
        f.write(batch_bytes())


if __name__ == "__main__":
    main()
