// The export node tree: one XNode per mirrored host node.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/inode.h"
#include "host/matrix3.h"

// Node kinds, from the class of the node's base object.
enum XNodeKind : std::uint32_t {
  KindOther = 0,
  KindMesh = 1,
  KindBone = 2,
  KindBiped = 3,
  KindBoneOther = 4,
  KindDummy = 5,
  KindHelper = 6,
  KindPatch = 7,
  KindSurface = 8,
};

inline bool IsBoneKind(std::uint32_t kind) {
  return kind == KindBone || kind == KindBiped || kind == KindBoneOther;
}

struct XNode {
  virtual ~XNode() = default;

  std::uint32_t kind = KindOther;
  std::uint32_t hasGeometry = 0;
  std::uint32_t isBone = 0;
  std::uint32_t exported = 0;
  INode* hostNode = nullptr;  // borrowed
  std::wstring name;
  bool processed = false;
  bool counted = false;
  Matrix3 nodeTM;
  XNode* parent = nullptr;  // borrowed
  std::vector<std::unique_ptr<XNode>> children;
};
