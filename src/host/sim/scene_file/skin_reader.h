// The skinning data of "skin" and "physique" modifiers and the patches of "patch" objects in a
// scene file (format version 5). Bones name nodes by id; the ids are resolved once every node of
// the file is known.
#pragma once

#include <vector>

#include "host/patch.h"
#include "host/sim/scene_file/geometry_budget.h"
#include "host/sim/scene_file/json_place.h"
#include "host/sim/sim_object_pipeline.h"

namespace sim {

class NodeBuilder;

// A node id in the file and the builder pointer it must be resolved into.
struct NodeReference {
  JsonPlace id;
  const NodeBuilder** target;
};

// Reads the skinning keys of `entry` into `modifier` (whose class is already read); keys of the
// other modifier's kind, or of any other class, are refused.
void ReadSkinningData(const JsonPlace& entry, ModifierDescription& modifier,
                      std::vector<NodeReference>& references);

// "vertices" ([x, y, z] each) and "patches" ([a, b, c] or [a, b, c, d], vertex indices).
PatchMesh ReadPatchMesh(const JsonPlace& object, GeometryBudget& budget);

}  // namespace sim
