// A glTF 2.0 file (.gltf with its external or data-URI buffers, or .glb) read into tinygltf's
// document, after the checks tinygltf leaves to its caller: the file's size, the JSON's nesting,
// repeated keys and member types (gltf_checks.h). Images are kept as their bytes or their URI,
// never decoded.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/sim/import/gltf_checks.h"
#include "host/sim/import/tiny_gltf_config.h"

namespace sim::import {

// Reads `path`; `binary` chooses the .glb container. Throws SceneFileError naming `fileName`
// (GltfVersion1Error for a glTF 1.0 file). Warnings of the parser are appended to `warnings`.
tinygltf::Model LoadGltf(const std::filesystem::path& path, bool binary,
                         const std::string& fileName, std::vector<std::string>& warnings);

// The same from bytes in memory (for the fuzz target); relative URIs resolve against `baseFolder`.
tinygltf::Model LoadGltfBytes(const std::string& bytes, bool binary, const std::string& fileName,
                              const std::filesystem::path& baseFolder,
                              std::vector<std::string>& warnings);

}  // namespace sim::import
