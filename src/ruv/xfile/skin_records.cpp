#include "ruv/xfile/skin_records.h"

#include <string>
#include <vector>

#include "platform/text_encoding.h"
#include "ruv/core/names.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xskin_info.h"
#include "ruv/xfile/skin_frames.h"

RecordBuffer SkinMeshHeaderRecord(const XSkinInfo& skin) {
  RecordBuffer out;
  for (std::uint16_t count : skin.header) out.Word(count);
  return out;
}

RecordBuffer SkinWeightsRecord(const XMeshData& data, const XBoneInfo& bone,
                               const XNode* boneNode) {
  std::vector<std::uint32_t> vertices;
  std::vector<float> weights;
  for (std::size_t v = 0; v < data.vertices.size(); ++v) {
    auto position = static_cast<std::size_t>(data.vertices[v].positionIndex);
    if (position >= bone.weights.size() || !bone.weights[position].assigned) continue;
    vertices.push_back(static_cast<std::uint32_t>(v));
    weights.push_back(bone.weights[position].weight);
  }
  SkinBoneRecord named = SkinBone(bone.name, bone.offsetMatrix, boneNode);
  RecordBuffer out;
  std::string name = platform::WideToAnsi(CleanName(named.frame));
  out.Raw(name.c_str(), name.size() + 1);
  out.Dword(static_cast<std::uint32_t>(vertices.size()));
  for (std::uint32_t v : vertices) out.Dword(v);
  out.Floats(weights.data(), weights.size());
  out.Floats(named.offset.data(), named.offset.size());
  return out;
}
