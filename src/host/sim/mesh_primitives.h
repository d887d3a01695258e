// Triangle meshes of the parametric objects. Faces wind counter-clockwise seen from outside, so
// (v1 - v0) x (v2 - v0) points away from the solid.
#pragma once

#include "host/mesh.h"

namespace sim {

// A box standing on the XY plane: `width` along X and `length` along Y, both centred on the origin,
// `height` up Z from 0. 8 vertices (bottom 0-3, top 4-7, counter-clockwise from (-x, -y)) and 12
// faces, two per side, in the side order bottom, top, front (-Y), right (+X), back (+Y), left (-X).
// Side i has material id i and smoothing group bit i (1 << i), so no two sides smooth together.
// Map channel 1 maps every side onto the whole unit square: 4 map vertices (0, 0), (1, 0), (1, 1),
// (0, 1), the side's first corner (as listed above) at (0, 0), U along its first edge, V up the
// next, so every map face winds counter-clockwise like its face.
Mesh MakeBoxMesh(float length, float width, float height);

// A UV sphere about the origin: `segments` around the Z axis (at least 3) and segments / 2 bands
// from pole to pole (at least 2). Vertex 0 is the north pole (+Z), then the rings from north to
// south, each starting on +X, then the south pole. All faces have material id 0 and smoothing
// group 1. Map channel 1 wraps the sphere once: u = azimuth / 360 degrees, v = 1 at the north pole
// to 0 at the south. Each ring has segments + 1 map vertices (u = 0 and u = 1 meet at the seam on
// +X), ring after ring from the north, then one map vertex per pole triangle at the middle of its
// span (the north pole's first, at v = 1, then the south pole's, at v = 0).
Mesh MakeSphereMesh(float radius, int segments);
// The vertex and face counts MakeSphereMesh gives, so callers can check limits first.
int SphereVertexCount(int segments);
int SphereFaceCount(int segments);

}  // namespace sim
