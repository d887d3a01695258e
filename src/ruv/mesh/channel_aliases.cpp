#include "ruv/mesh/channel_aliases.h"

#include <cstdint>

#include "ruv/core/xmesh_data.h"

namespace {

bool ChannelsEqual(const XMeshData& data, std::size_t i, std::size_t j) {
  if (data.texCoordsPerVertex <= i || data.texCoordsPerVertex <= j) return false;
  for (std::size_t v = 0; v < data.vertices.size(); ++v) {
    if (!AttributesEqual(data.TexCoord(v, i), data.TexCoord(v, j))) return false;
  }
  return true;
}

}  // namespace

void FindChannelAliases(XMeshData& data) {
  for (std::size_t i = 0; i < data.mapChannels.size(); ++i) {
    data.channelAliases[i] = static_cast<std::int32_t>(i);
    for (std::size_t j = 0; j < i; ++j) {
      if (ChannelsEqual(data, i, j)) {
        data.channelAliases[i] = static_cast<std::int32_t>(j);
        break;
      }
    }
  }
}
