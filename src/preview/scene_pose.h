// The scene at one moment: every frame's world matrix (its local matrix, or the first animation
// set's keys at the asked time, times its parents'), and skinned meshes deformed by their bones
// as the DirectX skinning does (each vertex: the sum over its bones of weight x position x
// matrixOffset x bone's world matrix).
#pragma once

#include <optional>
#include <vector>

#include "preview/camera.h"
#include "preview/preview_scene.h"

namespace preview {

struct PosedMesh {
  Mat4 world;  // identity for a skinned mesh, whose positions are already in world space
  std::vector<Vec3> skinnedPositions;  // empty unless skinned
  std::vector<Vec3> skinnedNormals;    // empty unless skinned and the mesh has normals
};

// One instance of a mesh at this moment. A skinned mesh's vertices are where its bones put them
// wherever the mesh hangs, so its instances share one skinning; only one whose unweighted
// vertices (which stay with the mesh's frame) land elsewhere is skinned again, in ownSkins.
struct PosedInstance {
  Mat4 world;        // identity for a skinned mesh
  int ownSkin = -1;  // index into PosedScene::ownSkins; -1: the mesh's pose in PosedScene::meshes
};

struct PosedScene {
  std::vector<Mat4> frameWorld;
  std::vector<PosedMesh> meshes;  // parallel to PreviewScene::meshes, each at its first instance
  std::vector<PosedInstance> instances;  // parallel to PreviewScene::instances
  std::vector<PosedMesh> ownSkins;
  Bounds bounds;              // of every instance's triangle vertices, in world space
  std::size_t triangles = 0;  // over every instance
};

// `time` in ticks; without it (or without animation) the frames keep their own matrices.
PosedScene PoseScene(const PreviewScene& scene, std::optional<double> time);

// One frame's local matrix from its keys at `time`; components without keys come from `rest`.
Mat4 SampleAnimation(const FrameAnimation& animation, const Mat4& rest, double time);

}  // namespace preview
