// Textures put beside the output: copies, rendered maps, and what the two options leave alone.
#include "ruv/material/texture_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/sim/sim_texmap.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
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
    outputDir_ = platform::ToHostPath(folder_ / "out") + L'\\';
    gExportOptions = ExportOptions{};
    gExportOptions.TextureFiles = 1;
    gExportOptions.ProcMapX = 4;
    gExportOptions.ProcMapY = 2;
  }
  void TearDown() override {
    gExportOptions = ExportOptions{};
    fs::remove_all(folder_);
  }
  void Write(const fs::path& relative, const std::string& bytes) {
    std::ofstream(folder_ / relative, std::ios::binary) << bytes;
  }
  std::string Read(const fs::path& relative) {
    return platform::ReadWholeFile(folder_ / relative).value_or("<none>");
  }
  std::size_t OutputCount() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder_ / "out"), fs::directory_iterator()));
  }
  XTextureSlot BitmapSlot(const std::string& source, const std::wstring& fileName) {
    XTextureSlot slot;
    slot.fileName = fileName;
    slot.filePath = platform::ToHostPath(folder_ / source);
    slot.mapChannel = 1;
    return slot;
  }
  XTextureSlot CheckerSlot() {
    XTextureSlot slot;
    slot.name = L"Map__1";
    slot.fileName = L"Map__1.bmp";
    slot.filePath = slot.fileName;
    slot.mapChannel = 2;
    slot.proceduralMap = &checker_;
    return slot;
  }

  fs::path folder_;
  std::wstring outputDir_;
  sim::SimCheckerMap checker_{L"Checker", AColor(0, 0, 0), AColor(1, 1, 1)};
};

TEST_F(TextureFilesTest, ABitmapIsCopiedUnderItsFileNameAndReplacedOnlyWithOverwrite) {
  Write("wood.jpg", std::string("\xFF\xD8\0jpeg", 7));
  XTextureSlot slot = BitmapSlot("wood.jpg", L"renamed.jpg");
  WriteTextureFile(slot, outputDir_);
  EXPECT_EQ(Read("out/renamed.jpg"), std::string("\xFF\xD8\0jpeg", 7));

  Write("out/renamed.jpg", "kept");
  WriteTextureFile(slot, outputDir_);
  EXPECT_EQ(Read("out/renamed.jpg"), "kept");
  gExportOptions.OverwriteTexture = 1;
  WriteTextureFile(slot, outputDir_);
  EXPECT_EQ(Read("out/renamed.jpg"), std::string("\xFF\xD8\0jpeg", 7));
  EXPECT_EQ(OutputCount(), 1u);
}

TEST_F(TextureFilesTest, NothingIsWrittenForUnusedSlotsMissingSourcesOrWithTextureFilesOff) {
  Write("wood.jpg", "jpeg");
  XTextureSlot unused = BitmapSlot("wood.jpg", L"wood.jpg");
  unused.mapChannel = 0;
  XTextureSlot noPath = BitmapSlot("wood.jpg", L"wood.jpg");
  noPath.filePath.clear();
  XTextureSlot guessed = BitmapSlot("scene/wood.jpg", L"wood.jpg");  // a search that found nothing
  for (XTextureSlot* slot : {&unused, &noPath, &guessed}) WriteTextureFile(*slot, outputDir_);
  EXPECT_EQ(OutputCount(), 0u);

  gExportOptions.TextureFiles = 0;
  gExportOptions.OverwriteTexture = 1;
  XTextureSlot bitmap = BitmapSlot("wood.jpg", L"wood.jpg");
  XTextureSlot checker = CheckerSlot();
  checker.fileName = L"as extracted";
  WriteTextureFile(bitmap, outputDir_);
  WriteTextureFile(checker, outputDir_);
  EXPECT_EQ(OutputCount(), 0u);
  EXPECT_EQ(bitmap.fileName, L"wood.jpg");  // the records still name the textures
  EXPECT_EQ(checker.fileName, L"as extracted");
}

TEST_F(TextureFilesTest, AProceduralMapIsRenderedUnderItsNameUnlessAFileIsThere) {
  XTextureSlot slot = CheckerSlot();
  slot.fileName.clear();
  WriteTextureFile(slot, outputDir_);
  EXPECT_EQ(slot.fileName, L"Map__1.bmp");
  std::string rendered = Read("out/Map__1.bmp");
  EXPECT_EQ(rendered.substr(0, 2), "BM");

  Write("out/Map__1.bmp", "kept");
  WriteTextureFile(slot, outputDir_);
  EXPECT_EQ(Read("out/Map__1.bmp"), "kept");
  gExportOptions.OverwriteTexture = 1;
  WriteTextureFile(slot, outputDir_);
  EXPECT_EQ(Read("out/Map__1.bmp"), rendered);
  EXPECT_EQ(OutputCount(), 1u);
}

}  // namespace
