// The skinned, animated arm and broken variants of it: the skin's bones, weights and bind poses as
// the host holds them, and every bad joint, matrix or sampler refused with the file and the place.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "host/iskin.h"
#include "host/object.h"
#include "host/sim/import/model_assembly.h"
#include "import_test_support.h"

namespace {

using json = nlohmann::json;

json Arm() {
  std::ifstream in(test::kModels / "two-bone-arm.gltf");
  return json::parse(in);
}

ISkin* SkinOf(INode* node) {
  auto* derived = static_cast<IDerivedObject*>(node->GetObjectRef());
  return static_cast<ISkin*>(derived->GetModifier(0)->GetInterface(I_SKIN));
}

class GltfSkin : public testing::Test {
 protected:
  sim::import::ImportedScene Import(const json& document, float scale = 1.0f) {
    return test::Import(folder_.Write("arm.gltf", document.dump()), folder_.Path(), scale);
  }

  void ExpectRefused(const json& document, const std::string& problem) {
    try {
      Import(document);
      ADD_FAILURE() << "accepted: " << problem;
    } catch (const sim::SceneFileError& error) {
      std::string message = error.what();
      EXPECT_NE(message.find((folder_.Path() / "arm.gltf").string()), std::string::npos) << message;
      EXPECT_NE(message.find(problem), std::string::npos) << message;
    }
  }

  // Where the exporter puts each point of `node` at time 0: v · skinTM · boneInitTM⁻¹ · bone(0),
  // blended by the weights.
  static std::vector<Point3> SkinnedPoints(INode* node) {
    ISkin* skin = SkinOf(node);
    ISkinContextData* data = skin->GetContextInterface(node);
    Matrix3 skinTM;
    EXPECT_TRUE(skin->GetSkinInitTM(node, skinTM));
    Mesh mesh = test::MeshOf(node);
    std::vector<Point3> points;
    for (int p = 0; p < data->GetNumPoints(); ++p) {
      Point3 sum;
      for (int k = 0; k < data->GetNumAssignedBones(p); ++k) {
        INode* bone = skin->GetBone(data->GetAssignedBone(p, k));
        Matrix3 boneInit;
        EXPECT_TRUE(skin->GetBoneInitTM(bone, boneInit));
        sum += mesh.verts[static_cast<std::size_t>(p)] * skinTM * Inverse(boneInit) *
               bone->GetNodeTM(0) * data->GetBoneWeight(p, k);
      }
      points.push_back(sum);
    }
    return points;
  }

  test::TempFolder folder_{"skin"};
};

TEST_F(GltfSkin, JointsAreBonesBoundWhereTheFilePutsThem) {
  auto imported = Import(Arm(), 2.0f);
  INode* arm = imported.scene->FindNode(L"Arm");
  ISkin* skin = SkinOf(arm);
  ASSERT_NE(skin, nullptr);
  ASSERT_EQ(skin->GetNumBones(), 2);
  EXPECT_EQ(skin->GetBone(0), imported.scene->FindNode(L"Shoulder"));
  EXPECT_EQ(skin->GetBone(1), imported.scene->FindNode(L"Elbow"));
  // The file's rest pose is its bind pose: each bone is bound where it stands, turned Z-up and
  // scaled.
  for (int b = 0; b < 2; ++b) {
    Matrix3 bind;
    ASSERT_TRUE(skin->GetBoneInitTM(skin->GetBone(b), bind));
    Matrix3 now = skin->GetBone(b)->GetNodeTM(0);
    for (int row = 0; row < 4; ++row) {
      EXPECT_LT(Length(bind.GetRow(row) - now.GetRow(row)), 1e-5f) << b << " " << row;
    }
  }
  // Every influence of the file, weights as given (the elbow ring half and half).
  ISkinContextData* data = skin->GetContextInterface(arm);
  ASSERT_EQ(data->GetNumPoints(), 12);
  EXPECT_EQ(data->GetNumAssignedBones(0), 1);
  ASSERT_EQ(data->GetNumAssignedBones(4), 2);
  EXPECT_FLOAT_EQ(data->GetBoneWeight(4, 0), 0.5f);
  // At the bind pose the skinned mesh lies where the mesh does.
  Mesh mesh = test::MeshOf(arm);
  std::vector<Point3> skinned = SkinnedPoints(arm);
  for (std::size_t p = 0; p < skinned.size(); ++p) {
    EXPECT_LT(Length(skinned[p] - mesh.verts[p] * arm->GetObjectTM(0)), 1e-5f) << p;
  }
}

TEST_F(GltfSkin, TheSkinnedNodesOwnTransformMovesNothingAsInGltf) {
  json document = Arm();
  document["nodes"][0]["translation"] = {5, 0, 0};
  auto imported = Import(document);
  INode* arm = imported.scene->FindNode(L"Arm");
  Mesh mesh = test::MeshOf(arm);
  std::vector<Point3> skinned = SkinnedPoints(arm);
  ASSERT_EQ(skinned.size(), mesh.verts.size());
  for (std::size_t p = 0; p < skinned.size(); ++p) {
    Point3 expected = mesh.verts[p] * sim::import::YUpToZUp();
    EXPECT_LT(Length(skinned[p] - expected), 1e-5f) << p;
  }
}

TEST_F(GltfSkin, BrokenSkinsAndSamplersAreRefused) {
  json document = Arm();
  document["skins"][0]["joints"] = {1};
  ExpectRefused(document,
                "/meshes/0/primitives/0/attributes/JOINTS_0: joint 1 does not exist: "
                "skin 0 of node Arm has 1 joints");
  document = Arm();
  document["skins"][0]["joints"] = {1, 9};
  ExpectRefused(document, "/skins/0/joints/1: joint node 9 does not exist");
  document = Arm();
  document["accessors"][1]["componentType"] = 5126;
  ExpectRefused(document, "cannot hold joints");
  document = Arm();
  document["accessors"][4]["count"] = 1;
  ExpectRefused(document, "/skins/0/inverseBindMatrices: accessor 4 holds 1 matrices for 2 joints");
  document = Arm();
  document["animations"][0]["samplers"][0]["output"] = 2;
  ExpectRefused(document,
                "/animations/0/samplers/0/output: accessor 2 holds 12 elements for 3 key times");
  document = Arm();
  document["animations"][0]["channels"][0]["sampler"] = 5;
  ExpectRefused(document, "/animations/0/channels/0/sampler: sampler 5 does not exist");
  document = Arm();
  document["animations"][0]["channels"][0]["target"]["node"] = 9;
  ExpectRefused(document, "/animations/0/channels/0/target/node: node 9 does not exist");
}

TEST_F(GltfSkin, WhatCannotBeCarriedIsNamed) {
  json document = Arm();
  // The skeleton left out of the scene: no bone can stand for its joints, nor keys for its nodes.
  document["scenes"][0]["nodes"] = {0};
  auto imported = Import(document);
  auto has = [&](const std::string& text) {
    for (const std::string& line : imported.warnings)
      if (line.find(text) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has("skin 0 is dropped: its joint node 1 lies outside the scene"));
  EXPECT_TRUE(has("animation channels of nodes outside the scene are dropped"));
  EXPECT_TRUE(has("animation Bend is dropped"));
  EXPECT_TRUE(imported.clips.empty());

  document = Arm();
  document["animations"][0]["channels"][0]["target"]["path"] = "weights";
  document["animations"][0]["channels"].push_back(
      {{"sampler", 0}, {"target", {{"node", 2}, {"path", "rotation"}}}});
  imported = Import(document);
  EXPECT_TRUE(has("morph target weights channels are dropped"));
  ASSERT_EQ(imported.clips.size(), 1u);
  EXPECT_EQ(imported.clips[0].name, L"Bend");
  EXPECT_EQ(imported.clips[0].endFrame, 30);
}

}  // namespace
