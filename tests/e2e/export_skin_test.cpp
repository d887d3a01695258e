// Skinned meshes exported through the module in every encoding: the skin records as our reader
// sees them, and the same bones and weights as Assimp, an independent reader, sees them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "assimp_checks.h"
#include "host/sim/mesh_builder.h"
#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/scene_loader.h"
#include "module_export.h"
#include "our_records.h"

#ifdef RUV_HAVE_ASSIMP
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#endif

namespace {

using e2e::BoneRecord;
using e2e::ReadSkins;
using e2e::SkinnedMesh;

class SkinExportTest : public testing::TestWithParam<int> {
 protected:
  std::filesystem::path Export(sim::SimScene& scene) {
    std::filesystem::path output = export_.Export(scene, "skinned.x");
    EXPECT_TRUE(std::filesystem::exists(output));
    return output;
  }
  ModuleExport export_{"skin" + std::to_string(GetParam()),
                       "XFileType=" + std::to_string(GetParam()) + "\r\n"};
};

}  // namespace

TEST_P(SkinExportTest, CharacterExampleCarriesItsBones) {
  auto scene = sim::LoadSceneFile(std::filesystem::path(RUV_SOURCE_DIR) / "examples" /
                                  "skinned-character.json");
  std::filesystem::path output = Export(*scene);
  auto meshes = ReadSkins(output);

  const SkinnedMesh& body = meshes["Body"];
  ASSERT_EQ(body.bones.size(), 3u);
  EXPECT_EQ(body.header[2], 3);
  EXPECT_EQ(body.header[0], 2);
  std::set<std::string> names;
  for (const BoneRecord& bone : body.bones) names.insert(bone.name);
  EXPECT_EQ(names, (std::set<std::string>{"Spine", "Chest", "Head"}));
  // Each output vertex's weights sum to 1, as each point's do.
  std::map<std::uint32_t, float> sums;
  for (const auto& mesh : {meshes["Body"], meshes["Arm"], meshes["Shield"], meshes["Cape"]}) {
    ASSERT_FALSE(mesh.bones.empty());
    sums.clear();
    for (const BoneRecord& bone : mesh.bones)
      for (const auto& [vertex, weight] : bone.weights) sums[vertex] += weight;
    EXPECT_EQ(sums.size(), mesh.vertices);
    for (const auto& [vertex, sum] : sums) EXPECT_NEAR(sum, 1.0f, 1e-5f) << vertex;
  }
  EXPECT_GT(meshes["Cape"].vertices, 6u) << "the patches' mesh is denser than their points";
#ifdef RUV_HAVE_ASSIMP
  e2e::CompareSkinsWithAssimp(output, meshes);
  Assimp::Importer importer;
  const aiScene* imported = importer.ReadFile(output.string(), 0);
  ASSERT_NE(imported, nullptr);
  EXPECT_NE(imported->mRootNode->FindNode("Head"), nullptr) << "a hidden bone comes with its skin";
#endif
}

// A vertex no face uses has no output vertex: its bone's record holds no weights, and still loads.
TEST_P(SkinExportTest, BoneRecordWithoutWeightsLoads) {
  sim::SceneBuilder builder;
  sim::NodeBuilder& root = builder.Root().AddChild(L"Root").Bone();
  sim::NodeBuilder& tip = root.AddChild(L"Tip").Bone().Translate({0, 0, 10});
  sim::SkinDescription skin;
  skin.bones = {{&root, {}}, {&tip, {}}};
  skin.points = {{{0, 1}}, {{0, 1}}, {{0, 1}}, {{1, 1}}};
  builder.Root()
      .AddChild(L"Sheet")
      .TriMesh(sim::MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}}, {{0, 1, 2}}))
      .Skin(skin);
  auto scene = builder.Build();
  std::filesystem::path output = Export(*scene);
  auto meshes = ReadSkins(output);
  const SkinnedMesh& sheet = meshes["Sheet"];
  ASSERT_EQ(sheet.bones.size(), 2u);
  auto tipRecord = std::find_if(sheet.bones.begin(), sheet.bones.end(),
                                [](const BoneRecord& b) { return b.name == "Tip"; });
  ASSERT_NE(tipRecord, sheet.bones.end());
  EXPECT_TRUE(tipRecord->weights.empty());
#ifdef RUV_HAVE_ASSIMP
  e2e::CompareSkinsWithAssimp(output, meshes);
#endif
}

// A bone the export does not mirror (a target) keeps its weights under an empty name; the file
// still loads.
TEST_P(SkinExportTest, BoneWithoutExportNodeLoads) {
  sim::SceneBuilder builder;
  sim::NodeBuilder& aim = builder.Root().AddChild(L"Aim").Target();
  sim::NodeBuilder& bone = builder.Root().AddChild(L"Bone").Bone();
  sim::SkinDescription skin;
  skin.bones = {{&aim, {}}, {&bone, {}}};
  skin.points = {{{0, 0.5f}, {1, 0.5f}}, {{1, 1}}, {{1, 1}}};
  builder.Root()
      .AddChild(L"Sheet")
      .TriMesh(sim::MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}))
      .Skin(skin);
  auto scene = builder.Build();
  std::filesystem::path output = Export(*scene);
  auto meshes = ReadSkins(output);
  ASSERT_EQ(meshes["Sheet"].bones.size(), 2u);
  EXPECT_TRUE(meshes["Sheet"].bones[0].name.empty() || meshes["Sheet"].bones[1].name.empty());
#ifdef RUV_HAVE_ASSIMP
  Assimp::Importer importer;
  EXPECT_NE(importer.ReadFile(output.string(), 0), nullptr) << importer.GetErrorString();
#endif
}

INSTANTIATE_TEST_SUITE_P(Encodings, SkinExportTest, testing::Values(0, 1, 2),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == 0   ? "Text"
                                              : info.param == 1 ? "Binary"
                                                                : "Compressed");
                         });
