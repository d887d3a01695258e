#include "ruv/material/texture_conversion.h"

#include <utility>

#include "platform/text_encoding.h"
#include "ruv/options/export_options.h"
#include "texture/resize.h"
#include "texture/texture_image.h"

namespace {

constexpr int kFormats = 5;

ConvertedFile Encode(texture::Image image, const TextureConversion& conversion,
                     bool* unchanged = nullptr) {
  ConvertedFile out;
  if (conversion.powerOf2) {
    int width = texture::NearestPowerOfTwo(image.width);
    int height = texture::NearestPowerOfTwo(image.height);
    if (width != image.width || height != image.height) {
      image = texture::Resized(image, width, height);
      if (unchanged) *unchanged = false;
    }
  }
  const auto format = static_cast<texture::Format>(conversion.format);
  if (unchanged && *unchanged) return out;
  out.alphaLost = format == texture::Format::kJpg && !image.Opaque();
  out.bytes = texture::EncodeImage(image, format);
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
  bool unchanged =
      texture::FormatOf(source, sourceName) == static_cast<texture::Format>(conversion.format);
  ConvertedFile out = Encode(std::move(*image), conversion, &unchanged);
  if (unchanged) out.bytes = source;
  return out;
}

ConvertedFile ConvertPixels(std::vector<std::uint8_t> rgba, int width, int height,
                            const TextureConversion& conversion) {
  texture::Image image;
  image.width = width;
  image.height = height;
  image.rgba = std::move(rgba);
  return Encode(std::move(image), conversion);
}
