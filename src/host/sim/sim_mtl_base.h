// What materials and maps of the in-memory host have in common: a class, a name, sub-maps and
// parameter blocks. The sub-maps are the scene's; the parameter blocks belong to the object.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/mtl.h"
#include "host/sim/sim_param_block.h"

namespace sim {

// `Base` is the host class implemented (Mtl, StdMat, Texmap, BitmapTex).
template <class Base>
class SimMtlBase : public Base {
 public:
  SimMtlBase(Class_ID classId, SClass_ID superClass, std::wstring name)
      : classId_(classId), superClass_(superClass), name_(std::move(name)) {}

  Class_ID ClassID() override { return classId_; }
  SClass_ID SuperClassID() override { return superClass_; }
  const wchar_t* GetName() override { return name_.c_str(); }
  int NumSubTexmaps() override { return static_cast<int>(subMaps_.size()); }
  // Null for an empty slot and for a number out of range.
  Texmap* GetSubTexmap(int i) override {
    return i >= 0 && static_cast<std::size_t>(i) < subMaps_.size()
               ? subMaps_[static_cast<std::size_t>(i)]
               : nullptr;
  }
  int NumParamBlocks() override { return static_cast<int>(blocks_.size()); }
  // Null for a number out of range.
  IParamBlock2* GetParamBlock(int i) override {
    return i >= 0 && static_cast<std::size_t>(i) < blocks_.size()
               ? blocks_[static_cast<std::size_t>(i)].get()
               : nullptr;
  }

  const std::wstring& Name() const { return name_; }
  void SetName(std::wstring name) { name_ = std::move(name); }
  // Sets sub-map i, growing the list with empty slots as needed.
  void SetSubTexmap(int i, Texmap* map) {
    if (i < 0) return;
    if (static_cast<std::size_t>(i) >= subMaps_.size())
      subMaps_.resize(static_cast<std::size_t>(i) + 1);
    subMaps_[static_cast<std::size_t>(i)] = map;
  }
  void SetNumSubTexmaps(int count) {
    subMaps_.resize(static_cast<std::size_t>(count < 0 ? 0 : count));
  }
  // No parameter blocks at all.
  void ClearParamBlocks() { blocks_.clear(); }
  // Parameter block i, created (with any blocks before it) on first use; null for i < 0.
  SimParamBlock* Block(int i) {
    if (i < 0) return nullptr;
    while (blocks_.size() <= static_cast<std::size_t>(i))
      blocks_.push_back(std::make_unique<SimParamBlock>());
    return blocks_[static_cast<std::size_t>(i)].get();
  }

 private:
  Class_ID classId_;
  SClass_ID superClass_;
  std::wstring name_;
  std::vector<Texmap*> subMaps_;
  std::vector<std::unique_ptr<SimParamBlock>> blocks_;
};

}  // namespace sim
