// Scene files of version 2: node objects, modifier stacks, world-space modifiers, pivots and
// controllers arrive in the in-memory host as the file states them, and every broken form is
// refused with the place and the problem.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "host/sim/scene_file/mesh_reader.h"
#include "host/sim/scene_file/scene_limits.h"
#include "host/sim/scene_file/scene_loader.h"
#include "host/sim/sim_classes.h"
#include "host/tri_object.h"
#include "scene_file_expectations.h"

namespace {

namespace fs = std::filesystem;
using test::BadScene;
using test::ExpectRefused;
using test::Scene;

const fs::path kExamples = fs::path(RUV_SOURCE_DIR) / "examples";

std::string Nodes(const std::string& nodes) { return Scene(R"(, "nodes": [)" + nodes + "]", 2); }

TEST(SceneObjectsLoader, NodeKindsExampleHoldsTheObjectsItDescribes) {
  auto scene = sim::LoadSceneFile(kExamples / "node-kinds.json");
  struct Expected {
    const wchar_t* node;
    SClass_ID superClass;
    Class_ID classId;
    bool convertible;
  };
  // Classes given by number or by another member of the family, and the defaults of
  // convertibility that decide whether such a node has geometry.
  const Expected table[] = {
      {L"Bone03", GEOMOBJECT_CLASS_ID, sim::kBoneOtherClassA, true},
      {L"Camera Target", GEOMOBJECT_CLASS_ID, sim::kTargetClass, false},
      {L"Surface01", GEOMOBJECT_CLASS_ID, Class_ID(0x76a11646, 0x12a822fb), true},
      {L"Line01", SHAPE_CLASS_ID, sim::kLineShapeClass, false},
      {L"Light01", 0x30, Class_ID(0x1011, 0), false},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(std::wstring(e.node).size());
    INode* node = scene->FindNode(e.node);
    ASSERT_NE(node, nullptr);
    Object* base = node->GetObjectRef()->FindBaseObject();
    EXPECT_EQ(base->SuperClassID(), e.superClass);
    EXPECT_EQ(base->ClassID(), e.classId);
    EXPECT_EQ(base->CanConvertToType(TRIOBJ_CLASS_ID) != 0, e.convertible);
  }
  EXPECT_EQ(scene->FindNode(L"Footstep")->GetTMController()->ClassID(),
            sim::kFootstepControllerClass);
  EXPECT_EQ(scene->FindNode(L"Pelvis")->GetTMController(), nullptr);
  EXPECT_EQ(scene->FindNode(L"Crate")->GetObjectTM(0).GetTrans(), Point3(20, 0, -5));
}

TEST(SceneObjectsLoader, ListsInTheFileAreTopmostFirst) {
  auto scene = sim::LoadSceneText(Nodes(R"({"name": "A",
      "object": {"type": "mesh", "vertices": [[0, 0, 0], [1, 0, 0], [0, 1, 0]],
                 "faces": [{"vertices": [0, 1, 2], "smoothing": 5, "materialId": 7}]},
      "derivedObjects": [
        {"modifiers": ["skin", {"class": "physique", "enabled": false}]},
        {"modifiers": [{"class": "displace", "displacement": [0, 0, 2]}, "displace"]}],
      "worldSpaceModifiers": [["0x1", 2], {"class": "displace", "enabled": false}],
      "pivot": {"translate": [0, 0, 1]}, "controller": {"class": ["0x9008", "0xA"]}})"),
                                  "text");
  INode* node = scene->FindNode(L"A");
  auto* top = static_cast<IDerivedObject*>(node->GetObjectRef());
  ASSERT_EQ(top->NumModifiers(), 2);
  EXPECT_EQ(top->GetModifier(0)->ClassID(), sim::kSkinModifierClass);
  EXPECT_EQ(top->GetModifier(1)->ClassID(), sim::kPhysiqueModifierClass);
  EXPECT_FALSE(top->GetModifier(1)->IsEnabled());
  auto* lower = static_cast<IDerivedObject*>(top->GetObjRef());
  ASSERT_EQ(lower->NumModifiers(), 2);
  EXPECT_EQ(lower->Eval(0).obj->GetPoint(0), Point3(0, 0, 2));

  auto* base = static_cast<TriObject*>(lower->GetObjRef());
  const Face& face = base->GetMesh().faces.at(0);
  EXPECT_EQ(face.getSmGroup(), 5u);
  EXPECT_EQ(face.getMatID(), 7);
  EXPECT_EQ(face.getVert(2), 2u);

  auto* world = static_cast<IDerivedObject*>(node->GetObjOrWSMRef());
  ASSERT_EQ(world->ClassID(), WSM_DERIVOB_CLASS_ID);
  EXPECT_EQ(world->GetModifier(0)->ClassID(), Class_ID(1, 2));
  EXPECT_EQ(world->GetModifier(1)->ClassID(), sim::kWorldDisplaceModifierClass);
  EXPECT_EQ(world->GetModifier(1)->SuperClassID(), WSM_CLASS_ID);
  EXPECT_EQ(world->GetObjRef(), top);
  EXPECT_EQ(node->GetObjectTM(0).GetTrans(), Point3(0, 0, 1));
  EXPECT_EQ(node->GetTMController()->ClassID(), Class_ID(0x9008, 0xA));

  // The single-derived-object form.
  auto single = sim::LoadSceneText(
      Nodes(R"({"name": "B", "object": {"type": "box"}, "modifiers": ["physique", "skin"]})"), "t");
  auto* only = static_cast<IDerivedObject*>(single->FindNode(L"B")->GetObjectRef());
  EXPECT_EQ(only->GetModifier(0)->ClassID(), sim::kPhysiqueModifierClass);
  EXPECT_EQ(only->GetObjRef()->ClassID(), sim::kBoxClass);
}

TEST(SceneObjectsLoader, BrokenObjectsNameThePlaceAndTheProblem) {
  const std::string triangle = R"("vertices": [[0, 0, 0], [1, 0, 0], [0, 1, 0]])";
  const BadScene cases[] = {
      // Version 1 files know none of the new keys.
      {Scene(R"(, "nodes": [{"name": "A", "pivot": {}}])"), "/nodes/0/pivot",
       "needs format version 2"},
      // Meshes.
      {Nodes(R"({"name": "A", "object": {"type": "mesh", )" + triangle +
             R"(, "faces": [[0, 1, 2], [0, 2, 3]]}})"),
       "/nodes/0/object/faces/1/2", "vertex 3 does not exist: the mesh has 3 vertices"},
      {Nodes(R"({"name": "A", "object": {"type": "mesh", "vertices": [],
             "faces": [{"vertices": [0, 0, 0]}]}})"),
       "/nodes/0/object/faces/0/vertices/0", "the mesh has 0 vertices"},
      {Nodes(R"({"name": "A", "object": {"type": "mesh", )" + triangle +
             R"(, "faces": [[0, 1]]}})"),
       "/nodes/0/object/faces/0", "expected 3 elements, found 2"},
      {Nodes(R"({"name": "A", "object": {"type": "mesh", )" + triangle +
             R"(, "faces": [{"vertices": [0, 1, 2], "materialId": 65536}]}})"),
       "/nodes/0/object/faces/0/materialId", "outside 0 to 65535"},
      // Object types and their keys.
      {Nodes(R"({"name": "A", "object": {"type": "teapot"}})"), "/nodes/0/object/type",
       "unknown object type \"teapot\""},
      {Nodes(R"({"name": "A", "object": {"size": 3}})"), "/nodes/0/object", "\"type\" is missing"},
      {Nodes(R"({"name": "A", "object": {"type": "box", "radius": 3}})"), "/nodes/0/object/radius",
       "unknown key \"radius\""},
      {Nodes(R"({"name": "A", "object": {"type": "box", "height": -1}})"), "/nodes/0/object/height",
       "must not be negative"},
      {Nodes(R"({"name": "A", "object": {"type": "sphere", "segments": 257}})"),
       "/nodes/0/object/segments", "outside 3 to 256"},
      {Nodes(R"({"name": "A", "object": {"type": "custom", "classId": [1, 2]}})"),
       "/nodes/0/object", "\"superClass\" is missing"},
      // Class numbers.
      {Nodes(R"({"name": "A", "object": {"type": "helper", "classId": ["0xZZ", 0]}})"),
       "/nodes/0/object/classId/0", "hexadecimal digits, found \"0xZZ\""},
      {Nodes(R"({"name": "A", "object": {"type": "helper", "classId": ["0x123456789", 0]}})"),
       "/nodes/0/object/classId/0", "hexadecimal"},
      {Nodes(R"({"name": "A", "object": {"type": "helper", "classId": [1, 4294967296]}})"),
       "/nodes/0/object/classId/1", "outside 0 to 4294967295"},
      // Modifiers and controllers.
      {Nodes(R"({"name": "A", "modifiers": ["bend"]})"), "/nodes/0/modifiers/0",
       "unknown class \"bend\" (known: \"skin\", \"physique\", \"displace\""},
      {Nodes(R"({"name": "A", "worldSpaceModifiers": ["skin"]})"), "/nodes/0/worldSpaceModifiers/0",
       "unknown class \"skin\""},
      {Nodes(R"({"name": "A", "modifiers": [], "derivedObjects": []})"), "/nodes/0", "not both"},
      {Nodes(R"({"name": "A", "derivedObjects": [{"modifiers": [5]}]})"),
       "/nodes/0/derivedObjects/0/modifiers/0", "expected an array"},
      {Nodes(R"({"name": "A", "derivedObjects": [)" +
             [] {
               std::string layers = R"({"modifiers": []})";
               for (int i = 0; i < 16; ++i) layers += R"(, {"modifiers": []})";
               return layers;
             }() +
             "]}"),
       "/nodes/0/derivedObjects", "expected 0 to 16 elements, found 17"},
      {Nodes(R"({"name": "A", "controller": "bezier"})"), "/nodes/0/controller",
       "unknown class \"bezier\""},
  };
  for (const BadScene& bad : cases) ExpectRefused(bad.text, bad.place, bad.problem);
}

TEST(SceneObjectsLoader, TheSceneGeometryBudgetIsCheckedBeforeMeshesAreMade) {
  // Through a file: the largest sphere loads.
  EXPECT_NO_THROW(sim::LoadSceneText(
      Nodes(R"({"name": "A", "object": {"type": "sphere", "segments": 256}})"), "t"));

  // The totals themselves, without writing files of millions of vertices.
  nlohmann::json value;
  std::string file = "budget.json";
  sim::JsonPlace place(value, "/nodes/9/object", file);
  sim::GeometryBudget budget;
  budget.Take(place, sim::SceneLimits::kMaxSceneVertices - 8, sim::SceneLimits::kMaxSceneFaces);
  budget.Take(place, 8, 0);
  try {
    budget.Take(place, 1, 0);
    ADD_FAILURE() << "accepted";
  } catch (const sim::SceneFileError& error) {
    EXPECT_EQ(error.Place(), "/nodes/9/object");
    EXPECT_NE(error.Problem().find("more than 2000000 vertices"), std::string::npos);
  }
  EXPECT_THROW(sim::GeometryBudget().Take(place, 0, sim::SceneLimits::kMaxSceneFaces + 1),
               sim::SceneFileError);
  // A count beyond any sum must not wrap around the check.
  EXPECT_THROW(sim::GeometryBudget().Take(place, SIZE_MAX, 0), sim::SceneFileError);
}

}  // namespace
