// From the reader's document to drawable data: hierarchy, vertex splitting, faces, materials,
// textures, bad indices, skin and animation.
#include <gtest/gtest.h>

#include <fstream>

#include "preview/scene_pose.h"
#include "preview_test_support.h"
#include "xof/file_reader.h"

namespace preview::test {
namespace {

void ExpectPoint(Vec3 actual, Vec3 expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-4f);
  EXPECT_NEAR(actual.y, expected.y, 1e-4f);
  EXPECT_NEAR(actual.z, expected.z, 1e-4f);
}

TEST(SceneReader, ChildMatricesApplyBeforeTheirParents) {
  PreviewScene scene = SceneFromText(R"(
Frame Parent {
 FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,2,0,1;; }
 Frame Child {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,0,0,1;; }
  Mesh Dot { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }
 }
}
)");
  ASSERT_EQ(scene.frames.size(), 2u);
  EXPECT_EQ(scene.frames[1].parent, 0);
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].frame, 1);
  PosedScene posed = PoseScene(scene, std::nullopt);
  ExpectPoint(TransformPoint({0, 0, 0}, posed.meshes[0].world), {2, 2, 0});
  ExpectPoint(TransformPoint({0, 1, 0}, posed.meshes[0].world), {2, 4, 0});
  ExpectPoint(posed.bounds.min, {2, 2, 0});
  ExpectPoint(posed.bounds.max, {4, 4, 0});
}

TEST(SceneReader, PolygonsFanIntoTrianglesAndSplitNormalsCopyVertices) {
  // A quad and a triangle sharing vertices 0 and 2 with different normals there.
  PreviewScene scene = SceneFromText(R"(
Mesh Fan {
 5; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;, 2;0;0;;
 2; 4;0,1,2,3;, 3;0,2,4;;
 MeshNormals { 2; 0;0;-1;, 0;1;0;; 2; 4;0,0,0,0;, 3;1,1,1;; }
 MeshTextureCoords { 5; 0;0;, 0;1;, 1;1;, 1;0;, 2;0;; }
}
)");
  ASSERT_EQ(scene.meshes.size(), 1u);
  const PreviewMesh& mesh = scene.meshes[0];
  ASSERT_EQ(mesh.indices.size(), 9u);
  EXPECT_EQ(std::vector<std::uint32_t>(mesh.indices.begin(), mesh.indices.begin() + 6),
            (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
  // Vertices 0 and 2 come again with the second normal; vertex 4 takes it in its own slot.
  EXPECT_EQ(mesh.positions.size(), 7u);
  ASSERT_EQ(mesh.sourceVertex.size(), 7u);
  std::uint32_t a = mesh.indices[6], b = mesh.indices[7], c = mesh.indices[8];
  EXPECT_EQ(mesh.sourceVertex[a], 0u);
  EXPECT_EQ(mesh.sourceVertex[b], 2u);
  EXPECT_EQ(c, 4u);
  EXPECT_GE(a, 5u);
  ExpectPoint(mesh.normals[a], {0, 1, 0});
  ExpectPoint(mesh.normals[0], {0, 0, -1});
  ExpectPoint(mesh.positions[b], {1, 1, 0});
  EXPECT_FLOAT_EQ(mesh.texcoords[2 * b], 1.0f);
  EXPECT_TRUE(scene.warnings.empty());
}

TEST(SceneReader, MaterialListRepeatsItsLastIndexAndFindsReferencedMaterials) {
  TempFolder folder;
  std::ofstream(folder.path() / "wood.png") << "not decoded here";
  PreviewScene scene = SceneFromText(MaterialText("Shared", 0, 0, 1, "C:\\old\\maps\\wood.png") +
                                         R"(
Mesh Strip {
 5; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;, 2;0;0;;
 3; 3;0,1,2;, 3;0,2,3;, 3;3,2,4;;
 MeshMaterialList {
  2; 2; 0, 1;
  { Shared }
  Material Own { 1;0;0;1;; 8.0; 1;1;1;; 0;0;0;; }
 }
}
)",
                                     folder.path());
  ASSERT_EQ(scene.meshes.size(), 1u);
  const PreviewMesh& mesh = scene.meshes[0];
  ASSERT_EQ(mesh.materials.size(), 2u);
  EXPECT_EQ(mesh.triangleMaterial, (std::vector<std::uint32_t>{0, 1, 1}));
  EXPECT_FLOAT_EQ(mesh.materials[0].diffuse[2], 1.0f);
  EXPECT_EQ(mesh.materials[0].texturePath, (folder.path() / "wood.png").string());
  EXPECT_FLOAT_EQ(mesh.materials[1].power, 8.0f);
  EXPECT_TRUE(scene.warnings.empty());
}

TEST(SceneReader, VertexDeclarationSuppliesNormalsTexcoordsAndColours) {
  // Per vertex: NORMAL float3, TEXCOORD0 float2, COLOR0 float4; floats as their DWORD bits
  // (0x3f800000 is 1.0, 0x3f000000 is 0.5, 0xbf800000 is -1.0).
  PreviewScene scene = SceneFromText(R"(
Mesh Declared {
 3; 0;0;0;, 0;1;0;, 1;0;0;;
 1; 3;0,1,2;;
 DeclData {
  3; 2;0;3;0;, 1;0;5;0;, 3;0;10;0;;
  27;
  0,0,3212836864, 0,0, 1065353216,0,0,1065353216,
  0,0,3212836864, 1056964608,0, 0,1065353216,0,1065353216,
  0,0,3212836864, 1065353216,1065353216, 0,0,1065353216,1056964608;
 }
}
)");
  ASSERT_EQ(scene.meshes.size(), 1u);
  const PreviewMesh& mesh = scene.meshes[0];
  EXPECT_TRUE(scene.warnings.empty());
  ASSERT_EQ(mesh.normals.size(), 3u);
  ExpectPoint(mesh.normals[2], {0, 0, -1});
  EXPECT_EQ(mesh.texcoords, (std::vector<float>{0, 0, 0.5f, 0, 1, 1}));
  EXPECT_EQ(mesh.colors, (std::vector<std::uint32_t>{0xFF0000FFu, 0xFF00FF00u, 0x80FF0000u}));

  PreviewScene wrong = SceneFromText(R"(
Mesh Short { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; DeclData { 1; 2;0;3;0;; 3; 0,0,0; } }
)");
  ASSERT_EQ(wrong.warnings.size(), 1u);
  EXPECT_NE(wrong.warnings[0].find("DeclData not drawn"), std::string::npos);
}

TEST(SceneReader, BadIndicesAreSkippedAndNamed) {
  PreviewScene scene = SceneFromText(R"(
Mesh Broken {
 3; 0;0;0;, 0;1;0;, 1;0;0;;
 2; 3;0,1,2;, 3;0,1,99;;
 MeshNormals { 1; 0;0;-1;; 1; 3;0,0,0;; }
 MeshVertexColors { 1; 7;1;0;0;1;;; }
 MeshMaterialList { 3; 2; 0, 2; Material M { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }
}
)");
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].indices.size(), 3u);
  EXPECT_TRUE(scene.meshes[0].normals.empty());  // given for one face of two
  std::string all;
  for (const std::string& warning : scene.warnings) all += warning + "\n";
  EXPECT_NE(all.find("normals given for 1 of 2 faces"), std::string::npos) << all;
  EXPECT_NE(all.find("1 faces name vertices"), std::string::npos) << all;
  EXPECT_NE(all.find("vertex colours"), std::string::npos) << all;
  EXPECT_NE(all.find("declares 3 materials but holds 1"), std::string::npos) << all;
  EXPECT_NE(all.find("drawn grey"), std::string::npos) << all;
}

// One bone moved by position keys from 0 to 4 along x over ticks 0..10, and turned a quarter about
// y at tick 10; the skinned mesh follows it, weighted fully to the bone.
TEST(SceneReader, SkinFollowsItsAnimatedBone) {
  PreviewScene scene = SceneFromText(R"(
Frame Root {
 Frame Bone { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
 Mesh Skinned {
  3; 0;0;0;, 0;1;0;, 1;0;0;;
  1; 3;0,1,2;;
  SkinWeights { "Bone"; 3; 0,1,2; 1,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 }
}
AnimationSet Walk {
 Animation { { Bone }
  AnimationKey { 2; 2; 0;3;0,0,0;;, 10;3;4,0,0;;; }
  AnimationKey { 0; 2; 0;4;1,0,0,0;;, 10;4;0.7071068,0,0.7071068,0;;; }
 }
}
)");
  ASSERT_EQ(scene.meshes.size(), 1u);
  ASSERT_EQ(scene.meshes[0].bones.size(), 1u);
  EXPECT_EQ(scene.meshes[0].bones[0].frame, 1);
  EXPECT_EQ(scene.animationName, "Walk");
  ASSERT_EQ(scene.animations.size(), 1u);

  PosedScene rest = PoseScene(scene, std::nullopt);
  ExpectPoint(rest.meshes[0].skinnedPositions[2], {1, 0, 0});
  PosedScene halfway = PoseScene(scene, 5.0);
  EXPECT_NEAR(halfway.meshes[0].skinnedPositions[0].x, 2.0f, 1e-4f);
  // At tick 10 the bone stands at x = 4 and the key's quarter turn, taken conjugated as DirectX
  // files store it, turns +x towards +z.
  PosedScene end = PoseScene(scene, 10.0);
  ExpectPoint(end.meshes[0].skinnedPositions[0], {4, 0, 0});
  ExpectPoint(end.meshes[0].skinnedPositions[2], {4, 0, 1});
  // Past the last key the pose holds.
  ExpectPoint(PoseScene(scene, 99.0).meshes[0].skinnedPositions[2], {4, 0, 1});
}

TEST(SceneReader, SkinnedAnimatedSampleKeepsItsBindPoseAtTheFirstKeys) {
  xof::ReadResult read =
      xof::ReadXFileAt(std::string(RUV_SOURCE_DIR) + "/tests/xof/data/Testwuson.X");
  ASSERT_TRUE(read.ok()) << read.Describe();
  PreviewScene scene = ReadPreviewScene(*read.document, {});
  ASSERT_FALSE(scene.meshes.empty());
  std::size_t bones = 0;
  for (const PreviewMesh& mesh : scene.meshes) {
    for (const SkinBone& bone : mesh.bones) bones += bone.frame >= 0;
  }
  EXPECT_GT(bones, 10u);
  ASSERT_FALSE(scene.animations.empty());
  EXPECT_FALSE(scene.animationName.empty());
  // Posed at rest the skin lands where the frame hierarchy puts the mesh.
  PosedScene rest = PoseScene(scene, std::nullopt);
  EXPECT_GT(rest.triangles, 1000u);
  EXPECT_GT(rest.bounds.Size().z, 2.0f);
  // Each frame's rotation keys are the frame's own rotation given as its conjugate (the DirectX
  // key convention): sampled alone they give back the frame matrix's rotation wherever the first
  // key is the rest pose. A third of the sample's frames start at rest (taken unconjugated, none
  // would match).
  std::size_t matching = 0, rotated = 0;
  for (const FrameAnimation& animation : scene.animations) {
    for (const AnimationKeys& keys : animation.keys) {
      if (keys.type != KeyType::Rotation) continue;
      ++rotated;
      FrameAnimation rotationOnly{animation.frame, {keys}};
      const Mat4& local = scene.frames[static_cast<std::size_t>(animation.frame)].local;
      Mat4 sampled = SampleAnimation(rotationOnly, local, keys.times.front());
      float worst = 0;
      for (int i = 0; i < 12; ++i) worst = std::max(worst, std::abs(sampled.m[i] - local.m[i]));
      matching += worst < 1e-3f;
    }
  }
  ASSERT_GT(rotated, 10u);
  EXPECT_GE(matching * 3, rotated) << matching << " of " << rotated;

  // A frame keyed in position alone keeps the turn of its own matrix, whatever the keys hold.
  std::size_t turned = 0;
  for (const FrameAnimation& animation : scene.animations) {
    for (const AnimationKeys& keys : animation.keys) {
      if (keys.type != KeyType::Position) continue;
      FrameAnimation positionOnly{animation.frame, {keys}};
      const Mat4& local = scene.frames[static_cast<std::size_t>(animation.frame)].local;
      Mat4 sampled = SampleAnimation(positionOnly, local, keys.times.front());
      turned += std::abs(local(0, 1)) > 0.1f;
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(sampled(r, c), local(r, c), 1e-5f);
      }
    }
  }
  EXPECT_GT(turned, 5u) << "frames that do turn";
}

}  // namespace
}  // namespace preview::test
