// OK killed at any moment: JWC_TEMP.TXT is always the drawing as Jw_cad wrote it or the whole
// result, never empty or cut, since Jw_cad adds whatever it finds there.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "support/TestSupport.h"

namespace {

using namespace sorea::testing;
using Clock = std::chrono::steady_clock;

const std::string kCli = SOREA_CLI_PATH;
const std::string kExample = std::string(SOREA_SOURCE_DIR) + "/examples/floor-plan/";

// Starts sorea-cli on folder with its output thrown away; the process id.
pid_t Start(const std::string& folder) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    ::execl(kCli.c_str(), kCli.c_str(), "--folder", folder.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

TEST(InterruptedRun, JwcFileIsWholeOrAbsentNeverPartial) {
  // The real floor plan, its elements repeated to about 4 MB, its picks kept.
  const std::string plan = ReadFile(kExample + "JWC_TEMP.TXT");
  const std::size_t body = plan.find("lg0\r\n");
  ASSERT_NE(body, std::string::npos);
  std::string drawing = plan;
  while (drawing.size() < 4'000'000) drawing += plan.substr(body);

  ScratchFolder folder;
  folder.Write("rusk.dat", ReadFile(kExample + "rusk.dat"));
  folder.Write("JWC_TEMP.TXT", drawing);
  // How long a whole run takes: the quickest of three, so that the kills below land in runs
  // however busy the machine was for the first.
  auto runTime = Clock::duration::max();
  std::string result;
  for (int run = 0; run < 3; ++run) {
    folder.Write("JWC_TEMP.TXT", drawing);
    const Clock::time_point begun = Clock::now();
    ASSERT_EQ(Wait(Start(folder.Path())), 0);
    runTime = std::min(runTime, Clock::now() - begun);
    result = folder.Read("JWC_TEMP.TXT");
  }
  ASSERT_NE(result.find(" \"2,610\r\n"), std::string::npos);

  std::mt19937 rng(7);
  std::uniform_real_distribution<double> moment(0.2, 1.2);
  int killed = 0, finished = 0;
  for (int run = 0; run < 60; ++run) {
    folder.Write("JWC_TEMP.TXT", drawing);
    const pid_t pid = Start(folder.Path());
    std::this_thread::sleep_for(std::chrono::duration_cast<Clock::duration>(runTime * moment(rng)));
    ::kill(pid, SIGKILL);
    const int status = Wait(pid);
    (WIFSIGNALED(status) ? killed : finished) += 1;
    const std::string left = folder.Read("JWC_TEMP.TXT");
    ASSERT_TRUE(left == drawing || left == result)
        << "run " << run << " left " << left.size() << " bytes";
  }
  // The kills must land during runs, or the loop proves nothing.
  EXPECT_GT(killed, 10) << finished << " runs finished before their kill";
}

}  // namespace
