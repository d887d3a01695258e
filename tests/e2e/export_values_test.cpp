// Exported meshes as Assimp reads them carry the values our reader sees in the same file.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "host/sim/scene_file/scene_loader.h"
#include "module_export.h"
#include "platform/host_path.h"
#include "xof/file_reader.h"
#include "xof/template_model.h"

namespace {

struct OurMesh {
  std::vector<float> positions;  // x y z per vertex
  std::vector<std::uint32_t> indices;
  std::vector<float> normals;
  std::vector<float> uvs;     // the first texture-coordinate record
  std::vector<float> colors;  // r g b a per vertex
};

std::uint32_t Dword(const xof::DataBlock& data, std::size_t& at) {
  std::uint32_t v;
  std::memcpy(&v, data.data() + at, 4);
  at += 4;
  return v;
}

float Float(const xof::DataBlock& data, std::size_t& at) {
  float v;
  std::memcpy(&v, data.data() + at, 4);
  at += 4;
  return v;
}

void Collect(const xof::DataObject& object, std::map<std::string, OurMesh>& meshes) {
  if (object.type->name == "Mesh") {
    OurMesh& mesh = meshes[object.name];
    std::size_t at = 0;
    std::uint32_t n = Dword(object.data, at);
    for (std::uint32_t i = 0; i < 3 * n; ++i) mesh.positions.push_back(Float(object.data, at));
    std::uint32_t faces = Dword(object.data, at);
    for (std::uint32_t f = 0; f < faces; ++f) {
      Dword(object.data, at);
      for (int k = 0; k < 3; ++k) mesh.indices.push_back(Dword(object.data, at));
    }
    for (const auto& child : object.children) {
      if (!child.object) continue;
      const xof::DataObject& c = *child.object;
      std::size_t p = 0;
      if (c.type->name == "MeshNormals") {
        std::uint32_t count = Dword(c.data, p);
        for (std::uint32_t i = 0; i < 3 * count; ++i) mesh.normals.push_back(Float(c.data, p));
      } else if (c.type->name == "MeshTextureCoords" && mesh.uvs.empty()) {
        std::uint32_t count = Dword(c.data, p);
        for (std::uint32_t i = 0; i < 2 * count; ++i) mesh.uvs.push_back(Float(c.data, p));
      } else if (c.type->name == "MeshVertexColors") {
        std::uint32_t count = Dword(c.data, p);
        mesh.colors.resize(4 * count);
        for (std::uint32_t i = 0; i < count; ++i) {
          std::uint32_t index = Dword(c.data, p);
          for (int k = 0; k < 4; ++k) mesh.colors[4 * index + k] = Float(c.data, p);
        }
      }
    }
  }
  for (const auto& child : object.children)
    if (child.object) Collect(*child.object, meshes);
}

}  // namespace

TEST(ExportValues, AssimpReadsWhatOurReaderReads) {
  ModuleExport run("values", "XFileType=1\r\nVertexColor=1\r\n");
  auto scene =
      sim::LoadSceneFile(std::filesystem::path(RUV_SOURCE_DIR) / "examples" / "meshes.json");
  std::filesystem::path output = run.Export(*scene, "meshes.x");

  xof::ReadResult ours = xof::ReadXFileAt(output);
  ASSERT_TRUE(ours.ok()) << ours.Describe();
  std::map<std::string, OurMesh> meshes;
  for (const auto& object : ours.document->objects) Collect(*object, meshes);
  ASSERT_EQ(meshes.size(), 5u);

  Assimp::Importer importer;
  const aiScene* imported = importer.ReadFile(output.string(), 0);
  ASSERT_NE(imported, nullptr) << importer.GetErrorString();
  for (unsigned m = 0; m < imported->mNumMeshes; ++m) {
    const aiMesh* theirs = imported->mMeshes[m];
    const aiNode* owner = nullptr;
    for (unsigned c = 0; c < imported->mRootNode->mNumChildren && !owner; ++c) {
      const aiNode* node = imported->mRootNode->mChildren[c];
      for (unsigned k = 0; k < node->mNumMeshes; ++k)
        if (node->mMeshes[k] == m) owner = node;
    }
    ASSERT_NE(owner, nullptr);
    const OurMesh& mine = meshes.at(owner->mName.C_Str());
    SCOPED_TRACE(owner->mName.C_Str());
    ASSERT_EQ(theirs->mNumFaces * 3, mine.indices.size());
    // Assimp gives every corner its own vertex, turns z around for its right-handed space and
    // reverses the winding to match: face f corner k is our face f corner 2 - k.
    for (unsigned f = 0; f < theirs->mNumFaces; ++f) {
      for (unsigned k = 0; k < 3; ++k) {
        unsigned a = theirs->mFaces[f].mIndices[k];
        std::uint32_t v = mine.indices[3 * f + 2 - k];
        EXPECT_FLOAT_EQ(theirs->mVertices[a].x, mine.positions[3 * v]);
        EXPECT_FLOAT_EQ(theirs->mVertices[a].y, mine.positions[3 * v + 1]);
        EXPECT_FLOAT_EQ(theirs->mVertices[a].z, -mine.positions[3 * v + 2]);
        ASSERT_TRUE(theirs->HasNormals());
        EXPECT_FLOAT_EQ(theirs->mNormals[a].z, -mine.normals[3 * v + 2]);
        if (!mine.uvs.empty()) {
          ASSERT_TRUE(theirs->HasTextureCoords(0));
          EXPECT_FLOAT_EQ(theirs->mTextureCoords[0][a].x, mine.uvs[2 * v]);
          EXPECT_FLOAT_EQ(theirs->mTextureCoords[0][a].y, 1.0f - mine.uvs[2 * v + 1]);
        }
        if (!mine.colors.empty()) {
          ASSERT_TRUE(theirs->HasVertexColors(0));
          EXPECT_FLOAT_EQ(theirs->mColors[0][a].r, mine.colors[4 * v]);
          EXPECT_FLOAT_EQ(theirs->mColors[0][a].a, mine.colors[4 * v + 3]);
        }
      }
    }
  }
}
