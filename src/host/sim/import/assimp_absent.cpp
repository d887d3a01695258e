// A build without Assimp reads glTF only; every other format is refused by name.
#ifndef RUV_HAVE_ASSIMP
#include "host/sim/import/assimp_reader.h"
#include "host/sim/scene_file_error.h"

namespace sim::import {

ImportedModel ReadAssimpFile(const std::filesystem::path&, const std::string& fileName,
                             const ImportSettings&) {
  throw SceneFileError(
      fileName, "", "this build of ruvx reads glTF models only (.gltf, .glb): Assimp is missing");
}

}  // namespace sim::import
#endif  // RUV_HAVE_ASSIMP
