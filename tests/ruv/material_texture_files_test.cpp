// Textures put beside the output: copies, rendered maps, and what the two options leave alone.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "host/sim/sim_texmap.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "ruv/material/texture_files.h"
#include "ruv/options/export_options.h"

namespace {

namespace fs = std::filesystem;

class TextureFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-texfiles-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    fs::create_directory(folder_ / "out");
    gExportOptions = ExportOptions{};
    gExportOptions.TextureFiles = 1;
    gExportOptions.ProcMapX = 4;
    gExportOptions.ProcMapY = 2;
    std::ofstream(folder_ / "wood.jpg", std::ios::binary) << kJpeg;
    bitmap_.fileName = L"renamed.jpg";
    bitmap_.filePath = platform::ToHostPath(folder_ / "wood.jpg");
    bitmap_.mapChannel = 1;
    checker_.name = L"Map__1";
    checker_.mapChannel = 2;
    checker_.proceduralMap = &checkerMap_;
  }
  void TearDown() override {
    gExportOptions = ExportOptions{};
    fs::remove_all(folder_);
  }
  void Step(XTextureSlot& slot) {
    WriteTextureFile(slot, platform::ToHostPath(folder_ / "out") + L'\\');
  }
  void Put(const char* name, const char* bytes) { std::ofstream(folder_ / "out" / name) << bytes; }
  std::string Read(const char* name) {
    return platform::ReadWholeFile(folder_ / "out" / name).value_or("<none>");
  }
  long OutputCount() {
    return std::distance(fs::directory_iterator(folder_ / "out"), fs::directory_iterator());
  }

  const std::string kJpeg = std::string("\xFF\xD8\0jpeg", 7);
  fs::path folder_;
  XTextureSlot bitmap_, checker_;
  sim::SimCheckerMap checkerMap_{L"Checker", AColor(0, 0, 0), AColor(1, 1, 1)};
};

TEST_F(TextureFilesTest, ABitmapIsCopiedUnderItsFileNameAndReplacedOnlyWithOverwrite) {
  XTextureSlot unused = bitmap_, noPath = bitmap_, guessed = bitmap_;
  unused.mapChannel = 0;
  noPath.filePath.clear();
  guessed.filePath = platform::ToHostPath(folder_ / "scene/wood.jpg");  // a search found nothing
  for (XTextureSlot* slot : {&unused, &noPath, &guessed}) Step(*slot);
  EXPECT_EQ(OutputCount(), 0);

  Step(bitmap_);
  EXPECT_EQ(Read("renamed.jpg"), kJpeg);
  Put("renamed.jpg", "kept");
  Step(bitmap_);
  EXPECT_EQ(Read("renamed.jpg"), "kept");
  gExportOptions.OverwriteTexture = 1;
  Step(bitmap_);
  EXPECT_EQ(Read("renamed.jpg"), kJpeg);
  EXPECT_EQ(OutputCount(), 1);
}

TEST_F(TextureFilesTest, AProceduralMapIsRenderedUnderItsNameUnlessAFileIsThere) {
  Step(checker_);
  EXPECT_EQ(checker_.fileName, L"Map__1.bmp");
  std::string rendered = Read("Map__1.bmp");
  EXPECT_EQ(rendered.substr(0, 2), "BM");
  Put("Map__1.bmp", "kept");
  Step(checker_);
  EXPECT_EQ(Read("Map__1.bmp"), "kept");
  gExportOptions.OverwriteTexture = 1;
  Step(checker_);
  EXPECT_EQ(Read("Map__1.bmp"), rendered);
  EXPECT_EQ(OutputCount(), 1);
}

TEST_F(TextureFilesTest, WithTextureFilesOffNothingIsWrittenAndNamesStay) {
  gExportOptions.TextureFiles = 0;
  gExportOptions.OverwriteTexture = 1;
  checker_.fileName = L"as extracted";
  Step(bitmap_);
  Step(checker_);
  EXPECT_EQ(OutputCount(), 0);
  EXPECT_EQ(bitmap_.fileName, L"renamed.jpg");
  EXPECT_EQ(checker_.fileName, L"as extracted");
}

}  // namespace
