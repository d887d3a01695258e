// A node's skin: per bone, its export name, offset matrix and a weight per point (object point in
// the raw skin, mesh position in the skin the writer reads), and the skin mesh header's counts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
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
};

struct XSkinInfo {
  // Most bones at one vertex, most distinct bones at one face's corners, number of bones.
  std::uint16_t header[3] = {0, 0, 0};
  // Ordered by host node identity, which is the order of the SkinWeights records.
  std::map<INode*, XBoneInfo> bones;
};
