#include "util/Files.h"

#ifdef _WIN32
#include <windows.h>
// <windows.h> renames ReplaceFile to ReplaceFileW; ours is sorea::ReplaceFile.
#undef ReplaceFile

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "util/WinText.h"
#else
#include <fcntl.h>
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

std::FILE* CreateNewFile(const std::string& path) {
  const int fd =
      _wopen(Widen(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = _wfdopen(fd, L"wb");
  if (file == nullptr) _close(fd);
  return file;
}

std::string FollowLinks(const std::string& path) {
  return path;
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

std::FILE* CreateNewFile(const std::string& path) {
  // O_EXCL also refuses a symbolic link, dangling or not, so nothing is written through one.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
}

std::string FollowLinks(const std::string& path) {
  constexpr int kMostLinks = 40;  // as many as the system itself follows before it gives up
  std::string current = path;
  for (int hop = 0; hop <= kMostLinks; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return "";
    std::string target(buffer, static_cast<std::size_t>(n));
    const std::size_t cut = current.find_last_of('/');
    if (target[0] != '/' && cut != std::string::npos) target.insert(0, current, 0, cut + 1);
    current = std::move(target);
  }
  return "";
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
