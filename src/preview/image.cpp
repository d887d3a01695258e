#include "preview/image.h"

#include <stb_image_write.h>

#include <optional>
#include <utility>

#include "platform/file_system.h"
#include "texture/image_codec.h"

namespace preview {
namespace {

// Other formats: a small file can claim a large picture (64M pixels, 256 MB decoded).
constexpr long long kMaxImagePixels = 1ll << 26;

void AppendBytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                             static_cast<std::size_t>(size));
}

}  // namespace

std::string EncodePng(const Image& image) {
  std::string bytes;
  if (image.width <= 0 || image.height <= 0) return bytes;
  if (!stbi_write_png_to_func(AppendBytes, &bytes, image.width, image.height, 4, image.rgba.data(),
                              image.width * 4)) {
    bytes.clear();
  }
  return bytes;
}

bool WritePng(const std::filesystem::path& path, const Image& image) {
  std::string bytes = EncodePng(image);
  return !bytes.empty() && platform::WriteFileAtomically(path, bytes);
}

Image ReadImageFile(const std::filesystem::path& path, std::string* error) {
  std::optional<std::string> bytes = platform::ReadWholeFile(path);
  if (!bytes) {
    if (error) *error = "cannot be read";
    return {};
  }
  std::string problem;
  // DDS levels are decoded as the exporter decodes them, at its own limit: their size is checked
  // against the bytes the file holds, so a large one is a real one.
  const long long maxPixels = bytes->rfind("DDS ", 0) == 0 ? texture::kMaxPixels : kMaxImagePixels;
  std::optional<Image> image = texture::DecodeImage(*bytes, &problem, maxPixels);
  if (!image) {
    // The library says "it is ...", "it cannot be decoded (...)": the caller names the file.
    if (error) {
      *error =
          problem.rfind("it ", 0) == 0 ? problem.substr(3) : "cannot be decoded (" + problem + ")";
    }
    return {};
  }
  return std::move(*image);
}

}  // namespace preview
