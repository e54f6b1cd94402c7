#include "cli/Arguments.h"

#include <cstdio>

namespace sorea::cli {

int UsageError(const CommandUsage& usage, std::string_view problem) {
  std::fprintf(stderr, "%.*s: %.*s\n%.*s", static_cast<int>(usage.Command.size()),
               usage.Command.data(), static_cast<int>(problem.size()), problem.data(),
               static_cast<int>(usage.Text.size()), usage.Text.data());
  return kUsageError;
}

bool Arguments::Next() {
  if (started_) ++at_;
  started_ = true;
  if (problem_ || help_ || at_ >= args_.size()) return false;
  help_ = Is("--help", "-h");
  return !help_;
}

bool Arguments::Is(std::string_view name, std::string_view shortName) const {
  return Current() == name || (!shortName.empty() && Current() == shortName);
}

std::optional<std::string> Arguments::Value(std::string_view what) {
  if (at_ + 1 >= args_.size() || args_[at_ + 1].empty()) {
    Problem(Current() + " needs " + std::string(what));
    return std::nullopt;
  }
  return args_[++at_];
}

bool Arguments::ValueOnce(std::optional<std::string>& value, std::string_view what) {
  std::optional<std::string> given = Value(what);
  if (!given) return false;
  if (value) {
    Problem(args_[at_ - 1] + " given twice");
    return false;
  }
  value = std::move(given);
  return true;
}

void Arguments::Positional(std::optional<std::string>& value, std::string_view what) {
  if (Current().empty()) {
    Problem("an empty name for the " + std::string(what));
  } else if (value) {
    Problem("more than one " + std::string(what));
  } else {
    value = Current();
  }
}

void Arguments::Unknown() {
  Problem("unknown option: " + Current());
}

void Arguments::Problem(std::string problem) {
  if (!problem_ && !help_) problem_ = std::move(problem);
}

std::optional<int> Arguments::Finish() const {
  if (problem_) return UsageError(usage_, *problem_);
  if (help_) {
    std::fwrite(usage_.Text.data(), 1, usage_.Text.size(), stdout);
    return 0;
  }
  return std::nullopt;
}

}  // namespace sorea::cli
