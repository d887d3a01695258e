// Small files drawn and checked at chosen pixels, within a tolerance: pictures differ slightly
// between rasteriser versions, so no picture is compared byte for byte.
#include <gtest/gtest.h>

#include "preview/image.h"
#include "preview_test_support.h"

namespace preview::test {
namespace {

// A unit cube, every face clockwise seen from outside; the face towards -z (the front) uses the
// red material. No normals: the faces light with their own.
const std::string kRedFaceCube = R"(
Mesh Cube {
 8;
 -0.5;-0.5;-0.5;, -0.5;0.5;-0.5;, 0.5;0.5;-0.5;, 0.5;-0.5;-0.5;,
 -0.5;-0.5;0.5;, -0.5;0.5;0.5;, 0.5;0.5;0.5;, 0.5;-0.5;0.5;;
 6;
 4;0,1,2,3;, 4;7,6,5,4;, 4;4,5,1,0;, 4;3,2,6,7;, 4;1,5,6,2;, 4;0,3,7,4;;
 MeshMaterialList {
  2; 6; 1,0,0,0,0,0;
  Material Grey { 0.7;0.7;0.7;1.0;; 0.0; 0;0;0;; 0;0;0;; }
  Material Red { 1.0;0.0;0.0;1.0;; 0.0; 0;0;0;; 0;0;0;; }
 }
}
)";

TEST(GoldenImage, CubeShowsItsRedFaceFromTheFrontOnly) {
  PreviewScene scene = SceneFromText(kRedFaceCube);
  Drawn front = Draw(scene, View::Front);
  EXPECT_TRUE(Reddish(front.At({0, 0, -0.5f})));
  EXPECT_TRUE(IsBackground(front.image.At(2, 2)));
  Drawn back = Draw(scene, View::Back);
  auto grey = back.At({0, 0, 0.5f});
  EXPECT_GT(grey[0], 80);
  EXPECT_NEAR(grey[0], grey[1], 3);
  EXPECT_NEAR(grey[1], grey[2], 3);
  // From the three-quarter view the red face and two grey ones are visible; nothing is a hole.
  Drawn side = Draw(scene, View::ThreeQuarter);
  EXPECT_TRUE(Reddish(side.At({-0.2f, 0, -0.5f})));
  auto right = side.At({0.5f, 0, 0});
  EXPECT_FALSE(IsBackground(right));
  EXPECT_NEAR(right[0], right[2], 3);
  EXPECT_TRUE(side.warnings.empty());
}

TEST(GoldenImage, ReversedWindingLeavesAHole) {
  // Two quads side by side facing the front; the right one is wound counter-clockwise.
  PreviewScene scene = SceneFromText(R"(
Mesh Quads {
 8;
 -2;-1;0;, -2;1;0;, 0;1;0;, 0;-1;0;, 0.2;-1;0;, 0.2;1;0;, 2.2;1;0;, 2.2;-1;0;;
 2;
 4;0,1,2,3;, 4;7,6,5,4;;
}
)");
  Drawn front = Draw(scene, View::Front);
  EXPECT_FALSE(IsBackground(front.At({-1, 0, 0})));
  EXPECT_TRUE(IsBackground(front.At({1.2f, 0, 0})));
  Drawn back = Draw(scene, View::Back);
  EXPECT_TRUE(IsBackground(back.At({-1, 0, 0})));
  EXPECT_FALSE(IsBackground(back.At({1.2f, 0, 0})));
}

TEST(GoldenImage, TexturedQuadPutsTheImageTopLeftAtVZero) {
  TempFolder folder;
  // Four 4x4 quadrants: red top left, green top right, blue bottom left, white bottom right.
  Image texture(8, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      std::uint8_t* p = texture.Pixel(x, y);
      bool right = x >= 4, bottom = y >= 4;
      p[0] = (!right && !bottom) || (right && bottom) ? 255 : 0;
      p[1] = right ? 255 : 0;
      p[2] = bottom ? 255 : 0;
      p[3] = 255;
    }
  }
  ASSERT_TRUE(WritePng(folder.path() / "quadrants.png", texture));
  PreviewScene scene = SceneFromText(R"(
Mesh Quad {
 4;
 -1;-1;0;, -1;1;0;, 1;1;0;, 1;-1;0;;
 1;
 4;0,1,2,3;;
 MeshNormals { 1; 0;0;-1;; 1; 4;0,0,0,0;; }
 MeshTextureCoords { 4; 0;1;, 0;0;, 1;0;, 1;1;; }
 MeshMaterialList { 1; 1; 0; )" + MaterialText("White", 1, 1, 1, "textures\\quadrants.png") +
                                         R"( }
}
)",
                                     folder.path());
  Drawn front = Draw(scene, View::Front);
  EXPECT_TRUE(front.warnings.empty());
  EXPECT_TRUE(Reddish(front.At({-0.5f, 0.5f, 0})));
  EXPECT_TRUE(Greenish(front.At({0.5f, 0.5f, 0})));
  EXPECT_TRUE(Bluish(front.At({-0.5f, -0.5f, 0})));
  auto white = front.At({0.5f, -0.5f, 0});
  EXPECT_GT(white[0], 150);
  EXPECT_NEAR(white[0], white[2], 4);
}

TEST(GoldenImage, MissingTextureDrawsTheMaterialColourAndSaysWhichFileOnce) {
  // Two meshes share the material; the missing file is named once.
  PreviewScene scene = SceneFromText(MaterialText("Leaf", 0, 0.9f, 0, "leaf_missing.png") + R"(
Mesh Quad {
 4; -1;-1;0;, -1;1;0;, 1;1;0;, 1;-1;0;;
 1; 4;0,1,2,3;;
 MeshTextureCoords { 4; 0;1;, 0;0;, 1;0;, 1;1;; }
 MeshMaterialList { 1; 1; 0; { Leaf } }
}
Mesh Again {
 3; -1;-1;1;, -1;1;1;, 1;1;1;;
 1; 3;0,1,2;;
 MeshMaterialList { 1; 1; 0; { Leaf } }
}
)");
  ASSERT_EQ(scene.warnings.size(), 1u);
  EXPECT_NE(scene.warnings[0].find("leaf_missing.png"), std::string::npos);
  Drawn front = Draw(scene, View::Front);
  EXPECT_TRUE(Greenish(front.At({0.5f, -0.5f, 0})));
}

// A quad at x 1..3 under a frame mirrored in x. An exporter writes mirrored geometry with its
// winding reversed, so that after the mirror it is clockwise again on screen; its normal (-z)
// is unchanged by the mirror, so the quad is lit from the front.
TEST(GoldenImage, MirroredNodeShowsOnTheOtherSideAndLit) {
  PreviewScene scene = SceneFromText(R"(
Frame Mirrored {
 FrameTransformMatrix { -1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 Mesh Half {
  4; 1;-1;0;, 1;1;0;, 3;1;0;, 3;-1;0;;
  1; 4;3,2,1,0;;
  MeshNormals { 1; 0;0;-1;; 1; 4;0,0,0,0;; }
  MeshMaterialList { 1; 1; 0; )" + MaterialText("Red", 1, 0, 0) +
                                     R"( }
 }
}
Frame Plain {
 Mesh Marker {
  3; -0.2;-0.2;0;, 0;0.2;0;, 0.2;-0.2;0;;
  1; 3;0,1,2;;
 }
}
)");
  Drawn front = Draw(scene, View::Front);
  auto mirrored = front.At({-2, 0, 0});
  EXPECT_TRUE(Reddish(mirrored));
  EXPECT_GT(mirrored[0], 150);  // lit from the front: the normal went through the mirror right
  EXPECT_TRUE(IsBackground(front.At({2, 0, 0})));
  EXPECT_FALSE(IsBackground(front.At({0, -0.05f, 0})));
}

TEST(GoldenImage, VertexColoursBlendAcrossTheTriangle) {
  PreviewScene scene = SceneFromText(R"(
Mesh Triangle {
 3; -1;-1;0;, 0;1;0;, 1;-1;0;;
 1; 3;0,1,2;;
 MeshNormals { 1; 0;0;-1;; 1; 3;0,0,0;; }
 MeshVertexColors { 3; 0;1;0;0;1;;, 1;0;1;0;1;;, 2;0;0;1;1;;; }
}
)");
  Drawn front = Draw(scene, View::Front);
  EXPECT_TRUE(Reddish(front.At({-0.8f, -0.9f, 0})));
  EXPECT_TRUE(Greenish(front.At({0, 0.8f, 0})));
  EXPECT_TRUE(Bluish(front.At({0.8f, -0.9f, 0})));
  auto middle = front.At({0, -0.33f, 0});
  EXPECT_GT(middle[0], 30);
  EXPECT_GT(middle[1], 30);
  EXPECT_GT(middle[2], 30);
}

TEST(GoldenImage, EmptySceneDrawsTheGridAndSaysSo) {
  PreviewScene scene = SceneFromText("Frame Nothing { }\n");
  Drawn drawn = Draw(scene, View::ThreeQuarter, 240, 180, true);
  ASSERT_EQ(drawn.warnings.size(), 1u);
  EXPECT_NE(drawn.warnings[0].find("no triangles"), std::string::npos);
  std::size_t notBackground = 0;
  for (int y = 0; y < 140; ++y) {
    for (int x = 0; x < drawn.image.width; ++x)
      notBackground += !IsBackground(drawn.image.At(x, y));
  }
  EXPECT_GT(notBackground, 200u);  // the grid's lines
}

TEST(GoldenImage, SheetDrawsSixViews) {
  PreviewScene scene = SceneFromText(kRedFaceCube);
  RenderOptions options;
  options.width = 360;
  options.height = 240;
  options.sheet = true;
  options.grid = false;
  std::vector<std::string> warnings;
  Image sheet = RenderScene(scene, options, warnings);
  ASSERT_EQ(sheet.width, 360);
  ASSERT_EQ(sheet.height, 240);
  // The first cell is the front view (red), the second the back view (grey).
  EXPECT_TRUE(Reddish(sheet.At(60, 60)));
  auto back = sheet.At(180, 60);
  EXPECT_FALSE(IsBackground(back));
  EXPECT_NEAR(back[0], back[1], 3);
}

}  // namespace
}  // namespace preview::test
