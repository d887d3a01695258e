#include "host/sim/sim_material.h"

namespace sim {

SimStdMaterial::SimStdMaterial(std::wstring name, Class_ID classId)
    : SimColoredMtl(classId, MATERIAL_CLASS_ID, std::move(name)) {
  SetNumSubTexmaps(kStandardSlotCount);
  // The host switches every slot on; an empty slot is on too, so filling it makes it count.
  enabled_.fill(true);
}

BOOL SimStdMaterial::MapEnabled(int i) {
  if (i < 0 || i >= kStandardSlotCount) return FALSE;
  return enabled_[static_cast<std::size_t>(i)] ? TRUE : FALSE;
}

void SimStdMaterial::SetMap(int i, Texmap* map, bool enabled) {
  if (i < 0 || i >= kStandardSlotCount) return;
  SetSubTexmap(i, map);
  enabled_[static_cast<std::size_t>(i)] = enabled;
}

SimMaterial::SimMaterial(Class_ID classId, std::wstring name)
    : SimColoredMtl(classId, MATERIAL_CLASS_ID, std::move(name)) {}

Mtl* SimMaterial::GetSubMtl(int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= subMaterials_.size()) return nullptr;
  return subMaterials_[static_cast<std::size_t>(i)];
}

SimDxMaterial::SimDxMaterial(std::wstring name) : SimMaterial(kDxMaterialClass, std::move(name)) {
  // Both blocks exist from the start: an effect without parameters still has a block 0.
  Block(1);
}

BaseInterface* SimDxMaterial::GetInterface(Interface_ID id) {
  if (id == DXMATERIAL_INTERFACE_ID || id == IDXMATERIAL_INTERFACE_ID) {
    return static_cast<IDxMaterial*>(this);
  }
  return SimMaterial::GetInterface(id);
}

PBBitmap* SimDxMaterial::GetEffectBitmap(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= bitmaps_.size()) return nullptr;
  IParamBlock2* block = GetParamBlock(0);
  return block ? block->GetBitmap(bitmaps_[static_cast<std::size_t>(index)].id) : nullptr;
}

int SimDxMaterial::GetBitmapMappingChannel(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= bitmaps_.size()) return 0;
  return bitmaps_[static_cast<std::size_t>(index)].mappingChannel;
}

void SimDxMaterial::AddEffectBitmap(ParamID id, std::wstring internalName,
                                    const std::wstring& hostPath, int mappingChannel) {
  Parameters().AddBitmap(id, std::move(internalName), hostPath);
  bitmaps_.push_back({id, mappingChannel});
}

void SimDxMaterial::SetEffectFile(const std::wstring& hostPath) {
  Block(1)->Add(0, L"effectfile", TYPE_FILENAME, hostPath);
}

}  // namespace sim
