#!/usr/bin/env bash
# Checks the release as a Jw_cad user gets it: the batch file and the Shift-JIS guide match what
# their generators make from the sources; the zip has ASCII names, the expected files and both
# programs with their manifest (per-monitor DPI awareness); and the zip is reproducible: packed once
# from the usual build folders and once from a fresh build in build/release-check, it comes
# out byte for byte the same.
#
# Skips (exit 0, saying why) what cannot run when the packages cannot be had.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
started=$(date +%s)

if ! need_packages python3; then
  say "SKIPPED the release checks: python3 is not installed and cannot be installed here"
  exit 0
fi
failed=0
fail() { say "FAIL: $*"; failed=1; }

python3 packaging/check_generated.py || fail "generated files are stale"

if ! need_packages cmake ninja-build g++-mingw-w64-x86-64 g++-mingw-w64-i686; then
  say "SKIPPED the release zip checks: the mingw-w64 cross compilers cannot be installed here"
  exit $failed
fi

version=$(sed -n 's/^project(sorea VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=release/sorea-$version-windows.zip
again=build/release-check
rm -rf "$again"
mkdir -p "$again"
say "packing the release twice: from build/ and from a fresh build in $again"
bash scripts/package-release.sh build >build/release.log 2>&1 ||
  { tail -20 build/release.log; fail "packaging in build/"; }
bash scripts/package-release.sh "$again" >"$again.log" 2>&1 ||
  { tail -20 "$again.log"; fail "packaging in $again"; }

if [ -f "build/$zip" ] && [ -f "$again/$zip" ]; then
  python3 packaging/check_release.py "build/$zip" || fail "the release zip"
  if cmp "build/$zip" "$again/$zip"; then
    say "reproducible: both zips are $(stat -c %s "build/$zip") bytes, sha256 $(sha256sum "build/$zip" | cut -c1-16)…"
  else
    fail "two builds of one commit gave different zips"
    python3 - "build/$zip" "$again/$zip" <<'EOF'
import sys, zipfile
a, b = (zipfile.ZipFile(p) for p in sys.argv[1:])
for info in a.infolist():
    if a.read(info) != b.read(info.filename) or info.date_time != b.getinfo(info.filename).date_time:
        print("  differs:", info.filename)
EOF
  fi
fi

say "release checks took $(($(date +%s) - started)) s"
if [ "$failed" -ne 0 ]; then
  say "SOME RELEASE CHECKS FAILED"
  exit 1
fi
say "release checks passed"
