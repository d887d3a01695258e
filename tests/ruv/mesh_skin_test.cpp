// Skin weights read from Skin and Physique modifiers through the whole build and processing pass:
// accumulation, top-up, which modifier wins, bone names, offsets, header counts, the bone pass and
// the warning about bones a reader cannot pose the skin with.
#include <gtest/gtest.h>

#include "host/patch.h"
#include "host/sim/mesh_builder.h"
#include "host/sim/scene_builder.h"
#include "host/sim/sim_classes.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xnode.h"
#include "ruv/core/xskin_info.h"
#include "ruv/mesh/skin_extraction.h"
#include "ruv/options/export_options.h"
#include "ruv/processing/processing.h"
#include "ruv/scene/node_tree.h"
#include "ruv/xfile/skin_warnings.h"

namespace {

using sim::NodeBuilder;
using sim::PhysiqueDescription;
using sim::SkinDescription;

class SkinTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    Reset();
  }
  void TearDown() override { gExportOptions = saved_; }

  // A fresh scene of two bones and a triangle, and the options of a skinned export.
  void Reset() {
    builder_ = sim::SceneBuilder();
    gExportOptions = ExportOptions{};
    gExportOptions.Meshs = gExportOptions.Bones = gExportOptions.Skin = 1;
    gExportOptions.Precision = 10;
    SetupConversion(1.0f, 0, 0.0f, 0.0f);
    hip_ = &builder_.Root().AddChild(L"Hip").Bone();
    knee_ = &hip_->AddChild(L"Knee").Bone().Translate({0, 0, -10});
    body_ = &builder_.Root().AddChild(L"Body").TriMesh(
        sim::MakeMesh({{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}, {{0, 1, 2}}));
  }

  void Run() {
    scene_ = builder_.Build();
    context_ = std::make_unique<ExportContext>();
    context_->host = &scene_->Host();
    context_->animRange = scene_->Host().GetAnimRange();
    context_->progressNextAt = 1e30f;
    BuildNodeTree(context_.get(), &scene_->Root());
    ProcessNodeTree(context_.get());
  }

  XNode* Find(const wchar_t* name) {
    for (auto& [host, node] : context_->nodeMap)
      if (std::wstring(host->GetName()) == name) return node;
    return nullptr;
  }
  INode* Host(const wchar_t* name) { return scene_->FindNode(name); }
  XRenderableNode& Body() { return *AsRenderable(Find(L"Body")); }
  const BoneWeight& Weight(const wchar_t* bone, int point) {
    return Body().skin->bones.at(Host(bone)).weights.at(static_cast<std::size_t>(point));
  }

  SkinDescription TwoBoneSkin(std::vector<std::vector<sim::SkinInfluence>> points) {
    SkinDescription skin;
    skin.bones = {{hip_, {}}, {knee_, {}}};
    skin.points = std::move(points);
    return skin;
  }

  ExportOptions saved_;
  sim::SceneBuilder builder_;
  NodeBuilder* hip_ = nullptr;
  NodeBuilder* knee_ = nullptr;
  NodeBuilder* body_ = nullptr;
  std::unique_ptr<sim::SimScene> scene_;
  std::unique_ptr<ExportContext> context_;
};

}  // namespace

// One bone named twice on a point sums and clamps; no bone, a negative index, an index without a
// node and a weight of 0 leave the point without weights, also after the top-up.
TEST_F(SkinTest, SkinWeightsAccumulateAndClamp) {
  body_->Skin(
      TwoBoneSkin({{{0, 0.7f}, {0, 0.6f}}, {{-1, 1.0f}, {7, 1.0f}, {1, 0.0f}}, {{1, 0.25f}}}));
  gExportOptions.SkinFix = 1;
  Run();
  ASSERT_TRUE(Body().hasSkin);
  EXPECT_EQ(Body().skin, Body().rawSkin) << "points and vertices correspond";
  EXPECT_FLOAT_EQ(Weight(L"Hip", 0).weight, 1.0f);
  EXPECT_TRUE(Weight(L"Hip", 0).assigned);
  EXPECT_FALSE(Weight(L"Hip", 1).assigned);
  EXPECT_FALSE(Weight(L"Knee", 1).assigned);
  EXPECT_FLOAT_EQ(Weight(L"Knee", 2).weight, 1.0f) << "a lone bone is topped up to 1";
  EXPECT_EQ(Body().skin->header[0], 1);
  EXPECT_EQ(Body().skin->header[1], 2);
  EXPECT_EQ(Body().skin->header[2], 2);
}

TEST_F(SkinTest, TopUpSharesWhatIsMissingWithinThePrecision) {
  for (int precision : {10, 1, 0}) {
    SCOPED_TRACE(precision);
    body_->Skin(TwoBoneSkin({{{0, 0.5f}, {1, 0.3f}}, {{0, 0.95f}}, {}}));
    gExportOptions.SkinFix = 1;
    gExportOptions.Precision = precision;
    Run();
    ASSERT_TRUE(Body().hasSkin);
    float hip = precision == 10 ? 0.6f : 0.5f, knee = precision == 10 ? 0.4f : 0.3f;
    EXPECT_NEAR(Weight(L"Hip", 0).weight, hip, 1e-6f);
    EXPECT_NEAR(Weight(L"Knee", 0).weight, knee, 1e-6f);
    EXPECT_NEAR(Weight(L"Hip", 1).weight, precision == 0 ? 0.95f : 1.0f, 1e-6f)
        << "lacks 0.05 <= 0.1";
    Reset();
  }
}

TEST_F(SkinTest, SkinModifierWinsOverPhysique) {
  PhysiqueDescription physique;
  physique.vertices.assign(3, {RIGID_TYPE, {{knee_, 1.0f}}});
  body_->Physique(physique).DerivedObject().Skin(TwoBoneSkin({{{0, 1}}, {{0, 1}}, {{0, 1}}}));
  Run();
  ASSERT_TRUE(Body().hasSkin);
  EXPECT_EQ(Body().skin->bones.size(), 1u);
  EXPECT_TRUE(Body().skin->bones.count(Host(L"Hip")));
}

// Rigid vertices keep the first bone's 1.0; blended ones sum up to 1; other kinds give nothing.
// Every vertex record handed out is handed back.
TEST_F(SkinTest, PhysiqueRigidAndBlendedVertices) {
  PhysiqueDescription physique;
  physique.vertices = {{RIGID_TYPE, {{hip_, 1.0f}}},
                       {RIGID_BLENDED_TYPE, {{hip_, 0.25f}, {knee_, 0.75f}, {knee_, 0.5f}}},
                       {2, {{knee_, 1.0f}}}};
  body_->Physique(physique);
  Run();
  ASSERT_TRUE(Body().hasSkin);
  EXPECT_FLOAT_EQ(Weight(L"Hip", 0).weight, 1.0f);
  EXPECT_FLOAT_EQ(Weight(L"Hip", 1).weight, 0.25f);
  EXPECT_FLOAT_EQ(Weight(L"Knee", 1).weight, 1.0f) << "0.75 + 0.5 is over 1";
  EXPECT_FALSE(Weight(L"Knee", 2).assigned) << "deformable vertices are not read";
  auto* modifier = static_cast<sim::SimModifier*>(
      static_cast<IDerivedObject*>(Host(L"Body")->GetObjectRef())->GetModifier(0));
  EXPECT_EQ(modifier->Physique()->OutstandingVertices(), 0);
}

// A target is never mirrored, so as a bone it has no export node: its weights stay, its name is
// empty.
TEST_F(SkinTest, BoneWithoutExportNodeKeepsItsWeights) {
  NodeBuilder& target = builder_.Root().AddChild(L"Aim").Target();
  SkinDescription skin;
  skin.bones = {{&target, {}}};
  skin.points = {{{0, 1.0f}}, {{0, 0.5f}}, {}};
  body_->Skin(skin);
  Run();
  ASSERT_TRUE(Body().hasSkin);
  const XBoneInfo& bone = Body().skin->bones.at(Host(L"Aim"));
  EXPECT_TRUE(bone.name.empty());
  EXPECT_FLOAT_EQ(bone.weights[1].weight, 0.5f);
}

// The offset carries the mesh from its bind pose into the bone's space; in world space the mesh is
// already in world coordinates, so only the bone's inverse remains.
TEST_F(SkinTest, OffsetMatrices) {
  for (int worldSpace : {0, 1}) {
    SCOPED_TRACE(worldSpace);
    SkinDescription skin = TwoBoneSkin({{{0, 1}}, {{0, 1}}, {{1, 1}}});
    skin.initTM = TransMatrix({0, 0, 10});
    skin.bones[0].initTM = TransMatrix({5, 0, 0});
    body_->Skin(skin);
    gExportOptions.WorldSpace = worldSpace;
    Run();
    ASSERT_TRUE(Body().hasSkin);
    Point3 expected = worldSpace ? Point3(-5, 0, 0) : Point3(-5, 0, 10);
    EXPECT_EQ(Body().skin->bones.at(Host(L"Hip")).offsetMatrix.GetTrans(), expected);
    EXPECT_EQ(Body().nodeTM.GetTrans(), Point3(0, 0, 10)) << "the mesh's frame is its bind pose";
    Reset();
  }
}

// A hidden bone (and its hidden parent) comes along when a skin uses it; with Bones off it stays
// out and the skin is still written.
TEST_F(SkinTest, BonePassBringsHiddenBonesWithTheirAncestors) {
  hip_->Hidden();
  knee_->Hidden();
  body_->Skin(TwoBoneSkin({{{1, 1}}, {{1, 1}}, {{1, 1}}}));
  Run();
  EXPECT_TRUE(Find(L"Knee")->processed);
  EXPECT_TRUE(Find(L"Hip")->processed) << "the ancestor of a bone";
  EXPECT_TRUE(Find(L"Knee")->isBone);
  EXPECT_FALSE(Find(L"Knee")->hasGeometry) << "bone meshes are off";

  Reset();
  hip_->Hidden();
  knee_->Hidden();
  body_->Skin(TwoBoneSkin({{{1, 1}}, {{1, 1}}, {{1, 1}}}));
  gExportOptions.Bones = 0;
  Run();
  EXPECT_FALSE(Find(L"Knee")->processed);
  EXPECT_TRUE(Body().hasSkin);
}

TEST_F(SkinTest, SkinOptionOffLeavesTheMeshUnskinned) {
  body_->Skin(TwoBoneSkin({{{0, 1}}, {{0, 1}}, {{0, 1}}}));
  gExportOptions.Skin = 0;
  Run();
  EXPECT_FALSE(Body().hasSkin);
  EXPECT_FALSE(Body().skin);
}

// A patch object is tessellated by the host core's routine, found at run time; its skin is carried
// from the patch points to every vertex of the denser mesh.
TEST_F(SkinTest, PatchObjectsConvertThroughTheHostCore) {
  PatchMesh patches;
  for (Point3 p : {Point3(0, 0, 0), Point3(10, 0, 0), Point3(10, 10, 0), Point3(0, 10, 0)})
    patches.verts.push_back({p});
  patches.patches.push_back({PATCH_QUAD, {0, 1, 2, 3}});
  builder_.Root().AddChild(L"Cloth").Patch(patches).Skin(
      TwoBoneSkin({{{0, 1}}, {{0, 1}}, {{1, 1}}, {{1, 1}}}));
  Run();
  auto* cloth = AsRenderable(Find(L"Cloth"));
  ASSERT_NE(cloth, nullptr);
  EXPECT_EQ(cloth->kind, KindPatch);
  EXPECT_EQ(cloth->patchMapping.size(), static_cast<std::size_t>(cloth->mesh->getNumFaces()));
  EXPECT_EQ(cloth->mesh->getNumVerts(), 9);
  ASSERT_TRUE(cloth->hasSkin);
  for (int v = 0; v < 9; ++v) {
    float sum = 0;
    for (auto& [bone, info] : cloth->skin->bones)
      sum += info.weights[static_cast<std::size_t>(v)].weight;
    EXPECT_NEAR(sum, 1.0f, 1e-6f) << v;
  }
}

// The SkinWeights records follow the order in which the skin first weights its bones, not where the
// host's nodes sit in memory: the knee, made after the hip, weighs the first point and comes first,
// in the raw skin and in the skin the writer reads.
TEST_F(SkinTest, BonesKeepTheOrderTheSkinFirstWeightsThem) {
  body_->Skin(TwoBoneSkin({{{1, 1.0f}}, {{0, 0.5f}, {1, 0.5f}}, {{0, 1.0f}}}));
  Run();
  ASSERT_TRUE(Body().hasSkin);
  for (const XSkinInfo* skin : {Body().rawSkin.get(), Body().skin.get()}) {
    std::vector<INode*> order;
    for (const auto& [bone, info] : skin->bones) order.push_back(bone);
    EXPECT_EQ(order, (std::vector<INode*>{Host(L"Knee"), Host(L"Hip")}));
  }
}

// A skin whose bones get no frame cannot be posed by any reader: the warning names them, with the
// Bones option off and for a bone the export does not mirror; with every bone framed it is quiet.
TEST_F(SkinTest, BonesWithoutAFrameAreNamed) {
  body_->Skin(TwoBoneSkin({{{0, 1}}, {{1, 1}}, {{1, 1}}}));
  Run();
  EXPECT_EQ(SkinBoneWarning(*context_), L"");

  Reset();
  body_->Skin(TwoBoneSkin({{{0, 1}}, {{1, 1}}, {{1, 1}}}));
  gExportOptions.Bones = 0;
  Run();
  std::wstring warning = SkinBoneWarning(*context_);
  EXPECT_NE(warning.find(L"no frame in the file"), std::wstring::npos) << warning;
  EXPECT_NE(warning.find(L": Hip, Knee."), std::wstring::npos) << warning;

  Reset();
  SkinDescription skin;
  skin.bones = {{hip_, {}}, {&builder_.Root().AddChild(L"Aim").Target(), {}}};
  skin.points = {{{0, 1.0f}}, {{1, 1.0f}}, {}};
  body_->Skin(skin);
  Run();
  warning = SkinBoneWarning(*context_);
  EXPECT_NE(warning.find(L": Aim."), std::wstring::npos) << warning;
  EXPECT_EQ(warning.find(L"Hip"), std::wstring::npos) << warning;
}

// A bone bound with a zero scale keeps its vertices where the flat pose puts them, each at its own
// place in the bone's plane, instead of all on the bone's origin; the warning names it.
TEST_F(SkinTest, FlatBindPoseKeepsVerticesInTheBonesPlane) {
  SkinDescription skin = TwoBoneSkin({{{0, 1}}, {{0, 1}}, {{1, 1}}});
  const Matrix3 flatPose = ScaleMatrix({2, 0, 1}) * RotateZMatrix(0.5f) * TransMatrix({1, 2, 10});
  skin.bones[0].initTM = flatPose;
  body_->Skin(skin);
  Run();
  ASSERT_TRUE(Body().hasSkin);
  const XBoneInfo& hip = Body().skin->bones.at(Host(L"Hip"));
  EXPECT_TRUE(hip.flatBindPose);
  EXPECT_FALSE(Body().skin->bones.at(Host(L"Knee")).flatBindPose);
  // At the bind pose a vertex lands on its own foot in the bone's plane.
  Matrix3 posed = hip.offsetMatrix * flatPose;
  Point3 normal = Normalize(CrossProd(flatPose[0], flatPose[2]));
  for (Point3 p : {Point3(0, 0, 0), Point3(10, 0, 0), Point3(3, 7, 5)}) {
    Point3 expected = p - normal * DotProd(p - flatPose.GetTrans(), normal);
    Point3 got = p * posed;
    EXPECT_NEAR(Length(got - expected), 0.0f, 1e-4f) << p.x << " " << p.y << " " << p.z;
  }
  std::wstring warning = SkinBoneWarning(*context_);
  EXPECT_NE(warning.find(L"scale of 0 (a flat bind pose): Hip."), std::wstring::npos) << warning;
  EXPECT_EQ(warning.find(L"Knee"), std::wstring::npos) << warning;
}

TEST(BindPoseInverse, InvertsSoundPosesAndRepairsOnlyFlatOnes) {
  bool flat = true;
  Matrix3 pose = RotateXMatrix(0.3f) * TransMatrix({4, 5, 6});
  Matrix3 inverse = BindPoseInverse(pose, flat);
  EXPECT_FALSE(flat);
  EXPECT_NEAR(Length(Point3(1, 2, 3) * inverse * pose - Point3(1, 2, 3)), 0.0f, 1e-5f);

  Matrix3 repaired = BindPoseInverse(ScaleMatrix({1, 1, 0}) * TransMatrix({0, 0, 3}), flat);
  EXPECT_TRUE(flat);
  EXPECT_GT(repaired.Determinant(), 0.0f) << "not mirrored";
  EXPECT_EQ(Point3(1, 2, 3) * repaired, Point3(1, 2, 0)) << "the lost axis back at unit length";

  BindPoseInverse(ScaleMatrix({0, 0, 1}), flat);
  EXPECT_TRUE(flat) << "flat on two axes: warned, nothing to put back";
}
