// The mesh the export benchmark feeds the exporter: a rippled grid of quads, two triangles each,
// one smoothing group and one texture-coordinate channel that follows the vertices.
#pragma once

#include "host/mesh.h"

// A grid of `columns` x `rows` quads: (columns + 1) x (rows + 1) vertices, 2 x columns x rows faces,
// all in smoothing group 1, and map channel 1 with one map vertex per vertex. Every host vertex
// therefore becomes exactly one output vertex, so the output grows with the face count alone.
Mesh MakeGridMesh(int columns, int rows);
