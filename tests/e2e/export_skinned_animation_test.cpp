// The skinned, animated character exported through the module with two clips, in every encoding:
// its skins and its animation sets as our reader sees them, the same as Assimp sees them, and the
// file posed by `ruvx preview --time`.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "assimp_checks.h"
#include "host/sim/scene_file/scene_loader.h"
#include "module_export.h"
#include "our_records.h"

namespace {

// "Wave" covers the arm's swing (frames 0-30), "Look" the head's turn (30-60); the lantern moves
// through both.
std::string WaveAndLook(int fileType) {
  return "XFileType=" + std::to_string(fileType) +
         "\r\nAnimationCount=2\r\nAnimation0_Name=Wave\r\nAnimation0_StartKey=0\r\n"
         "Animation0_EndKey=30\r\nAnimation1_Name=Look\r\nAnimation1_StartKey=30\r\n"
         "Animation1_EndKey=60\r\n";
}

class SkinnedAnimationExportTest : public testing::TestWithParam<int> {
 protected:
  std::filesystem::path Export() {
    auto scene = sim::LoadSceneFile(std::filesystem::path(RUV_SOURCE_DIR) / "examples" /
                                    "skinned-animated.json");
    return export_.Export(*scene, "skinned-animated.x");
  }
  ModuleExport export_{"skinanim" + std::to_string(GetParam()), WaveAndLook(GetParam())};
};

std::set<std::string> BoneNames(const e2e::SkinnedMesh& mesh) {
  std::set<std::string> names;
  for (const e2e::BoneRecord& bone : mesh.bones) names.insert(bone.name);
  return names;
}

int RunPreview(const std::filesystem::path& file, std::uint32_t ticks) {
  std::filesystem::path picture = file.parent_path() / ("pose-" + std::to_string(ticks) + ".png");
  std::string command = std::string(RUV_BIN_DIR) + "/ruvx preview " + file.string() + " -o " +
                        picture.string() + " --size 64x64 --time " + std::to_string(ticks) +
                        " >/dev/null 2>&1";
  int status = std::system(command.c_str());
  EXPECT_TRUE(std::filesystem::exists(picture)) << ticks;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST_P(SkinnedAnimationExportTest, BonesWeightsAndClipsAsBothReadersSeeThem) {
  std::filesystem::path output = Export();
  ASSERT_TRUE(std::filesystem::exists(output));

  auto meshes = e2e::ReadSkins(output);
  EXPECT_EQ(BoneNames(meshes["Body"]), (std::set<std::string>{"Spine", "Chest", "Head"}));
  EXPECT_EQ(BoneNames(meshes["Arm"]), (std::set<std::string>{"Chest", "Upper_Arm"}));
  EXPECT_EQ(BoneNames(meshes["Cape"]), (std::set<std::string>{"Spine", "Chest"}));
  for (const char* name : {"Body", "Arm", "Cape"}) {
    SCOPED_TRACE(name);
    const e2e::SkinnedMesh& mesh = meshes[name];
    std::map<std::uint32_t, float> sums;
    for (const e2e::BoneRecord& bone : mesh.bones)
      for (const auto& [vertex, weight] : bone.weights) sums[vertex] += weight;
    EXPECT_EQ(sums.size(), mesh.vertices);
    for (const auto& [vertex, sum] : sums) EXPECT_NEAR(sum, 1.0f, 1e-5f) << vertex;
  }

  e2e::OurAnimations sets = e2e::ReadAnimations(output);
  ASSERT_EQ(sets.size(), 2u);
  ASSERT_TRUE(sets.count("Wave"));
  ASSERT_TRUE(sets.count("Look"));
  // Every exported frame has its keys in each clip, the hidden head among them, but the skinned
  // meshes, which their bones move. A part that holds still over a clip keeps two keys, one that
  // moves is sampled at every frame of the clip.
  for (const auto& [clip, frames] : sets) {
    SCOPED_TRACE(clip);
    EXPECT_EQ(frames.size(), 6u);
    for (const char* frame : {"Spine", "Chest", "Head", "Upper_Arm", "Lantern", "Flame"})
      EXPECT_TRUE(frames.count(frame)) << frame;
    EXPECT_EQ(frames.at("Lantern").at("T").times.size(), 31u);
    EXPECT_EQ(frames.at("Spine").at("R").times.size(), 2u);
  }
  const auto& wave = sets["Wave"];
  const auto& look = sets["Look"];
  EXPECT_EQ(wave.at("Upper_Arm").at("R").times.size(), 31u);
  EXPECT_EQ(wave.at("Head").at("R").times.size(), 2u);
  EXPECT_EQ(look.at("Upper_Arm").at("R").times.size(), 2u);
  EXPECT_EQ(look.at("Head").at("R").times.size(), 31u);
  EXPECT_EQ(look.at("Head").at("R").times.front(), 0u) << "each clip starts at tick 0";
  EXPECT_EQ(look.at("Head").at("R").times.back(), 4800u);

#ifdef RUV_HAVE_ASSIMP
  e2e::CompareSkinsWithAssimp(output, meshes);
  e2e::CompareAnimationsWithAssimp(output, sets);
#endif

  // Mid-swing, mid-turn, and past the end of the clips.
  for (std::uint32_t ticks : {1600u, 2400u, 100000u}) EXPECT_EQ(RunPreview(output, ticks), 0);
}

INSTANTIATE_TEST_SUITE_P(Encodings, SkinnedAnimationExportTest, testing::Values(0, 1, 2),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::string(info.param == 0   ? "Text"
                                              : info.param == 1 ? "Binary"
                                                                : "Compressed");
                         });
