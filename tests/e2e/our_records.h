// What our reader finds in an exported file: the keys of each animation set and the skin records
// of each mesh, laid out for comparing with what Assimp finds.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/point3.h"
#include "xof/file_reader.h"
#include "xof/template_model.h"

namespace e2e {

template <class T>
T At(const xof::DataBlock& data, std::size_t offset) {
  T value;
  std::memcpy(&value, data.data() + offset, sizeof value);
  return value;
}

// The keys of one AnimationKey record: time and values per key.
struct OurKeys {
  std::vector<std::uint32_t> times;
  std::vector<std::vector<float>> values;
};

// Per set name, per frame name, per record name ("S", "R", "T").
using OurAnimations = std::map<std::string, std::map<std::string, std::map<std::string, OurKeys>>>;

inline OurKeys ReadKeys(const xof::DataBlock& data) {
  OurKeys keys;
  std::size_t at = 8;
  for (std::uint32_t i = 0; i < At<std::uint32_t>(data, 4); ++i) {
    keys.times.push_back(At<std::uint32_t>(data, at));
    auto count = At<std::uint32_t>(data, at + 4);
    std::vector<float> values(count);
    std::memcpy(values.data(), data.data() + at + 8, count * sizeof(float));
    keys.values.push_back(values);
    at += 8 + count * sizeof(float);
  }
  return keys;
}

inline OurAnimations ReadAnimations(const std::filesystem::path& path) {
  xof::ReadResult result = xof::ReadXFileAt(path);
  EXPECT_TRUE(result.ok()) << result.Describe();
  OurAnimations sets;
  if (!result.ok()) return sets;
  for (const auto& object : result.document->objects) {
    if (object->type->name != "AnimationSet") continue;
    auto& set = sets[object->name];
    for (const auto& child : object->children) {
      const xof::DataObject& animation = *child.object;
      std::string frame = animation.children.at(0).reference.name;
      for (std::size_t i = 1; i < animation.children.size(); ++i) {
        const xof::DataObject& key = *animation.children[i].object;
        set[frame][key.name] = ReadKeys(key.data);
      }
    }
  }
  return sets;
}

// One SkinWeights record: bone name and weight per output vertex.
struct BoneRecord {
  std::string name;
  std::map<std::uint32_t, float> weights;
};

// A mesh's vertices and its bones' records.
struct SkinnedMesh {
  std::uint32_t vertices = 0;
  std::vector<Point3> positions;
  std::uint16_t header[3] = {0, 0, 0};
  std::vector<BoneRecord> bones;
};

inline void CollectSkins(const xof::DataObject& object,
                         std::map<std::string, SkinnedMesh>& meshes) {
  if (object.type->name == "Mesh") {
    SkinnedMesh& mesh = meshes[object.name];
    mesh.vertices = At<std::uint32_t>(object.data, 0);
    for (std::uint32_t v = 0; v < mesh.vertices; ++v) {
      std::size_t at = 4 + 12 * static_cast<std::size_t>(v);
      mesh.positions.emplace_back(At<float>(object.data, at), At<float>(object.data, at + 4),
                                  At<float>(object.data, at + 8));
    }
    for (const auto& child : object.children) {
      if (!child.object) continue;
      const auto& data = child.object->data;
      if (child.object->type->name == "XSkinMeshHeader") {
        for (int i = 0; i < 3; ++i)
          mesh.header[i] = At<std::uint16_t>(data, 2 * static_cast<std::size_t>(i));
      } else if (child.object->type->name == "SkinWeights") {
        BoneRecord bone;
        bone.name = reinterpret_cast<const char*>(data.data());
        std::size_t at = bone.name.size() + 1;
        auto count = At<std::uint32_t>(data, at);
        for (std::uint32_t i = 0; i < count; ++i) {
          bone.weights[At<std::uint32_t>(data, at + 4 + 4 * i)] =
              At<float>(data, at + 4 + 4 * count + 4 * i);
        }
        mesh.bones.push_back(bone);
      }
    }
  }
  for (const auto& child : object.children)
    if (child.object) CollectSkins(*child.object, meshes);
}

inline std::map<std::string, SkinnedMesh> ReadSkins(const std::filesystem::path& file) {
  xof::ReadResult ours = xof::ReadXFileAt(file);
  EXPECT_TRUE(ours.ok()) << ours.Describe();
  std::map<std::string, SkinnedMesh> meshes;
  if (ours.ok())
    for (const auto& object : ours.document->objects) CollectSkins(*object, meshes);
  return meshes;
}

}  // namespace e2e
