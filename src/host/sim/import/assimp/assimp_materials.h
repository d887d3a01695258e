// Assimp's materials and textures into the neutral model; embedded textures (FBX media, "*N"
// references) become images written beside the output.
#pragma once

#include <filesystem>
#include <string>

#include "host/sim/import/imported_model.h"

struct aiScene;

namespace sim::import {

// Fills model.materials (one per Assimp material, in order) and model.images. Throws
// SceneFileError naming `fileName` for a texture file that cannot be found.
void ReadAssimpMaterials(const aiScene& scene, const std::string& fileName,
                         const std::filesystem::path& modelFolder,
                         const std::filesystem::path& imageFolder, ImportedModel& model);

}  // namespace sim::import
