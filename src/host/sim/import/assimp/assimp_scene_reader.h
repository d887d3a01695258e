// Every format Assimp reads (FBX, COLLADA, OBJ, 3DS, PLY, STL, Blender and the rest) into the
// neutral model. Assimp only triangulates and joins identical vertices; nothing else changes the
// data. Inside the Assimp module only: the importer reaches these through assimp_module.h.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/sim/import/import_settings.h"
#include "host/sim/import/imported_model.h"

namespace sim::import {

// Throws SceneFileError naming `fileName`.
ImportedModel ReadWithAssimp(const std::filesystem::path& path, const std::string& fileName,
                             const ImportSettings& settings);

// The extensions Assimp reads, lower case with the dot (".fbx"), as Assimp lists them.
std::vector<std::string> AssimpExtensionList();

}  // namespace sim::import
