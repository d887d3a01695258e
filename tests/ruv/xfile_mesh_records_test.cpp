// Mesh records as the options shape them, read back with our reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <random>

#include "host/sim/mesh_builder.h"
#include "host/sim/mesh_primitives.h"
#include "host/sim/scene_builder.h"
#include "platform/host_path.h"
#include "ruv/core/conversion.h"
#include "ruv/core/export_context.h"
#include "ruv/core/xmesh_data.h"
#include "ruv/core/xnode.h"
#include "ruv/mesh/mesh_generation.h"
#include "ruv/options/export_options.h"
#include "ruv/xfile/mesh_records.h"
#include "ruv/xfile/x_file_writer.h"
#include "xof/file_reader.h"
#include "xof/template_model.h"

namespace {

class MeshRecordTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = gExportOptions;
    gExportOptions = ExportOptions{};
    gExportOptions.XFileType = 1;
    gExportOptions.Mtl = gExportOptions.Normal = gExportOptions.TexCoords = 1;
    gConversion = gConversionInverse = Matrix3();
    path_ = std::filesystem::temp_directory_path() /
            ("ruv-mesh-records-" + std::to_string(::getpid()) + ".x");
    sim::SceneBuilder builder;
    builder.Root().AddChild(L"Host").WireColor(0, 128, 255);
    scene_ = builder.Build();
  }
  void TearDown() override {
    gExportOptions = saved_;
    std::filesystem::remove(path_);
  }

  // Exports one processed mesh node holding `mesh` and returns the file's top-level objects.
  const xof::DataObjectList& Export(const Mesh& mesh) {
    context_ = std::make_unique<ExportContext>();
    context_->host = &scene_->Host();
    context_->progressNextAt = 1e30f;
    auto node = std::make_unique<XRenderableNode>();
    node->name = L"Panel";
    node->hostNode = scene_->FindNode(L"Host");
    node->processed = true;
    node->meshCopy = mesh;
    node->mesh = &node->meshCopy;
    EXPECT_TRUE(GenMeshData(context_.get(), node.get()));
    context_->topNodes.push_back(std::move(node));
    WriteXFile(context_.get(), platform::ToHostPath(path_));
    result_ = xof::ReadXFileAt(path_);
    EXPECT_TRUE(result_.ok()) << result_.Describe();
    return result_.document->objects;
  }

  static const xof::DataObject* Find(const xof::DataObject& parent, const char* templateName) {
    for (const auto& child : parent.children)
      if (child.object && child.object->type->name == templateName) return child.object.get();
    return nullptr;
  }
  static std::vector<const xof::DataObject*> All(const xof::DataObject& parent,
                                                 const char* templateName) {
    std::vector<const xof::DataObject*> found;
    for (const auto& child : parent.children)
      if (child.object && child.object->type->name == templateName)
        found.push_back(child.object.get());
    return found;
  }
  static std::uint32_t DwordAt(const xof::DataObject& object, std::size_t index) {
    std::uint32_t v;
    std::memcpy(&v, object.data.data() + 4 * index, 4);
    return v;
  }
  static float FloatAt(const xof::DataObject& object, std::size_t index) {
    float v;
    std::memcpy(&v, object.data.data() + 4 * index, 4);
    return v;
  }

  // A quad whose channels 1 and 2 hold the same coordinates.
  static Mesh Quad() {
    Mesh mesh =
        sim::MakeMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2}, {2, 3, 0}}, 1);
    sim::SetPlanarMap(mesh, 1);
    sim::CopyMapChannel(mesh, 1, 2);
    return mesh;
  }

  ExportOptions saved_;
  std::filesystem::path path_;
  std::unique_ptr<sim::SimScene> scene_;
  std::unique_ptr<ExportContext> context_;
  xof::ReadResult result_;
};

}  // namespace

TEST_F(MeshRecordTest, WireColourMaterialForANodeWithoutMaterials) {
  const xof::DataObject& frame = *Export(sim::MakeBoxMesh(2, 2, 2))[0];
  const xof::DataObject* mesh = Find(frame, "Mesh");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(DwordAt(*mesh, 0), 24u);
  const xof::DataObject* list = Find(*mesh, "MeshMaterialList");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(DwordAt(*list, 0), 1u);
  const xof::DataObject* material = Find(*list, "Material");
  ASSERT_NE(material, nullptr);
  EXPECT_EQ(FloatAt(*material, 0), 0.0f);
  EXPECT_NEAR(FloatAt(*material, 1), 0.50196f, 1e-5f);
  EXPECT_EQ(FloatAt(*material, 2), 1.0f);
  EXPECT_EQ(FloatAt(*material, 3), 1.0f);
  const xof::DataObject* normals = Find(*mesh, "MeshNormals");
  ASSERT_NE(normals, nullptr);
  EXPECT_EQ(DwordAt(*normals, 0), 24u);
}

TEST_F(MeshRecordTest, EqualChannelsWrittenOnceWhenOptimised) {
  const xof::DataObject* mesh = Find(*Export(Quad())[0], "Mesh");
  auto coords = All(*mesh, "MeshTextureCoords");
  ASSERT_EQ(coords.size(), 2u);
  EXPECT_EQ(coords[0]->name, "c1");
  EXPECT_EQ(coords[1]->name, "c2");
  gExportOptions.MultiTexCoordsOptimize = 1;
  mesh = Find(*Export(Quad())[0], "Mesh");
  coords = All(*mesh, "MeshTextureCoords");
  ASSERT_EQ(coords.size(), 1u);
  EXPECT_EQ(coords[0]->name, "c1");
}

TEST_F(MeshRecordTest, DeclDataPacksTheSelectedVertexValues) {
  gExportOptions.DeclData = 1;
  gExportOptions.Tangent = 1;
  Mesh quad =
      sim::MakeMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2}, {2, 3, 0}}, 1);
  sim::SetPlanarMap(quad, 1);
  const xof::DataObject* mesh = Find(*Export(quad)[0], "Mesh");
  EXPECT_EQ(Find(*mesh, "MeshNormals"), nullptr);
  EXPECT_EQ(Find(*mesh, "MeshTextureCoords"), nullptr);
  const xof::DataObject* decl = Find(*mesh, "DeclData");
  ASSERT_NE(decl, nullptr);
  ASSERT_EQ(DwordAt(*decl, 0), 3u);
  const std::uint32_t expected[3][4] = {{2, 0, 3, 0}, {2, 0, 6, 0}, {1, 0, 5, 0}};
  for (int e = 0; e < 3; ++e)
    for (int k = 0; k < 4; ++k) EXPECT_EQ(DwordAt(*decl, 1 + 4 * e + k), expected[e][k]);
  std::uint32_t vertices = DwordAt(*mesh, 0);
  EXPECT_EQ(DwordAt(*decl, 13), vertices * 8) << "normal 3 + tangent 3 + uv 2 per vertex";
  EXPECT_EQ(FloatAt(*decl, 14 + 2), 1.0f) << "the first vertex's normal is +Z";

  gExportOptions.Normal = gExportOptions.Tangent = gExportOptions.TexCoords = 0;
  mesh = Find(*Export(quad)[0], "Mesh");
  EXPECT_EQ(Find(*mesh, "DeclData"), nullptr) << "nothing selected: no record at all";
}

TEST_F(MeshRecordTest, StaticMeshInWorldSpaceHasNoFrame) {
  gExportOptions.WorldSpace = 1;
  gExportOptions.Animation = 0;
  const auto& objects = Export(Quad());
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0]->type->name, "Mesh");
  // With animation on it keeps an identity frame for its keys.
  gExportOptions.Animation = 1;
  const xof::DataObject& frame = *Export(Quad())[0];
  EXPECT_EQ(frame.type->name, "Frame");
  EXPECT_EQ(FloatAt(*Find(frame, "FrameTransformMatrix"), 0), 1.0f);
}

TEST_F(MeshRecordTest, NormalsRepeatTheMeshFacesAndTheWrittenMeshLetsGoOfItsArrays) {
  const xof::DataObject* mesh = Find(*Export(sim::MakeBoxMesh(2, 2, 2))[0], "Mesh");
  ASSERT_NE(mesh, nullptr);
  const xof::DataObject* normals = Find(*mesh, "MeshNormals");
  ASSERT_NE(normals, nullptr);
  // Both blocks end in the 12 faces, as count, then 3 and the corners.
  const std::size_t faceBytes = 4 + 16 * 12;
  ASSERT_EQ(mesh->data.size(), 4 + 12 * 24 + faceBytes);
  ASSERT_EQ(normals->data.size(), mesh->data.size());
  EXPECT_TRUE(
      std::equal(mesh->data.end() - faceBytes, mesh->data.end(), normals->data.end() - faceBytes));
  EXPECT_EQ(DwordAt(*normals, 1 + 3 * 24), 12u);
  EXPECT_EQ(DwordAt(*normals, 2 + 3 * 24), 3u);

  // The records were the last to read the generated arrays; what the materials still ask of the
  // mesh (its channels) stays.
  auto* node = static_cast<XRenderableNode*>(context_->topNodes[0].get());
  ASSERT_NE(node->meshData, nullptr);
  EXPECT_TRUE(node->meshData->positions.empty());
  EXPECT_TRUE(node->meshData->faces.empty());
  EXPECT_TRUE(node->meshData->vertices.empty());
  EXPECT_TRUE(node->meshData->texCoords.empty());
  EXPECT_FALSE(node->meshData->mapChannels.empty());
}

// Made in place from the faces and vertices they take, the Mesh and MeshNormals blocks are the
// bytes of the copying path, with more vertices than faces (the normals block is smaller than the
// vertices it is made in) and fewer.
TEST(MeshRecordsInPlaceTest, AreTheBytesOfTheCopyingPath) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> value(-10, 10);
  for (auto [positionCount, vertexCount, faceCount] :
       {std::array<int, 3>{4, 5, 100}, std::array<int, 3>{200, 300, 10},
        std::array<int, 3>{1, 1, 0}}) {
    XMeshData data;
    data.positions.resize(static_cast<std::size_t>(positionCount));
    for (XPosition& p : data.positions) p.position = Point3(value(random), value(random), 1);
    for (int v = 0; v < vertexCount; ++v) {
      XVertex vertex;
      vertex.positionIndex = static_cast<std::int32_t>(random() % positionCount);
      vertex.materialSlot = v % 3;
      vertex.normal = Point3(value(random), value(random), value(random));
      data.vertices.push_back(vertex);
    }
    for (int f = 0; f < faceCount; ++f) {
      XFace face;
      for (std::int32_t& corner : face.vertex)
        corner = static_cast<std::int32_t>(random() % vertexCount);
      face.materialSlot = f % 2;
      data.faces.push_back(face);
    }
    const XMeshData original = data;
    RecordBuffer copied = MeshRecord(original);
    RecordBuffer copiedNormals = MeshNormalsRecord(original, MeshRecordFaces(copied));

    RecordBuffer made = MeshRecordInPlace(data);
    EXPECT_TRUE(data.faces.empty());
    ASSERT_EQ(made.size(), copied.size());
    EXPECT_EQ(std::memcmp(made.data(), copied.data(), made.size()), 0) << vertexCount;
    RecordBuffer normals = TakeVerticesForNormals(data, MeshRecordFaces(made));
    EXPECT_TRUE(data.vertices.empty());
    FillNormalsInPlace(normals, original.vertices.size(), MeshRecordFaces(made));
    normals.Trim();
    ASSERT_EQ(normals.size(), copiedNormals.size());
    EXPECT_EQ(std::memcmp(normals.data(), copiedNormals.data(), normals.size()), 0) << vertexCount;
  }
}
