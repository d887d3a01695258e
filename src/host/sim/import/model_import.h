// Model files (glTF, and every format Assimp reads) imported into the in-memory host: the result
// is the same kind of scene the JSON loader builds, so the exporter cannot tell them apart.
//
//   ImportSettings settings{.imageFolder = outputFolder};
//   ImportedScene imported = ImportModelFile("robot.glb", settings);   // throws SceneFileError
//   for (const EmbeddedImage& image : imported.images) ...write beside the output...
//   for (const std::string& line : imported.warnings) ...tell the user...
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/sim/import/import_settings.h"
#include "host/sim/import/imported_model.h"
#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/sim_scene.h"

namespace sim::import {

// The readers a model's format needs are in a module that cannot be loaded: a fault of the
// installation rather than of the file. The problem names the module's file and the reason.
class ReaderModuleError : public SceneFileError {
 public:
  using SceneFileError::SceneFileError;
};

struct ImportedScene {
  std::unique_ptr<SimScene> scene;
  // Images held inside the model, to be written into ImportSettings::imageFolder.
  std::vector<EmbeddedImage> images;
  // One clip per animation of the model, laid end to end within the scene's animation range.
  std::vector<ImportedClip> clips;
  // What the scene does not carry, one line each.
  std::vector<std::string> warnings;
  // How many nodes have a mesh with vertex colours (which the exporter writes only when asked).
  std::size_t coloredMeshes = 0;
};

// Whether `path` names a model file rather than a scene file (by its extension: anything but
// .json).
bool IsModelFile(const std::filesystem::path& path);

// Reads the model at `path` (glTF 2.0 .gltf/.glb through tinygltf, .x through our own reader,
// anything else through Assimp). Throws SceneFileError naming the file and the problem
// (ReaderModuleError when Assimp's module cannot be loaded); nothing is written.
ImportedScene ImportModelFile(const std::filesystem::path& path, const ImportSettings& settings);

}  // namespace sim::import
