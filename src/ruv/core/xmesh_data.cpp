#include "ruv/core/xmesh_data.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// The tolerance of attribute comparisons: the float nearest 0.000001.
const float kEqualTolerance = std::bit_cast<float>(std::uint32_t{0x358637BD});

}  // namespace

bool AttributesEqual(const Point3& a, const Point3& b) {
  return std::fabs(a.x - b.x) <= kEqualTolerance && std::fabs(a.y - b.y) <= kEqualTolerance &&
         std::fabs(a.z - b.z) <= kEqualTolerance;
}

bool SameAttributes(const XMeshData& data, std::size_t vertex, const XVertexAttributes& corner) {
  const XVertex& stored = data.vertices[vertex];
  if (stored.materialSlot != corner.materialSlot || !AttributesEqual(stored.normal, corner.normal))
    return false;
  if (!AttributesEqual(data.Color(vertex), corner.color) || data.Alpha(vertex) != corner.alpha)
    return false;
  if (corner.texCoords.size() != data.texCoordsPerVertex) return false;
  for (std::size_t i = 0; i < data.texCoordsPerVertex; ++i) {
    if (!AttributesEqual(data.TexCoord(vertex, i), corner.texCoords[i])) return false;
  }
  return true;
}

std::int32_t AddVertex(XMeshData& data, std::int32_t positionIndex,
                       const XVertexAttributes& corner) {
  auto vertex = static_cast<std::int32_t>(data.vertices.size());
  data.vertices.push_back({positionIndex, -1, corner.materialSlot, corner.normal});
  for (std::size_t i = 0; i < data.texCoordsPerVertex; ++i)
    data.texCoords.push_back(i < corner.texCoords.size() ? corner.texCoords[i] : Point3());
  if (data.hasVertexColors || data.hasVertexAlpha) {
    data.colors.push_back(corner.color);
    data.alphas.push_back(corner.alpha);
  }
  XPosition& position = data.positions[positionIndex];
  if (position.lastVertex < 0) {
    position.firstVertex = vertex;
  } else {
    data.vertices[position.lastVertex].nextAtPosition = vertex;
  }
  position.lastVertex = vertex;
  ++position.vertexCount;
  return vertex;
}

std::int32_t FindOrAddVertex(XMeshData& data, std::int32_t positionIndex,
                             XVertexAttributes& corner) {
  corner.vertexIndex = static_cast<std::int32_t>(data.vertices.size());
  if (data.weld) {
    for (std::int32_t v = data.positions[positionIndex].firstVertex; v >= 0;
         v = data.vertices[v].nextAtPosition) {
      if (SameAttributes(data, static_cast<std::size_t>(v), corner)) return v;
    }
  }
  return AddVertex(data, positionIndex, corner);
}

XVertexAttributes XMeshData::AttributesOf(std::size_t vertex) const {
  XVertexAttributes set;
  set.normal = vertices[vertex].normal;
  set.materialSlot = vertices[vertex].materialSlot;
  for (std::size_t i = 0; i < texCoordsPerVertex; ++i) set.texCoords.push_back(TexCoord(vertex, i));
  set.color = Color(vertex);
  set.alpha = Alpha(vertex);
  set.vertexIndex = static_cast<std::int32_t>(vertex);
  return set;
}

std::int32_t ChannelIndex(const XMeshData& data, std::int32_t channel) {
  auto found = std::find(data.mapChannels.begin(), data.mapChannels.end(), channel);
  return found == data.mapChannels.end()
             ? -1
             : static_cast<std::int32_t>(found - data.mapChannels.begin());
}
