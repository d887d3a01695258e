#include "host/sim/material_instancer.h"

#include <stdexcept>
#include <type_traits>
#include <variant>

namespace sim {

namespace {

const AColor kWhite{1, 1, 1, 1};

// Marks a description as being made for as long as it lives.
class Making {
 public:
  Making(std::set<const void*>& making, const void* description)
      : making_(making), description_(description) {
    if (!making_.insert(description).second) {
      throw std::invalid_argument("a material or map description contains itself");
    }
  }
  ~Making() { making_.erase(description_); }
  Making(const Making&) = delete;
  Making& operator=(const Making&) = delete;

 private:
  std::set<const void*>& making_;
  const void* description_;
};

AColor ColorAt(const std::vector<AColor>& colors, std::size_t i, const AColor& fallback) {
  return i < colors.size() ? colors[i] : fallback;
}

}  // namespace

Mtl* MaterialInstancer::Material(const MaterialDescriptionRef& description) {
  if (!description) return nullptr;
  auto found = materials_.find(description.get());
  if (found != materials_.end()) return found->second;
  Making making(making_, description.get());
  Mtl* material = MakeMaterial(*description);
  materials_.emplace(description.get(), material);
  return material;
}

Texmap* MaterialInstancer::Map(const MapDescriptionRef& description) {
  if (!description) return nullptr;
  auto found = maps_.find(description.get());
  if (found != maps_.end()) return found->second;
  Making making(making_, description.get());
  Texmap* map = MakeMap(*description);
  maps_.emplace(description.get(), map);
  return map;
}

Mtl* MaterialInstancer::MakeMaterial(const MaterialDescription& description) {
  switch (description.kind) {
    case MaterialKind::kStandard: {
      auto& material = library_.AddMaterial<SimStdMaterial>(description.name, description.classId);
      material.SetColors(description.colors);
      for (int i = 0; i < kStandardSlotCount; ++i) {
        const StandardSlotDescription& slot = description.slots[static_cast<std::size_t>(i)];
        material.SetMap(i, Map(slot.map), slot.enabled);
      }
      return &material;
    }
    case MaterialKind::kDirectX: {
      auto& material = library_.AddMaterial<SimDxMaterial>(description.name);
      material.SetColors(description.colors);
      AddEffectParams(description, material);
      return &material;
    }
    case MaterialKind::kMulti:
    case MaterialKind::kOther:
      break;
  }
  auto& material = library_.AddMaterial<SimMaterial>(description.classId, description.name);
  material.SetColors(description.colors);
  std::vector<Mtl*> subMaterials;
  subMaterials.reserve(description.subMaterials.size());
  for (const MaterialDescriptionRef& sub : description.subMaterials)
    subMaterials.push_back(Material(sub));
  material.SetSubMaterials(std::move(subMaterials));
  for (std::size_t i = 0; i < description.subMaps.size(); ++i) {
    material.SetSubTexmap(static_cast<int>(i), Map(description.subMaps[i]));
  }
  return &material;
}

void MaterialInstancer::AddEffectParams(const MaterialDescription& description,
                                        SimDxMaterial& material) {
  if (description.withoutParamBlocks) {
    material.ClearParamBlocks();
    return;
  }
  ParamID id = 0;
  for (const EffectParamDescription& param : description.effectParams) {
    if (param.type == TYPE_BITMAP) {
      const auto* path = std::get_if<std::wstring>(&param.value);
      material.AddEffectBitmap(id, param.name, path ? *path : std::wstring(), param.mappingChannel);
    } else if (param.type == TYPE_TEXMAP) {
      const auto* map = std::get_if<MapDescriptionRef>(&param.value);
      material.Parameters().Add(id, param.name, TYPE_TEXMAP, map ? Map(*map) : nullptr);
    } else {
      SimParamBlock::Value value;
      std::visit(
          [&value](const auto& held) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(held)>, MapDescriptionRef>)
              value = held;
          },
          param.value);
      material.Parameters().Add(id, param.name, param.type, std::move(value));
    }
    ++id;
  }
  if (description.effectFile) material.SetEffectFile(*description.effectFile);
}

Texmap* MaterialInstancer::MakeMap(const MapDescription& description) {
  const std::vector<AColor>& colors = description.colors;
  SimTexmap* map = nullptr;
  switch (description.kind) {
    case MapKind::kBitmap: {
      auto& bitmap = library_.AddMap<SimBitmapTex>(description.name, description.file);
      bitmap.SetCrop(description.crop);
      bitmap.SetPlacement(description.placement);
      bitmap.SetTextureTiling(description.tiling);
      bitmap.SetMapChannel(description.mapChannel);
      if (!colors.empty()) bitmap.SetFlatColor(colors[0]);
      return &bitmap;
    }
    case MapKind::kChecker:
      map = &library_.AddMap<SimCheckerMap>(description.name, ColorAt(colors, 0, {0, 0, 0}),
                                            ColorAt(colors, 1, kWhite));
      break;
    case MapKind::kGradient:
      map = &library_.AddMap<SimGradientMap>(
          description.name,
          std::array{ColorAt(colors, 0, {0, 0, 0}), ColorAt(colors, 1, {0.5f, 0.5f, 0.5f}),
                     ColorAt(colors, 2, kWhite)},
          description.gradientMiddle);
      break;
    case MapKind::kNoise:
      map = &library_.AddMap<SimNoiseMap>(description.name, ColorAt(colors, 0, {0, 0, 0}),
                                          ColorAt(colors, 1, kWhite), description.noiseSize);
      break;
    case MapKind::kNormalBump:
      map = &library_.AddMap<SimNormalBumpMap>(description.name);
      break;
    case MapKind::kVertexColor:
      map = &library_.AddMap<SimTexmap>(VERTEX_COLOR_CLASS_ID, description.name);
      // Without a mesh at hand the map shows the vertex colours' default, white.
      map->SetFlatColor(kWhite);
      break;
    case MapKind::kCustom:
      map = &library_.AddMap<SimTexmap>(description.classId, description.name);
      break;
  }
  map->SetPlacement(description.placement);
  map->SetTextureTiling(description.tiling);
  map->SetMapChannel(description.mapChannel);
  if (description.kind == MapKind::kCustom || description.kind == MapKind::kVertexColor) {
    if (!colors.empty()) map->SetFlatColor(colors[0]);
  }
  for (std::size_t i = 0; i < description.subMaps.size(); ++i) {
    map->SetSubTexmap(static_cast<int>(i), Map(description.subMaps[i]));
  }
  return map;
}

}  // namespace sim
