// The in-memory host's object pipeline as the exporter walks it: who owns a conversion's result,
// what a stack of derived objects evaluates to, the object transform with its pivot, the
// world-space reference.
#include <gtest/gtest.h>

#include "host/sim/scene_builder.h"
#include "host/super_class_ids.h"
#include "host/tri_object.h"

namespace {

using sim::SceneBuilder;

Mesh OneTriangle() {
  Mesh mesh;
  mesh.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  mesh.setNumFaces(1);
  mesh.faces[0].setVerts(0, 1, 2);
  return mesh;
}

TEST(SimObjects, ATriangleMeshConvertsToItselfAndParametricObjectsToANewOne) {
  SceneBuilder b;
  b.Root().AddChild(L"Mesh").TriMesh(OneTriangle());
  b.Root().AddChild(L"Box").Box(2, 2, 2);
  b.Root().AddChild(L"Point").Custom(HELPER_CLASS_ID, sim::kPointHelperClass);
  auto scene = b.Build();

  Object* mesh = scene->FindNode(L"Mesh")->GetObjectRef();
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->ClassID(), TRIOBJ_CLASS_ID);
  EXPECT_EQ(mesh->SuperClassID(), GEOMOBJECT_CLASS_ID);
  EXPECT_EQ(mesh->Eval(0).obj, mesh);
  EXPECT_EQ(mesh->ConvertToType(0, TRIOBJ_CLASS_ID), mesh);
  EXPECT_EQ(mesh->NumPoints(), 3);
  EXPECT_EQ(mesh->GetPoint(1), Point3(1, 0, 0));
  EXPECT_EQ(mesh->GetPoint(3), Point3());

  // Every conversion of a box is a new object of the caller's, with the box's mesh.
  Object* box = scene->FindNode(L"Box")->GetObjectRef();
  EXPECT_EQ(box->ClassID(), sim::kBoxClass);
  ASSERT_TRUE(box->CanConvertToType(TRIOBJ_CLASS_ID));
  Object* first = box->ConvertToType(0, TRIOBJ_CLASS_ID);
  Object* second = box->ConvertToType(0, TRIOBJ_CLASS_ID);
  ASSERT_NE(first, nullptr);
  EXPECT_NE(first, box);
  EXPECT_NE(first, second);
  EXPECT_EQ(first->ClassID(), TRIOBJ_CLASS_ID);
  EXPECT_EQ(static_cast<TriObject*>(first)->GetMesh().getNumFaces(), 12);
  EXPECT_EQ(box->NumPoints(), 8);
  first->DeleteMe();
  second->DeleteMe();
  EXPECT_EQ(box->NumPoints(), 8);

  Object* point = scene->FindNode(L"Point")->GetObjectRef();
  EXPECT_EQ(point->SuperClassID(), HELPER_CLASS_ID);
  EXPECT_FALSE(point->CanConvertToType(TRIOBJ_CLASS_ID));
  EXPECT_EQ(point->ConvertToType(0, TRIOBJ_CLASS_ID), nullptr);
  EXPECT_EQ(point->NumPoints(), 0);
  // Another type than the triangle mesh is not a conversion this host offers.
  EXPECT_FALSE(mesh->CanConvertToType(sim::kBoxClass));
  EXPECT_EQ(box->ConvertToType(0, sim::kBoxClass), nullptr);
}

TEST(SimObjects, StackedDerivedObjectsApplyEnabledModifiersTopmostFirst) {
  SceneBuilder b;
  b.Root()
      .AddChild(L"Skinned")
      .TriMesh(OneTriangle())
      .Modifier(sim::kDisplaceModifierClass, true, {1, 0, 0})
      .Modifier(sim::kDisplaceModifierClass, false, {0, 100, 0})
      .DerivedObject()
      .Modifier(sim::kPhysiqueModifierClass, false)
      .Modifier(sim::kSkinModifierClass, true, {0, 0, 3});
  auto scene = b.Build();
  INode* node = scene->FindNode(L"Skinned");

  auto* top = static_cast<IDerivedObject*>(node->GetObjectRef());
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->SuperClassID(), GEN_DERIVOB_CLASS_ID);
  ASSERT_EQ(top->NumModifiers(), 2);
  // The modifier applied last is on top: index 0.
  EXPECT_EQ(top->GetModifier(0)->ClassID(), sim::kSkinModifierClass);
  EXPECT_EQ(top->GetModifier(0)->SuperClassID(), OSM_CLASS_ID);
  EXPECT_TRUE(top->GetModifier(0)->IsEnabled());
  EXPECT_FALSE(top->GetModifier(1)->IsEnabled());
  EXPECT_TRUE(top->GetModifier(1)->TestAFlag(A_MOD_DISABLED));
  EXPECT_EQ(top->GetModifier(2), nullptr);

  auto* lower = static_cast<IDerivedObject*>(top->GetObjRef());
  ASSERT_EQ(lower->SuperClassID(), GEN_DERIVOB_CLASS_ID);
  ASSERT_EQ(lower->NumModifiers(), 2);
  Object* base = lower->GetObjRef();
  EXPECT_EQ(base->ClassID(), TRIOBJ_CLASS_ID);
  EXPECT_EQ(top->FindBaseObject(), base);
  EXPECT_EQ(lower->FindBaseObject(), base);

  // Below the skin's derived object: the enabled displacement only. The whole stack: both.
  EXPECT_EQ(lower->Eval(0).obj->GetPoint(1), Point3(2, 0, 0));
  Object* whole = top->Eval(0).obj;
  EXPECT_EQ(whole->GetPoint(1), Point3(2, 0, 3));
  EXPECT_EQ(top->NumPoints(), 3);
  // Evaluation leaves the base mesh alone and hands out the same result again.
  EXPECT_EQ(base->GetPoint(1), Point3(1, 0, 0));
  EXPECT_EQ(top->Eval(0).obj, whole);

  // Switching a modifier changes what the stack yields.
  top->GetModifier(0)->SetAFlag(A_MOD_DISABLED);
  EXPECT_EQ(top->Eval(0).obj->GetPoint(1), Point3(2, 0, 0));
  lower->GetModifier(1)->SetAFlag(A_MOD_DISABLED);
  EXPECT_EQ(top->Eval(0).obj, base);
}

TEST(SimObjects, ConvertingADerivedObjectAlwaysHandsOutANewObject) {
  SceneBuilder b;
  b.Root().AddChild(L"Plain").TriMesh(OneTriangle()).Modifier(sim::kSkinModifierClass);
  b.Root().AddChild(L"Moved").Box(1, 1, 1).Modifier(sim::kDisplaceModifierClass, true, {5, 0, 0});
  auto scene = b.Build();

  // The stack changes nothing, so it evaluates to the base object itself; a caller that owns what
  // differs from the object it converted must still not be handed that base.
  Object* plain = scene->FindNode(L"Plain")->GetObjectRef();
  EXPECT_EQ(plain->Eval(0).obj, plain->FindBaseObject());
  Object* converted = plain->ConvertToType(0, TRIOBJ_CLASS_ID);
  ASSERT_NE(converted, nullptr);
  EXPECT_NE(converted, plain->FindBaseObject());
  EXPECT_EQ(static_cast<TriObject*>(converted)->GetMesh().getNumFaces(), 1);
  converted->DeleteMe();

  // A displaced box evaluates to a displaced box, still of the box's class.
  Object* moved = scene->FindNode(L"Moved")->GetObjectRef();
  Object* evaluated = moved->Eval(0).obj;
  EXPECT_EQ(evaluated->ClassID(), sim::kBoxClass);
  EXPECT_EQ(evaluated->GetPoint(0), Point3(4.5f, -0.5f, 0));
  Object* tri = evaluated->ConvertToType(0, TRIOBJ_CLASS_ID);
  EXPECT_EQ(static_cast<TriObject*>(tri)->GetMesh().getVert(0), Point3(4.5f, -0.5f, 0));
  tri->DeleteMe();
}

// A caller reading an evaluated mesh in place locks it: the stack evaluating to something else
// must not take the locked result away; unlocked, the next change lets it go.
TEST(SimObjects, ALockedResultOutlivesTheStackChanging) {
  SceneBuilder b;
  b.Root()
      .AddChild(L"Moved")
      .TriMesh(OneTriangle())
      .Modifier(sim::kDisplaceModifierClass, true, {5, 0, 0})
      .Modifier(sim::kDisplaceModifierClass, true, {0, 1, 0});
  auto scene = b.Build();
  auto* stack = static_cast<IDerivedObject*>(scene->FindNode(L"Moved")->GetObjectRef());
  Object* first = stack->Eval(0).obj;
  ASSERT_NE(first, nullptr);
  first->LockObject();
  first->LockObject();
  first->UnlockObject();
  EXPECT_TRUE(first->IsObjectLocked()) << "locks are counted";

  stack->GetModifier(0)->SetAFlag(A_MOD_DISABLED);
  Object* second = stack->Eval(0).obj;
  EXPECT_NE(second, first);
  EXPECT_EQ(second->GetPoint(1), Point3(6, 0, 0));
  // Still whole: read after the stack moved on (the sanitizers catch a freed mesh).
  EXPECT_EQ(static_cast<TriObject*>(first)->GetMesh().getVert(1), Point3(6, 1, 0));

  first->UnlockObject();
  EXPECT_FALSE(first->IsObjectLocked());
  first->UnlockObject();  // one unlock too many changes nothing
  EXPECT_FALSE(first->IsObjectLocked());
  stack->GetModifier(0)->ClearAFlag(A_MOD_DISABLED);
  EXPECT_EQ(stack->Eval(0).obj->GetPoint(1), Point3(6, 1, 0));
}

TEST(SimObjects, NodesWithoutObjectsOrWithoutABaseAnswerNull) {
  SceneBuilder b;
  b.Root().AddChild(L"Empty");
  b.Root().AddChild(L"Orphan stack").Modifier(sim::kSkinModifierClass);
  b.Root().AddChild(L"Two empty").Box(1, 1, 1).DerivedObject().DerivedObject();
  auto scene = b.Build();

  EXPECT_EQ(scene->FindNode(L"Empty")->GetObjectRef(), nullptr);
  EXPECT_EQ(scene->FindNode(L"Empty")->GetObjOrWSMRef(), nullptr);
  EXPECT_EQ(scene->FindNode(L"Empty")->GetTMController(), nullptr);

  Object* orphan = scene->FindNode(L"Orphan stack")->GetObjectRef();
  ASSERT_NE(orphan, nullptr);
  EXPECT_EQ(orphan->FindBaseObject(), nullptr);
  EXPECT_EQ(orphan->Eval(0).obj, nullptr);
  EXPECT_EQ(orphan->NumPoints(), 0);
  EXPECT_EQ(orphan->ConvertToType(0, TRIOBJ_CLASS_ID), nullptr);

  // DerivedObject starts a layer each time, Modifier only when there is none.
  auto* top = static_cast<IDerivedObject*>(scene->FindNode(L"Two empty")->GetObjectRef());
  EXPECT_EQ(top->NumModifiers(), 0);
  EXPECT_EQ(top->GetObjRef()->SuperClassID(), GEN_DERIVOB_CLASS_ID);
  EXPECT_EQ(top->FindBaseObject()->ClassID(), sim::kBoxClass);
}

TEST(SimObjects, ObjectTransformAppliesThePivotBeforeTheNodeTransform) {
  SceneBuilder b;
  sim::NodeBuilder& parent = b.Root().AddChild(L"Parent").Translate({0, 0, 7});
  parent.AddChild(L"Arm").Rotate({0, 0, 90}).Translate({10, 0, 0}).Pivot(Point3(1, 0, 0));
  parent.AddChild(L"Mirrored").Box(1, 1, 1).Pivot(ScaleMatrix({-1, 1, 1}));
  auto scene = b.Build();

  INode* arm = scene->FindNode(L"Arm");
  Matrix3 node = arm->GetNodeTM(0);
  Matrix3 object = arm->GetObjectTM(0);
  // The object's origin sits 1 along the arm's own X, which the rotation turned onto +Y.
  Point3 origin = object.GetTrans();
  EXPECT_NEAR(origin.x, 10, 1e-5);
  EXPECT_NEAR(origin.y, 1, 1e-5);
  EXPECT_NEAR(origin.z, 7, 1e-5);
  EXPECT_EQ(node.GetTrans(), Point3(10, 0, 7));
  EXPECT_EQ(object[0], node[0]);

  // A mirror in the pivot stays out of the node transform.
  INode* mirrored = scene->FindNode(L"Mirrored");
  EXPECT_GT(mirrored->GetNodeTM(0).Determinant(), 0);
  EXPECT_LT(mirrored->GetObjectTM(0).Determinant(), 0);
}

TEST(SimObjects, WorldSpaceModifiersSitAboveTheObjectSpaceStack) {
  SceneBuilder b;
  b.Root()
      .AddChild(L"Warped")
      .Box(1, 1, 1)
      .Modifier(sim::kSkinModifierClass)
      .WorldSpaceModifier(sim::kWorldDisplaceModifierClass, false)
      .WorldSpaceModifier(sim::kWorldDisplaceModifierClass, true, {0, 0, 1});
  b.Root().AddChild(L"Plain").Box(1, 1, 1);
  auto scene = b.Build();

  INode* warped = scene->FindNode(L"Warped");
  auto* world = static_cast<IDerivedObject*>(warped->GetObjOrWSMRef());
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(world->ClassID(), WSM_DERIVOB_CLASS_ID);
  EXPECT_EQ(world->SuperClassID(), GEN_DERIVOB_CLASS_ID);
  ASSERT_EQ(world->NumModifiers(), 2);
  EXPECT_EQ(world->GetModifier(0)->SuperClassID(), WSM_CLASS_ID);
  EXPECT_TRUE(world->GetModifier(0)->IsEnabled());
  EXPECT_FALSE(world->GetModifier(1)->IsEnabled());
  // Below it, the object-space stack the node's object reference starts.
  EXPECT_EQ(world->GetObjRef(), warped->GetObjectRef());
  EXPECT_NE(warped->GetObjectRef()->ClassID(), WSM_DERIVOB_CLASS_ID);
  EXPECT_EQ(world->FindBaseObject()->ClassID(), sim::kBoxClass);
  EXPECT_EQ(world->Eval(0).obj->GetPoint(0), Point3(-0.5f, -0.5f, 1));

  INode* plain = scene->FindNode(L"Plain");
  EXPECT_EQ(plain->GetObjOrWSMRef(), plain->GetObjectRef());
  // Every node answers the world-space interface, whether or not it has such modifiers.
  EXPECT_NE(plain->GetInterface(NODE_WSM_INTERFACE_ID), nullptr);
  EXPECT_NE(warped->GetInterface(NODE_WSM_INTERFACE_ID), nullptr);
  EXPECT_EQ(plain->GetInterface(NODE_WSM_INTERFACE_ID + 1), nullptr);
}

}  // namespace
