#include "preview/overlay.h"

#include <algorithm>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_easy_font.h>
#pragma GCC diagnostic pop

namespace preview {
namespace {

void FillRect(Image& image, int x0, int y0, int x1, int y1, const std::uint8_t color[4],
              float alpha) {
  x0 = std::max(x0, 0), y0 = std::max(y0, 0);
  x1 = std::min(x1, image.width), y1 = std::min(y1, image.height);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      std::uint8_t* p = image.Pixel(x, y);
      for (int c = 0; c < 3; ++c)
        p[c] = static_cast<std::uint8_t>(p[c] + (color[c] - p[c]) * alpha);
      p[3] = 255;
    }
  }
}

}  // namespace

Image Downsample(const std::uint8_t* source, int width, int height, int factor) {
  Image image(width / factor, height / factor);
  int area = factor * factor;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      int sum[4] = {0, 0, 0, 0};
      for (int dy = 0; dy < factor; ++dy) {
        const std::uint8_t* row =
            source + (static_cast<std::size_t>(y * factor + dy) * width + x * factor) * 4;
        for (int dx = 0; dx < factor * 4; ++dx) sum[dx % 4] += row[dx];
      }
      std::uint8_t* p = image.Pixel(x, y);
      for (int c = 0; c < 4; ++c) p[c] = static_cast<std::uint8_t>((sum[c] + area / 2) / area);
    }
  }
  return image;
}

std::pair<int, int> LabelSize(const std::string& text, int scale) {
  std::string copy = text;
  return {stb_easy_font_width(copy.data()) * scale, 7 * scale};
}

void DrawLabel(Image& image, int x, int y, const std::string& text, int scale) {
  std::string copy = text;
  std::vector<char> buffer(copy.size() * 300 + 64);
  int quads = stb_easy_font_print(0, 0, copy.data(), nullptr, buffer.data(),
                                  static_cast<int>(buffer.size()));
  auto [width, height] = LabelSize(text, scale);
  const std::uint8_t backing[4] = {0, 0, 0, 255};
  const std::uint8_t ink[4] = {235, 235, 235, 255};
  FillRect(image, x - 2 * scale, y - 2 * scale, x + width + 2 * scale, y + height + 2 * scale,
           backing, 0.45f);
  // Each vertex is x, y, z (floats) and a colour: 16 bytes; every glyph stroke is one quad.
  const float* v = reinterpret_cast<const float*>(buffer.data());
  for (int q = 0; q < quads; ++q) {
    const float* quad = v + q * 16;
    float minX = std::min({quad[0], quad[4], quad[8], quad[12]});
    float maxX = std::max({quad[0], quad[4], quad[8], quad[12]});
    float minY = std::min({quad[1], quad[5], quad[9], quad[13]});
    float maxY = std::max({quad[1], quad[5], quad[9], quad[13]});
    FillRect(image, x + static_cast<int>(minX * scale), y + static_cast<int>(minY * scale),
             x + static_cast<int>(maxX * scale), y + static_cast<int>(maxY * scale), ink, 1.0f);
  }
}

}  // namespace preview
