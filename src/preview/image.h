// An RGBA picture, top row first, and its PNG form.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace preview {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // 4 bytes per pixel, rows top to bottom

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}
  std::uint8_t* Pixel(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
  std::array<std::uint8_t, 4> At(int x, int y) const {
    const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }
};

// The picture as PNG bytes; empty if it cannot be encoded.
std::string EncodePng(const Image& image);
// Writes the PNG whole or not at all (an earlier file stays as it was on failure).
bool WritePng(const std::filesystem::path& path, const Image& image);
// Decodes a PNG, BMP, JPEG, TGA or DDS (DXT1, DXT3, DXT5) file into RGBA; an empty image when it
// cannot.
Image ReadImageFile(const std::filesystem::path& path, std::string* error = nullptr);

}  // namespace preview
