// Generated effect files against golden files, one per kind of material, and the file handling.
#include "ruv/effect/effect_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/file_system.h"
#include "platform/host_path.h"
#include "ruv/options/export_options.h"

namespace {

class EffectFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-effect-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    gExportOptions = ExportOptions{};
  }
  void TearDown() override {
    std::filesystem::remove_all(folder_);
    gExportOptions = ExportOptions{};
  }

  // Writes `desc` into the scratch folder, then compares the bytes with the golden file, which is
  // kept with LF line ends where the effect file has CR LF.
  void ExpectGolden(XEffectDesc desc, const char* golden) {
    desc.path = platform::ToHostPath(folder_ / "Box01.fx");
    EXPECT_TRUE(WriteEffectFile(desc));
    std::string expected;
    auto text =
        platform::ReadWholeFile(std::string(RUV_SOURCE_DIR "/tests/ruv/data/effects/") + golden);
    for (char c : text.value_or("<no golden file>"))
      expected += c == '\n' ? "\r\n" : std::string(1, c);
    EXPECT_EQ(platform::ReadWholeFile(folder_ / "Box01.fx").value_or("<no file>"), expected);
  }

  std::filesystem::path folder_;
};

TEST_F(EffectFile, DiffuseOnlyMaterialReplacesAnOlderFile) {
  std::ofstream(folder_ / "Box01.fx") << std::string(20000, 'x');
  XEffectDesc desc;
  desc.power = 12.5f;
  desc.specularColor = {0.1f, 0.1f, 0.1f};
  desc.normal = true;
  AddEffectTexture(desc, L"Wood", 1, 0, 1, 1);
  ExpectGolden(desc, "diffuse_only.fx");
}

TEST_F(EffectFile, NormalMappedMaterialWithEveryVertexOption) {
  gExportOptions.NormalMapCode = 1;
  XEffectDesc desc;
  desc.faceColor = {0.8f, 0.6f, 0.4f, 0.5f};
  desc.power = 40;
  desc.specularColor = {0.25f, 0.25f, 0.25f};
  desc.emissiveColor = {0.2f, 0, 0};
  desc.normal = desc.tangent = desc.binormal = desc.vertexColor = desc.diffuseMapColor = true;
  AddEffectTexture(desc, L"Bricks", 1, 0, 1, 1);
  AddEffectTexture(desc, L"Bricks_normal", 2, 1, 0, 2);
  ExpectGolden(desc, "normal_mapped.fx");
}

TEST_F(EffectFile, VertexOptionsOffStillDeclareWhatTheShaderReads) {
  gExportOptions.NormalMapCode = 1;
  XEffectDesc desc;
  AddEffectTexture(desc, L"Stone", 1, 0, 1, 1);
  AddEffectTexture(desc, L"Stone_bump", 2, 0, 1, 1);
  ExpectGolden(desc, "vertex_options_off.fx");
}

TEST_F(EffectFile, RightHandedNormalMapWithoutDiffuseTexture) {
  gExportOptions.NormalMapCode = 1;
  gExportOptions.RightHand = 1;
  XEffectDesc desc;
  desc.faceColor = {0.5f, 0.25f, 1, 1};
  desc.power = 100;
  desc.specularColor = {1, 1, 1};
  desc.emissiveColor = {0, 0, 0.75f};
  desc.normal = desc.tangent = desc.binormal = true;
  // Registered before the set-0 texture: the structures still list the sets in ascending order.
  AddEffectTexture(desc, L"Tiles_normal", 2, 2, 1, 2);
  AddEffectTexture(desc, L"Gloss", 0, 0, 0, 7);
  ExpectGolden(desc, "right_handed.fx");
}

TEST_F(EffectFile, NothingIsWrittenWithoutAPathOrAFolder) {
  XEffectDesc desc;
  EXPECT_FALSE(WriteEffectFile(desc));
  desc.path = platform::ToHostPath(folder_ / "missing" / "Box01.fx");
  EXPECT_FALSE(WriteEffectFile(desc));
  std::filesystem::create_directory(folder_ / "Taken.fx");
  desc.path = platform::ToHostPath(folder_ / "Taken.fx");
  EXPECT_FALSE(WriteEffectFile(desc));
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "Taken.fx"));
}

}  // namespace
