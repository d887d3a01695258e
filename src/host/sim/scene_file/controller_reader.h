// The "controller" of a scene node: its class, and from version 5 the keys of the parts of a
// position-rotation-scale controller.
#pragma once

#include <optional>

#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/json_place.h"

namespace sim {

struct ControllerDescription {
  Class_ID classId;
  std::optional<Point3TrackDescription> position;
  std::optional<RotationTrackDescription> rotation;
  std::optional<Point3TrackDescription> scale;
};

// A class, or {"class": ..., "position": track, "rotation": track, "scale": track}. Key times
// given in frames become ticks at `ticksPerFrame`.
ControllerDescription ReadController(const JsonPlace& controller, int version, int ticksPerFrame);

void ApplyController(const ControllerDescription& controller, NodeBuilder& node);

}  // namespace sim
