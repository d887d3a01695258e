// The neutral model made into host objects: shared materials stay shared, a part without a
// material leaves an empty slot, instanced meshes are copies, and the scene limits hold.
#include "host/sim/import/model_assembly.h"

#include <gtest/gtest.h>

#include "host/sim/scene_file/scene_file_error.h"
#include "host/sim/scene_file/scene_limits.h"
#include "import_test_support.h"

namespace {

using sim::import::ImportedMeshPart;
using sim::import::ImportedModel;
using sim::import::ImportedNode;

ImportedMeshPart Triangle(int material) {
  ImportedMeshPart part;
  part.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  part.triangles = {{0, 1, 2}};
  part.material = material;
  return part;
}

ImportedNode NodeOf(std::wstring name, std::vector<int> parts, int parent = -1) {
  ImportedNode node;
  node.name = std::move(name);
  node.parts = std::move(parts);
  node.parent = parent;
  return node;
}

TEST(ModelAssembly, MaterialListsAreSharedAndMissingMaterialsLeaveEmptySlots) {
  ImportedModel model;
  model.yUp = false;
  model.materials.resize(2);
  model.materials[0].name = L"Red";
  model.materials[1].name = L"Blue";
  model.parts = {Triangle(0), Triangle(1), Triangle(-1), Triangle(1)};
  model.nodes = {NodeOf(L"A", {0, 1}), NodeOf(L"B", {0, 1}, 0), NodeOf(L"C", {1, 2}),
                 NodeOf(L"D", {3}), NodeOf(L"E", {2})};
  auto scene = sim::import::AssembleScene(model, 1.0f, "model", L"");
  Mtl* a = scene->FindNode(L"A")->GetMtl();
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->ClassID(), MULTI_CLASS_ID);
  // The same list of materials is one multi/sub-object material.
  EXPECT_EQ(scene->FindNode(L"B")->GetMtl(), a);
  EXPECT_EQ(scene->FindNode(L"B")->GetParentNode(), scene->FindNode(L"A"));
  Mtl* c = scene->FindNode(L"C")->GetMtl();
  ASSERT_EQ(c->NumSubMtls(), 2);
  EXPECT_EQ(c->GetSubMtl(0), a->GetSubMtl(1));
  EXPECT_EQ(c->GetSubMtl(1), nullptr);
  // One material alone is the node's material; none at all leaves the node without one.
  EXPECT_EQ(scene->FindNode(L"D")->GetMtl(), a->GetSubMtl(1));
  EXPECT_EQ(scene->FindNode(L"E")->GetMtl(), nullptr);
  // Each node has its own copy of a part it shares with another.
  EXPECT_NE(scene->FindNode(L"A")->GetObjectRef(), scene->FindNode(L"B")->GetObjectRef());
  EXPECT_EQ(test::MeshOf(scene->FindNode(L"B")).getNumFaces(), 2);
}

TEST(ModelAssembly, NodesWithoutMeshesAreDummies) {
  ImportedModel model;
  model.nodes = {NodeOf(L"Group", {})};
  auto scene = sim::import::AssembleScene(model, 1.0f, "model", L"");
  Object* object = scene->FindNode(L"Group")->GetObjectRef();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->SuperClassID(), HELPER_CLASS_ID);
}

TEST(ModelAssembly, ModelsBeyondTheSceneLimitsAreRefused) {
  ImportedModel model;
  ImportedMeshPart big;
  big.positions.resize(sim::SceneLimits::kMaxSceneVertices / 2 + 1);
  big.triangles = {{0, 1, 2}};
  model.parts = {big};
  // The same mesh on two nodes counts twice.
  model.nodes = {NodeOf(L"A", {0}), NodeOf(L"B", {0})};
  try {
    sim::import::AssembleScene(model, 1.0f, "big.glb", L"");
    ADD_FAILURE() << "accepted";
  } catch (const sim::SceneFileError& error) {
    EXPECT_NE(std::string(error.what()).find("big.glb: the model holds 2000002 vertices"),
              std::string::npos)
        << error.what();
  }
}

}  // namespace
