#!/usr/bin/env bash
# Builds sorea.exe for both Windows architectures and packs the release zip for Jw_cad users:
#   build/release/sorea-VERSION-windows.zip
#     sorea-VERSION/x64/{sorea.exe,sorea.bat}   for 64-bit Jw_cad
#     sorea-VERSION/x86/{sorea.exe,sorea.bat}   for 32-bit Jw_cad
#     sorea-VERSION/使い方.md, screenshot.png
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

need_packages cmake ninja-build python3 zip g++-mingw-w64-x86-64 g++-mingw-w64-i686

version=$(sed -n 's/^project(sorea VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { say "cannot read the version from CMakeLists.txt"; exit 1; }

for preset in mingw-x64 mingw-i686; do
  say "building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target sorea
done

out=build/release
stage=$out/sorea-$version
rm -rf "$stage" "$out/sorea-$version-windows.zip"
mkdir -p "$stage/x64" "$stage/x86"
python3 packaging/make_batch.py "$stage/x64/sorea.bat"
cp "$stage/x64/sorea.bat" "$stage/x86/sorea.bat"
cmp -s "$stage/x64/sorea.bat" packaging/sorea.bat ||
  { say "packaging/sorea.bat is stale: run python3 packaging/make_batch.py packaging/sorea.bat"; exit 1; }
cp build/mingw-x64/src/win32/sorea.exe "$stage/x64/"
cp build/mingw-i686/src/win32/sorea.exe "$stage/x86/"
cp "docs/使い方.md" docs/screenshot.png "$stage/"

(cd "$out" && zip -q -r -X "sorea-$version-windows.zip" "sorea-$version")
say "release: $out/sorea-$version-windows.zip"
unzip -l "$out/sorea-$version-windows.zip"
