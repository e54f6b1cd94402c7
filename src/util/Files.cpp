#include "util/Files.h"

#ifdef _WIN32
#include <windows.h>
// <windows.h> renames ReplaceFile to ReplaceFileW; ours is sorea::ReplaceFile.
#undef ReplaceFile

#include <sys/stat.h>

#include "util/WinText.h"
#else
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sorea {

#ifdef _WIN32
namespace {
std::wstring Widen(const std::string& text) {
  return win::FromUtf8(text);
}
}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
  std::wstring wmode;
  for (const char* p = mode; *p; ++p) wmode.push_back(static_cast<wchar_t>(*p));
  return _wfopen(Widen(path).c_str(), wmode.c_str());
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) {
  return DeleteFileW(Widen(path).c_str()) != 0;
}

bool ReplaceFile(const std::string& source, const std::string& target) {
  return MoveFileExW(Widen(source).c_str(), Widen(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::string ExecutableFolder() {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n < path.size() ? n : 0);
  const std::size_t cut = path.find_last_of(L"\\/");
  path.resize(cut == std::wstring::npos ? 0 : cut + 1);
  return win::ToUtf8(path);
}
#else
std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool ReplaceFile(const std::string& source, const std::string& target) {
  return std::rename(source.c_str(), target.c_str()) == 0;
}

std::string ExecutableFolder() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  const std::string path = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
  const std::size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? std::string("./") : path.substr(0, cut + 1);
}
#endif

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') {
#ifdef _WIN32
    folder += '\\';
#else
    folder += '/';
#endif
  }
  return folder;
}

#ifdef _WIN32
bool IsRegularFile(const std::string& path) {
  struct _stat64 info {};
  return _wstat64(Widen(path).c_str(), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}
#else
bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
#endif

}  // namespace sorea
