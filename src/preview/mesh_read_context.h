// What reading a mesh and its materials needs of the whole file: named objects, the texture folder
// and where warnings go.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "xof/data_object.h"

namespace preview {

struct MeshReadContext {
  // Finds a top-level object by name, for references such as `{ Material }`; null when none.
  std::function<const xof::DataObject*(const std::string&)> findNamed;
  std::filesystem::path textureFolder;  // the .x file's folder
  std::vector<std::string>* warnings = nullptr;
};

}  // namespace preview
