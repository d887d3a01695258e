// The host core's patch tessellation and the mesh's edge adjacency.
#include <gtest/gtest.h>

#include "host/mesh_adjacency.h"
#include "host/sim/core/patch_conversion.h"
#include "host/sim/mesh_builder.h"

namespace {

PatchMesh TwoQuads() {
  PatchMesh patches;
  for (Point3 p : {Point3(0, 0, 0), Point3(1, 0, 0), Point3(2, 0, 0), Point3(2, 1, 0),
                   Point3(1, 1, 0), Point3(0, 1, 0)})
    patches.verts.push_back({p});
  patches.patches = {{PATCH_QUAD, {0, 1, 4, 5}}, {PATCH_QUAD, {1, 2, 3, 4}}};
  return patches;
}

}  // namespace

// Patch vertices come first and in place; the edge the quads share is split once, so the mesh
// has no crack; each triangle names its patch.
TEST(PatchTessellation, QuadsShareTheirEdgePoints) {
  PatchMesh patches = TwoQuads();
  Mesh mesh;
  std::vector<int> mapping;
  ASSERT_TRUE(TessellatePatchMesh(&patches, &mesh, &mapping, 0));
  ASSERT_EQ(mesh.getNumVerts(), 6 + 7 + 2);
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(mesh.verts[static_cast<std::size_t>(k)],
              patches.verts[static_cast<std::size_t>(k)].p);
  EXPECT_EQ(mesh.getNumFaces(), 16);
  ASSERT_EQ(mapping.size(), 16u);
  EXPECT_EQ(mapping.front(), 0);
  EXPECT_EQ(mapping.back(), 1);
  int atSharedMidpoint = 0;
  for (const Point3& p : mesh.verts) atSharedMidpoint += p == Point3(1, 0.5f, 0);
  EXPECT_EQ(atSharedMidpoint, 1);
}

TEST(PatchTessellation, PatchesNamingMissingVerticesAreLeftOut) {
  PatchMesh patches = TwoQuads();
  patches.patches.push_back({PATCH_TRI, {0, 1, 9, 0}});
  Mesh mesh;
  std::vector<int> mapping;
  ASSERT_TRUE(TessellatePatchMesh(&patches, &mesh, &mapping, 0));
  EXPECT_EQ(mesh.getNumFaces(), 16);
  EXPECT_FALSE(TessellatePatchMesh(&patches, nullptr, &mapping, 0));
}

// Shared edges are listed once with both faces; faces naming missing vertices add nothing.
TEST(MeshAdjacency, EdgesAndTheirFaces) {
  Mesh mesh = sim::MakeMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2}, {2, 3, 0}});
  mesh.faces.push_back(mesh.faces[0]);
  mesh.faces.back().setVerts(0, 1, 7);
  AdjEdgeList adjacency(mesh);
  ASSERT_EQ(adjacency.NumEdges(), 5);
  const MEdge& diagonal = adjacency.edges[2];
  EXPECT_EQ(diagonal.v[0], 0u);
  EXPECT_EQ(diagonal.v[1], 2u);
  EXPECT_EQ(diagonal.f[0], 0);
  EXPECT_EQ(diagonal.f[1], 1);
  EXPECT_EQ(adjacency.list[0].size(), 3u);
  EXPECT_EQ(adjacency.list[1].size(), 2u);
  EXPECT_EQ(diagonal.OtherVert(2), 0u);
}
