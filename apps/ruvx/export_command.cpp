// ruvx export: loads a scene file, or imports a model file, into the in-memory host and exports it
// through the module.
#include <iostream>
#include <string_view>

#include "commands.h"
#include "exit_status.h"
#include "export_run.h"
#include "host/sim/import/model_import.h"
#include "host/sim/scene_file_error.h"
#include "host/sim/scene_loader.h"
#include "platform/file_system.h"

namespace ruvx {
namespace {

struct ExportArguments {
  std::string scene;
  std::string output;
  float importScale = 1.0f;
  std::string up;
  ExportFlags flags;
};

// Writes the model's embedded images beside the output, each whole or not at all.
int WriteImages(const std::vector<sim::import::EmbeddedImage>& images,
                const std::filesystem::path& folder) {
  for (const auto& image : images) {
    std::filesystem::path target = folder / image.fileName;
    std::string_view bytes(reinterpret_cast<const char*>(image.bytes.data()), image.bytes.size());
    if (!platform::WriteFileAtomically(target, bytes)) {
      std::cerr << "ruvx: cannot write the embedded image " << target.string() << "\n";
      return kExitWriteFailed;
    }
  }
  return kExitSuccess;
}

int RunExportCommand(const ExportArguments& arguments) {
  std::filesystem::path output(arguments.output);
  std::unique_ptr<sim::SimScene> scene;
  sim::import::ImportedScene imported;
  try {
    if (sim::import::IsModelFile(arguments.scene)) {
      sim::import::ImportSettings settings;
      settings.scale = arguments.importScale;
      settings.up = arguments.up == "y"   ? sim::import::UpAxis::kY
                    : arguments.up == "z" ? sim::import::UpAxis::kZ
                                          : sim::import::UpAxis::kFromFile;
      std::error_code error;
      settings.imageFolder = std::filesystem::absolute(output, error).parent_path();
      imported = sim::import::ImportModelFile(arguments.scene, settings);
      scene = std::move(imported.scene);
      for (const std::string& line : imported.warnings) {
        std::cerr << "ruvx: warning: " << arguments.scene << ": " << line << "\n";
      }
    } else {
      scene = sim::LoadSceneFile(arguments.scene);
    }
  } catch (const std::exception& failure) {
    std::cerr << "ruvx: " << failure.what() << "\n";
    return kExitBadInput;
  }
  std::filesystem::path imageFolder = std::filesystem::absolute(output).parent_path();
  return RunExport(*scene, output, arguments.flags,
                   [&] { return WriteImages(imported.images, imageFolder); });
}

}  // namespace

void AddExportCommand(CLI::App& app, int& exitStatus) {
  auto arguments = std::make_shared<ExportArguments>();
  CLI::App* command = app.add_subcommand(
      "export", "Export a scene file or a model file to a .x file through ruv.dle");
  command
      ->add_option("SCENE", arguments->scene,
                   "Scene file (.json, see docs/scene-format.md) or model file (glTF, FBX, "
                   "COLLADA, OBJ, ... see docs/import.md)")
      ->required();
  command->add_option("OUT", arguments->output, "The .x file to write")->required();
  command->add_option("--import-scale", arguments->importScale, "Scale of an imported model")
      ->check(CLI::PositiveNumber);
  command
      ->add_option("--up", arguments->up,
                   "Up axis of an imported model whose format leaves it open")
      ->check(CLI::IsMember({"y", "z"}));
  AddExportFlags(command, arguments->flags);
  command->callback([arguments, &exitStatus] { exitStatus = RunExportCommand(*arguments); });
}

}  // namespace ruvx
