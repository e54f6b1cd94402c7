// sorea-cli: the dialog's job without a window, and tools around the exchange file.
#include <csignal>
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "util/X87.h"

#ifdef _WIN32
#include "util/WinText.h"
#endif

namespace sorea::cli {

namespace {
int Dispatch(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "inspect") {
    return RunInspect(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  if (!args.empty() && args[0] == "preview") {
    return RunPreview(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  return RunHeadless(args);
}
}  // namespace

}  // namespace sorea::cli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  sorea::UseExtendedPrecision();
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(sorea::win::ToUtf8(argv[i]));
  return sorea::cli::Dispatch(args);
}
#else
int main(int argc, char** argv) {
  sorea::UseExtendedPrecision();
  // A write past the file size limit fails and is told, instead of killing us half-written.
  std::signal(SIGXFSZ, SIG_IGN);
  return sorea::cli::Dispatch(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
