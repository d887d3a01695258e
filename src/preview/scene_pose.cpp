#include "preview/scene_pose.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>

namespace preview {
namespace {

using Quat = std::array<float, 4>;  // w, x, y, z

// The key pair around `time` and the blend between them.
struct KeySpan {
  std::size_t a = 0, b = 0;
  float t = 0;
};

KeySpan FindSpan(const std::vector<std::uint32_t>& times, double time) {
  auto after = std::upper_bound(times.begin(), times.end(), time,
                                [](double value, std::uint32_t key) { return value < key; });
  if (after == times.begin()) return {0, 0, 0};
  if (after == times.end()) return {times.size() - 1, times.size() - 1, 0};
  std::size_t b = static_cast<std::size_t>(after - times.begin());
  std::size_t a = b - 1;
  double span = double(times[b]) - double(times[a]);
  return {a, b, span > 0 ? static_cast<float>((time - times[a]) / span) : 0.0f};
}

// In double: a float arc between keys a tick apart loses the digits that tell them apart.
Quat Slerp(Quat a, Quat b, float t) {
  double dot =
      double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2] + double(a[3]) * b[3];
  double sign = 1;
  if (dot < 0) {
    dot = -dot;
    sign = -1;
  }
  double wa = 1 - double(t), wb = t;
  if (dot < 0.9999) {
    double angle = std::acos(dot);
    double s = std::sin(angle);
    wa = std::sin((1 - double(t)) * angle) / s;
    wb = std::sin(double(t) * angle) / s;
  }
  wb *= sign;
  Quat q;
  for (int i = 0; i < 4; ++i) q[i] = static_cast<float>(wa * a[i] + wb * b[i]);
  return q;
}

Quat QuaternionFromMatrix(const Mat4& m) {
  float trace = m(0, 0) + m(1, 1) + m(2, 2);
  Quat q;
  if (trace > 0) {
    float s = std::sqrt(trace + 1) * 2;
    q = {0.25f * s, (m(1, 2) - m(2, 1)) / s, (m(2, 0) - m(0, 2)) / s, (m(0, 1) - m(1, 0)) / s};
  } else if (m(0, 0) > m(1, 1) && m(0, 0) > m(2, 2)) {
    float s = std::sqrt(1 + m(0, 0) - m(1, 1) - m(2, 2)) * 2;
    q = {(m(1, 2) - m(2, 1)) / s, 0.25f * s, (m(0, 1) + m(1, 0)) / s, (m(2, 0) + m(0, 2)) / s};
  } else if (m(1, 1) > m(2, 2)) {
    float s = std::sqrt(1 + m(1, 1) - m(0, 0) - m(2, 2)) * 2;
    q = {(m(2, 0) - m(0, 2)) / s, (m(0, 1) + m(1, 0)) / s, 0.25f * s, (m(1, 2) + m(2, 1)) / s};
  } else {
    float s = std::sqrt(1 + m(2, 2) - m(0, 0) - m(1, 1)) * 2;
    q = {(m(0, 1) - m(1, 0)) / s, (m(2, 0) + m(0, 2)) / s, (m(1, 2) + m(2, 1)) / s, 0.25f * s};
  }
  return q;
}

// Scale, rotation and translation of an affine matrix (S * R * T in the row-vector order), the
// rotation as a rotation key holds it.
void Decompose(const Mat4& m, Vec3& scale, Quat& rotation, Vec3& translation) {
  Vec3 rows[3];
  for (int r = 0; r < 3; ++r) rows[r] = {m(r, 0), m(r, 1), m(r, 2)};
  scale = {Length(rows[0]), Length(rows[1]), Length(rows[2])};
  if (Determinant3x3(m) < 0) scale.x = -scale.x;
  Mat4 pure;
  float s[3] = {scale.x, scale.y, scale.z};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) pure(r, c) = s[r] != 0 ? m(r, c) / s[r] : (r == c ? 1.0f : 0.0f);
  }
  rotation = QuaternionFromMatrix(pure);
  for (int i = 1; i < 4; ++i) rotation[i] = -rotation[i];
  translation = {m(3, 0), m(3, 1), m(3, 2)};
}

// Rotation keys hold the conjugate of the frame's rotation, as the DirectX animation keys do.
Mat4 Compose(Vec3 scale, const Quat& rotation, Vec3 translation) {
  return Scaling(scale) *
         RotationFromQuaternion(rotation[0], -rotation[1], -rotation[2], -rotation[3]) *
         Translation(translation);
}

Vec3 LerpVec(const AnimationKeys& keys, const KeySpan& span) {
  const float* a = &keys.values[span.a * 3];
  const float* b = &keys.values[span.b * 3];
  return {a[0] + (b[0] - a[0]) * span.t, a[1] + (b[1] - a[1]) * span.t,
          a[2] + (b[2] - a[2]) * span.t};
}

// Linear blend skinning is linear in the matrices, so each source vertex gets one blended matrix,
// which then moves its position and every normal split off it alike. True when some vertex has no
// bone and so stays with `meshWorld`.
bool Skin(const PreviewMesh& mesh, const std::vector<Mat4>& frameWorld, const Mat4& meshWorld,
          PosedMesh& posed) {
  std::size_t sources = mesh.positions.size();
  if (!mesh.sourceVertex.empty()) {
    sources = 0;
    for (std::uint32_t s : mesh.sourceVertex) sources = std::max<std::size_t>(sources, s + 1);
  }
  Mat4 zero;
  zero.m.fill(0);
  std::vector<Mat4> blend(sources, zero);
  std::vector<float> total(sources, 0.0f);
  for (const SkinBone& bone : mesh.bones) {
    if (bone.frame < 0) continue;
    Mat4 m = bone.offset * frameWorld[static_cast<std::size_t>(bone.frame)];
    for (std::size_t i = 0; i < bone.vertices.size(); ++i) {
      std::uint32_t v = bone.vertices[i];
      if (v >= sources) continue;
      float w = bone.weights[i];
      for (int k = 0; k < 16; ++k) blend[v].m[k] += m.m[k] * w;
      total[v] += w;
    }
  }
  // A vertex no bone moves stays with the mesh's own frame rather than collapsing to the origin.
  bool unweighted = false;
  for (std::size_t s = 0; s < sources; ++s) {
    if (total[s] == 0) {
      blend[s] = meshWorld;
      unweighted = true;
    }
  }
  posed.skinnedPositions.resize(mesh.positions.size());
  if (!mesh.normals.empty()) posed.skinnedNormals.resize(mesh.positions.size());
  for (std::size_t r = 0; r < mesh.positions.size(); ++r) {
    const Mat4& m = blend[mesh.sourceVertex.empty() ? r : mesh.sourceVertex[r]];
    posed.skinnedPositions[r] = TransformPoint(mesh.positions[r], m);
    if (!mesh.normals.empty()) posed.skinnedNormals[r] = TransformDirection(mesh.normals[r], m);
  }
  return unweighted;
}

Mat4 FrameWorld(const std::vector<Mat4>& frameWorld, int frame) {
  return frame < 0 ? Mat4{} : frameWorld[static_cast<std::size_t>(frame)];
}

}  // namespace

Mat4 SampleAnimation(const FrameAnimation& animation, const Mat4& rest, double time) {
  Vec3 scale, translation;
  Quat rotation;
  Decompose(rest, scale, rotation, translation);
  for (const AnimationKeys& keys : animation.keys) {
    KeySpan span = FindSpan(keys.times, time);
    switch (keys.type) {
      case KeyType::Matrix: {
        // Between two matrix keys DirectX blends their scale, rotation and translation, as for
        // separate keys; a blend of the sixteen numbers would shrink a turning frame.
        Mat4 a, b;
        std::copy_n(&keys.values[span.a * 16], 16, a.m.begin());
        std::copy_n(&keys.values[span.b * 16], 16, b.m.begin());
        if (span.t == 0) return a;
        Vec3 scaleB, translationB;
        Quat rotationB;
        Decompose(a, scale, rotation, translation);
        Decompose(b, scaleB, rotationB, translationB);
        auto lerp = [t = span.t](Vec3 from, Vec3 to) { return from + (to - from) * t; };
        scale = lerp(scale, scaleB);
        translation = lerp(translation, translationB);
        rotation = Slerp(rotation, rotationB, span.t);
        return Compose(scale, rotation, translation);
      }
      case KeyType::Rotation: {
        const float* a = &keys.values[span.a * 4];
        const float* b = &keys.values[span.b * 4];
        rotation = Slerp({a[0], a[1], a[2], a[3]}, {b[0], b[1], b[2], b[3]}, span.t);
        break;
      }
      case KeyType::Scale:
        scale = LerpVec(keys, span);
        break;
      case KeyType::Position:
        translation = LerpVec(keys, span);
        break;
    }
  }
  return Compose(scale, rotation, translation);
}

PosedScene PoseScene(const PreviewScene& scene, std::optional<double> time) {
  PosedScene posed;
  std::vector<Mat4> local(scene.frames.size());
  for (std::size_t i = 0; i < scene.frames.size(); ++i) local[i] = scene.frames[i].local;
  if (time) {
    for (const FrameAnimation& animation : scene.animations) {
      std::size_t f = static_cast<std::size_t>(animation.frame);
      local[f] = SampleAnimation(animation, scene.frames[f].local, *time);
    }
  }
  posed.frameWorld.resize(scene.frames.size());
  for (std::size_t i = 0; i < scene.frames.size(); ++i) {
    int parent = scene.frames[i].parent;
    posed.frameWorld[i] =
        parent < 0 ? local[i] : local[i] * posed.frameWorld[static_cast<std::size_t>(parent)];
  }
  posed.meshes.resize(scene.meshes.size());
  // Whether each mesh has been posed at its first instance, and whether that skinning left
  // vertices with the mesh's frame.
  std::vector<char> posedOnce(scene.meshes.size(), 0), unweighted(scene.meshes.size(), 0);
  // The skinning of each mesh at each place (by the matrix's bits, which order every value) its
  // instances put its unweighted vertices: -1 for the first, else an index into ownSkins.
  std::map<std::pair<std::size_t, std::array<std::uint32_t, 16>>, int> skinAt;
  posed.instances.resize(scene.instances.size());
  for (std::size_t i = 0; i < scene.instances.size(); ++i) {
    std::size_t m = scene.instances[i].mesh;
    const PreviewMesh& mesh = scene.meshes[m];
    PosedInstance& out = posed.instances[i];
    Mat4 world = FrameWorld(posed.frameWorld, scene.instances[i].frame);
    posed.triangles += mesh.indices.size() / 3;
    bool first = !posedOnce[m];
    posedOnce[m] = 1;
    if (mesh.bones.empty()) {
      out.world = world;
      if (first) posed.meshes[m].world = world;
      for (std::uint32_t index : mesh.indices) {
        posed.bounds.Add(TransformPoint(mesh.positions[index], world));
      }
      continue;
    }
    std::pair<std::size_t, std::array<std::uint32_t, 16>> place{m, {}};
    std::memcpy(place.second.data(), world.m.data(), sizeof place.second);
    const PosedMesh* skin = &posed.meshes[m];
    if (first) {
      unweighted[m] = Skin(mesh, posed.frameWorld, world, posed.meshes[m]);
      if (unweighted[m]) skinAt.emplace(place, -1);
    } else {
      // Every vertex where the bones put it, or the unweighted ones where an earlier instance
      // put them: the same vertices, already in the bounds.
      if (!unweighted[m]) continue;
      auto [found, added] = skinAt.try_emplace(place, static_cast<int>(posed.ownSkins.size()));
      out.ownSkin = found->second;
      if (!added) continue;
      Skin(mesh, posed.frameWorld, world, posed.ownSkins.emplace_back());
      skin = &posed.ownSkins.back();
    }
    for (std::uint32_t index : mesh.indices) posed.bounds.Add(skin->skinnedPositions[index]);
  }
  return posed;
}

}  // namespace preview
