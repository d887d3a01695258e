// Triangle meshes in a scene file.
#pragma once

#include "host/mesh.h"
#include "host/sim/scene_file/geometry_budget.h"
#include "host/sim/scene_file/json_place.h"

namespace sim {

// The "vertices" ([x, y, z] each) and "faces" of a mesh object. A face is [a, b, c] or
// {"vertices": [a, b, c], "smoothing": bits, "materialId": id}; every index must name a vertex.
// Then, when present, the map channels ("maps") and specified normals ("specifiedNormals"), see
// mesh_channel_reader.h. Which keys `object` may hold is its caller's to check.
Mesh ReadMesh(const JsonPlace& object, GeometryBudget& budget);

}  // namespace sim
