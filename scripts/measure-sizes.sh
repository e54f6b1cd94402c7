#!/usr/bin/env bash
# Measures the programs as they are shipped or run: sorea.exe for x86-64 and i686 (static,
# stripped, the size a Jw_cad user copies) and sorea-cli for Linux and Windows, each as built
# and stripped, with the DLLs sorea.exe imports. A measurement, not a test: it asserts nothing.
#
#   scripts/measure-sizes.sh [--baseline REV]
#
# Builds the Release presets default (sorea-cli only), mingw-x64 and mingw-i686 in build/.
# --baseline REV builds the same targets from a git revision (exported to a temporary folder)
# and prints its sizes beside these.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

baseline=""
while [ $# -gt 0 ]; do
  case $1 in
    --baseline) baseline=$2; shift 2 ;;
    *) echo "usage: $0 [--baseline REV]" >&2; exit 2 ;;
  esac
done
need_packages "${BUILD_PACKAGES[@]}" g++-mingw-w64-x86-64 g++-mingw-w64-i686 ||
  { say "missing packages for the Windows builds"; exit 1; }

work=$(mktemp -d /tmp/sorea-sizes.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Builds the measured targets of the source tree $1 (quietly; the log stays on failure).
build_tree() {
  local tree=$1 preset targets
  for preset in default mingw-x64 mingw-i686; do
    targets="sorea-cli"
    [ "$preset" = default ] || targets="sorea sorea-cli"
    (cd "$tree" && cmake --preset "$preset" >"$work/$preset.log" 2>&1 &&
      cmake --build --preset "$preset" -j2 --target $targets >>"$work/$preset.log" 2>&1) ||
      { cat "$work/$preset.log"; say "$preset build failed in $tree"; exit 1; }
  done
}

# Prints "bytes stripped-bytes" for the program $1 (strip $2).
sizes() {
  local file=$1 strip=$2
  "$strip" -o "$work/stripped" "$file"
  echo "$(stat -c %s "$file") $(stat -c %s "$work/stripped")"
}

# One line a program: name, bytes as built, bytes stripped, for the tree $1.
measure_tree() {
  local tree=$1
  local w64=x86_64-w64-mingw32-strip w32=i686-w64-mingw32-strip
  echo "sorea.exe-x86-64 $(sizes "$tree/build/mingw-x64/src/win32/sorea.exe" $w64)"
  echo "sorea.exe-i686 $(sizes "$tree/build/mingw-i686/src/win32/sorea.exe" $w32)"
  echo "sorea-cli-linux $(sizes "$tree/build/default/src/cli/sorea-cli" strip)"
  echo "sorea-cli.exe-x86-64 $(sizes "$tree/build/mingw-x64/src/cli/sorea-cli.exe" $w64)"
  echo "sorea-cli.exe-i686 $(sizes "$tree/build/mingw-i686/src/cli/sorea-cli.exe" $w32)"
}

say "building this tree"
build_tree "$PWD"
measure_tree "$PWD" >"$work/now"
if [ -n "$baseline" ]; then
  say "building $baseline"
  mkdir "$work/base"
  git archive "$baseline" | tar -x -C "$work/base"
  build_tree "$work/base"
  measure_tree "$work/base" >"$work/before"
fi

kib() { awk -v b="$1" 'BEGIN { printf "%.1f KiB", b / 1024 }'; }
printf '%-22s %22s %22s' program "as built" stripped
[ -n "$baseline" ] && printf '   %22s' "stripped at $baseline"
printf '\n'
while read -r name built stripped; do
  printf '%-22s %10s (%9s) %10s (%9s)' "$name" "$built" "$(kib "$built")" "$stripped" "$(kib "$stripped")"
  if [ -n "$baseline" ]; then
    old=$(awk -v n="$name" '$1 == n { print $3 }' "$work/before")
    printf '   %10s (%9s)' "$old" "$(kib "$old")"
  fi
  printf '\n'
done <"$work/now"
for arch in x64 i686; do
  printf 'sorea.exe %s imports: %s\n' "$arch" "$(x86_64-w64-mingw32-objdump -p \
    "build/mingw-$arch/src/win32/sorea.exe" | awk '/DLL Name/ { printf "%s ", $3 }')"
done
