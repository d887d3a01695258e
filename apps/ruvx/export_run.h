// One export through the module, as the host runs it: shared by `ruvx export` and `ruvx demo`.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/sim/sim_scene.h"
#include "ruv/options/export_options.h"

namespace ruvx {

struct ExportFlags {
  bool selected = false;
  std::string configDir;
  std::string modulePath;
  std::string imageDir;
  std::string dataDir;
  std::string scenePath;
  // This run's options over the options file (run_options.h).
  std::vector<std::string> sets;
  std::string format;
  // This run's clips, in place of the options file's (an imported model's animations).
  std::optional<AnimationClips> clips;
  // Show the options dialog before the export and save the options after it.
  bool dialog = false;
  // The options file already holds this run's clips (--save-clips), whatever the export does.
  bool clipsSaved = false;
};

// Adds --selected, --config-dir, --module, --image-dir, --data-dir, --scene-path, --set, --format
// and --dialog to `command`.
void AddExportFlags(CLI::App* command, ExportFlags& flags);

// Exports `scene` to `output` through the module and returns the exit status: 0 only when the
// export wrote its file. Prompts are suppressed unless the flags ask for the dialog.
// `beforeExport`, when given, runs once every argument has been checked and the module loaded, just
// before the export; a non-zero status from it ends the run with that status.
int RunExport(sim::SimScene& scene, const std::filesystem::path& output, const ExportFlags& flags,
              const std::function<int()>& beforeExport = {});

}  // namespace ruvx
