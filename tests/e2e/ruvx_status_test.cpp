// ruvx tells a file written incomplete from a complete one by its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const std::filesystem::path kRuvx = std::filesystem::path(RUV_BIN_DIR) / "ruvx";

std::string Scene(const std::string& scale) {
  return R"({ "format": "ruv-scene", "version": 4, "nodes": [
    { "name": "Box", "object": { "type": "box", "length": 1, "width": 1, "height": 1 },
      "transform": { "scale": [)" +
         scale + ", " + scale + ", " + scale + R"(] } } ] })";
}

int RunExport(const std::filesystem::path& folder, const std::string& scene) {
  std::ofstream(folder / "scene.json") << scene;
  std::string command = kRuvx.string() + " export " + (folder / "scene.json").string() + " " +
                        (folder / "out.x").string() + " --config-dir " + folder.string() +
                        " 2>/dev/null >/dev/null";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(RuvxStatus, AFileWrittenIncompleteHasItsOwnExitStatus) {
  std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("ruvx-status-" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "ruv_max_config.ini")
      << "[Option]\r\nSpaceScaleEnable=1\r\nSpaceScale=10\r\n";
  EXPECT_EQ(RunExport(folder, Scene("1")), 0);
  EXPECT_EQ(RunExport(folder, Scene("3e38")), 6);
  EXPECT_TRUE(std::filesystem::exists(folder / "out.x"));
  std::filesystem::remove_all(folder);
}
