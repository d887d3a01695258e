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
  // Every component within `epsilon` of q's; q and -q, the same rotation, are not equal here.
  bool Equals(const Quat& q, float epsilon = 1e-6f) const;
  // The four-component dot product: negative when the two lie in opposite hemispheres.
  constexpr float operator%(const Quat& q) const { return x * q.x + y * q.y + z * q.z + w * q.w; }
};

// The rotation a fraction t of the way from p to q along the shorter arc, of unit length.
Quat Slerp(const Quat& p, const Quat& q, float t);

Quat QFromAngAxis(float angle, const Point3& axis);
