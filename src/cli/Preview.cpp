// Placeholder until the subcommand is built; replace this whole file.
#include <cstdio>

#include "cli/CliCommands.h"

namespace sorea::cli {
int RunPreview(const std::vector<std::string>&) {
  std::fputs("sorea-cli: this subcommand is not built yet\n", stderr);
  return 2;
}
}  // namespace sorea::cli
