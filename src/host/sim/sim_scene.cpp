#include "host/sim/sim_scene.h"

#include <vector>

namespace sim {

SimScene::SimScene(SimAppSettings settings, std::unique_ptr<SimNode> root,
                   std::unique_ptr<SimMaterialLibrary> materials)
    : materials_(materials ? std::move(materials) : std::make_unique<SimMaterialLibrary>()),
      root_(std::move(root)),
      host_(std::move(settings), root_.get()) {}

SimNode* SimScene::FindNode(std::wstring_view name) {
  std::vector<SimNode*> pending{root_.get()};
  while (!pending.empty()) {
    SimNode* node = pending.back();
    pending.pop_back();
    if (node->Name() == name) return node;
    // Pushed in reverse so that the first child is visited first.
    const auto& children = node->Children();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
      pending.push_back(child->get());
    }
  }
  return nullptr;
}

std::size_t SimScene::NodeCount() const {
  std::size_t count = 0;
  std::vector<const SimNode*> pending{root_.get()};
  while (!pending.empty()) {
    const SimNode* node = pending.back();
    pending.pop_back();
    for (const auto& child : node->Children()) pending.push_back(child.get());
    count += node->Children().size();
  }
  return count;
}

}  // namespace sim
