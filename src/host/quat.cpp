#include "host/quat.h"

#include <cmath>

Quat::Quat(const Matrix3& m) {
  // The host's quaternion of a row-vector matrix is the classic quaternion of the matrix read as
  // column vectors: the transpose of the classic one's matrix, which is the conjugate turn.
  auto c = [&m](int row, int col) { return static_cast<double>(m[row][col]); };
  double trace = c(0, 0) + c(1, 1) + c(2, 2);
  if (trace >= 0.0) {
    double s = std::sqrt(trace + 1.0);
    w = static_cast<float>(s * 0.5);
    s = 0.5 / s;
    x = static_cast<float>((c(2, 1) - c(1, 2)) * s);
    y = static_cast<float>((c(0, 2) - c(2, 0)) * s);
    z = static_cast<float>((c(1, 0) - c(0, 1)) * s);
    return;
  }
  int i = 0;
  if (c(1, 1) > c(0, 0)) i = 1;
  if (c(2, 2) > c(i, i)) i = 2;
  int j = (i + 1) % 3, k = (i + 2) % 3;
  double s = std::sqrt(c(i, i) - (c(j, j) + c(k, k)) + 1.0);
  float v[3];
  v[i] = static_cast<float>(s * 0.5);
  s = 0.5 / s;
  v[j] = static_cast<float>((c(i, j) + c(j, i)) * s);
  v[k] = static_cast<float>((c(k, i) + c(i, k)) * s);
  w = static_cast<float>((c(k, j) - c(j, k)) * s);
  x = v[0];
  y = v[1];
  z = v[2];
}

void Quat::MakeMatrix(Matrix3& m) const {
  float xx = x * x, yy = y * y, zz = z * z;
  float xy = x * y, xz = x * z, yz = y * z, wx = w * x, wy = w * y, wz = w * z;
  m.SetRow(0, {1 - 2 * (yy + zz), 2 * (xy - wz), 2 * (xz + wy)});
  m.SetRow(1, {2 * (xy + wz), 1 - 2 * (xx + zz), 2 * (yz - wx)});
  m.SetRow(2, {2 * (xz - wy), 2 * (yz + wx), 1 - 2 * (xx + yy)});
  m.SetRow(3, {0, 0, 0});
}

Quat Quat::operator*(const Quat& r) const {
  // The host's quaternions are conjugates of the classic ones, whose products read the other way:
  // applying this rotation and then r is the Hamilton product this * r.
  const Quat& a = *this;
  const Quat& b = r;
  return {
      a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
      a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quat QFromAngAxis(float angle, const Point3& axis) {
  Point3 unit = Normalize(axis);
  float s = std::sin(angle * 0.5f);
  return {unit.x * s, unit.y * s, unit.z * s, std::cos(angle * 0.5f)};
}

bool Quat::Equals(const Quat& q, float epsilon) const {
  return std::fabs(x - q.x) <= epsilon && std::fabs(y - q.y) <= epsilon &&
         std::fabs(z - q.z) <= epsilon && std::fabs(w - q.w) <= epsilon;
}

Quat Slerp(const Quat& p, const Quat& q, float t) {
  double cosine = p % q;
  double sign = 1.0;
  if (cosine < 0.0) {
    cosine = -cosine;
    sign = -1.0;
  }
  double a = 1.0 - t, b = t;
  // Nearly equal rotations: the arc is a line, and its sine would divide by almost zero.
  if (cosine < 0.9999) {
    double angle = std::acos(cosine);
    double sine = std::sin(angle);
    a = std::sin((1.0 - t) * angle) / sine;
    b = std::sin(t * angle) / sine;
  }
  b *= sign;
  double rx = a * p.x + b * q.x, ry = a * p.y + b * q.y, rz = a * p.z + b * q.z,
         rw = a * p.w + b * q.w;
  double length = std::sqrt(rx * rx + ry * ry + rz * rz + rw * rw);
  if (length == 0.0) return p;
  return {static_cast<float>(rx / length), static_cast<float>(ry / length),
          static_cast<float>(rz / length), static_cast<float>(rw / length)};
}
