#include "ruv/mesh/xmesh_data.h"

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

bool SameAttributes(const XVertexAttributes& stored, const XVertexAttributes& corner) {
  if (!AttributesEqual(stored.normal, corner.normal) ||
      !AttributesEqual(stored.color, corner.color))
    return false;
  if (stored.alpha != corner.alpha || stored.materialSlot != corner.materialSlot) return false;
  if (stored.texCoords.size() != corner.texCoords.size()) return false;
  for (std::size_t i = 0; i < stored.texCoords.size(); ++i) {
    if (!AttributesEqual(stored.texCoords[i], corner.texCoords[i])) return false;
  }
  return true;
}

std::int32_t FindOrAddVertex(XMeshData& data, std::int32_t positionIndex,
                             XVertexAttributes& corner) {
  corner.vertexIndex = static_cast<std::int32_t>(data.vertices.size());
  XPosition& position = data.positions[positionIndex];
  if (data.weld) {
    for (const XVertexAttributes& stored : position.attributes) {
      if (SameAttributes(stored, corner)) return stored.vertexIndex;
    }
  }
  position.attributes.push_back(corner);
  data.vertices.push_back(
      {positionIndex, static_cast<std::int32_t>(position.attributes.size() - 1), {}, {}});
  return corner.vertexIndex;
}

std::int32_t ChannelIndex(const XMeshData& data, std::int32_t channel) {
  auto found = std::find(data.mapChannels.begin(), data.mapChannels.end(), channel);
  return found == data.mapChannels.end()
             ? -1
             : static_cast<std::int32_t>(found - data.mapChannels.begin());
}
