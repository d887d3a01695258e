// Every format Assimp reads (FBX, COLLADA, OBJ, 3DS, PLY, STL, Blender and the rest) into the
// neutral model, through the Assimp module (assimp_module.h), loaded the first time one is read.
// Assimp only triangulates and joins identical vertices; nothing else changes the data.
#pragma once

#include <filesystem>
#include <string>

#include "host/sim/import/gltf_checks.h"
#include "host/sim/import/import_settings.h"
#include "host/sim/import/imported_model.h"

namespace sim::import {

// Throws SceneFileError naming `fileName`: ReaderModuleError when the module cannot be loaded.
ImportedModel ReadAssimpFile(const std::filesystem::path& path, const std::string& fileName,
                             const ImportSettings& settings);

// A glTF 1.0 file, which the glTF reader refused with `version1`, through Assimp's reader of it;
// always Y-up, as glTF 2.0. Without Assimp, `version1` itself is thrown (it names the version).
ImportedModel ReadGltf1File(const std::filesystem::path& path, const std::string& fileName,
                            const ImportSettings& settings, const GltfVersion1Error& version1);

}  // namespace sim::import
