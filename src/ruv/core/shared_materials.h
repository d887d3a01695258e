// The scene's shared material list, indexed by source and by name so that entering a material
// costs the same however many the scene already has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ruv/core/xmaterial.h"

class SharedMaterials {
 public:
  using List = std::vector<std::unique_ptr<XMaterial>>;

  std::size_t size() const { return list_.size(); }
  bool empty() const { return list_.empty(); }
  const std::unique_ptr<XMaterial>& operator[](std::size_t index) const { return list_[index]; }
  List::const_iterator begin() const { return list_.begin(); }
  List::const_iterator end() const { return list_.end(); }

  // The entry made for this host material under this name, or size() when there is none.
  std::uint32_t Find(const void* source, const std::wstring& sourceName) const;
  // `name`, or `name` with as few underscores appended as make it a name no shared material has.
  std::wstring FreeName(const std::wstring& name);
  // Appends the record under its current name and returns its index.
  std::uint32_t Add(std::unique_ptr<XMaterial> record);

 private:
  struct SourceKey {
    const void* source;
    std::wstring name;
    bool operator==(const SourceKey&) const = default;
  };
  struct SourceHash {
    std::size_t operator()(const SourceKey& key) const {
      return std::hash<const void*>()(key.source) ^ (std::hash<std::wstring>()(key.name) * 31);
    }
  };

  List list_;
  std::unordered_map<SourceKey, std::uint32_t, SourceHash> bySource_;
  std::unordered_set<std::wstring> names_;
  // Per name asked for, the underscores the last free name took: names are never given back, so
  // the next search for it starts there instead of at none.
  std::unordered_map<std::wstring, std::size_t> underscores_;
};

// The material an entry stands for: itself, or the shared material it refers to (null when the
// reference is out of range).
const XMaterial* ResolveMaterial(const XMaterialEntry& entry, const SharedMaterials& shared);
