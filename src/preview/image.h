// An RGBA picture, top row first, and its PNG form.
#pragma once

#include <filesystem>
#include <string>

#include "texture/texture_image.h"

namespace preview {

// The texture library's picture: the preview draws what the exporter converts.
using Image = texture::Image;

// The picture as PNG bytes; empty if it cannot be encoded.
std::string EncodePng(const Image& image);
// Writes the PNG whole or not at all (an earlier file stays as it was on failure).
bool WritePng(const std::filesystem::path& path, const Image& image);
// Decodes a PNG, BMP, JPEG, TGA or DDS (DXT1, DXT3, DXT5) file into RGBA through the texture
// library, up to 64M pixels (DDS files up to the exporter's limit); an empty image when it cannot,
// with why in `error`.
Image ReadImageFile(const std::filesystem::path& path, std::string* error = nullptr);

}  // namespace preview
