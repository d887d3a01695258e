// What a scene node is made of beyond its place in the hierarchy: its object, the modifiers
// stacked on it, its world-space modifiers and its transform controller.
#pragma once

#include <optional>

#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/controller_reader.h"
#include "host/sim/scene_file/geometry_budget.h"
#include "host/sim/scene_file/json_place.h"
#include "host/sim/scene_file/skin_reader.h"

namespace sim {

struct NodeObjects {
  PipelineDescription pipeline;
  std::optional<ControllerDescription> controller;
};

// Reads the keys "object", "modifiers", "derivedObjects", "worldSpaceModifiers" and "controller"
// of `node` (the caller checks the node's keys) in a file of format `version`; key times given in
// frames become ticks at `ticksPerFrame`. Lists in the file
// are topmost first, as the host shows a stack; the result is bottom first, as
// PipelineDescription holds it.
// Bones of skinning modifiers are node ids, added to `references` to be resolved by the caller.
NodeObjects ReadNodeObjects(const JsonPlace& node, int version, int ticksPerFrame,
                            GeometryBudget& budget, std::vector<NodeReference>& references);

// Gives `node` what ReadNodeObjects read.
void ApplyNodeObjects(NodeObjects objects, NodeBuilder& node);

}  // namespace sim
