// Vertex generation on small meshes, each with a reason why its expected result is right.
#include "ruv/mesh/mesh_generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "host/sim/mesh_primitives.h"
#include "host/sim/scene_builder.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xmaterial.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/options/export_options.h"

namespace {

class MeshGenerationTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    gExportOptions = ExportOptions{};
    gExportOptions.Normal = 1;
    gConversion = Matrix3();
    gConversionInverse = Matrix3();
    sim::SceneBuilder builder;
    builder.Root().AddChild(L"Host");
    scene_ = builder.Build();
    context_.host = &scene_->Host();
    context_.progressNextAt = 1e30f;  // no bar moves in these tests
    node_.hostNode = scene_->FindNode(L"Host");
  }
  void TearDown() override { gExportOptions = saved_; }

  const XMeshData& Generate(Mesh mesh) {
    node_.meshCopy = std::move(mesh);
    node_.mesh = &node_.meshCopy;
    EXPECT_TRUE(GenMeshData(&context_, &node_));
    return *node_.meshData;
  }

  // A single triangle with channel 1 (and optionally 2) giving each corner the same coordinates.
  static Mesh Triangle(bool secondChannel = false, Point3 uv = {0.25f, 0.25f, 0}) {
    Mesh mesh;
    mesh.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.setNumFaces(1);
    mesh.faces[0].setVerts(0, 1, 2);
    mesh.faces[0].setSmGroup(1);
    for (int channel : secondChannel ? std::vector<int>{1, 2} : std::vector<int>{1}) {
      mesh.setMapSupport(channel);
      mesh.setNumMapVerts(channel, 3);
      mesh.mapVerts(channel)[0] = uv;
      mesh.mapVerts(channel)[1] = {1, 0, 0};
      mesh.mapVerts(channel)[2] = {0, 1, 0};
      mesh.mapFaces(channel)[0].setTVerts(0, 1, 2);
    }
    return mesh;
  }

  ExportOptions saved_;
  std::unique_ptr<sim::SimScene> scene_;
  ExportContext context_;
  XRenderableNode node_;
};

}  // namespace

TEST_F(MeshGenerationTest, BoxWithSixSmoothingGroupsGives24Vertices) {
  // Every host corner meets three sides of different groups: three normals, three output vertices.
  const XMeshData& data = Generate(sim::MakeBoxMesh(2, 2, 2));
  EXPECT_EQ(data.positionCount, 8);
  EXPECT_EQ(data.faceCount, 12);
  EXPECT_EQ(data.vertices.size(), 24u);
  for (std::size_t p = 0; p < data.positions.size(); ++p) {
    EXPECT_EQ(data.positions[p].vertexCount, 3);
    int chained = 0;
    for (std::int32_t v = data.positions[p].firstVertex; v >= 0;
         v = data.vertices[v].nextAtPosition) {
      EXPECT_EQ(data.vertices[v].positionIndex, static_cast<std::int32_t>(p))
          << "a position's chain holds its own vertices";
      ++chained;
    }
    EXPECT_EQ(chained, 3);
  }
  for (const XVertex& vertex : data.vertices) EXPECT_NEAR(vertex.normal.Length(), 1.0f, 1e-6f);
}

TEST_F(MeshGenerationTest, WithoutNormalsVerticesSplitOnlyByOtherAttributes) {
  gExportOptions.Normal = 0;
  const XMeshData& data = Generate(sim::MakeBoxMesh(2, 2, 2));
  EXPECT_EQ(data.vertices.size(), 8u);
  for (const XVertex& vertex : data.vertices) EXPECT_EQ(vertex.normal, Point3());
}

TEST_F(MeshGenerationTest, HostVerticesAreNeverMergedAndFacesNeverDropped) {
  Mesh mesh;
  mesh.verts = {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}};
  mesh.setNumFaces(2);
  mesh.faces[0].setVerts(0, 1, 2);
  mesh.faces[1].setVerts(2, 2, 2);  // all corners on one vertex, equal attributes
  gExportOptions.Normal = 0;
  const XMeshData& data = Generate(mesh);
  EXPECT_EQ(data.vertices.size(), 3u) << "two host vertices at one place stay two";
  ASSERT_EQ(data.faces.size(), 2u);
  EXPECT_EQ(data.faces[1].vertex[0], data.faces[1].vertex[1]);
  EXPECT_EQ(data.faces[1].vertex[1], data.faces[1].vertex[2]);
}

TEST_F(MeshGenerationTest, AMirrorReversesTheWinding) {
  gExportOptions.Normal = 0;
  const XMeshData& plain = Generate(Triangle());
  std::vector<int> plainOrder;
  for (int v : plain.faces[0].vertex) plainOrder.push_back(plain.vertices[v].positionIndex);
  EXPECT_EQ(plainOrder, (std::vector<int>{0, 1, 2}));

  node_.objectTM = ScaleMatrix({-1, 1, 1});  // the mirror stays in the object matrix
  const XMeshData& mirrored = Generate(Triangle());
  std::vector<int> mirroredOrder;
  for (int v : mirrored.faces[0].vertex)
    mirroredOrder.push_back(mirrored.vertices[v].positionIndex);
  EXPECT_EQ(mirroredOrder, (std::vector<int>{0, 2, 1}));

  // The default conversion swaps two axes: a mirror of its own, so host order turns too.
  node_.objectTM = Matrix3();
  SetupConversion(1.0f, 0, 0.0f, 0.0f);
  const XMeshData& converted = Generate(Triangle());
  EXPECT_EQ(converted.vertices[converted.faces[0].vertex[1]].positionIndex, 2);
  EXPECT_EQ(converted.positions[1].position, Point3(1, 0, 0));
  EXPECT_EQ(converted.positions[2].position, Point3(0, 0, 1));
}

TEST_F(MeshGenerationTest, TextureCoordinatesAreFlippedInV) {
  gExportOptions.TexCoords = 1;
  const XMeshData& data = Generate(Triangle());
  ASSERT_EQ(data.mapChannels, (std::vector<std::int32_t>{1}));
  const XVertexAttributes& first = data.AttributesOf(data.faces[0].vertex[0]);
  ASSERT_EQ(first.texCoords.size(), 1u);
  EXPECT_EQ(first.texCoords[0], Point3(0.25f, 0.75f, 0));
}

TEST_F(MeshGenerationTest, EqualChannelsAliasOnlyWhenAsked) {
  gExportOptions.TexCoords = 1;
  const XMeshData& separate = Generate(Triangle(true));
  EXPECT_EQ(separate.channelAliases, (std::vector<std::int32_t>{0, 1}));
  gExportOptions.MultiTexCoordsOptimize = 1;
  const XMeshData& merged = Generate(Triangle(true));
  EXPECT_EQ(merged.mapChannels, (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(merged.channelAliases, (std::vector<std::int32_t>{0, 0}));
}

TEST_F(MeshGenerationTest, MaterialIdsWrapAroundTheMaterialList) {
  Mesh mesh = Triangle();
  mesh.faces[0].setMatID(7);
  for (int i = 0; i < 3; ++i) node_.materials.push_back(std::make_unique<XMaterial>());
  EXPECT_EQ(Generate(mesh).faces[0].materialSlot, 1) << "7 mod 3";
  node_.materials.resize(1);
  EXPECT_EQ(Generate(mesh).faces[0].materialSlot, 0) << "a single material takes every face";
  node_.materials.clear();
  const XMeshData& none = Generate(mesh);
  EXPECT_EQ(none.faces[0].materialSlot, 0);
  EXPECT_EQ(none.AttributesOf(0).materialSlot, -1);
}

TEST_F(MeshGenerationTest, ATextureSlotGivesItsTransformToItsChannel) {
  gExportOptions.TexCoords = 1;
  auto material = std::make_unique<XMaterial>();
  material->maps[0].mapChannel = 1;
  material->maps[0].uvTransform = Matrix2{{2, 0}, {0, 1}, {0, 0}};  // doubles u, keeps v
  material->maps[3].mapChannel = 1;  // a later slot on the same channel gives nothing
  material->maps[3].uvTransform = Matrix2{{5, 0}, {0, 5}, {0, 0}};
  node_.materials.push_back(std::move(material));
  const XMeshData& data = Generate(Triangle());
  EXPECT_EQ(data.AttributesOf(data.faces[0].vertex[0]).texCoords[0], Point3(0.5f, 0.25f, 0));
}

TEST_F(MeshGenerationTest, TangentFramesFollowTheTextureAxes) {
  gExportOptions.TexCoords = 1;
  gExportOptions.Tangent = 1;
  gExportOptions.BiTangent = 1;
  // After the V flip, u runs along +X and v along -Y; the binormal is then turned to follow the
  // normal (+Z), so every frame comes out as (+X, +Y, +Z).
  const XMeshData& data = Generate(Triangle(false, {0, 0, 0}));
  ASSERT_EQ(data.tangents.size(), data.vertices.size());
  for (std::size_t v = 0; v < data.vertices.size(); ++v) {
    EXPECT_NEAR(data.Tangent(v).x, 1, 1e-6f);
    EXPECT_NEAR(data.Binormal(v).y, 1, 1e-6f);
    const Point3& n = data.vertices[v].normal;
    EXPECT_NEAR(DotProd(CrossProd(data.Tangent(v), data.Binormal(v)), n), 1.0f, 1e-5f);
  }
}

TEST_F(MeshGenerationTest, DegenerateFacesAddNoNotANumber) {
  gExportOptions.TexCoords = 1;
  gExportOptions.Tangent = 1;
  Mesh mesh = Triangle();
  mesh.verts[1] = mesh.verts[0];  // a zero-length edge
  const XMeshData& data = Generate(mesh);
  for (std::size_t v = 0; v < data.vertices.size(); ++v) {
    EXPECT_FALSE(std::isnan(data.Tangent(v).x) || std::isnan(data.Binormal(v).x));
  }
}

TEST_F(MeshGenerationTest, VertexColoursAndAlphaOnlyForMeshNodesWithTheOption) {
  Mesh mesh = Triangle();
  mesh.setMapSupport(0);
  mesh.setNumMapVerts(0, 1);
  mesh.mapVerts(0)[0] = {1, 0, 0};
  mesh.mapFaces(0)[0].setTVerts(0, 0, 0);
  mesh.setMapSupport(MAP_ALPHA);
  mesh.setNumMapVerts(MAP_ALPHA, 1);
  mesh.mapVerts(MAP_ALPHA)[0] = {0.5f, 0, 0};
  mesh.mapFaces(MAP_ALPHA)[0].setTVerts(0, 0, 0);
  const XMeshData& off = Generate(mesh);
  EXPECT_EQ(off.AttributesOf(0).color, Point3(1, 1, 1));
  gExportOptions.VertexColor = 1;
  const XMeshData& on = Generate(mesh);
  EXPECT_TRUE(on.hasVertexColors);
  EXPECT_TRUE(on.hasVertexAlpha);
  EXPECT_EQ(on.AttributesOf(0).color, Point3(1, 0, 0));
  EXPECT_EQ(on.AttributesOf(0).alpha, 0.5f);
  node_.isBone = 1;
  EXPECT_FALSE(Generate(mesh).hasVertexColors) << "a bone's geometry carries no colours";
}

// A host (or an importer) may hand indices the scene loader never saw: the generation skips what
// is out of range, says so, and goes on.
TEST_F(MeshGenerationTest, HostIndicesPastTheirArraysAreSkipped) {
  gExportOptions.TexCoords = 1;
  Mesh mesh = Triangle();
  mesh.setNumFaces(4);
  mesh.faces[1].setVerts(0, 1, 3);            // one past the vertices
  mesh.faces[2].setVerts(0, 0x80000000u, 2);  // negative when read as signed
  mesh.faces[3].setVerts(2, 1, 0);  // fine, but its map face lies past the channel's faces
  mesh.mapFaces(1)[0].setTVerts(0, 0x80000001u, 2);
  node_.name = L"Odd";
  const XMeshData& data = Generate(std::move(mesh));
  ASSERT_EQ(data.faceCount, 2);
  EXPECT_EQ(data.faces.size(), 2u);
  for (const XVertex& vertex : data.vertices) EXPECT_LT(vertex.positionIndex, 3);
  // The corner with the bad map index reads as zero; the face past the channel's faces too.
  EXPECT_EQ(data.AttributesOf(data.faces[0].vertex[1]).texCoords[0].x, 0.0f);
  ASSERT_EQ(context_.refusedRecords.size(), 1u);
  EXPECT_EQ(context_.refusedRecords[0].node, L"Odd");
  EXPECT_EQ(context_.refusedRecords[0].record, L"2 faces of the mesh");
}

// A node scaled to nothing on one axis: its frame flattens the mesh, the mesh itself keeps its
// shape, and in world space (where the mesh is flat) the top and bottom keep normals off the flat
// side while the sides, which have no area left, get no direction rather than not-a-number.
TEST_F(MeshGenerationTest, AFlatNodeKeepsItsGeometryAndSensibleNormals) {
  node_.nodeTM = ScaleMatrix({1, 1, 0});
  node_.objectTM = node_.nodeTM;
  const XMeshData& local = Generate(sim::MakeBoxMesh(2, 2, 2));
  float extent = 0;
  for (const XPosition& p : local.positions) extent = std::max(extent, std::fabs(p.position.z));
  EXPECT_EQ(extent, 2.0f) << "vertices in node space, not collapsed to the origin";
  for (const XVertex& vertex : local.vertices) {
    EXPECT_NEAR(vertex.normal.Length(), 1.0f, 1e-6f);
  }

  // The object offset still applies, taken from the host rather than from the flat matrix.
  sim::SceneBuilder pivoted;
  pivoted.Root().AddChild(L"Pivoted").Pivot(Point3(0, 0, 3));
  auto scene = pivoted.Build();
  node_.hostNode = scene->FindNode(L"Pivoted");
  const XMeshData& moved = Generate(sim::MakeBoxMesh(2, 2, 2));
  float top = 0;
  for (const XPosition& p : moved.positions) top = std::max(top, p.position.z);
  EXPECT_NEAR(top, 5.0f, 1e-5f);

  gExportOptions.WorldSpace = 1;
  const XMeshData& world = Generate(sim::MakeBoxMesh(2, 2, 2));
  int offTheFlatSide = 0;
  for (const XVertex& vertex : world.vertices) {
    Point3 normal = vertex.normal;
    EXPECT_TRUE(std::isfinite(normal.x) && std::isfinite(normal.y) && std::isfinite(normal.z));
    offTheFlatSide += std::fabs(normal.z) > 0.999f ? 1 : 0;
  }
  EXPECT_EQ(offTheFlatSide, 8) << "the four corners of the top and of the bottom";
}
