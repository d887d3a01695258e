// The scene root and the flat node list of a scene file, turned into the builder's hierarchy.
#pragma once

#include <optional>

#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/json_place.h"
#include "host/sim/scene_file/material_reader.h"

namespace sim {

// `root` is the optional "root" object (name, transform); `nodes` the optional "nodes" array. Each
// node names its parent by id; the parents must exist, must not form a cycle, and must keep the
// hierarchy within SceneLimits::kMaxHierarchyDepth. Siblings keep the order of the list. `version`
// is the file's format version: keys newer than it are refused. A node's "material" names an entry
// of `materials`.
void ReadNodes(const std::optional<JsonPlace>& root, const std::optional<JsonPlace>& nodes,
               int version, const MaterialTable& materials, SceneBuilder& builder);

}  // namespace sim
