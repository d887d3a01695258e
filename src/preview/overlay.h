// What is drawn over the rendered picture on the CPU: the supersampled picture reduced to its
// final size, and short labels (the bounding box size, a view's name) in a small bitmap font.
#pragma once

#include <string>

#include "preview/image.h"

namespace preview {

// Averages each factor x factor block of `source` (RGBA, top row first) into one pixel.
Image Downsample(const std::uint8_t* source, int width, int height, int factor);

// Writes `text` with its top-left corner at (x, y), `scale` pixels per font unit, on a dark
// backing so it reads on any background.
void DrawLabel(Image& image, int x, int y, const std::string& text, int scale);

// The label's size in pixels at `scale`.
std::pair<int, int> LabelSize(const std::string& text, int scale);

}  // namespace preview
