// sorea-cli: the dialog's job without a window, and tools around the exchange file.
#include <string>
#include <vector>

#include "cli/CliCommands.h"
#include "util/X87.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

namespace sorea::cli {

std::string ExecutableFolder() {
#ifdef _WIN32
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  std::size_t cut = path.find_last_of(L"\\/");
  path.resize(cut == std::wstring::npos ? 0 : cut + 1);
  int size = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
#else
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
  std::size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? std::string("./") : path.substr(0, cut + 1);
#endif
}

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
  for (int i = 1; i < argc; ++i) {
    int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, utf8.data(), size, nullptr, nullptr);
    args.push_back(utf8);
  }
  return sorea::cli::Dispatch(args);
}
#else
int main(int argc, char** argv) {
  sorea::UseExtendedPrecision();
  return sorea::cli::Dispatch(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
