#include "host/sim/sim_node.h"

#include "host/super_class_ids.h"

namespace sim {

SimNode::SimNode(std::wstring name, bool isRoot) : name_(std::move(name)), isRoot_(isRoot) {}

SimNode::~SimNode() {
  // Tear the subtree down level by level so that a very deep chain cannot exhaust the stack.
  std::vector<std::unique_ptr<SimNode>> pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<SimNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    node->children_.clear();
  }
}

INode* SimNode::GetChildNode(int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= children_.size()) return nullptr;
  return children_[static_cast<std::size_t>(i)].get();
}

int SimNode::IsNodeHidden(BOOL) { return hidden_ ? 1 : 0; }

Matrix3 SimNode::GetNodeTM(TimeValue t, Interval*) {
  // Walk up rather than recurse: a scene may be as deep as its file allows.
  Matrix3 world = LocalTransformAt(t);
  for (const SimNode* ancestor = parent_; ancestor; ancestor = ancestor->parent_) {
    world = world * ancestor->LocalTransformAt(t);
  }
  return world;
}

Matrix3 SimNode::GetObjectTM(TimeValue t, Interval* valid) {
  return objectOffset_ * GetNodeTM(t, valid);
}

void* SimNode::GetInterface(DWORD id) {
  return id == NODE_WSM_INTERFACE_ID ? static_cast<INode*>(this) : nullptr;
}

SimNode& SimNode::AddChild(std::unique_ptr<SimNode> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
  return *children_.back();
}

}  // namespace sim
