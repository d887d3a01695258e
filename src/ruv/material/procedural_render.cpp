#include "ruv/material/procedural_render.h"

#include "host/bitmap.h"
#include "host/mtl.h"
#include "ruv/material/shader_context_tex.h"

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
      AColor color = map->EvalColor(context);
      BMM_Color_fl pixel{color.r, color.g, color.b, color.a};
      bitmap->PutPixels(c, r, 1, &pixel);
    }
  }

  bitmap->OpenOutput(&info);
  int result = bitmap->Write(&info, BMM_SINGLEFRAME);
  bitmap->Close(&info);
  bitmap->DeleteThis();
  return result == BMMRES_SUCCESS;
}
