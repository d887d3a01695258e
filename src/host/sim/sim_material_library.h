// The materials and maps of one scene. Nodes, materials and parameter blocks only point into it, so
// any object may be shared; everything is released with the scene.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "host/mtl.h"

namespace sim {

class SimMaterialLibrary {
 public:
  template <class T, class... Args>
  T& AddMaterial(Args&&... args) {
    auto material = std::make_unique<T>(std::forward<Args>(args)...);
    T& result = *material;
    materials_.push_back(std::move(material));
    return result;
  }
  template <class T, class... Args>
  T& AddMap(Args&&... args) {
    auto map = std::make_unique<T>(std::forward<Args>(args)...);
    T& result = *map;
    maps_.push_back(std::move(map));
    return result;
  }

  std::size_t MaterialCount() const { return materials_.size(); }
  std::size_t MapCount() const { return maps_.size(); }

 private:
  std::vector<std::unique_ptr<Mtl>> materials_;
  std::vector<std::unique_ptr<Texmap>> maps_;
};

}  // namespace sim
