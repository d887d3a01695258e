#include <gtest/gtest.h>

#include "ruv/mesh/tangent_frames.h"

TEST(FaceTangentFrame, FollowsTheTextureAxes) {
  TangentFrame frame =
      FaceTangentFrame({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  EXPECT_EQ(frame.tangent, Point3(1, 0, 0));
  EXPECT_EQ(frame.binormal, Point3(0, 1, 0));
  // Equal coordinates at all three corners give nothing to go by.
  TangentFrame flat =
      FaceTangentFrame({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {3, 3, 0}, {3, 3, 0}, {3, 3, 0});
  EXPECT_EQ(flat.tangent, Point3());
  EXPECT_EQ(flat.binormal, Point3());
  // Coordinates along a line: a tangent from the edge that moves in u, no binormal.
  TangentFrame line =
      FaceTangentFrame({0, 0, 0}, {2, 0, 0}, {0, 1, 0}, {0, 0, 0}, {1, 0, 0}, {2, 0, 0});
  EXPECT_EQ(line.tangent, Point3(1, 0, 0));
  EXPECT_EQ(line.binormal, Point3());
}

TEST(OrthonormalizeTangentFrame, BuildsAFrameFromTheNormalAlone) {
  Point3 t, b, n{0, 0, 1};
  OrthonormalizeTangentFrame(t, b, n);
  EXPECT_EQ(t, Point3(1, 0, 0));
  EXPECT_EQ(b, Point3(0, 1, 0));
  t = b = Point3();
  n = {1, 0, 0};
  OrthonormalizeTangentFrame(t, b, n);
  EXPECT_EQ(t, Point3(0, 0, 1));
  EXPECT_EQ(b, Point3(0, -1, 0));
}

TEST(OrthonormalizeTangentFrame, KeepsTheNormalsDirectionAndTheHandedness) {
  Point3 t{2, 0, 0.5f}, b{0, -3, 0}, n{0, 0, 4};
  OrthonormalizeTangentFrame(t, b, n);
  EXPECT_EQ(n, Point3(0, 0, 1));
  EXPECT_NEAR(DotProd(t, n), 0, 1e-6f);
  EXPECT_NEAR(DotProd(b, n), 0, 1e-6f);
  EXPECT_NEAR(DotProd(t, b), 0, 1e-6f);
  EXPECT_NEAR(DotProd(CrossProd(t, b), n), 1, 1e-6f) << "the binormal turned to follow the normal";
  // Without a normal, tangent and binormal make one.
  Point3 t2{1, 0, 0}, b2{1, 1, 0}, n2;
  OrthonormalizeTangentFrame(t2, b2, n2);
  EXPECT_EQ(b2, Point3(0, 1, 0));
  EXPECT_EQ(n2, Point3(0, 0, 1));
}

TEST(CornerAngles, AnglesOfATriangleAndNoneForADegenerateOne) {
  TriangleAngles right = CornerAngles({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  EXPECT_NEAR(right.a, 1.5707964f, 1e-6f);
  EXPECT_NEAR(right.b, 0.7853982f, 1e-6f);
  EXPECT_NEAR(right.c, 0.7853982f, 1e-6f);
  TriangleAngles degenerate = CornerAngles({0, 0, 0}, {0, 0, 0}, {1, 0, 0});
  EXPECT_EQ(degenerate.a + degenerate.b + degenerate.c, 0.0f);
}

TEST(CornerNormal, PicksTheNormalOfTheFacesSmoothingGroup) {
  // Vertex 0 is shared by three faces in groups 1, 2 and 4, so its render vertex holds three
  // normals; the face in group 4 must get the third, which lies along its own face normal.
  Mesh mesh;
  mesh.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  mesh.setNumFaces(3);
  mesh.faces[0].setVerts(0, 2, 1);
  mesh.faces[0].setSmGroup(1);
  mesh.faces[1].setVerts(0, 1, 3);
  mesh.faces[1].setSmGroup(2);
  mesh.faces[2].setVerts(0, 3, 2);
  mesh.faces[2].setSmGroup(4);
  mesh.checkNormals(TRUE);
  ASSERT_EQ(mesh.getRVertPtr(0)->rFlags & NORCT_MASK, 3u);
  EXPECT_EQ(CornerNormal(&mesh, 2, 0, nullptr), mesh.getFaceNormal(2));
  EXPECT_EQ(CornerNormal(&mesh, 2, 0, nullptr), mesh.getRVertPtr(0)->ern[2].normal);
  // A face outside every group takes its face normal.
  mesh.faces[1].setSmGroup(0);
  mesh.buildNormals();
  EXPECT_EQ(CornerNormal(&mesh, 1, 0, nullptr), mesh.getFaceNormal(1));
  EXPECT_EQ(CornerNormal(nullptr, 0, 0, nullptr), Point3());
}

TEST(NormalMatrix, KeepsNormalsPerpendicularUnderNonUniformScale) {
  Matrix3 m = ScaleMatrix({4, 1, 1});
  m.RotateZ(0.3f);
  m.Translate({7, 8, 9});
  Point3 edge{1, -1, 0}, normal{1, 1, 0};  // perpendicular before the transform
  Point3 movedEdge = m.VectorTransform(edge);
  Point3 movedNormal = NormalMatrix(m).VectorTransform(normal);
  EXPECT_NEAR(DotProd(movedEdge, movedNormal), 0, 1e-5f);
  EXPECT_EQ(NormalMatrix(m).GetTrans(), Point3());
}
