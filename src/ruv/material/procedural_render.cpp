#include "ruv/material/procedural_render.h"

#include <cmath>

#include "host/bitmap.h"
#include "host/mtl.h"
#include "ruv/material/shader_context_tex.h"

namespace {

// Evaluates `map` at the centre of every pixel, rows top to bottom, as the host renders a map to a
// bitmap, handing each colour to `put` (column, row, colour).
template <class Put>
void EvaluateMap(Texmap* map, int width, int height, Put put) {
  ShaderContextTex context;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  context.duv = Point2(1.0f / w, 1.0f / h);
  for (int r = 0; r < height; ++r) {
    const float k = static_cast<float>(height - r);
    context.uv.y = ((k - h / 2.0f) / (h / 2.0f) + 1.0f) * 0.5f;
    context.objectPoint.y = k * 100.0f / h;
    context.screenY = r;
    for (int c = 0; c < width; ++c) {
      const float column = static_cast<float>(c);
      context.uv.x = ((column - w / 2.0f) / (w / 2.0f) + 1.0f) * 0.5f;
      context.objectPoint.x = column * 100.0f / w;
      context.screenX = c;
      context.ResetOutput();
      put(c, r, map->EvalColor(context));
    }
  }
}

// As the bitmap manager stores a channel.
std::uint8_t ToByte(float value) {
  if (!(value > 0.0f)) return 0;
  if (value >= 1.0f) return 255;
  return static_cast<std::uint8_t>(std::lround(value * 255.0f));
}

}  // namespace

bool RenderProceduralMap(Texmap* map, const std::wstring& targetPath, int width, int height) {
  if (!map || targetPath.empty()) return false;
  BitmapInfo info;
  info.SetName(targetPath.c_str());
  info.SetWidth(width);
  info.SetHeight(height);
  info.SetType(BMM_TRUE_32);
  info.SetFlags(MAP_HAS_ALPHA);
  Bitmap* bitmap = TheManager->Create(&info);
  if (!bitmap) return false;
  EvaluateMap(map, width, height, [bitmap](int c, int r, const AColor& color) {
    BMM_Color_fl pixel{color.r, color.g, color.b, color.a};
    bitmap->PutPixels(c, r, 1, &pixel);
  });
  bitmap->OpenOutput(&info);
  int result = bitmap->Write(&info, BMM_SINGLEFRAME);
  bitmap->Close(&info);
  bitmap->DeleteThis();
  return result == BMMRES_SUCCESS;
}

std::vector<std::uint8_t> RenderProceduralPixels(Texmap* map, int width, int height) {
  if (!map || width <= 0 || height <= 0) return {};
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  EvaluateMap(map, width, height, [&rgba, width](int c, int r, const AColor& color) {
    std::uint8_t* p = &rgba[(static_cast<std::size_t>(r) * width + c) * 4];
    p[0] = ToByte(color.r);
    p[1] = ToByte(color.g);
    p[2] = ToByte(color.b);
    p[3] = ToByte(color.a);
  });
  return rgba;
}
