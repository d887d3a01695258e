// A node of the in-memory scene: the host's INode with its state held in plain fields.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/inode.h"
#include "host/sim/sim_transform.h"

namespace sim {

class SimNode : public INode {
 public:
  explicit SimNode(std::wstring name, bool isRoot = false);
  ~SimNode() override;
  SimNode(const SimNode&) = delete;
  SimNode& operator=(const SimNode&) = delete;

  // INode
  const wchar_t* GetName() override { return name_.c_str(); }
  INode* GetParentNode() override { return parent_; }
  int NumberOfChildren() override { return static_cast<int>(children_.size()); }
  INode* GetChildNode(int i) override;
  BOOL IsRootNode() override { return isRoot_ ? TRUE : FALSE; }
  int IsNodeHidden(BOOL checkVisibilityFlags = FALSE) override;
  int Selected() override { return selected_ ? 1 : 0; }
  int Renderable() override { return renderable_ ? 1 : 0; }
  // The local transform at t composed with every ancestor's: the node's place in world space.
  Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr) override;

  // Takes ownership of `child`, appends it after the existing children and returns it.
  SimNode& AddChild(std::unique_ptr<SimNode> child);

  const std::wstring& Name() const { return name_; }
  SimNode* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<SimNode>>& Children() const { return children_; }
  bool Hidden() const { return hidden_; }
  bool IsSelected() const { return selected_; }
  bool IsRenderable() const { return renderable_; }
  const SimTransformTrack& Transform() const { return transform_; }

  void SetName(std::wstring name) { name_ = std::move(name); }
  void SetHidden(bool hidden) { hidden_ = hidden; }
  void SetSelected(bool selected) { selected_ = selected; }
  void SetRenderable(bool renderable) { renderable_ = renderable; }
  void SetTransform(SimTransformTrack transform) { transform_ = std::move(transform); }

 private:
  std::wstring name_;
  bool isRoot_;
  bool hidden_ = false;
  bool selected_ = false;
  bool renderable_ = true;
  SimTransformTrack transform_;
  SimNode* parent_ = nullptr;
  std::vector<std::unique_ptr<SimNode>> children_;
};

}  // namespace sim
