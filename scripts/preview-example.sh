#!/usr/bin/env bash
# Draws the JWC_TEMP.TXT in FOLDER (the file the OK job wrote back for Jw_cad) as a picture:
# FOLDER/preview.svg, and FOLDER/preview.png when an SVG converter can be had. With BEFORE
# (the file Jw_cad handed over), its drawing is drawn muted beneath the result and the points
# picked in it are marked and numbered.
#
#   scripts/preview-example.sh FOLDER [BEFORE.TXT]
#
# Texts and point markers are drawn at paper mm x the layer group scale; the job's result has
# no "hs" record and no text types, so those of BEFORE apply (scale 1 without it).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: scripts/preview-example.sh FOLDER [BEFORE.TXT]" >&2
  exit 2
fi
folder=$1
before=${2:-}
if [ ! -f "$folder/JWC_TEMP.TXT" ]; then
  echo "preview-example: no JWC_TEMP.TXT in $folder" >&2
  exit 1
fi

cli=${SOREA_CLI:-build/default/src/cli/sorea-cli}
if [ ! -x "$cli" ]; then
  need_packages "${BUILD_PACKAGES[@]}"
  cmake --preset default >/dev/null
  cmake --build --preset default --target sorea-cli >/dev/null
  cli=build/default/src/cli/sorea-cli
fi

args=("$folder/JWC_TEMP.TXT" --output "$folder/preview.svg" --details)
[ -n "$before" ] && args+=(--before "$before")
# The PNG needs rsvg-convert and a Japanese font; without them the SVG alone is written.
if need_packages librsvg2-bin fonts-ipafont-gothic && command -v rsvg-convert >/dev/null; then
  args+=(--png "$folder/preview.png")
fi
"$cli" preview "${args[@]}"
say "preview: $folder/preview.svg"
[ -f "$folder/preview.png" ] && say "preview: $folder/preview.png"
exit 0
