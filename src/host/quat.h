// Rotations as unit quaternions.
#pragma once

#include "host/matrix3.h"

// (x, y, z) is the vector part, w the scalar part. The host's quaternions turn the other way from
// the classic quaternion of the same row-vector matrix: the quaternion of a matrix is the conjugate
// of the one DirectX builds that matrix from. That is the quaternion a `.x` rotation key holds, so
// a key is written as the decomposition gives it. It also makes products read in the order matrices
// do, and an angle about an axis turn clockwise as one looks down the axis towards the origin.
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

// The turn by `angle` radians about `axis`, clockwise looking down the axis, as all host
// quaternions turn: its matrix is RotateZMatrix(-angle) for the Z axis.
Quat QFromAngAxis(float angle, const Point3& axis);
