// The file extensions of the model formats this build imports, for a search of folders: glTF's,
// and Assimp's when it is built in.
#pragma once

#include <string>
#include <vector>

namespace sim::import {

// Lower case with the dot (".fbx"), sorted, each once. Scene files (".json") are not models.
// Asks the Assimp module, loading it: throws ReaderModuleError (model_import.h) when it cannot be
// loaded.
std::vector<std::string> ModelFileExtensions();

// The extensions Assimp reads, lower case with the dot; none without Assimp.
std::vector<std::string> AssimpFileExtensions();

}  // namespace sim::import
