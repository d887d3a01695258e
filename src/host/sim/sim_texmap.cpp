#include "host/sim/sim_texmap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace sim {

namespace {

AColor Blend(const AColor& from, const AColor& to, float t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
          from.a + (to.a - from.a) * t};
}

// The colour a flat normal map shows: the normal (0, 0, 1) stored as 0..1 components.
constexpr AColor kFlatNormal{0.5f, 0.5f, 1.0f, 1.0f};

// Pseudo-random 0..1 per lattice point. Integer mixing only, so every platform and every run
// agrees; the seed is fixed so that rendered noise is the same on every export.
float LatticeValue(std::int32_t x, std::int32_t y, std::int32_t z) {
  constexpr std::uint32_t kSeed = 0x72757621u;
  std::uint32_t h = kSeed;
  h ^= static_cast<std::uint32_t>(x) * 0x8da6b343u;
  h ^= static_cast<std::uint32_t>(y) * 0xd8163841u;
  h ^= static_cast<std::uint32_t>(z) * 0xcb1ab31fu;
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  h *= 0x846ca68bu;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFFu) / static_cast<float>(0xFFFFFFu);
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

// Lattice coordinates must fit an integer; beyond this the noise just repeats its edge cell.
float LatticeSafe(float c) {
  constexpr float kLimit = 1.0e6f;
  return std::isnan(c) ? 0.0f : std::clamp(c, -kLimit, kLimit);
}

}  // namespace

Matrix3 UVTransformOf(const UVPlacement& placement) {
  Matrix3 transform = TransMatrix({-0.5f, -0.5f, 0.0f});
  transform *= ScaleMatrix({placement.repeatU, placement.repeatV, 1.0f});
  transform *= RotateZMatrix(placement.angle * std::numbers::pi_v<float> / 180.0f);
  transform *= TransMatrix({0.5f + placement.offsetU, 0.5f + placement.offsetV, 0.0f});
  return transform;
}

float TileCoordinate(float c, bool wrap, bool mirror) {
  if (std::isnan(c)) return 0.0f;
  if (c >= 0.0f && c <= 1.0f) return c;
  if (std::isfinite(c)) {
    if (wrap) return c - std::floor(c);
    if (mirror) {
      float period = c - 2.0f * std::floor(c * 0.5f);
      return period <= 1.0f ? period : 2.0f - period;
    }
  }
  return c < 0.0f ? 0.0f : 1.0f;
}

SimBitmapTex::SimBitmapTex(std::wstring name, std::wstring hostPath)
    : SimMapBase(BMTEX_CLASS_ID, std::move(name)), path_(std::move(hostPath)) {
  SetCrop({});
}

void SimBitmapTex::SetCrop(const BitmapCrop& crop) {
  SimParamBlock* block = Block(0);
  block->Add(kBitmapCropU, L"clipu", TYPE_FLOAT, crop.u);
  block->Add(kBitmapCropV, L"clipv", TYPE_FLOAT, crop.v);
  block->Add(kBitmapCropWidth, L"clipw", TYPE_FLOAT, crop.width);
  block->Add(kBitmapCropHeight, L"cliph", TYPE_FLOAT, crop.height);
  block->Add(kBitmapCropApply, L"apply", TYPE_BOOL, crop.apply ? 1 : 0);
  block->Add(kBitmapCropPlace, L"cropPlace", TYPE_INT, crop.place ? 1 : 0);
}

SimNormalBumpMap::SimNormalBumpMap(std::wstring name)
    : SimTexmap(GNORMAL_CLASS_ID, std::move(name)) {
  SetNumSubTexmaps(2);
  SetFlatColor(kFlatNormal);
}

AColor SimNormalBumpMap::EvalColor(ShadeContext& context) {
  Texmap* normal = GetSubTexmap(0);
  return normal ? normal->EvalColor(context) : kFlatNormal;
}

SimCheckerMap::SimCheckerMap(std::wstring name, const AColor& color0, const AColor& color1)
    : SimTexmap(kCheckerMapClass, std::move(name)), colors_{color0, color1} {}

AColor SimCheckerMap::EvalColor(ShadeContext& context) {
  Point3 uvw = MapUVW(context);
  float checks = std::floor(uvw.x * 2.0f) + std::floor(uvw.y * 2.0f);
  return colors_[std::fmod(checks, 2.0f) == 0.0f ? 0 : 1];
}

SimGradientMap::SimGradientMap(std::wstring name, const std::array<AColor, 3>& colors, float middle)
    : SimTexmap(kGradientMapClass, std::move(name)),
      colors_(colors),
      middle_(std::isnan(middle) ? 0.5f : std::clamp(middle, 0.0f, 1.0f)) {}

AColor SimGradientMap::EvalColor(ShadeContext& context) {
  float v = MapUVW(context).y;
  if (v >= middle_) {
    float t = middle_ >= 1.0f ? 1.0f : (v - middle_) / (1.0f - middle_);
    return Blend(colors_[1], colors_[0], t);
  }
  // Here 0 <= v < middle, so middle is above 0.
  return Blend(colors_[2], colors_[1], v / middle_);
}

SimNoiseMap::SimNoiseMap(std::wstring name, const AColor& color0, const AColor& color1, float size)
    : SimTexmap(kNoiseMapClass, std::move(name)),
      colors_{color0, color1},
      size_(std::isfinite(size) && size > 0.0f ? size : 1.0f) {}

float SimNoiseMap::ValueAt(const Point3& point) const {
  Point3 p = point / size_;
  float c[3] = {LatticeSafe(p.x), LatticeSafe(p.y), LatticeSafe(p.z)};
  std::int32_t cell[3];
  float fade[3];
  for (int i = 0; i < 3; ++i) {
    float base = std::floor(c[i]);
    cell[i] = static_cast<std::int32_t>(base);
    fade[i] = Smooth(c[i] - base);
  }
  float corners[2][2][2];
  for (int dz = 0; dz < 2; ++dz) {
    for (int dy = 0; dy < 2; ++dy) {
      for (int dx = 0; dx < 2; ++dx) {
        corners[dz][dy][dx] = LatticeValue(cell[0] + dx, cell[1] + dy, cell[2] + dz);
      }
    }
  }
  auto lerp = [](float a, float b, float t) { return a + (b - a) * t; };
  float planes[2];
  for (int dz = 0; dz < 2; ++dz) {
    planes[dz] = lerp(lerp(corners[dz][0][0], corners[dz][0][1], fade[0]),
                      lerp(corners[dz][1][0], corners[dz][1][1], fade[0]), fade[1]);
  }
  return lerp(planes[0], planes[1], fade[2]);
}

AColor SimNoiseMap::EvalColor(ShadeContext& context) {
  return Blend(colors_[0], colors_[1], ValueAt(context.PObj()));
}

}  // namespace sim
