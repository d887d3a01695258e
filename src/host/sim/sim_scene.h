// One loaded or built scene: the node hierarchy and the host application around it.
#pragma once

#include <memory>
#include <string_view>

#include "host/sim/sim_interface.h"
#include "host/sim/sim_node.h"

namespace sim {

class SimScene {
 public:
  SimScene(SimAppSettings settings, std::unique_ptr<SimNode> root);
  SimScene(const SimScene&) = delete;
  SimScene& operator=(const SimScene&) = delete;

  // The Interface to hand to the exporter.
  SimInterface& Host() { return host_; }
  SimNode& Root() { return *root_; }
  SimMainWindow& MainWindow() { return host_.MainWindow(); }
  SimProgress& Progress() { return host_.Progress(); }

  // The first node of that name in depth-first child order (the root included); null when none.
  SimNode* FindNode(std::wstring_view name);
  // Every node below the root.
  std::size_t NodeCount() const;

 private:
  // Declared before the host, which keeps a pointer to it.
  std::unique_ptr<SimNode> root_;
  SimInterface host_;
};

}  // namespace sim
