#!/usr/bin/env bash
# Builds sorea-cli and runs the OK job headless on a copy of the bundled example, then prints
# the JWC_TEMP.TXT it wrote back for Jw_cad.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

need_packages "${BUILD_PACKAGES[@]}"
say "building (preset default)"
cmake --preset default >/dev/null
cmake --build --preset default --target sorea-cli

work=$(mktemp -d)
cp examples/complete-run/JWC_TEMP.TXT examples/complete-run/rusk.dat "$work/"
say "running: sorea-cli --folder $work --press ok"
build/default/src/cli/sorea-cli --folder "$work" --press ok
say "JWC_TEMP.TXT written for Jw_cad ($work/JWC_TEMP.TXT, Shift-JIS, CR LF):"
if command -v iconv >/dev/null 2>&1; then
  iconv -f CP932 -t UTF-8 "$work/JWC_TEMP.TXT" | tr -d '\r'
else
  tr -d '\r' <"$work/JWC_TEMP.TXT"
fi
if [ -x scripts/preview-example.sh ]; then
  scripts/preview-example.sh "$work" examples/complete-run/JWC_TEMP.TXT
fi
