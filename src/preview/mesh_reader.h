// A Mesh object and its children (normals, texture coordinates, vertex colours, material list,
// skin weights) turned into a PreviewMesh.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "preview/preview_scene.h"
#include "xof/data_object.h"

namespace preview {

struct MeshReadContext {
  // Finds a top-level object by name, for references such as `{ Material }`; null when none.
  std::function<const xof::DataObject*(const std::string&)> findNamed;
  std::filesystem::path textureFolder;  // the .x file's folder
  std::vector<std::string>* warnings = nullptr;
};

PreviewMesh ReadMesh(const xof::DataObject& mesh, int frame, const MeshReadContext& context);

// Where a texture named in a file is found: the name as a path relative to the folder, else its
// last component (either separator) in the folder. Empty when neither exists.
std::filesystem::path FindTexture(const std::string& name, const std::filesystem::path& folder);

}  // namespace preview
