// The ruvx sub-commands. Each Add*Command registers its sub-command on the application; when the
// sub-command runs, it stores the process exit status in `exitStatus` (see README, "Exit status").
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace ruvx {

void AddExportCommand(CLI::App& app, int& exitStatus);
void AddDemoCommand(CLI::App& app, int& exitStatus);
void AddOptionsCommand(CLI::App& app, int& exitStatus);
void AddDumpCommand(CLI::App& app, int& exitStatus);
void AddConvertCommand(CLI::App& app, int& exitStatus);
void AddPreviewCommand(CLI::App& app, int& exitStatus);
void AddBatchCommand(CLI::App& app, int& exitStatus);

// What `ruvx --version` prints: this program's version and the version of the module beside it.
std::string VersionText();

}  // namespace ruvx
