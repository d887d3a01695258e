// Every format Assimp reads (FBX, COLLADA, OBJ, 3DS, PLY, STL, Blender and the rest) into the
// neutral model. Assimp only triangulates and joins identical vertices; nothing else changes the
// data.
#pragma once

#include <filesystem>
#include <string>

#include "host/sim/import/imported_model.h"
#include "host/sim/import/model_import.h"

namespace sim::import {

// Throws SceneFileError naming `fileName`.
ImportedModel ReadAssimpFile(const std::filesystem::path& path, const std::string& fileName,
                             const ImportSettings& settings);

}  // namespace sim::import
