// Triangle meshes made in code: the channels a scene file can give a mesh (map channels, vertex
// colours and alpha, specified normals), each in a call, so that a test states its mesh in a line:
//
//   Mesh box = MakeBoxMesh(2, 2, 2);          // channel 1 holds the box's own mapping
//   CopyMapChannel(box, 1, 2);                // channel 2: the same coordinates
//   SetVertexColors(box, {{1, 0, 0}, ...});   // one colour per vertex
//
// The calls check what they are given and throw std::invalid_argument on a mistake (a channel
// outside -2..99, a face count that is not the mesh's, an index past the end), so a test's
// mistake never reaches the exporter as a mesh the host could not hold. Give the mesh its faces
// before its channels: each channel has one map face per mesh face.
#pragma once

#include <array>
#include <vector>

#include "host/mesh.h"

namespace sim {

// Three indices: into the mesh's vertices for a face, into a channel's vertices for a map face, or
// into the specified normals for a normal face.
using MapFace = std::array<DWORD, 3>;

// A mesh of `vertices` and `faces`; every face gets material id 0 and the groups `smoothing`.
Mesh MakeMesh(std::vector<Point3> vertices, const std::vector<MapFace>& faces, DWORD smoothing = 0);

// Gives `mesh` map channel `channel` (-2..99; 0 vertex colours, -2 alpha in the first component)
// with its own vertices and one map face per mesh face, replacing what the channel held.
void SetMapChannel(Mesh& mesh, int channel, std::vector<UVVert> vertices,
                   const std::vector<MapFace>& faces);
// A channel with one map vertex per mesh vertex, its map faces the mesh's faces.
void SetVertexMap(Mesh& mesh, int channel, std::vector<UVVert> perVertex);
// The same channel with its map vertices left at (0, 0, 0), for the caller to fill in place: a
// model's mesh is large. Returns the first of them.
UVVert* StartVertexMap(Mesh& mesh, int channel);
// Channel `to` becomes a copy of channel `from`, which the mesh must support.
void CopyMapChannel(Mesh& mesh, int from, int to);
// Planar coordinates seen down the Z axis: each vertex's (x, y) placed in the mesh's bounding
// rectangle, so u and v run from 0 to 1 (0 along an axis the mesh does not extend in); w is 0.
void SetPlanarMap(Mesh& mesh, int channel);

// Per-vertex colours (channel 0) and alpha (channel -2, stored in every component).
void SetVertexColors(Mesh& mesh, std::vector<VertColor> perVertex);
void SetVertexAlpha(Mesh& mesh, const std::vector<float>& perVertex);

// Specified normals: the normals, and per mesh face the normal of each corner, kNoNormal for a
// corner left to the smoothing groups.
constexpr int kNoNormal = -1;
void SetSpecifiedNormals(Mesh& mesh, std::vector<Point3> normals,
                         const std::vector<std::array<int, 3>>& faces);

}  // namespace sim
