#include "host/sim/scene_file/material_reader.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/sim/scene_file/class_reader.h"
#include "host/sim/scene_file/map_reader.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/sim/scene_file/texture_path.h"

namespace sim {

namespace {

struct NamedSlot {
  std::string_view name;
  int slot;
};

constexpr NamedSlot kSlots[] = {
    {"ambient", kAmbientSlot},
    {"diffuse", kDiffuseSlot},
    {"specular", kSpecularSlot},
    {"shininess", kShininessSlot},
    {"shininessStrength", kShininessStrengthSlot},
    {"selfIllumination", kSelfIlluminationSlot},
    {"opacity", kOpacitySlot},
    {"filterColor", kFilterColorSlot},
    {"bump", kBumpSlot},
    {"reflection", kReflectionSlot},
    {"refraction", kRefractionSlot},
    {"displacement", kDisplacementSlot},
};

struct NamedType {
  std::string_view name;
  ParamType2 type;
};

constexpr NamedType kParamTypes[] = {
    {"float", TYPE_FLOAT},       {"percent", TYPE_PCNT_FRAC}, {"point3", TYPE_POINT3},
    {"point4", TYPE_POINT4},     {"color", TYPE_FRGBA},       {"rgb", TYPE_RGBA},
    {"bool", TYPE_BOOL},         {"int", TYPE_INT},           {"string", TYPE_STRING},
    {"filename", TYPE_FILENAME}, {"bitmap", TYPE_BITMAP},     {"texmap", TYPE_TEXMAP},
};

template <class Named, std::size_t N>
std::string KnownNames(const Named (&names)[N]) {
  std::string known;
  for (const Named& named : names)
    known += (known.empty() ? "\"" : ", \"") + std::string(named.name) + "\"";
  return known;
}

// An entry read, with its sub-material references still unresolved.
struct MaterialEntry {
  explicit MaterialEntry(JsonPlace where, MaterialBuilder built)
      : place(std::move(where)), material(std::move(built)) {}
  JsonPlace place;
  MaterialBuilder material;
  std::string id;
  std::optional<JsonPlace> subMaterials;
  // Index of each sub-material in the entry list; -1 for an empty slot.
  std::vector<int> children;
};

void ReadColors(const JsonPlace& entry, MaterialBuilder& material) {
  if (auto diffuse = entry.OptionalField("diffuse")) material.Diffuse(ReadColor(*diffuse));
  if (auto specular = entry.OptionalField("specular")) material.Specular(ReadColor(*specular));
  if (auto shininess = entry.OptionalField("shininess")) material.Shininess(shininess->Float());
  if (auto strength = entry.OptionalField("shininessStrength")) {
    material.ShininessStrength(strength->Float());
  }
  if (auto transparency = entry.OptionalField("transparency")) {
    float value = transparency->Float();
    if (value < 0 || value > 1) transparency->Fail("transparency lies between 0 and 1");
    material.Transparency(value);
  }
  if (auto selfIllumination = entry.OptionalField("selfIllumination")) {
    material.SelfIllumination(ReadColor(*selfIllumination));
  }
}

int ReadSlot(const JsonPlace& where, const std::string& key) {
  for (const NamedSlot& named : kSlots) {
    if (named.name == key) return named.slot;
  }
  int slot = -1;
  if (!key.empty() && key.size() <= 2 && key.find_first_not_of("0123456789") == std::string::npos) {
    slot = std::stoi(key);
  }
  if (slot < 0 || slot >= kStandardSlotCount) {
    where.Fail("unknown map slot \"" + key + "\": a slot is a number from 0 to 11 or one of " +
               KnownNames(kSlots));
  }
  return slot;
}

// "maps": {slot: map}; a map object there may also say whether its slot is "enabled".
void ReadSlots(const JsonPlace& maps, const std::filesystem::path& baseFolder,
               MaterialBuilder& material) {
  std::vector<bool> taken(kStandardSlotCount, false);
  for (const auto& [key, map] : maps.Members()) {
    if (map.IsNull()) continue;  // as absent, like any key set to null
    int slot = ReadSlot(map, key);
    if (taken[static_cast<std::size_t>(slot)]) {
      map.Fail("map slot " + std::to_string(slot) + " is given twice");
    }
    taken[static_cast<std::size_t>(slot)] = true;
    MapBuilder read = ReadMap(map, baseFolder, true);
    bool enabled = true;
    if (auto flag = map.OptionalField("enabled")) enabled = flag->Bool();
    material.Map(slot, read, enabled);
  }
}

void ReadSubMaps(const JsonPlace& list, const std::filesystem::path& baseFolder,
                 MaterialBuilder& material) {
  std::size_t count = list.ExpectArray(0, SceneLimits::kMaxSubMaps);
  for (std::size_t i = 0; i < count; ++i) {
    JsonPlace entry = list.Element(i);
    if (!entry.IsNull()) material.SubMap(static_cast<int>(i), ReadMap(entry, baseFolder));
  }
}

ParamType2 ReadParamType(const JsonPlace& type) {
  std::string name = type.String();
  for (const NamedType& named : kParamTypes) {
    if (named.name == name) return named.type;
  }
  type.Fail("unknown parameter type \"" + name + "\" (known: " + KnownNames(kParamTypes) + ")");
}

EffectParamDescription ReadEffectParam(const JsonPlace& param,
                                       const std::filesystem::path& baseFolder) {
  param.ExpectObject({"name", "type", "value", "mapChannel"});
  EffectParamDescription description;
  description.name = param.Field("name").WideString();
  description.type = ReadParamType(param.Field("type"));
  auto mapChannel = param.OptionalField("mapChannel");
  if (mapChannel) {
    if (description.type != TYPE_BITMAP)
      mapChannel->Fail("only a bitmap parameter has a map channel");
    description.mappingChannel =
        static_cast<int>(mapChannel->Integer(0, SceneLimits::kMaxMapChannel));
  }
  auto value = param.OptionalField("value");
  if (!value) return description;  // the type's zero, empty or null
  switch (description.type) {
    case TYPE_POINT3:
      description.value = value->Point();
      break;
    case TYPE_POINT4: {
      value->ExpectArray(4, 4);
      Point4 p;
      p.x = value->Element(0).Float();
      p.y = value->Element(1).Float();
      p.z = value->Element(2).Float();
      p.w = value->Element(3).Float();
      description.value = p;
      break;
    }
    case TYPE_FRGBA:
      description.value = ReadAColor(*value);
      break;
    case TYPE_RGBA: {
      Color color = ReadColor(*value);
      description.value = Point3(color.r, color.g, color.b);
      break;
    }
    case TYPE_BOOL:
      description.value = value->Bool() ? 1 : 0;
      break;
    case TYPE_INT:
      description.value = static_cast<int>(value->Integer(INT32_MIN, INT32_MAX));
      break;
    case TYPE_STRING:
      description.value = value->WideString();
      break;
    case TYPE_FILENAME:
    case TYPE_BITMAP:
      description.value = ResolveTexturePath(value->WideString(), baseFolder);
      break;
    case TYPE_TEXMAP:
      description.value = ReadMap(*value, baseFolder).Description();
      break;
    default:
      description.value = value->Float();
      break;
  }
  return description;
}

void ReadDirectX(const JsonPlace& entry, const std::filesystem::path& baseFolder,
                 MaterialBuilder& material) {
  if (auto effectFile = entry.OptionalField("effectFile")) {
    material.EffectFile(ResolveTexturePath(effectFile->WideString(), baseFolder));
  }
  if (auto params = entry.OptionalField("parameters")) {
    std::size_t count = params->ExpectArray(0, SceneLimits::kMaxEffectParams);
    for (std::size_t i = 0; i < count; ++i) {
      material.Param(ReadEffectParam(params->Element(i), baseFolder));
    }
  }
}

Class_ID ReadStandardClass(const JsonPlace& classId) {
  Class_ID id = ReadClassId(classId);
  if (id != DMTL_CLASS_ID && id != DMTL2_CLASS_ID) {
    classId.Fail("a standard material's class is [2, 0] or [3, 0]");
  }
  return id;
}

Class_ID ReadOtherClass(const JsonPlace& classId) {
  Class_ID id = ReadClassId(classId);
  if (id == DMTL_CLASS_ID || id == DMTL2_CLASS_ID) {
    classId.Fail(
        "an \"other\" material cannot claim the standard material's class [2, 0] or [3, 0]");
  }
  return id;
}

MaterialEntry ReadEntry(const JsonPlace& entry, const std::filesystem::path& baseFolder) {
  constexpr std::string_view kColorKeys[] = {
      "diffuse", "specular", "shininess", "shininessStrength", "transparency", "selfIllumination"};
  std::vector<std::string_view> keys{"id", "name", "type"};
  keys.insert(keys.end(), std::begin(kColorKeys), std::end(kColorKeys));
  if (!entry.IsObject()) entry.Fail("expected a material object");
  JsonPlace typePlace = entry.Field("type");
  std::string type = typePlace.String();
  std::wstring name = entry.Field("name").WideString();
  MaterialBuilder material = nullptr;
  if (type == "standard") {
    keys.insert(keys.end(), {"classId", "maps"});
    material = StandardMaterial(name);
  } else if (type == "multi") {
    keys.push_back("subMaterials");
    material = MultiMaterial(name, {});
  } else if (type == "other") {
    keys.insert(keys.end(), {"classId", "subMaterials", "subMaps"});
    material = OtherMaterial(name);
  } else if (type == "directx") {
    keys.insert(keys.end(), {"effectFile", "parameters"});
    material = DxMaterial(name);
  } else {
    typePlace.Fail("unknown material type \"" + type +
                   "\" (known: \"standard\", \"multi\", \"other\", \"directx\")");
  }
  entry.ExpectObject(keys);
  ReadColors(entry, material);
  if (auto classId = entry.OptionalField("classId")) {
    material.ClassId(type == "standard" ? ReadStandardClass(*classId) : ReadOtherClass(*classId));
  }
  if (auto maps = entry.OptionalField("maps")) ReadSlots(*maps, baseFolder, material);
  if (auto subMaps = entry.OptionalField("subMaps")) ReadSubMaps(*subMaps, baseFolder, material);
  if (type == "directx") ReadDirectX(entry, baseFolder, material);

  MaterialEntry read(entry, material);
  auto id = entry.OptionalField("id");
  read.id = id ? id->String() : entry.Field("name").String();
  read.subMaterials = entry.OptionalField("subMaterials");
  return read;
}

void ResolveSubMaterials(std::vector<MaterialEntry>& entries,
                         const std::map<std::string, int>& byId) {
  for (MaterialEntry& entry : entries) {
    if (!entry.subMaterials) continue;
    std::size_t count = entry.subMaterials->ExpectArray(0, SceneLimits::kMaxSubMaterials);
    for (std::size_t i = 0; i < count; ++i) {
      JsonPlace reference = entry.subMaterials->Element(i);
      if (reference.IsNull()) {
        entry.children.push_back(-1);
        continue;
      }
      std::string id = reference.String();
      auto found = byId.find(id);
      if (found == byId.end()) reference.Fail("no material has the id \"" + id + "\"");
      entry.children.push_back(found->second);
    }
  }
}

// No material may contain itself, and none may nest too deep: a depth-first walk with an explicit
// stack, so that a long chain in a file costs no call stack here.
void CheckNesting(const std::vector<MaterialEntry>& entries) {
  constexpr int kUnvisited = 0, kOnPath = -1;
  // Levels of materials from an entry down to its deepest sub-material, the entry counted.
  std::vector<int> depth(entries.size(), kUnvisited);
  for (std::size_t start = 0; start < entries.size(); ++start) {
    if (depth[start] != kUnvisited) continue;
    std::vector<std::pair<int, std::size_t>> path{{static_cast<int>(start), 0}};
    depth[start] = kOnPath;
    while (!path.empty()) {
      auto& [node, next] = path.back();
      const MaterialEntry& entry = entries[static_cast<std::size_t>(node)];
      if (next < entry.children.size()) {
        int child = entry.children[next++];
        if (child < 0) continue;
        if (depth[static_cast<std::size_t>(child)] == kOnPath) {
          std::string loop;
          bool inLoop = false;
          for (const auto& step : path) {
            inLoop = inLoop || step.first == child;
            if (inLoop) loop += entries[static_cast<std::size_t>(step.first)].id + " -> ";
          }
          entry.subMaterials->Element(next - 1).Fail("the material contains itself: " + loop +
                                                     entries[static_cast<std::size_t>(child)].id);
        }
        if (depth[static_cast<std::size_t>(child)] == kUnvisited) {
          depth[static_cast<std::size_t>(child)] = kOnPath;
          path.emplace_back(child, 0);
        }
        continue;
      }
      int deepest = 0;
      for (int child : entry.children) {
        if (child >= 0) deepest = std::max(deepest, depth[static_cast<std::size_t>(child)]);
      }
      depth[static_cast<std::size_t>(node)] = deepest + 1;
      if (deepest + 1 > SceneLimits::kMaxMaterialDepth) {
        entry.place.Fail("materials nest more than " +
                         std::to_string(SceneLimits::kMaxMaterialDepth) + " levels deep here");
      }
      path.pop_back();
    }
  }
}

}  // namespace

MaterialTable ReadMaterials(const std::optional<JsonPlace>& materials,
                            const std::filesystem::path& baseFolder) {
  MaterialTable table;
  if (!materials) return table;
  std::size_t count = materials->ExpectArray(0, SceneLimits::kMaxMaterials);
  std::vector<MaterialEntry> entries;
  entries.reserve(count);
  std::map<std::string, int> byId;
  for (std::size_t i = 0; i < count; ++i) {
    entries.push_back(ReadEntry(materials->Element(i), baseFolder));
    auto [existing, added] = byId.emplace(entries.back().id, static_cast<int>(i));
    if (!added) {
      entries.back().place.Fail(
          "the material id \"" + entries.back().id + "\" is already used by " +
          entries[static_cast<std::size_t>(existing->second)].place.Pointer() +
          "; give one of them an explicit \"id\"");
    }
  }
  ResolveSubMaterials(entries, byId);
  CheckNesting(entries);
  for (MaterialEntry& entry : entries) {
    if (entry.subMaterials) {
      std::vector<MaterialBuilder> subMaterials;
      for (int child : entry.children) {
        subMaterials.push_back(child < 0 ? MaterialBuilder(nullptr)
                                         : entries[static_cast<std::size_t>(child)].material);
      }
      entry.material.SubMaterials(subMaterials);
    }
    table.emplace(entry.id, entry.material);
  }
  return table;
}

MaterialBuilder LookUpMaterial(const JsonPlace& reference, const MaterialTable& table) {
  std::string id = reference.String();
  auto found = table.find(id);
  if (found == table.end()) reference.Fail("no material has the id \"" + id + "\"");
  return found->second;
}

}  // namespace sim
