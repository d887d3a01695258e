// Every format a texture is converted to, read back by ImageMagick within what the format loses.
#include <gtest/gtest.h>
#include <zlib.h>

#include "texture/dds_file.h"
#include "texture/image_codec.h"
#include "texture_test_support.h"

namespace texture::test {
namespace {

struct FormatCase {
  Format format;
  double maxError;  // mean absolute error per channel
};

// Lossless formats come back exact; DXT and JPEG within their expected error.
constexpr FormatCase kFormats[] = {{Format::kDds, 8.0},
                                   {Format::kPng, 0.0},
                                   {Format::kTga, 0.0},
                                   {Format::kJpg, 6.0},
                                   {Format::kBmp, 0.0}};

void ExpectReadBack(const Image& photo, bool withAlpha, const Folder& folder) {
  for (const FormatCase& c : kFormats) {
    if (withAlpha && c.format == Format::kJpg) continue;  // JPEG holds no alpha
    const std::string extension = c.format == Format::kDds   ? "dds"
                                  : c.format == Format::kPng ? "png"
                                  : c.format == Format::kTga ? "tga"
                                  : c.format == Format::kJpg ? "jpg"
                                                             : "bmp";
    SCOPED_TRACE(extension + (withAlpha ? " with alpha" : " opaque"));
    const std::filesystem::path file = folder.Path() / ("photo." + extension);
    ASSERT_TRUE(platform::WriteFileAtomically(file, EncodeImage(photo, c.format)));
    std::optional<Image> read = ReadWithImageMagick(file, photo.width, photo.height);
    ASSERT_TRUE(read) << "ImageMagick does not read it as a " << photo.width << "x" << photo.height
                      << " image";
    std::array<double, 4> error = MeanAbsoluteError(photo, *read);
    for (int channel = 0; channel < 4; ++channel) {
      EXPECT_LE(error[channel], c.maxError) << "channel " << channel;
    }
    // Our own reader agrees with ImageMagick's.
    std::optional<Image> ours = DecodeImage(*platform::ReadWholeFile(file));
    ASSERT_TRUE(ours);
    for (double channel : MeanAbsoluteError(*ours, *read)) EXPECT_LE(channel, 1.0);
  }
}

TEST(TextureFormats, EveryFormatReadsBackInImageMagickWithinItsError) {
  REQUIRE_IMAGEMAGICK();
  Folder folder;
  // Sides that are not multiples of 4 give DXT partial blocks at the edges.
  ExpectReadBack(Photo(250, 130, false), false, folder);
  ExpectReadBack(Photo(250, 130, true), true, folder);
}

TEST(TextureFormats, OpaqueImagesLeaveOutAlphaAndFormatsAreKnownBySignature) {
  const Image opaque = Photo(8, 8, false), translucent = Photo(8, 8, true);
  EXPECT_TRUE(opaque.Opaque());
  EXPECT_FALSE(translucent.Opaque());
  // 24 bits per pixel in the BMP header without alpha, 32 with.
  EXPECT_EQ(EncodeImage(opaque, Format::kBmp)[28], 24);
  EXPECT_EQ(EncodeImage(translucent, Format::kBmp)[28], 32);
  EXPECT_EQ(EncodeDds(opaque).substr(84, 4), "DXT1");
  EXPECT_EQ(EncodeDds(translucent).substr(84, 4), "DXT5");

  EXPECT_EQ(FormatOf(EncodeImage(opaque, Format::kPng), L"x"), Format::kPng);
  EXPECT_EQ(FormatOf(EncodeImage(opaque, Format::kJpg), L"x"), Format::kJpg);
  EXPECT_EQ(FormatOf(EncodeImage(opaque, Format::kBmp), L"x"), Format::kBmp);
  EXPECT_EQ(FormatOf(EncodeImage(opaque, Format::kDds), L"x"), Format::kDds);
  EXPECT_EQ(FormatOf(EncodeImage(opaque, Format::kTga), L"bark.TGA"), Format::kTga);
  EXPECT_EQ(FormatOf("GIF89a", L"a.gif"), std::nullopt);
}

TEST(TextureFormats, WhatCannotBeDecodedSaysWhy) {
  std::string problem;
  EXPECT_FALSE(DecodeImage("not an image at all", &problem));
  EXPECT_NE(problem.find("cannot be decoded"), std::string::npos) << problem;
  // A PNG header claiming 100000 x 100000 pixels is refused before anything is allocated.
  std::string png = EncodeImage(Photo(2, 2, false), Format::kPng);
  png[16] = png[20] = 0;
  png[17] = png[21] = 0x01;
  png[18] = png[22] = static_cast<char>(0x86);
  png[19] = png[23] = static_cast<char>(0xA0);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<char>(crc >> (24 - 8 * i) & 0xff);
  EXPECT_FALSE(DecodeImage(png, &problem));
  EXPECT_NE(problem.find("too large"), std::string::npos) << problem;
  // So is a BMP (read by stb_image) claiming 65536 x 65536.
  std::string bmp = EncodeImage(Photo(2, 2, false), Format::kBmp);
  bmp[18] = bmp[22] = 0;
  bmp[19] = bmp[23] = 0;
  bmp[20] = bmp[24] = 1;
  problem.clear();
  EXPECT_FALSE(DecodeImage(bmp, &problem));
  EXPECT_NE(problem.find("too large"), std::string::npos) << problem;
  // A top-down BMP gives its height negative: 2308 x -196608 claims 453M pixels, which stb_image
  // itself would allocate.
  bmp[18] = 0x04;
  bmp[19] = 0x09;
  bmp[20] = 0;
  bmp[22] = bmp[23] = 0;
  bmp[24] = static_cast<char>(0xFD);
  bmp[25] = static_cast<char>(0xFF);
  problem.clear();
  EXPECT_FALSE(DecodeImage(bmp, &problem));
  EXPECT_EQ(problem, "it is 2308x196608 pixels, too large to decode");
}

}  // namespace
}  // namespace texture::test
