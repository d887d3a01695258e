#include "host/sim/import/model_import.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "host/interface.h"
#include "host/sim/import/animation_timeline.h"
#include "host/sim/import/assimp_reader.h"
#include "host/sim/import/gltf_loader.h"
#include "host/sim/import/gltf_reader.h"
#include "host/sim/import/model_assembly.h"
#include "host/sim/import/model_files.h"
#include "host/sim/import/model_repair.h"
#include "host/sim/import/xfile_reader.h"
#include "platform/file_system.h"
#include "platform/host_path.h"

namespace sim::import {

namespace {

std::string LowerExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

ImportedModel ReadGltfFile(const std::filesystem::path& path, bool binary,
                           const std::string& fileName, const ImportSettings& settings) {
  ImportedModel model;
  tinygltf::Model document = LoadGltf(path, binary, fileName, model.warnings);
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
  GltfContext context{document,
                      GltfAccessors(document, fileName),
                      fileName,
                      error ? path.parent_path() : folder,
                      settings.imageFolder,
                      model};
  ReadGltfModel(context);
  return model;
}

// The model itself must be a regular file within the size limit; a pipe under its name is refused
// rather than waited on.
void CheckModelFile(const std::filesystem::path& path, const std::string& fileName) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw SceneFileError(fileName, "", "is a folder, not a model file");
  }
  std::string problem;
  int fd = platform::OpenRegularFile(path, kMaxModelFileBytes, &problem);
  if (fd < 0) {
    throw SceneFileError(fileName, "",
                         problem.empty() ? "does not exist" : "cannot be read: " + problem);
  }
  ::close(fd);
}

}  // namespace

bool IsModelFile(const std::filesystem::path& path) { return LowerExtension(path) != ".json"; }

ImportedScene ImportModelFile(const std::filesystem::path& path, const ImportSettings& settings) {
  std::string fileName = path.string();
  if (!std::isfinite(settings.scale) || settings.scale <= 0) {
    throw SceneFileError(fileName, "", "the import scale must be a finite number above 0");
  }
  CheckModelFile(path, fileName);
  std::error_code error;
  std::string extension = LowerExtension(path);
  ImportedModel model;
  if (extension == ".gltf" || extension == ".glb") {
    try {
      model = ReadGltfFile(path, extension == ".glb", fileName, settings);
    } catch (const GltfVersion1Error& version1) {
      model = ReadGltf1File(path, fileName, settings, version1);
    }
    if (settings.up == UpAxis::kZ) {
      model.warnings.push_back("--up z is ignored: glTF models are always Y-up");
    }
  } else if (extension == ".x") {
    model = ReadXFileModel(path, fileName, settings);
  } else {
    model = ReadAssimpFile(path, fileName, settings);
  }
  RepairModel(model);
  LayOutClips(model, fileName);
  ImportedScene result;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  result.scene = AssembleScene(model, settings.scale, fileName,
                               platform::ToHostPath((error ? path : absolute).lexically_normal()));
  // The exporter looks for missing textures by name in the host's folders: for a model, its own.
  std::wstring folder = platform::ToHostPath(ModelFolder::Of(path).Path());
  result.scene->Host().SetDir(APP_IMAGE_DIR, folder);
  result.scene->Host().SetDir(APP_MAXDATA_DIR, folder);
  for (const ImportedNode& node : model.nodes) {
    bool colored = std::any_of(node.parts.begin(), node.parts.end(), [&](int part) {
      return !model.parts[static_cast<std::size_t>(part)].colors.empty();
    });
    result.coloredMeshes += colored ? 1 : 0;
  }
  result.images = std::move(model.images);
  result.warnings = std::move(model.warnings);
  result.clips = std::move(model.clips);
  return result;
}

}  // namespace sim::import
