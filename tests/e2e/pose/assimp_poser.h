// Poses a scene as Assimp reads it, whatever file it came from: every node's local transform at a
// time of one animation, the global transforms, and the skinned and rigid meshes' vertices there.
// The same code poses a glTF or FBX source and our exported `.x` file, so two readers of
// independent code can be held against each other.
#pragma once

#include <assimp/scene.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

// The channel's transform at `ticks`: position and scale interpolated linearly, rotation by
// Assimp's own slerp, each held at its first key before it and at its last after it. A part the
// channel has no keys for comes from `rest`.
aiMatrix4x4 ChannelTransform(const aiNodeAnim& channel, double ticks, const aiMatrix4x4& rest);

// The node's local transform at `ticks` of the scene's animation `animation` (its own ticks); a
// node without a channel there, or any node when `animation` is negative, keeps its own.
aiMatrix4x4 LocalTransform(const aiScene& scene, int animation, const aiNode& node, double ticks);

// The vertices of one mesh as one node places it.
struct PosedMesh {
  const aiNode* node = nullptr;
  const aiMesh* mesh = nullptr;
  std::vector<aiVector3D> vertices;
};

// How a skinned vertex's weights count: as the file gives them, or, where they sum above 1, scaled
// to sum 1, which is what a model's skin means to the importer (and to engines that normalise).
enum class Weights { kAsGiven, kSumsAboveOneScaled };

class Pose {
 public:
  // Every node at `ticks` of `animation` (negative: every node at its own transform).
  Pose(const aiScene& scene, int animation, double ticks, Weights weights = Weights::kAsGiven);

  const aiMatrix4x4& Global(const aiNode* node) const { return global_.at(node); }

  // Each mesh of each node that holds it: a skinned mesh as Σ w · global(bone) · offset · v (a
  // vertex no bone weighs as global(node) · v), any other as global(node) · v.
  std::vector<PosedMesh> Meshes() const;

  // The vertices of Meshes(), one after the other.
  std::vector<aiVector3D> Vertices() const;

 private:
  void Visit(const aiNode* node, const aiMatrix4x4& parent, int animation, double ticks);

  const aiScene& scene_;
  Weights weights_;
  std::map<const aiNode*, aiMatrix4x4> global_;
};

}  // namespace e2e
