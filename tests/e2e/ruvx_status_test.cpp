// ruvx tells a file written incomplete from a complete one by its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::filesystem::path kRuvx = std::filesystem::path(RUV_BIN_DIR) / "ruvx";

// A box of the given size; with the scale of 10 the options give, 3e38 is past the float range.
std::string Scene(const std::string& size) {
  return R"({ "format": "ruv-scene", "version": 4, "nodes": [
    { "name": "Box", "object": { "type": "box", "length": )" +
         size + ", \"width\": " + size + ", \"height\": " + size + R"( } } ] })";
}

int RunExport(const std::filesystem::path& folder, const std::string& scene,
              const std::filesystem::path& output = "out.x") {
  std::ofstream(folder / "scene.json") << scene;
  std::string command = kRuvx.string() + " export " + (folder / "scene.json").string() + " " +
                        (folder / output).string() + " --config-dir " + folder.string() + " 2>" +
                        (folder / "stderr.txt").string() + " >/dev/null";
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

  // Nothing written: the message says why.
  EXPECT_EQ(RunExport(folder, Scene("1"), "missing/out.x"), 1);
  std::ifstream errors(folder / "stderr.txt");
  std::string text((std::istreambuf_iterator<char>(errors)), {});
  EXPECT_NE(text.find("No such file or directory"), std::string::npos) << text;
  std::filesystem::remove_all(folder);
}
