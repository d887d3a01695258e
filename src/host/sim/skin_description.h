// What a scene says about the Skin and Physique modifiers it holds: the bones, the influences per
// point or vertex and the bind poses. Bones name nodes of the scene builder; the built scene
// resolves them to its nodes.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "host/iskin.h"
#include "host/matrix3.h"

namespace sim {

class NodeBuilder;

struct SkinInfluence {
  int bone = -1;  // index into SkinDescription::bones; below 0 or past the end: no bone
  float weight = 0.0f;
};

struct SkinDescription {
  struct Bone {
    const NodeBuilder* node = nullptr;  // null: a bone slot without a node
    // The bone's world transform when the skin was bound; its transform at the start when not
    // given.
    std::optional<Matrix3> initTM;
  };
  std::vector<Bone> bones;
  // Per point of the skinned object, its influences in order.
  std::vector<std::vector<SkinInfluence>> points;
  // The skinned node's transform when bound; its transform at the start when not given.
  std::optional<Matrix3> initTM;
  // Set for a skin that holds no initial transform of its node (GetSkinInitTM fails).
  bool noInitTM = false;
};

struct PhysiqueDescription {
  struct Vertex {
    int type = RIGID_TYPE;
    // A rigid vertex has one node (weight unused); a blended one several.
    std::vector<std::pair<const NodeBuilder*, float>> nodes;
  };
  std::vector<Vertex> vertices;
  // World transforms when Physique was attached, of the skinned node and of bones; a node not
  // listed answers its transform at the start.
  std::vector<std::pair<const NodeBuilder*, Matrix3>> initTMs;
};

}  // namespace sim
