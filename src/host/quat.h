// Rotations as unit quaternions.
#pragma once

#include "host/matrix3.h"

// (x, y, z) is the vector part, w the scalar part. The matrix of a quaternion is the row-vector
// rotation that DirectX builds from the same four numbers, so a rotation key can be written as the
// decomposition gives it.
class Quat {
 public:
  float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;

  constexpr Quat() = default;
  constexpr Quat(float xIn, float yIn, float zIn, float wIn) : x(xIn), y(yIn), z(zIn), w(wIn) {}
  // The rotation of a matrix whose rotation part is orthonormal with determinant +1.
  explicit Quat(const Matrix3& m);

  void Identity() { *this = Quat(); }
  bool IsIdentity() const { return x == 0.0f && y == 0.0f && z == 0.0f && w == 1.0f; }
  Quat Conjugate() const { return {-x, -y, -z, w}; }
  // The rotation as a matrix without translation.
  void MakeMatrix(Matrix3& m) const;
  // q * r applies q first, as matrices do.
  Quat operator*(const Quat& r) const;
  constexpr bool operator==(const Quat& q) const = default;
};

Quat QFromAngAxis(float angle, const Point3& axis);
