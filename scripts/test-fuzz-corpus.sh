#!/usr/bin/env bash
# Replays the exchange reader's fuzz corpus and the real JWC_TEMP.TXT samples through the fuzz
# target once (no timed fuzzing): a crash or sanitizer report fails.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
if ! need_packages clang libclang-rt-14-dev; then
  say "fuzz corpus: skipped, clang is not available"
  exit 0
fi
build=build/fuzz
if ! cmake --preset fuzz >/dev/null || ! cmake --build --preset fuzz --target exchange_fuzz >/dev/null; then
  say "fuzz corpus: build FAILED"
  exit 1
fi
# A pattern that matches nothing must give no input at all, never the pattern itself.
shopt -s nullglob
inputs=(tests/exchange/fuzz-corpus/* tests/data/real/*.txt)
shopt -u nullglob
if [ ${#inputs[@]} -eq 0 ]; then
  say "fuzz corpus: FAILED, no inputs found"
  exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if "$build/fuzz/exchange_fuzz" -runs=1 "${inputs[@]}" >"$log" 2>&1; then
  say "fuzz corpus: ${#inputs[@]} inputs replayed, no fault"
else
  tail -n 40 "$log"
  say "fuzz corpus: FAILED"
  exit 1
fi
