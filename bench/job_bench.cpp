// The whole OK job without a window: show (read JWC_TEMP.TXT and rusk.dat), OK (checks, save,
// the dimension's records) and close (write JWC_TEMP.TXT back), on the complete-run example
// and on a large exchange file.
//
// The large file is taken from SOREA_BIG_EXCHANGE (e.g. made by scripts/gen_big_exchange.py);
// without it that benchmark is skipped.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "support/RecordingView.h"

namespace {

namespace fs = std::filesystem;

fs::path MakeFolder() {
  std::string pattern = (fs::temp_directory_path() / "sorea-bench-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const char* made = mkdtemp(buffer.data());
  return made != nullptr ? fs::path(made) : fs::path();
}

void RunJob(benchmark::State& state, const fs::path& exchange, const fs::path& settings) {
  const fs::path folder = MakeFolder();
  if (folder.empty()) {
    state.SkipWithError("no temporary folder");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(exchange, folder / "JWC_TEMP.TXT", fs::copy_options::overwrite_existing);
    if (!settings.empty()) {
      fs::copy_file(settings, folder / "rusk.dat", fs::copy_options::overwrite_existing);
    }
    state.ResumeTiming();
    sorea::testing::RecordingView view(folder.string() + "/");
    sorea::TForm1 form(view);
    view.Attach(&form);
    form.FormShow();
    form.ComboBox3.ItemIndex = 1;
    form.Button1Click();
    if (view.closeCalls == 0 || view.focus || view.message || view.failure) {
      state.SkipWithError("the job did not finish");
      break;
    }
  }
  std::error_code ignored;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(fs::file_size(exchange, ignored)));
  fs::remove_all(folder, ignored);
}

void BM_JobCompleteRunExample(benchmark::State& state) {
  const fs::path example = fs::path(SOREA_SOURCE_DIR) / "examples" / "complete-run";
  RunJob(state, example / "JWC_TEMP.TXT", example / "rusk.dat");
}
BENCHMARK(BM_JobCompleteRunExample)->Unit(benchmark::kMicrosecond);

void BM_JobBigExchangeFile(benchmark::State& state) {
  const char* big = std::getenv("SOREA_BIG_EXCHANGE");
  if (big == nullptr || !fs::exists(big)) {
    state.SkipWithError("set SOREA_BIG_EXCHANGE to a large JWC_TEMP.TXT");
    return;
  }
  RunJob(state, big, fs::path());
}
BENCHMARK(BM_JobBigExchangeFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
