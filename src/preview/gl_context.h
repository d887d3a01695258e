// An off-screen OpenGL context drawing into memory (Mesa's OSMesa, software rasteriser): no
// window and no display are needed.
#pragma once

#include <cstdint>
#include <vector>

#include "preview/render_error.h"

namespace preview {

class OffscreenContext {
 public:
  // Throws RenderError when the context cannot be made current.
  OffscreenContext(int width, int height);
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  // The pixels drawn so far, RGBA, top row first (waits for drawing to finish).
  const std::vector<std::uint8_t>& Pixels();

  // The largest picture side the implementation draws.
  static int MaxSide();

 private:
  void* context_ = nullptr;
  int width_, height_;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace preview
