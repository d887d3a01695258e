// The budget that keeps a whole scene's geometry bounded, shared by every reader of geometry.
#pragma once

#include <cstddef>

#include "host/sim/scene_file/json_place.h"

namespace sim {

// Vertices and faces taken so far by a scene's meshes, against SceneLimits' totals. Parametric
// objects take their share before their mesh is made, explicit meshes before theirs is allocated.
class GeometryBudget {
 public:
  // Fails at `place` when the scene would exceed either total.
  void Take(const JsonPlace& place, std::size_t vertices, std::size_t faces);
  // The same for map channels and specified normals, against their own totals.
  void TakeMapData(const JsonPlace& place, std::size_t vertices, std::size_t faces);

 private:
  std::size_t vertices_ = 0;
  std::size_t faces_ = 0;
  std::size_t mapVertices_ = 0;
  std::size_t mapFaces_ = 0;
};

}  // namespace sim
