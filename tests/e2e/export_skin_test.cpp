// Skinned meshes exported through the module in every encoding: the skin records as our reader
// sees them, and the same bones and weights as Assimp, an independent reader, sees them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "host/sim/mesh_builder.h"
#include "host/sim/scene_builder.h"
#include "host/sim/scene_loader.h"
#include "module_export.h"
#include "xof/file_reader.h"

#ifdef RUV_HAVE_ASSIMP
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#endif

namespace {

// One SkinWeights record: bone name and weight per output vertex.
struct BoneRecord {
  std::string name;
  std::map<std::uint32_t, float> weights;
};

// Per mesh name: its vertex count and its bones' records.
struct SkinnedMesh {
  std::uint32_t vertices = 0;
  std::vector<Point3> positions;
  std::uint16_t header[3] = {0, 0, 0};
  std::vector<BoneRecord> bones;
};

template <class T>
T At(const std::vector<std::uint8_t>& data, std::size_t offset) {
  T value;
  std::memcpy(&value, data.data() + offset, sizeof value);
  return value;
}

void Collect(const xof::DataObject& object, std::map<std::string, SkinnedMesh>& meshes) {
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
    if (child.object) Collect(*child.object, meshes);
}

std::map<std::string, SkinnedMesh> ReadSkins(const std::filesystem::path& file) {
  xof::ReadResult ours = xof::ReadXFileAt(file);
  EXPECT_TRUE(ours.ok()) << ours.Describe();
  std::map<std::string, SkinnedMesh> meshes;
  if (ours.ok())
    for (const auto& object : ours.document->objects) Collect(*object, meshes);
  return meshes;
}

#ifdef RUV_HAVE_ASSIMP
// Assimp keeps a bone only where it weighs a vertex; the weights of each bone, sorted, must be the
// ones our reader finds, and every vertex's weights must sum to 1.
void CompareWithAssimp(const std::filesystem::path& file,
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
#endif

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
  CompareWithAssimp(output, meshes);
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
  CompareWithAssimp(output, meshes);
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
