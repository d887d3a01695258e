#include "commands.h"

namespace ruvx {

// Placeholder until the command lands.
void AddConvertCommand(CLI::App& app, int& exitStatus) {
  app.add_subcommand("convert", "(not yet available)")->callback([&exitStatus] { exitStatus = 2; });
}

}  // namespace ruvx
