#include "ruv/effect/effect_desc.h"

void AddEffectTexture(XEffectDesc& desc, const std::wstring& name, std::uint32_t role,
                      std::int32_t coordSet, std::uint32_t addressU, std::uint32_t addressV) {
  if (name.empty()) return;
  desc.textures.push_back({name, role, coordSet, addressU, addressV});
  desc.coordSets.insert(coordSet);
}
