// The parametric objects' meshes: closed, wound outwards, with the documented sides, materials and
// smoothing groups, since the exporter's normals and material slots are checked against them.
#include "host/sim/mesh_primitives.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

namespace {

Point3 FaceNormal(const Mesh& mesh, const Face& face) {
  const Point3& a = mesh.getVert(static_cast<int>(face.v[0]));
  return CrossProd(mesh.getVert(static_cast<int>(face.v[1])) - a,
                   mesh.getVert(static_cast<int>(face.v[2])) - a);
}

Point3 FaceCentre(const Mesh& mesh, const Face& face) {
  Point3 sum;
  for (DWORD v : face.v) sum += mesh.getVert(static_cast<int>(v));
  return sum / 3.0f;
}

// Every edge is used once in each direction (a closed surface, consistently wound), and every
// face's normal points away from `centre`, so the winding is outwards, not inwards.
void ExpectClosedAndOutward(const Mesh& mesh, const Point3& centre) {
  std::map<std::pair<DWORD, DWORD>, int> edges;
  for (const Face& face : mesh.faces) {
    for (int k = 0; k < 3; ++k) ++edges[{face.v[k], face.v[(k + 1) % 3]}];
    EXPECT_GT(DotProd(FaceNormal(mesh, face), FaceCentre(mesh, face) - centre), 0.0f);
  }
  for (const auto& [edge, count] : edges) {
    EXPECT_EQ(count, 1);
    EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
  }
}

TEST(MeshPrimitives, BoxHasSixSidesWithTheirOwnMaterialAndSmoothingGroup) {
  Mesh box = sim::MakeBoxMesh(4, 2, 3);  // length Y 4, width X 2, height Z 3
  ASSERT_EQ(box.getNumVerts(), 8);
  ASSERT_EQ(box.getNumFaces(), 12);
  EXPECT_EQ(box.getVert(0), Point3(-1, -2, 0));
  EXPECT_EQ(box.getVert(6), Point3(1, 2, 3));
  ExpectClosedAndOutward(box, {0, 0, 1.5f});

  // Side i: faces 2i and 2i+1, material i, group bit i, facing the documented direction.
  const Point3 facing[6] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
  for (int side = 0; side < 6; ++side) {
    for (int f = 2 * side; f < 2 * side + 2; ++f) {
      const Face& face = box.faces[static_cast<std::size_t>(f)];
      EXPECT_EQ(face.getMatID(), side);
      EXPECT_EQ(face.getSmGroup(), 1u << side);
      EXPECT_GT(DotProd(FaceNormal(box, face), facing[side]), 0.0f) << "face " << f;
    }
  }
}

TEST(MeshPrimitives, SphereIsClosedWithEveryVertexOnTheSurface) {
  for (int segments : {3, 4, 7, 16}) {
    SCOPED_TRACE(segments);
    Mesh sphere = sim::MakeSphereMesh(2, segments);
    ASSERT_EQ(sphere.getNumVerts(), sim::SphereVertexCount(segments));
    ASSERT_EQ(sphere.getNumFaces(), sim::SphereFaceCount(segments));
    ExpectClosedAndOutward(sphere, {});
    std::set<DWORD> used;
    for (const Face& face : sphere.faces) {
      used.insert(face.v, face.v + 3);
      EXPECT_EQ(face.getSmGroup(), 1u);
    }
    EXPECT_EQ(used.size(), static_cast<std::size_t>(sphere.getNumVerts()));
    for (const Point3& p : sphere.verts) EXPECT_NEAR(p.Length(), 2.0f, 1e-5);
    EXPECT_EQ(sphere.getVert(0), Point3(0, 0, 2));
  }
  // 16 segments: 8 bands, 7 rings of 16 between the poles.
  EXPECT_EQ(sim::SphereVertexCount(16), 2 + 7 * 16);
}

}  // namespace
