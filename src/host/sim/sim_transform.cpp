#include "host/sim/sim_transform.h"

namespace sim {

namespace {
// Degrees to radians in float, as the host's own angle helpers do it.
constexpr float kRadiansPerDegree = 3.14159265358979323846f / 180.0f;
}  // namespace

Matrix3 ComposeTransform(const Point3& translate, const Point3& rotateDegrees,
                         const Point3& scale) {
  Matrix3 m = ScaleMatrix(scale);
  m.RotateX(rotateDegrees.x * kRadiansPerDegree);
  m.RotateY(rotateDegrees.y * kRadiansPerDegree);
  m.RotateZ(rotateDegrees.z * kRadiansPerDegree);
  m.Translate(translate);
  return m;
}

Matrix3 SimTransformTrack::At(TimeValue) const { return local_; }

}  // namespace sim
