// `ruvx export` of model files as people run it: the options of one run leave the options file
// alone, broken models end with status 3 and nothing written, dropped features are named.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "import_test_support.h"

namespace {

namespace fs = std::filesystem;

using test::ReadAll;

class RuvxImport : public testing::Test {
 protected:
  RuvxImport() {
    fs::create_directories(config_);
    std::ofstream(config_ / "ruv_max_config.ini") << "[Option]\r\nXFileType=1\r\n";
  }
  std::string Flags() const { return " --config-dir " + config_.string(); }

  test::TempFolder folder_{"command"};
  fs::path config_ = folder_.Path() / "config";
};

TEST_F(RuvxImport, OptionsOfOneRunLeaveTheOptionsFileAlone) {
  std::string before = ReadAll(config_ / "ruv_max_config.ini");
  fs::path output = folder_.Path() / "box.x";
  test::RuvxResult text = test::Ruvx("export " + (test::kModels / "textured-box.glb").string() +
                                     " " + output.string() + " --format text" + Flags());
  ASSERT_EQ(text.status, 0) << text.output;
  EXPECT_EQ(ReadAll(output).substr(0, 16), "xof 0303txt 0032");
  EXPECT_TRUE(fs::exists(folder_.Path() / "checker.png"));

  test::RuvxResult compressed =
      test::Ruvx("export " + (test::kModels / "textured-box.glb").string() + " " + output.string() +
                 " --set XFileType=2" + Flags());
  ASSERT_EQ(compressed.status, 0) << compressed.output;
  EXPECT_EQ(ReadAll(output).substr(8, 4), "bzip");
  EXPECT_EQ(ReadAll(config_ / "ruv_max_config.ini"), before);
}

TEST_F(RuvxImport, BadRunOptionsAndBrokenModelsWriteNothing) {
  fs::path output = folder_.Path() / "out.x";
  test::RuvxResult badSet = test::Ruvx("export " + (test::kModels / "textured-box.glb").string() +
                                       " " + output.string() + " --set NoSuchKey=1" + Flags());
  EXPECT_EQ(badSet.status, 2) << badSet.output;
  EXPECT_NE(badSet.output.find("NoSuchKey"), std::string::npos) << badSet.output;
  test::RuvxResult badFormat =
      test::Ruvx("export " + (test::kModels / "textured-box.glb").string() + " " + output.string() +
                 " --format jpeg" + Flags());
  EXPECT_EQ(badFormat.status, 2) << badFormat.output;

  fs::path broken = folder_.Write("broken.glb", "glTF\x02\0\0\0garbage");
  test::RuvxResult refused =
      test::Ruvx("export " + broken.string() + " " + output.string() + Flags());
  EXPECT_EQ(refused.status, 3) << refused.output;
  EXPECT_NE(refused.output.find(broken.string()), std::string::npos) << refused.output;
  test::RuvxResult missing = test::Ruvx("export " + (folder_.Path() / "absent.fbx").string() + " " +
                                        output.string() + Flags());
  EXPECT_EQ(missing.status, 3) << missing.output;
  EXPECT_NE(missing.output.find("does not exist"), std::string::npos) << missing.output;

  EXPECT_FALSE(fs::exists(output));
  EXPECT_FALSE(fs::exists(folder_.Path() / "checker.png"));
}

TEST_F(RuvxImport, DroppedFeaturesAreNamedAndVersionNamesTheModule) {
  fs::path morph = test::kAssimpModels /
                   "glTF2/glTF-Sample-Models/AnimatedMorphCube-glTF/AnimatedMorphCube.gltf";
  REQUIRE_ASSIMP_MODEL(morph);
  test::RuvxResult run = test::Ruvx("export " + morph.string() + " " +
                                    (folder_.Path() / "morph.x").string() + Flags());
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* line :
       {": morph targets are dropped", ": morph target weights channels are dropped",
        "is dropped: it keys nothing the host can carry"}) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  }

  test::RuvxResult version = test::Ruvx("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.output.find("ruvx "), std::string::npos) << version.output;
  EXPECT_NE(version.output.find("ruv.dle"), std::string::npos) << version.output;
}

TEST_F(RuvxImport, TheModelsAnimationsAreTheClipsOfThatExportOnly) {
  std::string arm = (test::kModels / "two-bone-arm.gltf").string() + " ";
  fs::path output = folder_.Path() / "arm.x";
  std::string options = ReadAll(config_ / "ruv_max_config.ini");
  test::RuvxResult run = test::Ruvx("export " + arm + output.string() + " --format text" + Flags());
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(ReadAll(output).find("AnimationSet Bend {"), std::string::npos);
  EXPECT_EQ(ReadAll(config_ / "ruv_max_config.ini"), options);

  // The options file's own clip (the default one, as the file names none).
  test::RuvxResult kept =
      test::Ruvx("export " + arm + output.string() + " --format text --keep-clips" + Flags());
  ASSERT_EQ(kept.status, 0) << kept.output;
  EXPECT_EQ(ReadAll(output).find("AnimationSet Bend {"), std::string::npos);
  EXPECT_NE(ReadAll(output).find("AnimationSet Anim1 {"), std::string::npos);

  test::RuvxResult saved =
      test::Ruvx("export " + arm + output.string() + " --save-clips" + Flags());
  ASSERT_EQ(saved.status, 0) << saved.output;
  std::string after = ReadAll(config_ / "ruv_max_config.ini");
  EXPECT_NE(after.find("Animation0_Name=Bend"), std::string::npos) << after;
  EXPECT_NE(after.find("XFileType=1"), std::string::npos) << after;

  EXPECT_NE(
      test::Ruvx("export " + arm + output.string() + " --save-clips --keep-clips" + Flags()).status,
      0);
}

TEST_F(RuvxImport, KeysBetweenFramesKeepTheirOwnTimes) {
  // A helper moved by keys at 0 s, 0.01 s (48 ticks, between frames 0 and 1) and 1 s.
  const float data[] = {0, 0.01f, 1, 0, 0, 0, 5, 0, 0, 6, 0, 0};
  std::ofstream(folder_.Path() / "pin.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(data), sizeof data);
  std::ofstream(folder_.Path() / "pin.gltf") << R"({"asset": {"version": "2.0"},
    "scene": 0, "scenes": [{"nodes": [0]}], "nodes": [{"name": "Pin"}],
    "buffers": [{"uri": "pin.bin", "byteLength": 48}],
    "bufferViews": [{"buffer": 0, "byteLength": 12}, {"buffer": 0, "byteOffset": 12, "byteLength": 36}],
    "accessors": [
      {"bufferView": 0, "componentType": 5126, "count": 3, "type": "SCALAR", "min": [0], "max": [1]},
      {"bufferView": 1, "componentType": 5126, "count": 3, "type": "VEC3"}],
    "animations": [{"name": "Jump", "channels": [{"sampler": 0, "target": {"node": 0, "path": "translation"}}],
      "samplers": [{"input": 0, "output": 1}]}]})";
  fs::path output = folder_.Path() / "pin.x";
  std::string run = "export " + (folder_.Path() / "pin.gltf").string() + " " + output.string() +
                    " --format text --set Dummy=1" + Flags();
  std::regex keyAt48(R"((^|\s)48;3;)");
  test::RuvxResult own = test::Ruvx(run);
  ASSERT_EQ(own.status, 0) << own.output;
  EXPECT_TRUE(std::regex_search(ReadAll(output), keyAt48)) << ReadAll(output);
  // Sampled at whole frames when the run asks for it.
  test::RuvxResult sampled = test::Ruvx(run + " --set KeyFrames=0");
  ASSERT_EQ(sampled.status, 0) << sampled.output;
  EXPECT_FALSE(std::regex_search(ReadAll(output), keyAt48));
}

TEST(AssimpImport, UpAxisOfAnOpenFormatIsTheUsersChoice) {
  fs::path box = test::kAssimpModels / "OBJ/box.obj";
  REQUIRE_ASSIMP_MODEL(box);
  sim::import::ImportSettings settings;
  settings.up = sim::import::UpAxis::kZ;
  auto zUp = sim::import::ImportModelFile(box, settings);
  settings.up = sim::import::UpAxis::kFromFile;
  auto yUp = sim::import::ImportModelFile(box, settings);
  INode* first = zUp.scene->Root().GetChildNode(0);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->GetNodeTM(0).IsIdentity());
  // OBJ says nothing: Assimp's own convention, Y up, is turned into the host's Z up.
  Point3 up = Point3(0, 1, 0) * yUp.scene->Root().GetChildNode(0)->GetNodeTM(0);
  EXPECT_NEAR(up.z, 1.0f, 1e-6f);
}

}  // namespace
