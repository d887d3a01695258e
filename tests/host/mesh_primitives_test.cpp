// The parametric objects' meshes: closed, wound outwards, with the documented sides, materials,
// smoothing groups and mapping, since the exporter's normals, material slots and tangent frames are
// checked against them.
#include "host/sim/mesh_primitives.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Channel 1 is the only channel; every map face names map vertices that exist and winds
// counter-clockwise in (u, v) as its face does from outside, so tangent frames come out
// right-handed. Returns the widest u span of one map face.
float ExpectMappingWoundLikeTheFaces(Mesh& mesh) {
  for (int channel = -NUM_HIDDENMAPS; channel < MAX_MESHMAPS; ++channel) {
    EXPECT_EQ(mesh.mapSupport(channel), channel == 1) << "channel " << channel;
  }
  const UVVert* uv = mesh.mapVerts(1);
  const TVFace* faces = mesh.mapFaces(1);
  float widest = 0;
  for (int f = 0; f < mesh.getNumFaces(); ++f) {
    for (DWORD t : faces[f].t) EXPECT_LT(static_cast<int>(t), mesh.getNumMapVerts(1));
    const UVVert &a = uv[faces[f].t[0]], &b = uv[faces[f].t[1]], &c = uv[faces[f].t[2]];
    EXPECT_GT(CrossProd(b - a, c - a).z, 0.0f) << "map face " << f;
    widest = std::max({widest, std::fabs(b.x - a.x), std::fabs(c.x - a.x), std::fabs(c.x - b.x)});
  }
  return widest;
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
  ExpectMappingWoundLikeTheFaces(box);
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

    // No face wraps around the seam from u near 1 back to u near 0.
    float widest = ExpectMappingWoundLikeTheFaces(sphere);
    EXPECT_LE(widest, 1.0f / static_cast<float>(segments) + 1e-6f);
    for (int i = 0; i < sphere.getNumMapVerts(1); ++i) {
      const UVVert& t = sphere.mapVerts(1)[i];
      EXPECT_TRUE(t.x >= 0 && t.x <= 1 && t.y >= 0 && t.y <= 1 && t.z == 0);
    }
  }
  // 16 segments: 8 bands, 7 rings of 16 between the poles.
  EXPECT_EQ(sim::SphereVertexCount(16), 2 + 7 * 16);
}

}  // namespace
