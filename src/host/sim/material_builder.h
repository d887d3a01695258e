// Materials and maps made in code, for tests and bundled scenes:
//
//   MapBuilder wood = BitmapTexture(L"C:\\old\\wood.jpg").Tiling(U_WRAP | V_MIRROR);
//   MaterialBuilder table = StandardMaterial(L"Wood").Diffuse({0.6f, 0.4f, 0.2f})
//                               .Map(kDiffuseSlot, wood);
//   MaterialBuilder multi = MultiMaterial(L"Multi", {table, nullptr, OtherMaterial(L"Glass")});
//   b.Root().AddChild(L"Table").Box(1, 1, 1).Material(multi);
//
// A builder is a handle on one description: copies of it describe the same material, so giving one
// builder to two nodes (or to two multi-materials) makes one shared object in the built scene.
// Mistakes (a setter on a null builder, a slot out of range, a setter for another kind of material)
// throw std::invalid_argument. Paths are taken in host form ('\'-separated) and reach the exporter
// as they are.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "host/sim/material_description.h"

namespace sim {

class MapBuilder {
 public:
  // A map of `description`; the factories below make the usual ones.
  explicit MapBuilder(MapDescription description);

  MapBuilder& Name(std::wstring name);
  // Placement of the map's texture coordinates (see UVTransformOf).
  MapBuilder& Offset(float u, float v);
  MapBuilder& Repeat(float u, float v);
  MapBuilder& Angle(float degrees);
  // U_WRAP, V_WRAP, U_MIRROR and V_MIRROR bits.
  MapBuilder& Tiling(int flags);
  MapBuilder& Channel(int mapChannel);
  // Bitmaps: the cropping values, applied as a crop or as a placement.
  MapBuilder& Crop(float u, float v, float width, float height, bool apply = true);
  MapBuilder& Place(float u, float v, float width, float height, bool apply = true);
  // The flat colour of a map without a pattern.
  MapBuilder& FlatColor(const AColor& color);
  MapBuilder& SubMap(int i, const MapBuilder& map);

  MapDescriptionRef Description() const { return description_; }

 private:
  std::shared_ptr<MapDescription> description_;
};

// Maps named "Map" unless given a name.
MapBuilder BitmapTexture(std::wstring hostPath);
MapBuilder Checker(const AColor& color0 = {0, 0, 0}, const AColor& color1 = {1, 1, 1});
MapBuilder Gradient(const AColor& top = {0, 0, 0}, const AColor& middle = {0.5f, 0.5f, 0.5f},
                    const AColor& bottom = {1, 1, 1}, float middlePosition = 0.5f);
MapBuilder Noise(const AColor& color0 = {0, 0, 0}, const AColor& color1 = {1, 1, 1},
                 float size = 25.0f);
MapBuilder NormalBump(const MapBuilder& normalMap);
MapBuilder VertexColorMap();
MapBuilder CustomMap(Class_ID classId);

class MaterialBuilder {
 public:
  // No material: an empty sub-material slot.
  MaterialBuilder(std::nullptr_t) {}
  explicit MaterialBuilder(MaterialDescription description);

  MaterialBuilder& Name(std::wstring name);
  MaterialBuilder& ClassId(Class_ID classId);
  MaterialBuilder& Diffuse(const Color& color);
  MaterialBuilder& Specular(const Color& color);
  MaterialBuilder& Shininess(float shininess);
  MaterialBuilder& ShininessStrength(float strength);
  MaterialBuilder& Transparency(float transparency);
  // Switches self-illumination on with `color`.
  MaterialBuilder& SelfIllumination(const Color& color);

  // Standard materials: map slot 0..11 (StandardSlot), switched on or off.
  MaterialBuilder& Map(int slot, const MapBuilder& map, bool enabled = true);
  MaterialBuilder& MapEnabled(int slot, bool enabled);
  // Other materials: sub-map i, and the sub-materials (also those of a multi-material).
  MaterialBuilder& SubMap(int i, const MapBuilder& map);
  MaterialBuilder& SubMaterials(const std::vector<MaterialBuilder>& subMaterials);

  // DirectX shader materials: the effect file, and parameters of block 0 in order.
  MaterialBuilder& EffectFile(std::wstring hostPath);
  MaterialBuilder& FloatParam(std::wstring name, float value);
  MaterialBuilder& PercentParam(std::wstring name, float fraction);
  MaterialBuilder& Point3Param(std::wstring name, const Point3& value);
  MaterialBuilder& Point4Param(std::wstring name, const Point4& value);
  MaterialBuilder& ColorParam(std::wstring name, const AColor& value);
  MaterialBuilder& BoolParam(std::wstring name, bool value);
  MaterialBuilder& IntParam(std::wstring name, int value);
  MaterialBuilder& StringParam(std::wstring name, std::wstring value);
  MaterialBuilder& FileNameParam(std::wstring name, std::wstring hostPath);
  // Also the next effect bitmap; an empty path gives a parameter without a bitmap.
  MaterialBuilder& BitmapParam(std::wstring name, std::wstring hostPath, int mappingChannel = 1);
  MaterialBuilder& MapParam(std::wstring name, const MapBuilder& map);
  // A parameter of any type with its value as EffectParamDescription holds it.
  MaterialBuilder& Param(EffectParamDescription param);
  // No parameter blocks at all, as a broken effect material has.
  MaterialBuilder& WithoutParamBlocks();

  // Null for nullptr.
  MaterialDescriptionRef Description() const { return description_; }
  explicit operator bool() const { return description_ != nullptr; }

 private:
  // The description to change. A null builder has none: setting anything on it is a mistake.
  MaterialDescription* Edit();

  std::shared_ptr<MaterialDescription> description_;
};

MaterialBuilder StandardMaterial(std::wstring name);
MaterialBuilder MultiMaterial(std::wstring name, const std::vector<MaterialBuilder>& subMaterials);
MaterialBuilder OtherMaterial(std::wstring name, Class_ID classId = kOtherMaterialClass);
MaterialBuilder DxMaterial(std::wstring name, std::wstring effectFileHostPath = {});

}  // namespace sim
