// The JSON of a glTF file checked before tinygltf reads it. tinygltf passes over a member of the
// wrong type as if it were absent (a string for a number, an object for an array, -1 for an
// index), so a broken file would import as a different model without a word; these checks refuse
// it instead, naming the member by its JSON pointer.
#pragma once

#include <string>
#include <string_view>

#include "host/sim/scene_file/scene_file_error.h"

namespace sim::import {

// A glTF 1.0 file, which tinygltf does not read; the message names the version.
class GltfVersion1Error : public SceneFileError {
 public:
  using SceneFileError::SceneFileError;
};

// Checks the JSON text of a glTF file: its nesting and repeated keys (as scene files), its
// version (GltfVersion1Error for 1.0), the extensions it requires, and the type of every member
// of glTF 2.0 that the import reads (and of every extension object). Throws SceneFileError naming
// `fileName` and the member.
void CheckGltfJson(std::string_view json, const std::string& fileName);

// Whether the import keeps the meaning of the extension (or safely does without it).
bool IsUnderstoodGltfExtension(std::string_view name);

}  // namespace sim::import
