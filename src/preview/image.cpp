#include "preview/image.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/file_system.h"
#include "texture/dds_file.h"

namespace preview {
namespace {

constexpr long long kMaxImagePixels = 1ll << 26;  // 64M pixels, 256 MB decoded

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
  if (bytes->compare(0, 4, "DDS ") == 0) {
    std::string problem;
    std::optional<texture::Image> dds = texture::DecodeDds(*bytes, &problem);
    if (!dds) {
      if (error) *error = "cannot be decoded (" + problem + ")";
      return {};
    }
    Image image;
    image.width = dds->width;
    image.height = dds->height;
    image.rgba = std::move(dds->rgba);
    return image;
  }
  int width = 0, height = 0, channels = 0;
  // The header first: a small file can claim a picture too large to decode into memory.
  if (stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(bytes->data()),
                            static_cast<int>(bytes->size()), &width, &height, &channels) &&
      static_cast<long long>(width) * height > kMaxImagePixels) {
    if (error) {
      *error = "is " + std::to_string(width) + "x" + std::to_string(height) + ", too large to read";
    }
    return {};
  }
  stbi_uc* pixels =
      stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes->data()),
                            static_cast<int>(bytes->size()), &width, &height, &channels, 4);
  if (!pixels) {
    if (error) *error = std::string("cannot be decoded (") + stbi_failure_reason() + ")";
    return {};
  }
  Image image(width, height);
  std::copy(pixels, pixels + image.rgba.size(), image.rgba.begin());
  stbi_image_free(pixels);
  return image;
}

}  // namespace preview
