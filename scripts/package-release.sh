#!/usr/bin/env bash
# Builds sorea.exe for both Windows architectures and packs the release zip for Jw_cad users:
#   BUILD/release/sorea-VERSION-windows.zip      (BUILD is the first argument, default build)
#     sorea-VERSION/x64/{sorea.exe,sorea.bat}   for 64-bit Windows
#     sorea-VERSION/x86/{sorea.exe,sorea.bat}   for 32-bit Windows
#     sorea-VERSION/readme.txt                  the guide, Shift-JIS with CR LF
#     sorea-VERSION/screenshot.png
# The programs are built in BUILD/mingw-x64 and BUILD/mingw-i686 (the presets' folders by
# default). Two runs on one commit give the same zip: the executables carry no link time and
# every entry of the zip carries the time of SOURCE_DATE_EPOCH, else of the commit.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
root=${1:-build}

need_packages cmake ninja-build python3 g++-mingw-w64-x86-64 g++-mingw-w64-i686

version=$(cat VERSION)
[ -n "$version" ] || { say "cannot read the version from VERSION"; exit 1; }
python3 packaging/check_generated.py || exit 1

for arch in x64 i686; do
  say "building sorea.exe ($arch) in $root/mingw-$arch"
  cmake --preset "mingw-$arch" -B "$root/mingw-$arch" >/dev/null
  cmake --build "$root/mingw-$arch" --target sorea -j2
done

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
top=sorea-$version
zip=$root/release/$top-windows.zip
mkdir -p "$root/release"
rm -f "$zip"
python3 packaging/make_zip.py "$zip" "$epoch" \
  "$top/x64/sorea.exe=$root/mingw-x64/src/win32/sorea.exe" \
  "$top/x86/sorea.exe=$root/mingw-i686/src/win32/sorea.exe" \
  "$top/x64/sorea.bat=packaging/sorea.bat" \
  "$top/x86/sorea.bat=packaging/sorea.bat" \
  "$top/readme.txt=packaging/readme.txt" \
  "$top/screenshot.png=docs/screenshot.png"
say "release: $zip ($(stat -c %s "$zip") bytes, sha256 $(sha256sum "$zip" | cut -c1-16)…)"
python3 -m zipfile -l "$zip"
