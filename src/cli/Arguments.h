// A command's arguments read one by one: options with a value, flags and positional arguments
// in any order, --help, and misuse reported one way: the problem and the usage on stderr, exit
// code 2, before the command has read or written anything.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorea::cli {

struct CommandUsage {
  std::string_view Command;  // "sorea-cli", "sorea-cli preview": begins the problem's line
  std::string_view Text;     // the usage, ending in a line break
};

inline constexpr int kUsageError = 2;

// Reports a problem with the arguments found by the command itself; returns kUsageError.
int UsageError(const CommandUsage& usage, std::string_view problem);

class Arguments {
 public:
  Arguments(const std::vector<std::string>& args, const CommandUsage& usage)
      : args_(args), usage_(usage) {}

  // Moves to the next argument; false once all are read, at --help or -h, or after a problem.
  bool Next();
  const std::string& Current() const { return args_[at_]; }
  // Whether the current argument is the option name, or its short form.
  bool Is(std::string_view name, std::string_view shortName = {}) const;
  bool IsOption() const { return Current().size() > 1 && Current()[0] == '-'; }

  // The current option's value, the argument after it, which must be there and not be empty
  // ("--output needs a file name" names it by what); nullopt after a problem.
  std::optional<std::string> Value(std::string_view what);
  // The same for an option given at most once, into value; false after a problem.
  bool ValueOnce(std::optional<std::string>& value, std::string_view what);
  // The current argument as the one positional argument of its kind.
  void Positional(std::optional<std::string>& value, std::string_view what);
  void Unknown();
  // The first problem found is the one reported; after --help none is.
  void Problem(std::string problem);

  // After the arguments are read: the exit code to end the command with, once the usage is
  // printed (stdout for --help, exit 0) or the problem reported; nullopt when the command runs.
  std::optional<int> Finish() const;

 private:
  const std::vector<std::string>& args_;
  CommandUsage usage_;
  std::size_t at_ = 0;
  bool started_ = false;
  bool help_ = false;
  std::optional<std::string> problem_;
};

}  // namespace sorea::cli
