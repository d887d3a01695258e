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
  // One export of one slot.
  void Step(XTextureSlot& slot) {
    OutputNames names;
    Step(slot, names);
  }
  std::wstring Step(XTextureSlot& slot, OutputNames& names) {
    return WriteTextureFile(slot, platform::ToHostPath(folder_ / "out") + L'\\', names);
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

TEST_F(TextureFilesTest, DifferentSourcesNeverShareAFileAndOneSourceIsWrittenOnce) {
  fs::create_directories(folder_ / "a");
  fs::create_directories(folder_ / "b");
  std::ofstream(folder_ / "a" / "wood.bmp") << "a";
  std::ofstream(folder_ / "b" / "wood.bmp") << "b";
  XTextureSlot a = bitmap_, b = bitmap_, againA = bitmap_;
  a.fileName = b.fileName = againA.fileName = L"wood.bmp";
  a.filePath = againA.filePath = platform::ToHostPath(folder_ / "a" / "wood.bmp");
  b.filePath = platform::ToHostPath(folder_ / "b" / "wood.bmp");
  sim::SimCheckerMap otherChecker{L"Checker", AColor(1, 0, 0), AColor(0, 1, 0)};
  XTextureSlot checkerB = checker_;
  checkerB.proceduralMap = &otherChecker;

  OutputNames names;
  for (XTextureSlot* slot : {&a, &b, &againA, &checker_, &checkerB})
    EXPECT_EQ(Step(*slot, names), L"");
  EXPECT_EQ(a.fileName, L"wood.bmp");
  EXPECT_EQ(b.fileName, L"wood_2.bmp");
  EXPECT_EQ(againA.fileName, L"wood.bmp");
  EXPECT_EQ(Read("wood.bmp"), "a");
  EXPECT_EQ(Read("wood_2.bmp"), "b");
  EXPECT_EQ(checker_.fileName, L"Map__1.bmp");
  EXPECT_EQ(checkerB.fileName, L"Map__1_2.bmp");
  EXPECT_NE(Read("Map__1.bmp"), Read("Map__1_2.bmp"));
  EXPECT_EQ(OutputCount(), 4);
}

TEST(OutputNames, EffectsOfDifferentNodesAndNamesInAnyCaseStayApart) {
  OutputNames names;
  EXPECT_EQ(names.Claim(L"A_M1.fx", L"fx:node A, material M1").name, L"A_M1.fx");
  EXPECT_EQ(names.Claim(L"A_M1.fx", L"fx:node A_M1").name, L"A_M1_2.fx");
  EXPECT_EQ(names.Claim(L"a_m1.FX", L"fx:node a_m1").name, L"a_m1_3.FX") << "file names fold case";
  EXPECT_EQ(names.Claim(L"A_M1_2.fx", L"fx:node A_M1_2").name, L"A_M1_2_2.fx");
  ClaimedName again = names.Claim(L"anything", L"fx:node A_M1");
  EXPECT_EQ(again.name, L"A_M1_2.fx");
  EXPECT_FALSE(again.first);
  EXPECT_EQ(names.Claim(L"README", L"x").name, L"README");
  EXPECT_EQ(names.Claim(L"README", L"y").name, L"README_2") << "no extension: the number goes last";
}

TEST_F(TextureFilesTest, AMapNameTooLongForAFileIsShortened) {
  checker_.name = std::wstring(300, L'm');
  OutputNames names;
  EXPECT_EQ(Step(checker_, names), L"");
  EXPECT_EQ(checker_.fileName, std::wstring(200, L'm') + L".bmp");
  EXPECT_EQ(OutputCount(), 1);
}

TEST_F(TextureFilesTest, ProceduralMapSizesAreClampedToFourDigits) {
  gExportOptions.ProcMapX = 16384;
  gExportOptions.ProcMapY = 0;
  std::wstring said = ClampProceduralMapSize();
  EXPECT_EQ(gExportOptions.ProcMapX, 9999);
  EXPECT_EQ(gExportOptions.ProcMapY, 1);
  EXPECT_NE(said.find(L"ProcMapX 16384"), std::wstring::npos) << said;
  EXPECT_NE(said.find(L"ProcMapY 0"), std::wstring::npos) << said;
  gExportOptions.ProcMapX = -5;
  gExportOptions.ProcMapY = 256;
  ClampProceduralMapSize();
  EXPECT_EQ(gExportOptions.ProcMapX, 1);
  EXPECT_EQ(ClampProceduralMapSize(), L"");
}

}  // namespace
