// A node's local transform and how it varies over time.
#pragma once

#include "host/matrix3.h"
#include "host/time_value.h"

namespace sim {

// The local transform as scale, then rotation about X, then Y, then Z (degrees), then translation:
// in row-vector form S * RX * RY * RZ * T, the order a scene author reads left to right.
Matrix3 ComposeTransform(const Point3& translate, const Point3& rotateDegrees, const Point3& scale);

// A node's transform relative to its parent over time. Today every node holds one matrix for all
// times; keyed tracks extend this class, so callers already ask for a time.
class SimTransformTrack {
 public:
  SimTransformTrack() = default;
  explicit SimTransformTrack(const Matrix3& local) : local_(local) {}

  Matrix3 At(TimeValue t) const;
  void SetStatic(const Matrix3& local) { local_ = local; }

 private:
  Matrix3 local_;
};

}  // namespace sim
