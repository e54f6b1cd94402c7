// What suites that work on files and run programs share: whole files read and written, a
// scratch folder removed after the test, and an executable run with its exit code, stdout and
// stderr captured.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#ifndef _WIN32
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace sorea::testing {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline bool WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// One argument for the POSIX shell, taken literally.
inline std::string ShellQuote(std::string_view arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A fresh folder under the system's temporary folder, removed with all it holds when the object
// goes.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sorea-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    path_ = made != nullptr ? std::string(made) + "/" : std::string();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Ends in the path separator; empty when no folder could be made.
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + name; }
  bool Write(const std::string& name, std::string_view bytes) const {
    return WriteFile(File(name), bytes);
  }
  std::string Read(const std::string& name) const { return ReadFile(File(name)); }
  bool Exists(const std::string& name) const { return std::filesystem::exists(File(name)); }

 private:
  std::string path_;
};

#ifndef _WIN32  // programs are run through the POSIX shell
struct RunResult {
  int Exit = -1;  // -1 when the program did not end by exiting
  std::string Out, Err;
};

// Runs executable with args, each passed literally, with the environment's NAME=VALUE
// assignments added; returns when it has ended.
inline RunResult RunProgram(const std::string& executable, const std::vector<std::string>& args,
                            const std::vector<std::string>& environment = {}) {
  ScratchFolder output;
  std::string command = environment.empty() ? "" : "/usr/bin/env";
  for (const std::string& assignment : environment) command += " " + ShellQuote(assignment);
  command += " " + ShellQuote(executable);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(output.File("stdout")) + " 2>" + ShellQuote(output.File("stderr"));
  const int status = std::system(command.c_str());
  RunResult result;
  result.Exit = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.Out = output.Read("stdout");
  result.Err = output.Read("stderr");
  return result;
}

// The exit status of RunRestricted when the restriction could not be set up.
inline constexpr int kCannotSetUp = 77;

// Runs body in a child process whose exit status is body's result. With closed set the child
// may not create files in folder: under root it becomes nobody (the folder and its files stay
// root's, and the folder is closed by its mode), otherwise it is the folder's owner with the
// folder made read-only; without it the folder is open to the child. A fileSizeLimit above 0
// makes every write past that many bytes fail (and raise no signal). kCannotSetUp when the
// restriction could not be made.
inline int RunRestricted(const ScratchFolder& folder, bool closed, rlim_t fileSizeLimit,
                         const std::function<int()>& body) {
  const bool root = ::geteuid() == 0;
  ::chmod(folder.Path().c_str(), closed ? 0555 : (root ? 0777 : 0700));
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (root && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
      ::_exit(kCannotSetUp);
    }
    const std::string probe = folder.File("probe");
    if (::mkdir(probe.c_str(), 0700) == 0) {
      ::rmdir(probe.c_str());
      if (closed) ::_exit(kCannotSetUp);
    }
    if (fileSizeLimit > 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{fileSizeLimit, fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(kCannotSetUp);
    }
    ::_exit(body());
  }
  int status = -1;
  if (pid > 0) ::waitpid(pid, &status, 0);
  ::chmod(folder.Path().c_str(), 0700);
  return pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

// What stands at a name in a folder after a file was written: its new bytes, its previous
// ones, the single line "hq", nothing, a folder, a symbolic link, a pipe.
enum class Is { New, Previous, Hq, Absent, Folder, Link, Pipe };

inline void ExpectAt(const ScratchFolder& folder, const std::string& name, Is state,
                     const std::string& newBytes, const std::string& previousBytes) {
  SCOPED_TRACE(name);
  namespace fs = std::filesystem;
  const fs::file_status status = fs::symlink_status(folder.File(name));
  switch (state) {
    case Is::New:
    case Is::Previous:
    case Is::Hq:
      EXPECT_EQ(folder.Read(name), state == Is::New        ? newBytes
                                   : state == Is::Previous ? previousBytes
                                                           : "hq\r\n");
      break;
    case Is::Absent:
      EXPECT_FALSE(fs::exists(status));
      break;
    case Is::Folder:
      EXPECT_TRUE(fs::is_directory(status));
      break;
    case Is::Link:
      EXPECT_TRUE(fs::is_symlink(status));
      break;
    case Is::Pipe:
      EXPECT_TRUE(fs::is_fifo(status));
      break;
  }
}

// Lines joined with CR LF, each ended by one: an exchange file as Jw_cad writes it.
inline std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace sorea::testing
