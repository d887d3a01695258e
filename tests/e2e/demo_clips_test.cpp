// `ruvx demo` with the two clips the README gives: an animation set for each, in which the
// character's bones move in turn beside the keyed fan.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "our_records.h"

TEST(DemoClips, SpinAndBobCarryTheCharactersBonesAndTheFan) {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("ruvx-demo-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::filesystem::path output = folder / "demo.x";
  std::string command = std::string(RUV_BIN_DIR) + "/ruvx demo " + output.string() +
                        " --config-dir " + folder.string() +
                        " --set AnimationCount=2 --set Animation0_Name=Spin"
                        " --set Animation0_EndKey=50 --set Animation1_Name=Bob"
                        " --set Animation1_StartKey=50 --set Animation1_EndKey=100 >/dev/null";
  int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  e2e::OurAnimations sets = e2e::ReadAnimations(output);
  ASSERT_EQ(sets.size(), 2u);
  const auto& spin = sets["Spin"];
  const auto& bob = sets["Bob"];
  // 50 frames a clip: a moving part has a key at each of the 51, a still one its two ends.
  EXPECT_EQ(spin.at("Fan_Mount").at("R").times.size(), 51u);
  EXPECT_EQ(spin.at("Upper_Arm").at("R").times.size(), 51u);
  EXPECT_EQ(spin.at("Head").at("R").times.size(), 2u);
  EXPECT_EQ(bob.at("Fan_Mount").at("T").times.size(), 51u);
  EXPECT_EQ(bob.at("Head").at("R").times.size(), 51u);
  EXPECT_EQ(bob.at("Upper_Arm").at("R").times.size(), 2u);
  std::filesystem::remove_all(folder);
}
