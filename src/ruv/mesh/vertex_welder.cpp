#include "ruv/mesh/vertex_welder.h"

#include <cmath>
#include <limits>

namespace {

// Positions with more sets than this get an index; below it a plain search is quicker.
constexpr std::size_t kIndexThreshold = 16;
// Normal components are bucketed in cells far wider than the comparison tolerance, so two sets
// that compare equal lie in the same or neighbouring cells.
constexpr float kCellsPerUnit = 1024.0f;

}  // namespace

std::uint64_t VertexWelder::CellKey(std::int32_t slot, int x, int y, int z) {
  auto part = [](int v) { return static_cast<std::uint64_t>(static_cast<std::uint16_t>(v)); };
  return (static_cast<std::uint64_t>(static_cast<std::uint16_t>(slot)) << 48) | (part(x) << 32) |
         (part(y) << 16) | part(z);
}

void VertexWelder::CellOf(const XVertexAttributes& set, int cell[3]) {
  const float components[3] = {set.normal.x, set.normal.y, set.normal.z};
  for (int i = 0; i < 3; ++i) {
    float scaled = components[i] * kCellsPerUnit;
    // Normals are unit vectors; anything else still lands in some cell, never in undefined
    // behaviour.
    cell[i] = std::isfinite(scaled)
                  ? static_cast<int>(std::floor(std::fmax(std::fmin(scaled, 30000.0f), -30000.0f)))
                  : 0;
  }
}

void VertexWelder::IndexSet(CellIndex& index, const XVertexAttributes& set, std::int32_t vertex) {
  int cell[3];
  CellOf(set, cell);
  index[CellKey(set.materialSlot, cell[0], cell[1], cell[2])].push_back(vertex);
}

std::int32_t VertexWelder::FindOrAdd(std::int32_t positionIndex, XVertexAttributes& corner) {
  auto found = indexes_.find(positionIndex);
  if (found == indexes_.end() || !data_.weld) {
    std::int32_t vertex = FindOrAddVertex(data_, positionIndex, corner);
    const XPosition& position = data_.positions[positionIndex];
    if (data_.weld && static_cast<std::size_t>(position.vertexCount) > kIndexThreshold) {
      CellIndex& index = indexes_[positionIndex];
      for (std::int32_t v = position.firstVertex; v >= 0; v = data_.vertices[v].nextAtPosition)
        IndexSet(index, data_.AttributesOf(static_cast<std::size_t>(v)), v);
    }
    return vertex;
  }

  // The first matching vertex in stored order (vertices are numbered in that order), from the
  // neighbouring cells.
  CellIndex& index = found->second;
  int cell[3];
  CellOf(corner, cell);
  std::int32_t best = std::numeric_limits<std::int32_t>::max();
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      for (int dz = -1; dz <= 1; ++dz) {
        auto bucket =
            index.find(CellKey(corner.materialSlot, cell[0] + dx, cell[1] + dy, cell[2] + dz));
        if (bucket == index.end()) continue;
        for (std::int32_t candidate : bucket->second) {
          if (candidate < best &&
              SameAttributes(data_, static_cast<std::size_t>(candidate), corner))
            best = candidate;
        }
      }
  corner.vertexIndex = static_cast<std::int32_t>(data_.vertices.size());
  if (best != std::numeric_limits<std::int32_t>::max()) return best;
  std::int32_t vertex = AddVertex(data_, positionIndex, corner);
  IndexSet(index, corner, vertex);
  return vertex;
}
