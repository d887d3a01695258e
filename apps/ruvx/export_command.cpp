// ruvx export: loads a scene file, or imports a model file, into the in-memory host and exports it
// through the module.
#include <iostream>
#include <string_view>

#include "commands.h"
#include "config_folder.h"
#include "exit_status.h"
#include "export_record.h"
#include "export_run.h"
#include "host/sim/import/model_import.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_loader.h"
#include "image_files.h"
#include "platform/file_system.h"
#include "run_options.h"
#include "temporary_folder.h"

namespace ruvx {
namespace {

struct ExportArguments {
  std::string scene;
  std::string output;
  float importScale = 1.0f;
  std::string up;
  bool keepClips = false;
  bool saveClips = false;
  std::string record;
  ExportFlags flags;
};

// The model's animations as the exporter's clips; a control character (which the options file
// cannot hold) becomes '_'.
AnimationClips ClipsOf(const std::vector<sim::import::ImportedClip>& imported) {
  AnimationClips clips;
  for (const auto& clip : imported) {
    std::wstring name = clip.name;
    for (wchar_t& c : name) {
      if (c < 0x20 || c == 0x7F) c = L'_';
    }
    clips.push_back({name, clip.startFrame, clip.endFrame});
  }
  return clips;
}

// Which clips this export uses: a model's (unless --keep-clips), none for a model without
// animations, and --save-clips stores them in the options file. Returns an exit status other than
// success when that fails.
int ChooseClips(const ExportArguments& arguments, bool model,
                const sim::import::ImportedScene& imported, int frameRate, ExportFlags& flags) {
  if (imported.clips.empty()) {
    if (arguments.saveClips)
      std::cerr << "ruvx: warning: --save-clips: the model has no animations\n";
    // The options file's clips would only give a still model animation sets that move nothing.
    if (model && !arguments.keepClips && !flags.dialog) flags.clips = AnimationClips();
    return kExitSuccess;
  }
  if (arguments.keepClips) return kExitSuccess;
  AnimationClips clips = ClipsOf(imported.clips);
  if (arguments.saveClips) {
    std::optional<std::filesystem::path> folder = ConfigFolder(flags.configDir);
    std::optional<std::string> problem =
        folder
            ? SaveClips(*folder, clips, frameRate)
            : std::optional<std::string>("no configuration folder: give --config-dir, or set HOME");
    if (problem) {
      std::cerr << "ruvx: --save-clips: " << *problem << "; nothing written\n";
      return kExitWriteFailed;
    }
    flags.clipsSaved = true;
  }
  if (flags.dialog) {
    // The dialog edits and saves the options file's own clips.
    if (!arguments.saveClips) {
      std::cerr << "ruvx: warning: --dialog shows the options file's clips: the model's "
                << clips.size() << " animations are not used (--save-clips stores them there)\n";
    }
    return kExitSuccess;
  }
  flags.clips = std::move(clips);
  return kExitSuccess;
}

// The exporter leaves vertex colours out unless VertexColor is on: the run says so, and how to keep
// them. The dialog shows the option itself.
void WarnUnwrittenColors(const std::string& model, std::size_t coloredMeshes,
                         const ExportFlags& flags, int frameRate) {
  if (coloredMeshes == 0 || flags.dialog) return;
  std::optional<std::filesystem::path> folder = ConfigFolder(flags.configDir);
  if (!folder) return;
  std::optional<ExportOptions> options = OptionsOfRun(*folder, flags.sets, frameRate);
  if (!options || options->VertexColor != 0) return;
  std::cerr << "ruvx: warning: " << model << ": " << coloredMeshes
            << (coloredMeshes == 1 ? " mesh has" : " meshes have")
            << " vertex colours, which VertexColor=0 leaves out of the file: --set "
               "VertexColor=1 keeps them\n";
}

// Whether this run's export converts textures (TextureConvert, with texture files written). The
// dialog decides only once the model is imported, so a run with it never counts.
bool ConvertsTextures(const ExportFlags& flags) {
  if (flags.dialog) return false;
  std::optional<std::filesystem::path> folder = ConfigFolder(flags.configDir);
  if (!folder) return false;
  // The frame rate only sets SampleRate's default, which does not matter here.
  constexpr int kAnyFrameRate = 30;
  std::optional<ExportOptions> options = OptionsOfRun(*folder, flags.sets, kAnyFrameRate);
  return options && options->Mtl && options->TextureFiles && options->TextureConvert &&
         options->TextureFormat >= 0 && options->TextureFormat <= 4;
}

int RunExportCommand(const ExportArguments& arguments) {
  std::filesystem::path output(arguments.output);
  std::unique_ptr<sim::SimScene> scene;
  sim::import::ImportedScene imported;
  std::filesystem::path imageFolder = std::filesystem::absolute(output).parent_path();
  // A model's embedded images are then the export's sources, not its files: they wait in a folder
  // of their own, so that beside the output lie only the converted files.
  std::optional<TemporaryFolder> sources;
  try {
    if (sim::import::IsModelFile(arguments.scene)) {
      if (ConvertsTextures(arguments.flags)) {
        sources.emplace("ruvx-images");
        if (!sources->Path().empty()) imageFolder = sources->Path();
      }
      sim::import::ImportSettings settings;
      settings.scale = arguments.importScale;
      settings.up = arguments.up == "y"   ? sim::import::UpAxis::kY
                    : arguments.up == "z" ? sim::import::UpAxis::kZ
                                          : sim::import::UpAxis::kFromFile;
      settings.imageFolder = imageFolder;
      imported = sim::import::ImportModelFile(arguments.scene, settings);
      scene = std::move(imported.scene);
      for (const std::string& line : imported.warnings) {
        std::cerr << "ruvx: warning: " << arguments.scene << ": " << line << "\n";
      }
    } else {
      if (arguments.importScale != 1.0f || !arguments.up.empty()) {
        std::cerr << "ruvx: warning: --import-scale and --up apply to model files only\n";
      }
      scene = sim::LoadSceneFile(arguments.scene);
    }
  } catch (const std::bad_alloc&) {
    // Not a fault of the file: the run ends as out of memory (main), not as bad input.
    throw;
  } catch (const sim::import::ReaderModuleError& failure) {
    // Nor is a reader that cannot be loaded.
    std::cerr << "ruvx: " << failure.what() << "\n";
    return kExitModule;
  } catch (const std::exception& failure) {
    std::cerr << "ruvx: " << failure.what() << "\n";
    return kExitBadInput;
  }
  ExportFlags flags = arguments.flags;
  // An imported model's keys fall where its source put them, between frames too. Its export takes
  // the keys at their own times, so that nothing between two frames is cut; the importer gives
  // every curve a key at each frame, so curves are followed frame by frame. This run's --set may
  // still say otherwise: its settings come after this one.
  if (!imported.clips.empty() && !flags.dialog)
    flags.sets.insert(flags.sets.begin(), "KeyFrames=1");
  const bool model = sim::import::IsModelFile(arguments.scene);
  if (int status = ChooseClips(arguments, model, imported, scene->Host().GetFrameRate(), flags);
      status != kExitSuccess) {
    return status;
  }
  WarnUnwrittenColors(arguments.scene, imported.coloredMeshes, flags, scene->Host().GetFrameRate());
  ImageFiles images;
  int status = RunExport(*scene, output, flags,
                         [&] { return images.Write(imported.images, imageFolder, output); });
  if (status != kExitSuccess && status != kExitIncomplete) images.TakeBack();
  return status;
}

// The export with its record (--record): written first as unfinished, completed at the end, out of
// memory included.
int RunRecordedExport(const ExportArguments& arguments) {
  ExportRecorder recorder(arguments.record, arguments.scene, arguments.output);
  if (auto problem = recorder.Start()) {
    std::cerr << "ruvx: --record: " << *problem << "; nothing exported\n";
    return kExitWriteFailed;
  }
  int status = kExitNothingWritten;
  std::string reason;
  try {
    status = RunExportCommand(arguments);
  } catch (const std::bad_alloc&) {
    std::cerr << "ruvx: out of memory\n";
    reason = "out of memory";
  }
  if (auto problem = recorder.Finish(status, reason)) {
    std::cerr << "ruvx: --record: " << *problem << "\n";
    if (status == kExitSuccess) status = kExitWriteFailed;
  }
  return status;
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
  CLI::Option* keep =
      command->add_flag("--keep-clips", arguments->keepClips,
                        "Export the options file's clips rather than the model's animations");
  command
      ->add_flag("--save-clips", arguments->saveClips,
                 "Store the model's animations as the clips of the options file too")
      ->excludes(keep);
  command
      ->add_option("--record", arguments->record,
                   "Also write this export's record (status, messages, counts, time, memory) as "
                   "JSON, for `ruvx batch --merge-reports`")
      ->type_name("FILE.json");
  AddExportFlags(command, arguments->flags);
  command->callback([arguments, &exitStatus] {
    exitStatus =
        arguments->record.empty() ? RunExportCommand(*arguments) : RunRecordedExport(*arguments);
  });
}

}  // namespace ruvx
