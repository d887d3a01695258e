// The batch's report page in a real browser (headless Chromium, from the file system with no
// server): every picture loads, and the page draws. Skipped, saying so, where Chromium is absent.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

namespace fs = std::filesystem;

const fs::path kRuvx = fs::path(RUV_BIN_DIR) / "ruvx";
const fs::path kChromium = "/usr/bin/chromium";

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

int Shell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Chromium on a page of the file system, in a profile of its own, with no network or sandbox
// (tests may run as root); `what` is its output flag.
std::string Chromium(const fs::path& profile, const std::string& what, const fs::path& page) {
  return kChromium.string() + " --headless --no-sandbox --disable-gpu --no-first-run " +
         "--user-data-dir=" + profile.string() + " --virtual-time-budget=10000 " +
         "--window-size=1100,640 " + what + " file://" + page.string();
}

TEST(ReportPage, EveryPictureLoadsInABrowser) {
  if (!fs::exists(kChromium)) GTEST_SKIP() << "chromium is not installed: the page is not checked";
  fs::path root = fs::temp_directory_path() / ("ruvx-report-page-" + std::to_string(::getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "in/props folder");
  const fs::path models = fs::path(RUV_SOURCE_DIR) / "examples/models";
  for (const char* file : {"textured-box.gltf", "textured-box.bin", "checker.png"}) {
    fs::copy_file(models / file, root / "in/props folder" / file);
  }
  fs::copy_file(models / "two-bone-arm.gltf", root / "in/arm #1.gltf");
  fs::copy_file(models / "two-primitives.gltf", root / "in/two-primitives.gltf");
  std::ofstream(root / "in/broken.gltf") << "{";
  ASSERT_EQ(Shell(kRuvx.string() + " batch " + (root / "in").string() + " -o " +
                  (root / "out").string() + " --report " + (root / "report").string() +
                  " --config-dir " + (root / "config").string() + " >/dev/null 2>&1"),
            8);

  fs::path page = root / "report/index.html";
  ASSERT_EQ(Shell(Chromium(root / "profile", "--dump-dom", page) + " >" +
                  (root / "dom.html").string() + " 2>/dev/null"),
            0);
  // The page counts its pictures once they have loaded (or failed to).
  std::smatch counted;
  std::string dom = Read(root / "dom.html");
  ASSERT_TRUE(std::regex_search(dom, counted, std::regex("data-pictures=\"(\\d+)/(\\d+)\"")))
      << dom.substr(0, 2000);
  EXPECT_EQ(counted[2], "3") << "one picture per written file";
  EXPECT_EQ(counted[1], counted[2]) << "pictures that did not load";

  // The picture for the README.
  fs::path shot = fs::path(RUV_BIN_DIR) / "batch-report.png";
  fs::remove(shot);
  EXPECT_EQ(
      Shell(Chromium(root / "profile", "--screenshot=" + shot.string(), page) + " >/dev/null 2>&1"),
      0);
  EXPECT_GT(fs::file_size(shot), 1000u);
  fs::remove_all(root);
}

}  // namespace
