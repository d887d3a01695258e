// Whole exports through the module, checked with Assimp, an independent reader of .x files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "host/sim/mesh_primitives.h"
#include "host/sim/scene_builder.h"
#include "host/sim/scene_file/scene_loader.h"
#include "module_export.h"
#include "platform/host_path.h"
#include "xof/file_reader.h"

#ifdef RUV_HAVE_ASSIMP
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#endif

namespace {

class ExportTest : public testing::TestWithParam<int> {
 protected:
  std::filesystem::path Export(sim::SimScene& scene) {
    std::filesystem::path output = export_.Export(scene, "out.x");
    EXPECT_TRUE(std::filesystem::exists(output));
    return output;
  }

  ModuleExport export_{std::to_string(GetParam()),
                       "XFileType=" + std::to_string(GetParam()) + "\r\n"};
};

#ifdef RUV_HAVE_ASSIMP
// Assimp gives every face corner a vertex of its own; joining identical ones counts the file's.
const aiScene* Import(Assimp::Importer& importer, const std::filesystem::path& path) {
  const aiScene* scene = importer.ReadFile(path.string(), aiProcess_JoinIdenticalVertices);
  EXPECT_NE(scene, nullptr) << importer.GetErrorString();
  return scene;
}
#endif

}  // namespace

TEST_P(ExportTest, BoxWithSixSmoothingGroups) {
  sim::SceneBuilder builder;
  builder.Root().AddChild(L"Box01").TriMesh(sim::MakeBoxMesh(10, 10, 10)).Translate({10, 20, 30});
  auto scene = builder.Build();
  std::filesystem::path output = Export(*scene);

  xof::ReadResult ours = xof::ReadXFileAt(output);
  ASSERT_TRUE(ours.ok()) << ours.Describe();
#ifdef RUV_HAVE_ASSIMP
  Assimp::Importer importer;
  const aiScene* imported = Import(importer, output);
  ASSERT_NE(imported, nullptr);
  ASSERT_EQ(imported->mNumMeshes, 1u);
  const aiMesh* mesh = imported->mMeshes[0];
  EXPECT_EQ(mesh->mNumVertices, 24u);
  EXPECT_EQ(mesh->mNumFaces, 12u);
  ASSERT_TRUE(mesh->HasNormals());
  for (unsigned i = 0; i < mesh->mNumVertices; ++i)
    EXPECT_NEAR(mesh->mNormals[i].Length(), 1.0f, 1e-5f);
  const aiNode* box = imported->mRootNode->FindNode("Box01");
  ASSERT_NE(box, nullptr);
  // The default conversion writes the host's (x, y, z) as (x, z, y); Assimp keeps the translation
  // in the fourth column and turns the file's left-handed space right-handed by negating z.
  EXPECT_FLOAT_EQ(box->mTransformation.a4, 10.0f);
  EXPECT_FLOAT_EQ(box->mTransformation.b4, 30.0f);
  EXPECT_FLOAT_EQ(box->mTransformation.c4, -20.0f);
#else
  GTEST_SKIP()
      << "built without Assimp (libassimp-dev): the independent reader's checks did not run";
#endif
}

TEST_P(ExportTest, ExampleHierarchyAsAssimpSeesIt) {
  auto scene =
      sim::LoadSceneFile(std::filesystem::path(RUV_SOURCE_DIR) / "examples" / "node-kinds.json");
  std::filesystem::path output = Export(*scene);
  xof::ReadResult ours = xof::ReadXFileAt(output);
  ASSERT_TRUE(ours.ok()) << ours.Describe();
#ifdef RUV_HAVE_ASSIMP
  Assimp::Importer importer;
  const aiScene* imported = Import(importer, output);
  ASSERT_NE(imported, nullptr);
  const aiNode* crate = imported->mRootNode->FindNode("Crate");
  ASSERT_NE(crate, nullptr);
  ASSERT_NE(crate->mParent, nullptr);
  EXPECT_STREQ(crate->mParent->mName.C_Str(), "Ground");
  EXPECT_NE(imported->mRootNode->FindNode("Crate_"), nullptr) << "the second crate is renamed";
  EXPECT_NE(imported->mRootNode->FindNode("Bone03"), nullptr);
  EXPECT_EQ(imported->mRootNode->FindNode("Camera_Target"), nullptr) << "targets are dropped";
  EXPECT_EQ(imported->mRootNode->FindNode("Footstep"), nullptr) << "footsteps are dropped";
  EXPECT_EQ(imported->mRootNode->FindNode("Marker"), nullptr) << "dummies are off by default";
#else
  GTEST_SKIP()
      << "built without Assimp (libassimp-dev): the independent reader's checks did not run";
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, ExportTest, testing::Values(0, 1, 2), [](const testing::TestParamInfo<int>& info) {
      return std::string(info.param == 0 ? "Text" : info.param == 1 ? "Binary" : "Compressed");
    });

#ifdef RUV_HAVE_ASSIMP
// The materials example: shared and sub-object materials, a stale texture path found below the
// scene, a rendered checker and a DirectX shader material with its effect file.
TEST(ExportMaterials, TexturesAndEffectsLandBesideTheFile) {
  ModuleExport run("materials", "XFileType=1\r\n");
  auto scene =
      sim::LoadSceneFile(std::filesystem::path(RUV_SOURCE_DIR) / "examples" / "materials.json");
  std::filesystem::path output = run.Export(*scene, "materials.x");
  const std::filesystem::path& folder = run.Folder();

  EXPECT_TRUE(std::filesystem::exists(folder / "wood.bmp"))
      << "copied from where the stale path led";
  EXPECT_TRUE(std::filesystem::exists(folder / "Checker.bmp")) << "rendered";
  EXPECT_TRUE(std::filesystem::exists(folder / "glow.fx")) << "the shader's effect file, copied";

  Assimp::Importer importer;
  const aiScene* imported = importer.ReadFile(output.string(), 0);
  ASSERT_NE(imported, nullptr) << importer.GetErrorString();
  std::set<std::string> textures;
  for (unsigned i = 0; i < imported->mNumMaterials; ++i) {
    aiString path;
    if (imported->mMaterials[i]->GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS)
      textures.insert(path.C_Str());
  }
  EXPECT_TRUE(textures.count("wood.bmp"));
  EXPECT_TRUE(textures.count("Checker.bmp"));
}
#else
TEST(ExportMaterials, TexturesAndEffectsLandBesideTheFile) {
  GTEST_SKIP()
      << "built without Assimp (libassimp-dev): the independent reader's checks did not run";
}
#endif
