// Skins of the neutral model as the host's Skin modifier. glTF moves a skinned vertex v by
// v · IBMᵢ · Jᵢ(t) (Jᵢ the joint's world transform) and ignores the mesh node's own transform; the
// exporter moves it by v · skinTM · boneInitTMᵢ⁻¹ · Jᵢ(t). With skinTM the node's world transform
// W, boneInitTMᵢ = IBMᵢ⁻¹ · W makes the two the same, whatever W is.
#include "host/sim/import/animation_assembly.h"

namespace sim::import {

void AddSkins(const ImportedModel& model, const std::vector<NodeBuilder*>& made,
              const std::vector<Matrix3>& world) {
  for (std::size_t n = 0; n < model.nodes.size(); ++n) {
    const ImportedNode& node = model.nodes[n];
    if (node.skin < 0 || node.parts.empty()) continue;
    const ImportedSkin& skin = model.skins[static_cast<std::size_t>(node.skin)];
    SkinDescription description;
    description.initTM = world[n];
    description.bones.reserve(skin.joints.size());
    for (std::size_t j = 0; j < skin.joints.size(); ++j) {
      description.bones.push_back({made[static_cast<std::size_t>(skin.joints[j])],
                                   Inverse(skin.inverseBindMatrices[j]) * world[n]});
    }
    for (int index : node.parts) {
      const ImportedMeshPart& part = model.parts[static_cast<std::size_t>(index)];
      for (std::size_t v = 0; v < part.positions.size(); ++v) {
        std::vector<SkinInfluence>& point = description.points.emplace_back();
        if (part.influenceStarts.empty()) continue;
        for (std::uint32_t i = part.influenceStarts[v]; i < part.influenceStarts[v + 1]; ++i) {
          point.push_back({part.influences[i].joint, part.influences[i].weight});
        }
      }
    }
    made[n]->Skin(std::move(description));
  }
}

}  // namespace sim::import
