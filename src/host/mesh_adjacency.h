// The edges of a triangle mesh and, per vertex, the edges that meet at it.
#pragma once

#include <vector>

#include "host/mesh.h"

// An edge between two vertices (v[0] < v[1]) and the first two faces that share it (-1: none).
struct MEdge {
  DWORD v[2] = {0, 0};
  int f[2] = {-1, -1};
  // The vertex at the other end from `vertex`.
  DWORD OtherVert(DWORD vertex) const { return v[0] == vertex ? v[1] : v[0]; }
};

class AdjEdgeList {
 public:
  // Every distinct edge of the mesh's faces, in order of first use; faces naming vertices the mesh
  // does not have add no edges.
  explicit AdjEdgeList(const Mesh& mesh);

  int NumEdges() const { return static_cast<int>(edges.size()); }

  std::vector<MEdge> edges;
  // Per vertex: the indices into `edges` of the edges that meet at it, in order of first use.
  std::vector<std::vector<DWORD>> list;
};
