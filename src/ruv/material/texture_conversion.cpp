#include "ruv/material/texture_conversion.h"

#include <utility>

#include "platform/text_encoding.h"
#include "ruv/options/export_options.h"
#include "texture/image_codec.h"
#include "texture/resize.h"

namespace {

constexpr int kFormats = 5;

// The size the image is written at: its own, or with PowerOf2 the nearest powers of two.
std::pair<int, int> TargetSize(const texture::Image& image, const TextureConversion& conversion) {
  if (!conversion.powerOf2) return {image.width, image.height};
  return {texture::NearestPowerOfTwo(image.width), texture::NearestPowerOfTwo(image.height)};
}

ConvertedFile Encode(const texture::Image& image, const TextureConversion& conversion) {
  const auto [width, height] = TargetSize(image, conversion);
  ConvertedFile out;
  texture::Image resized;
  const bool resize = width != image.width || height != image.height;
  if (resize) {
    resized = texture::Resized(image, width, height);
    if (resized.width == 0) {
      out.problem =
          L"it could not be resized to " + std::to_wstring(width) + L"x" + std::to_wstring(height);
      return out;
    }
  }
  const texture::Image& sized = resize ? resized : image;
  const auto format = static_cast<texture::Format>(conversion.format);
  out.alphaLost = format == texture::Format::kJpg && !sized.Opaque();
  out.bytes = texture::EncodeImage(sized, format);
  if (out.bytes.empty()) out.problem = L"it could not be encoded";
  return out;
}

}  // namespace

TextureConversion TextureConversion::FromOptions() {
  TextureConversion conversion;
  conversion.format = gExportOptions.TextureFormat;
  conversion.on =
      gExportOptions.TextureConvert != 0 && conversion.format >= 0 && conversion.format < kFormats;
  conversion.powerOf2 = conversion.on && gExportOptions.PowerOf2 != 0;
  return conversion;
}

std::wstring TextureConversion::NameFor(const std::wstring& fileName) const {
  std::size_t dot = fileName.rfind(L'.');
  std::wstring stem = dot == std::wstring::npos || dot == 0 ? fileName : fileName.substr(0, dot);
  return stem + texture::ExtensionOf(static_cast<texture::Format>(format));
}

ConvertedFile ConvertTexture(const std::string& source, const std::wstring& sourceName,
                             const TextureConversion& conversion) {
  std::string problem;
  std::optional<texture::Image> image = texture::DecodeImage(source, &problem);
  if (!image) {
    ConvertedFile out;
    out.problem = platform::Utf8ToWide(problem);
    return out;
  }
  // Re-encoding a file already in the format would only lose quality (or a DDS file's own mips).
  if (texture::FormatOf(source, sourceName) == static_cast<texture::Format>(conversion.format) &&
      TargetSize(*image, conversion) == std::pair{image->width, image->height}) {
    ConvertedFile out;
    out.bytes = source;
    return out;
  }
  return Encode(*image, conversion);
}

ConvertedFile ConvertPixels(std::vector<std::uint8_t> rgba, int width, int height,
                            const TextureConversion& conversion) {
  texture::Image image;
  image.width = width;
  image.height = height;
  image.rgba = std::move(rgba);
  return Encode(image, conversion);
}
