// What suites that work on files and run programs share: whole files read and written, a
// scratch folder removed after the test, and an executable run with its exit code, stdout and
// stderr captured.
#pragma once

#include <stdlib.h>
#ifndef _WIN32
#include <sys/wait.h>
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
#endif

// Lines joined with CR LF, each ended by one: an exchange file as Jw_cad writes it.
inline std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace sorea::testing
