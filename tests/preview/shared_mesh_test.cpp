// A mesh shown by many frames is held once and drawn at each: the picture is the one of the same
// file with a copy of the mesh spelled out in every frame, pixel for pixel.
#include <gtest/gtest.h>

#include "preview/scene_pose.h"
#include "preview_test_support.h"

namespace preview::test {
namespace {

// The frames' bodies of the scenes below; `%` stands for the mesh, a reference or a copy.
struct Placement {
  std::string name;
  std::string matrix;  // FrameTransformMatrix values
  std::vector<Placement> children;
};

std::string Frames(const std::vector<Placement>& placements, const std::string& mesh, int& copy) {
  std::string text;
  for (const Placement& p : placements) {
    std::string body = mesh;
    for (std::size_t at = body.find('%'); at != std::string::npos; at = body.find('%', at)) {
      body.replace(at, 1, std::to_string(copy));
    }
    ++copy;
    text += "Frame " + p.name + " {\n FrameTransformMatrix { " + p.matrix + ";; }\n " + body +
            "\n" + Frames(p.children, mesh, copy) + "}\n";
  }
  return text;
}

// `shared` once at the top; then the frames, each showing it by reference or by a copy of its
// text (named apart, so that nothing is shared).
std::pair<std::string, std::string> ReferencedAndCopied(const std::string& name,
                                                        const std::string& meshBody,
                                                        const std::vector<Placement>& frames,
                                                        const std::string& rest = {}) {
  int copy = 0;
  std::string referenced =
      "Mesh " + name + " {" + meshBody + "}\n" + Frames(frames, "{ " + name + " }", copy) + rest;
  copy = 0;
  std::string copied = "Mesh " + name + " {" + meshBody + "}\n" +
                       Frames(frames, "Mesh " + name + "Copy% {" + meshBody + "}", copy) + rest;
  return {referenced, copied};
}

void ExpectSamePictures(const PreviewScene& referenced, const PreviewScene& copied,
                        std::optional<double> time) {
  for (bool sheet : {false, true}) {
    RenderOptions options;
    options.width = sheet ? 360 : 240;
    options.height = sheet ? 240 : 180;
    options.sheet = sheet;
    options.wire = sheet;
    options.time = time;
    options.grid = false;
    std::vector<std::string> warnings;
    Image a = RenderScene(referenced, options, warnings);
    Image b = RenderScene(copied, options, warnings);
    ASSERT_EQ(a.rgba.size(), b.rgba.size());
    std::size_t drawn = 0;
    for (int y = 0; y < a.height; y += 4) {
      for (int x = 0; x < a.width; x += 4) drawn += !IsBackground(a.At(x, y));
    }
    EXPECT_GT(drawn, 40u) << "the model is missing from the picture";
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.rgba.size(); ++i) differing += a.rgba[i] != b.rgba[i];
    EXPECT_EQ(differing, 0u) << (sheet ? "sheet" : "single view");
    EXPECT_TRUE(warnings.empty());
  }
}

const std::string kCube = R"(
 8;
 -0.5;-0.5;-0.5;, -0.5;0.5;-0.5;, 0.5;0.5;-0.5;, 0.5;-0.5;-0.5;,
 -0.5;-0.5;0.5;, -0.5;0.5;0.5;, 0.5;0.5;0.5;, 0.5;-0.5;0.5;;
 6;
 4;0,1,2,3;, 4;7,6,5,4;, 4;4,5,1,0;, 4;3,2,6,7;, 4;1,5,6,2;, 4;0,3,7,4;;
 MeshMaterialList { 2; 6; 1,0,0,0,0,0; { Grey } { Red } }
)";

TEST(SharedMesh, ReferencedFromManyFramesDrawsAsItsCopies) {
  // Moved, turned, nested and scaled, mirrored, and a frame of its own under each of twelve.
  std::vector<Placement> frames = {
      {"Moved", "1,0,0,0, 0,1,0,0, 0,0,1,0, 2,0,0,1", {}},
      {"Turned",
       "0.7071068,0.7071068,0,0, -0.7071068,0.7071068,0,0, 0,0,1,0, -2,1,0,1",
       {{"Small", "0.5,0,0,0, 0,0.5,0,0, 0,0,0.5,0, 0,2,0,1", {}}}},
      {"Mirrored", "-1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-2,1,1", {}}};
  for (int i = 0; i < 12; ++i) {
    frames.push_back(
        {"Row" + std::to_string(i),
         "0.3,0,0,0, 0,0.3,0,0, 0,0,0.3,0, " + std::to_string(i * 0.4 - 2.2) + ",-3,0,1",
         {}});
  }
  std::string materials = MaterialText("Grey", 0.7f, 0.7f, 0.7f) + MaterialText("Red", 1, 0, 0);
  auto [referencedText, copiedText] = ReferencedAndCopied("Cube", kCube, frames);
  PreviewScene referenced = SceneFromText(materials + referencedText);
  PreviewScene copied = SceneFromText(materials + copiedText);
  // The top-level mesh is drawn at the top as well as in each of the 16 frames.
  ASSERT_EQ(referenced.meshes.size(), 1u);
  ASSERT_EQ(referenced.instances.size(), 17u);
  EXPECT_EQ(copied.meshes.size(), 17u);
  EXPECT_EQ(referenced.instances[1].frame, 0);
  EXPECT_EQ(referenced.instances[16].frame, static_cast<int>(referenced.frames.size()) - 1);
  for (const MeshInstance& instance : referenced.instances) EXPECT_EQ(instance.mesh, 0u);
  ExpectSamePictures(referenced, copied, std::nullopt);
}

// A skinned mesh whose vertex 0 no bone moves: that vertex stays with the frame showing the mesh,
// so the instances in frames P and Q (one place) share one skinning and R needs its own.
TEST(SharedMesh, SkinnedMeshReferencedFromManyFramesDrawsAsItsCopies) {
  const std::string skinned = R"(
 4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;;
 2; 3;0,1,2;, 3;0,2,3;;
 MeshNormals { 1; 0;0;-1;; 2; 3;0,0,0;, 3;0,0,0;; }
 SkinWeights { "Bone"; 3; 1,2,3; 1.0,1.0,1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
)";
  std::vector<Placement> frames = {{"P", "1,0,0,0, 0,1,0,0, 0,0,1,0, 3,0,0,1", {}},
                                   {"Q", "1,0,0,0, 0,1,0,0, 0,0,1,0, 3,0,0,1", {}},
                                   {"R", "1,0,0,0, 0,1,0,0, 0,0,1,0, -3,-1,0,1", {}}};
  std::string bone = R"(
Frame Bone { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,1,0,1;; } }
AnimationSet Lift { Animation { { Bone } AnimationKey { 2; 2; 0;3;0,1,0;;, 10;3;0,3,0;;; } } }
)";
  auto [referencedText, copiedText] = ReferencedAndCopied("Skinned", skinned, frames, bone);
  PreviewScene referenced = SceneFromText(referencedText);
  PreviewScene copied = SceneFromText(copiedText);
  ASSERT_EQ(referenced.meshes.size(), 1u);
  ASSERT_EQ(referenced.instances.size(), 4u);

  PosedScene posed = PoseScene(referenced, 5.0);
  ASSERT_EQ(posed.instances.size(), 4u);
  // The top (the first skinning), P and R each have their own place; Q is where P is.
  EXPECT_EQ(posed.instances[0].ownSkin, -1);
  EXPECT_EQ(posed.instances[1].ownSkin, 0);
  EXPECT_EQ(posed.instances[2].ownSkin, 0);
  EXPECT_EQ(posed.instances[3].ownSkin, 1);
  EXPECT_EQ(posed.ownSkins.size(), 2u);
  PosedScene posedCopies = PoseScene(copied, 5.0);
  EXPECT_EQ(posed.triangles, posedCopies.triangles);
  EXPECT_EQ(posed.bounds.min.x, posedCopies.bounds.min.x);
  EXPECT_EQ(posed.bounds.max.y, posedCopies.bounds.max.y);
  ExpectSamePictures(referenced, copied, 5.0);
  ExpectSamePictures(referenced, copied, std::nullopt);
}

// Every vertex weighted: where the mesh hangs changes nothing, so all its instances share one
// skinning whatever their frames.
TEST(SharedMesh, FullyWeightedSkinIsSkinnedOnce) {
  PreviewScene scene = SceneFromText(R"(
Frame Bone { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,1,0,1;; } }
Mesh Skinned {
 3; 0;0;0;, 0;1;0;, 1;0;0;;
 1; 3;0,1,2;;
 SkinWeights { "Bone"; 3; 0,1,2; 1,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
}
Frame A { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,0,0,1;; } { Skinned } }
Frame B { FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,7,0,1;; } { Skinned } }
)");
  PosedScene posed = PoseScene(scene, std::nullopt);
  ASSERT_EQ(posed.instances.size(), 3u);
  EXPECT_TRUE(posed.ownSkins.empty());
  for (const PosedInstance& instance : posed.instances) EXPECT_EQ(instance.ownSkin, -1);
  EXPECT_EQ(posed.triangles, 3u);
  EXPECT_FLOAT_EQ(posed.bounds.max.y, 2.0f);  // the bone's pose only; no frame moves it
}

// A frame naming a mesh the file does not hold draws nothing there, and says so.
TEST(SharedMesh, ReferenceToNothingIsNamed) {
  PreviewScene scene = SceneFromText(R"(
Mesh Tri { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }
Frame Holder { { Tri } { Tir } }
)");
  EXPECT_EQ(scene.instances.size(), 2u);
  ASSERT_EQ(scene.warnings.size(), 1u);
  EXPECT_NE(scene.warnings[0].find("frame 'Holder': 'Tir' is not in the file"), std::string::npos);
}

}  // namespace
}  // namespace preview::test
