#!/usr/bin/env bash
# Builds and runs every test: the Release build, the sanitizer build (ASan + UBSan), the fuzz
# targets on their corpus, and the Windows program under Wine when Wine can be had.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

failed=0
need_packages "${BUILD_PACKAGES[@]}" || { say "cannot build without: ${BUILD_PACKAGES[*]}"; exit 1; }
# A locale whose decimal point is a comma, for the test that numbers ignore the C locale.
need_locale de_DE.UTF-8 || say "no de_DE.UTF-8 locale: the decimal-comma test will be skipped"

for preset in default sanitize; do
  say "preset $preset: configure and build"
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset"; then
    say "preset $preset: build FAILED"; failed=1; continue
  fi
  say "preset $preset: tests"
  ctest --preset "$preset" -j2 || failed=1
done

# Run with bash, not through their execute bits: a lost bit must not silently drop a suite.
for extra in scripts/test-fuzz-corpus.sh scripts/test-windows.sh scripts/test-release.sh; do
  say "running $extra"
  bash "$extra" || failed=1
done

if [ "$failed" -ne 0 ]; then
  say "SOME TESTS FAILED"
  exit 1
fi
say "all tests passed"
