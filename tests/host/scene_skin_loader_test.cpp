// Skins, Physique data and patch objects in scene files (format version 5).
#include <gtest/gtest.h>

#include "host/iskin.h"
#include "host/patch.h"
#include "host/sim/scene_file/scene_loader.h"
#include "host/sim/sim_objects.h"
#include "scene_file_expectations.h"

using test::BadScene;
using test::Scene;

namespace {

sim::SimModifier* TopModifier(sim::SimScene& scene, const wchar_t* node) {
  auto* derived = static_cast<IDerivedObject*>(scene.FindNode(node)->GetObjectRef());
  return static_cast<sim::SimModifier*>(derived->GetModifier(0));
}

}  // namespace

// Bones are resolved by id whether they are listed before or after the skinned node.
TEST(SceneSkinLoader, SkinBonesPointsAndBindPoses) {
  auto scene = sim::LoadSceneText(Scene(R"(, "nodes": [
    {"name": "Body", "object": {"type": "box"},
     "modifiers": [{"class": "skin", "bones": ["Hip", {"node": "Knee", "bindPose": {"translate": [0, 0, 7]}}],
                    "bindPose": {"translate": [1, 2, 3]},
                    "points": [[[0, 0.5], [1, 0.5]], [], [[-1, 1]]]}]},
    {"name": "Hip", "object": {"type": "bone"}, "transform": {"translate": [0, 0, 9]}},
    {"name": "Knee", "parent": "Hip", "object": {"type": "bone"}}])",
                                        5),
                                  "skin.json", "/tmp");
  auto* skin = static_cast<ISkin*>(TopModifier(*scene, L"Body")->GetInterface(I_SKIN));
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->GetBone(0), scene->FindNode(L"Hip"));
  EXPECT_EQ(skin->GetBone(1), scene->FindNode(L"Knee"));
  ISkinContextData* data = skin->GetContextInterface(scene->FindNode(L"Body"));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->GetNumPoints(), 3);
  EXPECT_EQ(data->GetNumAssignedBones(0), 2);
  EXPECT_FLOAT_EQ(data->GetBoneWeight(0, 1), 0.5f);
  EXPECT_EQ(data->GetAssignedBone(2, 0), -1);
  Matrix3 pose;
  ASSERT_TRUE(skin->GetSkinInitTM(scene->FindNode(L"Body"), pose));
  EXPECT_EQ(pose.GetTrans(), Point3(1, 2, 3));
  ASSERT_TRUE(skin->GetBoneInitTM(scene->FindNode(L"Hip"), pose));
  EXPECT_EQ(pose.GetTrans(), Point3(0, 0, 9)) << "its transform, as none is given";
  ASSERT_TRUE(skin->GetBoneInitTM(scene->FindNode(L"Knee"), pose));
  EXPECT_EQ(pose.GetTrans(), Point3(0, 0, 7));
}

TEST(SceneSkinLoader, PhysiqueVerticesAndPatches) {
  auto scene = sim::LoadSceneText(Scene(R"(, "nodes": [
    {"name": "Hip", "object": {"type": "bone"}},
    {"name": "Cape", "object": {"type": "patch", "vertices": [[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0], [2, 0, 0]],
                                "patches": [[0, 1, 2, 3], [1, 4, 2]]},
     "modifiers": [{"class": "physique", "vertices": [{"rigid": "Hip"}, {"blended": [["Hip", 0.25]]}, "deformable"],
                    "bindPoses": [{"node": "Hip", "bindPose": {"translate": [4, 0, 0]}}]}]}])",
                                        5),
                                  "physique.json", "/tmp");
  auto* physique =
      static_cast<IPhysiqueExport*>(TopModifier(*scene, L"Cape")->GetInterface(I_PHYINTERFACE));
  ASSERT_NE(physique, nullptr);
  IPhyContextExport* context = physique->GetContextInterface(scene->FindNode(L"Cape"));
  ASSERT_EQ(context->GetNumberVertices(), 3);
  IPhyVertexExport* vertex = context->GetVertexInterface(1);
  ASSERT_EQ(vertex->GetVertexType(), RIGID_BLENDED_TYPE);
  EXPECT_EQ(static_cast<IPhyBlendedRigidVertex*>(vertex)->GetNode(0), scene->FindNode(L"Hip"));
  EXPECT_FLOAT_EQ(static_cast<IPhyBlendedRigidVertex*>(vertex)->GetWeight(0), 0.25f);
  context->ReleaseVertexInterface(vertex);
  Matrix3 pose;
  ASSERT_EQ(physique->GetInitNodeTM(scene->FindNode(L"Hip"), pose), 0);
  EXPECT_EQ(pose.GetTrans(), Point3(4, 0, 0));

  auto* patch =
      dynamic_cast<PatchObject*>(scene->FindNode(L"Cape")->GetObjectRef()->FindBaseObject());
  ASSERT_NE(patch, nullptr);
  EXPECT_EQ(patch->NumPoints(), 5);
  EXPECT_EQ(patch->GetPatchMesh().patches[1].type, PATCH_TRI);
}

// Each weight lies in [0, 1], the ends included; a point's weights may sum above 1.
TEST(SceneSkinLoader, WeightsSummingAboveOneAreHostData) {
  auto scene = sim::LoadSceneText(Scene(R"(, "nodes": [
    {"name": "Body", "object": {"type": "box"},
     "modifiers": [{"class": "skin", "bones": ["Hip", "Knee"], "points": [[[0, 0.8], [1, 0.8]], [[0, 0], [1, 1]]]}]},
    {"name": "Hip", "object": {"type": "bone"}},
    {"name": "Knee", "object": {"type": "bone"}}])",
                                        5),
                                  "sums.json", "/tmp");
  auto* skin = static_cast<ISkin*>(TopModifier(*scene, L"Body")->GetInterface(I_SKIN));
  ISkinContextData* data = skin->GetContextInterface(scene->FindNode(L"Body"));
  EXPECT_FLOAT_EQ(data->GetBoneWeight(0, 0) + data->GetBoneWeight(0, 1), 1.6f);
  EXPECT_FLOAT_EQ(data->GetBoneWeight(1, 1), 1.0f);
}

TEST(SceneSkinLoader, BrokenSkinningDataIsRefusedAtItsPlace) {
  const BadScene cases[] = {
      {Scene(R"(, "nodes": [{"name": "A", "modifiers": [{"class": "skin", "bones": ["Nobody"]}]}])",
             5),
       "/nodes/0/modifiers/0/bones/0", "no node has the id \"Nobody\""},
      {Scene(R"(, "nodes": [{"name": "A", "modifiers": [{"class": "skin", "bones": []}]}])", 4),
       "/nodes/0/modifiers/0/bones", "needs format version 5"},
      {Scene(R"(, "nodes": [{"name": "A", "modifiers": [{"class": "displace", "bones": []}]}])", 5),
       "/nodes/0/modifiers/0", "belong to a \"skin\" modifier"},
      {Scene(
           R"(, "nodes": [{"name": "A", "modifiers": [{"class": "skin", "bones": ["A"], "points": [[[1, 1]]]}]}])",
           5),
       "/nodes/0/modifiers/0/points/0/0/0", "outside -1 to 0"},
      {Scene(
           R"(, "nodes": [{"name": "A", "modifiers": [{"class": "skin", "bones": ["A"], "points": [[], [[0, 0.5], [0, 5.0]]]}]}])",
           5),
       "/nodes/0/modifiers/0/points/1/1/1", "a weight lies between 0 and 1"},
      {Scene(
           R"(, "nodes": [{"name": "A", "modifiers": [{"class": "skin", "bones": ["A"], "points": [[[0, -0.0001]]]}]}])",
           5),
       "/nodes/0/modifiers/0/points/0/0/1", "a weight lies between 0 and 1"},
      {Scene(
           R"(, "nodes": [{"name": "A", "modifiers": [{"class": "physique", "vertices": [{"blended": [["A", 0.5], ["A", -0.5]]}]}]}])",
           5),
       "/nodes/0/modifiers/0/vertices/0/blended/1/1", "a weight lies between 0 and 1"},
      {Scene(
           R"(, "nodes": [{"name": "A", "modifiers": [{"class": "physique", "vertices": [{"blended": [["A", 1.5]]}]}]}])",
           5),
       "/nodes/0/modifiers/0/vertices/0/blended/0/1", "a weight lies between 0 and 1"},
      {Scene(
           R"(, "nodes": [{"name": "A", "modifiers": [{"class": "physique", "vertices": [{"rigid": "B"}]}]}])",
           5),
       "/nodes/0/modifiers/0/vertices/0/rigid", "no node has the id \"B\""},
      {Scene(
           R"(, "nodes": [{"name": "A", "modifiers": [{"class": "physique", "vertices": ["soft"]}]}])",
           5),
       "/nodes/0/modifiers/0/vertices/0", "expected \"deformable\""},
      {Scene(
           R"(, "nodes": [{"name": "A", "object": {"type": "patch", "vertices": [[0, 0, 0]], "patches": [[0, 0, 1]]}}])",
           5),
       "/nodes/0/object/patches/0/2", "vertex 1 does not exist"},
      {Scene(
           R"(, "nodes": [{"name": "A", "object": {"type": "patch", "vertices": [], "patches": [[0, 0]]}}])",
           5),
       "/nodes/0/object/patches/0", ""},
  };
  for (const BadScene& bad : cases) test::ExpectRefused(bad.text, bad.place, bad.problem);
}
