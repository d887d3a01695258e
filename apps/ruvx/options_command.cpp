#include "commands.h"

namespace ruvx {

// Placeholder until the command lands.
void AddOptionsCommand(CLI::App& app, int& exitStatus) {
  app.add_subcommand("options", "(not yet available)")->callback([&exitStatus] { exitStatus = 2; });
}

}  // namespace ruvx
