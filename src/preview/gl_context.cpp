#include "preview/gl_context.h"

#include <string>

#include "preview/gl_api.h"
#include "preview/osmesa_library.h"

namespace preview {

OffscreenContext::OffscreenContext(int width, int height) : width_(width), height_(height) {
  const OsmesaLibrary& osmesa = Osmesa();
  // The buffer first: when memory runs out, no context is left behind.
  buffer_.resize(static_cast<std::size_t>(width) * height * 4);
  context_ = osmesa.CreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  if (!context_) throw RenderError("cannot create an off-screen OpenGL context (OSMesa)");
  if (!osmesa.MakeCurrent(static_cast<OSMesaContext>(context_), buffer_.data(), GL_UNSIGNED_BYTE,
                          width, height)) {
    osmesa.DestroyContext(static_cast<OSMesaContext>(context_));
    throw RenderError("cannot draw a " + std::to_string(width) + "x" + std::to_string(height) +
                      " picture off screen");
  }
  osmesa.PixelStore(OSMESA_Y_UP, 0);
  if (const char* missing = LoadGlFunctions()) {
    osmesa.DestroyContext(static_cast<OSMesaContext>(context_));
    throw RenderError(std::string("the off-screen OpenGL library lacks ") + missing);
  }
}

const char* LoadGlFunctions() {
  const auto getProcAddress = Osmesa().GetProcAddress;
#define RUV_GL_LOAD(name)                                         \
  name = reinterpret_cast<decltype(name)>(getProcAddress(#name)); \
  if (!name) return #name;
  RUV_GL_FUNCTIONS(RUV_GL_LOAD)
#undef RUV_GL_LOAD
  return nullptr;
}

OffscreenContext::~OffscreenContext() {
  Osmesa().DestroyContext(static_cast<OSMesaContext>(context_));
}

const std::vector<std::uint8_t>& OffscreenContext::Pixels() {
  glFinish();
  return buffer_;
}

int OffscreenContext::MaxSide() {
  const OsmesaLibrary* osmesa = nullptr;
  try {
    osmesa = &Osmesa();
  } catch (const RenderError&) {
    return 0;
  }
  OSMesaContext probe = osmesa->CreateContextExt(OSMESA_RGBA, 0, 0, 0, nullptr);
  if (!probe) return 0;
  std::uint8_t pixel[4];
  GLint maxWidth = 0, maxHeight = 0;
  if (osmesa->MakeCurrent(probe, pixel, GL_UNSIGNED_BYTE, 1, 1)) {
    osmesa->GetIntegerv(OSMESA_MAX_WIDTH, &maxWidth);
    osmesa->GetIntegerv(OSMESA_MAX_HEIGHT, &maxHeight);
  }
  osmesa->MakeCurrent(nullptr, nullptr, 0, 0, 0);
  osmesa->DestroyContext(probe);
  return maxWidth < maxHeight ? maxWidth : maxHeight;
}

}  // namespace preview
