// Finds the output vertex of a corner's attribute set at its position, fast even where one host
// vertex carries many distinct sets (the apex of a faceted cone carries one per face).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "ruv/core/xmesh_data.h"

class VertexWelder {
 public:
  explicit VertexWelder(XMeshData& data) : data_(data) {}

  // As FindOrAddVertex: the first stored set at the position that carries the same attributes,
  // or a new output vertex. Positions with few sets are searched in order; a position that
  // gathers many gets an index by material slot and normal, searched in the neighbouring cells
  // so the comparison tolerance still holds.
  std::int32_t FindOrAdd(std::int32_t positionIndex, XVertexAttributes& corner);

 private:
  using CellIndex = std::unordered_map<std::uint64_t, std::vector<std::int32_t>>;

  static std::uint64_t CellKey(std::int32_t slot, int x, int y, int z);
  static void CellOf(const XVertexAttributes& set, int cell[3]);
  void IndexSet(CellIndex& index, const XVertexAttributes& set, std::int32_t vertex);

  XMeshData& data_;
  std::unordered_map<std::int32_t, CellIndex> indexes_;  // by position, only for busy positions
};
