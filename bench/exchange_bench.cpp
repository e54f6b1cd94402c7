// Timing the exchange file reader on a big JWC_TEMP.TXT (scripts/gen_big_exchange.py writes
// one; SOREA_EXCHANGE_FILE names it, /tmp/sorea-big-exchange.txt by default) and on lines in
// memory. scripts/bench-exchange-reader.sh compares it with wc -l on the same file.
#include <benchmark/benchmark.h>

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

void BM_ReadExchangeFile(benchmark::State& state) {
  const std::string path = BigFile();
  std::error_code error;
  const auto bytes = std::filesystem::file_size(path, error);
  if (error) {
    state.SkipWithError(("no exchange file at " + path).c_str());
    return;
  }
  for (auto _ : state) {
    sorea::InitElementStore();
    benchmark::DoNotOptimize(sorea::ReadExchangeFile(path));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
  state.counters["elements"] = static_cast<double>(sorea::Store.ElementOrder.size());
  sorea::ReleaseElementStore();
}
BENCHMARK(BM_ReadExchangeFile)->Unit(benchmark::kMillisecond)->Iterations(3);

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
