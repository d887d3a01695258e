// `ruvx preview` as users run it: exit statuses, messages and the picture written.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "preview/image.h"
#include "preview_test_support.h"

namespace preview::test {
namespace {

struct CommandRun {
  int status = -1;
  std::string errors;
};

// `shellPrefix` runs in the same shell first (a `ulimit`, say).
CommandRun RunRuvx(const std::string& arguments, const std::filesystem::path& folder,
                   const std::string& shellPrefix = {}) {
  std::filesystem::path errors = folder / "stderr.txt";
  // In the sanitizer build the leak checker's own walk of the threads can fault in a ruvx that has
  // run Mesa (inside libasan, depending only on where the code lies), ending a sound run with an
  // error. The preview's memory is checked by the in-process tests; the commands' by their output.
  std::string command = shellPrefix + "ASAN_OPTIONS=detect_leaks=0 " + std::string(RUV_BIN_DIR) +
                        "/ruvx " + arguments + " >/dev/null 2>" + errors.string();
  int raw = std::system(command.c_str());
  CommandRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(errors);
  std::stringstream text;
  text << in.rdbuf();
  run.errors = text.str();
  return run;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(PreviewCommand, WritesThePictureBesideTheFileAndNamesMissingTextures) {
  TempFolder folder;
  WriteText(folder.path() / "quad.x",
            "xof 0303txt 0032\nMesh Quad { 4; -1;-1;0;, -1;1;0;, 1;1;0;, "
            "1;-1;0;; 1; 4;0,1,2,3;; MeshTextureCoords { 4; 0;1;, 0;0;, "
            "1;0;, 1;1;; } MeshMaterialList { 1; 1; 0; " +
                MaterialText("M", 1, 1, 1, "gone.png") + "} }");
  CommandRun run = RunRuvx(
      "preview " + (folder.path() / "quad.x").string() + " --size 64x48 --wire", folder.path());
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find("gone.png"), std::string::npos) << run.errors;
  Image written = ReadImageFile(folder.path() / "quad.png");
  EXPECT_EQ(written.width, 64);
  EXPECT_EQ(written.height, 48);

  run = RunRuvx("preview " + (folder.path() / "quad.x").string() + " -o " +
                    (folder.path() / "sheet.png").string() + " --sheet --no-grid --view top",
                folder.path());
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(ReadImageFile(folder.path() / "sheet.png").width, 800);
}

// Textures are decoded by the texture library; what it refuses comes back with its reason, worded
// for "texture 'name' ...".
TEST(PreviewCommand, TexturesThatCannotBeDrawnSayWhy) {
  TempFolder folder;
  WriteText(folder.path() / "junk.png", "\x89PNG\r\n\x1a\n not a picture");
  std::string error;
  EXPECT_EQ(ReadImageFile(folder.path() / "junk.png", &error).width, 0);
  EXPECT_EQ(error.rfind("cannot be decoded (", 0), 0u) << error;

  // A BMP header claiming 10000 x 10000 pixels, more than a preview decodes.
  std::string bmp = "BM";
  auto dword = [&bmp](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp.push_back(static_cast<char>(v >> (8 * i)));
  };
  dword(54 + 3);
  dword(0);
  dword(54);
  dword(40);
  dword(10000);
  dword(10000);
  bmp += std::string("\x01\x00\x18\x00", 4);  // one plane, 24 bits
  for (int i = 0; i < 6; ++i) dword(0);
  bmp += "abc";
  WriteText(folder.path() / "huge.bmp", bmp);
  EXPECT_EQ(ReadImageFile(folder.path() / "huge.bmp", &error).width, 0);
  EXPECT_EQ(error, "is 10000x10000 pixels, too large to decode");

  EXPECT_EQ(ReadImageFile(folder.path() / "absent.png", &error).width, 0);
  EXPECT_EQ(error, "cannot be read");
}

TEST(PreviewCommand, RefusedInputGetsStatusThreeAndTheReadersMessage) {
  TempFolder folder;
  WriteText(folder.path() / "bad.x", "xof 0303txt 0032\nMesh Broken { 3; 0;0;0;, ");
  CommandRun run = RunRuvx("preview " + (folder.path() / "bad.x").string(), folder.path());
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("bad.x: byte"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "bad.png"));

  run = RunRuvx("preview " + (folder.path() / "absent.x").string(), folder.path());
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.errors.find("cannot open"), std::string::npos) << run.errors;
}

TEST(PreviewCommand, BadArgumentsAreUsageErrors) {
  TempFolder folder;
  WriteText(folder.path() / "empty.x", "xof 0303txt 0032\n");
  for (const char* arguments : {"--size 800", "--size 0x10", "--size 10x99999", "--view under"}) {
    CommandRun run =
        RunRuvx("preview " + (folder.path() / "empty.x").string() + " " + arguments, folder.path());
    EXPECT_EQ(run.status, 2) << arguments << ": " << run.errors;
  }
  CommandRun run = RunRuvx(
      "preview " + (folder.path() / "empty.x").string() + " --size 32x32 --time 5", folder.path());
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find("no triangles"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("no animation"), std::string::npos) << run.errors;
}

// The address sanitizer reserves more address space than the limit leaves, so the run is only made
// in the plain build.
#ifdef RUV_ADDRESS_SANITIZER
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST(PreviewCommand, APictureLargerThanMemoryEndsWithAMessageAndStatusOne) {
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer needs more address space than the limit";
  TempFolder folder;
  WriteText(folder.path() / "tri.x",
            "xof 0303txt 0032\nMesh Tri { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;; }");
  // A gigabyte of address space, where the drawing buffer alone of 8192 x 8192 drawn at twice
  // its size takes one.
  CommandRun run = RunRuvx("preview " + (folder.path() / "tri.x").string() + " --size 8192x8192",
                           folder.path(), "ulimit -v 1000000; ");
  EXPECT_EQ(run.status, 1) << run.errors;
  EXPECT_NE(run.errors.find("not enough memory to draw a 8192x8192 picture"), std::string::npos)
      << run.errors;
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "tri.png"));
}

}  // namespace
}  // namespace preview::test
