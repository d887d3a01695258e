#include "host/mesh.h"

#include <gtest/gtest.h>

namespace {

// A unit cube of 8 vertices and 12 faces, each side in a smoothing group of its own (or one group
// for all when `smooth`), faces wound outwards.
Mesh Cube(bool smooth) {
  Mesh mesh;
  mesh.setNumVerts(8);
  for (int i = 0; i < 8; ++i)
    mesh.setVert(i, Point3(float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)));
  const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  mesh.setNumFaces(12);
  for (int side = 0; side < 6; ++side) {
    const int* q = quads[side];
    DWORD group = smooth ? 1u : (1u << side);
    mesh.faces[side * 2].setVerts(q[0], q[1], q[2]);
    mesh.faces[side * 2 + 1].setVerts(q[0], q[2], q[3]);
    mesh.faces[side * 2].setSmGroup(group);
    mesh.faces[side * 2 + 1].setSmGroup(group);
  }
  return mesh;
}

}  // namespace

TEST(MeshNormals, OneNormalPerSmoothingGroupAtEachVertex) {
  Mesh mesh = Cube(false);
  mesh.checkNormals(TRUE);
  for (int v = 0; v < 8; ++v) {
    RVertex* rv = mesh.getRVertPtr(v);
    ASSERT_NE(rv, nullptr);
    EXPECT_EQ(rv->rFlags & NORCT_MASK, 3u) << "three sides meet at every corner";
  }
  EXPECT_EQ(mesh.getFaceNormal(0), Point3(0, 0, -1));

  Mesh smooth = Cube(true);
  smooth.checkNormals(TRUE);
  RVertex* corner = smooth.getRVertPtr(7);
  ASSERT_EQ(corner->rFlags & NORCT_MASK, 1u);
  float k = 1.0f / std::sqrt(3.0f);
  EXPECT_NEAR(corner->rn.normal.x, k, 1e-6f);
  EXPECT_NEAR(corner->rn.normal.y, k, 1e-6f);
  EXPECT_NEAR(corner->rn.normal.z, k, 1e-6f);
}

TEST(MeshNormals, AFaceSharingTwoGroupsJoinsTheirNormals) {
  // Three faces around vertex 0: groups 1, 2 and then 3 (= 1|2), which bridges the first two.
  Mesh mesh;
  mesh.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  mesh.setNumFaces(3);
  mesh.faces[0].setVerts(0, 1, 2);
  mesh.faces[0].setSmGroup(1);
  mesh.faces[1].setVerts(0, 2, 3);
  mesh.faces[1].setSmGroup(2);
  mesh.checkNormals(TRUE);
  EXPECT_EQ(mesh.getRVertPtr(0)->rFlags & NORCT_MASK, 2u);
  mesh.faces[2].setVerts(0, 3, 1);
  mesh.faces[2].setSmGroup(3);
  mesh.buildNormals();
  EXPECT_EQ(mesh.getRVertPtr(0)->rFlags & NORCT_MASK, 1u);
  // A face in no group adds nothing to the vertex normals.
  mesh.faces[2].setSmGroup(0);
  mesh.buildNormals();
  EXPECT_EQ(mesh.getRVertPtr(1)->rFlags & NORCT_MASK, 1u);
}

TEST(MeshNormals, DegenerateFacesGiveZeroNotNaN) {
  Mesh mesh;
  mesh.verts = {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}};
  mesh.setNumFaces(1);
  mesh.faces[0].setVerts(0, 1, 2);
  mesh.faces[0].setSmGroup(1);
  mesh.buildNormals();
  EXPECT_EQ(mesh.getFaceNormal(0), Point3(0, 0, 0));
  EXPECT_EQ(mesh.getRVertPtr(2)->rn.normal, Point3(0, 0, 0));
}

TEST(MeshSpecifiedNormals, UnspecifiedCornersTakeTheSmoothingNormals) {
  Mesh mesh = Cube(false);
  EXPECT_EQ(mesh.GetSpecifiedNormals(), nullptr);
  MeshNormalSpec& spec = mesh.SpecifyNormals();
  spec.SetNormalId(0, 0, spec.AddNormal({0, 1, 0}));
  spec.CheckNormals();
  EXPECT_EQ(spec.GetNormal(0, 0), Point3(0, 1, 0));
  EXPECT_EQ(spec.GetNormal(0, 1), Point3(0, 0, -1));
  EXPECT_EQ(spec.GetNormal(12, 0), Point3()) << "out of range";
  // A copy carries its own specified normals.
  Mesh copy;
  copy.DeepCopy(&mesh, ALL_CHANNELS);
  ASSERT_NE(copy.GetSpecifiedNormals(), nullptr);
  EXPECT_EQ(copy.GetSpecifiedNormals()->GetNumFaces(), 12);
}

// The smoothing-group normals cost more memory than the mesh's faces: a mesh whose every corner
// is specified must not build them, and one missing corner must.
TEST(MeshSpecifiedNormals, SmoothingNormalsAreBuiltOnlyForMissingCorners) {
  Mesh mesh = Cube(false);
  MeshNormalSpec& spec = mesh.SpecifyNormals();
  int up = spec.AddNormal({0, 0, 1});
  for (int face = 0; face < mesh.getNumFaces(); ++face)
    for (int corner = 0; corner < 3; ++corner) spec.SetNormalId(face, corner, up);
  spec.BuildNormals();
  EXPECT_EQ(mesh.getRVertPtr(0), nullptr) << "every corner specified: nothing built";
  EXPECT_EQ(spec.GetNumNormals(), 1);

  spec.SetNormalId(0, 1, -1);
  spec.BuildNormals();
  EXPECT_NE(mesh.getRVertPtr(0), nullptr);
  EXPECT_EQ(spec.GetNormal(0, 1), Point3(0, 0, -1));
  EXPECT_EQ(spec.GetNormal(0, 0), Point3(0, 0, 1));
}

TEST(MeshMaps, ChannelsFromAlphaTo99) {
  Mesh mesh = Cube(false);
  EXPECT_FALSE(mesh.mapSupport(1));
  EXPECT_EQ(mesh.mapVerts(1), nullptr);
  mesh.setMapSupport(1);
  mesh.setNumMapVerts(1, 4);
  ASSERT_NE(mesh.mapFaces(1), nullptr);
  EXPECT_EQ(mesh.getNumMapVerts(1), 4);
  mesh.setMapSupport(MAP_ALPHA);
  EXPECT_TRUE(mesh.mapSupport(-2));
  EXPECT_FALSE(mesh.mapSupport(-3));
  EXPECT_FALSE(mesh.mapSupport(100));
  mesh.setMapSupport(100);  // out of range: ignored
  EXPECT_EQ(mesh.getNumVertCol(), 0);
}
