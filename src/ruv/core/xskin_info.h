// A node's skin: per bone, its export name, offset matrix and a weight per point (object point in
// the raw skin, mesh position in the skin the writer reads), and the skin mesh header's counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/inode.h"
#include "host/matrix3.h"

struct BoneWeight {
  float weight = 0.0f;
  std::uint8_t assigned = 0;
};

struct XBoneInfo {
  std::wstring name;  // the bone's export name; empty when the bone has no export node
  Matrix3 offsetMatrix;
  std::vector<BoneWeight> weights;
  // Bound with a zero scale: its bind pose has no inverse (see BindPoseInverse).
  bool flatBindPose = false;
};

// A skin's bones in the order they were first given a weight, which is the order of the
// SkinWeights records: the same scene gives the same file on every run, wherever the host's nodes
// happen to sit in memory. Entries stay where they are while bones are added.
class BoneTable {
 public:
  using Entry = std::pair<INode* const, XBoneInfo>;
  using iterator = std::deque<Entry>::iterator;
  using const_iterator = std::deque<Entry>::const_iterator;

  iterator begin() { return entries_.begin(); }
  iterator end() { return entries_.end(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

  iterator find(INode* bone) {
    auto found = index_.find(bone);
    return found == index_.end() ? end() : begin() + static_cast<std::ptrdiff_t>(found->second);
  }
  const_iterator find(INode* bone) const {
    auto found = index_.find(bone);
    return found == index_.end() ? end() : begin() + static_cast<std::ptrdiff_t>(found->second);
  }
  std::size_t count(INode* bone) const { return index_.count(bone); }
  const XBoneInfo& at(INode* bone) const {
    auto found = find(bone);
    if (found == end()) throw std::out_of_range("bone not in the skin");
    return found->second;
  }
  // The bone's entry, appended when the bone is new.
  std::pair<iterator, bool> try_emplace(INode* bone) {
    auto [slot, created] = index_.try_emplace(bone, entries_.size());
    if (created) entries_.emplace_back(bone, XBoneInfo{});
    return {begin() + static_cast<std::ptrdiff_t>(slot->second), created};
  }
  XBoneInfo& operator[](INode* bone) { return try_emplace(bone).first->second; }

 private:
  std::deque<Entry> entries_;
  std::unordered_map<INode*, std::size_t> index_;
};

struct XSkinInfo {
  // Most bones at one vertex, most distinct bones at one face's corners, number of bones.
  std::uint16_t header[3] = {0, 0, 0};
  BoneTable bones;
};
