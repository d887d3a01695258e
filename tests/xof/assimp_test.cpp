// Files we write, loaded by an independent reader: Assimp must see the same frames, meshes,
// counts, materials, bones and animation channels, in every encoding.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "exporter_scene.h"
#include "test_support.h"
#include "xof/document_printer.h"
#include "xof/document_writer.h"
#include "xof/template_ids.h"

namespace xof::test {
namespace {

struct Counts {
  std::size_t nodes = 0, meshes = 0, vertices = 0, faces = 0, bones = 0, animations = 0,
              channels = 0;
  std::set<std::string> materials;
  friend bool operator==(const Counts&, const Counts&) = default;
};

void CountNodes(const aiNode* node, Counts& counts) {
  ++counts.nodes;
  for (unsigned i = 0; i < node->mNumChildren; ++i) CountNodes(node->mChildren[i], counts);
}

Counts CountScene(const aiScene* scene) {
  Counts counts;
  CountNodes(scene->mRootNode, counts);
  counts.meshes = scene->mNumMeshes;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
    counts.vertices += scene->mMeshes[i]->mNumVertices;
    counts.faces += scene->mMeshes[i]->mNumFaces;
    counts.bones += scene->mMeshes[i]->mNumBones;
  }
  for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
    counts.materials.insert(scene->mMaterials[i]->GetName().C_Str());
  }
  counts.animations = scene->mNumAnimations;
  for (unsigned i = 0; i < scene->mNumAnimations; ++i)
    counts.channels += scene->mAnimations[i]->mNumChannels;
  return counts;
}

const aiScene* Load(Assimp::Importer& importer, const std::string& bytes) {
  const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), 0, "x");
  EXPECT_NE(scene, nullptr) << importer.GetErrorString();
  return scene;
}

std::string SaveScene(DWORD format) {
  XofPtr<XFile> file;
  file.Reset();
  *(&file) = NewRegisteredFile();
  XofPtr<SaveObject> save;
  EXPECT_EQ(file->CreateMemorySaveObject(format, &save), S_OK);
  AddExporterScene(*save.get());
  EXPECT_EQ(save->Save(), S_OK) << save->LastError();
  return save->savedBytes();
}

const aiNode* Find(const aiNode* node, const char* name) {
  if (std::string(node->mName.C_Str()) == name) return node;
  for (unsigned i = 0; i < node->mNumChildren; ++i) {
    if (const aiNode* found = Find(node->mChildren[i], name)) return found;
  }
  return nullptr;
}

TEST(Assimp, EveryTemplateTheExporterWritesLoadsInEachEncoding) {
  for (DWORD format : {kFileFormatText, kFileFormatBinary, kFileFormatCompressed, DWORD{3}}) {
    SCOPED_TRACE(format);
    std::string bytes = SaveScene(format);
    Assimp::Importer importer;
    const aiScene* scene = Load(importer, bytes);
    ASSERT_NE(scene, nullptr);

    for (const char* frame : {"Root", "BodyFrame", "PlainFrame", "Bone1", "Bone2"}) {
      EXPECT_NE(Find(scene->mRootNode, frame), nullptr) << frame;
    }
    const aiNode* body = Find(scene->mRootNode, "BodyFrame");
    ASSERT_NE(body, nullptr);
    EXPECT_FLOAT_EQ(body->mTransformation.a4, 10);
    // Assimp turns the left-handed .x space into its right-handed one by negating z.
    EXPECT_FLOAT_EQ(body->mTransformation.c4, -30);

    // Assimp splits meshes by material: the quad's two faces use two materials.
    Counts counts = CountScene(scene);
    EXPECT_EQ(counts.meshes, 3u);
    EXPECT_EQ(counts.faces, 3u);
    EXPECT_EQ(counts.vertices, 9u);
    EXPECT_TRUE(counts.materials.count("Shared")) << "materials: " << counts.materials.size();
    EXPECT_TRUE(counts.materials.count("Red"));

    bool sawWeightedBone = false;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
      const aiMesh* mesh = scene->mMeshes[m];
      for (unsigned b = 0; b < mesh->mNumBones; ++b) {
        if (std::string(mesh->mBones[b]->mName.C_Str()) == "Bone1" &&
            mesh->mBones[b]->mNumWeights > 0) {
          sawWeightedBone = true;
          EXPECT_FLOAT_EQ(mesh->mBones[b]->mOffsetMatrix.b4, -1);
        }
      }
      if (mesh->mNumFaces == 1 && mesh->HasTextureCoords(0)) {
        EXPECT_TRUE(mesh->HasVertexColors(0));
        EXPECT_TRUE(mesh->HasNormals());
      }
    }
    EXPECT_TRUE(sawWeightedBone);

    ASSERT_EQ(scene->mNumAnimations, 1u);
    const aiAnimation* walk = scene->mAnimations[0];
    EXPECT_STREQ(walk->mName.C_Str(), "Walk");
    EXPECT_DOUBLE_EQ(walk->mTicksPerSecond, 4800);
    ASSERT_EQ(walk->mNumChannels, 2u);
    EXPECT_STREQ(walk->mChannels[0]->mNodeName.C_Str(), "Bone1");
    EXPECT_EQ(walk->mChannels[0]->mNumScalingKeys, 2u);
    EXPECT_EQ(walk->mChannels[0]->mNumRotationKeys, 2u);
    EXPECT_EQ(walk->mChannels[0]->mNumPositionKeys, 2u);
    EXPECT_FLOAT_EQ(walk->mChannels[0]->mPositionKeys[1].mValue.y, 2);
    EXPECT_STREQ(walk->mChannels[1]->mNodeName.C_Str(), "Bone2");
    EXPECT_EQ(walk->mChannels[1]->mNumPositionKeys, 1u);
  }
}

// A mesh of many MSZIP blocks, deflated on several threads in several runs: Assimp, which
// inflates each block with the previous one as history, sees every vertex and face.
TEST(Assimp, ReadsALargeCompressedMesh) {
  constexpr std::uint32_t kSide = 300, kVertices = kSide * kSide;
  Block mesh;
  mesh.Dword(kVertices);
  for (std::uint32_t v = 0; v < kVertices; ++v)
    mesh.Floats({static_cast<float>(v % kSide), static_cast<float>(v / kSide), 0.5f * (v % 7)});
  std::uint32_t faces = 2 * (kSide - 1) * (kSide - 1);
  mesh.Dword(faces);
  for (std::uint32_t y = 0; y + 1 < kSide; ++y) {
    for (std::uint32_t x = 0; x + 1 < kSide; ++x) {
      std::uint32_t v = y * kSide + x;
      mesh.Dword(3).Dword(v).Dword(v + 1).Dword(v + kSide);
      mesh.Dword(3).Dword(v + 1).Dword(v + kSide + 1).Dword(v + kSide);
    }
  }
  XofPtr<XFile> file;
  *(&file) = NewRegisteredFile();
  XofPtr<SaveObject> save;
  ASSERT_EQ(file->CreateMemorySaveObject(kFileFormatCompressed, &save), S_OK);
  ASSERT_EQ(save->AddDataObject(tid::Mesh, "Grid", nullptr, mesh.size(), mesh.data(), nullptr),
            S_OK);
  ASSERT_EQ(save->Save(), S_OK) << save->LastError();
  ASSERT_GT(save->savedBytes().size(), 100000u);

  Assimp::Importer importer;
  const aiScene* scene = Load(importer, save->savedBytes());
  ASSERT_NE(scene, nullptr);
  Counts counts = CountScene(scene);
  EXPECT_EQ(counts.faces, faces);
  ASSERT_EQ(scene->mNumMeshes, 1u);
  // Assimp gives each face corner a vertex of its own.
  EXPECT_EQ(counts.vertices, 3u * faces);
  const aiMesh* grid = scene->mMeshes[0];
  // The last face, read from the last block, is the grid's far corner.
  float farX = 0, farY = 0;
  for (unsigned corner = 0; corner < 3; ++corner) {
    const aiVector3D& p = grid->mVertices[grid->mFaces[faces - 1].mIndices[corner]];
    farX = std::max(farX, p.x);
    farY = std::max(farY, p.y);
  }
  EXPECT_FLOAT_EQ(farX, kSide - 1);
  EXPECT_FLOAT_EQ(farY, kSide - 1);
}

TEST(Assimp, OurReaderGetsBackWhatWasGivenInEachEncoding) {
  XofPtr<XFile> file;
  *(&file) = NewRegisteredFile();
  XofPtr<SaveObject> reference;
  ASSERT_EQ(file->CreateMemorySaveObject(kFileFormatBinary, &reference), S_OK);
  AddExporterScene(*reference.get());
  for (DWORD format : {kFileFormatText, kFileFormatBinary, kFileFormatCompressed, DWORD{3}}) {
    SCOPED_TRACE(format);
    auto document = MustRead(SaveScene(format));
    ASSERT_TRUE(document);
    bool text = format == kFileFormatText || format == 3;
    ExpectSameObjects(reference->objects(), document->objects, text ? kTextTolerance : 0);
  }
}

TEST(Assimp, ConvertedSamplesKeepTheOriginalsCounts) {
  for (const char* name : {"test_cube_text.x", "Testwuson.X", "fromtruespace_bin32.x"}) {
    SCOPED_TRACE(name);
    std::string original = ReadSample(name);
    Assimp::Importer originalImporter;
    const aiScene* originalScene = Load(originalImporter, original);
    ASSERT_NE(originalScene, nullptr);
    Counts expected = CountScene(originalScene);
    auto document = MustRead(original);
    ASSERT_TRUE(document);
    for (FileFormat format : {FileFormat::Text, FileFormat::Binary, FileFormat::Compressed}) {
      SCOPED_TRACE(static_cast<int>(format));
      MemorySink sink;
      std::string error;
      ASSERT_TRUE(WriteDocument(*document, format, sink, error)) << error;
      Assimp::Importer importer;
      const aiScene* scene = Load(importer, sink.bytes());
      ASSERT_NE(scene, nullptr);
      EXPECT_TRUE(CountScene(scene) == expected);
    }
  }
}

// Files other programs wrote (Debian's assimp-testmodels): whatever Assimp reads, we read and
// print.
TEST(Assimp, WeReadEveryTestModelAssimpReads) {
  const std::filesystem::path models = "/usr/share/assimp/models";
  if (!std::filesystem::is_directory(models)) GTEST_SKIP() << "assimp-testmodels is not installed";
  int read = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(models)) {
    // Some test files have no extension: the header tells.
    if (!entry.is_regular_file()) continue;
    char magic[4] = {};
    std::ifstream(entry.path(), std::ios::binary).read(magic, 4);
    if (std::string_view(magic, 4) != "xof ") continue;
    Assimp::Importer importer;
    if (!importer.ReadFile(entry.path().string(), 0)) continue;
    SCOPED_TRACE(entry.path().string());
    ReadResult ours = ReadXFileAt(entry.path());
    ASSERT_TRUE(ours.ok()) << ours.Describe();
    std::ostringstream text;
    PrintDocumentText(*ours.document, text);
    EXPECT_FALSE(text.str().empty());
    ++read;
  }
  EXPECT_GE(read, 10);
}

}  // namespace
}  // namespace xof::test
