// The "materials" list of a scene file, and the nodes' references into it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "host/sim/material_builder.h"
#include "host/sim/scene_file/json_place.h"

namespace sim {

// The file's materials by id.
using MaterialTable = std::map<std::string, MaterialBuilder>;

// Reads the optional "materials" list. Every entry has a unique id (its name when not given);
// sub-materials name existing ids, and no material contains itself at any depth nor lies more than
// SceneLimits::kMaxMaterialDepth levels deep. File paths resolve against `baseFolder`.
MaterialTable ReadMaterials(const std::optional<JsonPlace>& materials,
                            const std::filesystem::path& baseFolder);

// A node's "material": the id of an entry of `table`.
MaterialBuilder LookUpMaterial(const JsonPlace& reference, const MaterialTable& table);

}  // namespace sim
