// Textures converted as they are put beside the output: names, sizes, what is kept as it is and
// what the user is told.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "host/sim/sim_texmap.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/text_encoding.h"
#include "ruv/material/texture_files.h"
#include "ruv/options/export_options.h"
#include "texture/image_codec.h"

namespace {

namespace fs = std::filesystem;

// An opaque gradient, or one whose left half is see-through.
texture::Image Gradient(int width, int height, bool alpha = false) {
  texture::Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = static_cast<std::uint8_t>(x * 255 / width);
      p[1] = static_cast<std::uint8_t>(y * 255 / height);
      p[2] = 90;
      p[3] = alpha && x < width / 2 ? 0 : 255;
    }
  }
  return image;
}

class TextureConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ruv-texconvert-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    fs::create_directory(folder_ / "out");
    gExportOptions = ExportOptions{};
    gExportOptions.TextureFiles = 1;
    gExportOptions.TextureConvert = 1;
    gExportOptions.TextureFormat = 0;
    gExportOptions.ProcMapX = 8;
    gExportOptions.ProcMapY = 4;
  }
  void TearDown() override {
    gExportOptions = ExportOptions{};
    fs::remove_all(folder_);
  }
  // A slot whose bitmap is `name` in the source folder, holding `bytes`.
  XTextureSlot Bitmap(const std::string& name, const std::string& bytes,
                      const std::string& subfolder = "src") {
    fs::create_directories(folder_ / subfolder);
    std::ofstream(folder_ / subfolder / name, std::ios::binary) << bytes;
    XTextureSlot slot;
    slot.fileName = platform::Utf8ToWide(name);
    slot.filePath = platform::ToHostPath(folder_ / subfolder / name);
    slot.mapChannel = 1;
    return slot;
  }
  std::wstring Step(XTextureSlot& slot) { return Step(slot, names_); }
  std::wstring Step(XTextureSlot& slot, OutputNames& names) {
    return WriteTextureFile(slot, platform::ToHostPath(folder_ / "out") + L'\\', names, &notes_);
  }
  std::string Read(const std::string& name) {
    return platform::ReadWholeFile(folder_ / "out" / name).value_or("<none>");
  }
  // Width and height in a DDS header.
  std::pair<std::uint32_t, std::uint32_t> DdsSize(const std::string& name) {
    std::string dds = Read(name);
    std::uint32_t height = 0, width = 0;
    if (dds.size() >= 20) {
      std::memcpy(&height, dds.data() + 12, 4);
      std::memcpy(&width, dds.data() + 16, 4);
    }
    return {width, height};
  }
  std::vector<std::string> Output() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_ / "out"))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder_;
  OutputNames names_;
  std::vector<std::wstring> notes_;
};

using Names = std::vector<std::string>;

TEST_F(TextureConversionTest, BitmapsAreWrittenInTheChosenFormatUnderItsExtension) {
  const std::string png = texture::EncodeImage(Gradient(32, 16), texture::Format::kPng);
  XTextureSlot wood = Bitmap("wood.png", png);
  XTextureSlot woodAgain = wood;
  EXPECT_EQ(Step(wood), L"");
  EXPECT_EQ(wood.fileName, L"wood.dds");
  EXPECT_EQ(Read("wood.dds").substr(0, 4), "DDS ");
  // The same source once more: the same name, not written again.
  fs::remove(folder_ / "out" / "wood.dds");
  EXPECT_EQ(Step(woodAgain), L"");
  EXPECT_EQ(woodAgain.fileName, L"wood.dds");
  EXPECT_EQ(Output(), Names{});

  // Every other format, each a file of its kind; a PNG asked for as PNG is kept byte for byte.
  const std::pair<int, const char*> formats[] = {{1, "png"}, {2, "tga"}, {3, "jpg"}, {4, "bmp"}};
  for (auto [format, extension] : formats) {
    gExportOptions.TextureFormat = format;
    OutputNames names;
    XTextureSlot slot = Bitmap("wood.png", png);
    EXPECT_EQ(Step(slot, names), L"");
    EXPECT_EQ(slot.fileName, L"wood." + platform::Utf8ToWide(extension));
    std::string written = Read(std::string("wood.") + extension);
    EXPECT_EQ(texture::FormatOf(written, slot.fileName), static_cast<texture::Format>(format));
    std::optional<texture::Image> back = texture::DecodeImage(written);
    ASSERT_TRUE(back) << extension;
    EXPECT_EQ(back->width, 32);
    EXPECT_EQ(back->height, 16);
  }
  EXPECT_EQ(Read("wood.png"), png);
  EXPECT_TRUE(notes_.empty());
}

TEST_F(TextureConversionTest, SourcesConvertingToOneNameGetTheirOwnAndOverwriteDecides) {
  XTextureSlot png =
      Bitmap("bark.png", texture::EncodeImage(Gradient(8, 8), texture::Format::kPng));
  XTextureSlot jpg =
      Bitmap("bark.jpg", texture::EncodeImage(Gradient(8, 8), texture::Format::kJpg));
  XTextureSlot other =
      Bitmap("bark.png", texture::EncodeImage(Gradient(4, 4), texture::Format::kPng), "other");
  for (XTextureSlot* slot : {&png, &jpg, &other}) EXPECT_EQ(Step(*slot), L"");
  EXPECT_EQ(png.fileName, L"bark.dds");
  EXPECT_EQ(jpg.fileName, L"bark_2.dds");
  EXPECT_EQ(other.fileName, L"bark_3.dds");
  EXPECT_EQ(Output(), (Names{"bark.dds", "bark_2.dds", "bark_3.dds"}));

  // A converted file already there stays unless OverwriteTexture says otherwise.
  std::ofstream(folder_ / "out" / "bark.dds") << "kept";
  XTextureSlot again = png;
  again.fileName = L"bark.png";
  OutputNames fresh;
  EXPECT_EQ(Step(again, fresh), L"");
  EXPECT_EQ(Read("bark.dds"), "kept");
  gExportOptions.OverwriteTexture = 1;
  OutputNames freshAgain;
  again.fileName = L"bark.png";
  EXPECT_EQ(Step(again, freshAgain), L"");
  EXPECT_EQ(Read("bark.dds").substr(0, 4), "DDS ");
}

TEST_F(TextureConversionTest, WhatCannotBeDecodedIsCopiedAsItIsAndReported) {
  XTextureSlot broken = Bitmap("broken.png", "not a picture");
  XTextureSlot tiff = Bitmap("scan.tif", "II* a tiff stb cannot read");
  std::wstring said = Step(broken);
  EXPECT_NE(said.find(L"not converted"), std::wstring::npos);
  EXPECT_NE(said.find(L"copied as it is"), std::wstring::npos);
  EXPECT_EQ(broken.fileName, L"broken.png");
  EXPECT_EQ(Read("broken.png"), "not a picture");
  EXPECT_NE(Step(tiff), L"");
  EXPECT_EQ(Read("scan.tif"), "II* a tiff stb cannot read");
  // Used again, it keeps its copy's name and is neither copied nor reported twice.
  XTextureSlot brokenAgain = Bitmap("broken.png", "not a picture");
  EXPECT_EQ(Step(brokenAgain), L"");
  EXPECT_EQ(brokenAgain.fileName, L"broken.png");
  // A TextureFormat none of the five: copied as without conversion, and reported.
  gExportOptions.TextureFormat = 7;
  XTextureSlot unknown =
      Bitmap("wood.png", texture::EncodeImage(Gradient(4, 4), texture::Format::kPng));
  EXPECT_NE(Step(unknown).find(L"TextureFormat 7"), std::wstring::npos);
  EXPECT_EQ(unknown.fileName, L"wood.png");
  gExportOptions.TextureFormat = 0;
  // A missing source is reported as before.
  XTextureSlot missing = broken;
  missing.filePath = platform::ToHostPath(folder_ / "src" / "gone.png");
  EXPECT_NE(Step(missing).find(L"was not found"), std::wstring::npos);
  EXPECT_EQ(Output(), (Names{"broken.png", "scan.tif", "wood.png"}));
}

TEST_F(TextureConversionTest, PowerOf2ResizesToTheNearestPowerOfTwo) {
  gExportOptions.PowerOf2 = 1;
  const std::tuple<int, int, std::uint32_t, std::uint32_t> sizes[] = {
      {300, 200, 256, 256}, {256, 256, 256, 256}, {1, 1000, 1, 1024}};
  for (auto [width, height, wantWidth, wantHeight] : sizes) {
    const std::string name = "t" + std::to_string(width) + "x" + std::to_string(height);
    XTextureSlot slot =
        Bitmap(name + ".png", texture::EncodeImage(Gradient(width, height), texture::Format::kPng));
    EXPECT_EQ(Step(slot), L"");
    EXPECT_EQ(DdsSize(name + ".dds"), std::make_pair(wantWidth, wantHeight)) << name;
  }
  // Other formats are resized alike; without TextureConvert nothing is, and the user is told.
  gExportOptions.TextureFormat = 1;
  XTextureSlot png =
      Bitmap("wide.png", texture::EncodeImage(Gradient(300, 200), texture::Format::kPng));
  OutputNames names;
  EXPECT_EQ(Step(png, names), L"");
  std::optional<texture::Image> back = texture::DecodeImage(Read("wide.png"));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 256);
  EXPECT_EQ(back->height, 256);
  gExportOptions.TextureConvert = 0;
  EXPECT_NE(TextureConversionWarning().find(L"PowerOf2"), std::wstring::npos);
  gExportOptions.PowerOf2 = 0;
  EXPECT_EQ(TextureConversionWarning(), L"");
}

TEST_F(TextureConversionTest, ProceduralMapsAreRenderedInTheFormatAndJpegLosesAlphaAloud) {
  sim::SimCheckerMap checkerMap{L"Checker", AColor(0, 0, 0), AColor(1, 1, 1)};
  XTextureSlot checker;
  checker.name = L"Map__1";
  checker.mapChannel = 1;
  checker.proceduralMap = &checkerMap;
  gExportOptions.TextureFormat = 1;
  EXPECT_EQ(Step(checker), L"");
  EXPECT_EQ(checker.fileName, L"Map__1.png");
  std::optional<texture::Image> rendered = texture::DecodeImage(Read("Map__1.png"));
  ASSERT_TRUE(rendered);
  EXPECT_EQ(rendered->width, 8);
  EXPECT_EQ(rendered->height, 4);
  // Both checker colours are there.
  std::set<int> reds;
  for (std::size_t i = 0; i < rendered->rgba.size(); i += 4) reds.insert(rendered->rgba[i]);
  EXPECT_EQ(reds, (std::set<int>{0, 255}));

  gExportOptions.TextureFormat = 3;
  XTextureSlot seeThrough =
      Bitmap("glass.png", texture::EncodeImage(Gradient(8, 8, true), texture::Format::kPng));
  EXPECT_EQ(Step(seeThrough), L"");
  EXPECT_EQ(seeThrough.fileName, L"glass.jpg");
  ASSERT_EQ(notes_.size(), 1u);
  EXPECT_NE(notes_[0].find(L"glass.jpg"), std::wstring::npos);
}

TEST_F(TextureConversionTest, ADdsSourceInTheChosenFormatIsKeptAsItIs) {
  const std::string dds = texture::EncodeImage(Gradient(16, 16), texture::Format::kDds);
  // Its mips cut off: a re-encoding would add them back.
  XTextureSlot slot = Bitmap("stone.DDS", dds.substr(0, 128 + 16 * 8));
  EXPECT_EQ(Step(slot), L"");
  EXPECT_EQ(slot.fileName, L"stone.dds");
  EXPECT_EQ(Read("stone.dds"), dds.substr(0, 128 + 16 * 8));
}

}  // namespace
