// How long the number routines take on the values an exchange file is made of.

#include <benchmark/benchmark.h>

#include <charconv>
#include <random>
#include <string>
#include <vector>

#include "util/MyFunc.h"

namespace {

// Coordinates and lengths as drawings have them: a few thousand millimetres with a handful
// of decimals, and some with the full 15 digits.
std::vector<double> SampleValues() {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> dist(-50000.0, 50000.0);
  std::vector<double> values;
  for (int i = 0; i < 1024; ++i) {
    double v = dist(rng);
    if (i % 2 == 0) v = sorea::RoundDecimals(3, 2, v);
    values.push_back(v);
  }
  return values;
}

void BM_TextToFloat(benchmark::State& state) {
  std::vector<std::string> texts;
  for (double v : SampleValues()) texts.push_back(sorea::FormatGeneral(v));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sorea::TextToFloat(texts[i++ & 1023]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextToFloat);

// The shortest texts that read back as random doubles: up to 17 significant digits, beyond
// what one double operation converts exactly.
void BM_TextToFloatLong(benchmark::State& state) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> dist(-20000.0, 20000.0);
  std::vector<std::string> texts;
  for (int k = 0; k < 1024; ++k) {
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, dist(rng));
    texts.emplace_back(buf, res.ptr);
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sorea::TextToFloat(texts[i++ & 1023]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextToFloatLong);

void BM_TextToInt(benchmark::State& state) {
  const std::vector<std::string> texts = {"0", "12", " 255", "-7", "$1F", "2147483647", "x"};
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sorea::TextToInt(texts[i++ % texts.size()]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextToInt);

void BM_FormatGeneral(benchmark::State& state) {
  const std::vector<double> values = SampleValues();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sorea::FormatGeneral(values[i++ & 1023]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatGeneral);

void BM_FormatFixed(benchmark::State& state) {
  const std::vector<double> values = SampleValues();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sorea::FormatGrouped(3, values[i++ & 1023]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatFixed);

void BM_RoundDecimals(benchmark::State& state) {
  const std::vector<double> values = SampleValues();
  const int mode = static_cast<int>(state.range(0));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sorea::RoundDecimals(3, mode, values[i++ & 1023]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RoundDecimals)->Arg(0)->Arg(1)->Arg(2);

}  // namespace

BENCHMARK_MAIN();
