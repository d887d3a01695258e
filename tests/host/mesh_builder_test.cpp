// Meshes made in code: a test's mistake is refused rather than handed to the exporter, a channel
// set twice holds only what it was given last, and planar mapping of a flat mesh stays finite.
#include "host/sim/mesh_builder.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "host/sim/mesh_primitives.h"

namespace {

Mesh Square() {
  return sim::MakeMesh({{0, 0, 0}, {2, 0, 0}, {2, 4, 0}, {0, 4, 0}}, {{0, 1, 2}, {2, 3, 0}}, 1);
}

TEST(MeshBuilder, MistakesAreRefusedAndLeaveTheChannelAsItWas) {
  Mesh mesh = Square();
  sim::SetPlanarMap(mesh, 1);
  EXPECT_THROW(sim::SetMapChannel(mesh, 100, {{0, 0, 0}}, {{0, 0, 0}, {0, 0, 0}}),
               std::invalid_argument);
  EXPECT_THROW(sim::SetMapChannel(mesh, 1, {{0, 0, 0}}, {{0, 0, 0}}), std::invalid_argument);
  EXPECT_THROW(sim::SetMapChannel(mesh, 1, {{0, 0, 0}}, {{0, 0, 0}, {0, 1, 0}}),
               std::invalid_argument);
  EXPECT_THROW(sim::SetVertexColors(mesh, {{1, 1, 1}}), std::invalid_argument);
  EXPECT_THROW(sim::CopyMapChannel(mesh, 5, 6), std::invalid_argument);
  EXPECT_THROW(sim::SetSpecifiedNormals(mesh, {{0, 0, 1}}, {{0, 0, 0}, {0, 1, 0}}),
               std::invalid_argument);
  EXPECT_THROW(sim::MakeMesh({{0, 0, 0}}, {{0, 0, 1}}), std::invalid_argument);
  EXPECT_EQ(mesh.getNumMapVerts(1), 4);
  EXPECT_EQ(mesh.mapVerts(1)[2], Point3(1, 1, 0));
  EXPECT_FALSE(mesh.mapSupport(6));
  EXPECT_EQ(mesh.GetSpecifiedNormals(), nullptr);
}

TEST(MeshBuilder, ChannelsSetAgainOrCopiedHoldOnlyTheirNewContents) {
  Mesh box = sim::MakeBoxMesh(2, 2, 2);
  sim::CopyMapChannel(box, 1, 2);
  // Channel 1 replaced by one map vertex per mesh vertex: the copy on 2 keeps the old mapping.
  sim::SetPlanarMap(box, 1);
  EXPECT_EQ(box.getNumMapVerts(1), 8);
  EXPECT_EQ(box.getNumMapVerts(2), 4);
  for (int f = 0; f < box.getNumFaces(); ++f) {
    for (int k = 0; k < 3; ++k) EXPECT_EQ(box.mapFaces(1)[f].t[k], box.faces[f].v[k]);
  }
  EXPECT_EQ(box.mapVerts(1)[6], Point3(1, 1, 0)) << "the top (+x, +y) corner";

  sim::SetVertexAlpha(box, {0, 0, 0, 0, 1, 1, 1, 0.25f});
  EXPECT_EQ(box.mapVerts(MAP_ALPHA)[7], Point3(0.25f, 0.25f, 0.25f));
}

TEST(MeshBuilder, PlanarMapOfAMeshWithoutExtentStaysFinite) {
  // A wall standing in the XZ plane has no extent along Y: v is 0, not 0 / 0.
  Mesh wall = sim::MakeMesh({{0, 0, 0}, {4, 0, 0}, {4, 0, 3}}, {{0, 1, 2}});
  sim::SetPlanarMap(wall, 3);
  EXPECT_EQ(wall.mapVerts(3)[1], Point3(1, 0, 0));
  EXPECT_EQ(wall.mapVerts(3)[2], Point3(1, 0, 0));
}

}  // namespace
