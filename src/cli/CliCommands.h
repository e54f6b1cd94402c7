// The subcommands of sorea-cli. Arguments are UTF-8; each returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace sorea::cli {

// sorea-cli inspect FILE
int RunInspect(const std::vector<std::string>& args);
// sorea-cli [--folder DIR] [--set NAME=VALUE]... [--press ok|cancel] [--print-state]
int RunHeadless(const std::vector<std::string>& args);
// sorea-cli preview IN [--output OUT.svg] [--png OUT.png] [--before BEFORE.TXT]
int RunPreview(const std::vector<std::string>& args);

}  // namespace sorea::cli
