#include "commands.h"

namespace ruvx {

// Placeholder until the command lands.
void AddDumpCommand(CLI::App& app, int& exitStatus) {
  app.add_subcommand("dump", "(not yet available)")->callback([&exitStatus] { exitStatus = 2; });
}

}  // namespace ruvx
