// Timing the exchange file reader on a big JWC_TEMP.TXT (scripts/gen_big_exchange.py writes
// one; SOREA_EXCHANGE_FILE names it, /tmp/sorea-big-exchange.txt by default) and on lines in
// memory. scripts/bench-exchange-reader.sh compares it with wc -l on the same file.
//
// BM_ReadExchangeFileOnce is one read as the program does it, the kernel handing the store its
// memory page by page; run it alone in its own process (--benchmark_filter). BM_ReadExchangeFile
// reads the file again and again: an untimed first read takes the store's memory from the
// kernel and the allocator keeps it, so the timed reads measure the reader itself.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "exchange/JwwGaibu.h"

namespace {

std::string BigFile() {
  const char* path = std::getenv("SOREA_EXCHANGE_FILE");
  return path ? path : "/tmp/sorea-big-exchange.txt";
}

// The size of the file, or 0 after marking the benchmark skipped.
std::int64_t FileBytes(benchmark::State& state, const std::string& path) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  if (error) {
    state.SkipWithError(("no exchange file at " + path).c_str());
    return 0;
  }
  return static_cast<std::int64_t>(bytes);
}

void ReadTimed(benchmark::State& state, const std::string& path, std::int64_t bytes) {
  for (auto _ : state) {
    state.PauseTiming();
    sorea::InitElementStore();  // frees the last read's store
    state.ResumeTiming();
    benchmark::DoNotOptimize(sorea::ReadExchangeFile(path));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
  state.counters["elements"] = static_cast<double>(sorea::Store.ElementOrder.size());
  sorea::ReleaseElementStore();
}

void BM_ReadExchangeFileOnce(benchmark::State& state) {
  const std::string path = BigFile();
  if (const std::int64_t bytes = FileBytes(state, path)) ReadTimed(state, path, bytes);
}
BENCHMARK(BM_ReadExchangeFileOnce)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReadExchangeFile(benchmark::State& state) {
  const std::string path = BigFile();
  const std::int64_t bytes = FileBytes(state, path);
  if (bytes == 0) return;
  mallopt(M_TRIM_THRESHOLD, 1 << 30);  // freed memory stays with the process
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  sorea::InitElementStore();
  sorea::ReadExchangeFile(path);
  ReadTimed(state, path, bytes);
}
BENCHMARK(BM_ReadExchangeFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ParseLines(benchmark::State& state) {
  const std::vector<std::string> lines = {
      " -58.090169679309 -5252.56916662819 -2927.02500722682 -5252.56916662819",
      "ch -7104.11973389354 1827.73825260745 -3.2783543701953e-005 749.999999999999 \"1,820",
      "ci 3461.91080358399 -3818.08983151155 455.000000000001",
      "pt 4371.91034169633 3172.73823611146",
      "lc3",
  };
  std::size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 2;
  sorea::InitElementStore();
  std::int64_t n = 0;
  for (auto _ : state) {
    for (const std::string& line : lines) sorea::ParseExchangeLine(line);
    if (++n % 100000 == 0) sorea::InitElementStore();
  }
  state.SetBytesProcessed(n * static_cast<std::int64_t>(bytes));
  sorea::ReleaseElementStore();
}
BENCHMARK(BM_ParseLines);

}  // namespace

BENCHMARK_MAIN();
