#include "commands.h"

namespace ruvx {

// Placeholder until the command lands.
void AddDemoCommand(CLI::App& app, int& exitStatus) {
  app.add_subcommand("demo", "(not yet available)")->callback([&exitStatus] { exitStatus = 2; });
}

}  // namespace ruvx
