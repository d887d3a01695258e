// The skinned, animated arm exported by `ruvx export` in every encoding, with the clips the import
// lays out: its bones, weights and animation set as our reader and Assimp see them, and its
// skinned vertices at the bind pose where the mesh lies; and an FBX character the same way.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cctype>
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

class SkinnedImportExport : public testing::TestWithParam<const char*> {};

TEST_P(SkinnedImportExport, BonesWeightsAndOneSetPerAnimation) {
  test::TempFolder folder(std::string("arm-") + GetParam());
  std::filesystem::path output = folder.Path() / "arm.x";
  test::RuvxResult run = test::Ruvx("export " + (test::kModels / "two-bone-arm.gltf").string() +
                                    " " + output.string() + " --format " + GetParam() +
                                    " --set KeyFrames=1 --config-dir " + folder.Path().string());
  ASSERT_EQ(run.status, 0) << run.output;

  auto meshes = e2e::ReadSkins(output);
  const e2e::SkinnedMesh& arm = meshes["Arm"];
  std::set<std::string> bones;
  std::map<std::uint32_t, float> sums;
  for (const e2e::BoneRecord& bone : arm.bones) {
    bones.insert(bone.name);
    for (const auto& [vertex, weight] : bone.weights) sums[vertex] += weight;
  }
  // The shoulder is bound where the arm is, under the model's turn: the skin names its skin frame.
  EXPECT_EQ(bones, (std::set<std::string>{"Shoulder_Skin", "Elbow"}));
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

// A skinned, animated FBX through Assimp's reader: the same bones and weights, and per source
// animation one set keying every node the source animates, from tick 0 to its last key.
TEST(SkinnedAssimpImportExport, BonesWeightsAndSetsOfAnFbxCharacter) {
  std::filesystem::path source = test::kAssimpModels / "FBX/huesitos.fbx";
  REQUIRE_ASSIMP_MODEL(source);
  auto imported = test::Import(source);
  ModuleExport exporter("skinned-fbx", OptionsWithClips(1, imported.clips));
  std::filesystem::path output = exporter.Export(*imported.scene, "character.x");
  ASSERT_TRUE(std::filesystem::exists(output));
  e2e::OurAnimations sets = e2e::ReadAnimations(output);
  e2e::CompareAnimationsWithAssimp(output, sets);

  // The source's bones, each weighing what it weighs there (its weights are not normalised, and
  // are kept so).
  Assimp::Importer importer;
  const aiScene* original = importer.ReadFile(source.string(), 0);
  ASSERT_NE(original, nullptr);
  std::map<std::string, float> sourceWeights, exportedWeights;
  for (unsigned m = 0; m < original->mNumMeshes; ++m) {
    for (unsigned b = 0; b < original->mMeshes[m]->mNumBones; ++b) {
      const aiBone& bone = *original->mMeshes[m]->mBones[b];
      for (unsigned w = 0; w < bone.mNumWeights; ++w)
        sourceWeights[bone.mName.C_Str()] =
            std::max(sourceWeights[bone.mName.C_Str()], bone.mWeights[w].mWeight);
    }
  }
  for (const auto& [name, mesh] : e2e::ReadSkins(output)) {
    for (const e2e::BoneRecord& bone : mesh.bones) {
      for (const auto& [vertex, weight] : bone.weights)
        exportedWeights[bone.name] = std::max(exportedWeights[bone.name], weight);
    }
  }
  ASSERT_FALSE(sourceWeights.empty());
  EXPECT_EQ(exportedWeights.size(), sourceWeights.size());
  for (const auto& [sourceName, weight] : sourceWeights) {
    // The file's names as .x names: what is neither a letter, a digit nor '_' becomes '_'.
    std::string name = sourceName;
    for (char& c : name) {
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    ASSERT_TRUE(exportedWeights.count(name)) << name;
    EXPECT_NEAR(exportedWeights[name], weight, 1e-5f) << name;
  }
  ASSERT_EQ(sets.size(), original->mNumAnimations);
  const aiAnimation& animation = *original->mAnimations[0];
  const auto& set = sets.begin()->second;
  double perSecond = animation.mTicksPerSecond > 0 ? animation.mTicksPerSecond : 25.0;
  for (unsigned c = 0; c < animation.mNumChannels; ++c) {
    const aiNodeAnim& channel = *animation.mChannels[c];
    std::string name = channel.mNodeName.C_Str();
    if (!set.count(name)) continue;  // a node the export leaves out (Assimp's own helpers)
    const e2e::OurKeys& rotation = set.at(name).at("R");
    ASSERT_FALSE(rotation.times.empty()) << name;
    EXPECT_EQ(rotation.times.front(), 0u) << name;
    double last =
        channel.mRotationKeys[channel.mNumRotationKeys - 1].mTime - channel.mRotationKeys[0].mTime;
    EXPECT_GE(rotation.times.back() + 1, static_cast<std::uint32_t>(last / perSecond * 4800))
        << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, SkinnedImportExport,
                         testing::Values("text", "binary", "compressed"));

}  // namespace
