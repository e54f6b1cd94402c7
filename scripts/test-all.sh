#!/usr/bin/env bash
# Builds and runs every test: the Release build and the sanitizer build (ASan + UBSan), each with
# its CTest suite (the fuzz corpora replayed and the generated files checked among them), the
# Windows program under Wine when Wine can be had, and the release zip.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

failed=0
need_packages "${BUILD_PACKAGES[@]}" || { say "cannot build without: ${BUILD_PACKAGES[*]}"; exit 1; }
# rsvg-convert for the preview's PNG; without it those cases say they are skipped.
need_packages librsvg2-bin || say "no rsvg-convert: the preview's PNG cases will be skipped"
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
for extra in scripts/test-windows.sh scripts/test-release.sh; do
  say "running $extra"
  bash "$extra" || failed=1
done

if [ "$failed" -ne 0 ]; then
  say "SOME TESTS FAILED"
  exit 1
fi
say "all tests passed"
