// A decoded texture (8-bit RGBA, top row first) and the file formats a texture is converted to.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace texture {

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
  // Every pixel fully covering: DXT1 holds it, and PNG, TGA and BMP need no alpha channel.
  bool Opaque() const;
};

// In the order of the TextureFormat option's values.
enum class Format { kDds = 0, kPng = 1, kTga = 2, kJpg = 3, kBmp = 4 };

// ".dds", ".png", ...
const wchar_t* ExtensionOf(Format format);

// The format of a file's bytes by its signature (TGA has none: `fileName`'s extension decides);
// nothing for a format not in the list.
std::optional<Format> FormatOf(std::string_view bytes, std::wstring_view fileName);

// Pictures above this many pixels are not decoded (1 GB of RGBA): a small file can claim one.
constexpr long long kMaxPixels = 1ll << 28;

}  // namespace texture
