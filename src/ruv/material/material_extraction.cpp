#include "ruv/material/material_extraction.h"

#include <algorithm>
#include <deque>

#include "host/mesh.h"
#include "host/mtl.h"
#include "ruv/core/names.h"
#include "ruv/core/xnode.h"
#include "ruv/material/dx_material.h"
#include "ruv/material/map_slots.h"
#include "ruv/material/node_materials.h"
#include "ruv/options/export_options.h"

namespace {

bool IsStandard(Mtl* material) {
  Class_ID id = material->ClassID();
  return id == DMTL_CLASS_ID || id == DMTL2_CLASS_ID;
}

std::wstring NameOf(MtlBase* object) {
  const wchar_t* name = object ? object->GetName() : nullptr;
  return name ? name : L"";
}

std::unique_ptr<XMaterial> ErrorRecord(Mtl* material, const wchar_t* suffix) {
  auto record = std::make_unique<XMaterial>();
  record->name = CleanName(NameOf(material)) + suffix;
  record->source = material;
  return record;
}

// The standard material in the material's tree: down the first sub-materials, else breadth first.
// `error` is set for a tree whose last searched material has only empty slots.
Mtl* FindStandardMaterial(Mtl* material, bool& error) {
  error = false;
  Mtl* current = material;
  while (current && current->NumSubMtls() > 0) current = current->GetSubMtl(0);
  if (current && IsStandard(current)) return current;

  std::deque<Mtl*> queue{material};
  Mtl* last = nullptr;
  while (!queue.empty()) {
    last = queue.front();
    queue.pop_front();
    if (IsStandard(last)) return last;
    for (int i = 0; i < last->NumSubMtls(); ++i) {
      if (Mtl* sub = last->GetSubMtl(i)) queue.push_back(sub);
    }
  }
  error = last && last->NumSubMtls() > 0;
  return nullptr;
}

// The number of host texture-coordinate channels the node's mesh carries.
int MeshChannelCount(const XRenderableNode* node) {
  if (!node || !node->mesh) return 0;
  int count = 0;
  for (int channel = 1; channel < MAX_MESHMAPS; ++channel)
    count += node->mesh->mapSupport(channel) ? 1 : 0;
  return count;
}

// An effect material stays one only when a shader has something to blend: with FX on, the mesh has
// channels and the material is more than one primary texture on the mesh's only channel.
std::unique_ptr<XMaterial> Reduce(std::unique_ptr<XEffectMaterial> record,
                                  const XRenderableNode* node) {
  int channels = MeshChannelCount(node);
  int used = 0;
  bool primary = false;
  for (const XTextureSlot& slot : record->maps) {
    used += slot.Used() ? 1 : 0;
    primary = primary || (slot.role == XTextureSlot::kPrimary && slot.Used());
  }
  if (gExportOptions.FX && channels >= 1 && (channels != 1 || used != 1 || !primary)) return record;
  auto plain = std::make_unique<XMaterial>();
  static_cast<XMaterial&>(*plain) = static_cast<const XMaterial&>(*record);
  plain->type = kPlainMaterial;
  return plain;
}

// Fills one slot from a map of a standard or other material; false leaves the slot empty.
bool FillSlot(XMaterial& record, int index, Texmap* map, bool proceduralAllowed) {
  bool normalMap = false;
  map = UnwrapNormalBump(map, normalMap);
  if (!map) return false;
  if (map->ClassID() == BMTEX_CLASS_ID) {
    FillBitmapSlot(record, index, map);
    if (normalMap) record.maps[index].role = XTextureSlot::kNormalMap;
    return true;
  }
  return proceduralAllowed && FillProceduralSlot(record, index, map);
}

}  // namespace

std::unique_ptr<XMaterial> ExtractStandardMaterial(XRenderableNode* node, Mtl* material) {
  bool error = false;
  Mtl* found = FindStandardMaterial(material, error);
  if (!found) return error ? ErrorRecord(material, L"_ErrorSubMtl") : nullptr;
  auto* standard = static_cast<StdMat*>(found);

  auto record = std::make_unique<XEffectMaterial>();
  record->name = CleanName(NameOf(standard));
  record->source = standard;
  for (int i = 0; i < kTextureSlotCount; ++i) {
    Texmap* map = standard->MapEnabled(i + 1) ? standard->GetSubTexmap(i + 1) : nullptr;
    if (!map || !FillSlot(*record, i, map, true)) {
      record->maps[i] = XTextureSlot();
      continue;
    }
    if (i == 0) record->maps[i].role = XTextureSlot::kPrimary;
  }

  Color diffuse = standard->GetDiffuse(TimeValue{0});
  Color specular = standard->GetSpecular(TimeValue{0});
  float shininess = standard->GetShininess(TimeValue{0});
  float strength = standard->GetShinStr(TimeValue{0});
  record->power = shininess * 100.0f;
  Color glow =
      standard->GetSelfIllumColorOn(0, FALSE) ? standard->GetSelfIllumColor(0, FALSE) : Color();
  record->emissiveColor = {glow.r, glow.g, glow.b};
  record->specularColor = {specular.r * strength * 0.1f, specular.g * strength * 0.1f,
                           specular.b * strength * 0.1f};
  bool whiten = record->maps[0].Used() && !gExportOptions.DiffuseMapColor;
  record->faceColor = {whiten ? 1.0f : diffuse.r, whiten ? 1.0f : diffuse.g,
                       whiten ? 1.0f : diffuse.b, 1.0f - standard->GetXParency(0, FALSE)};
  return Reduce(std::move(record), node);
}

std::unique_ptr<XMaterial> ExtractOtherMaterial(XRenderableNode* node, Mtl* material) {
  Mtl* current = material;
  while (current->NumSubMtls() >= 1) {
    current = current->GetSubMtl(0);
    if (!current) return ErrorRecord(material, L"_ErrorOtherSubMtl");
  }
  auto record = std::make_unique<XEffectMaterial>();
  record->name = CleanName(NameOf(current));
  record->source = current;
  int maps = std::min(current->NumSubTexmaps(), kTextureSlotCount);
  for (int i = 0; i < maps; ++i) {
    Texmap* map = current->GetSubTexmap(i);
    if (!map || !FillSlot(*record, i, map, false)) record->maps[i] = XTextureSlot();
  }
  bool anyUsed = false;
  for (const XTextureSlot& slot : record->maps) anyUsed = anyUsed || slot.Used();
  if (anyUsed) {
    for (XTextureSlot& slot : record->maps) {
      if (slot.role == XTextureSlot::kOther && !slot.fileName.empty() && !slot.filePath.empty()) {
        slot.role = XTextureSlot::kPrimary;
        break;
      }
    }
  }

  record->power = current->GetShininess(0, FALSE) * 100.0f;
  Color glow =
      current->GetSelfIllumColorOn(0, FALSE) ? current->GetSelfIllumColor(0, FALSE) : Color();
  record->emissiveColor = {glow.r, glow.g, glow.b};
  Color specular = current->GetSpecular(0, FALSE);
  float strength = current->GetShinStr(0, FALSE);
  record->specularColor = {specular.r * strength * 0.1f, specular.g * strength * 0.1f,
                           specular.b * strength * 0.1f};
  bool textured = false;
  for (const XTextureSlot& slot : record->maps)
    textured = textured || (slot.role == XTextureSlot::kPrimary && slot.Used());
  if (textured && !gExportOptions.DiffuseMapColor) {
    record->faceColor = {1, 1, 1, 1};
  } else {
    Color diffuse = current->GetDiffuse(0, FALSE);
    record->faceColor = {diffuse.r, diffuse.g, diffuse.b, 1.0f - current->GetXParency(0, FALSE)};
  }
  return Reduce(std::move(record), node);
}

bool ExtractNodeMaterials(XRenderableNode* node, SharedMaterials& shared, Mtl* material) {
  if (!material) return false;
  int subCount = material->NumSubMtls();
  if (material->GetInterface(DXMATERIAL_INTERFACE_ID)) {
    AddNodeMaterial(node, shared, ExtractDxMaterial(material));
    return true;
  }
  if (subCount <= 0) {
    auto record = ExtractStandardMaterial(node, material);
    AddNodeMaterial(node, shared,
                    record ? std::move(record) : ExtractOtherMaterial(node, material));
    return true;
  }
  for (int i = 0; i < subCount; ++i) {
    Mtl* sub = material->GetSubMtl(i);
    std::unique_ptr<XMaterial> record;
    if (!sub) {
      record = std::make_unique<XMaterial>();
      record->name = L"Material_NULL";
    } else {
      record = ExtractStandardMaterial(node, sub);
      if (!record) record = ExtractOtherMaterial(node, sub);
    }
    AddNodeMaterial(node, shared, std::move(record));
  }
  return true;
}
