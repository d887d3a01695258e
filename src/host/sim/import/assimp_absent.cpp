// A build without Assimp reads glTF and .x models only; every other format is refused by name.
#include "host/sim/import/assimp_reader.h"
#include "host/sim/import/model_formats.h"
#include "host/sim/scene_file/scene_file_error.h"

namespace sim::import {

ImportedModel ReadAssimpFile(const std::filesystem::path&, const std::string& fileName,
                             const ImportSettings&) {
  throw SceneFileError(fileName, "",
                       "this build of ruvx reads glTF and .x models only (.gltf, .glb, .x): "
                       "Assimp is missing");
}

ImportedModel ReadGltf1File(const std::filesystem::path&, const std::string&, const ImportSettings&,
                            const GltfVersion1Error& version1) {
  throw version1;
}

std::vector<std::string> AssimpFileExtensions() { return {}; }

}  // namespace sim::import
