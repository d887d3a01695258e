#include "ruv/material/map_uv_transform.h"

#include "host/mtl.h"

namespace {

// Cropping values of a bitmap map's parameter block 0.
constexpr ParamID kCropU = 0, kCropV = 1, kCropWidth = 2, kCropHeight = 3, kCropApply = 6,
                  kCropMode = 7;

// The crop of a bitmap map that applies one, as a transform; nothing for any other map.
bool CropTransform(Texmap* map, Matrix2& crop) {
  if (map->ClassID() != BMTEX_CLASS_ID || map->NumParamBlocks() < 1) return false;
  IParamBlock2* block = map->GetParamBlock(0);
  if (!block) return false;
  if (block->GetInt(kCropApply, 0) == 0 || block->GetInt(kCropMode, 0) != 0) return false;
  float u = block->GetFloat(kCropU, 0), v = block->GetFloat(kCropV, 0);
  float width = block->GetFloat(kCropWidth, 0), height = block->GetFloat(kCropHeight, 0);
  crop = Matrix2{{width, 0}, {0, height}, {u, 1 - height - v}};
  return true;
}

}  // namespace

Matrix2 ComputeMapUVTransform(Texmap* map) {
  if (!map) return kVFlip;
  Matrix2 crop;
  bool cropped = CropTransform(map, crop);
  Matrix3 t3;
  map->GetUVTransform(t3);
  Matrix2 t2{{t3[0].x, t3[0].y}, {t3[1].x, t3[1].y}, {t3[3].x, t3[3].y}};
  Matrix2 mirror;
  int tiling = map->GetTextureTiling();
  if (tiling & U_MIRROR) mirror.x = {2, 0};
  if (tiling & V_MIRROR) mirror.y = {0, 2};
  Matrix2 r = t2 * mirror;
  if (r == Matrix2() && cropped) r = crop;
  return r * kVFlip;
}

TextureAddressing AddressingOf(Texmap* map) {
  int tiling = map ? map->GetTextureTiling() : 0;
  auto axis = [tiling](int wrap, int mirror) -> std::uint32_t {
    return (tiling & wrap) ? 1 : (tiling & mirror) ? 2 : 0;
  };
  return {axis(U_WRAP, U_MIRROR), axis(V_WRAP, V_MIRROR)};
}
