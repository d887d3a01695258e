// Triangle meshes of the parametric objects. Faces wind counter-clockwise seen from outside, so
// (v1 - v0) x (v2 - v0) points away from the solid.
#pragma once

#include "host/mesh.h"

namespace sim {

// A box standing on the XY plane: `width` along X and `length` along Y, both centred on the origin,
// `height` up Z from 0. 8 vertices (bottom 0-3, top 4-7, counter-clockwise from (-x, -y)) and 12
// faces, two per side, in the side order bottom, top, front (-Y), right (+X), back (+Y), left (-X).
// Side i has material id i and smoothing group bit i (1 << i), so no two sides smooth together.
Mesh MakeBoxMesh(float length, float width, float height);

// A UV sphere about the origin: `segments` around the Z axis (at least 3) and segments / 2 bands
// from pole to pole (at least 2). Vertex 0 is the north pole (+Z), then the rings from north to
// south, each starting on +X, then the south pole. All faces have material id 0 and smoothing
// group 1.
Mesh MakeSphereMesh(float radius, int segments);
// The vertex and face counts MakeSphereMesh gives, so callers can check limits first.
int SphereVertexCount(int segments);
int SphereFaceCount(int segments);

}  // namespace sim
