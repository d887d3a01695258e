#include "ruv/mesh/skin_weights.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"

void FixSkinWeights(XSkinInfo& skin, int count, float threshold) {
  if (threshold <= 0.0f || count <= 0) return;
  std::vector<float> sums(static_cast<std::size_t>(count), 0.0f);
  std::vector<int> assigned(static_cast<std::size_t>(count), 0);
  for (auto& [bone, info] : skin.bones) {
    int limit = std::min(count, static_cast<int>(info.weights.size()));
    for (int i = 0; i < limit; ++i) {
      if (!info.weights[static_cast<std::size_t>(i)].assigned) continue;
      sums[static_cast<std::size_t>(i)] += info.weights[static_cast<std::size_t>(i)].weight;
      assigned[static_cast<std::size_t>(i)] += 1;
    }
  }
  const float limit = std::min(threshold, 1.0f);
  for (auto& [bone, info] : skin.bones) {
    int points = std::min(count, static_cast<int>(info.weights.size()));
    for (int i = 0; i < points; ++i) {
      BoneWeight& weight = info.weights[static_cast<std::size_t>(i)];
      float lack = 1.0f - sums[static_cast<std::size_t>(i)];
      int c = assigned[static_cast<std::size_t>(i)];
      if (weight.assigned && c >= 1 && lack > 0.0f && lack <= limit)
        weight.weight += lack / static_cast<float>(c);
    }
  }
}

void TransferPointWeights(XRenderableNode* node, int vertex, int point, float factor) {
  if (!node->skin) node->skin = std::make_shared<XSkinInfo>();
  const auto positions = static_cast<std::size_t>(node->meshData->positionCount);
  for (auto& [bone, raw] : node->rawSkin->bones) {
    const BoneWeight& source = raw.weights[static_cast<std::size_t>(point)];
    if (!source.assigned) continue;
    auto [entry, created] = node->skin->bones.try_emplace(bone);
    XBoneInfo& target = entry->second;
    if (created) {
      target.name = raw.name;
      target.offsetMatrix = raw.offsetMatrix;
      target.flatBindPose = raw.flatBindPose;
      target.weights.resize(positions);
    }
    BoneWeight& weight = target.weights[static_cast<std::size_t>(vertex)];
    weight.weight = std::min(1.0f, weight.weight + factor * source.weight);
    weight.assigned = 1;
  }
}
