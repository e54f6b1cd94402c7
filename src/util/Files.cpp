#include "util/Files.h"

#include <cerrno>
#include <cstring>

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
FileKind KindOf(const std::string& path) {
  struct _stat64 info {};
  if (_wstat64(Widen(path).c_str(), &info) != 0) return FileKind::Missing;
  return (info.st_mode & _S_IFMT) == _S_IFREG ? FileKind::Regular : FileKind::Other;
}

std::FILE* OpenRegularFile(const std::string& path) {
  // No pipe or device has a name inside a folder on Windows; the check keeps out folders.
  return KindOf(path) == FileKind::Regular ? OpenFile(path, "rb") : nullptr;
}

bool IsReadOnly(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

namespace {
bool FlushToDisk(std::FILE* file) {
  return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}
}  // namespace
#else
FileKind KindOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return FileKind::Missing;
  return S_ISREG(info.st_mode) ? FileKind::Regular : FileKind::Other;
}

std::FILE* OpenRegularFile(const std::string& path) {
  // Opened without waiting (a pipe would wait for a writer) and judged by what was opened, so
  // nothing can be swapped in between the look and the read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  const int flags = ::fcntl(fd, F_GETFL);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags == -1 ||
      ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return file;
}

bool IsReadOnly(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  if (::geteuid() == 0) return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

namespace {
bool FlushToDisk(std::FILE* file) {
  return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}
}  // namespace
#endif

bool IsRegularFile(const std::string& path) {
  return KindOf(path) == FileKind::Regular;
}

std::string Describe(const FileProblem& problem) {
  std::string text = problem.What != nullptr ? problem.What : "";
  if (problem.Error != 0) {
    text += ": ";
    text += std::strerror(problem.Error);
  }
  return text;
}

FileProblem WriteAndClose(std::FILE* file, std::string_view content) {
  FileProblem problem;
  if (std::fwrite(content.data(), 1, content.size(), file) != content.size() ||
      !FlushToDisk(file)) {
    problem = {"cannot write the file", errno};
  }
  if (std::fclose(file) != 0 && !problem) problem = {"cannot write the file", errno};
  return problem;
}

Replacing ReplaceWhole(const std::string& target, std::string_view content, FileProblem& problem) {
  const std::string temporary = target + ".tmp";
  RemoveFile(temporary);
  std::FILE* file = CreateNewFile(temporary);
  if (file == nullptr) {
    problem = {"cannot create a new file beside it", errno};
    return Replacing::NotPossible;
  }
  problem = WriteAndClose(file, content);
  if (problem) {
    RemoveFile(temporary);
    return Replacing::WriteFailed;
  }
  if (ReplaceFile(temporary, target)) return Replacing::Done;
#ifdef _WIN32
  problem = {"cannot put the new file in its place", 0};  // MoveFileExW sets no errno
#else
  problem = {"cannot put the new file in its place", errno};
#endif
  RemoveFile(temporary);
  return Replacing::NotPossible;
}

FileProblem ReplaceableTarget(const std::string& path, std::string& target) {
  target = FollowLinks(path);
  if (target.empty()) return {"the symbolic links never end in a file"};
  switch (KindOf(target)) {
    case FileKind::Other:
      return {"not a regular file"};
    case FileKind::Regular:
      if (IsReadOnly(target)) return {"the file is read-only"};
      break;
    case FileKind::Missing:
      break;
  }
  return {};
}

FileProblem WriteInPlace(const std::string& path, std::string_view content) {
  std::FILE* file = OpenFile(path, "wb");
  if (file == nullptr) return {"cannot open the file for writing", errno};
  return WriteAndClose(file, content);
}

}  // namespace sorea
