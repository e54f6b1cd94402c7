#!/usr/bin/env bash
# Builds and runs every test: the Release build, the sanitizer build (ASan + UBSan), the fuzz
# targets on their corpus, and the Windows program under Wine when Wine can be had.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

failed=0
need_packages "${BUILD_PACKAGES[@]}" || { say "cannot build without: ${BUILD_PACKAGES[*]}"; exit 1; }

for preset in default sanitize; do
  say "preset $preset: configure and build"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset"; then
    say "preset $preset: build FAILED"; failed=1; continue
  fi
  say "preset $preset: tests"
  ctest --preset "$preset" -j2 || failed=1
done

for extra in scripts/test-fuzz-corpus.sh scripts/test-windows.sh scripts/test-release.sh; do
  if [ -x "$extra" ]; then
    say "running $extra"
    "$extra" || failed=1
  fi
done

if [ "$failed" -ne 0 ]; then
  say "SOME TESTS FAILED"
  exit 1
fi
say "all tests passed"
