// The skinned, animated arm imported and exported through the module in every encoding, with the
// clips the import lays out: its bones, weights and animation set as our reader and Assimp see
// them, and its skinned vertices at the bind pose where the mesh lies.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <set>

#include "assimp_checks.h"
#include "import_test_support.h"
#include "module_export.h"
#include "our_records.h"

namespace {

// The options file with the import's clips in place of its own, keys exported as the source has
// them.
std::string OptionsWithClips(int fileType, const std::vector<sim::import::ImportedClip>& clips) {
  std::string text = "XFileType=" + std::to_string(fileType) +
                     "\r\nKeyFrames=1\r\nAnimationCount=" + std::to_string(clips.size()) + "\r\n";
  for (std::size_t i = 0; i < clips.size(); ++i) {
    std::string n = "Animation" + std::to_string(i);
    text += n + "_Name=" + std::string(clips[i].name.begin(), clips[i].name.end()) + "\r\n" + n +
            "_StartKey=" + std::to_string(clips[i].startFrame) + "\r\n" + n +
            "_EndKey=" + std::to_string(clips[i].endFrame) + "\r\n";
  }
  return text;
}

aiMatrix4x4 WorldOf(const aiNode* node) {
  aiMatrix4x4 world;
  for (; node; node = node->mParent) world = node->mTransformation * world;
  return world;
}

// Assimp's skinning at the file's pose: Σ w · frame(bone) · offset(bone) · v, against the mesh's
// own frame · v.
void ExpectSkinnedWhereTheMeshLies(const std::filesystem::path& file) {
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(file.string(), 0);
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  ASSERT_EQ(scene->mNumMeshes, 1u);
  const aiMesh* mesh = scene->mMeshes[0];
  const aiNode* meshNode = scene->mRootNode->FindNode("Arm");
  ASSERT_NE(meshNode, nullptr);
  aiMatrix4x4 meshWorld = WorldOf(meshNode);
  std::vector<aiVector3D> skinned(mesh->mNumVertices);
  for (unsigned b = 0; b < mesh->mNumBones; ++b) {
    const aiBone* bone = mesh->mBones[b];
    aiMatrix4x4 m = WorldOf(scene->mRootNode->FindNode(bone->mName)) * bone->mOffsetMatrix;
    for (unsigned w = 0; w < bone->mNumWeights; ++w) {
      const aiVertexWeight& weight = bone->mWeights[w];
      skinned[weight.mVertexId] += (m * mesh->mVertices[weight.mVertexId]) * weight.mWeight;
    }
  }
  for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
    aiVector3D expected = meshWorld * mesh->mVertices[v];
    EXPECT_LT((skinned[v] - expected).Length(), 1e-4f) << v;
  }
}

class SkinnedImportExport : public testing::TestWithParam<int> {};

TEST_P(SkinnedImportExport, BonesWeightsAndOneSetPerAnimation) {
  auto imported = test::Import(test::kModels / "two-bone-arm.gltf");
  ASSERT_EQ(imported.clips.size(), 1u);
  ModuleExport exporter("skinned-import-" + std::to_string(GetParam()),
                        OptionsWithClips(GetParam(), imported.clips));
  std::filesystem::path output = exporter.Export(*imported.scene, "arm.x");
  ASSERT_TRUE(std::filesystem::exists(output));

  auto meshes = e2e::ReadSkins(output);
  const e2e::SkinnedMesh& arm = meshes["Arm"];
  std::set<std::string> bones;
  std::map<std::uint32_t, float> sums;
  for (const e2e::BoneRecord& bone : arm.bones) {
    bones.insert(bone.name);
    for (const auto& [vertex, weight] : bone.weights) sums[vertex] += weight;
  }
  EXPECT_EQ(bones, (std::set<std::string>{"Shoulder", "Elbow"}));
  EXPECT_EQ(sums.size(), arm.vertices);
  for (const auto& [vertex, sum] : sums) EXPECT_NEAR(sum, 1.0f, 1e-5f) << vertex;

  // One set, named after the animation: the elbow's three rotation keys at 0, 0.5 and 1 s, the
  // shoulder held by two keys.
  e2e::OurAnimations sets = e2e::ReadAnimations(output);
  ASSERT_EQ(sets.size(), 1u);
  ASSERT_TRUE(sets.count("Bend"));
  const auto& bend = sets["Bend"];
  EXPECT_EQ(bend.at("Elbow").at("R").times, (std::vector<std::uint32_t>{0, 2400, 4800}));
  EXPECT_EQ(bend.at("Shoulder").at("R").times.size(), 2u);

  e2e::CompareSkinsWithAssimp(output, meshes);
  e2e::CompareAnimationsWithAssimp(output, sets);
  ExpectSkinnedWhereTheMeshLies(output);
}

INSTANTIATE_TEST_SUITE_P(Encodings, SkinnedImportExport, testing::Values(0, 1, 2),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == 0   ? "Text"
                                              : info.param == 1 ? "Binary"
                                                                : "Compressed");
                         });

}  // namespace
