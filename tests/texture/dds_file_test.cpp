// DDS files as DirectX 9 readers take them: the header, the full mip chain, DXT1/3/5 decoding, and
// files that are not what they claim.
#include "texture/dds_file.h"

#include <gtest/gtest.h>
#include <squish.h>

#include <cstring>

#include "texture/resize.h"
#include "texture_test_support.h"

namespace texture::test {
namespace {

std::uint32_t Dword(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::size_t Blocks(int side) { return static_cast<std::size_t>(std::max(1, (side + 3) / 4)); }

// The average colour of an image, per channel.
std::array<double, 4> Mean(const Image& image) {
  std::array<double, 4> sum{};
  for (std::size_t i = 0; i < image.rgba.size(); ++i) sum[i % 4] += image.rgba[i];
  for (double& channel : sum) channel /= static_cast<double>(image.rgba.size() / 4);
  return sum;
}

TEST(DdsFile, HeaderAndMipChainAreWhatDirectXReads) {
  struct Case {
    int width, height;
    bool alpha;
    std::uint32_t levels;
  };
  for (Case c : {Case{300, 200, false, 9}, Case{256, 256, true, 9}, Case{1, 1000, false, 10},
                 Case{1, 1, true, 1}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const Image photo = Photo(c.width, c.height, c.alpha);
    const std::string dds = EncodeDds(photo);
    const std::size_t blockBytes = c.alpha ? 16 : 8;
    ASSERT_GE(dds.size(), 128u);
    EXPECT_EQ(dds.substr(0, 4), "DDS ");
    EXPECT_EQ(Dword(dds, 4), 124u);
    const std::uint32_t mipFlag = c.levels > 1 ? 0x20000 : 0;
    EXPECT_EQ(Dword(dds, 8), 0x1u | 0x2 | 0x4 | 0x1000 | 0x80000 | mipFlag);
    EXPECT_EQ(Dword(dds, 12), static_cast<std::uint32_t>(c.height));
    EXPECT_EQ(Dword(dds, 16), static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(Dword(dds, 20), Blocks(c.width) * Blocks(c.height) * blockBytes);
    EXPECT_EQ(Dword(dds, 28), c.levels);
    EXPECT_EQ(Dword(dds, 76), 32u);
    EXPECT_EQ(Dword(dds, 80), 0x4u);
    EXPECT_EQ(dds.substr(84, 4), c.alpha ? "DXT5" : "DXT1");
    EXPECT_EQ(Dword(dds, 108), c.levels > 1 ? 0x1000u | 0x8 | 0x400000 : 0x1000u);

    // Each level half the one above down to 1x1, every one holding the picture's average colour
    // (a level out of place or left empty would not).
    std::size_t at = 128;
    int width = c.width, height = c.height;
    const std::array<double, 4> mean = Mean(photo);
    for (std::uint32_t level = 0; level < c.levels; ++level) {
      const std::size_t bytes = Blocks(width) * Blocks(height) * blockBytes;
      ASSERT_LE(at + bytes, dds.size()) << "level " << level;
      Image decoded(width, height);
      squish::DecompressImage(decoded.rgba.data(), width, height, dds.data() + at,
                              c.alpha ? squish::kDxt5 : squish::kDxt1);
      // Colour is filtered weighted by alpha, so a translucent picture is checked by its alpha.
      for (int channel = c.alpha ? 3 : 0; channel < (c.alpha ? 4 : 3); ++channel) {
        EXPECT_NEAR(Mean(decoded)[channel], mean[channel], 12.0)
            << "level " << level << " channel " << channel;
      }
      at += bytes;
      width = std::max(1, width / 2);
      height = std::max(1, height / 2);
    }
    EXPECT_EQ(at, dds.size()) << "nothing after the last level";
  }
}

// A DXT3 file with no mips, as other tools write them, compressed by libsquish itself.
std::string Dxt3File(const Image& image) {
  std::string dds = EncodeDds(image);
  dds.resize(128);
  std::memcpy(dds.data() + 84, "DXT3", 4);
  const std::uint32_t one = 1;
  std::memcpy(dds.data() + 28, &one, 4);
  std::string blocks(static_cast<std::size_t>(
                         squish::GetStorageRequirements(image.width, image.height, squish::kDxt3)),
                     '\0');
  squish::CompressImage(image.rgba.data(), image.width, image.height, blocks.data(), squish::kDxt3);
  return dds + blocks;
}

TEST(DdsFile, Dxt1Dxt3AndDxt5DecodeWithAndWithoutMips) {
  const Image opaque = Photo(66, 34, false), translucent = Photo(66, 34, true);
  std::string dxt1 = EncodeDds(opaque);
  std::string dxt1Top = dxt1.substr(0, 128 + Blocks(66) * Blocks(34) * 8);
  for (const auto& [name, bytes, original] :
       {std::tuple{"DXT1 with mips", dxt1, opaque},
        std::tuple{"DXT1, top level only", dxt1Top, opaque},
        std::tuple{"DXT5", EncodeDds(translucent), translucent},
        std::tuple{"DXT3", Dxt3File(translucent), translucent}}) {
    SCOPED_TRACE(name);
    std::string problem;
    std::optional<Image> decoded = DecodeDds(bytes, &problem);
    ASSERT_TRUE(decoded) << problem;
    ASSERT_EQ(decoded->width, 66);
    ASSERT_EQ(decoded->height, 34);
    for (double channel : MeanAbsoluteError(original, *decoded)) EXPECT_LE(channel, 8.0);
  }
}

TEST(DdsFile, FilesThatAreNotWhatTheyClaimAreRefusedWithAReason) {
  const std::string good = EncodeDds(Photo(16, 16, false));
  auto with = [&good](std::size_t at, const char* four) {
    std::string bytes = good;
    std::memcpy(bytes.data() + at, four, 4);
    return bytes;
  };
  std::string huge = with(16, "\xff\xff\xff\xff");
  std::memcpy(huge.data() + 12, "\xff\xff\xff\xff", 4);
  const std::string cases[] = {
      good.substr(0, 100),               // header cut short
      good.substr(0, 128 + 8 * 16 - 1),  // blocks of the first level cut short
      with(0, "DDX "),                   // not the magic
      with(84, "DX10"),                  // a format we do not read
      with(84, "ATI2"),
      with(12, "\xff\xff\xff\x7f"),  // a height no memory holds
      with(16, "\0\0\0\0"),          // no width
      huge,                          // both sides 2^32 - 1
  };
  for (const std::string& bytes : cases) {
    std::string problem;
    EXPECT_FALSE(DecodeDds(bytes, &problem));
    EXPECT_FALSE(problem.empty());
  }
  EXPECT_TRUE(DecodeDds(good));
}

TEST(Resize, PowersOfTwoAreTheNearestATieGoingUp) {
  EXPECT_EQ(NearestPowerOfTwo(300), 256);
  EXPECT_EQ(NearestPowerOfTwo(200), 256);
  EXPECT_EQ(NearestPowerOfTwo(256), 256);
  EXPECT_EQ(NearestPowerOfTwo(1), 1);
  EXPECT_EQ(NearestPowerOfTwo(1000), 1024);
  EXPECT_EQ(NearestPowerOfTwo(3), 4);
  EXPECT_EQ(NearestPowerOfTwo(384), 512);
  EXPECT_EQ(NearestPowerOfTwo(383), 256);

  // Resampling keeps the picture's average colour and coverage.
  const Image photo = Photo(300, 200, true);
  const Image resized = Resized(photo, 256, 256);
  ASSERT_EQ(resized.rgba.size(), 256u * 256 * 4);
  EXPECT_NEAR(Mean(resized)[1], Mean(photo)[1], 3.0);
  EXPECT_NEAR(Mean(resized)[3], Mean(photo)[3], 3.0);
  EXPECT_EQ(MipLevels(Image(1, 1)).size(), 0u);
  std::vector<Image> levels = MipLevels(Image(5, 3));
  ASSERT_EQ(levels.size(), 2u);
  EXPECT_EQ(levels[0].width, 2);
  EXPECT_EQ(levels[0].height, 1);
  EXPECT_EQ(levels[1].width, 1);
}

}  // namespace
}  // namespace texture::test
