// What a preview draws: the frame hierarchy of a .x file with its matrices, the meshes hung in it
// with their vertex data and materials, skin weights and the first animation set. Built from the
// reader's document by ReadPreviewScene; drawn by the renderer after posing (scene_pose.h).
// A mesh is held once however many frames show it (a `{ Mesh }` reference in many frames); each
// place it is shown is a MeshInstance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "preview/math3d.h"

namespace preview {

struct PreviewFrame {
  std::string name;
  int parent = -1;  // index into PreviewScene::frames, -1 at the top
  Mat4 local;       // FrameTransformMatrix, identity when the frame has none
};

struct PreviewMaterial {
  float diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};  // faceColor
  float power = 0;
  float specular[3] = {0, 0, 0};
  float emissive[3] = {0, 0, 0};
  std::string textureName;  // as the file writes it, empty when none
  std::string texturePath;  // where it was found beside the file; empty when missing
};

struct SkinBone {
  std::string frameName;
  int frame = -1;                       // -1 when no frame has that name
  std::vector<std::uint32_t> vertices;  // indices of the mesh's vertices, as the file gives them
  std::vector<float> weights;
  Mat4 offset;  // matrixOffset: mesh space to bone space
};

// One mesh with triangles indexed into per-vertex arrays. A vertex the file's normals split (one
// position with different normals on different faces) is duplicated; sourceVertex keeps the
// position index it came from, so skin weights still apply.
struct PreviewMesh {
  std::string name;
  int frame = -1;  // the frame of its first instance; -1 for a mesh at the top of the file
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;                    // empty: flat normals from the faces
  std::vector<float> texcoords;                 // u, v per vertex; empty when none
  std::vector<std::uint32_t> colors;            // RGBA bytes (R lowest) per vertex; empty when none
  std::vector<std::uint32_t> sourceVertex;      // empty when no vertex was split
  std::vector<std::uint32_t> indices;           // three per triangle, faces fanned into triangles
  std::vector<std::uint32_t> triangleMaterial;  // per triangle, into materials
  std::vector<PreviewMaterial> materials;       // never empty once read
  std::vector<SkinBone> bones;
};

// One place a mesh is drawn: in a frame (by the frame's world matrix) or at the top of the file.
struct MeshInstance {
  std::size_t mesh = 0;  // index into PreviewScene::meshes
  int frame = -1;        // -1 at the top of the file
};

enum class KeyType { Rotation = 0, Scale = 1, Position = 2, Matrix = 4 };

struct AnimationKeys {
  KeyType type = KeyType::Rotation;
  std::vector<std::uint32_t> times;  // ticks, ascending
  std::vector<float> values;         // 4, 3, 3 or 16 per key
};

struct FrameAnimation {
  int frame = -1;
  std::vector<AnimationKeys> keys;
};

struct PreviewScene {
  std::vector<PreviewFrame> frames;     // parents before children
  std::vector<PreviewMesh> meshes;      // each mesh object of the file once
  std::vector<MeshInstance> instances;  // every place a mesh is drawn, in the file's order
  std::string animationName;            // the first animation set, empty when the file has none
  std::vector<FrameAnimation> animations;
  std::vector<std::string> warnings;  // what could not be drawn as the file asks, for the user
};

}  // namespace preview
