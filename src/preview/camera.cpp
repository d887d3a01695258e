#include "preview/camera.h"

#include <algorithm>
#include <cmath>

namespace preview {
namespace {

constexpr float kFieldOfViewY = 0.6981317f;  // 40 degrees

struct Direction {
  Vec3 toEye;
  Vec3 up;
};

Direction ViewDirection(View view) {
  switch (view) {
    case View::Front:
      return {{0, 0, -1}, {0, 1, 0}};
    case View::Back:
      return {{0, 0, 1}, {0, 1, 0}};
    case View::Left:
      return {{-1, 0, 0}, {0, 1, 0}};
    case View::Right:
      return {{1, 0, 0}, {0, 1, 0}};
    case View::Top:
      return {{0, 1, 0}, {0, 0, 1}};
    case View::Iso:
      return {Normalize({-1, 1, -1}), {0, 1, 0}};
    case View::ThreeQuarter:
      break;
  }
  return {Normalize({0.75f, 0.55f, -1.0f}), {0, 1, 0}};
}

Mat4 LookAt(Vec3 eye, Vec3 xaxis, Vec3 yaxis, Vec3 zaxis) {
  Mat4 m;
  m(0, 0) = xaxis.x, m(0, 1) = yaxis.x, m(0, 2) = zaxis.x;
  m(1, 0) = xaxis.y, m(1, 1) = yaxis.y, m(1, 2) = zaxis.y;
  m(2, 0) = xaxis.z, m(2, 1) = yaxis.z, m(2, 2) = zaxis.z;
  m(3, 0) = -Dot(xaxis, eye), m(3, 1) = -Dot(yaxis, eye), m(3, 2) = -Dot(zaxis, eye);
  return m;
}

// A left-handed perspective projection with depth 0..1, then depth remapped to OpenGL's -1..1.
Mat4 Perspective(float fovY, float aspect, float zn, float zf) {
  float yScale = 1.0f / std::tan(fovY / 2);
  Mat4 p;
  p(0, 0) = yScale / aspect;
  p(1, 1) = yScale;
  p(2, 2) = zf / (zf - zn);
  p(2, 3) = 1;
  p(3, 2) = -zn * zf / (zf - zn);
  p(3, 3) = 0;
  Mat4 toGl;
  toGl(2, 2) = 2;
  toGl(3, 2) = -1;
  return p * toGl;
}

}  // namespace

std::optional<View> ParseView(std::string_view name) {
  for (View view : {View::ThreeQuarter, View::Front, View::Back, View::Left, View::Right, View::Top,
                    View::Iso}) {
    if (name == ViewName(view)) return view;
  }
  return std::nullopt;
}

std::string ViewName(View view) {
  switch (view) {
    case View::Front:
      return "front";
    case View::Back:
      return "back";
    case View::Left:
      return "left";
    case View::Right:
      return "right";
    case View::Top:
      return "top";
    case View::Iso:
      return "iso";
    case View::ThreeQuarter:
      break;
  }
  return "three-quarter";
}

void Bounds::Add(Vec3 p) {
  // A non-finite coordinate would make the camera frame nothing.
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return;
  min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
  max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

Camera FrameCamera(const Bounds& bounds, View view, float aspect) {
  Vec3 center = bounds.Empty() ? Vec3{} : bounds.Center();
  float radius = bounds.Empty() ? 1.0f : Length(bounds.Size()) * 0.5f;
  if (!(radius > 1e-6f)) radius = 1.0f;
  float fovX = 2 * std::atan(std::tan(kFieldOfViewY / 2) * aspect);
  float narrow = std::min(kFieldOfViewY, fovX);
  float distance = radius / std::sin(narrow / 2) * 1.05f;

  Direction direction = ViewDirection(view);
  Camera camera;
  camera.target = center;
  camera.eye = center + direction.toEye * distance;
  camera.forward = Normalize(center - camera.eye);
  camera.right = Normalize(Cross(direction.up, camera.forward));
  camera.up = Cross(camera.forward, camera.right);
  camera.view = LookAt(camera.eye, camera.right, camera.up, camera.forward);
  float zNear = std::max(distance - radius * 3.0f, distance * 0.02f);
  float zFar = distance + radius * 4.0f;
  camera.projection = Perspective(kFieldOfViewY, aspect, zNear, zFar);
  camera.viewProjection = camera.view * camera.projection;
  return camera;
}

std::optional<std::pair<float, float>> ProjectToPixel(const Camera& camera, Vec3 point, int width,
                                                      int height) {
  const Mat4& m = camera.viewProjection;
  float x = point.x * m(0, 0) + point.y * m(1, 0) + point.z * m(2, 0) + m(3, 0);
  float y = point.x * m(0, 1) + point.y * m(1, 1) + point.z * m(2, 1) + m(3, 1);
  float w = point.x * m(0, 3) + point.y * m(1, 3) + point.z * m(2, 3) + m(3, 3);
  if (w <= 0) return std::nullopt;
  return std::make_pair((x / w * 0.5f + 0.5f) * width, (0.5f - y / w * 0.5f) * height);
}

}  // namespace preview
