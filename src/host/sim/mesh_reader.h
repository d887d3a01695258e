// Triangle meshes in a scene file, and the budget that keeps a whole scene's geometry bounded.
#pragma once

#include <cstddef>

#include "host/mesh.h"
#include "host/sim/json_place.h"

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

// The "vertices" ([x, y, z] each) and "faces" of a mesh object. A face is [a, b, c] or
// {"vertices": [a, b, c], "smoothing": bits, "materialId": id}; every index must name a vertex.
// Then, when present, the map channels ("maps") and specified normals ("specifiedNormals"), see
// mesh_channel_reader.h. Which keys `object` may hold is its caller's to check.
Mesh ReadMesh(const JsonPlace& object, GeometryBudget& budget);

}  // namespace sim
