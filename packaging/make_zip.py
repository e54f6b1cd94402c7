#!/usr/bin/env python3
"""Writes the release zip so that the same files give the same bytes on every run.

Entries go in sorted order, all with one time stamp (the epoch given, as UTC), the same
attributes and no extra fields; the names must be plain ASCII, so that every unzip tool on any
Windows shows them right whatever its code page.

    python3 packaging/make_zip.py OUT.zip EPOCH NAME=PATH...
"""
import sys
import time
import zipfile


def main():
    out, epoch, pairs = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    # A zip stores local date and time from 1980 on, two seconds apart.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    entries = sorted(pair.split("=", 1) for pair in pairs)
    with zipfile.ZipFile(out, "w") as archive:
        for name, path in entries:
            if not name.isascii():
                raise SystemExit(f"not an ASCII name: {name}")
            info = zipfile.ZipInfo(name, stamp)
            info.create_system = 0  # MS-DOS attributes
            info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


if __name__ == "__main__":
    main()
