// `ruvx export` of a model against the options it runs with: a still model gets no clips of the
// options file (unless --keep-clips), and vertex colours the options leave out are named with the
// option that keeps them.
#include <gtest/gtest.h>

#include <fstream>

#include "import_test_support.h"

namespace {

namespace fs = std::filesystem;

using test::ReadAll;

class RuvxModelOptions : public testing::Test {
 protected:
  RuvxModelOptions() {
    fs::create_directories(config_);
    // A clip of the options file's own, which a still model has no use for.
    std::ofstream(config_ / "ruv_max_config.ini")
        << "[Option]\r\nXFileType=0\r\nAnimationCount=1\r\nAnimation0_Name=Idle\r\n"
           "Animation0_StartKey=0\r\nAnimation0_EndKey=10\r\n";
  }
  test::RuvxResult Export(const fs::path& model, const std::string& flags = "") {
    return test::Ruvx("export " + model.string() + " " + output_.string() + " --config-dir " +
                      config_.string() + flags);
  }

  test::TempFolder folder_{"options"};
  fs::path config_ = folder_.Path() / "config";
  fs::path output_ = folder_.Path() / "out.x";
};

TEST_F(RuvxModelOptions, AStillModelExportsNoClipsUnlessTheFilesAreKept) {
  test::RuvxResult still = Export(test::kModels / "textured-box.glb");
  ASSERT_EQ(still.status, 0) << still.output;
  EXPECT_EQ(ReadAll(output_).find("AnimationSet"), std::string::npos);
  test::RuvxResult kept = Export(test::kModels / "textured-box.glb", " --keep-clips");
  ASSERT_EQ(kept.status, 0) << kept.output;
  EXPECT_NE(ReadAll(output_).find("AnimationSet Idle {"), std::string::npos);
  // A scene file keeps the options file's clips, as ever.
  test::RuvxResult scene = Export(fs::path(RUV_SOURCE_DIR) / "examples/animation.json");
  ASSERT_EQ(scene.status, 0) << scene.output;
  EXPECT_NE(ReadAll(output_).find("AnimationSet Idle {"), std::string::npos);
}

TEST_F(RuvxModelOptions, AnUnreadableOptionsFileIsNamedWhenTheRunMakesItsOwnCopy) {
  fs::remove(config_ / "ruv_max_config.ini");
  fs::create_directory(config_ / "ruv_max_config.ini");
  test::RuvxResult run = Export(test::kModels / "textured-box.glb");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("cannot read the options file"), std::string::npos) << run.output;
}

TEST_F(RuvxModelOptions, VertexColoursLeftOutAreNamedWithTheOptionThatKeepsThem) {
  const fs::path colored = test::kModels / "two-primitives.gltf";
  const std::string line =
      "1 mesh has vertex colours, which VertexColor=0 leaves out of the file: --set "
      "VertexColor=1 keeps them";
  test::RuvxResult left = Export(colored);
  ASSERT_EQ(left.status, 0) << left.output;
  EXPECT_NE(left.output.find(colored.string() + ": " + line), std::string::npos) << left.output;
  test::RuvxResult kept = Export(colored, " --set VertexColor=1");
  ASSERT_EQ(kept.status, 0) << kept.output;
  EXPECT_EQ(kept.output.find("vertex colours"), std::string::npos) << kept.output;
  // A model without colours says nothing of them.
  test::RuvxResult plain = Export(test::kModels / "textured-box.glb");
  EXPECT_EQ(plain.output.find("vertex colours"), std::string::npos) << plain.output;
}

TEST_F(RuvxModelOptions, TheXSampleCubeSkinnedToItselfIsWrittenWithItsMesh) {
  const fs::path cube = test::kAssimpModels / "X/test_cube_text.x";
  REQUIRE_ASSIMP_MODEL(cube);
  test::RuvxResult run = Export(cube);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("it is kept as a rigid mesh"), std::string::npos) << run.output;
  EXPECT_NE(ReadAll(output_).find("Mesh Cube {"), std::string::npos);
}

}  // namespace
