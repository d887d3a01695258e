// One loaded or built scene: the node hierarchy, its materials and maps, and the host application
// around it.
#pragma once

#include <memory>
#include <string_view>

#include "host/sim/sim_interface.h"
#include "host/sim/sim_material_library.h"
#include "host/sim/sim_node.h"

namespace sim {

class SimScene {
 public:
  // `materials` holds what the nodes' materials point to.
  SimScene(SimAppSettings settings, std::unique_ptr<SimNode> root,
           std::unique_ptr<SimMaterialLibrary> materials = nullptr);
  SimScene(const SimScene&) = delete;
  SimScene& operator=(const SimScene&) = delete;

  // The Interface to hand to the exporter.
  SimInterface& Host() { return host_; }
  SimNode& Root() { return *root_; }
  SimMainWindow& MainWindow() { return host_.MainWindow(); }
  SimProgress& Progress() { return host_.Progress(); }
  // Every material and map of the scene, shared or not.
  const SimMaterialLibrary& Materials() const { return *materials_; }

  // The first node of that name in depth-first child order (the root included); null when none.
  SimNode* FindNode(std::wstring_view name);
  // Every node below the root.
  std::size_t NodeCount() const;

 private:
  // Declared before the nodes, which point into it, and the host, which keeps a pointer to the
  // root.
  std::unique_ptr<SimMaterialLibrary> materials_;
  std::unique_ptr<SimNode> root_;
  SimInterface host_;
};

}  // namespace sim
