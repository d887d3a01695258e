// A node of the in-memory scene: the host's INode with its state held in plain fields.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/inode.h"
#include "host/sim/sim_object_pipeline.h"
#include "host/sim/sim_objects.h"
#include "host/sim/sim_transform.h"

namespace sim {

// The wire colour of a node that was given none, packed 0x00BBGGRR: a mid grey, so that the
// material the exporter makes of it is neither black nor white.
constexpr DWORD kDefaultWireColor = 0x00808080;

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
  // The object offset (pivot) applied before the node transform.
  Matrix3 GetObjectTM(TimeValue t, Interval* valid = nullptr) override;
  Object* GetObjectRef() override { return objects_ ? objects_->ObjectRef() : nullptr; }
  Object* GetObjOrWSMRef() override { return objects_ ? objects_->ObjOrWSMRef() : nullptr; }
  DWORD GetWireColor() override { return wireColor_; }
  // The scene's material of the node, which other nodes may share; null for none.
  Mtl* GetMtl() override { return material_; }
  Control* GetTMController() override { return controller_.get(); }
  // Every node answers the world-space modifier interface (NODE_WSM_INTERFACE_ID) with itself.
  void* GetInterface(DWORD id) override;

  // Takes ownership of `child`, appends it after the existing children and returns it.
  SimNode& AddChild(std::unique_ptr<SimNode> child);

  const std::wstring& Name() const { return name_; }
  SimNode* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<SimNode>>& Children() const { return children_; }
  bool Hidden() const { return hidden_; }
  bool IsSelected() const { return selected_; }
  bool IsRenderable() const { return renderable_; }
  const SimTransformTrack& Transform() const { return transform_; }
  const Matrix3& ObjectOffset() const { return objectOffset_; }
  // Null for a node without objects.
  SimObjectPipeline* Objects() const { return objects_.get(); }

  void SetName(std::wstring name) { name_ = std::move(name); }
  void SetHidden(bool hidden) { hidden_ = hidden; }
  void SetSelected(bool selected) { selected_ = selected; }
  void SetRenderable(bool renderable) { renderable_ = renderable; }
  void SetTransform(SimTransformTrack transform) { transform_ = std::move(transform); }
  void SetObjectOffset(const Matrix3& offset) { objectOffset_ = offset; }
  void SetWireColor(DWORD packed) { wireColor_ = packed; }
  // `material` stays owned by the scene.
  void SetMtl(Mtl* material) { material_ = material; }
  void SetObjects(std::unique_ptr<SimObjectPipeline> objects) { objects_ = std::move(objects); }
  // A controller with keys decides the local transform from then on; one without keeps the
  // static transform.
  void SetTMController(std::unique_ptr<SimControl> controller) {
    controller_ = std::move(controller);
    keyed_ = controller_ && controller_->HasKeys();
  }
  // The transform relative to the parent at t.
  Matrix3 LocalTransformAt(TimeValue t) const {
    return keyed_ ? controller_->Value(t) : transform_.At(t);
  }

 private:
  std::wstring name_;
  bool isRoot_;
  bool hidden_ = false;
  bool selected_ = false;
  bool renderable_ = true;
  SimTransformTrack transform_;
  Matrix3 objectOffset_;
  DWORD wireColor_ = kDefaultWireColor;
  Mtl* material_ = nullptr;
  std::unique_ptr<SimObjectPipeline> objects_;
  std::unique_ptr<SimControl> controller_;
  bool keyed_ = false;
  SimNode* parent_ = nullptr;
  std::vector<std::unique_ptr<SimNode>> children_;
};

}  // namespace sim
