// Assimp's sample models where a format fixes what the importer must not guess: the up axis of
// Blender files, and skins whose bones name no node.
#include <gtest/gtest.h>

#include "host/iskin.h"
#include "host/object.h"
#include "import_test_support.h"

namespace {

namespace fs = std::filesystem;

sim::import::ImportedScene ImportUp(const fs::path& path, sim::import::UpAxis up) {
  sim::import::ImportSettings settings;
  settings.up = up;
  settings.imageFolder = fs::temp_directory_path();
  return sim::import::ImportModelFile(path, settings);
}

TEST(AssimpSamples, BlenderFilesAreZUpUnlessTheUserSaysOtherwise) {
  fs::path suzanne = test::kAssimpModels / "BLEND/Suzanne_248.blend";
  REQUIRE_ASSIMP_MODEL(suzanne);
  using sim::import::UpAxis;
  auto asFile = ImportUp(suzanne, UpAxis::kFromFile);
  auto zUp = ImportUp(suzanne, UpAxis::kZ);
  auto yUp = ImportUp(suzanne, UpAxis::kY);
  INode* node = asFile.scene->FindNode(L"Suzanne");
  ASSERT_NE(node, nullptr);
  EXPECT_TRUE(node->GetNodeTM(0).Equals(zUp.scene->FindNode(L"Suzanne")->GetNodeTM(0)));
  // --up y still turns it, as for any source said to be Y-up.
  Point3 up = Point3(0, 1, 0) * yUp.scene->FindNode(L"Suzanne")->GetNodeTM(0) -
              yUp.scene->FindNode(L"Suzanne")->GetNodeTM(0).GetTrans();
  Point3 asGiven = Point3(0, 1, 0) * node->GetNodeTM(0) - node->GetNodeTM(0).GetTrans();
  EXPECT_GT(Length(up - asGiven), 0.5f);
}

TEST(AssimpSamples, ABoneThatNamesNoNodeLosesItsWeightsAndTheRestStays) {
  fs::path model = test::kAssimpModels / "X/anim_test.x";
  REQUIRE_ASSIMP_MODEL(model);
  auto imported = test::Import(model);
  bool named = false;
  for (const std::string& line : imported.warnings) {
    named = named || line == "bone \"joint3\" names no node of the scene: its weights are dropped";
  }
  EXPECT_TRUE(named);
  INode* mesh = imported.scene->FindNode(L"pCylinder1");
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->GetObjectRef()->SuperClassID(), GEN_DERIVOB_CLASS_ID);
  auto* derived = static_cast<IDerivedObject*>(mesh->GetObjectRef());
  auto* skin = static_cast<ISkin*>(derived->GetModifier(0)->GetInterface(I_SKIN));
  ASSERT_GE(skin->GetNumBones(), 1);
  for (int b = 0; b < skin->GetNumBones(); ++b) {
    std::wstring name = skin->GetBone(b)->GetName();
    EXPECT_TRUE(name == L"joint1" || name == L"joint2") << b;
  }
}

}  // namespace
