#!/usr/bin/env bash
# Times the exchange file reader against wc -l on the same files in the same run: a generated
# ~100 MB JWC_TEMP.TXT and a real floor plan repeated to ~10 MB. A measurement, not a test: it
# asserts nothing.
#
#   scripts/bench-exchange-reader.sh [--baseline REV] [--mb MB] [--plan FILE]
#
# For each file: wc -l (best of five), then the reader's repeated reads in one process (best
# of three runs of five reads: wall and CPU time, MB/s, the ratio to wc -l), then one read in a
# fresh process as the program does it, page faults included, with the peak memory of that
# process (best of three). --baseline builds the reader of a git revision with this benchmark and measures it
# the same way, beside this one. --plan names the floor plan (default
# tests/data/real/floor-plan.txt, or SOREA_FLOOR_PLAN); SOREA_EXCHANGE_FILE and
# SOREA_PLAN_EXCHANGE_FILE name the generated files (the 100 MB one is kept for the next run).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

baseline="" mb=100 plan=${SOREA_FLOOR_PLAN:-tests/data/real/floor-plan.txt}
while [ $# -gt 0 ]; do
  case $1 in
    --baseline) baseline=$2; shift 2 ;;
    --mb) mb=$2; shift 2 ;;
    --plan) plan=$2; shift 2 ;;
    *) echo "usage: $0 [--baseline REV] [--mb MB] [--plan FILE]" >&2; exit 2 ;;
  esac
done
big=${SOREA_EXCHANGE_FILE:-/tmp/sorea-big-exchange.txt}
plan_big=${SOREA_PLAN_EXCHANGE_FILE:-/tmp/sorea-floor-plan-10mb.txt}
work="" times=$(mktemp /tmp/sorea-bench-time.XXXXXX)
trap 'rm -rf "$work" "$times"' EXIT
need_packages "${BUILD_PACKAGES[@]}" libbenchmark-dev time ||
  { say "missing packages for the benchmark"; exit 1; }

[ -f "$big" ] || python3 scripts/gen_big_exchange.py "$big" --mb "$mb"
[ -f "$plan" ] || { say "no floor plan at $plan (--plan FILE)"; exit 1; }
python3 scripts/gen_big_exchange.py "$plan_big" --mb 10 --repeat "$plan"

# Builds exchange_bench from the source tree $1 in $2.
build_bench() {
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSOREA_BENCH=ON -DSOREA_TESTS=OFF \
    >/dev/null
  cmake --build "$2" --target exchange_bench -j2 >/dev/null
}
readers=("working tree:$PWD/build/bench-exchange/bench/exchange_bench")
build_bench . build/bench-exchange
if [ -n "$baseline" ]; then
  work=$(mktemp -d /tmp/sorea-bench-baseline.XXXXXX)
  mkdir "$work/src"
  git archive "$baseline" | tar -x -C "$work/src"
  rm -rf "$work/src/bench" && cp -r bench "$work/src/bench"  # the same benchmark for both
  build_bench "$work/src" "$work/build"
  readers=("$baseline:$work/build/bench/exchange_bench" "${readers[@]}")
fi

# Best wall, user and system seconds of five runs of wc -l.
wc_times() {
  local best="" t
  for _ in 1 2 3 4 5; do
    t=$( { TIMEFORMAT='%3R %3U %3S'; time wc -l "$1" >/dev/null; } 2>&1)
    if [ -z "$best" ] || awk -v a="${t%% *}" -v b="${best%% *}" 'BEGIN{exit !(a < b)}'; then
      best=$t
    fi
  done
  echo "$best"
}

# Wall and CPU milliseconds of the repeated reads of exchange_bench $1 on file $2: the fastest
# of three runs of five reads.
repeated_ms() {
  SOREA_EXCHANGE_FILE=$2 "$1" --benchmark_filter='^BM_ReadExchangeFile/' --benchmark_format=csv \
    --benchmark_repetitions=3 2>/dev/null | fastest
}

# Wall and CPU milliseconds, peak memory (kB) and page faults of one read of file $2 in a
# process of its own: the fastest of three.
once_figures() {
  local run best=""
  for run in 1 2 3; do
    ms=$(SOREA_EXCHANGE_FILE=$2 /usr/bin/time -o "$times" -f '%M %R' "$1" \
      --benchmark_filter='^BM_ReadExchangeFileOnce/' --benchmark_format=csv 2>/dev/null | fastest)
    run="$ms $(tail -n 1 "$times")"
    if [ -z "$best" ] || awk -v a="${run%% *}" -v b="${best%% *}" 'BEGIN{exit !(a < b)}'; then
      best=$run
    fi
  done
  echo "$best"
}

# The fastest wall and its CPU milliseconds among the runs in Google Benchmark's CSV.
fastest() {
  awk -F, '$1 ~ /^"BM_/ && $1 !~ /_(mean|median|stddev|cv)"$/ {
    if (best == "" || $3 < best) { best = $3; cpu = $4 } } END { print best, cpu }'
}

# Peak memory (kB) of a benchmark process that reads nothing: the program and its libraries.
base_kb() {
  /usr/bin/time -o "$times" -f %M "$1" --benchmark_filter=none >/dev/null 2>&1 || true
  tail -n 1 "$times"
}

for file in "$big" "$plan_big"; do
  bytes=$(stat -c %s "$file")
  cat "$file" >/dev/null  # everything reads from the page cache
  read -r wc_wall wc_user wc_sys < <(wc_times "$file")
  printf '\n%s: %.1f MB, %s lines\n' "$file" "$(awk -v b="$bytes" 'BEGIN{print b / 1e6}')" \
    "$(wc -l <"$file")"
  printf '  %-26s %7.3f s wall %7.3f s CPU\n' "wc -l" "$wc_wall" \
    "$(awk -v u="$wc_user" -v s="$wc_sys" 'BEGIN{print u + s}')"
  for entry in "${readers[@]}"; do
    name=${entry%%:*} exe=${entry#*:}
    read -r ms cpu_ms < <(repeated_ms "$exe" "$file")
    read -r once_ms once_cpu_ms rss_kb faults < <(once_figures "$exe" "$file")
    awk -v n="$name" -v b="$bytes" -v w="$wc_wall" -v r="$ms" -v c="$cpu_ms" -v o="$once_ms" \
      -v oc="$once_cpu_ms" -v m="$rss_kb" -v f="$faults" -v base="$(base_kb "$exe")" '
      function row(label, wall, cpu) {
        printf "  %-26s %7.3f s wall %7.3f s CPU %6.0f MB/s (%4.0f on CPU) %6.2f x wc -l\n",
          label, wall, cpu, b / 1e6 / wall, b / 1e6 / cpu, wall / w
      }
      BEGIN {
        w = w > 0 ? w : 0.001
        printf "  reader of %s\n", n
        row("  reads in one process", r / 1000, c / 1000)
        row("  one read, fresh process", o / 1000, oc / 1000)
        printf "  %-26s %d page faults, peak RSS %.1f MB = %.2f x the file", "", f, m / 1024,
          m * 1024 / b
        printf " (%.1f MB reading nothing)\n", base / 1024
      }'
  done
done
