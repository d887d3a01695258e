#include "texture/resize.h"

#include <stb_image_resize.h>

#include <algorithm>

namespace texture {
namespace {

Image Resample(const Image& image, int width, int height, stbir_filter filter) {
  Image out(width, height);
  // The alpha weighting only matters where something is transparent, and costs a pass.
  const int alpha = image.Opaque() ? STBIR_ALPHA_CHANNEL_NONE : 3;
  if (!stbir_resize_uint8_generic(image.rgba.data(), image.width, image.height, image.width * 4,
                                  out.rgba.data(), width, height, width * 4, 4, alpha, 0,
                                  STBIR_EDGE_CLAMP, filter, STBIR_COLORSPACE_LINEAR, nullptr)) {
    return {};
  }
  return out;
}

// The next level of an image of even sides: each pixel the average of the 2x2 pixels above it, its
// colour weighted by their alpha (so that transparent pixels give no colour). This is exactly the
// box filter stb_image_resize applies at a ratio of 2, at a tenth of its cost, which matters for
// the largest textures; odd sides go through stb_image_resize.
Image HalvedEvenSides(const Image& above) {
  Image out(above.width / 2, above.height / 2);
  const std::size_t rowBytes = static_cast<std::size_t>(above.width) * 4;
  for (int y = 0; y < out.height; ++y) {
    const std::uint8_t* top = &above.rgba[static_cast<std::size_t>(2 * y) * rowBytes];
    const std::uint8_t* bottom = top + rowBytes;
    std::uint8_t* target = &out.rgba[static_cast<std::size_t>(y) * out.width * 4];
    for (int x = 0; x < out.width; ++x, top += 8, bottom += 8, target += 4) {
      const unsigned a0 = top[3], a1 = top[7], a2 = bottom[3], a3 = bottom[7];
      const unsigned alpha = a0 + a1 + a2 + a3;
      if (alpha == 4 * 255) {
        for (int c = 0; c < 3; ++c) {
          target[c] =
              static_cast<std::uint8_t>((top[c] + top[4 + c] + bottom[c] + bottom[4 + c] + 2) / 4);
        }
      } else if (alpha == 0) {
        for (int c = 0; c < 3; ++c) target[c] = 0;
      } else {
        for (int c = 0; c < 3; ++c) {
          const unsigned weighted =
              top[c] * a0 + top[4 + c] * a1 + bottom[c] * a2 + bottom[4 + c] * a3;
          target[c] = static_cast<std::uint8_t>((weighted + alpha / 2) / alpha);
        }
      }
      target[3] = static_cast<std::uint8_t>((alpha + 2) / 4);
    }
  }
  return out;
}

}  // namespace

int NearestPowerOfTwo(int size) {
  int below = 1;
  while (below <= size / 2) below *= 2;
  if (below >= (1 << 30)) return below;
  const int above = below * 2;
  return size - below < above - size ? below : above;
}

Image Resized(const Image& image, int width, int height) {
  if (width == image.width && height == image.height) return image;
  return Resample(image, width, height, STBIR_FILTER_DEFAULT);
}

std::vector<Image> MipLevels(const Image& top) {
  std::vector<Image> levels;
  levels.reserve(32);
  const Image* above = &top;
  while (above->width > 1 || above->height > 1) {
    int width = std::max(1, above->width / 2), height = std::max(1, above->height / 2);
    Image level = above->width % 2 == 0 && above->height % 2 == 0
                      ? HalvedEvenSides(*above)
                      : Resample(*above, width, height, STBIR_FILTER_BOX);
    if (level.width == 0) break;
    levels.push_back(std::move(level));
    above = &levels.back();
  }
  return levels;
}

}  // namespace texture
