#!/usr/bin/env python3
"""Checks a release zip as a Jw_cad user meets it, from the zip's central directory on:

- every name is plain ASCII (or flagged as UTF-8), and the zip holds exactly the expected files;
- the batch files and the guide are the committed ones (Shift-JIS, CR LF), the batch file's
  second line is "@echo off";
- each sorea.exe is built for its folder's architecture, carries no link time, and its
  embedded manifest (resource type 24, id 1) is src/win32/sorea.manifest, which declares
  per-monitor DPI awareness (v2), since the dialog scales itself to each monitor's DPI.

    python3 packaging/check_release.py build/release/sorea-VERSION-windows.zip
"""
import re
import struct
import sys
import zipfile

RT_MANIFEST = 24
MACHINES = {"x64": 0x8664, "x86": 0x14C}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def pe_header(exe):
    """(machine, time stamp, sections as (rva, size, file offset)) of a PE file."""
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    if exe[pe : pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine, count, stamp = struct.unpack_from("<HHI", exe, pe + 4)
    optional_size = struct.unpack_from("<H", exe, pe + 20)[0]
    table = pe + 24 + optional_size
    sections = []
    for i in range(count):
        _, vsize, rva, raw_size, raw = struct.unpack_from("<8sIIII", exe, table + 40 * i)
        sections.append((rva, max(vsize, raw_size), raw))
    return machine, stamp, sections


def resource(exe, kind, ident):
    """The bytes of the first language of resource kind/ident, or None."""
    _, _, sections = pe_header(exe)
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    magic = struct.unpack_from("<H", exe, pe + 24)[0]
    directories = pe + 24 + (112 if magic == 0x20B else 96)
    root_rva = struct.unpack_from("<I", exe, directories + 2 * 8)[0]  # entry 2: resources

    def offset(rva):
        for start, size, raw in sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} in no section")

    base = offset(root_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", exe, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", exe, base + directory + 16 + 8 * i)
            yield name, target

    level = 0
    for wanted in (kind, ident, None):
        for name, target in entries(level):
            if wanted is None or name == wanted:
                level = target & 0x7FFFFFFF
                break
        else:
            return None
    rva, size = struct.unpack_from("<II", exe, base + level)
    return exe[offset(rva) : offset(rva) + size]


def check(zip_path):
    problems = []
    with zipfile.ZipFile(zip_path) as archive:
        infos = archive.infolist()
        names = sorted(i.filename for i in infos)
        top = names[0].split("/")[0] if names else ""
        expected = sorted(f"{top}/{n}" for n in [
            "readme.txt", "screenshot.png",
            "x64/sorea.exe", "x64/sorea.bat", "x86/sorea.exe", "x86/sorea.bat"])
        for info in infos:
            if not (info.filename.isascii() or info.flag_bits & 0x800):
                problems.append(f"{info.filename!r}: not ASCII and not flagged as UTF-8")
        if names != expected:
            problems.append(f"entries {names}, expected {expected}")
            return problems
        files = {n[len(top) + 1 :]: archive.read(n) for n in names}

    committed = {
        "x64/sorea.bat": "packaging/sorea.bat",
        "x86/sorea.bat": "packaging/sorea.bat",
        "readme.txt": "packaging/readme.txt",
        "screenshot.png": "docs/screenshot.png",
    }
    for name, path in committed.items():
        if files[name] != read(path):
            problems.append(f"{name} differs from {path}")
    for name in ("x64/sorea.bat", "readme.txt"):
        text = files[name]
        if text.count(b"\n") != text.count(b"\r\n") or not text.endswith(b"\r\n"):
            problems.append(f"{name}: not every line ends in CR LF")
        try:
            text.decode("cp932")
        except UnicodeDecodeError as e:
            problems.append(f"{name}: not Shift-JIS ({e})")
    if files["x64/sorea.bat"].split(b"\r\n")[1:2] != [b"@echo off"]:
        problems.append("sorea.bat: the second line is not @echo off")

    source_manifest = read("src/win32/sorea.manifest")
    if not re.search(rb"<dpiAwareness[^>]*>\s*PerMonitorV2", source_manifest):
        problems.append("src/win32/sorea.manifest does not declare per-monitor DPI awareness v2")
    for arch, machine in MACHINES.items():
        exe = files[f"{arch}/sorea.exe"]
        try:
            found, stamp, _ = pe_header(exe)
            manifest = resource(exe, RT_MANIFEST, 1)
        except (ValueError, struct.error) as e:
            problems.append(f"{arch}/sorea.exe: {e}")
            continue
        if found != machine:
            problems.append(f"{arch}/sorea.exe: machine {found:#x}, expected {machine:#x}")
        if stamp != 0:
            problems.append(f"{arch}/sorea.exe: link time {stamp} in the PE header")
        if manifest != source_manifest:
            problems.append(f"{arch}/sorea.exe: the embedded manifest is not src/win32/sorea.manifest")
    return problems


def main():
    problems = check(sys.argv[1])
    for problem in problems:
        print("FAIL:", problem)
    if not problems:
        print(f"ok: {sys.argv[1]}: ASCII names, the expected files, both programs' manifests")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
