#!/usr/bin/env bash
# Times the exchange file reader on a ~100 MB JWC_TEMP.TXT against wc -l on the same file,
# and measures the reader's peak memory. A measurement, not a test: it asserts nothing.
#   scripts/bench-exchange-reader.sh [MB]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh
mb=${1:-100}
file=${SOREA_EXCHANGE_FILE:-/tmp/sorea-big-exchange.txt}
build=build/bench-exchange
need_packages libbenchmark-dev time || { say "missing packages for the benchmark"; exit 1; }
[ -f "$file" ] || python3 scripts/gen_big_exchange.py "$file" --mb "$mb"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSOREA_BENCH=ON -DSOREA_TESTS=OFF >/dev/null
cmake --build "$build" --target exchange_bench >/dev/null
bytes=$(stat -c %s "$file")

best() {  # best wall time in seconds of three runs of "$@"
  local t best=""
  for _ in 1 2 3; do
    /usr/bin/time -o /tmp/sorea-bench-time -f %e "$@" >/dev/null 2>&1
    t=$(tail -n 1 /tmp/sorea-bench-time)
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
  done
  echo "$best"
}
cat "$file" >/dev/null  # both read from the page cache
wc_s=$(best wc -l "$file")
read -r reader_ms reader_cpu_ms < <(SOREA_EXCHANGE_FILE="$file" "$build/bench/exchange_bench" \
  --benchmark_filter=BM_ReadExchangeFile --benchmark_format=csv 2>/dev/null |
  awk -F, '/BM_ReadExchangeFile/ {print $3, $4}')
SOREA_EXCHANGE_FILE="$file" /usr/bin/time -o /tmp/sorea-bench-time -f %M "$build/bench/exchange_bench" \
  --benchmark_filter=BM_ReadExchangeFile >/dev/null 2>&1
rss_kb=$(tail -n 1 /tmp/sorea-bench-time)
awk -v b="$bytes" -v w="$wc_s" -v r="$reader_ms" -v c="$reader_cpu_ms" -v m="$rss_kb" 'BEGIN {
  printf "file            %.1f MB\n", b / 1e6
  printf "wc -l           %.3f s\n", w
  printf "ReadExchangeFile %.3f s wall, %.3f s CPU (%.0f MB/s)\n", r / 1000, c / 1000, b / 1e6 / (r / 1000)
  printf "ratio           %.2f x wc -l\n", (r / 1000) / (w > 0 ? w : 0.001)
  printf "peak RSS        %.1f MB (%.2f x the file)\n", m / 1024, m * 1024 / b
}'
