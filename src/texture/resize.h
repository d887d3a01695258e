// Resampling: the power-of-two size older hardware needs, and the levels of a mip chain.
#pragma once

#include <vector>

#include "texture/texture_image.h"

namespace texture {

// The power of two nearest to `size` (>= 1), a tie going up: 300 -> 256, 200 -> 256, 1000 -> 1024.
int NearestPowerOfTwo(int size);

// `image` resampled to width x height (Mitchell filter down, Catmull-Rom up; alpha-weighted, so
// that the colour of transparent pixels does not bleed). The image itself when the size is its own.
Image Resized(const Image& image, int width, int height);

// Every level below `top`, each half the one above (at least 1 a side) and box-filtered from it, to
// 1x1. Empty for a 1x1 image.
std::vector<Image> MipLevels(const Image& top);

}  // namespace texture
