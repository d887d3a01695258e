// Documents the reader accepts but no exporter writes: counts that claim more than the file
// holds, empty records, and a position that comes with many normals. Each is read without failing
// and drawn as well as the file allows.
#include <gtest/gtest.h>

#include "preview/scene_pose.h"
#include "preview_test_support.h"

namespace preview::test {
namespace {

std::string AllWarnings(const PreviewScene& scene) {
  std::string all;
  for (const std::string& warning : scene.warnings) all += warning + "\n";
  return all;
}

// The standard templates defined again with arrays of a fixed size, so that the reader does not
// hold the counts to the arrays: a count can then claim four billion faces.
TEST(SceneReaderCounts, FaceCountsBeyondTheArraysAreBoundedByWhatTheFileHolds) {
  const std::string meshTemplate = R"(
template Mesh {
 <3D82AB44-62DA-11cf-AB39-0020AF71E433>
 DWORD nVertices; array Vector vertices[3]; DWORD nFaces; array MeshFace faces[1]; [...]
}
)";
  PreviewScene faces = SceneFromText(meshTemplate + R"(
Mesh Claims { 3; 0;0;0;, 0;1;0;, 1;0;0;; 4294967295; 3;0,1,2;; }
)");
  ASSERT_EQ(faces.meshes.size(), 1u);
  EXPECT_EQ(faces.meshes[0].indices, (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_NE(AllWarnings(faces).find("declares 4294967295 faces but holds 1"), std::string::npos)
      << AllWarnings(faces);

  PreviewScene normals = SceneFromText(R"(
template MeshNormals {
 <F6F23F43-7686-11cf-8F52-0040333594A3>
 DWORD nNormals; array Vector normals[1]; DWORD nFaceNormals; array MeshFace faceNormals[1];
}
Mesh Lit {
 3; 0;0;0;, 0;1;0;, 1;0;0;;
 1; 3;0,1,2;;
 MeshNormals { 1; 0;0;-1;; 4294967295; 3;0,0,0;; }
}
)");
  ASSERT_EQ(normals.meshes.size(), 1u);
  ASSERT_EQ(normals.meshes[0].normals.size(), 3u);
  EXPECT_FLOAT_EQ(normals.meshes[0].normals[2].z, -1.0f);
}

// A bone that weights no vertex holds empty arrays, which the reader gives as no values at all.
TEST(SceneReaderCounts, SkinWeightsWithNoWeightsKeepTheBoneAndMoveNothing) {
  PreviewScene scene = SceneFromText(R"(
Frame Root {
 Frame Bone { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,0,0,1;; } }
 Mesh Skinned {
  3; 0;0;0;, 0;1;0;, 1;0;0;;
  1; 3;0,1,2;;
  SkinWeights { "Bone"; 0; ; ; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 }
}
)");
  ASSERT_EQ(scene.meshes.size(), 1u);
  ASSERT_EQ(scene.meshes[0].bones.size(), 1u);
  EXPECT_TRUE(scene.meshes[0].bones[0].vertices.empty());
  EXPECT_TRUE(scene.warnings.empty()) << AllWarnings(scene);
  PosedScene posed = PoseScene(scene, std::nullopt);
  EXPECT_FLOAT_EQ(posed.meshes[0].skinnedPositions[2].x, 1.0f);  // with its frame, not the bone
}

// The centre of a fan comes with normals 0, 1, 0, 2, 1 on its five faces: each distinct normal
// gets one vertex, the first the position's own, the others copies in the order they first come,
// and a normal met again takes the vertex made for it before.
TEST(SceneReaderNormals, APositionWithManyNormalsGetsOneVertexPerDistinctNormal) {
  PreviewScene scene = SceneFromText(R"(
Mesh Fan {
 7; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, -1;1;0;, -1;0;0;, -1;-1;0;;
 6; 3;0,2,1;, 3;0,3,2;, 3;0,4,3;, 3;0,5,4;, 3;0,6,5;, 3;0,6,9;;
 MeshNormals {
  3; 0;0;-1;, 0;1;0;, 1;0;0;;
  6; 3;0,0,0;, 3;1,1,1;, 3;0,0,0;, 3;2,2,2;, 3;1,1,1;, 3;0,0,0;;
 }
}
)");
  ASSERT_EQ(scene.meshes.size(), 1u);
  const PreviewMesh& mesh = scene.meshes[0];
  ASSERT_EQ(mesh.indices.size(), 15u);  // the face naming vertex 9 is left out
  std::vector<std::uint32_t> centre;
  for (std::size_t t = 0; t < 5; ++t) centre.push_back(mesh.indices[3 * t]);
  // Copies follow the seven positions in the order the corners first need them: the second face
  // makes 7 (the centre with normal 1) and 8 (vertex 2 with normal 1), the third 9 (vertex 3),
  // the fourth 10 (the centre with normal 2) and 11, the fifth 12.
  EXPECT_EQ(centre, (std::vector<std::uint32_t>{0, 7, 0, 10, 7}));
  EXPECT_EQ(mesh.indices[5], 8u);
  ASSERT_EQ(mesh.positions.size(), 13u);
  ASSERT_EQ(mesh.sourceVertex.size(), 13u);
  EXPECT_EQ(mesh.sourceVertex[8], 2u);
  for (std::uint32_t vertex : centre) {
    EXPECT_EQ(mesh.sourceVertex[vertex], 0u);
    EXPECT_FLOAT_EQ(mesh.positions[vertex].x, 0.0f);
  }
  EXPECT_FLOAT_EQ(mesh.normals[7].y, 1.0f);
  EXPECT_FLOAT_EQ(mesh.normals[10].x, 1.0f);
  EXPECT_FLOAT_EQ(mesh.normals[0].z, -1.0f);
}

// A colour component that is not a number (raw bits in DeclData) is drawn as 0, not converted
// out of range.
TEST(SceneReaderCounts, ColourComponentsThatAreNotNumbersCountAsZero) {
  PreviewScene scene = SceneFromText(R"(
Mesh Tinted {
 3; 0;0;0;, 0;1;0;, 1;0;0;;
 1; 3;0,1,2;;
 DeclData {
  1; 3;0;10;0;;
  12;
  2143289344,0,0,1065353216, 0,2143289344,0,1065353216, 1065353216,0,0,2143289344;
 }
}
)");
  ASSERT_EQ(scene.meshes.size(), 1u);
  EXPECT_EQ(scene.meshes[0].colors,
            (std::vector<std::uint32_t>{0xFF000000u, 0xFF000000u, 0x000000FFu}));
}

// Keys written out of time order (another program's file) play in time order, each time with its
// own value; two keys of one time keep the file's order.
TEST(SceneReaderKeys, KeysOutOfTimeOrderArePlayedInTimeOrder) {
  PreviewScene scene = SceneFromText(R"(
Frame Moved { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } }
AnimationSet Slide {
 Animation {
  { Moved }
  AnimationKey { 2; 4; 20;3;20,0,0;;, 0;3;0,0,0;;, 10;3;10,0,0;;, 10;3;12,0,0;;; }
 }
}
)");
  ASSERT_EQ(scene.animations.size(), 1u);
  ASSERT_EQ(scene.animations[0].keys.size(), 1u);
  EXPECT_EQ(scene.animations[0].keys[0].times, (std::vector<std::uint32_t>{0, 10, 10, 20}));
  EXPECT_NE(AllWarnings(scene).find("keys out of time order"), std::string::npos)
      << AllWarnings(scene);
  auto x = [&](double time) { return PoseScene(scene, time).frameWorld[0](3, 0); };
  EXPECT_FLOAT_EQ(x(5), 5.0f);
  EXPECT_FLOAT_EQ(x(15), 16.0f);  // from the second key of time 10 (12) to 20
  EXPECT_FLOAT_EQ(x(25), 20.0f);
}

}  // namespace
}  // namespace preview::test
