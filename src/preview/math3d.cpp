#include "preview/math3d.h"

namespace preview {

Mat4 operator*(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r(i, j) = a(i, 0) * b(0, j) + a(i, 1) * b(1, j) + a(i, 2) * b(2, j) + a(i, 3) * b(3, j);
    }
  }
  return r;
}

Vec3 TransformPoint(Vec3 p, const Mat4& m) {
  return {p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0),
          p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1),
          p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2)};
}

Vec3 TransformDirection(Vec3 d, const Mat4& m) {
  return {d.x * m(0, 0) + d.y * m(1, 0) + d.z * m(2, 0),
          d.x * m(0, 1) + d.y * m(1, 1) + d.z * m(2, 1),
          d.x * m(0, 2) + d.y * m(1, 2) + d.z * m(2, 2)};
}

float Determinant3x3(const Mat4& m) {
  return m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) -
         m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0)) +
         m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
}

Mat4 InverseAffine(const Mat4& m) {
  float det = Determinant3x3(m);
  if (std::fabs(det) < 1e-30f) return Mat4{};
  float s = 1.0f / det;
  Mat4 r;
  r(0, 0) = (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) * s;
  r(0, 1) = (m(0, 2) * m(2, 1) - m(0, 1) * m(2, 2)) * s;
  r(0, 2) = (m(0, 1) * m(1, 2) - m(0, 2) * m(1, 1)) * s;
  r(1, 0) = (m(1, 2) * m(2, 0) - m(1, 0) * m(2, 2)) * s;
  r(1, 1) = (m(0, 0) * m(2, 2) - m(0, 2) * m(2, 0)) * s;
  r(1, 2) = (m(0, 2) * m(1, 0) - m(0, 0) * m(1, 2)) * s;
  r(2, 0) = (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0)) * s;
  r(2, 1) = (m(0, 1) * m(2, 0) - m(0, 0) * m(2, 1)) * s;
  r(2, 2) = (m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0)) * s;
  Vec3 t = TransformDirection({m(3, 0), m(3, 1), m(3, 2)}, r);
  r(3, 0) = -t.x;
  r(3, 1) = -t.y;
  r(3, 2) = -t.z;
  return r;
}

Mat4 Transpose(const Mat4& m) {
  Mat4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) r(i, j) = m(j, i);
  }
  return r;
}

Mat4 Translation(Vec3 t) {
  Mat4 r;
  r(3, 0) = t.x;
  r(3, 1) = t.y;
  r(3, 2) = t.z;
  return r;
}

Mat4 Scaling(Vec3 s) {
  Mat4 r;
  r(0, 0) = s.x;
  r(1, 1) = s.y;
  r(2, 2) = s.z;
  return r;
}

Mat4 RotationFromQuaternion(float w, float x, float y, float z) {
  float n = std::sqrt(w * w + x * x + y * y + z * z);
  if (n > 0) {
    w /= n;
    x /= n;
    y /= n;
    z /= n;
  }
  Mat4 r;
  r(0, 0) = 1 - 2 * (y * y + z * z);
  r(0, 1) = 2 * (x * y + z * w);
  r(0, 2) = 2 * (x * z - y * w);
  r(1, 0) = 2 * (x * y - z * w);
  r(1, 1) = 1 - 2 * (x * x + z * z);
  r(1, 2) = 2 * (y * z + x * w);
  r(2, 0) = 2 * (x * z + y * w);
  r(2, 1) = 2 * (y * z - x * w);
  r(2, 2) = 1 - 2 * (x * x + y * y);
  return r;
}

}  // namespace preview
