// One export through the module, as the host runs it: shared by `ruvx export` and `ruvx demo`.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <string>

#include "host/sim/sim_scene.h"

namespace ruvx {

struct ExportFlags {
  bool selected = false;
  std::string configDir;
  std::string modulePath;
  std::string imageDir;
  std::string dataDir;
  std::string scenePath;
};

// Adds --selected, --config-dir, --module, --image-dir, --data-dir and --scene-path to `command`.
void AddExportFlags(CLI::App* command, ExportFlags& flags);

// Exports `scene` to `output` through the module with prompts suppressed and returns the exit
// status: 0 only when the export wrote its file.
int RunExport(sim::SimScene& scene, const std::filesystem::path& output, const ExportFlags& flags);

}  // namespace ruvx
