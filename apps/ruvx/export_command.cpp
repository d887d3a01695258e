#include "commands.h"

namespace ruvx {

// Placeholder until the command lands.
void AddExportCommand(CLI::App& app, int& exitStatus) {
  app.add_subcommand("export", "(not yet available)")->callback([&exitStatus] { exitStatus = 2; });
}

}  // namespace ruvx
