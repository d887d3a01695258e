// Descriptions of materials and maps, from which every scene built makes its own objects (see
// material_builder.h for making them in code). A description used in several places becomes one
// object of the scene: shared descriptions make shared materials.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/sim/sim_material.h"
#include "host/sim/sim_texmap.h"

namespace sim {

struct MapDescription;
struct MaterialDescription;
using MapDescriptionRef = std::shared_ptr<const MapDescription>;
using MaterialDescriptionRef = std::shared_ptr<const MaterialDescription>;

enum class MapKind { kBitmap, kChecker, kGradient, kNoise, kNormalBump, kVertexColor, kCustom };

struct MapDescription {
  MapKind kind = MapKind::kCustom;
  std::wstring name;
  // The class of a kCustom map; the other kinds have their own.
  Class_ID classId;
  // kBitmap: the image file in host form.
  std::wstring file;
  BitmapCrop crop;
  UVPlacement placement;
  int tiling = U_WRAP | V_WRAP;
  int mapChannel = 1;
  // kChecker: 2, kGradient: 3, kNoise: 2 colours; any other kind: its flat colour, if given.
  std::vector<AColor> colors;
  float gradientMiddle = 0.5f;
  float noiseSize = 25.0f;
  // Sub-map i (null entries are empty slots). Normal Bump: 0 the normal map, 1 a bump map.
  std::vector<MapDescriptionRef> subMaps;
};

enum class MaterialKind { kStandard, kMulti, kOther, kDirectX };

// One parameter of a DirectX shader material's block 0. A bitmap holds its file (a host path, empty
// for none) as a string; a map holds a map description.
struct EffectParamDescription {
  std::wstring name;
  ParamType2 type = TYPE_FLOAT;
  std::variant<float, int, Point3, Point4, AColor, std::wstring, MapDescriptionRef> value;
  // Bitmaps only.
  int mappingChannel = 1;
};

struct StandardSlotDescription {
  MapDescriptionRef map;
  bool enabled = true;
};

struct MaterialDescription {
  MaterialKind kind = MaterialKind::kOther;
  std::wstring name;
  // kStandard: DMTL_CLASS_ID or DMTL2_CLASS_ID; kOther: any class.
  Class_ID classId = kOtherMaterialClass;
  MaterialColors colors;
  // kStandard.
  std::array<StandardSlotDescription, kStandardSlotCount> slots;
  // kMulti and kOther: null entries are empty slots.
  std::vector<MaterialDescriptionRef> subMaterials;
  // kOther.
  std::vector<MapDescriptionRef> subMaps;
  // kDirectX: block 0 in order, and block 1's "effectfile" when given.
  std::vector<EffectParamDescription> effectParams;
  std::optional<std::wstring> effectFile;
  // kDirectX: no parameter blocks at all, as a broken effect material has.
  bool withoutParamBlocks = false;
};

}  // namespace sim
