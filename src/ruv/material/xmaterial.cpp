#include "ruv/material/xmaterial.h"

const XMaterial* ResolveMaterial(const XMaterialEntry& entry,
                                 const std::vector<std::unique_ptr<XMaterial>>& shared) {
  if (entry.type == kMaterialReference) {
    std::uint32_t index = static_cast<const XMaterialRef&>(entry).index;
    return index < shared.size() ? shared[index].get() : nullptr;
  }
  return static_cast<const XMaterial*>(&entry);
}
