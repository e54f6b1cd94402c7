#!/usr/bin/env bash
# Replays each fuzz target's corpus (fuzz/corpus/TARGET/) through the target once, no timed
# fuzzing; the exchange reader and the whole job also take the real JWC_TEMP.TXT samples. A
# crash, a sanitizer report or a failed check fails.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
if ! need_packages clang libclang-rt-14-dev; then
  say "fuzz corpus: skipped, clang is not available"
  exit 0
fi
build=build/fuzz
targets=(exchange_fuzz settings_fuzz job_fuzz)
if ! cmake --preset fuzz >/dev/null || ! cmake --build --preset fuzz --target "${targets[@]}" >/dev/null; then
  say "fuzz corpus: build FAILED"
  exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
failed=0
for target in "${targets[@]}"; do
  # A pattern that matches nothing must give no input at all, never the pattern itself.
  shopt -s nullglob
  inputs=(fuzz/corpus/"$target"/*)
  [ "$target" = settings_fuzz ] || inputs+=(tests/data/real/*.txt)
  shopt -u nullglob
  if [ ${#inputs[@]} -eq 0 ]; then
    say "fuzz corpus: $target FAILED, no inputs found"
    failed=1
  elif "$build/fuzz/$target" -runs=1 "${inputs[@]}" >"$log" 2>&1; then
    say "fuzz corpus: $target: ${#inputs[@]} inputs replayed, no fault"
  else
    tail -n 40 "$log"
    say "fuzz corpus: $target FAILED"
    failed=1
  fi
done
exit "$failed"
