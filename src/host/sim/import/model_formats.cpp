#include "host/sim/import/model_formats.h"

#include <algorithm>

namespace sim::import {

std::vector<std::string> ModelFileExtensions() {
  std::vector<std::string> extensions = AssimpFileExtensions();
  extensions.push_back(".gltf");
  extensions.push_back(".glb");
  // Scene files are read by the scene loader whatever Assimp claims.
  std::erase(extensions, ".json");
  std::sort(extensions.begin(), extensions.end());
  extensions.erase(std::unique(extensions.begin(), extensions.end()), extensions.end());
  return extensions;
}

}  // namespace sim::import
