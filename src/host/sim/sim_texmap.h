// Maps of the in-memory host: the bitmap map, Normal Bump, the Vertex Color map, maps of any class,
// and three procedural maps (checker, gradient, noise) that really evaluate. The scene owns them
// all; sub-maps point to other maps of the same scene.
#pragma once

#include <array>
#include <string>

#include "host/bitmap.h"
#include "host/class_id.h"
#include "host/shade_context.h"
#include "host/sim/sim_mtl_base.h"

namespace sim {

// Classes of this host's procedural maps.
constexpr Class_ID kCheckerMapClass(0x72757607, 0x63686b72);
constexpr Class_ID kGradientMapClass(0x72757608, 0x67726164);
constexpr Class_ID kNoiseMapClass(0x72757609, 0x6e6f6973);

// Where a map's texture coordinates come from: moved by `offset`, repeated `repeat` times, turned
// by `angle` degrees about the map's W axis.
struct UVPlacement {
  float offsetU = 0.0f, offsetV = 0.0f;
  float repeatU = 1.0f, repeatV = 1.0f;
  float angle = 0.0f;
};

// The transform GetUVTransform answers, from texture coordinates to the map's own: about the
// centre (0.5, 0.5) scale by the repeats and rotate by the angle, then move by the offset:
//   T(-0.5, -0.5) · S(repeatU, repeatV, 1) · RZ(angle) · T(0.5 + offsetU, 0.5 + offsetV, 0)
// (row vectors, leftmost first). The default placement gives the identity exactly.
Matrix3 UVTransformOf(const UVPlacement& placement);

// A coordinate of the map's own outside 0..1 brought back by the tiling bits of its axis: wrapped,
// mirrored, or else held at the nearest edge. Not-a-number becomes 0.
float TileCoordinate(float c, bool wrap, bool mirror);

// What every map of this host has: placement, tiling bits, a map channel, and a flat colour that
// maps without a pattern of their own (bitmaps, vertex colours, maps of other classes) evaluate to.
template <class Base>
class SimMapBase : public SimMtlBase<Base> {
 public:
  SimMapBase(Class_ID classId, std::wstring name)
      : SimMtlBase<Base>(classId, TEXMAP_CLASS_ID, std::move(name)) {}

  AColor EvalColor(ShadeContext&) override { return flatColor_; }
  void GetUVTransform(Matrix3& transform) override { transform = UVTransformOf(placement_); }
  int GetTextureTiling() override { return tiling_; }
  int GetMapChannel() override { return mapChannel_; }

  void SetPlacement(const UVPlacement& placement) { placement_ = placement; }
  const UVPlacement& Placement() const { return placement_; }
  void SetTextureTiling(int tiling) { tiling_ = tiling; }
  void SetMapChannel(int channel) { mapChannel_ = channel; }
  void SetFlatColor(const AColor& color) { flatColor_ = color; }

 protected:
  // The context's texture coordinates (channel 0 of the context, which is the map's channel) in
  // the map's own space, tiled on each axis as the tiling bits say.
  Point3 MapUVW(ShadeContext& context) {
    Point3 uvw = context.UVW(0) * UVTransformOf(placement_);
    uvw.x = TileCoordinate(uvw.x, tiling_ & U_WRAP, tiling_ & U_MIRROR);
    uvw.y = TileCoordinate(uvw.y, tiling_ & V_WRAP, tiling_ & V_MIRROR);
    return uvw;
  }

 private:
  UVPlacement placement_;
  int tiling_ = U_WRAP | V_WRAP;
  int mapChannel_ = 1;
  AColor flatColor_{0.5f, 0.5f, 0.5f, 1.0f};
};

// A map of any class: Normal Bump, the Vertex Color map, or a class the exporter does not know.
class SimTexmap : public SimMapBase<Texmap> {
 public:
  using SimMapBase::SimMapBase;
};

// The parameter IDs of a bitmap map's cropping values in its parameter block 0.
constexpr ParamID kBitmapCropU = 0;
constexpr ParamID kBitmapCropV = 1;
constexpr ParamID kBitmapCropWidth = 2;
constexpr ParamID kBitmapCropHeight = 3;
constexpr ParamID kBitmapCropApply = 6;
// 0 crops, 1 places.
constexpr ParamID kBitmapCropPlace = 7;

struct BitmapCrop {
  float u = 0.0f, v = 0.0f, width = 1.0f, height = 1.0f;
  bool apply = false;
  bool place = false;
};

// The bitmap map. The image file is not read: the map evaluates to its flat colour.
class SimBitmapTex : public SimMapBase<BitmapTex> {
 public:
  // `hostPath` is the image file as the host stores it ('\'-separated).
  SimBitmapTex(std::wstring name, std::wstring hostPath);

  const wchar_t* GetMapName() override { return path_.c_str(); }
  // Rewrites the cropping values of parameter block 0.
  void SetCrop(const BitmapCrop& crop);

 private:
  std::wstring path_;
};

// Normal Bump: sub-map 0 is the normal map, sub-map 1 an additional bump map. It evaluates to its
// normal map, or to the flat normal colour without one.
class SimNormalBumpMap : public SimTexmap {
 public:
  explicit SimNormalBumpMap(std::wstring name);
  AColor EvalColor(ShadeContext& context) override;
};

// Two colours in checks half a tile wide: colour 0 on the check that holds (0, 0) in the map's own
// coordinates and on every check diagonal to it, colour 1 on the others.
class SimCheckerMap : public SimTexmap {
 public:
  SimCheckerMap(std::wstring name, const AColor& color0, const AColor& color1);
  AColor EvalColor(ShadeContext& context) override;

 private:
  std::array<AColor, 2> colors_;
};

// Three colours along V: colour 0 at the top (v = 1), colour 1 at `middle`, colour 2 at the bottom
// (v = 0), blended linearly in between. A middle at an end (0 or 1) leaves one blend.
class SimGradientMap : public SimTexmap {
 public:
  SimGradientMap(std::wstring name, const std::array<AColor, 3>& colors, float middle = 0.5f);
  AColor EvalColor(ShadeContext& context) override;

 private:
  std::array<AColor, 3> colors_;
  float middle_;
};

// Value noise over the object-space point, `size` units to a lattice cell: a fixed pseudo-random
// value at every lattice point, blended smoothly in between, picks between colour 0 (value 0) and
// colour 1 (value 1). The same point always gives the same colour, in every run.
class SimNoiseMap : public SimTexmap {
 public:
  SimNoiseMap(std::wstring name, const AColor& color0, const AColor& color1, float size = 25.0f);
  AColor EvalColor(ShadeContext& context) override;
  // The noise value 0..1 at an object-space point.
  float ValueAt(const Point3& p) const;

 private:
  std::array<AColor, 2> colors_;
  float size_;
};

}  // namespace sim
