#include "ruv/core/shared_materials.h"

std::uint32_t SharedMaterials::Find(const void* source, const std::wstring& sourceName) const {
  auto found = bySource_.find(SourceKey{source, sourceName});
  return found == bySource_.end() ? static_cast<std::uint32_t>(list_.size()) : found->second;
}

std::wstring SharedMaterials::FreeName(const std::wstring& name) {
  std::size_t& tried = underscores_[name];
  std::wstring candidate = name + std::wstring(tried, L'_');
  while (names_.count(candidate) != 0) {
    candidate.push_back(L'_');
    ++tried;
  }
  return candidate;
}

std::uint32_t SharedMaterials::Add(std::unique_ptr<XMaterial> record) {
  auto index = static_cast<std::uint32_t>(list_.size());
  // The first entry of a source and name is the one found, as a scan from the front would.
  bySource_.try_emplace(SourceKey{record->source, record->sourceName}, index);
  names_.insert(record->name);
  list_.push_back(std::move(record));
  return index;
}

const XMaterial* ResolveMaterial(const XMaterialEntry& entry, const SharedMaterials& shared) {
  if (entry.type == kMaterialReference) {
    std::uint32_t index = static_cast<const XMaterialRef&>(entry).index;
    return index < shared.size() ? shared[index].get() : nullptr;
  }
  return static_cast<const XMaterial*>(&entry);
}
