// What a scene file's mesh object carries besides vertices and faces: map channels (texture
// coordinates, vertex colours, alpha) and specified normals. Both are read against the mesh already
// read, since every channel and the normals have one face per mesh face.
#pragma once

#include "host/mesh.h"
#include "host/sim/scene_file/geometry_budget.h"
#include "host/sim/scene_file/json_place.h"

namespace sim {

// "maps": an object keyed by channel, -2 to 99 written as a decimal number, or "colors" (0),
// "illumination" (-1) or "alpha" (-2). Each channel is {"vertices": [...], "faces": [...]}: map
// vertices [u, v] or [u, v, w] ([r, g, b] for colours; a bare number a for alpha, meaning
// [a, a, a]) and one map face [a, b, c] per mesh face. Without "faces" the channel has one map
// vertex per mesh vertex and takes the mesh's faces as its own.
void ReadMapChannels(const JsonPlace& maps, Mesh& mesh, GeometryBudget& budget);

// "specifiedNormals": {"normals": [[x, y, z], ...], "faces": [...]}, one normal face per mesh face:
// [a, b, c] of indices into "normals", a corner given as -1 or null left to the smoothing groups;
// a whole face null leaves all three.
void ReadSpecifiedNormals(const JsonPlace& normals, Mesh& mesh, GeometryBudget& budget);

}  // namespace sim
