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
  Making(std::set<const void*>& making, const void* spec) : making_(making), spec_(spec) {
    if (!making_.insert(spec).second) {
      throw std::invalid_argument("a material or map description contains itself");
    }
  }
  ~Making() { making_.erase(spec_); }
  Making(const Making&) = delete;
  Making& operator=(const Making&) = delete;

 private:
  std::set<const void*>& making_;
  const void* spec_;
};

AColor ColorAt(const std::vector<AColor>& colors, std::size_t i, const AColor& fallback) {
  return i < colors.size() ? colors[i] : fallback;
}

}  // namespace

Mtl* MaterialInstancer::Material(const MaterialSpecRef& spec) {
  if (!spec) return nullptr;
  auto found = materials_.find(spec.get());
  if (found != materials_.end()) return found->second;
  Making making(making_, spec.get());
  Mtl* material = MakeMaterial(*spec);
  materials_.emplace(spec.get(), material);
  return material;
}

Texmap* MaterialInstancer::Map(const MapSpecRef& spec) {
  if (!spec) return nullptr;
  auto found = maps_.find(spec.get());
  if (found != maps_.end()) return found->second;
  Making making(making_, spec.get());
  Texmap* map = MakeMap(*spec);
  maps_.emplace(spec.get(), map);
  return map;
}

Mtl* MaterialInstancer::MakeMaterial(const MaterialSpec& spec) {
  switch (spec.kind) {
    case MaterialKind::kStandard: {
      auto& material = library_.AddMaterial<SimStdMaterial>(spec.name, spec.classId);
      material.SetColors(spec.colors);
      for (int i = 0; i < kStandardSlotCount; ++i) {
        const StandardSlotSpec& slot = spec.slots[static_cast<std::size_t>(i)];
        material.SetMap(i, Map(slot.map), slot.enabled);
      }
      return &material;
    }
    case MaterialKind::kDirectX: {
      auto& material = library_.AddMaterial<SimDxMaterial>(spec.name);
      material.SetColors(spec.colors);
      AddEffectParams(spec, material);
      return &material;
    }
    case MaterialKind::kMulti:
    case MaterialKind::kOther:
      break;
  }
  auto& material = library_.AddMaterial<SimMaterial>(spec.classId, spec.name);
  material.SetColors(spec.colors);
  std::vector<Mtl*> subMaterials;
  subMaterials.reserve(spec.subMaterials.size());
  for (const MaterialSpecRef& sub : spec.subMaterials) subMaterials.push_back(Material(sub));
  material.SetSubMaterials(std::move(subMaterials));
  for (std::size_t i = 0; i < spec.subMaps.size(); ++i) {
    material.SetSubTexmap(static_cast<int>(i), Map(spec.subMaps[i]));
  }
  return &material;
}

void MaterialInstancer::AddEffectParams(const MaterialSpec& spec, SimDxMaterial& material) {
  if (spec.withoutParamBlocks) {
    material.ClearParamBlocks();
    return;
  }
  ParamID id = 0;
  for (const EffectParamSpec& param : spec.effectParams) {
    if (param.type == TYPE_BITMAP) {
      const auto* path = std::get_if<std::wstring>(&param.value);
      material.AddEffectBitmap(id, param.name, path ? *path : std::wstring(), param.mappingChannel);
    } else if (param.type == TYPE_TEXMAP) {
      const auto* map = std::get_if<MapSpecRef>(&param.value);
      material.Parameters().Add(id, param.name, TYPE_TEXMAP, map ? Map(*map) : nullptr);
    } else {
      SimParamBlock::Value value;
      std::visit(
          [&value](const auto& held) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(held)>, MapSpecRef>) value = held;
          },
          param.value);
      material.Parameters().Add(id, param.name, param.type, std::move(value));
    }
    ++id;
  }
  if (spec.effectFile) material.SetEffectFile(*spec.effectFile);
}

Texmap* MaterialInstancer::MakeMap(const MapSpec& spec) {
  const std::vector<AColor>& colors = spec.colors;
  SimTexmap* map = nullptr;
  switch (spec.kind) {
    case MapKind::kBitmap: {
      auto& bitmap = library_.AddMap<SimBitmapTex>(spec.name, spec.file);
      bitmap.SetCrop(spec.crop);
      bitmap.SetPlacement(spec.placement);
      bitmap.SetTextureTiling(spec.tiling);
      bitmap.SetMapChannel(spec.mapChannel);
      if (!colors.empty()) bitmap.SetFlatColor(colors[0]);
      return &bitmap;
    }
    case MapKind::kChecker:
      map = &library_.AddMap<SimCheckerMap>(spec.name, ColorAt(colors, 0, {0, 0, 0}),
                                            ColorAt(colors, 1, kWhite));
      break;
    case MapKind::kGradient:
      map = &library_.AddMap<SimGradientMap>(
          spec.name,
          std::array{ColorAt(colors, 0, {0, 0, 0}), ColorAt(colors, 1, {0.5f, 0.5f, 0.5f}),
                     ColorAt(colors, 2, kWhite)},
          spec.gradientMiddle);
      break;
    case MapKind::kNoise:
      map = &library_.AddMap<SimNoiseMap>(spec.name, ColorAt(colors, 0, {0, 0, 0}),
                                          ColorAt(colors, 1, kWhite), spec.noiseSize);
      break;
    case MapKind::kNormalBump:
      map = &library_.AddMap<SimNormalBumpMap>(spec.name);
      break;
    case MapKind::kVertexColor:
      map = &library_.AddMap<SimTexmap>(VERTEX_COLOR_CLASS_ID, spec.name);
      // Without a mesh at hand the map shows the vertex colours' default, white.
      map->SetFlatColor(kWhite);
      break;
    case MapKind::kCustom:
      map = &library_.AddMap<SimTexmap>(spec.classId, spec.name);
      break;
  }
  map->SetPlacement(spec.placement);
  map->SetTextureTiling(spec.tiling);
  map->SetMapChannel(spec.mapChannel);
  if (spec.kind == MapKind::kCustom || spec.kind == MapKind::kVertexColor) {
    if (!colors.empty()) map->SetFlatColor(colors[0]);
  }
  for (std::size_t i = 0; i < spec.subMaps.size(); ++i) {
    map->SetSubTexmap(static_cast<int>(i), Map(spec.subMaps[i]));
  }
  return map;
}

}  // namespace sim
