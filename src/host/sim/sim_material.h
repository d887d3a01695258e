// Materials of the in-memory host: the standard material, materials of any other class (the
// multi/sub-object material among them) and the DirectX shader material. The scene owns them all;
// sub-materials and maps point to other objects of the same scene, and one material may be the
// material of several nodes or a sub-material of several materials.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "host/sim/sim_mtl_base.h"

namespace sim {

// The class of this host's own material kind ("other" to the exporter).
constexpr Class_ID kOtherMaterialClass(0x72757606, 0x6d746c6f);
// The class of the DirectX shader material. The exporter recognises it by its interfaces only.
constexpr Class_ID kDxMaterialClass(0x7275760A, 0x6478736d);

// The values behind the generic colour queries. Nothing is animated here: every time, sub-material
// number and face answers the same.
struct MaterialColors {
  Color diffuse{0.5f, 0.5f, 0.5f};
  Color specular{0.9f, 0.9f, 0.9f};
  float shininess = 0.25f;
  float shininessStrength = 0.05f;
  float transparency = 0.0f;
  bool selfIlluminationOn = false;
  Color selfIllumination;
};

// Implements the generic queries from MaterialColors.
template <class Base>
class SimColoredMtl : public SimMtlBase<Base> {
 public:
  using SimMtlBase<Base>::SimMtlBase;
  // The base's queries at a time stay visible beside the generic ones of the same names.
  using SimMtlBase<Base>::GetDiffuse;
  using SimMtlBase<Base>::GetSpecular;
  using SimMtlBase<Base>::GetShininess;
  using SimMtlBase<Base>::GetShinStr;

  Color GetDiffuse(int, BOOL) override { return colors_.diffuse; }
  Color GetSpecular(int, BOOL) override { return colors_.specular; }
  float GetShininess(int, BOOL) override { return colors_.shininess; }
  float GetShinStr(int, BOOL) override { return colors_.shininessStrength; }
  float GetXParency(int, BOOL) override { return colors_.transparency; }
  BOOL GetSelfIllumColorOn(int, BOOL) override { return colors_.selfIlluminationOn ? TRUE : FALSE; }
  Color GetSelfIllumColor(int, BOOL) override { return colors_.selfIllumination; }

  void SetColors(const MaterialColors& colors) { colors_ = colors; }
  const MaterialColors& Colors() const { return colors_; }

 private:
  MaterialColors colors_;
};

// The standard material's map slots, as its sub-maps are numbered.
enum StandardSlot : int {
  kAmbientSlot = 0,
  kDiffuseSlot = 1,
  kSpecularSlot = 2,
  kShininessSlot = 3,
  kShininessStrengthSlot = 4,
  kSelfIlluminationSlot = 5,
  kOpacitySlot = 6,
  kFilterColorSlot = 7,
  kBumpSlot = 8,
  kReflectionSlot = 9,
  kRefractionSlot = 10,
  kDisplacementSlot = 11,
  kStandardSlotCount = 12,
};

// The standard material: twelve map slots (its sub-maps), each switched on or off, and its own
// colour queries at a time, which agree with the generic ones.
class SimStdMaterial : public SimColoredMtl<StdMat> {
 public:
  // `classId` is DMTL_CLASS_ID or DMTL2_CLASS_ID.
  explicit SimStdMaterial(std::wstring name, Class_ID classId = DMTL_CLASS_ID);

  // FALSE for a slot out of range.
  BOOL MapEnabled(int i) override;
  // The generic queries stay visible beside these of the same names.
  using SimColoredMtl<StdMat>::GetDiffuse;
  using SimColoredMtl<StdMat>::GetSpecular;
  using SimColoredMtl<StdMat>::GetShininess;
  using SimColoredMtl<StdMat>::GetShinStr;
  Color GetDiffuse(TimeValue) override { return Colors().diffuse; }
  Color GetSpecular(TimeValue) override { return Colors().specular; }
  float GetShininess(TimeValue) override { return Colors().shininess; }
  float GetShinStr(TimeValue) override { return Colors().shininessStrength; }

  // Puts `map` (or nothing) into slot i, switched on or off; a slot out of range is ignored.
  void SetMap(int i, Texmap* map, bool enabled = true);

 private:
  std::array<bool, kStandardSlotCount> enabled_{};
};

// A material of any class answering the generic queries, with sub-materials (null for an empty
// slot) and sub-maps: the multi/sub-object material (MULTI_CLASS_ID) and the "other" materials.
class SimMaterial : public SimColoredMtl<Mtl> {
 public:
  SimMaterial(Class_ID classId, std::wstring name);

  int NumSubMtls() override { return static_cast<int>(subMaterials_.size()); }
  // Null for an empty slot and for a number out of range.
  Mtl* GetSubMtl(int i) override;

  void SetSubMaterials(std::vector<Mtl*> subMaterials) { subMaterials_ = std::move(subMaterials); }

 private:
  std::vector<Mtl*> subMaterials_;
};

// The DirectX shader material. Parameter block 0 holds the effect's parameters; block 1 its
// "effectfile" (a file name). Its effect bitmaps are the bitmap parameters of block 0 in
// parameter order, each with its mapping channel. Besides its class it answers
// DXMATERIAL_INTERFACE_ID, and IDXMATERIAL_INTERFACE_ID with its IDxMaterial.
class SimDxMaterial : public SimMaterial, public IDxMaterial {
 public:
  explicit SimDxMaterial(std::wstring name);

  using SimMaterial::GetInterface;
  BaseInterface* GetInterface(Interface_ID id) override;

  // IDxMaterial. Out of range: no bitmap, channel 0.
  int GetNumberOfEffectBitmaps() override { return static_cast<int>(bitmaps_.size()); }
  PBBitmap* GetEffectBitmap(int index) override;
  int GetBitmapMappingChannel(int index) override;

  // The effect's parameters.
  SimParamBlock& Parameters() { return *Block(0); }
  // Adds a bitmap parameter to block 0 that is also the next effect bitmap. An empty path gives a
  // parameter without a bitmap.
  void AddEffectBitmap(ParamID id, std::wstring internalName, const std::wstring& hostPath,
                       int mappingChannel);
  // Sets block 1's "effectfile" parameter.
  void SetEffectFile(const std::wstring& hostPath);

 private:
  struct EffectBitmap {
    ParamID id;
    int mappingChannel;
  };
  std::vector<EffectBitmap> bitmaps_;
};

}  // namespace sim
