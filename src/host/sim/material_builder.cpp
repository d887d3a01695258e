#include "host/sim/material_builder.h"

#include <stdexcept>

namespace sim {

namespace {

constexpr int kMaxSubSlot = 99;

template <class T>
void PutAt(std::vector<T>& list, int i, T value) {
  if (i < 0 || i > kMaxSubSlot) throw std::invalid_argument("sub-slot numbers run from 0 to 99");
  if (list.size() <= static_cast<std::size_t>(i)) list.resize(static_cast<std::size_t>(i) + 1);
  list[static_cast<std::size_t>(i)] = std::move(value);
}

MapDescription NewMap(MapKind kind, std::vector<AColor> colors = {}) {
  MapDescription description;
  description.kind = kind;
  description.name = L"Map";
  description.colors = std::move(colors);
  return description;
}

MaterialDescription NewMaterial(MaterialKind kind, std::wstring name, Class_ID classId) {
  MaterialDescription description;
  description.kind = kind;
  description.name = std::move(name);
  description.classId = classId;
  return description;
}

}  // namespace

MapBuilder::MapBuilder(MapDescription description)
    : description_(std::make_shared<MapDescription>(std::move(description))) {}

MapBuilder& MapBuilder::Name(std::wstring name) {
  description_->name = std::move(name);
  return *this;
}

MapBuilder& MapBuilder::Offset(float u, float v) {
  description_->placement.offsetU = u;
  description_->placement.offsetV = v;
  return *this;
}

MapBuilder& MapBuilder::Repeat(float u, float v) {
  description_->placement.repeatU = u;
  description_->placement.repeatV = v;
  return *this;
}

MapBuilder& MapBuilder::Angle(float degrees) {
  description_->placement.angle = degrees;
  return *this;
}

MapBuilder& MapBuilder::Tiling(int flags) {
  description_->tiling = flags;
  return *this;
}

MapBuilder& MapBuilder::Channel(int mapChannel) {
  description_->mapChannel = mapChannel;
  return *this;
}

MapBuilder& MapBuilder::Crop(float u, float v, float width, float height, bool apply) {
  if (description_->kind != MapKind::kBitmap) throw std::invalid_argument("only bitmaps crop");
  description_->crop = {u, v, width, height, apply, false};
  return *this;
}

MapBuilder& MapBuilder::Place(float u, float v, float width, float height, bool apply) {
  Crop(u, v, width, height, apply);
  description_->crop.place = true;
  return *this;
}

MapBuilder& MapBuilder::FlatColor(const AColor& color) {
  MapKind kind = description_->kind;
  if (kind == MapKind::kChecker || kind == MapKind::kGradient || kind == MapKind::kNoise) {
    throw std::invalid_argument("a procedural map has its pattern's colours, not a flat one");
  }
  description_->colors = {color};
  return *this;
}

MapBuilder& MapBuilder::SubMap(int i, const MapBuilder& map) {
  PutAt(description_->subMaps, i, map.Description());
  return *this;
}

MapBuilder BitmapTexture(std::wstring hostPath) {
  MapDescription description = NewMap(MapKind::kBitmap);
  description.file = std::move(hostPath);
  return MapBuilder(std::move(description));
}

MapBuilder Checker(const AColor& color0, const AColor& color1) {
  return MapBuilder(NewMap(MapKind::kChecker, {color0, color1}));
}

MapBuilder Gradient(const AColor& top, const AColor& middle, const AColor& bottom,
                    float middlePosition) {
  MapDescription description = NewMap(MapKind::kGradient, {top, middle, bottom});
  description.gradientMiddle = middlePosition;
  return MapBuilder(std::move(description));
}

MapBuilder Noise(const AColor& color0, const AColor& color1, float size) {
  MapDescription description = NewMap(MapKind::kNoise, {color0, color1});
  description.noiseSize = size;
  return MapBuilder(std::move(description));
}

MapBuilder NormalBump(const MapBuilder& normalMap) {
  MapDescription description = NewMap(MapKind::kNormalBump);
  description.subMaps = {normalMap.Description()};
  return MapBuilder(std::move(description));
}

MapBuilder VertexColorMap() { return MapBuilder(NewMap(MapKind::kVertexColor)); }

MapBuilder CustomMap(Class_ID classId) {
  // The exporter takes an object of these classes for the real thing and calls what they have.
  if (classId == BMTEX_CLASS_ID || classId == GNORMAL_CLASS_ID) {
    throw std::invalid_argument(
        "a custom map cannot claim the bitmap's or the normal bump's class");
  }
  MapDescription description = NewMap(MapKind::kCustom);
  description.classId = classId;
  return MapBuilder(std::move(description));
}

MaterialBuilder::MaterialBuilder(MaterialDescription description)
    : description_(std::make_shared<MaterialDescription>(std::move(description))) {}

MaterialDescription* MaterialBuilder::Edit() {
  if (!description_) throw std::invalid_argument("a null material has nothing to set");
  return description_.get();
}

MaterialBuilder& MaterialBuilder::Name(std::wstring name) {
  Edit()->name = std::move(name);
  return *this;
}

MaterialBuilder& MaterialBuilder::ClassId(Class_ID classId) {
  MaterialDescription* material = Edit();
  bool standardClass = classId == DMTL_CLASS_ID || classId == DMTL2_CLASS_ID;
  // A material answers only a class it implements: the exporter calls the standard material's
  // methods on whatever claims its class.
  if (material->kind == MaterialKind::kStandard && !standardClass) {
    throw std::invalid_argument("a standard material's class is [2, 0] or [3, 0]");
  }
  if (material->kind != MaterialKind::kStandard && standardClass) {
    throw std::invalid_argument("only a standard material may claim the standard material's class");
  }
  material->classId = classId;
  return *this;
}

MaterialBuilder& MaterialBuilder::Diffuse(const Color& color) {
  Edit()->colors.diffuse = color;
  return *this;
}

MaterialBuilder& MaterialBuilder::Specular(const Color& color) {
  Edit()->colors.specular = color;
  return *this;
}

MaterialBuilder& MaterialBuilder::Shininess(float shininess) {
  Edit()->colors.shininess = shininess;
  return *this;
}

MaterialBuilder& MaterialBuilder::ShininessStrength(float strength) {
  Edit()->colors.shininessStrength = strength;
  return *this;
}

MaterialBuilder& MaterialBuilder::Transparency(float transparency) {
  Edit()->colors.transparency = transparency;
  return *this;
}

MaterialBuilder& MaterialBuilder::SelfIllumination(const Color& color) {
  Edit()->colors.selfIlluminationOn = true;
  Edit()->colors.selfIllumination = color;
  return *this;
}

MaterialBuilder& MaterialBuilder::Map(int slot, const MapBuilder& map, bool enabled) {
  MapEnabled(slot, enabled);
  description_->slots[static_cast<std::size_t>(slot)].map = map.Description();
  return *this;
}

MaterialBuilder& MaterialBuilder::MapEnabled(int slot, bool enabled) {
  if (Edit()->kind != MaterialKind::kStandard) {
    throw std::invalid_argument("map slots belong to standard materials; others have SubMap");
  }
  if (slot < 0 || slot >= kStandardSlotCount) throw std::invalid_argument("slots run from 0 to 11");
  description_->slots[static_cast<std::size_t>(slot)].enabled = enabled;
  return *this;
}

MaterialBuilder& MaterialBuilder::SubMap(int i, const MapBuilder& map) {
  if (Edit()->kind != MaterialKind::kOther) {
    throw std::invalid_argument("sub-maps by number belong to other materials");
  }
  PutAt(description_->subMaps, i, map.Description());
  return *this;
}

MaterialBuilder& MaterialBuilder::SubMaterials(const std::vector<MaterialBuilder>& subMaterials) {
  MaterialKind kind = Edit()->kind;
  if (kind != MaterialKind::kMulti && kind != MaterialKind::kOther) {
    throw std::invalid_argument("only multi and other materials have sub-materials");
  }
  description_->subMaterials.clear();
  for (const MaterialBuilder& sub : subMaterials)
    description_->subMaterials.push_back(sub.Description());
  return *this;
}

MaterialBuilder& MaterialBuilder::EffectFile(std::wstring hostPath) {
  if (Edit()->kind != MaterialKind::kDirectX) {
    throw std::invalid_argument("only DirectX shader materials have an effect file");
  }
  description_->effectFile = std::move(hostPath);
  return *this;
}

MaterialBuilder& MaterialBuilder::Param(EffectParamDescription param) {
  if (Edit()->kind != MaterialKind::kDirectX) {
    throw std::invalid_argument("only DirectX shader materials have effect parameters");
  }
  description_->effectParams.push_back(std::move(param));
  return *this;
}

MaterialBuilder& MaterialBuilder::FloatParam(std::wstring name, float value) {
  return Param({std::move(name), TYPE_FLOAT, value});
}

MaterialBuilder& MaterialBuilder::PercentParam(std::wstring name, float fraction) {
  return Param({std::move(name), TYPE_PCNT_FRAC, fraction});
}

MaterialBuilder& MaterialBuilder::Point3Param(std::wstring name, const Point3& value) {
  return Param({std::move(name), TYPE_POINT3, value});
}

MaterialBuilder& MaterialBuilder::Point4Param(std::wstring name, const Point4& value) {
  return Param({std::move(name), TYPE_POINT4, value});
}

MaterialBuilder& MaterialBuilder::ColorParam(std::wstring name, const AColor& value) {
  return Param({std::move(name), TYPE_FRGBA, value});
}

MaterialBuilder& MaterialBuilder::BoolParam(std::wstring name, bool value) {
  return Param({std::move(name), TYPE_BOOL, value ? 1 : 0});
}

MaterialBuilder& MaterialBuilder::IntParam(std::wstring name, int value) {
  return Param({std::move(name), TYPE_INT, value});
}

MaterialBuilder& MaterialBuilder::StringParam(std::wstring name, std::wstring value) {
  return Param({std::move(name), TYPE_STRING, std::move(value)});
}

MaterialBuilder& MaterialBuilder::FileNameParam(std::wstring name, std::wstring hostPath) {
  return Param({std::move(name), TYPE_FILENAME, std::move(hostPath)});
}

MaterialBuilder& MaterialBuilder::BitmapParam(std::wstring name, std::wstring hostPath,
                                              int mappingChannel) {
  return Param({std::move(name), TYPE_BITMAP, std::move(hostPath), mappingChannel});
}

MaterialBuilder& MaterialBuilder::MapParam(std::wstring name, const MapBuilder& map) {
  return Param({std::move(name), TYPE_TEXMAP, map.Description()});
}

MaterialBuilder& MaterialBuilder::WithoutParamBlocks() {
  if (Edit()->kind != MaterialKind::kDirectX) {
    throw std::invalid_argument("only DirectX shader materials can lose their parameter blocks");
  }
  description_->withoutParamBlocks = true;
  return *this;
}

MaterialBuilder StandardMaterial(std::wstring name) {
  return MaterialBuilder(NewMaterial(MaterialKind::kStandard, std::move(name), DMTL_CLASS_ID));
}

MaterialBuilder MultiMaterial(std::wstring name, const std::vector<MaterialBuilder>& subMaterials) {
  MaterialBuilder multi(NewMaterial(MaterialKind::kMulti, std::move(name), MULTI_CLASS_ID));
  multi.SubMaterials(subMaterials);
  return multi;
}

MaterialBuilder OtherMaterial(std::wstring name, Class_ID classId) {
  MaterialBuilder material(NewMaterial(MaterialKind::kOther, std::move(name), kOtherMaterialClass));
  material.ClassId(classId);
  return material;
}

MaterialBuilder DxMaterial(std::wstring name, std::wstring effectFileHostPath) {
  MaterialBuilder material(NewMaterial(MaterialKind::kDirectX, std::move(name), kDxMaterialClass));
  if (!effectFileHostPath.empty()) material.EffectFile(std::move(effectFileHostPath));
  return material;
}

}  // namespace sim
