// Imported models exported through the module and read back by Assimp: the file holds the
// source's nodes, meshes, faces and at least its vertex positions, with its textures beside it.
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <fstream>
#include <set>

#include "import_test_support.h"
#include "module_export.h"

namespace {

namespace fs = std::filesystem;

struct Counts {
  std::size_t meshes = 0, faces = 0, vertices = 0, positions = 0;
  std::set<std::string> nodeNames;
  std::set<std::string> textures;
};

void CollectNames(const aiNode* node, std::set<std::string>& names) {
  std::vector<const aiNode*> pending{node};
  while (!pending.empty()) {
    const aiNode* next = pending.back();
    pending.pop_back();
    names.insert(next->mName.C_Str());
    for (unsigned i = 0; i < next->mNumChildren; ++i) pending.push_back(next->mChildren[i]);
  }
}

// What Assimp sees in `path`: triangles only, identical vertices joined.
Counts Read(const fs::path& path) {
  Assimp::Importer importer;
  const aiScene* scene =
      importer.ReadFile(path.string(), aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                           aiProcess_SortByPType);
  Counts counts;
  EXPECT_NE(scene, nullptr) << path << ": " << importer.GetErrorString();
  if (!scene) return counts;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh* mesh = scene->mMeshes[m];
    if (!(mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE)) continue;
    ++counts.meshes;
    counts.faces += mesh->mNumFaces;
    counts.vertices += mesh->mNumVertices;
    std::set<std::tuple<float, float, float>> distinct;
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
      distinct.insert({mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z});
    }
    counts.positions += distinct.size();
  }
  CollectNames(scene->mRootNode, counts.nodeNames);
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    aiString file;
    if (scene->mMaterials[i]->GetTexture(aiTextureType_DIFFUSE, 0, &file) == AI_SUCCESS) {
      counts.textures.insert(file.C_Str());
    }
  }
  return counts;
}

class ImportExport : public testing::TestWithParam<std::string> {};

TEST_P(ImportExport, AssimpReadsTheSourceCountsAndTheTexturesLieBeside) {
  fs::path source = GetParam();
  if (source.is_relative()) source = test::kModels / source;
  REQUIRE_ASSIMP_MODEL(source);
  for (int fileType : {0, 1}) {
    SCOPED_TRACE(fileType);
    ModuleExport exporter("import-" + std::to_string(fileType),
                          "XFileType=" + std::to_string(fileType) + "\r\nDummy=1\r\n");
    auto imported = test::Import(source, exporter.Folder());
    for (const auto& image : imported.images) {
      std::ofstream(exporter.Folder() / image.fileName, std::ios::binary)
          .write(reinterpret_cast<const char*>(image.bytes.data()),
                 static_cast<std::streamsize>(image.bytes.size()));
    }
    fs::path output = exporter.Export(*imported.scene, "model.x");
    ASSERT_TRUE(fs::exists(output));

    Counts expected = Read(source);
    Counts actual = Read(output);
    EXPECT_EQ(actual.meshes, expected.meshes);
    EXPECT_EQ(actual.faces, expected.faces);
    EXPECT_GE(actual.vertices, expected.positions);
    // Names Assimp makes up for nodes without one, and its root's, are not the file's.
    for (const std::string& name : expected.nodeNames) {
      bool madeUp = name.empty() || name[0] == '$' || name.find('[') != std::string::npos ||
                    name == "ROOT" || name == "RootNode" || name == source.filename().string();
      if (!madeUp) {
        EXPECT_TRUE(actual.nodeNames.count(name)) << "node " << name;
      }
    }
    EXPECT_EQ(actual.textures.size(), expected.textures.size());
    // Every texture the model holds or has beside it; the spider's lie on another machine.
    for (const std::string& texture : actual.textures) {
      bool known = fs::exists(source.parent_path() / texture) ||
                   std::any_of(imported.images.begin(), imported.images.end(),
                               [&](const auto& image) { return image.fileName == texture; });
      if (known) {
        EXPECT_TRUE(fs::exists(exporter.Folder() / texture)) << texture;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Models, ImportExport,
    testing::Values(
        "textured-box.gltf", "textured-box.glb", "two-primitives.gltf",
        "/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
        "/usr/share/assimp/models/FBX/spider.fbx",
        "/usr/share/assimp/models/FBX/embedded_ascii/box_embedded_texture_fragmented.fbx",
        "/usr/share/assimp/models/Collada/duck.dae", "/usr/share/assimp/models/OBJ/WusonOBJ.obj"));

}  // namespace
