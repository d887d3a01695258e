// Checks that Assimp, an independent reader, finds in an exported file what our reader finds.
#pragma once

#ifdef RUV_HAVE_ASSIMP
#include <assimp/scene.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>

#include "our_records.h"

namespace e2e {

// Assimp keeps a bone only where it weighs a vertex; the weights of each bone, sorted, must be the
// ones our reader finds, and every vertex's weights must sum to 1.
inline void CompareSkinsWithAssimp(const std::filesystem::path& file,
                                   const std::map<std::string, SkinnedMesh>& ours) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(file.string(), 0);
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  std::size_t skinnedMeshes = 0;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh* mesh = scene->mMeshes[m];
    if (!mesh->HasBones()) continue;
    ++skinnedMeshes;
    auto found = ours.find(mesh->mName.C_Str());
    ASSERT_NE(found, ours.end()) << mesh->mName.C_Str();
    const SkinnedMesh& ourMesh = found->second;
    std::vector<float> sums(mesh->mNumVertices, 0.0f);
    for (unsigned b = 0; b < mesh->mNumBones; ++b) {
      const aiBone* bone = mesh->mBones[b];
      auto record =
          std::find_if(found->second.bones.begin(), found->second.bones.end(),
                       [&](const BoneRecord& r) { return r.name == bone->mName.C_Str(); });
      ASSERT_NE(record, found->second.bones.end()) << bone->mName.C_Str();
      EXPECT_NE(scene->mRootNode->FindNode(bone->mName), nullptr)
          << "the bone's frame is in the file";
      // Assimp gives each face corner a vertex of its own, and mirrors z into its right-handed
      // space: a weight of theirs must be ours at a vertex in that place.
      for (unsigned w = 0; w < bone->mNumWeights; ++w) {
        const aiVertexWeight& weight = bone->mWeights[w];
        sums[weight.mVertexId] += weight.mWeight;
        const aiVector3D& p = mesh->mVertices[weight.mVertexId];
        bool found = false;
        for (const auto& [vertex, ours] : record->weights) {
          const Point3& q = ourMesh.positions[vertex];
          bool samePlace = std::abs(q.x - p.x) < 1e-4f && std::abs(q.y - p.y) < 1e-4f &&
                           std::abs(std::abs(q.z) - std::abs(p.z)) < 1e-4f;
          found = found || (samePlace && std::abs(ours - weight.mWeight) < 1e-6f);
        }
        EXPECT_TRUE(found) << bone->mName.C_Str() << " weighs " << weight.mWeight << " at " << p.x
                           << " " << p.y << " " << p.z;
      }
    }
    for (float sum : sums) EXPECT_NEAR(sum, 1.0f, 1e-5f) << mesh->mName.C_Str();
  }
  std::size_t expected = 0;
  for (const auto& [name, mesh] : ours) expected += mesh.bones.empty() ? 0 : 1;
  EXPECT_EQ(skinnedMeshes, expected);
}

// One animation per set, a channel per animated frame, and per channel the key counts and times
// of our S, R and T records.
inline void CompareAnimationsWithAssimp(const std::filesystem::path& file,
                                        const OurAnimations& ours) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(file.string(), 0);
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  ASSERT_EQ(scene->mNumAnimations, ours.size());
  for (unsigned a = 0; a < scene->mNumAnimations; ++a) {
    const aiAnimation* animation = scene->mAnimations[a];
    SCOPED_TRACE(animation->mName.C_Str());
    auto set = ours.find(animation->mName.C_Str());
    ASSERT_NE(set, ours.end());
    ASSERT_EQ(animation->mNumChannels, set->second.size());
    for (unsigned c = 0; c < animation->mNumChannels; ++c) {
      const aiNodeAnim* channel = animation->mChannels[c];
      SCOPED_TRACE(channel->mNodeName.C_Str());
      auto frame = set->second.find(channel->mNodeName.C_Str());
      ASSERT_NE(frame, set->second.end());
      EXPECT_NE(scene->mRootNode->FindNode(channel->mNodeName), nullptr);
      auto times = [&frame](const char* record) {
        auto keys = frame->second.find(record);
        return keys == frame->second.end() ? std::vector<std::uint32_t>{} : keys->second.times;
      };
      auto theirs = [](const auto* keys, unsigned count) {
        std::vector<std::uint32_t> times;
        for (unsigned k = 0; k < count; ++k)
          times.push_back(static_cast<std::uint32_t>(keys[k].mTime));
        return times;
      };
      EXPECT_EQ(theirs(channel->mScalingKeys, channel->mNumScalingKeys), times("S"));
      EXPECT_EQ(theirs(channel->mRotationKeys, channel->mNumRotationKeys), times("R"));
      EXPECT_EQ(theirs(channel->mPositionKeys, channel->mNumPositionKeys), times("T"));
    }
  }
}

}  // namespace e2e
#endif
