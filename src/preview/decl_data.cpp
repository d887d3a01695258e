#include "preview/decl_data.h"

#include <cstring>

namespace preview {
namespace {

// Direct3D 9 declaration types and usages.
enum DeclType : std::uint32_t { kFloat1 = 0, kFloat2 = 1, kFloat3 = 2, kFloat4 = 3, kColor = 4 };
enum DeclUsage : std::uint32_t { kNormal = 3, kTexcoord = 5, kColorUsage = 10 };

// Bytes of each declaration type, D3DDECLTYPE_FLOAT1 to D3DDECLTYPE_FLOAT16_4.
constexpr std::uint32_t kTypeBytes[] = {4, 8, 12, 16, 4, 4, 4, 8, 4, 4, 8, 4, 8, 4, 4, 4, 8};

float FloatAt(const std::uint32_t* dwords, std::size_t index) {
  float value;
  std::memcpy(&value, &dwords[index], 4);
  return value;
}

}  // namespace

std::uint32_t PackColor(const float* rgba) {
  std::uint32_t packed = 0;
  for (int c = 0; c < 4; ++c) {
    // Into [0, 1] before the conversion, which a value out of range (or not a number) would make
    // undefined.
    float v = rgba[c] > 0 ? (rgba[c] < 1 ? rgba[c] : 1) : 0;
    packed |= static_cast<std::uint32_t>(v * 255.0f + 0.5f) << (8 * c);
  }
  return packed;
}

DeclVertexData ReadDeclData(const xof::ObjectValues& values, std::size_t vertexCount,
                            std::string& problem) {
  DeclVertexData out;
  const std::vector<std::uint32_t>& elements = values.Member(1).integers;
  const std::vector<std::uint32_t>& data = values.Member(3).integers;
  struct Use {
    std::uint32_t type, offset;
  };
  Use normal{~0u, 0}, texcoord{~0u, 0}, color{~0u, 0};
  std::uint32_t stride = 0;
  for (std::size_t e = 0; e + 3 < elements.size(); e += 4) {
    std::uint32_t type = elements[e], usage = elements[e + 2], usageIndex = elements[e + 3];
    if (type >= std::size(kTypeBytes)) {
      problem = "vertex declaration type " + std::to_string(type) + " is unknown";
      return out;
    }
    if (usage == kNormal && usageIndex == 0 && type == kFloat3) normal = {type, stride};
    if (usage == kTexcoord && usageIndex == 0 && type == kFloat2) texcoord = {type, stride};
    if (usage == kColorUsage && usageIndex == 0 && (type == kColor || type == kFloat4)) {
      color = {type, stride};
    }
    stride += kTypeBytes[type];
  }
  std::size_t perVertex = stride / 4;
  if (stride == 0 || data.size() != perVertex * vertexCount) {
    problem = "vertex data holds " + std::to_string(data.size()) + " values, not " +
              std::to_string(perVertex * vertexCount) + " for " + std::to_string(vertexCount) +
              " vertices";
    return out;
  }
  for (std::size_t v = 0; v < vertexCount; ++v) {
    std::size_t base = v * perVertex;
    if (normal.type != ~0u) {
      std::size_t at = base + normal.offset / 4;
      out.normals.push_back(
          {FloatAt(data.data(), at), FloatAt(data.data(), at + 1), FloatAt(data.data(), at + 2)});
    }
    if (texcoord.type != ~0u) {
      std::size_t at = base + texcoord.offset / 4;
      out.texcoords.push_back(FloatAt(data.data(), at));
      out.texcoords.push_back(FloatAt(data.data(), at + 1));
    }
    if (color.type == kColor) {
      std::uint32_t argb = data[base + color.offset / 4];
      out.colors.push_back((argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16));
    } else if (color.type == kFloat4) {
      std::size_t at = base + color.offset / 4;
      float rgba[4];
      for (int c = 0; c < 4; ++c) rgba[c] = FloatAt(data.data(), at + static_cast<std::size_t>(c));
      out.colors.push_back(PackColor(rgba));
    }
  }
  return out;
}

}  // namespace preview
