// Where the preview looks from. The camera frames the whole model: it looks at the centre of the
// bounding box from a fixed direction per view, far enough back that the bounding sphere fits the
// narrower field of view. Matrices follow the DirectX left-handed conventions (view space looks
// down +z); the projection is then remapped to OpenGL's clip depth.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "preview/math3d.h"

namespace preview {

enum class View { ThreeQuarter, Front, Back, Left, Right, Top, Iso };

// "front", "back", "left", "right", "top", "iso" (and "three-quarter"); nothing for other text.
std::optional<View> ParseView(std::string_view name);
std::string ViewName(View view);

struct Bounds {
  Vec3 min{1e30f, 1e30f, 1e30f};
  Vec3 max{-1e30f, -1e30f, -1e30f};
  bool Empty() const { return min.x > max.x; }
  void Add(Vec3 p);
  Vec3 Center() const { return (min + max) * 0.5f; }
  Vec3 Size() const { return Empty() ? Vec3{} : max - min; }
};

struct Camera {
  Vec3 eye, target, right, up, forward;
  Mat4 view;        // world to view space (left-handed, looking down +z)
  Mat4 projection;  // view space to OpenGL clip space
  Mat4 viewProjection;
};

Camera FrameCamera(const Bounds& bounds, View view, float aspect);

// The pixel (x right, y down from the top-left corner) where a world point lands in a picture of
// width x height; nothing when it is behind the camera.
std::optional<std::pair<float, float>> ProjectToPixel(const Camera& camera, Vec3 point, int width,
                                                      int height);

}  // namespace preview
