#include "preview/gl_context.h"

#include <string>

#include "preview/gl_api.h"

namespace preview {

OffscreenContext::OffscreenContext(int width, int height) : width_(width), height_(height) {
  context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  if (!context_) throw RenderError("cannot create an off-screen OpenGL context (OSMesa)");
  buffer_.resize(static_cast<std::size_t>(width) * height * 4);
  if (!OSMesaMakeCurrent(static_cast<OSMesaContext>(context_), buffer_.data(), GL_UNSIGNED_BYTE,
                         width, height)) {
    OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
    throw RenderError("cannot draw a " + std::to_string(width) + "x" + std::to_string(height) +
                      " picture off screen");
  }
  OSMesaPixelStore(OSMESA_Y_UP, 0);
  if (const char* missing = LoadGlFunctions()) {
    OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
    throw RenderError(std::string("the off-screen OpenGL library lacks ") + missing);
  }
}

const char* LoadGlFunctions() {
#define RUV_GL_LOAD(name)                                               \
  name = reinterpret_cast<decltype(name)>(OSMesaGetProcAddress(#name)); \
  if (!name) return #name;
  RUV_GL_FUNCTIONS(RUV_GL_LOAD)
#undef RUV_GL_LOAD
  return nullptr;
}

OffscreenContext::~OffscreenContext() {
  OSMesaDestroyContext(static_cast<OSMesaContext>(context_));
}

const std::vector<std::uint8_t>& OffscreenContext::Pixels() {
  glFinish();
  return buffer_;
}

int OffscreenContext::MaxSide() {
  OSMesaContext probe = OSMesaCreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
  if (!probe) return 0;
  std::uint8_t pixel[4];
  GLint maxWidth = 0, maxHeight = 0;
  if (OSMesaMakeCurrent(probe, pixel, GL_UNSIGNED_BYTE, 1, 1)) {
    OSMesaGetIntegerv(OSMESA_MAX_WIDTH, &maxWidth);
    OSMesaGetIntegerv(OSMESA_MAX_HEIGHT, &maxHeight);
  }
  OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
  OSMesaDestroyContext(probe);
  return maxWidth < maxHeight ? maxWidth : maxHeight;
}

}  // namespace preview
