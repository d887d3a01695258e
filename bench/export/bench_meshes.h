// The meshes the export benchmark feeds the exporter.
#pragma once

#include "host/mesh.h"

// A grid of `columns` x `rows` quads: (columns + 1) x (rows + 1) vertices, 2 x columns x rows
// faces, all in smoothing group 1, and map channel 1 with one map vertex per vertex. Every host
// vertex therefore becomes exactly one output vertex, so the output grows with the face count
// alone.
Mesh MakeGridMesh(int columns, int rows);

// A cone of `faces` flat-shaded sides (smoothing group 0) around one apex: the apex gets one
// distinct normal per face, the most corner attribute sets one host vertex can have.
Mesh MakeFacetedConeMesh(int faces);
