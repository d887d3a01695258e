// ruvx export: loads a scene file into the in-memory host and exports it through the module.
#include <iostream>

#include "commands.h"
#include "exit_status.h"
#include "export_run.h"
#include "host/sim/scene_file_error.h"
#include "host/sim/scene_loader.h"

namespace ruvx {
namespace {

struct ExportArguments {
  std::string scene;
  std::string output;
  ExportFlags flags;
};

int RunExportCommand(const ExportArguments& arguments) {
  std::unique_ptr<sim::SimScene> scene;
  try {
    scene = sim::LoadSceneFile(arguments.scene);
  } catch (const std::exception& failure) {
    std::cerr << "ruvx: " << failure.what() << "\n";
    return kExitBadInput;
  }
  return RunExport(*scene, arguments.output, arguments.flags);
}

}  // namespace

void AddExportCommand(CLI::App& app, int& exitStatus) {
  auto arguments = std::make_shared<ExportArguments>();
  CLI::App* command =
      app.add_subcommand("export", "Export a scene file to a .x file through ruv.dle");
  command->add_option("SCENE", arguments->scene, "Scene file (JSON, see docs/scene-format.md)")
      ->required();
  command->add_option("OUT", arguments->output, "The .x file to write")->required();
  AddExportFlags(command, arguments->flags);
  command->callback([arguments, &exitStatus] { exitStatus = RunExportCommand(*arguments); });
}

}  // namespace ruvx
