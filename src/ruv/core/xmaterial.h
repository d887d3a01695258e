// Material records: the entries of a node's material list and of the scene-wide shared list.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/matrix2.h"

class Texmap;

enum XMaterialType : std::uint32_t {
  kPlainMaterial = 0,
  kEffectMaterial = 1,
  kMaterialReference = 2,
};

// An entry of a material list: a material of its own or a reference into the shared list, told
// apart by `type`.
struct XMaterialEntry {
  explicit XMaterialEntry(std::uint32_t entryType) : type(entryType) {}
  virtual ~XMaterialEntry() = default;
  std::uint32_t type;
};

// One texture slot. A slot is used when its map channel is 1 or more.
struct XTextureSlot {
  enum Role : std::uint32_t { kOther = 0, kPrimary = 1, kNormalMap = 2 };
  std::uint32_t role = kOther;
  std::wstring name;
  std::wstring fileName;
  std::wstring filePath;
  std::int32_t mapChannel = 0;
  Matrix2 uvTransform;
  std::uint32_t addressU = 0;  // 0 clamp, 1 wrap, 2 mirror
  std::uint32_t addressV = 0;
  Texmap* proceduralMap = nullptr;  // borrowed; set for a map rendered to a bitmap

  bool Used() const { return mapChannel >= 1; }
};

constexpr int kTextureSlotCount = 11;

struct XMaterial : XMaterialEntry {
  XMaterial() : XMaterialEntry(kPlainMaterial) {}
  std::wstring name;
  // The host material the record was made from: shared records are shared by it, not by name.
  const void* source = nullptr;
  std::wstring sourceName;  // the name before the shared list made it distinct
  // faceColor, power, specularColor and emissiveColor: the 11 floats of a Material record body.
  std::array<float, 4> faceColor = {1, 1, 1, 1};
  float power = 0.0f;
  std::array<float, 3> specularColor = {0, 0, 0};
  std::array<float, 3> emissiveColor = {0, 0, 0};
  std::array<XTextureSlot, kTextureSlotCount> maps;

 protected:
  explicit XMaterial(std::uint32_t entryType) : XMaterialEntry(entryType) {}
};

struct XEffectParamDWord {
  std::wstring name;
  std::uint32_t value = 0;
};

struct XEffectParamFloats {
  std::wstring name;
  std::array<float, 4> values = {0, 0, 0, 0};
  std::uint32_t count = 0;  // 1, 3 or 4 of the values are meaningful
};

struct XEffectParamString {
  std::wstring name;
  std::wstring value;
};

struct XEffectMaterial : XMaterial {
  XEffectMaterial() : XMaterial(kEffectMaterial) {}
  bool isDxMaterial = false;
  std::wstring effectFile;
  std::vector<XEffectParamDWord> dwordParams;
  std::vector<XEffectParamFloats> floatParams;
  std::vector<XEffectParamString> stringParams;
};

// A list entry standing for entry `index` of the shared material list.
struct XMaterialRef : XMaterialEntry {
  explicit XMaterialRef(std::uint32_t sharedIndex)
      : XMaterialEntry(kMaterialReference), index(sharedIndex) {}
  std::uint32_t index;
};
