// What a generated effect file is made from: one material's colours, the vertex options in force,
// and the textures its shaders sample. Filled by the material record writer, read by the effect
// text builders, discarded once the file is written.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

struct XEffectTexture {
  std::wstring name;           // the texture slot's name; also names the texture and its sampler
  std::uint32_t role = 0;      // 0 other, 1 primary (diffuse), 2 normal map
  std::int32_t coordSet = 0;   // texture-coordinate set of the mesh's output vertices
  std::uint32_t addressU = 0;  // 0 clamp, 1 wrap, 2 mirror
  std::uint32_t addressV = 0;
};

struct XEffectDesc {
  std::array<float, 4> faceColor = {1, 1, 1, 1};
  float power = 0.0f;
  std::array<float, 3> specularColor = {0, 0, 0};
  std::array<float, 3> emissiveColor = {0, 0, 0};
  // The Normal, Tangent, BiTangent, VertexColor and DiffuseMapColor options when the file is made.
  bool normal = false;
  bool tangent = false;
  bool binormal = false;
  bool vertexColor = false;
  bool diffuseMapColor = false;
  std::wstring path;                     // host path of the .fx file
  std::vector<XEffectTexture> textures;  // in registration order
  std::set<std::int32_t> coordSets;      // the distinct coordSet values of `textures`, ascending
};

// Registers a texture for the effect's samplers and its coordinate set for the vertex structures.
// A texture without a name cannot be declared, so it is ignored.
void AddEffectTexture(XEffectDesc& desc, const std::wstring& name, std::uint32_t role,
                      std::int32_t coordSet, std::uint32_t addressU, std::uint32_t addressV);
