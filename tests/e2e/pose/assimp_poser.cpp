#include "assimp_poser.h"

#include <gtest/gtest.h>

#include <cstring>

namespace e2e {

namespace {

// The keys around `ticks` and the fraction of the way from the first to the second; both the
// same key outside the keys' span.
template <class Key>
void Bracket(const Key* keys, unsigned count, double ticks, unsigned& a, unsigned& b,
             double& fraction) {
  a = b = 0;
  fraction = 0.0;
  if (ticks <= keys[0].mTime) return;
  if (ticks >= keys[count - 1].mTime) {
    a = b = count - 1;
    return;
  }
  while (keys[a + 1].mTime <= ticks) ++a;
  b = a + 1;
  fraction = (ticks - keys[a].mTime) / (keys[b].mTime - keys[a].mTime);
}

aiVector3D Lerp(const aiVectorKey* keys, unsigned count, double ticks) {
  unsigned a, b;
  double f;
  Bracket(keys, count, ticks, a, b, f);
  return keys[a].mValue + (keys[b].mValue - keys[a].mValue) * static_cast<ai_real>(f);
}

aiQuaternion Slerp(const aiQuatKey* keys, unsigned count, double ticks) {
  unsigned a, b;
  double f;
  Bracket(keys, count, ticks, a, b, f);
  aiQuaternion q;
  aiQuaternion::Interpolate(q, keys[a].mValue, keys[b].mValue, static_cast<ai_real>(f));
  return q.Normalize();
}

const aiNodeAnim* ChannelOf(const aiAnimation& animation, const aiString& name) {
  for (unsigned c = 0; c < animation.mNumChannels; ++c) {
    if (animation.mChannels[c]->mNodeName == name) return animation.mChannels[c];
  }
  return nullptr;
}

}  // namespace

aiMatrix4x4 ChannelTransform(const aiNodeAnim& channel, double ticks, const aiMatrix4x4& rest) {
  aiVector3D scale, position;
  aiQuaternion rotation;
  rest.Decompose(scale, rotation, position);
  if (channel.mNumPositionKeys > 0)
    position = Lerp(channel.mPositionKeys, channel.mNumPositionKeys, ticks);
  if (channel.mNumRotationKeys > 0)
    rotation = Slerp(channel.mRotationKeys, channel.mNumRotationKeys, ticks);
  if (channel.mNumScalingKeys > 0)
    scale = Lerp(channel.mScalingKeys, channel.mNumScalingKeys, ticks);
  return aiMatrix4x4(scale, rotation, position);
}

aiMatrix4x4 LocalTransform(const aiScene& scene, int animation, const aiNode& node, double ticks) {
  if (animation < 0) return node.mTransformation;
  const aiNodeAnim* channel =
      ChannelOf(*scene.mAnimations[static_cast<unsigned>(animation)], node.mName);
  return channel ? ChannelTransform(*channel, ticks, node.mTransformation) : node.mTransformation;
}

Pose::Pose(const aiScene& scene, int animation, double ticks, Weights weights)
    : scene_(scene), weights_(weights) {
  Visit(scene.mRootNode, aiMatrix4x4(), animation, ticks);
}

void Pose::Visit(const aiNode* node, const aiMatrix4x4& parent, int animation, double ticks) {
  aiMatrix4x4 global = parent * LocalTransform(scene_, animation, *node, ticks);
  global_[node] = global;
  for (unsigned i = 0; i < node->mNumChildren; ++i)
    Visit(node->mChildren[i], global, animation, ticks);
}

std::vector<PosedMesh> Pose::Meshes() const {
  std::vector<PosedMesh> meshes;
  // In the order of the nodes' names, so that the result does not depend on where they lie.
  std::multimap<std::string, const aiNode*> nodes;
  for (const auto& [node, global] : global_) nodes.emplace(node->mName.C_Str(), node);
  for (const auto& [name, node] : nodes) {
    const aiMatrix4x4& nodeGlobal = global_.at(node);
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
      const aiMesh* mesh = scene_.mMeshes[node->mMeshes[m]];
      PosedMesh posed{node, mesh, std::vector<aiVector3D>(mesh->mNumVertices)};
      std::vector<bool> weighed(mesh->mNumVertices, false);
      std::vector<float> scale(mesh->mNumVertices, 1.0f);
      if (weights_ == Weights::kSumsAboveOneScaled) {
        std::vector<float> sums(mesh->mNumVertices, 0.0f);
        for (unsigned b = 0; b < mesh->mNumBones; ++b) {
          for (unsigned w = 0; w < mesh->mBones[b]->mNumWeights; ++w)
            sums[mesh->mBones[b]->mWeights[w].mVertexId] += mesh->mBones[b]->mWeights[w].mWeight;
        }
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
          if (sums[v] > 1.0f) scale[v] = 1.0f / sums[v];
        }
      }
      for (unsigned b = 0; b < mesh->mNumBones; ++b) {
        const aiBone* bone = mesh->mBones[b];
        const aiNode* boneNode = scene_.mRootNode->FindNode(bone->mName);
        if (!boneNode) {
          ADD_FAILURE() << "bone " << bone->mName.C_Str() << " of mesh " << mesh->mName.C_Str()
                        << " names no node";
          continue;
        }
        aiMatrix4x4 skinning = global_.at(boneNode) * bone->mOffsetMatrix;
        for (unsigned w = 0; w < bone->mNumWeights; ++w) {
          const aiVertexWeight& weight = bone->mWeights[w];
          posed.vertices[weight.mVertexId] += (skinning * mesh->mVertices[weight.mVertexId]) *
                                              (weight.mWeight * scale[weight.mVertexId]);
          weighed[weight.mVertexId] = true;
        }
      }
      for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
        if (!weighed[v]) posed.vertices[v] = nodeGlobal * mesh->mVertices[v];
      }
      meshes.push_back(std::move(posed));
    }
  }
  return meshes;
}

std::vector<aiVector3D> Pose::Vertices() const {
  std::vector<aiVector3D> vertices;
  for (const PosedMesh& mesh : Meshes())
    vertices.insert(vertices.end(), mesh.vertices.begin(), mesh.vertices.end());
  return vertices;
}

}  // namespace e2e
