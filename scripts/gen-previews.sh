#!/usr/bin/env bash
# Regenerates docs/previews/<example>.png: for every examples/<example>/ folder, runs the OK
# job headless on a copy (sorea-cli --folder COPY --press ok) and draws the JWC_TEMP.TXT it
# wrote back over the drawing in the example's own JWC_TEMP.TXT, muted, with the points picked
# there marked and numbered.
#
#   scripts/gen-previews.sh [EXAMPLE...]
#   SOREA_CLI=build/mine/src/cli/sorea-cli scripts/gen-previews.sh   (use that build)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

need_packages "${BUILD_PACKAGES[@]}"
need_packages librsvg2-bin fonts-ipafont-gothic || {
  say "gen-previews: rsvg-convert and the IPA Gothic font are needed for the PNGs"
  exit 1
}
# SOREA_CLI names an already built sorea-cli; otherwise the default preset is built.
cli=${SOREA_CLI:-}
if [ -z "$cli" ]; then
  say "building (preset default)"
  cmake --preset default >/dev/null
  cmake --build --preset default --target sorea-cli >/dev/null
  cli=build/default/src/cli/sorea-cli
fi

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for d in examples/*/; do
    [ -f "$d/JWC_TEMP.TXT" ] && names+=("$(basename "$d")")
  done
fi
[ ${#names[@]} -gt 0 ] || { say "gen-previews: no examples/*/JWC_TEMP.TXT found"; exit 1; }

# An example on a whole drawing is fitted to its result: fitted to the drawing, the dimension
# would be a few pixels.
declare -A fit=([floor-plan]=result)

mkdir -p docs/previews
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for name in "${names[@]}"; do
  src=examples/$name
  copy=$work/$name
  mkdir -p "$copy"
  cp "$src"/JWC_TEMP.TXT "$copy/"
  [ -f "$src/rusk.dat" ] && cp "$src/rusk.dat" "$copy/"
  if ! "$cli" --folder "$copy" --press ok >"$work/$name.log" 2>&1; then
    # A refused value or the zero-length message: the result is "hq", still worth a look.
    say "$name: the job did not build a dimension ($(tr -d '\r' <"$work/$name.log" | head -1))"
  fi
  if "$cli" preview "$copy/JWC_TEMP.TXT" --before "$src/JWC_TEMP.TXT" --details \
    --fit "${fit[$name]:-both}" --png "docs/previews/$name.png"; then
    say "docs/previews/$name.png"
  else
    status=1
  fi
done
exit $status
