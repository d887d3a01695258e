// The matched vertices nearest in edges to every vertex of a mesh, for the neighbour blends of the
// skin transfer.
#pragma once

#include <span>
#include <vector>

class Mesh;

struct EdgeNeighbours {
  // Per vertex v, vertices[start[v] .. start[v + 1]) are what it found.
  std::vector<int> start;
  std::vector<int> vertices;

  std::span<const int> Of(int v) const {
    const auto at = static_cast<std::size_t>(v);
    return {vertices.data() + start[at], static_cast<std::size_t>(start[at + 1] - start[at])};
  }
};

// For every vertex, what a breadth-first search from it over the mesh's edges (in the order of its
// edge adjacency) finds, level by level
// (the vertex itself first): the vertices with match[u] >= 0 of each level in the order the search
// reaches them, until a level brings the count above two. One search from all matched vertices at
// once, so the whole mesh costs about as much as its edges, however sparse the matches.
EdgeNeighbours FindEdgeNeighbours(const Mesh& mesh, const std::vector<int>& match);
