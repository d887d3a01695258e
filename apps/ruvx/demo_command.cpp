// ruvx demo: exports the scene bundled in ruvx, with the same flags as `ruvx export`.
#include <iostream>

#include "commands.h"
#include "demo_scene.h"
#include "exit_status.h"
#include "export_run.h"
#include "host/sim/scene_file/scene_loader.h"

namespace ruvx {
namespace {

struct DemoArguments {
  std::string output = "demo.x";
  ExportFlags flags;
};

int RunDemoCommand(const DemoArguments& arguments) {
  std::unique_ptr<sim::SimScene> scene;
  try {
    scene = sim::LoadSceneText(DemoSceneText(), "the bundled demo scene");
  } catch (const std::exception& failure) {
    std::cerr << "ruvx: " << failure.what() << "\n";
    return kExitBadInput;
  }
  return RunExport(*scene, arguments.output, arguments.flags);
}

}  // namespace

void AddDemoCommand(CLI::App& app, int& exitStatus) {
  auto arguments = std::make_shared<DemoArguments>();
  CLI::App* command = app.add_subcommand("demo", "Export the demo scene bundled in ruvx");
  command->add_option("OUT", arguments->output, "The .x file to write")->capture_default_str();
  AddExportFlags(command, arguments->flags);
  command->callback([arguments, &exitStatus] { exitStatus = RunDemoCommand(*arguments); });
}

}  // namespace ruvx
