#include "texture/image_codec.h"

#include <png.h>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "texture/dds_file.h"

namespace texture {
namespace {

constexpr int kJpegQuality = 90;

void AppendBytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                             static_cast<std::size_t>(size));
}

bool StartsWith(std::string_view bytes, std::string_view signature) {
  return bytes.substr(0, signature.size()) == signature;
}

// The pixels without their alpha, for the writers given three channels.
std::vector<std::uint8_t> Rgb(const Image& image) {
  std::vector<std::uint8_t> rgb(image.rgba.size() / 4 * 3);
  for (std::size_t i = 0, o = 0; i < image.rgba.size(); i += 4, o += 3) {
    rgb[o] = image.rgba[i];
    rgb[o + 1] = image.rgba[i + 1];
    rgb[o + 2] = image.rgba[i + 2];
  }
  return rgb;
}

// PNG through libpng, which decodes a large texture about a sixth faster than stb_image and
// into the image's own buffer.
std::optional<Image> DecodePng(std::string_view bytes, std::string* problem, long long maxPixels) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) {
    if (problem) *problem = std::string("it cannot be decoded (") + png.message + ")";
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(png.width) * png.height > static_cast<std::uint64_t>(maxPixels)) {
    if (problem) {
      *problem = "it is " + std::to_string(png.width) + "x" + std::to_string(png.height) +
                 " pixels, too large to decode";
    }
    png_image_free(&png);
    return std::nullopt;
  }
  png.format = PNG_FORMAT_RGBA;
  Image image(static_cast<int>(png.width), static_cast<int>(png.height));
  if (!png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr)) {
    if (problem) *problem = std::string("it cannot be decoded (") + png.message + ")";
    return std::nullopt;
  }
  return image;
}

}  // namespace

std::optional<Image> DecodeImage(std::string_view bytes, std::string* problem,
                                 long long maxPixels) {
  if (StartsWith(bytes, "DDS ")) return DecodeDds(bytes, problem, maxPixels);
  if (FormatOf(bytes, L"") == Format::kPng) return DecodePng(bytes, problem, maxPixels);
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    if (problem) *problem = "the file is too large";
    return std::nullopt;
  }
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  int width = 0, height = 0, channels = 0;
  // The header first: a small file can claim a picture too large to decode into memory. A header
  // that says nothing is not decoded blind, and a top-down BMP gives its height negative.
  if (!stbi_info_from_memory(data, size, &width, &height, &channels)) {
    if (problem) *problem = std::string("it cannot be decoded (") + stbi_failure_reason() + ")";
    return std::nullopt;
  }
  const long long area =
      std::llabs(static_cast<long long>(width)) * std::llabs(static_cast<long long>(height));
  if (area > maxPixels) {
    if (problem) {
      *problem = "it is " + std::to_string(std::llabs(static_cast<long long>(width))) + "x" +
                 std::to_string(std::llabs(static_cast<long long>(height))) +
                 " pixels, too large to decode";
    }
    return std::nullopt;
  }
  stbi_uc* pixels = stbi_load_from_memory(data, size, &width, &height, &channels, 4);
  if (!pixels) {
    if (problem) *problem = std::string("it cannot be decoded (") + stbi_failure_reason() + ")";
    return std::nullopt;
  }
  Image image(width, height);
  std::copy(pixels, pixels + image.rgba.size(), image.rgba.begin());
  stbi_image_free(pixels);
  return image;
}

std::string EncodeImage(const Image& image, Format format) {
  if (image.width <= 0 || image.height <= 0) return {};
  if (format == Format::kDds) return EncodeDds(image);
  std::string bytes;
  const bool opaque = image.Opaque();
  std::vector<std::uint8_t> rgb;
  const void* pixels = image.rgba.data();
  int channels = 4;
  if (opaque || format == Format::kJpg) {
    rgb = Rgb(image);
    pixels = rgb.data();
    channels = 3;
  }
  const int w = image.width, h = image.height;
  int written = 0;
  switch (format) {
    case Format::kPng:
      written = stbi_write_png_to_func(AppendBytes, &bytes, w, h, channels, pixels, w * channels);
      break;
    case Format::kTga:
      written = stbi_write_tga_to_func(AppendBytes, &bytes, w, h, channels, pixels);
      break;
    case Format::kJpg:
      written = stbi_write_jpg_to_func(AppendBytes, &bytes, w, h, channels, pixels, kJpegQuality);
      break;
    case Format::kBmp:
      written = stbi_write_bmp_to_func(AppendBytes, &bytes, w, h, channels, pixels);
      break;
    case Format::kDds:
      break;
  }
  if (!written) bytes.clear();
  return bytes;
}

}  // namespace texture
