// The export node tree built from in-memory scenes: classification, naming, selection, meshes,
// and the processing pass that follows it.
#include <gtest/gtest.h>

#include "host/sim/mesh_primitives.h"
#include "host/sim/scene_builder.h"
#include "host/sim/sim_classes.h"
#include "host/tri_object.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/mesh/mesh_generation.h"
#include "ruv/options/export_options.h"
#include "ruv/processing/processing.h"
#include "ruv/scene/node_naming.h"
#include "ruv/scene/node_tree.h"

namespace {

class NodeTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    gExportOptions = ExportOptions{};
    gExportOptions.Meshs = gExportOptions.Bones = gExportOptions.Normal = 1;
    SetupConversion(1.0f, 0, 0.0f, 0.0f);
  }
  void TearDown() override { gExportOptions = saved_; }

  ExportContext& Build(bool selectedOnly = false) {
    scene_ = builder_.Build();
    context_ = std::make_unique<ExportContext>();
    context_->host = &scene_->Host();
    context_->animRange = scene_->Host().GetAnimRange();
    context_->ticksPerFrame = 160;
    context_->ticksPerSample = 160;
    context_->exportSelected = selectedOnly;
    context_->progressNextAt = 1e30f;
    BuildNodeTree(context_.get(), &scene_->Root());
    return *context_;
  }

  XNode* Find(const wchar_t* hostName) {
    for (auto& [host, node] : context_->nodeMap)
      if (std::wstring(host->GetName()) == hostName) return node;
    return nullptr;
  }

  std::vector<std::wstring> TopNames() const {
    std::vector<std::wstring> names;
    for (auto& node : context_->topNodes) names.push_back(node->name);
    return names;
  }

  ExportOptions saved_;
  sim::SceneBuilder builder_;
  std::unique_ptr<sim::SimScene> scene_;
  std::unique_ptr<ExportContext> context_;
};

}  // namespace

TEST_F(NodeTreeTest, TargetsAndFootstepsLeaveWithTheirSubtrees) {
  builder_.Root().AddChild(L"Target").Target().AddChild(L"UnderTarget").Box(1, 1, 1);
  builder_.Root()
      .AddChild(L"Step")
      .Biped()
      .Controller(sim::kFootstepControllerClass)
      .AddChild(L"UnderStep");
  builder_.Root().AddChild(L"Pelvis").Biped();
  Build();
  EXPECT_EQ(TopNames(), std::vector<std::wstring>{L"Pelvis"});
  EXPECT_EQ(context_->nodeMap.size(), 1u);
  EXPECT_EQ(Find(L"Pelvis")->kind, KindBiped);
}

TEST_F(NodeTreeTest, KindsFromTheBaseObject) {
  builder_.Root().AddChild(L"Mesh").Box(1, 1, 1).Modifier(sim::kDisplaceModifierClass);
  builder_.Root().AddChild(L"Dummy").Dummy();
  builder_.Root().AddChild(L"Helper").Custom(0x50, Class_ID(1, 2));
  builder_.Root().AddChild(L"Bone").Bone();
  builder_.Root().AddChild(L"Ghost").Box(1, 1, 1).Renderable(false);
  builder_.Root().AddChild(L"Stiff").Custom(0x10, Class_ID(7, 7), false);
  builder_.Root().AddChild(L"Patch").Custom(0x10, sim::kPatchClass, true);
  builder_.Root().AddChild(L"Empty");
  Build();
  EXPECT_EQ(Find(L"Mesh")->kind, KindMesh);
  EXPECT_NE(AsRenderable(Find(L"Mesh")), nullptr);
  EXPECT_EQ(Find(L"Dummy")->kind, KindDummy);
  EXPECT_EQ(Find(L"Helper")->kind, KindHelper);
  EXPECT_EQ(Find(L"Bone")->kind, KindBone);
  EXPECT_EQ(AsRenderable(Find(L"Bone")), nullptr) << "no bone geometry without BoneMesh";
  EXPECT_EQ(Find(L"Ghost")->kind, KindOther) << "not renderable: no geometry";
  EXPECT_EQ(Find(L"Stiff")->kind, KindOther) << "cannot convert to a mesh";
  EXPECT_EQ(Find(L"Patch")->kind, KindMesh) << "patches convert like meshes for now";
  EXPECT_EQ(Find(L"Empty")->kind, KindOther);

  gExportOptions.BoneMesh = 1;
  Build();
  ASSERT_NE(AsRenderable(Find(L"Bone")), nullptr);
  EXPECT_EQ(Find(L"Bone")->kind, KindBone);
}

TEST_F(NodeTreeTest, DuplicateNamesGetSuffixesInCreationOrder) {
  builder_.Root().AddChild(L"Box01").Box(1, 1, 1);
  builder_.Root().AddChild(L"Box01").Box(1, 1, 1).AddChild(L"Box01").Box(1, 1, 1);
  builder_.Root().AddChild(L"1st box").Box(1, 1, 1);
  builder_.Root().AddChild(L"Box01_").Box(1, 1, 1);
  Build();
  EXPECT_EQ(TopNames(), (std::vector<std::wstring>{L"Box01", L"Box01_", L"_1st_box", L"Box01___"}));
  EXPECT_EQ(context_->topNodes[1]->children[0]->name, L"Box01__");

  gExportOptions.DuplicateNodeName = 1;
  Build();
  EXPECT_EQ(TopNames(), (std::vector<std::wstring>{L"Box01", L"Box01", L"_1st_box", L"Box01_"}));
}

TEST_F(NodeTreeTest, HiddenMeshExportedOnlyAsAnAncestor) {
  sim::NodeBuilder& hidden = builder_.Root().AddChild(L"Hidden").Box(1, 1, 1).Hidden();
  hidden.AddChild(L"Shown").Box(1, 1, 1);
  builder_.Root().AddChild(L"Alone").Box(1, 1, 1).Hidden();
  Build();
  EXPECT_TRUE(Find(L"Shown")->exported);
  EXPECT_TRUE(Find(L"Hidden")->exported) << "pulled in as the parent of an exported node";
  EXPECT_FALSE(Find(L"Alone")->exported);

  gExportOptions.WorldSpace = 1;
  Build();
  EXPECT_TRUE(Find(L"Shown")->exported);
  EXPECT_FALSE(Find(L"Hidden")->exported) << "world space pulls in no ancestors";
}

TEST_F(NodeTreeTest, SelectedNodesAndTheirAncestors) {
  sim::NodeBuilder& parent = builder_.Root().AddChild(L"Parent").Box(1, 1, 1);
  parent.AddChild(L"Child").Box(1, 1, 1).Selected();
  builder_.Root().AddChild(L"Other").Box(1, 1, 1);
  Build(true);
  EXPECT_TRUE(Find(L"Child")->exported);
  EXPECT_TRUE(Find(L"Parent")->exported);
  EXPECT_FALSE(Find(L"Other")->exported);
  gExportOptions.WorldSpace = 1;
  Build(true);
  EXPECT_FALSE(Find(L"Parent")->exported);
}

TEST_F(NodeTreeTest, OptionsFilterKinds) {
  builder_.Root().AddChild(L"Dummy").Dummy();
  builder_.Root().AddChild(L"Mesh").Box(1, 1, 1);
  builder_.Root().AddChild(L"Bone").Bone();
  Build();
  EXPECT_FALSE(Find(L"Dummy")->exported);
  EXPECT_TRUE(Find(L"Mesh")->exported);
  EXPECT_TRUE(Find(L"Bone")->exported);
  gExportOptions.Dummy = 1;
  gExportOptions.Meshs = 0;
  gExportOptions.Bones = 0;
  Build();
  EXPECT_TRUE(Find(L"Dummy")->exported);
  EXPECT_FALSE(Find(L"Mesh")->exported);
  EXPECT_FALSE(Find(L"Bone")->exported);
}

TEST_F(NodeTreeTest, SkinnedMeshIsReadBelowTheSkin) {
  Mesh base = sim::MakeBoxMesh(2, 2, 2);
  builder_.Root()
      .AddChild(L"Skinned")
      .TriMesh(base)
      .Modifier(sim::kDisplaceModifierClass, true, {0, 0, 1})
      .DerivedObject()
      .Modifier(sim::kSkinModifierClass, true, {0, 0, 50});
  builder_.Root()
      .AddChild(L"SkinOff")
      .TriMesh(base)
      .Modifier(sim::kSkinModifierClass, false, {0, 0, 50});
  builder_.Root().AddChild(L"Plain").TriMesh(base);
  gExportOptions.Skin = 1;
  Build();
  auto* skinned = AsRenderable(Find(L"Skinned"));
  ASSERT_NE(skinned, nullptr);
  ASSERT_NE(skinned->mesh, nullptr);
  // The displacement below the skin's derived object is in; the skin's own is not.
  EXPECT_FLOAT_EQ(skinned->mesh->verts[0].z, base.verts[0].z + 1);
  auto* skinOff = AsRenderable(Find(L"SkinOff"));
  EXPECT_FLOAT_EQ(skinOff->mesh->verts[0].z, base.verts[0].z)
      << "a disabled modifier changes nothing";
  EXPECT_FALSE(skinned->ownsTriObject) << "an editable mesh converts to itself";
  EXPECT_EQ(skinned->objectPoints.size(), 8u);
  EXPECT_FALSE(skinned->pointOrderDiffers);
  // A node without a skin keeps the count of its points, not the points.
  auto* plain = AsRenderable(Find(L"Plain"));
  ASSERT_NE(plain, nullptr);
  EXPECT_TRUE(plain->objectPoints.empty());
  EXPECT_EQ(plain->objectPointCount, 8u);
  EXPECT_FALSE(plain->pointOrderDiffers);
}

// A large mesh is read where the host keeps it, not copied; the host's object stays locked while
// the node holds it. Specified normals are filled in on a copy only; the smoothing-group normals
// (the mesh's cache) are built in place and freed once the vertices are made.
TEST_F(NodeTreeTest, HostMeshesAreReadInPlaceAndNeverChanged) {
  Mesh specified = sim::MakeBoxMesh(1, 1, 1);
  MeshNormalSpec& spec = specified.SpecifyNormals();
  int up = spec.AddNormal({0, 0, 1});
  for (int face = 0; face < specified.getNumFaces(); ++face) {
    for (int corner = 0; corner < 3; ++corner) spec.SetNormalId(face, corner, up);
  }
  builder_.Root().AddChild(L"Specified").TriMesh(specified);
  builder_.Root().AddChild(L"Smoothed").TriMesh(sim::MakeBoxMesh(1, 1, 1));
  Mesh partly = sim::MakeBoxMesh(1, 1, 1);
  partly.SpecifyNormals().SetNormalId(0, 0, partly.GetSpecifiedNormals()->AddNormal({0, 0, 1}));
  builder_.Root().AddChild(L"Partly").TriMesh(partly);
  ExportContext& context = Build();

  // Normals given for some corners only: the others are filled in, on a copy.
  auto* partlyNode = AsRenderable(Find(L"Partly"));
  ASSERT_NE(partlyNode, nullptr);
  ASSERT_TRUE(GenMeshData(&context, partlyNode));
  EXPECT_EQ(partlyNode->mesh, &partlyNode->meshCopy);
  auto* partlyHost = static_cast<TriObject*>(partlyNode->hostNode->GetObjectRef());
  EXPECT_EQ(partlyHost->GetMesh().GetSpecifiedNormals()->GetNumNormals(), 1)
      << "the host's normals are as they were";

  for (const wchar_t* name : {L"Specified", L"Smoothed"}) {
    SCOPED_TRACE(testing::Message() << "node " << (name[1] == 'p' ? "Specified" : "Smoothed"));
    auto* node = AsRenderable(Find(name));
    ASSERT_NE(node, nullptr);
    auto* host = static_cast<TriObject*>(node->hostNode->GetObjectRef());
    ASSERT_EQ(node->triObject, host);
    EXPECT_FALSE(node->ownsTriObject);
    EXPECT_EQ(node->mesh, &host->GetMesh()) << "no copy when the mesh is acquired";
    EXPECT_TRUE(host->IsObjectLocked());

    ASSERT_TRUE(GenMeshData(&context, node));
    EXPECT_EQ(node->mesh, &host->GetMesh()) << "still no copy";
    EXPECT_FALSE(host->GetMesh().NormalsBuilt()) << "the generation's normals are let go";
    ASSERT_NE(node->meshData, nullptr);
    EXPECT_FALSE(node->meshData->vertices.empty());
    node->ReleaseMeshCopy();
    EXPECT_EQ(node->mesh, nullptr);
    EXPECT_FALSE(host->IsObjectLocked()) << "let go before writing";
  }
}

TEST_F(NodeTreeTest, MeshWithoutFacesLeavesAPlainNode) {
  Mesh pointsOnly;
  pointsOnly.verts = {{0, 0, 0}, {1, 0, 0}};
  builder_.Root().AddChild(L"Points").TriMesh(pointsOnly);
  builder_.Root().AddChild(L"Boxy").Box(1, 1, 1);
  Build();
  EXPECT_EQ(AsRenderable(Find(L"Points")), nullptr);
  EXPECT_EQ(Find(L"Points")->kind, KindOther);
  EXPECT_EQ(Find(L"Points")->name, L"Points");
  auto* boxy = AsRenderable(Find(L"Boxy"));
  ASSERT_NE(boxy, nullptr);
  EXPECT_TRUE(boxy->ownsTriObject) << "a parametric box converts to a new object";
}

TEST_F(NodeTreeTest, ProcessingPreparesEachExportedChainOnce) {
  sim::NodeBuilder& a = builder_.Root().AddChild(L"A").Box(1, 1, 1).Hidden();
  sim::NodeBuilder& b = a.AddChild(L"B").Dummy();
  b.AddChild(L"C").Box(1, 1, 1);
  b.AddChild(L"D").Box(1, 1, 1);
  builder_.Root().AddChild(L"E").Box(1, 1, 1).Hidden();
  ExportContext& context = Build();
  ProcessNodeTree(&context);
  EXPECT_TRUE(Find(L"A")->processed) << "an unexported ancestor is processed, mesh and all";
  EXPECT_TRUE(Find(L"B")->processed);
  EXPECT_FALSE(Find(L"E")->processed);
  // A was pulled in (exported) as an ancestor, so the walk meets it first.
  EXPECT_EQ(context.processedNodes, (std::vector<XNode*>{Find(L"A"), Find(L"C"), Find(L"D")}));
  EXPECT_EQ(context.writeWorkCount, 0u + 3 * 3) << "3 per mesh with materials off";
  EXPECT_NE(AsRenderable(Find(L"A"))->meshData, nullptr);
}

// The search resumes where the last one of the same name stopped; names taken through other host
// names on the way must still be skipped exactly as a search from the start would.
TEST(NodeNamer, ResumedSearchGivesTheSameNamesAsAFullOne) {
  NodeNamer namer;
  std::vector<std::wstring> made;
  for (const wchar_t* host : {L"Box_", L"Box", L"Box", L"Box__", L"Box", L"Box"}) {
    made.push_back(namer.Name(host, false));
    namer.Take(made.back());
  }
  EXPECT_EQ(made, (std::vector<std::wstring>{L"Box_", L"Box", L"Box__", L"Box___", L"Box____",
                                             L"Box_____"}));
  EXPECT_EQ(namer.Name(L"Box", true), L"Box");
}
